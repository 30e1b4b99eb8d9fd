// Plain HTTP GETs of the release files from the vendor's server, each with a
// byte limit, bounded waits and a cancel flag.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vx::updater {

struct ReleaseServer {
    std::wstring host;
    WORD port = 80;
    std::wstring folder;     // absolute path of the release folder, ending in '/'
    DWORD timeoutMs = 30000; // each of connecting, sending and every wait for bytes
};

enum class FetchResult { Ok, NoConnection, TimedOut, HttpError, TooLarge, Broken, Cancelled, WriteFailed };

// Receives the bytes in order; false stops the download as a write failure.
using FetchSink = std::function<bool(const char* bytes, std::size_t size)>;
// Told the count of bytes so far after each piece.
using FetchProgress = std::function<void(std::uint64_t received)>;

// Fetches folder + fileName. More than `limit` bytes is TooLarge: at most
// limit + 1 bytes are ever read. Redirects are answers, never followed.
FetchResult Fetch(const ReleaseServer& server, std::string_view fileName, std::uint64_t limit, const FetchSink& sink,
                  const FetchProgress& progress, const std::atomic<bool>& cancel) noexcept;

// Fetches a small file whole into `body`.
FetchResult FetchSmall(const ReleaseServer& server, std::string_view fileName, std::size_t limit, std::string& body,
                       const std::atomic<bool>& cancel) noexcept;

} // namespace vx::updater

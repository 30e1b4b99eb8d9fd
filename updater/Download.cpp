#include "updater/Download.h"

#include "core/Ticks.h"
#include "core/Version.h"
#include "update/WinHttpHandle.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vx::updater {

namespace {

constexpr wchar_t kUserAgent[] = L"VelantrixUpdate/" VX_VERSION_STRING;
constexpr std::size_t kPieceSize = 16 * 1024;

// A call that failed only after waiting out the bound ran into the time-out,
// whatever code it gives: Wine reports a response that never came as an
// invalid one.
FetchResult FromError(DWORD error, TickStamp waitStart, DWORD timeoutMs) noexcept {
    // The clocks differ a little: a wait of nearly the whole bound counts.
    if (error == ERROR_WINHTTP_TIMEOUT || MillisecondsSince(waitStart) >= timeoutMs - timeoutMs / 10)
        return FetchResult::TimedOut;
    if (error == ERROR_WINHTTP_CANNOT_CONNECT || error == ERROR_WINHTTP_NAME_NOT_RESOLVED ||
        error == ERROR_WINHTTP_CONNECTION_ERROR)
        return FetchResult::NoConnection;
    return FetchResult::Broken;
}

// No proxy: Windows applies none to such a session, and Wine would take one
// from http_proxy otherwise.
UniqueWinHttpHandle OpenSession(const WinHttpCalls& winHttp, const ReleaseServer& server) noexcept {
    UniqueWinHttpHandle session(
        winHttp.open(kUserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return {};
    const int bound = static_cast<int>(server.timeoutMs);
    if (!winHttp.setTimeouts(session.get(), bound, bound, bound, bound)) return {};
    return session;
}

UniqueWinHttpHandle OpenRequest(const WinHttpCalls& winHttp, HINTERNET connection, const std::wstring& target,
                                DWORD timeoutMs) noexcept {
    UniqueWinHttpHandle request(winHttp.openRequest(connection, L"GET", target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                    WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_REFRESH));
    if (!request || !ForbidRedirectsAndBoundResponse(winHttp, request.get(), timeoutMs)) return {};
    return request;
}

FetchResult ReadBody(const WinHttpCalls& winHttp, HINTERNET request, DWORD timeoutMs, std::uint64_t limit,
                     const FetchSink& sink, const FetchProgress& progress, const std::atomic<bool>& cancel) {
    std::vector<char> piece(kPieceSize);
    std::uint64_t received = 0;
    for (;;) {
        if (cancel) return FetchResult::Cancelled;
        // Never more than one byte past the limit: that byte alone proves the file too long.
        const std::uint64_t room = limit + 1 - received;
        const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(piece.size(), room));
        DWORD available = 0;
        const TickStamp waitStart = TickNow();
        if (!winHttp.queryDataAvailable(request, &available)) return FromError(GetLastError(), waitStart, timeoutMs);
        DWORD got = 0;
        if (available > 0 && !winHttp.readData(request, piece.data(), std::min(wanted, available), &got))
            return FromError(GetLastError(), waitStart, timeoutMs);
        if (got == 0) return FetchResult::Ok;
        received += got;
        if (received > limit) return FetchResult::TooLarge;
        if (!sink(piece.data(), got)) return FetchResult::WriteFailed;
        if (progress) progress(received);
    }
}

FetchResult FetchOrThrow(const ReleaseServer& server, std::string_view fileName, std::uint64_t limit,
                         const FetchSink& sink, const FetchProgress& progress, const std::atomic<bool>& cancel) {
    const std::optional<WinHttpCalls> calls = LoadWinHttpCalls();
    if (!calls) return FetchResult::NoConnection;
    const WinHttpCalls& winHttp = *calls;
    const UniqueWinHttpHandle session = OpenSession(winHttp, server);
    if (!session) return FetchResult::NoConnection;
    const UniqueWinHttpHandle connection(winHttp.connect(session.get(), server.host.c_str(), server.port, 0));
    if (!connection) return FetchResult::NoConnection;
    const std::wstring target = server.folder + std::wstring(fileName.begin(), fileName.end());
    const UniqueWinHttpHandle request = OpenRequest(winHttp, connection.get(), target, server.timeoutMs);
    if (!request) return FetchResult::NoConnection;
    if (cancel) return FetchResult::Cancelled;
    const TickStamp waitStart = TickNow();
    if (!winHttp.sendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return FromError(GetLastError(), waitStart, server.timeoutMs);
    // Wine's WinHttpSendRequest already waits for the response headers; the
    // failure shows only in WinHttpReceiveResponse: count from the send.
    if (!winHttp.receiveResponse(request.get(), nullptr)) return FromError(GetLastError(), waitStart, server.timeoutMs);
    const std::optional<DWORD> status = QueryNumberHeader(winHttp, request.get(), WINHTTP_QUERY_STATUS_CODE);
    if (!status || *status != 200) return FetchResult::HttpError;
    return ReadBody(winHttp, request.get(), server.timeoutMs, limit, sink, progress, cancel);
}

} // namespace

FetchResult Fetch(const ReleaseServer& server, std::string_view fileName, std::uint64_t limit, const FetchSink& sink,
                  const FetchProgress& progress, const std::atomic<bool>& cancel) noexcept {
    try {
        return FetchOrThrow(server, fileName, limit, sink, progress, cancel);
    } catch (...) {
        return FetchResult::Broken;
    }
}

FetchResult FetchSmall(const ReleaseServer& server, std::string_view fileName, std::size_t limit, std::string& body,
                       const std::atomic<bool>& cancel) noexcept {
    body.clear();
    const FetchSink append = [&body](const char* bytes, std::size_t size) {
        body.append(bytes, size);
        return true;
    };
    return Fetch(server, fileName, limit, append, nullptr, cancel);
}

} // namespace vx::updater

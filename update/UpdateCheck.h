// The question to the vendor's web server whether a newer version exists.
#pragma once

#include "core/Constants.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vx {

// Where the query goes and how long it may take. The program always uses the
// defaults; the tests point the query at a server of their own.
struct UpdateCheckOptions {
    std::wstring host = kVendorHost;
    WORD port = 80;
    // Each wait on the network. Ten seconds covers a slow dial-up line or a busy
    // server many times over, yet a process checking in the background (or a
    // user waiting for "/checkupdate" to hand over to the running instance) is
    // not kept waiting long for a server that has stopped answering.
    DWORD resolveTimeoutMs = 10000;
    DWORD connectTimeoutMs = 10000;
    DWORD sendTimeoutMs = 10000;
    DWORD receiveTimeoutMs = 10000; // for the response headers and for each part of the body
    // The whole exchange, checked between reads of the body, so a server that
    // trickles its answer cannot keep the check alive read after read.
    DWORD totalTimeoutMs = 30000;
    // The answer is a short page; anything beyond this many bytes is not read.
    std::size_t bodyLimit = 64 * 1024;
};

// The update answer's tokens, searched case-sensitively in this order; the
// first one found decides: 0, 1 (an update is available) or 2; none gives -1.
int UpdateResultFromAnswer(std::string_view answer) noexcept;

// One plain HTTP/1.1 GET of the update query, no proxy, no redirect followed,
// then the token search over the first bytes of a 2xx body. Blocks until the
// answer is in or a bound is reached; every failure gives -1.
int CheckForUpdate(const UpdateCheckOptions& options = {}) noexcept;

} // namespace vx

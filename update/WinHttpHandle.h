// The WinHTTP library and the owner of its handles (session, connection or
// request). Kept apart from core/Handles.h so that only the update check sees
// winhttp.h.
#pragma once

#include "core/Handles.h"
#include "core/SystemLibrary.h"

#include <windows.h>
#include <winhttp.h>

#include <optional>

namespace vx {

// winhttp.dll of the system folder, loaded at the first update check.
SystemLibrary& WinHttpLibrary() noexcept;

struct WinHttpHandleTraits {
    using Handle = HINTERNET;
    static Handle empty() noexcept { return nullptr; }
    // A handle exists only once the library has loaded, so the lookup finds it.
    static void close(Handle h) noexcept {
        if (const auto closeHandle = WinHttpLibrary().Find<decltype(&::WinHttpCloseHandle)>("WinHttpCloseHandle"))
            closeHandle(h);
    }
};

using UniqueWinHttpHandle = UniqueHandle<WinHttpHandleTraits>;

// The WinHTTP calls of one exchange, taken from the library when it starts.
struct WinHttpCalls {
    decltype(&::WinHttpOpen) open = nullptr;
    decltype(&::WinHttpSetTimeouts) setTimeouts = nullptr;
    decltype(&::WinHttpConnect) connect = nullptr;
    decltype(&::WinHttpOpenRequest) openRequest = nullptr;
    decltype(&::WinHttpSetOption) setOption = nullptr;
    decltype(&::WinHttpAddRequestHeaders) addRequestHeaders = nullptr;
    decltype(&::WinHttpSendRequest) sendRequest = nullptr;
    decltype(&::WinHttpReceiveResponse) receiveResponse = nullptr;
    decltype(&::WinHttpQueryHeaders) queryHeaders = nullptr;
    decltype(&::WinHttpQueryDataAvailable) queryDataAvailable = nullptr;
    decltype(&::WinHttpReadData) readData = nullptr;
    // Handles are closed by their owner; the call is taken here all the same, so
    // that no check starts with handles it could not close.
    decltype(&::WinHttpCloseHandle) closeHandle = nullptr;
};

// Every call, or nothing: without the library (or with one that lacks a call)
// there is no exchange.
std::optional<WinHttpCalls> LoadWinHttpCalls() noexcept;

bool SetNumberOption(const WinHttpCalls& winHttp, HINTERNET handle, DWORD option, DWORD value) noexcept;

// A numeric response header (the status, the content length), if the answer has it.
std::optional<DWORD> QueryNumberHeader(const WinHttpCalls& winHttp, HINTERNET request, DWORD query) noexcept;

// Makes the request follow no redirect (an answer from elsewhere is never
// taken) and wait at most timeoutMs for the response headers, which the
// session's receive time-out does not bound on every implementation. False
// when that cannot be made so.
bool ForbidRedirectsAndBoundResponse(const WinHttpCalls& winHttp, HINTERNET request, DWORD timeoutMs) noexcept;

} // namespace vx

#include "update/WinHttpHandle.h"

namespace vx {
namespace {

template <typename Function> bool Take(const char* name, Function& function) noexcept {
    function = WinHttpLibrary().Find<Function>(name);
    return function != nullptr;
}

} // namespace

SystemLibrary& WinHttpLibrary() noexcept {
    // WinHTTP loads the certificate library by bare name when it first needs
    // it, through delay loading, which not every Windows keeps to the restricted
    // search. Loaded from the system folder first, it is found by its name.
    static SystemLibrary certificates(L"crypt32.dll");
    static SystemLibrary library(L"winhttp.dll");
    if (!library.Loaded()) certificates.Module();
    return library;
}

std::optional<WinHttpCalls> LoadWinHttpCalls() noexcept {
    WinHttpCalls calls;
    const bool complete =
        Take("WinHttpOpen", calls.open) && Take("WinHttpSetTimeouts", calls.setTimeouts) &&
        Take("WinHttpConnect", calls.connect) && Take("WinHttpOpenRequest", calls.openRequest) &&
        Take("WinHttpSetOption", calls.setOption) && Take("WinHttpAddRequestHeaders", calls.addRequestHeaders) &&
        Take("WinHttpSendRequest", calls.sendRequest) && Take("WinHttpReceiveResponse", calls.receiveResponse) &&
        Take("WinHttpQueryHeaders", calls.queryHeaders) &&
        Take("WinHttpQueryDataAvailable", calls.queryDataAvailable) && Take("WinHttpReadData", calls.readData) &&
        Take("WinHttpCloseHandle", calls.closeHandle);
    if (!complete) return std::nullopt;
    return calls;
}

bool SetNumberOption(const WinHttpCalls& winHttp, HINTERNET handle, DWORD option, DWORD value) noexcept {
    return winHttp.setOption(handle, option, &value, sizeof value) != FALSE;
}

std::optional<DWORD> QueryNumberHeader(const WinHttpCalls& winHttp, HINTERNET request, DWORD query) noexcept {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!winHttp.queryHeaders(request, query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                              WINHTTP_NO_HEADER_INDEX))
        return std::nullopt;
    return value;
}

bool ForbidRedirectsAndBoundResponse(const WinHttpCalls& winHttp, HINTERNET request, DWORD timeoutMs) noexcept {
    // Either switch alone turns following off; both are tried.
    const bool policySet =
        SetNumberOption(winHttp, request, WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER);
    const bool featureSet =
        SetNumberOption(winHttp, request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS);
    if (!policySet && !featureSet) return false;
    return SetNumberOption(winHttp, request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, timeoutMs);
}

} // namespace vx

#include "update/UpdateCheck.h"

#include "core/Ticks.h"
#include "update/WinHttpHandle.h"

#include <algorithm>
#include <array>
#include <optional>

namespace vx {

namespace {

constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; TOLVEN)";
constexpr wchar_t kQueryPath[] = L"/downloads/update/?product=velantrix&version=";
// Without it some servers would compress the answer, and the tokens are
// searched in the bytes as they arrive.
constexpr wchar_t kExtraHeaders[] = L"Accept-Encoding: identity";

constexpr std::array<std::string_view, 3> kAnswerTokens{"TOLVEN|0", "TOLVEN|1", "TOLVEN|2"};

// A session that talks to the server directly: Windows never applies a proxy
// to it, and Wine would otherwise take one from http_proxy.
UniqueWinHttpHandle OpenSession(const WinHttpCalls& winHttp, const UpdateCheckOptions& options) noexcept {
    UniqueWinHttpHandle session(
        winHttp.open(kUserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return {};
    if (!winHttp.setTimeouts(session.get(), static_cast<int>(options.resolveTimeoutMs),
                             static_cast<int>(options.connectTimeoutMs), static_cast<int>(options.sendTimeoutMs),
                             static_cast<int>(options.receiveTimeoutMs)))
        return {};
    return session;
}

UniqueWinHttpHandle OpenQueryRequest(const WinHttpCalls& winHttp, HINTERNET connection,
                                     const UpdateCheckOptions& options) {
    const std::wstring target = std::wstring(kQueryPath) + kVersionText;
    LPCWSTR acceptTypes[] = {L"text/html", L"*/*", nullptr};
    UniqueWinHttpHandle request(
        winHttp.openRequest(connection, L"GET", target.c_str(), nullptr, WINHTTP_NO_REFERER, acceptTypes, 0));
    // A redirect is an answer without the tokens, never a second request.
    if (!request || !ForbidRedirectsAndBoundResponse(winHttp, request.get(), options.receiveTimeoutMs)) return {};
    if (!winHttp.addRequestHeaders(request.get(), kExtraHeaders, static_cast<DWORD>(-1),
                                   WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
        return {};
    return request;
}

// Up to the limit of the body. A connection that breaks, a body that ends
// before its announced length and a reached time limit are all failures, even
// when some bytes had arrived.
std::optional<std::string> ReadBody(const WinHttpCalls& winHttp, HINTERNET request, const UpdateCheckOptions& options,
                                    TickStamp startTick) {
    std::string body(options.bodyLimit, '\0');
    std::size_t received = 0;
    while (received < body.size()) {
        if (MillisecondsSince(startTick) >= options.totalTimeoutMs) return std::nullopt;
        // Waits (at most the receive time-out) for some bytes, then takes only
        // those: a read of more would block until all of them had come.
        DWORD available = 0;
        if (!winHttp.queryDataAvailable(request, &available)) return std::nullopt;
        DWORD chunk = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(available, body.size() - received));
        if (wanted > 0 && !winHttp.readData(request, body.data() + received, wanted, &chunk)) return std::nullopt;
        if (chunk == 0) {
            const std::optional<DWORD> announced = QueryNumberHeader(winHttp, request, WINHTTP_QUERY_CONTENT_LENGTH);
            if (announced && received < *announced) return std::nullopt;
            break;
        }
        received += chunk;
    }
    body.resize(received);
    return body;
}

std::optional<std::string> FetchAnswer(const UpdateCheckOptions& options) {
    const TickStamp startTick = TickNow();
    const std::optional<WinHttpCalls> calls = LoadWinHttpCalls();
    if (!calls) return std::nullopt;
    const WinHttpCalls& winHttp = *calls;
    const UniqueWinHttpHandle session = OpenSession(winHttp, options);
    if (!session) return std::nullopt;
    const UniqueWinHttpHandle connection(winHttp.connect(session.get(), options.host.c_str(), options.port, 0));
    if (!connection) return std::nullopt;
    const UniqueWinHttpHandle request = OpenQueryRequest(winHttp, connection.get(), options);
    if (!request) return std::nullopt;
    if (!winHttp.sendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return std::nullopt;
    if (!winHttp.receiveResponse(request.get(), nullptr)) return std::nullopt;
    const std::optional<DWORD> status = QueryNumberHeader(winHttp, request.get(), WINHTTP_QUERY_STATUS_CODE);
    if (!status || *status < 200 || *status > 299) return std::nullopt;
    return ReadBody(winHttp, request.get(), options, startTick);
}

} // namespace

int UpdateResultFromAnswer(std::string_view answer) noexcept {
    for (std::size_t code = 0; code < kAnswerTokens.size(); ++code)
        if (answer.find(kAnswerTokens[code]) != std::string_view::npos) return static_cast<int>(code);
    return -1;
}

int CheckForUpdate(const UpdateCheckOptions& options) noexcept {
    try {
        const std::optional<std::string> answer = FetchAnswer(options);
        return answer ? UpdateResultFromAnswer(*answer) : -1;
    } catch (...) {
        return -1;
    }
}

} // namespace vx

// The update check against a real HTTP server on loopback: the exact request
// on the wire, the token search over real responses, and every way the
// exchange can fail (status, redirect, time-outs, resets, garbage, size).
#include "update/UpdateCheck.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <list>
#include <mutex>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// One accepted connection of the test server. The handler answers through it;
// afterwards the server closes its sending side and records whatever else the
// client sends until it closes too.
class Connection {
public:
    explicit Connection(SOCKET socket) : socket_(socket) {}

    const std::string& Received() const { return received_; }
    bool Send(std::string_view bytes) {
        while (!bytes.empty()) {
            const int sent = send(socket_, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 65536)), 0);
            if (sent <= 0) {
                sendError_ = WSAGetLastError();
                return false;
            }
            bytesSent_ += static_cast<std::size_t>(sent);
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }
    // An abortive close: the client sees a reset, not an orderly end.
    void Reset() {
        const linger abortive{1, 0};
        setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive), sizeof abortive);
        Close();
    }
    // Reads (and records) until the client closes its side or the receive bound passes.
    void ReadUntilClientCloses() {
        char buffer[4096];
        for (int got; (got = recv(socket_, buffer, sizeof buffer, 0)) > 0;)
            received_.append(buffer, static_cast<std::size_t>(got));
    }
    bool ReadRequestHead() {
        char buffer[4096];
        while (received_.find("\r\n\r\n") == std::string::npos) {
            const int got = recv(socket_, buffer, sizeof buffer, 0);
            if (got <= 0) return false;
            received_.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }
    void Finish() {
        if (socket_ == INVALID_SOCKET) return;
        shutdown(socket_, SD_SEND);
        ReadUntilClientCloses();
        Close();
    }
    void Close() {
        if (socket_ != INVALID_SOCKET) closesocket(std::exchange(socket_, INVALID_SOCKET));
    }
    std::size_t BytesSent() const { return bytesSent_; }
    int SendError() const { return sendError_; }

private:
    SOCKET socket_;
    std::string received_;
    std::size_t bytesSent_ = 0;
    int sendError_ = 0;
};

// A plain HTTP server on 127.0.0.1 and a free port, one thread per connection.
class LoopbackServer {
public:
    using Handler = std::function<void(Connection&)>;

    explicit LoopbackServer(Handler handler) : handler_(std::move(handler)) {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, SOMAXCONN) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    ~LoopbackServer() {
        Stop();
        WSACleanup();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    WORD Port() const { return port_; }
    // Waits for every connection to end; only then are the records complete.
    void Stop() {
        stopping_ = true;
        if (acceptor_.joinable()) acceptor_.join();
        for (std::thread& worker : workers_) worker.join();
        workers_.clear();
        if (listener_ != INVALID_SOCKET) closesocket(std::exchange(listener_, INVALID_SOCKET));
    }
    const std::list<Connection>& Connections() const { return connections_; }

private:
    void AcceptLoop() {
        while (!stopping_) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(listener_, &readable);
            timeval wait{0, 50000};
            if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
            const SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            // Bounds every wait on the client, longer than any client time-out under test.
            const DWORD bound = 90000;
            setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&bound), sizeof bound);
            setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&bound), sizeof bound);
            std::lock_guard lock(mutex_);
            Connection& connection = connections_.emplace_back(client);
            workers_.emplace_back([this, &connection] {
                if (connection.ReadRequestHead()) handler_(connection);
                connection.Finish();
            });
        }
    }

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    WORD port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::list<Connection> connections_;
    std::list<std::thread> workers_;
};

std::string Response(std::string_view status, std::string_view body, std::string_view extraHeaders = "") {
    return "HTTP/1.1 " + std::string(status) + "\r\nContent-Type: text/html\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n" + std::string(extraHeaders) + "Connection: close\r\n\r\n" +
           std::string(body);
}

LoopbackServer::Handler Answer(std::string response) {
    return [response](Connection& connection) { connection.Send(response); };
}

vx::UpdateCheckOptions AtServer(const LoopbackServer& server) {
    vx::UpdateCheckOptions options;
    options.host = L"127.0.0.1";
    options.port = server.Port();
    return options;
}

int CheckAgainst(LoopbackServer::Handler handler) {
    LoopbackServer server(std::move(handler));
    EXPECT_NE(server.Port(), 0);
    return vx::CheckForUpdate(AtServer(server));
}

TEST(UpdateCheck, SendsExactlyTheUpdateQuery) {
    LoopbackServer server(Answer(Response("200 OK", "TOLVEN|1")));
    EXPECT_EQ(vx::CheckForUpdate(AtServer(server)), 1);
    server.Stop();
    ASSERT_EQ(server.Connections().size(), 1u);
    // "Connection: Keep-Alive" is WinHTTP's own default header (Windows sends it
    // as well); it asks nothing of the server, so it is accepted as part of the
    // client's defaults. Everything else is fixed, in this order, with no body.
    const std::string expected = "GET /downloads/update/?product=velantrix&version=3.12.7.2015 HTTP/1.1\r\n"
                                 "Accept: text/html, */*\r\n"
                                 "Accept-Encoding: identity\r\n"
                                 "User-Agent: Mozilla/4.0 (compatible; TOLVEN)\r\n"
                                 "Host: 127.0.0.1:" +
                                 std::to_string(server.Port()) +
                                 "\r\n"
                                 "Connection: Keep-Alive\r\n"
                                 "\r\n";
    EXPECT_EQ(server.Connections().front().Received(), expected);
}

TEST(UpdateCheck, ProductionBoundsAndVendorHost) {
    const vx::UpdateCheckOptions defaults;
    EXPECT_EQ(defaults.host, L"www.tolven.com");
    EXPECT_EQ(defaults.port, 80);
    EXPECT_EQ(defaults.resolveTimeoutMs, 10000u);
    EXPECT_EQ(defaults.connectTimeoutMs, 10000u);
    EXPECT_EQ(defaults.sendTimeoutMs, 10000u);
    EXPECT_EQ(defaults.receiveTimeoutMs, 10000u);
    EXPECT_EQ(defaults.totalTimeoutMs, 30000u);
    EXPECT_EQ(defaults.bodyLimit, 65536u);
}

struct AnswerCase {
    const char* name;
    std::string body;
    int expected;
};

class UpdateAnswer : public testing::TestWithParam<AnswerCase> {};

TEST_P(UpdateAnswer, DecidesByTheFirstTokenInOrder) {
    EXPECT_EQ(CheckAgainst(Answer(Response("200 OK", GetParam().body))), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, UpdateAnswer,
    testing::Values(AnswerCase{"Exactly1", "TOLVEN|1", 1}, AnswerCase{"Blanks", "  \r\n\t TOLVEN|1 \r\n\r\n", 1},
                    AnswerCase{"AmidLetters", "<html>abcTOLVEN|1xyz</html>", 1},
                    AnswerCase{"ZeroThenOne", "TOLVEN|0\nTOLVEN|1", 0},
                    AnswerCase{"OneThenZero", "TOLVEN|1\nTOLVEN|0", 0}, AnswerCase{"Two", "TOLVEN|2", 2},
                    AnswerCase{"TwoThenOne", "TOLVEN|2 TOLVEN|1", 1}, AnswerCase{"LowerCase", "tolven|1", -1},
                    AnswerCase{"MixedCase", "Tolven|1", -1}, AnswerCase{"Three", "TOLVEN|3", -1},
                    AnswerCase{"Empty", "", -1}, AnswerCase{"NoDigit", "TOLVEN| 1", -1},
                    AnswerCase{"AfterNulBytes", std::string("\0\0\0TOLVEN|1", 11), 1},
                    AnswerCase{"LastBytesOfTheLimit", std::string(65536 - 8, 'x') + "TOLVEN|1", 1},
                    AnswerCase{"BeyondTheLimit", std::string(65536, 'x') + "TOLVEN|1", -1}),
    [](const testing::TestParamInfo<AnswerCase>& param) { return std::string(param.param.name); });

struct StatusCase {
    const char* status;
    int expected;
};

class UpdateStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(UpdateStatus, OnlySuccessStatusesCount) {
    EXPECT_EQ(CheckAgainst(Answer(Response(GetParam().status, "TOLVEN|1"))), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Statuses, UpdateStatus,
                         testing::Values(StatusCase{"200 OK", 1}, StatusCase{"203 Non-Authoritative", 1},
                                         StatusCase{"299 Whatever", 1}, StatusCase{"300 Multiple Choices", -1},
                                         StatusCase{"404 Not Found", -1}, StatusCase{"500 Server Error", -1}),
                         [](const testing::TestParamInfo<StatusCase>& param) {
                             return std::string(param.param.status).substr(0, 3);
                         });

TEST(UpdateCheck, RedirectIsNotFollowed) {
    for (const char* status : {"301 Moved Permanently", "302 Found", "307 Temporary Redirect"}) {
        std::atomic<WORD> port{0};
        LoopbackServer server([&](Connection& connection) {
            if (connection.Received().rfind("GET /next ", 0) == 0)
                connection.Send(Response("200 OK", "TOLVEN|1"));
            else
                connection.Send(Response(status, "moved",
                                         "Location: http://127.0.0.1:" + std::to_string(port) + "/next\r\n"));
        });
        port = server.Port();
        EXPECT_EQ(vx::CheckForUpdate(AtServer(server)), -1) << status;
        server.Stop();
        EXPECT_EQ(server.Connections().size(), 1u) << status;
        for (const Connection& connection : server.Connections())
            EXPECT_EQ(connection.Received().find("/next"), std::string::npos) << status;
    }
}

TEST(UpdateCheck, ChunkedBodyIsDecoded) {
    // The token is split over two chunks: only a decoded body holds it whole.
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                                "6\r\nabcTOL\r\n8\r\nVEN|1xyz\r\n0\r\n\r\n";
    EXPECT_EQ(CheckAgainst(Answer(chunked)), 1);
}

TEST(UpdateCheck, HugeBodyIsNotReadToTheEnd) {
    // The server offers 256 MiB, far more than the socket buffers between the
    // two ends can hold; the client decides on its first 64 KiB and hangs up.
    constexpr std::size_t announced = 256u << 20;
    LoopbackServer server([&](Connection& connection) {
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(announced) + "\r\n\r\n";
        if (!connection.Send(head + "TOLVEN|1")) return;
        const std::string block(65536, 'x');
        while (connection.BytesSent() < head.size() + announced && connection.Send(block)) {
        }
    });
    EXPECT_EQ(vx::CheckForUpdate(AtServer(server)), 1);
    server.Stop();
    ASSERT_EQ(server.Connections().size(), 1u);
    const Connection& connection = server.Connections().front();
    std::printf("huge body: server sent %zu of %zu bytes before send failed (error %d)\n", connection.BytesSent(),
                announced, connection.SendError());
    EXPECT_LT(connection.BytesSent(), announced);
    EXPECT_NE(connection.SendError(), 0);
}

// Runs the check on its own thread so that a check that never returns fails
// this test instead of hanging the whole program.
int CheckWithin(const vx::UpdateCheckOptions& options, std::chrono::seconds bound, double& seconds) {
    std::packaged_task<int()> task([options] { return vx::CheckForUpdate(options); });
    std::future<int> result = task.get_future();
    const auto start = std::chrono::steady_clock::now();
    std::thread worker(std::move(task));
    if (result.wait_for(bound) != std::future_status::ready) {
        ADD_FAILURE() << "the check did not return within " << bound.count() << " s";
        std::fflush(nullptr);
        std::_Exit(1);
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    worker.join();
    return result.get();
}

TEST(UpdateCheck, ServerThatNeverAnswersTimesOut) {
    // Production bounds: this measures what a user would wait.
    LoopbackServer server([](Connection& connection) { connection.ReadUntilClientCloses(); });
    double seconds = 0;
    EXPECT_EQ(CheckWithin(AtServer(server), 120s, seconds), -1);
    std::printf("never answers: the check gave up after %.2f s\n", seconds);
    RecordProperty("never_answers_seconds", std::to_string(seconds));
    server.Stop();
    EXPECT_EQ(server.Connections().size(), 1u);
}

TEST(UpdateCheck, BodyThatStallsTimesOut) {
    LoopbackServer server([](Connection& connection) {
        if (connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nTOLVEN|1"))
            connection.ReadUntilClientCloses();
    });
    vx::UpdateCheckOptions options = AtServer(server);
    options.receiveTimeoutMs = 1000;
    double seconds = 0;
    EXPECT_EQ(CheckWithin(options, 60s, seconds), -1);
    std::printf("stalled body: the check gave up after %.2f s\n", seconds);
}

TEST(UpdateCheck, TrickledBodyReachesTheTotalBound) {
    // Every byte comes well within the receive time-out, yet the whole answer never does.
    std::atomic<bool> done{false};
    LoopbackServer server([&](Connection& connection) {
        if (!connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nTOLVEN|1")) return;
        while (!done && connection.Send("x")) std::this_thread::sleep_for(50ms);
    });
    vx::UpdateCheckOptions options = AtServer(server);
    options.totalTimeoutMs = 1500;
    double seconds = 0;
    EXPECT_EQ(CheckWithin(options, 60s, seconds), -1);
    done = true;
    std::printf("trickled body: the check gave up after %.2f s\n", seconds);
}

TEST(UpdateCheck, BrokenConnectionGivesNoAnswer) {
    // Even with the token already received, a connection that breaks before the
    // announced end is no answer.
    const std::string partial = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nTOLVEN|1 and then";
    EXPECT_EQ(CheckAgainst([&](Connection& connection) {
                  connection.Send(partial);
                  std::this_thread::sleep_for(200ms); // let the client start on the body
                  connection.Reset();
              }),
              -1);
    EXPECT_EQ(CheckAgainst([&](Connection& connection) {
                  connection.Send(partial);
                  connection.Close();
              }),
              -1);
}

TEST(UpdateCheck, NothingListening) {
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size), 0);
    closesocket(probe); // the port was free a moment ago and nobody listens on it now
    vx::UpdateCheckOptions options;
    options.host = L"127.0.0.1";
    options.port = ntohs(address.sin_port);
    EXPECT_EQ(vx::CheckForUpdate(options), -1);
    WSACleanup();
}

TEST(UpdateCheck, ReplyThatIsNotHttp) {
    EXPECT_EQ(CheckAgainst(Answer("hello\r\n")), -1);
    EXPECT_EQ(CheckAgainst(Answer("TOLVEN|1\r\n")), -1);
    EXPECT_EQ(CheckAgainst([](Connection& connection) { connection.Reset(); }), -1);
}

} // namespace

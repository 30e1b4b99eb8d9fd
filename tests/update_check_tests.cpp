// The update check against a real HTTP server on loopback: the exact request
// on the wire, the token search over real responses, and every way the
// exchange can fail (status, redirect, time-outs, resets, garbage, size).
#include "update/UpdateCheck.h"

#include "core/Ticks.h"

#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#include <psapi.h>

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
using vx::test::Answer;
using vx::test::Connection;
using vx::test::LoopbackServer;
using vx::test::Response;

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

// The waits are timed with the 32-bit tick count, which starts again at zero
// every 49.7 days: a wait that spans that moment must still see its true length.
TEST(UpdateCheck, ElapsedTimeHoldsAcrossTheTickCountWrap) {
    EXPECT_EQ(vx::TicksBetween(0xFFFFFF00u, 0x00000100u), 0x200u);
    EXPECT_EQ(vx::TicksBetween(0xFFFFFFFFu, 0u), 1u);
    EXPECT_EQ(vx::TicksBetween(1000u, 31000u), 30000u);
    // The live count moves forward from a reading, by a small amount (never a
    // wrapped-around huge one).
    const vx::TickStamp start = vx::TickNow();
    for (int i = 0; i < 500 && vx::MillisecondsSince(start) == 0; ++i) Sleep(10);
    const DWORD elapsed = vx::MillisecondsSince(start);
    EXPECT_GT(elapsed, 0u);
    EXPECT_LT(elapsed, 60000u);
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
            if (connection.Received().rfind("GET /next ", 0) == 0) connection.Send(Response("200 OK", "TOLVEN|1"));
            else
                connection.Send(
                    Response(status, "moved", "Location: http://127.0.0.1:" + std::to_string(port) + "/next\r\n"));
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

// The largest working set seen while the callable runs, less the one before.
std::size_t WorkingSetGrowth(const std::function<void()>& run) {
    const auto workingSet = [] {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        return static_cast<std::size_t>(counters.WorkingSetSize);
    };
    const std::size_t before = workingSet();
    std::atomic<std::size_t> largest{before};
    std::atomic<bool> done{false};
    std::thread sampler([&] {
        while (!done) {
            largest = std::max(largest.load(), workingSet());
            std::this_thread::sleep_for(5ms);
        }
    });
    run();
    done = true;
    sampler.join();
    largest = std::max(largest.load(), workingSet());
    return largest - before;
}

TEST(UpdateCheck, HugeBodyIsNotReadToTheEnd) {
    // The server offers 256 MiB, far more than the socket buffers between the
    // two ends can hold; the client decides on its first 64 KiB and hangs up,
    // and its memory grows by far less than the body it was offered.
    constexpr std::size_t announced = 256u << 20;
    LoopbackServer server([&](Connection& connection) {
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(announced) + "\r\n\r\n";
        if (!connection.Send(head + "TOLVEN|1")) return;
        const std::string block(65536, 'x');
        while (connection.BytesSent() < head.size() + announced && connection.Send(block)) {
        }
    });
    int result = 0;
    const std::size_t growth = WorkingSetGrowth([&] { result = vx::CheckForUpdate(AtServer(server)); });
    EXPECT_EQ(result, 1);
    server.Stop();
    ASSERT_EQ(server.Connections().size(), 1u);
    const Connection& connection = server.Connections().front();
    std::printf("huge body: server sent %zu of %zu bytes before send failed (error %d); working set grew by %zu "
                "bytes\n",
                connection.BytesSent(), announced, connection.SendError(), growth);
    EXPECT_LT(connection.BytesSent(), announced);
    EXPECT_NE(connection.SendError(), 0);
    EXPECT_LT(growth, 16u << 20);
}

TEST(UpdateCheck, SeveralMegabytesWithTheTokenAtTheEnd) {
    // Only the first 64 KiB are looked at: a token at the end of a large page is not found.
    const std::string body = std::string(4u << 20, 'x') + "TOLVEN|1";
    EXPECT_EQ(CheckAgainst(Answer(Response("200 OK", body))), -1);
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
    // Production bounds: this measures what a user would wait. The server takes
    // the request and never answers, so the wait for the response headers runs
    // into the ten-second receive time-out (measured under Wine 8.0: 10.0 s).
    LoopbackServer server([](Connection& connection) { connection.ReadUntilClientCloses(); });
    double seconds = 0;
    EXPECT_EQ(CheckWithin(AtServer(server), 120s, seconds), -1);
    std::printf("never answers: the check gave up after %.2f s\n", seconds);
    RecordProperty("never_answers_seconds", std::to_string(seconds));
    // It was the time-out that ended it, not an early failure of some other kind,
    // and no other, longer bound was waited for.
    EXPECT_GE(seconds, 9.5);
    EXPECT_LT(seconds, 20.0);
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
    vx::UpdateCheckOptions options;
    options.host = L"127.0.0.1";
    options.port = vx::test::UnusedLoopbackPort();
    ASSERT_NE(options.port, 0) << "no loopback port was free";
    EXPECT_EQ(vx::CheckForUpdate(options), -1);
}

TEST(UpdateCheck, ReplyThatIsNotHttp) {
    EXPECT_EQ(CheckAgainst(Answer("hello\r\n")), -1);
    EXPECT_EQ(CheckAgainst(Answer("TOLVEN|1\r\n")), -1);
    EXPECT_EQ(CheckAgainst([](Connection& connection) { connection.Reset(); }), -1);
}

TEST(UpdateCheck, HostThatDoesNotResolve) {
    // ".invalid" names never resolve (RFC 2606).
    vx::UpdateCheckOptions options;
    options.host = L"velantrix-update.invalid";
    double seconds = 0;
    EXPECT_EQ(CheckWithin(options, 60s, seconds), -1);
    std::printf("unresolvable host: the check gave up after %.2f s\n", seconds);
}

} // namespace

// A plain HTTP server on loopback for the tests of the update query: it
// records the exact bytes each client sends and answers through a handler.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace vx::test {

// One accepted connection of the test server. The handler answers through it;
// afterwards the server closes its sending side and records whatever else the
// client sends until it closes too.
class Connection {
public:
    explicit Connection(SOCKET socket) : socket_(socket) {}

    const std::string& Received() const { return received_; }
    bool Send(std::string_view bytes) {
        while (!bytes.empty()) {
            const int sent =
                send(socket_, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 65536)), 0);
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

inline std::string Response(std::string_view status, std::string_view body, std::string_view extraHeaders = "") {
    return "HTTP/1.1 " + std::string(status) +
           "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           std::string(extraHeaders) + "Connection: close\r\n\r\n" + std::string(body);
}

inline LoopbackServer::Handler Answer(std::string response) {
    return [response](Connection& connection) { connection.Send(response); };
}

// A loopback port on which nobody listens: it was free a moment ago.
inline WORD UnusedLoopbackPort() {
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    WORD port = 0;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    closesocket(probe);
    WSACleanup();
    return port;
}

} // namespace vx::test

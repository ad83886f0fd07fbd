#pragma once

#include <CivetServer.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace webtest {

// A handler whose operations run the test's functions (unset ones are not handled).
class FunctionHandler : public CivetHandler {
public:
    using Operation = std::function<bool(mg_connection*)>;

    Operation get;
    Operation post;
    Operation options;

    bool handleGet(CivetServer*, mg_connection* connection) override {
        return get ? get(connection) : false;
    }
    bool handlePost(CivetServer*, mg_connection* connection) override {
        return post ? post(connection) : false;
    }
    bool handleOptions(CivetServer*, mg_connection* connection) override {
        return options ? options(connection) : false;
    }
};

// A web server in the test process on a free loopback port, with CivetWeb's own preflight
// answer switched off (as the service does) so that handlers answer OPTIONS themselves.
class TestServer {
public:
    TestServer() {
        const char* options[] = {"listening_ports",
                                 "127.0.0.1:0",
                                 "num_threads",
                                 "2",
                                 "access_control_allow_methods",
                                 "",
                                 "request_timeout_ms",
                                 "5000",
                                 nullptr};
        server_ = std::make_unique<CivetServer>(options);
        const std::vector<int> ports = server_->getListeningPorts();
        if (ports.empty() || ports[0] == 0) {
            throw std::runtime_error("test server has no port");
        }
        port_ = ports[0];
    }
    ~TestServer() { server_->close(); }

    void add(const char* uri, CivetHandler& handler) { server_->addHandler(uri, handler); }
    int port() const { return port_; }

    // Sends `raw` on a new connection and returns everything the server sends until it closes
    // the connection (or 10 s pass without a byte).
    std::string exchange(const std::string& raw) const {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0) {
            throw std::runtime_error("socket");
        }
        timeval timeout{10, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            throw std::runtime_error("connect");
        }
        std::size_t sent = 0;
        while (sent < raw.size()) {
            const ssize_t n = ::send(fd, raw.data() + sent, raw.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                break;  // the server may refuse a body it does not read
            }
            sent += static_cast<std::size_t>(n);
        }
        std::string answer;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return answer;
    }

private:
    std::unique_ptr<CivetServer> server_;
    int port_ = 0;
};

}  // namespace webtest

#pragma once

#include <CivetServer.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <rapidjson/document.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// One HTTP answer as the client saw it.
struct HttpAnswer {
    int status = 0;  // 0 when no status line came
    std::string head;
    std::string body;
    rapidjson::Document json;  // parsed body (HasParseError when it is not JSON)

    // The value of a header (first match, name compared case-insensitively), "" when absent.
    std::string header(const std::string& name) const {
        std::size_t at = head.find("\r\n");
        while (at != std::string::npos && at + 2 < head.size()) {
            std::size_t end = head.find("\r\n", at + 2);
            std::string line = head.substr(at + 2, end - at - 2);
            std::size_t colon = line.find(':');
            if (colon != std::string::npos &&
                strcasecmp(line.substr(0, colon).c_str(), name.c_str()) == 0) {
                std::size_t value = line.find_first_not_of(' ', colon + 1);
                return value == std::string::npos ? "" : line.substr(value);
            }
            at = end;
        }
        return "";
    }
    std::string text(const char* member) const {
        if (!json.IsObject() || !json.HasMember(member) || !json[member].IsString()) {
            return "<absent>";
        }
        return std::string(json[member].GetString(), json[member].GetStringLength());
    }
    std::string statusName() const { return text("status"); }
};

// An in-process web server on a free loopback port with the handlers a test registers, set up
// like the service's (five workers, the handlers' own preflight answer).
class TestServer {
public:
    TestServer() {
        std::vector<std::string> options = {"listening_ports",
                                            "127.0.0.1:0",
                                            "num_threads",
                                            "5",
                                            "access_control_allow_methods",
                                            "",
                                            "enable_keep_alive",
                                            "no"};
        server_ = std::make_unique<CivetServer>(options);
        std::vector<int> ports = server_->getListeningPorts();
        port_ = ports.empty() ? 0 : ports.front();
    }
    ~TestServer() { stop(); }
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    void add(const std::string& route, CivetHandler* handler) {
        server_->addHandler(route, handler);
    }
    // Stops serving; afterwards the handlers may go.
    void stop() { server_->close(); }
    int port() const { return port_; }

    // Sends `raw` as the whole request and reads the answer until the server closes.
    HttpAnswer send(const std::string& raw) const {
        HttpAnswer answer;
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            if (fd >= 0) {
                ::close(fd);
            }
            return answer;
        }
        std::size_t sent = 0;
        while (sent < raw.size()) {
            ssize_t n = ::send(fd, raw.data() + sent, raw.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
        std::string all;
        char buffer[4096];
        for (;;) {
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            all.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        std::size_t split = all.find("\r\n\r\n");
        answer.head = all.substr(0, split);
        answer.body = split == std::string::npos ? "" : all.substr(split + 4);
        if (answer.head.rfind("HTTP/1.1 ", 0) == 0) {
            answer.status = std::atoi(answer.head.c_str() + 9);
        }
        answer.json.Parse(answer.body.c_str(), answer.body.size());
        return answer;
    }

    // A request with the given method, target ("/1.0/lock?session_id=…") and optional body.
    HttpAnswer request(const std::string& method, const std::string& target,
                       const std::string& body = std::string(),
                       const std::string& extraHeaders = std::string()) const {
        std::string raw = method + " " + target +
                          " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) +
                          "\r\nConnection: close\r\n" + extraHeaders;
        if (!body.empty()) {
            raw +=
                "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\n";
        }
        raw += "\r\n" + body;
        return send(raw);
    }

private:
    std::unique_ptr<CivetServer> server_;
    int port_ = 0;
};

}  // namespace testsupport

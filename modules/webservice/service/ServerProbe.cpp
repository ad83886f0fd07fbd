#include "service/ServerProbe.h"

#include <fcntl.h>
#include <netdb.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

namespace lensws {

namespace {

using Clock = std::chrono::steady_clock;

struct Entry {
    std::string host;
    int port = 0;
    bool tls = false;
    bool redirect = false;
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// One listening-port entry; port 0 when it cannot be read.
Entry parseEntry(std::string text) {
    Entry entry;
    if (!text.empty() && (text.back() == 's' || text.back() == 'r')) {
        entry.tls = text.back() == 's';
        entry.redirect = text.back() == 'r';
        text.pop_back();
    }
    if (!text.empty() && text.front() == '+') {
        text.erase(0, 1);
    }
    std::string address;
    const auto colon = text.rfind(':');
    if (colon != std::string::npos) {
        address = text.substr(0, colon);
        text.erase(0, colon + 1);
    }
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 5) {
        return entry;
    }
    entry.port = std::atoi(text.c_str());
    if (entry.port > 65535) {
        entry.port = 0;
    }
    if (address.empty() || address == "0.0.0.0") {
        entry.host = "127.0.0.1";
    } else if (address == "::") {
        entry.host = "::1";
    } else {
        entry.host = address;
    }
    return entry;
}

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// The time left until `deadline` as a socket time-out; at least a millisecond.
timeval timeLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    const long long micros = left.count() > 1000 ? left.count() : 1000;
    return timeval{static_cast<time_t>(micros / 1000000),
                   static_cast<suseconds_t>(micros % 1000000)};
}

// Connects within the deadline; the socket is left blocking, with send and receive time-outs
// of the time that is left.
bool connectBy(const Socket& socket, const addrinfo& address, Clock::time_point deadline) {
    const int flags = fcntl(socket.fd(), F_GETFL);
    if (flags < 0 || fcntl(socket.fd(), F_SETFL, flags | O_NONBLOCK) < 0) {
        return false;
    }
    if (connect(socket.fd(), address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            return false;
        }
        pollfd waiting{socket.fd(), POLLOUT, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        int error = 0;
        socklen_t length = sizeof error;
        if (left.count() <= 0 || poll(&waiting, 1, static_cast<int>(left.count())) != 1 ||
            getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            return false;
        }
    }
    if (fcntl(socket.fd(), F_SETFL, flags) < 0) {
        return false;
    }
    const timeval left = timeLeft(deadline);
    return setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &left, sizeof left) == 0 &&
           setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &left, sizeof left) == 0;
}

constexpr char kRequest[] = "GET /1.0/info HTTP/1.0\r\n\r\n";
// "HTTP/1.x 200": an answer from a worker.
constexpr std::size_t kStatusLength = 12;

bool isSuccess(const char* status) {
    return std::strncmp(status, "HTTP/1.", 7) == 0 && std::strncmp(status + 8, " 200", 4) == 0;
}

// Sends the request and reads the status through `send` and `receive` (plain or TLS).
template <class Send, class Receive>
bool exchange(Send send, Receive receive) {
    if (send(kRequest, sizeof kRequest - 1) != static_cast<int>(sizeof kRequest - 1)) {
        return false;
    }
    char status[kStatusLength + 1] = {};
    std::size_t have = 0;
    while (have < kStatusLength) {
        const int got = receive(status + have, kStatusLength - have);
        if (got <= 0) {
            return false;
        }
        have += static_cast<std::size_t>(got);
    }
    return isSuccess(status);
}

bool plainExchange(const Socket& socket) {
    return exchange(
        [&](const char* bytes, std::size_t n) {
            return static_cast<int>(::send(socket.fd(), bytes, n, MSG_NOSIGNAL));
        },
        [&](char* bytes, std::size_t n) {
            return static_cast<int>(::recv(socket.fd(), bytes, n, 0));
        });
}

bool tlsExchange(const Socket& socket) {
    const std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(
        SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    if (!context) {
        return false;
    }
    // The service's own certificate is not checked: the probe asks whether a worker answers.
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_NONE, nullptr);
    const std::unique_ptr<SSL, decltype(&SSL_free)> tls(SSL_new(context.get()), SSL_free);
    if (!tls || SSL_set_fd(tls.get(), socket.fd()) != 1 || SSL_connect(tls.get()) != 1) {
        return false;
    }
    const bool answered =
        exchange([&](const char* bytes,
                     std::size_t n) { return SSL_write(tls.get(), bytes, static_cast<int>(n)); },
                 [&](char* bytes, std::size_t n) {
                     return SSL_read(tls.get(), bytes, static_cast<int>(n));
                 });
    SSL_shutdown(tls.get());
    return answered;
}

}  // namespace
ServerProbe::ServerProbe(const std::string& listeningPorts) {
    std::istringstream entries(listeningPorts);
    std::string text;
    Entry chosen;
    while (std::getline(entries, text, ',')) {
        const Entry entry = parseEntry(trimmed(text));
        if (entry.port == 0 || entry.redirect) {
            continue;
        }
        if (chosen.port == 0 || (chosen.tls && !entry.tls)) {
            chosen = entry;
        }
    }
    host_ = chosen.host;
    port_ = chosen.port;
    tls_ = chosen.tls;
}

bool ServerProbe::answers(std::chrono::milliseconds timeout) const {
    if (!valid()) {
        return false;
    }
    const Clock::time_point deadline = Clock::now() + timeout;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host_.c_str(), std::to_string(port_).c_str(), &hints, &found) != 0) {
        return false;
    }
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, freeaddrinfo);
    const Socket socket(
        ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol));
    if (socket.fd() < 0 || !connectBy(socket, *found, deadline)) {
        return false;
    }
    return tls_ ? tlsExchange(socket) : plainExchange(socket);
}

}  // namespace lensws

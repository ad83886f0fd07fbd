#include "simulator/ControlServer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "simulator/DeviceDirectory.h"

namespace ocusim {

namespace {
constexpr std::size_t kMaxLine = 1024;
}

ControlServer::~ControlServer() {
    for (Client& client : clients_) {
        ::close(client.fd);
    }
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(path_.c_str());
    }
}

bool ControlServer::open(std::string& error) {
    listener_ = listenUnix(path_, SOCK_STREAM, error);
    return listener_ >= 0;
}

void ControlServer::collect(PollList& list) {
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                  [](const Client& client) {
                                      if (client.closing && client.output.empty()) {
                                          ::close(client.fd);
                                          return true;
                                      }
                                      return false;
                                  }),
                   clients_.end());
    if (listener_ >= 0) {
        list.add(listener_, POLLIN, [this](short) { accept(); });
    }
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        const int fd = clients_[i].fd;
        const short events = clients_[i].closing          ? POLLOUT
                             : clients_[i].output.empty() ? POLLIN
                                                          : (POLLIN | POLLOUT);
        list.add(fd, events, [this, fd](short revents) {
            for (Client& client : clients_) {
                if (client.fd == fd) {
                    serve(client, revents);
                    return;
                }
            }
        });
    }
}

void ControlServer::accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        Client client;
        client.fd = fd;
        clients_.push_back(std::move(client));
    }
}

void ControlServer::serve(Client& client, short revents) {
    if (!client.closing && (revents & (POLLIN | POLLHUP | POLLERR))) {
        char buffer[1024];
        for (;;) {
            const ssize_t count = ::recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                break;
            }
            if (count <= 0) {
                client.closing = true;
                client.output.clear();
                return;
            }
            client.input.append(buffer, static_cast<std::size_t>(count));
        }
        for (std::size_t end = client.input.find('\n'); end != std::string::npos;
             end = client.input.find('\n')) {
            std::string line = client.input.substr(0, end);
            client.input.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            client.output += commands_.execute(line, Clock::now()) + "\n";
        }
        if (client.input.size() > kMaxLine) {
            client.output += "error line too long\n";
            client.input.clear();
            client.closing = true;
        }
    }
    while (!client.output.empty()) {
        const ssize_t sent = ::send(client.fd, client.output.data(), client.output.size(),
                                    MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            break;
        }
        if (sent < 0) {
            client.output.clear();
            client.closing = true;
            break;
        }
        client.output.erase(0, static_cast<std::size_t>(sent));
    }
}

}  // namespace ocusim

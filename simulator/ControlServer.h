#pragma once

#include <string>
#include <vector>

#include "simulator/ControlCommands.h"
#include "simulator/PollList.h"

namespace ocusim {

// The control socket: a Unix stream socket taking any number of clients, each sending lines that
// ControlCommands answers, one line each. A line longer than 1 KiB ends its client's connection.
// The socket is removed when the server is destroyed. Single-threaded.
class ControlServer {
public:
    ControlServer(std::string path, ControlCommands& commands)
        : path_(std::move(path)), commands_(commands) {}
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    bool open(std::string& error);
    void collect(PollList& list);
    const std::string& path() const { return path_; }

private:
    struct Client {
        int fd = -1;
        std::string input;
        std::string output;
        bool closing = false;
    };

    void accept();
    void serve(Client& client, short revents);

    std::string path_;
    ControlCommands& commands_;
    int listener_ = -1;
    std::vector<Client> clients_;
};

}  // namespace ocusim

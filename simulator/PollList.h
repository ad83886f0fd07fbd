#pragma once

#include <poll.h>

#include <functional>
#include <vector>

namespace ocusim {

// The descriptors one round of the event loop waits for, each with what to do when it is ready.
class PollList {
public:
    using Handler = std::function<void(short revents)>;

    void add(int fd, short events, Handler handler);
    // Waits at most `timeoutMs` (-1: without limit); false when poll itself failed (not EINTR).
    bool wait(int timeoutMs);
    // Calls the handler of every descriptor that became ready.
    void dispatch();

private:
    std::vector<pollfd> fds_;
    std::vector<Handler> handlers_;
};

}  // namespace ocusim

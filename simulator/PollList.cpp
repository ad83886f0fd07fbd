#include "simulator/PollList.h"

#include <cerrno>

namespace ocusim {

void PollList::add(int fd, short events, Handler handler) {
    fds_.push_back(pollfd{fd, events, 0});
    handlers_.push_back(std::move(handler));
}

bool PollList::wait(int timeoutMs) {
    const int ready = ::poll(fds_.data(), fds_.size(), timeoutMs);
    if (ready < 0) {
        for (pollfd& entry : fds_) {
            entry.revents = 0;
        }
        return errno == EINTR;
    }
    return true;
}

void PollList::dispatch() {
    for (std::size_t i = 0; i < fds_.size(); ++i) {
        if (fds_[i].revents != 0) {
            handlers_[i](fds_[i].revents);
        }
    }
}

}  // namespace ocusim

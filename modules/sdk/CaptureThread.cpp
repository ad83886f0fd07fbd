#include "sdk/CaptureThread.h"

#include <system_error>

namespace sdk {

CaptureThread::~CaptureThread() {
    if (!thread_.joinable()) {
        return;
    }
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

// The gate is always taken before threadMutex_ (abandon runs inside a callback, gate held).
bool CaptureThread::start(std::function<void()> body) {
    std::lock_guard<std::recursive_mutex> gate(gate_);
    std::lock_guard<std::mutex> lock(threadMutex_);
    if (thread_.joinable()) {
        return false;
    }
    abandoned_ = false;
    ended_.reset();
    running_.store(true);
    try {
        thread_ = std::thread([this, work = std::move(body)]() { run(work); });
    } catch (const std::system_error&) {
        running_.store(false);
        ended_.set();
        return false;
    }
    return true;
}

// `body` holds the shared reference that keeps the device, and with it this record, alive
// until the thread's function object is destroyed, after the event is set.
void CaptureThread::run(const std::function<void()>& body) {
    id_.store(std::this_thread::get_id());
    body();
    running_.store(false);
    id_.store(std::thread::id());
    ended_.set();
}

bool CaptureThread::isCurrent() const {
    return id_.load() == std::this_thread::get_id();
}

void CaptureThread::joinEnded() {
    std::thread ended;
    {
        std::lock_guard<std::mutex> lock(threadMutex_);
        ended = std::move(thread_);
    }
    if (ended.joinable()) {
        ended.join();
    }
}

void CaptureThread::join() {
    if (isCurrent()) {
        return;
    }
    ended_.wait(platform::Event::kInfinite);
    joinEnded();
}

void CaptureThread::finish(std::uint32_t milliseconds) {
    if (!isCurrent() && ended_.wait(milliseconds) == platform::Event::WaitResult::Signalled) {
        joinEnded();
        return;
    }
    abandon();
}

void CaptureThread::abandon() {
    running_.store(false);
    std::lock_guard<std::recursive_mutex> gate(gate_);
    abandoned_ = true;
    std::lock_guard<std::mutex> lock(threadMutex_);
    if (thread_.joinable()) {
        thread_.detach();
    }
}

void CaptureThread::callBack(const std::function<void()>& deliver) {
    std::lock_guard<std::recursive_mutex> gate(gate_);
    if (!abandoned_) {
        deliver();
    }
}

}  // namespace sdk

#pragma once

// The thread record of a device's capture: the thread, its running flag, the event it sets
// when it has ended, and the gate through which it calls the capture callback.
//
// Waiting for the thread never joins the thread that waits (a callback may stop or close the
// capture it is called from) and never kills a thread. When device teardown gives up waiting
// (see finish), the thread is abandoned: it makes no further callback, and it touches only the
// device, which it co-owns through the shared pointer its body holds, so it can run on
// undisturbed until its current command fails on the closed transport.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/Event.h"

namespace sdk {

class CaptureThread {
public:
    CaptureThread() = default;
    // Joins a thread left joinable (detaches it when destroyed on that very thread); the owner
    // normally has joined or abandoned it before.
    ~CaptureThread();
    CaptureThread(const CaptureThread&) = delete;
    CaptureThread& operator=(const CaptureThread&) = delete;

    // Starts `body` on a new thread with the running flag set. False when no thread could be
    // started or a thread started before has not been joined yet.
    bool start(std::function<void()> body);

    // The running flag: set by start, cleared by the thread or by a stop request.
    bool running() const { return running_.load(); }
    void requestStop() { running_.store(false); }

    // True on the capture thread itself.
    bool isCurrent() const;

    // Waits without limit for the thread to end and joins it. Does nothing when there is no
    // thread, and returns at once on the thread itself (it ends once its callback returns).
    void join();

    // Teardown: waits up to `milliseconds` for the thread to end and joins it. When it has not
    // ended by then, or when called on the thread itself, the thread is abandoned: the gate is
    // closed (waiting for a callback in progress to return, since the caller may free the
    // callback's context afterwards) and the thread is detached.
    void finish(std::uint32_t milliseconds);

    // Calls `deliver` unless the thread was abandoned; serialised against abandonment. Used by
    // the thread for every callback.
    void callBack(const std::function<void()>& deliver);

private:
    void run(const std::function<void()>& body);
    void joinEnded();
    void abandon();

    std::mutex threadMutex_;
    std::thread thread_;  // guarded by threadMutex_; moved out before it is joined
    // The running thread's id, published by the thread itself and cleared when it ends, so a
    // later thread that reuses the id is not taken for it.
    std::atomic<std::thread::id> id_{};
    std::atomic<bool> running_{false};
    platform::Event ended_{true, true};  // set while no thread runs
    // Held by the thread across each callback. Recursive because a callback may close its own
    // device, which abandons the thread from within the gate.
    std::recursive_mutex gate_;
    bool abandoned_ = false;  // guarded by gate_
};

}  // namespace sdk

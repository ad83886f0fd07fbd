#pragma once

// A test that runs the service body: OCUSERVICE_HOME points at a fresh temporary home for the
// test's length (the previous value comes back afterwards), the stop flag starts false, and
// the signal handlers the service installed are put back to their defaults.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <string>

#include "service/StopFlag.h"
#include "support/TempDir.h"

namespace lensws::testing {

class ServiceHomeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const char* saved = std::getenv("OCUSERVICE_HOME");
        hadHome_ = saved != nullptr;
        savedHome_ = saved ? saved : "";
        setenv("OCUSERVICE_HOME", home.path().c_str(), 1);
        stopRequested = false;
    }
    void TearDown() override {
        hadHome_ ? setenv("OCUSERVICE_HOME", savedHome_.c_str(), 1) : unsetenv("OCUSERVICE_HOME");
        for (int signal : {SIGINT, SIGILL, SIGFPE, SIGSEGV, SIGTERM}) {
            std::signal(signal, SIG_DFL);
        }
        stopRequested = false;
    }

    testsupport::TempDir home;

private:
    bool hadHome_ = false;
    std::string savedHome_;
};

}  // namespace lensws::testing

// A system for tests: the real backend, with a clock that runs fast and can be pushed across the
// 32-bit wrap, and a fixed local time and executable path when a test needs them.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace rvs::test {

// Thread-safe: monitor threads read the clock and sleep while the test adjusts it.
class TestSystem : public platform::SystemWrapper {
public:
    TestSystem();

    // start + real elapsed ms × speed + everything advance() added, modulo 2^32.
    uint32_t tickCount() override;
    // Sleeps ms / speed of real time; a sleep that comes to nothing only yields.
    void sleep(uint32_t milliseconds) override;
    platform::LocalTime localTime() override;
    // Test paths are written with '/', which Windows takes as well; the Win32 backend's own '\\'
    // is exercised by the program that loads the DLL (tests/windows_dll).
    char16_t pathSeparator() const override { return u'/'; }
    size_t executablePath(char* out, size_t capacity) override;
    // Threads keep normal priority: with a fast clock a monitor's short sleeps become yields,
    // and a busy thread raised above the rest could starve the test on a loaded machine.
    std::unique_ptr<platform::Thread> startThread(std::function<void()> body) override;

    // Restarts the clock from `tick` (e.g. 0xFFFFF000 to cross the wrap soon).
    void setTickCount(uint32_t tick);
    // Virtual milliseconds per real millisecond, at least 1; the clock stays continuous.
    void setSpeed(uint32_t speed);
    void advance(uint32_t milliseconds);
    void setLocalTime(const platform::LocalTime& time);
    void setExecutablePath(std::string path);

private:
    using Clock = std::chrono::steady_clock;
    // REQUIRES: lock_ held.
    uint64_t virtualNow(Clock::time_point now) const;

    std::mutex lock_;
    uint64_t base_ = 0;                 // virtual ms at anchor_
    Clock::time_point anchor_;
    uint32_t speed_ = 1;
    std::optional<platform::LocalTime> localTime_;
    std::optional<std::string> executablePath_;
};

// Installs a TestSystem for its lifetime and puts back what was installed before.
class ScopedTestSystem {
public:
    ScopedTestSystem();
    ~ScopedTestSystem();
    ScopedTestSystem(const ScopedTestSystem&) = delete;
    ScopedTestSystem& operator=(const ScopedTestSystem&) = delete;

    TestSystem& system() { return system_; }
    TestSystem* operator->() { return &system_; }

private:
    TestSystem system_;
    platform::System* previous_;
};

}  // namespace rvs::test

#include "support/test_system.h"

#include <thread>

namespace rvs::test {
namespace {

class NormalPriorityThread final : public platform::Thread {
public:
    explicit NormalPriorityThread(std::unique_ptr<platform::Thread> inner) : inner_(std::move(inner)) {}
    void join() override { inner_->join(); }
    uint32_t id() const override { return inner_->id(); }
    bool raiseToTimeCritical() override { return true; }

private:
    std::unique_ptr<platform::Thread> inner_;
};

}  // namespace

TestSystem::TestSystem() : SystemWrapper(&platform::defaultSystem()), anchor_(Clock::now()) {
    base_ = target()->tickCount();
}

uint64_t TestSystem::virtualNow(Clock::time_point now) const {
    auto elapsedUs = std::chrono::duration_cast<std::chrono::microseconds>(now - anchor_).count();
    return base_ + static_cast<uint64_t>(elapsedUs) * speed_ / 1000;
}

uint32_t TestSystem::tickCount() {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<uint32_t>(virtualNow(Clock::now()));
}

void TestSystem::sleep(uint32_t milliseconds) {
    uint32_t speed;
    {
        std::lock_guard<std::mutex> hold(lock_);
        speed = speed_;
    }
    auto real = std::chrono::microseconds(uint64_t{milliseconds} * 1000 / speed);
    if (real.count() == 0) {
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(real);
    }
}

platform::LocalTime TestSystem::localTime() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (localTime_) return *localTime_;
    }
    return target()->localTime();
}

size_t TestSystem::executablePath(char* out, size_t capacity) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (executablePath_) return platform::copyCut(*executablePath_, out, capacity);
    }
    return target()->executablePath(out, capacity);
}

std::unique_ptr<platform::Thread> TestSystem::startThread(std::function<void()> body) {
    std::unique_ptr<platform::Thread> thread = target()->startThread(std::move(body));
    if (!thread) return nullptr;
    return std::make_unique<NormalPriorityThread>(std::move(thread));
}

void TestSystem::setTickCount(uint32_t tick) {
    std::lock_guard<std::mutex> hold(lock_);
    base_ = tick;
    anchor_ = Clock::now();
}

void TestSystem::setSpeed(uint32_t speed) {
    std::lock_guard<std::mutex> hold(lock_);
    Clock::time_point now = Clock::now();
    base_ = virtualNow(now);
    anchor_ = now;
    speed_ = speed < 1 ? 1 : speed;
}

void TestSystem::advance(uint32_t milliseconds) {
    std::lock_guard<std::mutex> hold(lock_);
    base_ += milliseconds;
}

void TestSystem::setLocalTime(const platform::LocalTime& time) {
    std::lock_guard<std::mutex> hold(lock_);
    localTime_ = time;
}

void TestSystem::setExecutablePath(std::string path) {
    std::lock_guard<std::mutex> hold(lock_);
    executablePath_ = std::move(path);
}

ScopedTestSystem::ScopedTestSystem() : previous_(&platform::system()) { platform::setSystem(&system_); }

ScopedTestSystem::~ScopedTestSystem() {
    platform::setSystem(previous_ == &platform::defaultSystem() ? nullptr : previous_);
}

}  // namespace rvs::test

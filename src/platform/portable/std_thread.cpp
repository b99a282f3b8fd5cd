#include "platform/portable/std_thread.h"

#include <cerrno>
#include <future>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace rvs::platform::portable {
namespace {

// Highest priority of the normal scheduling class: like THREAD_PRIORITY_TIME_CRITICAL, which
// stays below the real-time class. A real-time policy could starve the process's other threads.
constexpr int kTimeCriticalNice = -20;

struct ThreadState {
    std::mutex lock;
    bool finished = false;  // GUARDED_BY(lock): the kernel id may be reused from then on
    uint32_t id = 0;
};

class StdThread final : public Thread {
public:
    StdThread(std::thread thread, std::shared_ptr<ThreadState> state)
        : thread_(std::move(thread)), state_(std::move(state)) {}
    ~StdThread() override {
        if (thread_.joinable()) thread_.join();
    }

    void join() override {
        if (thread_.joinable()) thread_.join();
    }

    uint32_t id() const override { return state_->id; }

    // Raising a thread above the default needs privilege (CAP_SYS_NICE or RLIMIT_NICE) that a
    // host process rarely has, and there is no unprivileged equivalent; the thread then runs at
    // normal priority, which only makes its polling less punctual, so a refusal counts as done.
    bool raiseToTimeCritical() override {
        std::lock_guard<std::mutex> hold(state_->lock);
        if (state_->finished) return false;
        if (::setpriority(PRIO_PROCESS, static_cast<id_t>(state_->id), kTimeCriticalNice) == 0) return true;
        return errno == EPERM || errno == EACCES;
    }

private:
    std::thread thread_;
    std::shared_ptr<ThreadState> state_;
};

}  // namespace

uint32_t currentKernelThreadId() { return static_cast<uint32_t>(::gettid()); }

std::unique_ptr<Thread> startStdThread(std::function<void()> body) {
    auto state = std::make_shared<ThreadState>();
    std::promise<uint32_t> started;
    std::future<uint32_t> startedId = started.get_future();
    std::thread thread;
    try {
        thread = std::thread([state, started = std::move(started), body = std::move(body)]() mutable {
            started.set_value(currentKernelThreadId());
            body();
            std::lock_guard<std::mutex> hold(state->lock);
            state->finished = true;
        });
    } catch (...) {
        return nullptr;
    }
    // The id is known before the caller gets the thread, as with CreateThread.
    state->id = startedId.get();
    return std::make_unique<StdThread>(std::move(thread), std::move(state));
}

}  // namespace rvs::platform::portable

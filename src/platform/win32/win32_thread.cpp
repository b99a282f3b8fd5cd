#include "platform/win32/win32_thread.h"

#include <windows.h>

namespace rvs::platform::win32 {
namespace {

DWORD WINAPI threadMain(LPVOID argument) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return 0;
}

class Win32Thread final : public Thread {
public:
    Win32Thread(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
    ~Win32Thread() override {
        join();
        CloseHandle(handle_);
    }
    Win32Thread(const Win32Thread&) = delete;
    Win32Thread& operator=(const Win32Thread&) = delete;

    void join() override {
        if (joined_) return;
        WaitForSingleObject(handle_, INFINITE);
        joined_ = true;
    }

    uint32_t id() const override { return id_; }

    bool raiseToTimeCritical() override { return SetThreadPriority(handle_, THREAD_PRIORITY_TIME_CRITICAL) != FALSE; }

private:
    HANDLE handle_;
    DWORD id_;
    bool joined_ = false;
};

}  // namespace

std::unique_ptr<Thread> startWin32Thread(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    DWORD id = 0;
    HANDLE handle = CreateThread(nullptr, 0, threadMain, owned.get(), 0, &id);
    if (handle == nullptr) return nullptr;
    owned.release();  // the thread deletes it
    return std::make_unique<Win32Thread>(handle, id);
}

}  // namespace rvs::platform::win32

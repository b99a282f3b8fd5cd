// A monitored session on a fast clock for the printing and paper commands, with the transfer
// files the library made and deleted, the virtual printer's behaviour and timings, and the
// virtual time a call took.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/driver_state.h"
#include "status/status_fixture.h"

namespace rvs::test {

// Records the transfer files the library asks for and the files it deletes.
class FileRecorder : public platform::SystemWrapper {
public:
    explicit FileRecorder(platform::System* target) : SystemWrapper(target) {}
    bool createTransferFileName(std::u16string* path) override {
        const bool made = SystemWrapper::createTransferFileName(path);
        if (made) {
            std::lock_guard<std::mutex> hold(mutex_);
            created_.push_back(*path);
        }
        return made;
    }
    bool deleteFile(const std::u16string& path) override {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            ++deletes_[path];
        }
        return SystemWrapper::deleteFile(path);
    }
    std::vector<std::u16string> created() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return created_;
    }
    int deletes(const std::u16string& path) const {
        std::lock_guard<std::mutex> hold(mutex_);
        auto it = deletes_.find(path);
        return it == deletes_.end() ? 0 : it->second;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::u16string> created_;
    std::map<std::u16string, int> deletes_;
};

class MediaFixture : public StatusFixture {
protected:
    // Virtual milliseconds per real one: a statement's movements take tens of real milliseconds.
    static constexpr uint32_t kSpeed = 10;
    // While a call runs into a limit of seconds: the limit passes in tens of real milliseconds.
    // Under Wine every wake-up also waits for the wineserver, which on a loaded machine can add
    // tens of real milliseconds, more than such a limit's margin: there limits run at kSpeed.
#ifdef _WIN32
    static constexpr uint32_t kLimitSpeed = kSpeed;
#else
    static constexpr uint32_t kLimitSpeed = 100;
#endif

    MediaFixture() : files(&clock.system()) {
        clock->setSpeed(kSpeed);
        platform::setSystem(&files);
    }
    ~MediaFixture() override {
        if (handle != nullptr) {
            RvStatementClose(handle);
            handle = nullptr;
        }
        platform::setSystem(&clock.system());
    }

    // Changes the virtual printer's behaviour (sim/paper_path.h).
    void behave(const std::function<void(sim::MediaBehaviour&)>& change) {
        device->update([&](sim::DriverState& d) { change(d.paper.behaviour); });
    }
    template <class Read>
    auto printer(Read read) {
        return device->update([&](sim::DriverState& d) { return read(d); });
    }

    // Changes the device once `ready` holds for the driver's state, looked at on every call.
    void whenPrinter(std::function<bool(sim::DriverState&)> ready, std::function<void(sim::DriverState&)> change) {
        device->schedule(0, [this, ready, change](sim::Device& d) {
            const bool done = d.update([&](sim::DriverState& s) {
                if (!ready(s)) return false;
                change(s);
                return true;
            });
            if (!done) whenPrinter(ready, change);
        });
    }
    // Changes the device once the driver has read a transfer file.
    void afterDataReceived(std::function<void(sim::DriverState&)> change) {
        whenPrinter([](sim::DriverState& s) { return !s.paper.received.empty(); }, std::move(change));
    }
    // Changes the device once a movement was asked for (its paper is on its way).
    void afterMovementRequest(std::function<void(sim::DriverState&)> change) {
        whenPrinter([](sim::DriverState& s) { return s.paper.transport != 0; }, std::move(change));
    }

    uint32_t now() { return clock->tickCount(); }
    // Runs `call` and gives the virtual milliseconds it took.
    template <class Call>
    uint32_t timed(Call call) {
        const uint32_t start = now();
        call();
        return now() - start;
    }

    // This thread's exchanges, with each run of "GetPrinterStatus" polls shown once.
    std::vector<std::u16string> callerRequests() {
        std::vector<std::u16string> names = callerExchanges();
        names.erase(std::unique(names.begin(), names.end(),
                                [](const std::u16string& a, const std::u16string& b) {
                                    return a == b && a == u"GetPrinterStatus";
                                }),
                    names.end());
        return names;
    }
    // This thread's exchanges of `name`.
    std::vector<sim::Exchange> callerExchangesOf(const std::u16string& name) {
        const uint32_t self = platform::system().currentThreadId();
        std::vector<sim::Exchange> found;
        for (const sim::Exchange& e : spooler->exchanges()) {
            if (e.threadId == self && e.name == name) found.push_back(e);
        }
        return found;
    }

    // The trace lines of the last call of function `fn`, without the monitor's status changes.
    std::vector<std::string> lines(int fn) {
        std::vector<std::string> own;
        for (const std::string& line : callTrace(fn)) {
            if (line.rfind("[TRACE:5003]", 0) != 0 && line.rfind("[STS:", 0) != 0) own.push_back(line);
        }
        return own;
    }

    FileRecorder files;
};

inline std::u16string fromBytes(const std::vector<uint8_t>& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return text;
}

}  // namespace rvs::test

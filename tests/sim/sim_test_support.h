// Helpers for the virtual printer's own tests: a clock that moves only when told to, and a
// one-call view of a printer-data get.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "sim/virtual_printer.h"

namespace rvs::sim::testing {

// The real system with a tick count that stands still; sleep advances it instead of waiting.
class ManualClock : public platform::SystemWrapper {
public:
    explicit ManualClock(uint32_t start = 1000) : SystemWrapper(&platform::defaultSystem()), now_(start) {
        previous_ = &platform::system();
        platform::setSystem(this);
    }
    ~ManualClock() override {
        platform::setSystem(previous_ == &platform::defaultSystem() ? nullptr : previous_);
    }
    uint32_t tickCount() override { return now_.load(); }
    void sleep(uint32_t milliseconds) override {
        now_.fetch_add(milliseconds);
        sleeps_.fetch_add(1);
    }
    void set(uint32_t tick) { now_.store(tick); }
    void advance(uint32_t milliseconds) { now_.fetch_add(milliseconds); }
    int sleeps() const { return sleeps_.load(); }

private:
    std::atomic<uint32_t> now_;
    std::atomic<int> sleeps_{0};
    platform::System* previous_ = nullptr;
};

struct GetResult {
    uint32_t error = 0;
    uint32_t type = 0;
    uint32_t needed = 0;
    std::vector<uint8_t> bytes;  // the whole caller buffer after the call
};

inline GetResult get(platform::Spooler& spooler, platform::PrinterHandle handle, const std::u16string& name,
                     uint32_t size, uint8_t fill = 0xEE) {
    GetResult r;
    r.bytes.assign(size, fill);
    r.needed = 0xFFFFFFFF;
    r.error = spooler.getPrinterData(handle, name.c_str(), &r.type, r.bytes.data(), size, &r.needed);
    return r;
}

inline uint32_t set(platform::Spooler& spooler, platform::PrinterHandle handle, const std::u16string& name,
                    uint32_t type, std::vector<uint8_t> bytes) {
    return spooler.setPrinterData(handle, name.c_str(), type, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

inline std::vector<uint8_t> le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

inline std::vector<std::u16string> names(const std::vector<Exchange>& log) {
    std::vector<std::u16string> out;
    for (const Exchange& e : log) out.push_back(e.name);
    return out;
}

// A virtual printer with one open printer named "P".
class SimTest : public ::testing::Test {
protected:
    void open(Profile profile) {
        device_ = &printer_.addPrinter(u"P", profile);
        ASSERT_TRUE(printer_.openPrinter(u"P", &handle_));
    }
    void SetUp() override { open(Profile::korvelin()); }
    GetResult get(const std::u16string& name, uint32_t size) { return testing::get(printer_, handle_, name, size); }
    uint32_t set(const std::u16string& name, uint32_t type, std::vector<uint8_t> bytes) {
        return testing::set(printer_, handle_, name, type, std::move(bytes));
    }

    ManualClock clock_;
    VirtualPrinter printer_;
    Device* device_ = nullptr;
    platform::PrinterHandle handle_ = nullptr;
};

}  // namespace rvs::sim::testing

// The driver version at open: only a device mode that cannot be sized fails the open; a driver
// that refuses to fill it, or whose device mode is short, opens with version 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "platform/platform.h"
#include "support/session_fixture.h"

namespace rvs::test {
namespace {

// The virtual printer, with the device-mode calls answered as a driver of the case would.
class DeviceModeDriver : public platform::Spooler {
public:
    DeviceModeDriver(platform::Spooler& target, int32_t size, bool fills)
        : target_(target), size_(size), fills_(fills) {}

    bool openPrinter(const char16_t* name, platform::PrinterHandle* handle) override {
        return target_.openPrinter(name, handle);
    }
    void closePrinter(platform::PrinterHandle handle) override { target_.closePrinter(handle); }
    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        return target_.getPrinterData(handle, name, type, data, size, needed);
    }
    uint32_t setPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t type, const uint8_t* data,
                            uint32_t size) override {
        return target_.setPrinterData(handle, name, type, data, size);
    }
    int32_t deviceModeSize(platform::PrinterHandle, const char16_t*) override { return size_; }
    // Fills as many bytes as it announced, all 0xAB; a device mode of full size carries 0x0100.
    bool readDeviceMode(platform::PrinterHandle handle, const char16_t* name, uint8_t* buffer,
                        uint32_t size) override {
        bufferSize = size;
        if (!fills_) return false;
        if (size_ >= 220) return target_.readDeviceMode(handle, name, buffer, size);
        std::fill(buffer, buffer + size_, 0xAB);
        return true;
    }

    std::optional<uint32_t> bufferSize;

private:
    platform::Spooler& target_;
    int32_t size_;
    bool fills_;
};

struct DeviceModeCase {
    const char* name;
    int32_t size;
    bool fills;
    uint32_t result;
    const char* line;  // the session info line, or the error return line
    uint16_t version;
};

class DriverVersion : public SessionFixture, public ::testing::WithParamInterface<DeviceModeCase> {};

TEST_P(DriverVersion, OpenTakesWhatTheDeviceModeGives) {
    const DeviceModeCase& c = GetParam();
    addPrinter(sim::Profile::korvelin(0x0200));
    DeviceModeDriver driver(spooler.get(), c.size, c.fills);
    platform::setSpooler(&driver);
    RvStatementHandle out = nullptr;
    const uint32_t result = RvStatementOpen(rvText(kPrinterName), &out);
    EXPECT_EQ(result, c.result);
    const std::vector<std::string> lines = traceLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.line;
    if (result == 0) {
        handle = out;
        EXPECT_EQ(session().driverVersion, c.version);
        close();
    }
    platform::setSpooler(&spooler.get());
    if (driver.bufferSize) {
        EXPECT_GE(*driver.bufferSize, std::max<uint32_t>(static_cast<uint32_t>(c.size), 220u))
            << "the buffer holds what the driver announced, and never less than DEVMODEW";
    }
    EXPECT_EQ(spooler->openHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, DriverVersion,
    ::testing::Values(DeviceModeCase{"Plain", 220, true, 0, "[TRACE:5005]Drv ver:100", 0x100},
                      DeviceModeCase{"WithADriverPart", 220 + 1000, true, 0, "[TRACE:5005]Drv ver:100", 0x100},
                      DeviceModeCase{"RefusingTheOutBuffer", 220, false, 0, "[TRACE:5005]Drv ver:0", 0},
                      DeviceModeCase{"ShorterThanADeviceMode", 40, true, 0, "[TRACE:5005]Drv ver:0", 0},
                      DeviceModeCase{"EmptyDeviceMode", 0, true, 0, "[TRACE:5005]Drv ver:0", 0},
                      DeviceModeCase{"NoSize", -1, true, 16, "[WAR:3001]Func:1 return 0x10", 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test

// Outside Windows there is no print spooler: no printer opens, so a host that has not installed
// the virtual printer gets "printer cannot be opened" from open.
#include "platform/platform.h"

namespace rvs::platform {
namespace {

constexpr uint32_t kErrorInvalidHandle = 6;

class NoPrinterSpooler final : public Spooler {
public:
    bool openPrinter(const char16_t*, PrinterHandle* handle) override {
        if (handle != nullptr) *handle = nullptr;
        return false;
    }
    void closePrinter(PrinterHandle) override {}
    uint32_t getPrinterData(PrinterHandle, const char16_t*, uint32_t*, uint8_t*, uint32_t, uint32_t* needed) override {
        if (needed != nullptr) *needed = 0;
        return kErrorInvalidHandle;
    }
    uint32_t setPrinterData(PrinterHandle, const char16_t*, uint32_t, const uint8_t*, uint32_t) override {
        return kErrorInvalidHandle;
    }
    int32_t deviceModeSize(PrinterHandle, const char16_t*) override { return -1; }
    bool readDeviceMode(PrinterHandle, const char16_t*, uint8_t*, uint32_t) override { return false; }
};

}  // namespace

Spooler& defaultSpooler() {
    static NoPrinterSpooler instance;
    return instance;
}

}  // namespace rvs::platform

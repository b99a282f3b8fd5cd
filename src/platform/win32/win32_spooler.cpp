// The spooler seam on winspool.
#include <windows.h>
#include <winspool.h>

#include <cstddef>

#include "platform/driver_version.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace rvs::platform {
namespace {

using win32::mutableWide;

static_assert(sizeof(DEVMODEW) == kDeviceModeSize);
static_assert(offsetof(DEVMODEW, dmDriverVersion) == kDeviceModeDriverVersionOffset);

class WinspoolSpooler final : public Spooler {
public:
    bool openPrinter(const char16_t* name, PrinterHandle* handle) override {
        PRINTER_DEFAULTSW defaults{};
        defaults.pDatatype = nullptr;
        defaults.pDevMode = nullptr;
        defaults.DesiredAccess = PRINTER_ALL_ACCESS;
        HANDLE opened = nullptr;
        if (!OpenPrinterW(mutableWide(name), &opened, &defaults)) {
            *handle = nullptr;
            return false;
        }
        *handle = opened;
        return true;
    }

    void closePrinter(PrinterHandle handle) override { ClosePrinter(handle); }

    uint32_t getPrinterData(PrinterHandle handle, const char16_t* valueName, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        DWORD valueType = 0, produced = 0;
        DWORD error = GetPrinterDataW(handle, mutableWide(valueName), &valueType, data, size, &produced);
        if (type != nullptr) *type = valueType;
        if (needed != nullptr) *needed = produced;
        return error;
    }

    uint32_t setPrinterData(PrinterHandle handle, const char16_t* valueName, uint32_t type, const uint8_t* data,
                            uint32_t size) override {
        return SetPrinterDataW(handle, mutableWide(valueName), type, const_cast<BYTE*>(data), size);
    }

    int32_t deviceModeSize(PrinterHandle handle, const char16_t* printerName) override {
        return DocumentPropertiesW(nullptr, handle, mutableWide(printerName), nullptr, nullptr, 0);
    }

    bool readDeviceMode(PrinterHandle handle, const char16_t* printerName, uint8_t* buffer, uint32_t) override {
        auto* mode = reinterpret_cast<DEVMODEW*>(buffer);
        return DocumentPropertiesW(nullptr, handle, mutableWide(printerName), mode, nullptr, DM_OUT_BUFFER) == IDOK;
    }
};

}  // namespace

Spooler& defaultSpooler() {
    static WinspoolSpooler instance;
    return instance;
}

}  // namespace rvs::platform

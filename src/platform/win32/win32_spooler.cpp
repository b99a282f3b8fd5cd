// The spooler seam on winspool.
#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace rvs::platform {
namespace {

using win32::mutableWide;

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

    // A driver made for an older DEVMODEW hands out a shorter device mode (its dmSize); all that
    // is taken from it is dmDriverVersion, which every version of the structure holds.
    bool readDriverVersion(PrinterHandle handle, const char16_t* printerName, uint16_t* version) override {
        constexpr LONG kVersionEnd = offsetof(DEVMODEW, dmDriverVersion) + sizeof(WORD);
        LONG size = DocumentPropertiesW(nullptr, handle, mutableWide(printerName), nullptr, nullptr, 0);
        if (size < kVersionEnd) return false;
        std::vector<uint8_t> buffer(static_cast<size_t>(size), 0);
        auto* mode = reinterpret_cast<DEVMODEW*>(buffer.data());
        if (DocumentPropertiesW(nullptr, handle, mutableWide(printerName), mode, nullptr, DM_OUT_BUFFER) != IDOK) {
            return false;
        }
        WORD driverVersion = 0;
        std::memcpy(&driverVersion, buffer.data() + offsetof(DEVMODEW, dmDriverVersion), sizeof driverVersion);
        *version = driverVersion;
        return true;
    }
};

}  // namespace

Spooler& defaultSpooler() {
    static WinspoolSpooler instance;
    return instance;
}

}  // namespace rvs::platform

// The spooler seam on winspool.
#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

#include "platform/device_mode.h"
#include "platform/driver_version.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace rvs::platform {
namespace {

using win32::mutableWide;

static_assert(sizeof(DEVMODEW) == kDeviceModeSize);
static_assert(offsetof(DEVMODEW, dmDriverVersion) == kDeviceModeDriverVersionOffset);
static_assert(offsetof(DEVMODEW, dmSize) == kDeviceModeSizeOffset);
static_assert(offsetof(DEVMODEW, dmDriverExtra) == kDeviceModeDriverExtraOffset);
static_assert(offsetof(DEVMODEW, dmFields) == kDeviceModeFieldsOffset);
static_assert(offsetof(DEVMODEW, dmPaperSize) == kDeviceModePaperSizeOffset);
static_assert(offsetof(DEVMODEW, dmFormName) == kDeviceModeFormNameOffset);
static_assert(sizeof(DEVMODEW::dmFormName) / sizeof(WCHAR) == kDeviceModeFormNameUnits);
static_assert(DM_PAPERSIZE == kDmPaperSize && DM_PAPERLENGTH == kDmPaperLength && DM_PAPERWIDTH == kDmPaperWidth &&
              DM_FORMNAME == kDmFormName);
static_assert(DC_PAPERS == kDcPapers && DC_PAPERNAMES == kDcPaperNames && FORM_PRINTER == kFormPrinter);

// GetPrinterW level 2 into a buffer of its own; empty when it fails or no memory can be had.
std::vector<BYTE> printerInfo2(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2W)) return {};
    std::vector<BYTE> buffer;
    try {
        buffer.assign(needed, 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (!GetPrinterW(printer, 2, buffer.data(), needed, &needed)) return {};
    return buffer;
}

// The device mode's whole length, driver part included, when it lies inside [begin, end).
size_t deviceModeLength(const DEVMODEW* mode, const BYTE* begin, const BYTE* end) {
    const auto* first = reinterpret_cast<const BYTE*>(mode);
    if (first < begin || first > end || static_cast<size_t>(end - first) < sizeof(DEVMODEW)) return 0;
    const size_t length = size_t{mode->dmSize} + mode->dmDriverExtra;
    return length <= static_cast<size_t>(end - first) ? length : 0;
}

FORM_INFO_1W formInfo(const FormInfo& form) {
    FORM_INFO_1W info{};
    info.Flags = form.flags;
    info.pName = mutableWide(form.name);
    info.Size = {form.width, form.length};
    info.ImageableArea = {form.left, form.top, form.right, form.bottom};
    return info;
}

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

    bool getPrinterSetup(PrinterHandle handle, PrinterPaperSetup* setup) override {
        const std::vector<BYTE> buffer = printerInfo2(handle);
        if (buffer.empty()) return false;
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        try {
            setup->port = info->pPortName != nullptr ? reinterpret_cast<const char16_t*>(info->pPortName) : u"";
            setup->deviceMode.clear();
            if (info->pDevMode != nullptr) {
                const size_t length = deviceModeLength(info->pDevMode, buffer.data(), buffer.data() + buffer.size());
                const auto* first = reinterpret_cast<const uint8_t*>(info->pDevMode);
                setup->deviceMode.assign(first, first + length);
            }
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    bool setPrinterDeviceMode(PrinterHandle handle, const uint8_t* deviceMode, uint32_t size) override {
        std::vector<BYTE> buffer = printerInfo2(handle);
        if (buffer.empty() || size < sizeof(DEVMODEW)) return false;
        std::vector<BYTE> mode;
        try {
            mode.assign(deviceMode, deviceMode + size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
        info->pDevMode = reinterpret_cast<DEVMODEW*>(mode.data());
        // The security descriptor stays as it is.
        info->pSecurityDescriptor = nullptr;
        return SetPrinterW(handle, 2, buffer.data(), 0) != FALSE;
    }

    int32_t deviceCapabilities(const char16_t* device, const char16_t* port, uint16_t capability, void* output,
                               uint32_t capacity, const uint8_t* deviceMode) override {
        const auto* mode = reinterpret_cast<const DEVMODEW*>(deviceMode);
        const int count = DeviceCapabilitiesW(reinterpret_cast<LPCWSTR>(device), reinterpret_cast<LPCWSTR>(port),
                                              capability, nullptr, mode);
        if (output == nullptr || count < 0) return count;
        const uint64_t entry = capability == kDcPaperNames ? kPaperNameUnits * sizeof(WCHAR) : sizeof(WORD);
        if (static_cast<uint64_t>(count) * entry > capacity) return -1;
        return DeviceCapabilitiesW(reinterpret_cast<LPCWSTR>(device), reinterpret_cast<LPCWSTR>(port), capability,
                                   static_cast<LPWSTR>(output), mode);
    }

    bool mergeDeviceMode(PrinterHandle handle, const char16_t* printerName, uint8_t* output, uint32_t outputSize,
                         const uint8_t* input) override {
        const LONG needed = DocumentPropertiesW(nullptr, handle, mutableWide(printerName), nullptr, nullptr, 0);
        if (needed < 0 || static_cast<uint32_t>(needed) > outputSize) return false;
        auto* out = reinterpret_cast<DEVMODEW*>(output);
        auto* in = reinterpret_cast<DEVMODEW*>(const_cast<uint8_t*>(input));
        return DocumentPropertiesW(nullptr, handle, mutableWide(printerName), out, in, DM_IN_BUFFER | DM_OUT_BUFFER) ==
               IDOK;
    }

    bool addForm(PrinterHandle handle, const FormInfo& form) override {
        FORM_INFO_1W info = formInfo(form);
        return AddFormW(handle, 1, reinterpret_cast<LPBYTE>(&info)) != FALSE;
    }

    bool setForm(PrinterHandle handle, const FormInfo& form) override {
        FORM_INFO_1W info = formInfo(form);
        return SetFormW(handle, mutableWide(form.name), 1, reinterpret_cast<LPBYTE>(&info)) != FALSE;
    }
};

}  // namespace

Spooler& defaultSpooler() {
    static WinspoolSpooler instance;
    return instance;
}

}  // namespace rvs::platform

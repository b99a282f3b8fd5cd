// The print spooler as the library uses it: printers opened by name and their printer-data
// values. The Win32 backend forwards to winspool; the virtual printer implements it in sim/.
#pragma once

#include <cstdint>

namespace rvs::platform {

using PrinterHandle = void*;

// SetPrinterDataW value types.
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

class Spooler {
public:
    virtual ~Spooler() = default;

    // OpenPrinterW with PRINTER_ALL_ACCESS. False (and no handle) when it fails.
    virtual bool openPrinter(const char16_t* name, PrinterHandle* handle) = 0;
    virtual void closePrinter(PrinterHandle handle) = 0;

    // GetPrinterDataW: 0 on success, else the spooler's error. `needed` receives the size of
    // the answer the driver produced (also when it differs from `size`).
    virtual uint32_t getPrinterData(PrinterHandle handle, const char16_t* valueName, uint32_t* type,
                                    uint8_t* data, uint32_t size, uint32_t* needed) = 0;
    // SetPrinterDataW: 0 on success, else the spooler's error.
    virtual uint32_t setPrinterData(PrinterHandle handle, const char16_t* valueName, uint32_t type,
                                    const uint8_t* data, uint32_t size) = 0;

    // DocumentPropertiesW with no buffers (mode 0): the size in bytes of the printer's default
    // DEVMODEW, its driver part included; negative when the call fails.
    virtual int32_t deviceModeSize(PrinterHandle handle, const char16_t* printerName) = 0;
    // DocumentPropertiesW with DM_OUT_BUFFER into `buffer` of `size` bytes, no fewer than
    // deviceModeSize gave. False when the driver refuses.
    virtual bool readDeviceMode(PrinterHandle handle, const char16_t* printerName, uint8_t* buffer,
                                uint32_t size) = 0;
};

}  // namespace rvs::platform

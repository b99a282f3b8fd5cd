// The print spooler as the library uses it: printers opened by name and their printer-data
// values. The Win32 backend forwards to winspool; the virtual printer implements it in sim/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rvs::platform {

using PrinterHandle = void*;

// SetPrinterDataW value types.
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

// DeviceCapabilitiesW capabilities that paper selection asks for.
inline constexpr uint16_t kDcPapers = 2;       // 16-bit paper numbers
inline constexpr uint16_t kDcPaperNames = 16;  // names of 64 characters each, NUL-padded or not
inline constexpr uint32_t kPaperNameUnits = 64;

// FORM_INFO_1W: a form of the spooler's list; sizes in thousandths of a millimetre.
inline constexpr uint32_t kFormPrinter = 2;
struct FormInfo {
    uint32_t flags = 0;
    const char16_t* name = nullptr;
    int32_t width = 0;
    int32_t length = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // imageable area
};

// What GetPrinterW level 2 tells paper selection.
struct PrinterPaperSetup {
    std::u16string port;
    // The printer's default DEVMODEW with its driver part; empty when the printer has none.
    std::vector<uint8_t> deviceMode;
};

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

    // Paper forms. A spooler without them (no Windows, a test double) refuses each call.

    // GetPrinterW level 2 (size, then data). False when it fails or no memory can be had.
    virtual bool getPrinterSetup(PrinterHandle, PrinterPaperSetup*) { return false; }
    // SetPrinterW level 2: the printer's information with `deviceMode` as its default.
    virtual bool setPrinterDeviceMode(PrinterHandle, const uint8_t* /*deviceMode*/, uint32_t /*size*/) { return false; }
    // DeviceCapabilitiesW for `capability` with the device mode `deviceMode`. With `output` null,
    // the number of entries; else the entries go to `output` of `capacity` bytes and the number
    // written comes back. -1 when the call fails or the entries would not fit.
    virtual int32_t deviceCapabilities(const char16_t* /*device*/, const char16_t* /*port*/, uint16_t /*capability*/,
                                       void* /*output*/, uint32_t /*capacity*/, const uint8_t* /*deviceMode*/) {
        return -1;
    }
    // DocumentPropertiesW with DM_IN_BUFFER | DM_OUT_BUFFER: `input` merged into the printer's
    // device mode, written to `output` of `outputSize` bytes (no fewer than deviceModeSize gave).
    virtual bool mergeDeviceMode(PrinterHandle, const char16_t* /*printerName*/, uint8_t* /*output*/,
                                 uint32_t /*outputSize*/, const uint8_t* /*input*/) {
        return false;
    }
    // AddFormW and SetFormW level 1 (the form named by `form.name`).
    virtual bool addForm(PrinterHandle, const FormInfo& /*form*/) { return false; }
    virtual bool setForm(PrinterHandle, const FormInfo& /*form*/) { return false; }
};

}  // namespace rvs::platform

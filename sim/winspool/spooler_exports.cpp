// The spooler functions RvStatement.dll imports, served by the virtual printer with the real
// functions' conventions: errors as return values or through SetLastError, ERROR_MORE_DATA with
// the size when an answer does not fit, pcbNeeded always set, UTF-16 names, and device modes of
// the driver's own size (its public fields, as many as its DEVMODEW version has, then its
// private part). The paper-form functions are in paper_form_exports.cpp.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>

#include "platform/driver_version.h"
#include "sim/winspool/device_modes.h"
#include "sim/winspool/the_printer.h"

namespace {

using rvs::sim::winspool::DeviceModeShape;
using rvs::sim::winspool::thePrinter;
using rvs::sim::winspool::utf16;

// The printer's device mode as its driver hands it out: the public fields up to its own
// dmSize, then its private part.
void fillDevMode(BYTE* out, const DeviceModeShape& shape, LPCWSTR deviceName, WORD driverVersion) {
    DEVMODEW mode{};
    if (deviceName != nullptr) {
        wcsncpy(mode.dmDeviceName, deviceName, CCHDEVICENAME - 1);
    }
    mode.dmSpecVersion = DM_SPECVERSION;
    mode.dmDriverVersion = driverVersion;
    mode.dmSize = shape.publicSize;
    mode.dmDriverExtra = shape.driverExtra;
    mode.dmFields = DM_ORIENTATION;
    mode.dmOrientation = DMORIENT_PORTRAIT;
    std::memcpy(out, &mode, std::min<size_t>(shape.publicSize, sizeof mode));
    std::memset(out + shape.publicSize, 0xA5, shape.driverExtra);
}

// The driver version the virtual printer's own device mode carries; false for a bad handle.
bool readVersion(HANDLE printer, const char16_t* deviceName, uint16_t* version) {
    BYTE mode[rvs::platform::kDeviceModeSize] = {};
    if (thePrinter().deviceModeSize(printer, deviceName) < 0 ||
        !thePrinter().readDeviceMode(printer, deviceName, mode, sizeof mode)) {
        return false;
    }
    std::memcpy(version, mode + rvs::platform::kDeviceModeDriverVersionOffset, sizeof *version);
    return true;
}

}  // namespace

extern "C" {

WINBOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW /*pDefault*/) {
    if (phPrinter == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *phPrinter = nullptr;
    rvs::platform::PrinterHandle handle = nullptr;
    try {
        if (pPrinterName == nullptr || !thePrinter().openPrinter(utf16(pPrinterName), &handle)) {
            SetLastError(ERROR_INVALID_PRINTER_NAME);
            return FALSE;
        }
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    *phPrinter = handle;
    return TRUE;
}

WINBOOL WINAPI ClosePrinter(HANDLE hPrinter) {
    if (hPrinter == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    thePrinter().closePrinter(hPrinter);
    return TRUE;
}

DWORD WINAPI GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                             LPDWORD pcbNeeded) {
    if (pcbNeeded == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    uint32_t type = 0, needed = 0;
    DWORD error = ERROR_SUCCESS;
    try {
        error = thePrinter().getPrinterData(hPrinter, utf16(pValueName), &type, pData, nSize, &needed);
    } catch (...) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    *pcbNeeded = needed;
    if (pType != nullptr && error == ERROR_SUCCESS) {
        *pType = type;
    }
    return error;
}

DWORD WINAPI SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
    try {
        return thePrinter().setPrinterData(hPrinter, utf16(pValueName), Type, pData, cbData);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// Mode 0 gives the size of the printer's device mode; DM_OUT_BUFFER fills the caller's buffer,
// which must hold that size. A negative result is a failure.
LONG WINAPI DocumentPropertiesW(HWND /*hWnd*/, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pDevModeOutput,
                                PDEVMODEW pDevModeInput, DWORD fMode) {
    uint16_t version = 0;
    if (!readVersion(hPrinter, utf16(pDeviceName), &version)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    const DeviceModeShape shape = rvs::sim::winspool::deviceModeShape(pDeviceName != nullptr ? utf16(pDeviceName) : u"");
    if (fMode == 0) {
        return shape.publicSize + shape.driverExtra;
    }
    if ((fMode & DM_OUT_BUFFER) != 0) {
        if (pDevModeOutput == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return -1;
        }
        if ((fMode & DM_IN_BUFFER) != 0 && pDevModeInput != nullptr) {
            // The caller's public fields merged with the driver's own private part.
            const bool merged = thePrinter().mergeDeviceMode(hPrinter, utf16(pDeviceName),
                                                             reinterpret_cast<uint8_t*>(pDevModeOutput),
                                                             shape.publicSize + shape.driverExtra,
                                                             reinterpret_cast<const uint8_t*>(pDevModeInput));
            if (!merged) SetLastError(ERROR_INVALID_PARAMETER);
            return merged ? IDOK : -1;
        }
        fillDevMode(reinterpret_cast<BYTE*>(pDevModeOutput), shape, pDeviceName, version);
    }
    return IDOK;
}

}  // extern "C"

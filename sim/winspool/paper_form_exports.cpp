// The paper-form spooler functions RvStatement.dll imports, served by the virtual printer's paper
// list, default device mode and form registry with the real functions' conventions: FALSE and
// ERROR_INSUFFICIENT_BUFFER with pcbNeeded set when the buffer is short, level 2 printer
// information whose strings and device mode lie inside the caller's buffer, level 1 forms.
// wingdi.h declares DeviceCapabilitiesW as imported; this DLL defines it.
#define _SPOOL32_
#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "platform/spooler.h"
#include "sim/winspool/the_printer.h"

namespace {

using rvs::sim::winspool::thePrinter;
using rvs::sim::winspool::utf16;

DWORD alignUp(DWORD offset) { return (offset + 7u) & ~DWORD{7u}; }

rvs::platform::FormInfo formFrom(const FORM_INFO_1W& info, LPCWSTR name) {
    rvs::platform::FormInfo form;
    form.flags = info.Flags;
    form.name = utf16(name);
    form.width = info.Size.cx;
    form.length = info.Size.cy;
    form.left = info.ImageableArea.left;
    form.top = info.ImageableArea.top;
    form.right = info.ImageableArea.right;
    form.bottom = info.ImageableArea.bottom;
    return form;
}

}  // namespace

extern "C" {

WINBOOL WINAPI GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
    if (pcbNeeded == nullptr || Level != 2) {
        SetLastError(pcbNeeded == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_LEVEL);
        return FALSE;
    }
    rvs::platform::PrinterPaperSetup setup;
    try {
        if (!thePrinter().getPrinterSetup(hPrinter, &setup)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const DWORD portOffset = alignUp(sizeof(PRINTER_INFO_2W));
    const DWORD portBytes = static_cast<DWORD>((setup.port.size() + 1) * sizeof(WCHAR));
    const DWORD modeOffset = alignUp(portOffset + portBytes);
    const DWORD needed = modeOffset + static_cast<DWORD>(setup.deviceMode.size());
    *pcbNeeded = needed;
    if (pPrinter == nullptr || cbBuf < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(pPrinter, 0, needed);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(pPrinter);
    info->pPortName = reinterpret_cast<LPWSTR>(pPrinter + portOffset);
    std::memcpy(pPrinter + portOffset, setup.port.c_str(), portBytes);
    if (!setup.deviceMode.empty()) {
        info->pDevMode = reinterpret_cast<DEVMODEW*>(pPrinter + modeOffset);
        std::memcpy(pPrinter + modeOffset, setup.deviceMode.data(), setup.deviceMode.size());
    }
    return TRUE;
}

WINBOOL WINAPI SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD /*Command*/) {
    if (Level != 2 || pPrinter == nullptr) {
        SetLastError(Level != 2 ? ERROR_INVALID_LEVEL : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(pPrinter);
    const DEVMODEW* mode = info->pDevMode;
    if (mode == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const uint32_t size = uint32_t{mode->dmSize} + mode->dmDriverExtra;
    try {
        if (thePrinter().setPrinterDeviceMode(hPrinter, reinterpret_cast<const uint8_t*>(mode), size)) return TRUE;
    } catch (...) {
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// The real function has no buffer size: the caller asks for the count first and makes room for
// that many entries, so that is the room the virtual printer is given.
int WINAPI DeviceCapabilitiesW(LPCWSTR pDevice, LPCWSTR pPort, WORD fwCapability, LPWSTR pOutput,
                               CONST DEVMODEW* pDevMode) {
    const auto* mode = reinterpret_cast<const uint8_t*>(pDevMode);
    try {
        const int32_t count = thePrinter().deviceCapabilities(utf16(pDevice), utf16(pPort), fwCapability, nullptr, 0, mode);
        if (pOutput == nullptr || count <= 0) return count;
        const uint32_t entry = fwCapability == rvs::platform::kDcPaperNames
                                   ? rvs::platform::kPaperNameUnits * sizeof(WCHAR)
                                   : sizeof(WORD);
        return thePrinter().deviceCapabilities(utf16(pDevice), utf16(pPort), fwCapability, pOutput,
                                               static_cast<uint32_t>(count) * entry, mode);
    } catch (...) {
        return -1;
    }
}

WINBOOL WINAPI AddFormW(HANDLE hPrinter, DWORD Level, LPBYTE pForm) {
    if (Level != 1 || pForm == nullptr) {
        SetLastError(Level != 1 ? ERROR_INVALID_LEVEL : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto& info = *reinterpret_cast<const FORM_INFO_1W*>(pForm);
    try {
        if (thePrinter().addForm(hPrinter, formFrom(info, info.pName))) return TRUE;
    } catch (...) {
    }
    SetLastError(ERROR_FILE_EXISTS);
    return FALSE;
}

WINBOOL WINAPI SetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm) {
    if (Level != 1 || pForm == nullptr) {
        SetLastError(Level != 1 ? ERROR_INVALID_LEVEL : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        if (thePrinter().setForm(hPrinter, formFrom(*reinterpret_cast<const FORM_INFO_1W*>(pForm), pFormName))) {
            return TRUE;
        }
    } catch (...) {
    }
    SetLastError(ERROR_INVALID_FORM_NAME);
    return FALSE;
}

// Code linked into this DLL that was compiled against wingdi.h calls through the import slot;
// providing it here keeps the linker from pulling the system's stub, which defines the function too.
decltype(&DeviceCapabilitiesW) __imp_DeviceCapabilitiesW = &DeviceCapabilitiesW;

}  // extern "C"

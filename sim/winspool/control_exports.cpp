// The control interface of the virtual winspool.drv (declared in virtual_winspool.h). Every
// function answers FALSE, never an exception, for an unknown printer or a bad argument.
#include <windows.h>

#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sim/driver_state.h"
#include "sim/winspool/device_modes.h"
#include "sim/winspool/the_printer.h"
#include "sim/winspool/virtual_winspool.h"

namespace {

using rvs::sim::Device;
using rvs::sim::Fault;
using rvs::sim::Profile;
using rvs::sim::winspool::thePrinter;
using rvs::sim::winspool::utf16;

// Runs `body` on the named printer's device; FALSE when there is no such printer.
template <class Body>
BOOL onDevice(LPCWSTR printer, Body body) {
    if (printer == nullptr) {
        return FALSE;
    }
    try {
        return body(thePrinter().device(utf16(printer))) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

bool profileFor(DWORD model, DWORD firmware, Profile* profile) {
    switch (model) {
        case 0: *profile = firmware != 0 ? Profile::korvelin(firmware) : Profile::korvelin(); return true;
        case 1: *profile = firmware != 0 ? Profile::korvelinFO(firmware) : Profile::korvelinFO(); return true;
        case 2: *profile = firmware != 0 ? Profile::oxaSt(firmware) : Profile::oxaSt(); return true;
        default: return false;
    }
}

}  // namespace

extern "C" {

BOOL WINAPI VirtualSpoolerAddPrinter(LPCWSTR printer, DWORD model, DWORD firmwareVersion) {
    Profile profile;
    if (printer == nullptr || firmwareVersion > 0xFFFF || !profileFor(model, firmwareVersion, &profile)) {
        return FALSE;
    }
    try {
        thePrinter().addPrinter(utf16(printer), profile);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI VirtualSpoolerSetStatusBit(LPCWSTR printer, DWORD byteIndex, DWORD mask, BOOL on) {
    return onDevice(printer, [&](Device& device) {
        if (byteIndex >= 5 || mask > 0xFF) return false;
        device.setStatusBit(byteIndex, static_cast<uint8_t>(mask), on != FALSE);
        return true;
    });
}

BOOL WINAPI VirtualSpoolerSetOxaStatusBit(LPCWSTR printer, DWORD byteIndex, DWORD mask, BOOL on) {
    return onDevice(printer, [&](Device& device) {
        if (byteIndex >= 18 || mask > 0xFF) return false;
        device.setOxaStatusBit(byteIndex, static_cast<uint8_t>(mask), on != FALSE);
        return true;
    });
}

BOOL WINAPI VirtualSpoolerSetAnswer(LPCWSTR printer, LPCWSTR value, const BYTE* data, DWORD size) {
    return onDevice(printer, [&](Device& device) {
        if (value == nullptr || (data == nullptr && size > 0)) return false;
        device.setAnswer(utf16(value), std::vector<uint8_t>(data, data + size));
        return true;
    });
}

BOOL WINAPI VirtualSpoolerSetTraceSettings(LPCWSTR printer, DWORD mode, DWORD fileCount, LPCWSTR directory) {
    return onDevice(printer, [&](Device& device) {
        if (mode > 0xFF || fileCount > 0xFFFF || directory == nullptr) return false;
        device.setTraceSettings(static_cast<uint8_t>(mode), static_cast<uint16_t>(fileCount), utf16(directory));
        return true;
    });
}

BOOL WINAPI VirtualSpoolerSetTotalFeedingValue(LPCWSTR printer, DWORD total) {
    return onDevice(printer, [&](Device& device) {
        device.setTotalFeedingValue(total);
        return true;
    });
}

BOOL WINAPI VirtualSpoolerGetTotalFeedingValue(LPCWSTR printer, DWORD* total) {
    return onDevice(printer, [&](Device& device) {
        if (total == nullptr) return false;
        *total = device.totalFeedingValue();
        return true;
    });
}

BOOL WINAPI VirtualSpoolerSetDeviceMode(LPCWSTR printer, DWORD publicSize, DWORD driverExtra) {
    if (printer == nullptr || publicSize > sizeof(DEVMODEW) || driverExtra > 0xFFFF) return FALSE;
    try {
        rvs::sim::winspool::setDeviceModeShape(utf16(printer), {static_cast<WORD>(publicSize), static_cast<WORD>(driverExtra)});
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI VirtualSpoolerInjectFault(LPCWSTR printer, LPCWSTR value, DWORD kind, DWORD argument, LONG times) {
    return onDevice(printer, [&](Device& device) {
        if (value == nullptr) return false;
        switch (kind) {
            case VIRTUAL_SPOOLER_CALL_FAILS: device.injectFault(utf16(value), Fault::callFails(argument), times); break;
            case VIRTUAL_SPOOLER_WRONG_SIZE: device.injectFault(utf16(value), Fault::wrongSize(argument), times); break;
            case VIRTUAL_SPOOLER_DELAY: device.injectFault(utf16(value), Fault::delay(argument), times); break;
            default: return false;
        }
        return true;
    });
}

BOOL WINAPI VirtualSpoolerSetCustomer(LPCWSTR printer, LONG afterMs) {
    return onDevice(printer, [&](Device& device) {
        if (afterMs < -1) return false;
        device.update([&](rvs::sim::DriverState& d) {
            d.paper.behaviour.customerTakesAfterMs =
                afterMs < 0 ? std::nullopt : std::optional<uint32_t>(static_cast<uint32_t>(afterMs));
        });
        return true;
    });
}

BOOL WINAPI VirtualSpoolerReceivedFile(LPCWSTR printer, DWORD index, LPWSTR path, DWORD pathCapacity, BYTE* data,
                                       DWORD capacity, DWORD* size) {
    return onDevice(printer, [&](Device& device) {
        if (path == nullptr || size == nullptr) return false;
        const std::optional<rvs::sim::ReceivedFile> file =
            device.update([&](rvs::sim::DriverState& d) -> std::optional<rvs::sim::ReceivedFile> {
                if (index >= d.paper.received.size()) return std::nullopt;
                return d.paper.received[index];
            });
        if (!file || file->path.size() >= pathCapacity) return false;
        std::memcpy(path, file->path.c_str(), (file->path.size() + 1) * sizeof(char16_t));
        if (!file->data) return false;
        *size = static_cast<DWORD>(file->data->size());
        if (data == nullptr || capacity < *size) return false;
        std::memcpy(data, file->data->data(), file->data->size());
        return true;
    });
}

DWORD WINAPI VirtualSpoolerExchangeLog(char* text, DWORD capacity) {
    try {
        std::ostringstream lines;
        for (const rvs::sim::Exchange& exchange : thePrinter().exchanges()) {
            lines << exchange << '\n';
        }
        const std::string all = lines.str();
        const DWORD needed = static_cast<DWORD>(all.size() + 1);
        if (text != nullptr && capacity >= needed) {
            std::memcpy(text, all.c_str(), needed);
        }
        return needed;
    } catch (...) {
        return 0;
    }
}

void WINAPI VirtualSpoolerClearLog(void) { thePrinter().clearLog(); }

LONG WINAPI VirtualSpoolerOpenHandles(void) { return thePrinter().openHandles(); }

}  // extern "C"

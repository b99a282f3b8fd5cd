#include "platform/driver_version.h"

#include <algorithm>
#include <new>
#include <vector>

namespace rvs::platform {

bool ReadDriverVersion(Spooler& spooler, PrinterHandle handle, const char16_t* printerName, uint16_t* version) {
    *version = 0;
    const int32_t size = spooler.deviceModeSize(handle, printerName);
    if (size < 0) return false;  // no size to allocate
    // Never smaller than DEVMODEW, so that a driver that reports less cannot write, nor the
    // version be read, past the buffer.
    std::vector<uint8_t> buffer;
    try {
        buffer.assign(std::max(static_cast<uint32_t>(size), kDeviceModeSize), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // A refusal leaves the buffer zero: the version reads as 0, and open goes on.
    spooler.readDeviceMode(handle, printerName, buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (static_cast<uint32_t>(size) >= kDeviceModeSize) {
        *version = static_cast<uint16_t>(buffer[kDeviceModeDriverVersionOffset] |
                                         (buffer[kDeviceModeDriverVersionOffset + 1] << 8));
    }
    return true;
}

}  // namespace rvs::platform

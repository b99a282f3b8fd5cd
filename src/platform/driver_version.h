// The driver version a session records at open: dmDriverVersion of the printer's default
// device mode.
#pragma once

#include <cstdint>

#include "platform/spooler.h"

namespace rvs::platform {

// DEVMODEW's size and where dmDriverVersion lies in it (the Win32 backend checks both).
inline constexpr uint32_t kDeviceModeSize = 220;
inline constexpr uint32_t kDeviceModeDriverVersionOffset = 66;

// False only when no buffer for the device mode can be had. A driver that refuses to fill it,
// or whose device mode is smaller than DEVMODEW, gives version 0.
bool ReadDriverVersion(Spooler& spooler, PrinterHandle handle, const char16_t* printerName, uint16_t* version);

}  // namespace rvs::platform

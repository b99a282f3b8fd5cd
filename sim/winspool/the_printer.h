// The one virtual printer behind this winspool.drv.
#pragma once

#include <string>

#include <windows.h>

#include "sim/virtual_printer.h"

namespace rvs::sim::winspool {

// Made on first use and never destroyed: a host's monitor threads may still call in while the
// process exits.
VirtualPrinter& thePrinter();

inline const char16_t* utf16(LPCWSTR text) { return reinterpret_cast<const char16_t*>(text); }

}  // namespace rvs::sim::winspool

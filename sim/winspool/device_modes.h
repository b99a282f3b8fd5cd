// The shape of each virtual printer's device mode: how much of DEVMODEW its driver fills
// (older drivers stop short of today's structure) and how large its private part is.
#pragma once

#include <windows.h>

#include <string>

namespace rvs::sim::winspool {

struct DeviceModeShape {
    WORD publicSize = sizeof(DEVMODEW);
    WORD driverExtra = 96;
};

DeviceModeShape deviceModeShape(const std::u16string& printer);
void setDeviceModeShape(const std::u16string& printer, DeviceModeShape shape);

}  // namespace rvs::sim::winspool

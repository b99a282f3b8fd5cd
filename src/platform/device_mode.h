// Where paper selection finds its fields in a DEVMODEW (the Win32 backend checks each).
#pragma once

#include <cstdint>

#include "platform/driver_version.h"

namespace rvs::platform {

inline constexpr uint32_t kDeviceModeSizeOffset = 68;         // dmSize
inline constexpr uint32_t kDeviceModeDriverExtraOffset = 70;  // dmDriverExtra
inline constexpr uint32_t kDeviceModeFieldsOffset = 72;       // dmFields
inline constexpr uint32_t kDeviceModePaperSizeOffset = 78;    // dmPaperSize
inline constexpr uint32_t kDeviceModeFormNameOffset = 102;    // dmFormName
inline constexpr uint32_t kDeviceModeFormNameUnits = 32;

// dmFields bits.
inline constexpr uint32_t kDmPaperSize = 0x2;
inline constexpr uint32_t kDmPaperLength = 0x4;
inline constexpr uint32_t kDmPaperWidth = 0x8;
inline constexpr uint32_t kDmFormName = 0x10000;

}  // namespace rvs::platform

// The three panel LEDs: each a mode (0, 1 or 2) and an on and an off time (1 to 15), sent to
// the driver as one 5-byte record. What the modes and times mean is the driver's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

struct LedSetting {
    uint8_t mode = 0;
    uint8_t on = 0;
    uint8_t off = 0;
};

struct PanelLeds {
    LedSetting red;
    LedSetting green;
    LedSetting yellow;
};

inline constexpr size_t kLedRecordSize = 5;
using LedRecord = std::array<uint8_t, kLedRecordSize>;

bool panelLedsValid(const PanelLeds& leds);
// 7; the mode bits (red 0x01/0x02, green 0x04/0x08, yellow 0x10/0x20); then per LED the on time
// in the low and the off time in the high four bits.
LedRecord buildLedRecord(const PanelLeds& leds);

// A fresh status read: its code when it fails, 2 when the printer is not ready. An error in
// status byte 0 does not keep the panel from being set.
Result CheckPanelReady(Session& session);

// "PanelLedControl_Input", then "Panel".
Result SetPanelLeds(Session& session, const PanelLeds& leds);

}  // namespace rvs

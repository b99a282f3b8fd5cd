#include "device/panel_leds.h"

#include "channel/channel.h"
#include "channel/value_names.h"
#include "monitor/monitor.h"
#include "platform/spooler.h"

namespace rvs {
namespace {

constexpr uint8_t kLedRecordTag = 7;
constexpr uint8_t kMaxLedMode = 2;
constexpr uint8_t kMinLedTime = 1;
constexpr uint8_t kMaxLedTime = 15;

bool settingValid(const LedSetting& led) {
    const auto timeValid = [](uint8_t time) { return time >= kMinLedTime && time <= kMaxLedTime; };
    return led.mode <= kMaxLedMode && timeValid(led.on) && timeValid(led.off);
}

// Mode 1 sets the LED's low bit, mode 2 the one above it; mode 0 sets none.
uint8_t modeBits(const LedSetting& led, int shift) { return static_cast<uint8_t>(led.mode << shift); }

uint8_t times(const LedSetting& led) { return static_cast<uint8_t>((led.off & 0x0F) << 4 | (led.on & 0x0F)); }

}  // namespace

bool panelLedsValid(const PanelLeds& leds) {
    return settingValid(leds.red) && settingValid(leds.green) && settingValid(leds.yellow);
}

LedRecord buildLedRecord(const PanelLeds& leds) {
    const uint8_t modes = modeBits(leds.red, 0) | modeBits(leds.green, 2) | modeBits(leds.yellow, 4);
    return {kLedRecordTag, modes, times(leds.red), times(leds.green), times(leds.yellow)};
}

Result CheckPanelReady(Session& session) {
    StatusRecord status{};
    Result code = kSuccess;
    if (!ReadStatus(session, status, code)) {
        return code;
    }
    return (status[2] & 0x44) != 0 ? kNotReady : kSuccess;
}

Result SetPanelLeds(Session& session, const PanelLeds& leds) {
    const LedRecord record = buildLedRecord(leds);
    if (const Result code =
            writeInput(session, value::PanelLedControlInput, platform::kRegBinary, record.data(), kLedRecordSize);
        code != kSuccess) {
        return code;
    }
    return requestCommand(session, value::Panel);
}

}  // namespace rvs

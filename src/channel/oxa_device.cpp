#include "channel/channel.h"
#include "channel/value_names.h"
#include "platform/platform.h"
#include "session/bounded_wait.h"

namespace rvs {
namespace {

constexpr uint8_t kOxaSelected = 6;

// Byte 8 bit 0x04 of the OXA status: the device needs no selection.
bool oxaSelectionNeeded(Session& session) {
    Guard lock(session.stateLock);
    return session.printerModel == static_cast<uint8_t>(PrinterModel::OxaSt) && (session.oxaStatus[8] & 0x04) == 0;
}

bool oxaSelectionHeld(Session& session) {
    Guard lock(session.stateLock);
    return session.printerModel == static_cast<uint8_t>(PrinterModel::OxaSt) && (session.oxaStatus[8] & 0x04) != 0;
}

Result readSelectDevice(Session& session, uint8_t& answer) {
    RawAnswer raw = readValue(session, value::OxaSelectDevice, &answer, 1);
    if (!raw.callOk) {
        return kInvalidParameter;
    }
    return raw.needed == 1 ? kSuccess : readReturnValue(session);
}

}  // namespace

Result selectOxaDevice(Session& session) {
    platform::System& sys = platform::system();
    sys.sleep(session.statusInterval);
    if (!oxaSelectionNeeded(session)) {
        return kSuccess;
    }
    uint8_t minutes = kDefaultOxaPrintTimeOut;
    if (!readValue(session, value::OxaPrintTimeOut, &minutes, 1).callOk) {
        minutes = kDefaultOxaPrintTimeOut;
    }
    session.oxaPrintTimeOut = minutes;
    const uint8_t select = 1;
    if (writeInput(session, value::OxaSelectInput, platform::kRegBinary, &select, 1) != kSuccess) {
        return kInvalidParameter;
    }
    // The driver's answer time paces the looks; a driver that answers at once gets a yield.
    Result result = kSuccess;
    uint8_t answer = 0;
    const uint32_t limitMs = static_cast<uint32_t>(session.oxaPrintTimeOut.load()) * 60 * 1000;
    const bool ended = waitUntil(limitMs, 0, [&] {
        result = readSelectDevice(session, answer);
        return result != kSuccess || answer == kOxaSelected;
    });
    return ended ? result : kDeviceSelectTimeout;
}

Result releaseOxaDevice(Session& session) {
    platform::system().sleep(session.statusInterval);
    if (!oxaSelectionHeld(session)) {
        return kSuccess;
    }
    const uint8_t release = 0;
    if (writeInput(session, value::OxaSelectInput, platform::kRegBinary, &release, 1) != kSuccess) {
        return kInvalidParameter;
    }
    uint8_t answer = 0;
    return readSelectDevice(session, answer);
}

}  // namespace rvs

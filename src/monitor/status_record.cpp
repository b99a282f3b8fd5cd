#include "monitor/status_record.h"

#include <algorithm>

#include "platform/platform.h"

namespace rvs {
namespace {

bool readFailedCode(Result code) { return code == 5 || code == 7; }

// Bits 0x04 (last page) and 0x08 (OXA time-out purge) of the library byte.
void applyLibraryBits(Session& session, uint8_t& libraryByte, uint8_t rawByte0) RVS_REQUIRES(session.stateLock) {
    if ((session.stateFlags & state::LastPageReached) != 0) {
        libraryByte |= kLibLastPage;
    } else {
        libraryByte &= static_cast<uint8_t>(~kLibLastPage);
    }
    if (session.oxaTimeOutFired == 1 && (rawByte0 & 0x20) == 0) {
        libraryByte |= kLibOxaPurge;
        stopOxaTimer(session);
    } else {
        libraryByte &= static_cast<uint8_t>(~kLibOxaPurge);
    }
}

}  // namespace

void BuildStatusRecord(Session& session, const StatusRecord& raw, StatusRecord& record, Result code) {
    if (code == kSuccess) {
        record = raw;
        if ((raw[3] & 0x20) != 0) {
            record[4] |= kLibByte3Bit5Moved;
            record[3] &= static_cast<uint8_t>(~0x20);
        }
    } else {
        record = session.status;
        if (readFailedCode(code)) {
            record[kLibraryByte] |= kLibReadFailed;
        }
    }
    applyLibraryBits(session, record[kLibraryByte], raw[0]);
}

void BuildOxaStatusRecord(Session& session, const OxaStatusRecord& raw, OxaStatusRecord& record, Result code) {
    record = raw;
    if (readFailedCode(code)) {
        record[kOxaLibraryByte] |= kLibReadFailed;
    }
    applyLibraryBits(session, record[kOxaLibraryByte], raw[0]);
}

bool StatusChanged(const StatusRecord* cached, const StatusRecord& fresh) {
    return cached != nullptr && *cached != fresh;
}

bool OxaStatusChanged(const OxaStatusRecord* cached, const OxaStatusRecord& fresh) {
    if (cached == nullptr) {
        return false;
    }
    // With byte 8 bit 3 set only bytes 0 to 7 count.
    const size_t count = (fresh[8] & 0x08) != 0 ? 8 : kOxaStatusSize;
    return !std::equal(cached->begin(), cached->begin() + count, fresh.begin());
}

void startOxaTimer(Session& session) {
    session.oxaTimerRunning = 1;
    session.oxaTimerStart = platform::system().tickCount();
}

void stopOxaTimer(Session& session) {
    session.oxaTimerRunning = 0;
    session.oxaTimerStart = 0;
}

}  // namespace rvs

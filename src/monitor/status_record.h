// Status records as the monitor keeps and hands them out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// Library-owned bits of the status record's byte 4 (OXA: byte 6).
inline constexpr uint8_t kLibByte3Bit5Moved = 0x02;
inline constexpr uint8_t kLibLastPage = 0x04;
inline constexpr uint8_t kLibOxaPurge = 0x08;
inline constexpr uint8_t kLibPaperRemoved = 0x40;
inline constexpr uint8_t kLibReadFailed = 0x80;
inline constexpr size_t kLibraryByte = 4;
inline constexpr size_t kOxaLibraryByte = 6;

void BuildStatusRecord(Session& session, const StatusRecord& raw, StatusRecord& record, Result code)
    RVS_REQUIRES(session.stateLock);
void BuildOxaStatusRecord(Session& session, const OxaStatusRecord& raw, OxaStatusRecord& record, Result code)
    RVS_REQUIRES(session.stateLock);

// Change tests; a missing cached record counts as unchanged.
bool StatusChanged(const StatusRecord* cached, const StatusRecord& fresh);
bool OxaStatusChanged(const OxaStatusRecord* cached, const OxaStatusRecord& fresh);

// OXA print timer.
void startOxaTimer(Session& session) RVS_REQUIRES(session.stateLock);
void stopOxaTimer(Session& session) RVS_REQUIRES(session.stateLock);

}  // namespace rvs

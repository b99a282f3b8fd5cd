// The firmware download: the model re-read, one or two rounds of staging and download steps,
// the version re-read and division printing, and the waits that let printer and monitor catch up.
#pragma once

#include <cstdint>
#include <string>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

enum class DownloadStep : uint8_t { Start, Switch, File, Write, Reset };

// One download step: its one-byte command(s) with Call and Return lines of their own.
// 0, 9, 16 or the driver's code; a failing step writes a failure line and no Return line.
Result RunDownloadStep(Session& session, DownloadStep step, uint8_t model);

// The printer gets a second to take up its new firmware.
void AwaitDownloadReady(Session& session);
// A registered status callback sees one monitor cycle after the download before the call
// returns; without one, one poll interval passes. Bounded: a monitor that stopped cycling does
// not hold the call.
void AwaitMonitorCycle(Session& session);

// Everything between the first status read and the closing waits: staging, the rounds, the
// version re-read, division printing. The staging file is gone when it returns.
Result DownloadFirmware(Session& session, uint8_t type, const std::u16string& imagePath);

}  // namespace rvs

// Consecutive printing, the feeding value, the printer status word and the internal purge,
// used by open, close, the monitor's OXA print timer, the trace-mode setter and the commands.
#pragma once

#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

inline constexpr uint8_t kPswBusy = 0x20;  // byte 0
inline constexpr uint8_t kPswJob = 0x01;   // byte 1

struct PrinterStatusWord {
    uint8_t bytes[2] = {0, 0};
    bool busy() const { return (bytes[0] & kPswBusy) != 0; }
    bool job() const { return (bytes[1] & kPswJob) != 0; }
};

// "ConsecutivePrintEnable" / "ConsecutivePrintDisable"; 0 on success.
Result SetConsecutivePrint(Session& session, bool enable);
Result ReadFeedingValue(Session& session, uint32_t& value);
Result ReadPrinterStatusWord(Session& session, PrinterStatusWord& word);
// True when the printer holds a job (code 11); false with the read's code when the word cannot
// be read, false with 0 otherwise.
bool CheckPrinterBusy(Session& session, Result& code);

// "PurgeData" then consecutive printing on; run by the monitor's OXA print timer, which
// ignores the result. No trace lines, no wait, no pause.
Result InternalPurge(Session& session);

}  // namespace rvs

// Consecutive printing, the feeding value and the printer status word, used by open, close,
// the internal purge, the trace-mode setter and the commands.
#pragma once

#include <cstdint>

#include "api/result_codes.h"
#include "api/session.h"

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

}  // namespace rvs

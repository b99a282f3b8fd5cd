// Probes of how the printer is to be handled, run at open and again after a configuration
// change or a firmware download.
#pragma once

#include <array>
#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

inline constexpr uint16_t kFeedingFirmware = 266;

// The printer's 8-byte configuration record; its bytes are the driver's.
using ConfigurationRecord = std::array<uint8_t, 8>;

// "GetConfiguration": `record` is written only when the answer is whole.
Result ReadConfiguration(Session& session, ConfigurationRecord& record);

// Printers whose feeding threshold and total come from the driver: firmware 266 and later, or
// any model but the Korvelin.
inline bool usesDriverFeeding(uint16_t firmwareVersion, uint8_t model) {
    return firmwareVersion >= kFeedingFirmware || model != static_cast<uint8_t>(PrinterModel::Korvelin);
}

// "GetThresholdForLastPage" x 10.
Result ReadLastPageThreshold(Session& session, uint32_t& threshold);
Result CheckMultiplePagePrinting(Session& session);
// Switches the driver's division printing on or off from the configuration, firmware and model
// stored in the session.
Result ApplyDivisionPrinting(Session& session);

// The session info line naming the model, as open and a firmware download write it.
const char* printerModelLine(uint8_t model);

bool divisionPrintingWanted(uint8_t configurationByte0, uint16_t firmwareVersion, uint8_t model);

}  // namespace rvs

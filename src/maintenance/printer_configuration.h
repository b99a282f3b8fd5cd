// Changing the printer's 8-byte configuration record, and the probes that follow it.
#pragma once

#include "device/configuration_probes.h"
#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// The combinations the printer must not be given: byte 0 bits 0x02 and 0x04 together; byte 1
// bit 0x80, bits 0x20 and 0x40 together, or bit 0x04 without bit 0x02.
bool printerConfigurationValid(const ConfigurationRecord& record);

// Checks the record and hands it to the driver: 9 for a forbidden combination or a failed write.
Result SendPrinterConfiguration(Session& session, const ConfigurationRecord& record);

// Has the driver apply the record it was given ("SetConfiguration"), checks the status
// afterwards and re-runs the probes of open: the last-page threshold (for printers that use the
// driver's), multiple-page and division printing. The caller keeps the monitor off the printer.
// `firmwareVersion` and `model` are the session's as the call began.
Result CommitPrinterConfiguration(Session& session, uint16_t firmwareVersion, uint8_t model);

}  // namespace rvs

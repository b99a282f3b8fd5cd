#include "maintenance/printer_configuration.h"

#include "channel/channel.h"
#include "channel/value_names.h"
#include "monitor/status_checks.h"
#include "platform/platform.h"

namespace rvs {
namespace {

constexpr uint32_t kSettleAfterChangeMs = 10;

Result rerunProbes(Session& session, uint16_t firmwareVersion, uint8_t model) {
    if (usesDriverFeeding(firmwareVersion, model)) {
        uint32_t threshold = 0;
        if (const Result result = ReadLastPageThreshold(session, threshold); result != kSuccess) return result;
        Guard lock(session.stateLock);
        session.lastPageThreshold = threshold;
    }
    if (const Result result = CheckMultiplePagePrinting(session); result != kSuccess) return result;
    return ApplyDivisionPrinting(session);
}

}  // namespace

bool printerConfigurationValid(const ConfigurationRecord& record) {
    const uint8_t byte0 = record[0];
    const uint8_t byte1 = record[1];
    if ((byte0 & 0x06) == 0x06) return false;
    if ((byte1 & 0x80) != 0) return false;
    if ((byte1 & 0x60) == 0x60) return false;
    if ((byte1 & 0x04) != 0 && (byte1 & 0x02) == 0) return false;
    return true;
}

Result SendPrinterConfiguration(Session& session, const ConfigurationRecord& record) {
    if (!printerConfigurationValid(record)) return kInvalidParameter;
    return writeInput(session, value::SetPrinterConfigInput, platform::kRegBinary, record.data(),
                      static_cast<uint32_t>(record.size()));
}

Result CommitPrinterConfiguration(Session& session, uint16_t firmwareVersion, uint8_t model) {
    if (const Result result = requestCommand(session, value::SetConfiguration); result != kSuccess) return result;
    platform::system().sleep(kSettleAfterChangeMs);
    if (const Result result = readAndCheckStatus(session, {StatusCheck::FullError}); result != kSuccess) return result;
    return rerunProbes(session, firmwareVersion, model);
}

}  // namespace rvs

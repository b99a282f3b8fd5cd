#include "device/configuration_probes.h"

#include "channel/channel.h"
#include "channel/little_endian.h"
#include "channel/value_names.h"
#include "platform/spooler.h"

namespace rvs {

Result ReadLastPageThreshold(Session& session, uint32_t& threshold) {
    uint8_t answer[4] = {};
    Result result = requestRecord(session, value::GetThresholdForLastPage, answer, sizeof answer);
    if (result == kSuccess) {
        // A driver answer past a tenth of the range must not wrap to a small threshold.
        const uint32_t units = readLe32(answer);
        threshold = units > UINT32_MAX / 10 ? UINT32_MAX : units * 10;
    }
    return result;
}

Result CheckMultiplePagePrinting(Session& session) {
    uint8_t answer = 0;
    return requestRecord(session, value::CheckMultiplePagePrinting, &answer, 1);
}

const char* printerModelLine(uint8_t model) {
    switch (static_cast<PrinterModel>(model)) {
        case PrinterModel::KorvelinFO: return "Printer model : Korvelin FO\n";
        case PrinterModel::OxaSt: return "Printer model : OXA ST\n";
        default: return "Printer model : Korvelin\n";
    }
}

bool divisionPrintingWanted(uint8_t configurationByte0, uint16_t firmwareVersion, uint8_t model) {
    if ((configurationByte0 & 0x10) == 0) {
        return false;
    }
    return (firmwareVersion >= 781 && firmwareVersion <= 787) || firmwareVersion >= 1024 ||
           model != static_cast<uint8_t>(PrinterModel::Korvelin);
}

Result ReadConfiguration(Session& session, ConfigurationRecord& record) {
    ConfigurationRecord answer{};
    const Result result = requestRecord(session, value::GetConfiguration, answer.data(), answer.size());
    if (result == kSuccess) {
        record = answer;
    }
    return result;
}

Result ApplyDivisionPrinting(Session& session) {
    ConfigurationRecord configuration{};
    Result result = ReadConfiguration(session, configuration);
    if (result != kSuccess) {
        return result;
    }
    uint16_t firmware = 0;
    uint8_t model = 0;
    {
        Guard lock(session.stateLock);
        firmware = session.firmwareVersion;
        model = session.printerModel;
    }
    const bool on = divisionPrintingWanted(configuration[0], firmware, model);
    uint8_t input[4] = {};
    writeLe32(input, on ? 1 : 0);
    if (writeInput(session, value::DivisionPrinting, platform::kRegBinary, input, sizeof input) != kSuccess) {
        return kInvalidParameter;
    }
    uint8_t answer = 0;
    if (!readValue(session, on ? value::DivisionPrintingOn : value::DivisionPrintingOff, &answer, 1).callOk) {
        return kInvalidParameter;
    }
    return kSuccess;
}

}  // namespace rvs

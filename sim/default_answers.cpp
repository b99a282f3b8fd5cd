#include "sim/default_answers.h"

#include "platform/spooler.h"
#include "sim/device.h"

namespace rvs::sim {

using platform::kRegBinary;
using platform::kRegDword;

std::vector<uint8_t> littleEndian32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

std::map<std::u16string, DefaultAnswer> defaultAnswers(const Profile& profile) {
    std::map<std::u16string, DefaultAnswer> answers;
    auto binary = [&](const char16_t* name, std::vector<uint8_t> bytes) {
        answers[name] = {std::move(bytes), kRegBinary};
    };
    auto zeros = [&](const char16_t* name, size_t size) { binary(name, std::vector<uint8_t>(size, 0)); };

    zeros(u"Open", 5);
    answers[u"TimeInterval"] = {littleEndian32(50), kRegDword};
    answers[u"OXAPrintTimeOut"] = {{3}, kRegDword};
    binary(u"GetPrinterVersion", {static_cast<uint8_t>(profile.firmwareVersion),
                                  static_cast<uint8_t>(profile.firmwareVersion >> 8), profile.model, 0});
    // The model word tells an OXA ST (1) from a Korvelin FO (0).
    binary(u"GetPrinterModel", {static_cast<uint8_t>(profile.isOxaSt() ? 1 : 0), 0});
    binary(u"GetThresholdForLastPage", littleEndian32(69));
    zeros(u"GetConfiguration", 8);
    zeros(u"GetSensor", 2);
    zeros(u"GetOXASensorStatus", 8);
    zeros(u"GetFeedingValue", 4);
    zeros(u"GetPrinterStatus", 2);
    zeros(u"GetMetrics", 4);
    zeros(u"GetAllMetrics", 28);
    zeros(u"GetMFGData", 115);

    // One-byte answers: 0 is "carried out" for the commands, nothing to report for the queries.
    for (const char16_t* name :
         {u"CheckMultiplePagePrinting", u"DivisionPrintingON", u"DivisionPrintingOFF", u"PurgeData", u"Close",
          u"GetTransport", u"PaperRemoved", u"GetRetractedCount", u"ConsecutivePrintEnable",
          u"ConsecutivePrintDisable", u"Reset", u"Recover", u"Present", u"Eject", u"Retract", u"Cut",
          u"PaperChange", u"Transport", u"Panel", u"Enabled", u"SetMetrics", u"SetMFGData", u"SetMFGDataEx",
          u"SetConfiguration", u"StartPrinting", u"EndPrinting", u"TxRx_No_Response", u"EnterSelfTest",
          u"PerformSelfTest", u"ExitSelfTest", u"Download", u"DownloadCancel", u"DownloadSwitch",
          u"DownloadFile", u"DownloadWrite", u"DownloadReset"}) {
        zeros(name, 1);
    }
    return answers;
}

std::vector<uint8_t> defaultSettingsRecord() {
    std::vector<uint8_t> record(kSettingsRecordSize, 0);
    record[kTraceFileCountOffset] = static_cast<uint8_t>(kDefaultTraceFileCount);
    record[kTraceFileCountOffset + 1] = static_cast<uint8_t>(kDefaultTraceFileCount >> 8);
    return record;
}

}  // namespace rvs::sim

// Printer configuration and paper forms.
#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "maintenance/paper_configuration.h"
#include "maintenance/printer_configuration.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

// The fresh status read gives 2 or 4 before the record is looked at.
constexpr Frame kSetPrinterConfiguration{.function = fn::kSetPrinterConfiguration, .steps = {.readiness = true}};
// The paper call ends with the error return line on every path, carrying 0 on success, as
// hosts reading the trace expect of it.
constexpr Frame kSetPaperConfiguration{.function = fn::kSetPaperConfiguration, .ending = Ending::ErrorLineAlways};

Result checkPaperArguments(uint8_t sizeCode, uint8_t paperType, uint16_t lengthMm) {
    if (sizeCode > kLastSizeCode) return kInvalidParameter;
    if (!userDefinedSize(sizeCode)) return kSuccess;
    if (paperType > kLastPaperType) return kInvalidParameter;
    if (lengthMm < kShortestUserLengthMm || lengthMm > kLongestUserLengthMm) return kInvalidParameter;
    return kSuccess;
}

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementSetPrinterConfiguration(RvStatementHandle handle,
                                                                      const uint8_t* configuration) {
    ConfigurationRecord record{};
    uint16_t firmwareVersion = 0;
    uint8_t model = 0;
    auto entry = [&](Session& s) {
        {
            Guard lock(s.stateLock);
            firmwareVersion = s.firmwareVersion;
            model = s.printerModel;
        }
        if (configuration == nullptr) return kInvalidParameter;
        std::copy(configuration, configuration + record.size(), record.begin());
        TraceDump(&s, traceid::Input, record.data(), record.size(), "Set Config:");
        return kSuccess;
    };
    return runExport(kSetPrinterConfiguration, handle, entry, [&](Call& call) {
        if (const Result result = SendPrinterConfiguration(call.session, record); result != kSuccess) return result;
        MonitorPause pause(call.session);
        if (const Result result = pause.pause(); result != kSuccess) return result;
        if (const Result result = CommitPrinterConfiguration(call.session, firmwareVersion, model);
            result != kSuccess) {
            return result;
        }
        return pause.resume();
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementSetPaperConfiguration(RvStatementHandle handle, uint8_t sizeCode,
                                                                    uint8_t paperType, uint16_t lengthMm) {
    auto entry = [&](Session& s) {
        TraceLine(&s, traceid::Input, "Size:%d Length:%d\n", sizeCode, lengthMm);
        return checkPaperArguments(sizeCode, paperType, lengthMm);
    };
    return runExport(kSetPaperConfiguration, handle, entry, [&](Call& call) {
        const Result selected = SelectPaperForm(call.session, sizeCode);
        if (!userDefinedSize(sizeCode)) return selected;
        // The size is stored even when the selection failed; the first failure is the call's.
        const Result stored = StoreUserPaperSize(call.session, sizeCode, paperType, lengthMm);
        return selected != kSuccess ? selected : stored;
    });
}

}  // extern "C"

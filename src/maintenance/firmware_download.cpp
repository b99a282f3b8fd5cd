#include "maintenance/firmware_download.h"

#include <algorithm>
#include <span>

#include "channel/channel.h"
#include "channel/little_endian.h"
#include "channel/value_names.h"
#include "device/configuration_probes.h"
#include "maintenance/firmware_image.h"
#include "maintenance/firmware_staging.h"
#include "maintenance/traced_return_value.h"
#include "platform/platform.h"
#include "session/bounded_wait.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

namespace rvs {
namespace {

constexpr uint32_t kSettleAfterDownloadMs = 3000;
constexpr uint32_t kReadyRoundMs = 1000;
// A monitor cycle takes one interval and its exchanges; this is far beyond both.
constexpr uint32_t kMonitorCycleSlackMs = 10000;

struct StepRow {
    int function;
    const char16_t* firstName;   // models 1 and 2 only; null when the step has one request
    const char16_t* name;
};

StepRow rowOf(DownloadStep step) {
    switch (step) {
        case DownloadStep::Start: return {fn::kDownloadStart, value::DownloadCancel, value::Download};
        case DownloadStep::Switch: return {fn::kDownloadSwitch, nullptr, value::DownloadSwitch};
        case DownloadStep::File: return {fn::kDownloadFile, nullptr, value::DownloadFile};
        case DownloadStep::Write: return {fn::kDownloadWrite, nullptr, value::DownloadWrite};
        case DownloadStep::Reset: return {fn::kDownloadReset, nullptr, value::DownloadReset};
    }
    return {fn::kDownloadReset, nullptr, value::DownloadReset};
}

// One one-byte command of a step; `lineName` is the name its failure line gives.
Result stepCommand(Session& session, const char16_t* name, const char16_t* lineName) {
    uint8_t answer = 0;
    const RawAnswer raw = readValue(session, name, &answer, 1);
    if (!raw.callOk) {
        traceValueReadFailure(&session, lineName);
        return kInvalidParameter;
    }
    if (raw.needed != 1) {
        traceValueReadFailure(&session, lineName);
        return readReturnValueTraced(session);
    }
    if (answer != 0) {
        traceValueReadFailure(&session, lineName);
        return kFailure;
    }
    return kSuccess;
}

bool twoPartModel(uint8_t model) { return model != static_cast<uint8_t>(PrinterModel::Korvelin); }

// The model word tells a Korvelin FO (0) from an OXA ST (non-zero), read as open reads it. It
// cannot name a Korvelin, which keeps its model; so does every model when the read fails: a
// Korvelin block must not be staged for another model just because the driver did not answer.
uint8_t rereadModel(Session& session) {
    uint8_t answer[2] = {};
    const RawAnswer raw = readValue(session, value::GetPrinterModel, answer, sizeof answer);
    Guard lock(session.stateLock);
    if (raw.callOk && raw.needed == sizeof answer &&
        session.printerModel != static_cast<uint8_t>(PrinterModel::Korvelin)) {
        session.printerModel =
            static_cast<uint8_t>(readLe16(answer) != 0 ? PrinterModel::OxaSt : PrinterModel::KorvelinFO);
    }
    return session.printerModel;
}

Result writeDownloadInputs(Session& session, uint8_t type, uint32_t size, const std::u16string& path) {
    uint8_t typeValue[4] = {};
    writeLe32(typeValue, type);
    uint8_t sizeValue[4] = {};
    writeLe32(sizeValue, size);
    if (writeInput(session, value::DownloadInputType, platform::kRegDword, typeValue, 4) != kSuccess) {
        traceValueWriteFailure(&session, value::DownloadInputType);
        return kInvalidParameter;
    }
    if (writeInput(session, value::DownloadInputSize, platform::kRegDword, sizeValue, 4) != kSuccess) {
        traceValueWriteFailure(&session, value::DownloadInputSize);
        return kInvalidParameter;
    }
    if (writeInput(session, value::DownloadInputName, platform::kRegSz, path.c_str(), stringValueSize(path)) !=
        kSuccess) {
        traceValueWriteFailure(&session, value::DownloadInputName);
        return kInvalidParameter;
    }
    return kSuccess;
}

// The steps of one round: the start step, or switch, file and write for the first round of a
// type-2 download on the Korvelin FO and OXA ST.
Result runRoundSteps(Session& session, uint8_t model, uint8_t type) {
    static constexpr DownloadStep kStart[] = {DownloadStep::Start};
    static constexpr DownloadStep kSwitched[] = {DownloadStep::Switch, DownloadStep::File, DownloadStep::Write};
    const bool switched = twoPartModel(model) && type == kFirmwareTypeSwitched;
    for (DownloadStep step : switched ? std::span<const DownloadStep>(kSwitched) : std::span<const DownloadStep>(kStart)) {
        if (const Result result = RunDownloadStep(session, step, model); result != kSuccess) {
            traceValueWriteFailure(&session, value::DownloadInputName);
            return result;
        }
    }
    return kSuccess;
}

Result rereadVersion(Session& session) {
    uint8_t version[4] = {};
    if (const Result result = requestRecord(session, value::GetPrinterVersion, version, sizeof version);
        result != kSuccess) {
        return result;
    }
    Guard lock(session.stateLock);
    session.firmwareVersion = readLe16(version);
    session.printerModel = version[2];
    return kSuccess;
}

}  // namespace

Result RunDownloadStep(Session& session, DownloadStep step, uint8_t model) {
    const StepRow row = rowOf(step);
    traceCall(&session, row.function);
    if (row.firstName != nullptr && twoPartModel(model)) {
        if (const Result result = stepCommand(session, row.firstName, row.firstName); result != kSuccess) return result;
    }
    if (const Result result = stepCommand(session, row.name, value::Download); result != kSuccess) return result;
    traceReturn(&session, row.function);
    return kSuccess;
}

void AwaitDownloadReady(Session& session) {
    // The printer gives no sign of readiness of its own: one round, and the check that stands
    // for it in the trace always finds it ready.
    platform::system().sleep(kReadyRoundMs);
    traceCall(&session, fn::kDownloadReadyCheck);
    traceReturn(&session, fn::kDownloadReadyCheck);
}

void AwaitMonitorCycle(Session& session) {
    int16_t start = 0;
    bool watched = false;
    {
        Guard lock(session.stateLock);
        watched = session.statusCallback != nullptr || session.oxaStatusCallback != nullptr;
        start = session.cycleCount;
    }
    const uint32_t interval = session.statusInterval;
    if (!watched) {
        platform::system().sleep(interval);
        return;
    }
    const uint32_t limit = interval > UINT32_MAX - kMonitorCycleSlackMs ? UINT32_MAX : interval + kMonitorCycleSlackMs;
    waitUntil(limit, std::max<uint32_t>(interval, 1), [&] {
        Guard lock(session.stateLock);
        return session.cycleCount != start;
    });
}

Result DownloadFirmware(Session& session, uint8_t type, const std::u16string& imagePath) {
    const uint8_t model = rereadModel(session);
    TraceLine(&session, traceid::SessionInfo, printerModelLine(model));
    const int rounds = twoPartModel(model) && type == kFirmwareTypeSwitched ? 2 : 1;
    TransferFile staging;
    for (int round = 0; round < rounds; ++round) {
        const uint8_t roundType = round == 1 ? kFirmwareSecondRoundType : type;
        const StagedImage staged = PrepareFirmwareImage(session, model, roundType, imagePath, staging);
        if (staged.result != kSuccess) {
            // An image without a second block: the printer is reset onto what it has.
            if (round == 1 && staged.noMatchingBlock) {
                const Result reset = RunDownloadStep(session, DownloadStep::Reset, model);
                if (reset != kSuccess) return reset;
                break;
            }
            return staged.result;
        }
        TraceLine(&session, traceid::Input, "DL File:%d \n", roundType);
        if (const Result result = writeDownloadInputs(session, roundType, staged.size, staging.path());
            result != kSuccess) {
            return result;
        }
        if (const Result result = runRoundSteps(session, model, roundType); result != kSuccess) return result;
    }
    platform::system().sleep(kSettleAfterDownloadMs);
    if (const Result result = rereadVersion(session); result != kSuccess) return result;
    if (const Result result = ApplyDivisionPrinting(session); result != kSuccess) return result;
    staging.remove();
    AwaitDownloadReady(session);
    return kSuccess;
}

}  // namespace rvs

// Everything the driver keeps for one printer: status records, the settings record, what the
// library wrote, the answers it gives. Value handlers read and change it; Device guards it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/device_data.h"
#include "sim/firmware_store.h"
#include "sim/paper_forms.h"
#include "sim/paper_path.h"
#include "sim/profile.h"
#include "sim/self_test_runner.h"
#include "sim/timeline.h"
#include "sim/value_table.h"

namespace rvs::sim {

// Not thread-safe on its own: the Device holding it locks around every use.
class DriverState {
public:
    DriverState(const Profile& profile, const ValueTable& table, Timeline& timeline);

    const Profile& profile() const { return profile_; }

    std::array<uint8_t, 5> status{};      // "StatusGet"
    std::array<uint8_t, 18> oxaStatus{};  // "OXAGetStatus"
    std::vector<uint8_t> settingsRecord;  // "PrinterData"
    uint32_t returnValue = 0;             // "ReturnValue": the result code of the last request
    uint32_t totalFeedingValue = 0;       // "TotalFeedingValue"
    bool logSettingChanged = false;       // "LogSettingCondition" bit 0
    bool oxaSelected = false;             // "OXASelectDevice" answers 6
    DeviceData deviceData;                // metrics, manufacturing data, LEDs, ... (device_data.h)
    PaperPath paper;                      // print job, paper movements, the customer
    SelfTestRun selfTest;                 // self-test mode and the steps run
    FirmwareStore firmware;               // staged images read, installs, resets
    PaperForms paperForms;                // paper list, default device mode, spooler forms

    // Throws std::out_of_range for a byte past the record.
    void setStatusBit(size_t byte, uint8_t mask, bool on);
    void setOxaStatusBit(size_t byte, uint8_t mask, bool on);

    // Last data the library wrote under `name`.
    std::optional<std::vector<uint8_t>> input(const std::u16string& name) const;
    // `bytes` answer `name`, over the driver's own answer, until the library writes the name.
    void setAnswer(const std::u16string& name, std::vector<uint8_t> bytes);
    // Gets of `name` fail as for an unknown name until it is answered or written again.
    void removeValue(const std::u16string& name);

    // Runs `action` on the device once `afterMs` have passed, at the start of a later spooler
    // call or runDue(), outside the device's lock.
    void after(uint32_t afterMs, TimelineAction action);

    // What a get of `name` answers; nullopt when the name is unknown or removed.
    std::optional<Answer> answerFor(const std::u16string& name) const;
    // A get answered with `given`, the driver's own answer: what the request does.
    void request(const std::u16string& name, const Answer& given);
    // A write by the library: keeps the data as input and answer, then what the write does.
    void write(const std::u16string& name, uint32_t type, const std::vector<uint8_t>& bytes);

private:
    const Profile profile_;
    const ValueTable& table_;
    Timeline& timeline_;
    std::map<std::u16string, Answer> kept_;     // initial answers, a test's answers, library writes
    std::set<std::u16string> overridden_;       // answered by setAnswer: wins over computed answers
    std::set<std::u16string> removed_;
    std::map<std::u16string, std::vector<uint8_t>> inputs_;
};

}  // namespace rvs::sim

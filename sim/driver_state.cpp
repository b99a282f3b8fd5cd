#include "sim/driver_state.h"

#include <utility>

#include "platform/platform.h"
#include "sim/settings_record.h"

namespace rvs::sim {
namespace {

void changeBit(uint8_t& byte, uint8_t mask, bool on) {
    byte = on ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

}  // namespace

DriverState::DriverState(const Profile& profile, const ValueTable& table, Timeline& timeline)
    : settingsRecord(defaultSettingsRecord()),
      deviceData(initialDeviceData(profile)),
      paperForms(profile),
      profile_(profile),
      table_(table),
      timeline_(timeline) {
    for (const auto& [name, handler] : table_.handlers()) {
        if (handler.initial) {
            kept_[name] = handler.initial(profile_);
        }
    }
}

void DriverState::setStatusBit(size_t byte, uint8_t mask, bool on) { changeBit(status.at(byte), mask, on); }

void DriverState::setOxaStatusBit(size_t byte, uint8_t mask, bool on) { changeBit(oxaStatus.at(byte), mask, on); }

std::optional<std::vector<uint8_t>> DriverState::input(const std::u16string& name) const {
    auto it = inputs_.find(name);
    if (it == inputs_.end()) {
        return std::nullopt;
    }
    return it->second;
}

void DriverState::setAnswer(const std::u16string& name, std::vector<uint8_t> bytes) {
    Answer& kept = kept_[name];  // a new entry is REG_BINARY
    kept.bytes = std::move(bytes);
    if (kept.type == 0) {
        kept.type = platform::kRegBinary;
    }
    overridden_.insert(name);
    removed_.erase(name);
}

void DriverState::removeValue(const std::u16string& name) { removed_.insert(name); }

void DriverState::after(uint32_t afterMs, TimelineAction action) {
    timeline_.schedule(platform::system().tickCount(), afterMs, std::move(action));
}

std::optional<Answer> DriverState::answerFor(const std::u16string& name) const {
    if (removed_.count(name) != 0) {
        return std::nullopt;
    }
    const ValueHandler* handler = table_.find(name);
    if (handler != nullptr && handler->answer && overridden_.count(name) == 0) {
        return handler->answer(*this);
    }
    auto it = kept_.find(name);
    if (it == kept_.end()) {
        return std::nullopt;
    }
    return it->second;
}

void DriverState::request(const std::u16string& name, const Answer& given) {
    const ValueHandler* handler = table_.find(name);
    if (handler != nullptr && handler->onRequest) {
        handler->onRequest(*this, given);
    }
}

void DriverState::write(const std::u16string& name, uint32_t type, const std::vector<uint8_t>& bytes) {
    // A write defines the value: later gets answer it, unless the driver computes the answer.
    overridden_.erase(name);
    removed_.erase(name);
    kept_[name] = {bytes, type};
    inputs_[name] = bytes;
    const ValueHandler* handler = table_.find(name);
    if (handler != nullptr && handler->onWrite) {
        handler->onWrite(*this, bytes);
    }
}

}  // namespace rvs::sim

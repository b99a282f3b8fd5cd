#include "sim/device.h"

#include <algorithm>
#include <stdexcept>

#include "platform/platform.h"
#include "sim/default_answers.h"

namespace rvs::sim {

using platform::kRegBinary;
using platform::kRegDword;

namespace {

uint32_t readLittleEndian32(const std::vector<uint8_t>& bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes.size() && i < 4; ++i) {
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    return value;
}

void changeBit(uint8_t& byte, uint8_t mask, bool on) {
    byte = on ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

}  // namespace

Device::Device(Profile profile, ExchangeLog& log) : profile_(profile), log_(log), settings_(defaultSettingsRecord()) {
    for (auto& [name, answer] : defaultAnswers(profile_)) {
        values_[name] = {std::move(answer.bytes), answer.type};
    }
}

void Device::setStatus(const std::array<uint8_t, 5>& status) {
    std::lock_guard<std::mutex> guard(mutex_);
    status_ = status;
}

std::array<uint8_t, 5> Device::status() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return status_;
}

void Device::setStatusBit(size_t byte, uint8_t mask, bool on) {
    std::lock_guard<std::mutex> guard(mutex_);
    changeBit(status_.at(byte), mask, on);
}

void Device::setOxaStatus(const std::array<uint8_t, 18>& status) {
    std::lock_guard<std::mutex> guard(mutex_);
    oxaStatus_ = status;
}

std::array<uint8_t, 18> Device::oxaStatus() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return oxaStatus_;
}

void Device::setOxaStatusBit(size_t byte, uint8_t mask, bool on) {
    std::lock_guard<std::mutex> guard(mutex_);
    changeBit(oxaStatus_.at(byte), mask, on);
}

void Device::setAnswer(const std::u16string& name, std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    Value& value = values_[name];
    value.bytes = std::move(bytes);
    if (value.type == 0) {
        value.type = kRegBinary;
    }
    overridden_.insert(name);
    removed_.erase(name);
}

void Device::removeValue(const std::u16string& name) {
    std::lock_guard<std::mutex> guard(mutex_);
    removed_.insert(name);
}

std::optional<std::vector<uint8_t>> Device::input(const std::u16string& name) const {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = inputs_.find(name);
    if (it == inputs_.end()) {
        return std::nullopt;
    }
    return it->second;
}

uint32_t Device::returnValue() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return returnValue_;
}

void Device::setReturnValue(uint32_t value) {
    std::lock_guard<std::mutex> guard(mutex_);
    returnValue_ = value;
}

std::vector<uint8_t> Device::settingsRecord() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return settings_;
}

void Device::setSettingsRecord(std::vector<uint8_t> record) {
    std::lock_guard<std::mutex> guard(mutex_);
    settings_ = std::move(record);
}

void Device::setTraceSettings(uint8_t mode, uint16_t fileCount, const std::u16string& directory) {
    std::lock_guard<std::mutex> guard(mutex_);
    const size_t end = kTraceDirectoryOffset + (directory.size() + 1) * 2;
    if (settings_.size() < end) {
        settings_.resize(end, 0);
    }
    settings_[kTraceModeOffset] = mode;
    settings_[kTraceModeOffset + 1] = 0;
    settings_[kTraceFileCountOffset] = static_cast<uint8_t>(fileCount);
    settings_[kTraceFileCountOffset + 1] = static_cast<uint8_t>(fileCount >> 8);
    size_t at = kTraceDirectoryOffset;
    for (char16_t unit : directory) {
        settings_[at++] = static_cast<uint8_t>(unit);
        settings_[at++] = static_cast<uint8_t>(unit >> 8);
    }
    settings_[at++] = 0;
    settings_[at] = 0;
}

void Device::setLogSettingChanged(bool changed) {
    std::lock_guard<std::mutex> guard(mutex_);
    logSettingChanged_ = changed;
}

bool Device::logSettingChanged() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return logSettingChanged_;
}

uint32_t Device::totalFeedingValue() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return totalFeedingValue_;
}

void Device::setTotalFeedingValue(uint32_t total) {
    std::lock_guard<std::mutex> guard(mutex_);
    totalFeedingValue_ = total;
}

void Device::injectFault(const std::u16string& name, Fault fault, int times) {
    if (times == 0 || times < -1) {
        return;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    faults_[name].push_back({std::move(fault), times});
}

void Device::clearFaults() {
    std::lock_guard<std::mutex> guard(mutex_);
    faults_.clear();
}

void Device::schedule(uint32_t afterMs, std::function<void(Device&)> action) {
    const uint32_t now = platform::system().tickCount();
    std::lock_guard<std::mutex> guard(mutex_);
    timeline_.push_back({now, afterMs, nextSequence_++, std::move(action)});
    scheduledCount_.store(timeline_.size());
}

void Device::runDue() {
    // Cheap when nothing is scheduled: the monitor thread comes through here every poll.
    if (scheduledCount_.load() == 0) {
        return;
    }
    std::lock_guard<std::recursive_mutex> running(runMutex_);
    const uint32_t now = platform::system().tickCount();
    std::vector<Scheduled> due;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        // Unsigned differences keep the comparison right across a tick count wrap.
        auto isDue = [now](const Scheduled& s) { return now - s.start >= s.afterMs; };
        auto firstDue = std::stable_partition(timeline_.begin(), timeline_.end(),
                                              [&](const Scheduled& s) { return !isDue(s); });
        due.assign(std::make_move_iterator(firstDue), std::make_move_iterator(timeline_.end()));
        timeline_.erase(firstDue, timeline_.end());
        scheduledCount_.store(timeline_.size());
    }
    // The longest overdue became due first.
    std::sort(due.begin(), due.end(), [now](const Scheduled& a, const Scheduled& b) {
        const uint32_t overdueA = (now - a.start) - a.afterMs;
        const uint32_t overdueB = (now - b.start) - b.afterMs;
        return overdueA != overdueB ? overdueA > overdueB : a.sequence < b.sequence;
    });
    for (Scheduled& s : due) {
        s.action(*this);
    }
}

std::optional<Fault> Device::takeFault(const std::u16string& name, bool forSet) {
    auto it = faults_.find(name);
    if (it == faults_.end()) {
        return std::nullopt;
    }
    PendingFault& pending = it->second.front();
    if (forSet && !pending.fault.appliesToSet()) {
        return std::nullopt;
    }
    Fault fault = pending.fault;
    if (pending.remaining > 0 && --pending.remaining == 0) {
        it->second.erase(it->second.begin());
        if (it->second.empty()) {
            faults_.erase(it);
        }
    }
    return fault;
}

bool Device::answerFor(const std::u16string& name, Value* answer) const {
    if (removed_.count(name) != 0) {
        return false;
    }
    if (overridden_.count(name) == 0) {
        // Values the driver computes from its own state.
        if (name == u"StatusGet") {
            *answer = {{status_.begin(), status_.end()}, kRegBinary};
            return true;
        }
        if (name == u"OXAGetStatus") {
            if (!profile_.isOxaSt()) {
                return false;
            }
            *answer = {{oxaStatus_.begin(), oxaStatus_.end()}, kRegBinary};
            return true;
        }
        if (name == u"PrinterData") {
            *answer = {settings_, kRegBinary};
            return true;
        }
        if (name == u"PrinterDataSize") {
            *answer = {littleEndian32(static_cast<uint32_t>(settings_.size())), kRegDword};
            return true;
        }
        if (name == u"LogSettingCondition") {
            *answer = {{static_cast<uint8_t>(logSettingChanged_ ? 1 : 0)}, kRegBinary};
            return true;
        }
        if (name == u"ReturnValue") {
            *answer = {littleEndian32(returnValue_), kRegDword};
            return true;
        }
        if (name == u"TotalFeedingValue") {
            *answer = {littleEndian32(totalFeedingValue_), kRegDword};
            return true;
        }
        if (name == u"OXASelectDevice") {
            *answer = {{static_cast<uint8_t>(oxaSelected_ ? 6 : 0)}, kRegBinary};
            return true;
        }
    }
    auto it = values_.find(name);
    if (it == values_.end()) {
        return false;
    }
    *answer = it->second;
    return true;
}

void Device::storeInput(const std::u16string& name, uint32_t type, std::vector<uint8_t> bytes) {
    if (name == u"ReturnValue") {
        returnValue_ = readLittleEndian32(bytes);
    } else if (name == u"PrinterData") {
        settings_ = bytes;
    } else if (name == u"LogSettingCondition") {
        logSettingChanged_ = !bytes.empty() && (bytes[0] & 0x01) != 0;
    } else if (name == u"TotalFeedingValue") {
        totalFeedingValue_ = readLittleEndian32(bytes);
    } else if (name == u"OXA_Select_Input") {
        oxaSelected_ = !bytes.empty() && bytes[0] == 1;
    }
    // A write defines the value: later gets answer it (the driver state above answers for its own names).
    overridden_.erase(name);
    removed_.erase(name);
    values_[name] = {bytes, type};
    inputs_[name] = std::move(bytes);
}

void Device::record(Exchange exchange) {
    exchange.threadId = platform::system().currentThreadId();
    log_.append(std::move(exchange));
}

uint32_t Device::serveGet(const char16_t* name, uint32_t* type, uint8_t* data, uint32_t size, uint32_t* needed) {
    runDue();
    if (needed != nullptr) {
        *needed = 0;
    }
    if (name == nullptr) {
        return kErrorInvalidParameter;
    }
    Exchange exchange{name, Direction::Get, 0, size, 0, {}, 0, 0};
    std::unique_lock<std::mutex> lock(mutex_);
    std::optional<Fault> fault = takeFault(exchange.name, false);
    if (fault && fault->kind == Fault::Kind::Delay) {
        // Sleep unlocked, so the device's other callers are not held up.
        lock.unlock();
        platform::system().sleep(fault->milliseconds);
        lock.lock();
        fault.reset();
    }

    Value answer;
    if (data == nullptr && size > 0) {
        exchange.error = kErrorInvalidParameter;
    } else if (fault && fault->kind == Fault::Kind::CallFails) {
        exchange.error = fault->error;
    } else if (fault && fault->kind == Fault::Kind::Answer) {
        answer = {fault->bytes, kRegBinary};
    } else if (!answerFor(exchange.name, &answer)) {
        exchange.error = kErrorFileNotFound;
    }

    if (exchange.error == 0) {
        if (fault && fault->kind == Fault::Kind::WrongSize) {
            if (fault->returnValue) {
                returnValue_ = *fault->returnValue;
            }
            answer.bytes.resize(fault->answerSize, 0);
            exchange.needed = fault->answerSize;
            answer.bytes.resize(std::min<size_t>(answer.bytes.size(), size));
        } else {
            exchange.needed = static_cast<uint32_t>(answer.bytes.size());
            if (answer.bytes.size() > size) {
                exchange.error = kErrorMoreData;
            }
        }
    }
    if (exchange.error == 0) {
        std::copy(answer.bytes.begin(), answer.bytes.end(), data);
        exchange.type = answer.type;
        exchange.bytes = std::move(answer.bytes);
        if (type != nullptr) {
            *type = exchange.type;
        }
        if (exchange.name == u"StatusGet") {
            ++statusReads_;
        }
    }
    if (needed != nullptr) {
        *needed = exchange.needed;
    }
    const uint32_t error = exchange.error;
    record(std::move(exchange));
    return error;
}

uint32_t Device::serveSet(const char16_t* name, uint32_t type, const uint8_t* data, uint32_t size) {
    runDue();
    if (name == nullptr) {
        return kErrorInvalidParameter;
    }
    Exchange exchange{name, Direction::Set, type, size, 0, {}, 0, 0};
    if (data != nullptr) {
        exchange.bytes.assign(data, data + size);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    const std::optional<Fault> fault = takeFault(exchange.name, true);
    const Fault::Kind kind = fault ? fault->kind : Fault::Kind::Answer;
    if (kind == Fault::Kind::Delay) {
        lock.unlock();
        platform::system().sleep(fault->milliseconds);
        lock.lock();
    }
    if (data == nullptr && size > 0) {
        exchange.error = kErrorInvalidParameter;
    } else if (kind == Fault::Kind::CallFails) {
        exchange.error = fault->error;
    } else {
        storeInput(exchange.name, type, exchange.bytes);
    }
    const uint32_t error = exchange.error;
    record(std::move(exchange));
    return error;
}

}  // namespace rvs::sim

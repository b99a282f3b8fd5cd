#include "sim/device.h"

#include <algorithm>

#include "platform/platform.h"

namespace rvs::sim {

Device::Device(Profile profile, ExchangeLog& log, const ValueTable& table)
    : log_(log), state_(profile, table, timeline_) {}

void Device::setStatus(const std::array<uint8_t, 5>& status) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.status = status;
}

std::array<uint8_t, 5> Device::status() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.status;
}

void Device::setStatusBit(size_t byte, uint8_t mask, bool on) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.setStatusBit(byte, mask, on);
}

void Device::setOxaStatus(const std::array<uint8_t, 18>& status) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.oxaStatus = status;
}

std::array<uint8_t, 18> Device::oxaStatus() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.oxaStatus;
}

void Device::setOxaStatusBit(size_t byte, uint8_t mask, bool on) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.setOxaStatusBit(byte, mask, on);
}

void Device::setAnswer(const std::u16string& name, std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.setAnswer(name, std::move(bytes));
}

void Device::removeValue(const std::u16string& name) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.removeValue(name);
}

std::optional<std::vector<uint8_t>> Device::input(const std::u16string& name) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.input(name);
}

uint32_t Device::returnValue() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.returnValue;
}

void Device::setReturnValue(uint32_t value) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.returnValue = value;
}

std::vector<uint8_t> Device::settingsRecord() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.settingsRecord;
}

void Device::setSettingsRecord(std::vector<uint8_t> record) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.settingsRecord = std::move(record);
}

void Device::setTraceSettings(uint8_t mode, uint16_t fileCount, const std::u16string& directory) {
    std::lock_guard<std::mutex> guard(mutex_);
    writeTraceSettings(state_.settingsRecord, mode, fileCount, directory);
}

void Device::setLogSettingChanged(bool changed) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.logSettingChanged = changed;
}

bool Device::logSettingChanged() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.logSettingChanged;
}

uint32_t Device::totalFeedingValue() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.totalFeedingValue;
}

void Device::setTotalFeedingValue(uint32_t total) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_.totalFeedingValue = total;
}

DeviceData Device::deviceData() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_.deviceData;
}

void Device::changeDeviceData(const std::function<void(DeviceData&)>& change) {
    std::lock_guard<std::mutex> guard(mutex_);
    change(state_.deviceData);
}

void Device::injectFault(const std::u16string& name, Fault fault, int times) {
    if (times == 0 || times < -1) {
        return;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    faults_[name].push_back({std::move(fault), times});
}

void Device::injectFaultAt(size_t index, Fault fault, ExchangeFilter filter) {
    std::lock_guard<std::mutex> guard(mutex_);
    placed_ = {true, std::move(filter), index, std::move(fault), 0, {}};
}

void Device::startCounting(ExchangeFilter filter) {
    std::lock_guard<std::mutex> guard(mutex_);
    placed_ = {true, std::move(filter), kNoIndex, Fault{}, 0, {}};
}

std::vector<Exchange> Device::countedExchanges() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return placed_.counted;
}

bool Device::exchangeFaultMet() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return placed_.index != kNoIndex && placed_.seen > placed_.index;
}

void Device::clearFaults() {
    std::lock_guard<std::mutex> guard(mutex_);
    faults_.clear();
    placed_ = {};
}

void Device::schedule(uint32_t afterMs, std::function<void(Device&)> action) {
    timeline_.schedule(platform::system().tickCount(), afterMs, std::move(action));
}

void Device::runDue() {
    // Cheap when nothing is scheduled: the monitor thread comes through here every poll.
    if (timeline_.empty() && runningDue_.load() == 0) {
        return;
    }
    std::lock_guard<std::recursive_mutex> running(runMutex_);
    struct Running {
        std::atomic<int>& count;
        explicit Running(std::atomic<int>& c) : count(c) { ++count; }
        ~Running() { --count; }
    } marked(runningDue_);  // before the actions leave the timeline
    for (TimelineAction& action : timeline_.takeDue(platform::system().tickCount())) {
        action(*this);
    }
}

std::optional<Fault> Device::takeFaultAfterDelay(const Exchange& exchange, std::unique_lock<std::mutex>& lock,
                                                bool* counted) {
    std::optional<Fault> fault = takeFault(exchange, counted);
    if (fault && fault->kind == Fault::Kind::Delay) {
        // Sleep unlocked, so the device's other callers are not held up.
        lock.unlock();
        platform::system().sleep(fault->milliseconds);
        lock.lock();
        fault.reset();
    }
    return fault;
}

std::optional<Fault> Device::takeFault(const Exchange& exchange, bool* counted) {
    // Only a get can meet a fault that shapes an answer.
    const bool forSet = exchange.direction != Direction::Get;
    *counted = placed_.counting && placed_.filter.counts(exchange.name, exchange.threadId);
    if (*counted && placed_.seen++ == placed_.index) {
        placed_.counting = false;
        if (!forSet || placed_.fault.appliesToSet()) {
            return placed_.fault;
        }
    }
    return takeNamedFault(exchange.name, forSet);
}

std::optional<Fault> Device::takeNamedFault(const std::u16string& name, bool forSet) {
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

void Device::record(Exchange exchange, bool counted) {
    if (counted) {
        placed_.counted.push_back(exchange);
    }
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
    Exchange exchange{name, Direction::Get, 0, size, 0, {}, 0, platform::system().currentThreadId()};
    std::unique_lock<std::mutex> lock(mutex_);
    bool counted = false;
    const std::optional<Fault> fault = takeFaultAfterDelay(exchange, lock, &counted);

    Answer answer;
    if (data == nullptr && size > 0) {
        exchange.error = kErrorInvalidParameter;
    } else if (fault && fault->kind == Fault::Kind::CallFails) {
        exchange.error = fault->error;
    } else if (fault && fault->kind == Fault::Kind::Answer) {
        answer = binary(fault->bytes);
    } else if (std::optional<Answer> own = state_.answerFor(exchange.name)) {
        answer = std::move(*own);
    } else {
        exchange.error = kErrorFileNotFound;
    }

    if (exchange.error == 0) {
        if (fault && fault->kind == Fault::Kind::WrongSize) {
            if (fault->returnValue) {
                state_.returnValue = *fault->returnValue;
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
        if (!fault) {
            state_.request(exchange.name, answer);  // the driver answered itself: carry it out
        }
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
    record(std::move(exchange), counted);
    return error;
}

uint32_t Device::serveSet(const char16_t* name, uint32_t type, const uint8_t* data, uint32_t size) {
    runDue();
    if (name == nullptr) {
        return kErrorInvalidParameter;
    }
    Exchange exchange{name, Direction::Set, type, size, 0, {}, 0, platform::system().currentThreadId()};
    if (data != nullptr) {
        exchange.bytes.assign(data, data + size);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    bool counted = false;
    const std::optional<Fault> fault = takeFaultAfterDelay(exchange, lock, &counted);
    const Fault::Kind kind = fault ? fault->kind : Fault::Kind::Answer;
    if (data == nullptr && size > 0) {
        exchange.error = kErrorInvalidParameter;
    } else if (kind == Fault::Kind::CallFails) {
        exchange.error = fault->error;
    } else {
        state_.write(exchange.name, type, exchange.bytes);
    }
    const uint32_t error = exchange.error;
    record(std::move(exchange), counted);
    return error;
}

uint32_t Device::serveCall(const char16_t* name, const std::function<bool(DriverState&)>& work) {
    runDue();
    Exchange exchange{name, Direction::Call, 0, 0, 0, {}, 0, platform::system().currentThreadId()};
    std::unique_lock<std::mutex> lock(mutex_);
    bool counted = false;
    const std::optional<Fault> fault = takeFaultAfterDelay(exchange, lock, &counted);
    const Fault::Kind kind = fault ? fault->kind : Fault::Kind::Answer;
    if (kind == Fault::Kind::CallFails) {
        exchange.error = fault->error;
    } else if (!work(state_)) {
        exchange.error = kErrorInvalidParameter;
    }
    const uint32_t error = exchange.error;
    record(std::move(exchange), counted);
    return error;
}

}  // namespace rvs::sim

#include "sim/value_table.h"

#include <stdexcept>
#include <utility>

#include "sim/value_families.h"

namespace rvs::sim {

Answer binary(std::vector<uint8_t> bytes) { return {std::move(bytes), platform::kRegBinary}; }

Answer zeros(size_t size) { return binary(std::vector<uint8_t>(size, 0)); }

Answer dword(uint32_t value) {
    return {{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
             static_cast<uint8_t>(value >> 24)},
            platform::kRegDword};
}

uint32_t readDword(const std::vector<uint8_t>& bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes.size() && i < 4; ++i) {
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    return value;
}

std::function<Answer(const Profile&)> answerBytes(std::vector<uint8_t> bytes) {
    return [bytes = std::move(bytes)](const Profile&) { return binary(bytes); };
}

std::function<Answer(const Profile&)> answerZeros(size_t size) {
    return [size](const Profile&) { return zeros(size); };
}

std::function<Answer(const Profile&)> answerDword(uint32_t value) {
    return [value](const Profile&) { return dword(value); };
}

void ValueTable::add(const std::u16string& name, ValueHandler handler) {
    if (!handlers_.emplace(name, std::move(handler)).second) {
        throw std::logic_error("a value name has two handlers");
    }
}

const ValueHandler* ValueTable::find(const std::u16string& name) const {
    auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : &it->second;
}

const ValueTable& valueTable() {
    static const ValueTable table = [] {
        ValueTable t;
        addChannelValues(t);
        addSessionValues(t);
        addStatusValues(t);
        addSettingsValues(t);
        addDeviceDataValues(t);
        addPrintValues(t);
        addMediaValues(t);
        addMaintenanceValues(t);
        return t;
    }();
    return table;
}

}  // namespace rvs::sim

#include <new>

#include "channel/channel.h"
#include "channel/value_names.h"
#include "platform/platform.h"

namespace rvs {

SettingsRead readSettingsRecord(Session& session, std::vector<uint8_t>& record, uint32_t* announcedSize) {
    uint32_t size = 0;
    if (!readValue(session, value::PrinterDataSize, &size, sizeof size).callOk) {
        return SettingsRead::SizeFailed;
    }
    if (announcedSize != nullptr) {
        *announcedSize = size;
    }
    try {
        record.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return SettingsRead::AllocationFailed;
    } catch (const std::length_error&) {
        return SettingsRead::AllocationFailed;
    }
    if (!readValue(session, value::PrinterData, record.data(), size).callOk) {
        record.clear();
        return SettingsRead::DataFailed;
    }
    return SettingsRead::Ok;
}

Result writeSettingsRecord(Session& session, const std::vector<uint8_t>& record) {
    return writeInput(session, value::PrinterData, platform::kRegBinary, record.data(),
                      static_cast<uint32_t>(record.size()));
}

}  // namespace rvs

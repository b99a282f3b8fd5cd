#include "sim/settings_record.h"

namespace rvs::sim {

std::vector<uint8_t> defaultSettingsRecord() {
    std::vector<uint8_t> record(kSettingsRecordSize, 0);
    record[kTraceFileCountOffset] = static_cast<uint8_t>(kDefaultTraceFileCount);
    record[kTraceFileCountOffset + 1] = static_cast<uint8_t>(kDefaultTraceFileCount >> 8);
    return record;
}

void writeTraceSettings(std::vector<uint8_t>& record, uint8_t mode, uint16_t fileCount,
                        const std::u16string& directory) {
    const size_t end = kTraceDirectoryOffset + (directory.size() + 1) * 2;
    if (record.size() < end) {
        record.resize(end, 0);
    }
    record[kTraceModeOffset] = mode;
    record[kTraceModeOffset + 1] = 0;
    record[kTraceFileCountOffset] = static_cast<uint8_t>(fileCount);
    record[kTraceFileCountOffset + 1] = static_cast<uint8_t>(fileCount >> 8);
    size_t at = kTraceDirectoryOffset;
    for (char16_t unit : directory) {
        record[at++] = static_cast<uint8_t>(unit);
        record[at++] = static_cast<uint8_t>(unit >> 8);
    }
    record[at++] = 0;
    record[at] = 0;
}

}  // namespace rvs::sim

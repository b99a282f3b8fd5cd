// The driver's settings record ("PrinterData") and the trace fields in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rvs::sim {

inline constexpr size_t kSettingsRecordSize = 1344;
inline constexpr size_t kTraceModeOffset = 288;
inline constexpr size_t kTraceFileCountOffset = 290;
inline constexpr size_t kTraceDirectoryOffset = 294;
inline constexpr uint16_t kDefaultTraceFileCount = 5;

// The record of a new driver: tracing off, 5 files kept, no directory.
std::vector<uint8_t> defaultSettingsRecord();

// Writes mode (288), file count (290) and the NUL-terminated directory (294), growing the
// record when the directory does not fit.
void writeTraceSettings(std::vector<uint8_t>& record, uint8_t mode, uint16_t fileCount,
                        const std::u16string& directory);

}  // namespace rvs::sim

// Numbered backups of the trace file: listing them, their age order, removing the oldest and
// renumbering the rest from 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/session.h"

namespace rvs {

// Renumbering sets aside at most this many backups at a time; it is also the largest file count.
inline constexpr uint32_t kTraceMaxBackups = 50;
inline constexpr uint16_t kTraceMinFileCount = 2;
inline constexpr uint16_t kTraceMaxFileCount = 50;

struct TraceFileEntry {
    uint32_t inUse = 0;
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    uint32_t number = 0;  // 0: time-stamped
    std::u16string name;  // as found on disk (after any single-digit conversion), without directory
};

// The session's trace directory (ending in the separator); empty when none is set.
std::u16string TraceDirectoryOf(Session* session);
// The session's file count brought into 2..50: a count from the driver's record may lie outside.
uint32_t TraceEffectiveFileCount(Session* session);

// "<directory>Korvelincomm_<number>.log".
std::u16string TraceBackupPath(const std::u16string& directory, uint32_t number);
std::u16string TraceCurrentPath(const std::u16string& directory);

// Counts the backups in `directory` (the session's, read once by the caller: no session lock is
// taken while the directory is locked); with `entries` also fills at most entries->size() of
// them (converting single-digit names) and returns how many it filled.
uint32_t TraceScanFiles(const std::u16string& directory, std::vector<TraceFileEntry>* entries);

// Index of the oldest in-use entry among the first `count`, or -1 when none is in use.
int TraceOldestEntry(const std::vector<TraceFileEntry>& entries, uint32_t count);

// Deletes the `toDelete` oldest of the first `count` entries and, when it deleted any,
// renumbers the backups left from 1 upward. Returns 1 (0 is kept for a failed name buffer).
int TraceRemoveOldest(const std::u16string& directory, uint32_t count, uint32_t toDelete,
                      std::vector<TraceFileEntry>& entries);

}  // namespace rvs

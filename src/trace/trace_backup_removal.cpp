#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "trace/trace_backups.h"

namespace rvs {
namespace {

bool stamped(const TraceFileEntry& e) { return e.number == 0; }

// Field by field on purpose: of two stamps whose fields disagree in direction, the one met
// first in the listing stays the choice.
bool stampNotBefore(const TraceFileEntry& a, const TraceFileEntry& b) {
    return a.year >= b.year && a.month >= b.month && a.day >= b.day && a.hour >= b.hour && a.minute >= b.minute &&
           a.second >= b.second;
}

}  // namespace

int TraceOldestEntry(const std::vector<TraceFileEntry>& entries, uint32_t count) {
    count = std::min<uint32_t>(count, static_cast<uint32_t>(entries.size()));
    if (count == 0) return -1;
    uint32_t choice = 0;
    for (uint32_t k = 1; k < count; ++k) {
        const TraceFileEntry& c = entries[choice];
        const TraceFileEntry& e = entries[k];
        if (!e.inUse) continue;
        if (!c.inUse || (stamped(c) && stamped(e) && stampNotBefore(c, e)) || (!stamped(c) && stamped(e)) ||
            (!stamped(c) && !stamped(e) && e.number < c.number)) {
            choice = k;
        }
    }
    return entries[choice].inUse ? static_cast<int>(choice) : -1;
}

int TraceRemoveOldest(const std::u16string& directory, uint32_t count, uint32_t toDelete,
                      std::vector<TraceFileEntry>& entries) {
    platform::System& system = platform::system();
    if (directory.empty()) return 1;

    uint32_t deleted = 0;
    for (uint32_t pass = 0; pass < toDelete; ++pass) {
        const int oldest = TraceOldestEntry(entries, count);
        if (oldest < 0) break;
        system.deleteFile(directory + entries[oldest].name);  // already gone: nothing to do
        entries[oldest].inUse = 0;
        ++deleted;
        system.sleep(0);
    }
    if (deleted == 0) return 1;

    // Set the rest aside under temporary names, oldest first, so that renaming them to 1, 2, ...
    // never meets a name still taken by a backup waiting its turn.
    const uint32_t onDisk = std::min(TraceScanFiles(directory, nullptr), kTraceMaxBackups);
    std::vector<int> order;
    for (uint32_t pass = 0; pass < onDisk; ++pass) {
        const int oldest = TraceOldestEntry(entries, count);
        if (oldest < 0) break;
        const std::u16string path = directory + entries[oldest].name;
        system.moveFile(path, path + u".log");
        order.push_back(oldest);
        entries[oldest].inUse = 0;
        system.sleep(0);
    }
    uint32_t position = 1;
    for (int index : order) {
        system.moveFile(directory + entries[index].name + u".log", TraceBackupPath(directory, position++));
        system.sleep(0);
    }
    return 1;
}

}  // namespace rvs

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "platform/platform.h"
#include "trace/trace.h"
#include "trace/trace_backups.h"
#include "trace/trace_rotation_lock.h"

namespace rvs {
namespace {

// Fills the entries for the `found` backups counted; false when they cannot be had, in which
// case removal is skipped.
bool scanEntries(Session* session, uint32_t found, std::vector<TraceFileEntry>& entries, uint32_t* filled) {
    try {
        entries.resize(found);
    } catch (const std::bad_alloc&) {
        return false;
    }
    *filled = TraceScanFiles(session, &entries);
    return true;
}

// True when one file is a non-empty prefix of the other: both hold the start of the same
// current file, i.e. no writer has emptied it since the backup was taken.
bool sameStart(const std::u16string& a, const std::u16string& b) {
    std::unique_ptr<platform::File> first = platform::system().openFile(a, platform::FileMode::Read);
    std::unique_ptr<platform::File> second = platform::system().openFile(b, platform::FileMode::Read);
    if (!first || !second) return false;
    uint64_t remaining = std::min(first->size(), second->size());
    if (remaining == 0) return false;
    std::vector<char> x(64 * 1024), y(64 * 1024);
    while (remaining > 0) {
        const uint32_t chunk = static_cast<uint32_t>(std::min<uint64_t>(remaining, x.size()));
        uint32_t gotX = 0, gotY = 0;
        first->read(x.data(), chunk, &gotX);
        second->read(y.data(), chunk, &gotY);
        if (gotX != chunk || gotY != chunk || !std::equal(x.begin(), x.begin() + chunk, y.begin())) return false;
        remaining -= chunk;
    }
    return true;
}

// The newest numbered backup among the entries, or none.
const TraceFileEntry* newest(const std::vector<TraceFileEntry>& entries, uint32_t count) {
    const TraceFileEntry* found = nullptr;
    for (uint32_t i = 0; i < count && i < entries.size(); ++i) {
        const TraceFileEntry& e = entries[i];
        if (e.inUse && e.number != 0 && (found == nullptr || e.number > found->number)) found = &e;
    }
    return found;
}

void place(const std::u16string& copy, const std::u16string& target) {
    platform::System& system = platform::system();
    system.deleteFile(target);  // a backup of that number (after a gap) is replaced
    if (!system.moveFile(copy, target)) {
        system.copyFile(copy, target);
        system.deleteFile(copy);
    }
}

}  // namespace

// The current file is first copied aside: another session may have rotated the same content a
// moment ago (its writer has not emptied the file yet), and a second backup of it would repeat
// every line. Copying aside also lets the content be compared on platforms where the writer's
// open handle keeps the current file from being read.
void TraceRotate(Session* session) {
    if (session == nullptr) return;
    const std::u16string directory = TraceDirectoryOf(session);
    if (directory.empty()) return;
    platform::System& system = platform::system();
    const uint32_t fileCount = TraceEffectiveFileCount(session);
    TraceRotationLock lock(directory);

    const std::u16string copy = directory + kTraceBaseName + u".rotation.tmp";
    if (!system.copyFile(TraceCurrentPath(directory), copy)) return;

    uint32_t found = TraceScanFiles(session, nullptr);
    std::vector<TraceFileEntry> entries;
    bool listed = found > 0 && scanEntries(session, found, entries, &found);
    const TraceFileEntry* last = listed ? newest(entries, found) : nullptr;
    if (last != nullptr && sameStart(directory + last->name, copy)) {
        system.deleteFile(copy);
        return;
    }
    if (listed && fileCount - 1 <= found + 1) TraceRemoveOldest(session, found, found + 2 - fileCount, entries);
    place(copy, TraceBackupPath(directory, std::min(found + 1, fileCount - 1)));
}

void TracePrune(Session* session) {
    if (session == nullptr) return;
    const std::u16string directory = TraceDirectoryOf(session);
    if (directory.empty()) return;
    const uint32_t fileCount = TraceEffectiveFileCount(session);
    TraceRotationLock lock(directory);

    uint32_t found = TraceScanFiles(session, nullptr);
    if (found == 0) return;
    std::vector<TraceFileEntry> entries;
    if (!scanEntries(session, found, entries, &found)) return;
    if (fileCount - 1 <= found) TraceRemoveOldest(session, found, found + 1 - fileCount, entries);
}

}  // namespace rvs

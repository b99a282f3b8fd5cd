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
bool scanEntries(const std::u16string& directory, uint32_t found, std::vector<TraceFileEntry>& entries,
                 uint32_t* filled) {
    try {
        entries.resize(found);
    } catch (const std::bad_alloc&) {
        return false;
    }
    *filled = TraceScanFiles(directory, &entries);
    return true;
}

uint64_t sizeOf(const std::u16string& path) {
    std::unique_ptr<platform::File> file = platform::system().openFile(path, platform::FileMode::Read);
    return file ? file->size() : 0;
}

// True when one file is a non-empty prefix of the other: both hold the start of the same
// current file, as when a holder that stalled past the lock's limit copied it too.
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

// Under the lock a backup of that number (after a gap) is replaced. A holder whose lock was
// taken over works beside the new holder: it takes the first free number and replaces nothing.
void place(const std::u16string& copy, const std::u16string& directory, uint32_t number,
           const TraceRotationLock& lock) {
    platform::System& system = platform::system();
    if (lock.stillHeld()) {
        const std::u16string target = TraceBackupPath(directory, number);
        system.deleteFile(target);
        if (!system.moveFile(copy, target)) {
            system.copyFile(copy, target);
            system.deleteFile(copy);
        }
        return;
    }
    for (uint32_t n = number; n < number + kTraceMaxBackups; ++n) {
        if (system.moveFile(copy, TraceBackupPath(directory, n))) return;
    }
    system.deleteFile(copy);
}

// Files the copy of the full current file as the newest backup, making room first.
void keepCopy(const std::u16string& directory, uint32_t fileCount, const std::u16string& copy,
              const TraceRotationLock& lock) {
    platform::System& system = platform::system();
    if (sizeOf(copy) == 0) {  // nothing to keep: an empty backup would only push out a real one
        system.deleteFile(copy);
        return;
    }
    uint32_t found = TraceScanFiles(directory, nullptr);
    std::vector<TraceFileEntry> entries;
    const bool listed = found > 0 && scanEntries(directory, found, entries, &found);
    const TraceFileEntry* last = listed ? newest(entries, found) : nullptr;
    if (last != nullptr && sameStart(directory + last->name, copy)) {
        system.deleteFile(copy);
        return;
    }
    if (listed && fileCount - 1 <= found + 1) TraceRemoveOldest(directory, found, found + 2 - fileCount, entries);
    place(copy, directory, std::min(found + 1, fileCount - 1), lock);
}

}  // namespace

// The current file is copied and emptied under the directory lock, right after a look at its
// size: a writer that waited for the lock while another rotated finds the file emptied and
// leaves it alone, so no content is copied twice and no writer empties a file it did not copy.
// Each rotation copies to a name of its own, so a holder that stalls past the lock's limit
// keeps its copy.
bool TraceRotate(Session* session, platform::File& current) {
    if (session == nullptr) return false;
    const std::u16string directory = TraceDirectoryOf(session);
    if (directory.empty()) return false;
    platform::System& system = platform::system();
    const uint32_t fileCount = TraceEffectiveFileCount(session);
    TraceRotationLock lock(directory);
    if (current.size() < kTraceFileLimit) return false;

    const std::u16string tag(lock.tag().begin(), lock.tag().end());
    const std::u16string copy = directory + kTraceBaseName + u"." + tag + u".tmp";
    const bool copied = system.copyFile(TraceCurrentPath(directory), copy);
    current.seek(0);
    current.truncateHere();
    if (copied) {
        keepCopy(directory, fileCount, copy, lock);
    } else {
        system.deleteFile(copy);
    }
    return true;
}

// The directory is read before the directory lock is taken: the writer holds traceLock while it
// waits for the directory lock, so nothing may wait for traceLock while holding the latter.
void TracePrune(Session* session) {
    if (session == nullptr) return;
    const std::u16string directory = TraceDirectoryOf(session);
    if (directory.empty()) return;
    const uint32_t fileCount = TraceEffectiveFileCount(session);
    TraceRotationLock lock(directory);

    uint32_t found = TraceScanFiles(directory, nullptr);
    if (found == 0) return;
    std::vector<TraceFileEntry> entries;
    if (!scanEntries(directory, found, entries, &found)) return;
    if (fileCount - 1 <= found) TraceRemoveOldest(directory, found, found + 1 - fileCount, entries);
}

}  // namespace rvs

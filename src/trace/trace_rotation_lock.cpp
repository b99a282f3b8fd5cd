#include "trace/trace_rotation_lock.h"

#include <atomic>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "trace/trace.h"

namespace rvs {
namespace {

constexpr uint32_t kTagCapacity = 64;
// Where a reader's open handle keeps a file from being renamed, the rename is tried again.
constexpr int kMoveAttempts = 20;
// Claims whose rename failed though no lock was there afterwards, before the claimant goes on
// without the lock.
constexpr int kRefusedClaimsLimit = 3;

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// "<thread>-<sequence>-<tick>": thread ids are unique across processes while the thread lives,
// the sequence tells one thread's claims apart, and the tick dates the claim.
std::string newTag(platform::System& system) {
    static std::atomic<uint32_t> sequence{0};
    return std::to_string(system.currentThreadId()) + "-" + std::to_string(sequence.fetch_add(1)) + "-" +
           std::to_string(system.tickCount());
}

// The tick at which the claim was made; false when the text is no tag.
bool tagTick(const std::string& tag, uint32_t* tick) {
    const size_t dash = tag.rfind('-');
    if (dash == std::string::npos || dash + 1 >= tag.size() || tag.size() - dash > 11) return false;
    uint64_t value = 0;
    for (size_t i = dash + 1; i < tag.size(); ++i) {
        if (tag[i] < '0' || tag[i] > '9') return false;
        value = value * 10 + static_cast<uint64_t>(tag[i] - '0');
    }
    if (value > UINT32_MAX) return false;
    *tick = static_cast<uint32_t>(value);
    return true;
}

// The file's content (a tag), empty when it cannot be read.
std::string contentOf(const std::u16string& path) {
    std::unique_ptr<platform::File> file = platform::system().openFile(path, platform::FileMode::Read);
    if (!file) return std::string();
    char text[kTagCapacity];
    uint32_t got = 0;
    file->read(text, sizeof text, &got);
    return std::string(text, got);
}

bool writeFile(const std::u16string& path, const std::string& content) {
    std::unique_ptr<platform::File> file = platform::system().openFile(path, platform::FileMode::WriteExclusive);
    if (!file) return false;
    uint32_t written = 0;
    return file->write(content.data(), static_cast<uint32_t>(content.size()), &written);
}

// Moves `path` aside under a name of this claimant's and removes it if it still holds `expected`;
// otherwise (it changed hands in the meantime) puts it back. True when it was removed.
bool removeIfStill(const std::u16string& path, const std::u16string& aside, const std::string& expected) {
    platform::System& system = platform::system();
    for (int attempt = 1; !system.moveFile(path, aside); ++attempt) {
        if (attempt == kMoveAttempts || contentOf(path) != expected) return false;
        system.sleep(1);
    }
    if (contentOf(aside) == expected) {
        system.deleteFile(aside);
        return true;
    }
    if (!system.moveFile(aside, path)) system.deleteFile(aside);  // a newer lock stands there already
    return false;
}

}  // namespace

TraceRotationLock::TraceRotationLock(const std::u16string& directory)
    : directory_(directory), lockPath_(directory + kTraceBaseName + u".lock") {
    platform::System& system = platform::system();
    tag_ = newTag(system);
    const uint32_t start = system.tickCount();
    // A lock file without a readable tag (an older writer's) is dated by when it was first seen.
    std::string seen;
    uint32_t seenSince = start;
    int refusedClaims = 0;
    for (;;) {
        if (!system.fileExists(lockPath_)) {
            tag_ = newTag(system);
            if (claim() != Claim::Taken) return;
            // The rename met another claimant's lock, which may be gone again already: try again.
            // Renames refused again and again with no lock in the way mean no claim can succeed.
            if (!system.fileExists(lockPath_) && ++refusedClaims == kRefusedClaimsLimit) return;
        } else {
            const std::string holder = contentOf(lockPath_);
            const uint32_t now = system.tickCount();
            if (holder != seen) {
                seen = holder;
                seenSince = now;
            }
            uint32_t taken = seenSince;
            tagTick(holder, &taken);
            if (now - taken >= kTraceLockAbandonedMs && takeOver(holder)) continue;
        }
        if (system.tickCount() - start >= kTraceLockGiveUpMs) return;
        system.sleep(1);
    }
}

// The claim file is written whole before the rename, which never replaces: the lock file
// always carries its owner's tag.
TraceRotationLock::Claim TraceRotationLock::claim() {
    platform::System& system = platform::system();
    const std::u16string claimPath = directory_ + kTraceBaseName + u"." + wide(tag_) + u".claim";
    if (!writeFile(claimPath, tag_)) {
        system.deleteFile(claimPath);
        return Claim::Impossible;
    }
    held_ = system.moveFile(claimPath, lockPath_);
    if (!held_) system.deleteFile(claimPath);
    return held_ ? Claim::Held : Claim::Taken;
}

bool TraceRotationLock::takeOver(const std::string& judged) {
    return removeIfStill(lockPath_, directory_ + kTraceBaseName + u"." + wide(newTag(platform::system())) + u".stale",
                         judged);
}

bool TraceRotationLock::stillHeld() const { return held_ && contentOf(lockPath_) == tag_; }

TraceRotationLock::~TraceRotationLock() {
    if (!stillHeld()) return;  // taken over: the lock file is another holder's now
    removeIfStill(lockPath_, directory_ + kTraceBaseName + u"." + wide(tag_) + u".release", tag_);
}

}  // namespace rvs

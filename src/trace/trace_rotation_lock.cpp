#include "trace/trace_rotation_lock.h"

#include <string>

#include "platform/platform.h"
#include "trace/trace.h"

namespace rvs {

TraceRotationLock::TraceRotationLock(const std::u16string& directory)
    : lockPath_(directory + kTraceBaseName + u".lock") {
    platform::System& system = platform::system();
    // Thread ids are unique across processes while the thread lives, so no two claimants share a
    // claim file. The rename never replaces, which makes it the one atomic step.
    const std::string id = std::to_string(system.currentThreadId());
    const std::u16string claim = directory + kTraceBaseName + u"." + std::u16string(id.begin(), id.end()) + u".claim";
    if (!system.openFile(claim, platform::FileMode::WriteExclusive)) return;

    const uint32_t start = system.tickCount();
    bool brokeAbandoned = false;
    while (!(held_ = system.moveFile(claim, lockPath_))) {
        if (system.tickCount() - start >= kTraceLockAbandonedMs) {
            if (brokeAbandoned) break;
            system.deleteFile(lockPath_);
            brokeAbandoned = true;
            continue;
        }
        system.sleep(1);
    }
    if (!held_) system.deleteFile(claim);
}

TraceRotationLock::~TraceRotationLock() {
    if (held_) platform::system().deleteFile(lockPath_);
}

}  // namespace rvs

#include <algorithm>
#include <mutex>
#include <vector>

#include "session/registry.h"

namespace rvs {
namespace {

std::mutex& registryLock() {
    static std::mutex lock;
    return lock;
}

std::vector<Session*>& liveSessions() {
    static std::vector<Session*> sessions;
    return sessions;
}

}  // namespace

Session* validateHandle(RvStatementHandle handle) {
    if (handle == nullptr) {
        return nullptr;
    }
    Session* candidate = reinterpret_cast<Session*>(handle);
    std::lock_guard<std::mutex> lock(registryLock());
    const std::vector<Session*>& sessions = liveSessions();
    if (std::find(sessions.begin(), sessions.end(), candidate) == sessions.end()) {
        return nullptr;
    }
    return candidate->magic.load() == kSessionMagic ? candidate : nullptr;
}

void registerSession(Session* session) {
    std::lock_guard<std::mutex> lock(registryLock());
    liveSessions().push_back(session);
}

void unregisterSession(Session* session) {
    std::lock_guard<std::mutex> lock(registryLock());
    std::vector<Session*>& sessions = liveSessions();
    sessions.erase(std::remove(sessions.begin(), sessions.end(), session), sessions.end());
}

size_t liveSessionCount() {
    std::lock_guard<std::mutex> lock(registryLock());
    return liveSessions().size();
}

}  // namespace rvs

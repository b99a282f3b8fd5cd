#include <algorithm>
#include <mutex>
#include <vector>

#include "session/registry.h"

#include "platform/platform.h"

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

// The innermost call this thread is in.
thread_local CallHold* innermostCall = nullptr;

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

CallHold::CallHold(RvStatementHandle handle) : outer_(innermostCall) {
    if (handle != nullptr) {
        Session* candidate = reinterpret_cast<Session*>(handle);
        std::lock_guard<std::mutex> lock(registryLock());
        const std::vector<Session*>& sessions = liveSessions();
        if (std::find(sessions.begin(), sessions.end(), candidate) != sessions.end() &&
            candidate->magic.load() == kSessionMagic) {
            candidate->activeCalls.fetch_add(1);
            session_ = candidate;
        }
    }
    // Linked last: a constructor that throws leaves the chain as it was.
    innermostCall = this;
}

CallHold::~CallHold() {
    innermostCall = outer_;
    if (session_ != nullptr) {
        session_->activeCalls.fetch_sub(1);
    }
}

bool insideOuterCall(const Session& session) {
    if (innermostCall == nullptr) {
        return false;
    }
    for (const CallHold* hold = innermostCall->outer_; hold != nullptr; hold = hold->outer_) {
        if (hold->session_ == &session) {
            return true;
        }
    }
    return false;
}

void awaitCallsLeft(const Session& session) {
    while (session.activeCalls.load() != 0) {
        platform::system().sleep(1);
    }
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

// Registration of the status callbacks the monitor calls.
#include "RvStatement.h"
#include "api/call_frame.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

constexpr Frame kSetStatusCallBack{.function = fn::kSetStatusCallBack};
constexpr Frame kCancelStatusCallBack{.function = fn::kCancelStatusCallBack};
constexpr Frame kSetOXAStatusCallBack{.ending = Ending::Untraced};
constexpr Frame kCancelOXAStatusCallBack{.ending = Ending::Untraced};

uint32_t low32(uint64_t value) { return static_cast<uint32_t>(value); }

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementSetStatusCallBack(RvStatementHandle handle,
                                                                RvStatementStatusCallBack callback,
                                                                uint64_t userData) {
    auto entry = [&](Session& session) {
        TraceLine(&session, traceid::Input, "FuncAdd:%08X ConText:%08X\n",
                  low32(reinterpret_cast<uintptr_t>(callback)), low32(userData));
        return callback == nullptr || userData == 0 ? kInvalidParameter : kSuccess;
    };
    return runExport(kSetStatusCallBack, handle, entry, [&](Call& call) {
        Guard lock(call.session.stateLock);
        call.session.statusCallback = callback;
        call.session.statusUserData = userData;
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementCancelStatusCallBack(RvStatementHandle handle) {
    return runExport(kCancelStatusCallBack, handle, noEntry, [&](Call& call) {
        Guard lock(call.session.stateLock);
        const bool registered = call.session.statusCallback != nullptr;
        call.session.statusCallback = nullptr;
        return registered ? kSuccess : kNoCallback;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementSetOXAStatusCallBack(RvStatementHandle handle,
                                                                   RvStatementOxaStatusCallBack callback,
                                                                   uint64_t userData) {
    auto entry = [&](Session&) { return callback == nullptr || userData == 0 ? kInvalidParameter : kSuccess; };
    return runExport(kSetOXAStatusCallBack, handle, entry, [&](Call& call) {
        Guard lock(call.session.stateLock);
        call.session.oxaStatusCallback = callback;
        call.session.oxaUserData = userData;
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementCancelOXAStatusCallBack(RvStatementHandle handle) {
    return runExport(kCancelOXAStatusCallBack, handle, noEntry, [&](Call& call) {
        Guard lock(call.session.stateLock);
        if (call.session.oxaStatusCallback == nullptr) return kNoCallback;
        call.session.oxaStatusCallback = nullptr;
        return kSuccess;
    });
}

}  // extern "C"

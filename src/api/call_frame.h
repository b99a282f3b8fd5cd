// The call frame every export runs: one description per export and one runner.
//
//   constexpr Frame kGetMetrics{fn::kGetMetrics, {.readiness = true}};
//   return runExport(kGetMetrics, handle,
//                    [&](Session& s) { TraceLine(&s, traceid::Input, "Get ID:%d\n", id);
//                                      return id > 6 ? kInvalidParameter : kSuccess; },
//                    [&](Call& call) { ... return kSuccess; });
//
// The runner: exception barrier, handle validation before any trace line, the Call line, the
// entry (input lines and the argument checks that come before the frame's steps), the refusal
// of the monitor thread, OXA device selection (the entry after it, when the description says
// so), the command handshake, the readiness test on a fresh status read, the body, the release
// of the OXA device (on a failure only for a releasing frame, before the ending's lines), and
// the ending the description names.
#pragma once

#include <cstdint>

#include "RvStatement.h"
#include "channel/channel.h"
#include "monitor/monitor_control.h"
#include "session/registry.h"
#include "session/result_codes.h"
#include "session/session.h"
#include "trace/trace.h"

namespace rvs {

enum class Ending : uint8_t {
    // The Return line on success; on failure the error return line, then the Return line.
    ErrorLineOnFailure,
    // The error return line on every path (0 on success), then the Return line.
    ErrorLineAlways,
    // Entry failures end as ErrorLineOnFailure; the body's code, whatever it is, gets the Return
    // line only: it is not a failure of this call (a cached poll code, a step that traced itself).
    BodyCodeWithReturnLine,
    // No trace line at all.
    Untraced,
};

// What a failed command does with an OXA device it selected.
enum class OxaAfterFailure : uint8_t { StaysSelected, Released };

struct FrameSteps {
    // 9 at once when called on the monitor thread (from a host callback): the command waits for
    // edges only that thread raises, so it could never see them.
    bool refuseMonitorThread = false;
    bool selectOxa = false;   // select the OXA device first (acts on the OXA ST only)
    bool handshake = false;   // CommandHandshake before talking to the printer
    bool readiness = false;   // fresh status read and readiness tests before the body
    OxaAfterFailure oxaAfterFailure = OxaAfterFailure::StaysSelected;
};

struct Frame {
    int function = 0;  // the number in the Call, Return and error return lines
    FrameSteps steps{};
    Ending ending = Ending::ErrorLineOnFailure;
    // A failed entry check returns with the Call line alone, no error return or Return line.
    bool bareEntryFailure = false;
    // The entry's argument checks come after the OXA device selection, before the handshake.
    bool entryAfterSelection = false;
};

// Keeps the monitor off the printer (paused between cycles) while it lives.
class MonitorPause {
public:
    explicit MonitorPause(Session& session) : session_(session) {}
    ~MonitorPause() { resume(); }
    MonitorPause(const MonitorPause&) = delete;
    MonitorPause& operator=(const MonitorPause&) = delete;

    Result pause() {
        if (held_) return kSuccess;
        const Result result = PauseMonitor(session_);
        held_ = result == kSuccess;
        return result;
    }
    // Lets the monitor go again; later calls do nothing.
    Result resume() {
        if (!held_) return kSuccess;
        held_ = false;
        return ResumeMonitor(session_);
    }

private:
    Session& session_;
    bool held_ = false;
};

// The OXA device selection of one call: released on success by the runner, or earlier by the
// body; after a failure as the frame says. A releasing frame lets the device go once the
// selection was tried, even when it failed: a half-done selection must not stay behind.
class OxaSelection {
public:
    OxaSelection(Session& session, OxaAfterFailure afterFailure) : session_(session), afterFailure_(afterFailure) {}
    // Runs while a call unwinds, too.
    ~OxaSelection() { afterFailure(); }
    OxaSelection(const OxaSelection&) = delete;
    OxaSelection& operator=(const OxaSelection&) = delete;

    Result select() {
        tried_ = true;
        const Result result = selectOxaDevice(session_);
        selected_ = result == kSuccess;
        return result;
    }
    Result release() {
        if (!selected_) return kSuccess;
        selected_ = false;
        tried_ = false;
        return releaseOxaDevice(session_);
    }
    // On a way out that failed. The release's result is not the call's, and nothing it throws
    // leaves here: this runs while a call unwinds, too.
    void afterFailure() noexcept {
        if (!tried_ || afterFailure_ != OxaAfterFailure::Released) return;
        selected_ = false;
        tried_ = false;
        try {
            releaseOxaDevice(session_);
        } catch (...) {
            // the call's own result stands
        }
    }

private:
    Session& session_;
    OxaAfterFailure afterFailure_;
    bool tried_ = false;
    bool selected_ = false;
};

// What the body of an export gets: its session, the status the readiness test read, and the
// frame's guards.
class Call {
public:
    Call(Session& session, OxaSelection& oxa) : session(session), oxa_(oxa) {}
    Session& session;
    StatusRecord readyStatus{};  // the record the readiness test read, when the frame has one
    // Selects the OXA device inside the body, for a frame that leaves the selection to it; the
    // runner then releases it as if the frame had selected it.
    Result selectOxa() { return oxa_.select(); }
    // Releases the OXA device before the body's last steps; the runner then does not.
    Result releaseOxa() { return oxa_.release(); }

private:
    OxaSelection& oxa_;
};

inline Result noEntry(Session&) { return kSuccess; }

// 9 unless every pointer is set: the argument check of the output and input buffers.
template <class... Pointers>
Result required(const Pointers*... pointers) {
    return ((pointers != nullptr) && ...) ? kSuccess : kInvalidParameter;
}

template <class Body>
Result exportBarrier(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return kFailure;
    }
}

namespace frame_detail {

// Writes the ending `ending` gives `code`; `bodyCode` says the code came from the body.
inline Result endCall(Session& session, const Frame& frame, Result code, bool bodyCode) {
    switch (frame.ending) {
        case Ending::Untraced:
            return code;
        case Ending::ErrorLineAlways:
            traceErrorReturn(&session, frame.function, code);
            break;
        case Ending::BodyCodeWithReturnLine:
            if (code != kSuccess && !bodyCode) traceErrorReturn(&session, frame.function, code);
            break;
        case Ending::ErrorLineOnFailure:
            if (code != kSuccess) traceErrorReturn(&session, frame.function, code);
            break;
    }
    traceReturn(&session, frame.function);
    return code;
}

template <class Entry>
Result steps(const Frame& frame, Call& call, OxaSelection& oxa, Entry& entry) {
    if (frame.steps.refuseMonitorThread && onMonitorThread(call.session)) return kInvalidParameter;
    if (frame.steps.selectOxa) {
        if (const Result result = oxa.select(); result != kSuccess) return result;
    }
    if (frame.entryAfterSelection) {
        if (const Result result = entry(call.session); result != kSuccess) return result;
    }
    if (frame.steps.handshake) CommandHandshake(call.session);
    if (frame.steps.readiness) return CheckReadiness(call.session, call.readyStatus);
    return kSuccess;
}

template <class Entry, class Body>
Result run(const Frame& frame, Session& session, Entry& entry, Body& body) {
    if (frame.ending != Ending::Untraced) traceCall(&session, frame.function);
    if (!frame.entryAfterSelection) {
        const Result code = entry(session);
        if (code != kSuccess) {
            return frame.bareEntryFailure ? code : endCall(session, frame, code, false);
        }
    }
    OxaSelection oxa(session, frame.steps.oxaAfterFailure);
    Call call(session, oxa);
    Result code = steps(frame, call, oxa, entry);
    const bool bodyCode = code == kSuccess;
    if (bodyCode) code = body(call);
    if (code != kSuccess) {
        oxa.afterFailure();
        return endCall(session, frame, code, bodyCode);
    }
    return endCall(session, frame, oxa.release(), false);
}

}  // namespace frame_detail

// Runs one export: see the top of this file. `entry(Session&)` and `body(Call&)` return codes.
template <class Entry, class Body>
Result runExport(const Frame& frame, RvStatementHandle handle, Entry&& entry, Body&& body) noexcept {
    return exportBarrier([&]() -> Result {
        // Close waits for the hold to go before it frees the session.
        const CallHold hold(handle);
        Session* session = hold.session();
        if (session == nullptr) return kInvalidHandle;
        try {
            return frame_detail::run(frame, *session, entry, body);
        } catch (...) {
            // The call still ends in the trace as a failure, if the trace can be written.
            try {
                frame_detail::endCall(*session, frame, kFailure, false);
            } catch (...) {
            }
            return kFailure;
        }
    });
}

}  // namespace rvs

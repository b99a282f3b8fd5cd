#include "channel/channel.h"
#include "channel/value_names.h"
#include "platform/spooler.h"
#include "trace/trace.h"
#include "trace/trace_level.h"

namespace rvs {
namespace {

// Set while this thread checks the change flag, so a trace line written during the reload
// does not start another check.
thread_local bool checkingSettings = false;

struct CheckScope {
    CheckScope() { checkingSettings = true; }
    ~CheckScope() { checkingSettings = false; }
};

}  // namespace

bool TraceSettingsChanged(Session* session) {
    if (session == nullptr) return false;
    uint8_t flag = 0;
    if (!readValue(*session, value::LogSettingCondition, &flag, 1).callOk || (flag & 0x01) == 0) {
        return false;
    }
    const uint8_t cleared = 0;
    writeInput(*session, value::LogSettingCondition, platform::kRegBinary, &cleared, 1);
    return true;
}

bool TraceEnabled(Session* session, uint16_t id) {
    if (session == nullptr) return false;
    lockcheck::forbidUnderStateLock("trace line");
    if (!checkingSettings) {
        CheckScope scope;
        if (TraceSettingsChanged(session)) {
            TraceLoadSettings(session);  // on failure the settings in force stay
        }
    }
    return traceLevelEnabled(session->traceMode.load(), id);
}

}  // namespace rvs

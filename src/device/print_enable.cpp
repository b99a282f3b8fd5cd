#include "device/print_enable.h"

#include "channel/channel.h"
#include "channel/value_names.h"
#include "platform/spooler.h"

namespace rvs {

Result SendPrintEnable(Session& session, uint8_t enable) {
    if (const Result code = writeInput(session, value::EnabledInput, platform::kRegBinary, &enable, 1);
        code != kSuccess) {
        return code;
    }
    return requestCommand(session, value::Enabled);
}

Result RefreshOxaPrintTimeOut(Session& session) {
    uint8_t minutes = 0;
    const RawAnswer answer = readValue(session, value::OxaPrintTimeOut, &minutes, 1);
    if (!answer.callOk || answer.needed != 1) {
        return kFailure;
    }
    session.oxaPrintTimeOut = minutes;
    return kSuccess;
}

Result WriteOxaPrintTimeOut(Session& session, uint8_t minutes) {
    return writeInput(session, value::OxaPrintTimeOut, platform::kRegDword, &minutes, 1);
}

}  // namespace rvs

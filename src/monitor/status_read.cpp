#include "channel/channel.h"
#include "channel/value_names.h"
#include "monitor/monitor.h"
#include "monitor/status_record.h"

namespace rvs {
namespace {

// REQUIRES: stateLock held (the "ReturnValue" read is the one exchange made under it).
Result judge(Session& session, const RawAnswer& answer, size_t size) {
    if (!answer.callOk) {
        return kInvalidParameter;
    }
    return answer.needed == size ? kSuccess : readReturnValue(session);
}

}  // namespace

bool ReadStatus(Session& session, StatusRecord& record, Result& code) {
    StatusRecord raw{};
    const RawAnswer answer = readValue(session, value::StatusGet, raw.data(), kStatusSize);
    Guard lock(session.stateLock);
    code = judge(session, answer, kStatusSize);
    BuildStatusRecord(session, raw, record, code);
    return code == kSuccess;
}

bool ReadOxaStatus(Session& session, OxaStatusRecord& record, Result& code) {
    OxaStatusRecord raw{};
    const RawAnswer answer = readValue(session, value::OxaGetStatus, raw.data(), kOxaStatusSize);
    Guard lock(session.stateLock);
    code = judge(session, answer, kOxaStatusSize);
    BuildOxaStatusRecord(session, raw, record, code);
    return code == kSuccess;
}

}  // namespace rvs

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

// Builds the record under stateLock; the "ReturnValue" read after a short answer is the one
// exchange made under it.
template <class Record, class Build>
bool readRecord(Session& session, const char16_t* name, Record& record, Result& code, Build build) {
    Record raw{};
    const RawAnswer answer = readValue(session, name, raw.data(), static_cast<uint32_t>(raw.size()));
    Guard lock(session.stateLock);
    lockcheck::StateLockExchangePermit returnValueRead;
    code = judge(session, answer, raw.size());
    build(session, raw, record, code);
    return code == kSuccess;
}

}  // namespace

bool ReadStatus(Session& session, StatusRecord& record, Result& code) {
    return readRecord(session, value::StatusGet, record, code, BuildStatusRecord);
}

bool ReadOxaStatus(Session& session, OxaStatusRecord& record, Result& code) {
    return readRecord(session, value::OxaGetStatus, record, code, BuildOxaStatusRecord);
}

}  // namespace rvs

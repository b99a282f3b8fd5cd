#include "channel/channel.h"
#include "channel/value_names.h"
#include "platform/platform.h"

namespace rvs {

RawAnswer readValue(Session& session, const char16_t* name, void* answer, uint32_t size) {
    lockcheck::forbidUnderStateLock("driver exchange");
    uint32_t type = 0;
    RawAnswer raw;
    raw.callOk = platform::spooler().getPrinterData(session.printer, name, &type, static_cast<uint8_t*>(answer),
                                                    size, &raw.needed) == 0;
    return raw;
}

Result readReturnValue(Session& session) {
    uint32_t value = 0;
    if (!readValue(session, value::ReturnValue, &value, sizeof value).callOk || value == 0) {
        return kFailure;
    }
    return value;
}

Result requestRecord(Session& session, const char16_t* name, void* answer, uint32_t size) {
    RawAnswer raw = readValue(session, name, answer, size);
    if (!raw.callOk) {
        return kInvalidParameter;
    }
    return raw.needed == size ? kSuccess : readReturnValue(session);
}

Result requestCommand(Session& session, const char16_t* name) {
    uint8_t answer = 0;
    Result result = requestRecord(session, name, &answer, 1);
    if (result == kSuccess && answer != 0) {
        return kFailure;
    }
    return result;
}

Result writeInput(Session& session, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
    lockcheck::forbidUnderStateLock("driver exchange");
    return platform::spooler().setPrinterData(session.printer, name, type, static_cast<const uint8_t*>(data), size) == 0
               ? kSuccess
               : kInvalidParameter;
}

uint32_t stringValueSize(const std::u16string& text) { return static_cast<uint32_t>(text.size() * 2); }

}  // namespace rvs

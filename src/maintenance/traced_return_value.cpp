#include "maintenance/traced_return_value.h"

#include "channel/channel.h"
#include "channel/value_names.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

namespace rvs {

Result readReturnValueTraced(Session& session) {
    traceCall(&session, fn::kReadReturnValueTraced);
    uint32_t value = 0;
    Result result = value;
    if (!readValue(session, value::ReturnValue, &value, sizeof value).callOk || value == 0) {
        traceValueReadFailure(&session, value::ReturnValue);
        result = kFailure;
    } else {
        result = value;
    }
    traceReturn(&session, fn::kReadReturnValueTraced);
    return result;
}

}  // namespace rvs

#include "channel/channel.h"
#include "channel/print_control.h"
#include "channel/value_names.h"

namespace rvs {

Result InternalPurge(Session& session) {
    Result result = requestCommand(session, value::PurgeData);
    if (result != kSuccess) {
        return result;
    }
    return SetConsecutivePrint(session, true) == kSuccess ? kSuccess : kFailure;
}

}  // namespace rvs

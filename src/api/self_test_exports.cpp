// The printer's self-test.
#include <cstdint>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "maintenance/self_test.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

// The test waits for edges only the monitor thread raises, so a host callback on that thread is
// refused. The OXA device is selected after the readiness test, by the test itself.
constexpr Frame kPerformSelfTest{.function = fn::kPerformSelfTest,
                                 .steps = {.refuseMonitorThread = true, .handshake = true, .readiness = true}};

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementPerformSelfTest(RvStatementHandle handle, uint8_t testId,
                                                              const uint8_t* data, uint16_t length) {
    const SelfTestRequest request{testId, data, length};
    auto entry = [&](Session& session) {
        const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data));
        TraceLine(&session, traceid::Input, "TestID:%d DataBuf:%08X Data Len:%d\n", testId, address, length);
        return checkSelfTestRequest(request);
    };
    return runExport(kPerformSelfTest, handle, entry, [&](Call& call) { return RunSelfTest(call.session, request); });
}

}  // extern "C"

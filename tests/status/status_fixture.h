// A monitored session plus what the status exports need: the exchanges made on the calling
// thread and the trace lines of one call.
#pragma once

#include <string>
#include <vector>

#include "support/monitor_fixture.h"

namespace rvs::test {

class StatusFixture : public MonitorFixture {
protected:
    // Names of the exchanges this thread made since the log was last cleared, without the trace
    // writer's settings flag reads.
    std::vector<std::u16string> callerExchanges() {
        const uint32_t self = platform::system().currentThreadId();
        std::vector<std::u16string> names;
        for (const sim::Exchange& e : spooler->exchangesWithout({u"LogSettingCondition"})) {
            if (e.threadId == self) {
                names.push_back(e.name);
            }
        }
        return names;
    }

    // The trace lines from the last Call line of function `fn` on.
    std::vector<std::string> callTrace(int fn) { return traceFrom("[TRACE:5001]Call:" + std::to_string(fn)); }

    static std::string errorReturn(int fn, uint32_t code) {
        char text[64];
        std::snprintf(text, sizeof text, "[WAR:3001]Func:%d return 0x%02X", fn, code);
        return text;
    }
    static std::string callLine(int fn) { return "[TRACE:5001]Call:" + std::to_string(fn); }
    static std::string returnLine(int fn) { return "[TRACE:5002]Ret:" + std::to_string(fn); }
};

}  // namespace rvs::test

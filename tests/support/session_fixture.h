// A session on the virtual printer with a fast test clock and a trace file of its own.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "RvStatement.h"
#include "session/session.h"
#include "sim/virtual_printer.h"
#include "support/rv_text.h"
#include "support/temp_dir.h"
#include "support/test_system.h"

namespace rvs::test {

inline constexpr const char16_t* kPrinterName = u"Statement Printer";

class SessionFixture : public ::testing::Test {
protected:
    SessionFixture();
    ~SessionFixture() override;

    // Adds the printer (tracing on with every level into the temp directory).
    sim::Device& addPrinter(sim::Profile profile = sim::Profile::korvelin());
    // Opens the printer added last; fails the test on a non-zero result.
    RvStatementHandle open();
    void close();
    Session& session() const;

    // Exchange names in order, leaving out the monitor's polls and the trace flag reads.
    std::vector<std::u16string> exchangeNames();
    std::vector<sim::Exchange> exchangesOf(const std::u16string& name);
    // The trace lines, each without its time-and-name prefix (e.g. "[TRACE:5001]Call:1").
    std::vector<std::string> traceLines() const;
    std::string traceFile() const { return traceDir.read("Korvelincomm.log"); }

    // Waits (real time, bounded) until `condition` holds; false on time-out.
    template <class Condition>
    bool eventually(Condition condition, int realMs = 5000) {
        for (int waited = 0; waited < realMs; waited += 2) {
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return condition();
    }

    ScopedTestSystem clock;
    sim::ScopedVirtualPrinter spooler;
    TempDir traceDir;
    sim::Device* device = nullptr;
    RvStatementHandle handle = nullptr;
};

}  // namespace rvs::test

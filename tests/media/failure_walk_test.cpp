// Each driver exchange of each printing and paper export fails in turn, in every form: the call
// gives the code the failure calls for, leaves no transfer file, closes a job it opened and
// leaves the monitor polling.
#include <gtest/gtest.h>

#include <functional>

#include "media_fixture.h"
#include "support/failure_walk.h"

namespace rvs::test {
namespace {

const uint8_t kData[] = {'s', 't', 'a', 't', 'e', 'm', 'e', 'n', 't'};
uint8_t answer[4];
const uint32_t kAnswerSize = sizeof answer;

struct Walked {
    const char* name;
    std::function<uint32_t(RvStatementHandle)> call;
    // The printer before the call: its status, behaviour and answers.
    std::function<void(sim::Device&)> arrange = nullptr;
    sim::Profile profile = sim::Profile::korvelin();
    std::vector<std::u16string> exchanges = {};  // the clean run's, as walked
};
void PrintTo(const Walked& w, std::ostream* out) { *out << w.name; }

void statementInThePath(sim::Device& d) {
    d.setStatusBit(0, 0x01, true);  // fed: the feeding account is kept
    d.update([](sim::DriverState& s) { s.paper.behaviour.customerTakesAfterMs.reset(); });
}
// The job's end shows at the first look, so the walk meets the same exchanges run after run.
void jobEndsAtOnce(sim::Device& d) { d.setAnswer(u"GetPrinterStatus", {0, 0}); }

sim::Profile resetAtOnce() {
    sim::Profile profile = sim::Profile::korvelin();
    profile.timings.resetMs = 0;  // the first status read after "Reset" is answered
    return profile;
}

using Names = std::vector<std::u16string>;
const Names kPrintJob = {u"StatusGet",     u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size",
                         u"StartPrinting", u"TxRx_No_Response",   u"EndPrinting",
                         u"GetPrinterStatus", u"StatusGet",       u"ConsecutivePrintDisable"};
const Names kWithAnswer = {u"StatusGet",          u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size",
                           u"TxRx_Input_Rx_Size", u"TxRx_Input_TimeOut", u"TxRx",
                           u"GetPrinterStatus",   u"StatusGet",          u"ConsecutivePrintDisable"};
const Names kPlain = {u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size", u"TxRx_No_Response",
                      u"ConsecutivePrintDisable"};
const Names kPlainWithAnswer = {u"StatusGet",          u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size",
                                u"TxRx_Input_Rx_Size", u"TxRx_Input_TimeOut", u"TxRx",
                                u"ConsecutivePrintDisable"};

Names paperCourse(const char16_t* request, Names after) {
    Names names = {u"StatusGet", u"GetPrinterStatus", request, u"StatusGet"};
    names.insert(names.end(), after.begin(), after.end());
    return names;
}

// Eject and retract clear the paper path before their account: it has nothing to add.
const Walked kWalked[] = {
    {"TxRxPrintJob", [](RvStatementHandle h) { return RvStatementTxRx(h, sizeof kData, kData, nullptr, nullptr, 0); },
     jobEndsAtOnce, sim::Profile::korvelin(), kPrintJob},
    {"TxRxAnswer",
     [](RvStatementHandle h) { return RvStatementTxRx(h, sizeof kData, kData, &kAnswerSize, answer, 100); },
     jobEndsAtOnce, sim::Profile::korvelin(), kWithAnswer},
    {"TxRxEx", [](RvStatementHandle h) { return RvStatementTxRxEx(h, sizeof kData, kData, nullptr, nullptr, 0); },
     nullptr, sim::Profile::korvelin(), kPlain},
    {"TxRxExAnswer",
     [](RvStatementHandle h) { return RvStatementTxRxEx(h, sizeof kData, kData, &kAnswerSize, answer, 100); },
     nullptr, sim::Profile::korvelin(), kPlainWithAnswer},
    {"Present", RvStatementPresent, statementInThePath, sim::Profile::korvelin(),
     paperCourse(u"Present", {u"GetFeedingValue", u"ConsecutivePrintEnable"})},
    {"Eject", RvStatementEject, statementInThePath, sim::Profile::korvelin(),
     paperCourse(u"Eject", {u"ConsecutivePrintEnable"})},
    {"Retract", RvStatementRetract, statementInThePath, sim::Profile::korvelin(),
     paperCourse(u"Retract", {u"ConsecutivePrintEnable"})},
    {"Cut", RvStatementCut, nullptr, sim::Profile::korvelin(), paperCourse(u"Cut", {})},
    {"PaperChange", RvStatementPerformPaperChange, nullptr, sim::Profile::korvelin(), paperCourse(u"PaperChange", {})},
    {"Transport", [](RvStatementHandle h) { return RvStatementTransport(h, 1); }, statementInThePath,
     sim::Profile::korvelin(),
     {u"GetConfiguration", u"StatusGet", u"Transport_input", u"Transport", u"StatusGet", u"StatusGet",
      u"GetFeedingValue", u"ConsecutivePrintEnable"}},
    {"Reset", RvStatementReset, nullptr, resetAtOnce(), {u"Reset", u"StatusGet", u"ConsecutivePrintEnable"}},
    {"RecoverError", RvStatementRecoverError, nullptr, sim::Profile::korvelin(),
     {u"StatusGet", u"Recover", u"StatusGet", u"ConsecutivePrintEnable"}},
};

class FailureWalkTest : public MediaFixture, public ::testing::WithParamInterface<Walked> {
protected:
    // The code a failure at `point` calls for.
    uint32_t expectedAt(const FailurePoint& point) const {
        // Reset reads the status until it answers: one failed read is followed by another.
        if (std::string(GetParam().name) == "Reset" && point.exchange.name == u"StatusGet") return 0;
        return point.usualResult();
    }
    size_t monitorStatusReads() {
        const uint32_t self = platform::system().currentThreadId();
        size_t reads = 0;
        for (const sim::Exchange& e : spooler->exchanges()) {
            reads += e.threadId != self && e.name == u"StatusGet" ? 1 : 0;
        }
        return reads;
    }
    void expectAJobItOpenedClosed() {
        const uint32_t self = platform::system().currentThreadId();
        bool open = false;
        for (const sim::Exchange& e : spooler->exchanges()) {
            if (e.threadId != self) continue;
            if (e.name == u"StartPrinting" && e.error == 0 && e.needed == 1 && e.bytes == std::vector<uint8_t>{0}) {
                open = true;
            }
            if (e.name == u"EndPrinting") open = false;
        }
        EXPECT_FALSE(open) << "a job was opened and not closed";
    }
};

TEST_P(FailureWalkTest, EachExchangeFailsInTurn) {
    uint32_t result = 0;
    const std::vector<sim::Exchange> walked = failureWalk({
        .arrange = [&]() -> sim::Device& {
            openPrinter(GetParam().profile);
            if (GetParam().arrange) GetParam().arrange(*device);
            awaitCycles();
            spooler->clearLog();
            return *device;
        },
        .act = [&] { result = GetParam().call(handle); },
        .check = [&](const FailurePoint& point) {
            EXPECT_EQ(result, expectedAt(point));
            for (const std::u16string& path : files.created()) {
                EXPECT_FALSE(platform::system().fileExists(path)) << "a transfer file was left behind";
            }
            expectAJobItOpenedClosed();
            const size_t reads = monitorStatusReads();
            EXPECT_TRUE(eventually([&] { return monitorStatusReads() > reads + 2; })) << "the monitor stopped polling";
        },
        .cleanUp = [&] { close(); },
        .ignoredNames = {u"LogSettingCondition"},
    });
    std::vector<std::u16string> names;
    for (const sim::Exchange& e : walked) names.push_back(e.name);
    EXPECT_EQ(names, GetParam().exchanges);
}

INSTANTIATE_TEST_SUITE_P(Exports, FailureWalkTest, ::testing::ValuesIn(kWalked),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test

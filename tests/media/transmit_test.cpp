// Transmit and receive: the driver exchanges in order, the transfer file, the answer, the
// print-job bracket and the wait for the job's end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>

#include "media_fixture.h"

namespace rvs::test {
namespace {

using ::testing::ElementsAreArray;
using Names = std::vector<std::u16string>;
using Lines = std::vector<std::string>;

const std::vector<uint8_t> kData = {0x1B, 0x40, 'S', 't', 'a', 't', 'e', 'm', 'e', 'n', 't', 0x0A};

class TransmitTest : public MediaFixture {
protected:
    void SetUp() override {
        openPrinter();
        spooler->clearLog();
    }
    uint32_t txRx(const uint32_t* rxSize = nullptr, uint8_t* rxData = nullptr, uint32_t timeOut = 0) {
        return RvStatementTxRx(handle, static_cast<uint32_t>(kData.size()), kData.data(), rxSize, rxData, timeOut);
    }
    uint32_t txRxEx(const uint32_t* rxSize = nullptr, uint8_t* rxData = nullptr, uint32_t timeOut = 0) {
        return RvStatementTxRxEx(handle, static_cast<uint32_t>(kData.size()), kData.data(), rxSize, rxData, timeOut);
    }
    void jobWord(uint8_t byte0, uint8_t byte1) {
        printer([&](sim::DriverState& d) { d.paper.statusWord = {byte0, byte1}; });
    }
};

TEST_F(TransmitTest, WithAnAnswerTheExchangesComeInOrderAndTheAnswerIsCopied) {
    const uint32_t rxSize = 3;
    std::array<uint8_t, 3> rx{};
    EXPECT_EQ(txRx(&rxSize, rx.data(), 1500), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size",
                                       u"TxRx_Input_Rx_Size", u"TxRx_Input_TimeOut", u"TxRx", u"GetPrinterStatus",
                                       u"StatusGet", u"ConsecutivePrintDisable"}));
    EXPECT_EQ(rx, (std::array<uint8_t, 3>{0x06, 0x10, 0x20}));
    EXPECT_EQ(callerExchangesOf(u"TxRx_Input_Rx_Size")[0].bytes, (std::vector<uint8_t>{3, 0, 0, 0}));
    EXPECT_EQ(callerExchangesOf(u"TxRx_Input_Rx_Size")[0].type, platform::kRegDword);
    EXPECT_EQ(callerExchangesOf(u"TxRx_Input_TimeOut")[0].bytes, (std::vector<uint8_t>{0xDC, 0x05, 0, 0}));
    EXPECT_EQ(callerExchangesOf(u"TxRx")[0].size, 3u);
    // The printer never showed a job: the wait for its end is one look.
    EXPECT_EQ(callerExchangesOf(u"GetPrinterStatus").size(), 1u);
}

TEST_F(TransmitTest, WithoutAnAnswerTheDataGoesAsAPrintJob) {
    const uint32_t zero = 0;
    for (const uint32_t* rxSize : {static_cast<const uint32_t*>(nullptr), &zero}) {
        spooler->clearLog();
        EXPECT_EQ(txRx(rxSize), 0u);
        EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size", u"StartPrinting",
                                           u"TxRx_No_Response", u"EndPrinting", u"GetPrinterStatus", u"StatusGet",
                                           u"ConsecutivePrintDisable"}));
        // The job ran: the printer showed it, and the call waited for its end.
        EXPECT_GT(callerExchangesOf(u"GetPrinterStatus").size(), 1u);
        EXPECT_EQ(printer([](sim::DriverState& d) { return d.paper.statusWord; }), (std::array<uint8_t, 2>{0, 0}));
    }
    EXPECT_EQ(stateFlags() & (state::Byte0Bit5Rose | state::Byte0Bit5Fell), 0u);
}

TEST_F(TransmitTest, TxRxExSendsWithoutBracketOrWait) {
    EXPECT_EQ(txRxEx(), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size",
                                       u"TxRx_No_Response", u"ConsecutivePrintDisable"}));
    spooler->clearLog();
    const uint32_t rxSize = 2;
    std::array<uint8_t, 2> rx{};
    EXPECT_EQ(txRxEx(&rxSize, rx.data(), 7), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size",
                                       u"TxRx_Input_Rx_Size", u"TxRx_Input_TimeOut", u"TxRx",
                                       u"ConsecutivePrintDisable"}));
    EXPECT_EQ(rx, (std::array<uint8_t, 2>{0x06, 0x10}));
}

// The OXA device is selected first and let go after the job's end, before the last status read.
TEST_F(MediaFixture, OnTheOxaStTheDeviceBracketsTheExchange) {
    openPrinter(sim::Profile::oxaSt());
    spooler->clearLog();
    EXPECT_EQ(RvStatementTxRx(handle, 1, kData.data(), nullptr, nullptr, 0), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"OXAPrintTimeOut", u"OXA_Select_Input", u"OXASelectDevice", u"StatusGet",
                                       u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size", u"StartPrinting",
                                       u"TxRx_No_Response", u"EndPrinting", u"GetPrinterStatus", u"StatusGet",
                                       u"ConsecutivePrintDisable"}));
    // With the device reported selected, the selection asks nothing and the release two values.
    device->setOxaStatusBit(8, 0x04, true);
    awaitCycles();
    spooler->clearLog();
    EXPECT_EQ(RvStatementTxRx(handle, 1, kData.data(), nullptr, nullptr, 0), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size", u"StartPrinting",
                                       u"TxRx_No_Response", u"EndPrinting", u"GetPrinterStatus", u"OXA_Select_Input",
                                       u"OXASelectDevice", u"StatusGet", u"ConsecutivePrintDisable"}));
    spooler->clearLog();
    EXPECT_EQ(RvStatementTxRxEx(handle, 1, kData.data(), nullptr, nullptr, 0), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size", u"TxRx_No_Response",
                                       u"OXA_Select_Input", u"OXASelectDevice", u"ConsecutivePrintDisable"}));
}

TEST_F(TransmitTest, TheDriverReadsTheFileDuringTheRequestAndItIsGoneAfter) {
    ASSERT_EQ(txRx(), 0u);
    ASSERT_EQ(files.created().size(), 1u);
    const std::u16string path = files.created()[0];
    const std::vector<sim::ReceivedFile> received = printer([](sim::DriverState& d) { return d.paper.received; });
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].path, path);
    EXPECT_EQ(received[0].data, kData);
    EXPECT_FALSE(platform::system().fileExists(path));
    EXPECT_EQ(files.deletes(path), 1);

    // The path goes as REG_SZ without its NUL; the size as a REG_DWORD.
    const sim::Exchange name = callerExchangesOf(u"TxRx_Input_Tx_Name")[0];
    EXPECT_EQ(name.type, platform::kRegSz);
    EXPECT_EQ(name.size, path.size() * 2);
    EXPECT_EQ(fromBytes(name.bytes), path);
    const sim::Exchange size = callerExchangesOf(u"TxRx_Input_Tx_Size")[0];
    EXPECT_EQ(size.type, platform::kRegDword);
    EXPECT_EQ(size.bytes, (std::vector<uint8_t>{static_cast<uint8_t>(kData.size()), 0, 0, 0}));
}

TEST_F(TransmitTest, AShortAnswerGivesTheDriversCodeAndLeavesTheBufferAlone) {
    device->injectFault(u"TxRx", sim::Fault::wrongSize(3, 0x41));
    const uint32_t rxSize = 4;
    std::array<uint8_t, 4> rx = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(txRx(&rxSize, rx.data()), 0x41u);
    EXPECT_EQ(rx, (std::array<uint8_t, 4>{0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(rxSize, 4u);
    EXPECT_FALSE(platform::system().fileExists(files.created().back()));
    EXPECT_THAT(lines(6), ElementsAreArray({"[TRACE:5001]Call:6", "[WAR:3001]Func:6 return 0x41", "[TRACE:5002]Ret:6"}));
}

TEST_F(TransmitTest, AnAnswerLongerThanTheBufferIsAFailedCall) {
    device->setAnswer(u"TxRx", {1, 2, 3, 4, 5, 6});
    const uint32_t rxSize = 4;
    std::array<uint8_t, 4> rx{};
    EXPECT_EQ(txRx(&rxSize, rx.data()), 9u);
    EXPECT_EQ(rx, (std::array<uint8_t, 4>{}));
}

// The expected answer size is read once: a size the host changes during the call, here once
// the data is handed off, changes nothing: no answer is asked for a call checked without one.
TEST_F(TransmitTest, TheAnswerSizeIsReadOnce) {
    uint32_t rxSize = 0;
    const uint32_t self = platform::system().currentThreadId();
    // On this thread's next exchange after the path was written: the size's.
    std::function<void(sim::Device&)> grow = [&](sim::Device& d) {
        if (!d.input(u"TxRx_Input_Tx_Name") || platform::system().currentThreadId() != self) {
            d.schedule(0, grow);
            return;
        }
        rxSize = 4;
    };
    device->schedule(0, grow);
    EXPECT_EQ(txRxEx(&rxSize, nullptr), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size",
                                       u"TxRx_No_Response", u"ConsecutivePrintDisable"}));
    EXPECT_EQ(rxSize, 4u);
}

// The process's peak resident memory in KiB.
uint64_t peakResidentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6));
    }
    return 0;
}

// The answer block is taken zero-filled without being written: an answer size far beyond what
// the driver answers costs no memory the driver does not fill.
TEST_F(TransmitTest, AHugeAnswerSizeTakesNoMemoryTheDriverDoesNotFill) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' allocators fill the memory they hand out";
#endif
    device->injectFault(u"TxRx", sim::Fault::answer({0x06}));  // one byte: not the size asked for
    const uint32_t rxSize = 1u << 30;
    std::array<uint8_t, 4> rx{};
    const uint64_t before = peakResidentKib();
    EXPECT_EQ(txRxEx(&rxSize, rx.data()), 16u);
    EXPECT_LT(peakResidentKib() - before, 256u * 1024) << "the whole answer block was written";
    EXPECT_EQ(rx, (std::array<uint8_t, 4>{}));
}

struct BadArguments {
    const char* name;
    uint32_t txSize;
    bool txData;
    uint32_t rxSize;
    bool rxData;
};
void PrintTo(const BadArguments& c, std::ostream* out) { *out << c.name; }

class TransmitArgumentTest : public TransmitTest, public ::testing::WithParamInterface<BadArguments> {};

TEST_P(TransmitArgumentTest, IsRefusedBeforeAnyValueIsWritten) {
    const BadArguments& c = GetParam();
    uint8_t rx[4] = {};
    for (int fn : {6, 5}) {
        spooler->clearLog();
        auto call = fn == 6 ? RvStatementTxRx : RvStatementTxRxEx;
        EXPECT_EQ(call(handle, c.txSize, c.txData ? kData.data() : nullptr, &c.rxSize, c.rxData ? rx : nullptr, 0), 9u);
        EXPECT_EQ(callerExchanges(), Names{});
        EXPECT_EQ(stateFlags() & state::CommandPending, 0u);
        EXPECT_THAT(lines(fn), ElementsAreArray({"[TRACE:5001]Call:" + std::to_string(fn),
                                                 "[WAR:3001]Func:" + std::to_string(fn) + " return 0x09",
                                                 "[TRACE:5002]Ret:" + std::to_string(fn)}));
    }
    EXPECT_TRUE(files.created().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, TransmitArgumentTest,
                         ::testing::Values(BadArguments{"NoBytes", 0, true, 0, false},
                                           BadArguments{"NoData", 4, false, 0, false},
                                           BadArguments{"AnswerWithoutBuffer", 4, true, 4, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A txSize of 0 is refused after the OXA device selection, which acts on the OXA ST only.
TEST_F(MediaFixture, ArgumentsAreCheckedAfterTheOxaDeviceSelection) {
    openPrinter(sim::Profile::oxaSt());
    spooler->clearLog();
    EXPECT_EQ(RvStatementTxRx(handle, 0, kData.data(), nullptr, nullptr, 0), 9u);
    EXPECT_EQ(callerExchanges(), (Names{u"OXAPrintTimeOut", u"OXA_Select_Input", u"OXASelectDevice"}));
}

struct NotReady {
    const char* name;
    size_t byte;
    uint8_t mask;
    uint32_t expected;
};
void PrintTo(const NotReady& c, std::ostream* out) { *out << c.name; }

class TransmitReadinessTest : public TransmitTest, public ::testing::WithParamInterface<NotReady> {};

TEST_P(TransmitReadinessTest, StopsBeforeAnyTransferValue) {
    device->setStatusBit(GetParam().byte, GetParam().mask, true);
    EXPECT_EQ(txRx(), GetParam().expected);
    EXPECT_EQ(callerRequests(), Names{u"StatusGet"});
    EXPECT_TRUE(files.created().empty());
}

INSTANTIATE_TEST_SUITE_P(Status, TransmitReadinessTest,
                         ::testing::Values(NotReady{"Byte2Bit04", 2, 0x04, 2}, NotReady{"Byte2Bit40", 2, 0x40, 2},
                                           NotReady{"Byte0Bit08", 0, 0x08, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AfterJob {
    const char* name;
    uint8_t byte0;
    uint32_t expected;
};
void PrintTo(const AfterJob& c, std::ostream* out) { *out << c.name; }

class TransmitAfterJobTest : public TransmitTest, public ::testing::WithParamInterface<AfterJob> {};

// The status after the job: a paper error before a printer error. The bits rise once the
// driver has the data, so the readiness test before it still passes.
TEST_P(TransmitAfterJobTest, TheLastStatusReadJudgesThePrint) {
    const uint8_t byte0 = GetParam().byte0;
    afterDataReceived([byte0](sim::DriverState& d) { d.status[0] |= byte0; });
    const uint32_t rxSize = 1;
    uint8_t rx = 0;
    EXPECT_EQ(txRx(&rxSize, &rx), GetParam().expected);
    EXPECT_EQ(callerRequests().back(), u"StatusGet");
}

INSTANTIATE_TEST_SUITE_P(Status, TransmitAfterJobTest,
                         ::testing::Values(AfterJob{"PaperError", 0x10, 12}, AfterJob{"PrinterError", 0x08, 4},
                                           AfterJob{"PaperAndPrinterError", 0x18, 12}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test

// The shipped RvStatement.dll, loaded with LoadLibraryW and driven end to end through its Win32
// backends: winspool calls, threads, tick count, files and the executable's name. The spooler
// behind it is the virtual printer built as winspool.drv and loaded from beside this program.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "loaded_dll.h"

namespace rvs::test {
namespace {

using Lines = std::vector<std::string>;

// Waits up to `realMs` of real time for `condition`.
template <class Condition>
bool eventually(Condition condition, int realMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string readFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh directory under the user's temporary directory, removed afterwards.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const wchar_t* name) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId());
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        std::filesystem::create_directories(path_, ignored);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // Without a trailing backslash.
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// Every status record the library hands to the callback, with the calling thread.
struct StatusCalls {
    struct Call {
        uint8_t status[5] = {};
        uint64_t userData = 0;
        DWORD threadId = 0;
    };
    static int32_t RVSTATEMENT_CALL record(uint8_t* status, uint64_t userData) {
        auto* self = reinterpret_cast<StatusCalls*>(static_cast<uintptr_t>(userData));
        Call call;
        std::memcpy(call.status, status, sizeof call.status);
        call.userData = userData;
        call.threadId = GetCurrentThreadId();
        std::lock_guard<std::mutex> hold(self->lock);
        self->calls.push_back(call);
        return 0;
    }
    uint64_t userValue() const { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(this)); }
    std::vector<Call> all() {
        std::lock_guard<std::mutex> hold(lock);
        return calls;
    }

    std::mutex lock;
    std::vector<Call> calls;
};

class LoadedDll : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        dll = &rvStatementDll(&error);
        ASSERT_TRUE(error.empty()) << error;
        spooler = &virtualSpooler(&error);
        ASSERT_TRUE(error.empty()) << error;
        spooler->clearLog();
    }
    void TearDown() override {
        if (handle != nullptr) dll->close(handle);
    }

    // "get Open size 5 needed 5 error 0" or "set ReturnValue size 4 type 4 error 0 [00 00 00 00]"
    // for each exchange since the last clear, leaving out the monitor's status polls and the
    // trace flag reads. Reads show neither type nor bytes: the library never looks at the type
    // the driver reports, and the answers are the virtual printer's.
    Lines exchanges() const {
        std::string text(spooler->exchangeLog(nullptr, 0), '\0');
        spooler->exchangeLog(text.data(), static_cast<DWORD>(text.size()));
        Lines lines;
        std::istringstream in(text.c_str());
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("get StatusGet ") || line.starts_with("get LogSettingCondition ")) continue;
            const size_t type = line.find(" type ");
            if (line.starts_with("get ")) {
                line = line.substr(0, line.find(" ["));
                line.erase(type, line.find(" error ") - type);
            } else {
                line.erase(line.find(" needed "), type - line.find(" needed "));
            }
            lines.push_back(line);
        }
        return lines;
    }

    // "get Name" / "set Name" of the exchanges above, leaving out the monitor's paper watcher
    // ("GetTransport", "PaperRemoved"), with each run of one request (a poll) shown once.
    Lines requests() const {
        Lines names;
        for (const std::string& line : exchanges()) {
            std::string name = line.substr(0, line.find(" size "));
            if (name == "get GetTransport" || name == "get PaperRemoved") continue;
            if (names.empty() || names.back() != name) names.push_back(name);
        }
        return names;
    }

    const RvStatementDll* dll = nullptr;
    const VirtualSpooler* spooler = nullptr;
    RvStatementHandle handle = nullptr;
};

TEST_F(LoadedDll, AnswersFnPloxAndCarriesItsVersionResource) {
    EXPECT_EQ(dll->plox(), 42);

    wchar_t path[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(dll->module, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_NE(size, 0u) << "no version resource";
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(10, 2));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(10, 2));
    auto text = [&](const wchar_t* name) {
        std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        wchar_t* value = nullptr;
        UINT units = 0;
        if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &units)) return std::wstring();
        return std::wstring(value);
    };
    EXPECT_EQ(text(L"FileVersion"), L"2.10");
    EXPECT_EQ(text(L"ProductVersion"), L"2.10");
    EXPECT_EQ(text(L"ProductName"), L"RvStatement");
    EXPECT_EQ(text(L"OriginalFilename"), L"RvStatement.dll");
}

// Every request of open's full path goes through winspool with its exact buffer size.
TEST_F(LoadedDll, OpensOnTheFullPathThroughTheSpooler) {
    const wchar_t* printer = L"Full Path Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 0, 0x0110));
    ASSERT_EQ(dll->open(printer, &handle), 0u);
    ASSERT_NE(handle, nullptr);

    const Lines expected = {"get PrinterDataSize size 4 needed 4 error 0",
                            "get PrinterData size 1344 needed 1344 error 0",
                            "set ReturnValue size 4 type 4 error 0 [00 00 00 00]",
                            "get Open size 5 needed 5 error 0",
                            "get TimeInterval size 4 needed 4 error 0",
                            "get OXAPrintTimeOut size 1 needed 1 error 0",
                            "get GetPrinterVersion size 4 needed 4 error 0",
                            "get GetThresholdForLastPage size 4 needed 4 error 0",
                            "get TotalFeedingValue size 4 needed 4 error 0",
                            "get CheckMultiplePagePrinting size 1 needed 1 error 0",
                            "get GetConfiguration size 8 needed 8 error 0",
                            "set DivisionPrinting size 4 type 3 error 0 [00 00 00 00]",
                            "get DivisionPrintingOFF size 1 needed 1 error 0",
                            "get ConsecutivePrintEnable size 1 needed 1 error 0"};
    EXPECT_EQ(exchanges(), expected);

    uint16_t model = 0xFFFF;
    EXPECT_EQ(dll->getPrinterModel(handle, &model), 0u);
    EXPECT_EQ(model, 0u);
    uint8_t status[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(dll->getStatus(handle, status), 0u);
    EXPECT_EQ(std::vector<uint8_t>(status, status + 5), std::vector<uint8_t>(5, 0));
}

TEST_F(LoadedDll, StatusChangesReachTheCallbackOnTheMonitorThread) {
    const wchar_t* printer = L"Callback Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 2, 0));
    ASSERT_EQ(dll->open(printer, &handle), 0u);
    StatusCalls calls;
    ASSERT_EQ(dll->setStatusCallBack(handle, &StatusCalls::record, calls.userValue()), 0u);

    ASSERT_TRUE(spooler->setStatusBit(printer, 0, 0x01, TRUE));  // paper fed
    ASSERT_TRUE(eventually([&] {
        for (const StatusCalls::Call& call : calls.all()) {
            if ((call.status[0] & 0x01) != 0) return true;
        }
        return false;
    })) << "no callback with the paper-fed bit";
    const StatusCalls::Call call = calls.all().back();
    EXPECT_EQ(call.userData, calls.userValue());
    EXPECT_NE(call.threadId, GetCurrentThreadId()) << "callbacks come from the session's monitor thread";

    uint8_t status[5] = {};
    EXPECT_EQ(dll->getStatus(handle, status), 0u);
    EXPECT_EQ(status[0] & 0x01, 0x01);
    EXPECT_EQ(dll->cancelStatusCallBack(handle), 0u);
    EXPECT_EQ(dll->cancelStatusCallBack(handle), 10u);
}

// The trace file lands in the driver's trace directory (given without its backslash), under
// the real executable's name, and carries the printer's UTF-16 name in 8-bit text.
TEST_F(LoadedDll, TraceFileNamesTheWidePrinterInTheDriversDirectory) {
    const wchar_t* printer = L"Kassendrucker S\u00fcd \u2013 Halle 7";
    ScratchDirectory first(L"rvs-dll-trace-"), second(L"rvs-dll-trace-moved-");
    ASSERT_TRUE(spooler->addPrinter(printer, 1, 0));
    ASSERT_TRUE(spooler->setTraceSettings(printer, 0x3F, 5, first.path().c_str()));
    ASSERT_EQ(dll->open(printer, &handle), 0u);

    uint8_t mode = 0;
    uint16_t count = 0;
    RvChar directory[260] = {};
    EXPECT_EQ(dll->getTraceMode(handle, &mode, &count, directory), 0u);
    EXPECT_EQ(mode, 0x3F);
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(std::wstring(directory), first.path() + L"\\");

    const std::string trace = readFile(first.path() + L"\\Korvelincomm.log");
    EXPECT_NE(trace.find("\n[API]Version:02.10 Date:"), std::string::npos) << trace;
    // The name in the system's ANSI code page, as the system itself converts it.
    char ansi[64] = {};
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, printer, -1, ansi, sizeof ansi, nullptr, nullptr), 0);
    EXPECT_NE(trace.find("\t[test_windows_dll.exe][TRACE:5005]Printer name:" + std::string(ansi) + "\n"),
              std::string::npos)
        << trace;
    EXPECT_NE(trace.find("[TRACE:5005]Printer model : Korvelin FO\n"), std::string::npos) << trace;

    // A new directory takes effect at once, for this session's next lines.
    EXPECT_EQ(dll->setTraceMode(handle, 0x10, 3, second.path().c_str()), 0u);
    EXPECT_EQ(dll->getTraceMode(handle, &mode, &count, directory), 0u);
    EXPECT_EQ(mode, 0x11);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(std::wstring(directory), second.path() + L"\\");
    EXPECT_NE(readFile(second.path() + L"\\Korvelincomm.log").find("[TRACE:5002]Ret:127\n"), std::string::npos);
}

TEST_F(LoadedDll, CloseHandsTheFeedingTotalBackAndClosesThePrinter) {
    const wchar_t* printer = L"Feeding Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 0, 0x0110));
    ASSERT_TRUE(spooler->setTotalFeedingValue(printer, 4321));
    ASSERT_EQ(dll->open(printer, &handle), 0u);
    spooler->clearLog();

    EXPECT_EQ(dll->close(handle), 0u);
    handle = nullptr;
    const Lines lines = exchanges();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "set TotalFeedingValue size 4 type 4 error 0 [E1 10 00 00]");
    EXPECT_EQ(lines.back(), "get Close size 1 needed 1 error 0");
    DWORD total = 0;
    ASSERT_TRUE(spooler->getTotalFeedingValue(printer, &total));
    EXPECT_EQ(total, 4321u);
    EXPECT_EQ(spooler->openHandles(), 0);
}

TEST_F(LoadedDll, OpenThatTheSpoolerFailsGivesNineAndLeavesNothingOpen) {
    const wchar_t* printer = L"Failing Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 0, 0x0110));
    ASSERT_TRUE(spooler->injectFault(printer, L"Open", VIRTUAL_SPOOLER_CALL_FAILS, ERROR_GEN_FAILURE, 1));
    RvStatementHandle untouched = reinterpret_cast<RvStatementHandle>(static_cast<uintptr_t>(0x5A5A));
    RvStatementHandle out = untouched;
    EXPECT_EQ(dll->open(printer, &out), 9u);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(dll->open(L"No Such Printer", &out), 9u);
    EXPECT_EQ(spooler->openHandles(), 0);
}

// Print data goes to the driver as a temporary file that the driver reads during the request
// naming it; the file is gone once the job has printed.
TEST_F(LoadedDll, TxRxPrintsThroughATransferFileTheDriverReads) {
    const wchar_t* printer = L"Print Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 0, 0));
    ASSERT_EQ(dll->open(printer, &handle), 0u);
    spooler->clearLog();

    const std::vector<BYTE> data = {0x1B, 0x40, 'S', 't', 'a', 't', 'e', 'm', 'e', 'n', 't', 0x0A, 0x00, 0xFF};
    EXPECT_EQ(dll->txRx(handle, static_cast<uint32_t>(data.size()), data.data(), nullptr, nullptr, 0), 0u);
    const Lines expected = {"set TxRx_Input_Tx_Name", "set TxRx_Input_Tx_Size", "get StartPrinting",
                            "get TxRx_No_Response",   "get EndPrinting",        "get GetPrinterStatus",
                            "get ConsecutivePrintDisable"};
    EXPECT_EQ(requests(), expected);

    wchar_t path[MAX_PATH] = {};
    BYTE received[64] = {};
    DWORD size = 0;
    ASSERT_TRUE(spooler->receivedFile(printer, 0, path, MAX_PATH, received, sizeof received, &size))
        << "the driver could not read the transfer file";
    EXPECT_EQ(std::vector<BYTE>(received, received + size), data);
    EXPECT_FALSE(spooler->receivedFile(printer, 1, path, MAX_PATH, received, sizeof received, &size));
    // GetTempFileNameW's name in the user's temporary directory, deleted after the job.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::filesystem::path file(path);
    EXPECT_EQ(file.parent_path(), std::filesystem::path(temp).parent_path());
    EXPECT_TRUE(file.filename().wstring().starts_with(L"Kor")) << file;
    EXPECT_FALSE(std::filesystem::exists(file)) << file;
}

TEST_F(LoadedDll, CutWaitsForTheCutToStartAndEnd) {
    const wchar_t* printer = L"Cut Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 1, 0));
    ASSERT_EQ(dll->open(printer, &handle), 0u);
    StatusCalls calls;
    ASSERT_EQ(dll->setStatusCallBack(handle, &StatusCalls::record, calls.userValue()), 0u);
    spooler->clearLog();

    EXPECT_EQ(dll->cut(handle), 0u);
    EXPECT_EQ(requests(), (Lines{"get GetPrinterStatus", "get Cut"}));
    // The cutter ran while the call waited: the monitor reported byte 0 bit 7 up, then down.
    bool sawCutting = false;
    for (const StatusCalls::Call& call : calls.all()) sawCutting |= (call.status[0] & 0x80) != 0;
    EXPECT_TRUE(sawCutting);
    uint8_t status[5] = {};
    EXPECT_EQ(dll->getStatus(handle, status), 0u);
    EXPECT_EQ(status[0] & 0x80, 0);
}

// The statement reaches the exit; once the customer takes it, the status callback says so
// (byte 4 bit 6) on the monitor thread.
TEST_F(LoadedDll, PresentThenTheCustomerTakesTheStatement) {
    const wchar_t* printer = L"Present Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 0, 0));
    ASSERT_TRUE(spooler->setCustomer(printer, 200));
    ASSERT_EQ(dll->open(printer, &handle), 0u);
    StatusCalls calls;
    ASSERT_EQ(dll->setStatusCallBack(handle, &StatusCalls::record, calls.userValue()), 0u);
    spooler->clearLog();

    EXPECT_EQ(dll->present(handle), 0u);
    EXPECT_EQ(requests(), (Lines{"get GetPrinterStatus", "get Present", "get ConsecutivePrintEnable"}));
    ASSERT_TRUE(eventually([&] {
        for (const StatusCalls::Call& call : calls.all()) {
            if ((call.status[4] & 0x40) != 0) return true;
        }
        return false;
    })) << "no callback with the paper-removed bit";
    EXPECT_NE(calls.all().back().threadId, GetCurrentThreadId());
    const Lines lines = exchanges();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "get PaperRemoved size 1 needed 1 error 0"), lines.end())
        << "the paper-removed watcher asked the driver";
}

// The version report names the driver version the Win32 spooler's device mode gave at open;
// the metrics come in one driver read of 28 bytes.
// A user paper size goes through the Win32 paper-form calls: the printer information with its
// device mode, the driver's paper lists, the merged device mode set back, and a new form.
TEST_F(LoadedDll, AUserPaperSizeBecomesASpoolerFormThroughWinspool) {
    const wchar_t* printer = L"Paper Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 1, 0));
    ASSERT_EQ(dll->open(printer, &handle), 0u);
    spooler->clearLog();

    EXPECT_EQ(dll->setPaperConfiguration(handle, 2, 0, 150), 0u);
    // Each run of one call shown once: sizes are asked before contents.
    Lines calls;
    for (const std::string& line : exchanges()) {
        if (!line.starts_with("call ")) continue;
        const std::string name = line.substr(0, line.find(' ', 5));
        if (calls.empty() || calls.back() != name) calls.push_back(name);
    }
    EXPECT_EQ(calls, (Lines{"call GetPrinterW", "call DeviceCapabilitiesW", "call DocumentPropertiesW", "call GetPrinterW",
                            "call SetPrinterW", "call AddFormW"}));
    // The form exists now: the same size again updates it instead of adding a second.
    spooler->clearLog();
    EXPECT_EQ(dll->setPaperConfiguration(handle, 2, 0, 150), 0u);
    bool updated = false;
    for (const std::string& line : exchanges()) updated |= line.starts_with("call SetFormW");
    EXPECT_TRUE(updated);
}

TEST_F(LoadedDll, DeviceDataComesThroughTheSpooler) {
    const wchar_t* printer = L"Device Data Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 0, 0));
    const uint32_t metrics[7] = {1, 2, 3, 0x100, 5, 6, 99999999};
    ASSERT_TRUE(spooler->setAnswer(printer, L"GetAllMetrics", reinterpret_cast<const BYTE*>(metrics), sizeof metrics));
    ASSERT_EQ(dll->open(printer, &handle), 0u);
    spooler->clearLog();

    uint8_t version[13];
    std::memset(version, 0xEE, sizeof version);
    EXPECT_EQ(dll->getDllVersion(handle, version), 0u);
    EXPECT_EQ(std::vector<uint8_t>(version, version + 13),
              (std::vector<uint8_t>{'0', '2', '.', '1', '0', '0', '1', '.', '0', '0', 0, 0, 0xEE}));
    EXPECT_TRUE(exchanges().empty()) << "the version report asks the printer nothing";

    uint32_t values[7] = {};
    EXPECT_EQ(dll->getAllMetrics(handle, values), 0u);
    EXPECT_EQ(std::vector<uint32_t>(values, values + 7), std::vector<uint32_t>(metrics, metrics + 7));
    EXPECT_EQ(exchanges(), (Lines{"get GetAllMetrics size 28 needed 28 error 0"}));
    EXPECT_EQ(dll->getAllMetrics(handle, nullptr), 9u);
}

// A driver made for an older DEVMODEW hands out a shorter device mode. It still holds the
// driver version, which is all open takes from it; one too short for that is a failure.
// Drivers made for an older DEVMODEW hand out a shorter device mode; open reads no further than
// the driver's own size and goes on with version 0.
TEST_F(LoadedDll, OpensOnADeviceModeShorterThanDevmodew) {
    const wchar_t* printer = L"Older Driver Printer";
    ASSERT_TRUE(spooler->addPrinter(printer, 0, 0x0110));
    for (WORD publicSize : {WORD(offsetof(DEVMODEW, dmICMMethod)), WORD(offsetof(DEVMODEW, dmDriverVersion))}) {
        ASSERT_TRUE(spooler->setDeviceMode(printer, publicSize, 0));
        ASSERT_EQ(dll->open(printer, &handle), 0u) << "device mode of " << publicSize << " bytes";
        EXPECT_EQ(dll->close(handle), 0u);
        handle = nullptr;
    }
    EXPECT_EQ(spooler->openHandles(), 0);
}

// The virtual winspool.drv keeps the real functions' conventions, which the library's answer
// rules rely on.
class VirtualWinspool : public LoadedDll {
protected:
    void SetUp() override {
        LoadedDll::SetUp();
        ASSERT_TRUE(spooler->addPrinter(kPrinter, 0, 0));
        const BYTE answer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        ASSERT_TRUE(spooler->setAnswer(kPrinter, L"Probe", answer, sizeof answer));
        open = reinterpret_cast<decltype(&OpenPrinterW)>(reinterpret_cast<void*>(GetProcAddress(spooler->module, "OpenPrinterW")));
        closePrinter = reinterpret_cast<decltype(&ClosePrinter)>(reinterpret_cast<void*>(GetProcAddress(spooler->module, "ClosePrinter")));
        getData = reinterpret_cast<decltype(&GetPrinterDataW)>(reinterpret_cast<void*>(GetProcAddress(spooler->module, "GetPrinterDataW")));
        documentProperties = reinterpret_cast<decltype(&DocumentPropertiesW)>(
            reinterpret_cast<void*>(GetProcAddress(spooler->module, "DocumentPropertiesW")));
        ASSERT_TRUE(open && closePrinter && getData && documentProperties);
        ASSERT_TRUE(open(const_cast<LPWSTR>(kPrinter), &printer, nullptr));
    }
    void TearDown() override {
        if (printer != nullptr) closePrinter(printer);
        LoadedDll::TearDown();
    }

    static constexpr const wchar_t* kPrinter = L"Conventions Printer";
    decltype(&OpenPrinterW) open = nullptr;
    decltype(&ClosePrinter) closePrinter = nullptr;
    decltype(&GetPrinterDataW) getData = nullptr;
    decltype(&DocumentPropertiesW) documentProperties = nullptr;
    HANDLE printer = nullptr;
};

TEST_F(VirtualWinspool, GetPrinterDataWSetsTheNeededSizeAndAsksForMoreRoom) {
    LPWSTR probe = const_cast<LPWSTR>(L"Probe");
    DWORD type = 0, needed = 0;
    BYTE small[4] = {};
    EXPECT_EQ(getData(printer, probe, &type, small, sizeof small, &needed), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(needed, 8u);

    needed = 77;
    EXPECT_EQ(getData(printer, probe, nullptr, nullptr, 0, &needed), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(needed, 8u);

    BYTE big[16] = {};
    needed = 0;
    EXPECT_EQ(getData(printer, probe, &type, big, sizeof big, &needed), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(needed, 8u);  // a smaller answer succeeds and says how much came
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(std::vector<BYTE>(big, big + 9), (std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8, 0}));

    EXPECT_EQ(getData(printer, const_cast<LPWSTR>(L"No Such Value"), &type, big, sizeof big, &needed),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(getData(printer, probe, &type, big, sizeof big, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    ASSERT_TRUE(closePrinter(printer));
    HANDLE closed = printer;
    printer = nullptr;
    EXPECT_EQ(getData(closed, probe, &type, big, sizeof big, &needed), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(VirtualWinspool, DocumentPropertiesWGivesADeviceModeLargerThanDevmodew) {
    LPWSTR name = const_cast<LPWSTR>(kPrinter);
    const LONG size = documentProperties(nullptr, printer, name, nullptr, nullptr, 0);
    ASSERT_GT(size, static_cast<LONG>(sizeof(DEVMODEW)));
    std::vector<BYTE> buffer(static_cast<size_t>(size));
    auto* mode = reinterpret_cast<DEVMODEW*>(buffer.data());
    EXPECT_EQ(documentProperties(nullptr, printer, name, mode, nullptr, DM_OUT_BUFFER), IDOK);
    EXPECT_EQ(mode->dmSize, sizeof(DEVMODEW));
    EXPECT_EQ(mode->dmSize + mode->dmDriverExtra, static_cast<DWORD>(size));
    EXPECT_EQ(mode->dmDriverVersion, 0x0100);
    EXPECT_EQ(std::wstring(mode->dmDeviceName), kPrinter);
    EXPECT_LT(documentProperties(nullptr, nullptr, name, nullptr, nullptr, 0), 0);
}

}  // namespace
}  // namespace rvs::test

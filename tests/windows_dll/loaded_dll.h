// RvStatement.dll as a terminal application takes it: LoadLibraryW of the file beside the
// program and GetProcAddress of each export, no import library; and the control functions of
// the virtual winspool.drv the DLL then runs on. Each export the library gains joins
// RvStatementDll here and gets its end-to-end case in dll_test.cpp.
#pragma once

#include <windows.h>

#include <string>

#include "RvStatement.h"
#include "sim/winspool/virtual_winspool.h"

namespace rvs::test {

struct RvStatementDll {
    HMODULE module = nullptr;
    decltype(&fnPlox) plox = nullptr;
    decltype(&RvStatementOpen) open = nullptr;
    decltype(&RvStatementClose) close = nullptr;
    decltype(&RvStatementGetStatus) getStatus = nullptr;
    decltype(&RvStatementSetStatusCallBack) setStatusCallBack = nullptr;
    decltype(&RvStatementCancelStatusCallBack) cancelStatusCallBack = nullptr;
    decltype(&RvStatementGetPrinterModel) getPrinterModel = nullptr;
    decltype(&RvStatementGetSensorStatus) getSensorStatus = nullptr;
    decltype(&RvStatementGetTraceMode) getTraceMode = nullptr;
    decltype(&RvStatementSetTraceMode) setTraceMode = nullptr;
    decltype(&RvStatementGetDllVersion) getDllVersion = nullptr;
    decltype(&RvStatementGetAllMetrics) getAllMetrics = nullptr;
    decltype(&RvStatementTxRx) txRx = nullptr;
    decltype(&RvStatementCut) cut = nullptr;
    decltype(&RvStatementPresent) present = nullptr;
    decltype(&RvStatementSetPaperConfiguration) setPaperConfiguration = nullptr;
};

struct VirtualSpooler {
    HMODULE module = nullptr;
    VirtualSpoolerAddPrinterFn addPrinter = nullptr;
    VirtualSpoolerSetStatusBitFn setStatusBit = nullptr;
    VirtualSpoolerSetAnswerFn setAnswer = nullptr;
    VirtualSpoolerSetTraceSettingsFn setTraceSettings = nullptr;
    VirtualSpoolerSetTotalFeedingValueFn setTotalFeedingValue = nullptr;
    VirtualSpoolerGetTotalFeedingValueFn getTotalFeedingValue = nullptr;
    VirtualSpoolerSetDeviceModeFn setDeviceMode = nullptr;
    VirtualSpoolerInjectFaultFn injectFault = nullptr;
    VirtualSpoolerSetCustomerFn setCustomer = nullptr;
    VirtualSpoolerReceivedFileFn receivedFile = nullptr;
    VirtualSpoolerExchangeLogFn exchangeLog = nullptr;
    VirtualSpoolerClearLogFn clearLog = nullptr;
    VirtualSpoolerOpenHandlesFn openHandles = nullptr;
};

// Loaded once per process; `error` says what is missing when a pointer stays null.
const RvStatementDll& rvStatementDll(std::string* error);
// The winspool.drv the DLL loaded; its controls are null when it is the system's own.
const VirtualSpooler& virtualSpooler(std::string* error);

// The directory of this program, with a trailing backslash.
std::wstring programDirectory();

}  // namespace rvs::test

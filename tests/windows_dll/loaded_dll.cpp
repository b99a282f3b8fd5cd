#include "loaded_dll.h"

namespace rvs::test {
namespace {

// Sets `*function` from the module's export of that name; false (and the name in `error`)
// when it is missing.
template <class Function>
bool resolve(HMODULE module, const char* name, Function* function, std::string* error) {
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (*function == nullptr && error->empty()) *error = std::string("no export ") + name;
    return *function != nullptr;
}

RvStatementDll load(std::string* error) {
    RvStatementDll dll;
    const std::wstring path = programDirectory() + L"RvStatement.dll";
    dll.module = LoadLibraryW(path.c_str());
    if (dll.module == nullptr) {
        *error = "LoadLibraryW(RvStatement.dll) failed with " + std::to_string(GetLastError());
        return dll;
    }
    resolve(dll.module, "fnPlox", &dll.plox, error);
    resolve(dll.module, "RvStatementOpen", &dll.open, error);
    resolve(dll.module, "RvStatementClose", &dll.close, error);
    resolve(dll.module, "RvStatementGetStatus", &dll.getStatus, error);
    resolve(dll.module, "RvStatementSetStatusCallBack", &dll.setStatusCallBack, error);
    resolve(dll.module, "RvStatementCancelStatusCallBack", &dll.cancelStatusCallBack, error);
    resolve(dll.module, "RvStatementGetPrinterModel", &dll.getPrinterModel, error);
    resolve(dll.module, "RvStatementGetSensorStatus", &dll.getSensorStatus, error);
    resolve(dll.module, "RvStatementGetTraceMode", &dll.getTraceMode, error);
    resolve(dll.module, "RvStatementSetTraceMode", &dll.setTraceMode, error);
    resolve(dll.module, "RvStatementGetDllVersion", &dll.getDllVersion, error);
    resolve(dll.module, "RvStatementGetAllMetrics", &dll.getAllMetrics, error);
    resolve(dll.module, "RvStatementTxRx", &dll.txRx, error);
    resolve(dll.module, "RvStatementCut", &dll.cut, error);
    resolve(dll.module, "RvStatementPresent", &dll.present, error);
    resolve(dll.module, "RvStatementSetPaperConfiguration", &dll.setPaperConfiguration, error);
    return dll;
}

VirtualSpooler find(std::string* error) {
    VirtualSpooler spooler;
    spooler.module = GetModuleHandleW(L"winspool.drv");
    if (spooler.module == nullptr) {
        *error = "RvStatement.dll loaded no winspool.drv";
        return spooler;
    }
    if (!resolve(spooler.module, "VirtualSpoolerAddPrinter", &spooler.addPrinter, error)) {
        *error = "the system's winspool.drv was loaded, not the virtual one beside the program "
                 "(under Wine: WINEDLLOVERRIDES=winspool.drv=n)";
        return spooler;
    }
    resolve(spooler.module, "VirtualSpoolerSetStatusBit", &spooler.setStatusBit, error);
    resolve(spooler.module, "VirtualSpoolerSetAnswer", &spooler.setAnswer, error);
    resolve(spooler.module, "VirtualSpoolerSetTraceSettings", &spooler.setTraceSettings, error);
    resolve(spooler.module, "VirtualSpoolerSetTotalFeedingValue", &spooler.setTotalFeedingValue, error);
    resolve(spooler.module, "VirtualSpoolerGetTotalFeedingValue", &spooler.getTotalFeedingValue, error);
    resolve(spooler.module, "VirtualSpoolerSetDeviceMode", &spooler.setDeviceMode, error);
    resolve(spooler.module, "VirtualSpoolerInjectFault", &spooler.injectFault, error);
    resolve(spooler.module, "VirtualSpoolerSetCustomer", &spooler.setCustomer, error);
    resolve(spooler.module, "VirtualSpoolerReceivedFile", &spooler.receivedFile, error);
    resolve(spooler.module, "VirtualSpoolerExchangeLog", &spooler.exchangeLog, error);
    resolve(spooler.module, "VirtualSpoolerClearLog", &spooler.clearLog, error);
    resolve(spooler.module, "VirtualSpoolerOpenHandles", &spooler.openHandles, error);
    return spooler;
}

}  // namespace

std::wstring programDirectory() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    return directory.substr(0, directory.rfind(L'\\') + 1);
}

const RvStatementDll& rvStatementDll(std::string* error) {
    static std::string loadError;
    static const RvStatementDll dll = load(&loadError);
    *error = loadError;
    return dll;
}

const VirtualSpooler& virtualSpooler(std::string* error) {
    static std::string findError;
    static const VirtualSpooler spooler = [] {
        std::string ignored;
        rvStatementDll(&ignored);  // the spooler comes in with the DLL's imports
        return find(&findError);
    }();
    *error = findError;
    return spooler;
}

}  // namespace rvs::test

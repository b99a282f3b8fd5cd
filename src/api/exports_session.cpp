// Open, close and fnPlox.
#include "RvStatement.h"
#include "api/call_frame.h"
#include "api/open_close.h"

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementOpen(const RvChar* printerName, RvStatementHandle* handleOut) {
    return rvs::exportBarrier(
        [&] { return rvs::openSession(reinterpret_cast<const char16_t*>(printerName), handleOut); });
}

RvStatementResult RVSTATEMENT_CALL RvStatementClose(RvStatementHandle handle) {
    return rvs::exportBarrier([&] { return rvs::closeSession(handle); });
}

int RVSTATEMENT_CALL fnPlox(void) { return 42; }

}  // extern "C"

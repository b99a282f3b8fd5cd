#pragma once

#include "RvStatement.h"
#include "api/result_codes.h"

namespace rvs {

Result openSession(const char16_t* printerName, RvStatementHandle* handleOut);
Result closeSession(RvStatementHandle handle);

}  // namespace rvs

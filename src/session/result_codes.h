// Result codes of the library; any other non-zero code is the driver's own ("ReturnValue").
#pragma once

#include <cstdint>

#include "RvStatement.h"

namespace rvs {

using Result = uint32_t;

inline constexpr Result kSuccess = ResultSuccess;
inline constexpr Result kNotReady = ResultNotReady;
inline constexpr Result kPrinterError = ResultPrinterError;
inline constexpr Result kStatusTimeout = ResultStatusTimeout;
inline constexpr Result kInvalidHandle = ResultInvalidHandle;
inline constexpr Result kInvalidParameter = ResultInvalidParameter;
inline constexpr Result kNoCallback = ResultNoCallback;
inline constexpr Result kPrinterBusy = ResultPrinterBusy;
inline constexpr Result kPaperError = ResultPaperError;
inline constexpr Result kFileError = ResultFileError;
inline constexpr Result kFailure = ResultFailure;
inline constexpr Result kMoveStartTimeout = ResultMoveStartTimeout;
inline constexpr Result kMoveEndTimeout = ResultMoveEndTimeout;
inline constexpr Result kCutStartTimeout = ResultCutStartTimeout;
inline constexpr Result kCutEndTimeout = ResultCutEndTimeout;
inline constexpr Result kSelfTestError = ResultSelfTestError;
inline constexpr Result kDeviceSelectTimeout = ResultDeviceSelectTimeout;

}  // namespace rvs

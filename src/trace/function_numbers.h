// The number each export (and a few internal steps) writes in its Call, Return and error
// return trace lines.
#pragma once

namespace rvs::fn {

inline constexpr int kOpen = 1;
inline constexpr int kGetStatus = 2;
inline constexpr int kSetStatusCallBack = 3;
inline constexpr int kCancelStatusCallBack = 4;
inline constexpr int kTxRxEx = 5;
inline constexpr int kTxRx = 6;
inline constexpr int kReset = 7;
inline constexpr int kGetMetrics = 8;
inline constexpr int kGetAllMetrics = 9;
inline constexpr int kSetMetrics = 10;
inline constexpr int kGetMFGData = 11;
inline constexpr int kSetMFGData = 12;
inline constexpr int kSetMFGDataEx = 13;
inline constexpr int kSetPrinterConfiguration = 14;
inline constexpr int kGetPrinterConfiguration = 15;
inline constexpr int kRecoverError = 16;
inline constexpr int kTransport = 17;
inline constexpr int kPresent = 18;
inline constexpr int kEject = 19;
inline constexpr int kRetract = 20;
inline constexpr int kCut = 21;
inline constexpr int kPerformPaperChange = 22;
inline constexpr int kFirmwareDownload = 23;
inline constexpr int kPerformSelfTest = 24;
inline constexpr int kPanelLedControl = 25;
inline constexpr int kPrintEnable = 26;
inline constexpr int kPurgeData = 27;
inline constexpr int kGetDllVersion = 28;
inline constexpr int kGetTransportStatus = 29;
inline constexpr int kGetSensorStatus = 30;
inline constexpr int kGetOXASensorStatus = 30;
inline constexpr int kGetRetractedCount = 31;
inline constexpr int kSetPaperConfiguration = 32;
inline constexpr int kSetTraceMode = 41;
inline constexpr int kSetOXAPrintTimeOut = 125;
inline constexpr int kPrintEnableEx = 126;
inline constexpr int kGetTraceMode = 127;

// Internal steps with trace lines of their own.
inline constexpr int kReadReturnValueTraced = 108;
inline constexpr int kDownloadReadyCheck = 114;
inline constexpr int kTraceStoreSettings = 122;
inline constexpr int kDownloadStart = 128;
inline constexpr int kDownloadSwitch = 129;
inline constexpr int kDownloadFile = 130;
inline constexpr int kDownloadWrite = 131;
inline constexpr int kDownloadReset = 132;

}  // namespace rvs::fn

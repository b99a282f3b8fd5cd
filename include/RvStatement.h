/* RvStatement: client library for Korvelin, Korvelin FO and OXA ST statement printers.
 *
 * Every function but fnPlox returns a result code: 0 on success, one of the library's codes
 * below, or a code the printer's driver reported. Output buffers belong to the caller. */
#ifndef RVSTATEMENT_H
#define RVSTATEMENT_H

#include <stdint.h>

#if defined(_WIN32)
#define RVSTATEMENT_CALL __stdcall
typedef wchar_t RvChar;
#else
#define RVSTATEMENT_CALL
#ifdef __cplusplus
typedef char16_t RvChar;
#else
#include <uchar.h>
typedef char16_t RvChar;
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque session handle from RvStatementOpen. */
typedef struct RvStatementSession* RvStatementHandle;

typedef uint32_t RvStatementResult;

enum {
    ResultSuccess = 0,
    ResultNotReady = 2,
    ResultPrinterError = 4,
    ResultStatusTimeout = 7,
    ResultInvalidHandle = 8,
    ResultInvalidParameter = 9,
    ResultNoCallback = 10,
    ResultPrinterBusy = 11,
    ResultPaperError = 12,
    ResultFileError = 14,
    ResultFailure = 16,
    ResultMoveStartTimeout = 19,
    ResultMoveEndTimeout = 20,
    ResultCutStartTimeout = 21,
    ResultCutEndTimeout = 22,
    ResultSelfTestError = 23,
    ResultDeviceSelectTimeout = 27
};

/* Called on the session's monitor thread with a copy of the 5-byte status record (or the
 * 18-byte OXA status record) that is valid only during the call. The return value is ignored. */
typedef int32_t (RVSTATEMENT_CALL *RvStatementStatusCallBack)(uint8_t* status, uint64_t userData);
typedef int32_t (RVSTATEMENT_CALL *RvStatementOxaStatusCallBack)(uint8_t* oxaStatus, uint64_t userData);

/* Open and close */
RvStatementResult RVSTATEMENT_CALL RvStatementOpen(const RvChar* printerName, RvStatementHandle* handleOut);
RvStatementResult RVSTATEMENT_CALL RvStatementClose(RvStatementHandle handle);

/* Status and callbacks */
RvStatementResult RVSTATEMENT_CALL RvStatementGetStatus(RvStatementHandle handle, uint8_t* status /* 5 bytes */);
RvStatementResult RVSTATEMENT_CALL RvStatementSetStatusCallBack(RvStatementHandle handle,
                                                                RvStatementStatusCallBack callback,
                                                                uint64_t userData);
RvStatementResult RVSTATEMENT_CALL RvStatementCancelStatusCallBack(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementGetTransportStatus(RvStatementHandle handle, uint8_t* transport);
RvStatementResult RVSTATEMENT_CALL RvStatementGetSensorStatus(RvStatementHandle handle, uint16_t* sensor);
RvStatementResult RVSTATEMENT_CALL RvStatementGetRetractedCount(RvStatementHandle handle, uint8_t* count);
RvStatementResult RVSTATEMENT_CALL RvStatementGetOXAStatus(RvStatementHandle handle, uint8_t* oxaStatus /* 18 bytes */);
RvStatementResult RVSTATEMENT_CALL RvStatementSetOXAStatusCallBack(RvStatementHandle handle,
                                                                   RvStatementOxaStatusCallBack callback,
                                                                   uint64_t userData);
RvStatementResult RVSTATEMENT_CALL RvStatementCancelOXAStatusCallBack(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementGetOXASensorStatus(RvStatementHandle handle, uint8_t* sensor /* 8 bytes */);
RvStatementResult RVSTATEMENT_CALL RvStatementGetPrinterModel(RvStatementHandle handle, uint16_t* model);

/* Trace mode; directory holds at least 260 characters */
RvStatementResult RVSTATEMENT_CALL RvStatementGetTraceMode(RvStatementHandle handle, uint8_t* mode,
                                                           uint16_t* fileCount, RvChar* directory);
RvStatementResult RVSTATEMENT_CALL RvStatementSetTraceMode(RvStatementHandle handle, uint8_t mode,
                                                           uint16_t fileCount, const RvChar* directory);

/* Metrics and manufacturing data */
RvStatementResult RVSTATEMENT_CALL RvStatementGetMetrics(RvStatementHandle handle, uint8_t metricId, uint32_t* value);
RvStatementResult RVSTATEMENT_CALL RvStatementGetAllMetrics(RvStatementHandle handle, uint32_t* values /* 7 */);
RvStatementResult RVSTATEMENT_CALL RvStatementSetMetrics(RvStatementHandle handle, uint8_t metricId, uint32_t value);
RvStatementResult RVSTATEMENT_CALL RvStatementGetMFGData(RvStatementHandle handle, uint8_t* data /* 115 bytes */);
RvStatementResult RVSTATEMENT_CALL RvStatementSetMFGData(RvStatementHandle handle, const uint8_t* data /* 31 bytes */);
RvStatementResult RVSTATEMENT_CALL RvStatementSetMFGDataEx(RvStatementHandle handle, const uint8_t* data /* 115 bytes */);

/* Configuration, LEDs, print enable, purge, version */
RvStatementResult RVSTATEMENT_CALL RvStatementGetPrinterConfiguration(RvStatementHandle handle, uint8_t* configuration /* 8 bytes */);
RvStatementResult RVSTATEMENT_CALL RvStatementPanelLedControl(RvStatementHandle handle, uint8_t redMode,
                                                              uint8_t greenMode, uint8_t yellowMode,
                                                              uint8_t redOn, uint8_t redOff,
                                                              uint8_t greenOn, uint8_t greenOff,
                                                              uint8_t yellowOn, uint8_t yellowOff);
RvStatementResult RVSTATEMENT_CALL RvStatementPrintEnable(RvStatementHandle handle, uint8_t enable);
RvStatementResult RVSTATEMENT_CALL RvStatementPrintEnableEx(RvStatementHandle handle, uint8_t enable, uint8_t timeOutMinutes);
RvStatementResult RVSTATEMENT_CALL RvStatementPurgeData(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementGetDllVersion(RvStatementHandle handle, uint8_t* version /* 12 bytes */);
RvStatementResult RVSTATEMENT_CALL RvStatementSetOXAPrintTimeOut(RvStatementHandle handle, uint8_t timeOutMinutes);

/* Transmit and receive */
RvStatementResult RVSTATEMENT_CALL RvStatementTxRx(RvStatementHandle handle, uint32_t txSize, const uint8_t* txData,
                                                   const uint32_t* rxSize, uint8_t* rxData, uint32_t timeOut);
RvStatementResult RVSTATEMENT_CALL RvStatementTxRxEx(RvStatementHandle handle, uint32_t txSize, const uint8_t* txData,
                                                     const uint32_t* rxSize, uint8_t* rxData, uint32_t timeOut);

/* Media commands; transport mode 1 present, 2 eject, 3 retract */
RvStatementResult RVSTATEMENT_CALL RvStatementReset(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementRecoverError(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementPresent(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementEject(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementRetract(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementCut(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementPerformPaperChange(RvStatementHandle handle);
RvStatementResult RVSTATEMENT_CALL RvStatementTransport(RvStatementHandle handle, uint8_t mode);

/* Maintenance */
RvStatementResult RVSTATEMENT_CALL RvStatementFirmwareDownload(RvStatementHandle handle, uint8_t type, const RvChar* imagePath);
RvStatementResult RVSTATEMENT_CALL RvStatementPerformSelfTest(RvStatementHandle handle, uint8_t testId,
                                                              const uint8_t* data, uint16_t length);
RvStatementResult RVSTATEMENT_CALL RvStatementSetPrinterConfiguration(RvStatementHandle handle, const uint8_t* configuration /* 8 bytes */);
RvStatementResult RVSTATEMENT_CALL RvStatementSetPaperConfiguration(RvStatementHandle handle, uint8_t sizeCode,
                                                                    uint8_t paperType, uint16_t lengthMm);

/* Returns 42. */
int RVSTATEMENT_CALL fnPlox(void);

#ifdef __cplusplus
}
#endif

#endif

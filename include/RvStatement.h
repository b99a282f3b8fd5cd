/* RvStatement 2.10: client library for the Korvelin, Korvelin FO and OXA ST statement printers.
 *
 * Binary interface
 * - Windows x64: RvStatement.dll exports every function below under its plain name (listed in
 *   RvStatement.def). Functions and callbacks use RVSTATEMENT_CALL, __stdcall, which on x64 is
 *   the one Windows x64 calling convention. Linux: libRvStatement.so, the C calling convention.
 * - No structure crosses the interface, so structure packing plays no part: records are byte
 *   arrays of the sizes given, and every integer has a fixed width.
 * - Strings are NUL-terminated UTF-16 (RvChar: wchar_t on Windows, a 16-bit unit elsewhere).
 * - Every function but fnPlox returns an RvStatementResult: 0 on success, one of the Result codes
 *   below, or any other value, which is the printer driver's own code passed on unchanged.
 * - Output buffers belong to the caller. Nothing is thrown; no pointer is kept after the call,
 *   callbacks and their user values excepted.
 * - Each open session has a monitor thread that polls the printer (every 50 ms unless its driver
 *   says otherwise) and calls the status callbacks. Different sessions may be used from different
 *   threads at once; on one session, issue one command at a time.
 * - Waits are bounded: the times given are the library's own limits; every printer request also
 *   takes as long as the driver needs to answer it.
 *
 * This header compiles as C89 and later C, and as C++11 and later. */
#ifndef RVSTATEMENT_H
#define RVSTATEMENT_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define RVSTATEMENT_CALL __stdcall
typedef wchar_t RvChar;
#else
#define RVSTATEMENT_CALL
#ifdef __cplusplus
typedef char16_t RvChar;
#else
typedef uint16_t RvChar;
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
    ResultNotReady = 2,             /* the printer is not ready (status byte 2 bit 0x04 or 0x40) */
    ResultPrinterError = 4,         /* the printer reports an error in its status */
    ResultStatusTimeout = 7,        /* no status could be read within 30 s after a reset */
    ResultInvalidHandle = 8,        /* null, closed or foreign handle */
    ResultInvalidParameter = 9,     /* bad argument, a spooler call failed, or close on the monitor thread */
    ResultNoCallback = 10,          /* no callback registered to cancel */
    ResultPrinterBusy = 11,         /* the printer still holds a print job */
    ResultPaperError = 12,          /* a paper movement failed or did not finish in time */
    ResultFileError = 14,           /* the firmware image cannot be used */
    ResultFailure = 16,             /* no resource, refused by the driver, or a wrong-size answer */
    ResultMoveStartTimeout = 19,    /* a transport movement did not start in time */
    ResultMoveEndTimeout = 20,      /* a paper change or transport movement did not end in time */
    ResultCutStartTimeout = 21,     /* a cut did not start in time */
    ResultCutEndTimeout = 22,       /* a cut did not end in time */
    ResultSelfTestError = 23,       /* a self-test step ended with an error status */
    ResultDeviceSelectTimeout = 27  /* the OXA device could not be selected within the OXA print time-out */
};

/* Called on the session's monitor thread with a copy of the 5-byte status record (or the
 * 18-byte OXA status record) that is valid only during the call. The return value is ignored.
 * A callback may call the session's functions, except RvStatementClose (which then gives 9);
 * while it runs the session's polling waits, and closing waits for it to return. */
typedef int32_t (RVSTATEMENT_CALL *RvStatementStatusCallBack)(uint8_t* status, uint64_t userData);
typedef int32_t (RVSTATEMENT_CALL *RvStatementOxaStatusCallBack)(uint8_t* oxaStatus, uint64_t userData);

/* Open and close */

/* Opens the spooler printer and starts its session and monitor thread; *handleOut is set only on
 * success. 9 null argument, unknown printer or failed driver request; 16 no memory or thread;
 * driver codes. Blocks for about a dozen driver requests and the monitor's first poll. */
RvStatementResult RVSTATEMENT_CALL RvStatementOpen(const RvChar* printerName, RvStatementHandle* handleOut);
/* Writes the feeding total back, stops the monitor thread and frees the session. 8; 9 total not
 * written or called from a callback (the session stays open); 16 monitor not paused. Blocks 3 s
 * more when a held print job must be purged, and until a running callback returns. */
RvStatementResult RVSTATEMENT_CALL RvStatementClose(RvStatementHandle handle);

/* Status and callbacks */

/* Copies the status the monitor last read and returns that read's result (0, 9 or a driver
 * code). 8. Does not block: no printer request. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetStatus(RvStatementHandle handle, uint8_t* status /* 5 bytes */);
/* Registers the status callback (replacing one registered before), called on the monitor thread
 * at every status change. 8; 9 null callback or null user value. Does not block. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetStatusCallBack(RvStatementHandle handle,
                                                                RvStatementStatusCallBack callback,
                                                                uint64_t userData);
/* Removes the status callback. 8; 10 none registered. Does not block. */
RvStatementResult RVSTATEMENT_CALL RvStatementCancelStatusCallBack(RvStatementHandle handle);
/* Copies the last transport byte the monitor read after a paper movement (0 before any). 8.
 * Does not block. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetTransportStatus(RvStatementHandle handle, uint8_t* transport);
/* Reads the 16-bit sensor word from the printer. 8, 9, 16 or a driver code. One driver request. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetSensorStatus(RvStatementHandle handle, uint16_t* sensor);
/* Reads the count of retracted sheets. 8; 2 not ready or not supported by old firmware; 4, 9,
 * 16 or a driver code. Two driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetRetractedCount(RvStatementHandle handle, uint8_t* count);
/* Copies the OXA status the monitor last read and returns that read's result. 8. Does not
 * block. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetOXAStatus(RvStatementHandle handle, uint8_t* oxaStatus /* 18 bytes */);
/* Registers the OXA status callback (OXA ST only), called on the monitor thread at every OXA
 * status change. 8; 9 null callback or null user value. Does not block. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetOXAStatusCallBack(RvStatementHandle handle,
                                                                   RvStatementOxaStatusCallBack callback,
                                                                   uint64_t userData);
/* Removes the OXA status callback. 8; 10 none registered. Does not block. */
RvStatementResult RVSTATEMENT_CALL RvStatementCancelOXAStatusCallBack(RvStatementHandle handle);
/* Reads the 8-byte OXA sensor block from the printer. 8, 9, 16 or a driver code. One driver
 * request. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetOXASensorStatus(RvStatementHandle handle, uint8_t* sensor /* 8 bytes */);
/* Gives 1 for an OXA ST and 0 for the Korvelin models. 8. Does not block. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetPrinterModel(RvStatementHandle handle, uint16_t* model);

/* Trace mode */

/* Copies the session's trace level mask, number of trace files kept and trace directory (with
 * its trailing separator; the buffer holds at least 260 units). 8; 9 null argument. Does not
 * wait for the printer beyond the trace lines' own driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetTraceMode(RvStatementHandle handle, uint8_t* mode,
                                                           uint16_t* fileCount, RvChar* directory);
/* Sets the trace level mask (0x01 is always added), the number of trace files kept (2-50) and
 * the trace directory for this session and later ones. 8; 9 bad value; 11 printer busy; 16
 * settings not written; or a driver code. A few driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetTraceMode(RvStatementHandle handle, uint8_t mode,
                                                           uint16_t fileCount, const RvChar* directory);

/* Metrics and manufacturing data */

/* Reads one metric. 8, 9, 16 or a driver code. Two driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetMetrics(RvStatementHandle handle, uint8_t metricId, uint32_t* value);
/* Reads all seven metrics. 8, 9, 16 or a driver code. One driver request. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetAllMetrics(RvStatementHandle handle, uint32_t* values /* 7 */);
/* Writes one metric (at most 99999999) with the monitor paused. 8, 9, 16 or a driver code. A few
 * driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetMetrics(RvStatementHandle handle, uint8_t metricId, uint32_t value);
/* Reads the manufacturing data. 8, 9, 16 or a driver code. One driver request. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetMFGData(RvStatementHandle handle, uint8_t* data /* 115 bytes */);
/* Writes the short manufacturing-data block with the monitor paused. 8, 9, 16 or a driver code.
 * Two driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetMFGData(RvStatementHandle handle, const uint8_t* data /* 31 bytes */);
/* Writes the full manufacturing-data block with the monitor paused. 8, 9, 16 or a driver code.
 * Two driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetMFGDataEx(RvStatementHandle handle, const uint8_t* data /* 115 bytes */);

/* Configuration, LEDs, print enable, purge, version */

/* Reads the 8-byte printer configuration. 8, 9, 16 or a driver code. One driver request. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetPrinterConfiguration(RvStatementHandle handle, uint8_t* configuration /* 8 bytes */);
/* Sets the modes and on/off times of the red, green and yellow panel LEDs. 8, 9, 16, 27 or a
 * driver code. Blocks up to the OXA print time-out to select the OXA device (OXA ST). */
RvStatementResult RVSTATEMENT_CALL RvStatementPanelLedControl(RvStatementHandle handle, uint8_t redMode,
                                                              uint8_t greenMode, uint8_t yellowMode,
                                                              uint8_t redOn, uint8_t redOff,
                                                              uint8_t greenOn, uint8_t greenOff,
                                                              uint8_t yellowOn, uint8_t yellowOff);
/* Enables (1) or disables (0) printing. 8, 9, 16 or a driver code. A few driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementPrintEnable(RvStatementHandle handle, uint8_t enable);
/* As RvStatementPrintEnable, also setting the OXA print time-out in minutes (0: the driver's).
 * 8, 9, 16 or a driver code. A few driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementPrintEnableEx(RvStatementHandle handle, uint8_t enable, uint8_t timeOutMinutes);
/* Discards the print job the printer holds, with the monitor paused. 8, 9, 16 or a driver code.
 * Blocks 3 s for the printer to settle. */
RvStatementResult RVSTATEMENT_CALL RvStatementPurgeData(RvStatementHandle handle);
/* Copies the 12-byte version report: library "02.10", the driver version read at open ("xx.yy",
 * hexadecimal), two zero bytes. 8; 9 null buffer. Does not block: no printer request. */
RvStatementResult RVSTATEMENT_CALL RvStatementGetDllVersion(RvStatementHandle handle, uint8_t* version /* 12 bytes */);
/* Sets the OXA print time-out in minutes. 8, 9 or a driver code. One driver request. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetOXAPrintTimeOut(RvStatementHandle handle, uint8_t timeOutMinutes);

/* Transmit and receive */

/* Sends raw printer data: with no answer expected (rxSize null or 0) as a print job that it waits
 * to finish, else reading *rxSize answer bytes into rxData (timeOut ms is the driver's wait). 8,
 * 2, 4, 9, 12, 16, 27 or a driver code. Blocks up to 30 s for the job to start, then while it
 * prints: 30 s busy or 60 s held without a change ends the wait with 12 (4 on a printer error). */
RvStatementResult RVSTATEMENT_CALL RvStatementTxRx(RvStatementHandle handle, uint32_t txSize, const uint8_t* txData,
                                                   const uint32_t* rxSize, uint8_t* rxData, uint32_t timeOut);
/* As RvStatementTxRx, but without the print-job bracket: the data goes out as one exchange. 8,
 * 2, 4, 9, 12, 16, 27 or a driver code. Blocks while the printer is busy with it, as TxRx. */
RvStatementResult RVSTATEMENT_CALL RvStatementTxRxEx(RvStatementHandle handle, uint32_t txSize, const uint8_t* txData,
                                                     const uint32_t* rxSize, uint8_t* rxData, uint32_t timeOut);

/* Media commands; transport mode 1 present, 2 eject, 3 retract */

/* Resets the printer and waits for its status. 8, 2, 4, 7, 9, 16 or a driver code. Blocks up
 * to 30 s for a status read after the reset. */
RvStatementResult RVSTATEMENT_CALL RvStatementReset(RvStatementHandle handle);
/* Asks the printer to recover from an error, with the monitor paused. 8, 2, 4, 9, 16 or a driver
 * code. Blocks 3 s for the printer to settle. */
RvStatementResult RVSTATEMENT_CALL RvStatementRecoverError(RvStatementHandle handle);
/* Presents the statement at the exit; the status callback reports the customer taking it (byte 4
 * bit 0x40). 8, 2, 4, 9, 11, 12, 16, 27 or a driver code. Blocks up to 3 s for the movement to
 * start and 20 s for it to end. */
RvStatementResult RVSTATEMENT_CALL RvStatementPresent(RvStatementHandle handle);
/* Ejects the statement. 8, 2, 4, 9, 11, 12, 16, 27 or a driver code. Blocks up to 3 s for the
 * movement to start and 20 s for it to end. */
RvStatementResult RVSTATEMENT_CALL RvStatementEject(RvStatementHandle handle);
/* Retracts the statement into the bin. 8, 2, 4, 9, 11, 12, 16, 27 or a driver code. Blocks up to 3 s
 * for the movement to start and 30 s for it to end. */
RvStatementResult RVSTATEMENT_CALL RvStatementRetract(RvStatementHandle handle);
/* Cuts the paper. 8, 2, 4, 9, 11, 12, 16, 27 or a driver code. Blocks up to 3 s for the cut to start
 * and 15 s for it to end. */
RvStatementResult RVSTATEMENT_CALL RvStatementCut(RvStatementHandle handle);
/* Runs a paper change. 8, 2, 4, 9, 11, 12, 16, 20, 27 or a driver code. Blocks up to 3 s for the
 * movement to start and 20 s for it to end. */
RvStatementResult RVSTATEMENT_CALL RvStatementPerformPaperChange(RvStatementHandle handle);
/* Cuts (unless the configuration has no cutter), then presents (1), ejects (2) or retracts (3).
 * 8, 2, 4, 9, 12, 16, 19-22, 27 or a driver code. Blocks up to 3 s (5 s for a slow cutter) and
 * 15 s for the cut, then 3 s and 20 s (retract 30 s) for the movement. */
RvStatementResult RVSTATEMENT_CALL RvStatementTransport(RvStatementHandle handle, uint8_t mode);

/* Maintenance */

/* Loads the firmware image file's block for this model into the printer. 8, 2, 4, 9, 14, 16, 27
 * or a driver code. Blocks for the download and the printer's restart (tens of seconds). */
RvStatementResult RVSTATEMENT_CALL RvStatementFirmwareDownload(RvStatementHandle handle, uint8_t type, const RvChar* imagePath);
/* Runs self-test step 1-11, or all of them (0); data is used by step 10 only (at most 10240
 * bytes). 8, 2, 4, 9, 12, 16, 23, 27 or a driver code. Blocks while the steps run. */
RvStatementResult RVSTATEMENT_CALL RvStatementPerformSelfTest(RvStatementHandle handle, uint8_t testId,
                                                              const uint8_t* data, uint16_t length);
/* Writes the 8-byte printer configuration, with the monitor paused. 8, 4, 9, 16 or a driver
 * code. A few driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetPrinterConfiguration(RvStatementHandle handle, const uint8_t* configuration /* 8 bytes */);
/* Chooses the paper form (size code, paper type, length in millimetres). 8, 9, 16 or a driver
 * code. A few spooler and driver requests. */
RvStatementResult RVSTATEMENT_CALL RvStatementSetPaperConfiguration(RvStatementHandle handle, uint8_t sizeCode,
                                                                    uint8_t paperType, uint16_t lengthMm);

/* Returns 42; touches no session. A check that the library is loaded. */
int32_t RVSTATEMENT_CALL fnPlox(void);

#ifdef __cplusplus
}
#endif

#endif

/* The control functions of the virtual winspool.drv, for tests and host developers who load it
 * in place of the system's spooler (WINEDLLOVERRIDES="winspool.drv=n" with the DLL beside the
 * program, or the DLL search order on Windows). Take them with GetProcAddress from the loaded
 * winspool.drv. Every function is safe to call from any thread. Names are UTF-16. */
#ifndef RVS_VIRTUAL_WINSPOOL_H
#define RVS_VIRTUAL_WINSPOOL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* VirtualSpoolerInjectFault kinds. */
#define VIRTUAL_SPOOLER_CALL_FAILS 1 /* the spooler call fails with `argument` as its error */
#define VIRTUAL_SPOOLER_WRONG_SIZE 2 /* the read answers `argument` bytes instead of its size */
#define VIRTUAL_SPOOLER_DELAY 3      /* the call is served `argument` milliseconds late */

/* Adds a printer of a model (0 Korvelin, 1 Korvelin FO, 2 OXA ST) with its firmware version
 * (0: the model's usual one), replacing one of the same name. */
typedef BOOL(WINAPI* VirtualSpoolerAddPrinterFn)(LPCWSTR printer, DWORD model, DWORD firmwareVersion);
/* Sets or clears bits of a byte of the 5-byte status (or of the 18-byte OXA status). */
typedef BOOL(WINAPI* VirtualSpoolerSetStatusBitFn)(LPCWSTR printer, DWORD byteIndex, DWORD mask, BOOL on);
typedef BOOL(WINAPI* VirtualSpoolerSetOxaStatusBitFn)(LPCWSTR printer, DWORD byteIndex, DWORD mask, BOOL on);
/* Makes every later read of `value` answer these bytes, until the library writes that value. */
typedef BOOL(WINAPI* VirtualSpoolerSetAnswerFn)(LPCWSTR printer, LPCWSTR value, const BYTE* data, DWORD size);
/* The trace fields of the driver's settings record: level mask, files kept, directory. */
typedef BOOL(WINAPI* VirtualSpoolerSetTraceSettingsFn)(LPCWSTR printer, DWORD mode, DWORD fileCount,
                                                       LPCWSTR directory);
/* The feeding total the driver keeps ("TotalFeedingValue"). */
typedef BOOL(WINAPI* VirtualSpoolerSetTotalFeedingValueFn)(LPCWSTR printer, DWORD total);
typedef BOOL(WINAPI* VirtualSpoolerGetTotalFeedingValueFn)(LPCWSTR printer, DWORD* total);
/* The printer's device mode: the first `publicSize` bytes of DEVMODEW (dmSize; drivers made
 * for older versions of the structure stop short of today's), then `driverExtra` private bytes.
 * Until set: all of DEVMODEW and 96 private bytes. */
typedef BOOL(WINAPI* VirtualSpoolerSetDeviceModeFn)(LPCWSTR printer, DWORD publicSize, DWORD driverExtra);
/* Misbehaviour of the next `times` calls on `value` (-1: every call from now on). */
typedef BOOL(WINAPI* VirtualSpoolerInjectFaultFn)(LPCWSTR printer, LPCWSTR value, DWORD kind, DWORD argument,
                                                  LONG times);
/* The customer at the exit takes a presented statement `afterMs` milliseconds after it got
 * there; -1: never. Until set: after 1000 ms. */
typedef BOOL(WINAPI* VirtualSpoolerSetCustomerFn)(LPCWSTR printer, LONG afterMs);
/* The transfer file the driver read at its `index`th data request (from 0): the path the library
 * named, and its bytes when `capacity` holds them (`*size` is always set). FALSE for an index not
 * reached yet, a file the driver could not read, or too small a buffer. */
typedef BOOL(WINAPI* VirtualSpoolerReceivedFileFn)(LPCWSTR printer, DWORD index, LPWSTR path, DWORD pathCapacity,
                                                   BYTE* data, DWORD capacity, DWORD* size);
/* The exchange log, one exchange per line ("get StatusGet size 5 needed 5 type 3 error 0 [..]"),
 * as 8-bit text. Returns the size with its NUL; copies it when `capacity` is large enough. */
typedef DWORD(WINAPI* VirtualSpoolerExchangeLogFn)(char* text, DWORD capacity);
typedef void(WINAPI* VirtualSpoolerClearLogFn)(void);
/* Printer handles open now, over all printers. */
typedef LONG(WINAPI* VirtualSpoolerOpenHandlesFn)(void);

#ifdef __cplusplus
}
#endif

#endif

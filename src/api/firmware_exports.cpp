// Firmware download.
#include <string>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "maintenance/firmware_download.h"
#include "monitor/status_checks.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

// The download waits for no edge; it lets a paper-removed watcher finish first. A failure
// leaves the OXA device selected, as the other commands do.
constexpr Frame kFirmwareDownload{.function = fn::kFirmwareDownload,
                                  .steps = {.selectOxa = true, .handshake = true}};

// Longest image path looked at: a path that is not terminated within it is refused, not
// read on past its end.
constexpr size_t kImagePathScanLimit = 32767;

// The image path as a string; 16 when it has no terminator within the limit.
Result copyImagePath(const RvChar* imagePath, std::u16string& path) {
    const auto* text = reinterpret_cast<const char16_t*>(imagePath);
    size_t length = 0;
    while (length < kImagePathScanLimit && text[length] != 0) ++length;
    if (length == kImagePathScanLimit) return kFailure;
    path.assign(text, length);
    return kSuccess;
}

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementFirmwareDownload(RvStatementHandle handle, uint8_t type,
                                                               const RvChar* imagePath) {
    std::u16string path;
    auto entry = [&](Session& s) {
        if (imagePath == nullptr) return kInvalidParameter;
        if (const Result result = copyImagePath(imagePath, path); result != kSuccess) return result;
        TraceLine(&s, traceid::Input, "DL Type:%d File name:%ws\n", type, path.c_str());
        return kSuccess;
    };
    return runExport(kFirmwareDownload, handle, entry, [&](Call& call) {
        if (const Result result = readAndCheckStatus(call.session, {StatusCheck::SimpleError}); result != kSuccess) {
            return result;
        }
        const Result result = DownloadFirmware(call.session, type, path);
        if (result != kSuccess) return result;
        AwaitMonitorCycle(call.session);
        return kSuccess;
    });
}

}  // extern "C"

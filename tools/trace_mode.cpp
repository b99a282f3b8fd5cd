// `rvstatement trace-mode`: show, and with --set change, a printer's trace settings.
#include <cstdio>
#include <string>

#include "RvStatement.h"
#include "tools/commands.h"
#include "tools/status_words.h"
#include "platform/utf8.h"
#include "tools/tool_session.h"

namespace rvs::tool {
namespace {

bool showTraceMode(RvStatementHandle handle) {
    uint8_t mode = 0;
    uint16_t fileCount = 0;
    RvChar directory[260] = {};
    const RvStatementResult result = RvStatementGetTraceMode(handle, &mode, &fileCount, directory);
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: reading the trace mode failed: %s\n", describeResult(result).c_str());
        return false;
    }
    const std::u16string text(reinterpret_cast<const char16_t*>(directory));
    std::printf("Trace mode: 0x%02X (%s)\n", mode, describeTraceLevels(mode).c_str());
    std::printf("Trace files kept: %u\n", fileCount);
    std::printf("Trace directory: %s\n", text.empty() ? "(none)" : platform::toUtf8(text).c_str());
    return true;
}

bool changeTraceMode(RvStatementHandle handle, const TraceModeChange& change) {
    const std::u16string directory = platform::toUtf16(change.directory);
    const RvStatementResult result = RvStatementSetTraceMode(handle, change.mode, change.fileCount,
                                                             reinterpret_cast<const RvChar*>(directory.c_str()));
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: setting the trace mode failed: %s\n", describeResult(result).c_str());
        return false;
    }
    std::printf("Trace mode set.\n");
    return true;
}

}  // namespace

int runTraceMode(const Options& options) {
    ToolSession session(options);
    if (!session.open()) {
        return 1;
    }
    bool ok = showTraceMode(session.handle());
    if (ok && options.traceModeChange) {
        ok = changeTraceMode(session.handle(), *options.traceModeChange) && showTraceMode(session.handle());
    }
    const bool closed = session.close();
    return ok && closed ? 0 : 1;
}

}  // namespace rvs::tool

// `rvstatement metrics` and `rvstatement mfg`: the printer's counters and manufacturing data.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RvStatement.h"
#include "tools/commands.h"
#include "tools/options.h"
#include "tools/tool_session.h"

namespace rvs::tool {
namespace {

constexpr size_t kMetricCount = 7;
constexpr size_t kMfgShortSize = 31;
constexpr size_t kMfgSize = 115;
constexpr size_t kDumpRowBytes = 16;

bool showAllMetrics(RvStatementHandle handle) {
    uint32_t values[kMetricCount] = {};
    const RvStatementResult result = RvStatementGetAllMetrics(handle, values);
    if (result != ResultSuccess) {
        reportFailure("reading the metrics", result);
        return false;
    }
    for (size_t id = 0; id < kMetricCount; ++id) {
        std::printf("Metric %zu: %u%s\n", id, values[id], id == 3 ? "  (read-only)" : "");
    }
    return true;
}

bool showMetric(RvStatementHandle handle, uint8_t id) {
    uint32_t value = 0;
    const RvStatementResult result = RvStatementGetMetrics(handle, id, &value);
    if (result != ResultSuccess) {
        const std::string what = "reading metric " + std::to_string(id);
        reportFailure(what.c_str(), result);
        return false;
    }
    std::printf("Metric %u: %u\n", id, value);
    return true;
}

bool setMetric(RvStatementHandle handle, uint8_t id, uint32_t value) {
    const RvStatementResult result = RvStatementSetMetrics(handle, id, value);
    if (result != ResultSuccess) {
        const std::string what = "setting metric " + std::to_string(id) + " to " + std::to_string(value);
        reportFailure(what.c_str(), result);
        return false;
    }
    std::printf("Metric %u set to %u.\n", id, value);
    return true;
}

// Hex rows of 16 bytes with the printable characters beside them.
void dumpBlock(const uint8_t* bytes, size_t size) {
    for (size_t row = 0; row < size; row += kDumpRowBytes) {
        std::string hex;
        std::string text;
        for (size_t i = row; i < row + kDumpRowBytes; ++i) {
            if (i < size) {
                char cell[4];
                std::snprintf(cell, sizeof cell, "%02X ", bytes[i]);
                hex += cell;
                text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
            } else {
                hex += "   ";
            }
        }
        std::printf("  %03zu  %s %s\n", row, hex.c_str(), text.c_str());
    }
}

bool showMfg(RvStatementHandle handle) {
    uint8_t data[kMfgSize] = {};
    const RvStatementResult result = RvStatementGetMFGData(handle, data);
    if (result != ResultSuccess) {
        reportFailure("reading the manufacturing data", result);
        return false;
    }
    std::printf("Manufacturing data (%zu bytes):\n", kMfgSize);
    dumpBlock(data, kMfgSize);
    return true;
}

bool writeMfg(RvStatementHandle handle, const std::vector<uint8_t>& block) {
    const bool full = block.size() == kMfgSize;
    const RvStatementResult result =
        full ? RvStatementSetMFGDataEx(handle, block.data()) : RvStatementSetMFGData(handle, block.data());
    if (result != ResultSuccess) {
        reportFailure(full ? "writing the manufacturing data" : "writing the short manufacturing block", result);
        return false;
    }
    std::printf("Manufacturing data written (%zu bytes).\n", block.size());
    return true;
}

bool readBlock(const std::string& path, std::vector<uint8_t>& block) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "rvstatement mfg: cannot read %s\n", path.c_str());
        return false;
    }
    block.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (block.size() != kMfgShortSize && block.size() != kMfgSize) {
        std::fprintf(stderr, "rvstatement mfg: %s holds %zu bytes; a manufacturing block has %zu or %zu\n",
                     path.c_str(), block.size(), kMfgShortSize, kMfgSize);
        return false;
    }
    return true;
}

}  // namespace

int runMetrics(const Options& options) {
    const std::vector<std::string>& args = options.arguments;
    unsigned long id = 0;
    unsigned long value = 0;
    if (!args.empty() && !parseNumber(args[0].c_str(), 0xFF, id)) {
        std::fprintf(stderr, "rvstatement metrics: ID must be a number from 0 to 255, not %s\n", args[0].c_str());
        return kExitUsage;
    }
    if (args.size() > 1 && !parseNumber(args[1].c_str(), 0xFFFFFFFF, value)) {
        std::fprintf(stderr, "rvstatement metrics: VALUE must be a 32-bit number, not %s\n", args[1].c_str());
        return kExitUsage;
    }
    return runInSession(options, [&](ToolSession& session) {
        const auto metric = static_cast<uint8_t>(id);
        if (args.empty()) return showAllMetrics(session.handle());
        if (args.size() > 1 && !setMetric(session.handle(), metric, static_cast<uint32_t>(value))) return false;
        return showMetric(session.handle(), metric);
    });
}

int runMfg(const Options& options) {
    std::vector<uint8_t> block;
    if (options.setFile && !readBlock(*options.setFile, block)) {
        return kExitUsage;
    }
    return runInSession(options, [&](ToolSession& session) {
        if (options.setFile && !writeMfg(session.handle(), block)) return false;
        return showMfg(session.handle());
    });
}

}  // namespace rvs::tool

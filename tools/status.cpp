// `rvstatement status`: one look at a printer through the status exports.
#include <cstdio>

#include "RvStatement.h"
#include "tools/commands.h"
#include "tools/status_words.h"
#include "tools/tool_session.h"

namespace rvs::tool {
namespace {

void showStatus(RvStatementHandle handle) {
    uint8_t status[5] = {};
    const RvStatementResult result = RvStatementGetStatus(handle, status);
    std::printf("Status: %s  %s  (last poll: %s)\n", hexBytes(status, sizeof status).c_str(),
                describeStatus(status).c_str(), describeResult(result).c_str());
}

void showSensors(RvStatementHandle handle) {
    uint16_t sensor = 0;
    const RvStatementResult result = RvStatementGetSensorStatus(handle, &sensor);
    if (result == ResultSuccess) {
        std::printf("Sensors: 0x%04X\n", sensor);
    } else {
        std::printf("Sensors: refused, %s\n", describeResult(result).c_str());
    }
    uint8_t transport = 0;
    if (RvStatementGetTransportStatus(handle, &transport) == ResultSuccess) {
        std::printf("Last transport answer: 0x%02X\n", transport);
    }
}

void showOxa(RvStatementHandle handle) {
    uint8_t oxaStatus[18] = {};
    const RvStatementResult result = RvStatementGetOXAStatus(handle, oxaStatus);
    std::printf("OXA status: %s  (last poll: %s)\n", hexBytes(oxaStatus, sizeof oxaStatus).c_str(),
                describeResult(result).c_str());
    uint8_t sensors[8] = {};
    const RvStatementResult sensorResult = RvStatementGetOXASensorStatus(handle, sensors);
    if (sensorResult == ResultSuccess) {
        std::printf("OXA sensors: %s\n", hexBytes(sensors, sizeof sensors).c_str());
    } else {
        std::printf("OXA sensors: refused, %s\n", describeResult(sensorResult).c_str());
    }
}

void showRetractedCount(RvStatementHandle handle) {
    uint8_t count = 0;
    const RvStatementResult result = RvStatementGetRetractedCount(handle, &count);
    if (result == ResultSuccess) {
        std::printf("Retracted count: %u\n", count);
    } else {
        std::printf("Retracted count: refused, %s\n", describeResult(result).c_str());
    }
}

}  // namespace

int runStatus(const Options& options) {
    ToolSession session(options);
    if (!session.open()) {
        return 1;
    }
    const RvStatementHandle handle = session.handle();
    uint16_t model = 0;
    const RvStatementResult modelResult = RvStatementGetPrinterModel(handle, &model);
    if (modelResult == ResultSuccess) {
        std::printf("Model: %u (%s)\n", model, model == 1 ? "OXA ST" : "Korvelin or Korvelin FO");
    } else {
        std::printf("Model: unknown, %s\n", describeResult(modelResult).c_str());
    }
    showStatus(handle);
    showSensors(handle);
    if (modelResult == ResultSuccess && model == 1) {
        showOxa(handle);
    }
    showRetractedCount(handle);
    return session.close() ? 0 : 1;
}

}  // namespace rvs::tool

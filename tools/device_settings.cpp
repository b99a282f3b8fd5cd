// `rvstatement config`, `leds`, `enable`, `purge` and `version`: small settings of the printer.
#include <cstdio>
#include <string>
#include <vector>

#include "RvStatement.h"
#include "session/registry.h"
#include "sim/device_data.h"
#include "tools/commands.h"
#include "tools/options.h"
#include "tools/status_words.h"
#include "tools/tool_session.h"

namespace rvs::tool {
namespace {

constexpr uint8_t kDefaultLedTime = 5;

const char* describeLedMode(uint8_t mode) {
    switch (mode) {
        case 0: return "off";
        case 1: return "on";
        case 2: return "flashing";
    }
    return "?";
}

// What the virtual printer's panel shows now.
void showPanel(const sim::Device& device) {
    const sim::DeviceData data = device.deviceData();
    static const char* const kNames[] = {"Red", "Green", "Yellow"};
    std::printf("Panel of the virtual printer:\n");
    for (int led = 0; led < 3; ++led) {
        const sim::LedState state = sim::ledState(data.leds, static_cast<sim::Led>(led));
        std::printf("  %-6s mode %u (%s), on %u, off %u\n", kNames[led], state.mode, describeLedMode(state.mode),
                    state.on, state.off);
    }
}

// The nine LED values in the export's order (red, green, yellow modes, then on and off times).
struct LedArguments {
    uint8_t modes[3] = {};
    uint8_t times[6] = {kDefaultLedTime, kDefaultLedTime, kDefaultLedTime,
                        kDefaultLedTime, kDefaultLedTime, kDefaultLedTime};
};

bool parseLeds(const std::vector<std::string>& args, LedArguments& leds) {
    if (args.size() != 3 && args.size() != 9) {
        std::fprintf(stderr, "rvstatement leds: give the three modes R G Y, and optionally all six times\n");
        return false;
    }
    for (size_t i = 0; i < args.size(); ++i) {
        unsigned long number = 0;
        if (!parseNumber(args[i].c_str(), 0xFF, number)) {
            std::fprintf(stderr, "rvstatement leds: %s is not a number from 0 to 255\n", args[i].c_str());
            return false;
        }
        (i < 3 ? leds.modes[i] : leds.times[i - 3]) = static_cast<uint8_t>(number);
    }
    return true;
}

bool parseEnable(const std::vector<std::string>& args, uint8_t& enable) {
    if (args.size() == 1 && (args[0] == "on" || args[0] == "off")) {
        enable = args[0] == "on" ? 1 : 0;
        return true;
    }
    std::fprintf(stderr, "rvstatement enable: say on or off\n");
    return false;
}

}  // namespace

int runConfig(const Options& options) {
    if (!options.arguments.empty()) return runConfigSet(options);
    return runInSession(options, [](ToolSession& session) {
        uint8_t configuration[8] = {};
        const RvStatementResult result = RvStatementGetPrinterConfiguration(session.handle(), configuration);
        if (result != ResultSuccess) {
            reportFailure("reading the configuration", result);
            return false;
        }
        std::printf("Configuration: %s\n", hexBytes(configuration, sizeof configuration).c_str());
        for (size_t i = 0; i < sizeof configuration; ++i) {
            std::printf("  byte %zu: 0x%02X\n", i, configuration[i]);
        }
        return true;
    });
}

int runLeds(const Options& options) {
    LedArguments leds;
    if (!parseLeds(options.arguments, leds)) {
        return kExitUsage;
    }
    return runInSession(options, [&](ToolSession& session) {
        const uint8_t* t = leds.times;
        const RvStatementResult result = RvStatementPanelLedControl(session.handle(), leds.modes[0], leds.modes[1],
                                                                    leds.modes[2], t[0], t[1], t[2], t[3], t[4], t[5]);
        if (result != ResultSuccess) {
            reportFailure("setting the panel LEDs", result);
            return false;
        }
        std::printf("Panel LEDs set.\n");
        if (const sim::Device* device = session.virtualDevice()) {
            showPanel(*device);
        }
        return true;
    });
}

int runEnable(const Options& options) {
    uint8_t enable = 0;
    if (!parseEnable(options.arguments, enable)) {
        return kExitUsage;
    }
    return runInSession(options, [&](ToolSession& session) {
        const RvStatementResult result =
            options.timeOutMinutes ? RvStatementPrintEnableEx(session.handle(), enable, *options.timeOutMinutes)
                                   : RvStatementPrintEnable(session.handle(), enable);
        if (result != ResultSuccess) {
            reportFailure(enable ? "enabling printing" : "disabling printing", result);
            return false;
        }
        std::printf("Printing %s.\n", enable ? "enabled" : "disabled");
        uint16_t model = 0;
        const Session* s = validateHandle(session.handle());
        if (RvStatementGetPrinterModel(session.handle(), &model) == ResultSuccess && model == 1 && s != nullptr) {
            std::printf("OXA print time-out of this session: %u min\n", s->oxaPrintTimeOut.load());
        }
        if (const sim::Device* device = session.virtualDevice()) {
            std::printf("Virtual printer: printing %s\n", device->deviceData().printEnabled ? "enabled" : "disabled");
        }
        return true;
    });
}

int runPurge(const Options& options) {
    return runInSession(options, [](ToolSession& session) {
        const RvStatementResult result = RvStatementPurgeData(session.handle());
        if (result != ResultSuccess) {
            reportFailure("purging", result);
            return false;
        }
        std::printf("Purged the data the printer held.\n");
        if (const sim::Device* device = session.virtualDevice()) {
            std::printf("Virtual printer: %u purge(s) carried out\n", device->deviceData().purges);
        }
        return true;
    });
}

int runVersion(const Options& options) {
    return runInSession(options, [](ToolSession& session) {
        uint8_t block[12] = {};
        const RvStatementResult result = RvStatementGetDllVersion(session.handle(), block);
        if (result != ResultSuccess) {
            reportFailure("reading the versions", result);
            return false;
        }
        const std::string library(reinterpret_cast<const char*>(block), 5);
        const std::string driver(reinterpret_cast<const char*>(block) + 5, 5);
        std::printf("Library version: %s\nDriver version: %s\n", library.c_str(), driver.c_str());
        return true;
    });
}

}  // namespace rvs::tool

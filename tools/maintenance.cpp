// `rvstatement firmware`, `config set` and `paper`: what a field engineer does to a printer.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "RvStatement.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "session/registry.h"
#include "sim/forwarding_spooler.h"
#include "sim/paper_forms.h"
#include "sim/driver_state.h"
#include "tools/commands.h"
#include "tools/options.h"
#include "tools/status_words.h"
#include "tools/tool_session.h"

namespace rvs::tool {
namespace {

constexpr int kBarWidth = 30;

// Shows each download step as the library asks the driver for it, with a bar of the steps done.
class DownloadProgress final : public sim::ForwardingSpooler {
public:
    DownloadProgress(platform::Spooler* target, int steps) : ForwardingSpooler(target), steps_(steps) {}

    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        const uint32_t result = ForwardingSpooler::getPrinterData(handle, name, type, data, size, needed);
        if (const char* step = stepWords(name)) {
            done_ = std::min(done_ + 1, steps_);
            const int filled = steps_ > 0 ? done_ * kBarWidth / steps_ : kBarWidth;
            std::printf("  [%s%s] %-34s %s\n", std::string(static_cast<size_t>(filled), '#').c_str(),
                        std::string(static_cast<size_t>(kBarWidth - filled), '.').c_str(), step,
                        result == 0 ? "" : "(the spooler refused)");
            std::fflush(stdout);
        }
        return result;
    }

private:
    static const char* stepWords(const char16_t* name) {
        static const struct {
            const char16_t* name;
            const char* words;
        } kSteps[] = {
            {u"DownloadSwitch", "switching to the loader"}, {u"DownloadFile", "boot block taken"},
            {u"DownloadWrite", "boot block written"},       {u"DownloadCancel", "earlier download cancelled"},
            {u"Download", "firmware block downloaded"},     {u"DownloadReset", "printer reset onto its firmware"},
        };
        for (const auto& step : kSteps) {
            if (std::u16string_view(name) == step.name) return step.words;
        }
        return nullptr;
    }

    int steps_;
    int done_ = 0;
};

// Puts `spooler` in front of the library until it goes out of scope.
class InstalledSpooler {
public:
    explicit InstalledSpooler(platform::Spooler* spooler) : previous_(&platform::spooler()) {
        platform::setSpooler(spooler);
    }
    ~InstalledSpooler() { platform::setSpooler(previous_ == &platform::defaultSpooler() ? nullptr : previous_); }
    InstalledSpooler(const InstalledSpooler&) = delete;
    InstalledSpooler& operator=(const InstalledSpooler&) = delete;

private:
    platform::Spooler* previous_;
};

struct VersionAndModel {
    uint16_t version = 0;
    uint8_t model = 0;
};

VersionAndModel sessionFirmware(RvStatementHandle handle) {
    Session* session = validateHandle(handle);
    if (session == nullptr) return {};
    Guard lock(session->stateLock);
    return {session->firmwareVersion, session->printerModel};
}

const char* modelName(uint8_t model) {
    switch (model) {
        case 1: return "Korvelin FO";
        case 2: return "OXA ST";
        default: return "Korvelin";
    }
}

// The steps a download runs: switch, file and write, then the second block (or a reset), for a
// boot download on the Korvelin FO and OXA ST; else the start step.
int expectedSteps(uint8_t model, uint8_t type) {
    if (model != 0 && type == 2) return 5;
    return model != 0 ? 2 : 1;
}

bool parseHexRecord(const std::string& text, uint8_t (&record)[8]) {
    std::string digits = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? text.substr(2) : text;
    if (digits.size() != 16) return false;
    for (size_t i = 0; i < 8; ++i) {
        unsigned long byte = 0;
        const std::string pair = "0x" + digits.substr(2 * i, 2);
        if (!std::isxdigit(static_cast<unsigned char>(pair[2])) || !std::isxdigit(static_cast<unsigned char>(pair[3])) ||
            !parseNumber(pair.c_str(), 0xFF, byte)) {
            return false;
        }
        record[i] = static_cast<uint8_t>(byte);
    }
    return true;
}

const char* paperName(unsigned long size) {
    static const char* const kNames[] = {"Letter", "A4", "User Defined Size1", "User Defined Size2", "6inches wide"};
    return size < 5 ? kNames[size] : "?";
}

}  // namespace

int runFirmware(const Options& options) {
    if (options.arguments.size() != 2) {
        std::fprintf(stderr, "rvstatement firmware: give the image FILE and the download TYPE\n");
        return kExitUsage;
    }
    unsigned long type = 0;
    if (!parseNumber(options.arguments[1].c_str(), 0xFF, type)) {
        std::fprintf(stderr, "rvstatement firmware: TYPE must be a number from 0 to 255\n");
        return kExitUsage;
    }
    // The staging file goes beside the image, so the library needs the image's directory.
    std::error_code error;
    const std::filesystem::path image = std::filesystem::absolute(options.arguments[0], error);
    if (error) {
        std::fprintf(stderr, "rvstatement firmware: no such path: %s\n", options.arguments[0].c_str());
        return kExitUsage;
    }
    const std::u16string path = platform::toUtf16(image.string());
    return runInSession(options, [&](ToolSession& session) {
        const VersionAndModel before = sessionFirmware(session.handle());
        std::printf("Firmware before: %04X (%s)\n", before.version, modelName(before.model));
        std::printf("Downloading %s as type %lu:\n", image.string().c_str(), type);
        RvStatementResult result = 0;
        {
            DownloadProgress progress(&platform::spooler(), expectedSteps(before.model, static_cast<uint8_t>(type)));
            InstalledSpooler installed(&progress);
            result = RvStatementFirmwareDownload(session.handle(), static_cast<uint8_t>(type),
                                                 reinterpret_cast<const RvChar*>(path.c_str()));
        }
        if (result != ResultSuccess) {
            reportFailure("the firmware download", result);
            return false;
        }
        const VersionAndModel after = sessionFirmware(session.handle());
        std::printf("Firmware downloaded: %s\n", describeResult(result).c_str());
        std::printf("Firmware after: %04X (%s)\n", after.version, modelName(after.model));
        return true;
    });
}

int runConfigSet(const Options& options) {
    uint8_t record[8] = {};
    if (options.arguments.size() != 2 || options.arguments[0] != "set" || !parseHexRecord(options.arguments[1], record)) {
        std::fprintf(stderr, "rvstatement config: say set and the 8 bytes as 16 hex digits, e.g. set 1006000000000000\n");
        return kExitUsage;
    }
    return runInSession(options, [&](ToolSession& session) {
        const RvStatementResult result = RvStatementSetPrinterConfiguration(session.handle(), record);
        if (result != ResultSuccess) {
            reportFailure("setting the configuration", result);
            return false;
        }
        std::printf("Configuration set: %s\n", describeResult(result).c_str());
        uint8_t now[8] = {};
        if (RvStatementGetPrinterConfiguration(session.handle(), now) == ResultSuccess) {
            std::printf("Configuration: %s\n", hexBytes(now, sizeof now).c_str());
        }
        return true;
    });
}

int runPaper(const Options& options) {
    const std::vector<std::string>& args = options.arguments;
    unsigned long size = 0, type = 0, length = 0;
    if ((args.size() != 1 && args.size() != 3) || !parseNumber(args[0].c_str(), 0xFF, size) ||
        (args.size() == 3 && (!parseNumber(args[1].c_str(), 0xFF, type) || !parseNumber(args[2].c_str(), 0xFFFF, length)))) {
        std::fprintf(stderr, "rvstatement paper: give SIZE (0 to 4), and for sizes 2 and 3 TYPE (0 to 2) and LENGTH in mm\n");
        return kExitUsage;
    }
    return runInSession(options, [&](ToolSession& session) {
        const RvStatementResult result = RvStatementSetPaperConfiguration(
            session.handle(), static_cast<uint8_t>(size), static_cast<uint8_t>(type), static_cast<uint16_t>(length));
        if (result != ResultSuccess) {
            reportFailure("selecting the paper", result);
            return false;
        }
        std::printf("Paper selected: %s (%s)\n", paperName(size), describeResult(result).c_str());
        if (sim::Device* device = session.virtualDevice()) {
            device->update([](sim::DriverState& d) {
                std::printf("Virtual printer: paper %u, form \"%s\"\n", d.paperForms.selectedPaper(),
                            platform::toUtf8(d.paperForms.selectedFormName()).c_str());
                for (const auto& [name, form] : d.paperForms.forms) {
                    std::printf("  spooler form \"%s\": %d x %d um\n", platform::toUtf8(name).c_str(), form.width,
                                form.length);
                }
            });
        }
        return true;
    });
}

}  // namespace rvs::tool

// rvstatement: drive a statement printer, or the virtual one, from the command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/commands.h"

namespace {

void usage() {
    std::puts(
        "usage: rvstatement demo [--model korvelin|korvelin-fo|oxa-st] [--trace-dir DIR] [--step-ms N]\n"
        "\n"
        "  demo   open a session on the virtual printer, print each status change while it runs\n"
        "         a statement (fed, printed, cut, presented, taken), write a trace file, close");
}

bool parseModel(const std::string& name, rvs::tool::Options& options) {
    if (name == "korvelin") {
        options.profile = rvs::sim::Profile::korvelin();
        options.modelName = "Korvelin";
    } else if (name == "korvelin-fo") {
        options.profile = rvs::sim::Profile::korvelinFO();
        options.modelName = "Korvelin FO";
    } else if (name == "oxa-st") {
        options.profile = rvs::sim::Profile::oxaSt();
        options.modelName = "OXA ST";
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "demo") != 0) {
        usage();
        return argc < 2 ? 0 : 2;
    }
    rvs::tool::Options options;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--model" && hasValue && parseModel(argv[i + 1], options)) {
            ++i;
        } else if (arg == "--trace-dir" && hasValue) {
            options.traceDirectory = argv[++i];
        } else if (arg == "--step-ms" && hasValue) {
            options.stepMs = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            std::fprintf(stderr, "rvstatement: unknown or incomplete option %s\n", arg.c_str());
            usage();
            return 2;
        }
    }
    return rvs::tool::runDemo(options);
}

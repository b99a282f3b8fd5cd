// rvstatement: drive a statement printer, or the virtual one, from the command line.
#include <cstdio>
#include <cstring>

#include "tools/commands.h"
#include "tools/options.h"

namespace {

using namespace rvs::tool;

struct Command {
    const char* name;
    const char* synopsis;
    const char* description;
    unsigned options;
    int (*run)(const Options&);
};

constexpr Command kCommands[] = {
    {"demo", "demo [--model korvelin|korvelin-fo|oxa-st] [--trace-dir DIR] [--step-ms N]",
     "open a session on the virtual printer, print each status change while it runs\n"
     "             a statement (fed, printed, cut, presented, taken), write a trace file, close",
     option::Model | option::TraceDir | option::StepMs, runDemo},
    {"status", "status [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "open a session (the virtual printer, or NAME on this machine's spooler), show its\n"
     "             status, sensors, model and retracted count, close",
     option::Model | option::Printer, runStatus},
    {"trace-mode", "trace-mode [--model korvelin|korvelin-fo|oxa-st] [--printer NAME] [--set MODE COUNT DIR]",
     "show the trace levels, the number of trace files kept and the trace directory;\n"
     "             with --set, change them first (MODE a level mask such as 0x3F, COUNT 2 to 50)",
     option::Model | option::Printer | option::SetTraceMode, runTraceMode},
};

void usage() {
    std::puts("usage:");
    for (const Command& command : kCommands) {
        std::printf("  rvstatement %s\n", command.synopsis);
    }
    std::puts("");
    for (const Command& command : kCommands) {
        std::printf("  %-10s %s\n", command.name, command.description);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage();
        return 0;
    }
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            Options options;
            if (!parseOptions(argc, argv, 2, command.options, options)) {
                usage();
                return 2;
            }
            return command.run(options);
        }
    }
    usage();
    return 2;
}

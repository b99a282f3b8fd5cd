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
    {"demo", "demo [--model korvelin|korvelin-fo|oxa-st] [--trace-dir DIR] [--customer-ms N]",
     "open a session on the virtual printer and run a statement through the exports: print,\n"
     "             cut, present; the virtual customer takes it after N ms (default 1500); each\n"
     "             status change in words, each step's time, a trace file, close",
     option::Model | option::TraceDir | option::CustomerMs, runDemo},
    {"status", "status [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "open a session (the virtual printer, or NAME on this machine's spooler), show its\n"
     "             status, sensors, model and retracted count, close",
     option::Model | option::Printer, runStatus},
    {"trace-mode", "trace-mode [--model korvelin|korvelin-fo|oxa-st] [--printer NAME] [--set MODE COUNT DIR]",
     "show the trace levels, the number of trace files kept and the trace directory;\n"
     "             with --set, change them first (MODE a level mask such as 0x3F, COUNT 2 to 50)",
     option::Model | option::Printer | option::SetTraceMode, runTraceMode},
    {"print", "print FILE [--model ...] [--printer NAME]",
     "send the bytes of FILE as a print job and wait until the printer has printed it",
     option::Model | option::Printer | option::Operand, runPrint},
    {"present", "present [--model ...] [--printer NAME]", "move the printed statement out to the customer",
     option::Model | option::Printer, runPresent},
    {"eject", "eject [--model ...] [--printer NAME]", "eject the statement", option::Model | option::Printer,
     runEject},
    {"retract", "retract [--model ...] [--printer NAME]", "pull the statement back into the printer",
     option::Model | option::Printer, runRetract},
    {"cut", "cut [--model ...] [--printer NAME]", "cut the paper", option::Model | option::Printer, runCut},
    {"transport", "transport present|eject|retract [--model ...] [--printer NAME]",
     "cut (as the printer is configured) and move the statement in one command",
     option::Model | option::Printer | option::Operand, runTransport},
    {"reset", "reset [--model ...] [--printer NAME]", "reset the printer and wait until it answers again",
     option::Model | option::Printer, runReset},
    {"recover", "recover [--model ...] [--printer NAME]", "ask the printer to recover from an error",
     option::Model | option::Printer, runRecover},
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
            if (options.help) {
                std::printf("usage: rvstatement %s\n\n  %-10s %s\n", command.synopsis, command.name,
                            command.description);
                return 0;
            }
            return command.run(options);
        }
    }
    usage();
    return 2;
}

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
    size_t maxArguments = 0;  // words after the command that are not options
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
    {"metrics", "metrics [ID [VALUE]] [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "show the seven metrics, or metric ID; with VALUE, set metric ID first\n"
     "             (IDs 0 to 6; metric 3 can only be read; values up to 99999999)",
     option::Model | option::Printer, runMetrics, 2},
    {"mfg", "mfg [--set FILE] [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "show the manufacturing data (115 bytes); with --set, write FILE first\n"
     "             (a file of 31 bytes replaces the short block, one of 115 bytes the whole)",
     option::Model | option::Printer | option::SetFile, runMfg},
    {"config", "config [set HEX8] [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "show the printer's 8-byte configuration record; with set, change it first to HEX8\n"
     "             (16 hex digits, byte 0 first) and show it again",
     option::Model | option::Printer, runConfig, 2},
    {"leds", "leds R G Y [RON ROFF GON GOFF YON YOFF] [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "set the red, green and yellow panel LEDs: modes 0 to 2, on and off times 1 to 15\n"
     "             (5 each when left out); on the virtual printer, show what its panel shows",
     option::Model | option::Printer, runLeds, 9},
    {"enable", "enable on|off [--timeout MIN] [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "switch printing on or off; with --timeout, give the session's OXA print time-out\n"
     "             in minutes (0: take the driver's)",
     option::Model | option::Printer | option::TimeOut, runEnable, 1},
    {"purge", "purge [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "purge the data the printer holds (then waits 3 s for the printer to settle)",
     option::Model | option::Printer, runPurge},
    {"version", "version [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "show the library's version and the printer driver's", option::Model | option::Printer, runVersion},
    {"print", "print FILE [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "send the bytes of FILE as a print job and wait until the printer has printed it",
     option::Model | option::Printer, runPrint, 1},
    {"present", "present [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "move the printed statement out to the customer", option::Model | option::Printer, runPresent},
    {"eject", "eject [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]", "eject the statement",
     option::Model | option::Printer, runEject},
    {"retract", "retract [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "pull the statement back into the printer", option::Model | option::Printer, runRetract},
    {"cut", "cut [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]", "cut the paper",
     option::Model | option::Printer, runCut},
    {"transport", "transport present|eject|retract [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "cut (as the printer is configured) and move the statement, in one command",
     option::Model | option::Printer, runTransport, 1},
    {"reset", "reset [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "reset the printer and wait until it answers again", option::Model | option::Printer, runReset},
    {"recover", "recover [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "ask the printer to recover from an error (then waits 3 s for it to settle)",
     option::Model | option::Printer, runRecover},
    {"selftest", "selftest [ID] [--data FILE] [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "run self-test step ID (1 to 11), or every step but 2 (ID 0, the default); step 10\n"
     "             sends the bytes of FILE to the printer (at most 10240)",
     option::Model | option::Printer | option::DataFile, runSelfTest, 1},
    {"firmware", "firmware FILE TYPE [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "download the block of firmware image FILE that fits the printer (TYPE 0, 1, 2, 15: a block\n"
     "             of kind M, S, B, F; 2 on the Korvelin FO and OXA ST also downloads the F block after\n"
     "             it); shows each step as it runs and the firmware version before and after",
     option::Model | option::Printer, runFirmware, 2},
    {"paper", "paper SIZE [TYPE LENGTH] [--model korvelin|korvelin-fo|oxa-st] [--printer NAME]",
     "select the paper: SIZE 0 Letter, 1 A4, 2 and 3 user sizes, 4 6 inches wide; for the\n"
     "             user sizes TYPE (0 Letter, 1 A4, 2 6-inch width) and LENGTH (70 to 297 mm)",
     option::Model | option::Printer, runPaper, 3},
};

void usage(std::FILE* out) {
    std::fputs("usage:\n", out);
    for (const Command& command : kCommands) {
        std::fprintf(out, "  rvstatement %s\n", command.synopsis);
    }
    std::fputs("  rvstatement [COMMAND] --help\n\n", out);
    for (const Command& command : kCommands) {
        std::fprintf(out, "  %-10s %s\n", command.name, command.description);
    }
    std::fputs("\nExit status: 0 done, 1 the printer or the library refused or failed, 2 a bad command line.\n", out);
}

void commandHelp(const Command& command) {
    std::printf("usage: rvstatement %s\n\n  %-10s %s\n", command.synopsis, command.name, command.description);
}

bool isHelp(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

const Command* findCommand(const char* name) {
    for (const Command& command : kCommands) {
        if (std::strcmp(name, command.name) == 0) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return kExitUsage;
    }
    if (isHelp(argv[1]) || std::strcmp(argv[1], "help") == 0) {
        usage(stdout);
        return 0;
    }
    const Command* command = findCommand(argv[1]);
    if (command == nullptr) {
        std::fprintf(stderr, "rvstatement: unknown command \"%s\"\nRun \"rvstatement --help\" for the commands.\n",
                     argv[1]);
        return kExitUsage;
    }
    for (int i = 2; i < argc; ++i) {
        if (isHelp(argv[i])) {
            commandHelp(*command);
            return 0;
        }
    }
    Options options;
    if (!parseOptions(argc, argv, 2, command->options, command->maxArguments, options)) {
        std::fprintf(stderr, "usage: rvstatement %s\n", command->synopsis);
        return kExitUsage;
    }
    return command->run(options);
}

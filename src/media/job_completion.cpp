#include "channel/print_control.h"
#include "media/edge_wait.h"
#include "monitor/status_checks.h"
#include "media/transmit.h"
#include "session/bounded_wait.h"
#include "trace/trace.h"

namespace rvs {
namespace {

constexpr uint32_t kBusyLimitMs = 30000;
constexpr uint32_t kJobLimitMs = 60000;

}  // namespace

Result AwaitJobCompletion(Session& session) {
    PrinterStatusWord word;
    Result code = ReadPrinterStatusWord(session, word);
    while (code == kSuccess && word.job()) {
        // One phase: the clock runs while the busy bit stays as it is and restarts when it changes.
        const bool busy = word.busy();
        bool lookedAtFirst = false;
        const bool phaseEnded = waitUntil(busy ? kBusyLimitMs : kJobLimitMs, kEdgeLookMs, [&] {
            if (!lookedAtFirst) {
                lookedAtFirst = true;  // the word that started the phase
                return false;
            }
            code = ReadPrinterStatusWord(session, word);
            return code != kSuccess || !word.job() || word.busy() != busy;
        });
        if (!phaseEnded) {
            TraceLine(&session, traceid::PrintWarning, "Print\n");
            return timeoutVerdict(session);
        }
    }
    return code;
}

}  // namespace rvs

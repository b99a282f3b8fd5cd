// A session for one command: on the virtual printer of the chosen model, or with --printer on a
// printer of the process's own spooler.
#pragma once

#include <memory>
#include <string>

#include "RvStatement.h"
#include "sim/virtual_printer.h"
#include "tools/commands.h"

namespace rvs::tool {

class ToolSession {
public:
    explicit ToolSession(const Options& options);
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    // Opens the printer and says which; reports a failure on stderr.
    bool open();
    // Closes the session; reports a failure on stderr.
    bool close();
    RvStatementHandle handle() const { return handle_; }
    // The virtual printer's device; null for a printer of the spooler.
    sim::Device* virtualDevice() const;

private:
    const Options& options_;
    std::unique_ptr<sim::ScopedVirtualPrinter> virtualPrinter_;
    std::string printerName_;
    RvStatementHandle handle_ = nullptr;
};

// "rvstatement: WHAT failed: CODE (words)" on stderr, after what stdout already holds.
void reportFailure(const char* what, uint32_t result);

// Opens a session, runs `work` on it (true when it succeeded), closes: the command's exit status.
template <class Work>
int runInSession(const Options& options, Work work) {
    ToolSession session(options);
    if (!session.open()) {
        return kExitFailed;
    }
    const bool ok = work(session);
    const bool closed = session.close();
    return ok && closed ? 0 : kExitFailed;
}

}  // namespace rvs::tool

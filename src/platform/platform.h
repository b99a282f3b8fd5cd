// The spooler and system in use, process-wide (the C API has no place to pass them).
#pragma once

#include "platform/spooler.h"
#include "platform/system.h"

namespace rvs::platform {

// The backend's own instances, chosen by the build.
Spooler& defaultSpooler();
System& defaultSystem();

Spooler& spooler();
System& system();

// Install a replacement (the virtual printer, a test clock); nullptr restores the default.
// Not to be changed while sessions are open.
void setSpooler(Spooler* replacement);
void setSystem(System* replacement);

}  // namespace rvs::platform

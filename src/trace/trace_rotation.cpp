#include "trace/trace.h"

namespace rvs {

// Full files are kept as they are until numbered backups are handled.
void TraceRotate(Session*) {}

// Old backups are left in place until numbered backups are handled.
void TracePrune(Session*) {}

}  // namespace rvs

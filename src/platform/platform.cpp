#include "platform/platform.h"

#include <atomic>

namespace rvs::platform {
namespace {
std::atomic<Spooler*> installedSpooler{nullptr};
std::atomic<System*> installedSystem{nullptr};
}  // namespace

Spooler& spooler() {
    Spooler* s = installedSpooler.load(std::memory_order_acquire);
    return s != nullptr ? *s : defaultSpooler();
}

System& system() {
    System* s = installedSystem.load(std::memory_order_acquire);
    return s != nullptr ? *s : defaultSystem();
}

void setSpooler(Spooler* replacement) { installedSpooler.store(replacement, std::memory_order_release); }
void setSystem(System* replacement) { installedSystem.store(replacement, std::memory_order_release); }

}  // namespace rvs::platform

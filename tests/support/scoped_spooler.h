// Installs a spooler (a test double, usually on sim::ForwardingSpooler) as the process-wide one
// for its lifetime and puts back the one installed before.
#pragma once

#include "platform/platform.h"

namespace rvs::test {

class ScopedSpooler {
public:
    explicit ScopedSpooler(platform::Spooler* spooler) : previous_(&platform::spooler()) {
        platform::setSpooler(spooler);
    }
    ~ScopedSpooler() { platform::setSpooler(previous_ == &platform::defaultSpooler() ? nullptr : previous_); }
    ScopedSpooler(const ScopedSpooler&) = delete;
    ScopedSpooler& operator=(const ScopedSpooler&) = delete;

private:
    platform::Spooler* previous_;
};

}  // namespace rvs::test

#pragma once

#include <cstdint>
#include <string>

#include "sim/profile.h"

namespace rvs::tool {

struct Options {
    sim::Profile profile = sim::Profile::korvelin();
    std::string modelName = "Korvelin";
    std::string traceDirectory = "rvstatement-trace";
    uint32_t stepMs = 300;
};

int runDemo(const Options& options);

}  // namespace rvs::tool

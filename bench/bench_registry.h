// The benchmark families, registered by main once it knows whether this is a smoke run.
#pragma once

namespace rvs::bench {

void registerTraceBenchmarks();
void registerMonitorBenchmarks();
void registerPrintBenchmarks();

}  // namespace rvs::bench

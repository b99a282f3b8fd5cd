// rvs_bench [--smoke] [Google Benchmark flags]. --smoke runs every benchmark for a few
// iterations only: it shows they still run, not how fast.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_printer.h"
#include "bench_registry.h"

namespace rvs::bench {
namespace {
bool smoke = false;
}
bool smokeRun() { return smoke; }
}  // namespace rvs::bench

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            rvs::bench::smoke = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    static char minTime[] = "--benchmark_min_time=0.01";
    if (rvs::bench::smoke) args.push_back(minTime);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    rvs::bench::registerTraceBenchmarks();
    rvs::bench::registerMonitorBenchmarks();
    rvs::bench::registerPrintBenchmarks();
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The benchmark program: Google Benchmark's own flags, plus --ratios_out=FILE to keep the
// table of ratios (it is always printed after the runs).
#include <cstring>

#include "families.h"
#include "ratio_table.h"

int main(int argc, char** argv) {
    const char* ratiosOut = nullptr;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--ratios_out=", 13) == 0)
            ratiosOut = argv[i] + 13;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    bench::registerLineFamily();
    bench::registerGateFamily();
    bench::registerBlockFamily();
    bench::registerLengthFamily();

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    bench::printRatios(reporter, stdout);
    if (ratiosOut) {
        if (std::FILE* out = std::fopen(ratiosOut, "w")) {
            bench::printRatios(reporter, out);
            std::fclose(out);
        }
    }
    benchmark::Shutdown();
    return 0;
}

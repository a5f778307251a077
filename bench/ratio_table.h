// The figures the goals are stated in: ratios of medians measured in the same run, and a
// few absolute times. The reporter passes every run on to the console and keeps each
// benchmark's real time per call; the table is printed once all have run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
   public:
    // Colours only on a terminal: the output is often kept in a file.
    RatioReporter();
    void ReportRuns(const std::vector<Run>& runs) override;
    // The median over repetitions of a benchmark's real time per call in ns; NaN when it
    // did not run (filtered out, or failed).
    double medianNs(const std::string& name) const;
    // The same for the CPU time of the calling thread, which leaves out the time the
    // thread waited: the figure for work without system calls.
    double medianCpuNs(const std::string& name) const;
    // The median over repetitions of a benchmark's "ratio" counter (paired runs).
    double medianRatio(const std::string& name) const;

   private:
    // The median of the repetitions, or the median aggregate when only aggregates were
    // reported; NaN for a benchmark that did not run.
    double medianOf(const std::string& name, bool cpu) const;

    struct Times {
        std::vector<double> real, cpu, ratio;
    };
    std::map<std::string, Times> times_;
    std::map<std::string, Times> aggregateMedians_;
};

// The table in Markdown, one figure per row with its goal and whether it was met.
void printRatios(const RatioReporter& times, std::FILE* out);

}  // namespace bench

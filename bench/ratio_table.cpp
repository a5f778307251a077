#include "ratio_table.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "families.h"

namespace bench {
namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double median(std::vector<double> values) {
    if (values.empty()) return kNaN;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

enum class Goal { None, AtMost, Below, Within };

struct Row {
    std::string figure;
    double value;
    const char* unit;  // "x" for a ratio
    Goal goal;
    double limit;  // Within: the allowed relative deviation from 1
};

std::string goalText(const Row& row) {
    char text[64];
    switch (row.goal) {
        case Goal::AtMost:
            std::snprintf(text, sizeof text, "<= %.2f%s", row.limit, row.unit);
            return text;
        case Goal::Below:
            std::snprintf(text, sizeof text, "< %.0f %s", row.limit, row.unit);
            return text;
        case Goal::Within:
            std::snprintf(text, sizeof text, "%.2f to %.2f", 1 - row.limit, 1 + row.limit);
            return text;
        default:
            return "";
    }
}

const char* verdict(const Row& row) {
    if (row.goal == Goal::None) return "";
    if (std::isnan(row.value)) return "not run";
    bool met = false;
    if (row.goal == Goal::AtMost) met = row.value <= row.limit;
    if (row.goal == Goal::Below) met = row.value < row.limit;
    if (row.goal == Goal::Within) met = std::fabs(row.value - 1) <= row.limit;
    return met ? "met" : "NOT met";
}

class Table {
   public:
    explicit Table(const RatioReporter& times) : times_(times) {}

    double ns(const std::string& name) const { return times_.medianNs(name); }
    double cpuNs(const std::string& name) const { return times_.medianCpuNs(name); }
    void ratio(const std::string& figure, const std::string& subject, const std::string& base,
               Goal goal = Goal::None, double limit = 0) {
        rows_.push_back({figure, ns(subject) / ns(base), "x", goal, limit});
    }
    void paired(const std::string& figure, const std::string& name, Goal goal = Goal::None,
                double limit = 0) {
        rows_.push_back({figure, times_.medianRatio(name), "x", goal, limit});
    }
    void time(const std::string& figure, const std::string& subject, Goal goal = Goal::None,
              double limit = 0) {
        rows_.push_back({figure, ns(subject), "ns", goal, limit});
    }
    void value(const std::string& figure, double v, const char* unit, Goal goal = Goal::None,
               double limit = 0) {
        rows_.push_back({figure, v, unit, goal, limit});
    }

    void print(std::FILE* out) const {
        std::fprintf(out, "\n| figure | value | goal | |\n|---|---:|---|---|\n");
        for (const Row& row : rows_) {
            char value[32] = "-";
            if (!std::isnan(row.value)) {
                if (std::string(row.unit) == "x")
                    std::snprintf(value, sizeof value, "%.2f x", row.value);
                else
                    std::snprintf(value, sizeof value, "%.3g %s", row.value, row.unit);
            }
            std::fprintf(out, "| %s | %s | %s | %s |\n", row.figure.c_str(), value,
                         goalText(row).c_str(), verdict(row));
        }
    }

   private:
    const RatioReporter& times_;
    std::vector<Row> rows_;
};

void lengthRows(Table& table) {
    const auto at = [](const char* kind, int64_t bytes) {
        return std::string("length/") + kind + "/" + std::to_string(bytes);
    };
    for (int64_t bytes : kMessageBytes)
        table.ratio("_log, " + std::to_string(bytes) + " B message / floor", at("quillpen", bytes),
                    at("floor", bytes));
    // The library's own work (no write, so CPU time) grows by the same amount per byte at
    // every length.
    const auto work = [&table, &at](int64_t bytes) { return table.cpuNs(at("compose", bytes)); };
    const size_t last = std::size(kMessageBytes) - 1;
    const double overall = (work(kMessageBytes[last]) - work(kMessageBytes[0])) /
                           static_cast<double>(kMessageBytes[last] - kMessageBytes[0]);
    table.value("library work per message byte, " + std::to_string(kMessageBytes[0]) + " B to " +
                    std::to_string(kMessageBytes[last]) + " B",
                overall, "ns");
    for (size_t i = 0; i + 1 < std::size(kMessageBytes); ++i) {
        const int64_t from = kMessageBytes[i], to = kMessageBytes[i + 1];
        const double slope = (work(to) - work(from)) / static_cast<double>(to - from);
        table.value("per-byte cost " + std::to_string(from) + " B to " + std::to_string(to) +
                        " B / overall",
                    slope / overall, "x", Goal::Within, 0.20);
    }
}
}  // namespace

RatioReporter::RatioReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred) continue;
        const double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        const std::string name = run.run_name.str();
        Times* times = nullptr;
        if (run.run_type == Run::RT_Iteration)
            times = &times_[name];
        else if (run.aggregate_name == "median")
            times = &aggregateMedians_[name];
        if (!times) continue;
        times->real.push_back(run.GetAdjustedRealTime() * toNs);
        times->cpu.push_back(run.GetAdjustedCPUTime() * toNs);
        const auto ratio = run.counters.find("ratio");
        if (ratio != run.counters.end()) times->ratio.push_back(ratio->second.value);
    }
}

double RatioReporter::medianNs(const std::string& name) const { return medianOf(name, false); }

double RatioReporter::medianCpuNs(const std::string& name) const { return medianOf(name, true); }

double RatioReporter::medianRatio(const std::string& name) const {
    const auto found = times_.find(name);
    if (found != times_.end()) return median(found->second.ratio);
    const auto aggregate = aggregateMedians_.find(name);
    return aggregate != aggregateMedians_.end() ? median(aggregate->second.ratio) : kNaN;
}

double RatioReporter::medianOf(const std::string& name, bool cpu) const {
    const auto found = times_.find(name);
    if (found != times_.end()) return median(cpu ? found->second.cpu : found->second.real);
    const auto aggregate = aggregateMedians_.find(name);  // only aggregates were reported
    if (aggregate == aggregateMedians_.end()) return kNaN;
    return median(cpu ? aggregate->second.cpu : aggregate->second.real);
}

void printRatios(const RatioReporter& times, std::FILE* out) {
    Table table(times);
    table.paired("_log line / write() of the same bytes (paired)", "paired/quillpen_vs_floor",
                 Goal::AtMost, 1.20);
    table.paired("_log line / spdlog, flush per line (paired)", "paired/quillpen_vs_spdlog_flush",
                 Goal::AtMost, 0.75);
    table.paired("hand-written UTF-16 line / spdlog, flush per line (paired)",
                 "paired/handwritten_vs_spdlog_flush");
    table.ratio("_log line / hand-written UTF-16 line", "line/quillpen", "line/handwritten");
    table.ratio("_log line / write() of the same bytes (separate runs)", "line/quillpen",
                "line/floor");
    table.ratio("_log line / spdlog, flush per line (separate runs)", "line/quillpen",
                "line/spdlog_flush");
    table.ratio("_log line / fprintf + fflush", "line/quillpen", "line/fprintf_fflush");
    table.ratio("_log line / snprintf + localtime_r + write()", "line/quillpen",
                "line/snprintf_write");
    table.time("_log line", "line/quillpen");
    table.time("write() of the same bytes", "line/floor");
    table.time("log_debug filtered out by logLevel", "gate/level_filtered", Goal::Below, 20);
    table.time("_log with LOG_SLEEP on", "gate/log_sleep", Goal::Below, 20);
    table.time("uncontended mutex lock + unlock (for scale)", "gate/mutex_pair");
    table.ratio("[SYSLOG] line / floor", "syslog/quillpen", "syslog/floor");
    table.ratio("logPut, 4 KB / floor", "text_dump/quillpen", "text_dump/floor");
    table.ratio("logPutHex, 4 KB / floor", "hex_dump/quillpen", "hex_dump/floor");
    table.paired("logDumpUTF8, 4 KB / floor (paired)", "paired/decode_dump_vs_floor", Goal::AtMost,
                 2.0);
    table.ratio("logDumpUTF8, 4 KB / floor (separate runs)", "decode_dump/quillpen",
                "decode_dump/floor");
    table.ratio("makeBitStringUSHORT16 / floor", "bits16/quillpen", "bits16/floor");
    table.ratio("makeBitStringUINT32 / floor", "bits32/quillpen", "bits32/floor");
    table.ratio("makeBitStringUnicodeScalarValue / floor", "scalar/quillpen", "scalar/floor");
    lengthRows(table);
    table.print(out);
}

}  // namespace bench

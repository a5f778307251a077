// What every benchmark family shares: a scratch directory on the disk the log files go
// to, one session per benchmark run, and the floor of a call: the writes it makes,
// captured once through the WriteFile seam, replayed with plain write() calls.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "quillpen.h"
#include "support/widen.h"

namespace bench {

// A directory of its own for one benchmark run, removed with the object.
class RunDir {
   public:
    explicit RunDir(const std::string& name);
    ~RunDir();
    RunDir(const RunDir&) = delete;
    RunDir& operator=(const RunDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

   private:
    std::filesystem::path path_;
};

// The session of one benchmark run: logInit on the run's directory with prefix "bench",
// logTerm when it goes. The run is marked as failed when logInit refuses.
class Session {
   public:
    Session(benchmark::State& state, int32_t stampMode, int32_t logSleep = 0, int32_t logLevel = 5);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool ok() const { return ok_; }
    const std::filesystem::path& dir() const { return dir_.path(); }

   private:
    RunDir dir_;
    bool ok_ = false;
};

// The pieces `call` hands to WriteFile, in order, in a session of `stampMode` (nothing is
// written to disk). The session's own start and end lines are not among them.
std::vector<std::string> recordWrites(int32_t stampMode, const std::function<void()>& call);

// Bytes in all of `pieces`.
int64_t totalBytes(const std::vector<std::string>& pieces);

// A file of its own in a run directory, written with plain write() calls.
class FloorFile {
   public:
    FloorFile();
    ~FloorFile();
    FloorFile(const FloorFile&) = delete;
    FloorFile& operator=(const FloorFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    // One write() per piece.
    void write(const std::vector<std::string>& pieces) const;

   private:
    RunDir dir_;
    int fd_;
};

// The floor: each iteration writes `pieces` to a file with one write() each.
void runFloor(benchmark::State& state, const std::vector<std::string>& pieces);

// Batches of `subject` and `baseline` calls in turn (the order swapped every iteration);
// counters: each one's time per call and the ratio of the totals.
template <typename Subject, typename Baseline>
void runPaired(benchmark::State& state, Subject subject, Baseline baseline) {
    using Clock = std::chrono::steady_clock;
    constexpr int kBatch = 32;
    Clock::duration subjectTime{}, baselineTime{};
    bool subjectFirst = true;
    for (auto _ : state) {
        for (int half = 0; half < 2; ++half) {
            const bool runSubject = (half == 0) == subjectFirst;
            const auto start = Clock::now();
            for (int i = 0; i < kBatch; ++i) runSubject ? subject() : baseline();
            (runSubject ? subjectTime : baselineTime) += Clock::now() - start;
        }
        subjectFirst = !subjectFirst;
    }
    const double calls = static_cast<double>(state.iterations()) * kBatch;
    const auto ns = [](Clock::duration d) {
        return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
    };
    state.counters["subject_ns"] = ns(subjectTime) / calls;
    state.counters["baseline_ns"] = ns(baselineTime) / calls;
    state.counters["ratio"] = ns(subjectTime) / ns(baselineTime);
}

// `call` in stamp mode 8192 paired with the floor of the writes it makes.
void runPairedFloor(benchmark::State& state, void (*call)());

// Counters every family reports per call: bytes written and write calls.
void setCallCounters(benchmark::State& state, const std::vector<std::string>& pieces);
// The bytes counter of a peer: what it wrote to `file`, per iteration.
void setFileCounters(benchmark::State& state, const std::filesystem::path& file);

}  // namespace bench

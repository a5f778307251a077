// One time-stamped line (stamp mode 8192, a %d and a %s, 45 bytes with CR LF) against the
// floor of writing the same bytes, and against peers that make the same 45 bytes just as
// durable: each line is in the operating system when the call returns.
//
// Each is timed on its own, and the two headline ratios are also measured paired: batches
// of _log lines alternate with batches of the baseline within one run, so both meet the
// same load on the machine, and the run reports the ratio of their totals.
#include <fcntl.h>
#include <spdlog/logger.h>
#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

#include "families.h"
#include "peer_line.h"
#include "support.h"

namespace bench {
namespace {

void logLine() { _log(u"count=%d user=%s", kCount, kUserW); }

void quillpenLine(benchmark::State& state) {
    const auto pieces = recordWrites(8192, logLine);
    Session session(state, 8192);
    if (!session.ok()) return;
    for (auto _ : state) logLine();
    setCallCounters(state, pieces);
}

void floorLine(benchmark::State& state) { runFloor(state, recordWrites(8192, logLine)); }

// spdlog's basic file sink, flushed after every line, laid out as quillpen's line.
std::unique_ptr<spdlog::logger> makeSpdlog(const std::filesystem::path& file) {
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(file.string());
    auto logger = std::make_unique<spdlog::logger>("bench", sink);
    logger->set_formatter(std::make_unique<spdlog::pattern_formatter>(
        "%Y-%m-%d %H:%M:%S:[%v]", spdlog::pattern_time_type::local, "\r\n"));
    logger->flush_on(spdlog::level::trace);
    return logger;
}

void spdlogLine(benchmark::State& state) {
    RunDir dir("spdlog");
    const auto logger = makeSpdlog(dir.path() / "spd.log");
    for (auto _ : state) logger->info("count={} user={}", kCount, kUser);
    setFileCounters(state, dir.path() / "spd.log");
}

void pairedFloor(benchmark::State& state) { runPairedFloor(state, logLine); }

void pairedSpdlog(benchmark::State& state) {
    RunDir dir("spdlog");
    const auto logger = makeSpdlog(dir.path() / "spd.log");
    Session session(state, 8192);
    if (!session.ok()) return;
    runPaired(state, logLine, [&] { logger->info("count={} user={}", kCount, kUser); });
}

// What a C host writes by hand: the local time of every line, fprintf and fflush.
void fprintfLine(benchmark::State& state) {
    RunDir dir("fprintf");
    FILE* file = std::fopen((dir.path() / "f.log").c_str(), "wb");
    if (!file) {
        state.SkipWithError("cannot create the file");
        return;
    }
    for (auto _ : state) {
        const struct tm t = localNow();
        std::fprintf(file, kPeerLineFormat, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                     t.tm_min, t.tm_sec, kCount, kUser);
        std::fflush(file);
    }
    std::fclose(file);
    setFileCounters(state, dir.path() / "f.log");
}

// A line composed into a local buffer by `format` and written with one write().
template <int (*Format)(char*)>
void bufferLine(benchmark::State& state) {
    RunDir dir("buffer");
    const int fd = open((dir.path() / "b.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        state.SkipWithError("cannot create the file");
        return;
    }
    for (auto _ : state) {
        char line[kLineRoom];
        const int n = Format(line);
        if (write(fd, line, static_cast<size_t>(n)) != n) state.SkipWithError("short write");
    }
    close(fd);
    setFileCounters(state, dir.path() / "b.log");
}

// The hand-written line against spdlog, paired: the bar this machine sets for the goal
// against spdlog, for any code that takes UTF-16 text and writes each line at once.
void pairedHandSpdlog(benchmark::State& state) {
    RunDir dir("hand");
    const auto logger = makeSpdlog(dir.path() / "spd.log");
    const int fd = open((dir.path() / "h.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        state.SkipWithError("cannot create the file");
        return;
    }
    runPaired(
        state,
        [&] {
            char line[kLineRoom];
            const int n = formatHandLine(line);
            if (write(fd, line, static_cast<size_t>(n)) != n) state.SkipWithError("short write");
        },
        [&] { logger->info("count={} user={}", kCount, kUser); });
    close(fd);
}
}  // namespace

void registerLineFamily() {
    benchmark::RegisterBenchmark("line/quillpen", quillpenLine);
    benchmark::RegisterBenchmark("line/floor", floorLine);
    benchmark::RegisterBenchmark("line/spdlog_flush", spdlogLine);
    benchmark::RegisterBenchmark("line/fprintf_fflush", fprintfLine);
    benchmark::RegisterBenchmark("line/snprintf_write", bufferLine<formatPeerLine>);
    benchmark::RegisterBenchmark("line/handwritten", bufferLine<formatHandLine>);
    benchmark::RegisterBenchmark("paired/quillpen_vs_floor", pairedFloor);
    benchmark::RegisterBenchmark("paired/quillpen_vs_spdlog_flush", pairedSpdlog);
    benchmark::RegisterBenchmark("paired/handwritten_vs_spdlog_flush", pairedHandSpdlog);
}

}  // namespace bench

// Writes N lines of the benchmark's 45-byte line and exits, for callgrind to count the
// user-space instructions of a line: run it with two values of N and divide the
// difference by the difference of N, which leaves out start-up and shut-down.
//   quillpen_lines MODE N DIR
// MODE: quillpen (_log), filtered (log_debug below the level), sleeping (_log with
// LOG_SLEEP on), floor (write() of the line), spdlog, snprintf, handwritten.
// MODE first-table prints the microseconds of the process's first decode table of 4 KB and
// of the next one, of a first and a next write() of as many bytes to a new file, and of a
// first and a next fill of a block of the table's size in fresh pages.
#include <fcntl.h>
#include <spdlog/logger.h>
#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "peer_line.h"
#include "quillpen.h"
#include "support/widen.h"

namespace {
int writeQuillpen(long lines, const std::string& dir) {
    if (!logInit(widen(dir).c_str(), u"lines", 8192, 0, 0, 5, 0)) return 1;
    for (long i = 0; i < lines; ++i) _log(u"count=%d user=%s", bench::kCount, bench::kUserW);
    logTerm();
    return 0;
}

int callFiltered(long lines, const std::string& dir) {
    if (!logInit(widen(dir).c_str(), u"lines", 8192, 0, 0, 3, 0)) return 1;
    for (long i = 0; i < lines; ++i) log_debug(u"count=%d user=%s", bench::kCount, bench::kUserW);
    logTerm();
    return 0;
}

int callSleeping(long lines, const std::string& dir) {
    if (!logInit(widen(dir).c_str(), u"lines", 8192, 0, 2, 5, 0)) return 1;
    for (long i = 0; i < lines; ++i) _log(u"count=%d user=%s", bench::kCount, bench::kUserW);
    logTerm();
    return 0;
}

int writeFloor(long lines, const std::string& dir) {
    const char line[] = "2026-12-05 09:03:04:[count=12345 user=anna]\r\n";
    const int fd = open((dir + "/floor.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return 1;
    for (long i = 0; i < lines; ++i)
        if (write(fd, line, sizeof line - 1) < 0) return 1;
    close(fd);
    return 0;
}

int writeSpdlog(long lines, const std::string& dir) {
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(dir + "/spd.log", true);
    spdlog::logger logger("lines", sink);
    logger.set_formatter(std::make_unique<spdlog::pattern_formatter>(
        "%Y-%m-%d %H:%M:%S:[%v]", spdlog::pattern_time_type::local, "\r\n"));
    logger.flush_on(spdlog::level::trace);
    for (long i = 0; i < lines; ++i) logger.info("count={} user={}", bench::kCount, bench::kUser);
    return 0;
}

// Microseconds that `call` takes.
template <typename Call>
double microsOf(Call call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

// The first and the next decode table of the process, then the first and the next write()
// of as many bytes to a new file of their own, and the first and the next fill of fresh
// pages: what the system charges a first write to a new file, or the first use of memory,
// is not the library's.
int timeFirstTable(const std::string& dir) {
    if (!logInit(widen(dir).c_str(), u"lines", 8192, 0, 0, 5, 0)) return 1;
    std::string utf8;
    while (utf8.size() < 4000)
        utf8 += "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 0123456789 ";
    const std::u16string text = widen(utf8);
    const auto table = [&text] { logDumpUTF8(text.c_str(), 0, u"first"); };
    const double first = microsOf(table), next = microsOf(table);
    logTerm();
    const std::string bytes(22187, '-');  // a table of these 4,000 bytes
    const int fd = open((dir + "/floor.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const auto put = [&] { return write(fd, bytes.data(), bytes.size()); };
    const double floorFirst = microsOf(put), floorNext = microsOf(put);
    close(fd);
    // The table's block of fresh pages, first filled and then again: what the system
    // charges the first use of memory a process has not touched yet.
    const size_t blockBytes = 25600;  // about the block of a table of 4,000 bytes
    void* pages =
        mmap(nullptr, blockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) return 1;
    const auto fill = [&] { std::memset(pages, '-', blockBytes); };
    const double pagesFirst = microsOf(fill), pagesNext = microsOf(fill);
    munmap(pages, blockBytes);
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f\n", first, next, floorFirst, floorNext, pagesFirst,
                pagesNext);
    return 0;
}

// Lines composed into a local buffer by `Format`, one write() each.
template <int (*Format)(char*)>
int writeBufferLines(long lines, const std::string& file) {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return 1;
    for (long i = 0; i < lines; ++i) {
        char line[bench::kLineRoom];
        const int n = Format(line);
        if (write(fd, line, static_cast<size_t>(n)) < 0) return 1;
    }
    close(fd);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s MODE LINES DIR\n", argv[0]);
        return 2;
    }
    const long lines = std::strtol(argv[2], nullptr, 10);
    const std::string mode = argv[1], dir = argv[3];
    mkdir(dir.c_str(), 0777);  // the peers write there too; logInit accepts an existing one
    if (mode == "quillpen") return writeQuillpen(lines, dir);
    if (mode == "filtered") return callFiltered(lines, dir);
    if (mode == "sleeping") return callSleeping(lines, dir);
    if (mode == "floor") return writeFloor(lines, dir);
    if (mode == "spdlog") return writeSpdlog(lines, dir);
    if (mode == "snprintf") return writeBufferLines<bench::formatPeerLine>(lines, dir + "/s.log");
    if (mode == "first-table") return timeFirstTable(dir);
    if (mode == "handwritten")
        return writeBufferLines<bench::formatHandLine>(lines, dir + "/h.log");
    std::fprintf(stderr, "unknown mode %s\n", argv[1]);
    return 2;
}

// Eight threads write at once through every kind of writer: time-stamped lines of all six
// line functions, text and hex dumps (written piece by piece), decode dumps and the three
// bit tables, 20,000 calls in all. The session lock keeps every call whole: the file must
// read as the calls' outputs laid end to end, each thread's in its own order, every byte
// accounted for.
#include <array>
#include <atomic>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/seams.h"
#include "robust/log_parse.h"
#include "robust/write_faults.h"
#include "support/session_fixture.h"

namespace {
constexpr int kThreads = 8;
constexpr int kCallsPerThread = 2500;  // 20,000 in all

enum Kind {
    kLog,
    kDebug,
    kInfo,
    kWarning,
    kError,
    kCritical,
    kPut,
    kPutHex,
    kDump,
    kU16,
    kU32,
    kScalar,
    kKinds
};
const char* const kLineWords[] = {"_log", "debug", "info", "warning", "error", "critical"};

// Neighbouring threads make different kinds of call at the same moment.
Kind kindOf(int thread, int seq) { return static_cast<Kind>((seq + thread) % kKinds); }

std::string tagOf(int thread, int seq) {
    return "T" + std::to_string(thread) + " N" + std::to_string(seq);
}

void call(int thread, int seq) {
    const WString tag = widen(tagOf(thread, seq));
    const WString data = tag + W(" 日本語😀 abcdefghijklmnop");
    const uint8_t markers = static_cast<uint8_t>(seq & 1);
    switch (kindOf(thread, seq)) {
        case kLog:
            _log(W("%s _log %d %s"), tag.c_str(), seq, W("é😀"));
            break;
        case kDebug:
            log_debug(W("%s debug %d %s"), tag.c_str(), seq, W("é😀"));
            break;
        case kInfo:
            log_info(W("%s info %d %s"), tag.c_str(), seq, W("é😀"));
            break;
        case kWarning:
            log_warning(W("%s warning %d %s"), tag.c_str(), seq, W("é😀"));
            break;
        case kError:
            log_error(W("%s error %d %s"), tag.c_str(), seq, W("é😀"));
            break;
        case kCritical:
            log_critical(W("%s critical %d %s"), tag.c_str(), seq, W("é😀"));
            break;
        case kPut:
            logPut(data.c_str(), seq, markers, 16);
            break;
        case kPutHex:
            logPutHex(data.c_str(), seq, markers, 20);
            break;
        case kDump:
            logDumpUTF8(data.c_str(), 0, tag.c_str());
            break;
        case kU16:
            makeBitStringUSHORT16(static_cast<uint16_t>(seq), tag.c_str());
            break;
        case kU32:
            makeBitStringUINT32(static_cast<uint32_t>(thread) << 16 | static_cast<uint32_t>(seq),
                                tag.c_str());
            break;
        default:
            makeBitStringUnicodeScalarValue(0x1F000u + static_cast<uint32_t>(seq), tag.c_str());
            break;
    }
}

const std::string kStamp = "2026-12-05 09:03:04:";

class Threads : public SessionTest {};
}  // namespace

TEST_F(Threads, EightWritersTwentyThousandCallsEveryOneWhole) {
    // Each call's bytes, made one after the other on this thread: what the file must hold for
    // it, wherever the call lands.
    ASSERT_EQ(open(8192), 1);
    robust::recordWrites();
    std::vector<std::vector<std::string>> expected(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        for (int s = 0; s < kCallsPerThread; ++s) {
            call(t, s);
            expected[t].push_back(robust::maskAddresses(robust::takeWritten()));
            ASSERT_FALSE(expected[t].back().empty());
            const Kind kind = kindOf(t, s);
            if (kind <= kCritical) {  // the line kinds, spelled out
                ASSERT_EQ(expected[t].back(), kStamp + "[" + tagOf(t, s) + " " + kLineWords[kind] +
                                                  " " + std::to_string(s) + " é😀]\r\n");
            }
        }
    }
    quillpen::seams::setWriteFile(nullptr);
    logTerm();
    std::filesystem::remove_all(root_ / "logs");

    ASSERT_EQ(open(8192), 1);
    std::atomic<int> waiting{kThreads};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &waiting] {
            for (--waiting; waiting.load() > 0;) std::this_thread::yield();  // start together
            for (int s = 0; s < kCallsPerThread; ++s) call(t, s);
        });
    }
    for (std::thread& writer : writers) writer.join();
    logTerm();

    const std::string file = robust::maskAddresses(readLog());
    const std::string start =
        kStamp + "[--- [app] start Log={" + logPath().u8string() + "} ---]\r\n";
    const std::string end = kStamp + "[--- [app] end Log. ---]\r\n";
    ASSERT_EQ(file.compare(0, start.size(), start), 0);
    ASSERT_GE(file.size(), start.size() + end.size());
    ASSERT_EQ(file.compare(file.size() - end.size(), end.size(), end), 0);

    // Walk the file: at every point the next call of exactly one thread begins, whole.
    std::array<int, kThreads> next{};
    std::array<int, kKinds> kinds{};
    int turns = 0, last = -1;
    size_t at = start.size();
    const size_t stop = file.size() - end.size();
    while (at < stop) {
        int found = -1;
        for (int t = 0; t < kThreads && found < 0; ++t) {
            if (next[t] == kCallsPerThread) continue;
            const std::string& bytes = expected[t][static_cast<size_t>(next[t])];
            if (file.compare(at, bytes.size(), bytes) == 0) found = t;
        }
        ASSERT_GE(found, 0) << "no thread's next call begins at byte " << at << ":\n"
                            << file.substr(at, 300);
        at += expected[found][static_cast<size_t>(next[found])].size();
        ++kinds[kindOf(found, next[found])];
        ++next[found];
        if (found != last) ++turns;
        last = found;
    }
    EXPECT_EQ(at, stop);
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kCallsPerThread) << "thread " << t;

    // The counts, once more straight from the file's text.
    std::array<int, kKinds> planned{};
    int framedPuts = 0, framedHex = 0;
    for (int t = 0; t < kThreads; ++t) {
        for (int s = 0; s < kCallsPerThread; ++s) {
            ++planned[kindOf(t, s)];
            framedPuts += kindOf(t, s) == kPut && (s & 1);
            framedHex += kindOf(t, s) == kPutHex && (s & 1);
        }
    }
    EXPECT_EQ(kinds, planned);
    for (int k = kLog; k <= kCritical; ++k)
        EXPECT_EQ(robust::countOf(file, std::string(" ") + kLineWords[k] + " "), planned[k]);
    EXPECT_EQ(robust::countOf(file, "---------- logPut-start"), framedPuts);
    EXPECT_EQ(robust::countOf(file, "---------- logPut-end!!"), framedPuts);
    EXPECT_EQ(robust::countOf(file, "---------- logPutHex-start"), framedHex);
    EXPECT_EQ(robust::countOf(file, "addr={"), planned[kDump]);
    EXPECT_EQ(robust::countOf(file, "UTF16_LE Bit Pattern!"), planned[kU16]);
    EXPECT_EQ(robust::countOf(file, "UTF32_LE Bit Pattern!"), planned[kU32]);
    EXPECT_EQ(robust::countOf(file, "UNICODE(SCALAR) Bit Pattern!"), planned[kScalar]);
    RecordProperty("calls", kThreads * kCallsPerThread);
    RecordProperty("thread_turns", turns);  // how often the writer changed in the file
    std::cout << "[ robust   ] " << kThreads << " threads, " << kThreads * kCallsPerThread
              << " calls, all whole; the writer changed " << turns << " times\n";
    EXPECT_GT(turns, kThreads);
}

TEST_F(Threads, EachThreadLogsItsOwnLastError) {
    // The last-error code belongs to the calling thread: eight threads log theirs at once,
    // each line names its own code, and each thread keeps its code after the call.
    constexpr int kLines = 500;
    constexpr DWORD kBase = 0x20000000;  // codes without a system text
    ASSERT_EQ(open(), 1);
    std::atomic<int> kept{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &kept] {
            const DWORD code = kBase + static_cast<DWORD>(t);
            for (int s = 0; s < kLines; ++s) {
                SetLastError(code);
                w32_err_log(widen(tagOf(t, s)).c_str(), s);
                kept += GetLastErr() == code;
            }
        });
    }
    for (std::thread& writer : writers) writer.join();
    logTerm();
    EXPECT_EQ(kept.load(), kThreads * kLines);
    const std::string log = readLog();
    std::map<std::string, int> lines;
    for (const std::string& line : robust::splitLines(log)) ++lines[line];
    for (int t = 0; t < kThreads; ++t) {
        for (int s = 0; s < kLines; ++s) {
            const std::string line = "[" + tagOf(t, s) + " line=" + std::to_string(s) +
                                     " Win32 ErrCode=" + std::to_string(kBase + t) + " :]";
            ASSERT_EQ(lines[line], 1) << line;
        }
    }
    EXPECT_EQ(robust::countOf(log, "\r\n"), kThreads * kLines + 2);
}

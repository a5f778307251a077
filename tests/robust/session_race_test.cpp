// Writers that never stop while the host's main thread ends its session and starts the
// next, three hundred times: calls made between two sessions write nothing and none
// faults; every session in the file is whole, from its start line to its end line, and
// everything between is the whole output of some call, each thread's in its own order.
#include <array>
#include <atomic>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/seams.h"
#include "robust/write_faults.h"
#include "support/session_fixture.h"

namespace {
constexpr int kThreads = 4;
constexpr int kSessions = 300;

std::string tagOf(int thread, int seq) {
    return "T" + std::to_string(thread) + " N" + std::to_string(seq);
}

// Each kind of output starts with the call's tag or shows it on its second line.
void call(int thread, int seq) {
    const WString tag = widen(tagOf(thread, seq));
    switch (seq % 4) {
        case 0:
            _log(W("%s line"), tag.c_str());
            break;
        case 1:
            log_error(W("%s error 日本語"), tag.c_str());
            break;
        case 2:
            logPut((tag + W(" put 日本語😀 abcdefghijklmnopqrstuvwxyz")).c_str(), seq % 1000, 0, 12);
            break;
        default:
            makeBitStringUINT32(static_cast<uint32_t>(seq), tag.c_str());
            break;
    }
}

// The thread and call named by "T<t> N<s>" at `at`; false when there is no tag there.
bool readTag(const std::string& text, size_t at, int& thread, int& seq) {
    if (text.compare(at, 1, "T") != 0) return false;
    size_t end = at + 1;
    thread = 0;
    for (; end < text.size() && end < at + 3 && text[end] >= '0' && text[end] <= '9'; ++end)
        thread = thread * 10 + (text[end] - '0');
    if (end == at + 1 || text.compare(end, 2, " N") != 0) return false;
    const size_t digits = end + 2;
    seq = 0;
    for (end = digits;
         end < text.size() && end < digits + 9 && text[end] >= '0' && text[end] <= '9'; ++end)
        seq = seq * 10 + (text[end] - '0');
    return end > digits && thread < kThreads;
}

class SessionRace : public SessionTest {};
}  // namespace

TEST_F(SessionRace, WritersKeepWritingWhileSessionsEndAndStart) {
    bool opened = open() == 1;  // the first session is open before the writers start
    ASSERT_TRUE(opened);
    std::atomic<bool> stop{false};
    std::array<int, kThreads> made{};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &stop, &made] {
            int s = 0;
            for (; !stop.load(); ++s) {
                call(t, s);
                std::this_thread::sleep_for(std::chrono::microseconds(10));  // let main in
            }
            made[static_cast<size_t>(t)] = s;
        });
    }
    int sessions = 0;
    while (opened && sessions < kSessions) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        _log(W("main %d"), sessions++);
        logTerm();
        if (sessions < kSessions) opened = open() == 1;
    }
    stop = true;
    for (std::thread& writer : writers) writer.join();
    ASSERT_TRUE(opened);
    ASSERT_EQ(sessions, kSessions);

    // Each output found is checked against the same call made again alone, recorded in a
    // session of another file.
    const std::string file = readLog();
    ASSERT_EQ(logInit(dir().c_str(), W("reference"), 0, 0, 0, 5, 0), 1);
    robust::recordWrites();
    const std::string start = line0("--- [app] start Log={" + logPath().u8string() + "} ---");
    const std::string end = line0("--- [app] end Log. ---");
    std::array<int, kThreads> next{};
    int mains = 0, outputs = 0;
    size_t at = 0;
    while (at < file.size()) {
        ASSERT_EQ(file.compare(at, start.size(), start), 0) << "no start line at byte " << at;
        at += start.size();
        while (file.compare(at, end.size(), end) != 0) {
            const std::string main = line0("main " + std::to_string(mains));
            if (file.compare(at, main.size(), main) == 0) {
                at += main.size();
                ++mains;
                continue;
            }
            // A line or a text dump begins with its tag, a table shows it on its second line.
            int t = 0, s = 0;
            const size_t label = file.find("  [", at);
            const bool tagged =
                readTag(file, at + 1, t, s) || readTag(file, at + 2, t, s) ||
                (label != std::string::npos && label < at + 80 && readTag(file, label + 3, t, s));
            ASSERT_TRUE(tagged) << "not the output of a call at byte " << at << ":\n"
                                << file.substr(at, 200);
            ASSERT_LT(s, made[static_cast<size_t>(t)]);
            ASSERT_GE(s, next[static_cast<size_t>(t)]) << "thread " << t << " out of order";
            robust::takeWritten();
            call(t, s);
            const std::string bytes = robust::takeWritten();
            ASSERT_EQ(file.compare(at, bytes.size(), bytes), 0)
                << "a torn or mixed output at byte " << at << ":\n"
                << file.substr(at, bytes.size() + 40);
            next[static_cast<size_t>(t)] = s + 1;
            at += bytes.size();
            ++outputs;
        }
        at += end.size();
    }
    quillpen::seams::setWriteFile(nullptr);
    logTerm();
    EXPECT_EQ(mains, kSessions);
    EXPECT_GT(outputs, 0);
    int calls = 0;
    for (int n : made) calls += n;
    RecordProperty("calls", calls);
    RecordProperty("outputs_written", outputs);
    std::cout << "[ robust   ] " << kSessions << " sessions while " << kThreads << " threads made "
              << calls << " calls; " << outputs << " outputs, all whole\n";
}

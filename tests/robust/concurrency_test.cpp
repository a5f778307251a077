// Concurrency: writers that never stop while the main thread ends sessions and starts new
// ones with another level, and threads racing logInit and logTerm. Every session in the
// file is whole, and everything in it is the whole output of one call, each thread's in
// its own order, debug lines only where the session's level admits them.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/session_fixture.h"

namespace {
constexpr int kThreads = 4;

// A line, a debug line, a text dump or a bit table, each showing its tag "T<t> N<s>".
void call(int thread, int seq) {
    const WString tag = widen("T" + std::to_string(thread) + " N" + std::to_string(seq));
    const int kind = seq % 4;
    if (kind == 0) _log(W("%s line 日本語"), tag.c_str());
    if (kind == 1) log_debug(W("%s debug"), tag.c_str());
    if (kind == 2) logPut((tag + W(" put 日本語😀 abcdefghijklmnopqrstuvwxyz")).c_str(), 40, 0, 12);
    if (kind == 3) makeBitStringUINT32(static_cast<uint32_t>(seq), tag.c_str());
}

// The bytes `call` writes alone, recorded in a session of another file.
std::string alone(int thread, int seq) {
    failWrites(Fault::DiskFull, 0, 0);
    call(thread, seq);
    return received();
}

class Concurrency : public SessionTest {};
}  // namespace

TEST_F(Concurrency, WritersAcrossSessionsAndLevels) {
    constexpr int kSessions = 200;
    ASSERT_EQ(open(), 1);
    std::atomic<bool> stop{false};
    std::atomic<int> calls{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([t, &stop, &calls] {
            for (int s = 0; !stop; ++s, ++calls) {
                call(t, s);
                std::this_thread::yield();
            }
        });
    for (int session = 1; session < kSessions; ++session) {
        for (const int before = calls; calls < before + 2 * kThreads;) std::this_thread::yield();
        logTerm();
        ASSERT_EQ(open(0, 0, 0, session % 2 ? 1 : 5), 1);  // odd sessions: no debug lines
    }
    logTerm();
    stop = true;
    for (std::thread& writer : writers) writer.join();

    const std::string file = readLog();
    ASSERT_EQ(logInit(dir().c_str(), W("reference"), 0, 0, 0, 5, 0), 1);
    const std::string start = line0("--- [app] start Log={" + logPath().u8string() + "} ---");
    const std::string end = line0("--- [app] end Log. ---");
    std::vector<int> next(kThreads, 0);
    int sessions = 0, outputs = 0;
    for (size_t at = 0; at < file.size(); at += end.size(), ++sessions) {
        ASSERT_EQ(file.compare(at, start.size(), start), 0) << "no start line at byte " << at;
        for (at += start.size(); file.compare(at, end.size(), end) != 0; ++outputs) {
            // The call's tag, "T<t> N<s>", within its first two lines.
            const size_t mark = file.find(" N", at);
            ASSERT_TRUE(mark < at + 120 && file[mark - 2] == 'T') << file.substr(at, 120);
            const int t = file[mark - 1] - '0', s = std::stoi(file.substr(mark + 2, 10));
            ASSERT_GE(s, next[t]) << "thread " << t << " out of order";
            EXPECT_TRUE(s % 4 != 1 || sessions % 2 == 0) << "a debug line at level 1";
            const std::string bytes = alone(t, s);
            ASSERT_EQ(file.compare(at, bytes.size(), bytes), 0)
                << "torn or mixed at byte " << at << ":\n"
                << file.substr(at, bytes.size() + 40);
            next[t] = s + 1;
            at += bytes.size();
        }
    }
    EXPECT_EQ(sessions, kSessions);
    EXPECT_GT(outputs, kSessions);
}

TEST_F(Concurrency, ThreadsRaceLogInitAndLogTerm) {
    constexpr int kRounds = 200;
    int started = 0, refused = 0;
    for (int round = 0; round < kRounds; ++round) {
        // Round by round: two threads start a session at once, or one ends the session
        // while the other starts one.
        const bool bothStart = round % 2 == 0;
        if (!bothStart) {
            ASSERT_EQ(open(), 1);
        }
        std::atomic<int> ready{0}, wins{0};
        auto run = [&](bool starts) {
            ++ready;
            while (ready < 2) std::this_thread::yield();
            if (starts) wins += open();
            if (!starts) logTerm();
        };
        std::thread a(run, true), b(run, bothStart);
        a.join();
        b.join();
        EXPECT_TRUE(!bothStart || wins == 1) << round;
        started += wins + !bothStart;
        refused += (bothStart ? 2 : 1) - wins;  // starts refused while a session ran
        logTerm();
    }
    // Every start line has its end line; the losers were told in a box.
    const std::string file = readLog();
    std::string sessions;
    for (int i = 0; i < started; ++i) sessions += sessionLines(logPath(), "");
    EXPECT_EQ(file, sessions);
    EXPECT_EQ(boxes().size(), static_cast<size_t>(refused));
    EXPECT_EQ(boxes().front(),
              "logInitParam(): logInit()で既に初期化済みです、処理せずにリターンします。");
}

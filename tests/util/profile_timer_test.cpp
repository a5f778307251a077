// The stopwatch on the fake clock: whole milliseconds, splits from one start, a clock set
// back, the label's limits, and its independence from the session. The stopwatch belongs to
// the process, so each test starts it with a label of its own before measuring.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "support/session_fixture.h"

namespace {
constexpr long long kTicksPerMilli = 10000;
constexpr long long kTicksPerSecond = 10000000;

// "[SYSLOG][□--INFO--□] [<label>] 経過時間=<seconds>[秒]\r\n"
std::string elapsed(const std::string& label, const std::string& seconds) {
    return "[SYSLOG][□--INFO--□] [" + label + "] 経過時間=" + seconds + "[秒]\r\n";
}

const std::string kTooLong =
    "[SYSLOG][□--INFO--□] profileTimeStart() prefix文字列は128バイトまでです。バッファオーバ・サ"
    "イズエラー\r\n";

}  // namespace

TEST_F(SessionTest, StopwatchPrintsWholeMilliseconds) {
    ASSERT_EQ(open(), 1);
    profileTimeStart(W("load"));
    advanceTicks(12345678);  // 1.2345678 s
    profileTimeStop();
    advanceTicks(19999000 - 12345678);  // 1.9999 s since the same start
    profileTimeStop();
    profileTimeStart(W("fast"));
    advanceTicks(kTicksPerMilli - 1);
    profileTimeStop();
    profileTimeStart(W("back"));
    advanceTicks(-12345678);  // the wall clock set back
    profileTimeStop();
    logTerm();
    EXPECT_EQ(readLog(),
              sessionLines(logPath().u8string(),
                           elapsed("load", "1.234000") + elapsed("load", "1.999000") +
                               elapsed("fast", "0.000000") + elapsed("back", "-1.234000")));
}

TEST_F(SessionTest, StopwatchLabelLimits) {
    ASSERT_EQ(open(), 1);
    profileTimeStart(repeat(W('a'), 127).c_str());
    advanceTicks(kTicksPerMilli);
    profileTimeStop();
    // 128 units keep their first 127 and take a new start.
    advanceTicks(kTicksPerSecond);
    profileTimeStart((repeat(W('b'), 127) + W("Z")).c_str());
    advanceTicks(kTicksPerMilli);
    profileTimeStop();
    // 129 units are refused: the label is emptied and the earlier start kept.
    profileTimeStart(W("kept"));
    advanceTicks(kTicksPerSecond);
    profileTimeStart(repeat(W('c'), 129).c_str());
    advanceTicks(kTicksPerSecond);
    profileTimeStop();
    // A null label likewise, reported as a null argument.
    profileTimeStart(W("kept"));
    profileTimeStart(nullptr);
    advanceTicks(kTicksPerSecond);
    profileTimeStop();
    // The label is text, not a format.
    profileTimeStart(W("100%s%d%n"));
    profileTimeStop();
    logTerm();
    EXPECT_EQ(readLog(),
              sessionLines(logPath().u8string(),
                           elapsed(std::string(127, 'a'), "0.001000") +
                               elapsed(std::string(127, 'b'), "0.001000") + kTooLong +
                               elapsed("", "2.000000") +
                               "[SYSLOG][■--ERROR--■] func={profileTimeStart() prefix} "
                               "NULLポインタです、処理せずにリターンします。\r\n" +
                               elapsed("", "1.000000") + elapsed("100%s%d%n", "0.000000")));
}

TEST_F(SessionTest, StopwatchOutlivesSessions) {
    // Without a session starts and stops change the stopwatch and write nothing.
    profileTimeStart(W("lost"));
    profileTimeStop();
    profileTimeStart(repeat(W('x'), 129).c_str());
    profileTimeStart(nullptr);
    profileTimeStop();
    profileTimeStart(W("early"));
    advanceTicks(2 * kTicksPerSecond);
    ASSERT_EQ(open(), 1);
    profileTimeStop();
    logTerm();
    advanceTicks(kTicksPerSecond);
    profileTimeStop();
    ASSERT_EQ(open(), 1);  // the same file of the day, appended
    profileTimeStop();
    logTerm();
    // Negative level or LOG_SLEEP: the lines are not written.
    ASSERT_EQ(open(0, 0, 0, -1), 1);
    profileTimeStop();
    profileTimeStart(repeat(W('x'), 129).c_str());
    logTerm();
    ASSERT_EQ(open(0, 0, 2), 1);
    profileTimeStop();
    logTerm();
    const std::string file = logPath().u8string();
    EXPECT_EQ(readLog(), sessionLines(file, elapsed("early", "2.000000")) +
                             sessionLines(file, elapsed("early", "3.000000")) +
                             sessionLines(file, ""));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, StopwatchNeverStartedMeasuresFrom1970) {
    // Only a fresh process has a stopwatch that was never started.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::tm local{};  // the fixture's frozen instant, 2026-12-05 09:03:04 local time
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 5;
    local.tm_hour = 9;
    local.tm_min = 3;
    local.tm_sec = 4;
    local.tm_isdst = -1;
    const std::string seconds = std::to_string(static_cast<long long>(std::mktime(&local)));
    EXPECT_EXIT(
        {
            open();
            profileTimeStop();
            logTerm();
            const std::string log = readLog();
            const std::string expected =
                sessionLines(logPath().u8string(), elapsed("", seconds + ".000000"));
            if (log != expected) std::fprintf(stderr, "%s\n!=\n%s", log.c_str(), expected.c_str());
            std::error_code ignored;
            std::filesystem::remove_all(root_, ignored);
            std::exit(log == expected ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}

// The five level entry points: which levels the threshold admits, the lines they write
// (those of _log), the length guard under each function's own label, and the calls that
// must write nothing.
#include <string>

#include "platform/platform.h"
#include "support/session_fixture.h"

namespace {
using LevelFn = void (*)(const qp_wchar*, ...);

struct Level {
    LevelFn fn;
    const char* label;  // the format argument's label in a refusal
};

const Level kLevels[] = {
    {log_debug, "log_debug() format"},       {log_info, "log_info() format"},
    {log_warning, "log_warning() format"},   {log_error, "log_error() format"},
    {log_critical, "log_critical() format"},
};

const std::string kError = "[SYSLOG][■--ERROR--■] ";

}  // namespace

TEST_F(SessionTest, LevelThresholdAdmitsItsLevelAndAbove) {
    // Each session calls the five, then _log, then a refused _log (a [SYSLOG] line).
    const std::string refused =
        kError + "func={_log() format} buf size over max=8190  user data size=8192\r\n";
    const std::pair<int32_t, std::string> kCases[] = {
        {5, line0("debug") + line0("info") + line0("warning") + line0("error") + line0("critical") +
                line0("log") + refused},
        {3, line0("warning") + line0("error") + line0("critical") + line0("log") + refused},
        {1, line0("critical") + line0("log") + refused},
        {0, line0("log") + refused},
        {-1, line0("log")},
    };
    for (const auto& [level, body] : kCases) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(0, 0, 0, level), 1) << level;
        log_debug(W("debug"));
        log_info(W("info"));
        log_warning(W("warning"));
        log_error(W("error"));
        log_critical(W("critical"));
        _log(W("log"));
        _log(repeat(W('x'), 4096).c_str());
        logTerm();
        EXPECT_EQ(readLog(), sessionLines(logPath().u8string(), body)) << level;
    }
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, LevelLinesAreThoseOfLog) {
    ASSERT_EQ(open(8192), 1);
    log_error(W("%s=%d %hs %lf 100%%"), W("日本"), -7, "bytes", 1.5);
    advanceTicks(10000000);  // one second later: only the stamp differs
    _log(W("%s=%d %hs %lf 100%%"), W("日本"), -7, "bytes", 1.5);
    logTerm();
    EXPECT_EQ(readLog(), "2026-12-05 09:03:04:[--- [app] start Log={" + logPath().u8string() +
                             "} ---]\r\n"
                             "2026-12-05 09:03:04:[日本=-7 bytes 1.500000 100%]\r\n"
                             "2026-12-05 09:03:05:[日本=-7 bytes 1.500000 100%]\r\n"
                             "2026-12-05 09:03:05:[--- [app] end Log. ---]\r\n");

    // Stamp mode 1: the thread id and the time this call's formatting took.
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(1), 1);
    log_critical(W("t"));
    logTerm();
    const std::string tid = "tid=" + std::to_string(static_cast<int32_t>(GetCurrentThreadId()));
    const std::string text = readLog();
    EXPECT_NE(text.find("} ---]\r\n" + tid + ":0.000000[秒][t]\r\n" + tid), std::string::npos)
        << text;
}

TEST_F(SessionTest, LevelFormatLengthUnderEachLabel) {
    ASSERT_EQ(open(), 1);
    std::string body;
    for (const Level& level : kLevels) {
        level.fn(repeat(W('a'), 4095).c_str());
        level.fn(repeat(W('b'), 4096).c_str());
        level.fn(nullptr);
        const std::string label = level.label;
        body += line0(std::string(4095, 'a')) + kError + "func={" + label +
                "} buf size over max=8190  user data size=8192\r\n" + kError + "func={" + label +
                "} NULLポインタです、処理せずにリターンします。\r\n";
    }
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath().u8string(), body));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, FilteredLevelIsNotMeasured) {
    // The level test comes first: a filtered call reports neither a long nor a null format.
    ASSERT_EQ(open(0, 0, 0, 3), 1);
    log_info(repeat(W('b'), 4096).c_str());
    log_debug(nullptr);
    log_warning(W("%s"), W("kept"));
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath().u8string(), line0("kept")));
}

TEST_F(SessionTest, LevelsWriteNothingWithoutAWriter) {
    // No session yet, then LOG_SLEEP (2: no notice either), then after logTerm.
    for (const Level& level : kLevels) {
        level.fn(W("none"));
        level.fn(nullptr);
        level.fn(repeat(W('b'), 4096).c_str());
    }
    ASSERT_EQ(open(0, 0, 2), 1);
    for (const Level& level : kLevels) {
        level.fn(W("asleep"));
        level.fn(nullptr);
        level.fn(repeat(W('b'), 4096).c_str());
    }
    logTerm();
    for (const Level& level : kLevels) level.fn(W("after"));
    EXPECT_EQ(readLog(), "");
    EXPECT_TRUE(boxes().empty());
}

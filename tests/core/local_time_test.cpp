// Line stamps follow the local clock exactly: the calendar breakdown is reused within a
// second, so these lines sit on each side of a change of second, minute, hour, day, month
// and year, on a leap day, with the clock set back, and across a change of stamp mode
// within one second.
#include <cstdio>

#include "support/session_fixture.h"

namespace {
constexpr long long kTicksPerMilli = 10000;
constexpr long long kTicksPerSecond = 10000000;

// The lines of a session: its start line, `body`, its end line, each after its stamp.
std::string stampedSession(const std::string& file, const std::string& startStamp,
                           const std::string& body, const std::string& endStamp) {
    return startStamp + ":[--- [app] start Log={" + file + "} ---]\r\n" + body + endStamp +
           ":[--- [app] end Log. ---]\r\n";
}

std::string line(const std::string& stamp, const std::string& text) {
    return stamp + ":[" + text + "]\r\n";
}

struct Boundary {
    int year, month, day, hour, minute, second;  // the last second before the change
    const char* before;                          // its stamp (mode 8192)
    const char* after;                           // the stamp one millisecond later
};
}  // namespace

TEST_F(SessionTest, StampChangesExactlyAtEachBoundary) {
    const Boundary kBoundaries[] = {
        {2026, 12, 5, 9, 3, 4, "2026-12-05 09:03:04", "2026-12-05 09:03:05"},
        {2026, 12, 5, 9, 3, 59, "2026-12-05 09:03:59", "2026-12-05 09:04:00"},
        {2026, 12, 5, 9, 59, 59, "2026-12-05 09:59:59", "2026-12-05 10:00:00"},
        {2026, 12, 5, 23, 59, 59, "2026-12-05 23:59:59", "2026-12-06 00:00:00"},
        {2026, 11, 30, 23, 59, 59, "2026-11-30 23:59:59", "2026-12-01 00:00:00"},
        {2026, 12, 31, 23, 59, 59, "2026-12-31 23:59:59", "2027-01-01 00:00:00"},
        {2028, 2, 28, 23, 59, 59, "2028-02-28 23:59:59", "2028-02-29 00:00:00"},
        {2028, 2, 29, 23, 59, 59, "2028-02-29 23:59:59", "2028-03-01 00:00:00"},
    };
    for (const Boundary& b : kBoundaries) {
        std::filesystem::remove_all(root_ / "logs");
        setLocalTime(b.year, b.month, b.day, b.hour, b.minute, b.second);
        ASSERT_EQ(open(8192), 1) << b.before;
        _log(W("first"));
        advanceTicks(999 * kTicksPerMilli);  // .999: still the same second
        _log(W("last"));
        advanceTicks(kTicksPerMilli);  // .000 of the next second
        _log(W("next"));
        logTerm();
        char date[9];
        std::snprintf(date, sizeof date, "%04d%02d%02d", b.year, b.month, b.day);
        EXPECT_EQ(
            readLog("app", date),
            stampedSession(logPath("app", date).u8string(), b.before,
                           line(b.before, "first") + line(b.before, "last") + line(b.after, "next"),
                           b.after))
            << b.before;
    }
}

TEST_F(SessionTest, StampFollowsTheClockSetBack) {
    setLocalTime(2027, 1, 1, 0, 0, 0, 200);
    ASSERT_EQ(open(8192), 1);
    _log(W("new year"));
    advanceTicks(-700 * kTicksPerMilli);  // 2026-12-31 23:59:59.500
    _log(W("set back"));
    advanceTicks(-kTicksPerSecond);  // 23:59:58.500
    _log(W("again"));
    advanceTicks(3 * kTicksPerSecond);  // 2027-01-01 00:00:01.500
    _log(W("forward"));
    logTerm();
    EXPECT_EQ(
        readLog("app", "20270101"),
        stampedSession(
            logPath("app", "20270101").u8string(), "2027-01-01 00:00:00",
            line("2027-01-01 00:00:00", "new year") + line("2026-12-31 23:59:59", "set back") +
                line("2026-12-31 23:59:58", "again") + line("2027-01-01 00:00:01", "forward"),
            "2027-01-01 00:00:01"));
}

TEST_F(SessionTest, EachStampModeAtTheTurnOfTheYear) {
    // One line each side of 2026-12-31 23:59:59.999 -> 2027-01-01 00:00:00.000; a new
    // session per mode within the same second, so no mode may reuse another's stamp.
    const struct {
        int32_t mode;
        const char* before;
        const char* after;
    } kModes[] = {
        {2, "59:", "00:"},
        {3, "59:0:", "00:0:"},
        {4, "59:", "00:"},
        {6, "59:59:", "00:00:"},
        {7, "59:59:0:", "00:00:0:"},
        {8, "23:", "00:"},
        {9, "23:0:", "00:0:"},
        {16, "31:", "01:"},
        {32, "12:", "01:"},
        {64, "2026:", "2027:"},
        {128, "2026:12:31:", "2027:01:01:"},
        {256, "20261231:", "20270101:"},
        {2048, "20261231-235959:", "20270101-000000:"},
        {4096, "2026/12/31-23:59:59:", "2027/01/01-00:00:00:"},
        {8192, "2026-12-31 23:59:59:", "2027-01-01 00:00:00:"},
        {16384, "20261231-235959:0:", "20270101-000000:0:"},
        {32768, "2026/12/31-23:59:59:0", "2027/01/01-00:00:00:0"},
    };
    for (const auto& m : kModes) {
        std::filesystem::remove_all(root_ / "logs");
        setLocalTime(2026, 12, 31, 23, 59, 59, 999);
        ASSERT_EQ(open(m.mode), 1) << m.mode;
        _log(W("old"));
        advanceTicks(kTicksPerMilli);
        _log(W("new"));
        logTerm();
        const std::string before = m.before, after = m.after;
        EXPECT_EQ(readLog("app", "20261231"),
                  before + "[--- [app] start Log={" + logPath("app", "20261231").u8string() +
                      "} ---]\r\n" + before + "[old]\r\n" + after + "[new]\r\n" + after +
                      "[--- [app] end Log. ---]\r\n")
            << m.mode;
    }
}

TEST_F(SessionTest, NewStampModeWithinTheSameSecond) {
    // The second session starts in the very second the first ended: the stamp of the first
    // mode must not be reused for the second.
    ASSERT_EQ(open(8192), 1);
    _log(W("a"));
    logTerm();
    ASSERT_EQ(open(2048), 1);
    _log(W("b"));
    logTerm();
    const std::string file = logPath().u8string();
    EXPECT_EQ(readLog(), stampedSession(file, "2026-12-05 09:03:04",
                                        line("2026-12-05 09:03:04", "a"), "2026-12-05 09:03:04") +
                             stampedSession(file, "20261205-090304", line("20261205-090304", "b"),
                                            "20261205-090304"));
}

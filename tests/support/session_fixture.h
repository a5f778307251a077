// What every test shares: a fresh library state for each test (its own log directory, a
// frozen clock, captured message boxes, no session left behind), the one WriteFile
// replacement, reading the log back, and the library's own texts as the file shows them.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "quillpen.h"
#include "support/widen.h"

#define W(s) QP_TEXT(s)

// `units` copies of `unit`.
inline WString repeat(qp_wchar unit, size_t units) { return WString(units, unit); }

class SessionTest : public ::testing::Test {
   protected:
    void SetUp() override;
    void TearDown() override;

    // Freezes the clock at a local calendar time.
    static void setLocalTime(int year, int month, int day, int hour, int minute, int second,
                             int millis = 0);
    static void advanceTicks(long long ticks);

    // The log directory as UTF-16 and the path of the file of the frozen day.
    WString dir() const;
    std::filesystem::path logPath(const std::string& prefix = "app") const;
    std::string readLog() const;
    // logInit on dir() with prefix "app".
    int32_t open(int32_t stampMode = 0, int32_t newlineMode = 0, int32_t logSleep = 0,
                 int32_t logLevel = 5, int32_t bom = 0);

    // Boxes shown since the test began, each as "title: text" in UTF-8.
    static std::vector<std::string>& boxes();
    // What the captured boxes answer.
    static void setBoxAnswer(int answer);

    std::filesystem::path root_;
};

// Writes under test control. Every write the library makes is recorded and passed on,
// except that those whose index (counted from 0 since the call) lies in [first, last) fail
// with ERROR_DISK_FULL: before their first byte (DiskFull) or after half of them (ShortWrite).
enum class Fault { DiskFull, ShortWrite };
void failWrites(Fault fault, int first, int last = INT_MAX);
// Every write attempted since failWrites, whole, in order.
const std::vector<std::string>& writes();
// What the file received of writes() under the window given to failWrites.
std::string received();

// Every call leaves the shared scratch buffers all zero (or not allocated).
bool scratchClear();
// Checks that every decode-table address is "addr={" and 16 uppercase hex digits and "}",
// and replaces the digits with "%p", so that tables from different runs compare equal.
std::string maskAddresses(std::string text);

// The bytes of a time-stamped line in stamp mode 0 with CR LF: "[text]\r\n".
inline std::string line0(const std::string& text) { return "[" + text + "]\r\n"; }
// A session's start and end lines for `file` (stamp mode 0, terminator `nl`) around `body`.
std::string sessionLines(const std::filesystem::path& file, const std::string& body,
                         const std::string& nl = "\r\n");

inline const std::string kErrorBanner = "[SYSLOG][■--ERROR--■] ";
inline const std::string kCriticalBanner = "[SYSLOG][■--CRETICAL--■] ";
inline const std::string kInfoBanner = "[SYSLOG][□--INFO--□] ";
// A null text refused, as an ERROR line while a file is open and in a box without one.
std::string nullLine(const std::string& label);
std::string nullBox(const std::string& label);
// A text over its limit refused, likewise.
std::string sizeLine(const std::string& label, int32_t max, int32_t size);
std::string sizeBox(const std::string& label, int32_t max, int32_t size);

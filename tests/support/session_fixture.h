// A fresh library state for each test: its own log directory, a frozen clock, captured
// message boxes and no session left behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "quillpen.h"
#include "support/widen.h"

#define W(s) QP_TEXT(s)

// `units` copies of `unit`.
WString repeat(qp_wchar unit, size_t units);

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
    std::filesystem::path logPath(const std::string& prefix = "app",
                                  const std::string& date = "20261205") const;
    std::string readLog(const std::string& prefix = "app",
                        const std::string& date = "20261205") const;
    // logInit on dir() with prefix "app".
    int32_t open(int32_t stampMode = 0, int32_t newlineMode = 0, int32_t logSleep = 0,
                 int32_t logLevel = 5, int32_t bom = 0);

    // Boxes shown since the test began, each as "title: text" in UTF-8.
    static std::vector<std::string>& boxes();
    // What the captured boxes answer.
    static void setBoxAnswer(int answer);

    std::filesystem::path root_;
};

// The bytes of a time-stamped line in stamp mode 0 with CR LF: "[text]\r\n".
std::string line0(const std::string& text);
// A session's start and end lines for `file` (stamp mode 0, terminator `nl`) around `body`.
std::string sessionLines(const std::filesystem::path& file, const std::string& body,
                         const std::string& nl = "\r\n");

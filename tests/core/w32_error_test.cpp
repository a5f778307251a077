// The last-error functions: the code logged is the one present on entry, the system text
// loses its closing CR LF, the label's length is counted in units, and the line is written
// whatever the level threshold. The system's wording differs between Windows, Wine and the
// POSIX layer, so texts are compared word for word only where the layer's own are known;
// codes without a system text (the customer bit 0x20000000 set) give exact lines everywhere.
#include <atomic>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "support/session_fixture.h"

namespace {
const std::string kError = "[SYSLOG][■--ERROR--■] ";
constexpr DWORD kNoText = 0x20000001;  // 536870913; no system has a text for it
constexpr DWORD kNoTextNegative = 0xE0000001;

// The one line between the start and end lines of a session.
std::string onlyLine(const std::string& log) {
    const size_t first = log.find("\r\n") + 2;
    const size_t last = log.rfind("[--- [app] end Log. ---]");
    return last == std::string::npos || last < first ? "" : log.substr(first, last - first);
}

// "[<head><system text>]\r\n" with a non-empty text that keeps no CR or LF of its own.
::testing::AssertionResult isErrorLine(const std::string& line, const std::string& head,
                                       const std::string& posixText) {
#if defined(_WIN32)
    (void)posixText;
    const std::string start = "[" + head;
    const bool shaped = line.size() > start.size() + 3 &&
                        line.compare(0, start.size(), start) == 0 &&
                        line.compare(line.size() - 3, 3, "]\r\n") == 0;
    const std::string text =
        shaped ? line.substr(start.size(), line.size() - start.size() - 3) : "";
    if (shaped && text.find_first_of("\r\n") == std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not an error line with text: " << line;
#else
    if (line == line0(head + posixText)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << line << " != " << line0(head + posixText);
#endif
}
}  // namespace

TEST_F(SessionTest, ErrorLogWritesTheCodeFoundOnEntry) {
    ASSERT_EQ(open(), 1);
    SetLastError(ERROR_ACCESS_DENIED);
    w32_err_log(W("main.c run"), 42);
    EXPECT_EQ(GetLastErr(), 5u);  // kept for the host, though the write set codes of its own
    logTerm();
    EXPECT_TRUE(isErrorLine(onlyLine(readLog()),
                            "main.c run line=42 Win32 ErrCode=5 :", "Access is denied."));

    // The lookup of a code without text fails and sets a code of its own before the write.
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(), 1);
    SetLastError(kNoText);
    w32_err_log(W("f"), 1);
    EXPECT_EQ(GetLastErr(), kNoText);
    // Negative line numbers and codes of 0x80000000 and above print signed.
    SetLastError(kNoTextNegative);
    w32_err_log(W("g"), -3);
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath().u8string(),
                                      line0("f line=1 Win32 ErrCode=536870913 :") +
                                          line0("g line=-3 Win32 ErrCode=-536870911 :")));

    // Codes whose text, if any, differs by system: the head of the line is exact.
    const std::pair<DWORD, std::string> kSigned[] = {
        {0x80000000u, "h line=0 Win32 ErrCode=-2147483648 :"},
        {0xFFFFFFFFu, "h line=0 Win32 ErrCode=-1 :"}};
    for (const auto& [code, head] : kSigned) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(), 1);
        SetLastError(code);
        w32_err_log(W("h"), 0);
        logTerm();
        const std::string line = onlyLine(readLog());
        EXPECT_EQ(line.compare(0, head.size() + 1, "[" + head), 0) << line;
        EXPECT_EQ(line.compare(line.size() - 3, 3, "]\r\n"), 0) << line;
    }
}

TEST_F(SessionTest, ResetCodeIsLoggedWithTheSuccessText) {
    SetLastError(1234);
    EXPECT_EQ(GetLastErr(), 1234u);  // no session needed
    w32_reset_errCode();
    EXPECT_EQ(GetLastErr(), 0u);

    // Each thread has its own code. The threads meet through atomics alone: creating or
    // joining a thread may set the creator's code.
    std::atomic<bool> go{false}, done{false};
    uint32_t seen = 0, reset = 1;
    std::thread other([&] {
        while (!go) {
        }
        seen = GetLastErr();
        SetLastError(88);
        w32_reset_errCode();
        reset = GetLastErr();
        done = true;
    });
    SetLastError(77);
    go = true;
    while (!done) {
    }
    EXPECT_EQ(GetLastErr(), 77u);
    other.join();
    EXPECT_NE(seen, 77u);
    EXPECT_EQ(reset, 0u);

    ASSERT_EQ(open(), 1);
    w32_reset_errCode();
    w32_err_log(W("ok"), 9);
    logTerm();
    EXPECT_TRUE(isErrorLine(onlyLine(readLog()), "ok line=9 Win32 ErrCode=0 :",
                            "The operation completed successfully."));
}

TEST_F(SessionTest, ErrorLogLabelCountsUnits) {
    ASSERT_EQ(open(), 1);
    const WString fits = repeat(W('f'), 260);
    SetLastError(kNoText);
    w32_err_log(fits.c_str(), 7);
    w32_err_log(repeat(W('g'), 261).c_str(), 7);
    w32_err_log(nullptr, 7);
    w32_err_log(W("%s%d%n %1"), 8);  // the label is printed as it stands
    logTerm();
    EXPECT_EQ(
        readLog(),
        sessionLines(logPath().u8string(),
                     line0(std::string(260, 'f') + " line=7 Win32 ErrCode=536870913 :") + kError +
                         "func={w32_err_log() file_fnc} buf size over max=260  user data "
                         "size=261\r\n" +
                         kError +
                         "func={w32_err_log() file_fnc} NULLポインタです、処理せずにリターン"
                         "します。\r\n" +
                         line0("%s%d%n %1 line=8 Win32 ErrCode=536870913 :")));
    EXPECT_TRUE(boxes().empty());
}

#if defined(_WIN32)
TEST_F(SessionTest, ErrorLogSystemTextIsNotAFormat) {
    // The text for "message not found" carries the insert markers %1 and %2 unexpanded.
    ASSERT_EQ(open(), 1);
    SetLastError(317);
    w32_err_log(W("m"), 1);
    logTerm();
    const std::string line = onlyLine(readLog());
    EXPECT_TRUE(isErrorLine(line, "m line=1 Win32 ErrCode=317 :", ""));
    EXPECT_NE(line.find("%1"), std::string::npos) << line;
}
#endif

TEST_F(SessionTest, ErrorLogIgnoresLevelButNeedsAWriter) {
    for (int32_t level : {0, -1}) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(0, 0, 0, level), 1);
        SetLastError(kNoText);
        w32_err_log(W("lvl"), level);
        logTerm();
        EXPECT_EQ(readLog(),
                  sessionLines(logPath().u8string(), line0("lvl line=" + std::to_string(level) +
                                                           " Win32 ErrCode=536870913 :")))
            << level;
    }

    // No session (not even a box for a refused label), LOG_SLEEP, after logTerm: nothing.
    std::filesystem::remove_all(root_ / "logs");
    SetLastError(kNoText);
    w32_err_log(W("none"), 1);
    w32_err_log(repeat(W('g'), 261).c_str(), 1);
    w32_err_log(nullptr, 1);
    ASSERT_EQ(open(0, 0, 2), 1);
    w32_err_log(W("asleep"), 1);
    w32_err_log(repeat(W('g'), 261).c_str(), 1);
    logTerm();
    SetLastError(kNoText);
    w32_err_log(W("after"), 1);
    EXPECT_EQ(GetLastErr(), kNoText);
    EXPECT_EQ(readLog(), "");
    EXPECT_TRUE(boxes().empty());
}

// Time-stamped lines: every stamp mode, the terminators, the length limits and the
// library's own [SYSLOG] lines.
#include "platform/seams.h"
#include "support/session_fixture.h"

namespace {
const std::string kCretical = "[SYSLOG][■--CRETICAL--■] ";
const std::string kError = "[SYSLOG][■--ERROR--■] ";

// The lines of a session in stamp mode `mode`, each with `stamp` before it.
std::string framed(const std::string& stamp, const std::string& file, const std::string& body) {
    return stamp + "[--- [app] start Log={" + file + "} ---]\r\n" + body + stamp +
           "[--- [app] end Log. ---]\r\n";
}
}  // namespace

TEST_F(SessionTest, EveryStampModeAtOneInstant) {
    // 09:03:04 on 5 December 2026.
    const std::pair<int32_t, std::string> kStamps[] = {
        {0, ""},
        {2, "04:"},
        {3, "04:0:"},
        {4, "03:"},
        {5, "03:0:"},
        {6, "03:04:"},
        {7, "03:04:0:"},
        {8, "09:"},
        {9, "09:0:"},
        {16, "05:"},
        {32, "12:"},
        {64, "2026:"},
        {128, "2026:12:05:"},
        {256, "20261205:"},
        {512, "20261205:"},
        {1024, "20261205:"},
        {2048, "20261205-090304:"},
        {4096, "2026/12/05-09:03:04:"},
        {8192, "2026-12-05 09:03:04:"},
        {16384, "20261205-090304:0:"},
        {32768, "2026/12/05-09:03:04:0"},
    };
    for (const auto& [mode, stamp] : kStamps) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(mode), 1) << mode;
        _log(W("abc"));
        logTerm();
        EXPECT_EQ(readLog(), framed(stamp, logPath().u8string(), stamp + "[abc]\r\n")) << mode;
    }
}

TEST_F(SessionTest, StampModeDetails) {
    setLocalTime(2026, 12, 5, 9, 3, 7);
    ASSERT_EQ(open(3), 1);
    _log(W("x"));
    logTerm();
    EXPECT_NE(readLog().find("07:0:[x]\r\n"), std::string::npos);

    setLocalTime(2026, 12, 5, 9, 3, 4);
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(8192), 1);
    _log(W("count=%d"), 5);
    logTerm();
    const std::string line = "2026-12-05 09:03:04:[count=5]\r\n";
    EXPECT_EQ(line.size(), 31u);
    EXPECT_NE(readLog().find(line), std::string::npos);

    // Mode 1: the thread id and the time the formatting took (the clock is frozen).
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(1), 1);
    _log(W("t"));
    logTerm();
    const std::string tid = "tid=" + std::to_string(static_cast<int32_t>(GetCurrentThreadId()));
    EXPECT_NE(readLog().find(tid + ":0.000000[秒][t]\r\n"), std::string::npos) << readLog();
}

TEST_F(SessionTest, UnknownStampModesWriteNothing) {
    for (int32_t mode : {10, -1, 65536}) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(mode), 1);
        _log(W("abc"));
        logTerm();
        EXPECT_EQ(readLog(), "") << mode;
    }
}

TEST_F(SessionTest, NewlineModesEndLines) {
    const std::pair<int32_t, std::string> kModes[] = {
        {0, "\r\n"}, {1, "\n"}, {2, "\r"}, {7, "\r\n"}, {-1, "\r\n"}};
    for (const auto& [mode, nl] : kModes) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(0, mode), 1);
        _log(W("abc"));
        _log(repeat(W('f'), 4096).c_str());  // a refusal: a [SYSLOG] line, same terminator
        logTerm();
        const std::string file = logPath().u8string();
        EXPECT_EQ(readLog(), "[--- [app] start Log={" + file + "} ---]" + nl + "[abc]" + nl +
                                 kError +
                                 "func={_log() format} buf size over max=8190  user data "
                                 "size=8192" +
                                 nl + "[--- [app] end Log. ---]" + nl)
            << mode;
    }
}

TEST_F(SessionTest, FormatLengthBoundary) {
    ASSERT_EQ(open(), 1);
    _log(repeat(W('a'), 4095).c_str());
    _log(repeat(W('b'), 4096).c_str());
    _log(nullptr);
    logTerm();
    const std::string file = logPath().u8string();
    EXPECT_EQ(readLog(),
              sessionLines(file, line0(std::string(4095, 'a')) + kError +
                                     "func={_log() format} buf size over max=8190  user data "
                                     "size=8192\r\n" +
                                     kError +
                                     "func={_log() format} NULLポインタです、処理せずにリターン"
                                     "します。\r\n"));
}

TEST_F(SessionTest, LineOf8190BytesIsWrittenAnd8191Refused) {
    // "[" + message + "]\r\n": three-byte characters make long lines from few units.
    const WString hiragana = repeat(static_cast<qp_wchar>(0x3042), 2728);
    const WString fits = hiragana + W("zz");      // 8186 bytes of message, 8190 of line
    const WString over = hiragana + W("\u3042");  // 8187 bytes of message
    ASSERT_EQ(open(), 1);
    _log(W("%s"), fits.c_str());
    _log(W("%s"), over.c_str());
    logTerm();
    std::string message;
    for (int i = 0; i < 2728; ++i) message += "\xE3\x81\x82";
    const std::string line = line0(message + "zz");
    ASSERT_EQ(line.size(), 8190u);
    EXPECT_EQ(readLog(),
              sessionLines(logPath().u8string(),
                           line + kCretical +
                               "quillpen line=879logWrite文字列長が8100バイトを超えました、ログ出力"
                               "できません\r\n"));
}

TEST_F(SessionTest, MessageLongerThanTheBufferIsRefused) {
    ASSERT_EQ(open(), 1);
    _log(W("%s"), repeat(W('m'), 4223 - 4).c_str());  // with "[", "]" and CR LF: 4223 units
    _log(W("%s"), repeat(W('m'), 4220).c_str());
    _log(W("%s"), repeat(W('m'), 5000).c_str());
    logTerm();
    const std::string refusal =
        kCretical + "func={_log() format} 展開後の行が4223文字を超えました、ログ出力できません\r\n";
    EXPECT_EQ(readLog(), sessionLines(logPath().u8string(),
                                      line0(std::string(4219, 'm')) + refusal + refusal));
}

TEST_F(SessionTest, SurrogatesBecomeFourByteCharactersOrAreDropped) {
    ASSERT_EQ(open(), 1);
    const qp_wchar text[] = {0x00E9, 0x3042, 0xD83D, 0xDE00, 0};
    const qp_wchar lone[] = {0xD800, 'x', 0xDC00, 'y', 0xD83D, 0};
    _log(text);
    _log(lone);
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath().u8string(),
                                      line0("\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80") + line0("xy")));
}

TEST_F(SessionTest, NegativeLevelSilencesSyslogButNotLog) {
    ASSERT_EQ(open(0, 0, 0, -1), 1);
    _log(W("kept"));
    _log(repeat(W('b'), 4096).c_str());
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath().u8string(), line0("kept")));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, HostFormatsAreSafe) {
    ASSERT_EQ(open(), 1);
    // %n is copied as it stands and consumes no argument: the 42 goes to %d.
    _log(W("%n|%d"), 42);
    _log(W("%s %hs"), static_cast<const qp_wchar*>(nullptr), "bytes");
    logTerm();
    const std::string text = readLog();
    EXPECT_NE(text.find("[%n|42]\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[(null) bytes]\r\n"), std::string::npos) << text;
}

TEST_F(SessionTest, FailedWriteIsNotReportedAndTheNextLineIsWritten) {
    ASSERT_EQ(open(), 1);
    quillpen::seams::setWriteFile(
        [](HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) -> BOOL {
            if (written) *written = 0;
            return FALSE;
        });
    _log(W("lost"));
    quillpen::seams::setWriteFile(nullptr);
    _log(W("kept"));
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath().u8string(), line0("kept")));
}

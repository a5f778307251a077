// Opening and closing sessions: the file of the day, its mark and notice, the boxes of
// every failure, and the length guard on the two texts.
#include <filesystem>

#include "platform/platform.h"
#include "support/session_fixture.h"

namespace {
std::string startLine(const std::filesystem::path& file) {
    return line0("--- [app] start Log={" + file.u8string() + "} ---");
}
const std::string kEndLine = line0("--- [app] end Log. ---");
const std::string kSleepNotice =
    "##### LOG_SLEEP Switch ON! No save logs...  logInit() No.5 Param 0 Set to start Log! #####";
const std::string kFatalTitle = "logInit() Fatal Error! Not Running!: ";
const std::string kSizeTitle = "[■--ERROR--■] bufSizCheck 続行不可能!: ";

bool startsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}
bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

TEST_F(SessionTest, StartAndEndLinesFrameTheSession) {
    ASSERT_EQ(open(), 1);
    _log(W("count=%d"), 5);
    logTerm();
    EXPECT_EQ(readLog(), startLine(logPath()) + line0("count=5") + kEndLine);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, ByteOrderMarkOnlyOnANewFile) {
    ASSERT_EQ(open(0, 0, 0, 5, 1), 1);
    logTerm();
    ASSERT_EQ(open(0, 0, 0, 5, 1), 1);
    logTerm();
    const std::string session = startLine(logPath()) + kEndLine;
    EXPECT_EQ(readLog(), "\xEF\xBB\xBF" + session + session);
}

TEST_F(SessionTest, SleepWritesTheNoticeAndNothingElse) {
    ASSERT_EQ(open(0, 0, 1, 5, 1), 1);
    _log(W("lost"));
    logTerm();
    ASSERT_EQ(open(0, 0, 1), 1);  // a second notice follows the first on the same line
    logTerm();
    ASSERT_EQ(open(), 1);  // the next start line continues the notice's line
    logTerm();
    EXPECT_EQ(kSleepNotice.size(), 90u);
    EXPECT_EQ(readLog(),
              "\xEF\xBB\xBF" + kSleepNotice + kSleepNotice + startLine(logPath()) + kEndLine);
}

TEST_F(SessionTest, SleepOtherThanOneWritesNoNotice) {
    ASSERT_EQ(open(0, 0, 2), 1);
    _log(W("lost"));
    logTerm();
    EXPECT_TRUE(std::filesystem::exists(logPath()));
    EXPECT_EQ(readLog(), "");
}

TEST_F(SessionTest, FileHeldByAnotherWriterIsRefused) {
    std::filesystem::create_directories(root_ / "logs");
    WString file = widen(logPath().u8string());
    HANDLE held = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(), 0);
    CloseHandle(held);
    ASSERT_EQ(boxes().size(), 2u);
    const std::string head =
        "[Brantex]quillpen logOpen() line=179: [FATAL] Log file open Error! quillpen line=177 "
        "Win32 ErrCode=32 :";
    EXPECT_TRUE(startsWith(boxes()[0], head)) << boxes()[0];
    EXPECT_TRUE(endsWith(boxes()[0], " " + (root_ / "logs").u8string())) << boxes()[0];
    EXPECT_EQ(boxes()[1], kFatalTitle +
                              "[FATAL] logInit() Error!  log file is not open! "
                              "Check path=" +
                              (root_ / "logs").u8string());
    EXPECT_EQ(readLog(), "");
    // Once the other writer is gone the same day's file opens for appending.
    boxes().clear();
    EXPECT_EQ(open(), 1);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, MissingParentDirectoryShowsThreeBoxesThenARetryWorks) {
    const std::string bad = (root_ / "missing" / "logs").u8string();
    EXPECT_EQ(logInit(widen(bad).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
    ASSERT_EQ(boxes().size(), 3u);
    const std::string head = "createDirCheck(): [FATAL] " + bad +
                             " ERROR_PATH_NOT_FOUND CreateDirectory : createDirCheck() "
                             "line=319 Win32 ErrCode=3 :";
    EXPECT_TRUE(startsWith(boxes()[0], head)) << boxes()[0];
    EXPECT_FALSE(endsWith(boxes()[0], "\r\n"));
    EXPECT_EQ(boxes()[1],
              "logOpen() createDirCheck() Error!: createDirCheckがエラー "
              "pathが間違っていませんか? path={" +
                  bad + "}");
    EXPECT_EQ(boxes()[2], kFatalTitle +
                              "[FATAL] logInit() Error!  log file is not open! "
                              "Check path=" +
                              bad);
    EXPECT_FALSE(std::filesystem::exists(root_ / "missing"));
    boxes().clear();
    EXPECT_EQ(open(), 1);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, EmptyPathIsRefusedWithTheDirectoryBoxes) {
    EXPECT_EQ(logInit(W(""), W("app"), 0, 0, 0, 5, 0), 0);
    ASSERT_EQ(boxes().size(), 3u);
    EXPECT_TRUE(startsWith(boxes()[0],
                           "createDirCheck(): [FATAL] path={} CreateDirectory "
                           "ディレクトリを作成できません: createDirCheck() "
                           "line=326 Win32 ErrCode=123 :"))
        << boxes()[0];
    EXPECT_EQ(boxes()[2], kFatalTitle +
                              "[FATAL] logInit() Error!  log file is not open! "
                              "Check path=");
}

TEST_F(SessionTest, LengthGuardOnPathAndPrefix) {
    // 513 units of path: refused before anything is stored or created.
    EXPECT_EQ(logInit(repeat(W('p'), 513).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0], kSizeTitle + "func={logInit() path} maxSize=1024 dataSize=1026");
    // 512 units pass the guard (the directory itself is then too long for the system).
    boxes().clear();
    EXPECT_EQ(logInit(repeat(W('p'), 512).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
    for (const std::string& box : boxes()) EXPECT_FALSE(startsWith(box, kSizeTitle)) << box;

    boxes().clear();
    EXPECT_EQ(logInit(dir().c_str(), repeat(W('x'), 256).c_str(), 0, 0, 0, 5, 0), 0);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0], kSizeTitle + "func={logInit() prefix} maxSize=510 dataSize=512");
    boxes().clear();
    logInit(dir().c_str(), repeat(W('x'), 255).c_str(), 0, 0, 0, 5, 0);
    for (const std::string& box : boxes()) EXPECT_FALSE(startsWith(box, kSizeTitle)) << box;
}

TEST_F(SessionTest, NullTextsAreRefusedWithABox) {
    EXPECT_EQ(logInit(nullptr, W("app"), 0, 0, 0, 5, 0), 0);
    EXPECT_EQ(logInit(dir().c_str(), nullptr, 0, 0, 0, 5, 0), 0);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0],
              kSizeTitle + "func={logInit() path} NULLポインタです、処理せずにリターンします。");
    EXPECT_EQ(boxes()[1],
              kSizeTitle + "func={logInit() prefix} NULLポインタです、処理せずにリターンします。");
    EXPECT_FALSE(std::filesystem::exists(root_ / "logs"));
}

TEST_F(SessionTest, SecondInitIsRefusedAndTheFirstSessionGoesOn) {
    ASSERT_EQ(open(0, 1), 1);  // LF terminators
    EXPECT_EQ(logInit(dir().c_str(), W("other"), 8192, 0, 1, -1, 1), 0);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0],
              "logInitParam(): logInit()で既に初期化済みです、処理せずにリターンします。");
    _log(W("still here"));
    logTerm();
    EXPECT_EQ(readLog(), "[--- [app] start Log={" + logPath().u8string() +
                             "} ---]\n[still here]\n[--- [app] end Log. ---]\n");
    EXPECT_FALSE(std::filesystem::exists(logPath("other")));
}

TEST_F(SessionTest, NoSessionMeansNoOutputAndNoFault) {
    _log(W("before"));
    ASSERT_EQ(open(), 1);
    logTerm();
    _log(W("after"));
    logTerm();
    EXPECT_EQ(readLog(), startLine(logPath()) + kEndLine);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SessionTest, TermUnderSleepWritesNoEndLineButCloses) {
    ASSERT_EQ(open(0, 0, 2), 1);
    logTerm();
    ASSERT_EQ(open(), 1);  // the file was closed: the same process opens it again
    logTerm();
    EXPECT_EQ(readLog(), startLine(logPath()) + kEndLine);
}

TEST_F(SessionTest, FileNameFollowsTheLocalDate) {
    setLocalTime(2026, 3, 5, 23, 59, 59);
    ASSERT_EQ(open(), 1);
    logTerm();
    EXPECT_TRUE(std::filesystem::exists(logPath("app", "20260305")));
}

#ifndef _WIN32
TEST_F(SessionTest, FileNameLongerThanItsFieldIsRefused) {
    // Nested directories make a path of about 500 units; with the prefix the name passes 519.
    std::filesystem::path deep = root_ / std::string(200, 'a') / std::string(200, 'b');
    std::filesystem::create_directories(deep);
    deep /= std::string(500 - deep.u8string().size() - 1, 'c');
    ASSERT_EQ(deep.u8string().size(), 500u);
    EXPECT_EQ(logInit(widen(deep.u8string()).c_str(), repeat(W('x'), 30).c_str(), 0, 0, 0, 5, 0),
              0);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0],
              "logOpen(): [FATAL] logOpen() log file name is longer than 519 units! "
              "path={" +
                  deep.u8string() + "} prefix={" + std::string(30, 'x') + "}");
    EXPECT_TRUE(std::filesystem::is_empty(deep));
}
#endif

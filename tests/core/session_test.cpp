// Opening and closing sessions: the file of the day, its mark and notice, the boxes of
// every failure, and the length guard on the two texts.
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "support/session_fixture.h"
#if defined(_WIN32)
#include <winioctl.h>
#endif

namespace {
std::string startLine(const std::filesystem::path& file) {
    return line0("--- [app] start Log={" + file.u8string() + "} ---");
}
const std::string kEndLine = line0("--- [app] end Log. ---");
const std::string kSleepNotice =
    "##### LOG_SLEEP Switch ON! No save logs...  logInit() No.5 Param 0 Set to start Log! #####";
const std::string kFatalTitle = "logInit() Fatal Error! Not Running!: ";
const std::string kSizeTitle = "[■--ERROR--■] bufSizCheck 続行不可能!: ";

constexpr int64_t k4GiB = int64_t{1} << 32;

// Makes `file` `size` bytes long, the bytes added a hole that takes no disk space.
bool extendSparse(const std::filesystem::path& file, int64_t size) {
#if defined(_WIN32)
    HANDLE handle = CreateFileW(file.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool done = SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
    CloseHandle(handle);
    return done;
#else
    std::error_code error;
    std::filesystem::resize_file(file, static_cast<uintmax_t>(size), error);
    return !error;
#endif
}

// `count` bytes of `file` from `offset` (fewer at its end).
std::string readAt(const std::filesystem::path& file, int64_t offset, size_t count) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string bytes(count, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

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

TEST_F(SessionTest, FileOfTheDayPast4GiBIsAppendedAtItsEnd) {
    // The end of the reopened file lies past 32 bits: its first bytes must stay as they are.
    std::string head;
    for (int i = 0; i < 100; ++i) head += static_cast<char>('0' + i % 10);
    std::filesystem::create_directories(root_ / "logs");
    std::ofstream(logPath(), std::ios::binary) << head;
    const int64_t size = k4GiB + 100;
    ASSERT_TRUE(extendSparse(logPath(), size));
    ASSERT_EQ(open(), 1);
    _log(W("appended"));
    logTerm();
    const std::string lines = sessionLines(logPath(), line0("appended"));
    EXPECT_EQ(std::filesystem::file_size(logPath()), static_cast<uintmax_t>(size) + lines.size());
    EXPECT_EQ(readAt(logPath(), 0, 100), head);
    EXPECT_EQ(readAt(logPath(), size - 1, lines.size() + 1), std::string(1, '\0') + lines);
    EXPECT_TRUE(boxes().empty());
    std::filesystem::remove(logPath());
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

#ifndef _WIN32
TEST_F(SessionTest, SetFilePointerPast32BitsNeedsTheHighPart) {
    // Without a high part a position past 32 bits is refused with 87 and the pointer stays
    // where it was; with one, any position works. A low part of 0xFFFFFFFF that succeeded
    // sets the last error to 0; other successes leave it alone.
    const std::filesystem::path file = root_ / "big";
    std::ofstream(file, std::ios::binary) << "x";
    ASSERT_TRUE(extendSparse(file, k4GiB + 10));
    HANDLE handle = CreateFileW(widen(file.u8string()).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    constexpr DWORD kUntouched = 12345;
    constexpr DWORD kFailed = INVALID_SET_FILE_POINTER;
    const struct {
        LONG low;
        bool withHigh;
        LONG high;
        DWORD method;
        DWORD result;
        LONG highAfter;
        DWORD error;
        int64_t at;
    } rows[] = {
        {-11, false, 0, FILE_END, 0xFFFFFFFF, 0, ERROR_SUCCESS, k4GiB - 1},
        {-10, false, 0, FILE_END, kFailed, 0, ERROR_INVALID_PARAMETER, 7},
        {0, false, 0, FILE_END, kFailed, 0, ERROR_INVALID_PARAMETER, 7},
        {-1, false, 0, FILE_BEGIN, kFailed, 0, ERROR_NEGATIVE_SEEK, 7},
        {-11, true, -1, FILE_END, 0xFFFFFFFF, 0, ERROR_SUCCESS, k4GiB - 1},
        {-10, true, -1, FILE_END, 0, 1, kUntouched, k4GiB},
        {5, true, 1, FILE_BEGIN, 5, 1, kUntouched, k4GiB + 5},
        {0, true, 2, FILE_CURRENT, 7, 2, kUntouched, 2 * k4GiB + 7},  // past the end
        {-8, true, -1, FILE_CURRENT, kFailed, -1, ERROR_NEGATIVE_SEEK, 7},
    };
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        ASSERT_EQ(SetFilePointer(handle, 7, nullptr, FILE_BEGIN), 7u);
        SetLastError(kUntouched);
        LONG high = row.high;
        EXPECT_EQ(SetFilePointer(handle, row.low, row.withHigh ? &high : nullptr, row.method),
                  row.result);
        EXPECT_EQ(GetLastError(), row.error);
        if (row.withHigh) {
            EXPECT_EQ(high, row.highAfter);
        }
        ASSERT_TRUE(SetFilePointerEx(handle, zero, &at, FILE_CURRENT));
        EXPECT_EQ(at.QuadPart, row.at);
    }
    ASSERT_TRUE(SetFilePointerEx(handle, zero, &at, FILE_END));
    EXPECT_EQ(at.QuadPart, k4GiB + 10);
    CloseHandle(handle);
    std::filesystem::remove(file);
}
#endif

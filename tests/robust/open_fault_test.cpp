// Sessions that cannot start: a log directory that cannot be created, a log file that
// cannot be created, the file of the day held by another process, and one that cannot be
// moved to its end. Each shows the boxes of its failure (the system's text inside them
// compared by shape only, since Windows, Wine and the POSIX layer word it differently),
// leaves the library writing nothing and never faulting, and a later logInit on a good
// path works.
#include <fstream>
#include <string>

#include "platform/seams.h"
#include "robust/child_process.h"
#include "robust/export_tour.h"
#include "support/session_fixture.h"

namespace {

class OpenFault : public SessionTest {
   protected:
    // Without a file every writer writes nothing, shows nothing and does not fault.
    void expectSilence() {
        const int before = entries();
        const size_t shown = boxes().size();
        robust::writeWithEveryExport();
        // No handle to close: the thread's last error is left as it was.
        SetLastError(0x20000123);
        logTerm();
        EXPECT_EQ(GetLastError(), 0x20000123u);
        EXPECT_EQ(entries(), before);
        EXPECT_EQ(boxes().size(), shown);
    }

    // A session on a good path afterwards writes whole lines.
    void expectRecovery() {
        boxes().clear();
        ASSERT_EQ(open(), 1);
        _log(W("recovered"));
        logTerm();
        EXPECT_TRUE(boxes().empty());
        EXPECT_EQ(readLog(), sessionLines(logPath(), line0("recovered")));
    }

    // Everything below the test's directory.
    int entries() const {
        int n = 0;
        for (auto it = std::filesystem::recursive_directory_iterator(root_);
             it != std::filesystem::recursive_directory_iterator(); ++it)
            ++n;
        return n;
    }
};

const std::string kFatalBox =
    "logInit() Fatal Error! Not Running!: [FATAL] logInit() Error!  log file is not open! "
    "Check path=";

// `box` is `head`, a system text of one line, then `tail`.
::testing::AssertionResult hasSystemText(const std::string& box, const std::string& head,
                                         const std::string& tail) {
    const bool shaped = box.size() > head.size() + tail.size() &&
                        box.compare(0, head.size(), head) == 0 &&
                        box.compare(box.size() - tail.size(), tail.size(), tail) == 0;
    const std::string text =
        shaped ? box.substr(head.size(), box.size() - head.size() - tail.size()) : "";
    if (shaped && text.find_first_of("\r\n") == std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\n  box:  " << box << "\n  head: " << head << "\n  tail: " << tail;
}

// The three boxes of a directory that cannot be created with `code` (3: its parent is
// missing, reported with 319; any other code with 326).
void expectDirectoryBoxes(const std::vector<std::string>& boxes, const std::string& dir, int code) {
    ASSERT_EQ(boxes.size(), 3u);
    const std::string errorText =
        "createDirCheck() line=" + std::string(code == 3 ? "319" : "326") +
        " Win32 ErrCode=" + std::to_string(code) + " :";
    if (code == 3)
        EXPECT_TRUE(hasSystemText(boxes[0],
                                  "createDirCheck(): [FATAL] " + dir +
                                      " ERROR_PATH_NOT_FOUND CreateDirectory : " + errorText,
                                  ""));
    else
        EXPECT_TRUE(
            hasSystemText(boxes[0],
                          "createDirCheck(): [FATAL] path={" + dir +
                              "} CreateDirectory ディレクトリを作成できません: " + errorText,
                          ""));
    EXPECT_EQ(boxes[1],
              "logOpen() createDirCheck() Error!: createDirCheckがエラー pathが間違っていませんか? "
              "path={" +
                  dir + "}");
    EXPECT_EQ(boxes[2], kFatalBox + dir);
}

// The two boxes of a log file that cannot be created or reopened, with `code`.
void expectOpenBoxes(const std::vector<std::string>& boxes, const std::string& dir, int code) {
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(hasSystemText(boxes[0],
                              "[Brantex]quillpen logOpen() line=179: [FATAL] Log file open Error! "
                              "quillpen line=177 Win32 ErrCode=" +
                                  std::to_string(code) + " :",
                              " " + dir));
    EXPECT_EQ(boxes[1], kFatalBox + dir);
}
}  // namespace

TEST_F(OpenFault, ParentDirectoryMissing) {
    const std::string bad = (root_ / "missing" / "logs").u8string();
    EXPECT_EQ(logInit(widen(bad).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
    expectDirectoryBoxes(boxes(), bad, ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(root_ / "missing"));
    expectSilence();
    expectRecovery();
}

TEST_F(OpenFault, ParentIsARegularFile) {
    std::ofstream(root_ / "plain") << "not a directory";
    const std::string bad = (root_ / "plain" / "logs").u8string();
    EXPECT_EQ(logInit(widen(bad).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
    expectDirectoryBoxes(boxes(), bad, ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(std::filesystem::is_regular_file(root_ / "plain"));
    expectSilence();
    expectRecovery();
}

TEST_F(OpenFault, LogDirectoryIsARegularFile) {
    // The directory step takes "already exists" for success; creating the file then fails.
    std::ofstream(root_ / "logs") << "not a directory";
    EXPECT_EQ(open(), 0);
    expectOpenBoxes(boxes(), (root_ / "logs").u8string(), ERROR_PATH_NOT_FOUND);
    expectSilence();
    std::string kept;
    std::getline(std::ifstream(root_ / "logs"), kept);
    EXPECT_EQ(kept, "not a directory");
    std::filesystem::remove(root_ / "logs");
    expectRecovery();
}

TEST_F(OpenFault, ADirectoryHasTheLogFilesName) {
    std::filesystem::create_directories(logPath());
    EXPECT_EQ(open(), 0);
    expectOpenBoxes(boxes(), (root_ / "logs").u8string(), ERROR_ACCESS_DENIED);
    expectSilence();
    EXPECT_TRUE(std::filesystem::is_empty(logPath()));
    std::filesystem::remove(logPath());
    std::filesystem::remove(root_ / "logs");
    expectRecovery();
}

TEST_F(OpenFault, FileOfTheDayHeldByAnotherProcess) {
    robust::ChildProcess holder;
    ASSERT_TRUE(holder.start(
        {"hold", (root_ / "logs").u8string(), std::to_string(quillpen::_Xtime_get_ticks())}));
    std::string line;
    ASSERT_TRUE(holder.readLine(line));
    ASSERT_EQ(line, "ready");
    EXPECT_EQ(open(), 0);
    expectOpenBoxes(boxes(), (root_ / "logs").u8string(), ERROR_SHARING_VIOLATION);
    expectSilence();
    holder.closeInput();  // the other host ends its session
    EXPECT_FALSE(holder.readLine(line)) << line;
    EXPECT_EQ(holder.wait(), 0);
    boxes().clear();
    ASSERT_EQ(open(), 1);
    _log(W("after"));
    logTerm();
    EXPECT_TRUE(boxes().empty());
    // The other host's session, whole, then ours appended.
    EXPECT_EQ(readLog(), sessionLines(logPath(), "") + sessionLines(logPath(), line0("after")));
}

TEST_F(OpenFault, FileOfTheDayCannotBeMovedToItsEnd) {
    std::filesystem::create_directories(root_ / "logs");
    std::ofstream(logPath(), std::ios::binary) << "earlier\r\n";
    quillpen::seams::setSetFilePointerEx([](HANDLE, LARGE_INTEGER, PLARGE_INTEGER, DWORD) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return BOOL{FALSE};
    });
    EXPECT_EQ(open(), 0);
    quillpen::seams::setSetFilePointerEx(nullptr);
    expectOpenBoxes(boxes(), (root_ / "logs").u8string(), ERROR_INVALID_PARAMETER);
    expectSilence();
    EXPECT_EQ(readLog(), "earlier\r\n");
    // The reopened handle was closed: left open, it would hold the file against this one.
    boxes().clear();
    ASSERT_EQ(open(), 1);
    _log(W("after"));
    logTerm();
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(readLog(), "earlier\r\n" + sessionLines(logPath(), line0("after")));
}

// Faults: writes failing, sessions that cannot start and allocations that fail. A failed
// write costs the bytes it lost and nothing more; a session that cannot start shows its
// boxes, returns 0, leaves no handle or block behind, and a later logInit works.
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/seams.h"
#if defined(_WIN32)
#include <winioctl.h>
#endif
#include "support/session_fixture.h"

namespace {
#if defined(_WIN32)
// The lowest free handle value: a handle left open below it moves it up. (Wine's
// GetProcessHandleCount always answers 0.)
intptr_t handleMark() {
    HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(probe);
    return reinterpret_cast<intptr_t>(probe);
}
#else
intptr_t handleMark() {  // the open descriptors
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}
#endif

// One call of every export that writes.
void writeWithEveryExport() {
    _log(W("log %d %s"), 1, W("日本語😀"));
    log_debug(W("debug %d"), 5);
    log_critical(W("critical %d"), 1);
    SetLastError(0);
    w32_err_log(W("tour"), 7);
    logPut(W("abcdefghijklmnopqrstuvwxyz日本語"), 29, 1, 10);
    logPutHex(W("abcé日😀"), 7, 0, 10);
    logDumpUTF8(W("ABCDEFG日éZ"), 0, W("tour"));
    makeBitStringUSHORT16(0x1234, W("u16"));
    makeBitStringUINT32(0x12345678, W("u32"));
    makeBitStringUnicodeScalarValue(0x1F600, W("scalar"));
    profileTimeStart(W("tour"));
    profileTimeStop();
}

const std::string kFatalBox =
    "logInit() Fatal Error! Not Running!: [FATAL] logInit() Error!  log file is not open! "
    "Check path=";

class Faults : public SessionTest {};
}  // namespace

TEST_F(Faults, AFailedWriteLosesItsBytesAndNothingElse) {
    failWrites(Fault::DiskFull, 0, 0);
    ASSERT_EQ(open(), 1);
    writeWithEveryExport();
    logTerm();
    const std::vector<std::string> all = writes();
    for (Fault fault : {Fault::DiskFull, Fault::ShortWrite}) {
        for (int first = 0; first < static_cast<int>(all.size()); ++first) {
            for (int last : {first + 1, INT_MAX}) {  // once, and from then on
                SCOPED_TRACE("write " + std::to_string(first) + " to " + std::to_string(last));
                std::filesystem::remove_all(root_ / "logs");
                failWrites(fault, first, last);
                ASSERT_EQ(open(), 1);
                writeWithEveryExport();
                logTerm();
                ASSERT_EQ(writes().size(), all.size());
                for (size_t i = 0; i < all.size(); ++i)
                    EXPECT_EQ(maskAddresses(writes()[i]), maskAddresses(all[i]));
                EXPECT_EQ(readLog(), received());
                EXPECT_TRUE(boxes().empty());
            }
        }
    }
}

TEST_F(Faults, SessionsThatCannotStart) {
    const std::string logs = (root_ / "logs").u8string();
    const std::string missing = (root_ / "missing" / "logs").u8string();
    HANDLE held = INVALID_HANDLE_VALUE;
    struct Row {
        const char* name;
        std::function<void()> setup;
        int code;  // the file's open error; 0: the directory's
    };
    const Row rows[] = {
        {"parent missing", [] {}, 0},
        {"logs is a file", [&] { std::ofstream(root_ / "logs") << "x"; }, ERROR_PATH_NOT_FOUND},
        {"the file is a directory", [&] { std::filesystem::create_directories(logPath()); },
         ERROR_ACCESS_DENIED},
        {"the file is held",
         [&] {
             std::filesystem::create_directories(root_ / "logs");
             held = CreateFileW(widen(logPath().u8string()).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ, nullptr, CREATE_NEW, 0, nullptr);
         },
         ERROR_SHARING_VIOLATION},
        {"the file cannot be moved to its end",
         [&] {
             std::filesystem::create_directories(root_ / "logs");
             std::ofstream(logPath()) << "";
             quillpen::seams::setSetFilePointerEx([](HANDLE, LARGE_INTEGER, PLARGE_INTEGER, DWORD) {
                 SetLastError(ERROR_INVALID_PARAMETER);
                 return BOOL{FALSE};
             });
         },
         ERROR_INVALID_PARAMETER},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = row.code ? logs : missing;
        // The system's own words follow the first box's head; they differ between Windows,
        // Wine and the POSIX layer.
        const std::vector<std::string> expected =
            row.code ? std::vector<std::string>{"[Brantex]quillpen logOpen() line=179: [FATAL] Log "
                                                "file open Error! quillpen line=177 Win32 ErrCode=" +
                                                    std::to_string(row.code) + " :",
                                                kFatalBox + path}
                     : std::vector<std::string>{
                           "createDirCheck(): [FATAL] " + path +
                               " ERROR_PATH_NOT_FOUND CreateDirectory : createDirCheck() line=319 "
                               "Win32 ErrCode=3 :",
                           "logOpen() createDirCheck() Error!: createDirCheckがエラー "
                           "pathが間違っていませんか? path={" +
                               path + "}",
                           kFatalBox + path};
        const intptr_t before = handleMark();
        for (int round = 0; round < 20; ++round) {
            boxes().clear();
            row.setup();
            EXPECT_EQ(logInit(widen(path).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
            ASSERT_EQ(boxes().size(), expected.size());
            EXPECT_EQ(boxes()[0].substr(0, expected[0].size()), expected[0]);
            for (size_t i = 1; i < expected.size(); ++i) EXPECT_EQ(boxes()[i], expected[i]);
            EXPECT_TRUE(scratchClear());
            writeWithEveryExport();  // without a file: nothing, and no fault
            SetLastError(0x20000123);
            logTerm();  // no handle to close: the last error stays
            EXPECT_EQ(GetLastError(), 0x20000123u);
            if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
            held = INVALID_HANDLE_VALUE;
            quillpen::seams::setSetFilePointerEx(nullptr);
            std::filesystem::remove_all(root_ / "logs");
        }
        EXPECT_EQ(handleMark(), before);
        ASSERT_EQ(open(), 1);  // a session on a good path works
        logTerm();
        EXPECT_EQ(readLog(), sessionLines(logPath(), ""));
        std::filesystem::remove_all(root_ / "logs");
    }
}

TEST_F(Faults, EachAllocationOfLogInitFailingInTurn) {
    const long long live = quillpen::seams::liveGlobalBlocks();
    for (long long k = 0;; ++k) {
        const long long calls = quillpen::seams::globalAllocCount();
        quillpen::seams::failGlobalAllocCall(calls + k);
        boxes().clear();
        const int32_t started = open();
        quillpen::seams::failGlobalAllocCall(-1);
        if (started) break;  // every allocation has failed once
        EXPECT_EQ(
            boxes(),
            std::vector<std::string>{
                "logInit() Fatal Error! Not Running!: [FATAL] logInit() Error!  out of memory, log "
                "file is not open!"});
        _log(W("lost"));
        EXPECT_EQ(open(), 1) << k;  // the retry takes what the first attempt kept
        logTerm();
        EXPECT_EQ(quillpen::seams::liveGlobalBlocks(), live) << k;
        EXPECT_EQ(readLog(), sessionLines(logPath(), ""));
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_LT(k, 10);
    }
    logTerm();
    EXPECT_EQ(quillpen::seams::liveGlobalBlocks(), live);
}

TEST_F(Faults, AReaderHoldsTheFileOpen) {
    ASSERT_EQ(open(), 1);
    logTerm();
    // A log viewer shares reading and writing, so the library can reopen the file and
    // append while the viewer reads; the viewer never sees half a line.
    HANDLE viewer = CreateFileW(widen(logPath().u8string()).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    ASSERT_EQ(open(), 1);
    std::string body;
    for (int i = 0; i < 50; ++i) {
        _log(W("line %d"), i);
        body += line0("line " + std::to_string(i));
        const std::string seen = readLog();
        EXPECT_EQ(seen.substr(seen.size() - 2), "\r\n");
    }
    logTerm();
    CloseHandle(viewer);
    EXPECT_EQ(readLog(), sessionLines(logPath(), "") + sessionLines(logPath(), body));
}

TEST_F(Faults, AFileOf4GiBIsAppendedAtItsEnd) {
    // Its end lies past 32 bits: a move that stops there would overwrite its first bytes.
    const int64_t size = (int64_t{1} << 32) + 100;
    std::filesystem::create_directories(root_ / "logs");
    std::ofstream(logPath(), std::ios::binary) << "head";
#if defined(_WIN32)  // sparse, so that it takes no disk space
    HANDLE file = CreateFileW(logPath().wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
#else
    std::filesystem::resize_file(logPath(), static_cast<uintmax_t>(size));
#endif
    ASSERT_EQ(open(), 1);
    _log(W("appended"));
    logTerm();
    const std::string lines = sessionLines(logPath(), line0("appended"));
    std::ifstream in(logPath(), std::ios::binary);
    std::string head(4, ' '), tail(lines.size() + 1, ' ');
    in.read(&head[0], 4)
        .seekg(static_cast<std::streamoff>(size - 1))
        .read(&tail[0], lines.size() + 1);
    EXPECT_EQ(head, "head");
    EXPECT_EQ(tail, std::string(1, '\0') + lines);
    EXPECT_EQ(in.peek(), EOF);
}

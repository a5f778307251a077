// A thousand sessions, and hundreds that fail to start, leave no handle (descriptor)
// behind: the process's handles are measured before and after. Memory is left to
// LeakSanitizer, under which the sanitizer build runs this whole suite.
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/seams.h"
#include "robust/export_tour.h"
#include "robust/log_parse.h"
#include "support/session_fixture.h"

namespace {
#if defined(_WIN32)
// The lowest free handle value: a new handle takes it, so every handle left open below it
// moves it up. (Wine's GetProcessHandleCount always answers 0.)
intptr_t handleMark() {
    HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(probe);
    return reinterpret_cast<intptr_t>(probe);
}
#else
// The open descriptors (the listing's own included, the same each time).
intptr_t handleMark() {
    intptr_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++n;
    }
    return n;
}
#endif

class Leaks : public SessionTest {};
}  // namespace

TEST_F(Leaks, AThousandSessionsLeaveNoHandleBehind) {
    ASSERT_EQ(open(), 1);  // whatever the runtime opens once for good
    robust::writeWithEveryExport();
    logTerm();
    const intptr_t before = handleMark();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(open(), 1);
        if (i % 10 == 0)
            robust::writeWithEveryExport();
        else
            _log(W("cycle %d"), i);
        logTerm();
    }
    EXPECT_EQ(handleMark(), before);
    const std::string log = readLog();
    EXPECT_EQ(robust::countOf(log, "] start Log={"), 1001);
    EXPECT_EQ(robust::countOf(log, "[--- [app] end Log. ---]\r\n"), 1001);
    EXPECT_EQ(robust::countOf(log, "UNICODE(SCALAR) Bit Pattern!"), 101);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Leaks, FailedStartsLeaveNoHandleBehind) {
    const WString missing = widen((root_ / "missing" / "logs").u8string());
    const WString file = widen(logPath().u8string());
    auto failures = [&](int rounds) {
        for (int i = 0; i < rounds; ++i) {  // retried without logTerm: the record is reused
            EXPECT_EQ(logInit(missing.c_str(), W("app"), 0, 0, 0, 5, 0), 0);
            EXPECT_EQ(logInit(nullptr, W("app"), 0, 0, 0, 5, 0), 0);
        }
        logTerm();
        std::filesystem::create_directories(root_ / "logs");
        HANDLE held = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        for (int i = 0; i < rounds; ++i) {
            EXPECT_EQ(open(), 0);  // the file exists but cannot be reopened
            logTerm();
        }
        CloseHandle(held);
        quillpen::seams::setSetFilePointerEx([](HANDLE, LARGE_INTEGER, PLARGE_INTEGER, DWORD) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return BOOL{FALSE};
        });
        for (int i = 0; i < rounds; ++i) {
            EXPECT_EQ(open(), 0);  // the file cannot be moved to its end
            logTerm();
        }
        quillpen::seams::setSetFilePointerEx(nullptr);
        std::filesystem::remove(logPath());
        std::filesystem::create_directories(logPath());
        for (int i = 0; i < rounds; ++i) {
            EXPECT_EQ(open(), 0);  // a directory has the file's name
            logTerm();
        }
        std::filesystem::remove(logPath());
    };
    failures(1);
    boxes().clear();
    const intptr_t before = handleMark();
    failures(200);
    EXPECT_EQ(handleMark(), before);
    // Three boxes for the directory, one for the null path, two for each file failure.
    EXPECT_EQ(boxes().size(), 200u * (3 + 1 + 2 + 2 + 2));
    ASSERT_EQ(open(), 1);
    _log(W("fine"));
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), line0("fine")));
}

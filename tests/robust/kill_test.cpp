// A host killed at a random moment (SIGKILL), twenty times, each time a fresh session
// appending to the same file of the day. The host reports each _log call on a pipe once
// the call has returned. Every reported line must be in the file, whole; at most the one
// line whose report the kill cut off may follow; nothing else is in the file.
#if !defined(_WIN32)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

#include "support/session_fixture.h"

namespace {
class KilledHost : public SessionTest {};

// The host: a session, then numbered lines until it is killed.
[[noreturn]] void host(const WString& dir, int run, int report) {
    if (!logInit(dir.c_str(), W("app"), 0, 0, 0, 5, 0)) _exit(1);
    for (int i = 0;; ++i) {
        _log(W("run %d line %d"), run, i);
        if (write(report, "+", 1) != 1) _exit(2);
    }
}
}  // namespace

TEST_F(KilledHost, EveryReturnedLineIsInTheFileWhole) {
    std::mt19937 rng(std::random_device{}());
    std::string expected;
    for (int run = 0; run < 20; ++run) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            host(dir(), run, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        // Let it write a random number of lines, then kill it mid-call or between calls.
        const int lines = static_cast<int>(rng() % 2000);
        int reported = 0;
        char mark;
        while (reported < lines && read(pipeEnds[0], &mark, 1) == 1) ++reported;
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        while (read(pipeEnds[0], &mark, 1) == 1) ++reported;
        close(pipeEnds[0]);
        ASSERT_TRUE(WIFSIGNALED(status));

        expected += "[--- [app] start Log={" + logPath().u8string() + "} ---]\r\n";
        for (int i = 0; i < reported; ++i)
            expected += line0("run " + std::to_string(run) + " line " + std::to_string(i));
        const std::string file = readLog();
        ASSERT_EQ(file.compare(0, expected.size(), expected), 0) << "run " << run;
        // The call the kill interrupted either wrote its whole line or nothing.
        const std::string cut =
            line0("run " + std::to_string(run) + " line " + std::to_string(reported));
        ASSERT_TRUE(file.size() == expected.size() || file.substr(expected.size()) == cut)
            << file.substr(expected.size());
        expected = file;
    }
}
#endif

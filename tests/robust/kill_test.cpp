// A host killed at a random moment (SIGKILL), twenty times, each time a fresh session
// appending to the same file of the day. The host reports each _log call on a pipe once
// the call has returned. Every reported line must be in the file, whole; at most the one
// line in flight may follow; nothing else is in the file.
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
        const int lines = run % 4 ? static_cast<int>(rng() % 2000) : 0;  // or while starting
        int reported = 0;
        char mark;
        while (reported < lines && read(pipeEnds[0], &mark, 1) == 1) ++reported;
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        while (read(pipeEnds[0], &mark, 1) == 1) ++reported;
        close(pipeEnds[0]);
        ASSERT_TRUE(WIFSIGNALED(status));

        // Its start line and the lines it reported, then the line of the call the kill
        // interrupted. A kill before the first report may also come before the start line.
        const std::string start = "[--- [app] start Log={" + logPath().u8string() + "} ---]\r\n";
        std::string whole = start;
        for (int i = 0; i < reported; ++i)
            whole += line0("run " + std::to_string(run) + " line " + std::to_string(i));
        const std::string full =
            whole + line0("run " + std::to_string(run) + " line " + std::to_string(reported));
        const std::string file = readLog();
        const std::string rest = file.substr(expected.size());
        ASSERT_EQ(file.compare(0, expected.size(), expected), 0) << "run " << run;
        ASSERT_EQ(full.compare(0, rest.size(), rest), 0) << rest;
        ASSERT_GE(rest.size(), reported ? whole.size() : 0) << rest;
        // Only whole lines, except on Linux a part ending at a page boundary of the file:
        // the kernel stops copying a write there once SIGKILL is pending.
        ASSERT_TRUE(rest.empty() || rest.size() == start.size() || rest.size() == whole.size() ||
                    rest == full || file.size() % 4096 == 0)
            << rest;
        expected = file;
    }
}
#endif

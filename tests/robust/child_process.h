// The robustness tests' host program (host_main.cpp) run as a child process, with its
// standard input and output connected to this process by pipes: a test reads what the
// child reports line by line, closes its input to let it finish, or kills it outright.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace robust {

class ChildProcess {
   public:
    ChildProcess() = default;
    // A child still running is killed; the pipes are closed.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the host program that lies beside this test program, with `args`.
    bool start(const std::vector<std::string>& args);
    // The next whole line of the child's output, without its terminator; false once the
    // output has ended (a last line without terminator is dropped: it was never reported).
    bool readLine(std::string& line);
    // Ends the child's input, which a child waiting for it takes as its signal to finish.
    void closeInput();
    // Kills the child at once: SIGKILL, or TerminateProcess with killedStatus().
    void kill();
    // Waits for the child to end and returns its exit code, or minus the signal that ended it.
    int wait();

   private:
    bool fill();  // reads more output into pending_; false at its end

    intptr_t process_ = 0;  // pid, or process handle
    intptr_t input_ = -1;   // our end of the child's standard input
    intptr_t output_ = -1;  // our end of the child's standard output
    bool running_ = false;
    std::string pending_;
};

// What ChildProcess::wait() returns for a child ended by kill().
int killedStatus();

}  // namespace robust

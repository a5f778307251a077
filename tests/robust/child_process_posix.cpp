#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "robust/child_process.h"

extern char** environ;

namespace robust {
namespace {
std::string hostPath() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    const std::string path(self, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + QUILLPEN_ROBUST_HOST;
}

void closeFd(intptr_t& fd) {
    if (fd >= 0) close(static_cast<int>(fd));
    fd = -1;
}
}  // namespace

ChildProcess::~ChildProcess() {
    if (running_) {
        kill();
        wait();
    }
    closeFd(input_);
    closeFd(output_);
}

bool ChildProcess::start(const std::vector<std::string>& args) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return false;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> words = {hostPath()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, words[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = out[0];
    if (rc != 0) {
        closeFd(input_);
        closeFd(output_);
        return false;
    }
    process_ = pid;
    running_ = true;
    return true;
}

bool ChildProcess::fill() {
    char bytes[4096];
    for (;;) {
        const ssize_t n = read(static_cast<int>(output_), bytes, sizeof bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        pending_.append(bytes, static_cast<size_t>(n));
        return true;
    }
}

void ChildProcess::closeInput() { closeFd(input_); }

void ChildProcess::kill() {
    if (running_) ::kill(static_cast<pid_t>(process_), SIGKILL);
}

int ChildProcess::wait() {
    if (!running_) return -1;
    int status = 0;
    while (waitpid(static_cast<pid_t>(process_), &status, 0) < 0 && errno == EINTR) {
    }
    running_ = false;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
}

int killedStatus() { return -SIGKILL; }

}  // namespace robust

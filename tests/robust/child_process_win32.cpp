#include "platform/platform.h"
#include "robust/child_process.h"

namespace robust {
namespace {
constexpr UINT kKilledExitCode = 9;

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

std::wstring hostPath() {
    wchar_t self[4096];
    const DWORD n = GetModuleFileNameW(nullptr, self, 4096);
    const std::wstring path(self, n);
    return path.substr(0, path.rfind(L'\\') + 1) + wide(QUILLPEN_ROBUST_HOST);
}

HANDLE handleOf(intptr_t value) { return reinterpret_cast<HANDLE>(value); }

void closeHandle(intptr_t& value) {
    if (value != -1) CloseHandle(handleOf(value));
    value = -1;
}
}  // namespace

ChildProcess::~ChildProcess() {
    if (running_) {
        kill();
        wait();
    }
    closeHandle(input_);
    closeHandle(output_);
    if (process_) CloseHandle(handleOf(process_));
}

bool ChildProcess::start(const std::vector<std::string>& args) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE childIn = nullptr, ourIn = nullptr, ourOut = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &ourIn, &inherit, 0)) return false;
    if (!CreatePipe(&ourOut, &childOut, &inherit, 0)) {
        CloseHandle(childIn);
        CloseHandle(ourIn);
        return false;
    }
    // Only the child's ends are inherited, so our ends close for good when we close them.
    SetHandleInformation(ourIn, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(ourOut, HANDLE_FLAG_INHERIT, 0);
    const std::wstring path = hostPath();
    std::wstring line = L"\"" + path + L"\"";
    for (const std::string& arg : args) line += L" \"" + wide(arg) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = childOut;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(path.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    CloseHandle(childIn);
    CloseHandle(childOut);
    input_ = reinterpret_cast<intptr_t>(ourIn);
    output_ = reinterpret_cast<intptr_t>(ourOut);
    if (!started) {
        closeHandle(input_);
        closeHandle(output_);
        return false;
    }
    CloseHandle(info.hThread);
    process_ = reinterpret_cast<intptr_t>(info.hProcess);
    running_ = true;
    return true;
}

bool ChildProcess::fill() {
    char bytes[4096];
    DWORD n = 0;
    if (!ReadFile(handleOf(output_), bytes, sizeof bytes, &n, nullptr) || n == 0) return false;
    pending_.append(bytes, n);
    return true;
}

void ChildProcess::closeInput() { closeHandle(input_); }

void ChildProcess::kill() {
    if (running_) TerminateProcess(handleOf(process_), kKilledExitCode);
}

int ChildProcess::wait() {
    if (!running_) return -1;
    WaitForSingleObject(handleOf(process_), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(handleOf(process_), &code);
    running_ = false;
    return static_cast<int>(code);
}

int killedStatus() { return static_cast<int>(kKilledExitCode); }

}  // namespace robust

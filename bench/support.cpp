#include "support.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/seams.h"

namespace bench {
namespace {
std::atomic<int> gRunCounter{0};
std::vector<std::string>* gRecording = nullptr;

BOOL recordWrite(HANDLE, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    gRecording->emplace_back(static_cast<const char*>(bytes), count);
    if (written) *written = count;
    return TRUE;
}

// Every run's directory lives under one per-process directory in the system's temp area,
// which is on the same disk as the work tree here.
const std::filesystem::path& processDir() {
    static const std::filesystem::path dir = [] {
        auto path =
            std::filesystem::temp_directory_path() / ("quillpen-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return dir;
}

void writeAll(int fd, const std::string& piece) {
    size_t done = 0;
    while (done < piece.size()) {
        const ssize_t n = write(fd, piece.data() + done, piece.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}
}  // namespace

RunDir::RunDir(const std::string& name)
    : path_(processDir() / (name + "-" + std::to_string(gRunCounter++))) {
    std::filesystem::create_directories(path_);
}

RunDir::~RunDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    if (std::filesystem::is_empty(processDir(), ignored))
        std::filesystem::remove(processDir(), ignored);
}

Session::Session(benchmark::State& state, int32_t stampMode, int32_t logSleep, int32_t logLevel)
    : dir_("session") {
    const WString logs = widen((dir_.path() / "logs").string());
    ok_ = logInit(logs.c_str(), u"bench", stampMode, 0, logSleep, logLevel, 0) == 1;
    if (!ok_) state.SkipWithError("logInit refused the scratch directory");
}

Session::~Session() { logTerm(); }

std::vector<std::string> recordWrites(int32_t stampMode, const std::function<void()>& call) {
    std::vector<std::string> pieces;
    RunDir dir("record");
    const WString logs = widen((dir.path() / "logs").string());
    if (logInit(logs.c_str(), u"record", stampMode, 0, 0, 5, 0) != 1) return pieces;
    gRecording = &pieces;
    quillpen::seams::setWriteFile(recordWrite);
    call();
    quillpen::seams::setWriteFile(nullptr);
    gRecording = nullptr;
    logTerm();
    return pieces;
}

int64_t totalBytes(const std::vector<std::string>& pieces) {
    int64_t bytes = 0;
    for (const auto& piece : pieces) bytes += static_cast<int64_t>(piece.size());
    return bytes;
}

FloorFile::FloorFile()
    : dir_("floor"),
      fd_(open((dir_.path() / "floor.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
               0666)) {}

FloorFile::~FloorFile() {
    if (fd_ >= 0) close(fd_);
}

void FloorFile::write(const std::vector<std::string>& pieces) const {
    for (const auto& piece : pieces) writeAll(fd_, piece);
}

void runFloor(benchmark::State& state, const std::vector<std::string>& pieces) {
    if (pieces.empty()) {
        state.SkipWithError("the call wrote nothing to replay");
        return;
    }
    FloorFile file;
    if (!file.ok()) {
        state.SkipWithError("cannot create the floor file");
        return;
    }
    for (auto _ : state) file.write(pieces);
    setCallCounters(state, pieces);
}

void runPairedFloor(benchmark::State& state, void (*call)()) {
    const auto pieces = recordWrites(8192, call);
    FloorFile floor;
    Session session(state, 8192);
    if (!session.ok() || !floor.ok()) return;
    runPaired(state, call, [&] { floor.write(pieces); });
}

void setCallCounters(benchmark::State& state, const std::vector<std::string>& pieces) {
    state.counters["bytes"] = static_cast<double>(totalBytes(pieces));
    state.counters["writes"] = static_cast<double>(pieces.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * totalBytes(pieces));
}

void setFileCounters(benchmark::State& state, const std::filesystem::path& file) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    if (error || state.iterations() == 0) return;
    state.counters["bytes"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

}  // namespace bench

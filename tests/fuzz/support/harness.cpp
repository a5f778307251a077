#include "support/harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/session.h"
#include "platform/seams.h"

namespace fuzz {

void fail(const char* check, const std::string& detail) {
    std::fprintf(stderr, "\n*** fuzz check failed: %s\n*** %s\n", check, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

namespace {
std::filesystem::path makeWorkDir() {
    std::string name = (std::filesystem::temp_directory_path() / "quillpen-fuzz-XXXXXX").string();
    if (!mkdtemp(&name[0])) fail("mkdtemp", name);
    static const std::filesystem::path dir = name;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    });
    return dir;
}

std::vector<Box> gBoxes;
int gAnswer = IDOK;

int captureBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    auto toUtf8 = [](LPCWSTR s) {
        if (!s) return std::string("(no text)");
        size_t n = 0;
        while (s[n]) ++n;
        return joinPieces(utf8Pieces(s, n));
    };
    gBoxes.push_back({toUtf8(caption), toUtf8(text)});
    return gAnswer;
}

bool allZero(const void* block, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(block);
    for (size_t i = 0; i < bytes; ++i)
        if (p[i]) return false;
    return true;
}
}  // namespace

const std::filesystem::path& workDir() {
    static const std::filesystem::path dir = makeWorkDir();
    return dir;
}

WString logDirText() {
    const std::string path = (workDir() / "logs").string();
    return WString(path.begin(), path.end());  // mkdtemp names are ASCII
}

void clearWorkDir() {
    for (const auto& entry : std::filesystem::directory_iterator(workDir()))
        std::filesystem::remove_all(entry.path());
}

uint64_t totalFileBytes() {
    uint64_t total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(workDir()))
        if (entry.is_regular_file()) total += entry.file_size();
    return total;
}

std::string readFrom(const std::filesystem::path& file, uint64_t offset) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path onlyLogFile() {
    std::filesystem::path found;
    int count = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(workDir() / "logs", ignored)) {
        found = entry.path();
        ++count;
    }
    return count == 1 ? found : std::filesystem::path();
}

void captureBoxes() { quillpen::seams::setMessageBox(captureBox); }
void setBoxAnswer(int answer) { gAnswer = answer; }
std::vector<Box>& boxes() { return gBoxes; }

bool scratchClear(std::string& which) {
    using namespace quillpen;
    const struct {
        const char* name;
        const void* block;
        size_t bytes;
    } kBuffers[] = {
        {"gMsgBufW", gMsgBufW, kWideBufUnits * sizeof(WCHAR)},
        {"gLineBufW", gLineBufW, kWideBufUnits * sizeof(WCHAR)},
        {"gSysMsgW", gSysMsgW, kWideBufUnits * sizeof(WCHAR)},
        {"gOutBufA", gOutBufA, static_cast<size_t>(kOutBufBytes)},
        {"gSysOutA", gSysOutA, static_cast<size_t>(kSysOutBytes)},
    };
    for (const auto& buffer : kBuffers) {
        if (buffer.block && !allZero(buffer.block, buffer.bytes)) {
            which = buffer.name;
            return false;
        }
    }
    return true;
}

bool sessionReleased() {
    using namespace quillpen;
    return !gLogCtx && !gMsgBufW && !gLineBufW && !gSysMsgW && !gOutBufA && !gSysOutA;
}

std::string show(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

std::string utf8Of(const WString& units) {
    return joinPieces(utf8Pieces(units.data(), units.size()));
}

bool validUtf8(const std::string& bytes) {
    const std::vector<WString> pieces = utf16Pieces(bytes, SIZE_MAX);
    // Every byte of well-formed text belongs to a sequence that reads back as itself.
    std::string again;
    for (const WString& piece : pieces) again += utf8Of(piece);
    return again == bytes && bytes.find('\0') == std::string::npos;
}

}  // namespace fuzz

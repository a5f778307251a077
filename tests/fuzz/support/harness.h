// What the session fuzz targets share: failing loudly, a private log directory, message
// boxes captured instead of shown, and a look at the library's shared scratch buffers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ref_utf.h"

namespace fuzz {
using namespace ::ref;

// Prints what went wrong and aborts, so that libFuzzer keeps the input as a crash.
[[noreturn]] void fail(const char* check, const std::string& detail);

#define FUZZ_CHECK(cond, detail)                    \
    do {                                            \
        if (!(cond)) ::fuzz::fail(#cond, (detail)); \
    } while (0)

// A directory of this process under the system's temp directory, removed at exit.
const std::filesystem::path& workDir();
// workDir()/logs, the usual log directory, as UTF-16.
WString logDirText();
// Removes everything under workDir().
void clearWorkDir();
// The bytes of every regular file under workDir(), and the bytes of the one named file
// from `offset` on.
uint64_t totalFileBytes();
std::string readFrom(const std::filesystem::path& file, uint64_t offset);
// The one file in workDir()/logs (empty when there is none or more than one).
std::filesystem::path onlyLogFile();

// Message boxes are recorded (as UTF-8, title and text) and answered with `answer`.
struct Box {
    std::string title;
    std::string text;
};
void captureBoxes();
void setBoxAnswer(int answer);
std::vector<Box>& boxes();

// The shared scratch buffers are all zero (or not allocated); `which` names the first
// that is not.
bool scratchClear(std::string& which);
// The session record and every scratch buffer are released.
bool sessionReleased();

// Printable form of bytes for failure messages.
std::string show(const std::string& bytes);
// UTF-8 of units via the reference converter.
std::string utf8Of(const WString& units);
// Whether `bytes` is well-formed UTF-8.
bool validUtf8(const std::string& bytes);

}  // namespace fuzz

// Sequences of calls of the 21 exports with fuzzed arguments and state, in a session writing a
// real log file in a private temp directory; docs/testing.md lists what is checked.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/session.h"
#include "fuzz_support.h"
#include "platform/seams.h"

namespace {
namespace fs = std::filesystem;
using ref::WString;

fs::path gDir;   // this process's own, removed at exit
int gBoxes = 0;  // boxes shown

WString wide(const fs::path& path) { return WString(path.native().begin(), path.native().end()); }
BOOL failingWrite(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) { return FALSE; }

struct Text {
    bool null;
    WString units;
    const qp_wchar* ptr() const { return null ? nullptr : units.c_str(); }
};

// Null now and then, else units from the input, some repeated to a length around the limits
// (255, 4095, 4223 units, 8190 bytes); `tame` replaces '/' and '%' (file names, formats).
Text consumeText(FuzzedDataProvider& in, size_t maxUnits, bool tame = false) {
    const int kind = in.ConsumeIntegralInRange(0, 15);
    Text t{kind == 0, unitsOf(in.ConsumeRandomLengthString(600))};
    const size_t length = kind < 15 ? maxUnits : in.ConsumeIntegralInRange(maxUnits / 3, maxUnits);
    while (kind == 15 && !t.units.empty() && t.units.size() < length) t.units += t.units;
    t.units.resize(std::min(t.units.size(), length));  // may leave a lone high surrogate
    for (qp_wchar& unit : t.units) unit = tame && (unit == '/' || unit == '%') ? u'_' : unit;
    return t;
}

// What logPut (or logPutHex) adds to the file, unless it refuses its arguments.
std::string dumpBlock(bool hex, const Text& data, int32_t cnt, uint8_t markers, int32_t width,
                      bool& refused) {
    const auto pieces = ref::utf8Pieces(data.units.data(), data.units.size());
    refused = cnt > 8190 || width < 10 || width > 80 || data.null ||
              ref::joinPieces(pieces).size() > 9215;  // the UTF-8 form and its NUL fit 9216
    const std::string nl = quillpen::gNewlineA;       // the session's, as the newline mode set it
    const std::string name = hex ? "---------- logPutHex" : "---------- logPut";
    std::string out = markers ? nl + name + "-start len=" + std::to_string(cnt) + nl : nl;
    int32_t column = 0;
    for (const std::string& piece : pieces) {
        for (size_t k = 0; k < (hex ? piece.size() : 1); ++k) {  // hex: byte by byte
            char cell[4];
            std::snprintf(cell, sizeof cell, "%02x ", static_cast<unsigned char>(piece[k]));
            out += hex ? cell : piece;
            column += hex ? 1 : static_cast<int32_t>(piece.size());
            if (column >= width) out += nl, column = 0;
        }
    }
    return out + (markers ? nl + name + (hex ? "-end" : "-end!!") + nl : nl);
}

std::map<fs::path, uintmax_t> fileSizes() {
    std::map<fs::path, uintmax_t> sizes;
    for (const auto& entry : fs::recursive_directory_iterator(gDir))
        if (entry.is_regular_file()) sizes[entry.path()] = entry.file_size();
    return sizes;
}

// The scratch buffers are zero; with `released`, they and the session record are gone.
bool scratchClear(bool released = false) {
    using namespace quillpen;
    static const char zeros[kOutBufBytes] = {};  // as large as the largest buffer
    const void* buffers[] = {gMsgBufW, gLineBufW, gSysMsgW, gOutBufA, gSysOutA};
    const size_t w = kWideBufUnits * sizeof(WCHAR), sizes[] = {w, w, w, kOutBufBytes, kSysOutBytes};
    for (int k = 0; k < 5; ++k)
        if (buffers[k] && (released || std::memcmp(buffers[k], zeros, sizes[k]) != 0)) return false;
    return !released || !gLogCtx;
}

using Entry = void (*)(const qp_wchar*, ...);
const Entry kEntries[] = {_log, log_debug, log_info, log_warning, log_error, log_critical};
const int32_t kEntryLevels[] = {INT32_MIN, 5, 4, 3, 2, 1};  // the level each needs

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string name = (fs::temp_directory_path() / "quillpen-fuzz-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(&name[0]), name);
    gDir = name;
    std::atexit([] { fs::remove_all(gDir); });
    quillpen::seams::setMessageBox([](HWND, LPCWSTR, LPCWSTR, UINT) { return ++gBoxes, IDOK; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    bool open = false, sleeping = false, writesFail = false;
    int32_t level = 0;
    long long ticks = in.ConsumeIntegralInRange(0LL, 32503680000LL * 10000000);  // to 3000
    quillpen::seams::setFakeTicks(ticks);
    quillpen::seams::setWriteFile(nullptr);
    for (int call = 0; call < 48 && in.remaining_bytes() > 0; ++call) {
        gBoxes = 0;
        std::map<fs::path, uintmax_t> before = fileSizes();
        const bool wasOpen = open, writable = open && !sleeping && !writesFail;
        const int op = call == 0 ? 0 : in.ConsumeIntegralInRange(0, 5);  // a logInit first
        bool boxes = !open || op == 0, dump = false, refused = false;
        int grows = -1;            // whether the file grows: -1 unknown, else 0 or 1
        std::string block, added;  // what logPut or logPutHex adds; what the file gained
        if (op == 0) {             // good, empty, null, missing and overlong directories
            const int kind = in.ConsumeIntegralInRange(0, 6);
            WString path = kind == 3 ? u"" : wide(gDir / (kind == 5 ? "no/logs" : "logs"));
            if (kind == 6) path.resize(in.ConsumeIntegralInRange<size_t>(508, 516), u'a');  // 512
            const Text prefix = consumeText(in, 300, true);
            const int pick = in.ConsumeIntegralInRange(0, 25);          // 0 to 9, powers of two
            const int32_t stamp = pick < 10 ? pick : 1 << (pick - 10);  // all write lines
            const auto [nl, lvl, sleep, bom] =
                std::array{in.ConsumeIntegralInRange(-1, 3), in.ConsumeIntegralInRange(-2, 6),
                           in.ConsumeIntegralInRange(0, 2), in.ConsumeIntegralInRange(0, 2)};
            const int32_t result = logInit(kind == 4 ? nullptr : path.c_str(), prefix.ptr(), stamp,
                                           nl, sleep, lvl, bom);
            FUZZ_CHECK(result == 1 ? !open : result == 0 && gBoxes > 0, "logInit");
            if (result == 1) open = true, sleeping = sleep, level = lvl;
        } else if (op == 1) {
            logTerm();
            open = false;
        } else if (op == 2) {  // a listed format with arguments of its types, or fuzzed text
            const int entry = in.ConsumeIntegralInRange(0, 5);
            const std::string bytes = in.ConsumeRandomLengthString(300);
            const int64_t ll = in.ConsumeIntegral<int64_t>();
            const double d = in.ConsumeFloatingPoint<double>();
            const bool listed = in.ConsumeBool();
            if (listed)
                kEntries[entry](u"%lld|%I64x|%p|%lf %e %g%% <%hs> %S [%-8.3s] %n", ll, ll, &ll, d,
                                d, d, bytes.c_str(), bytes.c_str(), unitsOf(bytes).c_str());
            else
                kEntries[entry](consumeText(in, 9000, true).ptr());
            grows = level < kEntryLevels[entry] ? 0 : listed && writable ? 1 : -1;
        } else if (op == 3) {  // the dumps and the bit tables; logPut and logPutHex exactly
            const int kind = in.ConsumeIntegralInRange(0, 5);
            const Text text = consumeText(in, 9000), label = consumeText(in, 300);
            const int32_t cnt = in.ConsumeBool() ? static_cast<int32_t>(text.units.size())
                                                 : in.ConsumeIntegral<int32_t>();
            const uint8_t markers = in.ConsumeIntegral<uint8_t>();
            const int32_t width = in.ConsumeIntegralInRange(8, 82);
            if (kind < 2) (kind ? logPutHex : logPut)(text.ptr(), cnt, markers, width);
            if (kind == 2) logDumpUTF8(text.ptr(), cnt, label.ptr());
            if (kind == 3) makeBitStringUSHORT16(static_cast<uint16_t>(cnt), label.ptr());
            if (kind == 4) makeBitStringUINT32(static_cast<uint32_t>(cnt), label.ptr());
            if (kind == 5) makeBitStringUnicodeScalarValue(cnt % 0x110010, label.ptr());
            dump = kind < 2;
            block = dumpBlock(kind == 1, text, cnt, markers, width, refused);
        } else if (op == 4) {  // a refused text shows no box while the file is open
            const Text msg = consumeText(in, 300), ttl = consumeText(in, 300);
            in.ConsumeBool() ? msgBox(msg.ptr(), ttl.ptr())
                             : (void)msgBoxOkCancel(msg.ptr(), ttl.ptr());
            boxes |= !msg.null && !ttl.null && msg.units.size() <= 255 && ttl.units.size() <= 255;
        } else {  // the last-error code, the stopwatch, the clock, writes failing or not
            const uint32_t code = in.ConsumeIntegral<uint32_t>();
            const Text label = consumeText(in, 300);
            SetLastError(code);
            w32_err_log(label.ptr(), in.ConsumeIntegral<int32_t>());
            FUZZ_CHECK(GetLastErr() == code, "w32_err_log changed the last-error code");
            w32_reset_errCode();
            FUZZ_CHECK(GetLastErr() == 0, "w32_reset_errCode");
            in.ConsumeBool() ? profileTimeStart(label.ptr()) : profileTimeStop();
            ticks += in.ConsumeIntegral<uint32_t>() * 100000LL;  // up to five days
            quillpen::seams::setFakeTicks(ticks);
            writesFail = writesFail != in.ConsumeBool();
            quillpen::seams::setWriteFile(writesFail ? failingWrite : nullptr);
        }

        for (const auto& [path, bytes] : fileSizes()) {
            FUZZ_CHECK(bytes == before[path] || (bytes > before[path] && added.empty()),
                       "a file shrank, or two grew");
            std::ifstream file(path, std::ios::binary);
            file.seekg(static_cast<std::streamoff>(before[path]));
            added.append(std::istreambuf_iterator<char>(file), {});
        }
        // Whole lines, but for logInit's LOG_SLEEP notice and blocks without a terminator.
        const char last = added.empty() ? '\n' : added.back();
        FUZZ_CHECK(
            scratchClear() && (boxes || !gBoxes) &&
                (added.empty() || (op == 0 ? !wasOpen && !writesFail : writable)) &&
                (grows < 0 || added.empty() != (grows == 1)) &&
                (last == '\n' || last == '\r' || op == 0 || (op == 3 && !quillpen::gNewlineA[0])),
            "op " + std::to_string(op) + " wrote " + added);
        if (dump && writable)  // a refusal: one [SYSLOG] line (none at a negative level)
            FUZZ_CHECK(!refused    ? added == block
                       : level < 0 ? added.empty()
                                   : added.rfind("[SYSLOG][■--ERROR--■] ", 0) == 0 &&
                                         added.find_first_of("\r\n") + 2 >= added.size(),
                       "wrote " + added + "\nwant " + block);
    }
    logTerm();
    FUZZ_CHECK(scratchClear(true), "logTerm left the session allocated");
    for (const auto& entry : fs::directory_iterator(gDir)) fs::remove_all(entry.path());
    return 0;
}

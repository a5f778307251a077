// Any sequence of the 21 exports with fuzzed arguments and state: with and without a
// session, after logTerm, with LOG_SLEEP, in every stamp and newline mode, with failing
// writes and a moving clock. Message boxes are captured, never shown. The printf engine
// has a target of its own, so variadic calls take a format from a fixed list with
// correctly typed arguments, or fuzzed text that holds no '%'.
//
// Checked after every call: the shared scratch buffers are zero; nothing reaches any file
// without an open session, with LOG_SLEEP on or while writes fail; what a session's file
// gains is UTF-8 (the one-byte scalar table's CP932 space aside); a listed format is
// written exactly when the level admits it; no box is shown while the file is open except
// by msgBox and a second logInit; a refused logInit always shows one; the message boxes
// show the host's texts and answer as the box did; the last-error code survives
// w32_err_log; logTerm releases everything.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

#include "core/session.h"
#include "platform/seams.h"
#include "support/harness.h"
#include "support/session_input.h"

namespace {

using fuzz::Text;
using fuzz::WString;

constexpr long long kTicksPerSecond = 10000000LL;
constexpr long long kLastTicks = 32503680000LL * kTicksPerSecond;  // the year 3000

struct Model {
    bool open = false;  // a session whose file is open
    bool sleeping = false;
    int32_t logLevel = 0;
    int32_t stampMode = 0;
    bool writesFail = false;
    long long ticks = 0;
};

BOOL failingWrite(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    if (written) *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

bool stampWritesLines(int32_t mode) {
    return (mode >= 0 && mode <= 9) || (mode >= 16 && mode <= 32768 && (mode & (mode - 1)) == 0);
}

WString withoutSlashes(WString units) {
    for (qp_wchar& u : units)
        if (u == u'/' || u == u'%') u = u'_';
    return units;
}

WString ascii(const std::string& text) { return WString(text.begin(), text.end()); }

// The session's log file as a path, or empty without one.
std::filesystem::path sessionFile() {
    if (!quillpen::gLogCtx) return {};
    const WCHAR* name = quillpen::gLogCtx->logFilePath;
    size_t n = 0;
    while (name[n]) ++n;
    return std::filesystem::u8path(fuzz::joinPieces(fuzz::utf8Pieces(name, n)));
}

using Entry = void (*)(const qp_wchar*, ...);
const Entry kEntries[] = {_log, log_debug, log_info, log_warning, log_error, log_critical};
// The level each entry point needs; _log needs none.
const int32_t kEntryLevels[] = {INT32_MIN, 5, 4, 3, 2, 1};

// A listed format with arguments of the types it names.
void callListed(FuzzedDataProvider& in, Entry entry) {
    const std::string bytes = in.ConsumeRandomLengthString(300);
    const char* narrow = bytes.c_str();
    const WString wide = fuzz::unitsFromBytes(in.ConsumeRandomLengthString(600), true);
    const int32_t i = in.ConsumeIntegral<int32_t>();
    const int64_t ll = in.ConsumeIntegral<int64_t>();
    const double d = in.ConsumeFloatingPoint<double>();
    switch (in.ConsumeIntegralInRange<int>(0, 11)) {
        case 0:
            return entry(u"count=%d", i);
        case 1:
            return entry(u"%lld|%I64d|%llx", ll, ll, ll);
        case 2:
            return entry(u"%lf %e %g", d, d, d);
        case 3:
            return entry(u"[%s]", wide.c_str());
        case 4:
            return entry(u"<%hs>", narrow);
        case 5:
            return entry(u"%-8.3s|%08x|%+d", wide.c_str(), static_cast<uint32_t>(i), i);
        case 6:
            return entry(u"%c%c", i & 0xFFFF, static_cast<int32_t>(ll & 0xFFFF));
        case 7:
            return entry(u"%*d %.*f", in.ConsumeIntegralInRange<int32_t>(-40, 40), i,
                         in.ConsumeIntegralInRange<int32_t>(0, 20), d);
        case 8:
            return entry(u"100%% %n done");
        case 9:
            return entry(u"%ls and %S", wide.c_str(), narrow);
        case 10:
            return entry(u"%p", static_cast<const void*>(narrow));
        default:
            return entry(u"%5.1f%%", d);
    }
}

int32_t logInitFrom(FuzzedDataProvider& in, Model& m) {
    WString path;
    bool nullPath = false;
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 3:
            break;  // empty
        case 4:
            nullPath = true;
            break;
        case 5:
            path = ascii((fuzz::workDir() / "missing" / "logs").string());
            break;
        case 6:  // around the 512-unit limit
            path = fuzz::logDirText() + u'/';
            path.resize(in.ConsumeIntegralInRange<size_t>(508, 516), u'a');
            break;
        case 7:
            path = ascii((fuzz::workDir() / "d").string()) +
                   withoutSlashes(fuzz::consumeText(in, 40).units);
            break;
        default:
            path = fuzz::logDirText();
            break;
    }
    Text prefix = fuzz::consumeText(in, 300);
    prefix.units = withoutSlashes(prefix.units);
    const int32_t stampMode = fuzz::consumeStampMode(in);
    const int32_t newlineMode = in.ConsumeIntegralInRange<int32_t>(-1, 3);
    const int32_t logSleep = in.ConsumeIntegralInRange<int32_t>(0, 2);
    const int32_t logLevel = in.ConsumeIntegralInRange<int32_t>(-2, 6);
    const int32_t bom = in.ConsumeIntegralInRange<int32_t>(0, 2);
    const int32_t result = logInit(nullPath ? nullptr : path.c_str(), prefix.ptr(), stampMode,
                                   newlineMode, logSleep, logLevel, bom);
    FUZZ_CHECK(result == 0 || result == 1, "logInit result");
    FUZZ_CHECK(result == 0 || !m.open, "a second logInit succeeded");
    FUZZ_CHECK(result == 1 || !fuzz::boxes().empty(), "logInit refused without a box");
    if (result == 1) {
        m.open = true;
        m.sleeping = logSleep != 0;
        m.logLevel = logLevel;
        m.stampMode = stampMode;
    }
    return result;
}

// Returns whether both texts were accepted (a refusal is reported in the file, if open).
bool checkBoxes(FuzzedDataProvider& in, const Model& m) {
    const Text msg = fuzz::consumeText(in, 300);
    const Text ttl = fuzz::consumeText(in, 300);
    const int answer = in.ConsumeIntegralInRange<int>(0, 2);
    fuzz::setBoxAnswer(answer);
    const bool okCancel = in.ConsumeBool();
    int32_t result = -1;
    if (okCancel) {
        result = msgBoxOkCancel(msg.ptr(), ttl.ptr());
    } else {
        msgBox(msg.ptr(), ttl.ptr());
    }
    const bool accepted =
        !msg.null && !ttl.null && msg.units.size() <= 255 && ttl.units.size() <= 255;
    auto& shown = fuzz::boxes();
    if (accepted) {
        FUZZ_CHECK(shown.size() == 1, "msgBox shows one box");
        FUZZ_CHECK(
            shown[0].title == fuzz::utf8Of(ttl.units) && shown[0].text == fuzz::utf8Of(msg.units),
            "msgBox texts: " + shown[0].title + " / " + shown[0].text);
        if (okCancel) FUZZ_CHECK(result == answer, "msgBoxOkCancel passes on the answer");
        return true;
    }
    if (okCancel) FUZZ_CHECK(result == 0, "a refused msgBoxOkCancel returns 0");
    if (m.open) {
        FUZZ_CHECK(shown.empty(), "a refused text shows a box while the file is open");
    } else {
        FUZZ_CHECK(shown.size() == 1 && shown[0].title == "[■--ERROR--■] bufSizCheck 続行不可能!",
                   "a refused text without a file shows the length guard's box");
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::captureBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Model m;
    m.ticks = in.ConsumeIntegralInRange<long long>(0, kLastTicks);
    quillpen::seams::setFakeTicks(m.ticks);
    quillpen::seams::setWriteFile(nullptr);
    SetLastError(0);

    for (int call = 0; call < 48 && in.remaining_bytes() > 0; ++call) {
        fuzz::boxes().clear();
        const uint64_t before = fuzz::totalFileBytes();
        const std::filesystem::path file = sessionFile();
        const uint64_t offset = m.open ? std::filesystem::file_size(file) : 0;
        const bool quiet = !m.open || m.sleeping || m.writesFail;  // nothing may be written
        bool boxesAllowed = !m.open;
        bool mayWrite = !quiet;
        bool exactUtf8 = true;
        int expectGrowth = -1;  // -1: not predicted, else 0 or 1

        const int op = in.ConsumeIntegralInRange<int>(0, 13);
        switch (op) {
            case 0: {
                boxesAllowed = true;
                const bool wasOpen = m.open;
                mayWrite = !wasOpen && !m.writesFail;  // a new session's first lines
                logInitFrom(in, m);
                break;
            }
            case 1:
                logTerm();
                m.open = false;
                FUZZ_CHECK(fuzz::sessionReleased(), "logTerm left the session allocated");
                break;
            case 2: {
                const int entry = in.ConsumeIntegralInRange<int>(0, 5);
                expectGrowth =
                    !quiet && stampWritesLines(m.stampMode) && m.logLevel >= kEntryLevels[entry];
                callListed(in, kEntries[entry]);
                break;
            }
            case 3: {
                const int entry = in.ConsumeIntegralInRange<int>(0, 5);
                if (m.logLevel < kEntryLevels[entry]) expectGrowth = 0;  // filtered, unmeasured
                Text text = fuzz::consumeText(in, 9000);
                text.units = withoutSlashes(text.units);
                kEntries[entry](text.ptr());
                break;
            }
            case 4: {
                const DWORD code = in.ConsumeIntegral<uint32_t>();
                const Text label = fuzz::consumeText(in, 300);
                SetLastError(code);
                w32_err_log(label.ptr(), in.ConsumeIntegral<int32_t>());
                FUZZ_CHECK(GetLastErr() == code, "w32_err_log changed the last-error code");
                break;
            }
            case 5: {
                const DWORD code = in.ConsumeIntegral<uint32_t>();
                SetLastError(code);
                FUZZ_CHECK(GetLastErr() == code, "GetLastErr");
                w32_reset_errCode();
                FUZZ_CHECK(GetLastErr() == 0, "w32_reset_errCode");
                expectGrowth = 0;
                break;
            }
            case 6:
            case 7: {
                const Text text = fuzz::consumeText(in, 9000);
                const int32_t cnt = in.ConsumeBool() ? static_cast<int32_t>(text.units.size())
                                                     : in.ConsumeIntegral<int32_t>();
                const uint8_t markers = in.ConsumeIntegral<uint8_t>();
                const int32_t width = in.ConsumeIntegralInRange<int32_t>(8, 82);
                if (op == 6)
                    logPut(text.ptr(), cnt, markers, width);
                else
                    logPutHex(text.ptr(), cnt, markers, width);
                break;
            }
            case 8: {
                const Text text = fuzz::consumeText(in, 4200);
                const Text prefix = fuzz::consumeText(in, 300);
                logDumpUTF8(text.ptr(), in.ConsumeIntegral<int64_t>(), prefix.ptr());
                break;
            }
            case 9: {
                const Text label = fuzz::consumeText(in, 300);
                const uint32_t value = in.ConsumeIntegral<uint32_t>();
                const int kind = in.ConsumeIntegralInRange<int>(0, 2);
                if (kind == 0) makeBitStringUSHORT16(static_cast<uint16_t>(value), label.ptr());
                if (kind == 1) makeBitStringUINT32(value, label.ptr());
                if (kind == 2) {
                    makeBitStringUnicodeScalarValue(value % 0x110010, label.ptr());
                    exactUtf8 = false;  // the one-byte table carries CP932 bytes 81 40
                }
                break;
            }
            case 10:
                boxesAllowed = true;
                if (checkBoxes(in, m)) expectGrowth = 0;
                break;
            case 11:
                if (in.ConsumeBool()) {
                    profileTimeStart(fuzz::consumeText(in, 200).ptr());
                } else {
                    profileTimeStop();
                }
                break;
            case 12:
                m.ticks = std::min(kLastTicks, m.ticks + in.ConsumeIntegralInRange<long long>(
                                                             0, 3 * 86400 * kTicksPerSecond));
                quillpen::seams::setFakeTicks(m.ticks);
                expectGrowth = 0;
                break;
            default:
                m.writesFail = !m.writesFail;
                quillpen::seams::setWriteFile(m.writesFail ? failingWrite : nullptr);
                expectGrowth = 0;
                break;
        }

        const std::string what = "call " + std::to_string(call) + " op " + std::to_string(op);
        std::string which;
        FUZZ_CHECK(fuzz::scratchClear(which), which + " left dirty by " + what);
        FUZZ_CHECK(boxesAllowed || fuzz::boxes().empty(),
                   what + " showed a box while the file is open: " +
                       (fuzz::boxes().empty() ? "" : fuzz::boxes()[0].text));
        const uint64_t after = fuzz::totalFileBytes();
        FUZZ_CHECK(after >= before, what + " shrank a file");
        if (!mayWrite) FUZZ_CHECK(after == before, what + " wrote without a writable session");
        if (expectGrowth >= 0)
            FUZZ_CHECK((after > before) == (expectGrowth == 1),
                       what + (expectGrowth ? " wrote nothing" : " wrote a filtered line"));
        if (m.open && !file.empty() && op != 0 && op != 1) {
            const std::string added = fuzz::readFrom(file, offset);
            FUZZ_CHECK(!exactUtf8 || fuzz::validUtf8(added), what + " wrote: " + fuzz::show(added));
        }
    }
    logTerm();
    FUZZ_CHECK(fuzz::sessionReleased(), "logTerm left the session allocated");
    quillpen::seams::setWriteFile(nullptr);
    fuzz::clearWorkDir();
    return 0;
}

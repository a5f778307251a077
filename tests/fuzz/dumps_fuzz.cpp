// The three dumps and the three bit tables on any text, label, cnt, newLineCnt and value,
// in a session opened with fuzzed switches and a real log file. After every call the bytes
// the file gained are checked: nothing while LOG_SLEEP is on; for a refused argument one
// ERROR [SYSLOG] line (none when logLevel is negative); otherwise the block the call makes,
// exact for logPut and logPutHex, and for logDumpUTF8 and the tables their frame, hex
// cells, counts and lines. No box may be shown while the file is open, and the shared
// scratch buffers are zero after every call.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/seams.h"
#include "support/harness.h"
#include "support/session_input.h"

namespace {

using fuzz::Text;

constexpr char kErrorBanner[] = "[SYSLOG][■--ERROR--■] ";
constexpr char kInfoBanner[] = "[SYSLOG][□--INFO--□] ";
constexpr char kDumpSeparator[] =
    "-----------------------------------------------------------------------------------\r\n";
constexpr char kDumpRuler[] =
    "00 01 02 03 04 05 06 07 |08 09 0A 0B 0C 0D 0E 0F |01234567|89ABCDEF| Dec   Hex\r\n";
constexpr long long kFrozenTicks = 17965153840000000LL;  // early December 2026

struct Session {
    int32_t stampMode = 0;
    int32_t logLevel = 0;
    bool sleeping = false;
    bool bom = false;
    fuzz::Terminators nl;
};

fuzz::Terminators gTerminators;  // outlives sessions, as the library's does

std::string format(const char* fmt, long long a, long long b = 0) {
    char text[128];
    std::snprintf(text, sizeof text, fmt, a, b);
    return text;
}

size_t countOf(const std::string& text, const std::string& part) {
    if (part.empty()) return 0;
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size()))
        ++n;
    return n;
}

bool startsWith(const std::string& s, const std::string& p) {
    return s.compare(0, p.size(), p) == 0;
}
bool endsWith(const std::string& s, const std::string& p) {
    return s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0;
}

// Takes one [SYSLOG] line with `banner` from the front of `rest`.
bool takeSyslog(std::string& rest, const char* banner, const Session& s) {
    if (!startsWith(rest, banner)) return false;
    const size_t end = rest.find(s.nl.lines());
    if (end == std::string::npos) return false;
    rest.erase(0, end + s.nl.lines().size());
    return true;
}

void expectRefusal(const std::string& added, const Session& s, const std::string& what) {
    std::string rest = added;
    if (s.logLevel >= 0)
        FUZZ_CHECK(takeSyslog(rest, kErrorBanner, s), what + " refusal: " + fuzz::show(added));
    FUZZ_CHECK(rest.empty(), what + " wrote more than its refusal: " + fuzz::show(added));
}

// logPut and logPutHex, byte for byte.
void checkTextDump(bool hex, const Text& data, int32_t cnt, uint8_t withMarkers, int32_t newLineCnt,
                   const std::string& added, const Session& s) {
    const std::string what = std::string(hex ? "logPutHex" : "logPut") +
                             " cnt=" + std::to_string(cnt) +
                             " newLineCnt=" + std::to_string(newLineCnt);
    const auto pieces = fuzz::utf8Pieces(data.units.data(), data.units.size());
    const std::string utf8 = fuzz::joinPieces(pieces);
    if (cnt > 8190 || newLineCnt < 10 || newLineCnt > 80 || data.null || utf8.size() > 9215)
        return expectRefusal(added, s, what);
    const std::string& nl = s.nl.blocks();
    const std::string name = hex ? "logPutHex" : "logPut";
    std::string expected = nl;
    if (withMarkers) expected += "---------- " + name + "-start len=" + std::to_string(cnt) + nl;
    int32_t column = 0;
    if (hex) {
        for (size_t i = 0; i < utf8.size(); ++i) {
            expected += format("%02x ", static_cast<unsigned char>(utf8[i]));
            if ((i + 1) % static_cast<size_t>(newLineCnt) == 0) expected += nl;
        }
    } else {
        for (const std::string& piece : pieces) {
            expected += piece;
            column += static_cast<int32_t>(piece.size());
            if (column >= newLineCnt) {
                expected += nl;
                column = 0;
            }
        }
    }
    expected += nl;
    if (withMarkers) expected += "---------- " + name + (hex ? "-end" : "-end!!") + nl;
    FUZZ_CHECK(added == expected,
               what + "\n got " + fuzz::show(added) + "\nwant " + fuzz::show(expected));
}

// logDumpUTF8: its report lines, then the table's frame, hex cells and counts.
void checkDecodeDump(const Text& data, const Text& prefix, const std::string& added,
                     const Session& s) {
    const std::string what = "logDumpUTF8 units=" + std::to_string(data.units.size());
    if (data.null || data.units.size() > 4095 || prefix.null || prefix.units.size() > 255)
        return expectRefusal(added, s, what);
    std::string rest = added;
    if (s.stampMode == 1 && s.logLevel >= 0) {
        // The processing time closes the call whatever happened before it.
        const size_t at = rest.rfind(kInfoBanner);
        FUZZ_CHECK(at != std::string::npos && endsWith(rest, s.nl.lines()), what + " timing");
        FUZZ_CHECK(rest.find("logDumpUTF8 処理時間=", at) != std::string::npos, what);
        rest.erase(at);
    }
    const std::string utf8 = fuzz::utf8Of(data.units);
    const size_t size = utf8.size();
    if (size > 8438) return expectRefusal(rest, s, what + " size");
    size_t controls = 0;
    for (unsigned char c : utf8) controls += c < 0x20 || c == 0x7F;
    if (s.logLevel >= 0)
        for (size_t k = 0; k < controls; ++k)
            FUZZ_CHECK(takeSyslog(rest, kErrorBanner, s), what + " control byte line");

    const std::string prefixUtf8 = fuzz::utf8Of(prefix.units);
    FUZZ_CHECK(startsWith(rest, kDumpSeparator), what + " " + fuzz::show(rest.substr(0, 200)));
    rest.erase(0, sizeof kDumpSeparator - 1);
    const std::string header = "} prefix={" + prefixUtf8 + "} charSet={" +
                               (s.bom ? "UTF8N(BomSet)" : "UTF8(NoBom)") +
                               "} size(BYTE)=" + std::to_string(size) + "\r\n";
    FUZZ_CHECK(startsWith(rest, "addr={") && rest.compare(22, header.size(), header) == 0,
               what + " header " + fuzz::show(rest.substr(0, 300)));
    rest.erase(0, 22 + header.size());
    const std::string top = std::string(kDumpRuler) + kDumpSeparator;
    FUZZ_CHECK(startsWith(rest, top), what + " ruler");
    rest.erase(0, top.size());
    for (size_t row = 0; row * 16 < size; ++row) {
        std::string cells;
        for (size_t k = 0; k < 16; ++k) {
            if (k == 8) cells += "|";
            const size_t at = row * 16 + k;
            cells += at < size ? format("%02x ", static_cast<unsigned char>(utf8[at])) : "   ";
        }
        cells += "|";
        const std::string where =
            what + " row " + std::to_string(row) + ": " + fuzz::show(rest.substr(0, 120));
        FUZZ_CHECK(startsWith(rest, cells), where);
        const size_t done = std::min(size, row * 16 + 16);
        const std::string trailer =
            "| " +
            format("%06lld 0x%04llx", static_cast<long long>(done), static_cast<long long>(done)) +
            "\r\n";
        const size_t end = rest.find(trailer, cells.size());
        // The character area holds sixteen columns, some glyphs of up to four bytes.
        FUZZ_CHECK(end != std::string::npos && end - cells.size() <= 26, where);
        FUZZ_CHECK(rest.substr(cells.size(), end - cells.size()).find("\r\n") == std::string::npos,
                   where);
        rest.erase(0, end + trailer.size());
    }
    FUZZ_CHECK(rest == kDumpSeparator, what + " end: " + fuzz::show(rest));
}

// The bit tables: frame, label rows, the value in hex and bits, and the number of rows.
void checkTable(int kind, uint32_t value, const Text& label, const std::string& added,
                const Session& s) {
    const std::string what = "table " + std::to_string(kind) + " value=" + std::to_string(value);
    if (label.null || label.units.size() > 255 || (kind == 2 && value > 0x10FFFF))
        return expectRefusal(added, s, what);
    const std::string& nl = s.nl.blocks();
    const std::string labelUtf8 = fuzz::utf8Of(label.units);
    const std::string border =
        kind == 0 ? "+-----------------+" : "+-----------------------------------+";
    FUZZ_CHECK(startsWith(added, border) && endsWith(added, border + nl),
               what + " frame: " + fuzz::show(added));
    FUZZ_CHECK(added.find("[" + labelUtf8 + "]" + nl) != std::string::npos, what + " label");
    auto bits = [](uint32_t byte) {
        std::string cell;
        for (int k = 7; k >= 0; --k) cell += ((byte >> k) & 1) ? '1' : '0';
        return cell;
    };
    size_t rows = 7;
    size_t labelRows = 1;
    if (kind == 0) {
        FUZZ_CHECK(added.find(format("HEX=0x%04llx", value) + nl) != std::string::npos, what);
        FUZZ_CHECK(added.find("|" + bits(value & 0xFF) + "|" + bits(value >> 8) + "|") !=
                       std::string::npos,
                   what + " bits");
    } else if (kind == 1) {
        FUZZ_CHECK(added.find(format("HEX=0x%08llx", value) + nl) != std::string::npos, what);
        std::string cells = "|";
        for (int k = 0; k < 4; ++k) cells += bits((value >> (8 * k)) & 0xFF) + "|";
        FUZZ_CHECK(added.find(cells) != std::string::npos, what + " bits");
    } else {
        rows = 15;
        labelRows = 3;
        const std::string utf8 = fuzz::encodeUtf8(value);
        uint32_t decoded = 0;
        std::string cells = "|";
        for (size_t k = 0; k < utf8.size(); ++k) {
            decoded |= static_cast<uint32_t>(static_cast<unsigned char>(utf8[k])) << (8 * k);
            cells += bits(static_cast<unsigned char>(utf8[k])) + "|";
        }
        FUZZ_CHECK(
            added.find(format("SCALAR-HEX(UINT32)=0x%08llx", value) + nl) != std::string::npos,
            what);
        FUZZ_CHECK(added.find(format("HEX(UINT32)=0x%08llx", decoded) + nl) != std::string::npos,
                   what + " decode value");
        FUZZ_CHECK(added.find(cells) != std::string::npos, what + " decode bits");
    }
    if (!nl.empty())
        FUZZ_CHECK(countOf(added, nl) - labelRows * countOf(labelUtf8, nl) == rows,
                   what + " rows: " + fuzz::show(added));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::captureBoxes();
    quillpen::seams::setFakeTicks(kFrozenTicks);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Session s;
    s.stampMode = fuzz::consumeStampMode(in);
    const int32_t newlineMode = in.ConsumeIntegralInRange<int32_t>(-1, 3);
    const int32_t logSleep = in.ConsumeIntegralInRange<int32_t>(0, 2);
    s.logLevel = in.ConsumeIntegralInRange<int32_t>(-1, 6);
    const int32_t bom = in.ConsumeIntegralInRange<int32_t>(0, 2);
    s.sleeping = logSleep != 0;
    s.bom = bom != 0;
    gTerminators.onInit(newlineMode);
    s.nl = gTerminators;

    fuzz::boxes().clear();
    const fuzz::WString dir = fuzz::logDirText();
    FUZZ_CHECK(
        logInit(dir.c_str(), u"fz", s.stampMode, newlineMode, logSleep, s.logLevel, bom) == 1,
        "logInit");
    const std::filesystem::path file = fuzz::onlyLogFile();
    FUZZ_CHECK(!file.empty(), "log file");
    uint64_t offset = std::filesystem::file_size(file);

    for (int call = 0; call < 12 && in.remaining_bytes() > 0; ++call) {
        const int op = in.ConsumeIntegralInRange<int>(0, 5);
        const Text text = fuzz::consumeText(in, op == 2 ? 4200 : 9000);
        const Text label = fuzz::consumeText(in, 300);
        int32_t cnt = static_cast<int32_t>(text.units.size());
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                cnt = in.ConsumeIntegral<int32_t>();
                break;
            case 1:
                cnt = in.ConsumeIntegralInRange<int32_t>(8189, 8191);
                break;
            default:
                break;
        }
        const uint8_t withMarkers = in.ConsumeIntegral<uint8_t>();
        const int32_t newLineCnt = in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(8, 82)
                                                    : in.ConsumeIntegral<int32_t>();
        const uint32_t value = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(0, 0x110001)
                                                : in.ConsumeIntegral<uint32_t>();
        switch (op) {
            case 0:
                logPut(text.ptr(), cnt, withMarkers, newLineCnt);
                break;
            case 1:
                logPutHex(text.ptr(), cnt, withMarkers, newLineCnt);
                break;
            case 2:
                logDumpUTF8(text.ptr(), cnt, label.ptr());
                break;
            case 3:
                makeBitStringUSHORT16(static_cast<uint16_t>(value), label.ptr());
                break;
            case 4:
                makeBitStringUINT32(value, label.ptr());
                break;
            default:
                makeBitStringUnicodeScalarValue(value, label.ptr());
                break;
        }
        const std::string added = fuzz::readFrom(file, offset);
        offset += added.size();
        std::string which;
        FUZZ_CHECK(fuzz::scratchClear(which), which + " left dirty by call " + std::to_string(op));
        FUZZ_CHECK(fuzz::boxes().empty(), "a box while the file is open: " +
                                              (fuzz::boxes().empty() ? "" : fuzz::boxes()[0].text));
        if (s.sleeping) {
            FUZZ_CHECK(added.empty(), "LOG_SLEEP on, yet written: " + fuzz::show(added));
            continue;
        }
        switch (op) {
            case 0:
            case 1:
                checkTextDump(op == 1, text, cnt, withMarkers, newLineCnt, added, s);
                break;
            case 2:
                checkDecodeDump(text, label, added, s);
                break;
            default:
                checkTable(op - 3, op == 3 ? (value & 0xFFFF) : value, label, added, s);
                break;
        }
    }
    logTerm();
    FUZZ_CHECK(fuzz::sessionReleased(), "logTerm left the session allocated");
    fuzz::clearWorkDir();
    return 0;
}

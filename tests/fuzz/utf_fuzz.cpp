// The UTF conversions against the reference converters, into bounded destinations:
// utf16ToUtf8N and utf16ToUtf8 (lone surrogates dropped, whole characters only, NUL
// within dstSize, nothing past it), utf8LengthOf, utf32ToUtf8 on any 32-bit value,
// the engine's "%ls" and "%.*ls" in a byte format (the same conversion through the printf
// engine) and its "%hs" and "%.*hs" in a wide format (any bytes read back as UTF-16).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/format.h"
#include "support/harness.h"
#include "text/utf.h"

namespace {

constexpr int kCanary = 16;
constexpr char kPattern = static_cast<char>(0xA5);

// The whole pieces that fit `room` units, and whether all did.
template <typename Piece>
Piece fitting(const std::vector<Piece>& pieces, size_t room, bool& complete) {
    Piece out;
    complete = true;
    for (const Piece& piece : pieces) {
        if (out.size() + piece.size() > room) {
            complete = false;
            break;
        }
        out += piece;
    }
    return out;
}

// The leading whole pieces that total at most `room` units.
template <typename Piece>
std::vector<Piece> firstPieces(const std::vector<Piece>& pieces, size_t room) {
    std::vector<Piece> kept;
    size_t used = 0;
    for (const Piece& piece : pieces) {
        if (used + piece.size() > room) break;
        used += piece.size();
        kept.push_back(piece);
    }
    return kept;
}

// A destination of dstSize units behind a canary, written by `convert`, must hold the
// whole pieces that fit and a NUL, with every other unit untouched.
template <typename Ch, typename Convert>
void checkBounded(const std::vector<std::basic_string<Ch>>& pieces, int dstSize, Convert convert,
                  const std::string& what) {
    const size_t room = static_cast<size_t>(dstSize > 0 ? dstSize : 0) + kCanary;
    const Ch pattern = static_cast<Ch>(sizeof(Ch) == 1 ? 0xA5 : 0xA5A5);
    std::vector<Ch> dst(room, pattern);
    const int result = convert(dst.data(), dstSize);
    size_t used = 0;
    if (dstSize < 1) {
        FUZZ_CHECK(result == -1, what);
    } else {
        bool complete = false;
        const auto expected = fitting(pieces, static_cast<size_t>(dstSize - 1), complete);
        FUZZ_CHECK(result == (complete ? static_cast<int>(expected.size()) : -1), what);
        FUZZ_CHECK(std::equal(expected.begin(), expected.end(), dst.begin()), what);
        FUZZ_CHECK(dst[expected.size()] == 0, what + " not NUL-terminated");
        used = expected.size() + 1;
    }
    for (size_t i = used; i < room; ++i) FUZZ_CHECK(dst[i] == pattern, what + " overran");
}

void checkCodePoint(uint32_t codePoint) {
    char dst[4 + kCanary];
    std::memset(dst, kPattern, sizeof dst);
    const std::string expected = fuzz::encodeUtf8(codePoint);
    const std::string what = "utf32ToUtf8 " + std::to_string(codePoint);
    FUZZ_CHECK(quillpen::utf32ToUtf8(codePoint, dst) == static_cast<int>(expected.size()), what);
    FUZZ_CHECK(std::string(dst, expected.size()) == expected, what);
    for (size_t i = expected.size(); i < sizeof dst; ++i) FUZZ_CHECK(dst[i] == kPattern, what);
}

void checkUtf16(const fuzz::WString& all, int dstSize, int precision) {
    const std::string what =
        " dstSize=" + std::to_string(dstSize) + " units=" + std::to_string(all.size());
    // The units alone in their allocation: a read past them is a fault.
    const std::vector<qp_wchar> exact(all.begin(), all.end());
    checkBounded(
        fuzz::utf8Pieces(all.data(), all.size()), dstSize,
        [&](char* dst, int n) {
            return quillpen::utf16ToUtf8N(exact.data(), static_cast<int>(exact.size()), dst, n);
        },
        "utf16ToUtf8N" + what);

    // The text up to its first 0 unit, as the NUL-terminated forms see it.
    const fuzz::WString text = all.substr(0, all.find(qp_wchar{0}));
    FUZZ_CHECK(quillpen::wideLength(text.c_str()) == static_cast<int>(text.size()), what);
    const auto pieces = fuzz::utf8Pieces(text.data(), text.size());
    checkBounded(
        pieces, dstSize,
        [&](char* dst, int n) { return quillpen::utf16ToUtf8(text.c_str(), dst, n); },
        "utf16ToUtf8" + what);
    FUZZ_CHECK(quillpen::utf8LengthOf(text.c_str()) ==
                   static_cast<int32_t>(fuzz::joinPieces(pieces).size()),
               "utf8LengthOf" + what);
    checkBounded(
        pieces, dstSize,
        [&](char* dst, int n) { return quillpen::formatNarrow(dst, n, "%ls", text.c_str()); },
        "formatNarrow %ls" + what);

    // A precision counts bytes and never splits a character.
    checkBounded(
        firstPieces(pieces, static_cast<size_t>(precision)), dstSize,
        [&](char* dst, int n) {
            return quillpen::formatNarrow(dst, n, "%.*ls", precision, text.c_str());
        },
        "formatNarrow %.*ls precision=" + std::to_string(precision) + what);
}

void checkUtf8(const std::string& bytes, int dstSize, int precision) {
    const std::string what = " dstSize=" + std::to_string(dstSize) + " bytes=" + fuzz::show(bytes);
    std::string text = bytes.substr(0, bytes.find('\0'));
    checkBounded(
        fuzz::utf16Pieces(text, SIZE_MAX), dstSize,
        [&](qp_wchar* dst, int n) { return quillpen::formatWide(dst, n, u"%hs", text.c_str()); },
        "formatWide %hs" + what);
    checkBounded(
        fuzz::utf16Pieces(text, static_cast<size_t>(precision)), dstSize,
        [&](qp_wchar* dst, int n) {
            return quillpen::formatWide(dst, n, u"%.*hs", precision, text.c_str());
        },
        "formatWide %.*hs precision=" + std::to_string(precision) + what);
}

// Text that converts to UTF-8 and back is the same text without its lone surrogates.
void checkRoundTrip(const fuzz::WString& all) {
    const fuzz::WString text = all.substr(0, all.find(qp_wchar{0}));
    const std::string utf8 = fuzz::joinPieces(fuzz::utf8Pieces(text.data(), text.size()));
    std::vector<qp_wchar> back(text.size() + 1);
    const int n =
        quillpen::formatWide(back.data(), static_cast<int>(back.size()), u"%hs", utf8.c_str());
    fuzz::WString expected;
    for (const std::string& piece : fuzz::utf8Pieces(text.data(), text.size()))
        expected += fuzz::utf16Pieces(piece, SIZE_MAX).front();
    FUZZ_CHECK(n == static_cast<int>(expected.size()), "round trip length");
    FUZZ_CHECK(fuzz::WString(back.data(), static_cast<size_t>(n)) == expected, "round trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const uint32_t codePoint = in.ConsumeIntegral<uint32_t>();
    const int dstSize = in.ConsumeIntegralInRange<int>(-1, 3 * static_cast<int>(size) + 8);
    const int precision = in.ConsumeIntegralInRange<int>(0, 3 * static_cast<int>(size) + 8);
    checkCodePoint(codePoint);
    checkCodePoint(codePoint & 0x1FFFFF);  // mostly real code points and surrogates
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const fuzz::WString units = fuzz::unitsFromBytes(rest, false);
    checkUtf16(units, dstSize, precision);
    checkRoundTrip(units);
    checkUtf8(rest, dstSize, precision);
    return 0;
}

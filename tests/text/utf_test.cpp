// The text helpers against the reference converter: conversions into destinations of every
// size around the need, the sink's unit limit, the walks one character at a time.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "support/ref_utf.h"
#include "text/utf8_sink.h"
#include "text/utf_chars.h"
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace {
using ref::WString;

// A copy of `n` units that ends where a readable page does: a read past them faults.
const qp_wchar* atPageEnd(const qp_wchar* units, size_t n) {
    constexpr size_t kHalf = 1 << 16;
#if defined(_WIN32)
    static auto* base = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * kHalf, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    static DWORD was;
    static const bool guarded = VirtualProtect(base + kHalf, kHalf, PAGE_NOACCESS, &was);
#else
    static auto* base = static_cast<char*>(
        mmap(nullptr, 2 * kHalf, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    static const bool guarded = mprotect(base + kHalf, kHalf, PROT_NONE) == 0;
#endif
    EXPECT_TRUE(guarded);
    auto* end = reinterpret_cast<qp_wchar*>(base + kHalf);
    return static_cast<const qp_wchar*>(std::memcpy(end - n, units, n * sizeof(qp_wchar)));
}

// The counted text and the text up to its first 0 unit, at a page end, into every size up to
// 4 past the need in a buffer of '#': whole characters that fit and a NUL, the length or -1,
// nothing changed past the NUL. The lengths (within each size) and the walk to UTF-8 agree.
void checkEveryRoom(const WString& all) {
    for (const bool counted : {true, false}) {
        const WString text = counted ? all : all.substr(0, all.find(qp_wchar{0}));
        const qp_wchar* units = atPageEnd(text.c_str(), text.size() + (counted ? 0 : 1));
        const auto pieces = ref::utf8Pieces(text.data(), text.size());
        const std::string whole = ref::joinPieces(pieces);
        if (!counted) {
            EXPECT_EQ(quillpen::utf8LengthOf(units), int32_t(whole.size()));
        }
        for (int size = 0; size <= int(whole.size()) + 4; ++size) {
            std::string fit;
            for (size_t k = 0; k < pieces.size() && fit.size() + pieces[k].size() < size_t(size);)
                fit += pieces[k++];
            std::string out(size + 8, '#');
            const int result = counted
                                   ? quillpen::utf16ToUtf8N(units, int(text.size()), &out[0], size)
                                   : quillpen::utf16ToUtf8(units, &out[0], size);
            ASSERT_EQ(result, size > 0 && fit == whole ? int(whole.size()) : -1) << size;
            ASSERT_EQ(out, size > 0 ? fit + '\0' + std::string(size + 7 - fit.size(), '#')
                                    : std::string(8, '#'));
            if (counted || size == 0) continue;
            ASSERT_EQ(quillpen::boundedLength(units, size), std::min(size, int(text.size())));
            std::string walked;
            const int total = quillpen::eachUtf8Char(units, size - 1, [&](const char* b, int n) {
                return walked.append(b, size_t(n)), true;
            });
            ASSERT_EQ(walked, fit);
            ASSERT_EQ(total, int(fit.size()));
        }
    }
}
}  // namespace

// Units of each class: ASCII, 2 and 3 bytes at their bounds, surrogates, 0 (the literal's).
TEST(Utf, ConvertersMatchTheReferenceInEveryRoom) {
    const WString kUnits(
        QP_TEXT("\x7F\x80\xC2\xE9\x7FF\x800\x3042\xFFFF\xD800\xDBFF\xDC00\xDFFF\xD83D\xDE00"), 15);
    std::mt19937 random(20261206);
    for (int round = 0; round < 500; ++round) {
        WString text;
        for (size_t units = random() % 24; text.size() < units;)
            text += qp_wchar(random() % 3 ? 'a' + random() % 26 : kUnits[random() % kUnits.size()]);
        checkEveryRoom(text);
    }
}

// The printf engine's side of the sink: a NUL that ends the text, a cut at the unit limit.
TEST(Utf, SinkEndsAtANulAndCutsAtTheUnitLimit) {
    char out[16] = {};
    quillpen::Utf8Sink sink(out, 15, 5);
    const qp_wchar a[] = {'a'}, nul[] = {0}, pair[] = {0xD83D, 0xDE00};
    EXPECT_TRUE(sink.putChar(a, 1));
    EXPECT_TRUE(sink.putChar(nul, 1));
    EXPECT_TRUE(sink.putChar(a, 1));     // after the NUL: counted, not stored
    EXPECT_TRUE(sink.putChar(pair, 2));  // exactly the units left
    EXPECT_FALSE(sink.putChar(a, 1));    // one more is cut
    sink.append(QP_TEXT("]"));
    EXPECT_TRUE(sink.cut());
    EXPECT_EQ(std::string(out, size_t(sink.stored())), "a]");
    EXPECT_EQ(sink.units(), 2);
}

// Bytes read as UTF-16: sequences at their bounds (overlong, surrogate, above U+10FFFF),
// stray and cut bytes, under every byte limit.
TEST(Utf, BytesWalkAsTheReferenceReadsThem) {
    static const char kBytes[] =
        "a\x7F\x80\x8F\x90\x9F\xA0\xBF\xC1\xC2\xDF\xE0\xED\xEF\xF0\xF4\xF5";
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        for (size_t n = random() % 10; bytes.size() < n;) bytes += kBytes[random() % sizeof kBytes];
        for (int maxBytes = 0; maxBytes <= int(bytes.size()) + 1; ++maxBytes) {
            WString walked, expected;
            const int units = quillpen::eachUtf16Char(bytes.c_str(), maxBytes, [&](auto u, int n) {
                return walked.append(u, u + n), true;
            });
            for (const WString& piece : ref::utf16Pieces(bytes, size_t(maxBytes)))
                expected += piece;
            ASSERT_EQ(walked, expected) << testing::PrintToString(bytes) << " " << maxBytes;
            ASSERT_EQ(units, int(expected.size()));
        }
    }
}

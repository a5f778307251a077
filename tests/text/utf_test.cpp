// The UTF-8 conversion's encodings, its bounded destination and the length of a wide text,
// byte for byte and against the reference converter of the fuzz targets.
#include "text/utf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/ref_utf.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {
using ref::WString;

WString unitsOf(const std::vector<uint16_t>& units) {
    WString text;
    for (const uint16_t unit : units) text += static_cast<qp_wchar>(unit);
    return text;
}

std::string hexUnits(const WString& text) {
    std::string out;
    char unit[8];
    for (const qp_wchar c : text) {
        std::snprintf(unit, sizeof unit, " %04X", static_cast<unsigned>(static_cast<uint16_t>(c)));
        out += unit;
    }
    return out;
}

// Converts `text` (by its length, or up to its terminator) into dstSize bytes of a larger
// buffer of '#': the result must be `expected` and its NUL, with the length or -1 as
// `complete` says, and not a byte after the NUL changed (none at all when dstSize < 1).
::testing::AssertionResult converts(const WString& text, bool terminated, int dstSize,
                                    const std::string& expected, bool complete) {
    std::vector<char> out(static_cast<size_t>(dstSize > 0 ? dstSize : 0) + 16, '#');
    const int result = terminated
                           ? quillpen::utf16ToUtf8(text.c_str(), out.data(), dstSize)
                           : quillpen::utf16ToUtf8N(text.data(), static_cast<int>(text.size()),
                                                    out.data(), dstSize);
    auto failure = [&](const char* what) {
        return ::testing::AssertionFailure()
               << (terminated ? "utf16ToUtf8" : "utf16ToUtf8N") << ", dstSize " << dstSize << ": "
               << what << "; result " << result << "; units" << hexUnits(text);
    };
    size_t untouched = 0;
    if (dstSize < 1) {
        if (result != -1) return failure("not -1");
    } else {
        if (result != (complete ? static_cast<int>(expected.size()) : -1)) return failure("result");
        if (std::string(out.data(), expected.size()) != expected) return failure("bytes");
        if (out[expected.size()] != '\0') return failure("no NUL");
        untouched = expected.size() + 1;
    }
    for (size_t k = untouched; k < out.size(); ++k)
        if (out[k] != '#') return failure("wrote past the NUL");
    return ::testing::AssertionSuccess();
}

// Both forms into every destination size up to 8 bytes more than the text needs, against
// the reference: the whole characters that fit. The terminated form sees the text up to
// its first 0 unit.
void checkEveryRoom(const WString& all) {
    const WString terminated = all.substr(0, all.find(qp_wchar{0}));
    for (const WString* text : {&all, &terminated}) {
        const auto pieces = ref::utf8Pieces(text->data(), text->size());
        const std::string whole = ref::joinPieces(pieces);
        for (int dstSize = 0; dstSize <= static_cast<int>(whole.size()) + 8; ++dstSize) {
            std::string fit;
            for (const auto& piece : pieces) {
                if (fit.size() + piece.size() + 1 > static_cast<size_t>(dstSize)) break;
                fit += piece;
            }
            ASSERT_TRUE(converts(*text, text == &terminated, dstSize, fit, fit == whole));
        }
        if (text == &terminated) {
            EXPECT_EQ(quillpen::utf8LengthOf(text->c_str()), static_cast<int32_t>(whole.size()));
        }
    }
}

// A unit of one kind, at random: ASCII, two bytes, three bytes, a boundary value, a high
// or a low surrogate (`loneOdds` in 16 of them) and whole pairs.
void appendRandom(WString& text, std::mt19937& random, int asciiOdds, int loneOdds) {
    static const uint16_t kEdges[] = {0x0000, 0x007F, 0x0080, 0x07FF, 0x0800, 0xD7FF,
                                      0xE000, 0xFFFF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF};
    const auto roll = static_cast<int>(random() % 16);
    const auto pick = [&](uint32_t low, uint32_t count) {
        return static_cast<qp_wchar>(low + random() % count);
    };
    if (roll < asciiOdds) {
        text += pick(0x20, 0x5F);
    } else if (roll < loneOdds) {
        text += pick(0xD800, 0x800);
    } else if (roll < 11) {
        text += pick(0x80, 0x780);
    } else if (roll < 13) {
        text += random() % 2 ? pick(0x800, 0xD800 - 0x800) : pick(0xE000, 0x2000);
    } else if (roll < 15) {
        text += pick(0xD800, 0x400);
        text += pick(0xDC00, 0x400);
    } else {
        text += static_cast<qp_wchar>(kEdges[random() % (loneOdds > asciiOdds ? 12 : 8)]);
    }
}
}  // namespace

TEST(Utf8, CodePointsAtEveryLengthBoundary) {
    const std::pair<uint32_t, std::string> kCases[] = {
        {0x00, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& [cp, bytes] : kCases) {
        char out[4] = {};
        ASSERT_EQ(quillpen::utf32ToUtf8(cp, out), static_cast<int>(bytes.size())) << cp;
        EXPECT_EQ(std::string(out, bytes.size()), bytes) << cp;
    }
    char out[4] = {'k', 'k', 'k', 'k'};
    EXPECT_EQ(quillpen::utf32ToUtf8(0x110000, out), 0);
    EXPECT_EQ(std::string(out, 4), "kkkk");
}

// Room exactly enough and one byte short for each length of character, the four-unit ASCII
// step, lone surrogates at either end and the extreme pairs, in both forms.
TEST(Utf8, BytesAndRoomAtEveryBoundary) {
    struct Row {
        std::vector<uint16_t> units;
        int dstSize;
        std::string bytes;
        int result;
    };
    const Row kRows[] = {
        {{'a', 'b', 'c'}, 4, "abc", 3},
        {{'a', 'b', 'c'}, 3, "ab", -1},
        {{'a', 0xE9}, 4, "a\xC3\xA9", 3},
        {{'a', 0xE9}, 3, "a", -1},
        {{'a', 0x3042}, 5, "a\xE3\x81\x82", 4},
        {{'a', 0x3042}, 4, "a", -1},
        {{'a', 0xD83D, 0xDE00}, 6, "a\xF0\x9F\x98\x80", 5},
        {{'a', 0xD83D, 0xDE00}, 5, "a", -1},
        {{'a', 'b', 'c', 'd', 'e'}, 6, "abcde", 5},
        {{'a', 'b', 'c', 'd', 'e'}, 5, "abcd", -1},
        {{'a', 'b', 'c', 'd', 'e'}, 4, "abc", -1},
        {{'a'}, 1, "", -1},
        {{}, 1, "", 0},
        {{0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFF},
         32,
         "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF",
         17},
        {{0xD800, 'a'}, 2, "a", 1},  // a dropped surrogate takes no room
        {{'a', 0xD800}, 2, "a", 1},
        {{0xDC00, 'a'}, 2, "a", 1},
        {{'a', 0xDBFF}, 2, "a", 1},
        {{'a', 0xDFFF}, 2, "a", 1},
        {{0xDC00, 0xD800}, 8, "", 0},
        {{0xD800, 'A', 0xDC00}, 8, "A", 1},
        {{0xDBFF, 0xDBFF, 0xDC00}, 8, "\xF4\x8F\xB0\x80", 4},
        {{0xDBFF, 0xDC00}, 8, "\xF4\x8F\xB0\x80", 4},
        {{0xD800, 0xDC00}, 8, "\xF0\x90\x80\x80", 4},
        {{0xDBFF, 0xDFFF, 'z'}, 8, "\xF4\x8F\xBF\xBFz", 5},
    };
    for (const Row& row : kRows) {
        const WString text = unitsOf(row.units);
        for (const bool terminated : {false, true})
            EXPECT_TRUE(converts(text, terminated, row.dstSize, row.bytes, row.result >= 0));
        if (row.result >= 0) {
            EXPECT_EQ(quillpen::utf8LengthOf(text.c_str()), row.result) << hexUnits(text);
        }
    }
    char out[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(quillpen::utf16ToUtf8(nullptr, out, 4), 0);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(quillpen::utf8LengthOf(nullptr), 0);
}

// The counted form: a 0 unit is a character; the count ends the text, even inside a pair.
TEST(Utf8, TheCountEndsTheText) {
    const WString text = unitsOf({'a', 0, 'b', 0xD83D, 0xDE00});
    char out[16];
    std::memset(out, '#', sizeof out);
    ASSERT_EQ(quillpen::utf16ToUtf8N(text.data(), 4, out, sizeof out), 3);
    EXPECT_EQ(std::string(out, 4), std::string("a\0b\0", 4));
    EXPECT_EQ(out[4], '#');
    EXPECT_TRUE(converts(text, false, 8, std::string("a\0b\xF0\x9F\x98\x80", 7), true));
    EXPECT_TRUE(converts(text, true, 8, "a", true));
}

// Random texts of every kind of unit against the reference, into every destination size.
TEST(Utf8, MatchesTheReferenceInEveryRoom) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 600; ++round) {
        const int kind = round % 4;  // mixed; no lone surrogates; mostly ASCII; many lone ones
        const int asciiOdds = kind == 2 ? 12 : 4;
        const int loneOdds = kind == 1 ? asciiOdds : kind == 3 ? asciiOdds + 4 : asciiOdds + 1;
        WString text;
        const auto units = static_cast<size_t>(random() % (round % 50 == 0 ? 400 : 90));
        while (text.size() < units) appendRandom(text, random, asciiOdds, loneOdds);
        checkEveryRoom(text);
    }
}

// A pair, lone surrogates and pairs cut by the end of the text at every offset from the
// start of a four-unit ASCII step, among ASCII units and among others.
TEST(Utf8, SurrogatesAtEveryOffset) {
    const std::vector<std::vector<uint16_t>> kPatterns = {
        {0xD83D, 0xDE00}, {0xD800}, {0xDFFF}, {0xDBFF, 0xDBFF, 0xDC00}, {0xDC00, 0xD800},
    };
    const WString fillers[] = {unitsOf({0xE9, 0x3042, 'z', 0x3B1}), unitsOf({'a', 'b', 'c'})};
    for (const auto& filler : fillers) {
        for (const auto& pattern : kPatterns) {
            for (size_t offset = 0; offset <= 9; ++offset) {
                WString text;
                while (text.size() < offset) text += filler[text.size() % filler.size()];
                text += unitsOf(pattern);
                checkEveryRoom(text);  // the pattern at the end
                for (size_t k = 0; k < 9; ++k) text += filler[k % filler.size()];
                checkEveryRoom(text);
            }
        }
    }
}

// Texts whose last unit (the terminator, or the last counted unit) is the last of a page
// whose next page cannot be read: nothing reads past the text.
TEST(Utf8, TextsEndingAtAPageEnd) {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    auto* base = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(base, nullptr);
    DWORD before;
    ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_NOACCESS, &before));
#else
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    auto* base = static_cast<char*>(
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(base, MAP_FAILED);
    ASSERT_EQ(mprotect(base + page, page, PROT_NONE), 0);
#endif
    auto* pageEnd = reinterpret_cast<qp_wchar*>(base + page);
    EXPECT_EQ(quillpen::wideLength(nullptr), 0);
    for (size_t length = 0; length < 40; ++length) {
        WString text;
        for (size_t k = 0; k < length; ++k)
            text += static_cast<qp_wchar>(k % 6 == 5 ? 0x3042 : 'a' + k % 26);
        const std::string expected = ref::joinPieces(ref::utf8Pieces(text.data(), length));
        std::vector<char> out(expected.size() + 1);
        const int room = static_cast<int>(out.size());

        qp_wchar* counted = pageEnd - length;
        std::memcpy(counted, text.data(), length * sizeof(qp_wchar));
        EXPECT_EQ(quillpen::utf16ToUtf8N(counted, static_cast<int>(length), out.data(), room),
                  static_cast<int>(expected.size()));
        EXPECT_EQ(std::string(out.data()), expected);

        qp_wchar* terminated = counted - 1;
        std::memcpy(terminated, text.c_str(), (length + 1) * sizeof(qp_wchar));
        EXPECT_EQ(quillpen::wideLength(terminated), static_cast<int>(length));
        EXPECT_EQ(quillpen::utf16ToUtf8(terminated, out.data(), room),
                  static_cast<int>(expected.size()));
        EXPECT_EQ(std::string(out.data()), expected);
        EXPECT_EQ(quillpen::utf8LengthOf(terminated), static_cast<int32_t>(expected.size()));
    }
#if defined(_WIN32)
    VirtualFree(base, 0, MEM_RELEASE);
#else
    munmap(base, 2 * page);
#endif
}

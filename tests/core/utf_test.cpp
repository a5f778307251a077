// The UTF-8 conversion's encodings and its bounded destination along every path, and
// the length of a wide text.
#include "core/utf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/session_fixture.h"

#if !defined(_WIN32)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {
using quillpen::UtfPath;

// Every path this build can take on this processor.
std::vector<UtfPath> paths() {
    std::vector<UtfPath> all;
    for (int path = 0; path <= static_cast<int>(quillpen::bestUtfPath()); ++path)
        all.push_back(static_cast<UtfPath>(path));
    return all;
}

const char* pathName(UtfPath path) {
    switch (path) {
        case UtfPath::kScalar:
            return "scalar";
        case UtfPath::kSse2:
            return "SSE2";
        case UtfPath::kAvx2:
            return "AVX2";
    }
    return "?";
}

// The UTF-8 of each character of `text` as the converter is to write it, worked out bit by
// bit: pairs joined, lone surrogates dropped.
std::vector<std::string> referencePieces(const WString& text) {
    std::vector<std::string> pieces;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDFFF) {
            const uint32_t next = i + 1 < text.size() ? static_cast<uint16_t>(text[i + 1]) : 0;
            if (c >= 0xDC00 || next < 0xDC00 || next > 0xDFFF) continue;
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        }
        std::string bytes;
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | c >> 6);
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | c >> 18);
            bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
        pieces.push_back(bytes);
    }
    return pieces;
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

// Converts `text` along `path` into dstSize bytes of a larger buffer of '#': the result
// must be the whole characters that fit and a NUL (-1 when not all fit, nothing when
// dstSize < 1), with nothing past dstSize changed and, after the NUL, only the two bytes
// after it, to zero.
::testing::AssertionResult convertsWhole(UtfPath path, const WString& text,
                                         const std::vector<std::string>& pieces, int dstSize) {
    std::string expected;
    bool complete = true;
    for (const auto& piece : pieces) {
        if (static_cast<int>(expected.size() + piece.size()) > dstSize - 1) {
            complete = false;
            break;
        }
        expected += piece;
    }
    std::vector<char> out(static_cast<size_t>(dstSize > 0 ? dstSize : 0) + 64, '#');
    const int result = quillpen::utf16ToUtf8NOn(path, text.data(), static_cast<int>(text.size()),
                                                out.data(), dstSize);
    auto failure = [&](const char* what) {
        return ::testing::AssertionFailure()
               << pathName(path) << ", dstSize " << dstSize << ": " << what << "; result " << result
               << "; units" << hexUnits(text);
    };
    if (dstSize < 1) {
        if (result != -1) return failure("not -1");
        for (const char c : out)
            if (c != '#') return failure("wrote into no room");
        return ::testing::AssertionSuccess();
    }
    if (result != (complete ? static_cast<int>(expected.size()) : -1)) return failure("length");
    if (std::string(out.data(), expected.size()) != expected) return failure("bytes");
    if (out[expected.size()] != '\0') return failure("no NUL");
    for (size_t k = expected.size() + 1; k < out.size(); ++k) {
        const bool mayBeZero = k <= expected.size() + 2 && k < static_cast<size_t>(dstSize);
        if (out[k] != '#' && !(mayBeZero && out[k] == '\0')) return failure("wrote past the NUL");
    }
    return ::testing::AssertionSuccess();
}

// Every path into every destination size from 0 to 64 bytes more than the text needs:
// past where the last block has room to be converted as a block (48 bytes for sixteen
// units that may need only 16).
void checkEveryRoom(const WString& text) {
    const auto pieces = referencePieces(text);
    size_t total = 0;
    for (const auto& piece : pieces) total += piece.size();
    for (const UtfPath path : paths())
        for (int dstSize = 0; dstSize <= static_cast<int>(total) + 64; ++dstSize)
            ASSERT_TRUE(convertsWhole(path, text, pieces, dstSize));
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

TEST(Utf8, DispatchTakesTheBestPathOfTheProcessor) {
#if defined(__x86_64__) || defined(_M_X64)
    EXPECT_GE(quillpen::bestUtfPath(), UtfPath::kSse2);
#if defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) {
        EXPECT_EQ(quillpen::bestUtfPath(), UtfPath::kAvx2);
    }
#endif
#endif
    const WString text =
        widen("caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80 ok");
    char viaBest[64] = {};
    char dispatched[64] = {};
    const int n = quillpen::utf16ToUtf8NOn(quillpen::bestUtfPath(), text.data(),
                                           static_cast<int>(text.size()), viaBest, 64);
    EXPECT_EQ(n, 23);
    EXPECT_EQ(quillpen::utf16ToUtf8N(text.data(), static_cast<int>(text.size()), dispatched, 64),
              n);
    EXPECT_EQ(std::string(dispatched), std::string(viaBest));
    char terminated[64] = {};
    EXPECT_EQ(quillpen::utf16ToUtf8(text.c_str(), terminated, 64), n);
    EXPECT_EQ(std::string(terminated), std::string(viaBest));
}

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

TEST(Utf8, DestinationIsNeverOverrun) {
    const WString text = widen("ab\xE3\x81\x82");  // "ab" + U+3042: 5 bytes
    char out[16];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(quillpen::utf16ToUtf8(text.c_str(), out, 6), 5);  // exactly fits with its NUL
    EXPECT_EQ(std::string(out), "ab\xE3\x81\x82");
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(quillpen::utf16ToUtf8(text.c_str(), out, 5), -1);  // the character stays whole
    EXPECT_EQ(std::string(out), "ab");
    EXPECT_EQ(out[5], '#');
    EXPECT_EQ(quillpen::utf16ToUtf8(text.c_str(), out, 0), -1);
    EXPECT_EQ(out[0], 'a');  // untouched
}

// Blocks of eight and sixteen units of every length, the widest of each, pairs inside a
// block and across blocks, and a short tail, along every path into every destination
// size: the whole characters that fit, the NUL, nothing past dstSize. A room check one
// byte short lets a widest block start where it no longer fits.
TEST(Utf8, MixedBlocksIntoEveryRoom) {
    const std::u32string chars =
        U"a\u00E9\u3042b\u07FF\u0800\u007F\u0080"            // unit 0: ASCII-led, of every length
        U"ABCDEFGH"                                          // 8: ASCII
        U"\u3042\u3044\u3046\u3048\u304A\u304B\u304D\u304F"  // 16: the widest block of eight
        U"\uFFFF\u0800\u00E9z\u3042\u3042\u3042\u3042"
        U"x\U0001F600yz\u00E9\u00E9\u00E9"  // 32: a pair inside a block
        U"\u3042q\u3042\u3042\u3042\u3042\u3042\u3042"
        U"\u4E00\u4E01\u4E02\u4E03\u4E04\u4E05\u4E06\u4E07"  // 48: the widest of sixteen
        U"\u4E08\u4E09\u4E0A\u4E0B\u4E0C\u4E0D\u4E0E\u4E0F"
        U"0123456789abcdef"                                      // 64: ASCII
        U"\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\U0001F601"  // 80: a pair at 87-88
        U"\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u3042\u3042\u3042\u3042\u3042\u3042"
        U"\u3042\u3042\u3042\u3042\u3042\u3042\u3042\u3042\u3042\u3042"
        U"\U0001F602z\U0001F603";  // 111: a pair at 111-112, one at the end
    WString text;
    for (const char32_t c : chars) {
        if (c >= 0x10000) {
            text += static_cast<qp_wchar>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<qp_wchar>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<qp_wchar>(c);
        }
    }
    ASSERT_EQ(text.size(), 116u);
    ASSERT_EQ(text[87], 0xD83D);
    ASSERT_EQ(text[111], 0xD83D);
    std::vector<std::string> pieces;
    for (const char32_t c : chars) {
        char bytes[4];
        pieces.emplace_back(bytes, quillpen::utf32ToUtf8(c, bytes));
    }
    ASSERT_EQ(pieces, referencePieces(text));
    std::string whole;
    for (const auto& piece : pieces) whole += piece;
    for (int dstSize = 1; dstSize <= static_cast<int>(whole.size()) + 4; ++dstSize) {
        std::string expected;
        for (const auto& piece : pieces) {
            if (expected.size() + piece.size() > static_cast<size_t>(dstSize - 1)) break;
            expected += piece;
        }
        char out[256];
        std::memset(out, '#', sizeof out);
        const int result = quillpen::utf16ToUtf8(text.c_str(), out, dstSize);
        EXPECT_EQ(result, expected == whole ? static_cast<int>(whole.size()) : -1) << dstSize;
        EXPECT_EQ(std::string(out), expected) << dstSize;
        for (size_t k = static_cast<size_t>(dstSize); k < sizeof out; ++k)
            ASSERT_EQ(out[k], '#') << "dstSize " << dstSize << " byte " << k;
    }
    checkEveryRoom(text);
    checkEveryRoom(text.substr(16));  // the widest blocks first, where a converter starts
    checkEveryRoom(text.substr(48));
}

// Random texts of every kind of unit along every path, against the reference, into every
// destination size.
TEST(Utf8, EveryPathMatchesTheReference) {
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

// A surrogate pair, lone surrogates and pairs cut by the end of the text at every offset
// from a block's start, among units that keep every block on the shuffle paths and among
// ASCII ones.
TEST(Utf8, SurrogatesAtEveryOffset) {
    const std::vector<WString> kPatterns = {
        {0xD83D, 0xDE00},
        {0xD800},
        {0xDFFF},
        {0xDBFF, 0xDBFF, 0xDC00},
        {0xDC00, 0xD800},
        {0xD800, 0x0041, 0xDC00},
        {0xD83D, 0xDE00, 0xD83D, 0xDE01},
    };
    const WString fillers[] = {widen("\xC3\xA9\xE3\x81\x82z\xCE\xB1"), widen("abcdefg")};
    for (const auto& filler : fillers) {
        for (const auto& pattern : kPatterns) {
            for (size_t offset = 0; offset <= 34; ++offset) {
                WString text;
                while (text.size() < offset) text += filler[text.size() % filler.size()];
                text += pattern;
                checkEveryRoom(text);  // the pattern at the end
                for (size_t k = 0; k < 36; ++k) text += filler[k % filler.size()];
                checkEveryRoom(text);
            }
        }
    }
}

// Texts of every length from every unit offset of a 128-byte block, with units whose low
// or high byte is 0 and more text after the terminator, along every path.
TEST(WideLength, EveryLengthFromEveryOffset) {
    EXPECT_EQ(quillpen::wideLength(nullptr), 0);
    const qp_wchar kUnits[] = {0x0041, 0x0100, 0x3000, 0xFFFF, 0x00E9, 0xD83D, 0x0001};
    struct alignas(128) Line {
        qp_wchar units[1024];
    };
    static Line line;
    for (size_t offset = 0; offset < 72; ++offset) {
        for (size_t length = 0; length <= 300; ++length) {
            for (size_t k = 0; k < 1024; ++k) line.units[k] = kUnits[k % 7];
            line.units[offset + length] = 0;
            ASSERT_EQ(quillpen::wideLength(line.units + offset), static_cast<int>(length))
                << "offset " << offset;
            for (const UtfPath path : paths()) {
                ASSERT_EQ(quillpen::wideLengthOn(path, line.units + offset),
                          static_cast<int>(length))
                    << pathName(path) << ", offset " << offset;
            }
        }
    }
    for (const UtfPath path : paths()) EXPECT_EQ(quillpen::wideLengthOn(path, nullptr), 0);
}

// Texts that end with the last unit of a page whose next page cannot be read: the loads
// past the terminator stay within its page.
TEST(WideLength, TextsEndingAtAPageEnd) {
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
    auto* units = reinterpret_cast<qp_wchar*>(base);
    const size_t count = page / sizeof(qp_wchar);
    for (size_t length = 0; length < 300; ++length) {
        qp_wchar* text = units + count - 1 - length;
        for (size_t k = 0; k < length; ++k) text[k] = static_cast<qp_wchar>(0x0100 + k);
        text[length] = 0;
        EXPECT_EQ(quillpen::wideLength(text), static_cast<int>(length));
        for (const UtfPath path : paths())
            EXPECT_EQ(quillpen::wideLengthOn(path, text), static_cast<int>(length))
                << pathName(path);
    }
#if defined(_WIN32)
    VirtualFree(base, 0, MEM_RELEASE);
#else
    munmap(base, 2 * page);
#endif
}

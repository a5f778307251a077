// The UTF-8 conversion's encodings and its bounded destination.
#include "core/utf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/session_fixture.h"

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

// Eight-unit blocks of every length, a block with a surrogate pair and a short tail, into
// every destination size: the whole characters that fit, the NUL, nothing past dstSize.
TEST(Utf8, MixedBlocksIntoEveryRoom) {
    const std::u32string chars =
        U"a\u00E9\u3042b\u07FF\u0800\u007F\u0080"            // one ASCII-led block of each length
        U"ABCDEFGH"                                          // an ASCII block
        U"\u3042\u3044\u3046\u3048\u304A\u304B\u304D\u304F"  // the widest block
        U"\uFFFF\u0800\u00E9z\u3042\u3042\u3042\u3042"
        U"x\U0001F600yz\u00E9\u00E9\u00E9"  // a block with a surrogate pair
        U"\u3042q";
    WString text;
    std::vector<std::string> pieces;
    for (const char32_t c : chars) {
        char bytes[4];
        pieces.emplace_back(bytes, quillpen::utf32ToUtf8(c, bytes));
        if (c >= 0x10000) {
            text += static_cast<qp_wchar>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<qp_wchar>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<qp_wchar>(c);
        }
    }
    std::string whole;
    for (const auto& piece : pieces) whole += piece;
    for (int dstSize = 1; dstSize <= static_cast<int>(whole.size()) + 4; ++dstSize) {
        std::string expected;
        for (const auto& piece : pieces) {
            if (expected.size() + piece.size() > static_cast<size_t>(dstSize - 1)) break;
            expected += piece;
        }
        char out[128];
        std::memset(out, '#', sizeof out);
        const int result = quillpen::utf16ToUtf8(text.c_str(), out, dstSize);
        EXPECT_EQ(result, expected == whole ? static_cast<int>(whole.size()) : -1) << dstSize;
        EXPECT_EQ(std::string(out), expected) << dstSize;
        for (size_t k = static_cast<size_t>(dstSize); k < sizeof out; ++k)
            ASSERT_EQ(out[k], '#') << "dstSize " << dstSize << " byte " << k;
    }
}

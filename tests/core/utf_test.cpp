// The UTF-8 conversion's encodings and its bounded destination.
#include "core/utf.h"

#include <gtest/gtest.h>

#include <cstring>

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

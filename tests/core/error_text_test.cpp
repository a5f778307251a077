// System texts lose their closing CR LF, and only that, before any cut to fit.
#include "core/error_text.h"

#include <gtest/gtest.h>

#include "support/session_fixture.h"

namespace {
WString cut(const WString& text, int room) {
    qp_wchar out[2048];
    const int n = quillpen::cutSystemText(text.c_str(), out, room);
    EXPECT_EQ(n, static_cast<int>(WString(out).size()));
    return out;
}
}  // namespace

TEST(SystemText, LosesItsLastTwoUnitsBeforeAnyCut) {
    EXPECT_EQ(cut(W("Access is denied.\r\n"), 1024), W("Access is denied."));
    EXPECT_EQ(cut(W("x"), 1024), W("x"));  // too short to end in CR LF: kept whole
    EXPECT_EQ(cut(W("\r\n"), 1024), W(""));
    EXPECT_EQ(cut(W(""), 1024), W(""));
    qp_wchar out[4] = {'k', 'k', 'k', 'k'};
    EXPECT_EQ(quillpen::cutSystemText(nullptr, out, 4), 0);
    EXPECT_EQ(out[0], 0);
    // 1030 units with CR LF: 1028 units of text, of which the first 1023 fit.
    WString longText = repeat(W('a'), 1022) + W("bcdefg") + W("\r\n");
    EXPECT_EQ(cut(longText, 1024), repeat(W('a'), 1022) + W("b"));
}

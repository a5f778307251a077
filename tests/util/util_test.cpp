// The host's message boxes and the stopwatch.
#include "dumps/file_rows.h"

namespace {
std::string elapsed(const std::string& label, const std::string& seconds) {
    return kInfoBanner + "[" + label + "] 経過時間=" + seconds + "[秒]\r\n";
}
const std::string kTooLong =
    "profileTimeStart() prefix文字列は128バイトまでです。バッファオーバ・サイズエラー\r\n";
}  // namespace

TEST_F(SessionTest, MessageBoxes) {
    setBoxAnswer(IDCANCEL);
    const WString m255 = repeat(W('m'), 255), t255 = repeat(W('t'), 255);
    const WString m256 = m255 + W("m"), t256 = t255 + W("t");
    // 255 units pass, 256 are refused (a refused text's title is not examined): in a box
    // without a session, in the file with one.
    msgBox(m255.c_str(), t255.c_str());
    EXPECT_EQ(msgBoxOkCancel(m255.c_str(), t255.c_str()), IDCANCEL);
    msgBox(m256.c_str(), nullptr);
    EXPECT_EQ(msgBoxOkCancel(W(""), t256.c_str()), 0);
    ASSERT_EQ(open(), 1);
    msgBox(W(""), W(""));
    msgBox(W("m"), t256.c_str());
    EXPECT_EQ(msgBoxOkCancel(m256.c_str(), W("t")), 0);
    logTerm();
    const std::string shown = std::string(255, 't') + ": " + std::string(255, 'm');
    EXPECT_EQ(boxes(), (std::vector<std::string>{shown, shown, sizeBox("msgBox() msg", 510, 512),
                                                 sizeBox("msgBoxOkCancel() ttl", 510, 512), ": "}));
    EXPECT_EQ(readLog(), sessionLines(logPath(), sizeLine("msgBox() ttl", 510, 512) +
                                                     sizeLine("msgBoxOkCancel() msg", 510, 512)));
}

TEST_F(FileRows, Stopwatch) {
    profileTimeStart(W("early"));  // before the session: the stopwatch belongs to the process
    advanceTicks(20000000);
    // Whole milliseconds, truncated; stops are splits of one start; a clock set back. 127
    // units are kept whole, 128 keep their first 127, 129 are refused: the label is emptied
    // and the earlier start kept. A label is text, not a format.
    check({{0, 0, 0,
            [] {
                profileTimeStop();
                profileTimeStart(W("load")), advanceTicks(12345678), profileTimeStop();
                advanceTicks(19999000 - 12345678), profileTimeStop();
                profileTimeStart(W("fast")), advanceTicks(9999), profileTimeStop();
                profileTimeStart(W("back")), advanceTicks(-12345678), profileTimeStop();
                profileTimeStart(repeat(W('a'), 127).c_str()), profileTimeStop();
                profileTimeStart((repeat(W('b'), 127) + W("Z")).c_str()), advanceTicks(10000000);
                profileTimeStop(), profileTimeStart(repeat(W('c'), 129).c_str()), profileTimeStop();
                profileTimeStart(W("100%s%d%n")), profileTimeStop();
            },
            elapsed("early", "2.000000") + elapsed("load", "1.234000") +
                elapsed("load", "1.999000") + elapsed("fast", "0.000000") +
                elapsed("back", "-1.234000") + elapsed(std::string(127, 'a'), "0.000000") +
                elapsed(std::string(127, 'b'), "1.000000") + kInfoBanner + kTooLong +
                elapsed("", "1.000000") + elapsed("100%s%d%n", "0.000000")}});
}

// A line is composed straight into UTF-8 in one pass, measured in UTF-16 units as it goes.
// It must give the bytes of its message formatted into a wide buffer and then converted, so
// each generated line is checked against that: literals and texts of every UTF-8 length,
// surrogates paired and lone (across conversions too), flags and widths, bare conversions
// and the general ones, and texts either side of the line's limit.
#include <random>
#include <string>
#include <vector>

#include "core/format.h"
#include "support/session_fixture.h"
#include "text/utf.h"

namespace {
// What `_log(format, number, text)` writes in stamp mode 0, from the message formatted into
// UTF-16 and converted: the line, or the refusal of a message or line over 4223 units.
std::string generalLine(const WString& format, int32_t number, const qp_wchar* text) {
    std::vector<qp_wchar> message(4224);
    const int units = quillpen::formatWide(message.data(), 4224, format.c_str(), number, text);
    if (units < 0 || quillpen::wideLength(message.data()) + 4 > 4223)
        return "[SYSLOG][■--CRETICAL--■] func={_log() format} "
               "展開後の行が4223文字を超えました、ログ出力できません\r\n";
    std::vector<char> bytes(9216);
    const int n = quillpen::utf16ToUtf8(message.data(), bytes.data(), 9216);
    EXPECT_GE(n, 0);
    return line0(std::string(bytes.data(), static_cast<size_t>(n)));
}

template <typename T, size_t N>
const T& pick(std::mt19937& gen, const T (&items)[N]) {
    return items[gen() % N];
}
}  // namespace

TEST_F(SessionTest, LinesAreTheirUtf16MessagesConverted) {
    ASSERT_EQ(open(), 1);
    const qp_wchar highLone[] = {0xD800, 'x', 0};
    const qp_wchar lowLone[] = {0xDC00, 0};
    const WString kLiterals[] = {
        W(""),
        W("count="),
        W(" user="),
        W("é"),
        W("日本語"),
        W("|[]"),
        W("%%"),
        W("\U0001F600"),
        highLone,
        lowLone,
        W("ab\u07FF\u0800\uFFFF"),
        repeat('L', 9),
    };
    const WString kNumberConversions[] = {
        W("%d"),  W("%i"),   W("%u"),  W("%x"), W("%X"),   W("%5d"), W("%05d"),
        W("%ld"), W("%08X"), W("%9u"), W("%c"), W("%-4d"), W("%+d"), W("%.3d"),
    };
    const WString kTextConversions[] = {W("%s"),   W("%ls"),  W("%10s"),
                                        W("%-6s"), W("%.2s"), W("%ws")};
    const int32_t kNumbers[] = {0, 7, 12345, -1, INT32_MIN, INT32_MAX, 0x41, 0x3042};
    // Texts up to the one-pass bound (some 4,205 bytes of message in stamp mode 0) and to
    // the refusal of a line over 4223 units just past it.
    std::vector<WString> texts = {W(""),
                                  W("anna"),
                                  W("é日"),
                                  W("\U0001F600"),
                                  highLone,
                                  repeat(0x00E9, 1500),
                                  repeat('a', 3000)};
    for (size_t units = 4150; units <= 4225; units += 3) texts.push_back(repeat('t', units));
    std::mt19937 gen(2026);
    std::string expected;
    for (int i = 0; i < 600; ++i) {
        const WString format = pick(gen, kLiterals) + pick(gen, kNumberConversions) +
                               pick(gen, kLiterals) + pick(gen, kTextConversions) +
                               pick(gen, kLiterals);
        const int32_t number = pick(gen, kNumbers);
        const qp_wchar* text = i % 50 == 0 ? nullptr : texts[gen() % texts.size()].c_str();
        _log(format.c_str(), number, text);
        expected += generalLine(format, number, text);
    }
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), expected));
}

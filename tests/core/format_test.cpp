// The printf engine, row by row: a format and its arguments give exactly these units and
// read exactly these arguments (i int32, L int64, d double, p pointer). "<cut>" marks a
// result of -1 from a buffer of `count` units; nothing past `count` is ever written.
#include "core/format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "support/widen.h"

#define W(s) QP_TEXT(s)

namespace {
// An argument of any type the rows pass;  gives a pointer from its value.
struct Arg {
    Arg(int v) : i(v) {}
    Arg(long long v) : i(v) {}
    Arg(double v) : d(v) {}
    Arg(const void* v) : p(v) {}
    int64_t i = 0;
    double d = 0;
    const void* p = nullptr;
};
Arg P(uintptr_t v) { return reinterpret_cast<const void*>(v); }

// The values in order, logging each read; zeros and nulls past the end.
class ListArgs final : public quillpen::FormatArgs {
   public:
    explicit ListArgs(const std::vector<Arg>& values) : values_(values) {}
    int32_t nextInt32() override { return static_cast<int32_t>(next('i').i); }
    int64_t nextInt64() override { return next('L').i; }
    double nextDouble() override { return next('d').d; }
    const void* nextPointer() override { return next('p').p; }
    std::string reads;

   private:
    Arg next(char kind) {
        reads += kind;
        return reads.size() <= values_.size() ? values_[reads.size() - 1] : Arg(0);
    }
    const std::vector<Arg>& values_;
};

template <typename Ch>
struct Row {
    const Ch* format;
    std::string expected;  // UTF-8 for a wide format
    const char* reads;
    std::vector<Arg> args;
    int count = 512;
};
template <typename Ch, typename... A>
Row<Ch> R(const Ch* format, std::string expected, const char* reads, A... args) {
    return {format, expected, reads, {args...}};
}
// The row into a buffer of `count` units.
template <typename Ch>
Row<Ch> in(int count, Row<Ch> row) {
    row.count = count;
    return row;
}

template <typename Ch>
void check(const std::vector<Row<Ch>>& rows) {
    for (const Row<Ch>& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows.data()));
        Ch buf[640];
        std::fill(buf, buf + 640, Ch('Z'));
        ListArgs args(row.args);
        int n;
        std::basic_string<Ch> expected;
        if constexpr (std::is_same_v<Ch, char>) {
            n = quillpen::formatNarrowArgs(buf, row.count, row.format, args);
            expected = row.expected;
        } else {
            n = quillpen::formatWideArgs(buf, row.count, row.format, args);
            expected = widen(row.expected);
        }
        std::basic_string<Ch> text = row.count > 0 ? buf : std::basic_string<Ch>();
        EXPECT_TRUE(n < 0 || n == static_cast<int>(text.size())) << n;
        for (char c : std::string(n < 0 ? "<cut>" : "")) text += Ch(c);
        EXPECT_EQ(text, expected);
        EXPECT_EQ(args.reads, row.reads);
        for (int i = std::max(row.count, 0); i < 640; ++i) ASSERT_EQ(buf[i], Ch('Z')) << i;
    }
}

const char kUnterminated[3] = {'a', 'b', 'c'};  // the precision must stop the read
const WCHAR kLone[] = {'a', 0xD800, 'b', 0xDC00, 'c', 0xDBFF, 0};
// Every UTF-8 length; U+10000 is D800 DC00, a low half of exactly 0xDC00.
const WCHAR* const kText = W("A\u00e9\u3042\U0001F600\U00010000\U0010FFFF");
const std::string kUtf8 = "Aéあ\U0001F600\U00010000\U0010FFFF";
const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();
}  // namespace

TEST(Format, NarrowRows) {
    check<char>({
        R("%d|%i|%u|%d|%d|%ld|%I32d|%wd|%lx|%li",
          "-42|7|4294967295|100|0|-2147483648|5|6|ffffffff|9", "iiiiiiiiii", -42, 7, -1, 100, 0,
          INT32_MIN, 5, 6, -1, 9),
        R("%hd %hu %hhd %hhu %hhd", "1 65535 -1 7 -128", "iiiii", 65537, -1, 255, 263, 128),
        R("%lld %llu %I64X %Id %zu %td %jd %Lu",
          "-9223372036854775808 18446744073709551615 ABCDEF0123 -1 1099511627776 -2 "
          "9223372036854775807 3",
          "LLLLLLLL", LLONG_MIN, -1, 0xABCDEF0123LL, -1, 1LL << 40, -2, LLONG_MAX, 3),
        R("%5d|%-5d|%05d|%+d|% d|%+d|%+u|% u|%-05d", "   42|42   |-0042|+42| 42|-3|5|5|7    ",
          "iiiiiiiii", 42, 42, -42, 42, 42, -3, 5, 5, 7),
        R("%.3d|%.0d|%.0d|%08.3d|%-+6d|%.d|%05.0d", "007||1|     005|+9    ||    3", "iiiiiii", 7,
          0, 1, 5, 9, 0, 3),
        R("%#o|%#o|%#x|%#x|%#X|%#08x|%#.3o", "010|0|0xff|0|0XFF|0x0000ff|010", "iiiiiii", 8, 0, 255,
          0, 255, 255, 8),
        // '*' reads the width, then the precision; a '*' precision of 0 is a precision.
        R("%*d|%*d|%.*d|%.*d|%-*d|%.*d|", "   42|42   |007|0|1   ||", "iiiiiiiiiiii", 5, 42, -5, 42,
          3, 7, -1, 0, -4, 1, 0, 0),
        R("[%.*s][%.*f][%.*ls][%*.*f]", "[][2][][   1.2]", "ipidipiid", 0, "abc", 0, 2.5, 0, W("x"),
          6, 1, 1.25),
        R("%p|[%20p]|[%-18p]|%p",
          "000000000012ABCD|[    000000000012ABCD]|[000000000012ABCD  ]|FEDCBA9876543210", "pppp",
          P(0x12ABCD), P(0x12ABCD), P(0x12ABCD), P(0xFEDCBA9876543210ULL)),
        R("%s|%5s|%-5s|%.2s|%.*s|%Ts|%hs|%.3s", "abc|  abc|abc  |ab|a|x|y|abc", "ppppipppp", "abc",
          "abc", "abc", "abc", 1, "abc", "x", "y", kUnterminated),
        R("%c%hc%Tc|%3c|%-3c|%C", "abc|  d|e  |あ", "iiiiii", 'a', 'b', 'c', 'd', 'e', 0x3042),
        // '0' pads strings and characters with zeros, as the Windows runtime does.
        R("%05s|%03c|%-05s|%-03c|%05.1s|%02s|%04ls|%03hs", "000ab|00x|ab   |x  |0000a|abc|00é|00y",
          "pipipppp", "ab", 'x', "ab", 'x', "ab", "abc", W("\u00e9"), "y"),
        // UTF-16 strings become UTF-8; precision and width count bytes of whole characters.
        R("%ls|%ws|%S|%ls|%ls", kUtf8 + "|" + kUtf8 + "|" + kUtf8 + "|abc|(null)", "ppppp", kText,
          kText, kText, kLone, nullptr),
        R("%.6ls|%.5ls|%.9ls|[%7ls][%-5ls]", "Aéあ|Aé|Aéあ|[    あ][あ  ]", "ppppp", kText, kText,
          kText, W("\u3042"), W("\u3042")),
        R("%lc|%wc|%C|[%lc][%lc][%lc][%3lc]", "あ|é|x|[][][][  y]", "iiiiiii", 0x3042, 0xE9, 'x',
          0xD800, 0xDC00, 0xDFFF, 'y'),
        // Cuts: whole characters only, and nothing after a cut, not even padding.
        in(4, R("%ls", "aé", "p", W("a\u00e9"))),
        in(4, R("%ls", "a<cut>", "p", W("a\u3042"))),
        in(4, R("%-6ls", "ab<cut>", "p", W("ab\U0001F600"))),
        in(6, R("hello", "hello", "")),
        in(5, R("hello", "hell<cut>", "")),
        in(4, R("%8d", "   <cut>", "i", 1)),
        in(1, R("a", "<cut>", "")),
        in(0, R("a", "<cut>", "")),
        // Fields far past any buffer are clamped and cut, not spun through.
        in(16, R("%999999999d", std::string(15, ' ') + "<cut>", "i", 1)),
        in(16, R("%.999999999d", std::string(15, '0') + "<cut>", "i", 1)),
        in(16, R("%*d", std::string(15, ' ') + "<cut>", "ii", INT32_MAX, 1)),
        // Conversions not honoured are copied as they stand and read nothing.
        R("%n|%5.2n|%*n|%hn|%lln|%q|%y %d", "%n|%5.2n|%*n|%hn|%lln|%q|%y 7", "i", 7),
        R("%I6x|%hld|%Td|%TS|%llf|%hf|%Tc", "%I6x|%hld|%Td|%TS|%llf|%hf|z", "i", 'z'),
        R("%%|100%%|%5%|%*%", "%|100%|%|%", "", 9),
        R("abc%", "abc%", ""),
        R("%-08.3l", "%-08.3l", ""),
        // Floats: the stored value's exact digits, rounded half to even.
        R("%f|%lf|%Lf|%F", "1.500000|1.234000|2.000000|0.250000", "dddd", 1.5, 1.234, 2.0, 0.25),
        R("%.3f|%.2f|%.2f|%.0f|%.0f|%.0f", "2.000|2.00|2.67|0|2|2", "dddddd", 1.9995, 1.9995, 2.675,
          0.5, 1.5, 2.5),
        R("%f|%+.1f|% .1f|%f", "-1.500000|+2.0| 2.0|-0.000000", "dddd", -1.5, 2.0, 2.0, -0.0),
        R("%e|%E|%.2e|%e|%e", "1.500000e+01|1.500000E+01|1.23e-04|0.000000e+00|1.000000e+100",
          "ddddd", 15.0, 15.0, 0.000123456, 0.0, 1e100),
        R("%g|%g|%g|%g|%G|%g|%.3g|%.0g|%g|%g|%g|%.11g",
          "0.0001|1e-05|100000|1e+06|1E-10|0|3.14|2e+01|1e+06|1e+100|1.5e+15|10000000000",
          "dddddddddddd", 0.0001, 1e-5, 100000.0, 1e6, 1e-10, 0.0, 3.14159, 25.0, 999999.5, 1e100,
          1.5e15, 1e10),
        R("%#g|%#.0f|%#.0e|%a|%A|%.2a|%.0a", "1.00000|1.|1.e+00|0x1p+0|0X1P-1|0x1.00p+0|0x2p+0",
          "ddddddd", 1.0, 1.0, 1.0, 1.0, 0.5, 1.0, 1.5),
        R("%010.2f|%-8.2f|%8.2f|%+010.1e", "-000003.14|1.50    |    1.50|+002.5e+01", "dddd",
          -3.14159, 1.5, 1.5, 25.0),
        R("%f|%f|%F|%f|%E|%G|%05f|%+f|%f", "inf|-inf|INF|nan|NAN|-INF|  inf|+inf|nan", "ddddddddd",
          kInf, -kInf, kInf, kNan, kNan, -kInf, kInf, kInf, -kNan),
        R("%.200f",
          "0.1000000000000000055511151231257827021181583404541015625" + std::string(145, '0'), "d",
          0.1),
    });
}

TEST(Format, WideRows) {
    check<WCHAR>({
        R(W("%s|%5s|%.2s|%Ts|%ls|%ws"), "abc|  abc|ab|x|y|z", "pppppp", W("abc"), W("abc"),
          W("abc"), W("x"), W("y"), W("z")),
        R(W("%hs|%S|%s|%hs|%.3hs"), "café|café|(null)|(null)|(nu", "ppppp", "café", "café", nullptr,
          nullptr, nullptr),
        // Byte strings decode as UTF-8, every length; width counts UTF-16 units.
        R(W("%hs|[%3hs][%-3hs]"), kUtf8 + "|[ \U0001F600][é  ]", "ppp", kUtf8.c_str(), "\U0001F600",
          "é"),
        // Invalid bytes (a lone continuation, stray, cut, overlong, an encoded surrogate,
        // past U+10FFFF, cut by the end) become the units of their values.
        R(W("%hs"),
          "a\u00BF\u00FF\u00C3(\u00C0\u0080\u00ED\u00A0\u0080\u00E0\u0080\u0080\u00F4"
          "\u0090\u0080\u0080\u00E3\u0081",
          "p", "a\xBF\xFF\xC3(\xC0\x80\xED\xA0\x80\xE0\x80\x80\xF4\x90\x80\x80\xE3\x81"),
        R(W("%.4hs|%.5hs"), "ab|abあ", "pp", "abあ", "abあ"),
        R(W("%c|%lc|%hc|%C|%Tc|%hc|%wc"), "あ|b|c|é|e|é|あ", "iiiiiii", 0x3042, 'b', 'c', 0xE9, 'e',
          0xE9, 0x3042),
        R(W("%05s|%03c|%-03C|%04hs"), "000\U0001F600|00あ|z  |000é", "piip", W("\U0001F600"),
          0x3042, 'z', "é"),
        R(W("ログ出力 %d 件|%n %k%\u0164%\u0080%"), "ログ出力 3 件|%n %k%\u0164%\u0080%", "i", 3),
        in(3, R(W("%hs"), "a<cut>", "p", "a\U0001F600")),
        in(5, R(W("hello"), "hell<cut>", "")),
    });
}

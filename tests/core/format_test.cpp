#include "core/format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "quillpen.h"

#define W(s) QP_TEXT(s)

namespace {

using WString = std::basic_string<WCHAR>;

struct Arg {
    int64_t i = 0;
    double d = 0;
    const void* p = nullptr;
};
Arg I(int32_t v) { return {v, 0, nullptr}; }
Arg L(int64_t v) { return {v, 0, nullptr}; }
Arg D(double v) { return {0, v, nullptr}; }
Arg P(const void* v) { return {0, 0, v}; }
Arg P(uintptr_t v) { return {0, 0, reinterpret_cast<const void*>(v)}; }

// A fixed list of values; logs each read as i (int32), L (int64), d (double) or p (pointer)
// and yields zeros and nulls past the end.
class ListArgs final : public quillpen::FormatArgs {
   public:
    explicit ListArgs(std::vector<Arg> values) : values_(std::move(values)) {}
    int32_t nextInt32() override { return static_cast<int32_t>(next('i').i); }
    int64_t nextInt64() override { return next('L').i; }
    double nextDouble() override { return next('d').d; }
    const void* nextPointer() override { return next('p').p; }

    std::string reads;

   private:
    Arg next(char kind) {
        reads += kind;
        return reads.size() <= values_.size() ? values_[reads.size() - 1] : Arg{};
    }
    std::vector<Arg> values_;
};

std::string N(const char* format, std::vector<Arg> values = {}, std::string* reads = nullptr) {
    char buf[512];
    ListArgs args(std::move(values));
    const int n = quillpen::formatNarrowArgs(buf, sizeof buf, format, args);
    if (reads) *reads = args.reads;
    return n < 0 ? "<cut>" : std::string(buf, static_cast<size_t>(n));
}

WString Wf(const WCHAR* format, std::vector<Arg> values = {}, std::string* reads = nullptr) {
    WCHAR buf[512];
    ListArgs args(std::move(values));
    const int n = quillpen::formatWideArgs(buf, 512, format, args);
    if (reads) *reads = args.reads;
    return n < 0 ? W("<cut>") : WString(buf, static_cast<size_t>(n));
}

WString units(std::initializer_list<int> list) {
    WString s;
    for (int u : list) s += static_cast<WCHAR>(u);
    return s;
}

}  // namespace

TEST(Format, IntegerSizesAndConversions) {
    EXPECT_EQ(N("%d|%i|%u", {I(-42), I(7), I(-1)}), "-42|7|4294967295");
    EXPECT_EQ(N("%x %X %o %d", {I(255), I(0xBEEF), I(8), I(0)}), "ff BEEF 10 0");
    EXPECT_EQ(N("%hd %hu %hhd %hhu", {I(65537), I(-1), I(255), I(263)}), "1 65535 -1 7");
    EXPECT_EQ(N("%lld %llu", {L(INT64_MIN), L(-1)}), "-9223372036854775808 18446744073709551615");
    EXPECT_EQ(N("%ld %I32d %wd %lx", {I(INT32_MIN), I(5), I(6), I(-1)}),
              "-2147483648 5 6 ffffffff");
    EXPECT_EQ(N("%I64X %Id %zu %td %jd %Lu",
                {L(0xABCDEF0123LL), L(-1), L(1LL << 40), L(-2), L(INT64_MAX), L(3)}),
              "ABCDEF0123 -1 1099511627776 -2 9223372036854775807 3");
    std::string reads;
    N("%d %ld %hd %hhd %wd %I32d %lld %I64d %Id %zd %td %jd %Ld", {}, &reads);
    EXPECT_EQ(reads, "iiiiiiLLLLLLL");
}

TEST(Format, IntegerFlagsWidthAndPrecision) {
    EXPECT_EQ(N("%5d|%-5d|%05d|%+d|% d|%+d|%+u", {I(42), I(42), I(-42), I(42), I(42), I(-3), I(5)}),
              "   42|42   |-0042|+42| 42|-3|5");
    EXPECT_EQ(N("%.3d|%.0d|%.0d|%08.3d|%-+6d|", {I(7), I(0), I(1), I(5), I(9)}),
              "007||1|     005|+9    |");
    EXPECT_EQ(N("%#o|%#o|%#x|%#x|%#X|%#08x", {I(8), I(0), I(255), I(0), I(255), I(255)}),
              "010|0|0xff|0|0XFF|0x0000ff");
    EXPECT_EQ(N("%*d|%*d|%.*d|%.*d|%-*d|",
                {I(5), I(42), I(-5), I(42), I(3), I(7), I(-1), I(0), I(-4), I(1)}),
              "   42|42   |007|0|1   |");
    EXPECT_EQ(N("%04d-%02d-%02d %02d:%02d:%02d:[%s]%s",
                {I(2024), I(3), I(7), I(9), I(5), I(0), P("INFO"), P("started")}),
              "2024-03-07 09:05:00:[INFO]started");
}

TEST(Format, PointersAreSixteenUpperHexDigits) {
    EXPECT_EQ(N("%p", {P(uintptr_t{0x12ABCD})}), "000000000012ABCD");
    EXPECT_EQ(N("[%20p]", {P(uintptr_t{0x12ABCD})}), "[    000000000012ABCD]");
    EXPECT_EQ(N("[%-18p]", {P(uintptr_t{0x12ABCD})}), "[000000000012ABCD  ]");
    EXPECT_EQ(N("%p", {P(nullptr)}), "0000000000000000");
    EXPECT_EQ(Wf(W("%p"), {P(uintptr_t{0xFEDCBA9876543210ULL})}), W("FEDCBA9876543210"));
}

TEST(Format, ByteStringsAndCharacters) {
    EXPECT_EQ(N("%s|%5s|%-5s|%.2s|%.*s|%Ts|%hs",
                {P("abc"), P("abc"), P("abc"), P("abc"), I(1), P("abc"), P("x"), P("y")}),
              "abc|  abc|abc  |ab|a|x|y");
    EXPECT_EQ(N("%s|%.3s|%8s|%-7s|", {P(nullptr), P(nullptr), P(nullptr), P(nullptr)}),
              "(null)|(nu|  (null)|(null) |");
    const char unterminated[3] = {'a', 'b', 'c'};  // precision must stop the read
    EXPECT_EQ(N("%.3s", {P(unterminated)}), "abc");
    EXPECT_EQ(N("%c%hc%Tc|%3c|%-3c|", {I('a'), I('b'), I('c'), I('d'), I('e')}), "abc|  d|e  |");
    // The '0' flag pads strings and characters with zeros, as the Windows runtime does;
    // '-' wins over it.
    EXPECT_EQ(N("%05s|%03c|%-05s|%-03c|%05.1s|%02s|%04ls|%03hs",
                {P("ab"), I('x'), P("ab"), I('x'), P("ab"), P("abc"), P(W("\u00e9")), P("y")}),
              "000ab|00x|ab   |x  |0000a|abc|00\xC3\xA9|00y");
}

TEST(Format, Utf16StringsBecomeUtf8InNarrowFormats) {
    const WCHAR* text = W("A\u00e9\u3042\U0001F600");
    const std::string utf8 = "A\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80";
    EXPECT_EQ(N("%ls", {P(text)}), utf8);
    EXPECT_EQ(N("%ws|%S", {P(text), P(text)}), utf8 + "|" + utf8);
    // Precision counts bytes and never splits a character.
    EXPECT_EQ(N("%.6ls|%.5ls|%.9ls", {P(text), P(text), P(text)}),
              "A\xC3\xA9\xE3\x81\x82|A\xC3\xA9|A\xC3\xA9\xE3\x81\x82");
    EXPECT_EQ(N("[%7ls][%-5ls]", {P(W("\u3042")), P(W("\u3042"))}),
              "[    \xE3\x81\x82][\xE3\x81\x82  ]");
    const WCHAR lone[] = {'a', 0xD800, 'b', 0xDC00, 0};
    EXPECT_EQ(N("%ls|%ls", {P(lone), P(nullptr)}), "ab|(null)");
    EXPECT_EQ(N("%lc|%wc|%C|[%lc]", {I(0x3042), I(0xE9), I('x'), I(0xD800)}),
              "\xE3\x81\x82|\xC3\xA9|x|[]");
    char buf[8];
    ListArgs args({P(W("a\u3042"))});
    EXPECT_EQ(quillpen::formatNarrowArgs(buf, 4, "%ls", args), -1);
    EXPECT_STREQ(buf, "a");  // no half character at the cut
}

TEST(Format, WideFormats) {
    EXPECT_EQ(
        Wf(W("%s|%5s|%.2s|%Ts|%ls"), {P(W("abc")), P(W("abc")), P(W("abc")), P(W("x")), P(W("y"))}),
        W("abc|  abc|ab|x|y"));
    EXPECT_EQ(Wf(W("%hs|%S|%s|%hs"), {P("caf\xC3\xA9"), P("caf\xC3\xA9"), P(nullptr), P(nullptr)}),
              W("caf\u00e9|caf\u00e9|(null)|(null)"));
    EXPECT_EQ(Wf(W("[%3hs]"), {P("\xF0\x9F\x98\x80")}), W("[ \U0001F600]"));
    // Invalid bytes (stray, overlong, encoded surrogate) become the units of their values.
    EXPECT_EQ(Wf(W("%hs"), {P("a\xFF\xC3(\xC0\x80\xED\xA0\x80\xE0\x80\x80")}),
              units({'a', 0xFF, 0xC3, '(', 0xC0, 0x80, 0xED, 0xA0, 0x80, 0xE0, 0x80, 0x80}));
    EXPECT_EQ(Wf(W("%.4hs|%.5hs"), {P("ab\xE3\x81\x82"), P("ab\xE3\x81\x82")}), W("ab|ab\u3042"));
    EXPECT_EQ(Wf(W("%c|%lc|%hc|%C|%Tc|%hc"), {I(0x3042), I('b'), I('c'), I(0xE9), I('e'), I(0xE9)}),
              W("\u3042|b|c|\u00e9|e|\u00e9"));
    // Width counts UTF-16 units: a surrogate pair takes two.
    EXPECT_EQ(
        Wf(W("%05s|%03c|%-03C|%04hs"), {P(W("\U0001F600")), I(0x3042), I('z'), P("\xC3\xA9")}),
        W("000\U0001F600|00\u3042|z  |000\u00e9"));
    EXPECT_EQ(Wf(W("%05d %.2f %#x %lld"), {I(-42), D(1.5), I(255), L(-5)}),
              W("-0042 1.50 0xff -5"));
    EXPECT_EQ(Wf(W("ログ出力 %d 件"), {I(3)}), W("ログ出力 3 件"));
}

TEST(Format, Floats) {
    EXPECT_EQ(N("%f|%lf|%Lf|%F", {D(1.5), D(1.234), D(2.0), D(0.25)}),
              "1.500000|1.234000|2.000000|0.250000");
    // Rounding follows the stored value: 1.9995 lies just above the half, 2.675 just below;
    // exact halves go to even.
    EXPECT_EQ(N("%.3f|%.2f|%.2f|%.0f|%.0f|%.0f",
                {D(1.9995), D(1.9995), D(2.675), D(0.5), D(1.5), D(2.5)}),
              "2.000|2.00|2.67|0|2|2");
    EXPECT_EQ(N("%f|%+.1f|% .1f|%f", {D(-1.5), D(2.0), D(2.0), D(-0.0)}),
              "-1.500000|+2.0| 2.0|-0.000000");
    EXPECT_EQ(N("%e|%E|%.2e|%e|%e", {D(15.0), D(15.0), D(0.000123456), D(0.0), D(1e100)}),
              "1.500000e+01|1.500000E+01|1.23e-04|0.000000e+00|1.000000e+100");
    EXPECT_EQ(N("%g|%g|%g|%g|%G|%g|%.3g|%.0g",
                {D(0.0001), D(1e-5), D(100000), D(1e6), D(1e-10), D(0.0), D(3.14159), D(25)}),
              "0.0001|1e-05|100000|1e+06|1E-10|0|3.14|2e+01");
    EXPECT_EQ(N("%#g|%#.0f|%#.0e|%a|%A", {D(1.0), D(1.0), D(1.0), D(1.0), D(0.5)}),
              "1.00000|1.|1.e+00|0x1p+0|0X1P-1");
    EXPECT_EQ(N("%010.2f|%-8.2f|%8.2f|", {D(-3.14159), D(1.5), D(1.5)}),
              "-000003.14|1.50    |    1.50|");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(N("%f|%f|%F|%f|%E|%G|%05f|%+f|%f",
                {D(inf), D(-inf), D(inf), D(nan), D(nan), D(-inf), D(inf), D(inf), D(-nan)}),
              "inf|-inf|INF|nan|NAN|-INF|  inf|+inf|nan");
    // Every decimal asked for is printed, the exact expansion and then zeros.
    EXPECT_EQ(N("%.200f", {D(0.1)}),
              "0.1000000000000000055511151231257827021181583404541015625" + std::string(145, '0'));
    EXPECT_EQ(N("%.100f", {D(DBL_MAX)}).size(), 309u + 1 + 100);
    // 2^-1021 = 5^1021 / 10^1021: its 1021 decimals, then one zero; 1,024 characters.
    std::string fives = "1";
    for (int k = 0; k < 1021; ++k) {
        int carry = 0;
        for (auto d = fives.rbegin(); d != fives.rend(); ++d) {
            const int v = (*d - '0') * 5 + carry;
            *d = static_cast<char>('0' + v % 10);
            carry = v / 10;
        }
        if (carry) fives.insert(fives.begin(), static_cast<char>('0' + carry));
    }
    std::vector<char> tiny(2048);
    ASSERT_EQ(quillpen::formatNarrow(tiny.data(), 2048, "%.1022f", std::ldexp(1.0, -1021)), 1024);
    EXPECT_EQ(std::string(tiny.data()), "0." + std::string(1021 - fives.size(), '0') + fives + "0");
    const std::string big = N("%f", {D(1e300)});
    EXPECT_EQ(big.size(), 301u + 7);
    EXPECT_EQ(big.substr(0, 17) + big.substr(301), "10000000000000000.000000");
    std::string reads;
    N("%f %lf %Lf %e %g %a %*.*f", {}, &reads);
    EXPECT_EQ(reads, "ddddddiid");
}

TEST(Format, NeverWritesPastCount) {
    char buf[16];
    const auto run = [&buf](int count, const char* format, std::vector<Arg> values) {
        std::memset(buf, 'Z', sizeof buf);
        ListArgs args(std::move(values));
        return quillpen::formatNarrowArgs(buf, count, format, args);
    };
    const auto untouchedFrom = [&buf](int from) {
        for (int i = from; i < 16; ++i)
            if (buf[i] != 'Z') return false;
        return true;
    };
    EXPECT_EQ(run(6, "hello", {}), 5);
    EXPECT_STREQ(buf, "hello");
    EXPECT_TRUE(untouchedFrom(6));
    EXPECT_EQ(run(5, "hello", {}), -1);
    EXPECT_STREQ(buf, "hell");
    EXPECT_TRUE(untouchedFrom(5));
    EXPECT_EQ(run(6, "%d", {I(12345)}), 5);
    EXPECT_EQ(run(5, "%d", {I(12345)}), -1);
    EXPECT_STREQ(buf, "1234");
    EXPECT_EQ(run(4, "%8d", {I(1)}), -1);
    EXPECT_STREQ(buf, "   ");
    EXPECT_TRUE(untouchedFrom(4));
    EXPECT_EQ(run(1, "", {}), 0);
    EXPECT_EQ(run(1, "a", {}), -1);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_TRUE(untouchedFrom(1));
    EXPECT_EQ(run(0, "a", {}), -1);
    EXPECT_TRUE(untouchedFrom(0));
    EXPECT_EQ(run(-1, "a", {}), -1);
    EXPECT_TRUE(untouchedFrom(0));
    EXPECT_EQ(run(16, nullptr, {}), -1);
    EXPECT_EQ(buf[0], '\0');
    ListArgs none({});
    EXPECT_EQ(quillpen::formatNarrowArgs(nullptr, 16, "a", none), -1);
    // Absurd widths and precisions are clamped and cut, not spun through.
    EXPECT_EQ(run(16, "%999999999d", {I(1)}), -1);
    EXPECT_EQ(std::string(buf), std::string(15, ' '));
    EXPECT_EQ(run(16, "%.999999999d", {I(1)}), -1);
    EXPECT_EQ(std::string(buf), std::string(15, '0'));
    const std::string longText(1000, 'x');
    EXPECT_EQ(run(10, "%s", {P(longText.c_str())}), -1);
    EXPECT_EQ(std::string(buf), std::string(9, 'x'));
    // A character cut for room takes the padding that follows it along.
    const WCHAR smiley[] = {'a', 'b', 0xD83D, 0xDE00, 0};
    EXPECT_EQ(run(4, "%-6ls", {P(smiley)}), -1);
    EXPECT_EQ(std::string(buf), "ab");

    WCHAR wide[8];
    ListArgs wideArgs({});
    std::fill(wide, wide + 8, WCHAR('Z'));
    EXPECT_EQ(quillpen::formatWideArgs(wide, 6, W("hello"), wideArgs), 5);
    EXPECT_EQ(WString(wide), W("hello"));
    EXPECT_EQ(quillpen::formatWideArgs(wide, 5, W("hello"), wideArgs), -1);
    EXPECT_EQ(WString(wide), W("hell"));
    EXPECT_EQ(wide[6], WCHAR('Z'));
}

TEST(Format, InvalidSpecsAreCopiedAndReadNothing) {
    std::string reads;
    EXPECT_EQ(N("%n|%5.2n|%*n|%hn|%lln", {I(1)}, &reads), "%n|%5.2n|%*n|%hn|%lln");
    EXPECT_EQ(reads, "");
    EXPECT_EQ(N("%q|%y %d", {I(7)}, &reads), "%q|%y 7");
    EXPECT_EQ(reads, "i");
    EXPECT_EQ(N("abc%"), "abc%");
    EXPECT_EQ(N("%5"), "%5");
    EXPECT_EQ(N("%-08.3l"), "%-08.3l");
    EXPECT_EQ(N("%I6x|%hld|%Td|%TS|%llf|%hf", {}, &reads), "%I6x|%hld|%Td|%TS|%llf|%hf");
    EXPECT_EQ(reads, "");
    EXPECT_EQ(N("%%|100%%|%5%|%*%", {I(9)}, &reads), "%|100%|%|%");
    EXPECT_EQ(reads, "");
    // A wide unit whose low byte is 'd' is no conversion.
    EXPECT_EQ(Wf(W("%n %k%\u0164%"), {}, &reads), W("%n %k%\u0164%"));
    EXPECT_EQ(reads, "");
}

TEST(Format, ReadsOnlyTheArgumentsConversionsNeed) {
    std::string reads;
    N("%d %s %5.*f %*c %p %% %lc %hs", {}, &reads);
    EXPECT_EQ(reads, "ipidiipip");
    EXPECT_EQ(N("%d %s %f %p", {}, &reads), "0 (null) 0.000000 0000000000000000");
    EXPECT_EQ(reads, "ipdp");
}

namespace {
int narrowThroughVaList(char* dst, int count, const char* format, ...) {
    va_list list;
    va_start(list, format);
    const int n = quillpen::vformatNarrow(dst, count, format, list);
    va_end(list);
    return n;
}
}  // namespace

TEST(Format, VariadicEntryPoints) {
    char buf[64];
    EXPECT_EQ(quillpen::formatNarrow(buf, 64, "%d %lld %s %.1f %ls", 1, int64_t{-2}, "x", 2.5,
                                     W("\u3042")),
              14);
    EXPECT_STREQ(buf, "1 -2 x 2.5 \xE3\x81\x82");
    WCHAR wide[64];
    EXPECT_EQ(quillpen::formatWide(wide, 64, W("%d %s %hs %lf"), 3, W("z"), "b", 1.234), 14);
    EXPECT_EQ(WString(wide), W("3 z b 1.234000"));
    EXPECT_EQ(narrowThroughVaList(buf, 64, "%I64d|%5s", int64_t{INT64_MIN}, "ab"), 26);
    EXPECT_STREQ(buf, "-9223372036854775808|   ab");
}

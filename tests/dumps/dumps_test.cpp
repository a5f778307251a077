// The text dump, the hex dump and the UTF-8 decode table as the file receives them.
#include <algorithm>
#include <cstdio>

#include "dumps/file_rows.h"

namespace {
std::string start(const std::string& kind, int cnt) {
    return "\r\n---------- " + kind + "-start len=" + std::to_string(cnt) + "\r\n";
}
const std::string kPutEnd = "\r\n---------- logPut-end!!\r\n";
const std::string kWidth = "newLineCnt は 10-80の間で有効です newLineCnt=";
const std::string kTooLong =
    "} UTF-8変換後のサイズが上限を超えました、出力できません max=9215  utf8 size=9216\r\n";

// A decode table: header lines, each row with a trailer of the bytes so far, separator.
const std::string kSep = std::string(83, '-') + "\r\n";
std::string table(const std::string& prefix, int size, const std::vector<std::string>& rows,
                  const std::string& charSet = "UTF8(NoBom)") {
    std::string text =
        kSep + "addr={%p} prefix={" + prefix + "} charSet={" + charSet +
        "} size(BYTE)=" + std::to_string(size) +
        "\r\n00 01 02 03 04 05 06 07 |08 09 0A 0B 0C 0D 0E 0F |01234567|89ABCDEF| Dec   Hex\r\n" +
        kSep;
    for (size_t r = 0; r < rows.size(); ++r) {
        char trailer[20];
        const int cnt = std::min(16 * int(r + 1), size);
        std::snprintf(trailer, sizeof trailer, " %06d 0x%04x\r\n", cnt, cnt);
        text += rows[r] + trailer;
    }
    return text + kSep;
}
const std::string kBadByte =
    kErrorBanner + "utf8 1バイト文字の文字コードが不正です。line=230 utf8_setAsciiConpat() pb=";
const std::string kOver = kErrorBanner + "utf8 line=35 logDump_UTF8 サイズ・オーバー・エラー size=";
const std::string kOverEnd = " 8900バイト以上は出力できません!\r\n";
}  // namespace

TEST_F(FileRows, TextAndHexDumps) {
    const WString q9215 = repeat(W('q'), 9215), x81 = repeat(W('x'), 81);
    std::string q115;
    for (int line = 0; line < 115; ++line) q115 += std::string(80, 'q') + "\r\n";
    check({
        // Newline mode 1: CR ends the dumps' lines; mode 2: LF.
        {0, 1, 0, [] { logPut(W("abcdefghijkl"), 12, 1, 10); },
         "\r---------- logPut-start len=12\rabcdefghij\rkl\r---------- logPut-end!!\r"},
        {0, 2, 0, [] { logPutHex(W("abcdefghijkl"), 12, 1, 10); },
         "\n---------- logPutHex-start len=12\n61 62 63 64 65 66 67 68 69 6a \n6b 6c "
         "\n---------- logPutHex-end\n"},
        // Widths 10 and 80 pass, 81 not; cnt is only shown: 8190 and -5 pass, 8191 not.
        {0, 0, 0,
         [&] {
             logPut(W("0123456789A"), 11, 0, 10), logPut(x81.c_str(), 81, 0, 80);
             logPut(W("a"), 1, 0, 81), logPutHex(W("a"), 1, 0, 9);
             logPutHex(W("0123456789"), 10, 1, 10);
             logPut(W("abc"), 8190, 1, 10), logPut(W("abc"), 8191, 1, 10);
             logPut(W("abc"), -5, 1, 10), logPutHex(W("a"), 8191, 1, 10);
             logPut(W(""), 0, 1, 10), logPutHex(W(""), 0, 0, 10);
         },
         "\r\n0123456789\r\nA\r\n\r\n" + std::string(80, 'x') + "\r\nx\r\n" + kErrorBanner +
             "logPut() " + kWidth + "81\r\n" + kErrorBanner + "logPutHex() " + kWidth + "9\r\n" +
             start("logPutHex", 10) +
             "30 31 32 33 34 35 36 37 38 39 \r\n\r\n---------- logPutHex-end\r\n" +
             start("logPut", 8190) + "abc" + kPutEnd + sizeLine("logPut() cnt", 8190, 8191) +
             start("logPut", -5) + "abc" + kPutEnd + sizeLine("logPutHex() cnt", 8190, 8191) +
             start("logPut", 0) + kPutEnd + "\r\n\r\n"},
        // Raw lines never split a character of 2 (lead byte C2), 3 or 4 bytes; hex lines do.
        // Lone surrogates are dropped. UTF-8 and NUL fill the buffer: one byte more is refused.
        {0, 0, 0,
         [&] {
             logPut(widen("abcdefghi©abcdefghi日abcdefghi😀z").c_str(), 0, 0, 10);
             logPutHex(widen("abcdefghi\u0080日").c_str(), 0, 0, 10);
             logPut(W("\xDC00 a\xD800 b\xDBFF"), 3, 0, 10), logPut(q9215.c_str(), 1, 0, 80);
             logPut((q9215.substr(1) + W("\u00e9")).c_str(), 1, 1, 80);
             logPutHex((q9215 + W("z")).c_str(), 1, 1, 80);
         },
         "\r\nabcdefghi©\r\nabcdefghi日\r\nabcdefghi😀\r\nz\r\n\r\n61 62 63 64 65 66 67 68 69 c2 "
         "\r\n80 e6 97 a5 \r\n\r\n a b\r\n\r\n" +
             q115 + std::string(15, 'q') + "\r\n" + kErrorBanner + "func={logPut() data" +
             kTooLong + kErrorBanner + "func={logPutHex() data" + kTooLong},
    });
}

TEST_F(FileRows, DecodeTable) {
    // 8438 bytes, the most a table shows, in 527 rows alike and one of six bytes.
    WString most = widen("日日");
    for (int r = 0; r < 527; ++r) most = widen("日日日日日a") + most;
    std::vector<std::string> mostRows(
        527, "e6 97 a5 e6 97 a5 e6 97 |a5 e6 97 a5 e6 97 a5 61 |日.日.日|.日.日.a|");
    mostRows.push_back("e6 97 a5 e6 97 a5       |                        |日.日.  |        |");
    const WString columns =
        widen("ABCDE😀FGHIJK©LMNOP日QRSTU日VWXYZ😀abc😀defghi©jklmn😀opqrs日tuvwx日yzABC😀DEFG😀©日😀H");
    const std::string timing = kInfoBanner + "logDumpUTF8 処理時間=0.000000[秒]\r\n";
    check({
        // Mode 1 with a BOM: tables keep CR LF. No data (nor prefix); a full row and a byte
        // more; the bounds of the printable bytes; lone surrogates (dropped).
        {0, 1, 1,
         [] {
             logDumpUTF8(W(""), 0, W(""));
             logDumpUTF8(W("\xDC00\x1F ~\x7Fghijklmnopqrs\xD800"), 0, W("c"));
         },
         table("", 0, {}, "UTF8N(BomSet)") + kBadByte + "1f data len=374 cnt=0\n" + kBadByte +
             "7f data len=376 cnt=3\n" +
             table("c", 17,
                   {"1f 20 7e 7f 67 68 69 6a |6b 6c 6d 6e 6f 70 71 72 | ~ghij|klmnopqr|",
                    "73                      |                        |s       |        |"},
                   "UTF8N(BomSet)")},
        // Characters of 2 (lead byte C2), 3 and 4 bytes at every column where a half or a row
        // cuts them or a two-cell glyph moves past the mark; the next row finishes them.
        {0, 0, 0, [&] { logDumpUTF8(columns.c_str(), 0, W("col")); },
         table("col", 109,
               {"41 42 43 44 45 f0 9f 98 |80 46 47 48 49 4a 4b c2 |ABCDE😀.|.FGHIJK©|",
                "a9 4c 4d 4e 4f 50 e6 97 |a5 51 52 53 54 55 e6 97 |.LMNOP日|.QRSTU日|",
                "a5 56 57 58 59 5a f0 9f |98 80 61 62 63 f0 9f 98 |.VWXYZ😀|..abc😀.|",
                "80 64 65 66 67 68 69 c2 |a9 6a 6b 6c 6d 6e f0 9f |.defghi©|.jklmn😀|",
                "98 80 6f 70 71 72 73 e6 |97 a5 74 75 76 77 78 e6 |..opqrs`|日tuvwx`|",
                "97 a5 79 7a 41 42 43 f0 |9f 98 80 44 45 46 47 f0 |日yzABC`|😀.DEFG`|",
                "9f 98 80 c2 a9 e6 97 a5 |f0 9f 98 80 48          |😀.©.日.|😀..H   |"})},
        // 8438 bytes pass, more are refused; 4095 units of data, 255 of prefix pass, not 1 more.
        // Stamp mode 1 times a table or its refusal for size, not a refused argument.
        {1, 0, 0,
         [&] {
             advanceTicks(50000000);
             logDumpUTF8(most.c_str(), 0, W("max"));
             logDumpUTF8((most + W("c")).c_str(), 0, W("max"));
             logDumpUTF8(repeat(0x65e5, 4095).c_str(), 0, W("max"));
             logDumpUTF8(repeat(W('a'), 4096).c_str(), 0, W("max"));
             logDumpUTF8(W("a"), 0, repeat(W('p'), 255).c_str());
             logDumpUTF8(W("a"), 0, repeat(W('p'), 256).c_str());
         },
         table("max", 8438, mostRows) + timing + kOver + "8439" + kOverEnd + timing + kOver +
             "12285" + kOverEnd + timing + sizeLine("logDumpUTF8 data", 8190, 8192) +
             table(std::string(255, 'p'), 1,
                   {"61                      |                        |a       |        |"}) +
             timing + sizeLine("logDumpUTF8 prefix", 510, 512)},
    });
}

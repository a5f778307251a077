// No host text is ever used as a format by the library itself: directory, prefix, label,
// data, file_fnc, message and title full of conversions reach the file and the boxes
// literally, and nothing reads an argument for them (a "%s" read as a format here would
// fetch a pointer that was never passed). A host's own format may hold %n in any form: it
// is copied as it stands, takes no argument and writes through no pointer.
#include <climits>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "robust/expected_text.h"
#include "robust/log_parse.h"
#include "support/session_fixture.h"

namespace {
// Conversions that read arguments, write through them or print memory. No character that
// Windows forbids in a file name, so the text can name the directory and the file too.
const std::string kHostile = "%s%n%x%p%d%c%ls%hs%lld%lf%S%C%I64d%#x%%%.99999s";
constexpr DWORD kNoText = 0x20000001;

class FormatSafety : public SessionTest {};
}  // namespace

TEST_F(FormatSafety, HostTextsAreNeverFormats) {
    const WString hostile = widen(kHostile);
    const std::filesystem::path dir = root_ / ("d" + kHostile);
    ASSERT_EQ(logInit(widen(dir.u8string()).c_str(), hostile.c_str(), 0, 0, 0, 5, 0), 1);
    const std::filesystem::path file = dir / (kHostile + "20261205.log");
    ASSERT_TRUE(std::filesystem::exists(file));
    _log(W("%s"), hostile.c_str());
    log_info(W("<%s>"), hostile.c_str());
    SetLastError(kNoText);
    w32_err_log(hostile.c_str(), 7);
    logPut(hostile.c_str(), 1, 1, 80);
    logPutHex(hostile.c_str(), 2, 0, 80);
    logDumpUTF8(hostile.c_str(), 0, hostile.c_str());
    makeBitStringUSHORT16(0x2525, hostile.c_str());
    makeBitStringUINT32(0x25732573, hostile.c_str());
    profileTimeStart(hostile.c_str());
    profileTimeStop();
    msgBox(hostile.c_str(), hostile.c_str());
    EXPECT_EQ(msgBoxOkCancel(hostile.c_str(), hostile.c_str()), IDOK);
    logTerm();

    std::ifstream in(file, std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string expected =
        line0("--- [" + kHostile + "] start Log={" + file.u8string() + "} ---") + line0(kHostile) +
        line0("<" + kHostile + ">") + line0(kHostile + " line=7 Win32 ErrCode=536870913 :") +
        robust::putStart(1) + kHostile + robust::kPutEnd + "\r\n" +
        robust::hexCells(kHostile, 80, "\r\n") + "\r\n" +
        robust::asciiDecodeTable(kHostile, kHostile) + robust::ushortTable(0x2525, kHostile) +
        robust::uintTable(0x25732573, kHostile) + kInfoBanner + "[" + kHostile +
        "] 経過時間=0.000000[秒]\r\n" + line0("--- [" + kHostile + "] end Log. ---");
    EXPECT_EQ(robust::maskAddresses(log), expected);
    EXPECT_EQ(boxes(),
              (std::vector<std::string>{kHostile + ": " + kHostile, kHostile + ": " + kHostile}));
}

TEST_F(FormatSafety, BoxesShowHostPathsLiterally) {
    const std::string bad = (root_ / ("missing" + kHostile) / "logs%s%n").u8string();
    EXPECT_EQ(logInit(widen(bad).c_str(), W("app%n"), 0, 0, 0, 5, 0), 0);
    ASSERT_EQ(boxes().size(), 3u);
    EXPECT_EQ(boxes()[0].find("createDirCheck(): [FATAL] " + bad + " ERROR_PATH_NOT_FOUND"), 0u)
        << boxes()[0];
    EXPECT_EQ(boxes()[1],
              "logOpen() createDirCheck() Error!: createDirCheckがエラー pathが間違っていませんか? "
              "path={" +
                  bad + "}");
    EXPECT_EQ(boxes()[2],
              "logInit() Fatal Error! Not Running!: [FATAL] logInit() Error!  log file is not "
              "open! Check path=" +
                  bad);
}

TEST_F(FormatSafety, PercentNIsNeverHonoured) {
    ASSERT_EQ(open(), 1);
    int32_t a = 11, b = 22, c = 33;
    long long d = 44;
    _log(W("x%ny"), &a);
    _log(W("%n%hn%ln%lln%hhn"), &a, &b, &c, &d, &a);
    log_error(W("e%n"), &b);
    log_debug(W("%5n%-3n%*n"), &c, &c, &c);
    // %n takes no argument: the numbers after it go to the conversions they belong to.
    _log(W("%d%n|%hn|%ln|%lln|%5n|%*n|%d"), 7, 8);
    logTerm();
    EXPECT_EQ(a, 11);
    EXPECT_EQ(b, 22);
    EXPECT_EQ(c, 33);
    EXPECT_EQ(d, 44);
    EXPECT_EQ(readLog(), sessionLines(logPath(), line0("x%ny") + line0("%n%hn%ln%lln%hhn") +
                                                     line0("e%n") + line0("%5n%-3n%*n") +
                                                     line0("7%n|%hn|%ln|%lln|%5n|%*n|8")));
}

TEST_F(FormatSafety, HostWidthsAndPrecisionsAreBounded) {
    // Fields far wider than a line, and floats with more decimals than it holds, are refused
    // as an overlong line.
    ASSERT_EQ(open(), 1);
    _log(W("%*d"), INT32_MAX, 1);
    _log(W("%*d"), INT32_MIN, 1);
    _log(W("%999999999999999999999d|%s"), 1, W("x"));
    log_warning(W("%4000d%4000d"), 1, 2);
    _log(W("%.*f"), INT32_MAX, 1.5);
    _log(W("%.*s|%.0s|%.2s"), -5, W("abc"), W("abc"), W("abc"));
    _log(W("%c%c%c"), 0xD800, 0x41, 0xDC00);  // lone surrogates have no UTF-8 form
    logTerm();
    const std::string tooLong = kCriticalBanner + "func={_log() format} " +
                                "展開後の行が4223文字を超えました、ログ出力できません\r\n";
    EXPECT_EQ(
        readLog(),
        sessionLines(logPath(), tooLong + tooLong + tooLong + kCriticalBanner +
                                    "func={log_warning() format} " +
                                    "展開後の行が4223文字を超えました、ログ出力できません\r\n" +
                                    tooLong + line0("abc||ab") + line0("A")));
}

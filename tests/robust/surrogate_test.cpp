// Unpaired surrogates in every text argument. The library drops a lone surrogate (a high
// one not followed by a low one, a low one on its own) wherever it turns text into UTF-8,
// so every call writes exactly what it writes for the same text without them; a message
// box gets the host's text as it stands.
#include <string>
#include <vector>

#include "platform/seams.h"
#include "robust/expected_text.h"
#include "robust/log_parse.h"
#include "robust/write_faults.h"
#include "support/session_fixture.h"

namespace {
// "a", lone high, "b", lone low, "c", high high low (the first high lone, then the pair of
// U+10FFFF), "d", the pair of U+1F600, "e", low high (both lone), "f", a high at the end.
WString withLoneSurrogates() {
    const qp_wchar units[] = {u'a', 0xD800, u'b',   0xDC00, u'c',   0xDBFF, 0xDBFF, 0xDFFF,
                              u'd', 0xD83D, 0xDE00, u'e',   0xDC00, 0xD800, u'f',   0xD800};
    return WString(units, sizeof units / sizeof units[0]);
}
WString withoutThem() { return widen("abc\U0010FFFFd😀ef"); }
const std::string kClean =
    "abc\xF4\x8F\xBF\xBF"
    "d\xF0\x9F\x98\x80"
    "ef";

std::vector<WString> gBoxTexts;
int keepBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    gBoxTexts.emplace_back(text);
    gBoxTexts.emplace_back(caption);
    return IDOK;
}

// The bytes that `call` writes with the text `text`.
template <typename Call>
std::string written(Call call, const WString& text) {
    robust::takeWritten();
    call(text.c_str());
    return robust::maskAddresses(robust::takeWritten());
}

class Surrogates : public SessionTest {};
}  // namespace

TEST_F(Surrogates, DroppedWhereverTextBecomesUtf8) {
    ASSERT_EQ(withoutThem().size(), 10u);
    ASSERT_EQ(open(), 1);
    robust::recordWrites();
    const WString bad = withLoneSurrogates(), good = withoutThem();
    using Call = void (*)(const qp_wchar*);
    struct Case {
        const char* name;
        Call call;
        std::string mark;  // what the call writes of the text
    };
    const std::string hex = robust::hexCells(kClean, 80, "");
    const std::vector<Case> cases = {
        {"_log format", [](const qp_wchar* t) { _log(t); }, line0(kClean)},
        {"_log %s", [](const qp_wchar* t) { _log(W("<%s>"), t); }, line0("<" + kClean + ">")},
        {"log_info", [](const qp_wchar* t) { log_info(t); }, line0(kClean)},
        {"log_critical %s", [](const qp_wchar* t) { log_critical(W("%s"), t); }, line0(kClean)},
        {"w32_err_log",
         [](const qp_wchar* t) {
             SetLastError(0x20000001);
             w32_err_log(t, 9);
         },
         line0(kClean + " line=9 Win32 ErrCode=536870913 :")},
        {"logPut", [](const qp_wchar* t) { logPut(t, 16, 1, 80); }, "len=16\r\n" + kClean + "\r\n"},
        {"logPutHex", [](const qp_wchar* t) { logPutHex(t, 16, 1, 80); }, "\r\n" + hex + "\r\n"},
        {"logDumpUTF8 data", [](const qp_wchar* t) { logDumpUTF8(t, 0, W("p")); },
         "size(BYTE)=14\r\n"},
        {"logDumpUTF8 prefix", [](const qp_wchar* t) { logDumpUTF8(W("x"), 0, t); },
         "prefix={" + kClean + "}"},
        {"makeBitStringUSHORT16", [](const qp_wchar* t) { makeBitStringUSHORT16(1, t); },
         "[" + kClean + "]\r\n"},
        {"makeBitStringUINT32", [](const qp_wchar* t) { makeBitStringUINT32(1, t); },
         "[" + kClean + "]\r\n"},
        {"makeBitStringUnicodeScalarValue",
         [](const qp_wchar* t) { makeBitStringUnicodeScalarValue(0xD800, t); },
         "[" + kClean + "]\r\n"},
        {"profileTimeStart",
         [](const qp_wchar* t) {
             profileTimeStart(t);
             profileTimeStop();
         },
         "[" + kClean + "] 経過時間="},
    };
    for (const Case& c : cases) {
        const std::string withBad = written(c.call, bad);
        EXPECT_EQ(withBad, written(c.call, good)) << c.name;
        EXPECT_NE(withBad.find(c.mark), std::string::npos) << c.name << ": " << withBad;
    }
    quillpen::seams::setWriteFile(nullptr);
    logTerm();
    EXPECT_TRUE(boxes().empty());

    gBoxTexts.clear();
    quillpen::seams::setMessageBox(keepBox);
    msgBox(bad.c_str(), bad.c_str());
    EXPECT_EQ(msgBoxOkCancel(bad.c_str(), good.c_str()), IDOK);
    EXPECT_EQ(gBoxTexts, (std::vector<WString>{bad, bad, bad, good}));
}

TEST_F(Surrogates, OnlySurrogatesLeaveAnEmptyText) {
    ASSERT_EQ(open(), 1);
    const qp_wchar lone[] = {0xDC00, 0xD800, 0xDBFF, 0};
    _log(lone);
    logPut(lone, 3, 1, 10);
    makeBitStringUSHORT16(0, lone);
    logTerm();
    EXPECT_EQ(
        readLog(),
        sessionLines(logPath(), line0("") + "\r\n---------- logPut-start len=3\r\n" +
                                    "\r\n---------- logPut-end!!\r\n" +
                                    "+-----------------+\r\n|    0   |    1   |  []\r\n"
                                    "+-----------------+\r\n|   00   |   00   |   HEX=0x0000\r\n"
                                    "+-----------------+\r\n|00000000|00000000|   UTF16_LE Bit "
                                    "Pattern!\r\n+-----------------+\r\n"));
}

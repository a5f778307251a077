// Whole log files, row by row: a session opened with its switches, the calls, and exactly the
// bytes the file then holds and the boxes shown. System texts differ between Windows, Wine and
// the POSIX layer, so a non-empty one (kept without its CR LF) reads "<text>" here.
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "core/error_text.h"
#include "core/line_writer.h"
#include "core/session.h"
#include "platform/seams.h"
#include "support/session_fixture.h"

namespace {
class Lines : public SessionTest {
   public:
    using SessionTest::boxes;
    using SessionTest::dir;
    using SessionTest::open;
    void fresh() {
        std::filesystem::remove_all(root_ / "logs");
        boxes().clear();
        setLocalTime(2026, 12, 5, 9, 3, 4);
    }
    // A session's start line, `body` and end line, the first and the last after their stamps.
    std::string framed(const std::string& body, const std::string& nl = "\r\n",
                       const std::string& first = "", const std::string& last = "") const {
        return first + "[--- [app] start Log={" + logPath().u8string() + "} ---]" + nl + body +
               last + "[--- [app] end Log. ---]" + nl;
    }
};

using Writer = void (*)(const qp_wchar*, ...);
constexpr DWORD kNoText = 0x20000001;  // no system has a text for it
std::string tooLong(const std::string& label) {
    return kCriticalBanner + "func={" + label +
           "} 展開後の行が4223文字を超えました、ログ出力できません\r\n";
}
const std::string k879 =
    kCriticalBanner +
    "quillpen line=879logWrite文字列長が8100バイトを超えました、ログ出力できません\r\n";
std::string times(const std::string& piece, int n) {
    std::string out;
    while (n-- > 0) out += piece;
    return out;
}

// Each non-empty system text of one line as "<text>".
std::string masked(std::string text) {
    for (size_t at = text.find("ErrCode="); at != std::string::npos;
         at = text.find("ErrCode=", at)) {
        at = text.find(" :", at) + 2;
        const size_t end = std::min(text.find_first_of("]\r\n", at), text.size());
        if (end > at && (end == text.size() || text[end] == ']'))
            text.replace(at, end - at, "<text>");
    }
    return text;
}

struct Row {
    const char* name;
    void (*calls)(Lines&);
    std::string file;
    std::vector<std::string> boxes = {};
};

}  // namespace

TEST_F(Lines, Rows) {
    const Row rows[] = {
        {"arguments of every kind",
         [](Lines& t) {
             t.open();
             static const qp_wchar text[] = {0xE9, 0x3042, 0xD83D, 0xDE00, 0xD800, 0xDC00, 0};
             static const qp_wchar lone[] = {0xD800, 'x', 0xDC00, 'y', 0xD83D, 0};  // dropped
             _log(W("n=%d %lld %s %hs %.1lf %c %p%%|%s|%s"), 5, -7LL, W("日本"), "b", 1.5, 0x3042,
                  nullptr, text, lone);
         },
         framed(line0("n=5 -7 日本 b 1.5 あ 0000000000000000%|\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80"
                      "\xF0\x90\x80\x80|xy"))},
        {"formats of 4095 units and lines of 4223 pass, one more is refused",
         [](Lines& t) {
             t.open();
             _log(repeat('a', 4095).c_str());  // the format's own limit
             _log(repeat('b', 4096).c_str());
             _log(nullptr);
             _log(W("%s"), repeat('x', 4219).c_str());  // "[", 4219 units, "]", CR LF
             _log(W("%s"), repeat('x', 4220).c_str());
             log_error(W("%s"), repeat('x', 100000).c_str());
             _log(W("%*d"), INT32_MAX, 1);
             _log(W("%*d"), INT32_MIN, 1);
             _log(W("%.*f"), INT32_MAX, 1.5);
             _log(W("%999999999999999999999d|%s"), 1, W("x"));
         },
         framed(line0(std::string(4095, 'a')) + sizeLine("_log() format", 8190, 8192) +
                nullLine("_log() format") + line0(std::string(4219, 'x')) +
                tooLong("_log() format") + tooLong("log_error() format") +
                times(tooLong("_log() format"), 4))},
        {"lines: 8190 bytes pass, 8191 are refused",
         [](Lines& t) {
             t.open();
             _log(W("%s%s"), repeat(0x3042, 2728).c_str(), W("zz"));
             _log(W("%s%s"), repeat(0x3042, 2728).c_str(), W("zzz"));
             quillpen::logSyslog(quillpen::kInfo, W("%s"), repeat('s', 4300).c_str());
         },
         framed(line0(times("あ", 2728) + "zz") + k879 + k879)},
        {"the [SYSLOG] banners; other codes write nothing",
         [](Lines& t) {
             t.open();
             for (int32_t code = -1; code <= 6; ++code) quillpen::logSyslog(code, W("c%d"), code);
         },
         framed("[SYSLOG][■--FATAL--■] c0\r\n" + kCriticalBanner + "c1\r\n" + kErrorBanner +
                "c2\r\n[SYSLOG][□--WARNING--□] c3\r\n" + kInfoBanner +
                "c4\r\n[SYSLOG][▲--DEBUG--▲] c5\r\n")},
        {"the last-error line",
         [](Lines& t) {
             t.open();
             SetLastError(kNoText);
             w32_err_log(W("f"), 1);
             EXPECT_EQ(GetLastErr(), kNoText);  // given back after the lookup and the write
             SetLastError(0xE0000001);
             w32_err_log(W("g"), -3);
             w32_reset_errCode();
             EXPECT_EQ(GetLastErr(), 0u);
             w32_err_log(W("ok"), 9);
             SetLastError(kNoText);
             w32_err_log(repeat('f', 260).c_str(), 7);  // the label is measured in units
             w32_err_log(repeat('g', 261).c_str(), 7);
             w32_err_log(W("%s%d%n"), 8);
         },
         framed(line0("f line=1 Win32 ErrCode=536870913 :") +
                line0("g line=-3 Win32 ErrCode=-536870911 :") +
                line0("ok line=9 Win32 ErrCode=0 :<text>") +
                line0(std::string(260, 'f') + " line=7 Win32 ErrCode=536870913 :") +
                sizeLine("w32_err_log() file_fnc", 260, 261) +
                line0("%s%d%n line=8 Win32 ErrCode=536870913 :"))},
        {"a mark only on a new file; LOG_SLEEP 1 writes its notice, other values nothing",
         [](Lines& t) {
             for (int32_t sleep : {1, 1, 2, -1, INT32_MIN}) {
                 t.open(0, 0, sleep, 5, 1);
                 _log(W("x"));
                 log_critical(repeat('b', 4096).c_str());
                 w32_err_log(repeat('f', 261).c_str(), 1);
                 logTerm();
             }
             t.open();  // the notice has no terminator: the start line continues its line
         },
         "\xEF\xBB\xBF" +
             times(
                 "##### LOG_SLEEP Switch ON! No save logs...  logInit() No.5 Param 0 Set to start "
                 "Log! #####",
                 2) +
             framed("")},
        {"a second logInit is refused; the session goes on",
         [](Lines& t) {
             t.open(0, 1);
             EXPECT_EQ(logInit(t.dir().c_str(), W("other"), 8192, 0, 1, -1, 1), 0);
             _log(W("still"));
         },
         framed("[still]\n", "\n"),
         {"logInitParam(): logInit()で既に初期化済みです、処理せずにリターンします。"}},
        {"the length guard: a path of 513 units and a prefix of 256 are refused",
         [](Lines& t) {
             // At the limits the length guard passes; the system then refuses names that long.
             EXPECT_EQ(logInit(repeat('p', 512).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
             EXPECT_EQ(logInit(t.dir().c_str(), repeat('x', 255).c_str(), 0, 0, 0, 5, 0), 0);
             EXPECT_EQ(t.boxes().size(), 5u);  // those of the directory and of the file
             t.boxes().clear();
             EXPECT_EQ(logInit(repeat('p', 513).c_str(), W("app"), 0, 0, 0, 5, 0), 0);
             EXPECT_EQ(logInit(t.dir().c_str(), repeat('x', 256).c_str(), 0, 0, 0, 5, 0), 0);
             EXPECT_TRUE(quillpen::bufSizCheck(W("f"), 4, 4));  // shown at once, unlocked
             EXPECT_FALSE(quillpen::bufSizCheck(W("f"), 4, 5));
         },
         "",
         {sizeBox("logInit() path", 1024, 1026), sizeBox("logInit() prefix", 510, 512),
          sizeBox("f", 4, 5)}},
        {"an empty path is refused; a retry works",
         [](Lines& t) {
             EXPECT_EQ(logInit(W(""), W("app"), 0, 0, 0, 5, 0), 0);
             t.open();
         },
         framed(""),
         {"createDirCheck(): [FATAL] path={} CreateDirectory ディレクトリを作成できません: "
          "createDirCheck() line=326 Win32 ErrCode=123 :<text>",
          "logOpen() createDirCheck() Error!: createDirCheckがエラー pathが間違っていませんか? "
          "path={}",
          "logInit() Fatal Error! Not Running!: [FATAL] logInit() Error!  log file is not open! "
          "Check path="}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fresh();
        row.calls(*this);
        logTerm();
        EXPECT_EQ(masked(readLog()), row.file);
        std::vector<std::string> shown;
        for (const std::string& box : boxes()) shown.push_back(masked(box));
        EXPECT_EQ(shown, row.boxes);
    }
}

TEST_F(Lines, LevelGate) {
    // A level function writes _log's line when logLevel admits it, and a filtered call does
    // not even measure its format. No line allocates memory or leaves a scratch buffer dirty.
    const Writer writers[] = {log_critical, log_error, log_warning, log_info, log_debug};
    const char* const names[] = {"critical", "error", "warning", "info", "debug"};
    for (int32_t level : {INT32_MIN, -1, 0, 1, 2, 3, 4, 5, 6, INT32_MAX}) {
        SCOPED_TRACE(level);
        fresh();
        ASSERT_EQ(open(0, 0, 0, level), 1);
        const long long allocations = quillpen::seams::globalAllocCount();
        std::string body;
        for (int n = 1; n <= 5; ++n) {
            const std::string name = names[n - 1];
            writers[n - 1](W("%hs=%d"), names[n - 1], n);
            writers[n - 1](repeat('a', 4095).c_str());
            writers[n - 1](repeat('b', 4096).c_str());
            if (level >= n)
                body += line0(name + "=" + std::to_string(n)) + line0(std::string(4095, 'a')) +
                        sizeLine("log_" + name + "() format", 8190, 8192);
        }
        _log(W("always"));
        SetLastError(kNoText);
        w32_err_log(W("w"), 1);
        _log(nullptr);  // a [SYSLOG] line: only while logLevel >= 0
        EXPECT_EQ(quillpen::seams::globalAllocCount(), allocations);
        EXPECT_TRUE(scratchClear());
        logTerm();
        body += line0("always") + line0("w line=1 Win32 ErrCode=536870913 :") +
                (level >= 0 ? nullLine("_log() format") : "");
        EXPECT_EQ(readLog(), framed(body));
    }
}

TEST_F(Lines, NewlineModes) {
    // Time-stamped and [SYSLOG] lines end with one terminator, dump lines with the other; a
    // mode past 2 gives CR LF to the first and leaves the second as the last session set it.
    const struct {
        int32_t mode;
        std::string lines, dumps;
    } rows[] = {{0, "\r\n", "\r\n"}, {1, "\n", "\r"},    {3, "\r\n", "\r"},
                {2, "\r", "\n"},     {-1, "\r\n", "\n"}, {INT32_MAX, "\r\n", "\n"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        fresh();
        ASSERT_EQ(open(0, row.mode), 1);
        _log(W("x"));
        quillpen::logSyslog(quillpen::kInfo, W("s"));
        logPut(W("ab"), 2, 0, 10);
        logTerm();
        const std::string body =
            "[x]" + row.lines + kInfoBanner + "s" + row.lines + row.dumps + "ab" + row.dumps;
        EXPECT_EQ(readLog(), framed(body, row.lines));
    }
}

TEST_F(Lines, StampModes) {
    // Stamps at 09:03:04 on 5 December 2026, at 23:59:59.999 on the 31st and a millisecond
    // later; the session keeps the file of the day it started.
    const std::string tid =
        "tid=" + std::to_string(static_cast<int32_t>(GetCurrentThreadId())) + ":0.000000[秒]";
    struct Stamps {
        int32_t mode;
        std::string a, b, c;
    };
    std::vector<Stamps> rows = {
        {0, "", "", ""},
        {1, tid, tid, tid},
        {2, "04:", "59:", "00:"},
        {3, "04:0:", "59:0:", "00:0:"},
        {4, "03:", "59:", "00:"},
        {5, "03:0:", "59:0:", "00:0:"},
        {6, "03:04:", "59:59:", "00:00:"},
        {7, "03:04:0:", "59:59:0:", "00:00:0:"},
        {8, "09:", "23:", "00:"},
        {9, "09:0:", "23:0:", "00:0:"},
        {16, "05:", "31:", "01:"},
        {32, "12:", "12:", "01:"},
        {64, "2026:", "2026:", "2027:"},
        {128, "2026:12:05:", "2026:12:31:", "2027:01:01:"},
        {256, "20261205:", "20261231:", "20270101:"},
        {2048, "20261205-090304:", "20261231-235959:", "20270101-000000:"},
        {4096, "2026/12/05-09:03:04:", "2026/12/31-23:59:59:", "2027/01/01-00:00:00:"},
        {8192, "2026-12-05 09:03:04:", "2026-12-31 23:59:59:", "2027-01-01 00:00:00:"},
        {16384, "20261205-090304:0:", "20261231-235959:0:", "20270101-000000:0:"},
        {32768, "2026/12/05-09:03:04:0", "2026/12/31-23:59:59:0", "2027/01/01-00:00:00:0"}};
    for (int32_t none : {10, 17, 65536, -1, INT32_MIN}) rows.push_back({none, "-", "", ""});
    for (const Stamps& row : rows) {
        SCOPED_TRACE(row.mode);
        fresh();
        ASSERT_EQ(open(row.mode), 1);
        const long long allocations = quillpen::seams::globalAllocCount();
        _log(W("a"));
        setLocalTime(2026, 12, 31, 23, 59, 59, 999);
        _log(W("b"));
        advanceTicks(10000);
        _log(W("c"));
        // A line holds 4223 units, its stamp included.
        const size_t fit = 4219 - widen(row.c).size();
        _log(W("%s"), repeat('x', fit).c_str());
        _log(W("%s"), repeat('x', fit + 1).c_str());
        EXPECT_EQ(quillpen::seams::globalAllocCount(), allocations);  // none per line
        logTerm();
        const std::string body = row.a + "[a]\r\n" + row.b + "[b]\r\n" + row.c + "[c]\r\n" + row.c +
                                 line0(std::string(fit, 'x')) + tooLong("_log() format");
        EXPECT_EQ(readLog(), row.a == "-" ? "" : framed(body, "\r\n", row.a, row.c));
    }
}

TEST(SystemText, LosesItsLastTwoUnitsBeforeAnyCut) {
    const struct {
        WString text;
        int room;
        WString kept;
    } rows[] = {
        {W("x"), 1024, W("x")},  // too short to end in CR LF: kept whole
        {W("\r\n"), 1024, W("")},       {W("Access is denied.\r\n"), 18, W("Access is denied.")},
        {W("abcdef\r\n"), 4, W("abc")}, {W("ab\r\n"), 1, W("")},
    };
    for (const auto& row : rows) {
        qp_wchar out[1100];
        std::fill(out, out + 1100, qp_wchar('Z'));
        EXPECT_EQ(quillpen::cutSystemText(row.text.c_str(), out, row.room),
                  static_cast<int>(row.kept.size()));
        EXPECT_EQ(WString(out), row.kept);
        EXPECT_EQ(out[row.room], qp_wchar('Z'));  // nothing written past the room
    }
}

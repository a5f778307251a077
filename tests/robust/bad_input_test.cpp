// Bad input: every text argument of every export given null, empty, lone surrogates and
// percent signs, in each state of the library. Without a session, with LOG_SLEEP and after
// logTerm the file gains nothing and only the box functions show boxes. In a session a null
// text is refused with its ERROR line, a lone surrogate is dropped (the call writes what it
// writes without it), and a percent sign outside a format is text.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/session_fixture.h"

namespace {
using Call = void (*)(const qp_wchar*);
struct Slot {
    const char* label;
    Call call;
    enum Kind { Format, Data, Text, Box } kind;  // Text and Box take the text as it is
};
const Slot kSlots[] = {
    {"_log() format", [](const qp_wchar* t) { _log(t); }, Slot::Format},
    {"log_debug() format", [](const qp_wchar* t) { log_debug(t); }, Slot::Format},
    {"log_info() format", [](const qp_wchar* t) { log_info(t); }, Slot::Format},
    {"log_warning() format", [](const qp_wchar* t) { log_warning(t); }, Slot::Format},
    {"log_error() format", [](const qp_wchar* t) { log_error(t); }, Slot::Format},
    {"log_critical() format", [](const qp_wchar* t) { log_critical(t); }, Slot::Format},
    {"w32_err_log() file_fnc", [](const qp_wchar* t) { w32_err_log(t, 1); }, Slot::Text},
    {"logPut() data", [](const qp_wchar* t) { logPut(t, 1, 1, 10); }, Slot::Data},
    {"logPutHex() data", [](const qp_wchar* t) { logPutHex(t, 4, 0, 10); }, Slot::Data},
    {"logDumpUTF8 data", [](const qp_wchar* t) { logDumpUTF8(t, 0, W("p")); }, Slot::Data},
    {"logDumpUTF8 prefix", [](const qp_wchar* t) { logDumpUTF8(W("d"), 0, t); }, Slot::Text},
    {"makeBitStringUSHORT16() prefix", [](const qp_wchar* t) { makeBitStringUSHORT16(1, t); },
     Slot::Text},
    {"makeBitStringUINT32() prefix", [](const qp_wchar* t) { makeBitStringUINT32(1, t); },
     Slot::Text},
    {"makeBitStringUnicodeScalarValue() prefix",
     [](const qp_wchar* t) { makeBitStringUnicodeScalarValue(0x41, t); }, Slot::Text},
    {"msgBox() msg", [](const qp_wchar* t) { msgBox(t, W("t")); }, Slot::Box},
    {"msgBox() ttl", [](const qp_wchar* t) { msgBox(W("m"), t); }, Slot::Box},
    {"msgBoxOkCancel() msg", [](const qp_wchar* t) { msgBoxOkCancel(t, W("t")); }, Slot::Box},
    {"msgBoxOkCancel() ttl", [](const qp_wchar* t) { msgBoxOkCancel(W("m"), t); }, Slot::Box},
    {"profileTimeStart() prefix",
     [](const qp_wchar* t) {
         profileTimeStart(t);
         profileTimeStop();
     },
     Slot::Text},
};

const qp_wchar kLone[] = {u'a', 0xD800, u'b', 0xDC00, u'c', 0xDBFF, 0};
const qp_wchar* const kPercent = W("%d%s%n%%");
// A format with conversions and no arguments would read what the host never passed.
std::vector<const qp_wchar*> inputsOf(const Slot& slot) {
    if (slot.kind == Slot::Format) return {nullptr, W(""), kLone};
    return {nullptr, W(""), kLone, kPercent};
}

class BadInput : public SessionTest {
   protected:
    // What `call` adds to the file, and the boxes it shows.
    std::string added(Call call, const qp_wchar* text) {
        const std::string before = readLog();
        boxes().clear();
        call(text);
        return maskAddresses(readLog().substr(before.size()));
    }
};
}  // namespace

TEST_F(BadInput, WithoutAWritingSessionNothingIsWrittenAndOnlyBoxesShow) {
    for (int state = 0; state < 3; ++state) {  // no session, LOG_SLEEP, after logTerm
        if (state == 1) {
            ASSERT_EQ(open(0, 0, 1), 1);
        }
        if (state == 2) {
            logTerm();
            ASSERT_EQ(open(), 1);
            logTerm();
        }
        const std::string file = readLog();
        for (const Slot& slot : kSlots) {
            for (const qp_wchar* input : inputsOf(slot)) {
                SCOPED_TRACE(std::string(slot.label) + " state " + std::to_string(state));
                EXPECT_EQ(added(slot.call, input), "");
                // With LOG_SLEEP a refusal is a [SYSLOG] line, and those are not written.
                const bool box = slot.kind == Slot::Box && (input || state != 1);
                ASSERT_EQ(boxes().size(), box ? 1u : 0u);
                if (!input && box) {
                    EXPECT_EQ(boxes()[0], nullBox(slot.label));
                }
            }
        }
        EXPECT_EQ(readLog(), file);
    }
}

TEST_F(BadInput, InASessionNullIsRefusedSurrogatesDroppedPercentSignsKept) {
    ASSERT_EQ(open(), 1);
    profileTimeStart(W("t"));  // a refused label keeps this start
    for (const Slot& slot : kSlots) {
        SCOPED_TRACE(slot.label);
        // A refused stopwatch label leaves an empty one for the stop.
        const std::string stop = std::string(slot.label).find("profile") == 0
                                     ? kInfoBanner + "[] 経過時間=0.000000[秒]\r\n"
                                     : "";
        EXPECT_EQ(added(slot.call, nullptr), nullLine(slot.label) + stop);
        EXPECT_TRUE(boxes().empty());
        const std::string clean = added(slot.call, W("abc"));
        const std::vector<std::string> cleanBoxes = boxes();
        EXPECT_EQ(added(slot.call, kLone), clean);
        EXPECT_EQ(boxes(), cleanBoxes);
        // An empty text is written or refused like any other: whole lines, nothing more.
        const std::string empty = added(slot.call, W(""));
        EXPECT_TRUE(empty.empty() || empty.substr(empty.size() - 2) == "\r\n") << empty;
        if (slot.kind != Slot::Text && slot.kind != Slot::Box) continue;
        const std::string percent = added(slot.call, kPercent);
        const std::string shown = slot.kind == Slot::Box ? boxes().at(0) : percent;
        EXPECT_NE(shown.find("%d%s%n%%"), std::string::npos) << shown;
    }
    // A format's own percent signs are conversions.
    EXPECT_EQ(added([](const qp_wchar*) { _log(W("100%% %%d")); }, nullptr), line0("100% %d"));
}

TEST_F(BadInput, LogInitTexts) {
    EXPECT_EQ(logInit(nullptr, W("app"), 0, 0, 0, 5, 0), 0);
    EXPECT_EQ(logInit(dir().c_str(), nullptr, 0, 0, 0, 5, 0), 0);
    EXPECT_EQ(boxes(),
              (std::vector<std::string>{nullBox("logInit() path"), nullBox("logInit() prefix")}));
    // A directory and a prefix outside ASCII, with percent signs, name the file and its
    // lines. (A lone surrogate is left to the file system, and each treats it its own way.)
    const std::string name = "ログ😀%d%s";
    const std::filesystem::path logs = root_ / std::filesystem::u8path(name);
    const std::filesystem::path file = logs / std::filesystem::u8path(name + "20261205.log");
    ASSERT_EQ(logInit(widen(logs.u8string()).c_str(), widen(name).c_str(), 0, 0, 0, 5, 0), 1);
    _log(W("x"));
    logTerm();
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), "[--- [" + name + "] start Log={" + file.u8string() +
                               "} ---]\r\n[x]\r\n[--- [" + name + "] end Log. ---]\r\n");
}

// Null pointers for every text argument of every export. With a log file open each is
// refused with the ERROR line "func={<label>} NULLポインタです、処理せずにリターンします。";
// where the argument is checked before any file is needed (logInit, the message boxes,
// the label of w32_err_log) it is refused in the length guard's box; a writer without a
// session writes and shows nothing.
#include <string>
#include <vector>

#include "robust/expected_text.h"
#include "support/session_fixture.h"

namespace {

// Every writer and box function with each of its texts null in turn, in label order.
void callWithNulls() {
    _log(nullptr);
    log_debug(nullptr);
    log_info(nullptr);
    log_warning(nullptr);
    log_error(nullptr);
    log_critical(nullptr);
    w32_err_log(nullptr, 1);
    logPut(nullptr, 1, 1, 10);
    logPutHex(nullptr, 1, 0, 10);
    logDumpUTF8(nullptr, 0, W("p"));
    logDumpUTF8(W("d"), 0, nullptr);
    makeBitStringUSHORT16(1, nullptr);
    makeBitStringUINT32(1, nullptr);
    makeBitStringUnicodeScalarValue(0x41, nullptr);
    makeBitStringUnicodeScalarValue(0x110000, nullptr);  // the label is checked first
    msgBox(nullptr, W("t"));
    msgBox(W("m"), nullptr);
    EXPECT_EQ(msgBoxOkCancel(nullptr, nullptr), 0);  // the title is not examined then
    EXPECT_EQ(msgBoxOkCancel(W("m"), nullptr), 0);
    profileTimeStart(nullptr);
}

const std::vector<std::string> kLabels = {
    "_log() format",
    "log_debug() format",
    "log_info() format",
    "log_warning() format",
    "log_error() format",
    "log_critical() format",
    "w32_err_log() file_fnc",
    "logPut() data",
    "logPutHex() data",
    "logDumpUTF8 data",
    "logDumpUTF8 prefix",
    "makeBitStringUSHORT16() prefix",
    "makeBitStringUINT32() prefix",
    "makeBitStringUnicodeScalarValue() prefix",
    "makeBitStringUnicodeScalarValue() prefix",
    "msgBox() msg",
    "msgBox() ttl",
    "msgBoxOkCancel() msg",
    "msgBoxOkCancel() ttl",
    "profileTimeStart() prefix",
};

class NullInput : public SessionTest {};
}  // namespace

TEST_F(NullInput, RefusedInTheFileWhileItIsOpen) {
    ASSERT_EQ(open(), 1);
    callWithNulls();
    // While running, a second logInit is refused before its texts are looked at.
    EXPECT_EQ(logInit(nullptr, nullptr, 0, 0, 0, 5, 0), 0);
    _log(W("still running"));
    logTerm();
    std::string body;
    for (const std::string& label : kLabels) body += nullLine(label);
    EXPECT_EQ(readLog(), sessionLines(logPath(), body + line0("still running")));
    EXPECT_EQ(boxes(), std::vector<std::string>{robust::kAlreadyRunningBox});
}

TEST_F(NullInput, SilentWhenTheLevelOrSleepSwitchSilencesTheLibrary) {
    ASSERT_EQ(open(0, 0, 0, -1), 1);  // a negative level silences the [SYSLOG] lines
    callWithNulls();
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), ""));
    std::filesystem::remove_all(root_ / "logs");
    ASSERT_EQ(open(0, 0, 2), 1);  // LOG_SLEEP: nothing at all
    callWithNulls();
    logTerm();
    EXPECT_EQ(readLog(), "");
    EXPECT_TRUE(boxes().empty());
}

TEST_F(NullInput, BoxesWithoutAFileAndNothingWithoutASession) {
    callWithNulls();  // no session: only the box functions report, in boxes
    EXPECT_FALSE(std::filesystem::exists(root_ / "logs"));
    const std::vector<std::string> boxFunctions = {nullBox("msgBox() msg"), nullBox("msgBox() ttl"),
                                                   nullBox("msgBoxOkCancel() msg"),
                                                   nullBox("msgBoxOkCancel() ttl")};
    EXPECT_EQ(boxes(), boxFunctions);

    boxes().clear();
    EXPECT_EQ(logInit(nullptr, W("app"), 0, 0, 0, 5, 0), 0);
    EXPECT_EQ(logInit(dir().c_str(), nullptr, 0, 0, 0, 5, 0), 0);
    EXPECT_EQ(boxes(),
              (std::vector<std::string>{nullBox("logInit() path"), nullBox("logInit() prefix")}));

    // A session record without a file: the writers return before their checks, except
    // w32_err_log, whose label is checked first and refused in a box.
    boxes().clear();
    callWithNulls();
    std::vector<std::string> withLabel = {nullBox("w32_err_log() file_fnc")};
    withLabel.insert(withLabel.end(), boxFunctions.begin(), boxFunctions.end());
    EXPECT_EQ(boxes(), withLabel);
    EXPECT_FALSE(std::filesystem::exists(root_ / "logs"));

    // The refusals left nothing behind that spoils the next session.
    boxes().clear();
    ASSERT_EQ(open(), 1);
    _log(W("whole"));
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), line0("whole")));
    EXPECT_TRUE(boxes().empty());
}

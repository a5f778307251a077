// Calls out of order: every export before logInit and after logTerm (in this process and
// in a fresh one), and every call twice in a row. Nothing faults; without a session nothing
// is written and only the message-box functions show their boxes.
#include <string>
#include <vector>

#include "platform/seams.h"
#include "robust/child_process.h"
#include "robust/expected_text.h"
#include "robust/export_tour.h"
#include "robust/log_parse.h"
#include "robust/write_faults.h"
#include "support/session_fixture.h"

namespace {
// Every export but logInit, with good and with refused arguments.
void callEveryExport() {
    robust::writeWithEveryExport();
    _log(nullptr);
    log_warning(repeat(W('w'), 4096).c_str());
    w32_err_log(repeat(W('f'), 261).c_str(), 1);
    logPut(W("x"), 1, 1, 5);
    logPutHex(W("x"), 8191, 1, 10);
    logDumpUTF8(nullptr, 0, nullptr);
    makeBitStringUINT32(1, nullptr);
    makeBitStringUnicodeScalarValue(0x110000, W("t"));
    profileTimeStart(repeat(W('p'), 129).c_str());
    profileTimeStop();
    msgBox(W("box"), W("title"));
    EXPECT_EQ(msgBoxOkCancel(W("ok?"), W("title")), IDOK);
    w32_reset_errCode();
    EXPECT_EQ(GetLastErr(), 0u);
    logTerm();
}

const std::vector<std::string> kBoxesOnly = {"title: box", "title: ok?"};

class Lifecycle : public SessionTest {};
}  // namespace

TEST_F(Lifecycle, EveryExportBeforeLogInitAndAfterLogTerm) {
    callEveryExport();
    EXPECT_FALSE(std::filesystem::exists(root_ / "logs"));
    EXPECT_EQ(boxes(), kBoxesOnly);

    boxes().clear();
    ASSERT_EQ(open(), 1);
    logTerm();
    callEveryExport();
    EXPECT_EQ(readLog(), sessionLines(logPath(), ""));
    EXPECT_EQ(boxes(), kBoxesOnly);
}

TEST_F(Lifecycle, EverythingTwiceInARow) {
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(open(), 0);  // refused; the running session goes on unchanged
    EXPECT_EQ(boxes(), std::vector<std::string>{robust::kAlreadyRunningBox});
    robust::recordWrites();
    robust::writeWithEveryExport();
    const std::string once = robust::takeWritten();
    robust::writeWithEveryExport();
    EXPECT_EQ(robust::maskAddresses(robust::takeWritten()), robust::maskAddresses(once));
    quillpen::seams::setWriteFile(nullptr);
    // The tour's sixteen outputs: six lines, the error line, the text dump's 7 lines, the hex
    // dump's 3, the decode dump's 6, the tables' 7, 7 and 15, the stopwatch line.
    EXPECT_EQ(robust::countOf(once, "\r\n"), 6 + 1 + 7 + 3 + 6 + 7 + 7 + 15 + 1);
    logTerm();
    logTerm();             // nothing left to close
    ASSERT_EQ(open(), 1);  // a new session of the same day appends
    logTerm();
    EXPECT_EQ(
        robust::maskAddresses(readLog()),
        robust::maskAddresses(sessionLines(logPath(), once + once) + sessionLines(logPath(), "")));
    EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(Lifecycle, AFreshProcessWithoutASession) {
    // A process that never called logInit: no record, no buffers, no terminators yet.
    robust::ChildProcess host;
    ASSERT_TRUE(host.start({"untouched"}));
    std::vector<std::string> lines;
    for (std::string line; host.readLine(line);) lines.push_back(line);
    EXPECT_EQ(host.wait(), 0);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "box t: m",
                         "box " + nullBox("msgBox() msg"),
                         "box t: m",
                         "okcancel 1",
                         "lasterr 0",
                         "done",
                     }));
}

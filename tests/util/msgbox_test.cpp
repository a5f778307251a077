// The host's message boxes: the length guard on text and title, the box type, the answer
// passed back, and how a refusal is reported with and without a session.
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/seams.h"
#include "support/session_fixture.h"
#include "text/utf.h"

namespace {
// Every box shown, the refusal boxes of the length guard included, as "type|title: text".
std::vector<std::string> gShown;
int gAnswer = IDOK;

std::string utf8(LPCWSTR text) {
    char bytes[4096];
    return quillpen::utf16ToUtf8(text, bytes, sizeof bytes) < 0 ? "(cut)" : bytes;
}

int recordBox(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    gShown.push_back(std::to_string(type) + "|" + utf8(caption) + ": " + utf8(text));
    return gAnswer;
}

void recordBoxes(int answer) {
    gShown.clear();
    gAnswer = answer;
    quillpen::seams::setMessageBox(recordBox);
}

const std::string kSizeBox = "0|[■--ERROR--■] bufSizCheck 続行不可能!: ";
const std::string kError = "[SYSLOG][■--ERROR--■] ";

}  // namespace

TEST_F(SessionTest, BoxTextsUpTo255UnitsWithoutASession) {
    recordBoxes(IDOK);
    const WString text255 = repeat(W('m'), 255), title255 = repeat(W('t'), 255);
    const WString text256 = repeat(W('m'), 256), title256 = repeat(W('t'), 256);
    msgBox(text255.c_str(), title255.c_str());
    msgBox(text256.c_str(), title255.c_str());
    msgBox(text255.c_str(), title256.c_str());
    msgBox(text256.c_str(), nullptr);  // the title is not examined after a refused text
    msgBox(nullptr, W("t"));
    msgBox(W(""), W(""));
    EXPECT_EQ(msgBoxOkCancel(text255.c_str(), title255.c_str()), IDOK);
    EXPECT_EQ(msgBoxOkCancel(text256.c_str(), nullptr), 0);
    EXPECT_EQ(msgBoxOkCancel(text255.c_str(), title256.c_str()), 0);
    EXPECT_EQ(msgBoxOkCancel(W("m"), nullptr), 0);
    const std::string m255(255, 'm'), t255(255, 't');
    const std::vector<std::string> expected = {
        "0|" + t255 + ": " + m255,
        kSizeBox + "func={msgBox() msg} maxSize=510 dataSize=512",
        kSizeBox + "func={msgBox() ttl} maxSize=510 dataSize=512",
        kSizeBox + "func={msgBox() msg} maxSize=510 dataSize=512",
        kSizeBox + "func={msgBox() msg} NULLポインタです、処理せずにリターンします。",
        "0|: ",
        "1|" + t255 + ": " + m255,
        kSizeBox + "func={msgBoxOkCancel() msg} maxSize=510 dataSize=512",
        kSizeBox + "func={msgBoxOkCancel() ttl} maxSize=510 dataSize=512",
        kSizeBox + "func={msgBoxOkCancel() ttl} NULLポインタです、処理せずにリターンします。",
    };
    EXPECT_EQ(gShown, expected);
}

TEST_F(SessionTest, BoxRefusalsAreLoggedWithASession) {
    ASSERT_EQ(open(), 1);
    recordBoxes(IDCANCEL);
    msgBox(repeat(W('m'), 256).c_str(), W("t"));
    msgBox(W("m"), repeat(W('t'), 256).c_str());
    EXPECT_EQ(msgBoxOkCancel(repeat(W('m'), 256).c_str(), nullptr), 0);
    EXPECT_EQ(msgBoxOkCancel(W("m"), repeat(W('t'), 256).c_str()), 0);
    EXPECT_EQ(msgBoxOkCancel(W("本文"), W("題")), IDCANCEL);
    msgBox(W("plain"), W("box"));
    logTerm();
    // Only the accepted texts make boxes; the box itself writes nothing to the log.
    EXPECT_EQ(gShown, (std::vector<std::string>{"1|題: 本文", "0|box: plain"}));
    EXPECT_EQ(
        readLog(),
        sessionLines(
            logPath().u8string(),
            kError + "func={msgBox() msg} buf size over max=510  user data size=512\r\n" + kError +
                "func={msgBox() ttl} buf size over max=510  user data size=512\r\n" + kError +
                "func={msgBoxOkCancel() msg} buf size over max=510  user data "
                "size=512\r\n" +
                kError +
                "func={msgBoxOkCancel() ttl} buf size over max=510  user data "
                "size=512\r\n"));
}

TEST_F(SessionTest, OkCancelPassesTheAnswerOn) {
    setBoxAnswer(IDCANCEL);  // through the fixture's capture
    EXPECT_EQ(msgBoxOkCancel(W("q"), W("t")), IDCANCEL);
    EXPECT_EQ(boxes(), std::vector<std::string>{"t: q"});
    for (int answer : {IDOK, IDCANCEL, 0, 7}) {
        recordBoxes(answer);
        EXPECT_EQ(msgBoxOkCancel(W("q"), W("t")), answer);
        EXPECT_EQ(gShown, std::vector<std::string>{"1|t: q"}) << answer;
    }
}

TEST_F(SessionTest, OpenBoxDoesNotHoldTheSession) {
    // While a box waits for the user, another thread can still write to the log. The writer
    // is detached, so a box that held the session fails the test instead of hanging it.
    ASSERT_EQ(open(), 1);
    quillpen::seams::setMessageBox([](HWND, LPCWSTR, LPCWSTR, UINT) -> int {
        auto written = std::make_shared<std::promise<void>>();
        std::future<void> done = written->get_future();
        std::thread([written] {
            _log(W("while the box is open"));
            written->set_value();
        }).detach();
        return done.wait_for(std::chrono::seconds(10)) == std::future_status::ready ? IDOK : 0;
    });
    EXPECT_EQ(msgBoxOkCancel(W("q"), W("t")), IDOK);
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath().u8string(), line0("while the box is open")));
}

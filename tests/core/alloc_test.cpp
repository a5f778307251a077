// A running session allocates nothing per line: every time-stamped line, level line and
// [SYSLOG] line is composed in the buffers logInit allocated and in fixed storage.
#include "platform/seams.h"
#include "support/session_fixture.h"

namespace {
constexpr int kRounds = 200;

// How often `part` occurs in `text`.
int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++count;
    return count;
}
}  // namespace

TEST_F(SessionTest, LinesAllocateNothing) {
    for (int32_t mode : {8192, 0, 1, 32768}) {
        std::filesystem::remove_all(root_ / "logs");
        ASSERT_EQ(open(mode, 0, 0, 3), 1) << mode;
        const WString name = W("anna");
        const long long before = quillpen::seams::globalAllocCount();
        for (int i = 0; i < kRounds; ++i) {
            _log(W("count=%d user=%s %hs %lf %lld"), i, name.c_str(), "bytes", 1.5, -7LL);
            log_error(W("level line %d"), i);
            log_debug(W("filtered %d"), i);  // logLevel 3
            advanceTicks(3000000);           // a new second every few rounds
        }
        const long long allocations = quillpen::seams::globalAllocCount() - before;
        logTerm();
        EXPECT_EQ(allocations, 0) << mode;
        const std::string text = readLog();
        EXPECT_EQ(occurrences(text, "user=anna bytes 1.500000 -7]"), kRounds) << mode;
        EXPECT_EQ(occurrences(text, "[level line "), kRounds) << mode;
        EXPECT_EQ(occurrences(text, "filtered"), 0) << mode;
    }
}

TEST_F(SessionTest, SyslogLinesAllocateNothing) {
    ASSERT_EQ(open(8192), 1);
    const WString longFormat = repeat(W('f'), 4096);             // refused: an ERROR line
    const WString longMessage = repeat(W('m'), 4300);            // over 4223 units: CRETICAL
    const WString wideMessage = repeat(qp_wchar(0x3042), 2800);  // over 8190 bytes: CRETICAL
    profileTimeStart(W("lap"));
    const long long before = quillpen::seams::globalAllocCount();
    for (int i = 0; i < kRounds; ++i) {
        profileTimeStop();  // INFO
        _log(longFormat.c_str());
        _log(nullptr);  // ERROR: a null format
        _log(W("%s"), longMessage.c_str());
        _log(W("%s"), wideMessage.c_str());
    }
    const long long allocations = quillpen::seams::globalAllocCount() - before;
    logTerm();
    EXPECT_EQ(allocations, 0);
    const std::string text = readLog();
    EXPECT_EQ(occurrences(text, "[SYSLOG][□--INFO--□] [lap] 経過時間="), kRounds);
    EXPECT_EQ(occurrences(text, "[SYSLOG][■--ERROR--■] func={_log() format} buf size over"),
              kRounds);
    EXPECT_EQ(occurrences(text, "[SYSLOG][■--ERROR--■] func={_log() format} NULL"), kRounds);
    EXPECT_EQ(occurrences(text, "[SYSLOG][■--CRETICAL--■] func={_log() format} 展開後の行が"),
              kRounds);
    EXPECT_EQ(occurrences(text, "[SYSLOG][■--CRETICAL--■] quillpen line=879logWrite"), kRounds);
}

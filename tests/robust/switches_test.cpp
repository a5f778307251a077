// logInit's five switches outside the values they name: stamp modes without a layout,
// newline modes past 2, any level threshold, any LOG_SLEEP and byte-order-mark value. None
// faults; each gives exactly the file its values promise.
#include <climits>
#include <string>
#include <vector>

#include "robust/expected_text.h"
#include "robust/log_parse.h"
#include "support/session_fixture.h"

namespace {

const std::string kSleepNotice =
    "##### LOG_SLEEP Switch ON! No save logs...  logInit() No.5 Param 0 Set to start Log! #####";

class Switches : public SessionTest {
   protected:
    void fresh() { std::filesystem::remove_all(root_ / "logs"); }
};
}  // namespace

TEST_F(Switches, StampModesWithoutALayoutWriteNoStampedLine) {
    // Such a mode makes every time-stamped line empty, so none is written, the start and
    // end lines included; [SYSLOG] lines, dumps and tables do not use stamps.
    for (int32_t mode : {10, 17, 65536, -1, INT32_MIN, INT32_MAX}) {
        fresh();
        ASSERT_EQ(open(mode), 1) << mode;
        _log(W("line"));
        log_error(W("line"));
        w32_err_log(W("f"), 1);
        _log(nullptr);
        logPut(W("ab"), 2, 1, 10);
        makeBitStringUSHORT16(0x1234, W("t"));
        logTerm();
        EXPECT_EQ(readLog(), nullLine("_log() format") + robust::putStart(2) + "ab" +
                                 robust::kPutEnd + robust::ushortTable(0x1234, "t"))
            << mode;
    }
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Switches, NewlineModesPastTwoKeepTheLastByteTerminator) {
    // Time-stamped lines fall back to CR LF; dump and table lines keep the byte terminator
    // of the last session that set one.
    for (const auto& [setter, kept] :
         std::vector<std::pair<int32_t, std::string>>{{1, "\r"}, {2, "\n"}, {0, "\r\n"}}) {
        fresh();
        ASSERT_EQ(open(0, setter), 1);
        logTerm();
        for (int32_t mode : {3, -1, INT32_MIN, INT32_MAX}) {
            fresh();
            ASSERT_EQ(open(0, mode), 1) << mode;
            _log(W("x"));
            logPut(W("ab"), 2, 0, 10);
            logTerm();
            EXPECT_EQ(readLog(), sessionLines(logPath(), line0("x") + kept + "ab" + kept))
                << setter << " then " << mode;
        }
    }
}

TEST_F(Switches, AnyLevelThreshold) {
    const char* const names[] = {"critical", "error", "warning", "info", "debug"};
    for (int32_t level : {INT32_MIN, -2, -1, 0, 1, 3, 5, 6, INT32_MAX}) {
        fresh();
        ASSERT_EQ(open(0, 0, 0, level), 1) << level;
        log_critical(W("critical"));
        log_error(W("error"));
        log_warning(W("warning"));
        log_info(W("info"));
        log_debug(W("debug"));
        _log(nullptr);
        _log(W("always"));
        makeBitStringUSHORT16(1, W("t"));
        logTerm();
        std::string body;
        for (int number = 1; number <= 5; ++number)
            if (level >= number) body += line0(names[number - 1]);
        if (level >= 0) body += nullLine("_log() format");
        body += line0("always") + robust::ushortTable(1, "t");
        EXPECT_EQ(readLog(), sessionLines(logPath(), body)) << level;
    }
}

TEST_F(Switches, AnySleepValue) {
    // 1 writes the notice; every non-zero value silences every writer and every refusal.
    for (int32_t sleep : {1, 2, -1, INT32_MIN, INT32_MAX}) {
        fresh();
        ASSERT_EQ(open(0, 0, sleep), 1) << sleep;
        _log(W("x"));
        _log(nullptr);
        log_critical(repeat(W('a'), 4096).c_str());
        w32_err_log(repeat(W('f'), 261).c_str(), 1);
        logPut(W("x"), 1, 1, 5);
        logPutHex(W("x"), 9000, 1, 10);
        logDumpUTF8(W("x"), 0, W("p"));
        makeBitStringUnicodeScalarValue(0x110000, W("t"));
        profileTimeStart(W("t"));
        profileTimeStop();
        logTerm();
        EXPECT_EQ(readLog(), sleep == 1 ? kSleepNotice : "") << sleep;
    }
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Switches, AnyByteOrderMarkValue) {
    // Only 1 writes the mark; the decode dump names the mark for any non-zero value.
    for (int32_t bom : {0, 1, 2, -1, INT32_MIN, INT32_MAX}) {
        fresh();
        ASSERT_EQ(open(0, 0, 0, 5, bom), 1) << bom;
        logDumpUTF8(W("x"), 0, W("p"));
        logTerm();
        const std::string log = robust::maskAddresses(readLog());
        const std::string charSet = bom != 0 ? "UTF8N(BomSet)" : "UTF8(NoBom)";
        std::string table = robust::asciiDecodeTable("x", "p");
        table.replace(table.find("UTF8(NoBom)"), 11, charSet);
        EXPECT_EQ(log, (bom == 1 ? "\xEF\xBB\xBF" : "") + sessionLines(logPath(), table)) << bom;
    }
}

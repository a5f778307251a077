// A disk that fills up: WriteFile fails (nothing written, or half of the bytes) on any one
// write of a session, or on every write from there on. Whatever write fails, the file holds
// every other write whole and the failed one at most in part, the library goes on exactly
// as it would have, reports nothing (the library does not examine a write's result), and once
// the disk has room again the next line is whole.
#include <climits>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "platform/seams.h"
#include "robust/log_parse.h"
#include "robust/write_faults.h"
#include "support/session_fixture.h"

namespace {
using robust::Fault;

// The writes with the decode dumps' addresses, which differ from run to run, masked.
std::vector<std::string> masked(std::vector<std::string> writes) {
    for (std::string& piece : writes) piece = robust::maskAddresses(piece);
    return writes;
}

class WriteFault : public SessionTest {
   protected:
    // Runs `calls` in a session of `stampMode` (and `bom`), then a line "after" once the disk
    // has room again, then logTerm. A first run with every write passing gives the session's
    // writes; then each write from logInit's first to the last of `calls` fails, alone and
    // with all writes after it, in both kinds of fault. Returns the number of fault runs.
    int everyFault(const std::function<void()>& calls, int32_t stampMode = 0, int32_t bom = 0) {
        robust::recordWrites();
        EXPECT_EQ(open(stampMode, 0, 0, 5, bom), 1);
        calls();
        const int faultable = static_cast<int>(robust::attemptedWrites().size());
        cleanWrites_.assign(robust::attemptedWrites().begin(), robust::attemptedWrites().end());
        robust::clearWriteFaults();
        _log(W("after"));
        logTerm();
        const std::vector<std::string> writes = robust::attemptedWrites();
        EXPECT_EQ(readLog(), robust::received(writes, Fault::DiskFull, 0, 0));
        if (stampMode == 0) {  // the oracle's tail, spelled out once
            std::string tail;
            for (size_t i = static_cast<size_t>(faultable); i < writes.size(); ++i)
                tail += writes[i];
            EXPECT_EQ(tail, line0("after") + line0("--- [app] end Log. ---"));
        }
        int runs = 0;
        for (Fault fault : {Fault::DiskFull, Fault::ShortWrite}) {
            for (int first = 0; first < faultable; ++first) {
                for (bool stays : {false, true}) {
                    const int last = stays ? faultable : first + 1;
                    SCOPED_TRACE(std::string(robust::faultName(fault)) + " from write " +
                                 std::to_string(first) + " to " + std::to_string(last));
                    std::filesystem::remove_all(root_ / "logs");
                    boxes().clear();
                    robust::injectWriteFaults(fault, first, stays ? INT_MAX : first + 1);
                    EXPECT_EQ(open(stampMode, 0, 0, 5, bom), 1);
                    calls();
                    robust::clearWriteFaults();
                    _log(W("after"));
                    logTerm();
                    quillpen::seams::setWriteFile(nullptr);
                    // The same writes as without the fault: nothing retried, dropped or added.
                    EXPECT_EQ(masked(robust::attemptedWrites()), masked(writes));
                    EXPECT_EQ(robust::maskAddresses(readLog()),
                              robust::maskAddresses(robust::received(writes, fault, first, last)));
                    EXPECT_TRUE(boxes().empty());
                    ++runs;
                    if (HasFailure()) return runs;
                }
            }
        }
        std::cout << "[ robust   ] " << runs << " sessions, each with a failed write\n";
        return runs;
    }

    std::vector<std::string> cleanWrites_;  // the writes of logInit and the calls, unfailed
};

const std::string kEndLine = line0("--- [app] end Log. ---");
}  // namespace

TEST_F(WriteFault, TimeStampedAndSyslogLines) {
    const int runs = everyFault(
        [] {
            _log(W("count=%d %s"), 5, W("日本語😀"));
            log_warning(W("warning %d"), 3);
            log_critical(W("critical"));
            _log(nullptr);                                // a [SYSLOG] line
            _log(W("%s"), repeat(W('x'), 8200).c_str());  // the CRETICAL line
            _log(repeat(W('y'), 4096).c_str());           // the length guard's line
            w32_reset_errCode();  // a failed write leaves ERROR_DISK_FULL behind
            w32_err_log(W("file.c main"), 77);
        },
        8192);
    EXPECT_EQ(runs, 2 * 2 * 8);  // the start line and seven lines
    // Each line is one write of its own: no write holds part of a line, or two.
    for (const std::string& line : cleanWrites_) {
        EXPECT_EQ(robust::countOf(line, "\r\n"), 1) << line;
        EXPECT_EQ(line.compare(line.size() - 2, 2, "\r\n"), 0) << line;
    }
}

TEST_F(WriteFault, StartOfTheFile) {
    // The byte-order mark and the start line are written by logInit, whose result does not
    // depend on them.
    const int runs = everyFault([] {}, 0, 1);
    EXPECT_EQ(runs, 2 * 2 * 2);
}

TEST_F(WriteFault, TextDumpPieceByPiece) {
    const int runs = everyFault([] {
        logPut(W("abcdefghij日本語😀klmnop"), 20, 1, 10);
        logPut(W("0123456789abc"), 13, 0, 12);
    });
    // 20 characters, 2 breaks, 2 frame pieces; 13 characters, 1 break, 2 bare terminators.
    EXPECT_EQ(runs, 2 * 2 * (1 + 24 + 16));
}

TEST_F(WriteFault, HexDumpPieceByPiece) {
    const int runs = everyFault([] {
        logPutHex(W("abcé日😀"), 7, 1, 10);
        logPutHex(W("xyz"), 3, 0, 10);
    });
    // 12 bytes, 1 break, 2 frame pieces; 3 bytes, 2 bare terminators.
    EXPECT_EQ(runs, 2 * 2 * (1 + 15 + 5));
}

TEST_F(WriteFault, DecodeDumpWithItsMessages) {
    // Stamp mode 1 adds the timing line; the tab adds the one-byte message before the table.
    const int runs = everyFault(
        [] {
            logDumpUTF8(W("ABCDEFG日éZ\tq"), 0, W("p"));
            logDumpUTF8(repeat(W('あ'), 2813).c_str(), 0, W("big"));  // 8439 bytes: refused
        },
        1);
    EXPECT_EQ(runs, 2 * 2 * (1 + 3 + 2));
}

TEST_F(WriteFault, BitTables) {
    const int runs = everyFault([] {
        makeBitStringUSHORT16(0x1234, W("u16"));
        makeBitStringUINT32(0x12345678, W("u32"));
        makeBitStringUnicodeScalarValue(0x1F600, W("smile"));
        makeBitStringUnicodeScalarValue(0x110000, W("out of range"));
    });
    EXPECT_EQ(runs, 2 * 2 * (1 + 4));
}

TEST_F(WriteFault, StopwatchAndRefusedBoxes) {
    const int runs = everyFault([] {
        profileTimeStart(W("load"));
        profileTimeStop();
        msgBox(repeat(W('m'), 256).c_str(), W("t"));
        profileTimeStart(repeat(W('p'), 129).c_str());
    });
    EXPECT_EQ(runs, 2 * 2 * (1 + 3));
}

TEST_F(WriteFault, DiskFullThroughLogTermStillClosesTheFile) {
    ASSERT_EQ(open(), 1);
    _log(W("before"));
    robust::injectWriteFaults(Fault::ShortWrite, 0);
    _log(W("lost"));
    makeBitStringUSHORT16(1, W("lost"));
    logTerm();  // its end line fails too
    ASSERT_EQ(robust::attemptedWrites().size(), 3u);
    quillpen::seams::setWriteFile(nullptr);
    // The file was closed all the same: the same process opens it again and appends.
    ASSERT_EQ(open(), 1);
    _log(W("again"));
    logTerm();
    const std::vector<std::string>& failed = robust::attemptedWrites();
    std::string halves;
    for (const std::string& piece : failed) halves += piece.substr(0, piece.size() / 2);
    EXPECT_EQ(halves.substr(0, 4), "[los");  // half of "[lost]\r\n"
    const std::string start = "[--- [app] start Log={" + logPath().u8string() + "} ---]\r\n";
    EXPECT_EQ(readLog(), start + line0("before") + halves + start + line0("again") + kEndLine);
    EXPECT_TRUE(boxes().empty());
}

#ifndef _WIN32
TEST_F(WriteFault, ARealFullDevice) {
    // The file of the day is a link to /dev/full: every write fails with ENOSPC, which the
    // POSIX layer turns into ERROR_DISK_FULL.
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::filesystem::create_directories(root_ / "logs");
    std::filesystem::create_symlink("/dev/full", logPath());
    ASSERT_EQ(open(), 1);
    _log(W("lost"));
    logPut(W("lost"), 4, 1, 10);
    logDumpUTF8(W("lost"), 0, W("p"));
    makeBitStringUINT32(7, W("lost"));
    logTerm();
    EXPECT_TRUE(boxes().empty());
    std::filesystem::remove(logPath());
    ASSERT_EQ(open(), 1);
    _log(W("room again"));
    logTerm();
    EXPECT_EQ(readLog(), sessionLines(logPath(), line0("room again")));
}
#endif

// Rows for the dump, bit-table and stopwatch tests: a session (stamp mode, newline mode,
// BOM), the calls made in it, the exact bytes the file gains inside its start and end lines.
#pragma once

#include <functional>

#include "platform/seams.h"
#include "support/session_fixture.h"

struct FileRow {
    int32_t stamp, nl, bom;
    std::function<void()> calls;
    std::string bytes;
};

class FileRows : public SessionTest {
   protected:
    // Each row in a session of its own on an empty directory; decode-table addresses masked.
    void check(const std::vector<FileRow>& rows) {
        static const char* const kEol[] = {"\r\n", "\n", "\r"};  // of lines by newline mode
        const std::string stamp = "tid=" + std::to_string(int32_t(GetCurrentThreadId())) +
                                  ":0.000000[秒]";  // stamp mode 1 on a frozen clock
        for (const FileRow& row : rows) {
            SCOPED_TRACE("row " + std::to_string(&row - rows.data()));
            std::filesystem::remove_all(root_ / "logs");
            ASSERT_EQ(open(row.stamp, row.nl, 0, 5, row.bom), 1);
            row.calls();
            EXPECT_TRUE(scratchClear());
            logTerm();
            std::string file = sessionLines(logPath(), row.bytes, kEol[row.nl]);
            if (row.stamp == 1) file.insert(file.rfind("[--- [app] end"), stamp).insert(0, stamp);
            EXPECT_EQ(maskAddresses(readLog()), (row.bom ? "\xEF\xBB\xBF" : "") + file);
        }
    }
};

// Whole decode-table rows are laid out at once from tables where they can be; the
// per-character steps take every other row. Both must give the same bytes: generated texts
// of every character length, cut at every column and by the group mark, with and without
// control bytes, are composed both ways and compared row by row and whole, including
// blocks too small for the tables' room.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/session_lock.h"
#include "dumps/utf8.h"
#include "support/session_fixture.h"

namespace {
// The tables read past the data; the test's buffers give them that room, zero-filled.
constexpr size_t kQuickRowTailRoom = quillpen::kQuickRowTail;

// Valid UTF-8 of `bytes` bytes or a little less, characters of 1 to 4 bytes; one in
// `controlOdds` one-byte characters is a control byte (none when 0).
std::string generatedText(std::mt19937& gen, size_t bytes, unsigned controlOdds) {
    const char* const pieces[] = {"A",
                                  "|",
                                  ".",
                                  "`",
                                  " ",
                                  "~",
                                  "\xC3\xA9",
                                  "\xDF\xBF",
                                  "\xE6\x97\xA5",
                                  "\xEF\xBF\xBD",
                                  "\xE0\xA0\x80",
                                  "\xF0\x9F\x98\x80",
                                  "\xF4\x8F\xBF\xBF"};
    const char* const controls[] = {"\x01", "\t", "\x1F", "\x7F"};
    std::string text;
    for (;;) {
        std::string piece = pieces[gen() % std::size(pieces)];
        if (controlOdds != 0 && gen() % controlOdds == 0) piece = controls[gen() % 4];
        if (text.size() + piece.size() > bytes) break;
        text += piece;
    }
    return text;
}

struct Composed {
    std::string text;
    bool whole;
    int quickRows;
};

// The rows of `data` in a block of `capacity` bytes, by the per-character steps alone or
// with quick rows wherever they are taken.
Composed composeRows(const std::string& data, int32_t capacity, bool quick) {
    std::vector<char> buffer(data.size() + kQuickRowTailRoom, '\0');
    data.copy(buffer.data(), data.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
    std::vector<char> text(static_cast<size_t>(capacity));
    quillpen::DumpBlock block{text.data(), capacity, 0};
    quillpen::Utf8Cursor cur{};
    cur.pb = bytes;
    cur.size = static_cast<int32_t>(data.size());
    Composed composed{"", true, 0};
    while (composed.whole && cur.cnt < cur.size) {
        const int32_t before = cur.cnt;
        if (quick && quillpen::appendQuickRows(block, cur, bytes)) {
            composed.quickRows += (cur.cnt - before) / 16;
            continue;
        }
        composed.whole = quillpen::appendRow(block, cur, bytes);
    }
    composed.text.assign(block.text, static_cast<size_t>(block.outLen));
    return composed;
}
}  // namespace

TEST_F(SessionTest, QuickRowsAndPerCharacterRowsAreTheSame) {
    ASSERT_EQ(open(), 1);
    quillpen::SessionLock lock;  // the per-character steps report control bytes
    if (!quillpen::quickRowsAvailable()) GTEST_SKIP() << "no AVX2: rows are per character";
    std::mt19937 gen(20261206);
    int quickRows = 0;
    int rows = 0;
    for (int t = 0; t < 1500; ++t) {
        const size_t bytes = 16 + gen() % (t < 1000 ? 200 : 2000);
        const std::string data = generatedText(gen, bytes, t % 3 == 0 ? 40 : 0);
        const auto rowsOfData = static_cast<int32_t>((data.size() + 15) / 16);
        // Room for every row, or a block that runs out within the last rows.
        const int32_t capacity = t % 5 == 0 ? std::max(1, rowsOfData * quillpen::kMaxRowBytes -
                                                              static_cast<int32_t>(gen() % 300))
                                            : rowsOfData * quillpen::kMaxRowBytes + 200;
        const Composed steps = composeRows(data, capacity, false);
        const Composed quick = composeRows(data, capacity, true);
        ASSERT_EQ(quick.text, steps.text) << "text " << t << ", " << data.size() << " bytes";
        ASSERT_EQ(quick.whole, steps.whole) << "text " << t;
        quickRows += quick.quickRows;
        rows += rowsOfData;
    }
    // The comparison means something only if most rows were laid out from the tables.
    EXPECT_GT(quickRows, rows / 2);
}

TEST_F(SessionTest, QuickRowsStopAtAControlByteAndAtTheLastPartRow) {
    ASSERT_EQ(open(), 1);
    quillpen::SessionLock lock;
    if (!quillpen::quickRowsAvailable()) GTEST_SKIP() << "no AVX2: rows are per character";
    // Rows 0 to 2 are whole and clean; row 3 holds a tab; row 5 is a part row.
    std::string data(16 * 5 + 7, 'a');
    data[16 * 3 + 9] = '\t';
    std::vector<char> buffer(data.size() + kQuickRowTailRoom, '\0');
    data.copy(buffer.data(), data.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
    std::vector<char> text(2000);
    quillpen::DumpBlock block{text.data(), 2000, 0};
    quillpen::Utf8Cursor cur{};
    cur.pb = bytes;
    cur.size = static_cast<int32_t>(data.size());
    ASSERT_TRUE(quillpen::appendQuickRows(block, cur, bytes));
    EXPECT_EQ(cur.cnt, 48);
    EXPECT_FALSE(quillpen::appendQuickRows(block, cur, bytes));
    ASSERT_TRUE(quillpen::appendRow(block, cur, bytes));
    ASSERT_TRUE(quillpen::appendQuickRows(block, cur, bytes));
    EXPECT_EQ(cur.cnt, 80);
    EXPECT_FALSE(quillpen::appendQuickRows(block, cur, bytes));
    EXPECT_EQ(cur.pb, bytes + 80);
}

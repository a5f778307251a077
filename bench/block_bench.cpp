// Everything that is not a plain time-stamped line, each against the floor of writing the
// same bytes with the same number of writes: a [SYSLOG] line (the stopwatch's), the text,
// hex and decode dumps of 4 KB of mixed text, and the three bit tables.
#include "families.h"
#include "support.h"

namespace bench {
namespace {
// About 4 KB of UTF-8 in one-, two-, three- and four-byte characters, no control bytes.
const WString& mixedText() {
    static const WString text = [] {
        const std::string piece =
            "quillpen writes caf\xC3\xA9 na\xC3\xAFve "
            "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE"
            "\xE6\x96\x87\xE5\xAD\x97 \xF0\x9F\x98\x80 "
            "\xCE\xB1\xCE\xB2\xCE\xB3 0123456789 ";
        std::string utf8;
        while (utf8.size() + piece.size() <= 4096) utf8 += piece;
        while (utf8.size() < 4096) utf8 += '.';
        return widen(utf8);
    }();
    return text;
}

struct Block {
    const char* name;
    void (*call)();
};

void syslogLine() { profileTimeStop(); }
void textDump() { logPut(mixedText().c_str(), 4096, 1, 80); }
void hexDump() { logPutHex(mixedText().c_str(), 4096, 1, 80); }
void decodeDump() { logDumpUTF8(mixedText().c_str(), 0, u"bench"); }
void table16() { makeBitStringUSHORT16(0xBEEF, u"bench"); }
void table32() { makeBitStringUINT32(0xDEADBEEF, u"bench"); }
void scalarTable() { makeBitStringUnicodeScalarValue(0x1F600, u"bench"); }

const Block kBlocks[] = {
    {"syslog", syslogLine},      {"text_dump", textDump}, {"hex_dump", hexDump},
    {"decode_dump", decodeDump}, {"bits16", table16},     {"bits32", table32},
    {"scalar", scalarTable},
};

void runBlock(benchmark::State& state, const Block* block) {
    profileTimeStart(u"bench");
    const auto pieces = recordWrites(8192, block->call);
    Session session(state, 8192);
    if (!session.ok()) return;
    for (auto _ : state) block->call();
    setCallCounters(state, pieces);
}

void runBlockFloor(benchmark::State& state, const Block* block) {
    profileTimeStart(u"bench");
    runFloor(state, recordWrites(8192, block->call));
}

// The decode table against its floor, paired: each table adds 22 KB to its file, and over a
// run the page cache's state moves both timings far more than the table's own cost.
void pairedDecodeFloor(benchmark::State& state) { runPairedFloor(state, decodeDump); }
}  // namespace

void registerBlockFamily() {
    for (const Block& block : kBlocks) {
        const std::string name = block.name;
        benchmark::RegisterBenchmark((name + "/quillpen").c_str(), runBlock, &block);
        benchmark::RegisterBenchmark((name + "/floor").c_str(), runBlockFloor, &block);
    }
    benchmark::RegisterBenchmark("paired/decode_dump_vs_floor", pairedDecodeFloor);
}

}  // namespace bench

// _log of one %s message from 16 B to 4 KB: the line against the floor of its bytes, and
// the library's own work alone (WriteFile replaced by a call that writes nothing), whose
// cost per message byte must stay the same from the shortest message to the longest.
#include "families.h"
#include "platform/seams.h"
#include "support.h"

namespace bench {
namespace {
BOOL discardWrite(HANDLE, LPCVOID, DWORD count, LPDWORD written, LPOVERLAPPED) {
    if (written) *written = count;
    return TRUE;
}

WString message(int64_t bytes) {
    WString text;
    for (int64_t i = 0; i < bytes; ++i) text += static_cast<qp_wchar>(u'a' + i % 26);
    return text;
}

void lengthLine(benchmark::State& state) {
    const WString text = message(state.range(0));
    const auto call = [&text] { _log(u"%s", text.c_str()); };
    const auto pieces = recordWrites(8192, call);
    Session session(state, 8192);
    if (!session.ok()) return;
    for (auto _ : state) call();
    setCallCounters(state, pieces);
}

void lengthFloor(benchmark::State& state) {
    const WString text = message(state.range(0));
    runFloor(state, recordWrites(8192, [&text] { _log(u"%s", text.c_str()); }));
}

void lengthCompose(benchmark::State& state) {
    const WString text = message(state.range(0));
    Session session(state, 8192);
    if (!session.ok()) return;
    quillpen::seams::setWriteFile(discardWrite);
    for (auto _ : state) _log(u"%s", text.c_str());
    quillpen::seams::setWriteFile(nullptr);
}
}  // namespace

void registerLengthFamily() {
    for (auto* bench : {benchmark::RegisterBenchmark("length/quillpen", lengthLine),
                        benchmark::RegisterBenchmark("length/floor", lengthFloor),
                        benchmark::RegisterBenchmark("length/compose", lengthCompose)})
        for (int64_t bytes : kMessageBytes) bench->Arg(bytes);
}

}  // namespace bench

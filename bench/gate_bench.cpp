// Calls that write nothing: a level the threshold filters out, and any writer with
// LOG_SLEEP on. They cost a check, never a formatting pass; an uncontended mutex pair is
// shown beside them for scale.
#include <pthread.h>

#include "families.h"
#include "peer_line.h"
#include "support.h"

namespace bench {
namespace {
void filteredLevel(benchmark::State& state) {
    Session session(state, 8192, 0, 3);  // logLevel 3: log_debug and log_info are filtered
    if (!session.ok()) return;
    for (auto _ : state) log_debug(u"count=%d user=%s", kCount, kUserW);
}

void sleepingLog(benchmark::State& state) {
    Session session(state, 8192, 2);  // any non-zero LOG_SLEEP; 1 would also write a notice
    if (!session.ok()) return;
    for (auto _ : state) _log(u"count=%d user=%s", kCount, kUserW);
}

void mutexPair(benchmark::State& state) {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    for (auto _ : state) {
        pthread_mutex_lock(&mutex);
        benchmark::ClobberMemory();
        pthread_mutex_unlock(&mutex);
    }
}
}  // namespace

void registerGateFamily() {
    benchmark::RegisterBenchmark("gate/level_filtered", filteredLevel);
    benchmark::RegisterBenchmark("gate/log_sleep", sleepingLog);
    benchmark::RegisterBenchmark("gate/mutex_pair", mutexPair);
}

}  // namespace bench

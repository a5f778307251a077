// The benchmark families; each registers its benchmarks with Google Benchmark.
#pragma once

#include <cstdint>

namespace bench {

// The message lengths of the length family, in bytes.
inline constexpr int64_t kMessageBytes[] = {16, 64, 256, 1024, 4096};

// _log against the floor and the durable peers.
void registerLineFamily();
// Calls that must write nothing: a filtered level, LOG_SLEEP.
void registerGateFamily();
// [SYSLOG] lines, the three dumps and the three bit tables, each against its floor.
void registerBlockFamily();
// _log with messages of 16 B to 4 KB.
void registerLengthFamily();

}  // namespace bench

// WriteFile under test control: every write the library makes is recorded, and the writes
// in a chosen window fail the way a full disk makes them fail.
#pragma once

#include <climits>
#include <string>
#include <vector>

namespace robust {

// How a failing write fails: the disk is full before its first byte, or after half of them
// (the first half reaches the file). Either way WriteFile returns FALSE with ERROR_DISK_FULL.
enum class Fault { DiskFull, ShortWrite };

// Installs the seam: writes are recorded and passed on, except that those whose index
// (counted from 0 since this call) lies in [first, last) fail with `fault`.
void injectWriteFaults(Fault fault, int first, int last = INT_MAX);
// Records and passes every write on.
void recordWrites();
// From now on every write passes again (and is still recorded): the disk has room.
void clearWriteFaults();
// Every write attempted since the seam was installed, whole, in order.
const std::vector<std::string>& attemptedWrites();
// The bytes of the writes attempted since the seam was installed or this was last called.
std::string takeWritten();

// What a file receives from `writes` when those with index in [first, last) fail with
// `fault`: the others whole, a failed one as far as it got.
std::string received(const std::vector<std::string>& writes, Fault fault, int first, int last);

const char* faultName(Fault fault);

}  // namespace robust

// One call of every export that writes to the log, with valid arguments: what a host
// typically does between logInit and logTerm.
#pragma once

namespace robust {

// _log, the five level functions, w32_err_log (with the last error cleared first),
// logPut, logPutHex, logDumpUTF8, the three bit tables, and a stopwatch start and stop:
// 16 calls that write, plus GetLastErr and w32_reset_errCode.
void writeWithEveryExport();

}  // namespace robust

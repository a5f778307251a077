// Reading a log file back: its lines, counts of a text, and the one field that changes
// from run to run.
#pragma once

#include <string>
#include <vector>

namespace robust {

// The lines of `text` split at CR LF, without their terminators. A last line without its
// CR LF is returned too, and `whole` (when given) tells whether the text ended with one.
std::vector<std::string> splitLines(const std::string& text, bool* whole = nullptr);

// Occurrences of `needle` in `text` (not overlapping).
int countOf(const std::string& text, const std::string& needle);

// Replaces the digits of every decode-dump address ("addr={00000000012A4F30}") with '#',
// keeping their number, so that dumps from different runs compare equal.
std::string maskAddresses(std::string text);

}  // namespace robust

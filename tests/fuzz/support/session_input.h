// Session switches and host texts drawn from a fuzz input, shared by the session targets.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "support/ref_utf.h"

namespace fuzz {
using namespace ::ref;
}

namespace fuzz {

// A host text: null, or units from the input (no 0 unit), sometimes repeated to lengths
// around the library's limits.
struct Text {
    bool null = false;
    WString units;
    const qp_wchar* ptr() const { return null ? nullptr : units.c_str(); }
};
Text consumeText(FuzzedDataProvider& in, size_t maxUnits);

// One of the stamp modes that write lines, or now and then any number.
int32_t consumeStampMode(FuzzedDataProvider& in);

// The terminators a session's newline mode gives: time-stamped and [SYSLOG] lines use the
// wide one; dumps and tables the byte one, which modes other than 0, 1 and 2 leave as the
// previous session set it.
class Terminators {
   public:
    void onInit(int32_t newlineMode);
    const std::string& lines() const { return lines_; }
    const std::string& blocks() const { return blocks_; }

   private:
    std::string lines_ = "\r\n";
    std::string blocks_;  // empty until a session sets it
};

}  // namespace fuzz

// The line every peer writes, as a C host writes it by hand: the local time of each call,
// then the message, 45 bytes with CR LF.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace bench {

constexpr int32_t kCount = 12345;
constexpr char kUser[] = "anna";
constexpr char16_t kUserW[] = u"anna";
constexpr char kPeerLineFormat[] = "%04d-%02d-%02d %02d:%02d:%02d:[count=%d user=%s]\r\n";

inline struct tm localNow() {
    const time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    return t;
}

// snprintf of the line into `line`; its length.
inline int formatPeerLine(char* line, size_t size) {
    const struct tm t = localNow();
    return std::snprintf(line, size, kPeerLineFormat, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                         t.tm_hour, t.tm_min, t.tm_sec, kCount, kUser);
}

}  // namespace bench

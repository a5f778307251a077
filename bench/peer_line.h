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

// Room of the buffer the line formatters below write into.
constexpr size_t kLineRoom = 128;

// snprintf of the line into `line` (kLineRoom bytes); its length.
inline int formatPeerLine(char* line) {
    const struct tm t = localNow();
    return std::snprintf(line, kLineRoom, kPeerLineFormat, t.tm_year + 1900, t.tm_mon + 1,
                         t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, kCount, kUser);
}

// The least a host can do for the same line in UTF-16, written by hand for this one line:
// the local time broken down once a second, the digits and text put unit by unit, the
// units converted to UTF-8 by a plain loop. The bar for a library that takes a format and
// UTF-16 text: close to the least the same job allows. Returns the bytes in `out`
// (kLineRoom bytes).
inline int formatHandLine(char* out) {
    static time_t second = -1;
    static struct tm t;
    const time_t now = time(nullptr);
    if (now != second) {
        localtime_r(&now, &t);
        second = now;
    }
    char16_t line[64];
    int n = 0;
    const auto digits = [&](int value, int width) {
        for (int k = width - 1; k >= 0; --k, value /= 10)
            line[n + k] = static_cast<char16_t>(u'0' + value % 10);
        n += width;
    };
    const auto text = [&](const char16_t* s) {
        while (*s) line[n++] = *s++;
    };
    digits(t.tm_year + 1900, 4), text(u"-"), digits(t.tm_mon + 1, 2), text(u"-");
    digits(t.tm_mday, 2), text(u" "), digits(t.tm_hour, 2), text(u":"), digits(t.tm_min, 2);
    text(u":"), digits(t.tm_sec, 2), text(u":[count="), digits(kCount, 5), text(u" user=");
    text(kUserW), text(u"]\r\n");
    int bytes = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = line[i];
        if (c < 0x80) {
            out[bytes++] = static_cast<char>(c);
        } else if (c < 0x800) {
            out[bytes++] = static_cast<char>(0xC0 | (c >> 6));
            out[bytes++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out[bytes++] = static_cast<char>(0xE0 | (c >> 12));
            out[bytes++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[bytes++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

}  // namespace bench

// The one UTF-16 to UTF-8 converter: a text converted piece by piece (a stamp, a message,
// a terminator, or a whole text at once) gives the bytes of the whole. A high surrogate
// waits for the unit after it; a surrogate without its partner is dropped.
//   u"a" u"\xD83D" u"\xDE00" u"\xD83D]" => 61 F0 9F 98 80 5D
// Bytes are stored while whole characters fit `room`, and counted beyond it.
//
// It is also the printf engine's sink for a line (core/format_engine.h): what the engine
// writes is measured in units, as in a wide buffer, and cut after `maxUnits`. A NUL unit
// the engine writes (a %c of 0) ends the text there, as a wide buffer's text ends at its
// NUL, though the units after it still count toward the cut.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "text/utf.h"

namespace quillpen {

class Utf8Sink {
   public:
    Utf8Sink(char* dst, int room, int maxUnits) : dst_(dst), room_(room), maxUnits_(maxUnits) {}

    // The printf engine's side: whole runs cut at the room, single characters whole or not.
    bool cut() const { return cut_; }
    int space() const { return maxUnits_ - taken_; }
    template <typename T>
    void copy(const T* src, int n) {
        n = take(n);
        if constexpr (std::is_same_v<T, char>) {  // the engine's own texts: numbers, "(null)"
            if (ended_ || n == 0) return;
            high_ = 0;  // ASCII, so a waiting high surrogate has no partner
            if (n <= room_ - bytes_) {
                std::memcpy(dst_ + stored_, src, static_cast<size_t>(n));
                stored_ += n;
            }
            bytes_ += n;
            units_ += n;
            return;
        }
        for (int i = 0; i < n;) {
            if (!ended_ && !high_) i += putAscii(src + i, n - i);
            if (i < n) put(unitOf(src[i++]));
        }
    }
    void fill(int c, int n) {
        n = take(n);
        for (int i = 0; i < n; ++i) put(static_cast<uint32_t>(c));
    }
    template <typename T>
    bool putChar(const T* units, int n) {
        if (cut_ || n > space()) {
            cut_ = true;
            return false;
        }
        if (n == 1 && units[0] == 0) {  // not a character: the end of the text
            take(1);
            ended_ = true;
            high_ = 0;
            return true;
        }
        copy(units, n);
        return true;
    }

    // Appends a terminated text of the library's own (a banner, "]", a terminator) after
    // what the engine wrote, outside its measure.
    void append(const qp_wchar* text) {
        ended_ = false;
        for (; *text; ++text) put(unitOf(*text));
    }

    // UTF-16 units of the text (without what followed a NUL the engine wrote); its bytes,
    // stored or not; the bytes stored, whole characters that fit the room.
    int units() const { return units_; }
    int64_t bytes() const { return bytes_; }
    int stored() const { return stored_; }

   private:
    static uint32_t unitOf(char c) { return static_cast<unsigned char>(c); }
    static uint32_t unitOf(qp_wchar c) { return static_cast<uint16_t>(c); }
    static uint32_t unitOf(uint16_t c) { return c; }

    // The part of n units that fits (none for n < 1), recording the cut of the rest.
    int take(int n) {
        if (cut_) return 0;  // nothing after a cut
        if (n > space()) {
            cut_ = true;
            n = space();
        }
        n = std::max(n, 0);
        taken_ += n;
        return n;
    }
    // Stores the leading ASCII units of the n at src, as many as fit; returns how many.
    // Text is mostly ASCII: four units are tested at once as one eight-byte word.
    template <typename T>
    int putAscii(const T* src, int n) {
        n = static_cast<int>(std::min<int64_t>(n, room_ - bytes_));
        if (n <= 0) return 0;  // past a character that did not fit, bytes_ > room_
        char* const out = dst_ + stored_;
        int i = 0;
        if constexpr (std::is_same_v<T, qp_wchar>) {
            for (uint64_t four; i + 4 <= n; i += 4) {
                std::memcpy(&four, src + i, sizeof four);
                if ((four & 0xFF80FF80FF80FF80u) != 0) break;
                for (int k = 0; k < 4; ++k) out[i + k] = static_cast<char>(src[i + k]);
            }
        }
        for (; i < n && unitOf(src[i]) < 0x80; ++i) out[i] = static_cast<char>(src[i]);
        bytes_ += i;
        stored_ += i;
        units_ += i;
        return i;
    }
    void put(uint32_t u) {
        if (ended_) return;
        const uint32_t high = high_;
        high_ = 0;
        ++units_;
        if (u >= 0xD800 && u <= 0xDFFF) {
            if (u <= 0xDBFF)
                high_ = u;
            else if (high)
                store(0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00));
            return;
        }
        store(u);
    }
    void store(uint32_t c) {
        const int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        // Past a character that did not fit, bytes_ > room_: nothing more is stored.
        if (n <= room_ - bytes_) stored_ += utf32ToUtf8(c, dst_ + stored_);
        bytes_ += n;
    }

    char* dst_;
    int room_;
    int maxUnits_;
    int taken_ = 0;  // units the engine wrote
    int units_ = 0;
    int stored_ = 0;
    int64_t bytes_ = 0;
    uint32_t high_ = 0;  // a high surrogate waiting for its low half
    bool ended_ = false;
    bool cut_ = false;
};

}  // namespace quillpen

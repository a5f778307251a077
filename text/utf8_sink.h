// A UTF-8 text composed from UTF-16 pieces (a stamp, a message, a terminator) in one pass,
// with the bytes utf16ToUtf8 gives the whole text: a high surrogate waits for the unit
// after it, and a surrogate without its partner is dropped.
//   u"a" u"\xD83D" u"\xDE00" u"\xD83D]" => 61 F0 9F 98 80 5D
// What the printf engine writes is measured as the engine measures a wide buffer: its
// units, cut after `maxUnits`. A NUL unit it writes (a %c of 0) ends the text there, as a
// wide buffer's text ends at its NUL; the units after it still count toward the cut.
// The bytes are stored while they fit `room` and counted beyond it.
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
            if (n <= room_ - bytes_) std::memcpy(dst_ + bytes_, src, static_cast<size_t>(n));
            bytes_ += n;
            units_ += n;
            return;
        }
        int i = 0;
        if (!ended_ && !high_ && n <= room_ - bytes_) {  // a run of ASCII goes straight in
            char* const out = dst_ + bytes_;
            if constexpr (std::is_same_v<T, qp_wchar>) i = asciiWords(src, n, out);
            for (; i < n && unitOf(src[i]) - 1 < 0x7F; ++i) out[i] = static_cast<char>(src[i]);
            bytes_ += i;
            units_ += i;
        }
        for (; i < n; ++i) put(unitOf(src[i]));
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
        copy(units, n);
        return true;
    }

    // Appends a terminated text of the library's own (a banner, "]", a terminator) after
    // what the engine wrote, outside its measure.
    void append(const qp_wchar* text) {
        ended_ = false;
        for (; *text; ++text) put(unitOf(*text));
    }

    // UTF-16 units of the text (the part before a NUL the engine wrote, and what was
    // appended), and every byte of it, stored or not: more than the room when it did not fit.
    int units() const { return units_; }
    int bytes() const { return bytes_; }

   private:
    static uint32_t unitOf(char c) { return static_cast<unsigned char>(c); }
    static uint32_t unitOf(qp_wchar c) { return static_cast<uint16_t>(c); }
    static uint32_t unitOf(uint16_t c) { return c; }

    // Copies the leading whole words of four ASCII units, none of them NUL, from the n units
    // at src; returns the units copied.
    template <typename T>
    static int asciiWords(const T* src, int n, char* out) {
        constexpr uint64_t kLow = 0x0001000100010001, kHigh = 0x8000800080008000;
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            uint64_t w;
            std::memcpy(&w, src + i, sizeof w);
            if ((w & 0xFF80FF80FF80FF80) != 0 || ((w - kLow) & ~w & kHigh) != 0) break;
            for (int k = 0; k < 4; ++k) out[i + k] = static_cast<char>(w >> (16 * k));
        }
        return i;
    }

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
    void put(uint32_t u) {
        if (ended_) return;
        const uint32_t high = high_;
        high_ = 0;
        if (u == 0) {
            ended_ = true;
            return;
        }
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
        if (c < 0x80 && bytes_ < room_) {
            dst_[bytes_++] = static_cast<char>(c);
            return;
        }
        char bytes[4];
        const int n = utf32ToUtf8(c, bytes);
        if (n <= room_ - bytes_) std::memcpy(dst_ + bytes_, bytes, static_cast<size_t>(n));
        bytes_ += n;
    }

    char* dst_;
    int room_;
    int maxUnits_;
    int taken_ = 0;  // units the engine wrote
    int units_ = 0;
    int bytes_ = 0;
    uint32_t high_ = 0;  // a high surrogate waiting for its low half
    bool ended_ = false;
    bool cut_ = false;
};

}  // namespace quillpen

// The decode table's character area, as data: what a character shows from the column its
// lead byte falls in. The per-character steps and the tables of whole rows both read it,
// so the layout is written once.
//
// Symbols: G the glyph (all the character's bytes), '.' a filler, '`' a placeholder for a
// column a two-cell glyph cannot start in, '|' the group mark between columns 7 and 8.
#pragma once

#include <cstdint>

namespace quillpen {

// Split codes: character bytes and the column it began in.
enum SplitState : int32_t {
    kSplit2At15 = 22,
    kSplit3At14 = 314,
    kSplit3At15 = 315,
    kSplit4At13 = 413,
    kSplit4At14 = 414,
    kSplit4At15 = 415,
};

struct CharShape {
    char symbols[5];    // NUL-terminated
    int8_t taken;       // data bytes the row takes
    int8_t lastColumn;  // the last column the character takes in the row
    int16_t split;      // 0, or the SplitState of the rest left for the next row
    bool splitLead;     // the glyph begins with the lead byte the previous row left
};

// A character of n bytes (1 to 4) whose lead byte falls in column c.
constexpr CharShape charShape(int n, int c) {
    const auto col = static_cast<int8_t>(c);
    switch (n * 100 + c) {
        case 207:
            return {"G|.", 2, 8, 0, false};
        case 215:
            return {"G", 1, 15, kSplit2At15, false};
        case 306:
            return {"G|.", 3, 8, 0, false};
        case 307:
            return {"`|G", 3, 9, 0, false};
        case 314:
            return {"G", 2, 15, kSplit3At14, false};
        case 315:
            return {"`", 1, 15, kSplit3At15, false};
        case 405:
            return {"G.|.", 4, 8, 0, false};
        case 406:
            return {"G|..", 4, 9, 0, false};
        case 407:
            return {"`|G.", 4, 10, 0, false};
        case 413:
            return {"G.", 3, 15, kSplit4At13, false};
        case 414:
            return {"G", 2, 15, kSplit4At14, false};
        case 415:
            return {"`", 1, 15, kSplit4At15, false};
        default:
            break;
    }
    if (n == 2) return {"G.", 2, static_cast<int8_t>(col + 1), 0, false};
    if (n == 3) return {"G.", 3, static_cast<int8_t>(col + 2), 0, false};
    if (n == 4) return {"G..", 4, static_cast<int8_t>(col + 3), 0, false};
    return {"G", 1, col, 0, false};
}

// The rest of a character the previous row's end cut, from column 0. A glyph that the
// previous row left as a placeholder is shown here whole, its lead byte included.
constexpr CharShape finishShape(int32_t split) {
    switch (split) {
        case kSplit2At15:
        case kSplit3At14:
        case kSplit4At13:
            return {".", 1, 0, 0, false};
        case kSplit4At14:
            return {"..", 2, 1, 0, false};
        case kSplit3At15:
            return {"G", 2, 1, 0, true};
        case kSplit4At15:
            return {"G.", 3, 2, 0, true};
        default:
            return {"", 0, 0, 0, false};
    }
}

}  // namespace quillpen

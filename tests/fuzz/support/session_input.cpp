#include "support/session_input.h"

namespace fuzz {

Text consumeText(FuzzedDataProvider& in, size_t maxUnits) {
    Text text;
    const int kind = in.ConsumeIntegralInRange<int>(0, 15);
    if (kind == 0) {
        text.null = true;
        return text;
    }
    text.units = unitsFromBytes(in.ConsumeRandomLengthString(2 * 300), true);
    if (kind == 15 && !text.units.empty()) {
        // Long texts: the limits lie at 128, 255, 260, 4095 and 4223 units and 8190 bytes.
        const size_t target = in.ConsumeIntegralInRange<size_t>(maxUnits / 3, maxUnits);
        const WString unit = text.units;
        while (text.units.size() < target) text.units += unit;
        text.units.resize(target);
        // A cut may leave a high surrogate at the end: a lone one, which is dropped.
    }
    if (text.units.size() > maxUnits) text.units.resize(maxUnits);
    return text;
}

int32_t consumeStampMode(FuzzedDataProvider& in) {
    static const int32_t kModes[] = {0,  1,  2,   3,   4,   5,    6,    7,    8,    9,     16,
                                     32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768};
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0) return in.ConsumeIntegral<int32_t>();
    return in.PickValueInArray(kModes);
}

void Terminators::onInit(int32_t newlineMode) {
    static const char* const kLines[] = {"\r\n", "\n", "\r"};
    static const char* const kBlocks[] = {"\r\n", "\r", "\n"};
    if (newlineMode < 0 || newlineMode > 2) {
        lines_ = "\r\n";
        return;
    }
    lines_ = kLines[newlineMode];
    blocks_ = kBlocks[newlineMode];
}

}  // namespace fuzz

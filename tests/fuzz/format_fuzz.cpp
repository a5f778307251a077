// The printf engine on any format, narrow or wide, with arguments taken from the input.
//
// Each input is formatted three times with the same arguments: into a large buffer, and
// twice into a buffer of the fuzzed `count` units filled beforehand with two different
// patterns. Units the engine wrote read the same in both runs; units it left alone keep
// their pattern. So the written units must be a prefix of the large result followed by
// its NUL, within count; the return value is that prefix's length, or -1 exactly when the
// large result is longer; and the canary after count is never touched.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/format.h"
#include "support/harness.h"

namespace {

constexpr int kLargeUnits = 1 << 16;
constexpr int kCanaryUnits = 32;
constexpr int kMaxArgs = 24;
constexpr int kStrings = 4;

struct Slot {
    int64_t bits;
    double real;
    int string;  // index into the strings, -1 for a null pointer
};

// Yields the slots in order, then zeros and nulls, counting every read.
class FuzzArgs final : public quillpen::FormatArgs {
   public:
    FuzzArgs(const std::vector<Slot>& slots, const std::vector<std::vector<qp_wchar>>& strings)
        : slots_(slots), strings_(strings) {}

    void rewind() { reads_ = 0; }
    int reads() const { return reads_; }

    int32_t nextInt32() override {
        const Slot* s = next();
        return s ? static_cast<int32_t>(s->bits) : 0;
    }
    int64_t nextInt64() override {
        const Slot* s = next();
        return s ? s->bits : 0;
    }
    double nextDouble() override {
        const Slot* s = next();
        return s ? s->real : 0.0;
    }
    const void* nextPointer() override {
        const Slot* s = next();
        if (!s || s->string < 0) return nullptr;
        return strings_[static_cast<size_t>(s->string)].data();
    }

   private:
    const Slot* next() {
        const size_t index = static_cast<size_t>(reads_++);
        return index < slots_.size() ? &slots_[index] : nullptr;
    }

    const std::vector<Slot>& slots_;
    const std::vector<std::vector<qp_wchar>>& strings_;
    int reads_ = 0;
};

template <typename Ch>
int formatArgs(Ch* dst, int count, const Ch* format, FuzzArgs& args) {
    if constexpr (sizeof(Ch) == 1)
        return quillpen::formatNarrowArgs(dst, count, format, args);
    else
        return quillpen::formatWideArgs(dst, count, format, args);
}

template <typename Ch>
std::string describe(const std::vector<Ch>& format, int count) {
    std::string bytes;
    for (Ch c : format) {
        if (!c) break;
        bytes += static_cast<char>(c & 0xFF);
        if (sizeof(Ch) > 1) bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return (sizeof(Ch) == 1 ? "narrow" : "wide") + std::string(" count=") + std::to_string(count) +
           " format=" + fuzz::show(bytes);
}

template <typename Ch>
void check(const std::vector<Ch>& format, int count, FuzzArgs& args) {
    const std::string what = describe(format, count);
    int percents = 0;
    for (Ch c : format) {
        if (!c) break;
        percents += c == '%';
    }

    std::vector<Ch> large(kLargeUnits);
    args.rewind();
    const int largeResult = formatArgs(large.data(), kLargeUnits, format.data(), args);
    const int largeReads = args.reads();
    // Each conversion reads at most a width, a precision and its value.
    FUZZ_CHECK(largeReads <= 3 * percents, what);
    // A cut large result still holds more than any count below reaches.
    const int largeLength = largeResult < 0 ? kLargeUnits - 4 : largeResult;
    if (largeResult >= 0) FUZZ_CHECK(large[static_cast<size_t>(largeResult)] == 0, what);

    const size_t room = static_cast<size_t>(count > 0 ? count : 0) + kCanaryUnits;
    std::vector<Ch> a(room), b(room);
    const Ch patternA = static_cast<Ch>(sizeof(Ch) == 1 ? 0xA5 : 0xA5A5);
    const Ch patternB = static_cast<Ch>(sizeof(Ch) == 1 ? 0x5A : 0x5A5A);
    std::fill(a.begin(), a.end(), patternA);
    std::fill(b.begin(), b.end(), patternB);
    args.rewind();
    const int resultA = formatArgs(a.data(), count, format.data(), args);
    const int readsA = args.reads();
    args.rewind();
    const int resultB = formatArgs(b.data(), count, format.data(), args);
    FUZZ_CHECK(resultA == resultB && readsA == args.reads(), what);
    FUZZ_CHECK(readsA <= largeReads, what);

    size_t written = 0;
    while (written < room && a[written] == b[written]) ++written;
    for (size_t i = written; i < room; ++i)
        FUZZ_CHECK(a[i] == patternA && b[i] == patternB, what + " wrote a unit it skipped");
    if (count < 1) {
        FUZZ_CHECK(resultA == -1 && written == 0, what);
        return;
    }
    FUZZ_CHECK(written >= 1 && written <= static_cast<size_t>(count), what + " past count");
    const size_t length = written - 1;
    FUZZ_CHECK(a[length] == 0, what + " not NUL-terminated");
    FUZZ_CHECK(length <= static_cast<size_t>(largeLength), what);
    FUZZ_CHECK(std::equal(a.begin(), a.begin() + static_cast<long>(length), large.begin()),
               what + " differs from the uncut result");
    if (resultA >= 0) {
        FUZZ_CHECK(static_cast<size_t>(resultA) == length, what);
        FUZZ_CHECK(largeResult == resultA, what + " large result differs");
    } else {
        FUZZ_CHECK(resultA == -1, what);
        FUZZ_CHECK(largeResult < 0 || static_cast<size_t>(largeResult) > length,
                   what + " reported a cut that lost nothing");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool wide = in.ConsumeBool();
    const int count = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-1, 64)
                                       : in.ConsumeIntegralInRange<int>(-1, 4096);

    std::vector<std::vector<qp_wchar>> strings(kStrings);
    for (auto& text : strings) {
        // The bytes of the input, read as bytes or as units: two NUL units end both readings.
        const std::string bytes = in.ConsumeRandomLengthString(256);
        text.assign(bytes.size() / 2 + 3, 0);
        std::memcpy(text.data(), bytes.data(), bytes.size());
    }
    std::vector<Slot> slots(in.ConsumeIntegralInRange<size_t>(0, kMaxArgs));
    for (Slot& slot : slots) {
        slot.bits = in.ConsumeIntegral<int64_t>();
        if (in.ConsumeBool()) {
            std::memcpy(&slot.real, &slot.bits, sizeof slot.real);  // NaNs, infinities, subnormals
        } else {
            slot.real = static_cast<double>(static_cast<int32_t>(slot.bits)) / 1000.0;
        }
        slot.string = in.ConsumeIntegralInRange<int>(-1, kStrings - 1);
    }
    FuzzArgs args(slots, strings);

    const std::string rest = in.ConsumeRemainingBytesAsString();
    if (wide) {
        const fuzz::WString units = fuzz::unitsFromBytes(rest, true);
        std::vector<qp_wchar> format(units.begin(), units.end());
        format.push_back(0);
        check(format, count, args);
    } else {
        std::vector<char> format(rest.begin(), rest.end());
        format.push_back(0);
        check(format, count, args);
    }
    return 0;
}

// The printf engine and the UTF conversions into `count` units (docs/testing.md): a format cut
// to fit gives the start of its uncut result, a conversion the reference's whole characters.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/format.h"
#include "fuzz_support.h"
#include "text/utf.h"

namespace {

// Each slot is one argument, read as any type (zeros and nulls after the last); reads counted.
class Args final : public quillpen::FormatArgs {
   public:
    std::vector<int64_t> slots;
    const void* texts[5] = {};  // the last one null
    size_t reads = 0;
    int32_t nextInt32() override { return static_cast<int32_t>(next()); }
    int64_t nextInt64() override { return next(); }
    Args& rewound() { return reads = 0, *this; }
    const void* nextPointer() override { return texts[static_cast<uint64_t>(next()) % 5]; }
    double nextDouble() override {  // any bits (NaNs, infinities, subnormals) or a decimal
        const int64_t bits = next();
        double real = static_cast<int32_t>(bits) / 1000.0;
        if (bits & 1) std::memcpy(&real, &bits, sizeof real);
        return real;
    }

   private:
    int64_t next() { return ++reads <= slots.size() ? slots[reads - 1] : 0; }
};

// run(dst) into `count` units of two patterns in turn (what it wrote reads the same in both) must
// write `whole` or, returning -1, its start (`cut` units, unless SIZE_MAX), a NUL and no more.
template <typename Ch, typename Run>
void expectCut(int count, Run run, const std::basic_string<Ch>& whole, size_t cut,
               const std::string& what) {
    const size_t room = static_cast<size_t>(std::max(count, 0));
    const Ch a0 = static_cast<Ch>(0xA5A5), b0 = static_cast<Ch>(0x5A5A);
    std::vector<Ch> a(room + 16, a0), b(room + 16, b0);
    const int result = run(a.data());
    FUZZ_CHECK(run(b.data()) == result, what);
    size_t n = 0;
    while (n < a.size() && a[n] == b[n]) ++n;
    for (size_t i = n; i < a.size(); ++i) FUZZ_CHECK(a[i] == a0 && b[i] == b0, what);
    const size_t length = n - 1, fit = whole.size() < room ? whole.size() : cut;
    FUZZ_CHECK(count < 1 ? n == 0 && result == -1
                         : n >= 1 && n <= room && a[length] == 0 &&
                               whole.compare(0, length, a.data(), length) == 0 &&
                               (fit == SIZE_MAX || length == fit) &&
                               result == (length == whole.size() ? static_cast<int>(length) : -1),
               what + ": " + std::to_string(n) + " units, result " + std::to_string(result));
}

template <typename Ch>
void checkEngine(const std::basic_string<Ch>& format, int count, Args& args,
                 int (*print)(Ch*, int, const Ch*, quillpen::FormatArgs&)) {
    std::vector<Ch> large(1 << 14);
    const int whole = print(large.data(), 1 << 14, format.c_str(), args.rewound());
    const auto percents = std::count(format.begin(), format.end(), '%');
    FUZZ_CHECK(args.reads <= 3 * static_cast<size_t>(percents), "a conversion read too much");
    const auto run = [&](Ch* dst) { return print(dst, count, format.c_str(), args.rewound()); };
    expectCut(count, run, std::basic_string<Ch>(large.data(), whole < 0 ? large.size() : whole),
              SIZE_MAX, sizeof(Ch) == 1 ? "narrow format" : "wide format");
}

// The conversion run(dst) makes of the leading `pieces` that total at most `limit` units.
template <typename S, typename Run>
void expectPieces(const std::vector<S>& pieces, size_t limit, int count, Run run,
                  const std::string& what) {
    S whole;
    size_t cut = SIZE_MAX;  // the units of the pieces that fit count with a NUL
    for (const S& piece : pieces) {
        if (whole.size() + piece.size() > limit) break;
        if (cut == SIZE_MAX && whole.size() + piece.size() >= static_cast<size_t>(count))
            cut = whole.size();
        whole += piece;
    }
    expectCut(count, run, whole, cut, what);
}

// `call`, writing into dst, against the reference's `pieces`; a failure names the call.
#define EXPECT_PIECES(pieces, limit, call) \
    expectPieces(                          \
        pieces, limit, count, [&](auto* dst) { return call; }, #call)

void checkText(const qp_wchar* text, size_t counted, int count, int precision) {
    using namespace quillpen;
    const size_t all = SIZE_MAX, limit = precision < 0 ? all : static_cast<size_t>(precision);
    const std::vector<qp_wchar> alone(text, text + counted);  // a read past them is a fault
    EXPECT_PIECES(ref::utf8Pieces(alone.data(), counted), all,
                  utf16ToUtf8N(alone.data(), static_cast<int>(counted), dst, count));
    const size_t length = std::char_traits<qp_wchar>::length(text);
    const auto pieces = ref::utf8Pieces(text, length);
    FUZZ_CHECK(wideLength(text) == static_cast<int>(length), "");  // the checks name themselves
    FUZZ_CHECK(utf8LengthOf(text) == static_cast<int>(ref::joinPieces(pieces).size()), "");
    EXPECT_PIECES(pieces, all, utf16ToUtf8(text, dst, count));
    EXPECT_PIECES(pieces, all, formatNarrow(dst, count, "%ls", text));
    EXPECT_PIECES(pieces, limit, formatNarrow(dst, count, "%.*ls", precision, text));
    const auto* bytes = reinterpret_cast<const char*>(text);
    EXPECT_PIECES(ref::utf16Pieces(bytes, all), all, formatWide(dst, count, u"%hs", bytes));
    EXPECT_PIECES(ref::utf16Pieces(bytes, limit), all,
                  formatWide(dst, count, u"%.*hs", precision, bytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int count = in.ConsumeIntegralInRange(-1, in.ConsumeBool() ? 64 : 4096);
    const int precision = in.ConsumeIntegralInRange(-1, 800);
    Args args;
    std::vector<qp_wchar> texts[4];  // read as bytes or as units: two NUL units end both
    for (int k = 0; k < 4; ++k) {
        const std::string bytes = in.ConsumeRandomLengthString(512);
        texts[k].assign(bytes.size() / 2 + 3, 0);
        std::memcpy(texts[k].data(), bytes.data(), bytes.size());
        args.texts[k] = texts[k].data();
    }
    for (int k = in.ConsumeIntegralInRange(0, 24); k > 0; --k)
        args.slots.push_back(in.ConsumeIntegral<int64_t>());
    const std::string format = in.ConsumeRemainingBytesAsString();
    checkEngine(std::string(format.c_str()), count, args, quillpen::formatNarrowArgs);
    checkEngine(unitsOf(format), count, args, quillpen::formatWideArgs);
    checkText(texts[0].data(), texts[0].size() - 3, count, precision);  // its whole units
    return 0;
}

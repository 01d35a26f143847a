#include "render/output/PictureScaler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_SCALER_AVX2 1
#endif

#include "engine3d/sampling/TargetRegion.h"
#include "render/output/BlockAverage.h"

EScaleMethod ChooseScaleMethod(int srcWidth, int srcHeight, int dstWidth, int dstHeight) noexcept
{
    if (srcWidth == dstWidth && srcHeight == dstHeight) return EScaleMethod::Copy;
    if (dstWidth > 0 && srcWidth > dstWidth && srcWidth % dstWidth == 0) {
        const int r = srcWidth / dstWidth;
        if (static_cast<long long>(dstHeight) * r <= srcHeight) return EScaleMethod::BlockAverage;
    }
    return EScaleMethod::Resample;
}

namespace {

// Each function below writes the rows first .. first + dst height - 1 of the
// scaled picture (destHeight rows in all) into dst.

// Bilinear resampling at pixel centres, weights in 1/256. Output column x
// reads source columns x0 and x1 = min(x0 + 1, sw - 1) with weight wx on x1,
// where fx = clamp((x + 0.5) sw / dw - 0.5, 0, sw - 1), x0 = floor(fx) and
// wx = floor(256 (fx - x0)); rows likewise (y0, y1, wy). Each channel is
// (top (256 - wy) + bottom wy + 32768) >> 16, with top = p00 (256 - wx) + p10 wx
// and bottom the same on row y1.
struct SSourceTaps {
    int first = 0, second = 0; // the two source pixels (columns or rows)
    int weight = 0;            // of the second, in 1/256
};

SSourceTaps TapsFor(int x, int sourceSize, int destSize) noexcept
{
    const double f = std::clamp((x + 0.5) * sourceSize / destSize - 0.5, 0.0, sourceSize - 1.0);
    SSourceTaps t;
    t.first = static_cast<int>(f);
    t.second = std::min(t.first + 1, sourceSize - 1);
    t.weight = static_cast<int>((f - t.first) * 256.0);
    return t;
}

// One pixel at a time: for when the rows below cannot be had.
void ResamplePixelByPixel(const CPixelView& src, const CPixelView& dst, int dh, int first) noexcept
{
    const int sw = src.GetWidth(), sh = src.GetHeight();
    const int dw = dst.GetWidth();
    for (int row = 0; row < dst.GetHeight(); ++row) {
        const SSourceTaps ty = TapsFor(first + row, sh, dh);
        std::uint8_t* out = dst.Row(row);
        for (int x = 0; x < dw; ++x) {
            const SSourceTaps tx = TapsFor(x, sw, dw);
            const std::uint8_t* p00 = src.At(tx.first, ty.first);
            const std::uint8_t* p10 = src.At(tx.second, ty.first);
            const std::uint8_t* p01 = src.At(tx.first, ty.second);
            const std::uint8_t* p11 = src.At(tx.second, ty.second);
            for (int c = 0; c < 3; ++c) {
                const int top = p00[c] * (256 - tx.weight) + p10[c] * tx.weight;
                const int bottom = p01[c] * (256 - tx.weight) + p11[c] * tx.weight;
                out[3 * x + c] = static_cast<std::uint8_t>((top * (256 - ty.weight) + bottom * ty.weight + 32768) >> 16);
            }
        }
    }
}

// The tops (or bottoms) of one source row for `dw` output columns, less
// 32768 so that they fit 16 signed bits: 0 <= top <= 255 * 256. `safe`
// leading columns read no source pixel after the row's last but one, so
// their pixels may be read as four bytes; `out` has room for one more
// 16-bit value after its end, which may be written.
void InterpolateColumns(const std::uint8_t* source, const SSourceTaps* columns, int dw, int safe,
                        std::int16_t* out) noexcept
{
    int x = 0;
#if defined(__SSE2__)
    // Two columns a step: each one's pixels p0 and p1 as bytes interleaved
    // (p0 b, p1 b, p0 g, p1 g, ...), widened to 16 bits and multiplied in
    // pairs by (256 - w, w): p0 (256 - w) + p1 w in 32 bits, then less
    // 32768 and packed back to 16 bits (no value saturates). The fourth
    // channel of each is written over by the next column, or falls in the slack.
    const __m128i zero = _mm_setzero_si128(), bias = _mm_set1_epi32(32768);
    auto four = [source](int pixel) {
        std::int32_t v;
        std::memcpy(&v, source + 3 * static_cast<std::ptrdiff_t>(pixel), 4);
        return _mm_cvtsi32_si128(v);
    };
    auto weights = [](const SSourceTaps& t) { return _mm_set1_epi32(t.weight << 16 | (256 - t.weight)); };
    for (; x + 2 <= std::min(dw, safe); x += 2, out += 6) {
        const SSourceTaps& t0 = columns[x];
        const SSourceTaps& t1 = columns[x + 1];
        const __m128i first = _mm_unpacklo_epi32(four(t0.first), four(t1.first));
        const __m128i second = _mm_unpacklo_epi32(four(t0.second), four(t1.second));
        const __m128i both = _mm_unpacklo_epi8(first, second);
        const __m128i a = _mm_sub_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(both, zero), weights(t0)), bias);
        const __m128i b = _mm_sub_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(both, zero), weights(t1)), bias);
        const __m128i packed = _mm_packs_epi32(a, b);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3), _mm_srli_si128(packed, 8));
    }
#else
    (void)safe;
#endif
    for (; x < dw; ++x, out += 3) {
        const std::uint8_t* p0 = source + 3 * static_cast<std::ptrdiff_t>(columns[x].first);
        const std::uint8_t* p1 = source + 3 * static_cast<std::ptrdiff_t>(columns[x].second);
        const int w1 = columns[x].weight, w0 = 256 - w1;
        for (int c = 0; c < 3; ++c) out[c] = static_cast<std::int16_t>(p0[c] * w0 + p1[c] * w1 - 32768);
    }
}

#if defined(VT_SCALER_AVX2)
// Sixteen output columns (48 channels, three registers of sixteen 16-bit
// lanes) at a time where the processor has AVX2: each 128-bit half's eight
// channels read their two levels p0 and p1 from 16 bytes of the source row,
// loaded once and picked by byte shuffles as 16-bit lanes. The top less
// 32768 is then (p0 << 8) + (p1 - p0) w + 32768 taken modulo 2^16: the top
// p0 (256 - w) + p1 w lies in 0 .. 65280, so the 16-bit lane holds it less
// 32768 exactly, as InterpolateColumns does. The shuffles are worked out
// once for a resampling; a block whose halves' bytes do not lie within 16
// bytes of the row (a reduction by more than about 1.2) is not usable.
struct SWideColumns {
    alignas(32) std::int8_t first[3][32]{}, second[3][32]{}; // shuffles: p0, p1 (high bytes zero)
    alignas(32) std::int16_t weight[3][16]{};                 // w of each channel
    std::int32_t at[3][2]{};                                   // each half's 16 bytes, from the row's start
    bool usable = false;
};

SWideColumns WideColumnsFor(const SSourceTaps* columns, int sourceWidth) noexcept
{
    SWideColumns b;
    const int last = 3 * sourceWidth - 16; // the last start of 16 bytes within the row
    for (int q = 0; q < 3; ++q)
        for (int h = 0; h < 2; ++h) {
            const int channel = 16 * q + 8 * h; // of the block
            int low = 3 * sourceWidth, high = 0;  // the bytes read
            for (int j = channel; j < channel + 8; ++j) {
                low = std::min(low, 3 * columns[j / 3].first + j % 3);
                high = std::max(high, 3 * columns[j / 3].second + j % 3);
            }
            const int at = std::min(low, last);
            if (at < 0 || high >= at + 16) return b;
            b.at[q][h] = at;
            for (int j = 0; j < 8; ++j) {
                const SSourceTaps& t = columns[(channel + j) / 3];
                const int c = (channel + j) % 3;
                b.first[q][16 * h + 2 * j] = static_cast<std::int8_t>(3 * t.first + c - at);
                b.second[q][16 * h + 2 * j] = static_cast<std::int8_t>(3 * t.second + c - at);
                b.first[q][16 * h + 2 * j + 1] = b.second[q][16 * h + 2 * j + 1] = -128;
                b.weight[q][8 * h + j] = static_cast<std::int16_t>(t.weight);
            }
        }
    b.usable = true;
    return b;
}

VT_TARGET_BEGIN("avx2")
void InterpolateWide(const std::uint8_t* source, const SWideColumns& b, std::int16_t* out) noexcept
{
    const __m256i bias = _mm256_set1_epi16(-32768);
    for (int q = 0; q < 3; ++q) {
        const __m256i bytes = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + b.at[q][0]))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + b.at[q][1])), 1);
        const __m256i p0 = _mm256_shuffle_epi8(bytes, _mm256_load_si256(reinterpret_cast<const __m256i*>(b.first[q])));
        const __m256i p1 = _mm256_shuffle_epi8(bytes, _mm256_load_si256(reinterpret_cast<const __m256i*>(b.second[q])));
        const __m256i w = _mm256_load_si256(reinterpret_cast<const __m256i*>(b.weight[q]));
        const __m256i top = _mm256_add_epi16(_mm256_slli_epi16(p0, 8), _mm256_mullo_epi16(_mm256_sub_epi16(p1, p0), w));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16 * q), _mm256_xor_si256(top, bias));
    }
}
VT_TARGET_END
#endif

// The columns of one resampling and, where the processor has AVX2, their
// blocks of sixteen.
struct SColumnPlan {
    int sourceWidth = -1; // the width the columns are worked out for
    std::vector<SSourceTaps> columns;
    int safe = 0; // the columns reading no pixel after the last but one
#if defined(VT_SCALER_AVX2)
    std::vector<SWideColumns> wide; // block b: columns 16 b .. 16 b + 15; empty without AVX2
#endif
};

// InterpolateColumns of columns from .. to - 1 of a row (`out` the whole
// row's): whole blocks of sixteen by InterpolateWide where usable.
void InterpolateRow(const std::uint8_t* source, const SColumnPlan& plan, int from, int to, std::int16_t* out) noexcept
{
    const auto narrow = [&](int a, int b) {
        if (a < b)
            InterpolateColumns(source, plan.columns.data() + a, b - a, plan.safe - a, out + 3 * static_cast<std::ptrdiff_t>(a));
    };
#if defined(VT_SCALER_AVX2)
    if (!plan.wide.empty()) {
        int x = std::min(to, (from + 15) / 16 * 16);
        narrow(from, x);
        for (; x + 16 <= to; x += 16) {
            const SWideColumns& b = plan.wide[static_cast<std::size_t>(x / 16)];
            if (b.usable)
                InterpolateWide(source, b, out + 3 * static_cast<std::ptrdiff_t>(x));
            else
                narrow(x, x + 16);
        }
        narrow(x, to);
        return;
    }
#endif
    narrow(from, to);
}

// The channels (top (256 - wy) + bottom wy + 32768) >> 16 of n bytes, from
// the tops and bottoms less 32768: the sum of the products is then
// top' (256 - wy) + bottom' wy + 32768 * 256, whose magnitude stays under
// 2^23, so it is one signed multiply-add of 16-bit pairs.
constexpr int kBlendBias = 32768 * 256 + 32768;

#if defined(VT_SCALER_AVX2)
// The first bytes of BlendRows 32 at a time where the processor has AVX2: the
// same multiply-adds on twice the bytes (the unpacking and packing within
// each 128-bit half keeps each half's bytes in order; the halves' quarters
// are put back in order at the end). Returns the bytes done.
VT_TARGET_BEGIN("avx2")
int BlendRowsWide(const std::int16_t* top, const std::int16_t* bottom, int wy, std::uint8_t* out, int n) noexcept
{
    const __m256i weights = _mm256_set1_epi32(static_cast<int>(static_cast<unsigned>(wy) << 16 | (256u - wy)));
    const __m256i bias = _mm256_set1_epi32(kBlendBias);
    auto sixteen = [&](int at) {
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + at));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + at));
        const __m256i lo = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(t, b), weights), bias);
        const __m256i hi = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(t, b), weights), bias);
        return _mm256_packs_epi32(_mm256_srli_epi32(lo, 16), _mm256_srli_epi32(hi, 16));
    };
    int i = 0;
    for (; i + 32 <= n; i += 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(sixteen(i), sixteen(i + 16)), 0xD8));
    return i;
}
VT_TARGET_END
#endif

void BlendRows(const std::int16_t* top, const std::int16_t* bottom, int wy, std::uint8_t* out, int n) noexcept
{
    int i = 0;
#if defined(VT_SCALER_AVX2)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) i = BlendRowsWide(top, bottom, wy, out, n);
#endif
#if defined(__SSE2__)
    const __m128i weights = _mm_set1_epi32(static_cast<int>(static_cast<unsigned>(wy) << 16 | (256u - wy)));
    const __m128i bias = _mm_set1_epi32(kBlendBias);
    auto eight = [&](int at) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + at));
        const __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(t, b), weights), bias);
        const __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(t, b), weights), bias);
        return _mm_packs_epi32(_mm_srli_epi32(lo, 16), _mm_srli_epi32(hi, 16));
    };
    for (; i + 16 <= n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(eight(i), eight(i + 8)));
#endif
    for (; i < n; ++i) out[i] = static_cast<std::uint8_t>((top[i] * (256 - wy) + bottom[i] * wy + kBlendBias) >> 16);
}

// Each source row's tops are worked out once for the output rows that read
// it (an enlargement reads each row for several), then blended 16 bytes at a
// time: the same integers as one pixel at a time. With `covered`, an output
// row blends only its uncovered columns, and a source row's tops are worked
// out only in the columns that some output row reading it leaves uncovered.
void Resample(const CPixelView& src, const CPixelView& dst, int dh, int first, const CCoveredRow* covered) noexcept
{
    const int sw = src.GetWidth(), sh = src.GetHeight();
    const int dw = dst.GetWidth();
    const std::size_t bytes = static_cast<std::size_t>(dw) * 3;
    // The plan depends only on the two widths: a picture scaled band by band
    // keeps its plan on the thread from one band to the next.
    thread_local SColumnPlan plan;
    std::vector<std::int16_t> rows[2];
    try {
        rows[0].resize(bytes + 1);
        rows[1].resize(bytes + 1);
        if (plan.sourceWidth != sw || plan.columns.size() != static_cast<std::size_t>(dw)) {
            plan.sourceWidth = -1; // until it is whole
            plan.columns.resize(static_cast<std::size_t>(dw));
            plan.safe = 0;
            for (int x = 0; x < dw; ++x) {
                plan.columns[static_cast<std::size_t>(x)] = TapsFor(x, sw, dw);
                if (plan.columns[static_cast<std::size_t>(x)].second < sw - 1) plan.safe = x + 1;
            }
#if defined(VT_SCALER_AVX2)
            static const bool wide = __builtin_cpu_supports("avx2");
            plan.wide.clear();
            if (wide && 3 * sw >= 16) {
                plan.wide.resize(static_cast<std::size_t>(dw / 16));
                for (std::size_t b = 0; b < plan.wide.size(); ++b)
                    plan.wide[b] = WideColumnsFor(plan.columns.data() + 16 * b, sw);
            }
#endif
            plan.sourceWidth = sw;
        }
    } catch (const std::bad_alloc&) {
        ResamplePixelByPixel(src, dst, dh, first);
        return;
    }
    int held[2] = {-1, -1}; // the source row in each buffer
    // The buffer holding source row y, filled if neither does, in place of
    // the one that does not hold row `keep`. Output rows read their source
    // rows in order, so the rows reading a row being filled are `row` and
    // those after it whose first source row is not past it.
    auto rowOf = [&](int y, int keep, int row) -> const std::int16_t* {
        for (int i = 0; i < 2; ++i)
            if (held[i] == y) return rows[i].data();
        const int i = held[0] == keep ? 1 : 0;
        std::int16_t* out = rows[i].data();
        held[i] = y;
        if (covered == nullptr) {
            InterpolateRow(src.Row(y), plan, 0, dw, out);
            return out;
        }
        CCoveredRow common = covered[row];
        for (int r = row + 1; r < dst.GetHeight() && common.count > 0 && TapsFor(first + r, sh, dh).first <= y; ++r)
            common = CoveredByBoth(common, covered[r]);
        common.ForEachUncovered(dw, [&](int from, int to) { InterpolateRow(src.Row(y), plan, from, to + 1, out); });
        return out;
    };
    for (int row = 0; row < dst.GetHeight(); ++row) {
        const SSourceTaps ty = TapsFor(first + row, sh, dh);
        const std::int16_t* top = rowOf(ty.first, ty.second, row);
        const std::int16_t* bottom = rowOf(ty.second, ty.first, row);
        if (covered == nullptr || covered[row].count == 0) {
            BlendRows(top, bottom, ty.weight, dst.Row(row), static_cast<int>(bytes));
            continue;
        }
        covered[row].ForEachUncovered(dw, [&](int from, int to) {
            const std::ptrdiff_t at = 3 * static_cast<std::ptrdiff_t>(from);
            BlendRows(top + at, bottom + at, ty.weight, dst.Row(row) + at, 3 * (to - from + 1));
        });
    }
}

}  // namespace

void ScalePicture(const CPixelView& source, const CPixelView& dest) noexcept
{
    ScalePictureRows(source, dest.GetHeight(), 0, dest);
}

void ScalePictureRows(const CPixelView& source, int destHeight, int firstRow, const CPixelView& band,
                      const CCoveredRow* covered) noexcept
{
    if (!source.IsValid() || !band.IsValid() || firstRow < 0 || firstRow + band.GetHeight() > destHeight) return;
    switch (ChooseScaleMethod(source.GetWidth(), source.GetHeight(), band.GetWidth(), destHeight)) {
    case EScaleMethod::Copy:
        for (int y = 0; y < band.GetHeight(); ++y) {
            if (covered == nullptr) {
                std::memcpy(band.Row(y), source.Row(firstRow + y), static_cast<std::size_t>(band.GetWidth()) * 3);
                continue;
            }
            covered[y].ForEachUncovered(band.GetWidth(), [&](int from, int to) {
                std::memcpy(band.At(from, y), source.At(from, firstRow + y), 3 * static_cast<std::size_t>(to - from + 1));
            });
        }
        break;
    case EScaleMethod::BlockAverage:
        BlockAverage(source, band, source.GetWidth() / band.GetWidth(), firstRow);
        break;
    case EScaleMethod::Resample:
        Resample(source, band, destHeight, firstRow, covered);
        break;
    }
}

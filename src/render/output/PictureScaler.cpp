#include "render/output/PictureScaler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Division by a fixed divisor d as a multiplication and a shift, for
// dividends below 2^24: with s = 24 + ceil(log2 d) and m = ceil(2^s / d), the
// error e = m d - 2^s is below d <= 2^(s - 24), so n e < 2^s for every
// n < 2^24 and (n m) >> s equals n / d exactly (the Granlund-Montgomery
// bound). Larger dividends are divided the plain way.
class CExactDivider {
public:
    explicit CExactDivider(std::uint32_t d) noexcept : m_divisor(d)
    {
        int log = 0;
        while ((std::uint64_t{1} << log) < d) ++log;
        m_shift = 24 + log;
        m_multiplier = ((std::uint64_t{1} << m_shift) + d - 1) / d;
    }
    std::uint32_t Divide(std::uint32_t n) const noexcept
    {
        if (n >= (1u << 24)) return n / m_divisor;
        return static_cast<std::uint32_t>((n * m_multiplier) >> m_shift);
    }

private:
    std::uint32_t m_divisor = 1;
    std::uint64_t m_multiplier = 1;
    int m_shift = 0;
};

// The r source rows of one output row added column by column, each channel
// byte into a 16-bit sum (r <= 257 keeps r * 255 in range): 16 bytes a step
// where the processor has SSE2, the r rows added in registers and stored once.
void AddRows(const CPixelView& src, int y0, int r, int bytes, std::uint16_t* sums) noexcept
{
    const std::uint8_t* rows[257];
    for (int j = 0; j < r; ++j) rows[j] = src.Row(y0 + j);
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= bytes; i += 16) {
        __m128i lo = zero, hi = zero;
        for (int j = 0; j < r; ++j) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j] + i));
            lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
            hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + i), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + i + 8), hi);
    }
#endif
    for (; i < bytes; ++i) {
        unsigned sum = 0;
        for (int j = 0; j < r; ++j) sum += rows[j][i];
        sums[i] = static_cast<std::uint16_t>(sum);
    }
}

// The sums of r columns (each summed over r rows) of one output row into
// its w pixels, for a magnification known when compiled: the loops unroll
// and the division by r * r becomes a shift or a multiplication. The
// quotients are those of CExactDivider, exact for these sums.
template <int R>
void ReduceColumns(const std::uint16_t* c, std::uint8_t* out, int w) noexcept
{
    constexpr unsigned area = R * R;
    for (int x = 0; x < w; ++x, out += 3) {
        unsigned sb = 0, sg = 0, sr = 0;
        for (int i = 0; i < R; ++i, c += 3) {
            sb += c[0];
            sg += c[1];
            sr += c[2];
        }
        out[0] = static_cast<std::uint8_t>(sb / area);
        out[1] = static_cast<std::uint8_t>(sg / area);
        out[2] = static_cast<std::uint8_t>(sr / area);
    }
}

using ColumnReducer = void (*)(const std::uint16_t*, std::uint8_t*, int) noexcept;

ColumnReducer ReducerFor(int r) noexcept
{
    switch (r) {
    case 2: return ReduceColumns<2>;
    case 3: return ReduceColumns<3>;
    case 4: return ReduceColumns<4>;
    case 5: return ReduceColumns<5>;
    case 6: return ReduceColumns<6>;
    case 8: return ReduceColumns<8>;
    default: return nullptr;
    }
}

void BlockAverage(const CPixelView& src, const CPixelView& dst, int r, int first) noexcept
{
    const ColumnReducer reduce = ReducerFor(r);
    const int area = r * r;
    const CExactDivider divide(static_cast<std::uint32_t>(area));
    auto put = [&divide](std::uint8_t* p, unsigned sb, unsigned sg, unsigned sr) {
        p[0] = static_cast<std::uint8_t>(divide.Divide(sb));
        p[1] = static_cast<std::uint8_t>(divide.Divide(sg));
        p[2] = static_cast<std::uint8_t>(divide.Divide(sr));
    };
    const int w = dst.GetWidth();
    std::vector<std::uint16_t> columns;
    if (r <= 257) {
        try {
            columns.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(r) * 3);
        } catch (const std::bad_alloc&) {
            columns.clear(); // summed block by block below
        }
    }
    for (int row = 0; row < dst.GetHeight(); ++row) {
        const int y = first + row;
        std::uint8_t* out = dst.Row(row);
        if (!columns.empty()) { // the same sums, the rows added first
            AddRows(src, y * r, r, w * r * 3, columns.data());
            if (reduce) {
                reduce(columns.data(), out, w);
                continue;
            }
            const std::uint16_t* c = columns.data();
            for (int x = 0; x < w; ++x) {
                unsigned sb = 0, sg = 0, sr = 0;
                for (int i = 0; i < r; ++i, c += 3) {
                    sb += c[0];
                    sg += c[1];
                    sr += c[2];
                }
                put(out + 3 * x, sb, sg, sr);
            }
            continue;
        }
        for (int x = 0; x < w; ++x) {
            unsigned sb = 0, sg = 0, sr = 0;
            for (int j = 0; j < r; ++j) {
                const std::uint8_t* p = src.At(x * r, y * r + j);
                for (int i = 0; i < r; ++i, p += 3) {
                    sb += p[0];
                    sg += p[1];
                    sr += p[2];
                }
            }
            put(out + 3 * x, sb, sg, sr);
        }
    }
}

void Resample(const CPixelView& src, const CPixelView& dst, int dh, int first) noexcept
{
    const int sw = src.GetWidth(), sh = src.GetHeight();
    const int dw = dst.GetWidth();
    // Sample at pixel centres; weights in 1/256.
    for (int row = 0; row < dst.GetHeight(); ++row) {
        const int y = first + row;
        const double fy = std::clamp((y + 0.5) * sh / dh - 0.5, 0.0, sh - 1.0);
        const int y0 = static_cast<int>(fy);
        const int y1 = std::min(y0 + 1, sh - 1);
        const int wy = static_cast<int>((fy - y0) * 256.0);
        std::uint8_t* out = dst.Row(row);
        for (int x = 0; x < dw; ++x) {
            const double fx = std::clamp((x + 0.5) * sw / dw - 0.5, 0.0, sw - 1.0);
            const int x0 = static_cast<int>(fx);
            const int x1 = std::min(x0 + 1, sw - 1);
            const int wx = static_cast<int>((fx - x0) * 256.0);
            const std::uint8_t* p00 = src.At(x0, y0);
            const std::uint8_t* p10 = src.At(x1, y0);
            const std::uint8_t* p01 = src.At(x0, y1);
            const std::uint8_t* p11 = src.At(x1, y1);
            for (int c = 0; c < 3; ++c) {
                const int top = p00[c] * (256 - wx) + p10[c] * wx;
                const int bottom = p01[c] * (256 - wx) + p11[c] * wx;
                out[3 * x + c] = static_cast<std::uint8_t>((top * (256 - wy) + bottom * wy + 32768) >> 16);
            }
        }
    }
}

}  // namespace

void ScalePicture(const CPixelView& source, const CPixelView& dest) noexcept
{
    ScalePictureRows(source, dest.GetHeight(), 0, dest);
}

void ScalePictureRows(const CPixelView& source, int destHeight, int firstRow, const CPixelView& band) noexcept
{
    if (!source.IsValid() || !band.IsValid() || firstRow < 0 || firstRow + band.GetHeight() > destHeight) return;
    switch (ChooseScaleMethod(source.GetWidth(), source.GetHeight(), band.GetWidth(), destHeight)) {
    case EScaleMethod::Copy:
        for (int y = 0; y < band.GetHeight(); ++y)
            std::memcpy(band.Row(y), source.Row(firstRow + y), static_cast<std::size_t>(band.GetWidth()) * 3);
        break;
    case EScaleMethod::BlockAverage:
        BlockAverage(source, band, source.GetWidth() / band.GetWidth(), firstRow);
        break;
    case EScaleMethod::Resample:
        Resample(source, band, destHeight, firstRow);
        break;
    }
}

#include "engine3d/surface/FaceShade.h"

#include "engine3d/sampling/TargetRegion.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_LIT_PIXELS_WIDE 1
#endif

// LitPixels: each level of a row of pixels decoded, multiplied by its
// pixel's light, lifted by its pixel's lift and encoded again, eight pixels
// at a time where the processor has AVX2 and 64 at a time where it has
// AVX-512 with byte permutes; the one-pixel loop for the rest and as the
// reference. Each product and sum is rounded on its own, as in the one-pixel
// loop (this file is compiled without fused multiply-adds).

#if defined(VT_LIT_PIXELS_WIDE)
VT_TARGET_BEGIN("avx2")
namespace {

// The encoding's table with three bytes after its end, so that each level
// can be read as the low byte of four.
struct CEncodeBytes {
    alignas(64) std::array<std::uint8_t, CSrgbTables::kSteps + 4> bytes{};
    explicit CEncodeBytes(const CSrgbTables& t) noexcept { std::copy(t.encode.begin(), t.encode.end(), bytes.begin()); }
};

// Eight levels, each with its light and lift (Lit: decode, times the light,
// plus the lift, to the nearest of the encoding's steps, clamped); without
// kLift no lift is added (adding a zero lift would change nothing: only a
// product of -0 becomes +0, and both encode as step 0).
template <bool kLift>
inline void LitEight(const CSrgbTables& t, const std::uint8_t* encode, std::uint8_t* levels, __m256 light,
                     __m256 lift) noexcept
{
    const __m256 steps = _mm256_set1_ps(static_cast<float>(CSrgbTables::kSteps)), half = _mm256_set1_ps(0.5f);
    std::int64_t eight;
    std::memcpy(&eight, levels, sizeof eight);
    const __m256i v = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(eight));
    const __m256 d = _mm256_i32gather_ps(t.decode.data(), v, 4);
    __m256 l = _mm256_mul_ps(light, d);
    if constexpr (kLift) l = _mm256_add_ps(l, lift);
    __m256i e = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(l, steps), half));
    e = _mm256_min_epi32(_mm256_max_epi32(e, _mm256_setzero_si256()), _mm256_set1_epi32(CSrgbTables::kSteps));
    const __m256i four = _mm256_i32gather_epi32(reinterpret_cast<const int*>(encode), e, 1);
    const __m256i low = _mm256_shuffle_epi8(four, _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                                   -1, -1, 0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1,
                                                                   -1, -1, -1, -1, -1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(levels),
                     _mm_unpacklo_epi32(_mm256_castsi256_si128(low), _mm256_extracti128_si256(low, 1)));
}

// Pixels of the run eight at a time, their 24 levels as three eights, each
// level given its pixel's light and lift (lift null without kLift); the
// count done.
template <bool kLift>
int LitPixelsEight(const CSrgbTables& t, std::uint8_t* bgr, int count, const float* light,
                   const float* lift) noexcept
{
    const __m256i of[3] = {_mm256_setr_epi32(0, 0, 0, 1, 1, 1, 2, 2), _mm256_setr_epi32(2, 3, 3, 3, 4, 4, 4, 5),
                           _mm256_setr_epi32(5, 5, 6, 6, 6, 7, 7, 7)};
    static const CEncodeBytes encode(t);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 l = _mm256_loadu_ps(light + i), f = kLift ? _mm256_loadu_ps(lift + i) : _mm256_setzero_ps();
        for (int k = 0; k < 3; ++k)
            LitEight<kLift>(t, encode.bytes.data(), bgr + 3 * i + 8 * k, _mm256_permutevar8x32_ps(l, of[k]),
                     _mm256_permutevar8x32_ps(f, of[k]));
    }
    return i;
}
} // namespace
VT_TARGET_END

// LitPixels 64 pixels at a time (their 192 levels as three registers of 64),
// the last ones padded to 64, where the processor has AVX-512 with VBMI,
// without gathers: each level's decoded float from four planes of
// bytes, and each step's level from tables of 256 bytes, each read by two
// permutes of 128 and a blend by the index's top bit. A step below 256 reads
// its level; above, levels rise by at most one at a time, at most twice in
// a step's sixteen (e / 16), so a step's level is its sixteen's first level
// plus one for each rise at or below its place in them (checked against the
// encoding step by step when the tables are made). The same operations as
// LitEight on each level otherwise.
VT_TARGET_BEGIN("avx2,avx512f,avx512vl,avx512bw,avx512vbmi")
namespace {
// (Zero-masked forms where the plain ones start from an undefined value.)

struct CLevelTables {
    bool usable = true;
    alignas(64) std::uint8_t decode[4][256]{}; // byte b of each level's float
    alignas(64) std::uint8_t dark[256]{}, base[256]{}, firstRise[256]{}, secondRise[256]{};

    explicit CLevelTables(const CSrgbTables& t) noexcept
    {
        for (std::size_t v = 0; v < 256; ++v) {
            std::uint32_t bits;
            std::memcpy(&bits, &t.decode[v], 4);
            for (int b = 0; b < 4; ++b) decode[b][v] = static_cast<std::uint8_t>(bits >> 8 * b);
        }
        const auto& e = t.encode;
        for (std::size_t c = 0; c < 256; ++c) {
            dark[c] = e[c], base[c] = e[16 * c], firstRise[c] = secondRise[c] = 16;
            int rises = 0;
            for (std::size_t k = 1; k < 16; ++k)
                if (e[16 * c + k] != e[16 * c + k - 1])
                    (rises++ == 0 ? firstRise[c] : secondRise[c]) = static_cast<std::uint8_t>(k);
            if (c >= 16 && rises > 2) usable = false;
        }
        for (std::size_t step = 0; step <= CSrgbTables::kSteps; ++step) {
            const std::size_t c = std::min<std::size_t>(step / 16, 255), k = step % 16;
            const int level = step < 256 ? dark[step] : base[c] + (k >= firstRise[c]) + (k >= secondRise[c]);
            if (level != e[step]) usable = false;
        }
    }
};

// table[index] for 64 byte indices (top: their top bits).
inline __m512i Look(const std::uint8_t* table, __m512i index, __mmask64 top) noexcept
{
    const auto quarter = [table](int q) { return _mm512_load_si512(table + 64 * q); };
    return _mm512_mask_blend_epi8(top, _mm512_permutex2var_epi8(quarter(0), index, quarter(1)),
                                  _mm512_permutex2var_epi8(quarter(2), index, quarter(3)));
}

// The levels of 64 steps (each at most kSteps) as sixteen-bit lanes: two
// registers that packing to bytes puts in order.
inline __m512i Levels(const CLevelTables& t, __m512i low, __m512i high) noexcept
{
    const auto bytes = [&](int shift, int keep) {
        const __m512i mask = _mm512_set1_epi16(static_cast<short>(keep));
        return _mm512_packus_epi16(_mm512_and_si512(_mm512_srli_epi16(low, shift), mask),
                                   _mm512_and_si512(_mm512_srli_epi16(high, shift), mask));
    };
    const __m512i step = bytes(0, 0xFF), sixteen = bytes(4, 0x1FF), above = bytes(8, 0xFF);
    const __mmask64 top = _mm512_movepi8_mask(sixteen);
    const __m512i place = _mm512_and_si512(step, _mm512_set1_epi8(15)), one = _mm512_set1_epi8(1);
    __m512i level = Look(t.base, sixteen, top);
    level = _mm512_mask_add_epi8(level, _mm512_cmpge_epu8_mask(place, Look(t.firstRise, sixteen, top)), level, one);
    level = _mm512_mask_add_epi8(level, _mm512_cmpge_epu8_mask(place, Look(t.secondRise, sixteen, top)), level, one);
    return _mm512_mask_blend_epi8(_mm512_testn_epi8_mask(above, above), level,
                                  Look(t.dark, step, _mm512_movepi8_mask(step)));
}

// The lit levels of 64 levels v (as LitEight), lane 4 L + i of the q-th
// register of lights and of lifts (of(q, light)) holding those of level
// 16 L + 4 q + i, the order the bytes of the decoded floats come in (no
// lift without kLift). With kScaled the lights come times kSteps, and the
// products are not multiplied by it again.
template <bool kLift, bool kScaled = false, class Of>
inline __m512i LitSixtyFour(const CLevelTables& t, __m512i v, Of of) noexcept
{
    const __mmask64 top = _mm512_movepi8_mask(v);
    const __m512i b0 = Look(t.decode[0], v, top), b1 = Look(t.decode[1], v, top);
    const __m512i b2 = Look(t.decode[2], v, top), b3 = Look(t.decode[3], v, top);
    const __m512i lo01 = _mm512_unpacklo_epi8(b0, b1), hi01 = _mm512_unpackhi_epi8(b0, b1);
    const __m512i lo23 = _mm512_unpacklo_epi8(b2, b3), hi23 = _mm512_unpackhi_epi8(b2, b3);
    const auto step = [&](__m512i decoded, int q) {
        __m512 l = _mm512_mul_ps(of(q, true), _mm512_castsi512_ps(decoded));
        if constexpr (kLift) l = _mm512_add_ps(l, of(q, false));
        if constexpr (!kScaled) l = _mm512_mul_ps(l, _mm512_set1_ps(static_cast<float>(CSrgbTables::kSteps)));
        return _mm512_maskz_cvttps_epi32(0xFFFF, _mm512_add_ps(l, _mm512_set1_ps(0.5f)));
    };
    // Below 0 (not a number, beyond the integers) to 0, above kSteps to kSteps.
    const auto clamped = [&](__m512i a, __m512i b) {
        return _mm512_min_epu16(_mm512_packus_epi32(a, b), _mm512_set1_epi16(CSrgbTables::kSteps));
    };
    const __m512i low =
        clamped(step(_mm512_unpacklo_epi16(lo01, lo23), 0), step(_mm512_unpackhi_epi16(lo01, lo23), 1));
    const __m512i high =
        clamped(step(_mm512_unpacklo_epi16(hi01, hi23), 2), step(_mm512_unpackhi_epi16(hi01, hi23), 3));
    return Levels(t, low, high);
}

// Lane 4 L + i of the q-th register for the 64 levels from 64 j on holds
// pixel (64 j + 16 L + 4 q + i) / 3, counted from 16 j.
struct CPixelOfLane {
    alignas(64) std::int32_t at[3][4][16]{};
    constexpr CPixelOfLane() noexcept
    {
        for (int j = 0; j < 3; ++j)
            for (int q = 0; q < 4; ++q)
                for (int lane = 0; lane < 16; ++lane)
                    at[j][q][lane] = (64 * j + 16 * (lane / 4) + 4 * q + lane % 4) / 3 - 16 * j;
    }
};
constexpr CPixelOfLane kPixelOfLane;

// 64 pixels from bgr on: their 192 levels as three times 64.
template <bool kLift>
inline void LitSixtyFourPixels(const CLevelTables& tables, std::uint8_t* bgr, const float* light,
                               const float* lift) noexcept
{
    __m512 l[4], f[4];
    for (int k = 0; k < 4; ++k)
        l[k] = _mm512_loadu_ps(light + 16 * k), f[k] = kLift ? _mm512_loadu_ps(lift + 16 * k) : l[k];
    for (int j = 0; j < 3; ++j) {
        std::uint8_t* const at = bgr + 64 * j;
        const auto of = [&](int q, bool isLight) {
            const __m512i lane = _mm512_load_si512(kPixelOfLane.at[j][q]);
            return isLight ? _mm512_permutex2var_ps(l[j], lane, l[j + 1])
                           : _mm512_permutex2var_ps(f[j], lane, f[j + 1]);
        };
        _mm512_storeu_si512(at, LitSixtyFour<kLift>(tables, _mm512_loadu_si512(at), of));
    }
}

const CLevelTables& LevelTables() noexcept
{
    static const CLevelTables tables(SrgbTables());
    return tables;
}

// Pixels 64 at a time; the last 4 to 63 as a whole 64 in room of their own
// (each level lit by its own pixel's light and lift alone, the lanes past
// them lit for nothing); the count done (the last 0 to 3 are left).
template <bool kLift>
int LitPixelsSixtyFour(std::uint8_t* bgr, int count, const float* light, const float* lift) noexcept
{
    const CLevelTables& tables = LevelTables();
    if (!tables.usable) return 0;
    int i = 0;
    for (; i + 64 <= count; i += 64)
        LitSixtyFourPixels<kLift>(tables, bgr + 3 * i, light + i, kLift ? lift + i : nullptr);
    const int rest = count - i;
    if (rest < 4) return i;
    alignas(64) std::uint8_t levels[3 * 64];
    float l[64], f[64];
    std::memcpy(levels, bgr + 3 * i, 3 * static_cast<std::size_t>(rest));
    std::memset(levels + 3 * rest, 0, 3 * static_cast<std::size_t>(64 - rest));
    std::fill(std::copy(light + i, light + count, l), l + 64, 0.0f);
    if constexpr (kLift) std::fill(std::copy(lift + i, lift + count, f), f + 64, 0.0f);
    LitSixtyFourPixels<kLift>(tables, levels, l, kLift ? f : nullptr);
    std::memcpy(bgr + 3 * i, levels, 3 * static_cast<std::size_t>(rest));
    return count;
}

// Pixels from .. to of a row under the light row * lanes (CColumnLights),
// by the 64 pixels from each multiple of 64 (those only partly within
// from .. to in room of their own).
void LitRowSixtyFours(std::uint8_t* bgr, int from, int to, float row, const float* lanes) noexcept
{
    const CLevelTables& tables = LevelTables();
    const __m512 r = _mm512_set1_ps(row);
    for (int b = from / 64; b <= to / 64; ++b) {
        const int x0 = 64 * b, lo = std::max(from, x0), hi = std::min(to, x0 + 63);
        const bool whole = lo == x0 && hi == x0 + 63;
        alignas(64) std::uint8_t part[3 * 64];
        std::uint8_t* const at = whole ? bgr + 3 * x0 : part;
        const auto bytes = 3 * static_cast<std::size_t>(hi - lo + 1);
        if (!whole) {
            std::memset(part, 0, sizeof part);
            std::memcpy(part + 3 * (lo - x0), bgr + 3 * lo, bytes);
        }
        const float* const l = lanes + 192 * static_cast<std::size_t>(b);
        for (int j = 0; j < 3; ++j) {
            const auto of = [&](int q, bool) { return _mm512_mul_ps(r, _mm512_loadu_ps(l + 64 * j + 16 * q)); };
            _mm512_storeu_si512(at + 64 * j,
                                LitSixtyFour<false, true>(tables, _mm512_loadu_si512(at + 64 * j), of));
        }
        if (!whole) std::memcpy(bgr + 3 * lo, part + 3 * (lo - x0), bytes);
    }
}

} // namespace
VT_TARGET_END
#endif

namespace {

#if defined(VT_LIT_PIXELS_WIDE)
bool HasAvx2() noexcept
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

bool HasSixtyFours() noexcept
{
    static const bool has = HasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
    return has;
}
#endif

template <bool kLift>
void LitPixelsOf(const CSrgbTables& t, std::uint8_t* bgr, int count, const float* light, const float* lift) noexcept
{
    int i = 0;
#if defined(VT_LIT_PIXELS_WIDE)
    const bool has = HasAvx2();
    if (HasSixtyFours()) i = LitPixelsSixtyFour<kLift>(bgr, count, light, lift);
    if (has) i += LitPixelsEight<kLift>(t, bgr + 3 * i, count - i, light + i, kLift ? lift + i : nullptr);
#endif
    for (; i < count; ++i)
        for (int k = 0; k < 3; ++k) {
            float l = light[i] * t.decode[bgr[3 * i + k]];
            if constexpr (kLift) l += lift[i];
            bgr[3 * i + k] = t.Encode(l);
        }
}

} // namespace

void LitPixels(std::uint8_t* bgr, int count, const float* light, const float* lift) noexcept
{
    const CSrgbTables& t = SrgbTables();
    if (lift != nullptr)
        LitPixelsOf<true>(t, bgr, count, light, lift);
    else
        LitPixelsOf<false>(t, bgr, count, light, nullptr);
}

// Where the 64 steps are taken, lane k of the 64 levels from level 64 j of
// the 64 pixels from x0 reads the light of pixel x0 + 16 j + kPixelOfLane.at[j]
// [k / 16][k % 16]: m_lanes holds those lights (0 past the row's end), times
// kSteps. Then (with powers of two and magnitudes as below, nothing rounded
// to a subnormal or beyond the floats) row * (column kSteps) is the light
// row * column times kSteps exactly, and its product with a decoded level
// (0 or at least 2^-12) is the product with the light times kSteps exactly:
// the step LitPixels takes. The magnitudes asked of the columns (2^-40 ..
// 2^40) and of the row (the same, in LitRow) keep every product within the
// normal floats.
CColumnLights::CColumnLights(const float* column, int width) : m_column(column, column + std::max(width, 0))
{
#if defined(VT_LIT_PIXELS_WIDE)
    const auto inRange = [](float c) { return c >= 0x1p-40f && c <= 0x1p40f; };
    if (!HasSixtyFours() || !LevelTables().usable || !std::all_of(m_column.begin(), m_column.end(), inRange)) return;
    const int blocks = (width + 63) / 64;
    m_lanes.assign(192 * static_cast<std::size_t>(blocks), 0.0f);
    for (int b = 0; b < blocks; ++b)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 64; ++k) {
                const int x = 64 * b + 16 * j + kPixelOfLane.at[j][k / 16][k % 16];
                if (x < width)
                    m_lanes[192 * static_cast<std::size_t>(b) + 64 * static_cast<std::size_t>(j) +
                            static_cast<std::size_t>(k)] = m_column[static_cast<std::size_t>(x)] * CSrgbTables::kSteps;
            }
#endif
}

void CColumnLights::LitRow(std::uint8_t* bgr, int from, int to, float row) noexcept
{
    if (from > to) return;
#if defined(VT_LIT_PIXELS_WIDE)
    if (!m_lanes.empty() && row >= 0x1p-40f && row <= 0x1p40f) {
        LitRowSixtyFours(bgr, from, to, row, m_lanes.data());
        return;
    }
#endif
    m_lights.resize(m_column.size());
    for (int x = from; x <= to; ++x)
        m_lights[static_cast<std::size_t>(x)] = row * m_column[static_cast<std::size_t>(x)];
    LitPixels(bgr + 3 * static_cast<std::size_t>(from), to - from + 1, m_lights.data() + from, nullptr);
}

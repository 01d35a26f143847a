// Compiled with -ffp-contract=off (CMakeLists.txt): where AVX-512 is named
// the compiler could otherwise fuse a product into a sum, which the steps'
// rounding bound does not allow for.
#include "engine3d/sampling/ProjectedSums.h"

#include "engine3d/sampling/LinearSteps.h"
#include "engine3d/sampling/TargetRegion.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {
std::atomic<bool> g_enabled{true};
} // namespace

void projected_sums::SetEnabled(bool enabled) noexcept
{
    g_enabled.store(enabled, std::memory_order_relaxed);
}

bool projected_sums::Available() noexcept
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                            __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
    return has && g_enabled.load(std::memory_order_relaxed);
}

VT_UNDEFINED_START_BEGIN
VT_TARGET_BEGIN("avx2,fma,avx512f,avx512bw,avx512vl,avx512vbmi")
namespace {

constexpr int kColumns = 5; // texels a row of the block (15 of its 16 bytes)
constexpr int kRows = 8;    // rows of the block, 16 bytes each: 128 bytes in two registers

__m512 Wide(__m256 broadcast)
{
    return _mm512_broadcastss_ps(_mm256_castps256_ps128(broadcast));
}

// A pixel's value in single precision, as linear_steps::SStepPixel rounds it.
__m512 Wide(double value)
{
    return _mm512_set1_ps(static_cast<float>(value));
}

} // namespace

bool projected_sums::SumSixteens(const linear_steps::SStepSamples& r, const linear_steps::SCentres& c, int j,
                                 double tx, double ty, CPixelSamples& out) noexcept
{
    // linear_steps::SStepPixel's view of pixel j.
    const double lowColF = c.lowCol[j], lowRowF = c.lowRow[j];
    const auto col0 = static_cast<std::int32_t>(c.baseCol[j]), row0 = static_cast<std::int32_t>(c.baseRow[j]);
    // The block: columns and rows from the lowest the pixel's reach allows,
    // as many as the picture has of them.
    const auto lowCol = static_cast<std::int32_t>(lowColF), lowRow = static_cast<std::int32_t>(lowRowF);
    const std::int32_t colStart = col0 + lowCol, rowStart = row0 + lowRow;
    if (colStart < 0 || rowStart < 0) return false;
    const int columns = std::min(kColumns, r.lastCol + 1 - colStart), rows = std::min(kRows, r.lastRow + 1 - rowStart);
    if (columns <= 0 || rows <= 0) return false;
    const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(rowStart) * r.stride + 3 * colStart;
    // Sixteen bytes of each row read: the last must end within the picture.
    if (first + static_cast<std::ptrdiff_t>(rows - 1) * r.stride + 16 > static_cast<std::ptrdiff_t>(r.lastTexel) + 3)
        return false;
    const auto row = [&](int t) {
        const std::uint8_t* from = r.bits + first + t * std::ptrdiff_t{r.stride};
        return t < rows ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)) : _mm_setzero_si128();
    };
    __m512i lower = _mm512_castsi128_si512(row(0)); // rows 0 .. 3
    lower = _mm512_inserti32x4(lower, row(1), 1);
    lower = _mm512_inserti32x4(lower, row(2), 2);
    lower = _mm512_inserti32x4(lower, row(3), 3);
    __m512i upper = _mm512_castsi128_si512(row(4)); // rows 4 .. 7
    upper = _mm512_inserti32x4(upper, row(5), 1);
    upper = _mm512_inserti32x4(upper, row(6), 2);
    upper = _mm512_inserti32x4(upper, row(7), 3);

    const __m512 one = _mm512_set1_ps(1.0f), half = _mm512_set1_ps(0.5f);
    const __m512 tx16 = _mm512_set1_ps(static_cast<float>(tx)), ty16 = _mm512_set1_ps(static_cast<float>(ty));
    const __m512 fCol = Wide(c.fc[j]), fRow = Wide(c.fr[j]), gx = Wide(c.gx[j]), gy = Wide(c.gy[j]);
    const __m512 hx = Wide(c.hx[j]), hy = Wide(c.hy[j]);
    const __m512 colLimit = Wide(r.colLimitP), rowLimit = Wide(r.rowLimitP);
    const __m512i lowColV = _mm512_set1_epi32(lowCol), lowRowV = _mm512_set1_epi32(lowRow);
    const __m512i columnsV = _mm512_set1_epi32(columns), rowsV = _mm512_set1_epi32(rows);
    // Byte k of the permute's index: blue of sample k (k < 16), green of
    // sample k - 16, red of sample k - 32; the last sixteen are left 0.
    const __m512i plane = _mm512_set_epi64(0, 0, 0x0202020202020202ll, 0x0202020202020202ll, 0x0101010101010101ll,
                                           0x0101010101010101ll, 0, 0);
    __m512i sums = _mm512_setzero_si512();
    __mmask16 away = 0; // near a texel edge, or outside the block
    const int n = r.n;
    for (int s = 0; s < n; s += 16) {
        const __m512 dx = _mm512_loadu_ps(r.dx + s), dy = _mm512_loadu_ps(r.dy + s);
        // linear_steps::MapProjectedGroup's operations, sixteen lanes wide.
        const __m512 inv = _mm512_div_ps(one, _mm512_fmadd_ps(ty16, dy, _mm512_fmadd_ps(tx16, dx, one)));
        const __m512 zc = _mm512_fmadd_ps(_mm512_fmadd_ps(gy, dy, _mm512_mul_ps(gx, dx)), inv, fCol);
        const __m512 zr = _mm512_fmadd_ps(_mm512_fmadd_ps(hy, dy, _mm512_mul_ps(hx, dx)), inv, fRow);
        const __m512 kc = _mm512_floor_ps(zc), kr = _mm512_floor_ps(zr);
        const __m512 ec = _mm512_abs_ps(_mm512_sub_ps(_mm512_sub_ps(zc, kc), half));
        const __m512 er = _mm512_abs_ps(_mm512_sub_ps(_mm512_sub_ps(zr, kr), half));
        const __m512i col = _mm512_sub_epi32(_mm512_cvtps_epi32(kc), lowColV);
        const __m512i rowIn = _mm512_sub_epi32(_mm512_cvtps_epi32(kr), lowRowV);
        const __mmask16 lanes = n - s >= 16 ? 0xFFFF : static_cast<__mmask16>((1u << (n - s)) - 1u);
        const __mmask16 inside =
            _mm512_cmplt_epu32_mask(col, columnsV) & _mm512_cmplt_epu32_mask(rowIn, rowsV);
        away |= (_mm512_cmp_ps_mask(ec, colLimit, _CMP_GT_OQ) | _mm512_cmp_ps_mask(er, rowLimit, _CMP_GT_OQ) |
                 static_cast<__mmask16>(~inside)) & lanes;
        const __m512i at =
            _mm512_add_epi32(_mm512_slli_epi32(rowIn, 4), _mm512_add_epi32(col, _mm512_add_epi32(col, col)));
        const __m512i index = _mm512_add_epi8(_mm512_broadcast_i32x4(_mm512_cvtepi32_epi8(at)), plane);
        const __mmask64 taken = static_cast<__mmask64>(lanes) * 0x100010001ull; // the lanes in all three planes
        const __m512i bytes = _mm512_maskz_permutex2var_epi8(taken, lower, index, upper);
        sums = _mm512_add_epi64(sums, _mm512_sad_epu8(bytes, _mm512_setzero_si512()));
    }
    if (away != 0) return false;
    alignas(64) std::uint64_t t[8];
    _mm512_store_si512(t, sums);
    out = CPixelSamples{{static_cast<std::uint32_t>(t[0] + t[1]), static_cast<std::uint32_t>(t[2] + t[3]),
                         static_cast<std::uint32_t>(t[4] + t[5])},
                        n};
    return true;
}
VT_TARGET_END
VT_UNDEFINED_START_END

#else
void projected_sums::SetEnabled(bool) noexcept {}

bool projected_sums::Available() noexcept
{
    return false;
}

bool projected_sums::SumSixteens(const linear_steps::SStepSamples&, const linear_steps::SCentres&, int, double,
                                 double, CPixelSamples&) noexcept
{
    return false;
}
#endif

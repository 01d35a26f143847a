#include "engine3d/surface/ColumnRange.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_COLUMN_RANGE_AVX2 1
#endif

namespace {

#if defined(VT_COLUMN_RANGE_AVX2)
// Each bound is -beta / alpha, as in Keep; bounds that are not a number end
// the range, so the others may be taken in any order.
__attribute__((target("avx2"))) void KeepFourWide(CColumnRange& range, const double* alpha,
                                                  const double (*beta)[4], int count) noexcept
{
    const __m256d sign = _mm256_set1_pd(-0.0);
    __m256d lo = _mm256_set1_pd(range.lo), hi = _mm256_set1_pd(range.hi);
    bool none = false;
    for (int c = 0; c < count; ++c) {
        const __m256d b = _mm256_loadu_pd(beta[c]);
        const double a = alpha[c];
        if (a > 0.0 || a < 0.0) {
            const __m256d bound = _mm256_div_pd(_mm256_xor_pd(b, sign), _mm256_set1_pd(a));
            none = none || _mm256_movemask_pd(_mm256_cmp_pd(bound, bound, _CMP_UNORD_Q)) != 0;
            if (a > 0.0) lo = _mm256_max_pd(bound, lo);
            else hi = _mm256_min_pd(bound, hi);
        } else if (!(a == 0.0) || _mm256_movemask_pd(_mm256_cmp_pd(b, _mm256_setzero_pd(), _CMP_GE_OQ)) != 0xF) {
            none = true;
        }
    }
    if (none) { // what Keep would make of it: no column
        range.hi = -HUGE_VAL;
        return;
    }
    alignas(32) double l[4], h[4];
    _mm256_store_pd(l, lo);
    _mm256_store_pd(h, hi);
    range.lo = std::max({l[0], l[1], l[2], l[3]});
    range.hi = std::min({h[0], h[1], h[2], h[3]});
}
#endif

} // namespace

void KeepFour(CColumnRange& range, const double* alpha, const double (*beta)[4], int count) noexcept
{
#if defined(VT_COLUMN_RANGE_AVX2)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) {
        KeepFourWide(range, alpha, beta, count);
        return;
    }
#endif
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < count; ++c) range.Keep(alpha[c], beta[c][k]);
}

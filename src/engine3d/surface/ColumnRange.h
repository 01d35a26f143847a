#pragma once
// The columns of a picture row whose samples meet linear conditions, for the
// insides of smoothly sampled faces (SmoothFace.cpp).

#include <algorithm>
#include <cmath>

// The columns of a picture row that meet linear conditions alpha * x + beta >= 0.
struct CColumnRange {
    double lo = -HUGE_VAL;
    double hi = HUGE_VAL;

    void Keep(double alpha, double beta) noexcept
    {
        if (alpha > 0.0 || alpha < 0.0) {
            const double bound = -beta / alpha;
            if (!(bound == bound)) hi = -HUGE_VAL; // not a number: no column
            else if (alpha > 0.0) lo = std::max(lo, bound);
            else hi = std::min(hi, bound);
        } else if (!(alpha == 0.0 && beta >= 0.0)) {
            hi = -HUGE_VAL; // no column (or not a number)
        }
    }
};

// The same conditions, each for four samples at once: Keep(alpha[c],
// beta[c][k]) for every c < count and k < 4, four at a time where the
// processor has AVX2: the largest of the lower bounds and the smallest of the
// upper ones, as the one-condition loop gives them up to the sign of a zero
// bound; where a condition leaves no column, hi is -HUGE_VAL and lo means
// nothing.
void KeepFour(CColumnRange& range, const double* alpha, const double (*beta)[4], int count) noexcept;

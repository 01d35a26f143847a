// Four samples' conditions at once against the conditions kept one by one:
// the same columns, also where a condition holds nowhere or a bound is not a
// number.
#include "EngineTestUtil.h"

#include "engine3d/surface/ColumnRange.h"

#include <limits>

TEST(ColumnRange, FourAtOnceKeepTheColumnsOfOneByOne)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = HUGE_VAL;
    const double special[] = {0.0, -0.0, 1e-300, -3.0, nan, inf, -inf};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-50.0, 50.0);
    std::uniform_int_distribution<int> pick(0, 40);
    for (int round = 0; round < 2000; ++round) {
        double alpha[5], beta[5][4];
        for (int c = 0; c < 5; ++c) {
            const int a = pick(random);
            alpha[c] = a < 7 ? special[a] : value(random);
            for (double& b : beta[c]) b = pick(random) == 0 ? special[pick(random) % 7] : value(random);
        }
        CColumnRange one, four;
        for (int k = 0; k < 4; ++k)
            for (int c = 0; c < 5; ++c) one.Keep(alpha[c], beta[c][k]);
        KeepFour(four, alpha, beta, 5);
        ASSERT_EQ(one.hi == -inf, four.hi == -inf) << round;
        if (one.hi == -inf) continue;
        EXPECT_EQ(one.lo, four.lo) << round;
        EXPECT_EQ(one.hi, four.hi) << round;
    }
}

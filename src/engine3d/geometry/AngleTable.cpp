#include "engine3d/geometry/AngleTable.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

struct CAngleTables {
    std::array<double, 360> sine{};
    std::array<double, 360> cosine{};
    CAngleTables() noexcept
    {
        for (int i = 0; i < 360; ++i) {
            const double r = i * std::numbers::pi / 180.0;
            sine[i] = std::sin(r);
            cosine[i] = std::cos(r);
        }
    }
};

const CAngleTables& Tables() noexcept
{
    static const CAngleTables tables; // filled on first use, thread-safe
    return tables;
}

int TableIndex(int degrees) noexcept
{
    // |a| without overflow for INT_MIN: work in long long.
    const long long a = degrees < 0 ? -static_cast<long long>(degrees) : degrees;
    return static_cast<int>(a % 360);
}

} // namespace

double SinDeg(int degrees) noexcept
{
    const double s = Tables().sine[TableIndex(degrees)];
    return degrees < 0 ? -s : s;
}

double CosDeg(int degrees) noexcept
{
    return Tables().cosine[TableIndex(degrees)];
}

double SafeDivisor(double v) noexcept
{
    return v == 0.0 ? 1e-10 : v;
}

double RadiansToDegrees(double radians) noexcept
{
    return radians * 180.0 / std::numbers::pi;
}

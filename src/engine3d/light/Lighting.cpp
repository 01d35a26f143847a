#include "engine3d/light/Lighting.h"


bool IsLightOn(std::uint32_t mask, int i, int j) noexcept
{
    if (i < -2 || i > 2 || j < -2 || j > 2) return false;
    return (mask >> LightBit(i, j)) & 1u;
}

CLightShear LightShear(int i, int j) noexcept
{
    return CLightShear{-0.5 * i, -0.5 * j};
}

#include "render/ModelArea.h"

#include <algorithm>

SModelArea ComputeModelArea(int width, int height, int k, int frame) noexcept
{
    SModelArea area;
    const long long mx = std::min<long long>(10LL * k, width / 10);
    const long long my = std::min<long long>(10LL * k, height / 10);
    const long long iw = width - 2LL * k * frame - mx;
    const long long ih = height - 2LL * k * frame - my;
    area.innerWidth = static_cast<int>(std::max<long long>(iw, 0));
    area.innerHeight = static_cast<int>(std::max<long long>(ih, 0));
    area.ox = static_cast<int>((width - iw) / 2);
    area.oy = static_cast<int>((height - ih) / 2);
    area.side = std::min(area.innerWidth, area.innerHeight);
    return area;
}

#include "render/ModelArea.h"

#include <algorithm>
#include <cmath>

SModelArea ComputeModelArea(int width, int height, int k, int frame, int framing) noexcept
{
    SModelArea area;
    if (framing > 0) {
        const long long margin =
            static_cast<long long>(k) * frame + std::llround(std::min(framing, 45) / 100.0 * std::min(width, height));
        area.innerWidth = static_cast<int>(std::max<long long>(width - 2 * margin, 0));
        area.innerHeight = static_cast<int>(std::max<long long>(height - 2 * margin, 0));
        area.ox = area.oy = static_cast<int>(margin);
        area.side = std::min(area.innerWidth, area.innerHeight);
        area.framed = true;
        return area;
    }
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

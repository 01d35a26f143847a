#include "engine3d/light/StudioShadow.h"

#include "engine3d/surface/EngineSettings.h"
#include "engine3d/light/Lighting.h"
#include "engine3d/sampling/PixelRuns.h"
#include "image/Raster.h"
#include "image/colour/SrgbTables.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Half the spread of a light's directions, as shear per unit of fall, per
// percent of Shadow Softness (8 %: the tip of a shadow as long as the product
// is tall blurs over about a fifth of its length); the contact shadow's
// half-blur as a share of the product's largest dimension.
constexpr double kSpreadPerSoftness = 0.0125;
constexpr double kContactBlurPerSize = 0.012;

double LargestDimension(const CEngineSettings& s) noexcept
{
    auto safe = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 100000.0) : 0.0; };
    return std::max({safe(s.width), safe(s.height), safe(s.depth), 1.0});
}

// Copy q of `count` (count = n * n) at the offset (u, v) * half, both in
// -1 .. 1: a Latin square, so that no two copies share a position along
// either axis (copies of a square grid would share them n at a time and
// their edges would fall together, a step of n copies at once), the second
// coordinate taking the positions in the order of a stride prime to count.
void Offset(int q, int count, int stride, double half, double& u, double& v) noexcept
{
    const auto at = [count](int i) { return (2.0 * i + 1.0) / count - 1.0; };
    u = at(q) * half;
    v = at((q * stride) % count) * half;
}

} // namespace

void AddStudioShadows(CModelMesh& mesh, const CPolygonList& shadowSource, const CEngineSettings& settings)
{
    if (!settings.shadows) return;
    const bool wall = settings.tablePosition == 1;
    const double P = wall ? shadowSource.FarthestZ() + settings.aboveTable : 0.0;
    auto push = [&](double a, double b, double c, double d) {
        CPolygonList copy = shadowSource;
        if (wall)
            copy.ProjectOntoWall(P, a, b, c, d);
        else
            copy.ShearOntoFloor(a, b, c, d);
        copy.SetFillColour(settings.shadowColour);
        copy.SetFaceCode(0);
        mesh.lists.push_back(std::move(copy));
    };
    const std::size_t before = mesh.lists.size();
    if (!wall && settings.aboveTable <= 0) { // a product standing on the table touches it
        const double blur = kContactBlurPerSize * LargestDimension(settings);
        constexpr int count = kContactShadowGrid * kContactShadowGrid;
        for (int q = 0; q < count; ++q) {
            double u = 0, v = 0;
            Offset(q, count, 5, blur, u, v);
            push(0.0, 0.0, u, v);
        }
    }
    mesh.contactShadowLists = mesh.lists.size() - before;
    const double half = kSpreadPerSoftness * std::clamp(settings.shadowSoftness, 0, 100);
    for (int i = -2; i <= 2; ++i)
        for (int j = -2; j <= 2; ++j) {
            if (!IsLightOn(settings.lights, i, j)) continue;
            const CLightShear s = LightShear(i, j);
            constexpr int count = kStudioShadowGrid * kStudioShadowGrid;
            for (int q = 0; q < count; ++q) {
                double u = 0, v = 0;
                Offset(q, count, 23, half, u, v);
                push(s.a + u, s.b + v, 0.0, 0.0);
            }
        }
}

bool CShadowAccumulator::Create(int width, int height)
{
    m_width = width;
    m_height = height;
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    m_cast.assign(n, 0);
    m_contact.assign(n, 0);
    m_box = CBoundingBox();
    return true;
}

void CShadowAccumulator::Add(CRaster& layer, const CBoundingBox& box, bool contact) noexcept
{
    const CBoundingBox b = box.ClippedTo(std::min(m_width, layer.GetWidth()), std::min(m_height, layer.GetHeight()));
    if (b.IsEmpty()) return;
    m_box.Add(b);
    std::vector<std::uint16_t>& counts = contact ? m_contact : m_cast;
    for (int y = b.bottom; y <= b.top; ++y) {
        std::uint16_t* c = counts.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + b.left;
        TakeDrawnPixels(layer.GetBits(y) + 3 * b.left, c, b.right - b.left + 1);
    }
}

SShadowShares ShadowShares(COLORREF colour, int castCopies, int contactCopies) noexcept
{
    const CSrgbTables& t = SrgbTables();
    const float grey = 1.0f - t.decode[128];
    const std::uint8_t bgr[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
    SShadowShares s;
    for (int c = 0; c < 3; ++c) {
        const float away = (1.0f - t.decode[bgr[c]]) / grey;
        s.cast[c] = std::min(0.95f, static_cast<float>(kCastDepth) * away) / std::max(castCopies, 1);
        s.contact[c] = std::min(0.95f, static_cast<float>(kContactDepth) * away) / std::max(contactCopies, 1);
    }
    return s;
}

void CShadowAccumulator::Apply(CRaster& target, int castCopies, int contactCopies, COLORREF colour) const noexcept
{
    const CBoundingBox b = m_box.ClippedTo(std::min(m_width, target.GetWidth()), std::min(m_height, target.GetHeight()));
    if (b.IsEmpty()) return;
    const CSrgbTables& t = SrgbTables();
    const auto [cast, contact] = ShadowShares(colour, castCopies, contactCopies);
    for (int y = b.bottom; y <= b.top; ++y) {
        std::uint8_t* p = target.GetBits(y) + 3 * b.left;
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
        for (int x = b.left; x <= b.right; ++x, p += 3) {
            const float n = m_cast[row + static_cast<std::size_t>(x)], m = m_contact[row + static_cast<std::size_t>(x)];
            if (n == 0 && m == 0) continue;
            // The light left, as a level (what white becomes), multiplies the
            // stored level: for the sRGB curve nearly the product in linear
            // light, and exactly what a cut-out's two grounds need.
            for (int c = 0; c < 3; ++c) {
                const unsigned shade = t.Encode((1.0f - cast[c] * n) * (1.0f - contact[c] * m));
                p[c] = static_cast<std::uint8_t>((p[c] * shade + 127) / 255);
            }
        }
    }
}

#include "render/effects/LensFlare.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Nearest integer, halves to even (the default floating-point rounding mode).
inline double RoundEven(double v) noexcept { return std::nearbyint(v); }

inline int ClampRound(double v) noexcept
{
    const double r = RoundEven(v);
    if (!(r > 0.0)) return 0;  // also catches NaN
    if (r > 255.0) return 255;
    return static_cast<int>(r);
}

struct SElementTableRow {
    double a, b, c, red, green, blue;
    int profile;  // 0 glow, 1 disc, 2 ring
};

// Axis position A, radius factor B, strength C, colour factors, profile.
// Element 6's radius factor is 0.5 times the intensity factor (set below).
constexpr SElementTableRow kTable[CLensFlare::kElementCount] = {
    {1.0, 2.0, 1.0, 0.9, 0.9, 0.9, 0},    {1.36, 0.3, 0.25, 0.5, 0.3, 0.3, 1},
    {0.44, 0.5, 0.5, 0.2, 0.2, 0.4, 1},   {0.49, 0.2, 0.5, 0.4, 0.4, 0.7, 1},
    {0.38, 0.3, 0.5, 0.3, 0.3, 0.5, 1},   {-0.49, 0.24, 0.5, 0.6, 0.5, 0.2, 1},
    {1.0, 0.5, 0.5, 0.5, 0.05, 0.1, 2},   {-1.36, 1.1, 0.5, 0.4, 0.4, 0.7, 1},
};

}  // namespace

void CFlareLayer::Reset(int width, int height) noexcept
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_red.clear();
    m_red.shrink_to_fit();
    m_green.clear();
    m_green.shrink_to_fit();
    m_blue.clear();
    m_blue.shrink_to_fit();
}

void CFlareLayer::Get(int x, int y, int& r, int& g, int& b) const noexcept
{
    r = g = b = 0;
    if (!Exists() || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
    r = m_red[i];
    g = m_green[i];
    b = m_blue[i];
}

void CFlareLayer::Put(int x, int y, int r, int g, int b)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    if (!Exists()) {
        if (r == 0 && g == 0 && b == 0) return;
        const std::size_t n = static_cast<std::size_t>(m_width) * m_height;
        m_red.assign(n, 0);
        m_green.assign(n, 0);
        m_blue.assign(n, 0);
    }
    const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
    m_red[i] = static_cast<std::uint8_t>(r);
    m_green[i] = static_cast<std::uint8_t>(g);
    m_blue[i] = static_cast<std::uint8_t>(b);
}

double FlareEdge(double d) noexcept
{
    if (d < 0.9) return 1.0;
    if (d >= 1.1) return 0.0;
    const double t = (d - 0.9) * 4.999999999999998;
    return 1.0 - t * t / (3.0 - 2.0 * t);
}

void CLensFlare::ComputeElements(int width, int height, int x, int y, std::uint32_t color, double k,
                                 SFlareElement (&elements)[kElementCount]) noexcept
{
    const int halfW = width / 2;
    const int halfH = height / 2;
    // A one-pixel-wide picture has halfW 0: the flare axis then stays centred.
    double dx = halfW > 0 ? static_cast<double>(x - halfW) / halfW : 0.0;
    double dy = halfH > 0 ? static_cast<double>(y - halfH) / halfH : 0.0;
    dx = std::clamp(dx, -1.0, 1.0);
    dy = std::clamp(dy, -1.0, 1.0);
    const double base = 0.05 * (width + height);
    const double r = color & 0xFF;
    const double g = (color >> 8) & 0xFF;
    const double b = (color >> 16) & 0xFF;
    for (int i = 0; i < kElementCount; ++i) {
        const SElementTableRow& row = kTable[i];
        const double radiusFactor = i == 6 ? 0.5 * k : row.b;
        SFlareElement& e = elements[i];
        e.cx = dx * row.a * halfW + halfW;
        e.cy = dy * row.a * halfH + halfH;
        e.radius = static_cast<int>(RoundEven(2.0 * base * radiusFactor));
        e.red = r * row.red;
        e.green = g * row.green;
        e.blue = b * row.blue;
        e.strength = row.c;
        e.profile = row.profile;
    }
}

namespace {

// The share of an element's colour at distance d (over its radius) from its centre.
inline double ElementProfile(int profile, double d) noexcept
{
    if (profile == 0) return (1.0 - d) * (1.0 - d) * FlareEdge(d);
    if (profile == 1) return d * FlareEdge(d);
    const double q = 1.0 - 12.5 * std::fabs(d - 0.92);
    return q >= 0.0 ? q * q * q * q : 0.0;
}

// Glows, discs and the ring. An element adds nothing at d >= 1.1, so each
// row only evaluates the elements whose reach (1.1 radii, plus a pixel of
// slack) covers it; skipping an element that would add 0 leaves the sums
// bit-for-bit the same.
void PaintElements(CFlareLayer& layer, const SFlareElement (&el)[CLensFlare::kElementCount], int width, int height,
                   double k)
{
    for (int py = 0; py < height; ++py) {
        int active[CLensFlare::kElementCount];
        int activeCount = 0;
        for (int i = 0; i < CLensFlare::kElementCount; ++i) {
            if (el[i].radius <= 0) continue;  // a zero radius covers no pixel
            const double reach = 1.1 * el[i].radius + 1.0;
            if (std::fabs(py - el[i].cy) <= reach) active[activeCount++] = i;
        }
        if (activeCount == 0) continue;
        for (int px = 0; px < width; ++px) {
            double sr = 0.0, sg = 0.0, sb = 0.0;
            for (int n = 0; n < activeCount; ++n) {
                const SFlareElement& e = el[active[n]];
                const double ddx = px - e.cx;
                const double ddy = py - e.cy;
                const double p = ElementProfile(e.profile, std::sqrt(ddx * ddx + ddy * ddy) / e.radius);
                if (p != 0.0) {
                    sr += p * e.strength * e.red * k;
                    sg += p * e.strength * e.green * k;
                    sb += p * e.strength * e.blue * k;
                }
                if (sr >= 255.0 && sg >= 255.0 && sb >= 255.0) break;
            }
            layer.Put(px, py, ClampRound(sr), ClampRound(sg), ClampRound(sb));
        }
    }
}

// Rays: 100 directions (a in radians) of pseudo-random lengths, each drawn
// as a trail of small splats from the primary flare outwards.
void PaintRays(CFlareLayer& layer, const SFlareElement& primary, int width, int height, double base, double k)
{
    const double c0r = primary.red, c0g = primary.green, c0b = primary.blue;
    for (int a = 0; a < 100; ++a) {
        const double ca = std::cos(static_cast<double>(a));
        const double sa = std::sin(static_cast<double>(a));
        long long sum = (37621LL * a) % 2000;
        for (int j = 1; j <= 7; ++j) sum += (7524200LL + a + (j - 2) * 3762100LL) % 2000;
        const double length = static_cast<double>(sum) * 0.0005 * base * k * 0.5;
        const long long steps = static_cast<long long>(RoundEven(length));
        double px = primary.cx, py = primary.cy;
        for (long long s = 0; s < steps; ++s) {
            for (int u = 0; u <= 2; ++u) {
                for (int v = 0; v <= 2; ++v) {
                    const int tx = static_cast<int>(RoundEven(px + u));
                    const int ty = static_cast<int>(RoundEven(py + v));
                    if (tx < 0 || ty < 0 || tx >= width || ty >= height) continue;
                    const double q = 1.0 - (u * u + v * v) / 4.0;
                    const double w = 0.5 * q * q * q * q;
                    int lr, lg, lb;
                    layer.Get(tx, ty, lr, lg, lb);
                    layer.Put(tx, ty, ClampRound(lr + w * c0r * k * 0.05), ClampRound(lg + w * c0g * k * 0.05),
                              ClampRound(lb + w * c0b * k * 0.05));
                }
            }
            px += ca;
            py += sa;
        }
    }
}

// Cross glint: two bright bars through the primary flare with a fainter
// fringe one pixel wide.
void PaintGlint(CFlareLayer& layer, const SFlareElement& primary, int width, int height, double base, double k)
{
    const double c0r = primary.red, c0g = primary.green, c0b = primary.blue;
    const double rr = 0.92 * base * k;
    const double h = base * k * 0.05 + 1.0;
    const double h2 = h + 1.0;
    const double cx0 = primary.cx, cy0 = primary.cy;
    const int x1 = std::max(0, static_cast<int>(RoundEven(cx0 - rr - 2.0)));
    const int x2 = std::min(width - 1, static_cast<int>(RoundEven(cx0 + rr + 2.0)));
    const int y1 = std::max(0, static_cast<int>(RoundEven(cy0 - rr - 2.0)));
    const int y2 = std::min(height - 1, static_cast<int>(RoundEven(cy0 + rr + 2.0)));
    for (int py = y1; py <= y2; ++py) {
        for (int px = x1; px <= x2; ++px) {
            const double ax = std::fabs(px - cx0);
            const double ay = std::fabs(py - cy0);
            double s;
            if (ax < h || ay < h)
                s = 0.05;
            else if (ax < h2 || ay < h2)
                s = 0.02;
            else
                continue;
            int lr, lg, lb;
            layer.Get(px, py, lr, lg, lb);
            layer.Put(px, py, ClampRound(lr + s * 1.5 * c0r * k), ClampRound(lg + s * c0g * k),
                      ClampRound(lb + s * c0b * k));
        }
    }
}

}  // namespace

void CLensFlare::Paint(int width, int height, std::uint32_t color, int x, int y, double k)
{
    m_layer.Reset(width, height);
    if (width <= 0 || height <= 0) return;
    SFlareElement el[kElementCount];
    ComputeElements(width, height, x, y, color, k, el);
    const double base = 0.05 * (width + height);
    PaintElements(m_layer, el, width, height, k);
    PaintRays(m_layer, el[0], width, height, base, k);
    PaintGlint(m_layer, el[0], width, height, base, k);
}

void CLensFlare::Compose(const CPixelView& image, int blending, int alphaMix) const noexcept
{
    if (!m_layer.Exists() || !image.IsValid()) return;
    const int w = std::min(image.GetWidth(), m_layer.GetWidth());
    const int h = std::min(image.GetHeight(), m_layer.GetHeight());
    const int m = alphaMix;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = image.Row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            int lr, lg, lb;
            m_layer.Get(x, y, lr, lg, lb);
            if (blending == kFlareAlpha) {
                p[0] = static_cast<std::uint8_t>((lb * (255 - m) + p[0] * m) / 255);
                p[1] = static_cast<std::uint8_t>((lg * (255 - m) + p[1] * m) / 255);
                p[2] = static_cast<std::uint8_t>((lr * (255 - m) + p[2] * m) / 255);
                continue;
            }
            if (lr == 0 && lg == 0 && lb == 0) continue;
            if (blending == kFlareAdditive) {
                if (p[0] == 255 && p[1] == 255 && p[2] == 255) continue;
                p[0] = static_cast<std::uint8_t>(std::min(255, p[0] + lb));
                p[1] = static_cast<std::uint8_t>(std::min(255, p[1] + lg));
                p[2] = static_cast<std::uint8_t>(std::min(255, p[2] + lr));
            } else {
                if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
                p[0] = static_cast<std::uint8_t>(std::max(0, p[0] - lb));
                p[1] = static_cast<std::uint8_t>(std::max(0, p[1] - lg));
                p[2] = static_cast<std::uint8_t>(std::max(0, p[2] - lr));
            }
        }
    }
}

bool CLensFlare::Apply(const CPixelView& image, std::uint32_t color, double posX, double posY,
                       int intensityPercent, int blending, int alphaMix) noexcept
{
    if (!image.IsValid()) return true;
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    // Truncation toward zero; stored fractions far outside 0..1 are clamped
    // first so that the product cannot overflow an int.
    if (!std::isfinite(posX)) posX = 0.0;
    if (!std::isfinite(posY)) posY = 0.0;
    const int x = static_cast<int>(std::clamp(w * posX, -1e6, 1e6));
    const int y = static_cast<int>(std::clamp(h * posY, -1e6, 1e6));
    const double k = intensityPercent * 0.01;
    try {
        CLensFlare flare;
        flare.Paint(w, h, color, x, y, k);
        flare.Compose(image, blending, alphaMix);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// The flare painter skips elements row by row; this literal version visits
// every element at every pixel and must give the same layer, byte for byte.

#include "PixelTestUtil.h"

#include "render/effects/LensFlare.h"

namespace {

struct SRefLayer {
    int w, h;
    bool exists = false;
    std::vector<int> r, g, b;
    SRefLayer(int width, int height) : w(width), h(height), r(width * height), g(width * height), b(width * height) {}
    void Get(int x, int y, int& R, int& G, int& B) const
    {
        R = G = B = 0;
        if (!exists || x < 0 || y < 0 || x >= w || y >= h) return;
        R = r[y * w + x], G = g[y * w + x], B = b[y * w + x];
    }
    void Put(int x, int y, int R, int G, int B)
    {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        if (!exists && R == 0 && G == 0 && B == 0) return;
        exists = true;
        r[y * w + x] = R, g[y * w + x] = G, b[y * w + x] = B;
    }
};

int Cl(double v)
{
    const double q = std::nearbyint(v);
    return q < 0 ? 0 : (q > 255 ? 255 : static_cast<int>(q));
}

SRefLayer ReferencePaint(int W, int H, unsigned color, int x, int y, double k)
{
    SRefLayer L(W, H);
    SFlareElement e[8];
    CLensFlare::ComputeElements(W, H, x, y, color, k, e);  // geometry is checked on its own elsewhere
    const double base = 0.05 * (W + H);
    for (int py = 0; py < H; ++py)
        for (int px = 0; px < W; ++px) {
            double s[3] = {0, 0, 0};
            for (int i = 0; i < 8; ++i) {
                if (e[i].radius <= 0) continue;
                const double d = std::sqrt((px - e[i].cx) * (px - e[i].cx) + (py - e[i].cy) * (py - e[i].cy)) / e[i].radius;
                double p;
                if (e[i].profile == 0) p = (1 - d) * (1 - d) * FlareEdge(d);
                else if (e[i].profile == 1) p = d * FlareEdge(d);
                else {
                    const double q = 1 - 12.5 * std::fabs(d - 0.92);
                    p = q >= 0 ? q * q * q * q : 0;
                }
                if (p != 0) {
                    s[0] += p * e[i].strength * e[i].red * k;
                    s[1] += p * e[i].strength * e[i].green * k;
                    s[2] += p * e[i].strength * e[i].blue * k;
                }
                if (s[0] >= 255 && s[1] >= 255 && s[2] >= 255) break;
            }
            L.Put(px, py, Cl(s[0]), Cl(s[1]), Cl(s[2]));
        }
    for (int a = 0; a < 100; ++a) {
        long long sum = (37621LL * a) % 2000;
        for (int j = 1; j <= 7; ++j) sum += (7524200LL + a + (j - 2) * 3762100LL) % 2000;
        const long long n = static_cast<long long>(std::nearbyint(sum * 0.0005 * base * k * 0.5));
        double px = e[0].cx, py = e[0].cy;
        for (long long step = 0; step < n; ++step) {
            for (int u = 0; u <= 2; ++u)
                for (int v = 0; v <= 2; ++v) {
                    const int tx = static_cast<int>(std::nearbyint(px + u)), ty = static_cast<int>(std::nearbyint(py + v));
                    if (tx < 0 || ty < 0 || tx >= W || ty >= H) continue;
                    const double w = 0.5 * std::pow(1 - (u * u + v * v) / 4.0, 4);
                    int R, G, B;
                    L.Get(tx, ty, R, G, B);
                    L.Put(tx, ty, Cl(R + w * e[0].red * k * 0.05), Cl(G + w * e[0].green * k * 0.05),
                          Cl(B + w * e[0].blue * k * 0.05));
                }
            px += std::cos(static_cast<double>(a));
            py += std::sin(static_cast<double>(a));
        }
    }
    const double rr = 0.92 * base * k, h = base * k * 0.05 + 1, h2 = h + 1;
    for (int py = static_cast<int>(std::nearbyint(e[0].cy - rr - 2)); py <= static_cast<int>(std::nearbyint(e[0].cy + rr + 2)); ++py)
        for (int px = static_cast<int>(std::nearbyint(e[0].cx - rr - 2)); px <= static_cast<int>(std::nearbyint(e[0].cx + rr + 2)); ++px) {
            if (px < 0 || py < 0 || px >= W || py >= H) continue;
            const double ax = std::fabs(px - e[0].cx), ay = std::fabs(py - e[0].cy);
            double s;
            if (ax < h || ay < h) s = 0.05;
            else if (ax < h2 || ay < h2) s = 0.02;
            else continue;
            int R, G, B;
            L.Get(px, py, R, G, B);
            L.Put(px, py, Cl(R + s * 1.5 * e[0].red * k), Cl(G + s * e[0].green * k), Cl(B + s * e[0].blue * k));
        }
    return L;
}

}  // namespace

TEST(LensFlareReference, PainterMatchesLiteralAlgorithmOnRandomInput)
{
    const unsigned seed = 20261206;
    std::mt19937 rng(seed);
    for (int round = 0; round < 12; ++round) {
        const int W = 1 + static_cast<int>(rng() % 160), H = 1 + static_cast<int>(rng() % 120);
        const unsigned color = rng() & 0xFFFFFF;
        const int x = static_cast<int>(rng() % (3 * W)) - W, y = static_cast<int>(rng() % (3 * H)) - H;
        const double k = (50 + rng() % 151) * 0.01;
        CLensFlare flare;
        flare.Paint(W, H, color, x, y, k);
        const SRefLayer ref = ReferencePaint(W, H, color, x, y, k);
        ASSERT_EQ(flare.GetLayer().Exists(), ref.exists) << "seed " << seed << " round " << round;
        for (int py = 0; py < H; ++py)
            for (int px = 0; px < W; ++px) {
                int a[3], b[3];
                flare.GetLayer().Get(px, py, a[0], a[1], a[2]);
                ref.Get(px, py, b[0], b[1], b[2]);
                ASSERT_TRUE(a[0] == b[0] && a[1] == b[1] && a[2] == b[2])
                    << "seed " << seed << " round " << round << " size " << W << "x" << H << " flare " << x << ","
                    << y << " k " << k << " colour " << std::hex << color << std::dec << " at " << px << "," << py;
            }
    }
}

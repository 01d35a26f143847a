#pragma once
// CFaceShade: the light of one lit face of CRenderSurface, applied to the
// colours read from its picture (RenderSurfaceSmooth.cpp).

#include "engine3d/geometry/Polygon3D.h"
#include "engine3d/light/HighlightBand.h"
#include "engine3d/light/StudioLighting.h"
#include "engine3d/surface/RenderSurface.h"
#include "image/colour/SrgbTables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// The blue, green and red levels v of `count` pixels, each pixel lit by its
// own light and lifted by its own lift, in linear light through SrgbTables():
// Encode(light * decode[v] + lift), or Encode(light * decode[v]) where lift
// is null (the same levels as a lift of zero). 64 pixels at a time (the
// last four or more padded to 64) where the processor has AVX-512 with VBMI,
// eight where it has AVX2, with the same roundings (FaceShade.cpp).
void LitPixels(std::uint8_t* bgr, int count, const float* light, const float* lift) noexcept;

// The lights of rows whose pixel x is lit by row * column[x] (a float
// product) and not lifted, as the backdrop's sweep lights its rows: LitRow
// gives the levels LitPixels gives with those lights. Where LitPixels takes
// 64 pixels at a time, the columns' lights are laid out once in the order
// its steps read them (LitPixels.cpp).
class CColumnLights {
public:
    CColumnLights(const float* column, int width);
    // Pixels from .. to of the row whose pixel 0 is at bgr, under the row's light.
    void LitRow(std::uint8_t* bgr, int from, int to, float row) noexcept;

private:
    std::vector<float> m_column, m_lanes, m_lights;
};

// The shade of a lit face: colours times the shade in 1/256, or, with studio
// lighting, multiplied in linear light through a table of the 256 levels.
// A face whose light falls off across it has a table for its darkest and one
// for its brightest corner; a pixel mixes the two by where its light lies
// between them (the sRGB curve is nearly straight over the few percent a
// face's light changes, so the mix is within half a level of the exact value).
// A face with a highlight band (CPolygon3D::CHighlight) is shaded pixel by
// pixel: the band adds up to most of white in a few pixels, far beyond what a
// mix of two tables follows, so each level is decoded, lit, lifted by the
// highlight and encoded again (CSrgbTables).
struct CEdgePixels;

struct CFaceShade {
    bool linear = false, banded = false;
    std::uint32_t shadeQ = 256;
    CLinearShadeTable table{}, bright{};
    const CQuadMapping* map = nullptr; // set when the light or the highlight changes across the face
    double low = 0.0, toWeight = 0.0, shade = 0.0, shadeU = 0.0, shadeV = 0.0, specular = 0.0;
    CPolygon3D::CHighlight highlight;
    const CSrgbTables* srgb = nullptr;
    // For the quicker steps of LightRun (FaceShade.cpp): whether
    // they are taken, 1 / (2 softness), and how far their light and lift may
    // lie from LightAt's and HighlightAt's.
    bool quick = false;
    double toBand = 0.0, lightSlack = 0.0, liftSlack = 0.0;
    // The light, the band's offset and the lift without its band, each
    // k0 + kU u + kV v, as numerators over the mapping's denominator where u
    // and v need no clamping: their x, y and constant terms (SetSlack).
    double over[3][3] = {};

    CFaceShade(const CPolygon3D& polygon, const CQuadMapping& mapping) noexcept
        : linear(polygon.linearShade && (polygon.shade != 1.0 || polygon.specular != 0.0 || polygon.shadeU != 0.0 ||
                                         polygon.shadeV != 0.0 || polygon.highlight.Varies())),
          banded(linear && polygon.highlight.Varies())
    {
        if (!linear) {
            shadeQ = static_cast<std::uint32_t>(std::lround(std::clamp(polygon.shade, 0.0, 1.0) * 256.0));
            return;
        }
        shade = polygon.shade, shadeU = polygon.shadeU, shadeV = polygon.shadeV;
        if (banded) {
            map = &mapping;
            specular = polygon.specular, highlight = polygon.highlight, srgb = &SrgbTables();
            SetSlack();
            return;
        }
        const double half = 0.5 * (std::abs(polygon.shadeU) + std::abs(polygon.shadeV));
        table = MakeLinearShadeTable(polygon.shade - half, polygon.specular);
        if (!(half > 0.0)) return;
        bright = MakeLinearShadeTable(polygon.shade + half, polygon.specular);
        map = &mapping;
        low = polygon.shade - half, toWeight = 256.0 / (2.0 * half);
    }

    // The light at the centre of pixel (x, y) of the whole picture (not of a
    // band); (u, v) measured from the face's centre.
    double LightAt(int x, int y, double& u, double& v) const noexcept
    {
        map->Map(x + 0.5, y + 0.5, u, v);
        u = std::clamp(u, 0.0, 1.0) - 0.5, v = std::clamp(v, 0.0, 1.0) - 0.5;
        return shade + shadeU * u + shadeV * v;
    }
    double HighlightAt(double u, double v) const noexcept
    {
        const CPolygon3D::CHighlight& h = highlight;
        return specular + h.sheenU * u + h.sheenV * v +
               h.peak * BandProfile(h.at + h.atU * u + h.atV * v, h.softness);
    }
    // Weight of the bright table at the centre of pixel (x, y) of the whole
    // picture, 0 .. 256.
    std::uint32_t Weight(int x, int y) const noexcept
    {
        double u, v;
        const double light = LightAt(x, y, u, v);
        return static_cast<std::uint32_t>(std::clamp((light - low) * toWeight, 0.0, 256.0));
    }
    std::uint32_t Mix(std::uint32_t v, std::uint32_t w) const noexcept
    {
        return (table[v] * (256 - w) + bright[v] * w + 128) >> 8;
    }
    // LightAt and HighlightAt of pixels x .. x + n - 1 of row y,
    // as floats: four at a time where the processor has AVX2, the same floats
    // (FaceShade.cpp).
    void LightRun(int x, int y, int n, float* light, float* lift) const noexcept;
    void SetSlack() noexcept;

    // Level v lit by `light` and lifted by `lift`, in linear light.
    std::uint8_t Lit(std::uint32_t v, float light, float lift) const noexcept
    {
        return srgb->Encode(light * srgb->decode[v] + lift);
    }
    // Lit of the blue, green and red levels of `count` pixels, each pixel
    // with its own light and lift (::LitPixels).
    void LitPixels(std::uint8_t* bgr, int count, const float* light, const float* lift) const noexcept;

    // Blue, green, red bytes of `count` pixels from (x, y) on.
    void Apply(std::uint8_t* bytes, int count, int x, int y) const noexcept
    {
        if (shadeQ != 256)
            for (int i = 0; i < 3 * count; ++i) bytes[i] = static_cast<std::uint8_t>((bytes[i] * shadeQ + 128) >> 8);
        if (!linear) return;
        if (banded) {
            constexpr int kRun = 256;
            float light[kRun], lift[kRun];
            for (int done = 0; done < count; done += kRun, bytes += 3 * kRun) {
                const int n = std::min(kRun, count - done);
                LightRun(x + done, y, n, light, lift);
                LitPixels(bytes, n, light, lift);
            }
            return;
        }
        if (map == nullptr) {
            for (int i = 0; i < 3 * count; ++i) bytes[i] = table[bytes[i]];
            return;
        }
        for (int i = 0; i < count; ++i) {
            const std::uint32_t w = Weight(x + i, y);
            for (int k = 0; k < 3; ++k) bytes[3 * i + k] = static_cast<std::uint8_t>(Mix(bytes[3 * i + k], w));
        }
    }

    // Apply to `rows` rows of `count` pixels from (x, y) on, the next row's
    // bytes `stride` bytes after the row's: on a face with a band, the
    // quicker light's checks made once for them all (FaceShade.cpp).
    void ApplyRows(std::uint8_t* bytes, std::size_t stride, int count, int x, int y, int rows) const noexcept;

    // The sums of the samples of pixel (x, y).
    void Apply(CPixelSamples& samples, int x, int y) const noexcept
    {
        if (shadeQ != 256)
            for (std::uint32_t& v : samples.sum) v = (v * shadeQ + 128) >> 8;
        if (!linear) return;
        if (banded) {
            float light, lift;
            LightOne(x, y, light, lift);
            LitMeans(samples, light, lift);
            return;
        }
        // The mean of the samples, shaded, stands for each of them.
        const auto n = static_cast<std::uint32_t>(samples.count);
        const std::uint32_t w = map != nullptr ? Weight(x, y) : 0;
        for (std::uint32_t& s : samples.sum) {
            const std::uint32_t mean = std::min((s + n / 2) / n, 255u);
            s = (map != nullptr ? Mix(mean, w) : table[mean]) * n;
        }
    }
    // The same for each pixel held, (x, y + band) of the whole picture: on a
    // face with a band the light of eight pixels at a time, as LightRun's
    // (FaceShade.cpp).
    void Apply(CEdgePixels& pixels, int band) const noexcept;

    // LightAt and HighlightAt of pixel (x, y), as floats.
    void LightOne(int x, int y, float& light, float& lift) const noexcept
    {
        double u, v;
        light = static_cast<float>(LightAt(x, y, u, v));
        lift = static_cast<float>(HighlightAt(u, v));
    }
    // The mean of the samples, lit, stands for each of them.
    void LitMeans(CPixelSamples& samples, float light, float lift) const noexcept
    {
        const auto n = static_cast<std::uint32_t>(samples.count);
        for (std::uint32_t& s : samples.sum) s = Lit(std::min((s + n / 2) / n, 255u), light, lift) * n;
    }
};

// The pixels the outline of a face crosses, gathered from its rows so that
// their light is worked out together (CFaceShade::Apply) before they are
// stored: each pixel of a face is stored once, in any order.
struct CEdgePixels {
    static constexpr int kMost = 64;
    int count = 0;
    int x[kMost], y[kMost]; // column and row of the band
    CPixelSamples samples[kMost];

    // Holds pixel (x, y) with its samples; true when full.
    bool Add(int px, int py, const CPixelSamples& s) noexcept
    {
        x[count] = px, y[count] = py, samples[count] = s;
        return ++count == kMost;
    }
    // Lights the pixels held (rows of the band from `band` on in the whole
    // picture), hands each to store(x, y, samples) and lets them go.
    template <class Store>
    void Flush(const CFaceShade& shade, int band, Store&& store) noexcept
    {
        shade.Apply(*this, band);
        for (int i = 0; i < count; ++i) store(x[i], y[i], samples[i]);
        count = 0;
    }
};

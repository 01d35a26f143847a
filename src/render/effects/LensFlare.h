#pragma once
// Procedural camera flare: a chain of glows, discs and a ring along the line
// from the primary flare through the picture centre, a fan of thin rays and a
// cross-shaped glint, painted into a separate colour layer that is then blended
// onto the rendering. Deterministic: same settings and size, same flare.

#include <cstdint>
#include <vector>

#include "render/PixelView.h"

// Three byte planes (red, green, blue) of W x H entries; the planes are
// allocated, all zero, at the first non-zero value written.
class CFlareLayer {
public:
    void Reset(int width, int height) noexcept;
    bool Exists() const noexcept { return !m_red.empty(); }
    int GetWidth() const noexcept { return m_width; }
    int GetHeight() const noexcept { return m_height; }

    // (0, 0, 0) outside the picture or while the layer does not exist.
    void Get(int x, int y, int& r, int& g, int& b) const noexcept;
    // Ignored outside the picture; a write of (0, 0, 0) does not create the layer.
    void Put(int x, int y, int r, int g, int b);

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_red, m_green, m_blue;
};

enum EFlareBlending : int {
    kFlareAlpha = 1,
    kFlareAdditive = 2,
    kFlareSubtractive = 3,
};

struct SFlareElement {
    double cx = 0.0, cy = 0.0;         // centre, picture pixels (y up)
    int radius = 0;                    // pixels
    double red = 0.0, green = 0.0, blue = 0.0;  // colour of the element
    double strength = 0.0;
    int profile = 0;                   // 0 glow, 1 disc, 2 ring
};

class CLensFlare {
public:
    static constexpr int kElementCount = 8;

    // Centres, radii and colours of the eight elements for a W x H picture with
    // the primary flare at (x, y), colour 0x00BBGGRR and intensity factor k.
    static void ComputeElements(int width, int height, int x, int y, std::uint32_t color, double k,
                                SFlareElement (&elements)[kElementCount]) noexcept;

    // Fills the layer (elements, rays, glint). The layer is discarded first.
    void Paint(int width, int height, std::uint32_t color, int x, int y, double k);

    // Blends the layer onto the picture; nothing when the layer does not exist.
    void Compose(const CPixelView& image, int blending, int alphaMix) const noexcept;

    const CFlareLayer& GetLayer() const noexcept { return m_layer; }

    // The whole effect as the pipeline runs it: position from the stored
    // fractions (truncated toward zero), intensity in percent. Returns false
    // when the layer could not be allocated (the picture is then unchanged).
    static bool Apply(const CPixelView& image, std::uint32_t color, double posX, double posY,
                      int intensityPercent, int blending, int alphaMix) noexcept;

private:
    CFlareLayer m_layer;
};

// Profile helpers (exposed for tests); d is the distance over the radius.
double FlareEdge(double d) noexcept;

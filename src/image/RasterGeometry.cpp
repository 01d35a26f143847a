// CRaster's conversions and geometry: more bits per pixel, flips, quarter
// and half turns, and the 3 x 3 filter. Storage and pixels are in Raster.cpp.
#include "image/Raster.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

// ---- Conversion and geometry ---------------------------------------------------

bool CRaster::IncreaseBpp(int targetBpp)
{
    if (!m_dib) {
        return false;
    }
    const int bpp = GetBpp();
    if (targetBpp != 4 && targetBpp != 8 && targetBpp != 24) {
        return false;
    }
    if (bpp == targetBpp) {
        return true;
    }
    if (bpp > targetBpp) {
        return false;
    }
    CRaster fresh;
    fresh.CopyInfo(*this);
    if (fresh.Create(GetWidth(), GetHeight(), targetBpp, GetType()) == nullptr) {
        SetLastError(fresh.GetLastError());
        return false;
    }
    const int w = GetWidth();
    const int h = GetHeight();
    if (targetBpp == 24) {
        const RGBQUAD* pal = GetPalette();
        for (int y = 0; y < h; ++y) {
            if (m_escape) {
                return false;
            }
            std::uint8_t* d = fresh.GetBits(y);
            for (int x = 0; x < w; ++x, d += 3) {
                const RGBQUAD q = pal[GetPixelIndex(x, y)];
                d[0] = q.rgbBlue;
                d[1] = q.rgbGreen;
                d[2] = q.rgbRed;
            }
        }
        // A transparent index has no meaning without a palette.
        fresh.m_transIndex = -1;
    } else {
        fresh.SetPalette(GetPalette(), GetNumColors());
        for (int y = 0; y < h; ++y) {
            if (m_escape) {
                return false;
            }
            for (int x = 0; x < w; ++x) {
                fresh.SetPixelIndex(x, y, GetPixelIndex(x, y));
            }
        }
    }
    fresh.m_selection = m_selection;
    fresh.m_alpha = m_alpha;
    Transfer(fresh);
    return true;
}

bool CRaster::Flip() noexcept
{
    if (!m_dib) {
        return false;
    }
    const int h = GetHeight();
    const std::size_t eff = static_cast<std::size_t>(m_effWidth);
    for (int top = h - 1, bottom = 0; bottom < top; --top, ++bottom) {
        std::swap_ranges(GetBits(bottom), GetBits(bottom) + eff, GetBits(top));
    }
    const std::size_t w = static_cast<std::size_t>(GetWidth());
    for (std::vector<std::uint8_t>* plane : {&m_selection, &m_alpha}) {
        if (plane->empty()) continue;
        for (int top = h - 1, bottom = 0; bottom < top; --top, ++bottom) {
            std::swap_ranges(plane->data() + bottom * w, plane->data() + (bottom + 1) * w, plane->data() + top * w);
        }
    }
    return true;
}

bool CRaster::Mirror() noexcept
{
    if (!m_dib) {
        return false;
    }
    const int w = GetWidth();
    const int h = GetHeight();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = GetBits(y);
        if (GetBpp() == 24) {
            for (int a = 0, b = w - 1; a < b; ++a, --b) {
                std::swap_ranges(row + a * 3, row + a * 3 + 3, row + b * 3);
            }
        } else if (GetBpp() == 8) {
            std::reverse(row, row + w);
        } else {
            for (int a = 0, b = w - 1; a < b; ++a, --b) {
                const std::uint8_t ia = GetPixelIndex(a, y);
                SetPixelIndex(a, y, GetPixelIndex(b, y));
                SetPixelIndex(b, y, ia);
            }
        }
    }
    for (std::vector<std::uint8_t>* plane : {&m_selection, &m_alpha}) {
        if (plane->empty()) continue;
        for (int y = 0; y < h; ++y) {
            std::reverse(plane->data() + static_cast<std::size_t>(y) * w,
                         plane->data() + static_cast<std::size_t>(y + 1) * w);
        }
    }
    return true;
}

namespace {

// Quarter turn of `src` into `dst` (already created at the turned size).
// left: dst (X, Y) = src (Y, H - 1 - X); right: dst (X, Y) = src (W - 1 - Y, X).
void TurnPixels(const CRaster& src, CRaster& dst, bool left)
{
    const int w = src.GetWidth();
    const int h = src.GetHeight();
    const int dw = dst.GetWidth();
    const int dh = dst.GetHeight();
    for (int Y = 0; Y < dh; ++Y) {
        for (int X = 0; X < dw; ++X) {
            const int sx = left ? Y : w - 1 - Y;
            const int sy = left ? h - 1 - X : X;
            if (src.GetBpp() == 24) {
                const std::uint8_t* s = src.GetBits(sy) + sx * 3;
                std::uint8_t* d = dst.GetBits(Y) + X * 3;
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            } else {
                dst.SetPixelIndex(X, Y, src.GetPixelIndex(sx, sy));
            }
        }
    }
}

void TurnPlane(const std::vector<std::uint8_t>& src, std::vector<std::uint8_t>& dst, int w, int h, bool left)
{
    dst.assign(src.size(), 0);
    const int dw = h;
    const int dh = w;
    for (int Y = 0; Y < dh; ++Y) {
        for (int X = 0; X < dw; ++X) {
            const int sx = left ? Y : w - 1 - Y;
            const int sy = left ? h - 1 - X : X;
            dst[static_cast<std::size_t>(Y) * dw + X] = src[static_cast<std::size_t>(sy) * w + sx];
        }
    }
}

} // namespace

bool CRaster::RotateLeft(CRaster* dest)
{
    return Turn(dest, true);
}

bool CRaster::RotateRight(CRaster* dest)
{
    return Turn(dest, false);
}

bool CRaster::Turn(CRaster* dest, bool left)
{
    if (!m_dib) {
        return false;
    }
    CRaster fresh;
    fresh.CopyInfo(*this);
    if (fresh.Create(GetHeight(), GetWidth(), GetBpp(), GetType()) == nullptr) {
        SetLastError(fresh.GetLastError());
        return false;
    }
    fresh.SetPalette(GetPalette(), GetNumColors());
    TurnPixels(*this, fresh, left);
    try {
        if (HasSelection()) TurnPlane(m_selection, fresh.m_selection, GetWidth(), GetHeight(), left);
        if (HasAlpha()) TurnPlane(m_alpha, fresh.m_alpha, GetWidth(), GetHeight(), left);
    } catch (const std::bad_alloc&) {
        SetLastError("Can't allocate memory");
        return false;
    }
    if (dest != nullptr && dest != this) {
        dest->Transfer(fresh);
    } else {
        Transfer(fresh);
    }
    return true;
}

// Convolution: every channel of the result is the kernel-weighted sum of the
// neighbours, kernel entry (i, j) weighting the pixel (x + i - half, y + j - half)
// for i, j = 0 .. n - 1 (j counts rows upwards). Neighbours outside the picture
// read as the background colour. The sum is divided by the divisor when it is
// not 0 (integer division), the offset added, and the result clamped to 0..255.
bool CRaster::Filter(const int* kernel, int kernelSize, int divisor, int offset)
{
    if (!m_dib || kernel == nullptr || kernelSize <= 0 || GetBpp() != 24) {
        return false;
    }
    CRaster result;
    if (!result.Copy(*this, false, false, false)) {
        SetLastError(result.GetLastError());
        return false;
    }
    const int w = GetWidth();
    const int h = GetHeight();
    const int half = kernelSize / 2;
    for (int y = 0; y < h; ++y) {
        if (m_escape) {
            return false;
        }
        m_progress = static_cast<int>(static_cast<std::int64_t>(y) * 100 / h);
        std::uint8_t* d = result.GetBits(y);
        for (int x = 0; x < w; ++x, d += 3) {
            std::int64_t sb = 0, sg = 0, sr = 0;
            for (int j = 0; j < kernelSize; ++j) {
                for (int i = 0; i < kernelSize; ++i) {
                    const std::int64_t k = kernel[j * kernelSize + i];
                    if (k == 0) continue;
                    const RGBQUAD q = GetPixelColor(x + i - half, y + j - half);
                    sb += k * q.rgbBlue;
                    sg += k * q.rgbGreen;
                    sr += k * q.rgbRed;
                }
            }
            if (divisor != 0) {
                sb /= divisor;
                sg /= divisor;
                sr /= divisor;
            }
            d[0] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(sb + offset, 0, 255));
            d[1] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(sg + offset, 0, 255));
            d[2] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(sr + offset, 0, 255));
        }
    }
    result.m_selection = m_selection;
    result.m_alpha = m_alpha;
    result.m_lastError = m_lastError;
    Transfer(result);
    m_progress = 100;
    return true;
}

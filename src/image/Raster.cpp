#include "image/Raster.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

static_assert(std::endian::native == std::endian::little,
              "the DIB block is little-endian and is addressed in place");

namespace {

std::atomic<std::size_t> g_allocationLimit{std::size_t{1} << 30};

// dots per inch -> pixels per metre, rounded.
std::int32_t DpiToPelsPerMeter(int dpi) noexcept
{
    return static_cast<std::int32_t>(std::lround(static_cast<double>(dpi) / 0.0254));
}

} // namespace

// ---- Construction and storage -------------------------------------------------

CRaster::CRaster(int imageType) : m_type(imageType) {}

std::optional<CRaster> CRaster::Make(int width, int height, int bpp, int imageType)
{
    std::optional<CRaster> made(std::in_place, imageType);
    if (!made->Create(width, height, bpp, imageType))
        made.reset();
    return made;
}

CRaster::CRaster(const CRaster& other)
{
    *this = other;
}

CRaster& CRaster::operator=(const CRaster& other)
{
    if (this != &other) {
        if (other.IsValid()) {
            Copy(other, true, true, true);
        } else {
            Destroy();
            CopyInfo(other);
        }
    }
    return *this;
}

CRaster::CRaster(CRaster&& other) noexcept
{
    *this = std::move(other);
}

CRaster& CRaster::operator=(CRaster&& other) noexcept
{
    if (this != &other) {
        Transfer(other);
    }
    return *this;
}

CRaster::~CRaster() = default;

void CRaster::SDibDeleter::operator()(std::uint8_t* block) const noexcept
{
    std::free(block);
}

int CRaster::NormaliseBpp(int bpp) noexcept
{
    if (bpp <= 1) return 1;
    if (bpp <= 4) return 4;
    if (bpp <= 8) return 8;
    return 24;
}

std::int64_t CRaster::EffWidthFor(std::int64_t width, int bpp) noexcept
{
    if (width < 0 || width > std::numeric_limits<std::int32_t>::max() || bpp <= 0 || bpp > 32) {
        return -1;
    }
    return ((width * bpp) + 31) / 32 * 4;
}

void CRaster::SetAllocationLimit(std::size_t bytes) noexcept
{
    g_allocationLimit.store(bytes);
}

std::size_t CRaster::GetAllocationLimit() noexcept
{
    return g_allocationLimit.load();
}

std::uint8_t* CRaster::Create(int width, int height, int bpp, int imageType)
{
    return Allocate(width, height, bpp, imageType, true);
}

std::uint8_t* CRaster::CreateUnset(int width, int height, int bpp, int imageType)
{
    return Allocate(width, height, bpp, imageType, false);
}

std::uint8_t* CRaster::Allocate(int width, int height, int bpp, int imageType, bool zeroed)
{
    Destroy();
    m_type = imageType;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) {
        SetLastError("Invalid image size");
        return nullptr;
    }
    bpp = NormaliseBpp(bpp);
    const int colors = bpp == 24 ? 0 : (1 << bpp);
    const std::int64_t eff = EffWidthFor(width, bpp);
    const std::uint64_t rows = static_cast<std::uint64_t>(eff) * static_cast<std::uint64_t>(height);
    const std::uint64_t total = sizeof(BITMAPINFOHEADER) + static_cast<std::uint64_t>(colors) * 4 + rows;
    if (total > GetAllocationLimit()) {
        SetLastError("Can't allocate memory");
        return nullptr;
    }
    std::unique_ptr<std::uint8_t, SDibDeleter> block(
        static_cast<std::uint8_t*>(zeroed ? std::calloc(total, 1) : std::malloc(total)));
    if (!block) {
        SetLastError("Can't allocate memory");
        return nullptr;
    }
    if (!zeroed) std::memset(block.get(), 0, total - rows);  // header and palette
    m_dib = std::move(block);
    m_info = BITMAPINFOHEADER{};
    m_info.biWidth = width;
    m_info.biHeight = height;
    m_info.biBitCount = static_cast<std::uint16_t>(bpp);
    m_info.biSizeImage = static_cast<std::uint32_t>(rows);
    m_info.biXPelsPerMeter = DpiToPelsPerMeter(m_xdpi);
    m_info.biYPelsPerMeter = DpiToPelsPerMeter(m_ydpi);
    m_effWidth = static_cast<int>(eff);
    m_rowCapacity = height;
    m_numColors = colors;
    m_bits = m_dib.get() + sizeof(BITMAPINFOHEADER) + colors * 4;
    WriteHeader();
    return m_dib.get();
}

void CRaster::WriteHeader() noexcept
{
    if (m_dib) {
        std::memcpy(m_dib.get(), &m_info, sizeof(m_info));
    }
}

void CRaster::CopyInfo(const CRaster& other)
{
    m_type = other.m_type;
    m_lastError = other.m_lastError;
    m_progress = other.m_progress;
    m_escape = other.m_escape;
    m_transIndex = other.m_transIndex;
    m_background = other.m_background;
    m_jpegQuality = other.m_jpegQuality;
    m_xdpi = other.m_xdpi;
    m_ydpi = other.m_ydpi;
    m_alphaMax = other.m_alphaMax;
    m_enabled = other.m_enabled;
}

bool CRaster::Copy(const CRaster& source, bool copyPixels, bool copySelection, bool copyAlpha)
{
    if (&source == this) {
        return IsValid();
    }
    if (!source.IsValid()) {
        SetLastError("Copy: empty source image");
        return false;
    }
    CRaster fresh;
    fresh.CopyInfo(source);
    if (fresh.Create(source.GetWidth(), source.GetHeight(), source.GetBpp(), source.GetType()) == nullptr) {
        SetLastError(fresh.GetLastError());
        return false;
    }
    fresh.m_info = source.m_info;
    fresh.WriteHeader();
    if (copyPixels) {
        std::memcpy(fresh.m_dib.get(), source.m_dib.get(), source.GetDIBSize());
    } else if (source.m_numColors > 0) {
        std::memcpy(fresh.GetPalette(), source.GetPalette(), static_cast<std::size_t>(source.GetPaletteSize()));
    }
    try {
        if (copySelection && source.HasSelection()) {
            fresh.m_selection = source.m_selection;
        }
        if (copyAlpha && source.HasAlpha()) {
            fresh.m_alpha = source.m_alpha;
        }
    } catch (const std::bad_alloc&) {
        SetLastError("Can't allocate memory");
        return false;
    }
    Transfer(fresh);
    return true;
}

bool CRaster::SetRowsWithin(int height) noexcept
{
    if (!m_dib || height <= 0 || height > m_rowCapacity || !m_selection.empty() || !m_alpha.empty()) return false;
    m_info.biHeight = height;
    m_info.biSizeImage = static_cast<std::uint32_t>(static_cast<std::size_t>(m_effWidth) * static_cast<std::size_t>(height));
    WriteHeader();
    return true;
}

void CRaster::Transfer(CRaster& other) noexcept
{
    if (&other == this) {
        return;
    }
    m_dib = std::move(other.m_dib);
    m_info = other.m_info;
    m_effWidth = other.m_effWidth;
    m_rowCapacity = other.m_rowCapacity;
    m_numColors = other.m_numColors;
    m_bits = other.m_bits;
    m_type = other.m_type;
    m_lastError.swap(other.m_lastError);
    m_progress = other.m_progress;
    m_escape = other.m_escape;
    m_transIndex = other.m_transIndex;
    m_background = other.m_background;
    m_jpegQuality = other.m_jpegQuality;
    m_xdpi = other.m_xdpi;
    m_ydpi = other.m_ydpi;
    m_alphaMax = other.m_alphaMax;
    m_enabled = other.m_enabled;
    m_selection = std::move(other.m_selection);
    m_alpha = std::move(other.m_alpha);
    other.Destroy();
}

void CRaster::Destroy() noexcept
{
    m_dib.reset();
    m_info = BITMAPINFOHEADER{};
    m_effWidth = 0;
    m_rowCapacity = 0;
    m_numColors = 0;
    m_bits = nullptr;
    m_selection.clear();
    m_selection.shrink_to_fit();
    m_alpha.clear();
    m_alpha.shrink_to_fit();
}

std::uint8_t* CRaster::GetBits(int row) noexcept
{
    if (!m_dib || row < 0 || row >= m_info.biHeight) {
        return nullptr;
    }
    return m_bits + static_cast<std::ptrdiff_t>(row) * m_effWidth;
}

const std::uint8_t* CRaster::GetBits(int row) const noexcept
{
    return const_cast<CRaster*>(this)->GetBits(row);
}

std::size_t CRaster::GetDIBSize() const noexcept
{
    if (!m_dib) {
        return 0;
    }
    return sizeof(BITMAPINFOHEADER) + static_cast<std::size_t>(GetPaletteSize()) +
           static_cast<std::size_t>(m_effWidth) * static_cast<std::size_t>(m_info.biHeight);
}

void CRaster::Clear(std::uint8_t value) noexcept
{
    if (m_dib) {
        std::memset(m_bits, value, static_cast<std::size_t>(m_effWidth) * static_cast<std::size_t>(m_info.biHeight));
    }
}

void CRaster::SetLastError(const char* text)
{
    m_lastError.assign(text != nullptr ? text : "");
    if (m_lastError.size() > 255) {
        m_lastError.resize(255);
    }
}

void CRaster::SetJpegQuality(int quality) noexcept
{
    m_jpegQuality = std::clamp(quality, 0, 100);
}

void CRaster::SetXDPI(int dpi) noexcept
{
    m_xdpi = dpi;
    m_info.biXPelsPerMeter = DpiToPelsPerMeter(dpi);
    WriteHeader();
}

void CRaster::SetYDPI(int dpi) noexcept
{
    m_ydpi = dpi;
    m_info.biYPelsPerMeter = DpiToPelsPerMeter(dpi);
    WriteHeader();
}

// ---- Palette -------------------------------------------------------------------

RGBQUAD* CRaster::GetPalette() noexcept
{
    if (!m_dib || m_numColors == 0) {
        return nullptr;
    }
    return reinterpret_cast<RGBQUAD*>(m_dib.get() + sizeof(BITMAPINFOHEADER));
}

const RGBQUAD* CRaster::GetPalette() const noexcept
{
    return const_cast<CRaster*>(this)->GetPalette();
}

RGBQUAD CRaster::GetPaletteColor(int index) const noexcept
{
    const RGBQUAD* pal = GetPalette();
    if (pal == nullptr || index < 0 || index >= m_numColors) {
        return RGBQUAD{};
    }
    return pal[index];
}

void CRaster::SetPaletteColor(int index, std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept
{
    SetPaletteColor(index, RGBQUAD{b, g, r, 0});
}

void CRaster::SetPaletteColor(int index, RGBQUAD color) noexcept
{
    RGBQUAD* pal = GetPalette();
    if (pal != nullptr && index >= 0 && index < m_numColors) {
        pal[index] = color;
    }
}

void CRaster::SetPalette(const RGBQUAD* entries, int count) noexcept
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr || entries == nullptr || count <= 0) {
        return;
    }
    std::memcpy(pal, entries, static_cast<std::size_t>(std::min(count, m_numColors)) * sizeof(RGBQUAD));
}

void CRaster::SetGrayPalette() noexcept
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr) {
        return;
    }
    for (int i = 0; i < m_numColors; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (m_numColors - 1));
        pal[i] = RGBQUAD{v, v, v, 0};
    }
}

bool CRaster::IsGrayScale() const noexcept
{
    const RGBQUAD* pal = GetPalette();
    if (pal == nullptr) {
        return false;
    }
    for (int i = 0; i < m_numColors; ++i) {
        if (pal[i].rgbRed != pal[i].rgbGreen || pal[i].rgbGreen != pal[i].rgbBlue) {
            return false;
        }
    }
    return true;
}

// ---- Pixel access --------------------------------------------------------------

std::uint8_t CRaster::GetPixelIndex(int x, int y) const noexcept
{
    if (!m_dib || m_numColors == 0) {
        return 0;
    }
    if (!IsInside(x, y)) {
        return m_transIndex >= 0 ? static_cast<std::uint8_t>(m_transIndex) : 0;
    }
    const std::uint8_t* row = m_bits + static_cast<std::ptrdiff_t>(y) * m_effWidth;
    switch (m_info.biBitCount) {
    case 8: return row[x];
    case 4: {
        const std::uint8_t b = row[x >> 1];
        return (x & 1) ? (b & 0x0F) : (b >> 4);
    }
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default: return 0;
    }
}

RGBQUAD CRaster::GetPixelColor(int x, int y) const noexcept
{
    if (!m_dib) {
        return m_background;
    }
    if (!IsInside(x, y)) {
        if (m_numColors > 0 && m_transIndex >= 0 && m_transIndex < m_numColors) {
            return GetPalette()[m_transIndex];
        }
        return m_background;
    }
    if (m_numColors > 0) {
        RGBQUAD q = GetPalette()[GetPixelIndex(x, y)];
        return q;
    }
    const std::uint8_t* p = m_bits + static_cast<std::ptrdiff_t>(y) * m_effWidth + x * 3;
    return RGBQUAD{p[0], p[1], p[2], 0};
}

void CRaster::SetPixelColor(int x, int y, COLORREF color) noexcept
{
    if (!IsInside(x, y) || m_info.biBitCount != 24) {
        return;
    }
    std::uint8_t* p = m_bits + static_cast<std::ptrdiff_t>(y) * m_effWidth + x * 3;
    p[0] = GetBValue(color);
    p[1] = GetGValue(color);
    p[2] = GetRValue(color);
}

void CRaster::SetPixelColor(int x, int y, RGBQUAD color) noexcept
{
    if (!IsInside(x, y) || m_info.biBitCount != 24) {
        return;
    }
    std::uint8_t* p = m_bits + static_cast<std::ptrdiff_t>(y) * m_effWidth + x * 3;
    p[0] = color.rgbBlue;
    p[1] = color.rgbGreen;
    p[2] = color.rgbRed;
}

void CRaster::SetPixelIndex(int x, int y, std::uint8_t index) noexcept
{
    if (!IsInside(x, y) || m_numColors == 0) {
        return;
    }
    std::uint8_t* row = m_bits + static_cast<std::ptrdiff_t>(y) * m_effWidth;
    switch (m_info.biBitCount) {
    case 8: row[x] = index; break;
    case 4: {
        std::uint8_t& b = row[x >> 1];
        if (x & 1) {
            b = static_cast<std::uint8_t>((b & 0xF0) | (index & 0x0F));
        } else {
            b = static_cast<std::uint8_t>((b & 0x0F) | ((index & 0x0F) << 4));
        }
        break;
    }
    case 1: {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
        std::uint8_t& b = row[x >> 3];
        b = (index & 1) ? static_cast<std::uint8_t>(b | mask) : static_cast<std::uint8_t>(b & ~mask);
        break;
    }
    default: break;
    }
}

// Span clipping: nothing when the row is outside, or when both ends lie left of
// the picture or both at or beyond its right edge; otherwise the ends are
// clamped to 0 .. width - 1 and nothing is drawn when they are then reversed.
void CRaster::HorizontalLine(int x1, int x2, int y, RGBQUAD color) noexcept
{
    if (!m_dib || m_info.biBitCount != 24 || y < 0 || y >= m_info.biHeight) {
        return;
    }
    const int w = m_info.biWidth;
    if ((x1 < 0 && x2 < 0) || (x1 >= w && x2 >= w)) {
        return;
    }
    if (x1 < 0) x1 = 0;
    if (x2 >= w) x2 = w - 1;
    if (x1 > x2) {
        return;
    }
    std::uint8_t* p = m_bits + static_cast<std::ptrdiff_t>(y) * m_effWidth + x1 * 3;
    std::uint8_t* const end = p + (x2 - x1 + 1) * 3;
    const std::uint8_t b = color.rgbBlue, g = color.rgbGreen, r = color.rgbRed;
    for (; p != end; p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
}

void CRaster::HorizontalLine(int x1, int x2, int y, COLORREF color) noexcept
{
    HorizontalLine(x1, x2, y, RGBtoRGBQUAD(color));
}

void CRaster::ToWhite() noexcept
{
    Clear(255);
}

namespace {

// The blend cache of FastAlpha: entry (S << 8) + D holds
// (S * (255 - alpha) + D * alpha) >> 8 for the alpha of the last call;
// 0 means "not computed yet" (a true 0 is simply recomputed).
struct SAlphaCache {
    std::uint8_t table[65536] = {};
    int alpha = -1;
    int complement = 0;
};
SAlphaCache g_alphaCache;

} // namespace

void CRaster::FastAlpha(CRaster& dest, int alpha, int x1, int x2, int y1, int y2) const noexcept
{
    if (!m_dib || !dest.m_dib || m_info.biBitCount != 24 || dest.m_info.biBitCount != 24) {
        return;
    }
    alpha = std::clamp(alpha, 0, 255);
    SAlphaCache& cache = g_alphaCache;
    if (alpha != cache.alpha) {
        std::memset(cache.table, 0, sizeof(cache.table));
        cache.alpha = alpha;
        cache.complement = 255 - alpha;
    }
    assert(x1 >= 0 && y1 >= 0 && x2 < m_info.biWidth && y2 < m_info.biHeight);
    assert(x2 < dest.m_info.biWidth && y2 < dest.m_info.biHeight);
    const int complement = cache.complement;
    for (int y = y1; y <= y2; ++y) {
        const std::uint8_t* s = m_bits + static_cast<std::ptrdiff_t>(y) * m_effWidth + x1 * 3;
        std::uint8_t* d = dest.m_bits + static_cast<std::ptrdiff_t>(y) * dest.m_effWidth + x1 * 3;
        for (int x = x1; x <= x2; ++x, s += 3, d += 3) {
            if (s[0] == 255 && s[1] == 255 && s[2] == 255) {
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                if (s[c] != d[c]) {
                    std::uint8_t& entry = cache.table[(s[c] << 8) + d[c]];
                    if (entry == 0) {
                        entry = static_cast<std::uint8_t>((s[c] * complement + d[c] * alpha) >> 8);
                    }
                    d[c] = entry;
                }
            }
        }
    }
}

// ---- DIB block exchange ----------------------------------------------------------

std::vector<std::uint8_t> CRaster::CopyToHandle() const
{
    if (!m_dib) {
        return {};
    }
    return std::vector<std::uint8_t>(m_dib.get(), m_dib.get() + GetDIBSize());
}

// ---- Optional planes -------------------------------------------------------------

bool CRaster::SelectionCreate()
{
    if (!m_dib) {
        return false;
    }
    try {
        m_selection.assign(static_cast<std::size_t>(GetWidth()) * static_cast<std::size_t>(GetHeight()), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CRaster::AlphaCreate()
{
    if (!m_dib) {
        return false;
    }
    try {
        m_alpha.assign(static_cast<std::size_t>(GetWidth()) * static_cast<std::size_t>(GetHeight()),
                       static_cast<std::uint8_t>(std::clamp(m_alphaMax, 0, 255)));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

#pragma once
// CRaster: the one picture container of the program, a device-independent
// bitmap held in one heap block (40-byte BITMAPINFOHEADER, palette, pixel rows).
//
// Pixel layout:
//  - rows are stored bottom-up: memory row y is picture row y, y = 0 the bottom;
//  - each row is padded to a multiple of 4 bytes (GetEffWidth bytes per row);
//  - bit counts are normalised: <= 1 -> 1, <= 4 -> 4, <= 8 -> 8, else 24;
//    1/4/8-bit pictures have a palette of 2/16/256 RGBQUAD entries;
//  - a 24-bit pixel is the three bytes blue, green, red.
//
// Failures never throw: operations return false (or null) and keep a
// last-error text. The fast writers (SetPixelColor, HorizontalLine, FastAlpha)
// assume 24 bits and address the rows directly.

#include "image/Color.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CByteStream;

// Image type numbers: the file format a picture came from or is saved as.
constexpr int IMAGE_TYPE_UNKNOWN = 0; // load: detect the format
constexpr int IMAGE_TYPE_BMP = 1;
constexpr int IMAGE_TYPE_JPEG = 2;
constexpr int IMAGE_TYPE_PNG = 3;
constexpr int IMAGE_TYPE_PCX = 4;

// The Windows BITMAPINFOHEADER, little-endian, 40 bytes.
struct BITMAPINFOHEADER {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0; // bytes of pixel rows
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");

class CRaster {
public:
    // Largest width or height accepted by Create.
    static constexpr int kMaxDimension = 65535;

    // An empty picture; Create gives it pixels.
    explicit CRaster(int imageType = IMAGE_TYPE_UNKNOWN);
    // A picture of the given size (pixel bytes zeroed), or nothing when the size
    // is not positive, too large, or memory runs out.
    static std::optional<CRaster> Make(int width, int height, int bpp, int imageType = IMAGE_TYPE_UNKNOWN);
    CRaster(const CRaster& other);            // deep copy with pixels, selection and alpha
    CRaster& operator=(const CRaster& other); // same
    CRaster(CRaster&& other) noexcept;        // transfer
    CRaster& operator=(CRaster&& other) noexcept;
    ~CRaster();

    // ---- Construction and storage -------------------------------------------------
    // Frees the old picture, allocates header + palette + rows, zeroes the palette
    // (pixel bytes are zeroed too, although callers must not rely on it) and sets
    // the header. Returns the DIB block, or null when the size is not positive,
    // too large, or memory runs out; the picture is then empty.
    std::uint8_t* Create(int width, int height, int bpp, int imageType = IMAGE_TYPE_UNKNOWN);
    // As Create, but the pixel rows are left as the allocator gives them (the
    // palette is still zeroed), for a caller that writes every row byte, the
    // row ends past the last pixel included: the rows are not cleared first.
    std::uint8_t* CreateUnset(int width, int height, int bpp, int imageType = IMAGE_TYPE_UNKNOWN);
    // Makes the picture `height` rows high, keeping its width, depth and pixel
    // block, when the block was made for at least that many rows (by Create);
    // the pixels are left as they are. False, changing nothing, otherwise or
    // when the picture has a selection or alpha plane. (Pictures drawn in
    // bands of a few heights reuse one block.)
    bool SetRowsWithin(int height) noexcept;
    // Copies every info field and the geometry; the pixel rows when `copyPixels`
    // (otherwise only the palette), and the selection and alpha planes when asked
    // and present. False when `source` is empty or memory runs out.
    bool Copy(const CRaster& source, bool copyPixels = true, bool copySelection = true,
              bool copyAlpha = true);
    // Takes over the other picture's DIB and info; the other becomes empty.
    void Transfer(CRaster& other) noexcept;
    void Destroy() noexcept;
    bool IsValid() const noexcept { return m_dib != nullptr; }

    int GetWidth() const noexcept { return m_info.biWidth; }
    int GetHeight() const noexcept { return m_info.biHeight; }
    int GetBpp() const noexcept { return m_info.biBitCount; }
    // Bytes per pixel row: ((width * bpp) + 31) / 32 * 4.
    int GetEffWidth() const noexcept { return m_effWidth; }
    // Bytes of the palette (4 per entry), 0 for 24-bit pictures.
    int GetPaletteSize() const noexcept { return m_numColors * 4; }
    int GetNumColors() const noexcept { return m_numColors; }
    // Start of memory row `row` (row 0 = bottom); null when empty or out of range.
    std::uint8_t* GetBits(int row = 0) noexcept;
    const std::uint8_t* GetBits(int row = 0) const noexcept;
    // The whole DIB block: header, palette, rows.
    std::uint8_t* GetDIB() noexcept { return m_dib.get(); }
    const std::uint8_t* GetDIB() const noexcept { return m_dib.get(); }
    // Bytes of the DIB block: 40 + palette + effective width * height.
    std::size_t GetDIBSize() const noexcept;
    const BITMAPINFOHEADER& GetHeader() const noexcept { return m_info; }
    // Fills every pixel byte with `value`.
    void Clear(std::uint8_t value = 0) noexcept;

    // ---- Palette -------------------------------------------------------------------
    RGBQUAD* GetPalette() noexcept;
    const RGBQUAD* GetPalette() const noexcept;
    RGBQUAD GetPaletteColor(int index) const noexcept; // black when out of range
    void SetPaletteColor(int index, std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept;
    void SetPaletteColor(int index, RGBQUAD color) noexcept;
    // Copies up to GetNumColors() entries.
    void SetPalette(const RGBQUAD* entries, int count) noexcept;
    // A grey ramp over the whole palette (0 .. 255 evenly spread).
    void SetGrayPalette() noexcept;
    // True when every palette entry has red == green == blue.
    bool IsGrayScale() const noexcept;

    // ---- Pixel access --------------------------------------------------------------
    bool IsInside(int x, int y) const noexcept
    {
        return m_dib && x >= 0 && y >= 0 && x < m_info.biWidth && y < m_info.biHeight;
    }
    // Inside: 24-bit gives blue, green, red with reserved 0; palette pictures give
    // the palette entry of the pixel. Outside: the background colour, or for
    // palette pictures with a background index that palette entry.
    RGBQUAD GetPixelColor(int x, int y) const noexcept;
    // Palette pictures only; outside gives the background index (0 when none).
    std::uint8_t GetPixelIndex(int x, int y) const noexcept;
    // 24-bit only: writes blue, green, red; ignored outside. No palette handling.
    void SetPixelColor(int x, int y, COLORREF color) noexcept;
    void SetPixelColor(int x, int y, RGBQUAD color) noexcept;
    // Palette pictures; ignored outside.
    void SetPixelIndex(int x, int y, std::uint8_t index) noexcept;
    // 24-bit fill of x1..x2 inclusive on row y, clipped to the row (see the .cpp).
    void HorizontalLine(int x1, int x2, int y, RGBQUAD color) noexcept;
    void HorizontalLine(int x1, int x2, int y, COLORREF color) noexcept;
    // Every pixel byte of all rows becomes 255.
    void ToWhite() noexcept;
    // Blends this picture onto `dest` (same geometry, both 24-bit) inside the
    // inclusive rectangle x1..x2, y1..y2. White source pixels are skipped; the
    // result per channel is (S * (255 - alpha) + D * alpha) >> 8. No clipping:
    // the caller passes coordinates inside both pictures.
    void FastAlpha(CRaster& dest, int alpha, int x1, int x2, int y1, int y2) const noexcept;

    // ---- Conversion and geometry ---------------------------------------------------
    // Widens the picture to 4, 8 or 24 bits: true at once when it already has
    // the target count, false when it has more (nothing changes) or when it is
    // empty. Palette targets keep the indices and the palette; 24 bits receive
    // every pixel's colour. The escape flag stops it between rows (false, the
    // picture unchanged).
    bool IncreaseBpp(int targetBpp);
    bool Flip() noexcept;   // reverses the order of the rows
    bool Mirror() noexcept; // reverses the pixels of every row
    // 90 degrees anticlockwise: result (X, Y) = old (Y, oldHeight - 1 - X). With
    // a destination the result goes there and this picture stays unchanged.
    bool RotateLeft(CRaster* dest = nullptr);
    // 90 degrees clockwise: result (X, Y) = old (oldWidth - 1 - Y, X).
    bool RotateRight(CRaster* dest = nullptr);
    // n x n convolution; kernel has kernelSize * kernelSize entries, row by row
    // with the first row at the lowest y offset. Sum / divisor (when non-zero)
    // + offset, clamped to 0..255. Neighbours outside read as the background colour.
    bool Filter(const int* kernel, int kernelSize, int divisor, int offset);

    // ---- DIB block exchange (clipboard) --------------------------------------------
    // A copy of the whole DIB block (header, palette, rows); empty when no picture.
    std::vector<std::uint8_t> CopyToHandle() const;
    // Reads a packed DIB (info header, palette or bitfields, rows) as the
    // clipboard carries it. The picture is replaced only on success.
    bool CreateFromDIB(const std::uint8_t* data, std::size_t size);

    // ---- Files (BMP, JPEG, PNG, PCX) ------------------------------------------------
    // Type 0 detects the format (BMP, JPEG, PNG, PCX in that order). The picture is
    // replaced only on success; on failure the reason is in GetLastError().
    bool Load(const char* fileName, int imageType = IMAGE_TYPE_UNKNOWN);
    bool Decode(CByteStream& stream, int imageType = IMAGE_TYPE_UNKNOWN);
    bool Decode(const std::uint8_t* data, std::size_t size, int imageType = IMAGE_TYPE_UNKNOWN);
    bool Save(const char* fileName, int imageType);
    bool Encode(CByteStream& stream, int imageType);

    // ---- Info fields ---------------------------------------------------------------
    int GetType() const noexcept { return m_type; }
    void SetType(int imageType) noexcept { m_type = imageType; }
    const char* GetLastError() const noexcept { return m_lastError.c_str(); }
    void SetLastError(const char* text); // keeps at most 255 characters
    int GetProgress() const noexcept { return m_progress; }
    void SetProgress(int percent) noexcept { m_progress = percent; }
    int GetEscape() const noexcept { return m_escape; }
    void SetEscape(int escape) noexcept { m_escape = escape; }
    // Palette index treated as transparent; -1 = none.
    int GetTransIndex() const noexcept { return m_transIndex; }
    void SetTransIndex(int index) noexcept { m_transIndex = index; }
    // Colour returned for reads outside the picture (default black).
    RGBQUAD GetBackgroundColor() const noexcept { return m_background; }
    void SetBackgroundColor(RGBQUAD color) noexcept { m_background = color; }
    void SetBackgroundColor(COLORREF color) noexcept { m_background = RGBtoRGBQUAD(color); }
    int GetJpegQuality() const noexcept { return m_jpegQuality; }
    void SetJpegQuality(int quality) noexcept; // clamped to 0..100
    // Resolution in dots per inch (default 72); also kept in the header as pixels per metre.
    int GetXDPI() const noexcept { return m_xdpi; }
    int GetYDPI() const noexcept { return m_ydpi; }
    void SetXDPI(int dpi) noexcept;
    void SetYDPI(int dpi) noexcept;
    int GetAlphaMax() const noexcept { return m_alphaMax; }
    void SetAlphaMax(int value) noexcept { m_alphaMax = value; }
    bool IsEnabled() const noexcept { return m_enabled; }
    void Enable(bool enabled = true) noexcept { m_enabled = enabled; }

    // ---- Optional byte planes (width * height bytes, row 0 = bottom) ---------------
    bool SelectionCreate();
    void SelectionDelete() noexcept { m_selection.clear(); m_selection.shrink_to_fit(); }
    bool HasSelection() const noexcept { return !m_selection.empty(); }
    std::uint8_t* SelectionGetPointer() noexcept { return m_selection.empty() ? nullptr : m_selection.data(); }
    bool AlphaCreate(); // filled with the alpha maximum
    void AlphaDelete() noexcept { m_alpha.clear(); m_alpha.shrink_to_fit(); }
    bool HasAlpha() const noexcept { return !m_alpha.empty(); }
    std::uint8_t* AlphaGetPointer() noexcept { return m_alpha.empty() ? nullptr : m_alpha.data(); }
    const std::uint8_t* AlphaGetPointer() const noexcept { return m_alpha.empty() ? nullptr : m_alpha.data(); }

    // Largest DIB block Create accepts, in bytes (process-wide; default 1 GiB).
    // Hostile headers cannot ask for more; fuzzing lowers it.
    static void SetAllocationLimit(std::size_t bytes) noexcept;
    static std::size_t GetAllocationLimit() noexcept;
    // Bytes per row for a width and a normalised bit count, or -1 on overflow.
    static std::int64_t EffWidthFor(std::int64_t width, int bpp) noexcept;
    static int NormaliseBpp(int bpp) noexcept;

private:
    // Quarter turn into a fresh picture (left: anticlockwise), then into dest or this.
    bool Turn(CRaster* dest, bool left);
    void CopyInfo(const CRaster& other);
    void WriteHeader() noexcept; // m_info -> DIB block

    // Create's DIB block comes from calloc: the pages of a large picture cost
    // no memory until they are written, so a hostile header that asks for a
    // big picture and then stops is refused cheaply. CreateUnset's comes from
    // malloc, for callers that write every row byte at once.
    std::uint8_t* Allocate(int width, int height, int bpp, int imageType, bool zeroed);
    struct SDibDeleter {
        void operator()(std::uint8_t* block) const noexcept;
    };
    std::unique_ptr<std::uint8_t, SDibDeleter> m_dib; // header, palette, rows; null when empty
    BITMAPINFOHEADER m_info{};
    int m_effWidth = 0;
    int m_rowCapacity = 0; // rows the pixel block holds
    int m_numColors = 0;
    std::uint8_t* m_bits = nullptr; // first pixel row inside m_dib

    int m_type = IMAGE_TYPE_UNKNOWN;
    std::string m_lastError;
    int m_progress = 0;
    int m_escape = 0;
    int m_transIndex = -1;
    RGBQUAD m_background{};
    int m_jpegQuality = 75;
    int m_xdpi = 72;
    int m_ydpi = 72;
    int m_alphaMax = 255;
    bool m_enabled = true;
    std::vector<std::uint8_t> m_selection;
    std::vector<std::uint8_t> m_alpha;
};

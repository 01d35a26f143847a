// PNG reader and writer through libpng.
//
// libpng reports errors by longjmp to the set-jump point of the call. The
// functions that hold a set-jump point (ReadInfoCore, ReadRowsCore,
// WriteCore) own no objects with destructors and touch only state that lives
// in the caller's SPngContext, so a jump out of the library never skips a
// destructor; every buffer is allocated by the callers around them.

#include "image/codecs/Codecs.h"
#include "image/codecs/CodecLibraries.h"

#include "image/ByteStream.h"
#include "image/colour/IccTransform.h"
#include "image/picture/PictureLimits.h"
#include "image/Raster.h"

#include <csetjmp>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Deflate turns one bit of data into at most 258 bytes (a 1-bit length code of
// 258 and a 1-bit distance code): no stream expands more than 1032 times.
constexpr std::uint64_t kMaxInflateRatio = 1032;
// Largest chunk libpng may allocate: the palette and transparency chunks are
// under 1 KiB, and the ancillary chunks that could be larger are skipped.
constexpr png_alloc_size_t kChunkMallocMax = 1 << 20;
// Most ancillary chunks libpng keeps (text, sPLT and unknown ones together).
constexpr png_uint_32 kChunkCacheMax = 64;
// Ancillary chunks the decoder has no use for: skipped unread, however large
// their declared length, so that no text, profile or suggested palette is
// ever allocated or inflated. (pHYs, the resolution, is read: libpng takes
// its nine bytes into the info structure and refuses any other length.)
constexpr png_byte kIgnoredChunks[] = {
    'b', 'K', 'G', 'D', '\0', 'c', 'H', 'R', 'M', '\0', 'e', 'X', 'I', 'f', '\0', 'g', 'A', 'M', 'A', '\0',
    'h', 'I', 'S', 'T', '\0', 'i', 'C', 'C', 'P', '\0', 'i', 'T', 'X', 't', '\0', 'o', 'F', 'F', 's', '\0',
    'p', 'C', 'A', 'L', '\0', 's', 'B', 'I', 'T', '\0', 's', 'C', 'A', 'L', '\0',
    's', 'P', 'L', 'T', '\0', 's', 'R', 'G', 'B', '\0', 't', 'E', 'X', 't', '\0', 't', 'I', 'M', 'E', '\0',
    'z', 'T', 'X', 't', '\0'};

struct SPngContext {
    CByteStream* stream = nullptr;
    char error[256] = {};    // first error text seen
    bool ioError = false;    // the read / write / flush callback failed
    // Header, as read.
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    bool tooLarge = false;   // the header's size is beyond the picture limits
    bool tooShort = false;   // the rest of the file cannot inflate to the picture
};

void SetContextError(SPngContext* ctx, const char* text)
{
    if (ctx->error[0] == '\0') {
        std::strncpy(ctx->error, text, sizeof(ctx->error) - 1);
    }
}

void OnPngError(png_structp png, png_const_charp message)
{
    auto* ctx = static_cast<SPngContext*>(Png().get_error_ptr(png));
    SetContextError(ctx, message != nullptr ? message : "PNG error");
    Png().longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void OnPngRead(png_structp png, png_bytep data, png_size_t length)
{
    auto* ctx = static_cast<SPngContext*>(Png().get_io_ptr(png));
    if (ctx->stream->Read(data, 1, length) != length) {
        ctx->ioError = true;
        Png().error(png, "Read Error");
    }
}

void OnPngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* ctx = static_cast<SPngContext*>(Png().get_io_ptr(png));
    if (ctx->stream->Write(data, 1, length) != length) {
        ctx->ioError = true;
        Png().error(png, "Write Error");
    }
}

void OnPngFlush(png_structp png)
{
    auto* ctx = static_cast<SPngContext*>(Png().get_io_ptr(png));
    if (!ctx->stream->Flush()) {
        ctx->ioError = true;
        Png().error(png, "Flush Error");
    }
}

// Reads the header and sets the transformations: 16-bit samples to 8 (rounded),
// packed pixels one per byte, grey + alpha widened to RGB, RGB as BGR. An alpha
// channel is kept: the rows then hold four bytes a pixel, B G R A, and the
// decoder moves the alpha into the picture's alpha plane.
bool ReadInfoCore(png_structp png, png_infop info, SPngContext* ctx, CRaster* image)
{
    if (setjmp(*Png().set_longjmp_fn(png, longjmp, sizeof(jmp_buf)))) {
        return false;
    }
    // libpng's own size limits are opened to its largest, so that the header
    // is read whole and the refusal below can name the size.
    Png().set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    Png().set_chunk_malloc_max(png, kChunkMallocMax);
    Png().set_chunk_cache_max(png, kChunkCacheMax);
    Png().set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks,
                                static_cast<int>(sizeof(kIgnoredChunks) / 5));
    Png().read_info(png, info);
    Png().get_IHDR(png, info, &ctx->width, &ctx->height, &ctx->bitDepth, &ctx->colorType, &ctx->interlace,
                 nullptr, nullptr);
    if (!CheckPictureSize(ctx->width, ctx->height, *image)) {
        ctx->tooLarge = true;
        return false;
    }
    // The stream now stands inside the first image data chunk; what is left of
    // the file must be able to inflate to every pixel.
    const std::uint64_t pixelBits = static_cast<std::uint64_t>(ctx->width) * ctx->height *
                                    Png().get_channels(png, info) * static_cast<std::uint64_t>(ctx->bitDepth);
    if (ctx->stream->Size() >= 0 &&
        pixelBits / 8 > static_cast<std::uint64_t>(ctx->stream->Remaining()) * kMaxInflateRatio) {
        ctx->tooShort = true;
        return false;
    }
    if (ctx->bitDepth == 16) {
        Png().set_scale_16(png); // v * 255 / 65535 rounded, not the high byte alone
    }
    if (ctx->bitDepth < 8) {
        Png().set_packing(png);
    }
    if (ctx->colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        Png().set_gray_to_rgb(png);
    }
    if (ctx->colorType == PNG_COLOR_TYPE_RGB || ctx->colorType == PNG_COLOR_TYPE_RGB_ALPHA ||
        ctx->colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        Png().set_bgr(png);
    }
    Png().set_interlace_handling(png);
    Png().read_update_info(png, info);
    return true;
}

bool ReadRowsCore(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(*Png().set_longjmp_fn(png, longjmp, sizeof(jmp_buf)))) {
        return false;
    }
    Png().read_image(png, rows);
    Png().read_end(png, info);
    return true;
}

// Creates the picture the header describes: 24 bits, or the palette or grey
// depth (2 bits become a 4-bit picture), with its resolution and palette.
bool CreatePicture(png_structp png, png_infop info, const SPngContext& ctx, CRaster& image)
{
    const int width = static_cast<int>(ctx.width);
    const int height = static_cast<int>(ctx.height);
    const bool palette = ctx.colorType == PNG_COLOR_TYPE_PALETTE;
    const bool grey = ctx.colorType == PNG_COLOR_TYPE_GRAY;
    int bpp = 24;
    if (palette || grey) {
        bpp = ctx.bitDepth > 8 ? 8 : ctx.bitDepth;
    }
    // An alpha channel also needs a row buffer of four bytes a pixel and the alpha plane.
    const bool withAlpha = (ctx.colorType & PNG_COLOR_MASK_ALPHA) != 0;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * (bpp == 24 ? 3 : 1) >
            CRaster::GetAllocationLimit() ||
        (withAlpha && static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 5 >
                          CRaster::GetAllocationLimit())) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    if (image.Create(width, height, bpp, IMAGE_TYPE_PNG) == nullptr) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    png_uint_32 xppm = 0, yppm = 0;
    int unit = 0;
    if (Png().get_pHYs(png, info, &xppm, &yppm, &unit) != 0 && unit == PNG_RESOLUTION_METER && xppm > 0 && yppm > 0 &&
        xppm < 0x7FFFFFFF && yppm < 0x7FFFFFFF) {
        image.SetXDPI(static_cast<int>(std::lround(xppm * 0.0254)));
        image.SetYDPI(static_cast<int>(std::lround(yppm * 0.0254)));
    }
    if (palette) {
        png_colorp entries = nullptr;
        int count = 0;
        if (Png().get_PLTE(png, info, &entries, &count) != 0 && entries != nullptr) {
            for (int i = 0; i < count && i < image.GetNumColors(); ++i) {
                image.SetPaletteColor(i, entries[i].red, entries[i].green, entries[i].blue);
            }
        }
    } else if (grey) {
        if (ctx.bitDepth == 2) {
            const std::uint8_t levels[4] = {0, 85, 170, 255};
            for (int i = 0; i < 4; ++i) {
                image.SetPaletteColor(i, levels[i], levels[i], levels[i]);
            }
        } else {
            image.SetGrayPalette();
        }
    }
    return true;
}

// The alpha channel of B G R A rows goes to the alpha plane, the colours to the picture.
void StoreAlphaRows(const std::vector<png_bytep>& rows, CRaster& image)
{
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    std::uint8_t* alpha = image.AlphaGetPointer();
    for (int i = 0; i < height; ++i) {
        const std::uint8_t* src = rows[i];
        std::uint8_t* dst = image.GetBits(height - 1 - i);
        std::uint8_t* plane = alpha + static_cast<std::size_t>(height - 1 - i) * width;
        for (int x = 0; x < width; ++x, src += 4) {
            dst[3 * x] = src[0];
            dst[3 * x + 1] = src[1];
            dst[3 * x + 2] = src[2];
            plane[x] = src[3];
        }
    }
}

// A palette's transparency entries become the alpha plane.
void StorePaletteTransparency(png_structp png, png_infop info, const std::vector<png_bytep>& rows, CRaster& image)
{
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    png_bytep trans = nullptr;
    int transCount = 0;
    if (Png().get_tRNS(png, info, &trans, &transCount, nullptr) != 0 && trans != nullptr && transCount > 0 &&
        image.AlphaCreate()) {
        std::uint8_t* plane = image.AlphaGetPointer();
        for (int i = 0; i < height; ++i) {
            const std::uint8_t* src = rows[i];
            for (int x = 0; x < width; ++x) {
                plane[static_cast<std::size_t>(height - 1 - i) * width + x] = src[x] < transCount ? trans[src[x]] : 255;
            }
        }
    }
}

// The error libpng reported (or a read error of the stream), else `fallback`.
bool FailFromContext(const SPngContext& ctx, CRaster& image, const char* fallback)
{
    image.SetLastError(ctx.ioError ? "Read Error" : (ctx.error[0] != '\0' ? ctx.error : fallback));
    return false;
}

// Reads the pixels into the created picture (and its alpha plane).
bool ReadPictureRows(png_structp png, png_infop info, const SPngContext& ctx, CRaster& image)
{
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int bpp = image.GetBpp();
    const bool withAlpha = (ctx.colorType & PNG_COLOR_MASK_ALPHA) != 0;

    // Rows of one byte per pixel (or three for RGB) land straight in the
    // picture's rows, top row last in memory; packed pictures go through a
    // buffer of one byte per pixel.
    const bool direct = (bpp == 24 || bpp == 8) && !withAlpha;
    std::vector<std::uint8_t> buffer;
    std::vector<png_bytep> rows;
    try {
        rows.resize(static_cast<std::size_t>(height));
        if (!direct) {
            buffer.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * (withAlpha ? 4 : 1));
        }
        if (withAlpha && !image.AlphaCreate()) {
            throw std::bad_alloc();
        }
    } catch (const std::bad_alloc&) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    const std::size_t rowBytes = Png().get_rowbytes(png, info);
    const std::size_t bufferRow = static_cast<std::size_t>(width) * (withAlpha ? 4 : 1);
    if (rowBytes > (direct ? static_cast<std::size_t>(image.GetEffWidth()) : bufferRow)) {
        image.SetLastError("Error reading PNG file");
        return false;
    }
    for (int i = 0; i < height; ++i) {
        rows[i] = direct ? image.GetBits(height - 1 - i) : buffer.data() + static_cast<std::size_t>(i) * bufferRow;
    }
    if (!ReadRowsCore(png, info, rows.data())) {
        return FailFromContext(ctx, image, "Error reading PNG file");
    }
    if (withAlpha) {
        StoreAlphaRows(rows, image);
    } else if (ctx.colorType == PNG_COLOR_TYPE_PALETTE) {
        StorePaletteTransparency(png, info, rows, image);
    }
    if (!direct && !withAlpha) {
        for (int i = 0; i < height; ++i) {
            const std::uint8_t* src = rows[i];
            for (int x = 0; x < width; ++x) {
                image.SetPixelIndex(x, height - 1 - i, src[x]);
            }
        }
    }
    // An embedded ICC profile turns the colours (or the palette) into sRGB.
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileSize = 0;
    if (Png().get_iCCP(png, info, &name, &compression, &profile, &profileSize) != 0) {
        // Grey with alpha arrives as equal red, green and blue: a grey profile
        // does not fit it and is left out.
        const auto input = ctx.colorType == PNG_COLOR_TYPE_GRAY ? CIccTransform::Input::Grey : CIccTransform::Input::Bgr;
        if (const auto colours = CIccTransform::Create(profile, profileSize, input)) {
            colours->ApplyToPicture(image);
        }
    }
    return true;
}

} // namespace

bool DecodePng(CByteStream& stream, CRaster& image)
{
    if (!OpenPng()) {
        image.SetLastError("PNG pictures cannot be read: " VT_PNG_LIBRARY " is missing");
        return false;
    }
    SPngContext ctx;
    ctx.stream = &stream;
    png_structp png = Png().create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, OnPngError, OnPngWarning);
    if (png == nullptr) {
        image.SetLastError("Failed to create PNG structure");
        return false;
    }
    png_infop info = Png().create_info_struct(png);
    if (info == nullptr) {
        Png().destroy_read_struct(&png, nullptr, nullptr);
        image.SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    struct SGuard {
        png_structp* png;
        png_infop* info;
        ~SGuard() { Png().destroy_read_struct(png, info, nullptr); }
    } guard{&png, &info};
    Png().set_read_fn(png, &ctx, OnPngRead);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Lets the fuzzer reach past the checksums.
    Png().set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    Png().set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#endif

    if (!ReadInfoCore(png, info, &ctx, &image)) {
        if (ctx.tooLarge) {
            return false; // the refusal is already the last error
        }
        if (ctx.tooShort) {
            image.SetLastError("PNG file is truncated");
            return false;
        }
        return FailFromContext(ctx, image, "Error reading PNG file");
    }
    return CreatePicture(png, info, ctx, image) && ReadPictureRows(png, info, ctx, image);
}

namespace {

// Pixels per metre of a resolution in dots per inch (an inch is 0.0254 m).
png_uint_32 PixelsPerMetre(int dpi)
{
    return dpi > 0 ? static_cast<png_uint_32>(std::lround(dpi / 0.0254)) : 0;
}

// Writes the picture. `rows` holds the picture's rows top first; with
// `alphaRow` set the picture goes out as RGBA, each row of `rows` being
// joined with its alpha plane row into `alphaRow` (4 bytes a pixel) first.
bool WriteCore(png_structp png, png_infop info, SPngContext* ctx, const CRaster* image, png_colorp palette,
               int paletteCount, int transparent, png_bytepp rows, png_bytep alphaRow)
{
    if (setjmp(*Png().set_longjmp_fn(png, longjmp, sizeof(jmp_buf)))) {
        return false;
    }
    const bool indexed = image->GetBpp() <= 8;
    const int colourType = indexed ? PNG_COLOR_TYPE_PALETTE : alphaRow ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    Png().set_IHDR(png, info, static_cast<png_uint_32>(image->GetWidth()), static_cast<png_uint_32>(image->GetHeight()),
                 indexed ? image->GetBpp() : 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (indexed) {
        Png().set_PLTE(png, info, palette, paletteCount);
        if (transparent >= 0) {
            png_byte alpha[1] = {0};
            Png().set_tRNS(png, info, alpha, 1, nullptr);
        }
    }
    const png_uint_32 xppm = PixelsPerMetre(image->GetXDPI()), yppm = PixelsPerMetre(image->GetYDPI());
    if (xppm > 0 && yppm > 0) {
        Png().set_pHYs(png, info, xppm, yppm, PNG_RESOLUTION_METER);
    }
    // The pixels are sRGB: say so, with the gamma and primaries of sRGB for
    // readers that do not know the sRGB chunk.
    Png().set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    Png().write_info(png, info);
    if (!indexed) {
        Png().set_bgr(png);
    }
    if (alphaRow == nullptr) {
        Png().write_image(png, rows);
    } else {
        const int width = image->GetWidth(), height = image->GetHeight();
        const std::uint8_t* plane = const_cast<CRaster*>(image)->AlphaGetPointer();
        for (int i = 0; i < height; ++i) {
            const std::uint8_t* bgr = rows[i];
            const std::uint8_t* a = plane + static_cast<std::size_t>(height - 1 - i) * static_cast<std::size_t>(width);
            for (int x = 0; x < width; ++x) {
                alphaRow[4 * x] = bgr[3 * x];
                alphaRow[4 * x + 1] = bgr[3 * x + 1];
                alphaRow[4 * x + 2] = bgr[3 * x + 2];
                alphaRow[4 * x + 3] = a[x];
            }
            Png().write_row(png, alphaRow);
        }
    }
    Png().write_end(png, info);
    (void)ctx;
    return true;
}

// A copy of `image` in `swapped` with palette entries 0 and `trans` swapped,
// and the pixels of each index given the other; false when out of memory.
bool SwapIndexWithFirst(const CRaster& image, int trans, CRaster& swapped)
{
    if (!swapped.Copy(image)) {
        return false;
    }
    const RGBQUAD first = swapped.GetPaletteColor(0);
    swapped.SetPaletteColor(0, swapped.GetPaletteColor(trans));
    swapped.SetPaletteColor(trans, first);
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            const int i = swapped.GetPixelIndex(x, y);
            if (i == 0) {
                swapped.SetPixelIndex(x, y, static_cast<std::uint8_t>(trans));
            } else if (i == trans) {
                swapped.SetPixelIndex(x, y, 0);
            }
        }
    }
    return true;
}

void CopyPalette(const CRaster& image, png_color* palette)
{
    for (int i = 0; i < image.GetNumColors(); ++i) {
        const RGBQUAD q = image.GetPaletteColor(i);
        palette[i].red = q.rgbRed;
        palette[i].green = q.rgbGreen;
        palette[i].blue = q.rgbBlue;
    }
}

// The picture's rows top first in `rows`; for a 24-bit picture with an alpha
// plane, which is written with its transparency, room for one RGBA row in
// `alphaRow`. False when out of memory.
bool PrepareRows(const CRaster& image, bool indexed, std::vector<png_bytep>& rows, std::vector<png_byte>& alphaRow)
{
    const int height = image.GetHeight();
    try {
        rows.resize(static_cast<std::size_t>(height));
        if (!indexed && image.HasAlpha()) {
            alphaRow.resize(4 * static_cast<std::size_t>(image.GetWidth()));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int i = 0; i < height; ++i) {
        rows[i] = const_cast<png_bytep>(image.GetBits(height - 1 - i)); // top row first
    }
    return true;
}

} // namespace

bool EncodePng(CByteStream& stream, CRaster& image)
{
    if (!image.IsValid()) {
        image.SetLastError("Error saving PNG file");
        return false;
    }
    if (image.GetBpp() == 24 && !image.HasAlpha()) {
        const char* error = nullptr;
        if (EncodeRgbPng(stream, image, error)) return true;
        image.SetLastError(error);
        return false;
    }
    if (!OpenPng()) {
        image.SetLastError("PNG pictures cannot be written: " VT_PNG_LIBRARY " is missing");
        return false;
    }
    SPngContext ctx;
    ctx.stream = &stream;
    png_structp png = Png().create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, OnPngError, OnPngWarning);
    if (png == nullptr) {
        image.SetLastError("Failed to create PNG structure");
        return false;
    }
    png_infop info = Png().create_info_struct(png);
    if (info == nullptr) {
        Png().destroy_write_struct(&png, nullptr);
        image.SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    struct SGuard {
        png_structp* png;
        png_infop* info;
        ~SGuard() { Png().destroy_write_struct(png, info); }
    } guard{&png, &info};
    Png().set_write_fn(png, &ctx, OnPngWrite, OnPngFlush);

    const bool indexed = image.GetBpp() <= 8;
    // A transparent index other than 0 is moved to position 0 (the one entry of
    // the transparency chunk): its palette entry and the pixels are swapped.
    const int trans = indexed ? image.GetTransIndex() : -1;
    const bool validTrans = trans >= 0 && trans < image.GetNumColors();
    const CRaster* source = &image;
    CRaster swapped;
    if (validTrans && trans != 0) {
        if (!SwapIndexWithFirst(image, trans, swapped)) {
            image.SetLastError("Can't allocate memory");
            return false;
        }
        source = &swapped;
    }
    png_color palette[256] = {};
    CopyPalette(*source, palette);
    std::vector<png_bytep> rows;
    std::vector<png_byte> alphaRow;
    if (!PrepareRows(*source, indexed, rows, alphaRow)) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    if (!WriteCore(png, info, &ctx, source, palette, source->GetNumColors(), validTrans ? 0 : -1, rows.data(),
                   alphaRow.empty() ? nullptr : alphaRow.data())) {
        if (ctx.ioError && ctx.error[0] != '\0') {
            image.SetLastError(ctx.error);
        } else {
            image.SetLastError("Error saving PNG file");
        }
        return false;
    }
    return true;
}

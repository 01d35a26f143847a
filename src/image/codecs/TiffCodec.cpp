// TIFF reader through libtiff.
//
// libtiff's RGBA interface turns every photometric kind it knows (RGB, grey,
// palette, CMYK separations, YCbCr, CIE Lab) at 1 to 16 bits per sample, in
// strips or tiles, with any compression the library was built with (LZW,
// Deflate, PackBits, JPEG and more), into 8-bit red, green, blue and alpha.
// The first image of the file is read band by band (a strip or a row of tiles
// at a time) into a 24-bit picture; an alpha channel goes into the picture's
// alpha plane. The Orientation tag is applied as for EXIF photographs.
//
// The file is read through the stream with the library's seek, read and size
// callbacks; offsets in the file count from where the stream stood when the
// decoder began.

#include "image/codecs/Codecs.h"

#include "image/ByteStream.h"
#include "image/picture/ExifOrientation.h"
#include "image/colour/IccTransform.h"
#include "image/picture/PictureFormats.h"
#include "image/picture/PictureLimits.h"
#include "image/LibrarySymbols.h"
#include "image/Raster.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

// libtiff is opened with the first TIFF picture, not linked: loaded at start
// with the libraries it brings (zstd, LZMA, LERC and JBIG among them) it
// cost every run of the command-line program about 2 ms of CPU time.
// The functions read here, one row each, named without their "TIFF" prefix.
#define VT_TIFF_FUNCTIONS(X)                                                                                       \
    X(ClientOpenExt) X(Close) X(GetField) X(GetFieldDefaulted) X(GetStrileByteCount) X(GetStrileOffset) X(IsTiled) \
    X(NumberOfStrips) X(NumberOfTiles) X(OpenOptionsAlloc) X(OpenOptionsFree) X(OpenOptionsSetErrorHandlerExtR)    \
    X(OpenOptionsSetMaxSingleMemAlloc) X(OpenOptionsSetWarningHandlerExtR) X(RGBAImageBegin) X(RGBAImageEnd)      \
    X(RGBAImageGet) X(RGBAImageOK) X(ReadScanline) X(ScanlineSize) X(TileSize64) X(VStripSize64)

struct STiffLibrary {
#define VT_TIFF_MEMBER(name) decltype(&::TIFF##name) name = nullptr;
    VT_TIFF_FUNCTIONS(VT_TIFF_MEMBER)
#undef VT_TIFF_MEMBER
    bool loaded = false;

    STiffLibrary()
    {
        void* library = OpenLibrary(VT_TIFF_LIBRARY);
        loaded = library != nullptr;
#define VT_TIFF_FIND(name) loaded = loaded && FindSymbol(library, "TIFF" #name, name);
        VT_TIFF_FUNCTIONS(VT_TIFF_FIND)
#undef VT_TIFF_FIND
    }
};

// The library, opened on the first call; null when it cannot be.
const STiffLibrary* OpenTiffLibrary()
{
    return OpenedOnce<STiffLibrary>();
}

// The library's functions, once DecodeTiff has opened it.
const STiffLibrary& Tiff()
{
    return *OpenTiffLibrary();
}

struct STiffSource {
    CByteStream* stream = nullptr;
    std::int64_t start = 0; // stream position of the file's first byte
    char error[256] = {};   // the first error the library reported
};

// Sets the library's first error as the picture's, or `fallback` when it gave none.
bool FailWithLibraryError(const STiffSource& source, CRaster& image, const char* fallback)
{
    image.SetLastError(source.error[0] != '\0' ? source.error : fallback);
    return false;
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* source = static_cast<STiffSource*>(handle);
    if (size <= 0) {
        return 0;
    }
    return static_cast<tmsize_t>(source->stream->Read(buffer, 1, static_cast<std::size_t>(size)));
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t)
{
    return 0; // read only
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* source = static_cast<STiffSource*>(handle);
    if (offset > static_cast<toff_t>(std::numeric_limits<std::int64_t>::max() / 2)) {
        return static_cast<toff_t>(-1);
    }
    const auto value = static_cast<std::int64_t>(offset);
    bool ok = false;
    switch (whence) {
    case SEEK_SET: ok = source->stream->Seek(source->start + value, SEEK_SET); break;
    case SEEK_CUR: ok = source->stream->Seek(value, SEEK_CUR); break;
    case SEEK_END: ok = source->stream->Seek(value, SEEK_END); break;
    default: break;
    }
    if (!ok) {
        return static_cast<toff_t>(-1);
    }
    return static_cast<toff_t>(source->stream->Tell() - source->start);
}

int CloseProc(thandle_t)
{
    return 0; // the stream belongs to the caller
}

toff_t SizeProc(thandle_t handle)
{
    auto* source = static_cast<STiffSource*>(handle);
    const std::int64_t size = source->stream->Size();
    return size > source->start ? static_cast<toff_t>(size - source->start) : 0;
}

int MapProc(thandle_t, void**, toff_t*)
{
    return 0; // no mapping: every byte comes through ReadProc
}

void UnmapProc(thandle_t, void*, toff_t) {}

int OnTiffError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    auto* source = static_cast<STiffSource*>(user);
    if (source->error[0] == '\0') {
        std::vsnprintf(source->error, sizeof(source->error), format, args);
    }
    return 1; // handled: nothing goes to the standard error stream
}

int OnTiffWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// "II*\0" (little-endian), "MM\0*" (big-endian), and the BigTIFF forms with 43.
bool HasTiffSignature(const std::uint8_t head[4]) noexcept
{
    if (head[0] == 'I' && head[1] == 'I') {
        return (head[2] == 42 || head[2] == 43) && head[3] == 0;
    }
    if (head[0] == 'M' && head[1] == 'M') {
        return head[2] == 0 && (head[3] == 42 || head[3] == 43);
    }
    return false;
}

struct STiffCloser {
    void operator()(TIFF* tif) const noexcept { Tiff().Close(tif); }
};
struct SOptionsFree {
    void operator()(TIFFOpenOptions* options) const noexcept { Tiff().OpenOptionsFree(options); }
};

// Straight (not premultiplied) colour from the library's premultiplied one.
std::uint8_t Unpremultiply(std::uint32_t channel, std::uint32_t alpha) noexcept
{
    if (alpha == 0) {
        return 0;
    }
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

// Rows of one band: a strip, or a row of tiles, which the library decodes once each.
std::uint32_t BandRows(TIFF* tif, std::uint32_t height)
{
    std::uint32_t bandRows = height;
    if (Tiff().IsTiled(tif)) {
        std::uint32_t tileRows = 0;
        if (Tiff().GetField(tif, TIFFTAG_TILELENGTH, &tileRows) == 1 && tileRows > 0) {
            bandRows = std::min(height, tileRows);
        }
    } else {
        std::uint32_t stripRows = 0;
        if (Tiff().GetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &stripRows) == 1 && stripRows > 0) {
            bandRows = std::min(height, stripRows);
        }
    }
    return bandRows;
}

// One row of the library's ABGR words into 24-bit BGR; with an alpha plane
// (`plane` not null) the colour is made straight and the alpha stored there.
void StoreRgbaRow(const std::uint32_t* src, int w, std::uint8_t* dst, std::uint8_t* plane) noexcept
{
    for (int x = 0; x < w; ++x, dst += 3) {
        const std::uint32_t p = src[x];
        if (plane != nullptr) {
            const std::uint32_t a = TIFFGetA(p);
            dst[0] = Unpremultiply(TIFFGetB(p), a);
            dst[1] = Unpremultiply(TIFFGetG(p), a);
            dst[2] = Unpremultiply(TIFFGetR(p), a);
            plane[x] = static_cast<std::uint8_t>(a);
        } else {
            dst[0] = static_cast<std::uint8_t>(TIFFGetB(p));
            dst[1] = static_cast<std::uint8_t>(TIFFGetG(p));
            dst[2] = static_cast<std::uint8_t>(TIFFGetR(p));
        }
    }
}

// The RGBA interface, band by band. Gives the stored orientation through
// `orientation` and fills the picture made here.
bool ReadThroughRgba(TIFF* tif, STiffSource& source, CRaster& image, int& orientation)
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Tiff().GetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    Tiff().GetField(tif, TIFFTAG_IMAGELENGTH, &height);
    char reason[1024] = {};
    if (Tiff().RGBAImageOK(tif, reason) != 1) {
        image.SetLastError(reason[0] != '\0' ? reason : "Unsupported TIFF picture");
        return false;
    }
    TIFFRGBAImage rgba{};
    if (Tiff().RGBAImageBegin(&rgba, tif, 1, reason) != 1) {
        image.SetLastError(reason[0] != '\0' ? reason : "Unsupported TIFF picture");
        return false;
    }
    struct SRgbaEnd {
        TIFFRGBAImage* rgba;
        ~SRgbaEnd() { Tiff().RGBAImageEnd(rgba); }
    } rgbaEnd{&rgba};
    // The rows come as stored, top row first; the orientation is applied below.
    orientation = rgba.orientation;
    rgba.orientation = ORIENTATION_TOPLEFT;
    rgba.req_orientation = ORIENTATION_TOPLEFT;

    const std::uint32_t bandRows = BandRows(tif, height);
    const std::uint64_t bandPixels = std::uint64_t{width} * bandRows;
    if (bandPixels * 4 > CRaster::GetAllocationLimit()) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    // Not value-initialised: the pages cost nothing until the library writes them.
    std::unique_ptr<std::uint32_t[]> band(new (std::nothrow) std::uint32_t[static_cast<std::size_t>(bandPixels)]);
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    if (!band || image.Create(w, h, 24, IMAGE_TYPE_TIFF) == nullptr) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    const bool withAlpha = rgba.alpha != 0;
    if (withAlpha && !image.AlphaCreate()) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    std::uint8_t* alphaPlane = image.AlphaGetPointer();
    for (std::uint32_t top = 0; top < height; top += bandRows) {
        if (image.GetEscape()) {
            image.SetLastError("Cancelled");
            return false;
        }
        image.SetProgress(static_cast<int>(std::uint64_t{top} * 100 / height));
        const std::uint32_t rows = std::min(bandRows, height - top);
        rgba.row_offset = static_cast<int>(top);
        rgba.col_offset = 0;
        if (Tiff().RGBAImageGet(&rgba, band.get(), width, rows) != 1) {
            return FailWithLibraryError(source, image, "Error reading TIFF file");
        }
        for (std::uint32_t r = 0; r < rows; ++r) {
            const int y = h - 1 - static_cast<int>(top + r); // the picture's rows are bottom-up
            std::uint8_t* plane = withAlpha ? alphaPlane + static_cast<std::size_t>(y) * width : nullptr;
            StoreRgbaRow(band.get() + std::size_t{r} * width, w, image.GetBits(y), plane);
        }
    }
    return true;
}

// Interleaved CMYK samples of 8 or 16 bits (further samples ignored), one
// scanline at a time, converted through the file's ICC profile when it has a
// usable one, else by the ink formula shared with the JPEG reader.
bool ReadCmykScanlines(TIFF* tif, STiffSource& source, CRaster& image, int samples, int bits,
                       const CIccTransform* colours)
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Tiff().GetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    Tiff().GetField(tif, TIFFTAG_IMAGELENGTH, &height);
    const tmsize_t lineBytes = Tiff().ScanlineSize(tif);
    const std::uint64_t needed = std::uint64_t{width} * static_cast<std::uint64_t>(samples) * (bits / 8);
    if (lineBytes <= 0 || static_cast<std::uint64_t>(lineBytes) < needed) {
        return FailWithLibraryError(source, image, "Error reading TIFF file");
    }
    std::unique_ptr<std::uint8_t[]> line(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(lineBytes)]);
    std::unique_ptr<std::uint8_t[]> inks(new (std::nothrow) std::uint8_t[std::size_t{width} * 4]);
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    if (!line || !inks || image.Create(w, h, 24, IMAGE_TYPE_TIFF) == nullptr) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    for (std::uint32_t row = 0; row < height; ++row) {
        if (image.GetEscape()) {
            image.SetLastError("Cancelled");
            return false;
        }
        image.SetProgress(static_cast<int>(std::uint64_t{row} * 100 / height));
        if (Tiff().ReadScanline(tif, line.get(), row, 0) != 1) {
            return FailWithLibraryError(source, image, "Error reading TIFF file");
        }
        std::uint8_t* dst = image.GetBits(h - 1 - static_cast<int>(row)); // top row first in the file
        for (int x = 0; x < w; ++x, dst += 3) {
            std::uint8_t* ink = inks.get() + static_cast<std::size_t>(x) * 4;
            for (int c = 0; c < 4; ++c) {
                const std::size_t at = static_cast<std::size_t>(x) * samples + c;
                if (bits == 8) {
                    ink[c] = line[at];
                } else {
                    std::uint16_t v = 0;
                    std::memcpy(&v, line.get() + at * 2, 2); // the library gives machine byte order
                    ink[c] = static_cast<std::uint8_t>((v * 255u + 32767u) / 65535u);
                }
            }
            if (colours == nullptr) {
                const SRgb rgb = CmykToRgb(ink[0], ink[1], ink[2], ink[3]);
                dst[0] = rgb.b;
                dst[1] = rgb.g;
                dst[2] = rgb.r;
            }
        }
        if (colours != nullptr)
            colours->Apply(inks.get(), image.GetBits(h - 1 - static_cast<int>(row)), width);
    }
    return true;
}

// The most bytes of picture one byte of compressed data can give, for the
// compressions whose limit is known: PackBits repeats one byte at most 128
// times for two; Deflate inflates at most 1032 : 1; an LZW code of 9 to 12
// bits stands for at most 4096 bytes; a Huffman-coded JPEG needs one bit or
// more per 8 x 8 block of a sample plane. 0 for the others (no floor).
std::uint64_t MostBytesPerByte(std::uint16_t compression) noexcept
{
    switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 1032;
    case COMPRESSION_LZW: return 4096 * 8 / 9;
    case COMPRESSION_JPEG: return 64 * 8;
    default: return 0;
    }
}

// A file must hold enough data for the picture it declares: the strips (or
// tiles) that lie inside the file, counted at the most their compression can
// give, must cover every one of them. Refusing a tiny file that claims a big
// picture here keeps the library from taking memory for data that is not there.
bool HoldsEnoughData(TIFF* tif, std::uint64_t fileSize) noexcept
{
    std::uint16_t compression = COMPRESSION_NONE;
    Tiff().GetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const std::uint64_t ratio = MostBytesPerByte(compression);
    if (ratio == 0) {
        return true;
    }
    const bool tiled = Tiff().IsTiled(tif) != 0;
    const std::uint32_t count = tiled ? Tiff().NumberOfTiles(tif) : Tiff().NumberOfStrips(tif);
    std::uint32_t height = 0;
    std::uint16_t samples = 1;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    Tiff().GetField(tif, TIFFTAG_IMAGELENGTH, &height);
    Tiff().GetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    Tiff().GetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    // Decoded bytes of the whole picture: every tile is whole; strips cover
    // the rows of each sample plane.
    const std::uint64_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
    const std::uint64_t needed = tiled ? std::uint64_t{count} * static_cast<std::uint64_t>(Tiff().TileSize64(tif))
                                       : planes * static_cast<std::uint64_t>(Tiff().VStripSize64(tif, height));
    if (count == 0 || needed == 0) {
        return false;
    }
    std::uint64_t present = 0; // bytes of strip data inside the file
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t offset = Tiff().GetStrileOffset(tif, i);
        const std::uint64_t bytes = Tiff().GetStrileByteCount(tif, i);
        if (offset < fileSize) {
            present += std::min(bytes, fileSize - offset);
        }
    }
    return present >= needed / ratio;
}

// The library's handle on the stream; the options live as long as it does.
struct STiffFile {
    std::unique_ptr<TIFFOpenOptions, SOptionsFree> options;
    std::unique_ptr<TIFF, STiffCloser> tif;
};

// Checks the signature where the stream stands and opens the file there, its
// errors caught into `source` and its allocations bounded by a picture's.
bool OpenTiff(CByteStream& stream, STiffSource& source, STiffFile& file, CRaster& image)
{
    source.stream = &stream;
    source.start = stream.Tell();
    std::uint8_t head[4];
    if (source.start < 0 || stream.Read(head, 1, 4) != 4 || !HasTiffSignature(head) ||
        !stream.Seek(source.start, SEEK_SET)) {
        image.SetLastError("Not a TIFF file");
        return false;
    }
    if (OpenTiffLibrary() == nullptr) {
        image.SetLastError("TIFF pictures cannot be read: " VT_TIFF_LIBRARY " is missing");
        return false;
    }
    file.options.reset(Tiff().OpenOptionsAlloc());
    if (!file.options) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    Tiff().OpenOptionsSetErrorHandlerExtR(file.options.get(), OnTiffError, &source);
    Tiff().OpenOptionsSetWarningHandlerExtR(file.options.get(), OnTiffWarning, &source);
    // No single allocation of the library may exceed what a picture may take.
    Tiff().OpenOptionsSetMaxSingleMemAlloc(file.options.get(), static_cast<tmsize_t>(CRaster::GetAllocationLimit()));
    // "m": no memory mapping, every read goes through the stream.
    file.tif.reset(Tiff().ClientOpenExt("TIFF", "rm", &source, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                     MapProc, UnmapProc, file.options.get()));
    if (!file.tif) {
        return FailWithLibraryError(source, image, "Error reading TIFF file");
    }
    return true;
}

// The declared size decides before anything is allocated for the picture,
// and the file must hold data enough for it.
bool CheckDeclaredSize(TIFF* tif, STiffSource& source, CRaster& image)
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (Tiff().GetField(tif, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        Tiff().GetField(tif, TIFFTAG_IMAGELENGTH, &height) != 1 ||
        width == 0 || height == 0) {
        return FailWithLibraryError(source, image, "Error reading TIFF file");
    }
    if (!CheckPictureSize(width, height, image)) {
        return false;
    }
    if (std::uint64_t{width} * height * 3 > CRaster::GetAllocationLimit()) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    if (!HoldsEnoughData(tif, SizeProc(&source))) {
        image.SetLastError("TIFF file is truncated");
        return false;
    }
    return true;
}

// How the samples are stored, and the embedded ICC profile if any.
struct STiffKind {
    std::uint16_t photometric = 0;
    std::uint16_t samples = 1;
    std::uint16_t bits = 1;
    bool ownCmyk = false; // read by ReadCmykScanlines, not the RGBA interface
    bool hasProfile = false;
    std::uint32_t profileSize = 0;
    void* profile = nullptr;
};

STiffKind ReadKind(TIFF* tif)
{
    STiffKind kind;
    std::uint16_t inkSet = INKSET_CMYK;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    Tiff().GetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &kind.photometric);
    Tiff().GetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
    Tiff().GetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &kind.samples);
    Tiff().GetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &kind.bits);
    Tiff().GetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    // Interleaved CMYK in strips is converted here at 8 and 16 bits (the
    // library's RGBA interface knows only 8); everything else goes through it.
    kind.ownCmyk = kind.photometric == PHOTOMETRIC_SEPARATED && inkSet == INKSET_CMYK && kind.samples >= 4 &&
                   (kind.bits == 8 || kind.bits == 16) && planar == PLANARCONFIG_CONTIG && !Tiff().IsTiled(tif);
    kind.hasProfile = Tiff().GetField(tif, TIFFTAG_ICCPROFILE, &kind.profileSize, &kind.profile) == 1;
    return kind;
}

// The pixels, through the CMYK reader or the RGBA interface; gives the
// stored orientation through `orientation`.
bool ReadPixels(TIFF* tif, STiffSource& source, const STiffKind& kind, CRaster& image, int& orientation)
{
    if (!kind.ownCmyk) {
        return ReadThroughRgba(tif, source, image, orientation);
    }
    std::uint16_t tag = ORIENTATION_TOPLEFT;
    Tiff().GetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &tag);
    orientation = tag;
    const auto colours = kind.hasProfile
                             ? CIccTransform::Create(static_cast<const std::uint8_t*>(kind.profile),
                                                     kind.profileSize, CIccTransform::Input::Cmyk)
                             : nullptr;
    return ReadCmykScanlines(tif, source, image, kind.samples, kind.bits, colours.get());
}

// The resolution tags, in dots per inch, when both are given in inches or centimetres.
void ReadResolution(TIFF* tif, CRaster& image)
{
    float xdpi = 0.0f;
    float ydpi = 0.0f;
    std::uint16_t unit = RESUNIT_INCH;
    Tiff().GetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (Tiff().GetField(tif, TIFFTAG_XRESOLUTION, &xdpi) == 1 &&
        Tiff().GetField(tif, TIFFTAG_YRESOLUTION, &ydpi) == 1 &&
        std::isfinite(xdpi) && std::isfinite(ydpi) && (unit == RESUNIT_INCH || unit == RESUNIT_CENTIMETER)) {
        const float scale = unit == RESUNIT_CENTIMETER ? 2.54f : 1.0f;
        image.SetXDPI(static_cast<int>(std::clamp(xdpi * scale + 0.5f, 0.0f, 65535.0f)));
        image.SetYDPI(static_cast<int>(std::clamp(ydpi * scale + 0.5f, 0.0f, 65535.0f)));
    }
}

} // namespace

bool DecodeTiff(CByteStream& stream, CRaster& image)
{
    STiffSource source;
    STiffFile file;
    if (!OpenTiff(stream, source, file, image) || !CheckDeclaredSize(file.tif.get(), source, image)) {
        return false;
    }
    const STiffKind kind = ReadKind(file.tif.get());
    int orientation = ORIENTATION_TOPLEFT;
    if (!ReadPixels(file.tif.get(), source, kind, image, orientation)) {
        return false;
    }
    ReadResolution(file.tif.get(), image);
    // An embedded ICC profile turns the file's colours into sRGB.
    if (!kind.ownCmyk && kind.photometric == PHOTOMETRIC_RGB && kind.hasProfile) {
        if (const auto colours = CIccTransform::Create(static_cast<const std::uint8_t*>(kind.profile),
                                                       kind.profileSize, CIccTransform::Input::Bgr)) {
            colours->ApplyToPicture(image);
        }
    }
    if (!ApplyOrientation(image, orientation)) {
        return false;
    }
    image.SetProgress(100);
    return true;
}

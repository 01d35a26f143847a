// JPEG reader and writer through libjpeg (6b interface).
//
// libjpeg reports errors through error_exit, which here longjmps back to the
// set-jump point of the *Core function that made the call. Those functions own
// no objects with destructors; buffers and the picture live in their callers.

#include "image/codecs/Codecs.h"
#include "image/codecs/CodecLibraries.h"

#include "image/ByteStream.h"
#include "image/picture/ExifOrientation.h"
#include "image/colour/IccTransform.h"
#include "image/picture/PictureLimits.h"
#include "image/Raster.h"
#include "image/colour/SrgbProfile.h"

#include <cstdio> // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>
// After jpeglib.h: which messages exist depends on its version macros.
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 4096;
// A progressive file may not need more scans than this; more is treated as
// hostile (each scan rereads the whole picture).
constexpr int kMaxScans = 500;
// What libjpeg may allocate for one decode, above all the coefficient buffer of
// a progressive file (2 bytes per coefficient: 6 bytes per pixel at 4:4:4, 3 at
// 4:2:0). Asked for more it fails for want of a backing store, which is
// reported as too large.
constexpr long kMemoryLimit = 400L << 20;
constexpr const char* kProgressiveLimit = "the largest progressive JPEG picture is about 64 million pixels";

struct SJpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool damaged; // a damage warning stopped the decode
};

void OnJpegErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<SJpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings that mean the data is damaged or missing: the library would go on
// and fill the rest of the picture with grey, so the decode is refused instead.
bool IsDamageWarning(int code)
{
    switch (code) {
    case JWRN_HIT_MARKER:      // premature end of data segment
    case JWRN_JPEG_EOF:        // premature end of file
    case JWRN_HUFF_BAD_CODE:   // corrupt Huffman data
    case JWRN_ARITH_BAD_CODE:  // corrupt arithmetic-coded data
    case JWRN_MUST_RESYNC:     // a restart marker is missing
    case JWRN_NOT_SEQUENTIAL:  // a scan's data is out of order
    case JWRN_BOGUS_PROGRESSION: return true;
    default: return false;
    }
}

void OnJpegMessage(j_common_ptr cinfo, int level)
{
    if (level == -1 && IsDamageWarning(cinfo->err->msg_code)) {
        auto* err = reinterpret_cast<SJpegError*>(cinfo->err);
        err->damaged = true;
        (*cinfo->err->format_message)(cinfo, err->message);
        std::longjmp(err->jump, 1);
    }
}

// ---- Source manager over a CByteStream -----------------------------------------

struct SJpegSource {
    jpeg_source_mgr pub;
    CByteStream* stream;
    JOCTET buffer[kBufferSize];
    bool startOfFile;
    bool truncated; // the data ended before the end-of-image marker
};

void InitSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<SJpegSource*>(cinfo->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<SJpegSource*>(cinfo->src);
    std::size_t n = src->stream->Read(src->buffer, 1, kBufferSize);
    if (n == 0) {
        if (src->startOfFile) {
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        }
        // The data ends before the end-of-image marker: refused at once, so
        // that a short file never makes the library decode a whole picture of
        // grey.
        src->truncated = true;
        ERREXIT(cinfo, JERR_INPUT_EOF);
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    src->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    auto* src = reinterpret_cast<SJpegSource*>(cinfo->src);
    if (count <= 0) {
        return;
    }
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        FillInputBuffer(cinfo); // does not return at the end of the data
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// ---- Destination manager over a CByteStream ------------------------------------

struct SJpegDestination {
    jpeg_destination_mgr pub;
    CByteStream* stream;
    JOCTET buffer[kBufferSize];
};

void InitDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<SJpegDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<SJpegDestination*>(cinfo->dest);
    if (dest->stream->Write(dest->buffer, 1, kBufferSize) != kBufferSize) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<SJpegDestination*>(cinfo->dest);
    const std::size_t n = kBufferSize - dest->pub.free_in_buffer;
    if (n > 0 && dest->stream->Write(dest->buffer, 1, n) != n) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    if (!dest->stream->Flush()) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

void ProgressMonitor(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxScans) {
            ERREXIT1(cinfo, JERR_UNKNOWN_MARKER, 0); // stops the decode; the text is replaced below
        }
    }
}

struct SDecodeState {
    jpeg_decompress_struct cinfo;
    SJpegError err;
    SJpegSource src;
    jpeg_progress_mgr progress;
    bool headerRead; // the frame header's sizes are known
};

// Bytes a Huffman-coded file needs at least for its picture: every 8 x 8 block
// of every component is coded with a DC code of one bit or more, in a baseline
// scan or in a progressive DC scan. Arithmetic coding can go below one bit per
// block, so it has no such floor (the memory limit bounds it instead).
std::uint64_t LeastDataBytes(const jpeg_decompress_struct& cinfo)
{
    if (cinfo.arith_code) {
        return 0;
    }
    std::uint64_t blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info& c = cinfo.comp_info[i];
        blocks += static_cast<std::uint64_t>(c.width_in_blocks) * c.height_in_blocks;
    }
    return blocks / 8;
}

// Bytes of the coefficient buffer a progressive file needs: every block of
// every component is kept whole (64 coefficients of 2 bytes) until the last
// scan has been read.
std::uint64_t CoefficientBytes(const jpeg_decompress_struct& cinfo)
{
    std::uint64_t blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info& c = cinfo.comp_info[i];
        blocks += static_cast<std::uint64_t>(c.width_in_blocks) * c.height_in_blocks;
    }
    return blocks * DCTSIZE2 * sizeof(JCOEF);
}

// Reads the header and starts decompression. Out: the output geometry in cinfo.
bool StartDecodeCore(SDecodeState* s)
{
    if (setjmp(s->err.jump)) {
        return false;
    }
    Jpeg().read_header(&s->cinfo, TRUE);
    s->headerRead = true;
    if (s->cinfo.jpeg_color_space == JCS_GRAYSCALE) {
        s->cinfo.out_color_space = JCS_GRAYSCALE;
    } else if (s->cinfo.jpeg_color_space == JCS_YCbCr || s->cinfo.jpeg_color_space == JCS_RGB) {
        s->cinfo.out_color_space = JCS_EXT_BGR;
    } else if (s->cinfo.jpeg_color_space == JCS_CMYK || s->cinfo.jpeg_color_space == JCS_YCCK) {
        s->cinfo.out_color_space = JCS_CMYK; // the library turns YCCK back into CMYK
    } else {
        ERREXIT(&s->cinfo, JERR_CONVERSION_NOTIMPL);
    }
    Jpeg().calc_output_dimensions(&s->cinfo);
    return true;
}

// Ink samples of one CMYK line (four a pixel) into blue, green, red. Adobe's
// applications write CMYK and YCCK files with their Adobe marker and store
// every sample inverted (255 - ink); common readers take the marker as the
// sign of that, and so does this one.
void InksToBgr(const JSAMPLE* inks, std::uint8_t* bgr, int width, bool inverted) noexcept
{
    const unsigned flip = inverted ? 255 : 0;
    for (int x = 0; x < width; ++x, inks += 4, bgr += 3) {
        const SRgb rgb = CmykToRgb(inks[0] ^ flip, inks[1] ^ flip, inks[2] ^ flip, inks[3] ^ flip);
        bgr[0] = rgb.b;
        bgr[1] = rgb.g;
        bgr[2] = rgb.r;
    }
}

// `inkRow` holds one line of four samples a pixel when the output is CMYK.
// A profile's transform, when given, converts the inks instead of the plain formula.
bool ReadRowsCore(SDecodeState* s, CRaster* image, JSAMPROW inkRow, const CIccTransform* colours)
{
    if (setjmp(s->err.jump)) {
        return false;
    }
    Jpeg().start_decompress(&s->cinfo);
    const int height = static_cast<int>(s->cinfo.output_height);
    const int width = static_cast<int>(s->cinfo.output_width);
    const bool inverted = s->cinfo.saw_Adobe_marker != 0;
    while (s->cinfo.output_scanline < s->cinfo.output_height) {
        if (image->GetEscape()) {
            return false;
        }
        // Lines come top first; the picture's rows are bottom-up.
        std::uint8_t* dest = image->GetBits(height - 1 - static_cast<int>(s->cinfo.output_scanline));
        JSAMPROW row = inkRow != nullptr ? inkRow : dest;
        Jpeg().read_scanlines(&s->cinfo, &row, 1);
        if (inkRow != nullptr && colours != nullptr) {
            colours->Apply(inkRow, dest, static_cast<std::size_t>(width));
        } else if (inkRow != nullptr) {
            InksToBgr(inkRow, dest, width, inverted);
        }
    }
    Jpeg().finish_decompress(&s->cinfo);
    return true;
}

// The stream as libjpeg's source, the progress monitor and the memory limit.
void ConnectSource(SDecodeState* s, CByteStream& stream)
{
    s->src.stream = &stream;
    s->src.pub.init_source = InitSource;
    s->src.pub.fill_input_buffer = FillInputBuffer;
    s->src.pub.skip_input_data = SkipInputData;
    s->src.pub.resync_to_restart = Jpeg().resync_to_restart;
    s->src.pub.term_source = TermSource;
    s->cinfo.src = &s->src.pub;
    s->progress.progress_monitor = ProgressMonitor;
    s->cinfo.progress = &s->progress;
    s->cinfo.mem->max_memory_to_use = kMemoryLimit;
}

// The last error of a failed decoding, by what went wrong.
bool Failure(const SDecodeState* s, CRaster& image)
{
    if (s->src.truncated) {
        image.SetLastError("JPEG file is truncated");
    } else if (s->err.damaged) {
        image.SetLastError((std::string("JPEG file is damaged: ") + s->err.message).c_str());
    } else if (s->headerRead &&
               (s->err.pub.msg_code == JERR_NO_BACKING_STORE || s->err.pub.msg_code == JERR_OUT_OF_MEMORY)) {
        image.SetLastError(PictureTooLargeText(s->cinfo.image_width, s->cinfo.image_height, kProgressiveLimit).c_str());
    } else {
        image.SetLastError(s->err.message);
    }
    return false;
}

// The declared size decides before anything is allocated for the picture:
// its limits, the data the rest of the file can hold, the memory of a
// progressive picture's coefficients.
bool CheckDeclaredSize(const SDecodeState* s, CByteStream& stream, CRaster& image)
{
    if (!CheckPictureSize(s->cinfo.image_width, s->cinfo.image_height, image)) {
        return false;
    }
    const std::int64_t streamSize = stream.Size();
    if (streamSize >= 0 && LeastDataBytes(s->cinfo) > static_cast<std::uint64_t>(stream.Remaining()) +
                                                           s->src.pub.bytes_in_buffer) {
        image.SetLastError("JPEG file is truncated");
        return false;
    }
    if (s->cinfo.progressive_mode && CoefficientBytes(s->cinfo) > static_cast<std::uint64_t>(kMemoryLimit)) {
        image.SetLastError(PictureTooLargeText(s->cinfo.image_width, s->cinfo.image_height, kProgressiveLimit).c_str());
        return false;
    }
    return true;
}

// A photograph's EXIF block says how the camera was held (1: upright); APP2
// segments may carry an ICC profile. The saved segments last only until the
// decompression finishes.
int ReadSavedSegments(const jpeg_decompress_struct& cinfo, std::vector<std::uint8_t>& profile)
{
    int orientation = 1;
    std::vector<std::vector<std::uint8_t>> iccSegments;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && orientation == 1) {
            orientation = ReadExifOrientation(m->data, m->data_length);
        } else if (m->marker == JPEG_APP0 + 2) {
            iccSegments.emplace_back(m->data, m->data + m->data_length);
        }
    }
    profile = JoinJpegIccSegments(iccSegments);
    return orientation;
}

// The colour transform of an embedded profile, for the decoder's output colours.
std::unique_ptr<CIccTransform> MakeColourTransform(const jpeg_decompress_struct& cinfo,
                                                   const std::vector<std::uint8_t>& profile)
{
    CIccTransform::Input input = CIccTransform::Input::Bgr;
    if (cinfo.out_color_space == JCS_GRAYSCALE) {
        input = CIccTransform::Input::Grey;
    } else if (cinfo.out_color_space == JCS_CMYK) {
        input = cinfo.saw_Adobe_marker ? CIccTransform::Input::CmykInverted : CIccTransform::Input::Cmyk;
    }
    return CIccTransform::Create(profile.data(), profile.size(), input);
}

// Creates the picture: grey (8 bits) or 24 bits, inks converted to 24 bits;
// with the file's density.
bool CreatePicture(const jpeg_decompress_struct& cinfo, CRaster& image)
{
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    const int components = cinfo.output_components;
    if (components != 1 && components != 3 && !(components == 4 && cinfo.out_color_space == JCS_CMYK)) {
        image.SetLastError("JPEG: unsupported number of colour components");
        return false;
    }
    const bool inks = components == 4;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * (inks ? 3 : components) >
        CRaster::GetAllocationLimit()) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    if (image.Create(width, height, inks ? 24 : 8 * components, IMAGE_TYPE_JPEG) == nullptr) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    if (components == 1) {
        image.SetGrayPalette();
    }
    if (cinfo.density_unit == 1 || cinfo.density_unit == 2) {
        const int scale = cinfo.density_unit == 2 ? 254 : 100;
        image.SetXDPI(cinfo.X_density * scale / 100);
        image.SetYDPI(cinfo.Y_density * scale / 100);
    }
    return true;
}

} // namespace

bool DecodeJpeg(CByteStream& stream, CRaster& image)
{
    if (!OpenJpeg()) {
        image.SetLastError("JPEG pictures cannot be read: " VT_JPEG_LIBRARY " is missing");
        return false;
    }
    // Large (the source buffer) and used through C pointers only: on the heap.
    auto state = std::make_unique<SDecodeState>();
    SDecodeState* s = state.get();
    std::memset(s, 0, sizeof(*s));
    s->cinfo.err = Jpeg().std_error(&s->err.pub);
    s->err.pub.error_exit = OnJpegErrorExit;
    s->err.pub.emit_message = OnJpegMessage;
    if (setjmp(s->err.jump)) {
        image.SetLastError(s->err.message);
        return false;
    }
    Jpeg().CreateDecompress(&s->cinfo, JPEG_LIB_VERSION, sizeof(s->cinfo));
    struct SGuard {
        j_decompress_ptr c;
        ~SGuard() { Jpeg().destroy_decompress(c); }
    } guard{&s->cinfo};
    ConnectSource(s, stream);
    // APP1 segments are kept for their EXIF orientation (each at most 64 KiB,
    // so together never more than the file itself).
    Jpeg().save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);
    // APP2 segments for an ICC profile (the same bound).
    Jpeg().save_markers(&s->cinfo, JPEG_APP0 + 2, 0xFFFF);

    if (!StartDecodeCore(s)) {
        return Failure(s, image);
    }
    if (!CheckDeclaredSize(s, stream, image)) {
        return false;
    }
    std::vector<std::uint8_t> profile;
    const int orientation = ReadSavedSegments(s->cinfo, profile);
    const std::unique_ptr<CIccTransform> colours = MakeColourTransform(s->cinfo, profile);
    // Ink pictures are converted to 24 bits line by line.
    const bool inks = s->cinfo.output_components == 4;
    std::vector<JSAMPLE> inkRow(inks ? static_cast<std::size_t>(s->cinfo.output_width) * 4 : 0);
    if (!CreatePicture(s->cinfo, image)) {
        return false;
    }
    if (!ReadRowsCore(s, &image, inks ? inkRow.data() : nullptr, colours.get())) {
        if (image.GetEscape()) {
            image.SetLastError("Cancelled");
            return false;
        }
        if (s->cinfo.input_scan_number > kMaxScans) {
            image.SetLastError("JPEG file has too many scans");
            return false;
        }
        return Failure(s, image);
    }
    if (colours && !inks) {
        colours->ApplyToPicture(image);
    }
    return ApplyOrientation(image, orientation);
}

namespace {

// Quality from which the colour planes are kept at full resolution.
constexpr int kFullChromaQuality = 90;

struct SEncodeState {
    jpeg_compress_struct cinfo;
    SJpegError err;
    SJpegDestination dest;
};

bool WriteCore(SEncodeState* s, const CRaster* image, bool grey, JSAMPROW greyRow)
{
    if (setjmp(s->err.jump)) {
        return false;
    }
    const int width = image->GetWidth();
    const int height = image->GetHeight();
    s->cinfo.image_width = static_cast<JDIMENSION>(width);
    s->cinfo.image_height = static_cast<JDIMENSION>(height);
    s->cinfo.input_components = grey ? 1 : 3;
    s->cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    Jpeg().set_defaults(&s->cinfo);
    Jpeg().set_quality(&s->cinfo, image->GetJpegQuality(), TRUE);
    s->cinfo.density_unit = 1; // dots per inch
    s->cinfo.X_density = static_cast<UINT16>(std::clamp(image->GetXDPI(), 0, 65535));
    s->cinfo.Y_density = static_cast<UINT16>(std::clamp(image->GetYDPI(), 0, 65535));
    if (!grey && image->GetJpegQuality() >= kFullChromaQuality) {
        // 4:4:4: the colour planes keep every pixel, so thin coloured lines
        // and small coloured text stay clean at the qualities chosen for them.
        for (int c = 0; c < 3; ++c) s->cinfo.comp_info[c].h_samp_factor = s->cinfo.comp_info[c].v_samp_factor = 1;
    }
    Jpeg().start_compress(&s->cinfo, TRUE);
    const std::vector<std::uint8_t>& profile = SrgbIccProfile();
    if (!grey) Jpeg().write_icc_profile(&s->cinfo, profile.data(), static_cast<unsigned>(profile.size()));
    while (s->cinfo.next_scanline < s->cinfo.image_height) {
        const int y = height - 1 - static_cast<int>(s->cinfo.next_scanline); // top row first
        JSAMPROW row = nullptr;
        if (grey) {
            for (int x = 0; x < width; ++x) {
                greyRow[x] = image->GetPixelColor(x, y).rgbRed;
            }
            row = greyRow;
        } else {
            row = const_cast<JSAMPROW>(image->GetBits(y));
        }
        Jpeg().write_scanlines(&s->cinfo, &row, 1);
    }
    Jpeg().finish_compress(&s->cinfo);
    return true;
}

} // namespace

bool EncodeJpeg(CByteStream& stream, CRaster& image)
{
    if (!image.IsValid()) {
        image.SetLastError("Error saving JPEG file");
        return false;
    }
    const bool grey = image.GetBpp() <= 8;
    if (grey && !image.IsGrayScale()) {
        image.SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    if (!OpenJpeg()) {
        image.SetLastError("JPEG pictures cannot be written: " VT_JPEG_LIBRARY " is missing");
        return false;
    }
    std::vector<JSAMPLE> greyRow(grey ? static_cast<std::size_t>(image.GetWidth()) : 0);
    auto state = std::make_unique<SEncodeState>();
    SEncodeState* s = state.get();
    std::memset(s, 0, sizeof(*s));
    s->cinfo.err = Jpeg().std_error(&s->err.pub);
    s->err.pub.error_exit = OnJpegErrorExit;
    s->err.pub.emit_message = OnJpegMessage;
    if (setjmp(s->err.jump)) {
        image.SetLastError(s->err.message);
        return false;
    }
    Jpeg().CreateCompress(&s->cinfo, JPEG_LIB_VERSION, sizeof(s->cinfo));
    struct SGuard {
        j_compress_ptr c;
        ~SGuard() { Jpeg().destroy_compress(c); }
    } guard{&s->cinfo};
    s->dest.stream = &stream;
    s->dest.pub.init_destination = InitDestination;
    s->dest.pub.empty_output_buffer = EmptyOutputBuffer;
    s->dest.pub.term_destination = TermDestination;
    s->cinfo.dest = &s->dest.pub;
    if (!WriteCore(s, &image, grey, greyRow.data())) {
        image.SetLastError(s->err.message);
        return false;
    }
    return true;
}

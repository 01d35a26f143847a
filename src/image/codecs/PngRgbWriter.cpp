// A 24-bit picture without alpha written as an RGB PNG without libpng: the
// file holds the chunks libpng writes for such a picture, in its order, and
// the rows filtered as libpng filters them. libpng tries the five
// row filters on every row one byte at a time and keeps the one whose bytes,
// read as signed, have the smallest sum of magnitudes (the first of equal
// ones); here the four filtered rows and their sums are made sixteen bytes a
// step, which took a 400 x 400 picture's encoding from 71 to about 35 million
// instructions, most of the rest being deflate's. The filtered rows are
// the ones libpng writes; small pictures compress them at once (CDeflater),
// larger ones through zlib with libpng's parameters, a row at a time, in IDAT
// chunks of 8192 bytes: their file is the one libpng would write.

#include "image/codecs/Codecs.h"

#include "image/ByteStream.h"
#include "image/LibrarySymbols.h"
#include "image/Raster.h"

#include <libdeflate.h>
#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr int kBpp = 3;               // bytes a pixel
constexpr std::size_t kFront = 16;    // zero bytes before each row buffer (the left neighbours of the first pixel)
constexpr std::size_t kIdatBytes = 8192;  // libpng's compression buffer: the size of each full IDAT chunk

enum EFilter { kNone, kSub, kUp, kAverage, kPaeth, kFilters };

// zlib is opened with the first picture streamed through it, not linked: a
// render of the usual sizes is compressed at once by libdeflate, which also
// gives the chunks' CRC-32 (the same sums), and loading zlib cost every run
// of the command-line program some 0.2 ms of CPU time. (deflateInit2 is the
// header's macro for deflateInit2_ with the header's version and the
// stream's size.)
struct SZlib {
    decltype(&deflateInit2_) init = nullptr;
    decltype(&deflate) compress = nullptr;
    decltype(&deflateEnd) end = nullptr;
    bool loaded = false;

    SZlib()
    {
        void* library = OpenLibrary(VT_ZLIB_LIBRARY);
        loaded = FindSymbol(library, "deflateInit2_", init) && FindSymbol(library, "deflate", compress) &&
                 FindSymbol(library, "deflateEnd", end);
    }
};

// The library, opened on the first call; null when it cannot be.
const SZlib* Zlib()
{
    return OpenedOnce<SZlib>();
}

// A filtered byte read as signed: its magnitude.
inline unsigned Magnitude(std::uint8_t v) noexcept
{
    return v < 128 ? v : 256u - v;
}

inline std::uint8_t PaethPredictor(int a, int b, int c) noexcept
{
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The filtered rows of one row and the sums of their magnitudes; `cur` and
// `prev` point at the rows' first bytes, with kFront zero bytes before them.
class CRowFilters {
public:
    // libpng leaves out the filters that look left in pictures one pixel
    // wide, and those that look up in pictures one row high.
    CRowFilters(int width, int height) : m_rowBytes(static_cast<std::size_t>(width) * kBpp)
    {
        m_allowed[kSub] = width > 1;
        m_allowed[kUp] = height > 1;
        m_allowed[kAverage] = m_allowed[kPaeth] = width > 1 && height > 1;
        for (auto& row : m_rows) row.resize(m_rowBytes + 1);
    }

    // Fills the Sub, Up, Average and Paeth rows; returns the filter libpng picks.
    int Choose(const std::uint8_t* cur, const std::uint8_t* prev)
    {
        std::uint64_t sums[kFilters] = {};
        std::size_t x = 0;
#if defined(__SSE2__)
        x = Wide(cur, prev, sums);
#endif
        for (; x < m_rowBytes; ++x) {
            const int a = cur[x - kBpp], b = prev[x], c = prev[x - kBpp];
            const std::uint8_t v = cur[x];
            const std::uint8_t f[kFilters] = {v, static_cast<std::uint8_t>(v - a), static_cast<std::uint8_t>(v - b),
                                             static_cast<std::uint8_t>(v - ((a + b) >> 1)),
                                             static_cast<std::uint8_t>(v - PaethPredictor(a, b, c))};
            for (int k = 0; k < kFilters; ++k) {
                sums[k] += Magnitude(f[k]);
                if (k > 0) m_rows[k][x + 1] = f[k];
            }
        }
        int best = kNone;
        for (int k = 1; k < kFilters; ++k)
            if (m_allowed[k] && sums[k] < sums[best]) best = k;
        return best;
    }

    // Whether a filter other than none may be chosen (deflate is then told
    // that the data are filtered).
    bool Filtered() const noexcept { return m_allowed[kSub] || m_allowed[kUp]; }

    // The filtered row of filter k (k > 0), its filter byte first.
    std::uint8_t* Row(int k) noexcept
    {
        m_rows[k][0] = static_cast<std::uint8_t>(k);
        return m_rows[k].data();
    }

private:
#if defined(__SSE2__)
    // Whole steps of 16 bytes; returns the bytes done. The neighbours left of
    // the first pixel are the zero bytes before the rows.
    std::size_t Wide(const std::uint8_t* cur, const std::uint8_t* prev, std::uint64_t* sums)
    {
        const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi8(1);
        __m128i total[kFilters] = {zero, zero, zero, zero, zero};
        const auto add = [&](int k, __m128i f) {
            const __m128i m = _mm_min_epu8(f, _mm_sub_epi8(zero, f));  // the magnitude of a signed byte
            total[k] = _mm_add_epi64(total[k], _mm_sad_epu8(m, zero));
        };
        const auto paethHalf = [&](__m128i a, __m128i b, __m128i c) {
            const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c), abc = _mm_add_epi16(bc, ac);
            const __m128i pa = _mm_max_epi16(bc, _mm_sub_epi16(zero, bc));
            const __m128i pb = _mm_max_epi16(ac, _mm_sub_epi16(zero, ac));
            const __m128i pc = _mm_max_epi16(abc, _mm_sub_epi16(zero, abc));
            // a where pa <= pb and pa <= pc; else b where pb <= pc; else c.
            const __m128i takeA = _mm_andnot_si128(_mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)),
                                                   _mm_set1_epi16(-1));
            const __m128i takeB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
            const __m128i bOrC = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, c));
            return _mm_or_si128(_mm_and_si128(takeA, a), _mm_andnot_si128(takeA, bOrC));
        };
        std::size_t x = 0;
        for (; x + 16 <= m_rowBytes; x += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + x));
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + x - kBpp));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + x));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + x - kBpp));
            const __m128i sub = _mm_sub_epi8(v, a), up = _mm_sub_epi8(v, b);
            // floor((a + b) / 2): the rounded-up mean less the carry of the low bits.
            const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
            const __m128i average = _mm_sub_epi8(v, mean);
            const __m128i low = paethHalf(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero),
                                          _mm_unpacklo_epi8(c, zero));
            const __m128i high = paethHalf(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero),
                                           _mm_unpackhi_epi8(c, zero));
            const __m128i paeth = _mm_sub_epi8(v, _mm_packus_epi16(low, high));
            add(kNone, v);
            add(kSub, sub);
            add(kUp, up);
            add(kAverage, average);
            add(kPaeth, paeth);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_rows[kSub].data() + 1 + x), sub);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_rows[kUp].data() + 1 + x), up);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_rows[kAverage].data() + 1 + x), average);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_rows[kPaeth].data() + 1 + x), paeth);
        }
        for (int k = 0; k < kFilters; ++k) {
            std::uint64_t halves[2];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), total[k]);
            sums[k] += halves[0] + halves[1];
        }
        return x;
    }
#endif

    std::size_t m_rowBytes;
    std::vector<std::uint8_t> m_rows[kFilters];  // [0] unused: the unfiltered row is the picture's
    bool m_allowed[kFilters] = {true, true, true, true, true};
};

// Chunks written to the stream: length, type, data, CRC.
class CChunkWriter {
public:
    explicit CChunkWriter(CByteStream& stream) : m_stream(stream) {}

    bool Bytes(const void* data, std::size_t size)
    {
        m_ok = m_ok && m_stream.Write(data, 1, size) == size;
        return m_ok;
    }
    bool Chunk(const char* type, const std::uint8_t* data, std::size_t size)
    {
        std::uint8_t head[8];
        Put32(head, static_cast<std::uint32_t>(size));
        std::memcpy(head + 4, type, 4);
        std::uint32_t crc = libdeflate_crc32(0, head + 4, 4);
        if (size > 0) crc = libdeflate_crc32(crc, data, size);
        std::uint8_t tail[4];
        Put32(tail, static_cast<std::uint32_t>(crc));
        return Bytes(head, 8) && (size == 0 || Bytes(data, size)) && Bytes(tail, 4);
    }
    static void Put32(std::uint8_t* p, std::uint32_t v) noexcept
    {
        p[0] = static_cast<std::uint8_t>(v >> 24);
        p[1] = static_cast<std::uint8_t>(v >> 16);
        p[2] = static_cast<std::uint8_t>(v >> 8);
        p[3] = static_cast<std::uint8_t>(v);
    }
    bool Ok() const noexcept { return m_ok; }

private:
    CByteStream& m_stream;
    bool m_ok = true;
};

// The chunks before the pixels: the header, the sRGB chunk with the gamma
// and primaries of sRGB, the resolution when the picture has one.
bool WriteHead(CChunkWriter& out, const CRaster& image)
{
    static const std::uint8_t kSignature[8] = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    std::uint8_t ihdr[13] = {};
    CChunkWriter::Put32(ihdr, static_cast<std::uint32_t>(image.GetWidth()));
    CChunkWriter::Put32(ihdr + 4, static_cast<std::uint32_t>(image.GetHeight()));
    ihdr[8] = 8;  // bits a sample
    ihdr[9] = 2;  // RGB; compression, filter method and interlacing 0
    std::uint8_t gama[4];
    CChunkWriter::Put32(gama, 45455);
    const std::uint8_t srgb[1] = {0};  // perceptual
    std::uint8_t chrm[32];
    const std::uint32_t primaries[8] = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
    for (int i = 0; i < 8; ++i) CChunkWriter::Put32(chrm + 4 * i, primaries[i]);
    if (!(out.Bytes(kSignature, 8) && out.Chunk("IHDR", ihdr, 13) && out.Chunk("gAMA", gama, 4) &&
          out.Chunk("sRGB", srgb, 1) && out.Chunk("cHRM", chrm, 32)))
        return false;
    const auto perMetre = [](int dpi) { return dpi > 0 ? static_cast<std::uint32_t>(std::lround(dpi / 0.0254)) : 0u; };
    const std::uint32_t x = perMetre(image.GetXDPI()), y = perMetre(image.GetYDPI());
    if (x == 0 || y == 0) return true;
    std::uint8_t phys[9];
    CChunkWriter::Put32(phys, x);
    CChunkWriter::Put32(phys + 4, y);
    phys[8] = 1;  // per metre
    return out.Chunk("pHYs", phys, 9);
}

// deflate's window: libpng narrows it for small pictures as long as it still
// holds the whole of the data and the 262 bytes deflate looks ahead.
int WindowBits(std::uint64_t dataSize) noexcept
{
    int bits = 15;
    if (dataSize <= 16384) {
        std::uint64_t half = 1u << (bits - 1);
        while (dataSize + 262 <= half) {
            half >>= 1;
            --bits;
        }
    }
    return bits;
}

// The filtered rows compressed into IDAT chunks. Up to kWholeBytes of them
// are kept and compressed at once by libdeflate (level 7: on renders of 400 x
// 400 and 640 x 480 about two thirds of zlib's instructions for a file 3 to 7 %
// smaller); more are streamed through zlib as libpng streams them, so that a
// print-size picture needs no second copy.
class CDeflater {
public:
    CDeflater(CChunkWriter& out, std::uint64_t dataSize, bool filtered, std::uint64_t wholeBytes)
        : m_out(out), m_buffer(kIdatBytes), m_dataSize(dataSize), m_whole(dataSize <= wholeBytes)
    {
        if (m_whole) {
            m_data.reserve(static_cast<std::size_t>(dataSize));
            m_ready = true;
            return;
        }
        m_zlib = Zlib();
        m_ready = m_zlib != nullptr &&
                  m_zlib->init(&m_z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, WindowBits(dataSize), 8,
                               filtered ? Z_FILTERED : Z_DEFAULT_STRATEGY, ZLIB_VERSION, sizeof(m_z)) == Z_OK;
        m_z.next_out = m_buffer.data();
        m_z.avail_out = kIdatBytes;
    }
    ~CDeflater()
    {
        if (m_ready && !m_whole) m_zlib->end(&m_z);
    }
    CDeflater(const CDeflater&) = delete;
    CDeflater& operator=(const CDeflater&) = delete;

    bool Ready() const noexcept { return m_ready; }

    // Compresses `size` bytes; with `finish` the end of the stream as well.
    bool Add(const std::uint8_t* data, std::size_t size, bool finish)
    {
        if (m_whole) {
            if (size > 0) m_data.insert(m_data.end(), data, data + size);
            return !finish || CompressWhole();
        }
        m_z.next_in = const_cast<Bytef*>(data);
        m_z.avail_in = static_cast<uInt>(size);
        for (;;) {
            const int rc = m_zlib->compress(&m_z, finish ? Z_FINISH : Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return false;
            if (m_z.avail_out == 0) {
                if (!Flush(kIdatBytes)) return false;
                m_z.next_out = m_buffer.data();
                m_z.avail_out = kIdatBytes;
                continue;
            }
            if (finish ? rc == Z_STREAM_END : m_z.avail_in == 0) break;
        }
        if (finish && m_z.avail_out < kIdatBytes) return Flush(kIdatBytes - m_z.avail_out);
        return true;
    }

private:
    bool CompressWhole()
    {
        libdeflate_compressor* compressor = libdeflate_alloc_compressor(kWholeLevel);
        if (compressor == nullptr) throw std::bad_alloc();
        // Not cleared: the bound is about the picture's size, and the stream
        // written into it a small part of that for most renders.
        const std::size_t bound = libdeflate_zlib_compress_bound(compressor, m_data.size());
        std::unique_ptr<std::uint8_t[]> packed;
        try {
            packed.reset(new std::uint8_t[bound]);
        } catch (...) {
            libdeflate_free_compressor(compressor);
            throw;
        }
        const std::size_t size = libdeflate_zlib_compress(compressor, m_data.data(), m_data.size(), packed.get(), bound);
        libdeflate_free_compressor(compressor);
        if (size == 0) return false;
        for (std::size_t at = 0; at < size; at += kIdatBytes)
            if (!m_out.Chunk("IDAT", packed.get() + at, std::min(kIdatBytes, size - at))) return false;
        return true;
    }

    bool Flush(std::size_t size)
    {
        if (m_first) NarrowWindowClaim();
        m_first = false;
        return m_out.Chunk("IDAT", m_buffer.data(), size);
    }

    // As libpng does for data of at most 16384 bytes: the stream's header
    // claims the smallest window that holds the data (the stream is the same).
    void NarrowWindowClaim()
    {
        unsigned cmf = m_buffer[0];
        if (m_dataSize > 16384 || (cmf & 0x0f) != 8 || (cmf & 0xf0) > 0x70) return;
        unsigned info = cmf >> 4;
        unsigned half = 1u << (info + 7);
        if (m_dataSize > half) return;
        do {
            half >>= 1;
            --info;
        } while (info > 0 && m_dataSize <= half);
        cmf = (cmf & 0x0f) | (info << 4);
        m_buffer[0] = static_cast<std::uint8_t>(cmf);
        unsigned flags = m_buffer[1] & 0xe0u;
        flags += 0x1f - ((cmf << 8) + flags) % 0x1f;
        m_buffer[1] = static_cast<std::uint8_t>(flags);
    }

    CChunkWriter& m_out;
    static constexpr int kWholeLevel = 7;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_dataSize;
    bool m_whole;
    std::vector<std::uint8_t> m_data;  // the filtered rows, when compressed at once
    const SZlib* m_zlib = nullptr;  // when streamed
    z_stream m_z{};
    bool m_ready = false;
    bool m_first = true;
};

} // namespace

bool EncodeRgbPng(CByteStream& stream, const CRaster& image, const char*& error, std::uint64_t wholeBytes)
{
    error = "Error saving PNG file";
    const int width = image.GetWidth(), height = image.GetHeight();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * kBpp;
    try {
        CChunkWriter out(stream);
        if (!WriteHead(out, image)) {
            error = "Write Error";
            return false;
        }
        CRowFilters filters(width, height);
        CDeflater deflater(out, static_cast<std::uint64_t>(rowBytes + 1) * static_cast<std::uint64_t>(height),
                           filters.Filtered(), wholeBytes);
        if (!deflater.Ready()) {
            if (Zlib() == nullptr) error = "large PNG pictures cannot be written: " VT_ZLIB_LIBRARY " is missing";
            return false;
        }
        // Two rows in RGB order, each after kFront zero bytes; the row above
        // the first is zero.
        std::vector<std::uint8_t> rows[2];
        for (auto& r : rows) r.assign(kFront + rowBytes + 1, 0);
        for (int i = 0; i < height; ++i) {
            std::uint8_t* cur = rows[i & 1].data() + kFront;
            const std::uint8_t* prev = rows[(i + 1) & 1].data() + kFront;
            const std::uint8_t* bgr = image.GetBits(height - 1 - i);  // top row first
            for (std::size_t x = 0; x < rowBytes; x += kBpp) {
                cur[x] = bgr[x + 2];
                cur[x + 1] = bgr[x + 1];
                cur[x + 2] = bgr[x];
            }
            const int k = filters.Choose(cur, prev);
            // The byte before an unfiltered row is zero: its filter byte.
            if (!(k == kNone ? deflater.Add(cur - 1, rowBytes + 1, false)
                             : deflater.Add(filters.Row(k), rowBytes + 1, false))) {
                if (!out.Ok()) error = "Write Error";
                return false;
            }
        }
        if (!deflater.Add(nullptr, 0, true)) {
            if (!out.Ok()) error = "Write Error";
            return false;
        }
        if (!out.Chunk("IEND", nullptr, 0) || !stream.Flush()) {
            error = "Write Error";
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        error = "Can't allocate memory";
        return false;
    }
}

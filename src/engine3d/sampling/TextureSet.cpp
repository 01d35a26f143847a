#include "engine3d/sampling/TextureSet.h"
#include "engine3d/sampling/FlatTiles.h"

#include "image/Raster.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include "engine3d/sampling/TargetRegion.h"

#include <immintrin.h>
#define VT_HALVE_SSSE3 1
#endif

bool CTextureSet::SetPicture(char code, const CRaster* picture) noexcept
{
    CTexture t;
    if (picture && picture->IsValid() && picture->GetBpp() == 24) {
        t.bits = picture->GetBits(0);
        t.width = picture->GetWidth();
        t.height = picture->GetHeight();
        t.stride = picture->GetEffWidth();
    }
    return SetPicture(code, t);
}

bool CTextureSet::SetPicture(char code, const CTexture& texture) noexcept
{
    CTexture& slot = m_pictures[static_cast<unsigned char>(code)];
    m_levels[static_cast<unsigned char>(code)].reset();
    m_flat[static_cast<unsigned char>(code)].reset();
    m_flatBuilt[static_cast<unsigned char>(code)] = false;
    m_oneColour[static_cast<unsigned char>(code)] = false;
    if (!texture.IsValid() || texture.stride < 3 * static_cast<std::ptrdiff_t>(texture.width)) {
        slot = CTexture();
        return false;
    }
    slot = texture;
    return true;
}

namespace {

#if defined(VT_HALVE_SSSE3)
// The first pixels of HalveRow's row two at a time where SSSE3 is there: the
// bytes of four pixels of each row shuffled so that each channel's two
// neighbours lie side by side, summed in pairs into 16 bits (pmaddubsw by
// ones), the two rows added, then (sum + 2) >> 2. Eight bytes are written
// for six, the next two overwritten by the next step; reads and writes stay
// inside the rows. Returns the pixels done.
VT_TARGET_BEGIN("ssse3")
int HalvePairs(const std::uint8_t* r0, const std::uint8_t* r1, int fromWidth, std::uint8_t* out, int toWidth) noexcept
{
    const __m128i side = _mm_setr_epi8(0, 3, 1, 4, 2, 5, 6, 9, 7, 10, 8, 11, -1, -1, -1, -1);
    const __m128i ones = _mm_set1_epi8(1), two = _mm_set1_epi16(2);
    if (3 * fromWidth < 16 || 3 * toWidth < 8) return 0;
    const int last = std::min((3 * fromWidth - 16) / 6, (3 * toWidth - 8) / 3); // the last first pixel of a step
    int x = 0;
    for (; x <= last; x += 2) {
        const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + 6 * x)), side);
        const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + 6 * x)), side);
        const __m128i sum = _mm_add_epi16(_mm_maddubs_epi16(a, ones), _mm_maddubs_epi16(b, ones));
        const __m128i mean = _mm_srli_epi16(_mm_add_epi16(sum, two), 2);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * x), _mm_packus_epi16(mean, mean));
    }
    return x;
}
VT_TARGET_END

// The first pixels of HalveRow's row ten at a time where the processor has
// AVX-512 with byte permutes: the same steps as HalvePairs on sixty bytes of
// each row (twenty pixels), the thirty means narrowed to bytes in one step.
// Thirty-two bytes are written for thirty, the next two overwritten by the
// next step; reads and writes stay inside the rows. Returns the pixels done.
bool HasHalveSixty() noexcept
{
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi");
    return has;
}

// For word w = 3 j + c of a step (output pixel j, channel c): the bytes of
// channel c of input pixels 2 j and 2 j + 1; the two words past the thirty
// read byte 0, and their means are overwritten.
constexpr std::array<std::uint8_t, 64> kSixtySides = [] {
    std::array<std::uint8_t, 64> side{};
    for (int w = 0; w < 30; ++w) {
        const int j = w / 3, c = w % 3;
        side[static_cast<std::size_t>(2 * w)] = static_cast<std::uint8_t>(6 * j + c);
        side[static_cast<std::size_t>(2 * w + 1)] = static_cast<std::uint8_t>(6 * j + 3 + c);
    }
    return side;
}();

VT_UNDEFINED_START_BEGIN
VT_TARGET_BEGIN("avx512f,avx512bw,avx512vbmi")
int HalveSixty(const std::uint8_t* r0, const std::uint8_t* r1, int fromWidth, std::uint8_t* out, int toWidth) noexcept
{
    if (3 * fromWidth < 64 || 3 * toWidth < 32) return 0;
    const __m512i side = _mm512_loadu_si512(kSixtySides.data());
    const __m512i ones = _mm512_set1_epi8(1), two = _mm512_set1_epi16(2);
    const int last = std::min((3 * fromWidth - 64) / 6, (3 * toWidth - 32) / 3); // the last first pixel of a step
    int x = 0;
    for (; x <= last; x += 10) {
        const __m512i a = _mm512_permutexvar_epi8(side, _mm512_loadu_si512(r0 + 6 * x));
        const __m512i b = _mm512_permutexvar_epi8(side, _mm512_loadu_si512(r1 + 6 * x));
        const __m512i sum = _mm512_add_epi16(_mm512_maddubs_epi16(a, ones), _mm512_maddubs_epi16(b, ones));
        const __m512i mean = _mm512_srli_epi16(_mm512_add_epi16(sum, two), 2);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 3 * x), _mm512_cvtepi16_epi8(mean));
    }
    return x;
}
VT_TARGET_END
VT_UNDEFINED_START_END
#endif

// One row of the next level from rows r0 and r1 of a level `fromWidth`
// pixels wide: each byte (a + b + c + d + 2) / 4 of the 2 x 2 pixels below,
// the last column (and, by the caller, the last row) of an odd size taken
// twice. The column pairs are summed first (a + c for every byte of the
// row, sixteen at a time where SSE2 is there), then the pairs of pixels, one
// pixel's three sums at a time in the 16-bit fields of a 64-bit word:
// sums stay below 1024, so no field carries into the next, and the bits the
// shift moves down from a field are masked off. `sums` holds 3 * fromWidth
// + 4 entries.
void HalveRow(const std::uint8_t* r0, const std::uint8_t* r1, int fromWidth, std::uint8_t* out, int toWidth,
              std::vector<std::uint16_t>& sums) noexcept
{
#if defined(VT_HALVE_SSSE3)
    if (HasHalveSixty()) {
        const int done = HalveSixty(r0, r1, fromWidth, out, toWidth);
        r0 += 6 * done, r1 += 6 * done, out += 3 * done;
        fromWidth -= 2 * done, toWidth -= done;
    }
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        const int done = HalvePairs(r0, r1, fromWidth, out, toWidth);
        r0 += 6 * done, r1 += 6 * done, out += 3 * done;
        fromWidth -= 2 * done, toWidth -= done;
    }
#endif
    const int n = 3 * fromWidth;
    std::uint16_t* s = sums.data();
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + i));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(s + i),
                         _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(c, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(s + i + 8),
                         _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(c, zero)));
    }
#endif
    for (; i < n; ++i) s[i] = static_cast<std::uint16_t>(r0[i] + r1[i]);
    if (fromWidth % 2 != 0)
        for (int k = 0; k < 3; ++k) s[n + k] = s[n - 3 + k];
    static_assert(std::endian::native == std::endian::little, "fields 0 .. 2 are the first three sums");
    constexpr std::uint64_t kTwos = 0x0002000200020002u, kLow = 0x00FF00FF00FF00FFu;
    for (int x = 0; x < toWidth; ++x, s += 6, out += 3) {
        std::uint64_t left, right; // the sums of pixel 2x, and of pixel 2x + 1, in fields 0 .. 2
        std::memcpy(&left, s, sizeof left);
        std::memcpy(&right, s + 3, sizeof right);
        const std::uint64_t mean = ((left + right + kTwos) >> 2) & kLow;
        for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>(mean >> 16 * k);
    }
}

// Whether every texel is the first: the first row that texel repeated, every
// other row the first (whole rows compared, stopping at the first difference).
bool IsOneColour(const CTexture& t) noexcept
{
    const std::uint8_t* first = t.At(0, 0);
    for (int x = 1; x < t.width; ++x)
        if (std::memcmp(t.At(x, 0), first, 3) != 0) return false;
    for (int y = 1; y < t.height; ++y)
        if (std::memcmp(t.At(0, y), first, 3 * static_cast<std::size_t>(t.width)) != 0) return false;
    return true;
}

} // namespace

bool CTextureLevels::Build(const CTexture& picture, bool knownOneColour) noexcept
{
    levels.clear();
    storage.clear();
    if (!picture.IsValid()) return false;
    oneColour = knownOneColour || IsOneColour(picture);
    try {
        std::vector<std::uint16_t> sums(3 * static_cast<std::size_t>(picture.width) + 4);
        levels.push_back(picture);
        while (!oneColour && (levels.back().width > 1 || levels.back().height > 1)) {
            const CTexture& from = levels.back();
            CTexture to;
            to.width = (from.width + 1) / 2;
            to.height = (from.height + 1) / 2;
            to.stride = 3 * static_cast<std::ptrdiff_t>(to.width);
            storage.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(to.stride) *
                                                                             static_cast<std::size_t>(to.height)));
            std::uint8_t* out = storage.back().get();
            to.bits = out;
            for (int y = 0; y < to.height; ++y)
                HalveRow(from.At(0, 2 * y), from.At(0, std::min(2 * y + 1, from.height - 1)), from.width,
                         out + y * to.stride, to.width, sums);
            levels.push_back(to);
        }
    } catch (const std::bad_alloc&) {
        levels.clear();
        storage.clear();
        return false;
    }
    return true;
}

bool CTextureSet::BuildLevels() noexcept
{
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        if (!m_pictures[i].IsValid() || m_levels[i]) continue;
        std::shared_ptr<CTextureLevels> levels;
        try {
            levels = std::make_shared<CTextureLevels>();
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!levels->Build(m_pictures[i], m_oneColour[i])) return false;
        m_levels[i] = std::move(levels);
    }
    return true;
}

void CTextureSet::BuildFlatTiles() noexcept
{
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        if (!m_pictures[i].IsValid() || m_flatBuilt[i]) continue;
        m_flatBuilt[i] = true;
        try {
            auto tiles = std::make_shared<CFlatTiles>();
            if (tiles->Build(m_pictures[i])) m_flat[i] = std::move(tiles);
        } catch (const std::bad_alloc&) {
        }
    }
}

void CTextureSet::TakeBuiltFrom(const CTextureSet& earlier) noexcept
{
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        const CTexture& a = m_pictures[i];
        const CTexture& b = earlier.m_pictures[i];
        if (!a.IsValid() || a.bits != b.bits || a.width != b.width || a.height != b.height || a.stride != b.stride)
            continue;
        if (!m_levels[i]) m_levels[i] = earlier.m_levels[i];
        if (!m_flatBuilt[i]) {
            m_flat[i] = earlier.m_flat[i];
            m_flatBuilt[i] = earlier.m_flatBuilt[i];
        }
    }
}

#include "image/colour/SrgbProfile.h"
#include "image/colour/SrgbTables.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

double SrgbToLinear(double v) noexcept
{
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double LinearToSrgb(double v) noexcept
{
    return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
}

namespace {

// An ICC profile is big-endian throughout; tag data start on 4-byte boundaries.
class CIccWriter {
public:
    void U16(unsigned v)
    {
        m_bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        m_bytes.push_back(static_cast<std::uint8_t>(v));
    }
    void U32(std::uint32_t v)
    {
        U16(v >> 16);
        U16(v & 0xFFFF);
    }
    void Sig(const char* four) { m_bytes.insert(m_bytes.end(), four, four + 4); }
    void Fixed(double v) { U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * 65536.0)))); }
    void Zeros(std::size_t n) { m_bytes.insert(m_bytes.end(), n, 0); }
    void Text(const std::string& s)
    {
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        m_bytes.push_back(0);
    }
    void Align() { Zeros((4 - m_bytes.size() % 4) % 4); }
    void Put32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    }
    std::size_t Size() const { return m_bytes.size(); }
    std::vector<std::uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

struct SXyz {
    double x, y, z;
};

// sRGB's primaries (ITU-R BT.709) and its D65 white, adapted by the Bradford
// transform to the white of the profile connection space, D50 as the ICC
// states it (0.9642, 1, 0.8249); the three columns add up to that white.
constexpr SXyz kRed{0.436074, 0.222504, 0.013927};
constexpr SXyz kGreen{0.385065, 0.716879, 0.097068};
constexpr SXyz kBlue{0.143061, 0.060617, 0.713905};
constexpr SXyz kD50{0.9642, 1.0, 0.8249};

std::vector<std::uint8_t> BuildProfile()
{
    CIccWriter w;
    // Header (128 bytes); the size is filled in at the end.
    w.U32(0), w.U32(0), w.U32(0x02100000);
    w.Sig("mntr"), w.Sig("RGB "), w.Sig("XYZ ");
    for (unsigned v : {2026u, 1u, 1u, 0u, 0u, 0u}) w.U16(v);
    w.Sig("acsp");
    w.Zeros(24); // platform, flags, maker, model, attributes
    w.U32(0);    // perceptual intent
    w.Fixed(kD50.x), w.Fixed(kD50.y), w.Fixed(kD50.z);
    w.Zeros(128 - w.Size());

    const char* const tags[] = {"desc", "cprt", "wtpt", "rXYZ", "gXYZ", "bXYZ", "rTRC", "gTRC", "bTRC"};
    constexpr std::size_t kTags = std::size(tags);
    w.U32(kTags);
    const std::size_t table = w.Size();
    w.Zeros(12 * kTags);
    auto begin = [&](std::size_t i) {
        w.Align();
        std::memcpy(w.Bytes().data() + table + 12 * i, tags[i], 4);
        w.Put32(table + 12 * i + 4, static_cast<std::uint32_t>(w.Size()));
        return w.Size();
    };
    auto end = [&](std::size_t i, std::size_t start) {
        w.Put32(table + 12 * i + 8, static_cast<std::uint32_t>(w.Size() - start));
    };
    const std::string name = "sRGB";
    std::size_t at = begin(0);
    w.Sig("desc"), w.U32(0), w.U32(static_cast<std::uint32_t>(name.size() + 1)), w.Text(name);
    w.U32(0), w.U32(0), w.U16(0), w.Zeros(1 + 67); // no Unicode or ScriptCode names
    end(0, at);
    at = begin(1);
    w.Sig("text"), w.U32(0), w.Text("No copyright, use freely");
    end(1, at);
    const SXyz xyz[] = {kD50, kRed, kGreen, kBlue};
    for (std::size_t i = 0; i < 4; ++i) {
        at = begin(2 + i);
        w.Sig("XYZ "), w.U32(0), w.Fixed(xyz[i].x), w.Fixed(xyz[i].y), w.Fixed(xyz[i].z);
        end(2 + i, at);
    }
    // One curve for the three channels: the tag table points at it three times.
    at = begin(6);
    constexpr int kPoints = 1024;
    w.Sig("curv"), w.U32(0), w.U32(kPoints);
    for (int i = 0; i < kPoints; ++i)
        w.U16(static_cast<unsigned>(std::lround(SrgbToLinear(i / double(kPoints - 1)) * 65535.0)));
    end(6, at);
    for (std::size_t i = 7; i < kTags; ++i) {
        std::memcpy(w.Bytes().data() + table + 12 * i, tags[i], 4);
        std::memcpy(w.Bytes().data() + table + 12 * i + 4, w.Bytes().data() + table + 12 * 6 + 4, 8);
    }
    w.Put32(0, static_cast<std::uint32_t>(w.Size()));
    return std::move(w.Bytes());
}

} // namespace

const std::vector<std::uint8_t>& SrgbIccProfile()
{
    static const std::vector<std::uint8_t> profile = BuildProfile();
    return profile;
}

const CSrgbTables& SrgbTables()
{
    static const CSrgbTables tables = [] {
        CSrgbTables t;
        for (int v = 0; v < 256; ++v) t.decode[static_cast<std::size_t>(v)] = static_cast<float>(SrgbToLinear(v / 255.0));
        for (int i = 0; i <= CSrgbTables::kSteps; ++i)
            t.encode[static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(std::lround(LinearToSrgb(static_cast<double>(i) / CSrgbTables::kSteps) * 255.0));
        return t;
    }();
    return tables;
}

#include "image/colour/IccTransform.h"

#include "image/LibrarySymbols.h"
#include "image/Raster.h"

#include <dlfcn.h>
#include <lcms2.h>

#include <cstring>

namespace {

// littleCMS reports problems of hostile profiles through a global handler;
// the loaders report by result, so its messages are dropped.
void Quiet(cmsContext, cmsUInt32Number, const char*) {}

// littleCMS is opened with the first picture that carries a profile, not
// when the program starts: loading it cost every run of the command-line
// program about half a millisecond of CPU time.
struct SLcms {
    decltype(&cmsSetLogErrorHandler) setLogErrorHandler = nullptr;
    decltype(&cmsOpenProfileFromMem) openProfileFromMem = nullptr;
    decltype(&cmsCreate_sRGBProfile) createSrgbProfile = nullptr;
    decltype(&cmsGetColorSpace) getColorSpace = nullptr;
    decltype(&cmsCreateTransform) createTransform = nullptr;
    decltype(&cmsDeleteTransform) deleteTransform = nullptr;
    decltype(&cmsDoTransform) doTransform = nullptr;
    decltype(&cmsCloseProfile) closeProfile = nullptr;
    bool loaded = false;

    SLcms()
    {
        void* library = OpenLibrary(VT_LCMS2_LIBRARY);
        loaded = FindSymbol(library, "cmsSetLogErrorHandler", setLogErrorHandler) &&
                 FindSymbol(library, "cmsOpenProfileFromMem", openProfileFromMem) &&
                 FindSymbol(library, "cmsCreate_sRGBProfile", createSrgbProfile) &&
                 FindSymbol(library, "cmsGetColorSpace", getColorSpace) &&
                 FindSymbol(library, "cmsCreateTransform", createTransform) &&
                 FindSymbol(library, "cmsDeleteTransform", deleteTransform) &&
                 FindSymbol(library, "cmsDoTransform", doTransform) && FindSymbol(library, "cmsCloseProfile", closeProfile);
        if (loaded) setLogErrorHandler(Quiet);
    }
};

// The library, opened on the first call; null when it cannot be.
const SLcms* Lcms()
{
    return OpenedOnce<SLcms>();
}

struct SProfile {
    cmsHPROFILE handle;
    ~SProfile()
    {
        if (handle)
            Lcms()->closeProfile(handle);
    }
};

}  // namespace

std::unique_ptr<CIccTransform> CIccTransform::Create(const std::uint8_t* profile, std::size_t size, Input input)
{
    if (profile == nullptr || size < 132 || size > kMaxProfileBytes)  // 128-byte header and a tag count
        return nullptr;
    const SLcms* lcms = Lcms();
    if (lcms == nullptr)
        return nullptr;
    SProfile source{lcms->openProfileFromMem(profile, static_cast<cmsUInt32Number>(size))};
    SProfile srgb{lcms->createSrgbProfile()};
    if (!source.handle || !srgb.handle)
        return nullptr;
    const cmsColorSpaceSignature space = lcms->getColorSpace(source.handle);
    cmsUInt32Number format = TYPE_BGR_8;
    switch (input) {
    case Input::Bgr: format = TYPE_BGR_8; break;
    case Input::Grey: format = TYPE_GRAY_8; break;
    case Input::Cmyk: format = TYPE_CMYK_8; break;
    case Input::CmykInverted: format = TYPE_CMYK_8_REV; break;
    }
    const bool fits = (input == Input::Bgr && space == cmsSigRgbData) ||
                      (input == Input::Grey && space == cmsSigGrayData) ||
                      ((input == Input::Cmyk || input == Input::CmykInverted) && space == cmsSigCmykData);
    if (!fits)
        return nullptr;
    cmsHTRANSFORM transform =
        lcms->createTransform(source.handle, format, srgb.handle, TYPE_BGR_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    if (!transform)
        return nullptr;
    std::unique_ptr<CIccTransform> t(new CIccTransform);
    t->m_transform = transform;
    t->m_input = input;
    // An sRGB profile (as this program's own encoders embed) changes nothing:
    // it is left out, so that such pictures read back exactly as written.
    if (t->IsIdentity())
        return nullptr;
    return t;
}

bool CIccTransform::IsIdentity() const
{
    if (m_input != Input::Bgr && m_input != Input::Grey)
        return false;
    // Every grey level, or a grid of 18 levels a channel (0, 15, ..., 255).
    std::vector<std::uint8_t> in;
    if (m_input == Input::Grey) {
        for (int v = 0; v < 256; ++v)
            in.push_back(static_cast<std::uint8_t>(v));
    } else {
        for (int b = 0; b < 256; b += 15)
            for (int g = 0; g < 256; g += 15)
                for (int r = 0; r < 256; r += 15)
                    in.insert(in.end(), {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                                         static_cast<std::uint8_t>(r)});
    }
    const std::size_t count = m_input == Input::Grey ? in.size() : in.size() / 3;
    std::vector<std::uint8_t> out(count * 3);
    Apply(in.data(), out.data(), count);
    for (std::size_t i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k)
            if (out[3 * i + k] != (m_input == Input::Grey ? in[i] : in[3 * i + k]))
                return false;
    return true;
}

CIccTransform::~CIccTransform()
{
    if (m_transform)
        Lcms()->deleteTransform(static_cast<cmsHTRANSFORM>(m_transform));
}

void CIccTransform::Apply(const std::uint8_t* in, std::uint8_t* bgr, std::size_t count) const
{
    // In chunks, so that the count always fits littleCMS's 32-bit argument.
    constexpr std::size_t kChunk = 1u << 20;
    const std::size_t inBytes = m_input == Input::Bgr ? 3 : m_input == Input::Grey ? 1 : 4;
    for (std::size_t done = 0; done < count; done += kChunk) {
        const std::size_t n = count - done < kChunk ? count - done : kChunk;
        Lcms()->doTransform(static_cast<cmsHTRANSFORM>(m_transform), in + done * inBytes, bgr + done * 3,
                            static_cast<cmsUInt32Number>(n));
    }
}

void CIccTransform::ApplyToPicture(CRaster& picture) const
{
    if (!picture.IsValid())
        return;
    if (picture.GetBpp() == 24 && m_input == Input::Bgr) {
        for (int row = 0; row < picture.GetHeight(); ++row)
            Apply(picture.GetBits(row), picture.GetBits(row), static_cast<std::size_t>(picture.GetWidth()));
        return;
    }
    if (picture.GetBpp() > 8 || (m_input != Input::Bgr && m_input != Input::Grey))
        return;
    const int n = picture.GetNumColors();
    std::vector<std::uint8_t> in(static_cast<std::size_t>(n) * 3), out(static_cast<std::size_t>(n) * 3);
    for (int i = 0; i < n; ++i) {
        const RGBQUAD q = picture.GetPaletteColor(i);
        if (m_input == Input::Grey) {
            in[i] = q.rgbRed;
        } else {
            in[3 * i] = q.rgbBlue, in[3 * i + 1] = q.rgbGreen, in[3 * i + 2] = q.rgbRed;
        }
    }
    Apply(in.data(), out.data(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        picture.SetPaletteColor(i, out[3 * i + 2], out[3 * i + 1], out[3 * i]);
}

std::vector<std::uint8_t> JoinJpegIccSegments(const std::vector<std::vector<std::uint8_t>>& segments)
{
    static const char kName[] = "ICC_PROFILE";  // with its NUL: 12 bytes
    std::vector<const std::vector<std::uint8_t>*> parts;
    int count = 0;
    for (const auto& s : segments) {
        if (s.size() < 14 || std::memcmp(s.data(), kName, sizeof kName) != 0)
            continue;
        const int number = s[12], total = s[13];
        if (total == 0 || number == 0 || number > total || (count != 0 && total != count))
            return {};
        count = total;
        if (parts.size() < static_cast<std::size_t>(total))
            parts.resize(static_cast<std::size_t>(total), nullptr);
        if (parts[number - 1] != nullptr)
            return {};  // the same part twice
        parts[number - 1] = &s;
    }
    std::vector<std::uint8_t> profile;
    for (const auto* p : parts) {
        if (p == nullptr)
            return {};
        profile.insert(profile.end(), p->begin() + 14, p->end());
    }
    return profile;
}

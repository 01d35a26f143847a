#include "cli/output/AnimatedWebp.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include <webp/encode.h>
#include <webp/mux.h>

#include "image/LibrarySymbols.h"
#include "image/Raster.h"

namespace {

// The WebP libraries are opened with the first animation, not linked: only
// turntables write one, and loading them cost every run of the program some
// 0.3 ms of CPU time. (The headers' inline starters, such as WebPConfigInit
// and WebPAnimEncoderNew, call the ...Internal functions with the version
// the headers give; so do the calls here.)
struct SWebp {
    decltype(&WebPAnimEncoderOptionsInitInternal) animOptionsInit = nullptr;
    decltype(&WebPAnimEncoderNewInternal) animNew = nullptr;
    decltype(&WebPAnimEncoderAdd) animAdd = nullptr;
    decltype(&WebPAnimEncoderAssemble) animAssemble = nullptr;
    decltype(&WebPAnimEncoderGetError) animError = nullptr;
    decltype(&WebPAnimEncoderDelete) animDelete = nullptr;
    decltype(&WebPConfigInitInternal) configInit = nullptr;
    decltype(&WebPPictureInitInternal) pictureInit = nullptr;
    decltype(&WebPPictureImportRGB) pictureImportRgb = nullptr;
    decltype(&WebPPictureFree) pictureFree = nullptr;
    decltype(&WebPFree) free = nullptr;
    bool loaded = false;

    SWebp()
    {
        void* webp = OpenLibrary(VT_WEBP_LIBRARY);
        void* mux = OpenLibrary(VT_WEBPMUX_LIBRARY);
        loaded = FindSymbol(mux, "WebPAnimEncoderOptionsInitInternal", animOptionsInit) &&
                 FindSymbol(mux, "WebPAnimEncoderNewInternal", animNew) &&
                 FindSymbol(mux, "WebPAnimEncoderAdd", animAdd) &&
                 FindSymbol(mux, "WebPAnimEncoderAssemble", animAssemble) &&
                 FindSymbol(mux, "WebPAnimEncoderGetError", animError) &&
                 FindSymbol(mux, "WebPAnimEncoderDelete", animDelete) &&
                 FindSymbol(webp, "WebPConfigInitInternal", configInit) &&
                 FindSymbol(webp, "WebPPictureInitInternal", pictureInit) &&
                 FindSymbol(webp, "WebPPictureImportRGB", pictureImportRgb) &&
                 FindSymbol(webp, "WebPPictureFree", pictureFree) && FindSymbol(webp, "WebPFree", free);
    }
};

// The libraries, opened on the first call; null when they cannot be.
const SWebp* OpenWebp()
{
    return OpenedOnce<SWebp>();
}

// Their functions, once the encoder has been made.
const SWebp& Webp()
{
    return *OpenWebp();
}

}  // namespace

CAnimatedWebp::CAnimatedWebp(int width, int height, int quality) : m_width(width), m_height(height), m_quality(quality)
{
    if (OpenWebp() == nullptr) {
        m_error = std::string("animated WebP files cannot be written: ") + VT_WEBPMUX_LIBRARY + " or " +
                  VT_WEBP_LIBRARY + " is missing";
        return;
    }
    WebPAnimEncoderOptions options;
    if (!Webp().animOptionsInit(&options, WEBP_MUX_ABI_VERSION)) {
        m_error = "the WebP library does not match the one the program was built with";
        return;
    }
    options.anim_params.loop_count = 0;  // for ever
    options.anim_params.bgcolor = 0xFFFFFFFF;
    m_encoder = Webp().animNew(width, height, &options, WEBP_MUX_ABI_VERSION);
    if (m_encoder == nullptr) m_error = "the animation could not be started (not enough memory?)";
}

CAnimatedWebp::~CAnimatedWebp()
{
    if (m_encoder != nullptr) Webp().animDelete(m_encoder);
}

bool CAnimatedWebp::AddFrame(const CRaster& frame, int durationMs)
{
    if (m_encoder == nullptr) return false;
    if (frame.GetWidth() != m_width || frame.GetHeight() != m_height || frame.GetBpp() != 24) {
        m_error = "a frame differs in size from the first one";
        return false;
    }
    WebPConfig config;
    if (!Webp().configInit(&config, WEBP_PRESET_DEFAULT, 75.f, WEBP_ENCODER_ABI_VERSION)) {
        m_error = "the WebP library does not match the one the program was built with";
        return false;
    }
    config.lossless = m_quality >= 100 ? 1 : 0;
    config.quality = static_cast<float>(m_quality >= 100 ? 75 : m_quality);
    WebPPicture picture;
    if (!Webp().pictureInit(&picture, WEBP_ENCODER_ABI_VERSION)) return false;
    picture.use_argb = 1;
    picture.width = m_width;
    picture.height = m_height;
    // Raster rows run bottom-up with blue, green, red bytes; WebP wants
    // top-down rows of red, green, blue.
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(m_width) * 3 * static_cast<std::size_t>(m_height));
    for (int y = 0; y < m_height; ++y) {
        const std::uint8_t* src = frame.GetBits(m_height - 1 - y);
        std::uint8_t* dst = rgb.data() + static_cast<std::size_t>(y) * m_width * 3;
        for (int x = 0; x < m_width; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    bool ok = Webp().pictureImportRgb(&picture, rgb.data(), m_width * 3) != 0;
    ok = ok && Webp().animAdd(m_encoder, &picture, m_timestamp, &config) != 0;
    if (!ok) m_error = Webp().animError(m_encoder) ? Webp().animError(m_encoder) : "a frame could not be encoded";
    Webp().pictureFree(&picture);
    m_timestamp += durationMs;
    return ok;
}

bool CAnimatedWebp::Write(const std::string& path)
{
    if (m_encoder == nullptr) return false;
    WebPData data;
    std::memset(&data, 0, sizeof data);
    // The closing call with no picture ends the last frame at this time.
    if (!Webp().animAdd(m_encoder, nullptr, m_timestamp, nullptr) || !Webp().animAssemble(m_encoder, &data)) {
        m_error = Webp().animError(m_encoder) ? Webp().animError(m_encoder) : "the animation could not be made";
        Webp().free(const_cast<std::uint8_t*>(data.bytes));
        return false;
    }
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file != nullptr && std::fwrite(data.bytes, 1, data.size, file) == data.size;
    if (file != nullptr) ok = std::fclose(file) == 0 && ok;
    Webp().free(const_cast<std::uint8_t*>(data.bytes));
    if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::remove(temporary.c_str());
        m_error = "the file can not be written";
    }
    return ok;
}

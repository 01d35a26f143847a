#include "cli/output/AnimatedWebp.h"

#include <cstdio>
#include <vector>

#include <webp/encode.h>
#include <webp/mux.h>

#include "image/Raster.h"

CAnimatedWebp::CAnimatedWebp(int width, int height, int quality) : m_width(width), m_height(height), m_quality(quality)
{
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options)) {
        m_error = "the WebP library does not match the one the program was built with";
        return;
    }
    options.anim_params.loop_count = 0;  // for ever
    options.anim_params.bgcolor = 0xFFFFFFFF;
    m_encoder = WebPAnimEncoderNew(width, height, &options);
    if (m_encoder == nullptr) m_error = "the animation could not be started (not enough memory?)";
}

CAnimatedWebp::~CAnimatedWebp()
{
    if (m_encoder != nullptr) WebPAnimEncoderDelete(m_encoder);
}

bool CAnimatedWebp::AddFrame(const CRaster& frame, int durationMs)
{
    if (m_encoder == nullptr) return false;
    if (frame.GetWidth() != m_width || frame.GetHeight() != m_height || frame.GetBpp() != 24) {
        m_error = "a frame differs in size from the first one";
        return false;
    }
    WebPConfig config;
    if (!WebPConfigInit(&config)) {
        m_error = "the WebP library does not match the one the program was built with";
        return false;
    }
    config.lossless = m_quality >= 100 ? 1 : 0;
    config.quality = static_cast<float>(m_quality >= 100 ? 75 : m_quality);
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return false;
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
    bool ok = WebPPictureImportRGB(&picture, rgb.data(), m_width * 3) != 0;
    ok = ok && WebPAnimEncoderAdd(m_encoder, &picture, m_timestamp, &config) != 0;
    if (!ok) m_error = WebPAnimEncoderGetError(m_encoder) ? WebPAnimEncoderGetError(m_encoder) : "a frame could not be encoded";
    WebPPictureFree(&picture);
    m_timestamp += durationMs;
    return ok;
}

bool CAnimatedWebp::Write(const std::string& path)
{
    if (m_encoder == nullptr) return false;
    WebPData data;
    WebPDataInit(&data);
    // The closing call with no picture ends the last frame at this time.
    if (!WebPAnimEncoderAdd(m_encoder, nullptr, m_timestamp, nullptr) || !WebPAnimEncoderAssemble(m_encoder, &data)) {
        m_error = WebPAnimEncoderGetError(m_encoder) ? WebPAnimEncoderGetError(m_encoder) : "the animation could not be made";
        return false;
    }
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file != nullptr && std::fwrite(data.bytes, 1, data.size, file) == data.size;
    if (file != nullptr) ok = std::fclose(file) == 0 && ok;
    WebPDataClear(&data);
    if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::remove(temporary.c_str());
        m_error = "the file can not be written";
    }
    return ok;
}

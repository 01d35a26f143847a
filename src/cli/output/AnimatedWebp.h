#pragma once
// An animated WebP file built frame by frame from renderings (lossy frames
// at a chosen quality, or lossless), looping for ever.

#include <memory>
#include <string>

class CRaster;
struct WebPAnimEncoder;

class CAnimatedWebp {
public:
    // Frames of width x height pixels; quality 0..100, 100 meaning lossless.
    CAnimatedWebp(int width, int height, int quality);
    ~CAnimatedWebp();
    CAnimatedWebp(const CAnimatedWebp&) = delete;
    CAnimatedWebp& operator=(const CAnimatedWebp&) = delete;

    // Adds a 24-bit frame of the animation's size shown for `durationMs`
    // milliseconds; false with GetError() set when it cannot be added.
    bool AddFrame(const CRaster& frame, int durationMs);
    // Writes the file (through a temporary name, so a failure leaves no
    // half-written file); false with GetError() set.
    bool Write(const std::string& path);
    const std::string& GetError() const { return m_error; }

private:
    WebPAnimEncoder* m_encoder = nullptr;
    int m_width, m_height, m_quality;
    int m_timestamp = 0;  // milliseconds at the start of the next frame
    std::string m_error;
};

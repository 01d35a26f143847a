#include "layout/objects/RecordStream.h"

#include "image/Raster.h"

#include <cassert>
#include <charconv>
#include <cstring>
#include <limits>

// ---------------------------------------------------------------------------
// Shared image handles (both back ends)

void CRecordStream::WriteImageHandle(const std::shared_ptr<const CRaster>& image)
{
    if (!image) {
        WriteU32(0);
        return;
    }
    // The same image written twice gets the same handle.
    for (std::size_t i = 0; i < m_sharedImages.size(); ++i) {
        if (m_sharedImages[i] == image) {
            WriteU32(static_cast<std::uint32_t>(i + 1));
            return;
        }
    }
    m_sharedImages.push_back(image);
    WriteU32(static_cast<std::uint32_t>(m_sharedImages.size()));
}

std::shared_ptr<const CRaster> CRecordStream::ReadImageHandle()
{
    const std::uint32_t handle = ReadU32();
    if (m_failed || handle == 0)
        return nullptr;
    if (handle > m_sharedImages.size()) {
        // A handle this stream never issued: refuse rather than guess.
        m_failed = true;
        return nullptr;
    }
    return m_sharedImages[handle - 1];
}

// ---------------------------------------------------------------------------
// Binary back end

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 24));
}

std::uint32_t GetU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

void CBinaryRecordStream::WriteU32(std::uint32_t value)
{
    PutU32(m_data, value);
}

void CBinaryRecordStream::WriteString(const std::string& text)
{
    PutU32(m_data, static_cast<std::uint32_t>(text.size()));
    m_data.insert(m_data.end(), text.begin(), text.end());
}

void CBinaryRecordStream::WriteImage(const CRaster* image)
{
    if (!image || !image->IsValid() || image->GetWidth() <= 0 || image->GetHeight() <= 0) {
        PutU32(m_data, 0);
        PutU32(m_data, 0);
        return;
    }
    const int w = image->GetWidth();
    const int h = image->GetHeight();
    PutU32(m_data, static_cast<std::uint32_t>(w));
    PutU32(m_data, static_cast<std::uint32_t>(h));
    m_data.reserve(m_data.size() + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    // The top byte, 0 in a colour reference, carries 255 minus the alpha of a
    // picture that has an alpha plane; a reader that masks it off sees the
    // opaque picture.
    const std::uint8_t* alpha = image->AlphaGetPointer();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF pixel = RGBQUADtoRGB(image->GetPixelColor(x, y)) & 0xFFFFFFu;
            if (alpha)
                pixel |= static_cast<COLORREF>(255 - alpha[static_cast<std::size_t>(y) * w + x]) << 24;
            PutU32(m_data, pixel);
        }
}

bool CBinaryRecordStream::Take(std::size_t bytes)
{
    if (m_failed || bytes > m_data.size() - m_readPos) {
        m_failed = true;
        return false;
    }
    return true;
}

std::uint32_t CBinaryRecordStream::ReadU32()
{
    if (!Take(4))
        return 0;
    const std::uint32_t v = GetU32(m_data.data() + m_readPos);
    m_readPos += 4;
    return v;
}

bool CBinaryRecordStream::PeekU32(std::uint32_t& value) const
{
    if (m_failed || m_data.size() - m_readPos < 4)
        return false;
    value = GetU32(m_data.data() + m_readPos);
    return true;
}

std::uint8_t CBinaryRecordStream::ReadByte()
{
    if (!Take(1))
        return 0;
    return m_data[m_readPos++];
}

std::string CBinaryRecordStream::ReadString()
{
    const std::uint32_t length = ReadU32();
    if (!Take(length))
        return {};
    std::string s(reinterpret_cast<const char*>(m_data.data() + m_readPos), length);
    m_readPos += length;
    return s;
}

std::shared_ptr<CRaster> CBinaryRecordStream::ReadImage()
{
    const std::uint32_t w = ReadU32();
    const std::uint32_t h = ReadU32();
    if (m_failed)
        return nullptr;
    if (w == 0 || h == 0) {
        // An empty item: legal only when both are 0.
        if (w != h)
            m_failed = true;
        return nullptr;
    }
    if (!HasRoomFor(static_cast<std::uint64_t>(w) * h, 4) ||
        w > static_cast<std::uint32_t>(std::numeric_limits<int>::max()) ||
        h > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
        m_failed = true;
        return nullptr;
    }
    auto image = std::make_shared<CRaster>();
    if (!image->Create(static_cast<int>(w), static_cast<int>(h), 24)) {
        m_failed = true;
        return nullptr;
    }
    const std::uint8_t* p = m_data.data() + m_readPos;
    bool clear = false;  // some pixel is not opaque: the picture gets an alpha plane
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x, p += 4) {
            const std::uint32_t pixel = GetU32(p);
            image->SetPixelColor(static_cast<int>(x), static_cast<int>(y), pixel & 0xFFFFFFu);
            clear = clear || (pixel >> 24) != 0;
        }
    }
    if (clear && image->AlphaCreate()) {
        std::uint8_t* alpha = image->AlphaGetPointer();
        p = m_data.data() + m_readPos;
        for (std::size_t i = 0; i < static_cast<std::size_t>(w) * h; ++i, p += 4)
            alpha[i] = static_cast<std::uint8_t>(255 - (GetU32(p) >> 24));
    }
    m_readPos += static_cast<std::size_t>(w) * h * 4;
    return image;
}

bool CBinaryRecordStream::HasRoomFor(std::uint64_t count, std::uint32_t itemBytes) const
{
    if (m_failed)
        return false;
    const std::uint64_t remaining = m_data.size() - m_readPos;
    if (itemBytes == 0)
        return true;
    return count <= remaining / itemBytes;
}

bool CBinaryRecordStream::Flatten(std::vector<std::uint8_t>& block) const
{
    const std::uint64_t total = static_cast<std::uint64_t>(m_data.size()) + 4 - m_headerSize;
    if (total > std::numeric_limits<std::uint32_t>::max())
        return false;
    block.clear();
    block.reserve(static_cast<std::size_t>(total));
    PutU32(block, static_cast<std::uint32_t>(total));
    block.insert(block.end(), m_data.begin() + static_cast<std::ptrdiff_t>(m_headerSize), m_data.end());
    return true;
}

bool CBinaryRecordStream::Attach(const std::uint8_t* block, std::size_t size)
{
    m_data.clear();
    m_readPos = 0;
    m_headerSize = 0;
    m_failed = false;
    if (!block || size < 4 || GetU32(block) != size) {
        m_failed = true;
        return false;
    }
    m_data.assign(block, block + size);
    m_headerSize = 4;
    m_readPos = 4;
    return true;
}

// ---------------------------------------------------------------------------
// Text back end
//
// Strings are written with backslash and line feed escaped ("\\" and "\n"),
// so a string holding a line break (possible in a record read from a file)
// survives a copy instead of shifting every later item by one line.

void CTextRecordStream::WriteU32(std::uint32_t value)
{
    char buf[16];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    assert(ec == std::errc());
    (void)ec;
    m_text.append(buf, end);
    m_text.push_back('\n');
}

void CTextRecordStream::WriteString(const std::string& text)
{
    for (char c : text) {
        if (c == '\\') {
            m_text += "\\\\";
        } else if (c == '\n') {
            m_text += "\\n";
        } else {
            m_text.push_back(c);
        }
    }
    m_text.push_back('\n');
}

bool CTextRecordStream::NextLine(std::string& line)
{
    if (m_failed || m_readPos >= m_text.size()) {
        m_failed = true;
        return false;
    }
    const std::size_t lf = m_text.find('\n', m_readPos);
    if (lf == std::string::npos) {
        m_failed = true;  // every item ends with a line feed
        return false;
    }
    line.assign(m_text, m_readPos, lf - m_readPos);
    m_readPos = lf + 1;
    return true;
}

std::uint32_t CTextRecordStream::ReadU32()
{
    std::string line;
    if (!NextLine(line))
        return 0;
    std::uint32_t v = 0;
    auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), v);
    if (ec != std::errc() || ptr != line.data() + line.size() || line.empty()) {
        m_failed = true;
        return 0;
    }
    return v;
}

bool CTextRecordStream::PeekU32(std::uint32_t& value) const
{
    if (m_failed || m_readPos >= m_text.size())
        return false;
    const std::size_t lf = m_text.find('\n', m_readPos);
    if (lf == std::string::npos || lf == m_readPos)
        return false;
    const char* first = m_text.data() + m_readPos;
    const char* last = m_text.data() + lf;
    std::uint32_t v = 0;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last)
        return false;
    value = v;
    return true;
}

std::uint8_t CTextRecordStream::ReadByte()
{
    const std::uint32_t v = ReadU32();
    if (v > 0xFF) {
        m_failed = true;
        return 0;
    }
    return static_cast<std::uint8_t>(v);
}

std::string CTextRecordStream::ReadString()
{
    std::string line;
    if (!NextLine(line))
        return {};
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[++i];
            out.push_back(next == 'n' ? '\n' : next);
        } else {
            out.push_back(line[i]);
        }
    }
    return out;
}

bool CTextRecordStream::HasRoomFor(std::uint64_t count, std::uint32_t itemBytes) const
{
    if (m_failed)
        return false;
    // Every u32 takes at least two characters (a digit and the line feed).
    const std::uint64_t words = itemBytes < 4 ? 1 : itemBytes / 4;
    const std::uint64_t remaining = m_text.size() - m_readPos;
    return count <= remaining / (2 * words);
}

#include "ground/Archive.h"

#include <cstring>

void CArchiveWriter::WriteU32(std::uint32_t v)
{
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    m_bytes.insert(m_bytes.end(), b, b + 4);
}

void CArchiveWriter::WriteF64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteU32(static_cast<std::uint32_t>(bits));
    WriteU32(static_cast<std::uint32_t>(bits >> 32));
}

void CArchiveWriter::WriteString(std::string_view s)
{
    const std::size_t n = s.size();
    if (n < 255) {
        WriteU8(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteU8(0xFF);
        WriteU8(static_cast<std::uint8_t>(n));
        WriteU8(static_cast<std::uint8_t>(n >> 8));
    } else {
        WriteU8(0xFF);
        WriteU8(0xFF);
        WriteU8(0xFF);
        WriteU32(static_cast<std::uint32_t>(n));
    }
    WriteBytes(reinterpret_cast<const std::uint8_t*>(s.data()), n);
}

void CArchiveWriter::WriteBytes(const std::uint8_t* data, std::size_t size)
{
    if (size)
        m_bytes.insert(m_bytes.end(), data, data + size);
}

bool CArchiveReader::ReadU8(std::uint8_t& v) noexcept
{
    v = 0;
    if (m_truncated || Remaining() < 1)
        return Fail();
    v = m_data[m_pos++];
    return true;
}

bool CArchiveReader::ReadU32(std::uint32_t& v) noexcept
{
    v = 0;
    if (m_truncated || Remaining() < 4)
        return Fail();
    const std::uint8_t* p = m_data + m_pos;
    v = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    m_pos += 4;
    return true;
}

bool CArchiveReader::ReadI32(std::int32_t& v) noexcept
{
    std::uint32_t u;
    const bool ok = ReadU32(u);
    v = static_cast<std::int32_t>(u);
    return ok;
}

bool CArchiveReader::ReadF64(double& v) noexcept
{
    v = 0.0;
    std::uint32_t lo, hi;
    if (!ReadU32(lo) || !ReadU32(hi))
        return false;
    const std::uint64_t bits = static_cast<std::uint64_t>(hi) << 32 | lo;
    std::memcpy(&v, &bits, sizeof v);
    return true;
}

bool CArchiveReader::ReadString(std::string& s)
{
    s.clear();
    std::uint8_t b;
    if (!ReadU8(b))
        return false;
    std::size_t n = b;
    if (b == 0xFF) {
        std::uint8_t lo, hi;
        if (!ReadU8(lo) || !ReadU8(hi))
            return false;
        n = static_cast<std::size_t>(lo) | static_cast<std::size_t>(hi) << 8;
        if (n == 0xFFFE)
            return Fail();
        if (n == 0xFFFF) {
            std::uint32_t n32;
            if (!ReadU32(n32))
                return false;
            n = n32;
        }
    }
    const std::uint8_t* bytes;
    if (!ReadBytes(n, bytes))
        return false;
    s.assign(reinterpret_cast<const char*>(bytes), n);
    return true;
}

bool CArchiveReader::ReadBytes(std::size_t size, const std::uint8_t*& bytes) noexcept
{
    bytes = nullptr;
    if (m_truncated || Remaining() < size)
        return Fail();
    bytes = m_data + m_pos;
    m_pos += size;
    return true;
}

bool CArchiveReader::ExpectMarker(std::uint32_t marker) noexcept
{
    std::uint32_t v;
    return ReadU32(v) && v == marker;
}

bool CArchiveReader::Skip(std::size_t size) noexcept
{
    if (m_truncated || Remaining() < size)
        return Fail();
    m_pos += size;
    return true;
}

bool CArchiveReader::Seek(std::size_t pos) noexcept
{
    if (pos > m_size)
        return false;
    m_truncated = false;
    m_pos = pos;
    return true;
}

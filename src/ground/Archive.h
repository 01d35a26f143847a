#pragma once
// Little-endian byte archives of the project and undo files.
//
// Strings carry the archive's length prefix: one byte below 255; else 0xFF and
// a u16 length below 0xFFFE; else 0xFF, the u16 0xFFFF and a u32 length. The
// bytes follow without a terminator.
//
// The reader never reads past its data: a read that does not fit sets the
// truncated flag, yields 0 / empty and every later read fails as well.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CArchiveWriter {
public:
    void WriteU8(std::uint8_t v) { m_bytes.push_back(v); }
    void WriteU32(std::uint32_t v);
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
    void WriteF64(double v);
    void WriteString(std::string_view s);
    void WriteBytes(const std::uint8_t* data, std::size_t size);

    std::vector<std::uint8_t>& Bytes() noexcept { return m_bytes; }
    const std::vector<std::uint8_t>& Bytes() const noexcept { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

class CArchiveReader {
public:
    CArchiveReader(const std::uint8_t* data, std::size_t size) noexcept : m_data(data), m_size(size) {}

    bool ReadU8(std::uint8_t& v) noexcept;
    bool ReadU32(std::uint32_t& v) noexcept;
    bool ReadI32(std::int32_t& v) noexcept;
    bool ReadF64(double& v) noexcept;
    // Fails (truncated) when the length does not fit in what remains, and on
    // the u16 length 0xFFFE, which this archive never writes.
    bool ReadString(std::string& s);
    // A view of the next `size` bytes, which are consumed.
    bool ReadBytes(std::size_t size, const std::uint8_t*& bytes) noexcept;
    // Reads a u32 and compares it with `marker`. A marker that differs has
    // still been consumed.
    bool ExpectMarker(std::uint32_t marker) noexcept;

    std::size_t Remaining() const noexcept { return m_size - m_pos; }
    std::size_t Position() const noexcept { return m_pos; }
    const std::uint8_t* Current() const noexcept { return m_data + m_pos; }
    bool Skip(std::size_t size) noexcept;
    // Moves to `pos` (at most the size), clearing the truncated flag.
    bool Seek(std::size_t pos) noexcept;
    const std::uint8_t* Data() const noexcept { return m_data; }
    std::size_t Size() const noexcept { return m_size; }
    // True once a read ran into the end of the data (or a bad string prefix).
    bool Truncated() const noexcept { return m_truncated; }

private:
    bool Fail() noexcept
    {
        m_truncated = true;
        m_pos = m_size;
        return false;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_truncated = false;
};

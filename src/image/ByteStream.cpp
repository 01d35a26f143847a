#include "image/ByteStream.h"

#include "image/SafeFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

// Moves a position within a block of `size` bytes as fseek does (SEEK_SET,
// SEEK_CUR, SEEK_END); false, with the position unchanged, for an unknown
// origin or a target before the start or beyond what 64 bits can count.
// A position past the end is allowed: reads there find nothing, and the
// memory stream fills the gap with zeros on its next write.
bool SeekPosition(std::int64_t offset, int origin, std::size_t size, std::size_t& position) noexcept
{
    std::int64_t base = 0;
    switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<std::int64_t>(position); break;
    case SEEK_END: base = static_cast<std::int64_t>(size); break;
    default: return false;
    }
    if ((offset < 0 && base < -offset) ||
        (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset)) {
        return false;
    }
    position = static_cast<std::size_t>(base + offset);
    return true;
}

} // namespace

std::int64_t CByteStream::Remaining() const
{
    const std::int64_t size = Size();
    const std::int64_t pos = Tell();
    if (size < 0 || pos < 0 || pos >= size) {
        return 0;
    }
    return size - pos;
}

// ---- CFileStream --------------------------------------------------------------

CFileStream::~CFileStream()
{
    Close();
}

bool CFileStream::Open(const char* name, const char* mode)
{
    Close();
    if (name == nullptr || mode == nullptr || *name == '\0') {
        return false;
    }
    if (mode[0] == 'r' && std::strchr(mode, '+') == nullptr) {
        std::string error;
        return OpenForReading(name, error);
    }
    m_file = std::fopen(name, mode);
    m_owned = m_file != nullptr;
    return m_file != nullptr;
}

bool CFileStream::OpenForReading(const std::string& name, std::string& error, bool* notAFile)
{
    Close();
    if (notAFile != nullptr) {
        *notAFile = false;
    }
    if (name.empty()) {
        error = "No file name was given.";
        return false;
    }
    m_file = OpenStreamForReading(name, error, notAFile);
    m_owned = m_file != nullptr;
    return m_file != nullptr;
}

bool CFileStream::Close()
{
    bool ok = true;
    if (m_file != nullptr && m_owned) {
        ok = std::fclose(m_file) == 0;
    }
    m_file = nullptr;
    m_owned = false;
    return ok;
}

std::size_t CFileStream::Read(void* buffer, std::size_t size, std::size_t count)
{
    if (m_file == nullptr || buffer == nullptr || size == 0) {
        return 0;
    }
    return std::fread(buffer, size, count, m_file);
}

std::size_t CFileStream::Write(const void* buffer, std::size_t size, std::size_t count)
{
    if (m_file == nullptr || buffer == nullptr || size == 0) {
        return 0;
    }
    return std::fwrite(buffer, size, count, m_file);
}

bool CFileStream::Seek(std::int64_t offset, int origin)
{
    if (m_file == nullptr) {
        return false;
    }
    return fseeko(m_file, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t CFileStream::Tell() const
{
    if (m_file == nullptr) {
        return -1;
    }
    return static_cast<std::int64_t>(ftello(m_file));
}

std::int64_t CFileStream::Size() const
{
    if (m_file == nullptr) {
        return -1;
    }
    const off_t pos = ftello(m_file);
    if (pos < 0 || fseeko(m_file, 0, SEEK_END) != 0) {
        return -1;
    }
    const off_t end = ftello(m_file);
    fseeko(m_file, pos, SEEK_SET);
    return static_cast<std::int64_t>(end);
}

bool CFileStream::Flush()
{
    return m_file != nullptr && std::fflush(m_file) == 0;
}

bool CFileStream::Eof() const
{
    return m_file == nullptr || std::feof(m_file) != 0;
}

bool CFileStream::Error() const
{
    return m_file == nullptr || std::ferror(m_file) != 0;
}

bool CFileStream::PutC(std::uint8_t byte)
{
    return m_file != nullptr && std::fputc(byte, m_file) != EOF;
}

int CFileStream::GetC()
{
    if (m_file == nullptr) {
        return -1;
    }
    const int c = std::fgetc(m_file);
    return c == EOF ? -1 : c;
}

// ---- CMemoryStream ------------------------------------------------------------

CMemoryStream::CMemoryStream(const void* data, std::size_t size)
{
    if (data != nullptr && size > 0 && Reserve(size)) {
        std::memcpy(m_buffer.data(), data, size);
        m_size = size;
    }
}

CMemoryStream::CMemoryStream(std::vector<std::uint8_t> data) noexcept
    : m_buffer(std::move(data)), m_size(m_buffer.size())
{
}

bool CMemoryStream::Close()
{
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_size = 0;
    m_position = 0;
    m_error = false;
    return true;
}

// Grows the allocation to the next multiple of 4096 above `needed`.
bool CMemoryStream::Reserve(std::size_t needed)
{
    if (needed <= m_buffer.size()) {
        return true;
    }
    constexpr std::size_t kBlock = 4096;
    if (needed > std::numeric_limits<std::size_t>::max() - kBlock) {
        m_error = true;
        return false;
    }
    const std::size_t grown = (needed / kBlock + 1) * kBlock;
    try {
        m_buffer.resize(grown);
    } catch (const std::bad_alloc&) {
        m_error = true;
        return false;
    } catch (const std::length_error&) {
        m_error = true;
        return false;
    }
    return true;
}

std::size_t CMemoryStream::Read(void* buffer, std::size_t size, std::size_t count)
{
    if (buffer == nullptr || size == 0 || count == 0 || m_position >= m_size) {
        return 0;
    }
    const std::size_t available = m_size - m_position;
    std::size_t items = std::min(count, available / size);
    const std::size_t bytes = items * size;
    if (bytes > 0) {
        std::memcpy(buffer, m_buffer.data() + m_position, bytes);
    }
    m_position += bytes;
    // A trailing partial item is consumed like fread does, so the stream ends.
    if (items < count && m_position < m_size) {
        const std::size_t rest = m_size - m_position;
        std::memcpy(static_cast<std::uint8_t*>(buffer) + bytes, m_buffer.data() + m_position, rest);
        m_position = m_size;
    }
    return items;
}

std::size_t CMemoryStream::Write(const void* buffer, std::size_t size, std::size_t count)
{
    if (buffer == nullptr || size == 0 || count == 0) {
        return 0;
    }
    if (count > std::numeric_limits<std::size_t>::max() / size) {
        m_error = true;
        return 0;
    }
    const std::size_t bytes = size * count;
    if (m_position > std::numeric_limits<std::size_t>::max() - bytes) {
        m_error = true;
        return 0;
    }
    const std::size_t end = m_position + bytes;
    if (!Reserve(end)) {
        return 0;
    }
    if (m_position > m_size) {
        std::memset(m_buffer.data() + m_size, 0, m_position - m_size);
    }
    std::memcpy(m_buffer.data() + m_position, buffer, bytes);
    m_position = end;
    m_size = std::max(m_size, end);
    return count;
}

bool CMemoryStream::Seek(std::int64_t offset, int origin)
{
    return SeekPosition(offset, origin, m_size, m_position);
}

bool CMemoryStream::PutC(std::uint8_t byte)
{
    return Write(&byte, 1, 1) == 1;
}

int CMemoryStream::GetC()
{
    if (m_position >= m_size) {
        return -1;
    }
    return m_buffer[m_position++];
}

std::vector<std::uint8_t> CMemoryStream::Release()
{
    std::vector<std::uint8_t> out = std::move(m_buffer);
    out.resize(m_size);
    m_buffer.clear();
    m_size = 0;
    m_position = 0;
    return out;
}

// ---- CMemoryReader ------------------------------------------------------------

std::size_t CMemoryReader::Read(void* buffer, std::size_t size, std::size_t count)
{
    if (buffer == nullptr || size == 0 || count == 0 || m_position >= m_size) {
        return 0;
    }
    const std::size_t available = m_size - m_position;
    const std::size_t items = std::min(count, available / size);
    const std::size_t bytes = items < count ? available : items * size; // a partial item is consumed
    std::memcpy(buffer, m_data + m_position, bytes);
    m_position += bytes;
    return items;
}

bool CMemoryReader::Seek(std::int64_t offset, int origin)
{
    return SeekPosition(offset, origin, m_size, m_position);
}

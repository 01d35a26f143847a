#pragma once
// Byte streams read and written by the picture codecs and the project file.
//
// CByteStream follows the C standard-library stream model: Read and Write count
// items of a given size, Seek takes SEEK_SET / SEEK_CUR / SEEK_END from <cstdio>.
// Offsets and sizes are in bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class CByteStream {
public:
    virtual ~CByteStream() = default;

    virtual bool Close() = 0;
    // Reads up to `count` items of `size` bytes; returns the number of whole items read.
    virtual std::size_t Read(void* buffer, std::size_t size, std::size_t count) = 0;
    // Writes `count` items of `size` bytes; returns the number of whole items written.
    virtual std::size_t Write(const void* buffer, std::size_t size, std::size_t count) = 0;
    // origin: SEEK_SET, SEEK_CUR or SEEK_END. False when the position would be invalid.
    virtual bool Seek(std::int64_t offset, int origin) = 0;
    virtual std::int64_t Tell() const = 0;
    // Total size of the stream in bytes (-1 when unknown).
    virtual std::int64_t Size() const = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() const = 0;
    virtual bool Error() const = 0;
    virtual bool PutC(std::uint8_t byte) = 0;
    // Next byte, or -1 at the end.
    virtual int GetC() = 0;

    // Bytes between the current position and the end (0 when unknown or past the end).
    std::int64_t Remaining() const;
};

// A C standard-library file. Closes the file on destruction only when it opened it.
class CFileStream final : public CByteStream {
public:
    CFileStream() = default;
    explicit CFileStream(std::FILE* file) noexcept : m_file(file) {}
    ~CFileStream() override;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    // Opens `name` with an fopen mode ("rb", "wb", ...). Closes a file opened
    // before. Reading refuses anything but a regular file without blocking.
    bool Open(const char* name, const char* mode);
    // Opens `name` for reading; false with `error` set ("<name> is not a
    // file." or the system's reason; `notAFile` tells which).
    bool OpenForReading(const std::string& name, std::string& error, bool* notAFile = nullptr);
    bool IsOpen() const noexcept { return m_file != nullptr; }
    std::FILE* GetFile() const noexcept { return m_file; }

    bool Close() override;
    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t size, std::size_t count) override;
    bool Seek(std::int64_t offset, int origin) override;
    std::int64_t Tell() const override;
    std::int64_t Size() const override;
    bool Flush() override;
    bool Eof() const override;
    bool Error() const override;
    bool PutC(std::uint8_t byte) override;
    int GetC() override;

private:
    std::FILE* m_file = nullptr;
    bool m_owned = false;
};

// A growable memory buffer. Writes past the end grow the buffer to the next
// multiple of 4096 bytes above the needed size; reads past the end stop at the
// end; a seek to a negative position fails. The position may be set past the
// end, a later write fills the gap with zeros.
class CMemoryStream final : public CByteStream {
public:
    CMemoryStream() = default;
    // A stream over a copy of `size` bytes, positioned at the start.
    CMemoryStream(const void* data, std::size_t size);
    explicit CMemoryStream(std::vector<std::uint8_t> data) noexcept;

    bool Close() override;
    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t size, std::size_t count) override;
    bool Seek(std::int64_t offset, int origin) override;
    std::int64_t Tell() const override { return static_cast<std::int64_t>(m_position); }
    std::int64_t Size() const override { return static_cast<std::int64_t>(m_size); }
    bool Flush() override { return true; }
    bool Eof() const override { return m_position >= m_size; }
    bool Error() const override { return m_error; }
    bool PutC(std::uint8_t byte) override;
    int GetC() override;

    // The bytes written so far (Size() of them).
    const std::uint8_t* GetBuffer() const noexcept { return m_buffer.data(); }
    // Hands the contents out to the caller; the stream becomes empty.
    std::vector<std::uint8_t> Release();
    // Bytes allocated for the buffer (a multiple of 4096 once it has grown).
    std::size_t GetCapacity() const noexcept { return m_buffer.size(); }

private:
    bool Reserve(std::size_t needed);

    std::vector<std::uint8_t> m_buffer; // allocated bytes; only the first m_size are data
    std::size_t m_size = 0;
    std::size_t m_position = 0;
    bool m_error = false;
};

// A read-only stream over bytes owned by the caller, which must outlive it.
// Used to decode pictures held in memory without copying them.
class CMemoryReader final : public CByteStream {
public:
    CMemoryReader(const void* data, std::size_t size) noexcept
        : m_data(static_cast<const std::uint8_t*>(data)), m_size(data != nullptr ? size : 0)
    {
    }

    bool Close() override { m_data = nullptr; m_size = 0; m_position = 0; return true; }
    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override;
    std::size_t Write(const void*, std::size_t, std::size_t) override { m_error = true; return 0; }
    bool Seek(std::int64_t offset, int origin) override;
    std::int64_t Tell() const override { return static_cast<std::int64_t>(m_position); }
    std::int64_t Size() const override { return static_cast<std::int64_t>(m_size); }
    bool Flush() override { return true; }
    bool Eof() const override { return m_position >= m_size; }
    bool Error() const override { return m_error; }
    bool PutC(std::uint8_t) override { m_error = true; return false; }
    int GetC() override { return m_position < m_size ? m_data[m_position++] : -1; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
    bool m_error = false;
};

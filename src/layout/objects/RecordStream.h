#pragma once
// Record streams: the one channel through which draw objects save and load
// themselves (project file, clipboard, undo snapshots, clones).
//
// Two back ends share the interface:
//  - CBinaryRecordStream: little-endian u32 items; a string is a u32 byte count
//    and its bytes; an image is u32 width, u32 height and width x height u32
//    pixels (0x00BBGGRR, bottom row first, left to right). Flatten() makes one
//    block whose first u32 is the block's total size including that word.
//  - CTextRecordStream: one text; every u32 is its decimal text and a line
//    feed, every string its characters and a line feed. Images are not written
//    and read back as nothing. Used for in-process copies only.
//
// Reading never goes past the data: a read that does not fit marks the stream
// failed and yields 0 / empty; every later read fails too. Counts read from a
// stream are checked against what remains with HasRoomFor() before anything is
// allocated for them.
//
// Shared image references (shareImages 1): an image is written as a u32
// handle into the stream's own table of references, so a copy made through
// one stream object shares the pixel data and a handle can never reach an
// image the stream was not given. Handle 0 means no image.

#include "image/Color.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CRaster;

struct CDrawPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend constexpr bool operator==(const CDrawPoint&, const CDrawPoint&) = default;
};

class CRecordStream {
public:
    virtual ~CRecordStream() = default;

    // Writing.
    virtual void WriteU32(std::uint32_t value) = 0;
    virtual void WriteString(const std::string& text) = 0;
    void WriteI32(std::int32_t value) { WriteU32(static_cast<std::uint32_t>(value)); }
    void WritePoint(CDrawPoint point)
    {
        WriteI32(point.x);
        WriteI32(point.y);
    }
    void WriteColour(COLORREF colour) { WriteU32(colour); }
    // Writes the pixels of a 24-bit picture (binary back end); the text back
    // end writes nothing. A null or empty picture is written as 0 x 0.
    virtual void WriteImage(const CRaster* image) = 0;
    // Writes a shared reference as a handle (0 for none).
    void WriteImageHandle(const std::shared_ptr<const CRaster>& image);

    // Reading.
    virtual std::uint32_t ReadU32() = 0;
    virtual std::string ReadString() = 0;
    virtual std::uint8_t ReadByte() = 0;
    // Reads an image item; null when the stream holds none (text back end,
    // a 0 x 0 item) or when the item is malformed (then the stream fails).
    virtual std::shared_ptr<CRaster> ReadImage() = 0;
    std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
    CDrawPoint ReadPoint()
    {
        CDrawPoint p;
        p.x = ReadI32();
        p.y = ReadI32();
        return p;
    }
    COLORREF ReadColour() { return ReadU32(); }
    std::shared_ptr<const CRaster> ReadImageHandle();

    virtual bool AtEnd() const = 0;
    // The next u32 without reading it: false at the end, after a failure or
    // when the next item is no number. Lets a record end in optional fields
    // that a reader recognises by a tag word, in a stream where the next
    // object's record may follow.
    virtual bool PeekU32(std::uint32_t& value) const = 0;
    // True when `count` further items of at least `itemBytes` binary bytes
    // each can still be in the stream (a cheap upper bound used before
    // allocating for a count read from the stream).
    virtual bool HasRoomFor(std::uint64_t count, std::uint32_t itemBytes) const = 0;

    bool Failed() const { return m_failed; }
    void SetFailed() { m_failed = true; }

    // Rewinds reading to the start of what was written (or attached).
    virtual void Rewind() = 0;

protected:
    bool m_failed = false;

private:
    std::vector<std::shared_ptr<const CRaster>> m_sharedImages;
};

class CBinaryRecordStream final : public CRecordStream {
public:
    CBinaryRecordStream() = default;

    void WriteU32(std::uint32_t value) override;
    void WriteString(const std::string& text) override;
    void WriteImage(const CRaster* image) override;

    std::uint32_t ReadU32() override;
    std::string ReadString() override;
    std::uint8_t ReadByte() override;
    std::shared_ptr<CRaster> ReadImage() override;
    bool AtEnd() const override { return m_readPos >= m_data.size(); }
    bool PeekU32(std::uint32_t& value) const override;
    bool HasRoomFor(std::uint64_t count, std::uint32_t itemBytes) const override;
    void Rewind() override { m_readPos = m_headerSize; m_failed = false; }

    // The written items as one block: u32 total size (counting itself), then
    // the items. Returns false when the block would exceed 4 GiB.
    bool Flatten(std::vector<std::uint8_t>& block) const;

    // Reads from a copy of a flattened block. Refused (false, stream left
    // empty) when the block is shorter than 4 bytes or its size word does not
    // match `size`.
    bool Attach(const std::uint8_t* block, std::size_t size);

    std::size_t GetRemaining() const { return m_data.size() - m_readPos; }

private:
    bool Take(std::size_t bytes);

    std::vector<std::uint8_t> m_data;  // written items (after the size word when attached)
    std::size_t m_readPos = 0;
    std::size_t m_headerSize = 0;      // 4 when attached to a flattened block
};

class CTextRecordStream final : public CRecordStream {
public:
    CTextRecordStream() = default;

    void WriteU32(std::uint32_t value) override;
    void WriteString(const std::string& text) override;
    void WriteImage(const CRaster*) override {}

    std::uint32_t ReadU32() override;
    std::string ReadString() override;
    std::uint8_t ReadByte() override;
    std::shared_ptr<CRaster> ReadImage() override { return nullptr; }
    bool AtEnd() const override { return m_readPos >= m_text.size(); }
    bool PeekU32(std::uint32_t& value) const override;
    bool HasRoomFor(std::uint64_t count, std::uint32_t itemBytes) const override;
    void Rewind() override { m_readPos = 0; m_failed = false; }

    const std::string& GetText() const { return m_text; }
    void Attach(std::string text)
    {
        m_text = std::move(text);
        m_readPos = 0;
        m_failed = false;
    }

private:
    bool NextLine(std::string& line);

    std::string m_text;
    std::size_t m_readPos = 0;
};

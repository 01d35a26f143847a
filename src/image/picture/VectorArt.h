#pragma once
// CVectorArt: vector artwork read from an SVG file (librsvg) or one page of
// a PDF file (poppler), kept as the file's own bytes so that it can be drawn
// sharp at any size: rasterised for the face it lies on, drawn as vectors
// into print output. Immutable once made, and safe to draw from several
// threads (drawing is serialised inside).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CRaster;
typedef struct _cairo cairo_t;

enum class EVectorKind : std::uint32_t { Svg = 1, Pdf = 2 };

class CVectorArt {
public:
    // The largest file read, and the largest picture rasterised (pixels).
    static constexpr std::size_t kMaxBytes = 64u << 20;
    static constexpr std::int64_t kMaxPixels = 64LL << 20;

    // Whether the bytes begin as an SVG ("<svg", or XML naming svg early) or
    // a PDF ("%PDF-") file does.
    static bool IsVectorFile(const std::uint8_t* data, std::size_t size);
    // The same for the first kilobyte of a file (false when it cannot be read).
    static bool IsVectorFileName(const std::string& fileName);
    // The artwork of `bytes` (page `page`, from 1, of a PDF); null with
    // `error` set when it cannot be read or has no such page.
    static std::shared_ptr<const CVectorArt> Create(std::vector<std::uint8_t> bytes, EVectorKind kind, int page,
                                                    std::string& error);
    // The same from a file, its kind told by its content.
    static std::shared_ptr<const CVectorArt> FromFile(const std::string& fileName, int page, std::string& error);
    ~CVectorArt();
    CVectorArt(const CVectorArt&) = delete;
    CVectorArt& operator=(const CVectorArt&) = delete;

    EVectorKind GetKind() const { return m_kind; }
    int GetPage() const { return m_page; }
    // Pages of the PDF file the artwork comes from (1 for SVG).
    int GetPageCount() const { return m_pageCount; }
    const std::vector<std::uint8_t>& GetBytes() const { return m_bytes; }
    // The artwork's own size: CSS pixels of an SVG, points of a PDF page.
    double GetWidth() const { return m_width; }
    double GetHeight() const { return m_height; }

    // Draws the artwork stretched over (0, 0) - (width, height) of the
    // context's user space.
    void Draw(cairo_t* cr, double width, double height) const;
    // The artwork as a 24-bit picture of that size with an alpha plane
    // (white where it is clear); null when the size is out of bounds.
    std::unique_ptr<CRaster> Rasterise(int width, int height) const;

private:
    CVectorArt() = default;

    std::vector<std::uint8_t> m_bytes;
    EVectorKind m_kind = EVectorKind::Svg;
    int m_page = 1;
    int m_pageCount = 1;
    double m_width = 0, m_height = 0;
    void* m_svg = nullptr;       // RsvgHandle
    void* m_document = nullptr;  // PopplerDocument
    void* m_pdfPage = nullptr;   // PopplerPage
    mutable std::mutex m_mutex;
};

#pragma once
// A corpus of hostile project files built from the file's structure: small
// files whose pictures claim sizes no picture may have, stored or blank, and
// counts, lengths and row data that lie about what follows. Each entry names
// the words its refusal must contain. Used by the project tests and by the
// hostile-file benchmark.

#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

struct SHostileProject {
    std::string kind;
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::string refusal;
};

// Little-endian words and one-byte-length strings, as the project file has them.
class CProjectBuilder {
public:
    CProjectBuilder& u32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    CProjectBuilder& u8(unsigned v) { m_b.push_back(static_cast<std::uint8_t>(v)); return *this; }
    CProjectBuilder& str(const std::string& s)
    {
        m_b.push_back(static_cast<std::uint8_t>(s.size()));
        m_b.insert(m_b.end(), s.begin(), s.end());
        return *this;
    }
    CProjectBuilder& fill(std::size_t n, unsigned v) { m_b.insert(m_b.end(), n, static_cast<std::uint8_t>(v)); return *this; }
    CProjectBuilder& raw(const std::vector<std::uint8_t>& more) { m_b.insert(m_b.end(), more.begin(), more.end()); return *this; }
    // Signature and versions (oldest reader `oldest`, writer text `writer`).
    CProjectBuilder& signature(std::uint32_t oldest = 200, const std::string& writer = "2.10")
    {
        u32(0x89878820).u32(0x89949220).u32(0xC00E0000).u32(0xFAC10740);
        return u32(oldest).str("2.00").u32(210).str(writer);
    }
    // The drawing defaults block with the new-document values but the fill colour.
    CProjectBuilder& defaults(std::uint32_t fill = 0x0000FF)
    {
        u32(0x15031969).u32(fill).u32(0xFF0000);
        u32(0).u32(0x00FFFF).u32(0).u32(0).u32(0).u32(0).str("").u32(48).u32(0);
        return u32(0x09041940);
    }
    CProjectBuilder& head() { return signature().defaults(); }
    CProjectBuilder& emptyLayout() { return u32(0x54A14145).u32(0).u32(0x956421A7); }
    CProjectBuilder& emptySettings()
    {
        u32(0xA1141B01);
        for (int i = 0; i < 3; ++i)
            u32(0x4A74A61C).u32(0).u32(0xCA4C410E);
        return u32(0x04A61C11);
    }
    // Product kind and settings, then the side list's marker and count.
    CProjectBuilder& product(std::uint32_t sides) { return str("BOX").emptySettings().u32(0xCA5A407A).u32(sides); }
    // A side whose first picture block begins: pixel flag, width, height.
    CProjectBuilder& sidePicture(const std::string& key, std::uint32_t flag, std::uint32_t w, std::uint32_t h)
    {
        u32(0xFEEDBAC7).str(key).u32(0x87654321).emptySettings().u32(1).u32(0);
        return u32(0x12345678).u32(flag).u32(w).u32(h);
    }
    CProjectBuilder& endSide() { return u32(0x90ABCDEF).u32(0xFEDCBA90).u32(0x7CABDEEF); }
    const std::vector<std::uint8_t>& get() const { return m_b; }
    std::size_t size() const { return m_b.size(); }

private:
    std::vector<std::uint8_t> m_b;
};

inline std::vector<SHostileProject> HostileProjects()
{
    const std::string damaged = "This project file is damaged or incomplete.";
    const std::string tooLarge = "This project file holds a picture that is too large: ";
    std::vector<SHostileProject> out;
    {
        // Pictures stored by size only (working pictures) claiming 18000 x 18000.
        CProjectBuilder b;
        b.head().emptyLayout().product(4);
        for (const char* key : {"y", "a", "x", "z"})
            b.sidePicture(key, 0, 18000, 18000).endSide();
        b.u32(0x51484504);
        out.push_back({"huge size", "project blank pictures 18000 x 18000", b.get(), tooLarge + "18000 x 18000 pixels"});
    }
    {
        CProjectBuilder b;
        b.head().emptyLayout().product(1).sidePicture("F", 1, 20000, 19000).u8(14).u8(1).u8(2).u8(3);
        out.push_back({"huge size", "project coded picture 20000 x 19000", b.get(), tooLarge + "20000 x 19000 pixels"});
    }
    {
        CProjectBuilder b; // rows need one byte each at least: 100 bytes cannot hold 16000 rows
        b.head().emptyLayout().product(1).sidePicture("F", 1, 16000, 16000).fill(100, 15);
        out.push_back({"huge size", "project coded picture 16000 x 16000 with 100 bytes", b.get(), damaged});
    }
    {
        CProjectBuilder b;
        b.head().emptyLayout().product(0x40000000);
        out.push_back({"lying counts", "project 2^30 sides", b.get(), damaged});
    }
    {
        CProjectBuilder b;
        b.head().u32(0x54A14145).u32(1).str("F").u32(0x51DE51DE).u32(1).u32(0x5100EB14).u32(0xFFFFFFF0);
        out.push_back({"lying counts", "project object of 4 GB", b.get(), damaged});
    }
    {
        CProjectBuilder b; // string prefix 0xFF, 0xFFFF, then a 32-bit length of 4 GB
        b.head().emptyLayout().u8(0xFF).u8(0xFF).u8(0xFF).u32(0xFFFFFFF0);
        out.push_back({"lying counts", "project product name of 4 GB", b.get(), damaged});
    }
    {
        CProjectBuilder b;
        b.head().u32(0x54A14145).u32(0xFFFFFFFF);
        out.push_back({"lying counts", "project 2^32 layout entries", b.get(), damaged});
    }
    return out;
}

} // namespace hostile

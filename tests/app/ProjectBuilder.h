#pragma once
// Project files built by hand from the file's structure, for the project
// reader's and writer's tests.

#include <cstdint>
#include <string>
#include <vector>

namespace testutil {

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
    const std::vector<std::uint8_t>& get() const { return m_b; }
    std::size_t size() const { return m_b.size(); }

private:
    std::vector<std::uint8_t> m_b;
};

} // namespace testutil

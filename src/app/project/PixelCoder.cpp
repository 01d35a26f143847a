#include "app/project/PixelCoder.h"

#include <cassert>
#include <cstring>

namespace {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Field widths (red:green:blue) of the six opcodes of a difference group.
constexpr int kDiffBits[6][3] = {{2, 3, 3}, {3, 2, 3}, {3, 3, 2}, {2, 2, 4}, {2, 4, 2}, {4, 2, 2}};

// Run groups: first opcode of the group of nine for run lengths 1..5.
constexpr int kRunBase[6] = {0, 247, 231, 215, 199, 183};

// Offsets (dx, dy) of the reference pixels of a run group, by position in the
// group. Position 0 is the absolute pixel (0, 0) and is handled apart.
constexpr int kRefOffset[9][2] = {{0, 0},   {-2, -1}, {-1, -2}, {-2, -2}, {0, -2},
                                  {-2, 0},  {-1, -1}, {0, -1},  {-1, 0}};

class CPlane {
public:
    CPlane(std::uint8_t* pixels, int width, int height, std::size_t stride) noexcept
        : m_pixels(pixels), m_width(width), m_height(height), m_stride(stride) {}

    bool Inside(int x, int y) const noexcept { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    Rgb Get(int x, int y) const noexcept
    {
        if (!Inside(x, y))
            return Rgb{};
        const std::uint8_t* p = m_pixels + static_cast<std::size_t>(y) * m_stride + static_cast<std::size_t>(x) * 3;
        return Rgb{p[2], p[1], p[0]};
    }

    void Put(int x, int y, Rgb c) noexcept
    {
        std::uint8_t* p = m_pixels + static_cast<std::size_t>(y) * m_stride + static_cast<std::size_t>(x) * 3;
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }

    const std::uint8_t* Row(int y) const noexcept { return m_pixels + static_cast<std::size_t>(y) * m_stride; }

    // Colour of reference position `index` (0..8) as seen from (x, y).
    Rgb Reference(int index, int x, int y) const noexcept
    {
        if (index == 0)
            return (x == 0 && y == 0) ? Rgb{} : Get(0, 0);
        return Get(x + kRefOffset[index][0], y + kRefOffset[index][1]);
    }

private:
    std::uint8_t* m_pixels;
    int m_width;
    int m_height;
    std::size_t m_stride;
};

// Splits a packed difference byte into its three channel changes (field + 1).
inline void UnpackDiff(int group, std::uint8_t d, int& dr, int& dg, int& db) noexcept
{
    const int wr = kDiffBits[group][0], wg = kDiffBits[group][1], wb = kDiffBits[group][2];
    (void)wr;
    dr = (d >> (wg + wb)) + 1;
    dg = ((d >> wb) & ((1 << wg) - 1)) + 1;
    db = (d & ((1 << wb) - 1)) + 1;
}

// Blue, green, red bytes as one number, for comparing pixels.
inline std::uint32_t Pack(const std::uint8_t* p) noexcept
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16;
}

inline std::uint8_t Wrap(int v) noexcept { return static_cast<std::uint8_t>(v & 0xFF); }

// The coded bytes and the read position in them.
struct SCodeReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;

    bool Has(std::size_t k) const noexcept { return size - pos >= k; }
    std::uint8_t Next() noexcept { return data[pos++]; }
};

// Opcodes 106..111 and 117..128: a colour given in full or in part by the
// bytes that follow, the other channels at 0 or 255. False when the data ends.
bool ReadGivenColour(int op, SCodeReader& in, Rgb& c) noexcept
{
    if (op >= 106 && op <= 111) {
        if (!in.Has(1))
            return false;
        const std::uint8_t v = in.Next();
        const std::uint8_t s = op <= 108 ? 255 : 0;
        const int ch = (op - 106) % 3; // 0 red, 1 green, 2 blue
        c = Rgb{ch == 0 ? s : v, ch == 1 ? s : v, ch == 2 ? s : v};
    } else if (op == 116) {
        c = Rgb{254, 254, 254};
    } else if (op == 123) {
        c = Rgb{0, 0, 0};
    } else if (op == 124) {
        c = Rgb{255, 255, 255};
    } else if ((op >= 117 && op <= 119) || (op >= 125 && op <= 127)) {
        if (!in.Has(1))
            return false;
        const std::uint8_t v = in.Next();
        const std::uint8_t o = op <= 119 ? 255 : 0;
        const int ch = op <= 119 ? op - 117 : op - 125; // 0 blue, 1 green, 2 red
        c = Rgb{ch == 2 ? v : o, ch == 1 ? v : o, ch == 0 ? v : o};
    } else if (op >= 120 && op <= 122) {
        if (!in.Has(2))
            return false;
        const std::uint8_t a = in.data[in.pos], b = in.data[in.pos + 1];
        in.pos += 2;
        const int ch = op - 120; // 0 blue, 1 green, 2 red
        c = Rgb{ch == 2 ? a : b, ch == 1 ? a : b, ch == 0 ? a : b};
    } else if (op == 128) {
        if (!in.Has(1))
            return false;
        const std::uint8_t v = in.Next();
        c = Rgb{v, v, v};
    }
    return true;
}

// Opcodes 132..143 and 148..159: the pixel above or to the left, less or
// plus the packed difference byte that follows.
bool ReadDifference(int op, SCodeReader& in, const CPlane& plane, int x, int y, Rgb& c) noexcept
{
    if (!in.Has(1))
        return false;
    const std::uint8_t d = in.Next();
    const int base = op < 148 ? 132 : 148;
    const bool fromLeft = op - base >= 6;
    const int group = (op - base) % 6;
    const int sign = op < 148 ? -1 : 1;
    const Rgb ref = fromLeft ? plane.Get(x - 1, y) : plane.Get(x, y - 1);
    int dr, dg, db;
    UnpackDiff(group, d, dr, dg, db);
    c = Rgb{Wrap(ref.r + sign * dr), Wrap(ref.g + sign * dg), Wrap(ref.b + sign * db)};
    return true;
}

// Opcodes 164..175: the pixel above or to the left with one or two channels
// replaced by the bytes that follow.
bool ReadPartialReplace(int op, SCodeReader& in, const CPlane& plane, int x, int y, Rgb& c) noexcept
{
    const bool fromLeft = op >= 170;
    const int kind = (op - 164) % 6; // rg, rb, gb, r, g, b
    static constexpr std::uint8_t kMask[6] = {3, 5, 6, 1, 2, 4}; // bit 0 red, 1 green, 2 blue
    const std::uint8_t mask = kMask[kind];
    const std::size_t count = (mask & 1) + ((mask >> 1) & 1) + ((mask >> 2) & 1);
    if (!in.Has(count))
        return false;
    c = fromLeft ? plane.Get(x - 1, y) : plane.Get(x, y - 1);
    if (mask & 1)
        c.r = in.Next();
    if (mask & 2)
        c.g = in.Next();
    if (mask & 4)
        c.b = in.Next();
    return true;
}

// The colour of one opcode other than the whole-row ones (14, 15), and the
// run length `n` it fills; an unknown opcode repeats the last colour once.
// False when the data ends inside the opcode's bytes.
bool ReadPixelOp(int op, SCodeReader& in, const CPlane& plane, int x, int y, Rgb& c, int& n) noexcept
{
    n = 1;
    if ((op >= 132 && op <= 143) || (op >= 148 && op <= 159))
        return ReadDifference(op, in, plane, x, y, c);
    if (op >= 164 && op <= 175)
        return ReadPartialReplace(op, in, plane, x, y, c);
    if (op >= 106 && op <= 128)
        return ReadGivenColour(op, in, c);
    if (op == 0) {
        if (!in.Has(3))
            return false;
        c = Rgb{in.data[in.pos], in.data[in.pos + 1], in.data[in.pos + 2]};
        in.pos += 3;
        return true;
    }
    if (op >= 183 && (op & 15) >= 7) {
        // 183..191, 199..207, 215..223, 231..239, 247..255: the low nibble
        // runs 7..15 within each group of sixteen.
        const int group = (op - 183) >> 4; // 0 -> n = 5 ... 4 -> n = 1
        n = 5 - group;
        c = plane.Reference((op & 15) - 7, x, y);
    }
    return true;
}

} // namespace

bool CPixelCoder::Decode(const std::uint8_t* data, std::size_t size, std::size_t& used, std::uint8_t* pixels,
                         int width, int height, std::size_t stride) noexcept
{
    used = 0;
    if (width <= 0 || height <= 0)
        return true;
    CPlane plane(pixels, width, height, stride);
    SCodeReader in{data, size};
    Rgb c{};
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            if (in.pos >= size)
                return false;
            const int op = in.Next();
            if (op == 14) { // the whole row in the colour that follows
                if (!in.Has(3))
                    return false;
                c = Rgb{data[in.pos], data[in.pos + 1], data[in.pos + 2]};
                in.pos += 3;
                for (int i = 0; i < width; ++i)
                    plane.Put(i, y, c);
                break;
            }
            if (op == 15) { // the whole row as the row above
                for (int i = 0; i < width; ++i) {
                    c = plane.Get(i, y - 1);
                    plane.Put(i, y, c);
                }
                break;
            }
            int n = 1;
            if (!ReadPixelOp(op, in, plane, x, y, c, n))
                return false;
            const int end = x + n < width ? x + n : width;
            for (int i = x; i < end; ++i)
                plane.Put(i, y, c);
            x += n;
        }
    }
    used = in.pos;
    return true;
}

namespace {

class CRowEncoder {
public:
    CRowEncoder(const std::uint8_t* pixels, int width, int height, std::size_t stride, std::vector<std::uint8_t>& out)
        : m_plane(const_cast<std::uint8_t*>(pixels), width, height, stride), m_width(width), m_out(out) {}

    // Codes one row pixel by pixel. A run of a reference colour is always the
    // cheapest code (one byte for up to five pixels); since every reference
    // whose colour equals the pixel gives a run of the same length (the pixels
    // equal to it from x on), the first matching reference in order of
    // preference wins and the run is measured once.
    void Row(int y, Rgb& current)
    {
        const std::uint8_t* r0 = m_plane.Row(y);
        const std::uint8_t* r1 = y >= 1 ? m_plane.Row(y - 1) : nullptr;
        const std::uint8_t* r2 = y >= 2 ? m_plane.Row(y - 2) : nullptr;
        const std::uint32_t first = Pack(m_plane.Row(0));
        int x = 0;
        while (x < m_width) {
            const std::uint32_t c = Pack(r0 + 3 * x);
            // Reference positions, most useful first: left, above, above-left, ...
            int ref = -1;
            if (x >= 1 && Pack(r0 + 3 * (x - 1)) == c) ref = 8;
            else if (r1 && Pack(r1 + 3 * x) == c) ref = 7;
            else if (r1 && x >= 1 && Pack(r1 + 3 * (x - 1)) == c) ref = 6;
            else if (x >= 2 && Pack(r0 + 3 * (x - 2)) == c) ref = 5;
            else if (r2 && Pack(r2 + 3 * x) == c) ref = 4;
            else if (r2 && x >= 2 && Pack(r2 + 3 * (x - 2)) == c) ref = 3;
            else if (r2 && x >= 1 && Pack(r2 + 3 * (x - 1)) == c) ref = 2;
            else if (r1 && x >= 2 && Pack(r1 + 3 * (x - 2)) == c) ref = 1;
            else if ((x > 0 || y > 0) && first == c) ref = 0;
            const Rgb p{r0[3 * x + 2], r0[3 * x + 1], r0[3 * x]};
            if (ref >= 0) {
                int len = 1;
                while (len < 5 && x + len < m_width && Pack(r0 + 3 * (x + len)) == c)
                    ++len;
                m_out.push_back(static_cast<std::uint8_t>(kRunBase[len] + ref));
                x += len;
                current = p;
                continue;
            }
            if (p == current) {
                m_out.push_back(1); // an otherwise unused opcode: the current colour once
            } else {
                Single(p, x, y);
                current = p;
            }
            ++x;
        }
    }

private:
    void Put(int op) { m_out.push_back(static_cast<std::uint8_t>(op)); }
    void Put(int op, std::uint8_t a) { m_out.insert(m_out.end(), {static_cast<std::uint8_t>(op), a}); }
    void Put(int op, std::uint8_t a, std::uint8_t b) { m_out.insert(m_out.end(), {static_cast<std::uint8_t>(op), a, b}); }

    // A packed difference opcode for p relative to ref, or -1 when none fits.
    static int Diff(Rgb ref, Rgb p, bool plus, std::uint8_t& d)
    {
        const int dr = (plus ? p.r - ref.r : ref.r - p.r) & 0xFF;
        const int dg = (plus ? p.g - ref.g : ref.g - p.g) & 0xFF;
        const int db = (plus ? p.b - ref.b : ref.b - p.b) & 0xFF;
        if (dr == 0 || dg == 0 || db == 0)
            return -1;
        for (int g = 0; g < 6; ++g) {
            const int wr = kDiffBits[g][0], wg = kDiffBits[g][1], wb = kDiffBits[g][2];
            if (dr <= (1 << wr) && dg <= (1 << wg) && db <= (1 << wb)) {
                d = static_cast<std::uint8_t>(((dr - 1) << (wg + wb)) | ((dg - 1) << wb) | (db - 1));
                return g;
            }
        }
        return -1;
    }

    // Codes one pixel that no run covers, with the shortest opcode that fits.
    void Single(Rgb p, int x, int y)
    {
        if (p == Rgb{254, 254, 254})
            return Put(116);
        if (p == Rgb{0, 0, 0})
            return Put(123);
        if (p == Rgb{255, 255, 255})
            return Put(124);
        // Two-byte codes.
        if (p.r == p.g && p.g == p.b)
            return Put(128, p.r);
        if (p.g == p.b && (p.r == 255 || p.r == 0))
            return Put(p.r == 255 ? 106 : 109, p.g);
        if (p.r == p.b && (p.g == 255 || p.g == 0))
            return Put(p.g == 255 ? 107 : 110, p.r);
        if (p.r == p.g && (p.b == 255 || p.b == 0))
            return Put(p.b == 255 ? 108 : 111, p.r);
        const bool hasAbove = y > 0, hasLeft = x > 0;
        const Rgb above = m_plane.Get(x, y - 1), left = m_plane.Get(x - 1, y);
        std::uint8_t d = 0;
        int g;
        if (hasLeft && (g = Diff(left, p, true, d)) >= 0)
            return Put(154 + g, d);
        if (hasLeft && (g = Diff(left, p, false, d)) >= 0)
            return Put(138 + g, d);
        if (hasAbove && (g = Diff(above, p, true, d)) >= 0)
            return Put(148 + g, d);
        if (hasAbove && (g = Diff(above, p, false, d)) >= 0)
            return Put(132 + g, d);
        for (int side = 0; side < 2; ++side) {
            if (side == 0 ? !hasLeft : !hasAbove)
                continue;
            const Rgb ref = side == 0 ? left : above;
            const int base = side == 0 ? 170 : 164;
            if (ref.g == p.g && ref.b == p.b)
                return Put(base + 3, p.r);
            if (ref.r == p.r && ref.b == p.b)
                return Put(base + 4, p.g);
            if (ref.r == p.r && ref.g == p.g)
                return Put(base + 5, p.b);
        }
        // Three-byte codes.
        if (p.r == p.g)
            return Put(120, p.b, p.r);
        if (p.r == p.b)
            return Put(121, p.g, p.r);
        if (p.g == p.b)
            return Put(122, p.r, p.g);
        for (int side = 0; side < 2; ++side) {
            if (side == 0 ? !hasLeft : !hasAbove)
                continue;
            const Rgb ref = side == 0 ? left : above;
            const int base = side == 0 ? 170 : 164;
            if (ref.b == p.b)
                return Put(base + 0, p.r, p.g);
            if (ref.g == p.g)
                return Put(base + 1, p.r, p.b);
            if (ref.r == p.r)
                return Put(base + 2, p.g, p.b);
        }
        m_out.insert(m_out.end(), {std::uint8_t{0}, p.r, p.g, p.b});
    }

    CPlane m_plane;
    int m_width;
    std::vector<std::uint8_t>& m_out;
};

} // namespace

void CPixelCoder::Encode(const std::uint8_t* pixels, int width, int height, std::size_t stride,
                         std::vector<std::uint8_t>& out)
{
    if (width <= 0 || height <= 0)
        return;
    assert(pixels != nullptr);
    CRowEncoder encoder(pixels, width, height, stride, out);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    Rgb current{};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
        if (y > 0 && width >= 2 && std::memcmp(row, row - stride, rowBytes) == 0) {
            out.push_back(15);
            current = Rgb{row[rowBytes - 1], row[rowBytes - 2], row[rowBytes - 3]};
            continue;
        }
        bool flat = width >= 2;
        for (std::size_t i = 3; flat && i < rowBytes; i += 3)
            flat = row[i] == row[0] && row[i + 1] == row[1] && row[i + 2] == row[2];
        if (flat) {
            current = Rgb{row[2], row[1], row[0]};
            out.insert(out.end(), {std::uint8_t{14}, current.r, current.g, current.b});
            continue;
        }
        encoder.Row(y, current);
    }
}

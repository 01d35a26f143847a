// Pixel row coding: a plain reference decoder written straight from the opcode
// table (checked against hand-computed colours and compared with the coder on
// random data), and round trips of the encoder over random and flat pictures.

#include "TempFolder.h"
#include "app/project/PixelCoder.h"

namespace {

struct Px {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Px&, const Px&) = default;
};

std::ostream& operator<<(std::ostream& os, const Px& p)
{
    return os << "(" << p.r << "," << p.g << "," << p.b << ")";
}

// A picture as a plain array of colours, row 0 first.
struct Picture {
    int w = 0, h = 0;
    std::vector<Px> px;
    Picture(int width, int height) : w(width), h(height), px(static_cast<std::size_t>(width * height)) {}
    Px& at(int x, int y) { return px[static_cast<std::size_t>(y * w + x)]; }
    Px at(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }

    // Packs into BGR rows with `pad` spare bytes per row.
    std::vector<std::uint8_t> Bgr(int pad = 0) const
    {
        const std::size_t stride = static_cast<std::size_t>(w * 3 + pad);
        std::vector<std::uint8_t> out(stride * static_cast<std::size_t>(h), 0xCD);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = &out[y * stride + static_cast<std::size_t>(x) * 3];
                p[0] = static_cast<std::uint8_t>(at(x, y).b);
                p[1] = static_cast<std::uint8_t>(at(x, y).g);
                p[2] = static_cast<std::uint8_t>(at(x, y).r);
            }
        return out;
    }
};

Picture FromBgr(const std::vector<std::uint8_t>& bgr, int w, int h, int pad = 0)
{
    Picture p(w, h);
    const std::size_t stride = static_cast<std::size_t>(w * 3 + pad);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* q = &bgr[y * stride + static_cast<std::size_t>(x) * 3];
            p.at(x, y) = Px{q[2], q[1], q[0]};
        }
    return p;
}

// Decodes with the coder under test into a fresh picture; fails the test on error.
Picture Decode(const std::vector<std::uint8_t>& data, int w, int h, std::size_t* usedOut = nullptr)
{
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(w * 3) * static_cast<std::size_t>(h), 0x77);
    std::size_t used = 0;
    EXPECT_TRUE(CPixelCoder::Decode(data.data(), data.size(), used, bgr.data(), w, h, static_cast<std::size_t>(w * 3)));
    if (usedOut)
        *usedOut = used;
    return FromBgr(bgr, w, h);
}

// Reference decoder written as plainly as the opcode table reads. Besides the
// picture it reports whether the data ever referred to a pixel outside the
// picture (or to the first pixel before it was decoded).
struct Reference {
    Picture pic;
    bool outside = false;
    bool ok = true;
    std::size_t used = 0;

    Reference(const std::vector<std::uint8_t>& data, int w, int h) : pic(w, h)
    {
        std::size_t pos = 0;
        auto next = [&]() -> int {
            if (pos >= data.size()) {
                ok = false;
                return 0;
            }
            return data[pos++];
        };
        auto get = [&](int x, int y) -> Px {
            if (x < 0 || y < 0 || x >= w || y >= h) {
                outside = true;
                return Px{};
            }
            return pic.at(x, y);
        };
        Px c;
        for (int y = 0; y < h && ok; ++y) {
            int x = 0;
            while (x < w && ok) {
                const int op = next();
                int n = 1;
                if (op == 0) {
                    c.r = next(); c.g = next(); c.b = next();
                } else if (op == 14) {
                    c.r = next(); c.g = next(); c.b = next();
                    for (int i = 0; i < w; ++i) pic.at(i, y) = c;
                    break;
                } else if (op == 15) {
                    for (int i = 0; i < w; ++i) { c = get(i, y - 1); pic.at(i, y) = c; }
                    break;
                }
                else if (op == 106) { int v = next(); c = {255, v, v}; }
                else if (op == 107) { int v = next(); c = {v, 255, v}; }
                else if (op == 108) { int v = next(); c = {v, v, 255}; }
                else if (op == 109) { int v = next(); c = {0, v, v}; }
                else if (op == 110) { int v = next(); c = {v, 0, v}; }
                else if (op == 111) { int v = next(); c = {v, v, 0}; }
                else if (op == 116) { c = {254, 254, 254}; }
                else if (op == 123) { c = {0, 0, 0}; }
                else if (op == 124) { c = {255, 255, 255}; }
                else if (op == 117) { int v = next(); c = {255, 255, v}; }
                else if (op == 118) { int v = next(); c = {255, v, 255}; }
                else if (op == 119) { int v = next(); c = {v, 255, 255}; }
                else if (op == 120) { int a = next(), b = next(); c = {b, b, a}; }
                else if (op == 121) { int a = next(), b = next(); c = {b, a, b}; }
                else if (op == 122) { int a = next(), b = next(); c = {a, b, b}; }
                else if (op == 125) { int v = next(); c = {0, 0, v}; }
                else if (op == 126) { int v = next(); c = {0, v, 0}; }
                else if (op == 127) { int v = next(); c = {v, 0, 0}; }
                else if (op == 128) { int v = next(); c = {v, v, v}; }
                else if ((op >= 132 && op <= 143) || (op >= 148 && op <= 159)) {
                    static const int bits[6][3] = {{2, 3, 3}, {3, 2, 3}, {3, 3, 2}, {2, 2, 4}, {2, 4, 2}, {4, 2, 2}};
                    const int k = (op >= 148 ? op - 148 : op - 132);
                    const Px ref = k >= 6 ? get(x - 1, y) : get(x, y - 1);
                    const int* f = bits[k % 6];
                    const int d = next();
                    const int fr = d / (1 << (f[1] + f[2]));
                    const int fg = (d / (1 << f[2])) % (1 << f[1]);
                    const int fb = d % (1 << f[2]);
                    const int s = op >= 148 ? 1 : -1;
                    c = {(ref.r + s * (fr + 1) + 256) % 256, (ref.g + s * (fg + 1) + 256) % 256,
                         (ref.b + s * (fb + 1) + 256) % 256};
                } else if (op >= 164 && op <= 175) {
                    c = op >= 170 ? get(x - 1, y) : get(x, y - 1);
                    switch ((op - 164) % 6) {
                    case 0: c.r = next(); c.g = next(); break;
                    case 1: c.r = next(); c.b = next(); break;
                    case 2: c.g = next(); c.b = next(); break;
                    case 3: c.r = next(); break;
                    case 4: c.g = next(); break;
                    case 5: c.b = next(); break;
                    }
                } else {
                    static const int starts[5] = {183, 199, 215, 231, 247};
                    for (int g = 0; g < 5; ++g) {
                        if (op >= starts[g] && op < starts[g] + 9) {
                            n = 5 - g;
                            switch (op - starts[g]) {
                            case 0:
                                if (x == 0 && y == 0) { outside = true; c = Px{}; } else c = pic.at(0, 0);
                                break;
                            case 1: c = get(x - 2, y - 1); break;
                            case 2: c = get(x - 1, y - 2); break;
                            case 3: c = get(x - 2, y - 2); break;
                            case 4: c = get(x, y - 2); break;
                            case 5: c = get(x - 2, y); break;
                            case 6: c = get(x - 1, y - 1); break;
                            case 7: c = get(x, y - 1); break;
                            case 8: c = get(x - 1, y); break;
                            }
                        }
                    }
                }
                for (int i = 0; i < n; ++i) {
                    if (x < w) pic.at(x, y) = c;
                    ++x;
                }
            }
        }
        used = ok ? pos : 0;
    }
};

std::vector<std::uint8_t> Encode(const Picture& p, int pad = 0)
{
    const std::vector<std::uint8_t> bgr = p.Bgr(pad);
    std::vector<std::uint8_t> out;
    CPixelCoder::Encode(bgr.data(), p.w, p.h, static_cast<std::size_t>(p.w * 3 + pad), out);
    return out;
}

} // namespace

TEST(PixelCoderDecode, LiteralFixedAndGreyColours)
{
    // One row of 14 pixels, one opcode each.
    const std::vector<std::uint8_t> data = {
        0, 10, 20, 30,   // literal (10, 20, 30)
        106, 7,          // red 255, others 7
        107, 7,          // green 255
        108, 7,          // blue 255
        109, 9,          // red 0, others 9
        110, 9,          // green 0
        111, 9,          // blue 0
        116,             // (254, 254, 254)
        123,             // black
        124,             // white
        117, 5,          // blue 5, others 255
        119, 5,          // red 5, others 255
        120, 1, 2,       // blue 1, red and green 2
        128, 77,         // grey 77
    };
    EXPECT_EQ(Decode(data, 14, 1).px, (std::vector<Px>{{10, 20, 30}, {255, 7, 7}, {7, 255, 7}, {7, 7, 255}, {0, 9, 9},
                                                       {9, 0, 9}, {9, 9, 0}, {254, 254, 254}, {0, 0, 0}, {255, 255, 255},
                                                       {255, 255, 5}, {5, 255, 255}, {2, 2, 1}, {77, 77, 77}}));
    // The other members of the families.
    EXPECT_EQ(Decode({118, 5, 121, 1, 2, 122, 1, 2, 125, 3, 126, 3, 127, 3}, 6, 1).px,
              (std::vector<Px>{{255, 5, 255}, {2, 1, 2}, {1, 2, 2}, {0, 0, 3}, {0, 3, 0}, {3, 0, 0}}));

    // Packed differences: above minus 2:3:3, d = 10 011 101 -> 3, 4, 6 less;
    // above plus 0xFF -> 4, 8, 8 more, wrapping.
    const Picture d = Decode({0, 100, 100, 100, 0, 250, 0, 255, 132, 0x9D, 148, 0xFF}, 2, 2);
    EXPECT_EQ(d.at(0, 1), (Px{97, 96, 94}));
    EXPECT_EQ(d.at(1, 1), (Px{254, 8, 7}));
}

// Every opcode group with its operands, the references and the cut runs:
// random bytes decoded by the coder and by the plain decoder above agree,
// among them data cut short (refused, nothing used) and references outside
// the picture or to the first pixel before it exists (black).
TEST(PixelCoderDecode, MatchesThePlainDecoderOnRandomData)
{
    const unsigned seed = 20261208;
    std::mt19937 rng(seed);
    for (int trial = 0; trial < 3000; ++trial) {
        const int w = 1 + static_cast<int>(rng() % 9), h = 1 + static_cast<int>(rng() % 6);
        std::vector<std::uint8_t> data(rng() % static_cast<unsigned>(w * h * 4 + 8));
        for (std::uint8_t& b : data)
            b = static_cast<std::uint8_t>(rng());
        const Reference ref(data, w, h);
        std::vector<std::uint8_t> bgr(static_cast<std::size_t>(w * 3 * h));
        std::size_t used = 99;
        const bool ok = CPixelCoder::Decode(data.data(), data.size(), used, bgr.data(), w, h, static_cast<std::size_t>(w * 3));
        ASSERT_EQ(ok, ref.ok) << "seed " << seed << " trial " << trial;
        ASSERT_EQ(used, ref.used) << "seed " << seed << " trial " << trial;
        if (ok) {
            ASSERT_EQ(FromBgr(bgr, w, h).px, ref.pic.px) << "seed " << seed << " trial " << trial;
        }
    }
}

TEST(PixelCoderDecode, RunLengthsRowFillsAndCarriedColour)
{
    const Px a{1, 2, 3}, b{4, 5, 6}, c{7, 8, 9}, nine{9, 9, 9}, five{5, 5, 5};
    // Width 12: literal, then 191 (left x5), 199+8 (left x4), 231+8 (left x2) -> 12 pixels.
    EXPECT_EQ(Decode({0, 1, 2, 3, 191, 207, 239}, 12, 1).px, std::vector<Px>(12, a));
    // 183 repeats the first pixel of the picture five times; 215+8 the left pixel three times.
    EXPECT_EQ(Decode({0, 9, 9, 9, 0, 5, 5, 5, 183, 223}, 10, 1).px,
              (std::vector<Px>{nine, five, nine, nine, nine, nine, nine, nine, nine, nine}));
    // A run that passes the end of the row is cut there; the next byte starts the next row.
    std::size_t used = 0;
    const Px one{1, 1, 1}, two{2, 2, 2};
    EXPECT_EQ(Decode({0, 1, 1, 1, 191, 0, 2, 2, 2, 191}, 3, 2, &used).px, (std::vector<Px>{one, one, one, two, two, two}));
    EXPECT_EQ(used, 10u);
    // 14 fills the row; 15 copies the row above and leaves the last copied colour
    // current, which an otherwise unused opcode (here 1) writes once.
    EXPECT_EQ(Decode({0, 1, 2, 3, 0, 4, 5, 6, 15, 14, 7, 8, 9, 1, 2}, 2, 4).px, (std::vector<Px>{a, b, a, b, c, c, c, c}));
}

TEST(PixelCoderEncode, RoundTripsRandomPicturesWithoutOutsideReferences)
{
    const unsigned seed = 20261206;
    std::mt19937 rng(seed);
    for (int trial = 0; trial < 60; ++trial) {
        const int w = 1 + static_cast<int>(rng() % 37);
        const int h = 1 + static_cast<int>(rng() % 23);
        const int pad = static_cast<int>(rng() % 4);
        Picture pic(w, h);
        // Mix of noise, small steps (differences), a few colours (references)
        // and fixed colours, so every encoder path is taken.
        const int style = trial % 4;
        const Px palette[4] = {{0, 0, 0}, {255, 255, 255}, {254, 254, 254}, {12, 200, 12}};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Px& p = pic.at(x, y);
                const unsigned v = rng();
                if (style == 0) {
                    p = {static_cast<int>(v & 255), static_cast<int>((v >> 8) & 255), static_cast<int>((v >> 16) & 255)};
                } else if (style == 1 && x > 0) {
                    const Px l = pic.at(x - 1, y);
                    p = {(l.r + static_cast<int>(v % 9) - 4 + 256) % 256, (l.g + static_cast<int>((v >> 4) % 9) - 4 + 256) % 256,
                         (l.b + static_cast<int>((v >> 8) % 17) - 8 + 256) % 256};
                } else if (style == 2) {
                    p = palette[v % 4];
                } else {
                    const int k = static_cast<int>(v % 6);
                    const int a = static_cast<int>((v >> 8) & 255);
                    const Px opts[6] = {{a, a, a}, {255, a, a}, {a, 0, a}, {a, a, 255}, {0, 0, a}, {a, 255, 255}};
                    p = opts[k];
                }
            }
        const std::vector<std::uint8_t> coded = Encode(pic, pad);
        const Reference ref(coded, w, h);
        ASSERT_TRUE(ref.ok) << "seed " << seed << " trial " << trial;
        EXPECT_FALSE(ref.outside) << "seed " << seed << " trial " << trial;
        std::size_t used = 0;
        ASSERT_EQ(Decode(coded, w, h, &used).px, pic.px) << "seed " << seed << " trial " << trial << " (pixels row by row)";
        ASSERT_EQ(ref.pic.px, pic.px) << "reference, trial " << trial;
        EXPECT_EQ(used, coded.size());
    }
}

TEST(PixelCoderEncode, FlatAndRepeatedRowsUseTheRowOpcodes)
{
    // A flat 1600 x 1600 picture: one whole-row colour, then 1599 row repeats.
    Picture flat(1600, 1600);
    for (Px& p : flat.px)
        p = {40, 80, 120};
    const std::vector<std::uint8_t> coded = Encode(flat, 0);
    std::vector<std::uint8_t> expected = {14, 40, 80, 120};
    expected.resize(4 + 1599, 15);
    EXPECT_EQ(coded, expected);
    EXPECT_EQ(Decode(coded, 1600, 1600).at(1599, 1599), (Px{40, 80, 120}));

    // Stripes: each row flat, alternating colours -> 4 bytes per row.
    Picture stripes(5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            stripes.at(x, y) = y % 2 ? Px{1, 2, 3} : Px{9, 8, 7};
    EXPECT_EQ(Encode(stripes).size(), 16u);

    // Width 1 never uses the row opcodes (they need two pixels) but still round-trips.
    Picture column(1, 5);
    for (int y = 0; y < 5; ++y)
        column.at(0, y) = {y * 10, 0, 0};
    const std::vector<std::uint8_t> colCoded = Encode(column);
    EXPECT_NE(colCoded[0], 14);
    EXPECT_EQ(Decode(colCoded, 1, 5).px, column.px);
}

TEST(PixelCoderEncode, SmoothPicturesUseTheTwoByteDifferences)
{
    // Every channel steps by 1 or 2 from the left pixel: a packed difference
    // (two bytes) fits every pixel after the first of a row, literals would take four.
    Picture ramp(200, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            ramp.at(x, y) = {(x + y) % 256, (x + 2 * y) % 256, (2 * x + y) % 256};
    const std::vector<std::uint8_t> coded = Encode(ramp);
    EXPECT_LE(coded.size(), 100u * (4u + 199u * 2u));
    EXPECT_EQ(Decode(coded, 200, 100).px, ramp.px);
}

#include "layout/text/FontEngine.h"

#include "layout/text/FontLibraries.h"
#include "layout/text/FontResolver.h"
#include "layout/text/TextCodes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

struct CFontEngine::Impl {
    // Up to this cell height the ink of each glyph is measured on its
    // rendering, pixel exact; above it, from its outline (a pixel of slack
    // at most, and no rendering of glyphs thousands of pixels tall).
    static constexpr int kExactInkHeight = 512;

    std::mutex mutex;
    CFontResolver fonts;
    std::function<void(const std::string&)> sink;

    struct Metrics {
        int ascent = 0;  // pixels above the baseline in the cell
        double scale = 0;  // pixels per font unit
        int underlineTop = 0, underlineThickness = 1;
        int strikeTop = 0, strikeThickness = 1;
    };

    // Scales the face so that the cell (Windows ascent + descent) is exactly
    // `height` pixels.
    bool SetHeight(FT_Face face, int height, Metrics& m)
    {
        long asc = 0, desc = 0;
        const auto* os2 = static_cast<const TT_OS2*>(FreeType().Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            asc = os2->usWinAscent;
            desc = os2->usWinDescent;
        } else {
            asc = face->ascender;
            desc = -face->descender;
        }
        if (asc + desc <= 0) {
            asc = face->units_per_EM;
            desc = 0;
        }
        const long cell = asc + desc;
        const FT_F26Dot6 ppem = static_cast<FT_F26Dot6>(
            std::llround(static_cast<double>(height) * 64.0 * face->units_per_EM / static_cast<double>(cell)));
        if (FreeType().Set_Char_Size(face, 0, std::max<FT_F26Dot6>(ppem, 1), 72, 72) != 0)
            return false;
        m.scale = static_cast<double>(height) / static_cast<double>(cell);
        m.ascent = static_cast<int>(std::lround(asc * m.scale));
        // Underline: FreeType gives the centre of the stroke below the baseline.
        m.underlineThickness = std::max(1, static_cast<int>(std::lround(face->underline_thickness * m.scale)));
        const int underlineCentre = static_cast<int>(std::lround(-face->underline_position * m.scale));
        m.underlineTop = m.ascent + underlineCentre - m.underlineThickness / 2;
        if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
            m.strikeThickness = std::max(1, static_cast<int>(std::lround(os2->yStrikeoutSize * m.scale)));
            m.strikeTop = m.ascent - static_cast<int>(std::lround(os2->yStrikeoutPosition * m.scale));
        } else {
            m.strikeThickness = m.underlineThickness;
            m.strikeTop = m.ascent - static_cast<int>(std::lround(asc * m.scale * 0.3));
        }
        return true;
    }

    // One rendered glyph placed on the line: its bitmap's top-left in cell
    // coordinates and its rows (one bit per pixel, or one byte of coverage).
    struct Glyph {
        int x, y, w, h, pitch;
        bool gray;
        std::vector<std::uint8_t> rows;
        int At(int col, int row) const
        {
            const std::uint8_t* src = rows.data() + static_cast<std::size_t>(row) * pitch;
            return gray ? src[col] : ((src[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0);
        }
    };

    // Copies the slot's rendered bitmap (rows top to bottom whatever the
    // pitch's sign), placed with its origin at pen position `pen`.
    static Glyph TakeBitmap(FT_GlyphSlot slot, long long pen, int ascent)
    {
        Glyph g;
        g.x = static_cast<int>(pen) + slot->bitmap_left;
        g.y = ascent - slot->bitmap_top;
        g.w = static_cast<int>(slot->bitmap.width);
        g.h = static_cast<int>(slot->bitmap.rows);
        g.pitch = std::abs(slot->bitmap.pitch);
        g.gray = slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
        g.rows.resize(static_cast<std::size_t>(g.pitch) * g.h);
        for (int row = 0; row < g.h; ++row) {
            const unsigned char* src =
                slot->bitmap.pitch >= 0 ? slot->bitmap.buffer + static_cast<std::ptrdiff_t>(row) * g.pitch
                                        : slot->bitmap.buffer + static_cast<std::ptrdiff_t>(g.h - 1 - row) * g.pitch;
            std::copy(src, src + g.pitch, g.rows.begin() + static_cast<std::ptrdiff_t>(row) * g.pitch);
        }
        return g;
    }

    // Lays out the line; with a mask renders it, with `ink` measures where
    // it puts ink (each distinct glyph rendered once).
    bool Layout(const CFontRequest& request, const std::string& text, CTextMask* mask, CTextInk* ink, int& width,
                int& height, const CTextClip* clip = nullptr, CGlyphRun* run = nullptr)
    {
        width = height = 0;
        const CResolvedFont* r = fonts.Resolve(request.face, request.bold, request.italic);
        if (!r)
            return false;
        FT_Face face = fonts.Face(*r);
        if (!face)
            return false;
        const int cellHeight = std::clamp(request.height, 1, kMaxHeight);
        Metrics m;
        if (!SetHeight(face, cellHeight, m))
            return false;
        // Every glyph is hinted for one-bit output, so a smooth line has the
        // same advances as a plain one; only the rendering differs.
        const FT_Render_Mode renderMode = request.smooth ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;

        std::vector<Glyph> glyphs;
        long long pen = 0;
        std::size_t glyphBytes = 0;
        const std::vector<std::uint32_t> codes = DecodeText(text);
        // Advance and control box per glyph, so a long line of repeated
        // characters loads each glyph once; a glyph is rendered only when it
        // can reach the clip. The ink box (relative to the pen and the
        // baseline's cell row) is found the first time it is asked for.
        struct GlyphInfo {
            bool ok = false;
            int advance = 0;
            FT_BBox box{};
            bool inkKnown = false, inked = false;
            int inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
        };
        // A glyph comes from the chosen font, or, for a character it lacks,
        // from an installed font that has it, scaled to the same cell and
        // set on the same baseline.
        struct Source {
            FT_Face face;
            const CResolvedFont* font;
        };
        std::map<std::pair<FT_Face, FT_UInt>, GlyphInfo> infos;
        std::set<FT_Face> sized{face};
        const auto load = [&](const Source& from, FT_UInt index) -> bool {
            if (FreeType().Load_Glyph(from.face, index, FT_LOAD_TARGET_MONO) != 0)
                return false;
            if (from.font->synthItalic)
                FreeType().GlyphSlot_Oblique(from.face->glyph);
            if (from.font->synthBold)
                FreeType().GlyphSlot_Embolden(from.face->glyph);
            return true;
        };
        CTextInk inkBox;
        const auto addInk = [&](int left, int top, int right, int bottom) {
            if (left >= right || top >= bottom)
                return;
            if (!inkBox.any) {
                inkBox.left = left, inkBox.top = top, inkBox.right = right, inkBox.bottom = bottom;
                inkBox.any = true;
                return;
            }
            inkBox.left = std::min(inkBox.left, left);
            inkBox.top = std::min(inkBox.top, top);
            inkBox.right = std::max(inkBox.right, right);
            inkBox.bottom = std::max(inkBox.bottom, bottom);
        };
        // Justification spreads spaceExtra over the spaces as evenly as whole
        // pixels allow: space i of k gets extra (i + 1) / k - extra i / k.
        const long long spaces = request.spaceExtra != 0 ? std::count(codes.begin(), codes.end(), 0x20u) : 0;
        long long spaceIndex = 0;
        for (std::size_t at = 0; at < codes.size(); ++at) {
            const std::uint32_t code = codes[at];
            if (at > 0)
                pen += request.tracking;
            if (code == 0x20 && spaces > 0) {
                pen += request.spaceExtra * (spaceIndex + 1) / spaces - request.spaceExtra * spaceIndex / spaces;
                ++spaceIndex;
            }
            Source from{face, r};
            FT_UInt index = FreeType().Get_Char_Index(face, code);
            if (index == 0 && code >= 0x20) {
                const CResolvedFont* other = fonts.CharacterFont(code, request.bold, request.italic);
                FT_Face otherFace = other ? fonts.Face(*other) : nullptr;
                Metrics unused;
                if (otherFace && (sized.count(otherFace) || SetHeight(otherFace, cellHeight, unused))) {
                    sized.insert(otherFace);
                    if (const FT_UInt otherIndex = FreeType().Get_Char_Index(otherFace, code); otherIndex != 0) {
                        from = Source{otherFace, other};
                        index = otherIndex;
                    }
                }
            }
            auto found = infos.find({from.face, index});
            bool loaded = false;
            if (found == infos.end()) {
                GlyphInfo info;
                info.ok = load(from, index);
                if (info.ok) {
                    info.advance = static_cast<int>((from.face->glyph->advance.x + 32) >> 6);
                    if (from.face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
                        FreeType().Outline_Get_CBox(&from.face->glyph->outline, &info.box);
                    else
                        info.box = FT_BBox{-(1L << 20), -(1L << 20), 1L << 20, 1L << 20};
                }
                found = infos.emplace(std::make_pair(from.face, index), info).first;
                loaded = info.ok;
            }
            GlyphInfo& info = found->second;
            if (!info.ok)
                continue;
            if (run && run->glyphs.size() < (1u << 20)) {
                // The em as the outlines are scaled: x_scale is 16.16 font units to 26.6 pixels.
                const double em = static_cast<double>(from.face->size->metrics.x_scale) *
                                  from.face->units_per_EM / 65536.0 / 64.0;
                run->glyphs.push_back({from.font->file, from.font->index, from.font->synthBold, from.font->synthItalic,
                                       em, index, static_cast<int>(pen)});
            }
            if (ink && !info.inkKnown) {
                info.inkKnown = true;
                FT_GlyphSlot slot = from.face->glyph;
                const bool ready = loaded || load(from, index);
                if (ready && cellHeight > kExactInkHeight && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
                    // Huge glyphs (only records ask for them) are not rendered
                    // just to be measured: the outline's bounds rounded out
                    // hold every pixel the rasteriser can ink.
                    FT_BBox b{};
                    FreeType().Outline_Get_BBox(&slot->outline, &b);
                    if (b.xMax > b.xMin && b.yMax > b.yMin) {
                        info.inked = true;
                        info.inkLeft = static_cast<int>(b.xMin >> 6);
                        info.inkRight = static_cast<int>((b.xMax + 63) >> 6);
                        info.inkTop = -static_cast<int>((b.yMax + 63) >> 6);
                        info.inkBottom = -static_cast<int>(b.yMin >> 6);
                    }
                } else if (ready && FreeType().Render_Glyph(slot, renderMode) == 0) {
                    const Glyph g = TakeBitmap(slot, 0, 0);
                    int c0 = g.w, c1 = -1, r0 = g.h, r1 = -1;
                    for (int row = 0; row < g.h; ++row)
                        for (int col = 0; col < g.w; ++col)
                            if (g.At(col, row)) {
                                c0 = std::min(c0, col), c1 = std::max(c1, col);
                                r0 = std::min(r0, row), r1 = std::max(r1, row);
                            }
                    if (c1 >= 0) {
                        info.inked = true;
                        info.inkLeft = g.x + c0, info.inkRight = g.x + c1 + 1;
                        info.inkTop = g.y + r0, info.inkBottom = g.y + r1 + 1;
                    }
                }
            }
            if (ink && info.inked && pen + info.inkRight < (1LL << 30))
                addInk(static_cast<int>(pen) + info.inkLeft, m.ascent + info.inkTop,
                       static_cast<int>(pen) + info.inkRight, m.ascent + info.inkBottom);
            bool visible = mask != nullptr;
            if (visible && clip) {
                // Control box in 26.6 pixels, y up from the baseline; two
                // pixels of slack for rounding in the rasteriser.
                const long long gx0 = pen + (info.box.xMin >> 6) - 2, gx1 = pen + ((info.box.xMax + 63) >> 6) + 2;
                const long long gy0 = m.ascent - ((info.box.yMax + 63) >> 6) - 2;
                const long long gy1 = m.ascent - (info.box.yMin >> 6) + 2;
                visible = gx1 > clip->left && gx0 < clip->right && gy1 > clip->top && gy0 < clip->bottom;
            }
            if (visible && !loaded)
                visible = load(from, index);
            FT_GlyphSlot slot = from.face->glyph;
            if (visible && FreeType().Render_Glyph(slot, renderMode) == 0 && slot->bitmap.rows > 0 &&
                slot->bitmap.width > 0) {
                Glyph g = TakeBitmap(slot, pen, m.ascent);
                glyphBytes += g.rows.size();
                if (glyphBytes > (64u << 20))
                    return false;  // see the mask limit below
                glyphs.push_back(std::move(g));
            }
            pen += info.advance;
            if (pen > (1 << 24))
                break;  // no face is that wide
        }
        width = static_cast<int>(std::max<long long>(pen, 0));
        height = cellHeight;
        if (run) {
            run->advance = width;
            run->cellHeight = cellHeight;
            run->ascent = m.ascent;
            if (request.underline)
                run->bars.push_back({m.underlineTop, m.underlineThickness});
            if (request.strikeOut)
                run->bars.push_back({m.strikeTop, m.strikeThickness});
        }
        if (ink) {
            if (request.underline)
                addInk(0, m.underlineTop, width, m.underlineTop + m.underlineThickness);
            if (request.strikeOut)
                addInk(0, m.strikeTop, width, m.strikeTop + m.strikeThickness);
            inkBox.advance = width;
            inkBox.cellHeight = cellHeight;
            *ink = inkBox;
        }
        if (!mask)
            return true;

        // Bounds of everything drawn, in cell coordinates.
        int minU = 0, maxU = width, minV = 0, maxV = cellHeight;
        for (const Glyph& g : glyphs) {
            minU = std::min(minU, g.x);
            maxU = std::max(maxU, g.x + g.w);
            minV = std::min(minV, g.y);
            maxV = std::max(maxV, g.y + g.h);
        }
        if (request.underline) {
            minV = std::min(minV, m.underlineTop);
            maxV = std::max(maxV, m.underlineTop + m.underlineThickness);
        }
        if (request.strikeOut) {
            minV = std::min(minV, m.strikeTop);
            maxV = std::max(maxV, m.strikeTop + m.strikeThickness);
        }
        if (clip) {
            minU = std::max(minU, clip->left);
            maxU = std::min(maxU, clip->right);
            minV = std::max(minV, clip->top);
            maxV = std::min(maxV, clip->bottom);
            if (minU >= maxU || minV >= maxV) {
                minU = maxU = minV = maxV = 0;
            }
        }
        // A record may ask for thousands of huge glyphs; such a line is not
        // drawn rather than allowed to claim gigabytes.
        constexpr long long kMaxMaskPixels = 64LL << 20;
        if (static_cast<long long>(maxU - minU) * (maxV - minV) > kMaxMaskPixels)
            return false;
        mask->advance = width;
        mask->cellHeight = cellHeight;
        mask->left = minU;
        mask->top = minV;
        mask->width = maxU - minU;
        mask->height = maxV - minV;
        mask->smooth = request.smooth;
        mask->bits.assign(static_cast<std::size_t>(mask->width) * mask->height, 0);
        // One-bit glyphs are or-ed; overlapping coverage (an italic glyph
        // reaching into its neighbour's pixels) keeps the larger value.
        const std::uint8_t full = request.smooth ? 255 : 1;
        const auto set = [&](int u, int v, std::uint8_t value) {
            if (u >= minU && u < maxU && v >= minV && v < maxV) {
                std::uint8_t& b = mask->bits[static_cast<std::size_t>(v - minV) * mask->width + (u - minU)];
                b = std::max(b, value);
            }
        };
        for (const Glyph& g : glyphs) {
            // Only the part of the glyph inside the mask is visited.
            const int row0 = std::max(0, minV - g.y), row1 = std::min(g.h, maxV - g.y);
            const int col0 = std::max(0, minU - g.x), col1 = std::min(g.w, maxU - g.x);
            for (int row = row0; row < row1; ++row)
                for (int col = col0; col < col1; ++col)
                    if (const int c = g.At(col, row))
                        set(g.x + col, g.y + row, request.smooth ? static_cast<std::uint8_t>(c) : std::uint8_t{1});
        }
        const auto bar = [&](int top, int thickness) {
            for (int v = std::max(top, minV); v < std::min(top + thickness, maxV); ++v)
                for (int u = std::max(0, minU); u < std::min(width, maxU); ++u)
                    set(u, v, full);
        };
        if (request.underline)
            bar(m.underlineTop, m.underlineThickness);
        if (request.strikeOut)
            bar(m.strikeTop, m.strikeThickness);
        return true;
    }
};

CFontEngine::CFontEngine() : m_impl(std::make_unique<Impl>()) {}
CFontEngine::~CFontEngine() = default;

CFontEngine& CFontEngine::Get()
{
    static CFontEngine engine;
    return engine;
}

// Messages are handed to the sink after the lock is released, so a sink may
// call back into the engine.
namespace {

void Deliver(std::function<void(const std::string&)> sink, std::vector<std::string> messages)
{
    if (sink)
        for (const std::string& m : messages)
            sink(m);
}

}  // namespace

bool CFontEngine::MeasureText(const CFontRequest& font, const std::string& text, int& width, int& height)
{
    std::vector<std::string> messages;
    std::function<void(const std::string&)> sink;
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        ok = m_impl->Layout(font, text, nullptr, nullptr, width, height);
        messages = m_impl->fonts.TakePending();
        sink = m_impl->sink;
    }
    Deliver(std::move(sink), std::move(messages));
    return ok;
}

bool CFontEngine::MeasureInk(const CFontRequest& font, const std::string& text, CTextInk& ink)
{
    std::vector<std::string> messages;
    std::function<void(const std::string&)> sink;
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        int w = 0, h = 0;
        ink = CTextInk{};
        ok = m_impl->Layout(font, text, nullptr, &ink, w, h);
        messages = m_impl->fonts.TakePending();
        sink = m_impl->sink;
    }
    Deliver(std::move(sink), std::move(messages));
    return ok;
}

bool CFontEngine::RenderText(const CFontRequest& font, const std::string& text, CTextMask& mask,
                             const CTextClip* clip)
{
    std::vector<std::string> messages;
    std::function<void(const std::string&)> sink;
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        int w = 0, h = 0;
        mask = CTextMask{};
        ok = m_impl->Layout(font, text, &mask, nullptr, w, h, clip);
        messages = m_impl->fonts.TakePending();
        sink = m_impl->sink;
    }
    Deliver(std::move(sink), std::move(messages));
    return ok;
}

bool CFontEngine::LayoutGlyphs(const CFontRequest& font, const std::string& text, CGlyphRun& run)
{
    std::vector<std::string> messages;
    std::function<void(const std::string&)> sink;
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        int w = 0, h = 0;
        run = CGlyphRun{};
        ok = m_impl->Layout(font, text, nullptr, nullptr, w, h, nullptr, &run);
        messages = m_impl->fonts.TakePending();
        sink = m_impl->sink;
    }
    Deliver(std::move(sink), std::move(messages));
    return ok;
}

void CFontEngine::SetMessageSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->sink = std::move(sink);
}

std::vector<std::string> CFontEngine::GetWarnings() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->fonts.GetWarnings();
}

std::string CFontEngine::GetFontFile(const CFontRequest& font)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    const CResolvedFont* r = m_impl->fonts.Resolve(font.face, font.bold, font.italic);
    return r ? r->file : std::string();
}

bool CFontEngine::IsFaceInstalled(const std::string& face)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->fonts.IsInstalled(face);
}

std::vector<std::string> CFontEngine::ListTrueTypeFaces()
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->fonts.ListTrueTypeFaces();
}

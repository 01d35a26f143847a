#include "layout/text/TextBlock.h"

#include <algorithm>
#include <cmath>

int CTextBlock::Tracking(int size, std::int32_t letterSpacing)
{
    return static_cast<int>(std::lround(static_cast<double>(size) * letterSpacing / 100.0));
}

int CTextBlock::Pitch(int size, std::uint32_t lineSpacing)
{
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(size) * lineSpacing / 100.0)));
}

int CTextBlock::Measure(const std::string& text) const
{
    int w = 0, h = 0;
    CFontEngine::Get().MeasureText(m_font, text, w, h);
    return w;
}

CFontRequest CTextBlock::LineFont(const CTextLine& line) const
{
    CFontRequest f = m_font;
    f.spaceExtra = line.spaceExtra;
    return f;
}

bool CTextBlock::Build(const CFontRequest& font, const std::string& text, const CTextLayout& layout)
{
    m_font = font;
    m_font.tracking = Tracking(font.height, layout.letterSpacing);
    m_font.spaceExtra = 0;
    m_lines.clear();
    m_endsParagraph.clear();
    m_width = m_height = 0;
    m_brokeAWord = false;
    int unusedW = 0, unusedH = 0;
    if (!CFontEngine::Get().MeasureText(m_font, std::string(), unusedW, unusedH))
        return false;
    const int wrap = std::max(layout.wrapWidth, 0);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string paragraph = text.substr(start, end - start);
        std::erase(paragraph, '\r');  // a line feed pasted as CR LF is one break
        if (wrap > 0) {
            BreakParagraph(paragraph, wrap);
        } else {
            const int advance = Measure(paragraph);
            m_lines.push_back({std::move(paragraph), 0, 0, advance, 0});
            m_endsParagraph.push_back(true);
        }
        if (end >= text.size())
            break;
        start = end + 1;
    }
    if (wrap > 0) {
        m_width = wrap;
    } else {
        for (const CTextLine& line : m_lines)
            m_width = std::max(m_width, line.advance);
    }
    const int size = std::max(font.height, 1);
    const int pitch = Pitch(size, layout.lineSpacing);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        CTextLine& line = m_lines[i];
        line.y = static_cast<int>(std::min<long long>(static_cast<long long>(i) * pitch, 1 << 30));
        if (layout.align == kAlignJustified && wrap > 0 && !m_endsParagraph[i] && line.advance < m_width &&
            line.text.find(' ') != std::string::npos) {
            line.spaceExtra = m_width - line.advance;
            line.advance = m_width;
        }
        if (layout.align == kAlignCentre)
            line.x = (m_width - line.advance) / 2;
        else if (layout.align == kAlignRight)
            line.x = m_width - line.advance;
    }
    m_height = static_cast<int>(
        std::min<long long>(static_cast<long long>(m_lines.size() - 1) * pitch + size, 1 << 30));
    return true;
}

// Greedy breaking: words join the line while the measured width stays
// within the wrap width; widths add up because the engine sets glyphs by
// their advances plus the tracking between them, so each word is measured
// once. A line is measured again whole when it is done.
void CTextBlock::BreakParagraph(const std::string& paragraph, int wrap)
{
    const int t = m_font.tracking;
    const int space = Measure(" ");
    std::string line;
    int lineWidth = 0;
    bool started = false;
    const auto emit = [&](bool last) {
        const int advance = Measure(line);
        m_lines.push_back({std::move(line), 0, 0, advance, 0});
        m_endsParagraph.push_back(last);
        line.clear();
        lineWidth = 0;
        started = false;
    };
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(paragraph.find(' ', start), paragraph.size());
        const std::string word = paragraph.substr(start, end - start);
        const int wordWidth = Measure(word);
        bool placed = false;
        if (started) {
            const int joined = lineWidth + t + space + (word.empty() ? 0 : t + wordWidth);
            if (joined <= wrap) {
                line += ' ';
                line += word;
                lineWidth = joined;
                placed = true;
            } else {
                emit(false);
            }
        }
        if (!placed && (wordWidth <= wrap || word.empty())) {
            line = word;
            lineWidth = wordWidth;
            started = true;
        } else if (!placed) {
            // Too long for any line: broken between characters (UTF-8
            // sequences stay whole).
            m_brokeAWord = true;
            for (std::size_t i = 0; i < word.size();) {
                std::size_t next = i + 1;
                while (next < word.size() && (static_cast<unsigned char>(word[next]) & 0xC0) == 0x80)
                    ++next;
                const std::string character = word.substr(i, next - i);
                const int w = Measure(character);
                if (started && lineWidth + t + w > wrap)
                    emit(false);
                lineWidth = started ? lineWidth + t + w : w;
                line += character;
                started = true;
                i = next;
            }
        }
        if (end >= paragraph.size())
            break;
        start = end + 1;
    }
    emit(true);
}

namespace {

// Rows of a line's cell may hold ink up to a cell height above or below it.
bool LineMayReach(const CTextLine& line, int size, const CTextClip* clip)
{
    if (!clip)
        return true;
    const long long top = static_cast<long long>(line.y) - size, bottom = static_cast<long long>(line.y) + 2LL * size;
    return bottom > clip->top && top < clip->bottom;
}

bool IsPlain(const std::vector<CTextLine>& lines)
{
    return lines.size() == 1 && lines[0].x == 0 && lines[0].y == 0 && lines[0].spaceExtra == 0;
}

}  // namespace

bool CTextBlock::Render(CTextMask& mask, const CTextClip* clip) const
{
    if (IsPlain(m_lines))
        return CFontEngine::Get().RenderText(LineFont(m_lines[0]), m_lines[0].text, mask, clip);
    struct Placed {
        CTextMask mask;
        int x, y;
    };
    std::vector<Placed> parts;
    long long minU = 0, minV = 0, maxU = 0, maxV = 0;
    for (const CTextLine& line : m_lines) {
        if (!LineMayReach(line, m_font.height, clip))
            continue;
        CTextClip lineClip;
        if (clip)
            lineClip = {clip->left - line.x, clip->top - line.y, clip->right - line.x, clip->bottom - line.y};
        Placed p{CTextMask{}, line.x, line.y};
        if (!CFontEngine::Get().RenderText(LineFont(line), line.text, p.mask, clip ? &lineClip : nullptr))
            return false;
        if (p.mask.width <= 0 || p.mask.height <= 0)
            continue;
        const long long u0 = p.x + p.mask.left, v0 = p.y + p.mask.top;
        const long long u1 = u0 + p.mask.width, v1 = v0 + p.mask.height;
        if (parts.empty())
            minU = u0, minV = v0, maxU = u1, maxV = v1;
        minU = std::min(minU, u0), minV = std::min(minV, v0);
        maxU = std::max(maxU, u1), maxV = std::max(maxV, v1);
        parts.push_back(std::move(p));
    }
    // The same bound as one line's mask: a block that would need more is not drawn.
    if ((maxU - minU) * (maxV - minV) > (64LL << 20))
        return false;
    mask = CTextMask{};
    mask.advance = m_width;
    mask.cellHeight = m_height;
    mask.smooth = m_font.smooth;
    mask.left = static_cast<int>(minU);
    mask.top = static_cast<int>(minV);
    mask.width = static_cast<int>(maxU - minU);
    mask.height = static_cast<int>(maxV - minV);
    mask.bits.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
    for (const Placed& p : parts)
        for (int row = 0; row < p.mask.height; ++row) {
            std::uint8_t* out = mask.bits.data() + static_cast<std::size_t>(p.y + p.mask.top + row - minV) * mask.width +
                                (p.x + p.mask.left - minU);
            const std::uint8_t* in = p.mask.bits.data() + static_cast<std::size_t>(row) * p.mask.width;
            for (int col = 0; col < p.mask.width; ++col)
                out[col] = std::max(out[col], in[col]);
        }
    return true;
}

bool CTextBlock::MeasureInk(CTextInk& ink) const
{
    if (IsPlain(m_lines))
        return CFontEngine::Get().MeasureInk(LineFont(m_lines[0]), m_lines[0].text, ink);
    ink = CTextInk{};
    for (const CTextLine& line : m_lines) {
        CTextInk part;
        if (!CFontEngine::Get().MeasureInk(LineFont(line), line.text, part))
            return false;
        if (!part.any)
            continue;
        const int l = part.left + line.x, r = part.right + line.x, t = part.top + line.y, b = part.bottom + line.y;
        if (!ink.any) {
            ink.left = l, ink.right = r, ink.top = t, ink.bottom = b;
            ink.any = true;
        }
        ink.left = std::min(ink.left, l), ink.right = std::max(ink.right, r);
        ink.top = std::min(ink.top, t), ink.bottom = std::max(ink.bottom, b);
    }
    ink.advance = m_width;
    ink.cellHeight = m_height;
    return true;
}

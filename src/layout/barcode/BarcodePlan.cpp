#include "layout/barcode/BarcodePlan.h"

#include "layout/text/FontEngine.h"

#include <algorithm>
#include <climits>

namespace {

// Box pixels of a point of the upright symbol: u along from the starting
// edge, v across from the bars' top. 0 reads left to right, 1800 right to
// left, 900 bottom to top (the bars' top on the left), 2700 top to bottom.
struct CTurn {
    int angle, left, top, right, bottom;
    void Map(long long u, long long v, long long& x, long long& y) const
    {
        switch (angle) {
        case 900: x = left + v; y = bottom - 1 - u; break;
        case 1800: x = right - 1 - u; y = bottom - 1 - v; break;
        case 2700: x = right - 1 - v; y = top + u; break;
        default: x = left + u; y = top + v; break;
        }
    }
    void Fill(CContentBitmap& bitmap, long long u0, long long v0, long long u1, long long v1) const
    {
        if (u1 <= u0 || v1 <= v0)
            return;
        long long xa, ya, xb, yb;
        Map(u0, v0, xa, ya);
        Map(u1 - 1, v1 - 1, xb, yb);
        const auto clamp = [](long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN / 2, INT_MAX / 2)); };
        bitmap.FillRect(clamp(std::min(xa, xb)), clamp(std::min(ya, yb)), clamp(std::max(xa, xb) + 1),
                        clamp(std::max(ya, yb) + 1), 0x000000);
    }
};

// Faces the characters are drawn in, the first installed one used.
std::string CharacterFace()
{
    static const std::string face = [] {
        for (const char* name : {"DejaVu Sans Mono", "Liberation Mono", "DejaVu Sans", "Liberation Sans"})
            if (CFontEngine::Get().IsFaceInstalled(name))
                return std::string(name);
        return std::string("Arial");
    }();
    return face;
}

struct CInk {
    int left = 0, top = 0, right = 0, bottom = 0;  // cell coordinates, right and bottom exclusive
    bool empty = true;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

CInk FindInk(const CTextMask& mask)
{
    CInk ink;
    for (int r = 0; r < mask.height; ++r)
        for (int c = 0; c < mask.width; ++c)
            if (mask.Ink(c, r)) {
                const int u = mask.left + c, v = mask.top + r;
                if (ink.empty) {
                    ink = {u, v, u + 1, v + 1, false};
                } else {
                    ink.left = std::min(ink.left, u);
                    ink.top = std::min(ink.top, v);
                    ink.right = std::max(ink.right, u + 1);
                    ink.bottom = std::max(ink.bottom, v + 1);
                }
            }
    return ink;
}

CFontRequest Font(int cell)
{
    CFontRequest font;
    font.face = CharacterFace();
    font.height = std::clamp(cell, 1, CFontEngine::kMaxHeight);
    return font;
}

// Top row of the digits' ink in a cell of this height.
int DigitTop(int cell)
{
    CTextMask mask;
    if (!CFontEngine::Get().RenderText(Font(cell), "0123456789", mask))
        return 0;
    return FindInk(mask).top;
}

// Cell height whose digits are at most `inkHeight` pixels high (0 when no
// font can be had), and the top of the digits' ink in that cell.
int DigitCell(int inkHeight, int& digitTop)
{
    CTextMask mask;
    int cell = std::max(1, inkHeight * 16 / 10);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (!CFontEngine::Get().RenderText(Font(cell), "0123456789", mask))
            return 0;
        const CInk ink = FindInk(mask);
        if (ink.empty)
            return 0;
        digitTop = ink.top;
        if (ink.Height() <= inkHeight || cell == 1)
            return cell;
        // Shrink in proportion, by at least one pixel.
        cell = std::max(1, std::min(cell - 1, static_cast<int>(static_cast<long long>(cell) * inkHeight / ink.Height())));
    }
    return cell;
}

}  // namespace

void CBarcodePlan::AddModules(const std::string& pattern, bool guard)
{
    for (std::size_t i = 0; i < pattern.size();) {
        std::size_t j = i;
        while (j < pattern.size() && pattern[j] == pattern[i])
            ++j;
        if (pattern[i] == '1')
            m_bars.push_back({m_cursor, static_cast<int>(j - i), guard});
        m_cursor += static_cast<int>(j - i);
        i = j;
    }
}

void CBarcodePlan::AddWidths(const std::string& widths)
{
    bool bar = true;
    for (char c : widths) {
        const int width = c - '0';
        if (bar)
            m_bars.push_back({m_cursor, width, false});
        m_cursor += width;
        bar = !bar;
    }
}

void CBarcodePlan::AddText(const std::string& text, int start, int end, bool small)
{
    m_texts.push_back({text, start, end, small});
}

void CBarcodePlan::GetNaturalSize(int angle, int& width, int& height) const
{
    width = GetAlongModules();
    height = GetAcrossModules();
    if (angle == 900 || angle == 2700)
        std::swap(width, height);
}

int CBarcodePlan::GetModule(int angle, int width, int height) const
{
    const bool vertical = angle == 900 || angle == 2700;
    const long long along = vertical ? height : width;
    const long long across = vertical ? width : height;
    if (along <= 0 || across <= 0 || GetAlongModules() <= 0 || GetAcrossModules() <= 0)
        return 0;
    return static_cast<int>(std::min(along / GetAlongModules(), across / GetAcrossModules()));
}

void CBarcodePlan::Draw(CContentBitmap& bitmap, int angle, int left, int top, int right, int bottom) const
{
    const long long m = GetModule(angle, right - left, bottom - top);
    if (m <= 0)
        return;
    const bool vertical = angle == 900 || angle == 2700;
    const long long along = vertical ? static_cast<long long>(bottom) - top : static_cast<long long>(right) - left;
    const long long across = vertical ? static_cast<long long>(right) - left : static_cast<long long>(bottom) - top;
    const long long start = (along - GetAlongModules() * m) / 2;
    const long long barBottom = across - kTextModules * m;
    const CTurn turn{angle, left, top, right, bottom};
    for (const CBarcodeBar& bar : m_bars)
        turn.Fill(bitmap, start + bar.start * m, 0, start + (bar.start + bar.width) * m,
                  bar.guard ? barBottom + kGuardModules * m : barBottom);
    if (m_texts.empty())
        return;

    // Characters: digits kDigitModules high (small ones kSmallDigitModules,
    // their feet level with the others), the tops of the digits kGapModules
    // below the bars, each text centred under its modules and narrowed
    // when it would be wider than they are.
    const long long digitHeight = std::min<long long>(kDigitModules * m, CFontEngine::kMaxHeight / 2);
    const long long smallHeight = digitHeight * kSmallDigitModules / kDigitModules;
    const long long digitsTop = barBottom + kGapModules * m;
    int normalTop = 0, smallTop = 0;
    const int normalCell = DigitCell(static_cast<int>(digitHeight), normalTop);
    const int smallCell = DigitCell(static_cast<int>(smallHeight), smallTop);
    if (normalCell <= 0 || smallCell <= 0)
        return;  // no font at all: the bars alone
    for (const CBarcodeText& text : m_texts) {
        const long long height = text.small ? smallHeight : digitHeight;
        int digitTop = text.small ? smallTop : normalTop;
        int cell = text.small ? smallCell : normalCell;
        CTextMask mask;
        CInk ink;
        const long long span = (static_cast<long long>(text.end) - text.start) * m;
        for (int attempt = 0; attempt < 8; ++attempt) {
            if (!CFontEngine::Get().RenderText(Font(cell), text.text, mask))
                return;
            ink = FindInk(mask);
            if (ink.empty || ink.Width() <= span || cell == 1)
                break;
            cell = std::max(1, std::min(cell - 1, static_cast<int>(static_cast<long long>(cell) * span / ink.Width())));
            digitTop = DigitTop(cell);
        }
        if (ink.empty)
            continue;
        // Cell point (u, v) goes to symbol point (baseU + u, baseV + v).
        const long long centre = start + (static_cast<long long>(text.start) + text.end) * m / 2;
        const long long baseU = centre - (ink.left + ink.right) / 2;
        const long long baseV = digitsTop + (digitHeight - height) - digitTop;
        for (int r = 0; r < mask.height; ++r)
            for (int c = 0; c < mask.width; ++c)
                if (mask.Ink(c, r)) {
                    const long long u = baseU + mask.left + c, v = baseV + mask.top + r;
                    if (u < 0 || u >= along || v < 0 || v >= across)
                        continue;
                    long long x, y;
                    turn.Map(u, v, x, y);
                    bitmap.SetPixel(static_cast<int>(x), static_cast<int>(y), 0x000000);
                }
    }
}

#include "layout/objects/DrawObject.h"

#include "layout/face/LayoutPainter.h"

#include <algorithm>
#include <cstdlib>

int CDrawObject::GetWidth() const
{
    return static_cast<int>(std::llabs(static_cast<long long>(m_x2) - m_x1));
}

int CDrawObject::GetHeight() const
{
    return static_cast<int>(std::llabs(static_cast<long long>(m_y2) - m_y1));
}

void CDrawObject::Paint(CLayoutPainter&, int, int, int, int) const {}

void CDrawObject::DrawTracker(CLayoutPainter& painter) const
{
    const CDrawPoint a = painter.FaceToWindow({GetMinX(), GetMaxY()});  // top-left
    const CDrawPoint b = painter.FaceToWindow({GetMaxX(), GetMinY()});  // bottom-right
    const COLORREF black = 0;
    painter.Line(a.x, a.y, b.x, a.y, black, 1);
    painter.Line(b.x, a.y, b.x, b.y, black, 1);
    painter.Line(b.x, b.y, a.x, b.y, black, 1);
    painter.Line(a.x, b.y, a.x, a.y, black, 1);
    DrawGhost(painter, a.x, a.y, b.x, b.y);
}

bool CDrawObject::CanResizeTo(bool changeWidth, int width, bool changeHeight, int height) const
{
    if (changeWidth) {
        if (!CanResizeWidth() || width < GetMinWidth() || width > GetMaxWidth())
            return false;
        const int w = GetWidthForHeight(changeHeight ? height : GetHeight());
        if (w != 0 && w != width)
            return false;
    }
    if (changeHeight) {
        if (!CanResizeHeight() || height < GetMinHeight() || height > GetMaxHeight())
            return false;
        const int h = GetHeightForWidth(changeWidth ? width : GetWidth());
        if (h != 0 && h != height)
            return false;
    }
    return true;
}

void CDrawObject::StoreBounds(int left, int top, int right, int bottom)
{
    if (m_x1 >= m_x2) {
        m_x1 = right;
        m_x2 = left;
    } else {
        m_x1 = left;
        m_x2 = right;
    }
    if (m_y1 <= m_y2) {
        m_y1 = bottom;
        m_y2 = top;
    } else {
        m_y1 = top;
        m_y2 = bottom;
    }
}

void CDrawObject::SetBounds(int left, int top, int right, int bottom)
{
    StoreBounds(left, top, right, bottom);
    InvalidateCache();
}

void CDrawObject::Offset(int dx, int dy)
{
    m_x1 += dx;
    m_x2 += dx;
    m_y1 += dy;
    m_y2 += dy;
}

bool CDrawObject::IsFilled() const
{
    return HasFillColour() && HasStyle() && (m_style == kStyleFilled || m_style == kStyleOutlinedFilled);
}

bool CDrawObject::IsOutlined() const
{
    if (HasStyle())
        return HasLineColour() && (m_style == kStyleOutlined || m_style == kStyleOutlinedFilled);
    return HasLineColour();
}

// Common part of every record: version 1, the selection (when asked), the
// colours and style the kind has, then the box as x1, y1, x2, y2.
void CDrawObject::Save(CRecordStream& stream, bool /*shareImages*/, bool withSelection) const
{
    stream.WriteU32(1);
    if (withSelection)
        stream.WriteU32(m_selection);
    if (HasLineColour())
        stream.WriteColour(m_lineColour);
    if (HasFillColour())
        stream.WriteColour(m_fillColour);
    if (HasStyle())
        stream.WriteU32(m_style);
    stream.WriteI32(m_x1);
    stream.WriteI32(m_y1);
    stream.WriteI32(m_x2);
    stream.WriteI32(m_y2);
}

bool CDrawObject::Load(CRecordStream& stream, bool /*shareImages*/, bool withSelection)
{
    if (stream.ReadU32() != 1)
        return false;
    if (withSelection) {
        const std::uint32_t state = stream.ReadU32();
        // Anything beyond the three states still means "selected".
        m_selection = state > kSelectDominant ? kSelectOn : state;
    }
    if (HasLineColour())
        m_lineColour = stream.ReadColour() & 0xFFFFFFu;
    if (HasFillColour())
        m_fillColour = stream.ReadColour() & 0xFFFFFFu;
    if (HasStyle())
        m_style = stream.ReadU32();
    m_x1 = stream.ReadI32();
    m_y1 = stream.ReadI32();
    m_x2 = stream.ReadI32();
    m_y2 = stream.ReadI32();
    return !stream.Failed();
}

void CDrawObject::SetLineWidth(int width)
{
    m_lineWidth = std::clamp(width, 1, kMaxLineWidth);
    InvalidateCache();
}

void CDrawObject::SetDash(std::uint32_t dash)
{
    m_dash = dash <= kDashDashDot ? dash : kDashSolid;
    InvalidateCache();
}

void CDrawObject::SetCornerRadius(int radius)
{
    m_cornerRadius = std::clamp(radius, 0, kDrawMaxSize);
    InvalidateCache();
}

void CDrawObject::SetOpacity(std::uint32_t percent)
{
    m_opacity = std::min<std::uint32_t>(percent, 100);
    InvalidateCache();
}

namespace {
// Words before the name: the flags, then the four of the look.
constexpr std::uint32_t kPropertyWordsPlain = 1;
constexpr std::uint32_t kPropertyWordsLook = 5;
}  // namespace

void CDrawObject::SaveProperties(CRecordStream& stream) const
{
    const std::uint32_t flags = (m_hidden ? 1u : 0u) | (m_locked ? 2u : 0u);
    const bool look = !HasPlainLook();
    if (flags == 0 && m_name.empty() && !look)
        return;
    stream.WriteU32(kPropertiesTag);
    stream.WriteU32(look ? kPropertyWordsLook : kPropertyWordsPlain);
    stream.WriteU32(flags);
    if (look) {
        stream.WriteI32(m_lineWidth);
        stream.WriteU32(m_dash);
        stream.WriteI32(m_cornerRadius);
        stream.WriteU32(m_opacity);
    }
    stream.WriteString(m_name);
}

bool CDrawObject::LoadProperties(CRecordStream& stream)
{
    m_name.clear();
    m_hidden = m_locked = false;
    m_lineWidth = 1;
    m_dash = kDashSolid;
    m_cornerRadius = 0;
    m_opacity = 100;
    std::uint32_t tag = 0;
    if (stream.Failed() || !stream.PeekU32(tag) || tag != kPropertiesTag)
        return !stream.Failed();
    stream.ReadU32();
    const std::uint32_t words = stream.ReadU32();
    if (words < 1 || !stream.HasRoomFor(words, 4))
        return false;
    const std::uint32_t flags = stream.ReadU32();
    std::uint32_t read = kPropertyWordsPlain;
    if (words >= kPropertyWordsLook) {
        SetLineWidth(stream.ReadI32());
        SetDash(stream.ReadU32());
        SetCornerRadius(stream.ReadI32());
        SetOpacity(stream.ReadU32());
        read = kPropertyWordsLook;
    }
    for (std::uint32_t i = read; i < words && !stream.Failed(); ++i)
        stream.ReadU32();
    m_name = stream.ReadString();
    m_hidden = (flags & 1u) != 0;
    m_locked = (flags & 2u) != 0;
    return !stream.Failed();
}

std::unique_ptr<CDrawObject> CDrawObject::Clone(bool textMode, bool withSelection) const
{
    std::unique_ptr<CDrawObject> copy = CreateDrawObject(GetKindCode());
    if (!copy)
        return nullptr;
    bool ok = false;
    if (textMode) {
        CTextRecordStream stream;
        Save(stream, true, withSelection);
        SaveProperties(stream);
        stream.Rewind();
        ok = copy->Load(stream, true, withSelection) && copy->LoadProperties(stream);
    } else {
        CBinaryRecordStream stream;
        Save(stream, false, withSelection);
        SaveProperties(stream);
        stream.Rewind();
        ok = copy->Load(stream, false, withSelection) && copy->LoadProperties(stream);
    }
    if (!ok)
        return nullptr;
    copy->InvalidateCache();
    copy->m_orderKey = m_orderKey;
    return copy;
}

namespace {

struct NormBox {
    long long minX, maxX, minY, maxY;
};

NormBox Normalised(long long x1, long long y1, long long x2, long long y2)
{
    NormBox b{x1 < x2 ? x1 : x2, x1 < x2 ? x2 : x1, y1 < y2 ? y1 : y2, y1 < y2 ? y2 : y1};
    if (b.minX == b.maxX)
        ++b.maxX;
    if (b.minY == b.maxY)
        ++b.maxY;
    return b;
}

bool Inside(const NormBox& b, long long x, long long y)
{
    return x >= b.minX && x < b.maxX && y >= b.minY && y < b.maxY;
}

}  // namespace

bool CDrawObject::HitTest(int x, int y) const
{
    return Inside(Normalised(m_x1, m_y1, m_x2, m_y2), x, y);
}

bool CDrawObject::HitTestBand(int left, int top, int right, int bottom) const
{
    const NormBox box = Normalised(m_x1, m_y1, m_x2, m_y2);
    const NormBox band = Normalised(left, top, right, bottom);
    if (Inside(box, left, top) || Inside(box, right, bottom))
        return true;
    return band.minX < box.maxX && box.minX < band.maxX && band.minY < box.maxY && box.minY < band.maxY;
}

int TurnAngle(int angle, int delta)
{
    int a = angle + delta;
    while (a < 0)
        a += 3600;
    while (a >= 3600)
        a -= 3600;
    return a;
}

int NormaliseQuarterAngle(std::int64_t angle)
{
    std::int64_t a = angle % 3600;
    if (a < 0)
        a += 3600;
    return static_cast<int>(a / 900 * 900);
}

void SaveDrawObject(CRecordStream& stream, const CDrawObject& object, bool shareImages, bool withSelection)
{
    stream.WriteString(object.GetKindCode());
    object.Save(stream, shareImages, withSelection);
    object.SaveProperties(stream);
}

std::unique_ptr<CDrawObject> LoadDrawObject(CRecordStream& stream, bool shareImages, bool withSelection,
                                            bool* unknownKind)
{
    if (unknownKind)
        *unknownKind = false;
    const std::string code = stream.ReadString();
    if (stream.Failed())
        return nullptr;
    std::unique_ptr<CDrawObject> object = CreateDrawObject(code);
    if (!object) {
        if (unknownKind)
            *unknownKind = true;
        return nullptr;
    }
    if (!object->Load(stream, shareImages, withSelection) || !object->LoadProperties(stream))
        return nullptr;
    object->InvalidateCache();
    return object;
}

void RotateDrawObject(CDrawObject& object, bool left)
{
    const long long cx = (static_cast<long long>(object.GetX1()) + object.GetX2()) / 2;
    const long long cy = (static_cast<long long>(object.GetY1()) + object.GetY2()) / 2;
    const auto turn = [&](long long x, long long y, long long& ox, long long& oy) {
        if (left) {
            ox = cx - (y - cy);
            oy = cy + (x - cx);
        } else {
            ox = cx + (y - cy);
            oy = cy - (x - cx);
        }
    };
    long long ax, ay, bx, by;
    turn(object.GetX1(), object.GetY1(), ax, ay);
    turn(object.GetX2(), object.GetY2(), bx, by);
    object.SetCoords(static_cast<std::int32_t>(ax), static_cast<std::int32_t>(ay), static_cast<std::int32_t>(bx),
                     static_cast<std::int32_t>(by));
    if (left)
        object.RotateLeft(static_cast<int>(cx), static_cast<int>(cy));
    else
        object.RotateRight(static_cast<int>(cx), static_cast<int>(cy));
    object.InvalidateCache();
}

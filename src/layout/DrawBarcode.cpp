#include "layout/DrawBarcode.h"

#include <algorithm>

CBarcode39 CDrawBarcode::Encoder() const
{
    CBarcode39 code;
    code.SetData(m_data);
    code.SetAngle(m_angle);
    return code;
}

void CDrawBarcode::GetNaturalSize(int& width, int& height) const
{
    Encoder().GetNaturalSize(width, height);
}

int CDrawBarcode::GetMinWidth() const
{
    int w = 0, h = 0;
    GetNaturalSize(w, h);
    return w;
}

int CDrawBarcode::GetMinHeight() const
{
    int w = 0, h = 0;
    GetNaturalSize(w, h);
    return h;
}

bool CDrawBarcode::SetData(const std::string& data)
{
    if (!CBarcode39::IsValidData(data))
        return false;
    m_data = data;
    InvalidateCache();
    return true;
}

void CDrawBarcode::FitToBarcode()
{
    int w = 0, h = 0;
    GetNaturalSize(w, h);
    ResizeKeepingCorner(std::max(GetWidth(), w), std::max(GetHeight(), h));
}

void CDrawBarcode::SetBounds(int left, int top, int right, int bottom)
{
    StoreBounds(left, top, right, bottom);
    InvalidateCache();
    FitToBarcode();
}

void CDrawBarcode::RotateLeft(int cx, int cy)
{
    CDrawBitmapObject::RotateLeft(cx, cy);
}

void CDrawBarcode::RotateRight(int cx, int cy)
{
    CDrawBitmapObject::RotateRight(cx, cy);
}

void CDrawBarcode::DrawContent(CContentBitmap& bitmap) const
{
    const int w = bitmap.GetFullWidth(), h = bitmap.GetFullHeight();
    bitmap.FillRect(0, 0, w, h, 0xFFFFFF);
    Encoder().Draw(bitmap, 0, 0, w, h);
}

void CDrawBarcode::Save(CRecordStream& stream, bool shareImages, bool withSelection) const
{
    CDrawObject::Save(stream, shareImages, withSelection);
    stream.WriteU32(1);
    stream.WriteString(m_data);
    stream.WriteI32(m_angle);
}

bool CDrawBarcode::Load(CRecordStream& stream, bool shareImages, bool withSelection)
{
    if (!CDrawObject::Load(stream, shareImages, withSelection))
        return false;
    if (stream.ReadU32() != 1)
        return false;
    std::string data = stream.ReadString();
    const std::int32_t angle = stream.ReadI32();
    if (stream.Failed())
        return false;
    // Data with characters outside the set is kept as it was stored (the
    // symbol then shows only its start and stop characters).
    m_data = std::move(data);
    m_angle = NormaliseQuarterAngle(angle);
    InvalidateCache();
    return true;
}

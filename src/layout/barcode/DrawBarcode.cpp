#include "layout/barcode/DrawBarcode.h"

#include "layout/barcode/Barcode128.h"
#include "layout/barcode/BarcodeEan.h"

#include <algorithm>

CBarcode39 CDrawBarcode::Encoder() const
{
    CBarcode39 code;
    code.SetData(m_data);
    code.SetAngle(m_angle);
    code.SetQuietZones(m_quietZones);
    return code;
}

bool CDrawBarcode::MakePlan(CBarcodePlan& plan) const
{
    switch (m_kind) {
    case EBarcodeKind::Ean13:
    case EBarcodeKind::Ean8:
    case EBarcodeKind::UpcA: return CBarcodeEan::MakePlan(m_kind, m_data, plan);
    case EBarcodeKind::Code128: return CBarcode128::MakePlan(m_data, plan);
    default: return false;
    }
}

void CDrawBarcode::GetNaturalSize(int& width, int& height) const
{
    if (m_kind == EBarcodeKind::Code39) {
        Encoder().GetNaturalSize(width, height);
        return;
    }
    CBarcodePlan plan;
    if (MakePlan(plan)) {
        plan.GetNaturalSize(m_angle, width, height);
    } else {
        width = 1;
        height = 1;
    }
}

int CDrawBarcode::GetModule() const
{
    int w = 0, h = 0;
    GetNaturalSize(w, h);
    if (m_kind == EBarcodeKind::Code39) {
        // Along the symbol whole modules; across, the bars fill the box.
        const bool vertical = m_angle == 900 || m_angle == 2700;
        const int along = vertical ? GetHeight() : GetWidth(), modules = vertical ? h : w;
        return modules > 0 ? along / modules : 0;
    }
    CBarcodePlan plan;
    return MakePlan(plan) ? plan.GetModule(m_angle, GetWidth(), GetHeight()) : 0;
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

std::uint32_t CDrawBarcode::GetOldestReader() const
{
    return m_kind == EBarcodeKind::Code39 ? kReaderVersionFirst : kReaderVersionBarcodeKinds;
}

bool CDrawBarcode::SetData(const std::string& data)
{
    if (m_kind == EBarcodeKind::Code39) {
        if (!CBarcode39::IsValidData(data))
            return false;
        m_data = data;
        InvalidateCache();
        return true;
    }
    return SetBarcode(m_kind, data);
}

bool CDrawBarcode::SetBarcode(EBarcodeKind kind, const std::string& data, std::string* message)
{
    std::string complete, why;
    // Code 39 data may be empty, as it always could be through SetData.
    const bool ok = (kind == EBarcodeKind::Code39 && data.empty()) || CheckBarcodeData(kind, data, complete, why);
    if (!ok) {
        if (message)
            *message = why;
        return false;
    }
    m_kind = kind;
    m_data = complete;
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
    if (m_kind == EBarcodeKind::Code39) {
        Encoder().Draw(bitmap, 0, 0, w, h);
        return;
    }
    CBarcodePlan plan;
    if (MakePlan(plan))
        plan.Draw(bitmap, m_angle, 0, 0, w, h);
}

void CDrawBarcode::Save(CRecordStream& stream, bool shareImages, bool withSelection) const
{
    CDrawObject::Save(stream, shareImages, withSelection);
    const bool first = m_kind == EBarcodeKind::Code39;
    stream.WriteU32(first ? 1 : 2);
    stream.WriteString(m_data);
    stream.WriteI32(m_angle);
    if (!first)
        stream.WriteU32(static_cast<std::uint32_t>(m_kind));
    // The retail kinds always keep their quiet zones: only Code 39 says so.
    if (first && m_quietZones) {
        stream.WriteU32(kOptionsTag);
        stream.WriteU32(1);
        stream.WriteU32(kOptionQuietZones);
    }
}

bool CDrawBarcode::Load(CRecordStream& stream, bool shareImages, bool withSelection)
{
    if (!CDrawObject::Load(stream, shareImages, withSelection))
        return false;
    const std::uint32_t version = stream.ReadU32();
    if (version != 1 && version != 2)
        return false;
    std::string data = stream.ReadString();
    const std::int32_t angle = stream.ReadI32();
    EBarcodeKind kind = EBarcodeKind::Code39;
    if (version == 2) {
        const std::uint32_t value = stream.ReadU32();
        // A kind this program does not know, or a second record claiming
        // Code 39, is not read as something else.
        if (!IsBarcodeKind(value) || value == static_cast<std::uint32_t>(EBarcodeKind::Code39))
            return false;
        kind = static_cast<EBarcodeKind>(value);
    }
    // Without the optional fields a Code 39 symbol fills its box, as it was made.
    bool quietZones = false;
    std::uint32_t tag = 0;
    if (!stream.Failed() && stream.PeekU32(tag) && tag == kOptionsTag) {
        stream.ReadU32();
        const std::uint32_t words = stream.ReadU32();
        if (words < 1 || !stream.HasRoomFor(words, 4))
            return false;
        quietZones = (stream.ReadU32() & kOptionQuietZones) != 0;
        for (std::uint32_t i = 1; i < words && !stream.Failed(); ++i)
            stream.ReadU32();  // words a later version adds
    }
    if (stream.Failed())
        return false;
    if (kind != EBarcodeKind::Code39) {
        // Retail data is stored complete; anything else is a damaged record.
        std::string complete, message;
        if (!CheckBarcodeData(kind, data, complete, message) || complete != data)
            return false;
    }
    // Code 39 data with characters outside the set is kept as it was stored
    // (the symbol then shows only its start and stop characters).
    m_data = std::move(data);
    m_kind = kind;
    m_quietZones = quietZones || kind != EBarcodeKind::Code39;
    m_angle = NormaliseQuarterAngle(angle);
    InvalidateCache();
    return true;
}

#pragma once
// CDrawBarcode: a Code 39 symbol of the object's data, black bars on white,
// stretched in whole modules across the box and turned in quarter steps.

#include "layout/Barcode39.h"
#include "layout/DrawBitmapObject.h"

class CDrawBarcode final : public CDrawBitmapObject {
public:
    CDrawBarcode() = default;

    const char* GetKindCode() const override { return "BARCODE"; }
    const char* GetKindName() const override { return "Barcode"; }
    bool IsFilled() const override { return false; }
    bool IsOutlined() const override { return false; }
    std::string GetText() const override { return m_data; }
    COLORREF GetBackgroundColour() const override { return 0xFFFFFF; }
    bool IsTransparent() const override { return false; }
    int GetMinWidth() const override;
    int GetMinHeight() const override;

    void SetBounds(int left, int top, int right, int bottom) override;
    void RotateLeft(int cx, int cy) override;
    void RotateRight(int cx, int cy) override;
    void DrawContent(CContentBitmap& bitmap) const override;
    void Save(CRecordStream& stream, bool shareImages, bool withSelection) const override;
    bool Load(CRecordStream& stream, bool shareImages, bool withSelection) override;

    // False (data unchanged) when a character is outside the Code 39 set.
    bool SetData(const std::string& data);
    const std::string& GetData() const { return m_data; }
    void GetNaturalSize(int& width, int& height) const;
    // Grows a side shorter than the natural size, keeping the corner the
    // angle names; a larger box stays as it is.
    void FitToBarcode();

private:
    CBarcode39 Encoder() const;

    std::string m_data;
};

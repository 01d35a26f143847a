#pragma once
// CDrawBarcode: a barcode symbol of the object's data, black bars on white,
// stretched in whole modules across the box and turned in quarter steps.
// Code 39 symbols fill the box's thickness with bars alone; the retail
// kinds (EAN-13, EAN-8, UPC-A, Code 128) keep their quiet zones inside the
// box and print their human-readable characters under the bars.
//
// Record: Code 39 objects keep the first record (u32 1, data, angle), so
// files and older programs see them as before; other kinds write u32 2,
// data, angle, u32 kind, and raise the oldest reader of the file. Either may
// end in optional fields (a tag, a word count, the option bits): a Code 39
// symbol with quiet zones says so there, and a reader that stops before them
// (a project file keeps each object in a block of its own) ignores them.

#include "layout/barcode/Barcode39.h"
#include "layout/barcode/BarcodeKind.h"
#include "layout/barcode/BarcodePlan.h"
#include "layout/shapes/DrawBitmapObject.h"

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
    std::uint32_t GetOldestReader() const override;

    void SetBounds(int left, int top, int right, int bottom) override;
    void RotateLeft(int cx, int cy) override;
    void RotateRight(int cx, int cy) override;
    void DrawContent(CContentBitmap& bitmap) const override;
    void Save(CRecordStream& stream, bool shareImages, bool withSelection) const override;
    bool Load(CRecordStream& stream, bool shareImages, bool withSelection) override;

    // Data of the current kind; false (data unchanged) when the kind refuses it.
    bool SetData(const std::string& data);
    // Kind and data together; false (object unchanged) with the reason in
    // `message` when the data does not suit the kind. EAN and UPC numbers
    // are stored with their check digit.
    bool SetBarcode(EBarcodeKind kind, const std::string& data, std::string* message = nullptr);
    const std::string& GetData() const { return m_data; }
    EBarcodeKind GetBarcodeKind() const { return m_kind; }
    void GetNaturalSize(int& width, int& height) const;
    // The module (face pixels) the symbol is drawn at in the present box; 0
    // when the box is too small to draw it. The drawn symbol, light margins
    // included, is the natural size times the module.
    int GetModule() const;
    // Grows a side shorter than the natural size, keeping the corner the
    // angle names; a larger box stays as it is.
    void FitToBarcode();
    // Code 39: light margins of CBarcode39::kQuietModules inside the box
    // (every barcode made by this version; stored ones without the option
    // keep drawing as they were saved).
    bool GetQuietZones() const { return m_quietZones; }
    void SetQuietZones(bool on) { m_quietZones = on; InvalidateCache(); }

private:
    CBarcode39 Encoder() const;
    // The layout of a retail kind; false for Code 39 or data it refuses.
    bool MakePlan(CBarcodePlan& plan) const;

    static constexpr std::uint32_t kOptionsTag = 0x42434F31u;
    static constexpr std::uint32_t kOptionQuietZones = 1u;

    std::string m_data;
    EBarcodeKind m_kind = EBarcodeKind::Code39;
    bool m_quietZones = true;
};

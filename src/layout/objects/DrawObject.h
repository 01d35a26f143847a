#pragma once
// CDrawObject: one vector object placed on a face in the layout editor.
//
// Coordinates are face pixels: x to the right, y upwards, (0, 0) the
// bottom-left pixel of the face picture. The box is kept as x1, x2, y1, y2
// without normalising (x1 may exceed x2); for a line (x1, y1) and (x2, y2)
// are its end points, so the stored orientation is the line's direction.
//
// Kinds override what they need; the defaults below are those of a plain
// shape. Every kind saves and loads one record body through a CRecordStream
// (see Save / Load in the .cpp for the common part).

#include "app/FaceObjects.h"
#include "image/Color.h"
#include "layout/objects/RecordStream.h"

#include <cstdint>
#include <memory>
#include <string>

class CRaster;
class CLayoutPainter;

// Selection states kept in the object itself (and saved with it).
constexpr std::uint32_t kSelectNone = 0;
constexpr std::uint32_t kSelectOn = 1;
constexpr std::uint32_t kSelectDominant = 2;

// Fill styles of closed shapes.
constexpr std::uint32_t kStyleOutlined = 0;
constexpr std::uint32_t kStyleFilled = 1;
constexpr std::uint32_t kStyleOutlinedFilled = 2;

// The largest size a kind allows by default (face pixels).
constexpr int kDrawMaxSize = 999999;

// Dash styles of lines.
constexpr std::uint32_t kDashSolid = 0;
constexpr std::uint32_t kDashDash = 1;
constexpr std::uint32_t kDashDot = 2;
constexpr std::uint32_t kDashDashDot = 3;
// The widest line (face pixels).
constexpr int kMaxLineWidth = 1000;

class CDrawObject {
public:
    virtual ~CDrawObject() = default;
    CDrawObject(const CDrawObject&) = delete;
    CDrawObject& operator=(const CDrawObject&) = delete;

    // ---- Virtual operations ----------------------------------------------------
    virtual void InvalidateCache() {}
    // Draws the object on screen into the window rectangle given (window
    // pixels, y down); the painter maps face points and caches pens.
    virtual void Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const;
    virtual void RotateLeft(int /*cx*/, int /*cy*/) {}
    virtual void RotateRight(int /*cx*/, int /*cy*/) {}
    bool CanResizeTo(bool changeWidth, int width, bool changeHeight, int height) const;
    virtual int GetMinWidth() const { return 0; }
    virtual int GetMinHeight() const { return 0; }
    // A non-zero answer ties the width to the height (and the reverse);
    // -1 asks for the object's current size.
    virtual int GetWidthForHeight(int /*height*/) const { return 0; }
    virtual int GetHeightForWidth(int /*width*/) const { return 0; }
    virtual int GetMaxWidth() const { return kDrawMaxSize; }
    virtual int GetMaxHeight() const { return kDrawMaxSize; }
    virtual bool CanResizeWidth() const { return true; }
    virtual bool CanResizeHeight() const { return true; }
    // New box in face coordinates (top >= bottom). Each stored pair keeps its
    // orientation: a line drawn right-to-left stays right-to-left.
    virtual void SetBounds(int left, int top, int right, int bottom);
    virtual void Offset(int dx, int dy);
    // Burns the object into a 24-bit face picture (face pixels, y up).
    virtual void RenderToFace(CRaster& face) const = 0;
    virtual const char* GetKindCode() const = 0;
    virtual const char* GetKindName() const = 0;
    virtual bool HasStyle() const = 0;
    virtual bool HasLineColour() const = 0;
    virtual bool HasFillColour() const = 0;
    // Writes / reads the record body. Load returns false when the record is
    // malformed (the object may then be partly read and must be discarded).
    virtual void Save(CRecordStream& stream, bool shareImages, bool withSelection) const;
    virtual bool Load(CRecordStream& stream, bool shareImages, bool withSelection);
    // Drag feedback: the outline of the box (mapped through the painter)
    // and the kind's ghost inside it.
    void DrawTracker(CLayoutPainter& painter) const;
    // Ghost of the content drawn inside the window rectangle; nothing by default.
    virtual void DrawGhost(CLayoutPainter& /*painter*/, int /*left*/, int /*top*/, int /*right*/,
                           int /*bottom*/) const
    {
    }
    // A new object of the same kind copied through a record stream: textMode
    // shares picture data, binary mode copies it. Null only when the copy
    // cannot be made.
    std::unique_ptr<CDrawObject> Clone(bool textMode, bool withSelection) const;
    virtual bool IsFilled() const;
    virtual bool IsOutlined() const;
    virtual COLORREF GetFillColour() const { return m_fillColour; }
    virtual COLORREF GetLineColour() const { return m_lineColour; }
    virtual std::string GetText() const { return {}; }
    // Oldest program version that reads this object's record as it is meant.
    virtual std::uint32_t GetOldestReader() const { return kReaderVersionFirst; }

    // ---- Properties of the objects panel ---------------------------------------------
    // Saved after the kind's record as optional fields (SaveProperties),
    // only when one differs from its default, so a record without them reads
    // as before: no name (the kind name is shown), shown, not locked.
    const std::string& GetName() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    // The name; without one a text or barcode shows its text (a text of
    // several lines its first line), any other the kind name.
    std::string GetDisplayName() const
    {
        if (!m_name.empty())
            return m_name;
        const std::string text = GetText();
        const std::string first = text.substr(0, text.find_first_of("\r\n"));
        return first.empty() ? std::string(GetKindName()) : first;
    }
    // A hidden object is neither shown nor rendered nor picked on the canvas.
    bool IsHidden() const { return m_hidden; }
    void SetHidden(bool hidden) { m_hidden = hidden; }
    // A locked object is shown and rendered but not picked or dragged on the canvas.
    bool IsLocked() const { return m_locked; }
    void SetLocked(bool locked) { m_locked = locked; }
    // Whether a click or a band on the canvas may select it.
    bool IsPickable() const { return !m_hidden && !m_locked; }
    // ---- Look: line width, dash, corners, opacity ----------------------------------
    // Shapes draw their lines `width` face pixels wide in a dash style; a
    // rectangle may round its corners (radius in face pixels); any object
    // may be see-through (opacity in percent). At their defaults (1, solid,
    // 0, 100) an object draws exactly as it always did.
    int GetLineWidth() const { return m_lineWidth; }
    void SetLineWidth(int width);
    std::uint32_t GetDash() const { return m_dash; }
    void SetDash(std::uint32_t dash);
    int GetCornerRadius() const { return m_cornerRadius; }
    void SetCornerRadius(int radius);
    std::uint32_t GetOpacity() const { return m_opacity; }
    void SetOpacity(std::uint32_t percent);
    bool HasPlainLook() const
    {
        return m_lineWidth == 1 && m_dash == kDashSolid && m_cornerRadius == 0 && m_opacity == 100;
    }

    // The optional fields after the record body: the tag, the number of
    // words that follow before the name, the flags word (bit 0 hidden, bit 1
    // locked), when the look is not plain line width, dash, corner radius
    // and opacity, then the name. Nothing at all while every property is at
    // its default. Load passes over words a later version adds.
    static constexpr std::uint32_t kPropertiesTag = 0x4F424A31u;
    void SaveProperties(CRecordStream& stream) const;
    bool LoadProperties(CRecordStream& stream);

    // ---- Fields --------------------------------------------------------------------
    std::uint32_t GetSelection() const { return m_selection; }
    void SetSelection(std::uint32_t state) { m_selection = state; }
    bool IsSelected() const { return m_selection != kSelectNone; }
    void SetLineColour(COLORREF c) { m_lineColour = c; }
    void SetFillColour(COLORREF c) { m_fillColour = c; }
    std::uint32_t GetStyle() const { return m_style; }
    void SetStyle(std::uint32_t style) { m_style = style; }
    std::int32_t GetX1() const { return m_x1; }
    std::int32_t GetX2() const { return m_x2; }
    std::int32_t GetY1() const { return m_y1; }
    std::int32_t GetY2() const { return m_y2; }
    // Stores the four values as they are (no orientation rule).
    void SetCoords(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
    {
        m_x1 = x1;
        m_y1 = y1;
        m_x2 = x2;
        m_y2 = y2;
    }
    int GetMinX() const { return m_x1 < m_x2 ? m_x1 : m_x2; }
    int GetMaxX() const { return m_x1 < m_x2 ? m_x2 : m_x1; }
    int GetMinY() const { return m_y1 < m_y2 ? m_y1 : m_y2; }
    int GetMaxY() const { return m_y1 < m_y2 ? m_y2 : m_y1; }
    // |x2 - x1| and |y2 - y1|.
    int GetWidth() const;
    int GetHeight() const;
    std::int32_t GetOrderKey() const { return m_orderKey; }
    void SetOrderKey(std::int32_t key) { m_orderKey = key; }

    // Hit tests on the normalised box, widened by one pixel in an axis of zero
    // extent; containment is half-open (min <= c < max).
    bool HitTest(int x, int y) const;
    bool HitTestBand(int left, int top, int right, int bottom) const;

protected:
    CDrawObject() = default;

    // The box rule of SetBounds without the cache invalidation.
    void StoreBounds(int left, int top, int right, int bottom);

    std::uint32_t m_selection = kSelectNone;
    COLORREF m_lineColour = 0xFFFFFF;
    COLORREF m_fillColour = 0xFFFFFF;
    std::int32_t m_x1 = 0;
    std::int32_t m_x2 = 0;
    std::int32_t m_y1 = 0;
    std::int32_t m_y2 = 0;
    std::uint32_t m_style = kStyleOutlined;
    std::int32_t m_orderKey = 0;  // (index + 1) * 10 in its list; not saved
    std::string m_name;
    bool m_hidden = false;
    bool m_locked = false;
    int m_lineWidth = 1;
    std::uint32_t m_dash = kDashSolid;
    int m_cornerRadius = 0;
    std::uint32_t m_opacity = 100;
};

// A quarter turn of an angle in tenths of a degree, kept in [0, 3600).
int TurnAngle(int angle, int delta);
// Brings a stored angle to one of 0, 900, 1800, 2700 (a record from elsewhere
// may hold anything).
int NormaliseQuarterAngle(std::int64_t angle);

// Kind codes.
std::unique_ptr<CDrawObject> CreateDrawObject(const std::string& kindCode);
// Kind code (write string), then the record body.
void SaveDrawObject(CRecordStream& stream, const CDrawObject& object, bool shareImages,
                    bool withSelection);
// Reads the kind code and the body. Null for an unknown kind code (then
// `unknownKind` is set when given) or a malformed record.
std::unique_ptr<CDrawObject> LoadDrawObject(CRecordStream& stream, bool shareImages, bool withSelection,
                                            bool* unknownKind = nullptr);

// The Rotate commands' turn of one object about its own centre
// ((x1 + x2) / 2, (y1 + y2) / 2), integer halves: the two stored corners are
// turned a quarter (left: (x, y) -> (cx - (y - cy), cy + (x - cx))), then the
// kind's own RotateLeft / RotateRight runs (points, angle).
void RotateDrawObject(CDrawObject& object, bool left);

#pragma once
// CDrawObjectList: the draw objects of one face, index 0 drawn first (the
// back-most) and the last index drawn last (the front-most). It keeps the
// order keys ((index + 1) * 10 after every change of membership or order)
// and a cached count of selected objects.

#include "app/FaceObjects.h"
#include "layout/objects/DrawObject.h"

#include <memory>
#include <vector>

class CDrawObjectList final : public CFaceObjects {
public:
    CDrawObjectList() = default;

    // ---- CFaceObjects ----------------------------------------------------------------
    std::size_t GetObjectCount() const override { return m_objects.size(); }
    // The object's record (kind code and body, with its selection) as one
    // flattened binary block.
    bool SaveObject(std::size_t index, std::vector<std::uint8_t>& block) const override;
    // Unknown kinds are skipped (true, nothing added); malformed blocks are
    // refused (false, nothing added).
    bool LoadObject(const std::uint8_t* block, std::size_t size) override;
    std::unique_ptr<CFaceObjects> Clone() const override;
    std::uint32_t GetOldestReader() const override;
    void RenderToFace(CRaster& face) const override;

    // ---- Objects ---------------------------------------------------------------------
    CDrawObject* GetObject(std::size_t index) const
    {
        return index < m_objects.size() ? m_objects[index].get() : nullptr;
    }
    // Index of the object, or -1.
    int IndexOf(const CDrawObject* object) const;
    CDrawObject* Add(std::unique_ptr<CDrawObject> object);
    CDrawObject* Insert(std::size_t index, std::unique_ptr<CDrawObject> object);
    std::unique_ptr<CDrawObject> Remove(std::size_t index);
    // Puts `object` in place of the one at `index` and returns the old one.
    std::unique_ptr<CDrawObject> Replace(std::size_t index, std::unique_ptr<CDrawObject> object);
    void Clear();
    // Moves the object at `from` to position `to` (both valid indices).
    void Move(std::size_t from, std::size_t to);
    // Reorders by the objects' order keys (stable), then renumbers them.
    void SortByOrderKey();
    void UpdateOrderKeys();
    // Scales every object's box from a face of fromWidth x fromHeight pixels to
    // one of toWidth x toHeight, so that each keeps its place and size on the
    // product when the face picture changes resolution (texts take the font
    // size their new box holds, barcodes stay at least their natural size).
    void ScaleObjects(int fromWidth, int fromHeight, int toWidth, int toHeight);

    // ---- Selection -------------------------------------------------------------------
    std::size_t GetSelectedCount() const;
    // Every operation that changes selection states outside this class calls it.
    void MarkSelectionStale() { m_countStale = true; }
    void SelectNone();
    void SelectAll();
    // Makes `object` the only selected object and the dominant one.
    void SelectOnly(CDrawObject* object);
    // Adds an object as the dominant one (the others lose dominance).
    CDrawObject* AddDominant(std::unique_ptr<CDrawObject> object);
    CDrawObject* GetDominant() const;

private:
    std::vector<std::unique_ptr<CDrawObject>> m_objects;
    mutable std::size_t m_selectedCount = 0;
    mutable bool m_countStale = true;
};

// The factory the document is given (see FaceObjectsFactory).
std::unique_ptr<CFaceObjects> CreateDrawObjectList();

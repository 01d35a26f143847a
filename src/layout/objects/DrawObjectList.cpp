#include "layout/objects/DrawObjectList.h"

#include "layout/text/DrawText.h"
#include "layout/objects/RecordStream.h"

#include <algorithm>
#include <cassert>
#include <cmath>

bool CDrawObjectList::SaveObject(std::size_t index, std::vector<std::uint8_t>& block) const
{
    const CDrawObject* object = GetObject(index);
    if (!object)
        return false;
    CBinaryRecordStream stream;
    SaveDrawObject(stream, *object, false, true);
    return stream.Flatten(block);
}

bool CDrawObjectList::LoadObject(const std::uint8_t* block, std::size_t size)
{
    CBinaryRecordStream stream;
    if (!stream.Attach(block, size))
        return false;
    bool unknown = false;
    std::unique_ptr<CDrawObject> object = LoadDrawObject(stream, false, true, &unknown);
    if (!object)
        return unknown;  // an unknown kind is skipped by its block
    Add(std::move(object));
    m_countStale = true;
    return true;
}

std::unique_ptr<CFaceObjects> CDrawObjectList::Clone() const
{
    auto copy = std::make_unique<CDrawObjectList>();
    for (const auto& object : m_objects) {
        std::unique_ptr<CDrawObject> clone = object->Clone(true, true);
        if (clone)
            copy->m_objects.push_back(std::move(clone));
    }
    copy->UpdateOrderKeys();
    return copy;
}

std::uint32_t CDrawObjectList::GetOldestReader() const
{
    std::uint32_t oldest = kReaderVersionFirst;
    for (const auto& object : m_objects)
        oldest = std::max(oldest, object->GetOldestReader());
    return oldest;
}

void CDrawObjectList::RenderToFace(CRaster& face) const
{
    for (const auto& object : m_objects)
        if (!object->IsHidden())
            object->RenderToFace(face);
}

int CDrawObjectList::IndexOf(const CDrawObject* object) const
{
    for (std::size_t i = 0; i < m_objects.size(); ++i)
        if (m_objects[i].get() == object)
            return static_cast<int>(i);
    return -1;
}

CDrawObject* CDrawObjectList::Add(std::unique_ptr<CDrawObject> object)
{
    return Insert(m_objects.size(), std::move(object));
}

CDrawObject* CDrawObjectList::Insert(std::size_t index, std::unique_ptr<CDrawObject> object)
{
    if (!object)
        return nullptr;
    index = std::min(index, m_objects.size());
    CDrawObject* raw = object.get();
    m_objects.insert(m_objects.begin() + static_cast<std::ptrdiff_t>(index), std::move(object));
    UpdateOrderKeys();
    m_countStale = true;
    return raw;
}

std::unique_ptr<CDrawObject> CDrawObjectList::Remove(std::size_t index)
{
    if (index >= m_objects.size())
        return nullptr;
    std::unique_ptr<CDrawObject> object = std::move(m_objects[index]);
    m_objects.erase(m_objects.begin() + static_cast<std::ptrdiff_t>(index));
    UpdateOrderKeys();
    m_countStale = true;
    return object;
}

std::unique_ptr<CDrawObject> CDrawObjectList::Replace(std::size_t index, std::unique_ptr<CDrawObject> object)
{
    if (index >= m_objects.size() || !object)
        return nullptr;
    std::swap(m_objects[index], object);
    UpdateOrderKeys();
    m_countStale = true;
    return object;
}

void CDrawObjectList::Clear()
{
    m_objects.clear();
    m_countStale = true;
}

void CDrawObjectList::Move(std::size_t from, std::size_t to)
{
    if (from >= m_objects.size() || to >= m_objects.size() || from == to)
        return;
    std::unique_ptr<CDrawObject> object = std::move(m_objects[from]);
    m_objects.erase(m_objects.begin() + static_cast<std::ptrdiff_t>(from));
    m_objects.insert(m_objects.begin() + static_cast<std::ptrdiff_t>(to), std::move(object));
    UpdateOrderKeys();
}

void CDrawObjectList::SortByOrderKey()
{
    std::stable_sort(m_objects.begin(), m_objects.end(),
                     [](const auto& a, const auto& b) { return a->GetOrderKey() < b->GetOrderKey(); });
    UpdateOrderKeys();
}

void CDrawObjectList::ScaleObjects(int fromWidth, int fromHeight, int toWidth, int toHeight)
{
    if (fromWidth <= 0 || fromHeight <= 0 || toWidth <= 0 || toHeight <= 0) return;
    if (fromWidth == toWidth && fromHeight == toHeight) return;
    auto scale = [](int v, int from, int to) {
        return static_cast<int>(std::llround(static_cast<double>(v) * to / from));
    };
    for (const auto& o : m_objects) {
        auto* text = dynamic_cast<CDrawText*>(o.get());
        const int size = text ? static_cast<int>(text->GetSize()) : 0;
        o->SetBounds(scale(o->GetMinX(), fromWidth, toWidth), scale(o->GetMaxY(), fromHeight, toHeight),
                     scale(o->GetMaxX(), fromWidth, toWidth), scale(o->GetMinY(), fromHeight, toHeight));
        // A text's font follows its own size rather than the box, whose
        // margins round it: the box then fits the text at the corner the
        // angle keeps.
        if (text) {
            const bool vertical = text->GetAngle() == 900 || text->GetAngle() == 2700;
            text->SetSize(static_cast<std::uint32_t>(vertical ? scale(size, fromWidth, toWidth)
                                                              : scale(size, fromHeight, toHeight)));
            text->FitToText();
        }
    }
}

void CDrawObjectList::UpdateOrderKeys()
{
    for (std::size_t i = 0; i < m_objects.size(); ++i)
        m_objects[i]->SetOrderKey(static_cast<std::int32_t>((i + 1) * 10));
}

std::size_t CDrawObjectList::GetSelectedCount() const
{
    if (m_countStale) {
        m_selectedCount = static_cast<std::size_t>(
            std::count_if(m_objects.begin(), m_objects.end(), [](const auto& o) { return o->IsSelected(); }));
        m_countStale = false;
    }
    return m_selectedCount;
}

void CDrawObjectList::SelectNone()
{
    for (const auto& o : m_objects)
        o->SetSelection(kSelectNone);
    m_countStale = true;
}

void CDrawObjectList::SelectAll()
{
    for (const auto& o : m_objects)
        if (o->GetSelection() == kSelectNone)
            o->SetSelection(kSelectOn);
    m_countStale = true;
}

void CDrawObjectList::SelectOnly(CDrawObject* object)
{
    for (const auto& o : m_objects)
        o->SetSelection(o.get() == object ? kSelectDominant : kSelectNone);
    m_countStale = true;
}

CDrawObject* CDrawObjectList::AddDominant(std::unique_ptr<CDrawObject> object)
{
    for (const auto& o : m_objects)
        if (o->GetSelection() == kSelectDominant)
            o->SetSelection(kSelectOn);
    if (object)
        object->SetSelection(kSelectDominant);
    return Add(std::move(object));
}

CDrawObject* CDrawObjectList::GetDominant() const
{
    for (const auto& o : m_objects)
        if (o->GetSelection() == kSelectDominant)
            return o.get();
    return nullptr;
}

std::unique_ptr<CFaceObjects> CreateDrawObjectList()
{
    return std::make_unique<CDrawObjectList>();
}

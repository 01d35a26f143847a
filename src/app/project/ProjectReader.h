#pragma once
// One read of a project stream, block by block (used by CProjectFile only).
//
// Every block is fenced by marker words. A marker that differs ends its block;
// instead of dropping everything after it, the reader notes what the damage
// cost ("2 objects of face Front") and looks further on for the next block it
// can recognise by its markers: the layout after damaged drawing defaults, the
// product after a damaged layout, the side list after damaged product
// settings and the next side after a damaged one. Running out of data, sizes
// that do not fit and pictures too large to hold fail the whole read instead.

#include "ground/Archive.h"
#include "app/project/ProjectFile.h"
#include "app/VtwinDoc.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CProduct;
class CRaster;
class CSide;
class SettingStore;

class CProjectReader {
public:
    using Read = CProjectFile::ReadResult;

    CProjectReader(CArchiveReader& in, std::size_t pictureBudget) : m_In(in), m_Budget(pictureBudget) {}

    // A marker that differs stops the block; running out of data fails the read.
    Read Marker(std::uint32_t marker);
    Read Damaged() { return Fail(CProjectFile::kDamaged); }
    Read Fail(std::string message);

    Read Settings(SettingStore& store);
    // `make` false reads the block and makes no picture.
    Read Picture(std::unique_ptr<CRaster>& picture, bool make = true);
    // Settings and pictures of `side` are replaced. A working side (`working`)
    // keeps its settings only: its pictures are made by the render that uses them.
    Read SideBlock(CSide& side, bool working = false);
    Read SideArt(CSide& side);
    bool NextIs(std::uint32_t marker) const;
    // Drawing defaults; a damaged block leaves `defaults` as they were and
    // moves on to the layout block when one follows.
    Read Defaults(CDrawingDefaults& defaults);
    Read Layout(CVtwinDoc& doc, LayoutMap& layout);
    // The product code and block. After a layout that stopped (`afterDamage`)
    // the product is looked for further on. Null product: none was found.
    Read Product(std::unique_ptr<CProduct>& product, bool afterDamage);

    const std::string& Error() const noexcept { return m_Error; }
    std::size_t SkippedObjects() const noexcept { return m_SkippedObjects; }
    // What damage left out, in the user's words, and where the first damage was.
    const std::vector<std::string>& Losses() const noexcept { return m_Losses; }
    std::size_t DamageOffset() const noexcept { return m_DamageAt; }

private:
    bool Fits(std::uint32_t count, std::size_t minSize) const { return count <= m_In.Remaining() / minSize; }
    Read ObjectList(CFaceObjects& objects, const std::string& key);
    Read ProductBlock(CProduct& product);
    Read Sides(CProduct& product);
    void RebuildAppearance(CSide& side);
    // Notes a loss; the first one also fixes the damage offset (the word that differed).
    void Lose(std::string what);
    // Moves to the first place at or after the current position where
    // `pattern` begins (`skip` bytes into it when the caller re-reads only
    // the rest); false, staying put, when there is none.
    bool SeekPattern(const std::vector<std::uint8_t>& pattern, std::size_t skip);
    bool TryProductAt(std::size_t pos, std::unique_ptr<CProduct>& product);

    CArchiveReader& m_In;
    std::size_t m_Budget;
    std::string m_Error;
    std::size_t m_SkippedObjects = 0;
    std::vector<std::string> m_Losses;
    std::size_t m_DamageAt = 0;
    bool m_SawDamage = false;
};

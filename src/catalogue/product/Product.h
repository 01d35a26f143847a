#pragma once
// The product being packaged: one abstract base and nine kinds, each answering
// the kind-specific questions with constants or with the product's own settings.
// The product owns its model-level settings (category 'M', start values applied
// by the base constructor) and its side list.

#include "catalogue/product/Side.h"
#include "properties/settings/SettingStore.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Which solid builder draws a kind.
enum class ModelShape { Card, Solid, Disc };

class CProduct {
public:
    static constexpr int kNotFound = -1;

    virtual ~CProduct();
    CProduct(const CProduct&) = delete;
    CProduct& operator=(const CProduct&) = delete;

    // --- kind answers ---
    virtual ModelShape GetModelShape() const = 0;
    virtual const char* GetKindName() const = 0;
    virtual const char* GetKindCode() const = 0;
    virtual int GetFaceCount() const = 0;
    // Display name of face `index`; indices outside the kind's list give "Front".
    virtual const char* GetFaceName(int index) const = 0;
    virtual int IsBoxKind() const = 0;
    virtual const char* GetFamilyName() const = 0;
    virtual int GetCornerRounding() const = 0;
    // Table offset for a given "Table Position" value.
    virtual int GetTableOffsetFor(int tablePosition) const = 0;
    // Table offset for the product's current "Table Position".
    virtual int GetTableOffset() const;
    virtual int HasCDROM() const = 0;
    virtual int HasCDROMInside() const = 0;
    // 1 when the CD-ROM sits inside and "CD Position" is non-zero.
    virtual int TestCDPosition() const = 0;
    virtual int HasPages() const = 0;
    virtual int HasPagesOnLeft() const = 0;
    virtual int HasBinding() const = 0;
    virtual int HasDepth() const = 0;
    // The main faces carrying artwork ("F", "FLRUD", "FS", ...).
    virtual const char* GetSideLetters() const = 0;

    // Kinds with folds are exactly the kinds with depth.
    int HasFolds() const { return HasDepth(); }
    // Box kinds use the box list of CD positions, the others the book list.
    int UsesBoxCDPositions() const { return IsBoxKind(); }

    // --- settings ---
    SettingStore& GetSettings() noexcept { return m_Settings; }
    const SettingStore& GetSettings() const noexcept { return m_Settings; }

    // --- side list (insertion order, which is also the project file order) ---
    int FindSide(std::string_view key) const noexcept;     // index or kNotFound
    CSide* FindSidePtr(std::string_view key) noexcept;      // nullptr when missing
    const CSide* FindSidePtr(std::string_view key) const noexcept;
    CSide& GetOrCreateSide(std::string_view key);            // appends a default side when missing
    // Appends `side` under `key`; an existing side with that key is replaced in place.
    CSide& AddSide(std::string_view key, std::unique_ptr<CSide> side);
    std::size_t GetSideCount() const noexcept { return m_SideKeys.size(); }
    const std::string& GetSideKey(std::size_t index) const;
    CSide& GetSide(std::size_t index);
    const CSide& GetSide(std::size_t index) const;
    void RemoveAllSides() noexcept;

protected:
    CProduct();

private:
    SettingStore m_Settings;
    std::vector<std::string> m_SideKeys;
    std::vector<std::unique_ptr<CSide>> m_Sides;
};

// Makes the product of a kind code (exact, case-sensitive: "BOX", not "box");
// nullptr when no kind matches.
std::unique_ptr<CProduct> CreateProduct(std::string_view code);

// A deep copy: the same kind, settings and sides with their pictures (for
// rendering on a worker thread while the document stays editable); nullptr
// when memory runs out.
std::unique_ptr<CProduct> CloneProduct(const CProduct& product);

// The nine kind codes in table order.
std::span<const char* const> GetKindCodes() noexcept;

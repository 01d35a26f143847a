#include "catalogue/product/Product.h"

#include "catalogue/product/ProductKinds.h"
#include "properties/settings/SettingTable.h"

#include <array>
#include <iterator>
#include <cassert>
#include <new>

CProduct::CProduct() { ApplyStartValues(m_Settings); }

CProduct::~CProduct() = default;

int CProduct::GetTableOffset() const { return GetTableOffsetFor(m_Settings.GetInt(ModelKey(kSetTablePosition))); }

int CProduct::FindSide(std::string_view key) const noexcept {
    for (std::size_t i = 0; i < m_SideKeys.size(); ++i)
        if (m_SideKeys[i] == key) return static_cast<int>(i);
    return kNotFound;
}

CSide* CProduct::FindSidePtr(std::string_view key) noexcept {
    const int i = FindSide(key);
    return i == kNotFound ? nullptr : m_Sides[static_cast<std::size_t>(i)].get();
}

const CSide* CProduct::FindSidePtr(std::string_view key) const noexcept {
    const int i = FindSide(key);
    return i == kNotFound ? nullptr : m_Sides[static_cast<std::size_t>(i)].get();
}

CSide& CProduct::GetOrCreateSide(std::string_view key) {
    if (CSide* side = FindSidePtr(key)) return *side;
    return AddSide(key, std::make_unique<CSide>());
}

CSide& CProduct::AddSide(std::string_view key, std::unique_ptr<CSide> side) {
    assert(side);
    if (!side) side = std::make_unique<CSide>();
    const int existing = FindSide(key);
    if (existing != kNotFound) {
        // Keys stay unique, so that find and get-or-create agree.
        auto& slot = m_Sides[static_cast<std::size_t>(existing)];
        slot = std::move(side);
        return *slot;
    }
    m_SideKeys.emplace_back(key);
    m_Sides.push_back(std::move(side));
    return *m_Sides.back();
}

const std::string& CProduct::GetSideKey(std::size_t index) const {
    assert(index < m_SideKeys.size());
    return m_SideKeys.at(index);
}

CSide& CProduct::GetSide(std::size_t index) {
    assert(index < m_Sides.size());
    return *m_Sides.at(index);
}

const CSide& CProduct::GetSide(std::size_t index) const {
    assert(index < m_Sides.size());
    return *m_Sides.at(index);
}

void CProduct::RemoveAllSides() noexcept {
    m_Sides.clear();
    m_SideKeys.clear();
}

namespace {

const char* FaceFromList(std::span<const char* const> faces, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= faces.size()) return "Front";
    return faces[static_cast<std::size_t>(index)];
}

constexpr const char* kCardFaces[] = {"Front"};
constexpr const char* kBoxFaces[] = {"Front", "Left", "Right", "Top", "Bottom"};
constexpr const char* kBoxCDFaces[] = {"Front", "Left", "Right", "Top", "Bottom", "CD-ROM"};
constexpr const char* kBookFaces[] = {"Front", "Spine", "Pages (Right)", "Pages (Top)", "Pages (Bottom)"};
constexpr const char* kBookCDFaces[] = {"Front", "Spine", "Pages (Right)", "Pages (Top)", "Pages (Bottom)",
                                        "CD-ROM"};
constexpr const char* kBinderFaces[] = {"Front", "Pages (Left)", "Pages (Right)", "Pages (Top)",
                                        "Pages (Bottom)"};
constexpr const char* kBinderCDFaces[] = {"Front", "Pages (Left)", "Pages (Right)", "Pages (Top)",
                                          "Pages (Bottom)", "CD-ROM"};

template <class Kind>
std::unique_ptr<CProduct> MakeKind() {
    return std::make_unique<Kind>();
}

// The product kinds, one row each: the code a project file stores and how
// the kind is made. The order is the one GetKindCodes lists.
struct SProductKindRow {
    const char* code;
    std::unique_ptr<CProduct> (*make)();
};

constexpr SProductKindRow kProductKinds[] = {
    {"CARD", &MakeKind<CCardProduct>},     {"RCARD", &MakeKind<CRoundedCardProduct>},
    {"BOX", &MakeKind<CBoxProduct>},       {"BOOK", &MakeKind<CBookProduct>},
    {"BOXCD", &MakeKind<CBoxCDProduct>},   {"BOOKCD", &MakeKind<CBookCDProduct>},
    {"CD", &MakeKind<CCDProduct>},         {"BINDER", &MakeKind<CBinderProduct>},
    {"BINDERCD", &MakeKind<CBinderCDProduct>},
};

constexpr auto kKindCodes = [] {
    std::array<const char*, std::size(kProductKinds)> codes{};
    for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = kProductKinds[i].code;
    return codes;
}();

}  // namespace

const char* CCardProduct::GetFaceName(int index) const { return FaceFromList(kCardFaces, index); }
const char* CBoxProduct::GetFaceName(int index) const { return FaceFromList(kBoxFaces, index); }
const char* CBoxCDProduct::GetFaceName(int index) const { return FaceFromList(kBoxCDFaces, index); }
const char* CBookProduct::GetFaceName(int index) const { return FaceFromList(kBookFaces, index); }
const char* CBookCDProduct::GetFaceName(int index) const { return FaceFromList(kBookCDFaces, index); }
const char* CBinderProduct::GetFaceName(int index) const { return FaceFromList(kBinderFaces, index); }
const char* CBinderCDProduct::GetFaceName(int index) const { return FaceFromList(kBinderCDFaces, index); }

int CBoxCDProduct::TestCDPosition() const { return GetSettings().GetInt(ModelKey(kSetCDPosition)) != 0 ? 1 : 0; }
int CBookCDProduct::TestCDPosition() const { return GetSettings().GetInt(ModelKey(kSetCDPosition)) != 0 ? 1 : 0; }
int CBinderCDProduct::TestCDPosition() const {
    return GetSettings().GetInt(ModelKey(kSetCDPosition)) != 0 ? 1 : 0;
}

std::unique_ptr<CProduct> CreateProduct(std::string_view code) {
    for (const SProductKindRow& kind : kProductKinds)
        if (code == kind.code) return kind.make();
    return nullptr;
}

std::span<const char* const> GetKindCodes() noexcept { return kKindCodes; }

std::unique_ptr<CProduct> CloneProduct(const CProduct& product)
{
    try {
        std::unique_ptr<CProduct> copy = CreateProduct(product.GetKindCode());
        if (!copy) return nullptr;
        copy->GetSettings() = product.GetSettings();
        copy->RemoveAllSides();
        for (std::size_t i = 0; i < product.GetSideCount(); ++i)
            copy->AddSide(product.GetSideKey(i), product.GetSide(i).Clone());
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

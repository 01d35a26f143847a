#include "app/VtwinDoc.h"

#include "ground/AppFolders.h"
#include "app/project/ProjectFile.h"
#include "app/project/RecordFaceObjects.h"
#include "app/undo/UndoStore.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"

#include <algorithm>
#include <vector>

namespace {

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

CVtwinDoc::CVtwinDoc(FaceObjectsFactory factory, CUndoStore* undo)
    : m_Factory(factory ? factory : &CRecordFaceObjects::Make), m_Undo(undo ? undo : &CUndoStore::Instance())
{
}

CVtwinDoc::~CVtwinDoc() = default;

void CVtwinDoc::ShowMessage(const std::string& message) const
{
    if (m_Sink)
        m_Sink(message);
}

void CVtwinDoc::SetPathName(std::string path)
{
    m_PathName = std::move(path);
    m_Title = FileNameOf(m_PathName);
    if (m_Title.empty())
        m_Title = "Untitled";
}

void CVtwinDoc::SetProduct(std::unique_ptr<CProduct> product)
{
    m_Content.product = std::move(product);
    m_Content.hasProduct = m_Content.product != nullptr;
    SetModifiedFlag();
}

CFaceObjects* CVtwinDoc::FindFaceObjects(std::string_view key) noexcept
{
    for (auto& [k, list] : m_Content.layout)
        if (k == key)
            return list.get();
    return nullptr;
}

const CFaceObjects* CVtwinDoc::FindFaceObjects(std::string_view key) const noexcept
{
    for (const auto& [k, list] : m_Content.layout)
        if (k == key)
            return list.get();
    return nullptr;
}

CFaceObjects& CVtwinDoc::GetFaceObjects(std::string_view key)
{
    if (CFaceObjects* found = FindFaceObjects(key))
        return *found;
    m_Content.layout.emplace_back(std::string(key), MakeFaceObjects());
    return *m_Content.layout.back().second;
}

void CVtwinDoc::SetFaceObjects(std::string_view key, std::unique_ptr<CFaceObjects> list)
{
    if (!list)
        list = MakeFaceObjects();
    for (auto& [k, existing] : m_Content.layout)
        if (k == key) {
            existing = std::move(list);
            return;
        }
    m_Content.layout.emplace_back(std::string(key), std::move(list));
}

std::unique_ptr<CFaceObjects> CVtwinDoc::MakeFaceObjects() const
{
    std::unique_ptr<CFaceObjects> list = m_Factory();
    return list ? std::move(list) : CRecordFaceObjects::Make();
}

namespace {

// The kind's faces, with a printed back after the main faces (before the CD-ROM).
std::vector<std::string> FaceTabNames(const CProduct& product)
{
    std::vector<std::string> names;
    for (int i = 0; i < product.GetFaceCount(); ++i)
        names.emplace_back(product.GetFaceName(i));
    if (HasBackFace(product)) {
        const auto cd = std::find(names.begin(), names.end(), "CD-ROM");
        names.insert(cd, GetSideName(kBackFaceKey));
    }
    return names;
}

}  // namespace

int CVtwinDoc::GetTabCount() const
{
    return HasProduct() ? static_cast<int>(FaceTabNames(*m_Content.product).size()) + 3 : 0;
}

std::string CVtwinDoc::GetTabName(int index) const
{
    if (!HasProduct() || index < 0)
        return {};
    const std::vector<std::string> names = FaceTabNames(*m_Content.product);
    const int faces = static_cast<int>(names.size());
    if (index < faces)
        return names[static_cast<std::size_t>(index)];
    if (index == faces)
        return "Background";
    if (index == faces + 1)
        return "Layout";
    if (index == faces + 2)
        return "Render";
    return {};
}

void CVtwinDoc::DeleteContents() noexcept
{
    m_Content.product.reset();
    m_Content.hasProduct = false;
    m_Content.layout.clear();
}

bool CVtwinDoc::OnNewDocument(CAppFolders* folders)
{
    DeleteContents();
    m_Undo->Clear();
    ResetDrawingDefaults();
    m_PathName.clear();
    m_DiskStamp = {};
    m_Title = "Untitled";
    SetModifiedFlag(false);
    if (folders)
        folders->ClearStartUpFlag();
    return true;
}

void CVtwinDoc::NewProject(std::unique_ptr<CProduct> product)
{
    m_PathName.clear();
    m_DiskStamp = {};
    m_Title = "Untitled";
    DeleteContents();
    m_Undo->Clear();
    ResetDrawingDefaults();
    m_Content.product = std::move(product);
    m_Content.hasProduct = m_Content.product != nullptr;
    // Undoing every later edit leads back to this state: not modified.
    SetModifiedFlag(false);
}

void CVtwinDoc::TakeContent(CDocContent content) noexcept
{
    m_Content = std::move(content);
    m_Content.hasProduct = m_Content.hasProduct && m_Content.product != nullptr;
}

bool CVtwinDoc::SaveProject(const std::string& path)
{
    if (!HasProduct()) {
        ShowMessage(kNothingToSave);
        return false;
    }
    if (!CProjectFile::Save(*this, path))
        return false;
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CVtwinDoc::OpenProject(const std::string& path, EDamagedFile damaged, bool needProduct)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!CProjectFile::Load(path, bytes, error)) {
        ShowMessage(error);
        return false;
    }
    CDocContent content;
    SReadReport report;
    if (!CProjectFile::Read(*this, bytes.data(), bytes.size(), content, error, &report)) {
        ShowMessage(error);
        return false;
    }
    const bool copy = report.Incomplete() && damaged == EDamagedFile::UntitledCopy;
    if (report.Incomplete() && !copy) {
        ShowMessage(CProjectFile::IncompleteMessage(FileNameOf(path), report, false));
        return false;
    }
    if (needProduct && !(content.hasProduct && content.product)) {
        ShowMessage(CProjectFile::NoProductMessage(path));
        return false;
    }
    m_Undo->Clear();
    TakeContent(std::move(content));
    m_DiskStamp = copy ? SFileStamp{} : SFileStamp::Of(path, bytes.data(), bytes.size());
    if (copy) {
        // The damaged file is only ever replaced by a name the user picks.
        m_PathName.clear();
        m_Title = "Untitled";
        SetModifiedFlag(true);
        ShowMessage(CProjectFile::IncompleteMessage(FileNameOf(path), report, true));
    } else {
        SetPathName(path);
        SetModifiedFlag(false);
    }
    if (report.skippedObjects)
        ShowMessage(CProjectFile::SkippedObjectsNote(report.skippedObjects));
    return true;
}

bool CVtwinDoc::Serialize(CArchiveWriter& out)
{
    std::string error;
    if (!CProjectFile::Write(*this, out, error)) {
        ShowMessage(error);
        return false;
    }
    return true;
}

bool CVtwinDoc::Serialize(CArchiveReader& in)
{
    CDocContent content;
    std::string error;
    SReadReport report;
    if (!CProjectFile::Read(*this, in.Current(), in.Remaining(), content, error, &report)) {
        ShowMessage(error);
        return false;
    }
    in.Skip(in.Remaining());
    m_Undo->Clear();
    TakeContent(std::move(content));
    if (report.skippedObjects)
        ShowMessage(CProjectFile::SkippedObjectsNote(report.skippedObjects));
    return true;
}

void CVtwinDoc::SetModifiedFlag(bool modified) noexcept
{
    m_Modified = modified;
    if (!modified && m_Undo)
        m_SavedState = m_Undo->GetStateId();
}

bool CVtwinDoc::IsAtSavedState() const noexcept
{
    return m_Undo && m_Undo->GetStateId() == m_SavedState;
}

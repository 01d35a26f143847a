#include "app/VtwinDoc.h"

#include "app/AppFolders.h"
#include "app/ProjectFile.h"
#include "app/RecordFaceObjects.h"
#include "app/UndoStore.h"

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
    const std::size_t slash = m_PathName.find_last_of('/');
    m_Title = slash == std::string::npos ? m_PathName : m_PathName.substr(slash + 1);
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

int CVtwinDoc::GetTabCount() const
{
    return HasProduct() ? m_Content.product->GetFaceCount() + 3 : 0;
}

std::string CVtwinDoc::GetTabName(int index) const
{
    if (!HasProduct() || index < 0)
        return {};
    const int faces = m_Content.product->GetFaceCount();
    if (index < faces)
        return m_Content.product->GetFaceName(index);
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
    m_Title = "Untitled";
    m_Modified = false;
    if (folders)
        folders->ClearStartUpFlag();
    return true;
}

void CVtwinDoc::NewProject(std::unique_ptr<CProduct> product)
{
    m_PathName.clear();
    m_Title = "Untitled";
    DeleteContents();
    m_Undo->Clear();
    ResetDrawingDefaults();
    m_Content.product = std::move(product);
    m_Content.hasProduct = m_Content.product != nullptr;
    m_Modified = false;
}

void CVtwinDoc::TakeContent(CDocContent content) noexcept
{
    m_Content = std::move(content);
    m_Content.hasProduct = m_Content.hasProduct && m_Content.product != nullptr;
}

bool CVtwinDoc::SaveProject(const std::string& path)
{
    if (!CProjectFile::Save(*this, path))
        return false;
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CVtwinDoc::OpenProject(const std::string& path)
{
    if (!CProjectFile::Load(*this, path))
        return false;
    SetPathName(path);
    SetModifiedFlag(false);
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
    std::string error, warning;
    if (!CProjectFile::Read(*this, in.Current(), in.Remaining(), content, error, &warning)) {
        ShowMessage(error);
        return false;
    }
    in.Skip(in.Remaining());
    m_Undo->Clear();
    TakeContent(std::move(content));
    if (!warning.empty())
        ShowMessage(warning);
    return true;
}

#include "app/undo/SideSnapshotRecord.h"

#include "app/project/ProjectFile.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"

#include <cstdio>
#include <new>

namespace {

// Where the undo files go, as named in the disk message.
std::string FolderOf(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : fileName.substr(0, slash);
}

bool WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f)
        return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!(written && closed))
        std::remove(name.c_str());
    return written && closed;
}

} // namespace

CSnapshotRecordBase::CSnapshotRecordBase(std::string faceKey, std::string description, std::string productName,
                                         std::vector<std::string> sideKeys, CUndoFileCounter& counter)
    : CUndoRecord(std::move(faceKey), std::move(description)), m_ProductName(std::move(productName)),
      m_SideKeys(std::move(sideKeys)), m_Counter(counter)
{
}

CSnapshotRecordBase::~CSnapshotRecordBase()
{
    if (!m_FileName.empty()) {
        std::remove(m_FileName.c_str());
        m_Counter.Release(m_FileName);
    }
}

bool CSnapshotRecordBase::Capture(CVtwinDoc& doc)
{
    CProduct* product = doc.GetProduct();
    if (!product)
        return false;
    const std::string name = m_Counter.Acquire();
    bool ok = !name.empty();
    try {
        if (ok) {
            CArchiveWriter out;
            for (const std::string& key : m_SideKeys)
                CProjectFile::WriteSideBlock(out, key, product->GetOrCreateSide(key));
            ok = WriteFile(name, out.Bytes());
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        const std::string drive = FolderOf(name.empty() ? m_Counter.FileName(0) : name);
        doc.ShowMessage("Can't save " + m_ProductName + " information to drive " + drive +
                        ".\n\nCheck free disk space on drive " + drive + ".\n\nThis step cannot be undone.");
        if (!name.empty())
            m_Counter.Release(name);
        return false;
    }
    m_FileName = name;
    return true;
}

bool CSnapshotRecordBase::Apply(UndoContext& context)
{
    CVtwinDoc& doc = context.document;
    CProduct* product = doc.GetProduct();
    if (!product || m_FileName.empty())
        return false;
    std::vector<std::uint8_t> bytes;
    std::string error;
    bool ok = CProjectFile::ReadWholeFile(m_FileName, bytes, error);
    std::vector<std::unique_ptr<CSide>> sides;
    if (ok) {
        // Read every side first, so that a damaged file changes nothing.
        CArchiveReader in(bytes.data(), bytes.size());
        for (std::size_t i = 0; i < m_SideKeys.size() && ok; ++i) {
            auto side = std::make_unique<CSide>();
            ok = CProjectFile::ReadSideBlock(in, *side, error) == CProjectFile::ReadResult::Ok;
            sides.push_back(std::move(side));
        }
    }
    if (!ok) {
        doc.ShowMessage("Can't read " + m_ProductName + " information back from " + m_FileName + ".");
        return false;
    }
    // Keep the side objects themselves (others may point at them); move the content over.
    for (std::size_t i = 0; i < m_SideKeys.size(); ++i) {
        CSide& target = product->GetOrCreateSide(m_SideKeys[i]);
        target.GetSettings() = sides[i]->GetSettings();
        target.SetPicture(sides[i]->TakePicture());
        target.SetPictureArt(sides[i]->GetPictureArt());
        target.SetSecondPicture(sides[i]->TakeSecondPicture());
    }
    return true;
}

CSideSnapshotRecord::CSideSnapshotRecord(const std::string& key, std::string description, std::string productName,
                                         CUndoFileCounter& counter)
    : CSnapshotRecordBase(key, std::move(description), std::move(productName), {key}, counter)
{
}

std::unique_ptr<CSideSnapshotRecord> CSideSnapshotRecord::Create(CVtwinDoc& doc, const std::string& key,
                                                                 std::string description, std::string productName,
                                                                 CUndoFileCounter& counter)
{
    std::unique_ptr<CSideSnapshotRecord> record(
        new CSideSnapshotRecord(key, std::move(description), std::move(productName), counter));
    if (!record->Capture(doc))
        return nullptr;
    return record;
}

std::unique_ptr<CUndoRecord> CSideSnapshotRecord::MakeInverse(UndoContext& context)
{
    return Create(context.document, GetFaceKey(), GetDescription(), GetProductName(), GetCounter());
}

const std::vector<std::string>& CMultiSideSnapshotRecord::CapturedSides()
{
    static const std::vector<std::string> keys = {"G", "a", "x", "y", "z"};
    return keys;
}

CMultiSideSnapshotRecord::CMultiSideSnapshotRecord(std::string faceKey, std::string description,
                                                   std::string productName, CUndoFileCounter& counter)
    : CSnapshotRecordBase(std::move(faceKey), std::move(description), std::move(productName), CapturedSides(),
                          counter)
{
}

std::unique_ptr<CMultiSideSnapshotRecord> CMultiSideSnapshotRecord::Create(CVtwinDoc& doc, std::string faceKey,
                                                                           std::string description,
                                                                           std::string productName,
                                                                           CUndoFileCounter& counter)
{
    std::unique_ptr<CMultiSideSnapshotRecord> record(
        new CMultiSideSnapshotRecord(std::move(faceKey), std::move(description), std::move(productName), counter));
    if (!record->Capture(doc))
        return nullptr;
    return record;
}

std::unique_ptr<CUndoRecord> CMultiSideSnapshotRecord::MakeInverse(UndoContext& context)
{
    return Create(context.document, GetFaceKey(), GetDescription(), GetProductName(), GetCounter());
}

#include "app/project/ProjectFile.h"

#include "app/project/PixelCoder.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "catalogue/product/SideAppearance.h"
#include "image/Raster.h"
#include "image/picture/VectorArt.h"
#include "properties/Appearance.h"
#include "properties/settings/SettingStore.h"

#include <algorithm>
#include <new>

namespace {

void WriteLayout(const CVtwinDoc& doc, CArchiveWriter& out, bool& ok)
{
    out.WriteU32(CProjectFile::kLayoutBegin);
    out.WriteU32(static_cast<std::uint32_t>(doc.GetLayoutCount()));
    std::vector<std::uint8_t> block;
    for (std::size_t e = 0; e < doc.GetLayoutCount() && ok; ++e) {
        out.WriteString(doc.GetLayoutKey(e));
        const CFaceObjects& list = doc.GetLayoutList(e);
        out.WriteU32(CProjectFile::kListBegin);
        out.WriteU32(static_cast<std::uint32_t>(list.GetObjectCount()));
        for (std::size_t i = 0; i < list.GetObjectCount(); ++i) {
            block.clear();
            if (!list.SaveObject(i, block) || block.size() > 0xFFFFFFFFu) {
                ok = false;
                return;
            }
            out.WriteU32(CProjectFile::kObjectBegin);
            out.WriteU32(static_cast<std::uint32_t>(block.size()));
            if (!block.empty()) {
                out.WriteBytes(block.data(), block.size());
                out.WriteU32(CProjectFile::kObjectEnd);
            }
        }
        out.WriteU32(CProjectFile::kListEnd);
    }
    out.WriteU32(CProjectFile::kLayoutEnd);
}

} // namespace

void CProjectFile::WriteSettings(CArchiveWriter& out, const SettingStore& store)
{
    auto key = [&](SettingKey k) {
        out.WriteU32(k.id);
        out.WriteU8(static_cast<std::uint8_t>(k.category));
    };
    out.WriteU32(kSettingsBegin);
    out.WriteU32(kTableBegin);
    out.WriteU32(static_cast<std::uint32_t>(store.Ints().GetCount()));
    store.Ints().ForEach([&](SettingKey k, std::int32_t v) { key(k); out.WriteI32(v); });
    out.WriteU32(kTableEnd);
    out.WriteU32(kTableBegin);
    out.WriteU32(static_cast<std::uint32_t>(store.Reals().GetCount()));
    store.Reals().ForEach([&](SettingKey k, double v) { key(k); out.WriteF64(v); });
    out.WriteU32(kTableEnd);
    out.WriteU32(kTableBegin);
    out.WriteU32(static_cast<std::uint32_t>(store.Texts().GetCount()));
    store.Texts().ForEach([&](SettingKey k, const std::string& v) { key(k); out.WriteString(v); });
    out.WriteU32(kTableEnd);
    out.WriteU32(kSettingsEnd);
}

void CProjectFile::WritePicture(CArchiveWriter& out, const CRaster* picture, bool withPixels)
{
    out.WriteU32(kPictureBegin);
    if (!picture || !picture->IsValid()) {
        out.WriteU32(0);
        out.WriteU32(0);
        out.WriteU32(0);
        out.WriteU32(kPictureEnd);
        return;
    }
    const int w = picture->GetWidth(), h = picture->GetHeight();
    out.WriteU32(withPixels ? 1 : 0);
    out.WriteU32(static_cast<std::uint32_t>(w));
    out.WriteU32(static_cast<std::uint32_t>(h));
    if (withPixels && h >= 1) {
        const CRaster* source = picture;
        CRaster converted;
        if (picture->GetBpp() != 24) {
            // Pictures are stored as 24-bit rows whatever they were made as.
            if (converted.Copy(*picture) && converted.IncreaseBpp(24))
                source = &converted;
        }
        if (source->GetBpp() == 24) {
            CPixelCoder::Encode(source->GetBits(0), w, h, static_cast<std::size_t>(source->GetEffWidth()),
                                out.Bytes());
        } else {
            // Conversion failed: keep the stream well-formed with white rows.
            for (int y = 0; y < h; ++y)
                out.Bytes().insert(out.Bytes().end(), {std::uint8_t{14}, 255, 255, 255});
        }
    }
    out.WriteU32(kPictureEnd);
}

void CProjectFile::WriteSideBlock(CArchiveWriter& out, std::string_view key, const CSide& side)
{
    out.WriteU32(kSideBlockBegin);
    WriteSettings(out, side.GetSettings());
    const bool hasFirst = StoresFirstPicture(side.GetSettings().GetInt(SideKey(kSideAppearance)));
    const bool hasSecond = side.GetSecondPicture() != nullptr && side.GetSecondPicture()->IsValid();
    const CVectorArt* art = hasFirst ? GetKeptPictureArt(side) : nullptr;
    out.WriteU32(hasFirst ? 1 : 0);
    out.WriteU32(hasSecond ? 1 : 0);
    if (hasFirst)
        WritePicture(out, side.GetPicture(), KeepsFirstPixels(key) && !art);
    if (hasSecond)
        WritePicture(out, side.GetSecondPicture(), true);
    if (art) {
        // The picture is drawn again from the artwork when the file is read.
        out.WriteU32(kSideArtBegin);
        out.WriteU32(static_cast<std::uint32_t>(art->GetKind()));
        out.WriteU32(static_cast<std::uint32_t>(art->GetPage()));
        out.WriteU32(static_cast<std::uint32_t>(art->GetBytes().size()));
        out.Bytes().insert(out.Bytes().end(), art->GetBytes().begin(), art->GetBytes().end());
        out.WriteU32(kSideArtEnd);
    }
    out.WriteU32(kSideBlockEnd);
}

bool CProjectFile::Write(const CVtwinDoc& doc, CArchiveWriter& out, std::string& error)
{
    try {
        for (std::uint32_t m : kSignature)
            out.WriteU32(m);
        std::uint32_t oldest = kOldestReader;
        for (std::size_t e = 0; e < doc.GetLayoutCount(); ++e)
            oldest = std::max(oldest, doc.GetLayoutList(e).GetOldestReader());
        if (const CProduct* product = doc.HasProduct() ? doc.GetProduct() : nullptr) {
            for (std::size_t i = 0; i < product->GetSideCount(); ++i)
                if (GetKeptPictureArt(product->GetSide(i)))
                    oldest = std::max(oldest, kReaderVersionVectorArt);
            if (HasBackFace(*product))
                oldest = std::max(oldest, kReaderVersionBackFace);
        }
        if (oldest == kOldestReader) {
            out.WriteU32(kOldestReader);
            out.WriteString(kOldestReaderText);
            out.WriteU32(kWriterVersion);
            out.WriteString(kWriterVersionText);
        } else {
            // An older program must refuse the file rather than misread it.
            const std::uint32_t writer = std::max(oldest, kWriterVersion);
            out.WriteU32(oldest);
            out.WriteString(VersionText(oldest));
            out.WriteU32(writer);
            out.WriteString(VersionText(writer));
        }
        out.WriteU32(kDefaultsBegin);
        const CDrawingDefaults& d = doc.GetDrawingDefaults();
        out.WriteU32(d.fillColour);
        out.WriteU32(d.lineColour);
        out.WriteU32(d.text.colour1);
        out.WriteU32(d.text.colour2);
        out.WriteI32(d.text.bold);
        out.WriteI32(d.text.italic);
        out.WriteI32(d.text.strikeOut);
        out.WriteI32(d.text.underline);
        out.WriteString(d.text.font);
        out.WriteI32(d.text.size);
        out.WriteI32(d.text.appearance);
        out.WriteU32(kDefaultsEnd);
        bool ok = true;
        WriteLayout(doc, out, ok);
        if (!ok) {
            error = kOutOfMemory;
            return false;
        }
        const CProduct* product = doc.GetProduct();
        if (!doc.HasProduct() || !product)
            return true;
        out.WriteString(product->GetKindCode());
        WriteSettings(out, product->GetSettings());
        out.WriteU32(kSideListBegin);
        out.WriteU32(static_cast<std::uint32_t>(product->GetSideCount()));
        for (std::size_t i = 0; i < product->GetSideCount(); ++i) {
            out.WriteU32(kSideBegin);
            out.WriteString(product->GetSideKey(i));
            WriteSideBlock(out, product->GetSideKey(i), product->GetSide(i));
            out.WriteU32(kSideEnd);
        }
        out.WriteU32(kProductEnd);
        return true;
    } catch (const std::bad_alloc&) {
        error = kOutOfMemory;
        return false;
    }
}

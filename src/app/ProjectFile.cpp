#include "app/ProjectFile.h"

#include "app/PixelCoder.h"
#include "app/SideAppearance.h"
#include "app/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "image/PictureLimits.h"
#include "image/Raster.h"
#include "image/SafeFile.h"
#include "properties/Appearance.h"
#include "properties/SettingStore.h"
#include "properties/SettingTable.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// 2 GiB of picture memory per read: far above any real project (five
// 1600 x 1600 faces and four render-sized working pictures need a few hundred MB).
std::atomic<std::size_t> g_PictureBudget{std::size_t{2} << 30};

// Largest project file read into memory.
constexpr std::int64_t kMaxFileSize = std::int64_t{4} << 30;

// Smallest encodings, used to check counts against what remains of the data.
constexpr std::size_t kMinIntEntry = 4 + 1 + 4;
constexpr std::size_t kMinRealEntry = 4 + 1 + 8;
constexpr std::size_t kMinTextEntry = 4 + 1 + 1;
constexpr std::size_t kMinLayoutEntry = 1 + 4 + 4 + 4;    // key, begin, count, end
constexpr std::size_t kMinObject = 4 + 4;                  // marker, byte count 0
constexpr std::size_t kMinSide = 4 + 1 + 4 + 4 + 8 + 4 + 4; // markers, key, settings begin, flags

// A picture beyond what one picture may be (the picture files' limits).
std::string PictureTooLarge(std::uint32_t width, std::uint32_t height)
{
    return "This project file holds a picture that is too large: " + std::to_string(width) + " x " +
           std::to_string(height) + " pixels; " + PictureSizeLimitText() + ".";
}

// A picture that would take the read past its picture memory.
std::string TooLarge(std::uint32_t width, std::uint32_t height)
{
    return "This project file holds a picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, which is too large to open.";
}

// One read of a stream: the archive, the first failure's message and the
// picture memory still allowed.
class CReader {
public:
    CReader(CArchiveReader& in, std::size_t budget) : m_In(in), m_Budget(budget) {}

    using Read = CProjectFile::ReadResult;

    // A marker that differs stops the block; running out of data fails the read.
    Read Marker(std::uint32_t marker)
    {
        if (m_In.ExpectMarker(marker))
            return Read::Ok;
        return m_In.Truncated() ? Damaged() : Read::Stopped;
    }

    Read Damaged()
    {
        return Fail(CProjectFile::kDamaged);
    }

    Read Fail(std::string message)
    {
        if (m_Error.empty())
            m_Error = std::move(message);
        return Read::Failed;
    }

    bool U32(std::uint32_t& v) { return m_In.ReadU32(v); }
    bool I32(std::int32_t& v) { return m_In.ReadI32(v); }
    bool String(std::string& s) { return m_In.ReadString(s); }

    // True when `count` items of at least `minSize` bytes can still follow.
    bool Fits(std::uint32_t count, std::size_t minSize) const
    {
        return count <= m_In.Remaining() / minSize;
    }

    Read Settings(SettingStore& store)
    {
        store.Clear();
        if (Read r = Marker(CProjectFile::kSettingsBegin); r != Read::Ok)
            return r;
        for (int table = 0; table < 3; ++table) {
            if (Read r = Marker(CProjectFile::kTableBegin); r != Read::Ok)
                return r;
            std::uint32_t count;
            if (!U32(count))
                return Damaged();
            const std::size_t minSize = table == 0 ? kMinIntEntry : table == 1 ? kMinRealEntry : kMinTextEntry;
            if (!Fits(count, minSize))
                return Damaged();
            for (std::uint32_t i = 0; i < count; ++i) {
                std::uint32_t id;
                std::uint8_t category;
                if (!U32(id) || !m_In.ReadU8(category))
                    return Damaged();
                const SettingKey key(id, static_cast<char>(category));
                if (table == 0) {
                    std::int32_t v;
                    if (!I32(v))
                        return Damaged();
                    store.SetInt(key, v);
                } else if (table == 1) {
                    double v;
                    if (!m_In.ReadF64(v))
                        return Damaged();
                    store.SetReal(key, v);
                } else {
                    std::string v;
                    if (!String(v))
                        return Damaged();
                    store.SetText(key, v);
                }
            }
            if (Read r = Marker(CProjectFile::kTableEnd); r != Read::Ok)
                return r;
        }
        return Marker(CProjectFile::kSettingsEnd);
    }

    Read Picture(std::unique_ptr<CRaster>& picture)
    {
        picture.reset();
        if (Read r = Marker(CProjectFile::kPictureBegin); r != Read::Ok)
            return r;
        std::uint32_t flag, width, height;
        if (!U32(flag) || !U32(width) || !U32(height))
            return Damaged();
        if (width != 0 && height != 0) {
            // The stored size decides before anything is allocated.
            if (!IsPictureSizeAllowed(width, height))
                return Fail(PictureTooLarge(width, height));
            const std::int64_t stride = CRaster::EffWidthFor(width, 24);
            const std::uint64_t bytes = static_cast<std::uint64_t>(stride) * height;
            if (stride < 0 || bytes > m_Budget || bytes > CRaster::GetAllocationLimit())
                return Fail(TooLarge(width, height));
            // Every coded row takes at least one byte.
            if (flag != 0 && height > m_In.Remaining())
                return Damaged();
            auto raster = std::make_unique<CRaster>();
            if (!raster->Create(static_cast<int>(width), static_cast<int>(height), 24))
                return Fail(CProjectFile::kOutOfMemory);
            m_Budget -= static_cast<std::size_t>(bytes);
            if (flag != 0) {
                std::size_t used = 0;
                if (!CPixelCoder::Decode(m_In.Current(), m_In.Remaining(), used, raster->GetBits(0),
                                         static_cast<int>(width), static_cast<int>(height),
                                         static_cast<std::size_t>(raster->GetEffWidth())))
                    return Damaged();
                m_In.Skip(used);
            } else {
                raster->Clear(0xFF);
            }
            picture = std::move(raster);
        }
        return Marker(CProjectFile::kPictureEnd);
    }

    // Reads the side block into `side` (settings and pictures replaced).
    Read SideBlock(CSide& side)
    {
        side.TakePicture();
        side.TakeSecondPicture();
        if (Read r = Marker(CProjectFile::kSideBlockBegin); r != Read::Ok)
            return r;
        if (Read r = Settings(side.GetSettings()); r != Read::Ok)
            return r;
        std::uint32_t hasFirst, hasSecond;
        if (!U32(hasFirst) || !U32(hasSecond))
            return Damaged();
        Read r = Read::Ok;
        if (hasFirst) {
            std::unique_ptr<CRaster> first;
            r = Picture(first);
            side.SetPicture(std::move(first));
        }
        if (r == Read::Ok && hasSecond) {
            std::unique_ptr<CRaster> second;
            r = Picture(second);
            side.SetSecondPicture(std::move(second));
        }
        if (r == Read::Ok)
            r = Marker(CProjectFile::kSideBlockEnd);
        if (r != Read::Failed && !hasFirst) {
            // Colour, gradient and pattern pictures are not stored: rebuild them
            // from the settings, counting them against the same picture budget.
            // One that cannot be built is left out (the settings still describe
            // it), rather than refusing the whole project.
            int w = 0, h = 0;
            std::uint64_t bytes = 0;
            const bool sized = GetAppearanceSize(side.GetSettings(), w, h) && w <= CRaster::kMaxDimension &&
                               h <= CRaster::kMaxDimension;
            if (sized)
                bytes = static_cast<std::uint64_t>(CRaster::EffWidthFor(w, 24)) * static_cast<std::uint64_t>(h);
            if (sized && bytes <= m_Budget) {
                m_Budget -= static_cast<std::size_t>(bytes);
                BuildAppearance(side);
            }
        }
        return r;
    }

    Read Product(CProduct& product)
    {
        SettingStore& settings = product.GetSettings();
        Read r = Settings(settings);
        // Settings older files lack.
        // (A project without a resolution was rendered at 72 dots per inch.)
        const std::pair<std::uint32_t, std::int32_t> added[] = {
            {191, 0}, {192, 0}, {201, 0}, {202, 0xFFFFFF}, {164, kStoredProjectResolution}};
        for (const auto& [id, value] : added)
            if (!settings.LookupInt(ModelKey(id)))
                settings.SetInt(ModelKey(id), value);
        if (r != Read::Ok)
            return r;
        if (r = Marker(CProjectFile::kSideListBegin); r != Read::Ok)
            return r;
        std::uint32_t count;
        if (!U32(count))
            return Damaged();
        if (!Fits(count, kMinSide))
            return Damaged();
        for (std::uint32_t i = 0; i < count; ++i) {
            if (r = Marker(CProjectFile::kSideBegin); r != Read::Ok)
                return r;
            std::string key;
            if (!String(key))
                return Damaged();
            auto side = std::make_unique<CSide>();
            r = SideBlock(*side);
            product.AddSide(key, std::move(side));
            if (r != Read::Ok)
                return r;
            if (r = Marker(CProjectFile::kSideEnd); r != Read::Ok)
                return r;
        }
        return Marker(CProjectFile::kProductEnd);
    }

    Read Layout(CVtwinDoc& doc, LayoutMap& layout)
    {
        layout.clear();
        if (Read r = Marker(CProjectFile::kLayoutBegin); r != Read::Ok)
            return r;
        std::uint32_t entries;
        if (!U32(entries))
            return Damaged();
        if (!Fits(entries, kMinLayoutEntry))
            return Damaged();
        for (std::uint32_t e = 0; e < entries; ++e) {
            std::string key;
            if (!String(key))
                return Damaged();
            std::unique_ptr<CFaceObjects> list = doc.MakeFaceObjects();
            CFaceObjects& objects = *list;
            bool replaced = false;
            for (auto& [k, existing] : layout)
                if (k == key) {
                    existing = std::move(list);
                    replaced = true;
                }
            if (!replaced)
                layout.emplace_back(key, std::move(list));
            if (Read r = Marker(CProjectFile::kListBegin); r != Read::Ok)
                return r;
            std::uint32_t count;
            if (!U32(count))
                return Damaged();
            if (!Fits(count, kMinObject))
                return Damaged();
            for (std::uint32_t i = 0; i < count; ++i) {
                if (Read r = Marker(CProjectFile::kObjectBegin); r != Read::Ok)
                    return r;
                std::uint32_t n;
                if (!U32(n))
                    return Damaged();
                if (n == 0)
                    continue; // nothing follows, not even the closing marker
                const std::uint8_t* bytes;
                if (!m_In.ReadBytes(n, bytes))
                    return Damaged();
                if (!objects.LoadObject(bytes, n))
                    ++m_SkippedObjects;
                if (Read r = Marker(CProjectFile::kObjectEnd); r != Read::Ok)
                    return r;
            }
            if (Read r = Marker(CProjectFile::kListEnd); r != Read::Ok)
                return r;
        }
        return Marker(CProjectFile::kLayoutEnd);
    }

    const std::string& Error() const noexcept { return m_Error; }
    std::size_t SkippedObjects() const noexcept { return m_SkippedObjects; }
    CArchiveReader& In() noexcept { return m_In; }

private:
    CArchiveReader& m_In;
    std::size_t m_Budget;
    std::string m_Error;
    std::size_t m_SkippedObjects = 0;
};

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

std::string CProjectFile::VersionText(std::uint32_t version)
{
    std::string minor = std::to_string(version % 100);
    if (minor.size() < 2)
        minor = "0" + minor;
    return std::to_string(version / 100) + "." + minor;
}

void CProjectFile::SetPictureBudget(std::size_t bytes) noexcept { g_PictureBudget = bytes; }
std::size_t CProjectFile::GetPictureBudget() noexcept { return g_PictureBudget; }

bool CProjectFile::KeepsFirstPixels(std::string_view key) noexcept
{
    if (key.empty())
        return true;
    switch (key[0]) {
    case 'a': case 'd': case 'l': case 'r': case 'u': case 'x': case 'y': case 'z':
        return false;
    default:
        return true;
    }
}

bool CProjectFile::StoresFirstPicture(std::int32_t appearanceType) noexcept
{
    return appearanceType != 1 && appearanceType != 2 && appearanceType != 4;
}

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
    out.WriteU32(hasFirst ? 1 : 0);
    out.WriteU32(hasSecond ? 1 : 0);
    if (hasFirst)
        WritePicture(out, side.GetPicture(), KeepsFirstPixels(key));
    if (hasSecond)
        WritePicture(out, side.GetSecondPicture(), true);
    out.WriteU32(kSideBlockEnd);
}

CProjectFile::ReadResult CProjectFile::ReadSettings(CArchiveReader& in, SettingStore& store, std::string& error)
{
    CReader reader(in, g_PictureBudget);
    const ReadResult r = reader.Settings(store);
    error = reader.Error();
    return r;
}

CProjectFile::ReadResult CProjectFile::ReadSideBlock(CArchiveReader& in, CSide& side, std::string& error)
{
    CReader reader(in, g_PictureBudget);
    ReadResult r;
    try {
        r = reader.SideBlock(side);
    } catch (const std::bad_alloc&) {
        r = reader.Fail(kOutOfMemory);
    }
    error = reader.Error();
    return r;
}

CProjectFile::ReadResult CProjectFile::ReadPicture(CArchiveReader& in, std::unique_ptr<CRaster>& picture, std::string& error)
{
    CReader reader(in, g_PictureBudget);
    const ReadResult r = reader.Picture(picture);
    error = reader.Error();
    return r;
}

bool CProjectFile::Write(const CVtwinDoc& doc, CArchiveWriter& out, std::string& error)
{
    try {
        for (std::uint32_t m : kSignature)
            out.WriteU32(m);
        std::uint32_t oldest = kOldestReader;
        for (std::size_t e = 0; e < doc.GetLayoutCount(); ++e)
            oldest = std::max(oldest, doc.GetLayoutList(e).GetOldestReader());
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

bool CProjectFile::Read(CVtwinDoc& doc, const std::uint8_t* data, std::size_t size, CDocContent& content,
                        std::string& error, std::string* warning)
{
    CArchiveReader in(data, size);
    CReader reader(in, g_PictureBudget);
    auto finish = [&](bool ok) {
        if (!ok)
            error = reader.Error().empty() ? std::string(kDamaged) : reader.Error();
        if (ok && warning && reader.SkippedObjects())
            *warning = std::to_string(reader.SkippedObjects()) +
                       " draw object(s) of this project could not be read and were left out.";
        return ok;
    };
    try {
        for (std::uint32_t m : kSignature)
            if (!in.ExpectMarker(m))
                return reader.Fail(kNotAProject), finish(false);
        std::uint32_t oldest, writer;
        std::string oldestText, writerText;
        if (!in.ReadU32(oldest) || !in.ReadString(oldestText) || !in.ReadU32(writer) || !in.ReadString(writerText))
            return finish(false);
        if (!IsReadableVersion(oldest)) {
            // A version text is a few characters; a damaged one must not flood the message.
            if (writerText.size() > 64)
                writerText.resize(64);
            return reader.Fail("This file can only be read by Vantorel version " + writerText + " or later."),
                   finish(false);
        }

        content = CDocContent{};
        using R = CProjectFile::ReadResult;
        if (R r = reader.Marker(kDefaultsBegin); r != R::Ok)
            return finish(r == R::Stopped);
        CDrawingDefaults& d = content.defaults;
        std::uint32_t fill, line, c1, c2;
        if (!in.ReadU32(fill) || !in.ReadU32(line) || !in.ReadU32(c1) || !in.ReadU32(c2) ||
            !in.ReadI32(d.text.bold) || !in.ReadI32(d.text.italic) || !in.ReadI32(d.text.strikeOut) ||
            !in.ReadI32(d.text.underline) || !in.ReadString(d.text.font) || !in.ReadI32(d.text.size) ||
            !in.ReadI32(d.text.appearance))
            return finish(false);
        d.fillColour = fill;
        d.lineColour = line;
        d.text.colour1 = c1;
        d.text.colour2 = c2;
        if (R r = reader.Marker(kDefaultsEnd); r != R::Ok)
            return finish(r == R::Stopped);

        if (R r = reader.Layout(doc, content.layout); r != R::Ok)
            return finish(r == R::Stopped);

        // A document without a product ends after its layout block.
        if (in.Remaining() == 0)
            return finish(true);
        std::string code;
        if (!in.ReadString(code))
            return finish(false);
        std::unique_ptr<CProduct> product = CreateProduct(code);
        if (!product)
            return reader.Fail("This project holds a product of an unknown kind (\"" + code + "\")."), finish(false);
        const R r = reader.Product(*product);
        if (r == R::Failed)
            return finish(false);
        if (r == R::Ok) {
            content.product = std::move(product);
            content.hasProduct = true;
        }
        return finish(true);
    } catch (const std::bad_alloc&) {
        reader.Fail(kOutOfMemory);
        return finish(false);
    }
}

bool CProjectFile::ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error)
{
    return ReadRegularFile(path, static_cast<std::size_t>(kMaxFileSize), bytes, error);
}

bool CProjectFile::Save(CVtwinDoc& doc, const std::string& path)
{
    std::string error;
    CArchiveWriter out;
    if (!Write(doc, out, error)) {
        doc.ShowMessage(error);
        return false;
    }
    if (!::WriteFileAtomically(path, out.Bytes().data(), out.Bytes().size(), error)) {
        doc.ShowMessage("The project could not be saved to " + path + " (" + error +
                        "). The file that was there is unchanged.");
        return false;
    }
    return true;
}

bool CProjectFile::Load(CVtwinDoc& doc, const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    bool notAFile = false;
    if (!ReadRegularFile(path, static_cast<std::size_t>(kMaxFileSize), bytes, error, &notAFile)) {
        doc.ShowMessage(notAFile ? error : "Can't open " + path + " (" + error + ").");
        return false;
    }
    CArchiveReader in(bytes.data(), bytes.size());
    return doc.Serialize(in);
}

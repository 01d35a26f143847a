#include "app/project/ProjectReader.h"

#include "app/project/PixelCoder.h"
#include "catalogue/product/SideAppearance.h"
#include "properties/Appearance.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/picture/PictureLimits.h"
#include "image/picture/VectorArt.h"
#include "image/Raster.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

#include <cstring>
#include <utility>

namespace {

using Read = CProjectFile::ReadResult;

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

std::vector<std::uint8_t> MarkerBytes(std::uint32_t marker)
{
    return {static_cast<std::uint8_t>(marker), static_cast<std::uint8_t>(marker >> 8),
            static_cast<std::uint8_t>(marker >> 16), static_cast<std::uint8_t>(marker >> 24)};
}

// "face Front" for a known side key, else the key as printable text.
std::string FaceName(const std::string& key)
{
    const char* name = GetSideName(key);
    if (*name)
        return std::string("face ") + name;
    std::string shown;
    for (char c : key)
        shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return "face \"" + shown + "\"";
}

std::string Count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

Read CProjectReader::Marker(std::uint32_t marker)
{
    if (m_In.ExpectMarker(marker))
        return Read::Ok;
    if (m_In.Truncated())
        return Damaged();
    if (!m_SawDamage)
        m_DamageAt = m_In.Position() - 4;
    m_SawDamage = true;
    return Read::Stopped;
}

Read CProjectReader::Fail(std::string message)
{
    if (m_Error.empty())
        m_Error = std::move(message);
    return Read::Failed;
}

void CProjectReader::Lose(std::string what)
{
    m_Losses.push_back(std::move(what));
}

bool CProjectReader::SeekPattern(const std::vector<std::uint8_t>& pattern, std::size_t skip)
{
    const std::uint8_t* data = m_In.Data();
    for (std::size_t p = m_In.Position(); p + pattern.size() <= m_In.Size(); ++p)
        if (std::memcmp(data + p, pattern.data(), pattern.size()) == 0)
            return m_In.Seek(p + skip);
    return false;
}

Read CProjectReader::Settings(SettingStore& store)
{
    store.Clear();
    if (Read r = Marker(CProjectFile::kSettingsBegin); r != Read::Ok)
        return r;
    for (int table = 0; table < 3; ++table) {
        if (Read r = Marker(CProjectFile::kTableBegin); r != Read::Ok)
            return r;
        std::uint32_t count;
        if (!m_In.ReadU32(count))
            return Damaged();
        const std::size_t minSize = table == 0 ? kMinIntEntry : table == 1 ? kMinRealEntry : kMinTextEntry;
        if (!Fits(count, minSize))
            return Damaged();
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint32_t id;
            std::uint8_t category;
            if (!m_In.ReadU32(id) || !m_In.ReadU8(category))
                return Damaged();
            const SettingKey key(id, static_cast<char>(category));
            if (table == 0) {
                std::int32_t v;
                if (!m_In.ReadI32(v))
                    return Damaged();
                store.SetInt(key, v);
            } else if (table == 1) {
                double v;
                if (!m_In.ReadF64(v))
                    return Damaged();
                store.SetReal(key, v);
            } else {
                std::string v;
                if (!m_In.ReadString(v))
                    return Damaged();
                store.SetText(key, v);
            }
        }
        if (Read r = Marker(CProjectFile::kTableEnd); r != Read::Ok)
            return r;
    }
    return Marker(CProjectFile::kSettingsEnd);
}

Read CProjectReader::Picture(std::unique_ptr<CRaster>& picture, bool make)
{
    picture.reset();
    if (Read r = Marker(CProjectFile::kPictureBegin); r != Read::Ok)
        return r;
    std::uint32_t flag, width, height;
    if (!m_In.ReadU32(flag) || !m_In.ReadU32(width) || !m_In.ReadU32(height))
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
        if (!make && flag == 0)
            return Marker(CProjectFile::kPictureEnd);
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

Read CProjectReader::SideBlock(CSide& side, bool working)
{
    side.TakePicture();
    side.TakeSecondPicture();
    if (Read r = Marker(CProjectFile::kSideBlockBegin); r != Read::Ok)
        return r;
    if (Read r = Settings(side.GetSettings()); r != Read::Ok)
        return r;
    std::uint32_t hasFirst, hasSecond;
    if (!m_In.ReadU32(hasFirst) || !m_In.ReadU32(hasSecond))
        return Damaged();
    Read r = Read::Ok;
    if (hasFirst) {
        std::unique_ptr<CRaster> first;
        r = Picture(first, !working);
        side.SetPicture(std::move(first));
    }
    if (r == Read::Ok && hasSecond) {
        std::unique_ptr<CRaster> second;
        r = Picture(second);
        side.SetSecondPicture(std::move(second));
    }
    if (r == Read::Ok && hasFirst && NextIs(CProjectFile::kSideArtBegin))
        r = SideArt(side);
    if (r == Read::Ok)
        r = Marker(CProjectFile::kSideBlockEnd);
    if (r != Read::Failed && !hasFirst && !working)
        RebuildAppearance(side);
    return r;
}

bool CProjectReader::NextIs(std::uint32_t marker) const
{
    if (m_In.Remaining() < 4)
        return false;
    const std::uint8_t* p = m_In.Current();
    const std::uint32_t word = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                               static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    return word == marker;
}

Read CProjectReader::SideArt(CSide& side)
{
    if (Read r = Marker(CProjectFile::kSideArtBegin); r != Read::Ok)
        return r;
    std::uint32_t kind, page, size;
    if (!m_In.ReadU32(kind) || !m_In.ReadU32(page) || !m_In.ReadU32(size) || size > m_In.Remaining() ||
        size > CVectorArt::kMaxBytes || (kind != 1 && kind != 2) || page < 1 || page > 0x7FFFFFFFu)
        return Damaged();
    std::vector<std::uint8_t> bytes(m_In.Current(), m_In.Current() + size);
    m_In.Skip(size);
    if (Read r = Marker(CProjectFile::kSideArtEnd); r != Read::Ok)
        return r;
    // The stored picture holds only its size: draw it again from the artwork.
    std::string reason;
    std::shared_ptr<const CVectorArt> art =
        CVectorArt::Create(std::move(bytes), static_cast<EVectorKind>(kind), static_cast<int>(page), reason);
    int width = 0, height = 0;
    if (art)
        GetSideArtSize(side, *art, width, height);
    // Drawn, then fitted: counted twice against the pictures' budget.
    const std::uint64_t budget = 2 * static_cast<std::uint64_t>(CRaster::EffWidthFor(width, 24)) * height;
    if (!art || !IsPictureSizeAllowed(width, height) || budget > m_Budget || !DrawSidePicture(side, art) ||
        !BuildAppearance(side)) {
        Lose("the artwork of a face (it stays white)" + (reason.empty() ? std::string() : ": " + reason));
        return Read::Ok;
    }
    m_Budget -= static_cast<std::size_t>(budget);
    return Read::Ok;
}

void CProjectReader::RebuildAppearance(CSide& side)
{
    // Colour, gradient and pattern pictures are not stored: rebuild them from
    // the settings, counting them against the same picture budget. One that
    // cannot be built is left out (the settings still describe it), rather
    // than refusing the whole project.
    int w = 0, h = 0;
    if (!GetAppearanceSize(side.GetSettings(), w, h) || w > CRaster::kMaxDimension || h > CRaster::kMaxDimension)
        return;
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(CRaster::EffWidthFor(w, 24)) * static_cast<std::uint64_t>(h);
    if (bytes > m_Budget)
        return;
    m_Budget -= static_cast<std::size_t>(bytes);
    BuildAppearance(side);
}

Read CProjectReader::Defaults(CDrawingDefaults& d)
{
    const CDrawingDefaults before = d;
    Read r = Marker(CProjectFile::kDefaultsBegin);
    if (r == Read::Ok) {
        std::uint32_t fill, line, c1, c2;
        if (!m_In.ReadU32(fill) || !m_In.ReadU32(line) || !m_In.ReadU32(c1) || !m_In.ReadU32(c2) ||
            !m_In.ReadI32(d.text.bold) || !m_In.ReadI32(d.text.italic) || !m_In.ReadI32(d.text.strikeOut) ||
            !m_In.ReadI32(d.text.underline) || !m_In.ReadString(d.text.font) || !m_In.ReadI32(d.text.size) ||
            !m_In.ReadI32(d.text.appearance))
            return Damaged();
        d.fillColour = fill;
        d.lineColour = line;
        d.text.colour1 = c1;
        d.text.colour2 = c2;
        r = Marker(CProjectFile::kDefaultsEnd);
    }
    if (r != Read::Stopped)
        return r;
    // Values read before a damaged word cannot be trusted either.
    d = before;
    Lose("the drawing defaults");
    SeekPattern(MarkerBytes(CProjectFile::kLayoutBegin), 0);
    return Read::Ok;
}

Read CProjectReader::ObjectList(CFaceObjects& objects, const std::string& key)
{
    if (Read r = Marker(CProjectFile::kListBegin); r != Read::Ok) {
        if (r == Read::Stopped)
            Lose("the draw objects of " + FaceName(key));
        return r;
    }
    std::uint32_t count;
    if (!m_In.ReadU32(count) || !Fits(count, kMinObject))
        return Damaged();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (Read r = Marker(CProjectFile::kObjectBegin); r != Read::Ok) {
            if (r == Read::Stopped)
                Lose(Count(count - i, "object of ", "objects of ") + FaceName(key));
            return r;
        }
        std::uint32_t n;
        if (!m_In.ReadU32(n))
            return Damaged();
        if (n == 0)
            continue; // nothing follows, not even the closing marker
        const std::uint8_t* bytes;
        if (!m_In.ReadBytes(n, bytes))
            return Damaged();
        if (!objects.LoadObject(bytes, n))
            ++m_SkippedObjects;
        if (Read r = Marker(CProjectFile::kObjectEnd); r != Read::Ok) {
            if (r == Read::Stopped && count - i > 1)
                Lose(Count(count - i - 1, "object of ", "objects of ") + FaceName(key));
            return r;
        }
    }
    return Marker(CProjectFile::kListEnd);
}

Read CProjectReader::Layout(CVtwinDoc& doc, LayoutMap& layout)
{
    layout.clear();
    if (Read r = Marker(CProjectFile::kLayoutBegin); r != Read::Ok) {
        if (r == Read::Stopped)
            Lose("the draw objects of every face");
        return r;
    }
    std::uint32_t entries;
    if (!m_In.ReadU32(entries) || !Fits(entries, kMinLayoutEntry))
        return Damaged();
    for (std::uint32_t e = 0; e < entries; ++e) {
        std::string key;
        if (!m_In.ReadString(key))
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
        if (Read r = ObjectList(objects, key); r != Read::Ok) {
            if (r == Read::Stopped && entries - e > 1)
                Lose("the draw objects of " + Count(entries - e - 1, "more face", "more faces"));
            return r;
        }
    }
    return Marker(CProjectFile::kLayoutEnd);
}

bool CProjectReader::TryProductAt(std::size_t pos, std::unique_ptr<CProduct>& product)
{
    // A product begins with a known kind code followed by its settings block.
    std::string code;
    std::uint32_t next = 0;
    if (!m_In.Seek(pos) || !m_In.ReadString(code) || !m_In.ReadU32(next) || next != CProjectFile::kSettingsBegin)
        return false;
    product = CreateProduct(code);
    return product != nullptr && m_In.Seek(m_In.Position() - 4);
}

Read CProjectReader::Product(std::unique_ptr<CProduct>& product, bool afterDamage)
{
    product.reset();
    if (!afterDamage) {
        std::string code;
        if (!m_In.ReadString(code))
            return Damaged();
        product = CreateProduct(code);
        if (!product)
            return Fail("This project holds a product of an unknown kind (\"" + code + "\").");
    } else {
        // The product is recognised by the layout's end marker before it.
        const std::size_t start = m_In.Position();
        bool found = TryProductAt(start, product);
        const std::vector<std::uint8_t> layoutEnd = MarkerBytes(CProjectFile::kLayoutEnd);
        for (std::size_t from = start; !found;) {
            if (!m_In.Seek(from) || !SeekPattern(layoutEnd, 4))
                break;
            from = m_In.Position();
            found = TryProductAt(from, product);
        }
        if (!found) {
            product.reset();
            if (start < m_In.Size())
                Lose("the product with its faces and render settings");
            return Read::Stopped;
        }
    }
    const Read r = ProductBlock(*product);
    if (r == Read::Failed)
        product.reset();
    return r;
}

Read CProjectReader::ProductBlock(CProduct& product)
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
    if (r == Read::Failed)
        return r;
    if (r == Read::Stopped) {
        Lose("some render settings of the product");
        SeekPattern(MarkerBytes(CProjectFile::kSideListBegin), 0);
    }
    if (r = Marker(CProjectFile::kSideListBegin); r != Read::Ok) {
        if (r == Read::Stopped)
            Lose("every face of the product");
        return r;
    }
    return Sides(product);
}

Read CProjectReader::Sides(CProduct& product)
{
    std::uint32_t count;
    if (!m_In.ReadU32(count) || !Fits(count, kMinSide))
        return Damaged();
    // A side begins with its marker, a one-letter key and the side block's marker.
    auto seekNextSide = [&] {
        const std::vector<std::uint8_t> begin = MarkerBytes(CProjectFile::kSideBegin);
        const std::vector<std::uint8_t> block = MarkerBytes(CProjectFile::kSideBlockBegin);
        while (SeekPattern(begin, 0)) {
            const std::uint8_t* p = m_In.Current();
            if (m_In.Remaining() >= 10 && p[4] == 1 && std::memcmp(p + 6, block.data(), 4) == 0)
                return true;
            m_In.Skip(1);
        }
        return false;
    };
    for (std::uint32_t i = 0; i < count; ++i) {
        Read r = Marker(CProjectFile::kSideBegin);
        bool whole = false;
        std::string key;
        if (r == Read::Ok) {
            if (!m_In.ReadString(key))
                return Damaged();
            auto side = std::make_unique<CSide>();
            r = SideBlock(*side, IsWorkingSide(key));
            product.AddSide(key, std::move(side));
            whole = r == Read::Ok;
            if (whole)
                r = Marker(CProjectFile::kSideEnd);
        }
        if (r == Read::Failed)
            return r;
        if (r == Read::Stopped) {
            if (!whole)
                Lose(key.empty() ? std::string("a face of the product") : "part of " + FaceName(key));
            if (i + 1 < count && !seekNextSide()) {
                Lose(Count(count - i - 1, "more face of the product", "more faces of the product"));
                return Read::Stopped;
            }
        }
    }
    // A damaged closing marker after the last side loses nothing.
    return Marker(CProjectFile::kProductEnd) == Read::Failed ? Read::Failed : Read::Ok;
}

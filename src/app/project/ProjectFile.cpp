#include "app/project/ProjectFile.h"

#include "app/project/ProjectReader.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "image/SafeFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 2 GiB of picture memory per read: far above any real project (five
// 1600 x 1600 faces and four render-sized working pictures need a few hundred MB).
std::atomic<std::size_t> g_PictureBudget{std::size_t{2} << 30};

// Largest project file read into memory.
constexpr std::int64_t kMaxFileSize = std::int64_t{4} << 30;

// The head of a file checked before the rest is read, and the piece size of
// the rest (bytes).
constexpr std::size_t kHeadSize = 4096;
constexpr std::size_t kPieceSize = std::size_t{1} << 20;

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
    return !IsDrawnFromSettings(appearanceType);
}

CProjectFile::ReadResult CProjectFile::ReadSettings(CArchiveReader& in, SettingStore& store, std::string& error)
{
    CProjectReader reader(in, g_PictureBudget);
    const ReadResult r = reader.Settings(store);
    error = reader.Error();
    return r;
}

CProjectFile::ReadResult CProjectFile::ReadSideBlock(CArchiveReader& in, CSide& side, std::string& error)
{
    CProjectReader reader(in, g_PictureBudget);
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
    CProjectReader reader(in, g_PictureBudget);
    const ReadResult r = reader.Picture(picture);
    error = reader.Error();
    return r;
}

bool CProjectFile::ReadHead(CArchiveReader& in, std::string& error)
{
    for (std::uint32_t m : kSignature)
        if (!in.ExpectMarker(m)) {
            error = kNotAProject;
            return false;
        }
    std::uint32_t oldest, writer;
    std::string oldestText, writerText;
    if (!in.ReadU32(oldest) || !in.ReadString(oldestText) || !in.ReadU32(writer) || !in.ReadString(writerText)) {
        error = kDamaged;
        return false;
    }
    if (!IsReadableVersion(oldest)) {
        // A version text is a few characters; a damaged one must not flood the message.
        if (writerText.size() > 64)
            writerText.resize(64);
        error = "This file can only be read by Vantorel version " + writerText + " or later.";
        return false;
    }
    return true;
}

bool CProjectFile::Read(CVtwinDoc& doc, const std::uint8_t* data, std::size_t size, CDocContent& content,
                        std::string& error, SReadReport* report)
{
    CArchiveReader in(data, size);
    if (!ReadHead(in, error))
        return false;
    CProjectReader reader(in, g_PictureBudget);
    auto finish = [&](bool ok) {
        if (!ok)
            error = reader.Error().empty() ? std::string(kDamaged) : reader.Error();
        if (ok && report) {
            report->skippedObjects = reader.SkippedObjects();
            report->losses = reader.Losses();
            report->damageOffset = reader.DamageOffset();
        }
        return ok;
    };
    try {
        using R = CProjectFile::ReadResult;
        content = CDocContent{};
        if (reader.Defaults(content.defaults) == R::Failed)
            return finish(false);
        const R layout = reader.Layout(doc, content.layout);
        if (layout == R::Failed)
            return finish(false);
        // A document without a product ends after its layout block.
        if (layout == R::Ok && in.Remaining() == 0)
            return finish(true);
        std::unique_ptr<CProduct> product;
        if (reader.Product(product, layout == R::Stopped) == R::Failed)
            return finish(false);
        content.hasProduct = product != nullptr;
        content.product = std::move(product);
        return finish(true);
    } catch (const std::bad_alloc&) {
        reader.Fail(kOutOfMemory);
        return finish(false);
    }
}

std::string CProjectFile::SkippedObjectsNote(std::size_t count)
{
    return std::to_string(count) + " draw object(s) of this project could not be read and were left out.";
}

std::string CProjectFile::IncompleteMessage(const std::string& name, const SReadReport& report, bool openedAsCopy)
{
    std::string lost;
    for (const std::string& loss : report.losses)
        lost += (lost.empty() ? "" : ", ") + loss;
    return name + " could not be read completely: the file is damaged at byte " + std::to_string(report.damageOffset) +
           " (" + lost + ")." +
           (openedAsCopy ? " It is opened as an untitled copy; the file is left as it is." : " The file is left as it is.");
}

std::string CProjectFile::NoProductMessage(const std::string& path)
{
    return path + ": the project holds no product";
}

bool CProjectFile::ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error)
{
    return ReadRegularFile(path, static_cast<std::size_t>(kMaxFileSize), bytes, error);
}

bool CProjectFile::HoldsProject(const std::string& path)
{
    std::string error;
    const int fd = OpenFileForReading(path, error);
    if (fd < 0)
        return false;
    std::uint8_t head[16];
    const ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    CArchiveReader in(head, n > 0 ? static_cast<std::size_t>(n) : 0);
    for (std::uint32_t m : kSignature)
        if (!in.ExpectMarker(m))
            return false;
    return true;
}

bool CProjectFile::ReadProjectBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                                    bool& refused)
{
    // The head is read and checked first, so that a large file of anything
    // else costs one small read; the rest follows in bounded pieces into
    // memory the file's own size justifies.
    bytes.clear();
    refused = false;
    const int fd = OpenFileForReading(path, error, &refused);
    if (fd < 0)
        return false;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    auto readSome = [&](std::size_t want) -> bool {
        const std::size_t done = bytes.size();
        bytes.resize(done + want);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n = ::read(fd, bytes.data() + done + got, want - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = std::strerror(errno);
                bytes.clear();
                return false;
            }
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(done + got);
        return true;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    try {
        if (!readSome(kHeadSize))
            return false;
        CArchiveReader head(bytes.data(), bytes.size());
        if (!ReadHead(head, error)) {
            refused = true;
            bytes.clear();
            return false;
        }
        if (st.st_size > kMaxFileSize) {
            error = "the file is too large";
            bytes.clear();
            return false;
        }
        const auto size = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0));
        bytes.reserve(size);
        while (bytes.size() < static_cast<std::size_t>(kMaxFileSize)) {
            const std::size_t before = bytes.size();
            // What the file holds and a page more to find its end (each piece
            // is cleared first: a whole piece for a project of a few
            // kilobytes cleared a megabyte); more if it grows meanwhile.
            const std::size_t left = size > before ? size - before : 0;
            if (!readSome(std::min(kPieceSize, left + kHeadSize)))
                return false;
            if (bytes.size() == before)
                return true;
        }
        error = "the file is too large";
    } catch (const std::bad_alloc&) {
        error = kOutOfMemory;
    }
    bytes.clear();
    return false;
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
    doc.SetDiskStamp(SFileStamp::Of(path, out.Bytes().data(), out.Bytes().size()));
    return true;
}

bool CProjectFile::Load(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& message)
{
    std::string error;
    bool refused = false;
    if (ReadProjectBytes(path, bytes, error, refused))
        return true;
    message = refused ? error : "Can't open " + path + " (" + error + ").";
    return false;
}

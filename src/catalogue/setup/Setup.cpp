#include "catalogue/setup/Setup.h"

#include "ground/AppFolders.h"
#include "ground/IniFile.h"
#include "catalogue/Catalogue.h"
#include "catalogue/setup/MediaPictures.h"
#include "catalogue/NamedColors.h"
#include "catalogue/setup/PictureLibrary.h"
#include "image/Raster.h"
#include "image/SafeFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kInitSection = "Init";
constexpr const char* kInitKey = "Template";
constexpr const char* kAliasSection = "Alias";

struct MetallicVariant {
    const char* section;
    bool grooves, cross, strong; // the section's three flag digits
};
// Gold "a..." and Silver "b...": variants 1 to 5 are the flag triples 000, 100, 101, 110, 111.
constexpr MetallicVariant kMetallicVariants[5] = {
    {"000", false, false, false}, {"100", true, false, false}, {"101", true, false, true},
    {"110", true, true, false},   {"111", true, true, true},
};

std::uint64_t SteadyMs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::optional<std::uint64_t> SystemFreeSpace(const std::string& folder)
{
    std::error_code ec;
    const fs::space_info info = fs::space(folder, ec);
    if (ec)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.available);
}

// Copies a file whole: the copy replaces the destination only once all of it
// is on the disk, so an interrupted copy never leaves a partial file under the
// final name.
bool CopyWhole(const std::string& from, const std::string& to)
{
    constexpr std::size_t kLargestDataFile = std::size_t{256} << 20;
    std::vector<std::uint8_t> bytes;
    std::string error;
    return ReadRegularFile(from, kLargestDataFile, bytes, error) &&
           WriteFileAtomically(to, bytes.data(), bytes.size(), error);
}

std::string Number3(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03d", n);
    return text;
}

// A picture's save replaces its file whole: a file under its final name is
// always complete, which is what lets a later run skip it. Safe to call from
// several threads for different files.
bool SavePicture(CRaster& picture, const std::string& path, int type, std::string& error)
{
    if (!picture.Save(path.c_str(), type)) {
        error = "Can not write the file:\n\n" + path + "\n\n" + picture.GetLastError();
        return false;
    }
    return true;
}

} // namespace

bool IsCompleteFile(const std::string& path)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return !ec && size > CSetup::kCompleteFileBytes;
}

bool IsUsablePicture(const std::string& path)
{
    if (!IsCompleteFile(path))
        return false;
    // A file cut short (a full disk, a copy from a damaged medium) has its
    // full name and many bytes but does not decode; every project that
    // names it would fail later.
    CRaster picture;
    return picture.Load(path.c_str(), IMAGE_TYPE_UNKNOWN);
}

CSetup::CSetup(const CAppFolders& folders, SetupOptions options, SetupListener listener)
    : m_folders(folders), m_options(std::move(options)), m_listener(std::move(listener))
{
    if (!m_options.freeSpace)
        m_options.freeSpace = SystemFreeSpace;
    if (!m_options.clockMs)
        m_options.clockMs = SteadyMs;
}

std::string CSetup::FormatByteCount(std::uint64_t bytes)
{
    std::string digits = std::to_string(bytes);
    std::string out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[static_cast<std::size_t>(i)];
    }
    return out;
}

std::string CSetup::GetDriveOf(const std::string& path)
{
    // Walk up while the parent lives on the same device: the last such folder
    // is the mount point.
    std::error_code ec;
    fs::path current = fs::weakly_canonical(fs::path(path), ec);
    if (ec || current.empty())
        return path;
    struct stat st {};
    if (::stat(current.c_str(), &st) != 0)
        return path;
    const dev_t device = st.st_dev;
    while (current.has_parent_path() && current.parent_path() != current) {
        const fs::path parent = current.parent_path();
        struct stat ps {};
        if (::stat(parent.c_str(), &ps) != 0 || ps.st_dev != device)
            break;
        current = parent;
    }
    return current.string();
}

std::uint64_t CSetup::GetRequiredFreeBytes() const
{
    auto blocks = [](std::uint64_t bytes) { return (bytes + kBlockBytes - 1) / kBlockBytes * kBlockBytes; };
    const std::string internal = m_folders.GetInternalFolder();
    std::error_code ec;
    // Pictures an earlier, interrupted run wrote are not written again.
    std::uint64_t present = 0;
    for (const auto& item : fs::directory_iterator(internal, ec)) {
        const std::string name = item.path().filename().string();
        const bool drawn = name.size() > 4 && (name.starts_with("ecd_") || name.starts_with("dcd_") ||
                                               name.starts_with("efl_") || name.starts_with("dfl_") ||
                                               name.starts_with("ezp_") || name.starts_with("dzp_"));
        struct stat st {};
        if (drawn && ::stat(item.path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
            present += static_cast<std::uint64_t>(st.st_blocks) * 512;
    }
    std::uint64_t needed = present < kGeneratedBytes ? kGeneratedBytes - present : 0;
    // Installed files (model thumbnails, textures, CD position pictures) that
    // are not yet in the internal folder at their size.
    const std::string& from = m_options.installedDataFolder;
    if (!from.empty()) {
        for (const auto& item : fs::directory_iterator(from, ec)) {
            const std::string name = item.path().filename().string();
            const bool copied = name.starts_with("dmo_") || name.starts_with("dtx_") || name.starts_with("dck_") ||
                                name.starts_with("dcx_");
            std::error_code sizeError;
            if (!copied || !item.is_regular_file(sizeError))
                continue;
            const std::uintmax_t size = item.file_size(sizeError);
            if (sizeError)
                continue;
            const std::uintmax_t there = fs::file_size(internal + name, sizeError);
            if (sizeError || there != size)
                needed += blocks(size);
        }
    }
    return needed;
}

std::string CSetup::FormatFreeSpaceMessage(const std::string& drive, std::uint64_t bytes)
{
    const std::string amount = FormatByteCount(bytes) + " bytes";
    return "Vantorel can not complete the initialization process because there is not enough free disk space on "
           "drive " +
           drive + ".\n\nPlease make sure that you have at least " + amount + " free on drive " + drive +
           ", then run Vantorel again.\n\nYou may be able to free some space on drive " + drive +
           " by: removing files that you no longer need and emptying the Recycle Bin.";
}

void CSetup::Step(bool counted, int steps)
{
    m_progress.Step(counted, steps, m_options.clockMs());
    if (m_listener.onProgress)
        m_listener.onProgress(m_progress.GetPosition(), m_progress.GetTotal(), m_progress.GetEstimateText());
}

void CSetup::Title(const std::string& text)
{
    if (m_listener.onStepTitle)
        m_listener.onStepTitle(text);
}

void CSetup::Detail(const std::string& name)
{
    if (m_listener.onDetail)
        m_listener.onDetail("Processing: " + name);
}

bool CSetup::PutSetting(const std::string& section, const std::string& key, const std::string& value,
                        std::string& error)
{
    // Collected and written once per group: a settings file rewrite per key
    // would cost thousands of file replacements. A run cut short loses only
    // entries that the next run writes again (it writes them for skipped
    // pictures too).
    if (section.empty() || key.empty()) {
        error = "Can not write the settings file:\n\n" + m_folders.GetProgramSettingsFile();
        return false;
    }
    m_pending.push_back(PendingSetting{section, key, value});
    return true;
}

bool CSetup::FlushSettings(std::string& error)
{
    if (m_pending.empty())
        return true;
    const bool ok = m_folders.ProgramSettings().Update([this](CIniDocument& doc) {
        for (const PendingSetting& p : m_pending)
            if (!doc.PutString(p.section, p.key, p.value))
                return false;
        return true;
    });
    m_pending.clear();
    if (!ok && error.empty())
        error = "Can not write the settings file:\n\n" + m_folders.GetProgramSettingsFile();
    return ok;
}

SetupResult CSetup::Run()
{
    if (m_folders.GetProgramInt(kInitSection, kInitKey, 0) != 0)
        return SetupResult{SetupOutcome::AlreadyDone, {}};

    const std::string& internal = m_folders.GetInternalFolder();
    const std::optional<std::uint64_t> free = m_options.freeSpace(internal);
    const std::uint64_t required = GetRequiredFreeBytes();
    if (free && *free < required + 1)
        return SetupResult{SetupOutcome::Failed, FormatFreeSpaceMessage(GetDriveOf(internal), required)};

    // The model thumbnails come with the installation; without them the run
    // would fail at its very end, so tell at once.
    std::string error;
    m_pending.clear();
    if (!CheckModelThumbnails(error))
        return SetupResult{SetupOutcome::Failed, error};

    m_progress.Reset(m_options.clockMs());
    if (m_listener.onProgress)
        m_listener.onProgress(0, m_progress.GetTotal(), {});

    Title("Setting up CD-ROM Images");
    GenerateCDImages(error);
    FlushSettings(error); // also after a failure: what was made stays listed
    if (error.empty()) {
        Title("Setting up Floppy Disk images");
        GenerateMediaImages(error, true);
        FlushSettings(error);
    }
    if (error.empty()) {
        Title("Setting up zip Disk images");
        GenerateMediaImages(error, false);
        FlushSettings(error);
    }
    if (error.empty()) {
        Title("Setting up Model data");
        GenerateModelData(error);
        FlushSettings(error);
    }
    if (!error.empty())
        return SetupResult{SetupOutcome::Failed, error};
    if (!m_folders.PutProgramInt(kInitSection, kInitKey, 1))
        return SetupResult{SetupOutcome::Failed,
                           "Can not write the settings file:\n\n" + m_folders.GetProgramSettingsFile()};
    return SetupResult{SetupOutcome::Completed, {}};
}

int CSetup::RunItems(std::vector<SetupItem>& items, std::string& error)
{
    // Pictures are drawn and encoded on worker threads, several at a time;
    // this thread reports the items in their order as they finish, so the
    // listener sees the same sequence as a one-by-one run.
    // Whether an item's files are usable is decided on the workers too:
    // decoding every existing picture is most of the work of a repeated run.
    struct Outcome {
        bool made = false;   // the pictures were drawn (a timed step)
        std::string failure; // empty on success
    };
    std::vector<std::size_t> work;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].make)
            work.push_back(i);
    std::vector<std::promise<Outcome>> promises(items.size());
    std::vector<std::future<Outcome>> results(items.size());
    for (std::size_t i : work)
        results[i] = promises[i].get_future();
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workerCount = std::min<std::size_t>({hardware, 4, work.size()});
    std::vector<std::thread> workers;
    workers.reserve(workerCount);
    for (std::size_t w = 0; w < workerCount; ++w) {
        workers.emplace_back([&] {
            for (std::size_t j = next++; j < work.size(); j = next++) {
                const std::size_t i = work[j];
                Outcome outcome;
                if (stop)
                    outcome.failure = "stopped";
                else {
                    try {
                        bool usable = true;
                        for (const std::string& file : items[i].files)
                            usable = usable && IsUsablePicture(file);
                        if (!usable) {
                            outcome.made = true;
                            outcome.failure = items[i].make();
                        }
                    } catch (const std::exception&) {
                        outcome.failure = "Out of memory";
                    }
                }
                promises[i].set_value(std::move(outcome));
            }
        });
    }
    int result = 1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        SetupItem& item = items[i];
        if (!item.make) { // a variant that is not made
            Step(false, item.steps);
            continue;
        }
        Detail(item.name);
        Outcome outcome = results[i].get();
        if (!outcome.failure.empty()) {
            error = std::move(outcome.failure);
            stop = true;
            result = 0;
            break;
        }
        // The entries are written for skipped pictures too: a settings file
        // that was deleted to repeat the setup gets them back.
        for (PendingSetting& setting : item.settings)
            m_pending.push_back(std::move(setting));
        Step(outcome.made, item.steps);
    }
    stop = true;
    for (std::thread& t : workers)
        t.join();
    return result;
}

int CSetup::GenerateCDImages(std::string& error)
{
    const std::string internal = m_folders.GetInternalFolder();
    std::vector<SetupItem> items;
    auto add = [&](const std::string& section, const std::string& name, COLORREF first, COLORREF second,
                   COLORREF third, CDFinish finish) {
        SetupItem item;
        item.name = name;
        item.steps = 2;
        const std::string surface = internal + "ecd_" + section + ".png";
        const std::string thumbnail = internal + "dcd_" + section + ".bmp";
        item.files = {surface, thumbnail};
        item.make = [=]() -> std::string {
            std::unique_ptr<CRaster> picture = DrawCDPicture(first, second, third, finish);
            std::unique_ptr<CRaster> thumb = picture ? MakeThumbnail(*picture) : nullptr;
            if (!picture || !thumb)
                return "Out of memory";
            std::string failure;
            if (!SavePicture(*picture, surface, IMAGE_TYPE_PNG, failure) ||
                !SavePicture(*thumb, thumbnail, IMAGE_TYPE_BMP, failure))
                return failure;
            return {};
        };
        item.settings.push_back(PendingSetting{kAliasSection, section, name});
        items.push_back(std::move(item));
    };
    const auto colors = GetNamedColors();
    for (std::size_t i = 0; i < colors.size(); ++i) {
        // Plain colours: the colour three times, no grooves.
        const COLORREF c = colors[i].ToColorRef();
        add("c" + Number3(static_cast<int>(i)), colors[i].name, c, c, c, CDFinish{});
    }
    struct Metal {
        char letter;
        const char* name;
        COLORREF first, second, third;
    };
    const Metal metals[2] = {{'a', "Gold", 0x00C0E0, 0x00C0C0, 0x00E0C0}, {'b', "Silver", 0xD0D0D0, 0xC0C0C0, 0xB0B0B0}};
    for (const Metal& m : metals) {
        for (int v = 0; v < 5; ++v) {
            const MetallicVariant& f = kMetallicVariants[v];
            add(std::string(1, m.letter) + f.section, std::string(m.name) + " " + std::to_string(v + 1), m.first,
                m.second, m.third, CDFinish{f.grooves, f.cross, f.strong});
        }
    }
    return RunItems(items, error);
}

int CSetup::GenerateMediaImages(std::string& error, bool floppy)
{
    const std::string internal = m_folders.GetInternalFolder();
    const char* stem = floppy ? "fl_" : "zp_";
    const char* product = floppy ? "Floppy Disk" : "zip Disk";
    const COLORREF shutters[2] = {0xC0C0C0, 0x303030};
    std::vector<SetupItem> items;
    int number = 0;
    for (const NamedColor& color : GetNamedColors()) {
        const COLORREF body = color.ToColorRef();
        const COLORREF light = LightTone(body);
        const COLORREF dark = DarkTone(body);
        for (int variant = 1; variant <= 2; ++variant) {
            SetupItem item;
            item.steps = 1;
            if (IsPaleTone(dark) || IsPaleTone(light)) {
                items.push_back(std::move(item)); // no set, but the bar moves on
                continue;
            }
            item.name = std::string(color.name) + " " + std::to_string(variant);
            const std::string n = Number3(++number);
            const std::string section = std::string("d") + stem + n + ".bmp";
            const std::string faceStem = std::string("e") + stem + n;
            const std::string frontName = faceStem + ".png";
            const std::string topName = faceStem + "_t.png";
            const std::string bottomName = faceStem + "_b.png";
            const std::string thumbPath = internal + section;
            item.files = {thumbPath, internal + frontName, internal + topName, internal + bottomName};
            const MediaKind kind = floppy ? MediaKind::Floppy : MediaKind::Zip;
            const COLORREF shutter = shutters[variant - 1];
            item.make = [=]() -> std::string {
                MediaPictureSet set = DrawMediaPictures(kind, body, light, dark, shutter);
                std::unique_ptr<CRaster> thumb = set.front ? MakeThumbnail(*set.front) : nullptr;
                if (!set.front || !thumb)
                    return "Out of memory";
                std::string failure;
                if (!SavePicture(*set.front, internal + frontName, IMAGE_TYPE_PNG, failure) ||
                    !SavePicture(*set.top, internal + topName, IMAGE_TYPE_PNG, failure) ||
                    !SavePicture(*set.bottom, internal + bottomName, IMAGE_TYPE_PNG, failure) ||
                    !SavePicture(*thumb, thumbPath, IMAGE_TYPE_BMP, failure))
                    return failure;
                return {};
            };
            const std::string bodyText = "@C:" + std::to_string(body);
            item.settings = {
                {kAliasSection, section, item.name + "/" + product},
                {section, "FDATA", "@E:" + frontName},
                {section, "UDATA", "@E:" + topName},
                {section, "DDATA", "@E:" + bottomName},
                {section, "LDATA", bodyText},
                {section, "RDATA", bodyText},
            };
            items.push_back(std::move(item));
        }
    }
    return RunItems(items, error);
}

int CSetup::CopyInstalledData(std::string& error)
{
    const std::string& from = m_options.installedDataFolder;
    if (from.empty())
        return 1;
    const std::string internal = m_folders.GetInternalFolder();
    std::error_code ec;
    // Textures and CD position pictures: copied when missing or different.
    for (const auto& item : fs::directory_iterator(from, ec)) {
        const std::string file = item.path().filename().string();
        const bool wanted = file.size() > 8 && file.ends_with(".bmp") &&
                            (file.starts_with("dtx_") || file.starts_with("dck_") || file.starts_with("dcx_"));
        if (!wanted || !item.is_regular_file(ec))
            continue;
        const std::string target = internal + file;
        std::error_code sizeError;
        if (IsCompleteFile(target) && fs::file_size(target, sizeError) == item.file_size(sizeError))
            continue;
        if (!CopyWhole(item.path().string(), target)) {
            error = "File Copy failed. Not enough disk space?\n\nFrom: " + item.path().string() + "\nTo: " + target;
            return 0;
        }
    }
    // The picture library list names the installed library folders, unless
    // the user already keeps a list of his own. The names are relative to
    // the installed data ("library/<name>/"), so that the list never points
    // into the folder a first run happened to find the data in (a build tree).
    const std::string listFile = internal + kLibraryListFileName;
    const fs::path library = fs::path(from) / "library";
    if (!fs::exists(listFile, ec) && fs::is_directory(library, ec)) {
        std::vector<fs::path> folders;
        for (const auto& item : fs::directory_iterator(library, ec))
            if (item.is_directory(ec) && fs::exists(item.path() / kLibraryDescriptionFileName, ec))
                folders.push_back(item.path());
        std::sort(folders.begin(), folders.end());
        const CIniFile list(listFile);
        for (const fs::path& folder : folders) {
            const std::string name = folder.filename().string();
            if (!list.PutString("Library", name, "library/" + name + "/")) {
                error = "Can not write the settings file:\n\n" + listFile;
                return 0;
            }
        }
    }
    return 1;
}

std::string CSetup::GetInstalledThumbnail(const std::string& section) const
{
    if (m_options.installedDataFolder.empty())
        return {};
    return (fs::path(m_options.installedDataFolder) / section).string();
}

int CSetup::CheckModelThumbnails(std::string& error) const
{
    for (const CatalogueEntry& entry : GetCatalogue()) {
        const std::string section = GetCatalogueSectionName(entry);
        const std::string source = GetInstalledThumbnail(section);
        std::error_code ec;
        if ((source.empty() || !fs::exists(source, ec)) &&
            !IsUsablePicture(m_folders.GetInternalFolder() + section)) {
            error = "File not found. Incomplete Installation?\n\n" + m_folders.GetInternalFolder() + section;
            return 0;
        }
    }
    return 1;
}

int CSetup::GenerateModelData(std::string& error)
{
    if (!CopyInstalledData(error))
        return 0;
    const std::string internal = m_folders.GetInternalFolder();
    for (const CatalogueEntry& entry : GetCatalogue()) {
        Detail(entry.name);
        const std::string section = GetCatalogueSectionName(entry);
        const std::string destination = internal + section;
        const std::string source = GetInstalledThumbnail(section);
        std::error_code ec;
        if (!source.empty() && fs::exists(source, ec)) {
            if (!CopyWhole(source, destination)) {
                error = "File Copy failed. Not enough disk space?\n\nFrom: " + source + "\nTo: " + destination;
                return 0;
            }
        } else if (!IsUsablePicture(destination)) {
            error = "File not found. Incomplete Installation?\n\n" + destination;
            return 0;
        }
        if (!WriteModelEntry(m_folders.ProgramSettings(), MakeModelEntry(entry))) {
            error = "Can not write the settings file:\n\n" + m_folders.GetProgramSettingsFile();
            return 0;
        }
        Step(true, 1);
    }
    return 1;
}

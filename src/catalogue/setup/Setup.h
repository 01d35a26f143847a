#pragma once
// First-run data setup: draws the CD-ROM, floppy-disk and zip-disk pictures
// into the internal folder, writes their entries and the 32 model entries into
// the program settings file, and copies the installed read-only data (model
// thumbnails, textures, CD position pictures) beside them. It runs until it
// has once completed ("Init"/"Template" = 1); a later run skips every picture
// that is already complete and decodes, so an interrupted setup resumes
// quickly and a damaged picture is drawn again.
//
// Progress goes to a listener, so that the desktop dialog and the command
// line can both show it: the group title, the item being processed, and the
// bar position with the remaining-time estimate.

#include "catalogue/setup/SetupProgress.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CAppFolders;
class CRaster;

struct SetupListener {
    // The current group: "Setting up CD-ROM Images" and so on.
    std::function<void(const std::string& title)> onStepTitle;
    // "Processing: " + the item's name.
    std::function<void(const std::string& detail)> onDetail;
    // Bar position 0..total and the estimate text (empty before the first timed step).
    std::function<void(int position, int total, const std::string& estimate)> onProgress;
};

struct SetupOptions {
    // Folder of the installed read-only data (may be empty: then the model
    // thumbnails must already be in the internal folder).
    std::string installedDataFolder;
    // Free bytes on the file system of a folder; nothing when unknown. Default:
    // the operating system's answer.
    std::function<std::optional<std::uint64_t>(const std::string& folder)> freeSpace;
    // Milliseconds of a monotonic clock. Default: the steady clock.
    std::function<std::uint64_t()> clockMs;
};

enum class SetupOutcome {
    AlreadyDone, // "Init"/"Template" was set: nothing done
    Completed,   // everything written, "Init"/"Template" = 1
    Failed,      // message says why; "Init"/"Template" stays 0
};

struct SetupResult {
    SetupOutcome outcome = SetupOutcome::Failed;
    std::string message; // the message box text when Failed
};

class CSetup {
public:
    // Bytes the drawn pictures and the settings files take on a disk of
    // 4 KiB blocks, as measured on a complete run: 1,922 pictures of
    // 17,118,975 bytes in 21,209,088 bytes of blocks, and 73,728 bytes of
    // settings files; rounded up.
    static constexpr std::uint64_t kGeneratedBytes = 21500000;
    // Installed files are counted in whole blocks of this many bytes.
    static constexpr std::uint64_t kBlockBytes = 4096;
    // Bar positions of the four groups: CD-ROM items advance by 2 each
    // (143 colours and 10 metallic), every floppy and zip variant by 1
    // (two shutter colours per colour), every model entry by 1.
    static constexpr int kCDItems = 143 + 10;
    static constexpr int kMediaVariants = 143 * 2;
    static constexpr int kModelEntries = 32;
    static constexpr int kTotalSteps = 2 * kCDItems + 2 * kMediaVariants + kModelEntries;
    // A file counts as complete when it has more than this many bytes.
    static constexpr std::uintmax_t kCompleteFileBytes = 100;

    CSetup(const CAppFolders& folders, SetupOptions options, SetupListener listener);

    // The whole run, as the "Initializing" dialog does it on opening.
    SetupResult Run();

    // Free bytes this run needs (fewer than this plus one refuses to start):
    // the drawn pictures less those an earlier run already wrote, and the
    // installed data files it copies that are not there yet.
    std::uint64_t GetRequiredFreeBytes() const;

    // The refusal text for too little free space on `drive`, asking for `bytes`.
    static std::string FormatFreeSpaceMessage(const std::string& drive, std::uint64_t bytes);
    // A byte count as the user reads it: 14420000 is "14,420,000".
    static std::string FormatByteCount(std::uint64_t bytes);
    // The mount point that holds `path` (its "drive"); the path itself when unknown.
    static std::string GetDriveOf(const std::string& path);

    const CSetupProgress& GetProgress() const noexcept { return m_progress; }

private:
    // Generators: each sets `error` and returns 0 on failure, 1 on success.
    int GenerateCDImages(std::string& error);
    int GenerateMediaImages(std::string& error, bool floppy);
    int GenerateModelData(std::string& error);
    int CopyInstalledData(std::string& error);
    int CheckModelThumbnails(std::string& error) const;
    std::string GetInstalledThumbnail(const std::string& section) const;

    void Step(bool counted, int steps);
    void Title(const std::string& text);
    void Detail(const std::string& name);
    bool PutSetting(const std::string& section, const std::string& key, const std::string& value,
                    std::string& error);
    bool FlushSettings(std::string& error);

    struct PendingSetting {
        std::string section, key, value;
    };
    // One step of a picture group: the files that make it complete, how to
    // make them (none: a variant that is not made), its settings entries.
    struct SetupItem {
        std::string name;
        int steps = 1;
        std::vector<std::string> files;
        std::function<std::string()> make; // returns the failure message, empty on success
        std::vector<PendingSetting> settings;
    };
    int RunItems(std::vector<SetupItem>& items, std::string& error);

    const CAppFolders& m_folders;
    SetupOptions m_options;
    SetupListener m_listener;
    CSetupProgress m_progress{kTotalSteps};
    std::vector<PendingSetting> m_pending; // settings not yet written
};

// True when the file exists and has more than CSetup::kCompleteFileBytes bytes.
bool IsCompleteFile(const std::string& path);
// True when the file is complete and decodes as a picture: what a run needs
// to find to skip a picture (others are drawn again).
bool IsUsablePicture(const std::string& path);

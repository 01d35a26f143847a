// The first-run setup: the free-space boundary, the pictures and settings it
// writes, the skip rules for pale colours and for files that already exist,
// and the progress it reports.
#include "TempFolder.h"
#include "catalogue/setup/Setup.h"

#include "ground/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/NamedColors.h"
#include "catalogue/setup/PictureLibrary.h"
#include "ground/IniFile.h"
#include "image/Raster.h"
#include "image/SafeFile.h"

namespace fs = std::filesystem;

namespace {

// An installed-data folder with a stand-in thumbnail for every model entry.
void MakeInstalledData(const fs::path& dir)
{
    fs::create_directories(dir);
    for (const CatalogueEntry& e : GetCatalogue())
        std::ofstream(dir / GetCatalogueSectionName(e), std::ios::binary) << std::string(200, 'x');
    std::ofstream(dir / "dtx_paper.bmp", std::ios::binary) << std::string(300, 'p');
    std::ofstream(dir / "dck_003.bmp", std::ios::binary) << std::string(300, 'k');
    // A library folder described the way the build writes it.
    fs::create_directories(dir / "library" / "Skies");
    CIniDocument lib;
    lib.PutString("Default", "0.Credit", "Studio");
    lib.PutString("Image", "1.Path", "sky.bmp");
    lib.PutString("Image", "1.Name", "Clear Sky");
    ASSERT_TRUE(lib.Save((dir / "library" / "Skies" / "vtlib.ini").string()));
    fs::create_directories(dir / "library" / "NotALibrary");
}

struct Recorder {
    std::vector<std::string> titles;
    std::vector<std::string> details;
    std::vector<int> positions;
    SetupListener Listener()
    {
        SetupListener l;
        l.onStepTitle = [this](const std::string& t) { titles.push_back(t); };
        l.onDetail = [this](const std::string& d) { details.push_back(d); };
        l.onProgress = [this](int p, int, const std::string&) { positions.push_back(p); };
        return l;
    }
};

// Colours that get floppy and zip pictures: neither tone is pale. Light tone
// c + 32 (at most 255) and dark tone c - 16 (at least 0), pale when all three
// channels are 193 or more.
int IndependentMediaColourCount()
{
    int count = 0;
    for (const NamedColor& c : GetNamedColors()) {
        auto light = [](int v) { return std::min(255, v + 32); };
        auto dark = [](int v) { return std::max(0, v - 16); };
        const bool lightPale = light(c.red) >= 193 && light(c.green) >= 193 && light(c.blue) >= 193;
        const bool darkPale = dark(c.red) >= 193 && dark(c.green) >= 193 && dark(c.blue) >= 193;
        if (!lightPale && !darkPale)
            ++count;
    }
    return count;
}

COLORREF PixelAt(const CRaster& r, int x, int y) { return RGBQUADtoRGB(r.GetPixelColor(x, y)); }

// One complete setup shared by the tests that only look at its results.
class SetupRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_temp = new CTempFolder;
        s_root = s_temp->Path();
        MakeInstalledData(s_root / "installed");
        std::string error;
        s_folders = new CAppFolders(*CAppFolders::Create((s_root / "data").string(), error));
        s_recorder = new Recorder;
        SetupOptions options;
        options.installedDataFolder = (s_root / "installed").string();
        // One byte more than needed: the drawn pictures and the 34 stand-in
        // installed files of MakeInstalledData, each in one 4 KiB block.
        const std::uint64_t required = CSetup::kGeneratedBytes + 34 * 4096;
        options.freeSpace = [required](const std::string&) { return std::optional<std::uint64_t>(required + 1); };
        CSetup setup(*s_folders, options, s_recorder->Listener());
        EXPECT_EQ(setup.GetRequiredFreeBytes(), required);
        s_required = required;
        s_result = setup.Run();
        s_timed = setup.GetProgress().GetTimedSteps();
    }
    static void TearDownTestSuite()
    {
        delete s_folders;
        delete s_recorder;
        delete s_temp;
    }
    static std::string Internal(const std::string& name) { return s_folders->GetInternalFolder() + name; }

    // The checks on one complete run; the last one runs the setup again.
    void CompletesAndRecordsIt();
    void CDPicturesFollowTheDrawing();
    void PaleColoursMakeNoMediaButMoveTheBar();
    void ModelEntriesAndInstalledData();
    void SecondRunSkipsCompletePictures();

    static inline CTempFolder* s_temp = nullptr;
    static inline fs::path s_root;
    static inline CAppFolders* s_folders = nullptr;
    static inline Recorder* s_recorder = nullptr;
    static inline SetupResult s_result;
    static inline int s_timed = 0;
    static inline std::uint64_t s_required = 0;
};

} // namespace

TEST(SetupFreeSpace, RefusesAtTheBoundary)
{
    CTempFolder temp;
    const fs::path root = temp.Path();
    std::string error;
    std::optional<CAppFolders> folders = CAppFolders::Create((root / "data").string(), error);
    ASSERT_TRUE(folders) << error;
    MakeInstalledData(root / "installed");
    SetupOptions options;
    options.installedDataFolder = (root / "installed").string();
    std::string askedFor;
    // The drawn pictures and 34 installed files of one 4 KiB block each.
    options.freeSpace = [&](const std::string& folder) {
        askedFor = folder;
        return std::optional<std::uint64_t>(21500000 + 34 * 4096);
    };
    Recorder rec;
    const SetupResult result = CSetup(*folders, options, rec.Listener()).Run();
    EXPECT_EQ(result.outcome, SetupOutcome::Failed);
    EXPECT_EQ(askedFor, folders->GetInternalFolder());
    const std::string drive = CSetup::GetDriveOf(folders->GetInternalFolder());
    EXPECT_EQ(result.message,
              "Vantorel can not complete the initialization process because there is not enough free disk space on "
              "drive " + drive + ".\n\nPlease make sure that you have at least 21,639,264 bytes free on drive " +
                  drive + ", then run Vantorel again.\n\nYou may be able to free some space on drive " + drive +
                  " by: removing files that you no longer need and emptying the Recycle Bin.");
    // Nothing was started: no progress, no pictures, no completion flag.
    EXPECT_TRUE(rec.titles.empty());
    EXPECT_FALSE(fs::exists(folders->GetInternalFolder() + "ecd_c000.png"));
    EXPECT_EQ(folders->GetProgramInt("Init", "Template", 0), 0);

    // Pictures an interrupted run left count as written; a copied installed
    // file that is already there at its size is not copied again.
    std::ofstream(folders->GetInternalFolder() + "ecd_c000.png", std::ios::binary) << std::string(5000, 'x');
    fs::copy_file(root / "installed" / "dtx_paper.bmp", folders->GetInternalFolder() + "dtx_paper.bmp");
    struct stat st {};
    ASSERT_EQ(::stat((folders->GetInternalFolder() + "ecd_c000.png").c_str(), &st), 0);
    const std::uint64_t drawn = static_cast<std::uint64_t>(st.st_blocks) * 512;
    EXPECT_EQ(CSetup(*folders, options, {}).GetRequiredFreeBytes(), 21500000 - drawn + 33 * 4096);

    EXPECT_EQ((std::vector{CSetup::FormatByteCount(14420000), CSetup::FormatByteCount(999), CSetup::FormatByteCount(1000)}),
              (std::vector<std::string>{"14,420,000", "999", "1,000"}));
}

TEST(SetupProgressEstimate, ArithmeticAndWording)
{
    // 1000 ms over 10 timed steps = 100 ms a step; 900 steps left = 90 s.
    EXPECT_EQ(CSetupProgress::RemainingSeconds(1000, 10, 10, 910), 90);
    for (const auto& [seconds, text] : {std::pair{90, "1 Minute 30 Seconds"}, {0, "0 Seconds"}, {1, "1 Second"},
                                        {60, "1 Minute 0 Seconds"}, {121, "2 Minutes 1 Second"}})
        EXPECT_EQ(CSetupProgress::FormatRemaining(seconds), text) << seconds;

    // Untimed steps move the bar, shorten the estimate but keep the rate.
    CSetupProgress p(100);
    p.Reset(5000);
    p.Step(false, 40, 5000);
    EXPECT_EQ(p.GetPosition(), 40);
    EXPECT_EQ(p.GetEstimateText(), ""); // no timed step yet
    p.Step(true, 2, 7000); // 2000 ms / 2 steps = 1000 ms a step, 58 left
    EXPECT_EQ(p.GetEstimateText(), "58 Seconds");
    p.Step(false, 50, 7000); // 8 left at the same rate
    EXPECT_EQ(p.GetEstimateText(), "8 Seconds");
    p.Step(true, 20, 8000); // never beyond the end
    EXPECT_EQ(p.GetPosition(), 100);
    EXPECT_EQ(p.GetEstimateText(), "0 Seconds");
}

void SetupRunTest::CompletesAndRecordsIt()
{
    ASSERT_EQ(s_result.outcome, SetupOutcome::Completed) << s_result.message;
    EXPECT_EQ(s_folders->GetProgramInt("Init", "Template", 0), 1);
    EXPECT_EQ(s_recorder->titles,
              (std::vector<std::string>{"Setting up CD-ROM Images", "Setting up Floppy Disk images",
                                        "Setting up zip Disk images", "Setting up Model data"}));
    // Every position step lands exactly on the end of the bar.
    ASSERT_FALSE(s_recorder->positions.empty());
    EXPECT_EQ(s_recorder->positions.back(), 2 * 153 + 2 * 286 + 32);
    // A first run times every step that made something: 153 CD items of 2,
    // the generated floppy and zip variants, 32 model entries.
    const int sets = 2 * IndependentMediaColourCount();
    EXPECT_EQ(s_timed, 2 * 153 + 2 * sets + 32);
    // The free space asked for covers what was written, in the blocks the
    // disk gives it, without asking for much more.
    std::uint64_t written = 0;
    for (const auto& item : fs::directory_iterator(s_folders->GetInternalFolder())) {
        struct stat st {};
        ASSERT_EQ(::stat(item.path().c_str(), &st), 0);
        written += static_cast<std::uint64_t>(st.st_blocks) * 512;
    }
    EXPECT_LE(written, s_required);
    EXPECT_GE(written, s_required / 100 * 95);
}

void SetupRunTest::CDPicturesFollowTheDrawing()
{
    CRaster plain;
    ASSERT_TRUE(plain.Load(Internal("ecd_c009.png").c_str())) << plain.GetLastError(); // Blue
    ASSERT_EQ(plain.GetWidth(), 693);
    ASSERT_EQ(plain.GetHeight(), 693);
    const int c = 346;
    // Outside the disc; the rim between r - 2 and r; the body in the colour;
    // the hub ring 110..138; the hub's rings further in; the hole.
    EXPECT_EQ((std::vector{PixelAt(plain, 0, 0), PixelAt(plain, c + 345, c), PixelAt(plain, c + 200, c), PixelAt(plain, c, c + 120),
                           PixelAt(plain, c - 105, c), PixelAt(plain, c, c - 99), PixelAt(plain, c + 70, c), PixelAt(plain, c + 43, c),
                           PixelAt(plain, c, c)}),
              (std::vector<COLORREF>{0xFEFEFE, 0x000000, RGB(0, 0, 255), 0x000000, 0xBFBFBF, 0x808080, 0xFFFFFF, 0x808080, 0xFEFEFE}));

    // Gold variant 1 has no grooves: the body is the second colour.
    CRaster gold1, gold2;
    ASSERT_TRUE(gold1.Load(Internal("ecd_a000.png").c_str()));
    EXPECT_EQ(PixelAt(gold1, c + 200, c), 0x00C0C0u);
    // Variant 2 has grooves and sheen: somewhere on the disc a pixel is lighter
    // than every groove colour, and the hub is unchanged.
    ASSERT_TRUE(gold2.Load(Internal("ecd_a100.png").c_str()));
    bool brighter = false;
    for (int x = c + 150; x < c + 340 && !brighter; ++x)
        for (int y = c + 150; y < c + 240 && !brighter; ++y)
            brighter = GetBValue(PixelAt(gold2, x, y)) > 0x40;
    EXPECT_TRUE(brighter);
    EXPECT_EQ(PixelAt(gold2, c + 70, c), 0xFFFFFFu);

    CRaster thumb;
    ASSERT_TRUE(thumb.Load(Internal("dcd_c009.bmp").c_str()));
    EXPECT_EQ(std::pair(thumb.GetWidth(), thumb.GetHeight()), std::pair(77, 77));
    for (const auto& [key, alias] : {std::pair{"c000", "Alice Blue"}, {"c142", "Yellow Green"}, {"a000", "Gold 1"}, {"b111", "Silver 5"}})
        EXPECT_EQ(s_folders->GetProgramString("Alias", key), alias);
}

void SetupRunTest::PaleColoursMakeNoMediaButMoveTheBar()
{
    // White's light tone is white in every channel: no variant, the numbers
    // go on without a gap, and the bar still moved two places for it.
    const int sets = 2 * IndependentMediaColourCount();
    EXPECT_EQ(sets, 202); // 101 of the 143 colours have a channel below 161
    char last[32], beyond[32];
    std::snprintf(last, sizeof last, "dfl_%03d.bmp", sets);
    std::snprintf(beyond, sizeof beyond, "dfl_%03d.bmp", sets + 1);
    EXPECT_TRUE(IsCompleteFile(Internal(last)));
    EXPECT_FALSE(fs::exists(Internal(beyond)));
    for (const auto& key : s_folders->ProgramSettings().GetKeys("Alias")) {
        const std::string alias = s_folders->GetProgramString("Alias", key);
        EXPECT_EQ(alias.find("White 1/"), std::string::npos) << alias;
        EXPECT_EQ(alias.find("Alice Blue 1/"), std::string::npos) << alias;
    }
    // Aqua (0, 255, 255) is the first colour with sets: 001 and 002; its sides are
    // the colour reference 0 | 255 << 8 | 255 << 16 = 16776960.
    const auto get = [](const char* section, const char* key) { return s_folders->GetProgramString(section, key); };
    EXPECT_EQ((std::vector{get("Alias", "dfl_001.bmp"), get("Alias", "dfl_002.bmp"), get("Alias", "dzp_002.bmp"),
                           get("dfl_001.bmp", "FDATA"), get("dfl_001.bmp", "UDATA"), get("dzp_001.bmp", "DDATA"),
                           get("dzp_001.bmp", "LDATA"), get("dzp_001.bmp", "RDATA")}),
              (std::vector<std::string>{"Aqua 1/Floppy Disk", "Aqua 2/Floppy Disk", "Aqua 2/zip Disk", "@E:efl_001.png",
                                        "@E:efl_001_t.png", "@E:ezp_001_b.png", "@C:16776960", "@C:16776960"}));

    // Progress: the floppy group spans positions 306 .. 592 whatever was skipped;
    // Alice Blue is pale, so its two untimed steps come first: 307 and 308.
    const auto& pos = s_recorder->positions;
    for (int at : {306, 306 + 286, 308})
        EXPECT_NE(std::find(pos.begin(), pos.end(), at), pos.end()) << at;
}

void SetupRunTest::ModelEntriesAndInstalledData()
{
    // The catalogue is written (each entry's keys: CatalogueIniTest).
    EXPECT_EQ(s_folders->GetProgramString("Alias", "dmo_box_001.bmp"), "VHS Box");
    EXPECT_EQ(s_folders->GetProgramString("dmo_med_015.bmp", "SUBW"), "dfl_*.bmp");
    for (const char* name : {"dmo_bic_032.bmp", "dtx_paper.bmp", "dck_003.bmp"})
        EXPECT_TRUE(IsCompleteFile(Internal(name))) << name;
    // The library list names the installed library folders that have a
    // description, relative to the installed data wherever that lives.
    EXPECT_EQ(ReadLibraryList(Internal("vudarivu.ini")), std::vector<std::string>{"library/Skies/"});
    const std::vector<std::string> folders = ReadLibraryList(Internal("vudarivu.ini"), (s_root / "installed").string());
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0], (s_root / "installed" / "library" / "Skies").string() + "/");
    const std::vector<LibraryEntry> pictures = ReadLibraryFolder(folders[0]);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].name + "|" + pictures[0].credit, "Clear Sky|Studio");
}

void SetupRunTest::SecondRunSkipsCompletePictures()
{
    // Interrupted setup: the flag is not set, one picture was cut short.
    ASSERT_TRUE(s_folders->PutProgramInt("Init", "Template", 0));
    std::ofstream(Internal("ecd_c005.png"), std::ios::binary | std::ios::trunc) << std::string(50, 'z');
    // Another was cut short after 2000 bytes: large enough to look complete,
    // but it does not decode.
    const std::string whole = ReadText(Internal("ecd_c007.png"));
    ASSERT_GT(whole.size(), 2000u);
    std::ofstream(Internal("ecd_c007.png"), std::ios::binary | std::ios::trunc) << whole.substr(0, 2000);
    // The settings file lost the floppy entries as well.
    ASSERT_TRUE(s_folders->ProgramSettings().DeleteKey("dfl_001.bmp", "FDATA"));
    SetupOptions options;
    options.installedDataFolder = (s_root / "installed").string();
    options.freeSpace = [](const std::string&) { return std::nullopt; }; // unknown: go on
    CSetup again(*s_folders, options, {});
    const SetupResult result = again.Run();
    ASSERT_EQ(result.outcome, SetupOutcome::Completed) << result.message;
    // Only the two cut pictures (2 steps each) and the model entries were timed.
    EXPECT_EQ(again.GetProgress().GetTimedSteps(), 2 + 2 + 32);
    EXPECT_EQ(again.GetProgress().GetPosition(), CSetup::kTotalSteps);
    CRaster redone;
    EXPECT_TRUE(redone.Load(Internal("ecd_c005.png").c_str()) && redone.Load(Internal("ecd_c007.png").c_str()));
    EXPECT_TRUE(IsUsablePicture(Internal("ecd_c007.png")));
    EXPECT_EQ(s_folders->GetProgramString("dfl_001.bmp", "FDATA"), "@E:efl_001.png");
    // No temporary files remain.
    for (const auto& item : fs::directory_iterator(s_folders->GetInternalFolder()))
        EXPECT_FALSE(IsSaveTemporaryName(item.path().filename().string())) << item.path();
}

// One complete first run is costly, so every check on it shares the run (and
// a test process): the results first, then an interrupted second run.
TEST_F(SetupRunTest, FirstRunThenSecondRun)
{
    CompletesAndRecordsIt();
    CDPicturesFollowTheDrawing();
    PaleColoursMakeNoMediaButMoveTheBar();
    ModelEntriesAndInstalledData();
    SecondRunSkipsCompletePictures();
}

// Installed thumbnails missing: tests/cli/setup.sh ("File not found. Incomplete Installation?", exit 1);
// a failed run never records the folder as set up: the test below.
TEST(SetupFailure, UnwritablePictureStopsAndKeepsWhatWasMade)
{
    CTempFolder temp;
    const fs::path root = temp.Path();
    MakeInstalledData(root / "installed");
    std::string error;
    std::optional<CAppFolders> folders = CAppFolders::Create((root / "data").string(), error);
    ASSERT_TRUE(folders);
    // A folder in the way of the picture makes the save of item 3 fail.
    fs::create_directories(folders->GetInternalFolder() + "ecd_c003.png");
    SetupOptions options;
    options.installedDataFolder = (root / "installed").string();
    options.freeSpace = [](const std::string&) { return std::optional<std::uint64_t>(1ull << 40); };
    Recorder rec;
    const SetupResult result = CSetup(*folders, options, rec.Listener()).Run();
    EXPECT_EQ(result.outcome, SetupOutcome::Failed);
    EXPECT_EQ(result.message.rfind("Can not write the file:\n\n" + folders->GetInternalFolder() + "ecd_c003.png", 0), 0u)
        << result.message;
    EXPECT_EQ(folders->GetProgramInt("Init", "Template", 0), 0);
    EXPECT_TRUE(fs::is_directory(folders->GetInternalFolder() + "ecd_c003.png"));
    // Items before the failure are listed; the failed one and later ones are not.
    EXPECT_EQ(std::pair(folders->GetProgramString("Alias", "c002"), folders->GetProgramString("Alias", "c003")),
              std::pair(std::string("Aqua"), std::string()));
    EXPECT_EQ(rec.titles, std::vector<std::string>{"Setting up CD-ROM Images"});
    EXPECT_EQ(rec.positions.back(), 6);
}

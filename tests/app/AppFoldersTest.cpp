#include "TempFolder.h"
#include "ground/AppFolders.h"

namespace fs = std::filesystem;

namespace {

class AppFoldersTest : public ::testing::Test {
protected:
    CTempFolder m_Temp;
    const std::string m_Dir = m_Temp.Path().substr(0, m_Temp.Path().size() - 1);  // no trailing slash
};

struct Dialogue {
    bool answer = true;
    std::vector<std::string> questions, messages;
    QuestionCallback Ask() {
        return [this](const std::string& q) {
            questions.push_back(q);
            return answer;
        };
    }
    MessageSink Tell() {
        return [this](const std::string& m) { messages.push_back(m); };
    }
};

}  // namespace

TEST_F(AppFoldersTest, CreateMakesEveryFolderAndNamesTheFiles) {
    std::string error;
    const std::string root = m_Dir + "/deep/er/vantorel";
    auto folders = CAppFolders::Create(root, error);
    ASSERT_TRUE(folders) << error;
    EXPECT_EQ((std::vector{folders->GetProgramFolder(), folders->GetInternalFolder(), folders->GetProjectsFolder(),
                           folders->GetImagesFolder(), folders->GetRenderFolder(), folders->GetProgramSettingsFile(),
                           folders->GetUserSettingsFile()}),
              (std::vector<std::string>{root + "/", root + "/internal/", root + "/projects/", root + "/images/", root + "/render/",
                                        root + "/internal/vtwin.ini", root + "/internal/vtprof.ini"}));
    for (const char* sub : {"internal", "projects", "images", "render"})
        EXPECT_TRUE(fs::is_directory(root + "/" + sub)) << sub;

    EXPECT_TRUE(folders->IsStartingUp());
    folders->ClearStartUpFlag();
    EXPECT_FALSE(folders->IsStartingUp());

    // A root given with a trailing slash gives the same names.
    auto again = CAppFolders::Create(root + "/", error);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetInternalFolder(), root + "/internal/");
}

TEST_F(AppFoldersTest, SettingsGoToTheTwoFilesAndAreNotCached) {
    std::string error;
    auto folders = CAppFolders::Create(m_Dir, error);
    ASSERT_TRUE(folders) << error;
    EXPECT_EQ(std::tuple(folders->GetProgramInt("Init", "Template", 0), folders->GetUserString("GUI", "NewTab", "bok"),
                         folders->GetUserInt("Render", "JPEGQuality", 100)),
              std::tuple(0, "bok", 100));
    ASSERT_TRUE(folders->PutProgramInt("Init", "Template", 1) && folders->PutUserString("GUI", "NewTab", "med"));
    // The user's NewTab is not in the program's file: the files are separate.
    EXPECT_EQ(std::tuple(folders->GetProgramInt("Init", "Template", 0), folders->GetUserString("GUI", "NewTab", "bok"),
                         folders->GetProgramString("GUI", "NewTab", "none")),
              std::tuple(1, "med", "none"));

    // Someone else edits the file: the next read sees it.
    WriteText(folders->GetProgramSettingsFile(), "[Init]\nTemplate=0\n");
    EXPECT_EQ(folders->GetProgramInt("Init", "Template", 7), 0);
    fs::remove(folders->GetProgramSettingsFile());
    EXPECT_EQ(folders->GetProgramInt("Init", "Template", 7), 7);
}

TEST_F(AppFoldersTest, DefaultRootFromTheEnvironment) {
    // {data home, home, root}: a data home that is not absolute falls back to the home; neither: no root.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/x/data", "/home/u", "/x/data/vantorel"},       {"/x/data/", "/home/u", "/x/data/vantorel"},
        {"relative", "/home/u", "/home/u/.local/share/vantorel"}, {"", "/home/u", "/home/u/.local/share/vantorel"},
        {nullptr, "/home/u/", "/home/u/.local/share/vantorel"},   {nullptr, nullptr, ""}, {nullptr, "rel", ""}};
    for (const auto& [data, home, root] : cases)
        EXPECT_EQ(CAppFolders::GetDefaultDataRoot(data, home), root) << (data ? data : "-") << " " << (home ? home : "-");
}

TEST_F(AppFoldersTest, FolderCheckRejectsMalformedPaths) {
    const std::vector<std::string> bad = {
        "",          "relative/path", "C:\\folder",  "/a//b",        "/a/./b",       "/a/../b", "/a/.",
        "/a/..",     "/a/ b",         "/a/b ",       "/a/\tb",       "/a/b\n",       "//",      "/a/b//",
        "/" + std::string(256, 'n'),
    };
    for (const std::string& path : bad) {
        Dialogue d;
        EXPECT_FALSE(CheckFolder(path, d.Ask(), d.Tell())) << path;
        EXPECT_EQ(d.messages, std::vector<std::string>{"The folder:\n\n" + path + "\n\nis invalid. Please reenter."});
        EXPECT_TRUE(d.questions.empty()) << path;
    }
}

TEST_F(AppFoldersTest, FolderCheckAcceptsExistingFoldersAndOffersToCreateMissingOnes) {
    Dialogue d;
    EXPECT_TRUE(CheckFolder("/", d.Ask(), d.Tell())) << "the root passes like a bare drive";
    EXPECT_TRUE(CheckFolder(m_Dir, d.Ask(), d.Tell()));
    EXPECT_TRUE(CheckFolder(m_Dir + "/", d.Ask(), d.Tell()));
    EXPECT_TRUE(d.questions.empty() && d.messages.empty());
    fs::create_directory(m_Dir + "/.hidden.d");
    EXPECT_TRUE(CheckFolder(m_Dir + "/.hidden.d", d.Ask(), d.Tell())) << "dot names are ordinary on POSIX";

    // Missing: No rejects quietly and creates nothing.
    const std::string missing = m_Dir + "/new/nested/folder";
    d.answer = false;
    EXPECT_FALSE(CheckFolder(missing, d.Ask(), d.Tell()));
    EXPECT_EQ(d.questions, std::vector<std::string>{"The folder:\n\n" + missing + "\n\ndoes not exist. Do you want the folder to be created?"});
    EXPECT_TRUE(d.messages.empty() && !fs::exists(m_Dir + "/new"));

    // Yes creates every component from the root down.
    d.answer = true;
    EXPECT_TRUE(CheckFolder(missing, d.Ask(), d.Tell()) && fs::is_directory(missing) && d.messages.empty());
}

TEST_F(AppFoldersTest, FolderCheckReportsFoldersThatCannotBeCreated) {
    const std::string cannot = "\n\ncan not be created. Please double check.";
    // A file stands where a component should be.
    const std::string file = m_Dir + "/file";
    { std::ofstream(file) << "x"; }
    Dialogue d;
    EXPECT_FALSE(CheckFolder(file + "/sub", d.Ask(), d.Tell()));  // offered, then not made
    d.questions.clear();
    EXPECT_FALSE(CheckFolder(file, d.Ask(), d.Tell()));
    EXPECT_EQ(d.messages, (std::vector<std::string>{"The folder:\n\n" + file + "/sub" + cannot, "The folder:\n\n" + file + cannot}));
    EXPECT_TRUE(d.questions.empty()) << "a file is never offered for creation";
}

TEST_F(AppFoldersTest, UndoFilesAndLeftoverSavesBelongToTheDataFolder) {
    std::string error;
    auto folders = CAppFolders::Create(m_Dir + "/data", error);
    ASSERT_TRUE(folders) << error;
    const std::string internal = folders->GetInternalFolder();
    // A crashed run left undo files, and a killed save left temporaries; the
    // working folder of the process is no place for either.
    std::ofstream(internal + "_undo003.tua") << "stale";
    std::ofstream(internal + "_undo024.tua") << "stale";
    const std::string dead = std::to_string(EndedProcessId());
    const std::vector<std::string> leftovers = {internal + ".vtprof.ini.vtsave-" + dead + "-abc123",
                                                folders->GetProjectsFolder() + ".box.vtp.vtsave-" + dead + "-xyz789",
                                                folders->GetRenderFolder() + ".shot.png.vtsave-" + dead + "-000000"};
    for (const std::string& path : leftovers) std::ofstream(path) << "half";
    std::ofstream(folders->GetProjectsFolder() + "box.vtp") << "whole";

    CUndoFileCounter counter;
    folders->ClaimUndoFiles(counter);
    EXPECT_EQ(std::pair(counter.FileName(0), counter.Acquire()), std::pair(internal + "_undo000.tua", internal + "_undo000.tua"));
    EXPECT_FALSE(fs::exists(internal + "_undo003.tua") || fs::exists(internal + "_undo024.tua"));

    EXPECT_EQ(folders->RemoveLeftoverSaveFiles(), 3);
    for (const std::string& path : leftovers) EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::exists(folders->GetProjectsFolder() + "box.vtp"));
}

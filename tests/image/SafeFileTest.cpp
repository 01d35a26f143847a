// Whole-file saving and reading: links, modes, owners, read-only files,
// leftovers of killed saves, a full disk, and paths that are not files.

#include "CodecTestUtil.h"
#include "image/SafeFile.h"
#include "TempFolder.h"

#include <sched.h>
#include <sys/mount.h>

namespace fs = std::filesystem;
using testutil::TempDir;

namespace {

bool Save(const std::string& path, const std::string& text, std::string& error)
{
    return WriteFileAtomically(path, text.data(), text.size(), error);
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode;
}

// Names in the folder other than `keep`.
std::vector<std::string> OtherNames(const TempDir& dir, const std::vector<std::string>& keep)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (std::find(keep.begin(), keep.end(), name) == keep.end())
            names.push_back(name);
    }
    return names;
}

} // namespace

TEST(SafeFile, SavingThroughALinkReplacesTheFileItNames)
{
    TempDir dir;
    fs::create_directories(dir.Path() / "real");
    const std::string target = dir.File("real/project.vtp");
    WriteText(target, "old");
    // A relative link to a relative link: both stay links.
    fs::create_symlink("real/project.vtp", dir.Path() / "first.vtp");
    fs::create_symlink("first.vtp", dir.Path() / "second.vtp");
    std::string error;
    ASSERT_TRUE(Save(dir.File("second.vtp"), "new contents", error)) << error;
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("second.vtp"))));
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("first.vtp"))));
    EXPECT_EQ(ReadText(target), "new contents");
    EXPECT_EQ(ResolveSaveTarget(dir.File("second.vtp")), dir.File("real/project.vtp"));

    // A link to a file that does not exist yet creates that file.
    fs::create_symlink(dir.File("real/later.png"), dir.Path() / "later.png");
    ASSERT_TRUE(Save(dir.File("later.png"), "made", error)) << error;
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("later.png"))));
    EXPECT_EQ(ReadText(dir.File("real/later.png")), "made");
    EXPECT_EQ(OtherNames(dir, {"real", "first.vtp", "second.vtp", "later.png"}), std::vector<std::string>{});
}

TEST(SafeFile, TheReplacedFileKeepsItsModeAndOwner)
{
    TempDir dir;
    const std::string path = dir.File("settings.ini");
    WriteText(path, "a=1\n");
    ::chmod(path.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    }
    std::string error;
    ASSERT_TRUE(Save(path, "a=2\n", error)) << error;
    EXPECT_EQ(ModeOf(path) & 07777, 0640u);
    EXPECT_EQ(ReadText(path), "a=2\n");
    if (root) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(uid_t{4321}, gid_t{4322}));
    }

    // A new file gets the usual mode: 0666 less the process's mask.
    const mode_t old = ::umask(027);
    ASSERT_TRUE(Save(dir.File("new.ini"), "x", error)) << error;
    ::umask(old);
    EXPECT_EQ(ModeOf(dir.File("new.ini")) & 07777, 0640u);
}

TEST(SafeFile, ReadOnlyFilesAndNonFilesAreRefusedAndLeftAlone)
{
    TempDir dir;
    const std::string locked = dir.File("locked.png");
    WriteText(locked, "keep me");
    ::chmod(locked.c_str(), 0444);
    fs::create_directories(dir.Path() / "folder.vtp");
    ASSERT_EQ(::mkfifo(dir.File("pipe.ini").c_str(), 0600), 0);

    struct Case {
        std::string path, reason;
    };
    const Case cases[] = {
        {locked, "the file is read-only"},
        {dir.File("folder.vtp"), "it is not a file"},
        {dir.File("pipe.ini"), "it is not a file"},
        {dir.File("missing/x.vtp"), "No such file or directory"},
        {dir.File(""), "no file name was given"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(Save(c.path, "replacement", error)) << c.path;
        EXPECT_EQ(error, c.reason) << c.path;
    }
    EXPECT_EQ(ReadText(locked), "keep me");
    EXPECT_EQ(ModeOf(locked) & 07777, 0444u);
    EXPECT_TRUE(fs::is_directory(dir.Path() / "folder.vtp"));
    EXPECT_EQ(OtherNames(dir, {"locked.png", "folder.vtp", "pipe.ini"}), std::vector<std::string>{});
}

TEST(SafeFile, LeftoversOfKilledSavesGoOnTheNextSaveOrAtStartUp)
{
    TempDir dir;
    const std::string dead = std::to_string(EndedProcessId());
    const std::string alive = std::to_string(::getpid());
    // A killed save of project.vtp, another of render.png, a save in progress
    // in this process, and files that only look similar.
    const std::vector<std::string> leftovers = {".project.vtp.vtsave-" + dead + "-a1B2c3",
                                                ".render.png.vtsave-" + dead + "-zzzzzz"};
    const std::vector<std::string> kept = {".project.vtp.vtsave-" + alive + "-Q1w2e3", "project.vtp",
                                           ".project.vtp.vtsave-" + dead + "-short", "notes.vtsave-1-abcdef",
                                           ".render.png.vtsave--abcdef"};
    for (const std::string& name : leftovers)
        WriteText(dir.File(name), "half");
    for (const std::string& name : kept)
        WriteText(dir.File(name), "other");
    EXPECT_EQ((std::vector{IsSaveTemporaryName(leftovers[0]), IsSaveTemporaryName(kept[2]), IsSaveTemporaryName(kept[3]),
                           IsSaveTemporaryName(kept[4])}),
              (std::vector{true, false, false, false}));

    // The next save of project.vtp removes its own leftover only.
    std::string error;
    ASSERT_TRUE(Save(dir.File("project.vtp"), "saved", error)) << error;
    EXPECT_FALSE(fs::exists(dir.File(leftovers[0])));
    EXPECT_TRUE(fs::exists(dir.File(leftovers[1])));
    // Start-up removes the rest of the dead process's files.
    EXPECT_EQ(RemoveLeftoverSaveFiles(dir.Path().string()), 1);
    EXPECT_FALSE(fs::exists(dir.File(leftovers[1])));
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(dir.File(name))) << name;
    EXPECT_EQ(ReadText(dir.File("project.vtp")), "saved");
    // A save right after that sweep does not list the folder again: a
    // leftover come since waits for the next sweep.
    WriteText(dir.File(leftovers[0]), "half");
    ASSERT_TRUE(Save(dir.File("project.vtp"), "again", error)) << error;
    EXPECT_TRUE(fs::exists(dir.File(leftovers[0])));
    EXPECT_EQ(RemoveLeftoverSaveFiles(dir.Path().string()), 1);
}

TEST(SafeFile, AFullDiskSaysSoAndKeepsThePreviousFile)
{
    // A 64 KiB file system of its own, in a child with a private mount
    // namespace; skipped where the system does not allow that.
    TempDir dir;
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        auto report = [&](const std::string& text) {
            (void)!::write(pipeEnds[1], text.data(), text.size());
            ::_exit(0);
        };
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=64k") != 0)
            report("skip");
        const std::string path = dir.File("picture.bmp");
        WriteText(path, "previous");
        std::string error;
        const std::string big(256 * 1024, 'x');
        const bool saved = Save(path, big, error);
        // A picture is written as it is encoded: the same when its rows fill the disk.
        CRaster picture;
        picture.Create(300, 300, 24);
        const std::string pictureError = picture.Save(path.c_str(), IMAGE_TYPE_BMP) ? "saved" : picture.GetLastError();
        const bool leftover = std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator{}) != 1;
        report((saved ? "saved" : error) + "|" + pictureError + "|" + ReadText(path) + "|" +
               (leftover ? "leftover" : "clean"));
    }
    ::close(pipeEnds[1]);
    std::string answer;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (answer == "skip")
        GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(answer, "the disk is full|Can't write file: the disk is full|previous|clean");
}

// Folders, pipes and devices are refused by every loader through these two
// readers: NotAFile.ProjectsPicturesSettingsAndLibrariesAnswerAtOnce.
TEST(SafeFile, ReadingTakesARegularFileWithinItsLimit)
{
    TempDir dir;
    WriteText(dir.File("data"), "0123456789");
    std::vector<std::uint8_t> bytes;
    std::string error;
    bool notAFile = true;
    ASSERT_TRUE(ReadRegularFile(dir.File("data"), 10, bytes, error, &notAFile)) << error;
    EXPECT_EQ(std::pair(notAFile, std::string(bytes.begin(), bytes.end())), std::pair(false, std::string("0123456789")));
    EXPECT_FALSE(ReadRegularFile(dir.File("data"), 9, bytes, error));
    EXPECT_EQ(std::pair(error, bytes.empty()), std::pair(std::string("the file is too large"), true));
    EXPECT_FALSE(ReadRegularFile(dir.File("absent"), 9, bytes, error, &notAFile) || notAFile);
}

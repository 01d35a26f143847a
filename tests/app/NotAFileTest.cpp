// Every loader given a folder, a named pipe or a device instead of a file
// answers "<path> is not a file." and changes nothing (a loader that opened a
// pipe would wait for a writer for ever: the test's timeout).

#include "TempFolder.h"
#include "ground/IniFile.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/setup/PictureLibrary.h"
#include "catalogue/product/Product.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"

namespace fs = std::filesystem;

namespace {

class NotAFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_Root / "folder.vtp");
        // Named pipes without a writer: a blocking open of one never returns.
        for (const char* name : {"pipe.vtp", "vtlib.ini"})
            ASSERT_EQ(::mkfifo((m_Root / name).c_str(), 0600), 0);
        m_Paths = {(m_Root / "folder.vtp").string(), (m_Root / "pipe.vtp").string(), "/dev/zero"};
    }
    CTempFolder m_Temp;
    const fs::path m_Root{m_Temp.Path()};
    std::vector<std::string> m_Paths;
};

} // namespace

TEST_F(NotAFile, ProjectsPicturesSettingsAndLibrariesAnswerAtOnce)
{
    for (const std::string& path : m_Paths) {
        const std::string expected = path + " is not a file.";

        // The project loader keeps the open document.
        CUndoStore store;
        CVtwinDoc doc(nullptr, &store);
        doc.SetProduct(CreateProduct("BOX"));
        std::vector<std::string> messages;
        doc.SetMessageSink([&](const std::string& m) { messages.push_back(m); });
        EXPECT_FALSE(doc.OpenProject(path));
        EXPECT_EQ(messages, std::vector<std::string>{expected});
        EXPECT_NE(doc.GetProduct(), nullptr);

        // The picture loader and the picture's own load.
        std::string message;
        EXPECT_EQ(LoadPicture(path, message), nullptr);
        EXPECT_EQ(message, expected);
        CRaster picture;
        EXPECT_FALSE(picture.Load(path.c_str(), IMAGE_TYPE_UNKNOWN));
        EXPECT_EQ(std::string(picture.GetLastError()), expected);

        // Settings: reads give the default, writes fail and say why.
        CIniDocument ini;
        std::string error;
        EXPECT_FALSE(ini.Load(path, &error));
        EXPECT_EQ(error, expected);
        const CIniFile file(path);
        EXPECT_EQ(file.GetString("GUI", "NewTab", "bok"), "bok");
        EXPECT_FALSE(file.PutInt("Render", "JPEGQuality", 90));
        EXPECT_EQ(file.GetLastError(), expected);

        // The picture library's list file.
        error.clear();
        EXPECT_TRUE(ReadLibraryList(path, {}, &error).empty());
        EXPECT_EQ(error, expected);
    }
    EXPECT_TRUE(fs::is_directory(m_Root / "folder.vtp"));

    // A library folder whose description file is a pipe.
    std::string error;
    EXPECT_TRUE(ReadLibraryFolder(m_Root.string(), &error).empty());
    EXPECT_EQ(error, (m_Root / "vtlib.ini").string() + " is not a file.");
    // A missing one is simply empty, without a message.
    error.clear();
    EXPECT_TRUE(ReadLibraryFolder((m_Root / "folder.vtp").string(), &error).empty());
    EXPECT_EQ(error, "");
}

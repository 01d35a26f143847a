// Project files: the byte layout of what we write, refusals, quiet stops,
// hostile files, and saving that never loses the previous file.

#include "TempFolder.h"
#include "app/project/ProjectFile.h"
#include "HostileCorpus.h"
#include "app/project/ProjectLockFile.h"

#include "app/FaceObjects.h"
#include "app/project/RecordFaceObjects.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "image/CodecTestUtil.h"

#include <sys/resource.h>

#include <csignal>
#include <sstream>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian words, as the project file has them.
Bytes Words(std::initializer_list<std::uint32_t> words)
{
    Bytes out;
    for (std::uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    return out;
}

// The hand-made files of tests/data/projects (written by its make.py).
Bytes ProjectFile(const std::string& name) { return ReadFile(VT_TEST_DATA_DIR "/projects/" + name); }

// A document whose messages are collected.
struct Doc {
    CUndoStore undo;
    CVtwinDoc doc{nullptr, &undo};
    std::vector<std::string> messages;
    Doc()
    {
        doc.SetMessageSink([this](const std::string& m) { messages.push_back(m); });
    }
};

// A flattened object block: u32 size (including itself) and a payload.
Bytes ObjectBlock(const Bytes& payload)
{
    Bytes block = Words({static_cast<std::uint32_t>(4 + payload.size())});
    block.insert(block.end(), payload.begin(), payload.end());
    return block;
}

std::unique_ptr<CRaster> RandomPicture(int w, int h, unsigned seed)
{
    return std::make_unique<CRaster>(testutil::RandomPicture(w, h, 24, seed));
}

// A box with a picture front, a gradient left side, a texture top, a colour
// background and a working picture, plus two faces of draw objects.
void FillProject(CVtwinDoc& doc)
{
    auto product = CreateProduct("BOX");
    ASSERT_TRUE(product);
    product->GetSettings().SetInt(ModelKey(1), 1);
    product->GetSettings().SetReal(ModelKey(33), 0.25);
    product->GetSettings().SetText(ModelKey(7777), "note");

    CSide& front = product->GetOrCreateSide("F");
    front.Reset(0, 30, 20, 0);
    front.SetPicture(RandomPicture(30, 20, 1));
    front.SetSecondPicture(RandomPicture(5, 3, 2));

    CSide& left = product->GetOrCreateSide("L");
    left.Reset(2, 8, 20, RGB(10, 20, 30));
    left.GetSettings().SetInt(SideKey(kSideColor2), static_cast<std::int32_t>(RGB(200, 100, 0)));
    left.GetSettings().SetInt(SideKey(kSideGradientStyle), 5);
    left.SetPicture(std::make_unique<CRaster>(CRaster::Make(8, 20, 24).value())); // replaced by the rebuild on load

    CSide& top = product->GetOrCreateSide("U");
    top.Reset(3, 30, 8, 0, 2);
    top.GetSettings().SetInt(SideKey(kSideTextureScale), 1);
    top.SetSecondPicture(RandomPicture(4, 4, 3));
    top.SetPicture(RandomPicture(60, 16, 4));

    CSide& bg = product->GetOrCreateSide("G");
    bg.Reset(1, 16, 12, RGB(1, 2, 3));
    bg.SetPicture(std::make_unique<CRaster>(CRaster::Make(16, 12, 24).value()));

    CSide& work = product->GetOrCreateSide("x");
    work.Reset(0, 16, 12, 0xFFFFFF);
    work.SetPicture(RandomPicture(16, 12, 5)); // working data: stored by size only

    doc.SetProduct(std::move(product));
    doc.GetFaceObjects("F").LoadObject(ObjectBlock({1, 2, 3}).data(), 7);
    doc.GetFaceObjects("F").LoadObject(ObjectBlock({}).data(), 4);
    doc.GetFaceObjects("G").LoadObject(ObjectBlock({9, 9, 9, 9, 9}).data(), 9);
    doc.GetDrawingDefaults().text.font = "Arial";
    doc.GetDrawingDefaults().text.size = 36;
    doc.GetDrawingDefaults().fillColour = RGB(1, 2, 3);
}

Bytes Written(const CVtwinDoc& doc)
{
    CArchiveWriter out;
    std::string error;
    EXPECT_TRUE(CProjectFile::Write(doc, out, error)) << error;
    return out.Bytes();
}

// Reads `data` into a fresh document; returns whether the load succeeded and the messages.
bool ReadInto(Doc& d, const Bytes& data, std::string* errorOut = nullptr, SReadReport* reportOut = nullptr)
{
    CDocContent content;
    std::string error;
    SReadReport report;
    const bool ok = CProjectFile::Read(d.doc, data.data(), data.size(), content, error, &report);
    if (ok)
        d.doc.TakeContent(std::move(content));
    if (errorOut)
        *errorOut = !ok ? error : report.skippedObjects ? CProjectFile::SkippedObjectsNote(report.skippedObjects) : "";
    if (reportOut)
        *reportOut = report;
    return ok;
}

} // namespace

TEST(ProjectFileWrite, LayoutBlockAndStringPrefixes)
{
    // A new document; one face of one object and a long font name (the files say how they are made).
    Doc d;
    d.doc.OnNewDocument();
    EXPECT_EQ(Written(d.doc), ProjectFile("written_new_document.vtp"));
    d.doc.GetFaceObjects("F").LoadObject(ObjectBlock({0xAA, 0xBB}).data(), 6);
    d.doc.GetDrawingDefaults().text.font = std::string(300, 'f');
    EXPECT_EQ(Written(d.doc), ProjectFile("written_object_and_long_font.vtp"));

    // Strings of 0xFFFE bytes and more take the 32-bit length.
    CArchiveWriter w;
    w.WriteString(std::string(0xFFFE, 'x'));
    ASSERT_EQ(w.Bytes().size(), 7u + 0xFFFE);
    EXPECT_EQ(Bytes(w.Bytes().begin(), w.Bytes().begin() + 7), (Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}));
    CArchiveReader r(w.Bytes().data(), w.Bytes().size());
    std::string back;
    EXPECT_TRUE(r.ReadString(back) && back.size() == 0xFFFEu);
}

TEST(ProjectFileWrite, HasFirstPictureRuleAndPixelFlags)
{
    // For each appearance type: has-first-picture is 0 for colour, gradient
    // and pattern, else 1; the flags follow the side's settings block.
    for (int type = 0; type <= 4; ++type) {
        CSide side;
        side.Reset(type, 4, 2, 0);
        side.SetPicture(std::make_unique<CRaster>(CRaster::Make(4, 2, 24).value()));
        CArchiveWriter settingsOnly;
        CProjectFile::WriteSettings(settingsOnly, side.GetSettings());
        CArchiveWriter out;
        CProjectFile::WriteSideBlock(out, "F", side);
        const std::size_t at = 4 + settingsOnly.Bytes().size();
        CArchiveReader r(out.Bytes().data() + at, out.Bytes().size() - at);
        std::uint32_t hasFirst = 9, hasSecond = 9;
        ASSERT_TRUE(r.ReadU32(hasFirst) && r.ReadU32(hasSecond));
        EXPECT_EQ(std::pair(hasFirst, hasSecond), std::pair((type == 1 || type == 2 || type == 4) ? 0u : 1u, 0u)) << "type " << type;
    }
    // First pictures of sides whose key starts with a, d, l, r, u, x, y or z are stored by size only.
    for (const char* key : {"a", "d", "l", "r", "u", "x", "y", "z", "F", "L", "G", "S", "U", "D", "R"}) {
        const bool lower = std::string("adlruxyz").find(key[0]) != std::string::npos;
        EXPECT_EQ(CProjectFile::KeepsFirstPixels(key), !lower) << key;
    }
    CArchiveWriter pic;
    CRaster r = CRaster::Make(3, 2, 24).value();
    r.Clear(0);
    CProjectFile::WritePicture(pic, &r, false);
    EXPECT_EQ(pic.Bytes(), Words({0x12345678, 0, 3, 2, 0x90ABCDEF}));
}

// A product with a printed back names the back face's reader, so that an
// older program refuses it rather than dropping the back unseen; it reads back.
TEST(ProjectFileWrite, BackFaceNeedsItsReader)
{
    Doc a;
    FillProject(a.doc);
    const auto oldest = [](const Bytes& b) -> std::uint32_t { return b[16] | b[17] << 8 | b[18] << 16 | b[19] << 24; };
    EXPECT_EQ(oldest(Written(a.doc)), 200u);
    std::string error;
    ASSERT_TRUE(AddBackFace(*a.doc.GetProduct(), error)) << error;
    const Bytes bytes = Written(a.doc);
    EXPECT_EQ(oldest(bytes), kReaderVersionBackFace);
    Doc b;
    ASSERT_TRUE(ReadInto(b, bytes));
    EXPECT_TRUE(HasBackFace(*b.doc.GetProduct()));
}

TEST(ProjectFileRead, RoundTripKeepsEverything)
{
    Doc a;
    FillProject(a.doc);
    const Bytes bytes = Written(a.doc);

    Doc b;
    std::string note;
    ASSERT_TRUE(ReadInto(b, bytes, &note) && note.empty() && b.doc.HasProduct()) << note;
    const CProduct& pa = *a.doc.GetProduct();
    const CProduct& pb = *b.doc.GetProduct();
    EXPECT_STREQ(pb.GetKindCode(), "BOX");
    // Settings come back, plus the settings a read adds when missing (a
    // project without a resolution was made at 72 dpi).
    SettingStore expectedSettings = pa.GetSettings();
    const std::pair<std::uint32_t, std::int32_t> added[] = {{191, 0}, {192, 0}, {201, 0}, {202, 0xFFFFFF}, {164, 72}};
    for (auto [id, v] : added)
        if (!expectedSettings.LookupInt(ModelKey(id)))
            expectedSettings.SetInt(ModelKey(id), v);
    EXPECT_TRUE(pb.GetSettings().SameContent(expectedSettings));
    ASSERT_EQ(pb.GetSideCount(), pa.GetSideCount());
    for (std::size_t i = 0; i < pa.GetSideCount(); ++i) {
        EXPECT_EQ(pb.GetSideKey(i), pa.GetSideKey(i));
        EXPECT_TRUE(pb.GetSide(i).GetSettings().SameContent(pa.GetSide(i).GetSettings())) << pa.GetSideKey(i);
    }
    // Stored pictures are pixel-exact.
    EXPECT_TRUE(testutil::SameColours(*pb.FindSidePtr("F")->GetPicture(), *pa.FindSidePtr("F")->GetPicture()));
    EXPECT_TRUE(testutil::SameColours(*pb.FindSidePtr("F")->GetSecondPicture(), *pa.FindSidePtr("F")->GetSecondPicture()));
    EXPECT_TRUE(testutil::SameColours(*pb.FindSidePtr("U")->GetPicture(), *pa.FindSidePtr("U")->GetPicture()));
    // The gradient side was not stored: rebuilt from its settings (shape 5 at
    // the top-left pixel: ((b W + 0) / W + (a H + 0) / H) / 2 per channel).
    const CRaster* left = pb.FindSidePtr("L")->GetPicture();
    ASSERT_TRUE(left);
    EXPECT_EQ(std::pair(left->GetWidth(), RGBQUADtoRGB(left->GetPixelColor(0, 19))),
              std::pair(8, RGB((200 + 10) / 2, (100 + 20) / 2, (0 + 30) / 2)));
    // The colour background is rebuilt too.
    EXPECT_EQ(RGBQUADtoRGB(pb.FindSidePtr("G")->GetPicture()->GetPixelColor(5, 5)), RGB(1, 2, 3));
    // A working picture is not made on reading: the render makes it.
    EXPECT_EQ(pb.FindSidePtr("x")->GetPicture(), nullptr);
    // Draw objects come back byte for byte, and the drawing defaults.
    ASSERT_EQ(b.doc.GetLayoutCount(), 2u);
    ASSERT_EQ(std::pair(b.doc.GetLayoutKey(0), b.doc.GetLayoutList(0).GetObjectCount()), std::pair(std::string("F"), std::size_t{2}));
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(b.doc.GetLayoutList(0).SaveObject(0, block));
    EXPECT_EQ(block, ObjectBlock({1, 2, 3}));
    EXPECT_EQ(b.doc.GetDrawingDefaults(), a.doc.GetDrawingDefaults());
    // Writing again and reading that gives the same document again.
    Doc c;
    ASSERT_TRUE(ReadInto(c, Written(b.doc)));
    EXPECT_TRUE(c.doc.GetProduct()->GetSettings().SameContent(pb.GetSettings()));
    EXPECT_TRUE(testutil::SameColours(*c.doc.GetProduct()->FindSidePtr("U")->GetPicture(), *pa.FindSidePtr("U")->GetPicture()));
    EXPECT_EQ(Written(c.doc).size(), Written(b.doc).size());
}

// Every hostile project of tests/data/hostile (pictures claiming sizes no
// picture may have, lying counts and lengths, foreign, newer and cut-off files)
// is refused with its message and leaves the open document as it was.
TEST(ProjectFileRead, HostileFilesAreRefusedAndLeaveTheDocumentAsItWas)
{
    const auto projects = hostile::HostileProjects();
    ASSERT_EQ(projects.size(), 14u) << "tests/data/hostile/index.txt";
    CTempFolder folder;
    for (const hostile::SHostileFile& p : projects) {
        SCOPED_TRACE(p.name);
        Doc d;
        FillProject(d.doc);
        d.doc.SetModifiedFlag(false);
        const Bytes before = Written(d.doc);
        WriteFile(folder.Path() + "case.vtp", p.bytes);
        EXPECT_FALSE(d.doc.OpenProject(folder.Path() + "case.vtp"));
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].rfind(p.refusal, 0), 0u) << d.messages[0];
        if (p.refusal.find("too large") != std::string::npos) {
            EXPECT_NE(d.messages[0].find("pixels; the largest picture is 16384 x 16384 pixels"), std::string::npos) << d.messages[0];
        }
        EXPECT_TRUE(Written(d.doc) == before && d.doc.HasProduct()) << "the document changed";
    }
}

// The readable projects of tests/data/projects (written by its make.py): one
// word damaged, reported with its byte and the blocks after it recovered; an
// object of no bytes; an object whose size lies, left out with a note; a side
// without settings; a colour side too large to build, left out, not refused.
TEST(ProjectFileRead, DamagedAndOddFilesReadAsTheirIndexStates)
{
    std::ifstream index(VT_TEST_DATA_DIR "/projects/index.txt");
    int count = 0;
    for (std::string line; std::getline(index, line);) {
        if (line.starts_with('#'))
            continue;
        std::istringstream in(line);
        std::string file, kind, detail, losses, note;
        std::size_t sides = 0, objects = 0, damaged = 0;
        ASSERT_TRUE(in >> file >> kind >> sides >> objects >> damaged >> detail >> std::ws && std::getline(in, losses, '\t'))
            << line;
        std::getline(in, note);
        SCOPED_TRACE(file);
        Doc d;
        SReadReport report;
        std::string read;
        ASSERT_TRUE(ReadInto(d, ReadFile(VT_TEST_DATA_DIR "/projects/" + file), &read, &report)) << read;
        std::vector<std::string> lost;
        for (std::istringstream list(losses == "-" ? "" : losses); std::getline(list, line, ';');)
            lost.push_back(line);
        std::size_t drawn = 0;
        for (std::size_t i = 0; i < d.doc.GetLayoutCount(); ++i)
            drawn += d.doc.GetLayoutList(i).GetObjectCount();
        const CProduct* p = d.doc.GetProduct();
        std::string readDetail; // key:settings:base width:picture width of each side
        for (std::size_t i = 0; p && i < p->GetSideCount(); ++i) {
            const SettingStore& s = p->GetSide(i).GetSettings();
            const CRaster* picture = p->GetSide(i).GetPicture();
            readDetail += (i ? "," : "") + p->GetSideKey(i) + ":" +
                           std::to_string(s.Ints().GetCount() + s.Reals().GetCount() + s.Texts().GetCount()) + ":" +
                           std::to_string(s.GetInt(SideKey(kSideBaseWidth))) + ":" + std::to_string(picture ? picture->GetWidth() : 0);
        }
        EXPECT_EQ(std::tuple(p ? p->GetKindCode() : "-", p ? p->GetSideCount() : 0u, drawn, report.damageOffset, report.losses),
                  std::tuple(kind, sides, objects, damaged, lost));
        EXPECT_EQ(detail == "*" ? detail : readDetail, detail);
        EXPECT_EQ(note == "*" ? note : read, note);
        EXPECT_EQ(d.doc.GetDrawingDefaults(), CDrawingDefaults{});
        ++count;
    }
    EXPECT_EQ(count, 8) << "tests/data/projects/index.txt";
}

TEST(ProjectFileRead, EveryTruncationFailsCleanlyOrStopsQuietly)
{
    Doc a;
    FillProject(a.doc);
    const Bytes full = Written(a.doc);
    for (std::size_t len = 0; len < full.size(); ++len) {
        Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
        Doc d;
        CDocContent content;
        std::string error;
        // Refused with a reason, or read without a product: its block cannot be complete.
        const bool ok = CProjectFile::Read(d.doc, cut.data(), cut.size(), content, error);
        ASSERT_TRUE(ok ? !content.hasProduct : !error.empty()) << "length " << len << ": " << error;
    }
}

TEST(ProjectFileSave, FailedSaveLeavesTheOldFileUntouched)
{
    CTempFolder folder;
    const std::string path = folder.Path() + "box.vtp";
    Doc d;
    FillProject(d.doc);
    ASSERT_TRUE(d.doc.SaveProject(path));
    EXPECT_TRUE(!d.doc.IsModified() && d.doc.GetTitle() == "box.vtp");
    const Bytes saved = ReadFile(path);
    ASSERT_FALSE(saved.empty());

    // 1. An object that cannot be written: "Out of memory", nothing written.
    class CFailingObjects final : public CFaceObjects {
    public:
        std::size_t GetObjectCount() const override { return 1; }
        bool SaveObject(std::size_t, std::vector<std::uint8_t>&) const override { return false; }
        bool LoadObject(const std::uint8_t*, std::size_t) override { return false; }
        std::unique_ptr<CFaceObjects> Clone() const override { return std::make_unique<CFailingObjects>(); }
        void RenderToFace(CRaster&) const override {}
    };
    d.doc.SetFaceObjects("S", std::make_unique<CFailingObjects>());
    d.doc.SetModifiedFlag();
    EXPECT_FALSE(d.doc.SaveProject(path));
    EXPECT_EQ(d.messages, std::vector<std::string>{"Out of memory"});
    EXPECT_TRUE(ReadFile(path) == saved && d.doc.IsModified());
    d.doc.SetFaceObjects("S", CRecordFaceObjects::Make());

    // 2. The disk fills up part-way (a file size limit stands in for a full
    //    disk): the save fails, the old file and the folder are as they were.
    {
        struct sigaction ignore {}, old {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &old);
        rlimit before{};
        ::getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = 512;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool ok = d.doc.SaveProject(path);
        ::setrlimit(RLIMIT_FSIZE, &before);
        ::sigaction(SIGXFSZ, &old, nullptr);
        EXPECT_FALSE(ok);
        ASSERT_EQ(d.messages.size(), 2u);
        EXPECT_NE(d.messages[1].find("could not be saved to " + path), std::string::npos) << d.messages[1];
        EXPECT_TRUE(ReadFile(path) == saved && folder.Entries() == std::vector<std::string>{"box.vtp"});
    }

    // 3. A folder that does not exist.
    EXPECT_FALSE(d.doc.SaveProject(folder.Path() + "missing/box.vtp"));

    // A good save still replaces the file whole.
    d.doc.GetDrawingDefaults().lineColour = 0x00ABCDEF;
    ASSERT_TRUE(d.doc.SaveProject(path));
    const Bytes resaved = ReadFile(path);
    EXPECT_NE(resaved, saved);
    Doc e;
    ASSERT_TRUE(e.doc.OpenProject(path));
    EXPECT_EQ(e.doc.GetDrawingDefaults().lineColour, 0x00ABCDEFu);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"box.vtp"});
}

TEST(ProjectFileRead, OpeningEmptiesTheUndoStore)
{
    class CNothing final : public CUndoRecord {
    public:
        CNothing() : CUndoRecord("F", "Nothing") {}
        bool Apply(UndoContext&) override { return true; }
        std::unique_ptr<CUndoRecord> MakeInverse(UndoContext&) override { return std::make_unique<CNothing>(); }
        int UpdateKind() const override { return 0; }
    };
    CTempFolder folder;
    Doc a;
    FillProject(a.doc);
    ASSERT_TRUE(a.doc.SaveProject(folder.Path() + "p.vtp"));
    Doc d;
    d.undo.Push(std::make_unique<CNothing>());
    // A refused file keeps the history...
    EXPECT_FALSE(d.doc.OpenProject(folder.Path() + "none.vtp"));
    EXPECT_TRUE(d.undo.CanUndo());
    // ...an opened one empties it.
    ASSERT_TRUE(d.doc.OpenProject(folder.Path() + "p.vtp"));
    EXPECT_TRUE(!d.undo.CanUndo() && !d.doc.IsModified() && d.doc.GetPathName() == folder.Path() + "p.vtp");
}

TEST(ProjectFileOpen, DamagedFilesOpenAsUntitledCopiesOrAreRefused)
{
    CTempFolder folder;
    const std::string path = folder.Path() + "box.vtp";
    {
        Doc a;
        FillProject(a.doc);
        ASSERT_TRUE(a.doc.SaveProject(path));
    }
    // Damage the word after the versions (16 signature bytes, two versions of 4 + 5 bytes).
    Bytes bytes = ReadFile(path);
    bytes[34] ^= 0xFF;
    WriteFile(path, bytes);
    const std::string lost = " could not be read completely: the file is damaged at byte 34 (the drawing defaults).";

    // Refused, it says so and leaves the file (tests/cli/safety.sh, "damaged project"); opened as a copy:
    Doc copy;
    ASSERT_TRUE(copy.doc.OpenProject(path, EDamagedFile::UntitledCopy, true));
    EXPECT_EQ(copy.messages,
              std::vector<std::string>{"box.vtp" + lost + " It is opened as an untitled copy; the file is left as it is."});
    EXPECT_EQ(std::tuple(copy.doc.HasProduct(), copy.doc.GetPathName(), copy.doc.GetTitle(), copy.doc.IsModified()),
              std::tuple(true, "", "Untitled", true));
    EXPECT_EQ(ReadFile(path), bytes);

    // A file without a product is refused where one is needed; such a document is never saved.
    Doc empty;
    const std::string none = folder.Path() + "none.vtp";
    CArchiveWriter out;
    std::string error;
    ASSERT_TRUE(CProjectFile::Write(empty.doc, out, error));
    WriteFile(none, out.Bytes());
    EXPECT_FALSE(empty.doc.OpenProject(none, EDamagedFile::UntitledCopy, true));
    EXPECT_FALSE(empty.doc.SaveProject(none));
    EXPECT_EQ(empty.messages, (std::vector<std::string>{none + ": the project holds no product", CVtwinDoc::kNothingToSave}));
    EXPECT_EQ(ReadFile(none), out.Bytes());
}

TEST(ProjectLockFile, LiveLocksAreHeldStaleOnesTakenOver)
{
    CTempFolder folder;
    const std::string project = folder.Path() + "box.vtp";
    const std::string lockPath = folder.Path() + ".box.vtp.lock";
    EXPECT_EQ(CProjectLockFile::PathFor(project), lockPath);
    auto writeLock = [&](long pid) {
        std::ofstream(lockPath) << "user=anna\nhost=" << CProjectLockFile::Me().host << "\npid=" << pid << "\ntime=0\n";
    };
    SLockOwner holder;
    writeLock(static_cast<long>(::getppid()));  // a live process of this host
    CProjectLockFile lock;
    EXPECT_EQ(lock.Take(project, holder), CProjectLockFile::ETake::Held);
    EXPECT_EQ(std::pair(holder.user, holder.pid), std::pair(std::string("anna"), static_cast<long>(::getppid())));

    writeLock(static_cast<long>(EndedProcessId()));
    EXPECT_FALSE(CProjectLockFile::FindHolder(project, holder));
    ASSERT_EQ(lock.Take(project, holder), CProjectLockFile::ETake::Taken);
    ASSERT_TRUE(CProjectLockFile::FindHolder(project, holder));
    EXPECT_EQ(holder.pid, static_cast<long>(::getpid()));
    lock.Release();
    EXPECT_EQ(::access(lockPath.c_str(), F_OK), -1);
}

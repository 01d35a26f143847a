// Undo store, undo-file names and side snapshots, walked through real
// sequences of edits, undos and redos.

#include "TempFolder.h"
#include "app/undo/SideSnapshotRecord.h"
#include "ground/UndoFileCounter.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"

namespace {

// The edited state of the value tests: one number.
struct Value {
    int value = 0;
};

// Restores a saved number; its inverse saves the number as it is now.
class CValueRecord final : public CUndoRecord {
public:
    CValueRecord(Value& target, int saved, std::string description, int* liveCount = nullptr)
        : CUndoRecord("F", std::move(description)), m_Target(target), m_Saved(saved), m_Live(liveCount)
    {
        if (m_Live)
            ++*m_Live;
    }
    ~CValueRecord() override
    {
        if (m_Live)
            --*m_Live;
    }
    bool Apply(UndoContext&) override
    {
        m_Target.value = m_Saved;
        return true;
    }
    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext&) override
    {
        return std::make_unique<CValueRecord>(m_Target, m_Target.value, GetDescription(), m_Live);
    }
    int UpdateKind() const override { return 7; }

private:
    Value& m_Target;
    int m_Saved;
    int* m_Live;
};

// An edit: push the state before it, then change it.
void Edit(CUndoStore& store, Value& v, int newValue, const std::string& what, int* live = nullptr)
{
    store.Push(std::make_unique<CValueRecord>(v, v.value, what, live));
    v.value = newValue;
}

// A store, the document it belongs to and the number the value tests edit.
class UndoStore : public ::testing::Test {
protected:
    CUndoStore store;
    CVtwinDoc doc{nullptr, &store};
    UndoContext ctx{doc};
    Value v;
};

} // namespace

TEST_F(UndoStore, UndoRedoWalk)
{

    // Nothing to undo: nothing changes, update kind 1, empty face key.
    const CUndoStore::Result none = store.Undo(ctx);
    EXPECT_EQ(std::pair(none.faceKey, none.updateKind), std::pair(std::string(), 1));
    EXPECT_EQ(store.Redo(ctx).updateKind, 1);
    EXPECT_EQ(std::pair(store.GetUndoMenuText(), store.GetRedoMenuText()), std::pair(std::string("&Undo\tCtrl+Z"), std::string("&Redo\tCtrl+Y")));

    Edit(store, v, 1, "Set 1");
    Edit(store, v, 2, "Set 2");
    Edit(store, v, 3, "Set 3");
    EXPECT_EQ(store.GetUndoMenuText(), "&Undo Set 3\tCtrl+Z");
    EXPECT_FALSE(store.CanRedo());

    CUndoStore::Result r = store.Undo(ctx);
    EXPECT_EQ(v.value, 2);
    EXPECT_EQ(std::pair(r.faceKey, r.updateKind), std::pair(std::string("F"), 7));
    store.Undo(ctx);
    EXPECT_EQ(std::tuple(v.value, store.TopRedoDescription(), store.GetRedoMenuText()), std::tuple(1, "Set 2", "&Redo Set 2\tCtrl+Y"));
    store.Redo(ctx);
    EXPECT_EQ(std::tuple(v.value, store.GetUndoCount(), store.GetRedoCount()), std::tuple(2, 2u, 1u));

    // A new edit after an undo empties the redo stack; redo is then refused.
    Edit(store, v, 9, "Set 9");
    EXPECT_FALSE(store.CanRedo());
    EXPECT_EQ(std::pair(store.Redo(ctx).faceKey, v.value), std::pair(std::string(), 9));
    for (int i = 0; i < 3; ++i)
        store.Undo(ctx);
    EXPECT_TRUE(v.value == 0 && !store.CanUndo());
    for (int i = 0; i < 3; ++i)
        store.Redo(ctx);
    EXPECT_EQ(v.value, 9);
}

TEST_F(UndoStore, ChangeCountMovesWithEveryChangeOfTheStacks)
{
    // A caller that pushed a record may extend its edit while the count has
    // not moved; every push, undo, redo or clear in between moves it, even
    // when the stacks hold as many records as before.
    store.SetDepth(10);
    std::uint64_t last = store.GetChangeCount();
    auto moved = [&]() {
        const bool m = store.GetChangeCount() != last;
        last = store.GetChangeCount();
        return m;
    };
    Edit(store, v, 1, "Set 1");
    EXPECT_TRUE(moved());
    EXPECT_FALSE(moved());
    EXPECT_EQ(store.GetUndoMenuText(), "&Undo Set 1\tCtrl+Z");
    EXPECT_FALSE(moved());  // reading changes nothing
    store.Undo(ctx);
    EXPECT_TRUE(moved());
    store.Redo(ctx);
    EXPECT_TRUE(moved());
    // Ten full: a push keeps ten records but is still a change.
    for (int i = 2; i <= 12; ++i)
        Edit(store, v, i, "Set");
    ASSERT_EQ(store.GetUndoCount(), 10u);
    EXPECT_TRUE(moved());
    Edit(store, v, 13, "Set");
    EXPECT_EQ(store.GetUndoCount(), 10u);
    EXPECT_TRUE(moved());
    store.Clear();
    EXPECT_TRUE(moved());
}

TEST_F(UndoStore, DepthStepsAtMostAndNoRecordLeaks)
{
    EXPECT_EQ(store.GetDepth(), 100u);
    store.SetDepth(10);
    int live = 0;
    for (int i = 1; i <= 11; ++i)
        Edit(store, v, i, "Edit " + std::to_string(i), &live);
    EXPECT_EQ(std::pair(store.GetUndoCount(), live), std::pair(std::size_t{10}, 10));
    int steps = 0;
    while (store.CanUndo()) {
        store.Undo(ctx);
        ++steps;
    }
    // Ten steps back reach the state after the first edit, which is no longer undoable.
    EXPECT_EQ(std::tuple(steps, v.value, store.GetRedoCount()), std::tuple(10, 1, 10u));
    // Redo stack capped at ten too: twelve undoable edits, undo them all.
    for (int i = 0; i < 12; ++i)
        Edit(store, v, 100 + i, "More", &live);
    EXPECT_EQ(store.GetRedoCount(), 0u);
    for (int i = 0; i < 12; ++i)
        store.Undo(ctx);
    EXPECT_EQ(std::tuple(store.GetRedoCount(), live), std::tuple(10u, 10));
    store.Clear();
    EXPECT_EQ(std::tuple(live, store.TopUndoDescription()), std::tuple(0, ""));
}

TEST_F(UndoStore, StateIdsLeadBackToTheSavedState)
{
    // The document compares the state id with the one of its saved state.
    Edit(store, v, 1, "Set 1");
    Edit(store, v, 2, "Set 2");
    const std::uint64_t saved = store.GetStateId();
    store.Undo(ctx);
    EXPECT_NE(store.GetStateId(), saved);
    store.Undo(ctx);
    store.Redo(ctx);
    store.Redo(ctx);
    EXPECT_EQ(store.GetStateId(), saved);
    // Another edit after an undo never leads back, though as many records are held.
    store.Undo(ctx);
    Edit(store, v, 3, "Set 3");
    EXPECT_NE(store.GetStateId(), saved);
    store.Undo(ctx);
    store.Redo(ctx);
    EXPECT_NE(store.GetStateId(), saved);
    // An edit that could not be recorded forgets every state, the one below the stack too.
    const std::uint64_t now = store.GetStateId();
    store.Push(nullptr);
    EXPECT_NE(store.GetStateId(), now);
    store.Undo(ctx);
    store.Undo(ctx);
    EXPECT_FALSE(store.CanUndo());
    store.Clear();
    const std::uint64_t empty = store.GetStateId();
    store.Push(nullptr);
    EXPECT_NE(store.GetStateId(), empty);
}

TEST(UndoFileCounter, NamesInRotation)
{
    CUndoFileCounter counter("/data/internal/");
    EXPECT_EQ(counter.FileName(0), "/data/internal/_undo000.tua");
    EXPECT_EQ(counter.FileName(204), "/data/internal/_undo204.tua");
    std::vector<std::string> names;
    for (int i = 0; i < CUndoFileCounter::kFileCount; ++i) {
        names.push_back(counter.Acquire());
        counter.Release(names.back());
    }
    EXPECT_EQ(std::tuple(names[7], counter.HasWrapped(), counter.GetNextNumber()), std::tuple("/data/internal/_undo007.tua", true, 0));
    EXPECT_EQ(counter.Acquire(), "/data/internal/_undo000.tua");

    // A name still held by a live record is skipped: SideSnapshot.ALiveRecordKeepsItsFileThroughLongUndoRedoCycles.
}

// A box document with its own undo store, its undo files in a temporary
// folder and its messages collected.
class SideSnapshot : public testing::Test {
protected:
    SideSnapshot()
    {
        doc.SetMessageSink([this](const std::string& m) { messages.push_back(m); });
        doc.SetProduct(CreateProduct("BOX"));
    }
    // The front's colour goes 1 -> 2 -> 3 (red levels), each change after its
    // snapshot; gives the second snapshot's file.
    std::string TwoEdits()
    {
        CSide& side = doc.GetProduct()->GetOrCreateSide("F");
        side.Reset(1, 2, 2, RGB(1, 0, 0));
        store.Push(CSideSnapshotRecord::Create(doc, "F", "One", "Front", counter));
        side.Reset(1, 2, 2, RGB(2, 0, 0));
        auto second = CSideSnapshotRecord::Create(doc, "F", "Two", "Front", counter);
        const std::string file = second ? second->GetFileName() : "";
        store.Push(std::move(second));
        side.Reset(1, 2, 2, RGB(3, 0, 0));
        return file;
    }
    int FrontRed() { return GetRValue(doc.GetProduct()->FindSidePtr("F")->GetSettings().GetInt(SideKey(kSideColor1))); }

    CTempFolder folder;
    CUndoFileCounter counter{folder.Path()};
    CUndoStore store;
    CVtwinDoc doc{nullptr, &store};
    std::vector<std::string> messages;
    UndoContext ctx{doc};
};

TEST_F(SideSnapshot, CaptureUndoAndRedo)
{
    CSide& front = doc.GetProduct()->GetOrCreateSide("F");
    front.Reset(1, 4, 3, RGB(10, 20, 30));
    front.SetPicture(std::make_unique<CRaster>(CRaster::Make(4, 3, 24).value()));
    front.GetPicture()->Clear(0x40);
    front.SetSecondPicture(std::make_unique<CRaster>(CRaster::Make(2, 2, 24).value()));

    // Edit: snapshot, then change the side.
    auto record = CSideSnapshotRecord::Create(doc, "F", "Front Appearance", "Front", counter);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->GetFileName(), folder.Path() + "_undo000.tua");
    EXPECT_TRUE(std::filesystem::exists(record->GetFileName()));
    store.Push(std::move(record));
    front.Reset(4, 8, 8, RGB(1, 1, 1));
    front.SetPicture(std::make_unique<CRaster>(CRaster::Make(8, 8, 24).value()));

    CUndoStore::Result r = store.Undo(ctx);
    EXPECT_EQ(std::pair(r.faceKey, r.updateKind), std::pair(std::string("F"), 2));
    // Same side object, old settings; the colour picture is rebuilt from them.
    EXPECT_EQ(doc.GetProduct()->FindSidePtr("F"), &front);
    EXPECT_EQ(front.GetSettings().GetInt(SideKey(kSideAppearance)), 1);
    ASSERT_TRUE(front.GetPicture() && front.GetSecondPicture());
    EXPECT_EQ(std::tuple(front.GetPicture()->GetWidth(), RGBQUADtoRGB(front.GetPicture()->GetPixelColor(1, 1)),
                         front.GetSecondPicture()->GetWidth()),
              std::tuple(4, RGB(10, 20, 30), 2));
    // The inverse went to the redo stack in the next file.
    ASSERT_TRUE(store.CanRedo());
    store.Redo(ctx);
    EXPECT_EQ(std::pair(front.GetSettings().GetInt(SideKey(kSideAppearance)), front.GetPicture()->GetWidth()), std::pair(4, 8));
    EXPECT_TRUE(messages.empty());

    // A missing side is created for the capture.
    auto spine = CSideSnapshotRecord::Create(doc, "S", "Spine", "Spine", counter);
    ASSERT_TRUE(spine);
    EXPECT_NE(doc.GetProduct()->FindSidePtr("S"), nullptr);
    spine.reset();
}

TEST_F(SideSnapshot, ALiveRecordKeepsItsFileThroughLongUndoRedoCycles)
{
    // The oldest record stays on the stack while undo and redo at the top
    // take many new names; its file must never be overwritten.
    ASSERT_NE(TwoEdits(), "");
    for (int i = 0; i < 150; ++i) {
        store.Undo(ctx);
        store.Redo(ctx);
    }
    ASSERT_TRUE(counter.HasWrapped()) << "the names came round to the held one";
    std::vector<int> reds{FrontRed()};
    for (int i = 0; i < 2; ++i) {
        store.Undo(ctx);
        reds.push_back(FrontRed());
    }
    EXPECT_EQ(reds, (std::vector{3, 2, 1}));
}

TEST_F(SideSnapshot, MultiSideCapturesBackgroundAndWorkingPictures)
{
    doc.SetProduct(CreateProduct("BOOK"));
    CProduct& p = *doc.GetProduct();
    p.GetOrCreateSide("G").Reset(1, 5, 5, RGB(9, 9, 9));
    p.GetOrCreateSide("x").Reset(0, 5, 5, 0);
    p.FindSidePtr("x")->SetPicture(std::make_unique<CRaster>(CRaster::Make(6, 7, 24).value()));

    auto record = CMultiSideSnapshotRecord::Create(doc, "G", "Background", "Background", counter);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->UpdateKind(), 3);
    // All five sides exist now (the missing ones were created).
    for (const char* key : {"G", "a", "x", "y", "z"})
        EXPECT_NE(p.FindSidePtr(key), nullptr) << key;
    store.Push(std::move(record));
    p.FindSidePtr("G")->Reset(1, 5, 5, RGB(200, 0, 0));
    p.FindSidePtr("x")->SetPicture(nullptr);
    EXPECT_EQ(store.Undo(ctx).updateKind, 3);
    EXPECT_EQ(p.FindSidePtr("G")->GetSettings().GetInt(SideKey(kSideColor1)), static_cast<std::int32_t>(RGB(9, 9, 9)));
    // The working picture comes back at its size (its pixels are not kept).
    ASSERT_TRUE(p.FindSidePtr("x")->GetPicture());
    EXPECT_EQ(p.FindSidePtr("x")->GetPicture()->GetHeight(), 7);
}

TEST_F(SideSnapshot, UnwritableFolderGivesTheDiskMessageAndNoRecord)
{
    CUndoFileCounter unwritable("/nonexistent/vantorel/internal/");
    EXPECT_EQ(CSideSnapshotRecord::Create(doc, "F", "Front", "Front", unwritable), nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Can't save Front information to drive /nonexistent/vantorel/internal.\n\n"
                           "Check free disk space on drive /nonexistent/vantorel/internal.\n\n"
                           "This step cannot be undone.");
    // The name it took is free again.
    EXPECT_EQ(unwritable.GetNextNumber(), 1);

    // Without a product there is nothing to capture, and no message.
    CVtwinDoc empty(nullptr, &store);
    EXPECT_EQ(CSideSnapshotRecord::Create(empty, "F", "Front", "Front", unwritable), nullptr);
}

TEST(UndoFileCounter, ExitDeletesTheNamesUsed)
{
    CTempFolder folder;
    CUndoFileCounter counter(folder.Path());
    for (int n = 0; n < 25; ++n)
        WriteText(counter.FileName(n), "");
    counter.DeleteAllFiles();
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{});
    for (int n = 0; n < 3; ++n)
        WriteText(counter.Acquire(), "");
    WriteText(counter.FileName(5), ""); // beyond the counter: not ours
    counter.DeleteUsedFiles();
    EXPECT_TRUE(!std::filesystem::exists(counter.FileName(0)) && !std::filesystem::exists(counter.FileName(2)) && std::filesystem::exists(counter.FileName(5)));
}

TEST_F(SideSnapshot, AnUnreadableRecordChangesNothingAndLeavesNoRedoStep)
{
    // The second snapshot's file is cut short behind the program's back.
    const std::string damaged = TwoEdits();
    ASSERT_NE(damaged, "");
    WriteText(damaged, "cut");

    const CUndoStore::Result r = store.Undo(ctx);
    EXPECT_EQ(messages, std::vector<std::string>{"Can't read Front information back from " + damaged + "."});
    EXPECT_EQ(std::pair(r.faceKey, r.updateKind), std::pair(std::string(), 1));
    // Nothing changed, so there is nothing to redo; the step is gone.
    EXPECT_EQ(std::tuple(FrontRed(), store.CanRedo(), store.GetUndoCount(), store.TopUndoDescription()),
              std::tuple(3, false, std::size_t{1}, std::string("One")));

    // The earlier step still undoes, and redoes back to the state it left.
    EXPECT_EQ(store.Undo(ctx).faceKey, "F");
    EXPECT_EQ(FrontRed(), 1);
    ASSERT_TRUE(store.CanRedo());
    store.Redo(ctx);
    EXPECT_EQ(std::pair(FrontRed(), messages.size()), std::pair(3, std::size_t{1}));
}

// Layout editing on the current face: objects, undo, clipboard, the edit
// commands and the dialogs that make or change draw objects.
#include "ui/shell/VtwinView.h"

#include "ground/AppFolders.h"
#include "app/undo/BackFaceRecord.h"
#include "app/undo/SideSnapshotRecord.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/Raster.h"
#include "catalogue/product/FaceKeys.h"
#include "catalogue/product/Product.h"
#include "layout/barcode/BarcodePlacement.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/text/DrawText.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/objects/RecordStream.h"
#include "render/RenderPipeline.h"
#include "ui/canvas/FaceCanvas.h"
#include "ui/canvas/GeometryBar.h"
#include "layout/edit/LayoutSnapshotRecord.h"
#include "ui/dialogs/ColorsDialog.h"
#include "ui/dialogs/DrawBarcodeDialog.h"
#include "ui/dialogs/DrawTextDialog.h"
#include "ui/dialogs/ObjectPropertiesDialog.h"
#include "ui/render/FlarePositionRecord.h"
#include "ui/shell/CommandIds.h"
#include "ui/shell/MainFrame.h"
#include "ui/widgets/ArtworkPage.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/RasterImage.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>

std::string CVtwinView::FaceKeyOfTab(const QString& name)
{
    const std::string text = name.toStdString();
    const std::string_view key = FaceKeyOfName(text);
    return key.empty() ? text : std::string(key);
}

std::string CVtwinView::CurrentFaceKey() const
{
    return IsFaceTabShown() ? FaceKeyOfTab(CurrentTabName()) : std::string();
}

int CVtwinView::FaceWidth() const { return m_canvas ? m_canvas->FaceWidth() : 0; }

int CVtwinView::FaceHeight() const { return m_canvas ? m_canvas->FaceHeight() : 0; }

CDrawObjectList* CVtwinView::CurrentObjects()
{
    if (!IsFaceTabShown() || !m_doc)
        return nullptr;
    return CLayoutSnapshotRecord::FaceList(*m_doc, CurrentFaceKey());
}

CUndoStore& CVtwinView::Undo() const
{
    return m_doc ? m_doc->GetUndoStore() : CUndoStore::Instance();
}

int CVtwinView::IndexOf(const CDrawObject* object)
{
    CDrawObjectList* objects = CurrentObjects();
    return objects ? objects->IndexOf(object) : -1;
}

void CVtwinView::AfterEdit(bool toSelect)
{
    emit renderDataStale();
    MarkModified();
    if (toSelect)
        m_canvas->SetTool(kModeSelect, 0);
    m_canvas->update();
    emit commandStateChanged();
}

void CVtwinView::SelectionChanged()
{
    m_canvas->update();
    emit commandStateChanged();
}

void CVtwinView::FaceChanged()
{
    emit renderDataStale();
    MarkModified();
    SelectTab(CurrentTab());  // shows the face again with its new picture
    emit commandStateChanged();
}

const CAppFolders* CVtwinView::Folders() const { return m_frame ? m_frame->Folders() : nullptr; }

void CVtwinView::ShowStatus(const QString& text)
{
    if (m_frame)
        m_frame->ShowStatus(text);
}

void CVtwinView::MarkModified()
{
    if (!m_doc)
        return;
    // A change that pushed no undo record (the colours for new objects)
    // leaves the undo store at the saved state: undo and redo can then no
    // longer lead back to it.
    if (m_doc->IsAtSavedState())
        Undo().ForgetStates();
    const bool was = m_doc->IsModified();
    m_doc->SetModifiedFlag(true);
    if (!was)
        emit modifiedChanged(true);
}

COLORREF CVtwinView::LineColour() const
{
    return m_doc ? m_doc->GetDrawingDefaults().lineColour : 0xFF0000;
}

COLORREF CVtwinView::FillColour() const
{
    return m_doc ? m_doc->GetDrawingDefaults().fillColour : 0x0000FF;
}

void CVtwinView::SetLineColour(COLORREF c)
{
    if (!m_doc)
        return;
    m_doc->GetDrawingDefaults().lineColour = c & 0xFFFFFF;
    MarkModified();
}

void CVtwinView::SetFillColour(COLORREF c)
{
    if (!m_doc)
        return;
    m_doc->GetDrawingDefaults().fillColour = c & 0xFFFFFF;
    MarkModified();
}

void CVtwinView::CreateObject(const std::vector<CFacePoint>& points, int subTool)
{
    CDrawObjectList* objects = CurrentObjects();
    if (!objects)
        return;
    std::string description;
    std::unique_ptr<CDrawObject> object;
    if (subTool >= 13 && subTool <= 15) {
        description = LayoutEdit::DrawDescription(subTool);
        object = CreateContentObject(points, subTool);
    } else {
        object = LayoutEdit::CreateFromPoints(points, subTool, LineColour(), FillColour(), description);
    }
    if (!object || !(objects = CurrentObjects()))
        return;  // cancelled or unreadable: nothing recorded, nothing made
    RunFaceCommand(LayoutEdit::DescribeUndo(*objects, description), false, [&object](CDrawObjectList& list) {
        ObjectCommands::Add(list, std::move(object), true);
        return std::string();
    });
}

QMenu* CVtwinView::BuildContextMenu()
{
    CDrawObjectList* objects = CurrentObjects();
    const int selected = objects ? LayoutEdit::CountSelected(*objects) : 0;
    if (selected == 0)
        return nullptr;
    auto* menu = new QMenu(this);
    auto add = [&](QMenu* m, int id) {
        if (QAction* a = m_frame->Action(id))
            m->addAction(a);
    };
    add(menu, ID_EDIT_CUT);
    add(menu, ID_EDIT_COPY);
    add(menu, ID_EDIT_DELETE);
    add(menu, ID_EDIT_DUPLICATE);
    menu->addSeparator();
    QMenu* center = menu->addMenu(QStringLiteral("Center in Ima&ge"));
    add(center, ID_CENTER_HORIZONTAL);
    add(center, ID_CENTER_VERTICAL);
    QMenu* nudge = menu->addMenu(QStringLiteral("&Nudge"));
    for (int id : {ID_NUDGE_UP, ID_NUDGE_DOWN, ID_NUDGE_LEFT, ID_NUDGE_RIGHT})
        add(nudge, id);
    QMenu* order = menu->addMenu(QStringLiteral("&Ordering"));
    for (int id : {ID_ORDER_BRING_TO_FRONT, ID_ORDER_SEND_TO_BACK, ID_ORDER_BRING_FORWARD, ID_ORDER_SEND_BACKWARD})
        add(order, id);
    if (selected >= 2) {
        QMenu* align = menu->addMenu(QStringLiteral("&Align"));
        for (int id : {ID_ALIGN_LEFT, ID_ALIGN_HCENTER, ID_ALIGN_RIGHT, ID_ALIGN_TOP, ID_ALIGN_VCENTER,
                       ID_ALIGN_BOTTOM, ID_ALIGN_TO_LEFT_OF, ID_ALIGN_TO_RIGHT_OF, ID_ALIGN_ABOVE, ID_ALIGN_BELOW})
            add(align, id);
        QMenu* same = menu->addMenu(QStringLiteral("&Make Same Size"));
        for (int id : {ID_SAME_WIDTH, ID_SAME_HEIGHT, ID_SAME_SIZE})
            add(same, id);
    }
    // The short edit menu's order: ..., Ordering, Properties, Rotate.
    menu->addSeparator();
    add(menu, ID_OBJECT_PROPERTIES);
    QMenu* rotate = menu->addMenu(QStringLiteral("Rotat&e"));
    add(rotate, ID_ROTATE_LEFT);
    add(rotate, ID_ROTATE_RIGHT);
    return menu;
}

void CVtwinView::ShowContextMenu(QPoint globalPos)
{
    m_frame->UpdateCommandUI();
    QMenu* menu = BuildContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void CVtwinView::DoUndo(bool redo)
{
    if (!m_doc)
        return;
    // Restoring objects destroys the ones a drag in progress may point at.
    m_canvas->CancelTool();
    UndoContext context{*m_doc, nullptr};
    const CUndoStore::Result result = redo ? Undo().Redo(context) : Undo().Undo(context);
    const std::string& face = result.faceKey;
    if (face.empty())
        return;
    if (result.updateKind == CBackFaceRecord::kUpdateKind)
        RebuildTabs(CurrentTabName());
    if (result.updateKind == CFlarePositionRecord::kUpdateFinish)
        m_pipeline->GetCache().MarkStale("z");
    const QString before = CurrentTabName();
    bool switched = false;
    if (FaceKeyOfTab(before) != face) {
        for (int i = 0; i < m_tabs->count(); ++i)
            if (FaceKeyOfTab(m_tabs->tabText(i)) == face) {
                SelectTab(i);
                switched = true;
                break;
            }
    }
    // Side snapshots (and the empty undo) change what the tab shows: show it again.
    if (!switched && result.updateKind >= 1 && result.updateKind <= 3)
        RefreshCurrentTab();
    if (CDrawObjectList* list = CurrentObjects())
        LayoutEdit::FixDominant(*list);
    // Back at the state last saved, the title loses its "*" again.
    const bool was = m_doc->IsModified();
    m_doc->SetModifiedFlag(!m_doc->IsAtSavedState());
    if (was != m_doc->IsModified())
        emit modifiedChanged(m_doc->IsModified());
    // Layout edits and restored face pictures both change what the faces show.
    if (result.updateKind == 0 || result.updateKind == CSideSnapshotRecord::kUpdateKind ||
        result.updateKind == CMultiSideSnapshotRecord::kUpdateKind || result.updateKind == CBackFaceRecord::kUpdateKind)
        emit renderDataStale();
    RefreshPicture();
    m_canvas->update();
    emit commandStateChanged();
}

void CVtwinView::EditSelection(const std::string& templ, const std::function<void(CDrawObjectList&)>& change)
{
    const CDrawObjectList* objects = CurrentObjects();
    if (!objects)
        return;
    RunFaceCommand(LayoutEdit::DescribeUndo(*objects, templ), true, [&change](CDrawObjectList& list) {
        change(list);
        return std::string();
    });
}

std::string CVtwinView::RunFaceCommand(const std::string& description, bool toSelect,
                                       const std::function<std::string(CDrawObjectList&)>& command)
{
    if (!CurrentObjects())
        return "No face is shown.";
    std::string refusal = RunLayoutCommand(*m_doc, Undo(), CurrentFaceKey(), description, command);
    if (!refusal.empty()) {
        ShowStatus(QString::fromStdString(refusal));
        return refusal;
    }
    AfterEdit(toSelect);
    return refusal;
}

void CVtwinView::Duplicate()
{
    EditSelection("Duplicate %s", [this](CDrawObjectList& o) {
        CObjectVector clones;
        for (std::size_t i = 0; i < o.GetObjectCount(); ++i)
            if (o.GetObject(i)->IsSelected())
                if (auto c = o.GetObject(i)->Clone(true, true))
                    clones.push_back(std::move(c));
        LayoutEdit::ClearSelection(o);
        LayoutEdit::PlacePasted(o, std::move(clones), m_canvas->Mapping(), true);
    });
}

void CVtwinView::MakeSameSize(bool width, bool height, const std::string& description)
{
    CDrawObjectList* objects = CurrentObjects();
    if (!objects)
        return;
    const std::string refusal = LayoutEdit::SameSizeRefusal(*objects, width, height);
    if (!refusal.empty()) {
        m_canvas->update();
        ShowMessage(this, QString::fromStdString(refusal), EMessageIcon::Warning);
        return;
    }
    EditSelection(description, [width, height](CDrawObjectList& o) { LayoutEdit::SameSize(o, width, height); });
}

void CVtwinView::Nudge(int dx, int dy, const std::string& templ)
{
    CDrawObjectList* objects = CurrentObjects();
    if (!objects)
        return;
    std::vector<const CDrawObject*> selected;
    for (std::size_t i = 0; i < objects->GetObjectCount(); ++i)
        if (objects->GetObject(i)->IsSelected())
            selected.push_back(objects->GetObject(i));
    const std::string face = CurrentFaceKey();
    // The run goes on only while its record is still the top one (the undo
    // store has not changed since its last nudge) and the same objects move.
    const bool continues = m_nudgeRun && m_nudgeRun->undoChange == Undo().GetChangeCount() &&
                           m_nudgeRun->face == face && m_nudgeRun->objects == selected;
    const auto move = [dx, dy](CDrawObjectList& list) {
        LayoutEdit::Nudge(list, dx, dy);
        return std::string();
    };
    if (continues) {
        // The undo step of the run's first nudge restores the objects from before the run.
        move(*objects);
        AfterEdit(true);
    } else {
        RunFaceCommand(LayoutEdit::DescribeUndo(*objects, templ), true, move);
    }
    m_nudgeRun = SNudgeRun{Undo().GetChangeCount(), face, std::move(selected)};
}

namespace {
// A text tool drag at least this wide (face pixels) draws a box the lines
// wrap in; anything less is a click that places a point text.
constexpr int kMinTextBoxDrag = 10;
CVtwinView::InputPrompt g_inputPrompt;
CVtwinView::ObjectDialogRunner g_objectDialogRunner;
}

void CVtwinView::SetInputPrompt(InputPrompt prompt) { g_inputPrompt = std::move(prompt); }
void CVtwinView::SetObjectDialogRunner(ObjectDialogRunner runner) { g_objectDialogRunner = std::move(runner); }

namespace {
bool RunObjectDialog(QDialog& dialog)
{
    return g_objectDialogRunner ? g_objectDialogRunner(dialog) : dialog.exec() == QDialog::Accepted;
}
} // namespace

std::unique_ptr<CDrawObject> CVtwinView::CreateContentObject(const std::vector<CFacePoint>& points, int subTool)
{
    if (points.empty() || !m_doc)
        return nullptr;
    const CFacePoint a = points.front(), b = points.back();
    switch (subTool) {
    case 13: return CreateText(a, b);
    case 14: return CreatePicture(subTool, b);
    case 15:
        return CreateBarcode(std::min(a.x, b.x), std::max(a.y, b.y), std::max(a.x, b.x), std::min(a.y, b.y));
    default: return nullptr;
    }
}

// A text from press `a` to release `b` (face pixels, y up).
std::unique_ptr<CDrawObject> CVtwinView::CreateText(const CFacePoint& a, const CFacePoint& b)
{
    // The dialog starts from the document's last-used text settings and
    // leaves its choices there for the next text.
    CTextDefaults& defaults = m_doc->GetDrawingDefaults().text;
    CDrawTextDialog dialog(CTextValues::FromDefaults(defaults), this);
    if (!RunObjectDialog(dialog))
        return nullptr;
    const CTextValues values = dialog.Values();
    values.ToDefaults(defaults);
    auto text = std::make_unique<CDrawText>();
    values.ApplyTo(*text);
    const int left = std::min(a.x, b.x), right = std::max(a.x, b.x), top = std::max(a.y, b.y);
    if (right - left >= kMinTextBoxDrag) {
        // A dragged box: the lines wrap at its width, from its top-left corner.
        text->SetCoords(left, top, left, top);
        text->WrapAt(right - left);
    } else {
        // A click: the box starts as the release point; fitting grows it
        // from there (its top-left corner for unturned text).
        text->SetCoords(b.x, b.y, b.x, b.y);
        text->FitToText();
    }
    ObjectCommands::KeepOnFace(*text, m_canvas->FaceWidth(), m_canvas->FaceHeight());
    return text;
}

std::unique_ptr<CDrawObject> CVtwinView::CreateBarcode(int left, int top, int right, int bottom)
{
    // The dialog offers the kind chosen last, as shops print one kind.
    static EBarcodeKind lastKind = EBarcodeKind::Code39;
    CDrawBarcodeDialog dialog(std::string(), this, lastKind);
    if (!RunObjectDialog(dialog))
        return nullptr;
    lastKind = dialog.Kind();
    auto code = std::make_unique<CDrawBarcode>();
    code->SetCoords(left, top, right, bottom);
    if (!dialog.Page()->ApplyTo(*code))
        return nullptr;  // the dialog's check refuses such data before OK
    // Never smaller than what scans in the project's rendering.
    if (const CProduct* product = m_doc->GetProduct())
        GrowBarcodeToScan(*product, CurrentFaceKey(), *code);
    return code;
}

// A picture from a file the user picks, its top-left corner at `at`.
std::unique_ptr<CDrawObject> CVtwinView::CreatePicture(int subTool, const CFacePoint& at)
{
    QString value;
    if (g_inputPrompt) {
        if (!g_inputPrompt(subTool, value))
            return nullptr;
    } else {
        const CAppFolders* folders = Folders();
        QString start;
        if (folders)
            start = QString::fromStdString(folders->GetUserString("Dir", "Open1", folders->GetImagesFolder()));
        value = QFileDialog::getOpenFileName(this, QStringLiteral("Open Picture"), start, PictureFileFilter());
        if (value.isEmpty())
            return nullptr;
        if (folders)
            folders->PutUserString("Dir", "Open1", QFileInfo(value).absolutePath().toStdString() + "/");
    }
    // The picture comes at its own size with its top-left corner at the
    // release point, scaled down and moved to lie inside the face; the
    // user stretches it by its handles afterwards.
    const std::optional<int> page = AskArtworkPage(this, value);
    if (!page)
        return nullptr;
    std::string message;
    std::unique_ptr<CDrawPicture> picture = CDrawPicture::CreateFromFile(value.toStdString(), at.x, at.y, message, *page);
    if (!picture)
        ShowMessage(this, QString::fromStdString(message), EMessageIcon::Warning);
    else
        ObjectCommands::KeepOnFace(*picture, m_canvas->FaceWidth(), m_canvas->FaceHeight());
    return picture;
}

void CVtwinView::RunAddBackFace()
{
    if (!m_doc)
        return;
    std::string error;
    if (!AddBackFaceStep(*m_doc, Undo(), error)) {
        ShowMessage(this, QString::fromStdString(error), EMessageIcon::Warning);
        return;
    }
    MarkModified();
    RebuildTabs(QStringLiteral("Back"));
    emit renderDataStale();
    emit commandStateChanged();
}

void CVtwinView::RunColorsDialog()
{
    if (!m_doc)
        return;
    CColorsDialog dialog(LineColour(), FillColour(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SetLineColour(dialog.LineColour());
    SetFillColour(dialog.FillColour());
    emit commandStateChanged();
}

namespace {
CVtwinView::PropertiesRunner g_propertiesRunner;
}

void CVtwinView::SetPropertiesRunner(PropertiesRunner runner) { g_propertiesRunner = std::move(runner); }

void CVtwinView::RunProperties()
{
    CDrawObjectList* objects = CurrentObjects();
    if (!objects)
        return;
    // The dialog edits copies; the originals change only on OK.
    std::vector<std::pair<std::size_t, std::unique_ptr<CDrawObject>>> clones;
    std::vector<CDrawObject*> pages;
    for (std::size_t i = 0; i < objects->GetObjectCount(); ++i)
        if (objects->GetObject(i)->IsSelected())
            if (auto c = objects->GetObject(i)->Clone(true, true)) {
                pages.push_back(c.get());
                clones.emplace_back(i, std::move(c));
            }
    if (clones.empty())
        return;
    CObjectPropertiesDialog dialog(pages, this,
                                   m_frame && m_frame->GeometryBar() ? m_frame->GeometryBar()->PixelsPerMm() : 0.0);
    const bool ok = g_propertiesRunner ? g_propertiesRunner(dialog) : dialog.exec() == QDialog::Accepted;
    if (!ok || !(objects = CurrentObjects()))
        return;
    RunFaceCommand(LayoutEdit::DescribeUndo(*objects, "Properties %s"), true, [&clones](CDrawObjectList& list) {
        for (auto& [index, clone] : clones)
            list.Replace(index, std::move(clone));
        list.UpdateOrderKeys();
        list.MarkSelectionStale();
        return std::string();
    });
}

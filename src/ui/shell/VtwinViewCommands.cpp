// The view's menu commands: tabs, zoom, drawing tools and the edits of the
// current face's objects, each with the state its menu entry shows.
#include "ui/shell/VtwinView.h"

#include "app/VtwinDoc.h"
#include "app/undo/UndoStore.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/product/Product.h"
#include "layout/edit/LayoutEdit.h"
#include "layout/objects/ObjectCommands.h"
#include "ui/canvas/FaceCanvas.h"
#include "ui/dialogs/FaceAppearanceDialog.h"
#include "ui/shell/CommandIds.h"
#include "ui/shell/CommandTable.h"
#include "ui/wizard/MarginWizard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTabBar>

namespace {

struct STabCommand {
    int id;
    const char* name;
};

// In the order of the View menu.
const STabCommand kTabCommands[] = {
    {ID_TAB_FRONT, "Front"},
    {ID_TAB_SPINE, "Spine"},
    {ID_TAB_LEFT, "Left"},
    {ID_TAB_RIGHT, "Right"},
    {ID_TAB_TOP, "Top"},
    {ID_TAB_BOTTOM, "Bottom"},
    {ID_TAB_BACK, "Back"},
    {ID_TAB_PAGES_LEFT, "Pages (Left)"},
    {ID_TAB_PAGES_RIGHT, "Pages (Right)"},
    {ID_TAB_PAGES_TOP, "Pages (Top)"},
    {ID_TAB_PAGES_BOTTOM, "Pages (Bottom)"},
    {ID_TAB_CDROM, "CD-ROM"},
    {ID_TAB_BACKGROUND, "Background"},
    {ID_TAB_LAYOUT, "Layout"},
    {ID_TAB_RENDER, "Render"},
};

const struct {
    int id;
    int percent;
} kZoomCommands[] = {
    {ID_ZOOM_25, 25},   {ID_ZOOM_50, 50},   {ID_ZOOM_100, 100},   {ID_ZOOM_200, 200},
    {ID_ZOOM_400, 400}, {ID_ZOOM_800, 800}, {ID_ZOOM_1600, 1600},
};

// The drawing tools: the canvas mode and sub-tool (what a drag of that mode makes).
const struct {
    int id;
    int mode;
    int sub;
} kToolCommands[] = {
    {ID_TOOL_SELECT, kModeSelect, 0},          {ID_TOOL_LINE, kModeSegment, 2},
    {ID_TOOL_ELLIPSE, kModeEllipse, 3},        {ID_TOOL_ELLIPSE_FILLED, kModeEllipse, 4},
    {ID_TOOL_ELLIPSE_BOTH, kModeEllipse, 5},   {ID_TOOL_RECT, kModeBox, 6},
    {ID_TOOL_RECT_FILLED, kModeBox, 7},        {ID_TOOL_RECT_BOTH, kModeBox, 8},
    {ID_TOOL_POLYGON, kModePoints, 9},         {ID_TOOL_POLYGON_FILLED, kModePoints, 10},
    {ID_TOOL_POLYGON_BOTH, kModePoints, 11},   {ID_TOOL_POLYLINE, kModePoints, 12},
    {ID_TOOL_TEXT, kModeBox, 13},              {ID_TOOL_PICTURE, kModeBox, 14},
    {ID_TOOL_BARCODE, kModeBox, 15},
};

// Order and align commands: the undo text and the change.
const struct {
    int id;
    const char* templ;
    int delta;
} kOrders[] = {
    {ID_ORDER_BRING_FORWARD, "Bring Forward", 11},
    {ID_ORDER_SEND_BACKWARD, "Send Backward", -11},
    {ID_ORDER_BRING_TO_FRONT, "Bring To Front", 9999999},
    {ID_ORDER_SEND_TO_BACK, "Send To Back", -9999999},
};

const struct {
    int id;
    const char* templ;
    LayoutEdit::EAlign align;
} kAligns[] = {
    {ID_ALIGN_LEFT, "Align Left %s", LayoutEdit::EAlign::Left},
    {ID_ALIGN_HCENTER, "Align Horizontal Center %s", LayoutEdit::EAlign::HCenter},
    {ID_ALIGN_RIGHT, "Align Right %s", LayoutEdit::EAlign::Right},
    {ID_ALIGN_TOP, "Align Top %s", LayoutEdit::EAlign::Top},
    {ID_ALIGN_VCENTER, "Align Vertical Center %s", LayoutEdit::EAlign::VCenter},
    {ID_ALIGN_BOTTOM, "Align Bottom %s", LayoutEdit::EAlign::Bottom},
    {ID_ALIGN_TO_LEFT_OF, "Align To Left Of %m", LayoutEdit::EAlign::ToLeftOf},
    {ID_ALIGN_TO_RIGHT_OF, "Align To Right Of %m", LayoutEdit::EAlign::ToRightOf},
    {ID_ALIGN_ABOVE, "Align Above %m", LayoutEdit::EAlign::Above},
    {ID_ALIGN_BELOW, "Align Below %m", LayoutEdit::EAlign::Below},
};

const struct {
    int id;
    int dx, dy;
    const char* templ;
} kNudges[] = {
    {ID_NUDGE_UP, 0, 1, "Nudge Up %s"},
    {ID_NUDGE_DOWN, 0, -1, "Nudge Down %s"},
    {ID_NUDGE_LEFT, -1, 0, "Nudge Left %s"},
    {ID_NUDGE_RIGHT, 1, 0, "Nudge Right %s"},
};

const struct {
    int id;
    bool width, height;
    const char* description;
} kSameSizes[] = {
    {ID_SAME_WIDTH, true, false, "Make Same Size Width"},
    {ID_SAME_HEIGHT, false, true, "Make Same Size Height"},
    {ID_SAME_SIZE, true, true, "Make Same Size Both"},
};

} // namespace

QString CVtwinView::TabNameOfCommand(int id)
{
    for (const auto& t : kTabCommands)
        if (t.id == id)
            return QString::fromLatin1(t.name);
    return {};
}

QList<int> CVtwinView::TabCommands()
{
    QList<int> ids;
    for (const auto& t : kTabCommands)
        ids << t.id;
    return ids;
}

void CVtwinView::AddCommands(CCommandTable& table)
{
    m_commands = &table;
    AddTabCommands(table);
    AddZoomCommands(table);
    AddToolCommands(table);
    AddEditCommands(table);
    AddSelectionCommands(table);
}

bool CVtwinView::OnCommand(int id)
{
    return m_commands && m_commands->Run(id);
}

int CVtwinView::SelectedCount()
{
    const CDrawObjectList* objects = IsFaceTabShown() ? CurrentObjects() : nullptr;
    return objects ? LayoutEdit::CountSelected(*objects) : 0;
}

CCommandTable::StateFn CVtwinView::OnFace()
{
    return [this](CCmdUI& ui) { ui.enabled = IsFaceTabShown(); };
}

CCommandTable::StateFn CVtwinView::Selecting(int atLeast)
{
    return [this, atLeast](CCmdUI& ui) { ui.enabled = SelectedCount() >= atLeast; };
}

void CVtwinView::AddTabCommands(CCommandTable& table)
{
    for (const auto& t : kTabCommands) {
        const QString name = QString::fromLatin1(t.name);
        table.Add(
            t.id,
            [this, name](CCmdUI& ui) {
                ui.enabled = m_tabs->count() > 0;
                ui.checkable = true;
                ui.checked = ui.enabled && CurrentTabName() == name;
            },
            [this, name] { SelectTab(name); });
    }
    // SelectTab refuses an index past either end.
    table.Add(
        ID_TAB_NEXT, [this](CCmdUI& ui) { ui.enabled = CurrentTab() + 1 < m_tabs->count(); },
        [this] { SelectTab(CurrentTab() + 1); });
    table.Add(
        ID_TAB_PREVIOUS, [this](CCmdUI& ui) { ui.enabled = m_tabs->count() > 0 && CurrentTab() > 0; },
        [this] { SelectTab(CurrentTab() - 1); });
}

void CVtwinView::AddZoomCommands(CCommandTable& table)
{
    const auto shown = [this]() -> const CZoomEntry* {
        return IsFaceTabShown() ? m_zoom.Find(CurrentTabName().toStdString()) : nullptr;
    };
    for (const auto& z : kZoomCommands) {
        const int percent = z.percent;
        table.Add(
            z.id,
            [this, shown, percent](CCmdUI& ui) {
                const CZoomEntry* entry = shown();
                ui.enabled = IsFaceTabShown();
                ui.checkable = true;
                ui.checked = entry && entry->fit == 0 && entry->Percent() == percent;
            },
            [this, percent] { SetZoomLevel(percent); });
    }
    table.Add(
        ID_ZOOM_FIT,
        [this, shown](CCmdUI& ui) {
            const CZoomEntry* entry = shown();
            ui.enabled = IsFaceTabShown();
            ui.checkable = true;
            ui.checked = entry && entry->fit == 1;
        },
        [this] { SetFit(); });
    table.Add(
        ID_ZOOM_CUSTOM,
        [this](CCmdUI& ui) {
            ui.enabled = IsFaceTabShown();
            ui.text = CustomZoomText();
        },
        [this] { RunCustomZoom(); });
    table.Add(ID_ZOOM_IN, OnFace(), [this] { StepZoom(true); });
    table.Add(ID_ZOOM_OUT, OnFace(), [this] { StepZoom(false); });
}

void CVtwinView::AddToolCommands(CCommandTable& table)
{
    for (const auto& t : kToolCommands) {
        const int mode = t.mode, sub = t.sub;
        table.Add(
            t.id,
            [this, mode, sub](CCmdUI& ui) {
                ui.enabled = IsFaceTabShown();
                ui.checkable = true;
                ui.checked = ui.enabled && m_canvas->ToolMode() == mode &&
                             (mode == kModeSelect || m_canvas->SubTool() == sub);
            },
            [this, mode, sub] {
                m_canvas->SetTool(mode, sub);
                emit commandStateChanged();
            });
    }
    table.Add(ID_MARGIN, OnFace(), [this] {
        if (RunMarginCommand(this, *this, m_canvas->Picture())) {
            m_canvas->SetTool(kModeSelect, 0);
            emit commandStateChanged();
        }
    });
    table.Add(ID_COLORS, OnFace(), [this] { RunColorsDialog(); });
}

void CVtwinView::AddEditCommands(CCommandTable& table)
{
    const auto hasTabs = [this] { return m_tabs->count() > 0; };
    table.Add(
        ID_EDIT_UNDO,
        [this, hasTabs](CCmdUI& ui) {
            ui.enabled = hasTabs() && Undo().CanUndo();
            ui.text = QString::fromStdString(Undo().GetUndoMenuText());
        },
        [this] { DoUndo(false); });
    table.Add(
        ID_EDIT_REDO,
        [this, hasTabs](CCmdUI& ui) {
            ui.enabled = hasTabs() && Undo().CanRedo();
            ui.text = QString::fromStdString(Undo().GetRedoMenuText());
        },
        [this] { DoUndo(true); });
    table.Add(
        ID_EDIT_PASTE, [this](CCmdUI& ui) { ui.enabled = IsFaceTabShown() && ClipboardHasContent(); },
        [this] { DoPaste(false); });
    table.Add(
        ID_EDIT_PASTE_IN_PLACE,
        [this](CCmdUI& ui) {
            const QMimeData* data = QApplication::clipboard()->mimeData();
            ui.enabled = IsFaceTabShown() && data && data->hasFormat(ClipboardMimeType());
        },
        [this] { DoPaste(true); });
    table.Add(
        ID_FACE_APPEARANCE,
        [this](CCmdUI& ui) {
            // The CD-ROM's surface is its CD image, chosen in the grid.
            const CProduct* product = m_doc ? m_doc->GetProduct() : nullptr;
            ui.enabled = IsFaceTabShown() && CurrentFaceKey() != "C" && product &&
                         product->FindSidePtr(CurrentFaceKey());
        },
        [this] { EditFaceAppearance(this, *this); });
    table.Add(
        ID_FACE_ADD_BACK,
        [this](CCmdUI& ui) {
            const CProduct* product = m_doc ? m_doc->GetProduct() : nullptr;
            ui.enabled = product && CanHaveBackFace(*product) && !HasBackFace(*product);
        },
        [this] { RunAddBackFace(); });
}

void CVtwinView::AddSelectionCommands(CCommandTable& table)
{
    table.Add(ID_EDIT_COPY, Selecting(1), [this] { DoCopy(); });
    table.Add(ID_EDIT_CUT, Selecting(1), [this] {
        DoCopy();
        EditSelection("Cut %s", [](CDrawObjectList& o) { ObjectCommands::RemoveSelected(o); });
    });
    table.Add(ID_EDIT_DUPLICATE, Selecting(1), [this] { Duplicate(); });
    table.Add(ID_OBJECT_PROPERTIES, Selecting(1), [this] { RunProperties(); });
    table.Add(ID_EDIT_DELETE, Selecting(1), [this] {
        EditSelection("Delete %s", [](CDrawObjectList& o) { ObjectCommands::RemoveSelected(o); });
    });
    for (const auto& r : kOrders) {
        const int delta = r.delta;
        const std::string templ = r.templ;
        table.Add(r.id, Selecting(1), [this, delta, templ] {
            EditSelection(templ, [delta](CDrawObjectList& o) { LayoutEdit::Reorder(o, delta); });
        });
    }
    for (const auto& a : kAligns) {
        const LayoutEdit::EAlign align = a.align;
        const std::string templ = a.templ;
        table.Add(a.id, Selecting(2), [this, align, templ] {
            EditSelection(templ, [align](CDrawObjectList& o) { LayoutEdit::Align(o, align); });
        });
    }
    for (const auto& n : kNudges) {
        const int dx = n.dx, dy = n.dy;
        const std::string templ = n.templ;
        table.Add(n.id, Selecting(1), [this, dx, dy, templ] { Nudge(dx, dy, templ); });
    }
    for (const bool horizontal : {true, false}) {
        table.Add(horizontal ? ID_CENTER_HORIZONTAL : ID_CENTER_VERTICAL, Selecting(1), [this, horizontal] {
            const int w = m_canvas->FaceWidth(), h = m_canvas->FaceHeight();
            EditSelection(horizontal ? "Center %s Horizontally" : "Center %s Vertically",
                          [&](CDrawObjectList& o) { LayoutEdit::CenterInImage(o, horizontal, w, h); });
        });
        table.Add(horizontal ? ID_DISTRIBUTE_HORIZONTAL : ID_DISTRIBUTE_VERTICAL, Selecting(3), [this, horizontal] {
            RunObjectCommand(horizontal ? "Distribute Horizontally" : "Distribute Vertically",
                             [horizontal](CDrawObjectList& o) { return ObjectCommands::Distribute(o, horizontal); });
        });
    }
    for (const bool left : {true, false})
        table.Add(left ? ID_ROTATE_LEFT : ID_ROTATE_RIGHT, Selecting(1), [this, left] {
            const int w = m_canvas->FaceWidth(), h = m_canvas->FaceHeight();
            EditSelection(left ? "Rotate Left %s" : "Rotate Right %s",
                          [&](CDrawObjectList& o) { LayoutEdit::Rotate(o, left, w, h); });
        });
    for (const auto& s : kSameSizes) {
        const bool w = s.width, h = s.height;
        const std::string description = s.description;
        table.Add(s.id, Selecting(2), [this, w, h, description] { MakeSameSize(w, h, description); });
    }
}

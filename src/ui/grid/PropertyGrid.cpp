#include "ui/grid/PropertyGrid.h"

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/WizardLists.h"
#include "properties/settings/SettingChecks.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"
#include "render/RenderPipeline.h"
#include "ui/grid/FacePictureEditor.h"
#include "ui/grid/GridEditors.h"
#include "ui/grid/GridRowDelegate.h"
#include "render/UpdateMask.h"
#include "app/undo/SettingEditRecord.h"
#include "ui/render/RenderService.h"
#include "ui/shell/EditService.h"
#include "ui/widgets/MessageBox.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

namespace {

CPropertyGrid::EditorRunner& Runner()
{
    static CPropertyGrid::EditorRunner runner;
    return runner;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::uint32_t ParseNumber(const std::string& text)
{
    try {
        return static_cast<std::uint32_t>(std::stoul(text));
    } catch (...) {
        return 0;
    }
}

} // namespace

// ---- the grid --------------------------------------------------------------------------

CPropertyGrid::CPropertyGrid(CEditService& edits, CRenderService& renders, QWidget* parent)
    : QListWidget(parent), m_edits(edits), m_renders(renders)
{
    setObjectName(QStringLiteral("propertyGrid"));
    setItemDelegate(new CGridRowDelegate([this] { return LabelWidth(); }, this));
    // The cursor shows where the column split can be dragged.
    viewport()->setMouseTracking(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

CPropertyGrid::~CPropertyGrid() = default;

void CPropertyGrid::SetEditorRunner(EditorRunner runner) { Runner() = std::move(runner); }

CVtwinDoc* CPropertyGrid::Document() const { return m_edits.Document(); }

CGridRow CPropertyGrid::Row(int index) const
{
    CGridRow row;
    if (const QListWidgetItem* it = item(index))
        CGridRow::Decode(it->data(Qt::UserRole).toString().toStdString(), row);
    return row;
}

int CPropertyGrid::FindRow(const std::string& label, const std::string& section) const
{
    std::string head;
    for (int i = 0; i < count(); ++i) {
        const CGridRow row = Row(i);
        if (row.IsHead()) {
            head = row.label;
            continue;
        }
        if (row.label == label && (section.empty() || head == section))
            return i;
    }
    return -1;
}

void CPropertyGrid::Remember()
{
    if (m_tab.isEmpty())
        return;
    SMemory& m = m_memory[m_tab];
    m.hasSelected = currentRow() >= 0;
    if (m.hasSelected)
        m.selected = Row(currentRow());
    const QModelIndex top = indexAt(QPoint(2, 2));
    m.hasTop = top.isValid();
    if (m.hasTop)
        m.top = Row(top.row());
}

void CPropertyGrid::Rebuild()
{
    Remember();
    clear();
    m_tab = m_edits.CurrentTabName();
    const CVtwinDoc* doc = Document();
    const CProduct* product = doc ? doc->GetProduct() : nullptr;
    if (!product)
        return;
    std::vector<CGridRow> rows;
    if (m_tab == QLatin1String("Render")) {
        rows = BuildRenderRows(*product);
    } else if (const char face = FaceLetterOfTab(m_tab.toStdString()); face != 0) {
        std::string cdName;
        if (face == 'C') {
            const std::string section = product->GetSettings().GetText(ModelKey(kSetCDImage));
            cdName = section;
            if (const CAppFolders* folders = m_edits.Folders())
                for (const PictureChoice& c : ListCDImageChoices(folders->GetInternalFolder(), folders->ProgramSettings()))
                    if (c.section == section && !c.name.empty())
                        cdName = c.name;
        }
        rows = BuildFaceRows(*product, face, cdName);
    }
    for (const CGridRow& row : rows) {
        auto* it = new QListWidgetItem(this);
        it->setData(Qt::UserRole, Q(row.Encode()));
        it->setData(Qt::DisplayRole, Q(row.label));  // for accessibility and item lookup
        it->setSizeHint(QSize(0, CGridRowDelegate::kRowHeight));
        // A narrow grid cuts long values; the tip shows them whole.
        if (row.type == "Str" || row.type == "Int" || row.type == "Bool") {
            it->setData(Qt::ToolTipRole, Q(row.label + ": " + row.value));
        } else if (row.kind == 'C') {
            const std::uint32_t c = ParseNumber(row.value);
            it->setData(Qt::ToolTipRole, Q(row.label) + QString::asprintf(": R=%d G=%d B=%d", int(c & 0xFF),
                                                                          int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
        }
        if (row.IsHead())
            it->setFlags(Qt::ItemIsEnabled);
    }
    const auto it = m_memory.find(m_tab);
    if (it == m_memory.end())
        return;
    // Rows are found by their whole content; an edited row (same key and
    // label, new value) keeps the selection too.
    auto find = [this](const CGridRow& want) {
        int loose = -1;
        for (int i = 0; i < count(); ++i) {
            const CGridRow row = Row(i);
            if (row == want)
                return i;
            if (loose < 0 && row.label == want.label && row.Key() == want.Key() && row.kind == want.kind)
                loose = i;
        }
        return loose;
    };
    const SMemory m = it->second;
    if (m.hasTop)
        if (const int top = find(m.top); top >= 0)
            scrollToItem(item(top), QAbstractItemView::PositionAtTop);
    if (m.hasSelected)
        if (const int sel = find(m.selected); sel >= 0)
            setCurrentRow(sel);
}

int CPropertyGrid::LabelWidth() const { return viewport()->width() * m_splitPermille / 1000; }

void CPropertyGrid::SetSplitPermille(int permille)
{
    // Both columns keep room for a few letters.
    m_splitPermille = std::clamp(permille, 200, 900);
    viewport()->update();
}

QString CPropertyGrid::ShownValue(int index) const
{
    return CGridRowDelegate::ShownValue(Row(index), viewport()->width(), LabelWidth(), font());
}

bool CPropertyGrid::NearSplit(int x) const { return count() > 0 && std::abs(x - LabelWidth()) <= 3; }

void CPropertyGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && NearSplit(event->position().toPoint().x())) {
        m_draggingSplit = true;
        return;
    }
    QListWidget::mousePressEvent(event);
}

void CPropertyGrid::mouseMoveEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    if (m_draggingSplit) {
        if (viewport()->width() > 0)
            SetSplitPermille(x * 1000 / viewport()->width());
        return;
    }
    if (NearSplit(x))
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
    QListWidget::mouseMoveEvent(event);
}

void CPropertyGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_draggingSplit) {
        m_draggingSplit = false;
        return;
    }
    QListWidget::mouseReleaseEvent(event);
}

void CPropertyGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton && !NearSplit(event->position().toPoint().x())) {
        EditRow(index.row());
        return;
    }
    QListWidget::mouseDoubleClickEvent(event);
}

void CPropertyGrid::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (count() != 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(viewport()->rect().adjusted(8, 12, -8, -8), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     QStringLiteral("This tab has no settings of its own."));
}

void CPropertyGrid::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_F2) &&
        currentRow() >= 0) {
        EditRow(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool CPropertyGrid::RunEditor(QDialog& editor, int rowIndex)
{
    if (QListWidgetItem* it = item(rowIndex); it && editor.windowFlags().testFlag(Qt::FramelessWindowHint)) {
        // The in-place editor covers the value column of its row.
        // The rows are painted across the whole viewport (whatever width the
        // item rectangle reports), so the value column is measured there too.
        // A track bar needs the room of the whole row; the other editors take
        // the value column and leave the label in sight, reaching further left
        // only when their controls would not fit.
        const QRect r = visualItemRect(it);
        const int width = viewport()->width();
        const auto* inPlace = qobject_cast<const CInPlaceEditor*>(&editor);
        int left = LabelWidth();
        if (inPlace && inPlace->Mode() == CInPlaceEditor::EMode::Slider)
            left = 0;
        else
            left = std::clamp(width - editor.minimumSizeHint().width(), 0, left);
        const QPoint topLeft = viewport()->mapToGlobal(QPoint(left, r.top()));
        editor.setGeometry(QRect(topLeft, QSize(width - left, r.height())));
    }
    if (Runner())
        return Runner()(editor);
    return editor.exec() == QDialog::Accepted;
}

void CPropertyGrid::EditRow(int index)
{
    const CGridRow row = Row(index);
    if (row.IsHead() || !Document() || !Document()->GetProduct())
        return;
    setCurrentRow(index);
    const EGridEditor editor = EditorOf(row);
    if (editor == EGridEditor::None)
        return;
    const std::string editLabel = EditLabelOf(row.id, row.label);
    if (editor != EGridEditor::FaceImage)
        m_edits.ShowStatus(QStringLiteral("Editing ") + Q(editLabel));
    switch (editor) {
    case EGridEditor::Lights: EditLights(row, index); break;
    case EGridEditor::PageDepths: EditPageDepths(index); break;
    case EGridEditor::CDImage: EditCDImage(index); break;
    case EGridEditor::FaceImage: EditFaceImage(row); break;
    case EGridEditor::RenderSize: EditRenderSize(index); break;
    default: EditInPlace(row, index); break;
    }
    m_edits.ShowStatus(QString());
}

// A choice from the setting's list (Yes and No for a switch); false when
// the edit was left without one.
bool CPropertyGrid::EditChoice(const CGridRow& row, int rowIndex, const SettingInfo& info,
                               const std::string& editLabel, std::vector<CSettingValue>& values,
                               std::string& undoText)
{
    CProduct& product = *Document()->GetProduct();
    CInPlaceEditor editor(CInPlaceEditor::EMode::Choice, Q(editLabel), this);
    QStringList names;
    std::vector<SettingValueName> choices;
    if (info.type == SettingType::Boolean) {
        names << QStringLiteral("Yes") << QStringLiteral("No");
    } else {
        choices = ChoicesOf(product, row.id);
        for (const SettingValueName& c : choices)
            names << QString::fromLatin1(c.name);
    }
    editor.SetChoices(names, Q(row.value));
    if (!RunEditor(editor, rowIndex))
        return false;
    const int chosen = editor.ChoiceIndex();
    if (chosen < 0)
        return false;
    if (info.type == SettingType::Boolean) {
        const bool yes = chosen == 0;
        values.push_back({row.Key(), false, yes ? 1 : 0, {}});
        undoText = UndoTextForBool(editLabel, yes);
    } else {
        if (chosen >= static_cast<int>(choices.size()))
            return false;
        values.push_back({row.Key(), false, choices[chosen].value, {}});
        undoText = UndoTextForChoice(editLabel, choices[chosen].name);
    }
    return true;
}

// A colour, checked as it is chosen; false when the edit was left.
bool CPropertyGrid::EditColour(const CGridRow& row, int rowIndex, const std::string& editLabel,
                               std::vector<CSettingValue>& values, std::string& undoText)
{
    CProduct& product = *Document()->GetProduct();
    const int current = product.GetSettings().GetInt(row.Key());
    CInPlaceEditor editor(CInPlaceEditor::EMode::Colour, Q(editLabel), this);
    editor.SetColour(static_cast<std::uint32_t>(current));
    editor.SetColourCheck([this, &product, key = row.Key()](std::uint32_t colour) {
        const SSettingResult r = CheckSettingValues(product, {{key, false, static_cast<int>(colour), {}}},
                                                    [this](const std::string& q) {
                                                        return AskQuestion(this, Q(q), false, EAnswer::No) ==
                                                               EAnswer::Yes;
                                                    });
        if (!r.message.empty())
            ShowMessage(this, Q(r.message), r.ok ? EMessageIcon::Information : EMessageIcon::Warning);
        return r.ok;
    });
    if (!RunEditor(editor, rowIndex))
        return false;
    values.push_back({row.Key(), false, static_cast<int>(editor.Colour()), {}});
    undoText = UndoTextForModify(editLabel);
    return true;
}

void CPropertyGrid::EditInPlace(const CGridRow& row, int rowIndex)
{
    CProduct& product = *Document()->GetProduct();
    SettingStore& store = product.GetSettings();
    const SettingInfo* info = FindSetting(row.id);
    if (!info)
        return;
    const std::string editLabel = EditLabelOf(row.id, row.label);
    const int current = store.GetInt(row.Key());
    const EGridEditor kind = EditorOf(row);
    std::vector<CSettingValue> values;
    std::string undoText;

    switch (kind) {
    case EGridEditor::Choice:
        if (!EditChoice(row, rowIndex, *info, editLabel, values, undoText))
            return;
        break;
    case EGridEditor::Number: {
        CInPlaceEditor editor(CInPlaceEditor::EMode::Number, Q(editLabel), this);
        int minimum = 0, maximum = 0;
        GetSettingRange(product, *info, minimum, maximum);
        editor.SetRange(minimum, maximum, QString::fromLatin1(info->unit));
        editor.SetText(QString::number(current));
        if (!RunEditor(editor, rowIndex))
            return;
        values.push_back({row.Key(), false, editor.Number(), {}});
        undoText = UndoTextForNumber(editLabel, editor.Number(), info->unit);
        break;
    }
    case EGridEditor::Slider: {
        CInPlaceEditor editor(CInPlaceEditor::EMode::Slider, Q(editLabel), this);
        editor.SetSlider(info->minimum, info->maximum, current);
        if (!RunEditor(editor, rowIndex))
            return;
        values.push_back({row.Key(), false, editor.SliderValue(), {}});
        undoText = UndoTextForNumber(editLabel, editor.SliderValue(), info->unit);
        break;
    }
    case EGridEditor::Colour:
        if (!EditColour(row, rowIndex, editLabel, values, undoText))
            return;
        break;
    case EGridEditor::Text: {
        CInPlaceEditor editor(CInPlaceEditor::EMode::Text, Q(editLabel), this);
        editor.SetText(Q(store.GetText(row.Key())));
        if (!RunEditor(editor, rowIndex))
            return;
        values.push_back({row.Key(), true, 0, editor.Text().toStdString()});
        undoText = "Set " + editLabel + " to " + values.back().text;
        break;
    }
    default: return;
    }
    // An unchanged value ends the edit without an undo step.
    CommitEdit(values, undoText);
}

void CPropertyGrid::EditLights(const CGridRow& row, int rowIndex)
{
    const SettingStore& store = Document()->GetProduct()->GetSettings();
    CLightsDialog dialog(static_cast<std::uint32_t>(store.GetInt(row.Key())), this);
    if (!RunEditor(dialog, rowIndex))
        return;
    CommitEdit({{row.Key(), false, static_cast<int>(dialog.Mask()), {}}},
               UndoTextForModify(EditLabelOf(row.id, row.label)));
}

void CPropertyGrid::EditPageDepths(int rowIndex)
{
    const SettingStore& store = Document()->GetProduct()->GetSettings();
    CPageDepthDialog dialog(store.GetInt(ModelKey(kSetPageDepthFront)), store.GetInt(ModelKey(kSetPageDepthPages)),
                            store.GetInt(ModelKey(kSetPageDepthBack)), this);
    if (!RunEditor(dialog, rowIndex))
        return;
    CommitEdit({{ModelKey(kSetPageDepthFront), false, dialog.Front(), {}},
                {ModelKey(kSetPageDepthPages), false, dialog.Pages(), {}},
                {ModelKey(kSetPageDepthBack), false, dialog.Back(), {}}},
               "Modify Page Depth Percentages");
}

void CPropertyGrid::EditCDImage(int rowIndex)
{
    const CAppFolders* folders = m_edits.Folders();
    if (!folders)
        return;
    const SettingStore& store = Document()->GetProduct()->GetSettings();
    std::vector<CPictureChooser::Item> items;
    for (const PictureChoice& c : ListCDImageChoices(folders->GetInternalFolder(), folders->ProgramSettings()))
        items.push_back({Q(c.name.empty() ? c.section : c.name), Q(c.section), Q(folders->GetInternalFolder() + c.file)});
    CPictureChooser chooser(QStringLiteral("CD-ROM Image"), QStringLiteral("Please choose a &CD-ROM Image"), items,
                            Q(store.GetText(ModelKey(kSetCDImage))), this);
    if (!RunEditor(chooser, rowIndex))
        return;
    CommitEdit({{ModelKey(kSetCDImage), true, 0, chooser.ChosenKey().toStdString()}},
               "Set CD-ROM Image to " + chooser.ChosenName().toStdString());
}

void CPropertyGrid::EditRenderSize(int rowIndex)
{
    const SettingStore& store = Document()->GetProduct()->GetSettings();
    CInPlaceEditor editor(CInPlaceEditor::EMode::Text, QStringLiteral("Rendering Size"), this);
    editor.SetText(QStringLiteral("%1x%2").arg(store.GetInt(ModelKey(kSetRenderWidth))).arg(
        store.GetInt(ModelKey(kSetRenderHeight))));
    if (!RunEditor(editor, rowIndex))
        return;
    const RenderSizeResult size = ValidateRenderSize(editor.Text().toStdString());
    if (!size.ok) {
        ShowMessage(this, Q(size.message), EMessageIcon::Warning);
        return;
    }
    CommitEdit({{ModelKey(kSetRenderWidth), false, size.width, {}}, {ModelKey(kSetRenderHeight), false, size.height, {}}},
               "Set Rendering Size to " + std::to_string(size.width) + "x" + std::to_string(size.height));
}

void CPropertyGrid::EditFaceImage(const CGridRow& row)
{
    if (EditFacePicture(this, &m_edits, row.category)) {
        m_renders.RefreshPicture();
        Rebuild();
    }
}

void CPropertyGrid::CommitEdit(const std::vector<CSettingValue>& values, const std::string& undoText)
{
    CVtwinDoc* doc = Document();
    if (!doc || !doc->GetProduct())
        return;
    // The editors asked their questions already (a colour's in its check).
    const SSettingResult result =
        SetSettingValues(*doc, m_edits.Undo(), values, undoText, [](const std::string&) { return true; });
    if (!result.ok) {
        if (!result.message.empty())
            ShowMessage(this, Q(result.message), EMessageIcon::Warning);
        return;
    }
    if (result.updateMask == 0)
        return;
    m_edits.MarkModified();
    FollowUp(values, result.message);
    ApplyMask(result.updateMask);
    emit edited(result.updateMask);
}

void CPropertyGrid::CommitTurn(int xRotation, int yRotation)
{
    CommitEdit({{ModelKey(kSetXRotation), false, xRotation, {}}, {ModelKey(kSetYRotation), false, yRotation, {}}},
               "Turn Product");
}

void CPropertyGrid::FollowUp(const std::vector<CSettingValue>& values, const std::string& information)
{
    if (!information.empty())
        ShowMessage(this, Q(information), EMessageIcon::Information);
    for (const CSettingValue& v : values)
        if (v.key == ModelKey(kSetLensFlare) && v.number != 0)
            ShowMessage(this, QStringLiteral("Click on the rendered image if you wish to reposition the primary "
                                             "Lens Flare."),
                        EMessageIcon::Information);
}

void CPropertyGrid::ApplyMask(unsigned mask)
{
    CVtwinDoc* doc = Document();
    CProduct* product = doc ? doc->GetProduct() : nullptr;
    if (!product)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The view drops its cached model together with every prepared picture;
    // the marks below then name what must be made again.
    if (mask & (kUpdatePreviewModel | kUpdateRenderModel))
        m_renders.ResetRenderData(true);
    std::string error;
    const bool ok = ApplyUpdateMask(*product, m_renders.Pipeline().GetCache(), mask, m_edits.Folders(), nullptr, error);
    QApplication::restoreOverrideCursor();
    if (!ok)
        ShowMessage(this, Q(error), EMessageIcon::Warning);
    // A reloaded face picture (the CD-ROM image, the background) must replace
    // the one the face tab is showing; a page edge shown on its tab is made
    // again at once rather than at the next rendering.
    if (const std::string key = m_edits.CurrentFaceKey(); !key.empty()) {
        const bool pageEdge = key == "r" || key == "u" || key == "d" || key == "l";
        if (pageEdge && (mask & kUpdatePageEdges))
            m_renders.Pipeline().Render(key, *product);
        if ((mask & (kUpdateCDImage | kUpdateBackground)) || (pageEdge && (mask & kUpdatePageEdges)))
            m_edits.RefreshCurrentTab();
    }
    // The grid shows the edit before the new picture is made: a Rendering
    // Complete prompt may come up over both.
    Rebuild();
    m_renders.RefreshPicture();
    emit stateChanged();
}

// ---- installation ------------------------------------------------------------------------

CPropertyGrid* InstallPropertyGrid(QWidget* slot, CEditService& edits, CRenderService& renders)
{
    auto* grid = new CPropertyGrid(edits, renders, slot);
    if (auto* layout = qobject_cast<QBoxLayout*>(slot->layout())) {
        // Replace the trailing stretch of the empty slot by the grid.
        if (layout->count() > 0 && layout->itemAt(layout->count() - 1)->spacerItem())
            delete layout->takeAt(layout->count() - 1);
        layout->addWidget(grid, 1);
    }
    CSettingEditRecord::SetApplyHook([grid, &edits, &renders](CVtwinDoc& doc, unsigned mask) {
        if (&doc != edits.Document() || !doc.GetProduct())
            return;
        if (mask & (kUpdatePreviewModel | kUpdateRenderModel))
            renders.ResetRenderData(true);
        std::string error;
        if (!ApplyUpdateMask(*doc.GetProduct(), renders.Pipeline().GetCache(), mask, edits.Folders(), nullptr, error))
            ShowMessage(grid, Q(error), EMessageIcon::Warning);
        // The undo caller refreshes the picture; the grid shows the restored values.
        grid->Rebuild();
    });
    QObject::connect(grid, &QObject::destroyed, []() { CSettingEditRecord::SetApplyHook(nullptr); });
    grid->Rebuild();
    return grid;
}

#include "ui/canvas/ObjectsPanel.h"

#include "layout/objects/DrawObjectList.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/edit/LayoutEdit.h"
#include "ui/shell/EditService.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QTreeWidget>

#include <functional>

namespace {

// Rows are dragged to a new place; the view makes the move, the rows follow.
class CObjectsTree final : public QTreeWidget {
public:
    std::function<void(int fromRow, int toRow)> moved;
    bool IsEditing() const { return state() == EditingState; }

protected:
    void dropEvent(QDropEvent* event) override
    {
        const int from = indexOfTopLevelItem(currentItem());
        QTreeWidgetItem* target = itemAt(event->position().toPoint());
        int to = target ? indexOfTopLevelItem(target) : topLevelItemCount() - 1;
        if (target && dropIndicatorPosition() == QAbstractItemView::BelowItem && to < from)
            ++to;
        else if (target && dropIndicatorPosition() == QAbstractItemView::AboveItem && to > from)
            --to;
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (from >= 0 && to >= 0 && moved)
            moved(from, to);
    }
};

CDrawObjectList* Objects(CEditService& edits) { return edits.CurrentObjects(); }

} // namespace

CObjectsPanel::CObjectsPanel(CEditService& edits, QWidget* parent)
    : QDockWidget(QStringLiteral("Objects"), parent), m_edits(edits)
{
    setObjectName(QStringLiteral("objectsPanel"));
    auto* tree = new CObjectsTree;
    m_tree = tree;
    m_tree->setObjectName(QStringLiteral("objectsTree"));
    m_tree->setColumnCount(3);
    m_tree->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Shown"), QStringLiteral("Locked")});
    m_tree->setRootIsDecorated(false);
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->setDragDropMode(QAbstractItemView::InternalMove);
    m_tree->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_tree->header()->setSectionResizeMode(kColumnName, QHeaderView::Stretch);
    m_tree->header()->setSectionResizeMode(kColumnShown, QHeaderView::ResizeToContents);
    m_tree->header()->setSectionResizeMode(kColumnLocked, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    setWidget(m_tree);
    tree->moved = [this](int from, int to) { MoveRow(from, to); };
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column == kColumnName)
            m_tree->editItem(item, kColumnName);
    });
    connect(m_tree, &QTreeWidget::itemChanged, this, &CObjectsPanel::OnItemChanged);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CObjectsPanel::OnSelectionChanged);
}

void CObjectsPanel::MoveRow(int fromRow, int toRow)
{
    const int n = m_tree->topLevelItemCount();
    CDrawObjectList* objects = Objects(m_edits);
    if (!objects || fromRow == toRow || fromRow < 0 || toRow < 0 || fromRow >= n || toRow >= n)
        return;
    const auto from = static_cast<std::size_t>(n - 1 - fromRow);
    const auto to = static_cast<std::size_t>(n - 1 - toRow);
    m_edits.RunObjectCommand("Reorder " + objects->GetObject(from)->GetDisplayName(),
                             [&](CDrawObjectList& list) { return ObjectCommands::MoveTo(list, from, to); });
}

int CObjectsPanel::IndexOfRow(const QTreeWidgetItem* item) { return item ? item->data(0, Qt::UserRole).toInt() : -1; }

void CObjectsPanel::Refresh()
{
    if (m_updating || static_cast<CObjectsTree*>(m_tree)->IsEditing())
        return;
    if (m_inItemChange) {
        if (!m_refreshPosted) {
            m_refreshPosted = true;
            QMetaObject::invokeMethod(this, [this] {
                m_refreshPosted = false;
                Refresh();
            }, Qt::QueuedConnection);
        }
        return;
    }
    m_updating = true;
    m_tree->clear();
    if (CDrawObjectList* objects = Objects(m_edits)) {
        // Front to back: the last index on top, as a designer reads a stack.
        for (std::size_t i = objects->GetObjectCount(); i-- > 0;) {
            const CDrawObject* o = objects->GetObject(i);
            auto* item = new QTreeWidgetItem(m_tree);
            item->setText(kColumnName, QString::fromStdString(o->GetDisplayName()));
            item->setToolTip(kColumnName, QString::fromLatin1(o->GetKindName()));
            item->setData(0, Qt::UserRole, static_cast<int>(i));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
                           Qt::ItemIsUserCheckable);
            item->setCheckState(kColumnShown, o->IsHidden() ? Qt::Unchecked : Qt::Checked);
            item->setCheckState(kColumnLocked, o->IsLocked() ? Qt::Checked : Qt::Unchecked);
            item->setSelected(o->IsSelected());
            if (o->GetSelection() == kSelectDominant)
                m_tree->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        }
    }
    setEnabled(Objects(m_edits) != nullptr);
    m_updating = false;
}

void CObjectsPanel::OnItemChanged(QTreeWidgetItem* item, int column)
{
    CDrawObjectList* objects = Objects(m_edits);
    const int index = IndexOfRow(item);
    if (m_updating || !objects || !objects->GetObject(static_cast<std::size_t>(index)))
        return;
    const auto i = static_cast<std::size_t>(index);
    const CDrawObject* o = objects->GetObject(i);
    const QScopedValueRollback<bool> inItemChange(m_inItemChange, true);
    std::string message;
    if (column == kColumnName) {
        const std::string name = item->text(kColumnName).toStdString();
        if (name == o->GetDisplayName())
            return;
        message = m_edits.RunObjectCommand("Rename " + o->GetDisplayName(), [&](CDrawObjectList& list) {
            return ObjectCommands::Rename(list, i, name);
        });
    } else if (column == kColumnShown) {
        const bool hidden = item->checkState(kColumnShown) != Qt::Checked;
        message = m_edits.RunObjectCommand((hidden ? "Hide " : "Show ") + o->GetDisplayName(),
                                           [&](CDrawObjectList& list) { return ObjectCommands::SetHidden(list, i, hidden); });
    } else if (column == kColumnLocked) {
        const bool locked = item->checkState(kColumnLocked) == Qt::Checked;
        message = m_edits.RunObjectCommand((locked ? "Lock " : "Unlock ") + o->GetDisplayName(),
                                           [&](CDrawObjectList& list) { return ObjectCommands::SetLocked(list, i, locked); });
    }
    if (!message.empty())
        Refresh();  // refused: the row shows the object as it is
}

void CObjectsPanel::OnSelectionChanged()
{
    CDrawObjectList* objects = Objects(m_edits);
    if (m_updating || !objects)
        return;
    // The rows' selection becomes the objects' (no undo step, as on the canvas).
    const int current = IndexOfRow(m_tree->currentItem());
    for (int row = 0; row < m_tree->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_tree->topLevelItem(row);
        CDrawObject* o = objects->GetObject(static_cast<std::size_t>(IndexOfRow(item)));
        if (o)
            o->SetSelection(!item->isSelected() ? kSelectNone
                                                : (IndexOfRow(item) == current ? kSelectDominant : kSelectOn));
    }
    LayoutEdit::FixDominant(*objects);
    m_updating = true;
    m_edits.SelectionChanged();
    m_updating = false;
}

#pragma once
// "Objects": a dock listing the current face's objects from front to back,
// each with its name (double-click to edit), a "Shown" and a "Locked" box.
// Rows are selected as the canvas selects (several with Ctrl or Shift) and
// dragged up or down to change the order. Every change is one edit run by
// the view; the panel follows the document after each edit and tab change.

#include <QDockWidget>

class QTreeWidget;
class QTreeWidgetItem;
class CEditService;

class CObjectsPanel : public QDockWidget {
    Q_OBJECT
public:
    CObjectsPanel(CEditService& edits, QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    // Rebuilds the rows from the current face (nothing while a name is edited).
    void Refresh();

    // A row dragged from `fromRow` to `toRow` (rows front to back).
    void MoveRow(int fromRow, int toRow);

    // Columns of the rows.
    enum EColumn { kColumnName = 0, kColumnShown = 1, kColumnLocked = 2 };
    // The face index (back to front) of a row.
    static int IndexOfRow(const QTreeWidgetItem* item);

private:
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void OnSelectionChanged();

    CEditService& m_edits;
    QTreeWidget* m_tree;
    bool m_updating = false;
    // Inside the tree's own item-changed signal: the rows must outlive it,
    // so the refresh the edit causes is posted to the event loop.
    bool m_inItemChange = false;
    bool m_refreshPosted = false;
};

#pragma once
// The property grid beside the project view's tabs: an owner-drawn two-column
// list of sections and rows for the current tab. Double-clicking a row edits
// its setting in place; the change becomes an undo step, the prepared render
// data it makes stale is marked, and the grid is rebuilt keeping its selected
// and top rows.

#include "app/GridRows.h"
#include "app/SettingCommand.h"

#include <QListWidget>
#include <functional>
#include <map>
#include <vector>

class CEditService;
class CRenderService;
class CVtwinDoc;
class QDialog;

class CPropertyGrid : public QListWidget {
    Q_OBJECT
public:
    // Shows and edits the settings of the tab `edits` shows; `renders` makes
    // the pictures the edits leave stale (both outlive the grid).
    CPropertyGrid(CEditService& edits, CRenderService& renders, QWidget* parent = nullptr);
    ~CPropertyGrid() override;

    // Rebuilds for the current tab, keeping the selected and top rows by content.
    void Rebuild();
    QString TabName() const { return m_tab; }

    int RowCount() const { return count(); }

    // The label column's width in pixels: 7/10 of the rows at first; the
    // user drags the split between the columns, and the grid keeps the
    // proportion when it is resized.
    int LabelWidth() const;
    int SplitPermille() const noexcept { return m_splitPermille; }
    void SetSplitPermille(int permille);
    // The value text row `index` shows (elided when it does not fit).
    QString ShownValue(int index) const;
    CGridRow Row(int index) const;
    // Index of the first row with this label under the head `section`
    // (empty: anywhere); -1 when none.
    int FindRow(const std::string& label, const std::string& section = {}) const;

    // Runs the editor of row `index` as a double-click does.
    void EditRow(int index);

    // Tests answer the editors themselves: the runner gets the dialog ready to
    // be shown and returns true for OK. Without a runner dialogs run modally.
    using EditorRunner = std::function<bool(QDialog& editor)>;
    static void SetEditorRunner(EditorRunner runner);

    // Stores already validated values as one undo step and brings the project
    // up to date (follow-up messages, stale data, pictures, grids).
    void CommitEdit(const std::vector<CSettingValue>& values, const std::string& undoText);
    // A drag on the Render tab turned the product: one edit of both angles (degrees).
    void CommitTurn(int xRotation, int yRotation);
    // Applies an update mask to the project and refreshes the view.
    void ApplyMask(unsigned mask);

signals:
    void edited(unsigned mask);
    // An edit was applied: menus and panels read their state again.
    void stateChanged();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // An empty grid says so instead of showing a blank panel.
    void paintEvent(QPaintEvent* event) override;

private:
    bool RunEditor(QDialog& editor, int rowIndex);
    void EditInPlace(const CGridRow& row, int rowIndex);
    bool EditChoice(const CGridRow& row, int rowIndex, const SettingInfo& info, const std::string& editLabel,
                    std::vector<CSettingValue>& values, std::string& undoText);
    bool EditColour(const CGridRow& row, int rowIndex, const std::string& editLabel,
                    std::vector<CSettingValue>& values, std::string& undoText);
    void EditLights(const CGridRow& row, int rowIndex);
    void EditPageDepths(int rowIndex);
    void EditCDImage(int rowIndex);
    void EditFaceImage(const CGridRow& row);
    void EditRenderSize(int rowIndex);
    void FollowUp(const std::vector<CSettingValue>& values, const std::string& information);
    CVtwinDoc* Document() const;

    struct SMemory {
        CGridRow selected;
        CGridRow top;
        bool hasSelected = false;
        bool hasTop = false;
    };
    void Remember();

    CEditService& m_edits;
    CRenderService& m_renders;
    QString m_tab;
    std::map<QString, SMemory> m_memory;
    int m_splitPermille = 700;  // label column, thousandths of the row
    bool m_draggingSplit = false;
    bool NearSplit(int x) const;
};

// Puts a property grid into `slot` (the place beside the view's tabs) and
// connects it to undo and redo of settings; the window connects it to tab
// changes and turns of the product. Returns the grid (owned by the slot).
CPropertyGrid* InstallPropertyGrid(QWidget* slot, CEditService& edits, CRenderService& renders);

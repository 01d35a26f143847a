#pragma once
// "Properties" of the selected objects: one page per object (a copy of it),
// stepped with "< &Back" and "&Next >". The copies are edited; the caller
// puts them in place of the originals on OK.

#include "ui/LayoutEditor.h"

#include <QDialog>
#include <vector>

class QStackedWidget;
class QPushButton;

class CObjectPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // `objects` are the clones to edit (not owned; they outlive the dialog).
    explicit CObjectPropertiesDialog(const std::vector<CDrawObject*>& objects, QWidget* parent = nullptr);

    int PageCount() const;
    int CurrentPage() const;
    void Next();
    void Back();
    // Writes every page's fields into its object; false (and a message) when
    // a field is not acceptable.
    bool ApplyPages();
    void accept() override;

private:
    QWidget* MakePage(CDrawObject* object);
    void UpdateButtons();

    std::vector<CDrawObject*> m_objects;
    std::vector<std::function<bool()>> m_apply;
    QStackedWidget* m_pages = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
};

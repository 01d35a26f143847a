#pragma once
// "Properties" of the selected objects: one page per object (a copy of it),
// stepped with "< &Back" and "&Next >". The copies are edited; the caller
// puts them in place of the originals on OK.

#include "layout/edit/LayoutEdit.h"

#include <QDialog>
#include <vector>

class CDrawBarcode;
class CDrawPicture;
class CDrawText;
class QFormLayout;
class QStackedWidget;
class QPushButton;

class CObjectPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // `objects` are the clones to edit (not owned; they outlive the dialog).
    // Line widths and corner radii are shown in millimetres when the face's
    // pixels per millimetre are known (> 0), else in face pixels.
    explicit CObjectPropertiesDialog(const std::vector<CDrawObject*>& objects, QWidget* parent = nullptr,
                                     double pixelsPerMm = 0);

    int PageCount() const;
    int CurrentPage() const;
    // Step to the next or previous page; a page whose check refuses stays.
    void Next();
    void Back();
    // Checks every page, then writes every page's fields into its object;
    // false (a message shown, the refused page shown with the focus in the
    // refused field, no object changed) when a field is not acceptable.
    bool ApplyPages();
    void accept() override;
    // The page widget of page `index` (the text or barcode page inside it,
    // or the fields of the other kinds).
    QWidget* Page(int index) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* MakePage(CDrawObject* object);
    // The rows of each kind, with what OK writes back.
    void AddStyleRows(QFormLayout* form, QWidget* page, CDrawObject* object);
    void AddPictureRows(QFormLayout* form, QWidget* page, CDrawPicture* picture);
    void AddBarcodeRows(QFormLayout* form, QWidget* page, CDrawBarcode* barcode);
    void AddTextRows(QFormLayout* form, QWidget* page, CDrawText* text);
    // Line width, dash, corner radius and opacity, as the kind has them.
    void AddLookRows(QFormLayout* form, QWidget* page, CDrawObject* object);
    void ShowPage(int index);
    bool LeavePage();
    void UpdateButtons();

    std::vector<CDrawObject*> m_objects;
    std::vector<std::function<bool()>> m_validate;  // checks, no change
    std::vector<std::function<void()>> m_focus;     // puts the focus in the page's field
    std::vector<std::function<bool()>> m_apply;
    QStackedWidget* m_pages = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    double m_pixelsPerMm = 0;
};

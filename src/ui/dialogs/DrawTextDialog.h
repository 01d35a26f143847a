#pragma once
// "Draw Text": the text page with OK and Cancel, asked when the text tool
// places a new text. OK checks the page and keeps the dialog open while the
// text is empty or the size is not acceptable.

#include "ui/dialogs/TextPropertyPage.h"

#include <QDialog>

class QDialogButtonBox;

class CDrawTextDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDrawTextDialog(const CTextValues& values, QWidget* parent = nullptr);

    CTextPropertyPage* Page() const { return m_page; }
    QDialogButtonBox* Buttons() const { return m_buttons; }
    // The confirmed values (the page's values once OK was accepted).
    CTextValues Values() const { return m_page->Values(); }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CTextPropertyPage* m_page = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

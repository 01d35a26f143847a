#pragma once
// "Would you like to copy the rendered image?" as a bar across the top of the
// Render tab, offered after each new rendering instead of a window that stops
// the work: the same three choices and "Do not ask again".

#include <QFrame>

class QCheckBox;
class QPushButton;

class CRenderCompleteBar : public QFrame {
    Q_OBJECT
public:
    explicit CRenderCompleteBar(QWidget* parent = nullptr);

    // Shows the bar with its check box cleared.
    void Offer();
    QCheckBox* CheckBox() const { return m_check; }
    // The button of a choice (kRenderCompleteCopy, kRenderCompleteSave, kRenderCompleteNo).
    QPushButton* Button(int choice) const;

signals:
    // A button was pressed; the bar has hidden itself.
    void chosen(int choice, bool dontAskAgain);

private:
    void Choose(int choice);

    QPushButton* m_copy = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_no = nullptr;
    QCheckBox* m_check = nullptr;
};

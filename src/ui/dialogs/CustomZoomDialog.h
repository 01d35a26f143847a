#pragma once
// "Custom Zoom" dialog: one whole-number field "&Zoom %" from 1 to 1600.

#include <QDialog>
#include <QString>

class QLineEdit;

class CCustomZoomDialog : public QDialog {
    Q_OBJECT
public:
    // `percent` 0 opens with an empty field.
    explicit CCustomZoomDialog(int percent, QWidget* parent = nullptr);

    int Percent() const { return m_percent; }
    QLineEdit* Field() const { return m_field; }

    void accept() override;

private:
    QLineEdit* m_field = nullptr;
    int m_percent = 0;
};

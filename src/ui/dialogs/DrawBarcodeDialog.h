#pragma once
// The barcode page ("Bar&code", the data of a Code 39 barcode) and the
// "Draw Barcode" dialog made of it, asked when the barcode tool has dragged
// a box. The Properties dialog shows the same page for each barcode.

#include <QDialog>
#include <QWidget>
#include <string>

class CDrawBarcode;
class QDialogButtonBox;
class QLineEdit;

class CBarcodePropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CBarcodePropertyPage(QWidget* parent = nullptr);

    void SetData(const std::string& data);
    std::string Data() const;
    // Refuses an empty field and characters outside the Code 39 set (lower
    // case included) with a message, the focus back in the field.
    bool Validate();
    void FocusField();
    // Stores the data and grows the box to the symbol's natural size; false
    // (the object unchanged) when the barcode refuses the data.
    bool ApplyTo(CDrawBarcode& barcode) const;

    QLineEdit* Field() const { return m_field; }

private:
    QLineEdit* m_field = nullptr;
};

class CDrawBarcodeDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDrawBarcodeDialog(const std::string& data = {}, QWidget* parent = nullptr);

    CBarcodePropertyPage* Page() const { return m_page; }
    QDialogButtonBox* Buttons() const { return m_buttons; }
    std::string Data() const { return m_page->Data(); }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CBarcodePropertyPage* m_page = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

#pragma once
// The barcode page ("&Kind": Code 39, EAN-13, EAN-8, UPC-A or Code 128;
// "Bar&code": the data) and the "Draw Barcode" dialog made of it, asked when
// the barcode tool has dragged a box. The Properties dialog shows the same
// page for each barcode.

#include "layout/barcode/BarcodeKind.h"

#include <QDialog>
#include <QWidget>
#include <string>

class CDrawBarcode;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;

class CBarcodePropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CBarcodePropertyPage(QWidget* parent = nullptr);

    void SetData(const std::string& data);
    std::string Data() const;
    void SetKind(EBarcodeKind kind);
    EBarcodeKind Kind() const;
    // Refuses data the chosen kind cannot encode (an empty field, characters
    // outside its set, a wrong length or check digit) with a message, the
    // focus back in the field.
    bool Validate();
    void FocusField();
    // Stores the data and grows the box to the symbol's natural size; false
    // (the object unchanged) when the barcode refuses the data.
    bool ApplyTo(CDrawBarcode& barcode) const;

    QLineEdit* Field() const { return m_field; }
    QComboBox* KindBox() const { return m_kind; }

private:
    QComboBox* m_kind = nullptr;
    QLineEdit* m_field = nullptr;
};

class CDrawBarcodeDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDrawBarcodeDialog(const std::string& data = {}, QWidget* parent = nullptr,
                                EBarcodeKind kind = EBarcodeKind::Code39);

    CBarcodePropertyPage* Page() const { return m_page; }
    QDialogButtonBox* Buttons() const { return m_buttons; }
    std::string Data() const { return m_page->Data(); }
    EBarcodeKind Kind() const { return m_page->Kind(); }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CBarcodePropertyPage* m_page = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

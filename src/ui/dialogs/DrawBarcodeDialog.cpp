#include "ui/dialogs/DrawBarcodeDialog.h"

#include "layout/barcode/DrawBarcode.h"
#include "ui/widgets/MessageBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

// ---- page ------------------------------------------------------------------------------------

CBarcodePropertyPage::CBarcodePropertyPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BarcodePropertyPage"));
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("kind"));
    for (std::uint32_t i = 0; i < kBarcodeKindCount; ++i)
        m_kind->addItem(QString::fromLatin1(GetBarcodeKindName(static_cast<EBarcodeKind>(i))));
    auto* kindLabel = new QLabel(QStringLiteral("&Kind"), this);
    kindLabel->setBuddy(m_kind);
    form->addRow(kindLabel, m_kind);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("barcode"));
    m_field->setMinimumWidth(260);
    auto* label = new QLabel(QStringLiteral("Bar&code"), this);
    label->setBuddy(m_field);
    form->addRow(label, m_field);
}

void CBarcodePropertyPage::SetData(const std::string& data) { m_field->setText(QString::fromStdString(data)); }

std::string CBarcodePropertyPage::Data() const { return m_field->text().toStdString(); }

void CBarcodePropertyPage::SetKind(EBarcodeKind kind) { m_kind->setCurrentIndex(static_cast<int>(kind)); }

EBarcodeKind CBarcodePropertyPage::Kind() const
{
    const int index = m_kind->currentIndex();
    return index > 0 ? static_cast<EBarcodeKind>(index) : EBarcodeKind::Code39;
}

bool CBarcodePropertyPage::Validate()
{
    std::string complete, message;
    if (CheckBarcodeData(Kind(), Data(), complete, message))
        return true;
    ShowMessage(this, QString::fromStdString(message), EMessageIcon::Warning);
    FocusField();
    return false;
}

void CBarcodePropertyPage::FocusField()
{
    m_field->setFocus(Qt::OtherFocusReason);
    m_field->selectAll();
}

bool CBarcodePropertyPage::ApplyTo(CDrawBarcode& barcode) const
{
    if (!barcode.SetBarcode(Kind(), Data()))
        return false;
    barcode.FitToBarcode();
    return true;
}

// ---- dialog ----------------------------------------------------------------------------------

CDrawBarcodeDialog::CDrawBarcodeDialog(const std::string& data, QWidget* parent, EBarcodeKind kind)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Draw Barcode"));
    setObjectName(QStringLiteral("DrawBarcodeDialog"));
    auto* layout = new QVBoxLayout(this);
    m_page = new CBarcodePropertyPage(this);
    m_page->SetKind(kind);
    m_page->SetData(data);
    layout->addWidget(m_page);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CDrawBarcodeDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttons);
    m_page->FocusField();
}

void CDrawBarcodeDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_page->FocusField();
}

void CDrawBarcodeDialog::accept()
{
    if (m_page->Validate())
        QDialog::accept();
}

#include "ui/dialogs/DrawTextDialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

CDrawTextDialog::CDrawTextDialog(const CTextValues& values, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Draw Text"));
    setObjectName(QStringLiteral("DrawTextDialog"));
    auto* layout = new QVBoxLayout(this);
    m_page = new CTextPropertyPage(this);
    m_page->SetValues(values);
    layout->addWidget(m_page);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CDrawTextDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttons);
    m_page->FocusField();
}

void CDrawTextDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_page->FocusField();
}

void CDrawTextDialog::accept()
{
    if (m_page->Validate())
        QDialog::accept();
}

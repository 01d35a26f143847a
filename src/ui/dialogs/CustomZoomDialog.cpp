#include "ui/dialogs/CustomZoomDialog.h"

#include "properties/settings/SettingChecks.h"
#include "ui/widgets/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CCustomZoomDialog::CCustomZoomDialog(int percent, QWidget* parent) : QDialog(parent), m_percent(percent)
{
    setWindowTitle(QStringLiteral("Custom Zoom"));
    setObjectName(QStringLiteral("CustomZoomDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_field = new QLineEdit(percent > 0 ? QString::number(percent) : QString(), this);
    m_field->setObjectName(QStringLiteral("zoomField"));
    m_field->setMaxLength(12);
    auto* label = new QLabel(QStringLiteral("&Zoom %"), this);
    label->setBuddy(m_field);
    form->addRow(label, m_field);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCustomZoomDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCustomZoomDialog::reject);
    layout->addWidget(buttons);
    m_field->selectAll();
    m_field->setFocus();
}

void CCustomZoomDialog::accept()
{
    const IntFieldResult r = ValidateIntField(m_field->text().toStdString(), 1, 1600, "Zoom", "%");
    if (!r.ok) {
        ShowMessage(this, QString::fromStdString(r.message), EMessageIcon::Warning);
        m_field->setFocus();
        m_field->selectAll();
        return;
    }
    m_percent = r.value;
    QDialog::accept();
}

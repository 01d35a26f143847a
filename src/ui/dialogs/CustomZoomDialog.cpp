#include "ui/dialogs/CustomZoomDialog.h"

#include "ui/widgets/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

QString ValidateWholeNumberField(const QString& text, const QString& label, int minimum, int maximum,
                                 const QString& unit, int& value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("%1 is blank.").arg(label);
    bool ok = false;
    const long long parsed = trimmed.toLongLong(&ok);
    // The text must be exactly the decimal form of its own value: no sign
    // tricks, leading zeros, spaces inside or trailing letters.
    if (!ok || QString::number(parsed) != trimmed)
        return QStringLiteral("%1 contains invalid characters.").arg(label);
    if (parsed < minimum || parsed > maximum) {
        if (unit.isEmpty())
            return QStringLiteral("%1 must be between %2 and %3.").arg(label).arg(minimum).arg(maximum);
        return QStringLiteral("%1 must be between %2 and %3 %4.").arg(label).arg(minimum).arg(maximum).arg(unit);
    }
    value = static_cast<int>(parsed);
    return {};
}

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
    int value = 0;
    const QString error = ValidateWholeNumberField(m_field->text(), QStringLiteral("Zoom"), 1, 1600,
                                                   QStringLiteral("%"), value);
    if (!error.isEmpty()) {
        ShowMessage(this, error, EMessageIcon::Warning);
        m_field->setFocus();
        m_field->selectAll();
        return;
    }
    m_percent = value;
    QDialog::accept();
}

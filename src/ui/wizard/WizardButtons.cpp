#include "ui/wizard/WizardButtons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

void CWizardButtons::Create(QDialog* dialog, QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    back = new QPushButton(QStringLiteral("< &Back"), dialog);
    next = new QPushButton(QStringLiteral("&Next >"), dialog);
    finish = new QPushButton(QStringLiteral("Finish"), dialog);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    for (QPushButton* b : {back, next, finish, cancel})
        row->addWidget(b);
    layout->addLayout(row);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

void CWizardButtons::Update(int index, int count, bool goOn) const
{
    const bool last = index + 1 >= count;
    back->setEnabled(index > 0);
    next->setEnabled(!last && goOn);
    next->setVisible(!last);
    finish->setVisible(last);
    finish->setEnabled(last && goOn);
    (last ? finish : next)->setDefault(true);
}

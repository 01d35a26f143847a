#include "ui/wizard/ListPage.h"

#include "catalogue/WizardPages.h"
#include "ui/wizard/WizardControls.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

using namespace WizardControls;

CListPage::CListPage(const QString& title, const QString& prompt, Store store, QWidget* parent)
    : CWizardPage(title, parent), m_store(std::move(store))
{
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(prompt, this);
    m_list = ThumbnailList(QStringLiteral("choices"), this);
    label->setBuddy(m_list);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
}

bool CListPage::Leave(NewProjectAnswers& answers)
{
    const QString key = ChosenKey(m_list);
    if (Refused(this, LeaveListPage(!key.isEmpty()))) {
        m_list->setFocus();
        return false;
    }
    m_store(answers, key);
    return true;
}

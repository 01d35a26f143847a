#include "ui/NewProjectDialog.h"

#include "app/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/NewProject.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QTabWidget>
#include <QVBoxLayout>

CNewProjectDialog::CNewProjectDialog(const CAppFolders& folders, QWidget* parent)
    : QDialog(parent), m_folders(folders)
{
    setWindowTitle(QStringLiteral("New Project"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);
    const std::string lastTab = folders.GetUserString("GUI", "NewTab", kDefaultNewTab);
    for (const CatalogueTab& tab : GetCatalogueTabs()) {
        auto* list = new QListWidget(m_tabs);
        list->setObjectName(QString::fromLatin1(tab.prefix));
        for (const CatalogueEntry& entry : GetCatalogue()) {
            if (std::string_view(entry.prefix) != tab.prefix)
                continue;
            auto* item = new QListWidgetItem(QString::fromLatin1(entry.name), list);
            item->setData(Qt::UserRole, QString::fromStdString(GetCatalogueSectionName(entry)));
        }
        if (list->count() > 0)
            list->setCurrentRow(0);
        connect(list, &QListWidget::itemDoubleClicked, this, &CNewProjectDialog::accept);
        const int index = m_tabs->addTab(list, QString::fromLatin1(tab.caption));
        if (lastTab == tab.prefix)
            m_tabs->setCurrentIndex(index);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNewProjectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CNewProjectDialog::reject);
    layout->addWidget(buttons);
    resize(520, 380);
}

std::string CNewProjectDialog::ChosenSection() const
{
    auto* list = qobject_cast<QListWidget*>(m_tabs->currentWidget());
    if (!list || !list->currentItem())
        return {};
    return list->currentItem()->data(Qt::UserRole).toString().toStdString();
}

void CNewProjectDialog::accept()
{
    if (ChosenSection().empty())
        return;
    if (QWidget* w = m_tabs->currentWidget())
        m_folders.PutUserString("GUI", "NewTab", w->objectName().toStdString());
    QDialog::accept();
}

bool CNewProjectDialog::Create(CVtwinDoc& doc, std::string& error) const
{
    const std::string section = ChosenSection();
    if (section.empty()) {
        error = "Choose a model.";
        return false;
    }
    NewProjectAnswers answers;
    return CreateFromModel(m_folders, section, answers, doc, error);
}

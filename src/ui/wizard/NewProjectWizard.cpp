#include "ui/wizard/NewProjectWizard.h"

#include "ground/AppFolders.h"
#include "catalogue/product/Product.h"
#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "ui/wizard/BackRenderPage.h"
#include "ui/wizard/BinderPage.h"
#include "ui/wizard/Effects2Page.h"
#include "ui/wizard/EffectsPage.h"
#include "ui/wizard/ListPage.h"
#include "ui/wizard/PagesPage.h"
#include "ui/wizard/SidePage.h"
#include "ui/wizard/SizePage.h"
#include "ui/wizard/WizardControls.h"

#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace WizardControls;

// ---- the wizard --------------------------------------------------------------------------

CNewProjectWizard::CNewProjectWizard(const CAppFolders& folders, const ModelEntry& entry, const CProduct& product,
                                     QWidget* parent)
    : QDialog(parent), m_folders(folders)
{
    setObjectName(QStringLiteral("newProjectWizard"));
    setWindowTitle(Q(GetWizardTitleName(entry.name) + " settings"));
    auto* layout = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("caption"));
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    layout->addWidget(m_caption);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack, 1);

    const std::string internal = folders.GetInternalFolder();
    for (const std::string& title : GetWizardPages(product, entry)) {
        const QString t = Q(title);
        CWizardPage* page = nullptr;
        if (title.size() > 11 && title.ends_with(" Dimensions") && m_pages.empty()) {
            page = CreateSizePage(t, entry, product, m_stack);
        } else if (entry.HasSubPicture() && title == entry.subTitle) {
            auto* list = new CListPage(t, Q(entry.subPrompt),
                                       [](NewProjectAnswers& a, const QString& k) { a.subPicture = k.toStdString(); },
                                       m_stack);
            for (const PictureChoice& c : ListSubPictureChoices(internal, entry.subPattern, folders.ProgramSettings()))
                AddThumbnail(list->List(), Q(c.name.empty() ? c.file : c.name), Q(c.file), Q(internal + c.file));
            page = list;
        } else if (title == "Pages' Appearance") {
            page = CreatePagesPage(t, m_stack);
        } else if (title == "Binding Style") {
            page = CreateBinderPage(t, m_stack);
        } else if (title == "Select CD-ROM Image") {
            auto* list = new CListPage(t, QStringLiteral("Please choose a &CD-ROM Image"),
                                       [](NewProjectAnswers& a, const QString& k) { a.cdImage = k.toStdString(); },
                                       m_stack);
            for (const PictureChoice& c : ListCDImageChoices(internal, folders.ProgramSettings()))
                AddThumbnail(list->List(), Q(c.name.empty() ? c.section : c.name), Q(c.section), Q(internal + c.file));
            page = list;
        } else if (title == "Select CD-ROM Position") {
            auto* list = new CListPage(t, QStringLiteral("Please choose &CD-ROM position"),
                                       [](NewProjectAnswers& a, const QString& k) { a.cdPosition = k.toInt(); },
                                       m_stack);
            for (const CDPositionChoice& c : GetCDPositionChoices(product))
                AddThumbnail(list->List(), QString::fromLatin1(c.name), QString::number(c.value), Q(internal + c.file));
            page = list;
        } else if (title == "Background Size") {
            page = CreateBackRenderPage(t, m_stack);
        } else if (title == "Shadows and Reflections") {
            page = CreateEffectsPage(t, m_stack);
        } else if (title == "Special Effects") {
            page = CreateEffects2Page(t, m_stack);
        } else if (title.ends_with("'s Appearance")) {
            static const struct {
                const char* title;
                char letter;
            } sides[] = {{"Front's Appearance", 'F'},  {"Left's Appearance", 'L'},  {"Right's Appearance", 'R'},
                         {"Top's Appearance", 'U'},    {"Bottom's Appearance", 'D'}, {"Spine's Appearance", 'S'},
                         {"Back's Appearance", 'B'},   {"Background's Appearance", 'G'}};
            for (const auto& s : sides)
                if (title == s.title)
                    page = CreateSidePage(t, s.letter, folders, entry, product, m_stack);
        }
        if (!page)
            continue;
        page->setObjectName(t);
        connect(page, &CWizardPage::canGoOnChanged, this, &CNewProjectWizard::UpdateButtons);
        m_pages.push_back(page);
        m_stack->addWidget(page);
    }

    m_buttons.Create(this, layout);
    connect(m_buttons.back, &QPushButton::clicked, this, &CNewProjectWizard::Back);
    connect(m_buttons.next, &QPushButton::clicked, this, &CNewProjectWizard::Next);
    connect(m_buttons.finish, &QPushButton::clicked, this, &CNewProjectWizard::Finish);
    resize(600, 460);
    if (!m_pages.empty())
        Show(0);
}

QString CNewProjectWizard::Caption() const
{
    if (m_pages.empty())
        return {};
    return Q(GetWizardStepCaption(m_index + 1, PageCount(), CurrentPage()->Title().toStdString()));
}

void CNewProjectWizard::Show(int index)
{
    m_index = index;
    CurrentPage()->Enter(m_answers);
    m_stack->setCurrentWidget(CurrentPage());
    m_caption->setText(Caption());
    UpdateButtons();
}

void CNewProjectWizard::UpdateButtons()
{
    m_buttons.Update(m_index, PageCount(), !m_pages.empty() && CurrentPage()->CanGoOn());
}

bool CNewProjectWizard::Next()
{
    if (m_pages.empty() || m_index + 1 >= PageCount() || !CurrentPage()->CanGoOn())
        return false;
    if (!CurrentPage()->Leave(m_answers))
        return false;
    Show(m_index + 1);
    return true;
}

void CNewProjectWizard::Back()
{
    if (m_index > 0)
        Show(m_index - 1);
}

bool CNewProjectWizard::Finish()
{
    if (m_pages.empty() || !CurrentPage()->CanGoOn() || !CurrentPage()->Leave(m_answers))
        return false;
    accept();
    return true;
}

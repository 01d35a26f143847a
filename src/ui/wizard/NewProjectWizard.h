#pragma once
// The wizard of setting pages a model of the "New" dialog needs. Finishing
// the wizard leaves the answers for the core's new-project step.

#include "ui/wizard/WizardButtons.h"
#include "ui/wizard/WizardPage.h"
#include "catalogue/Catalogue.h"
#include "catalogue/NewProject.h"

#include <QDialog>
#include <vector>

class QLabel;
class QPushButton;
class QStackedWidget;
class CAppFolders;
class CProduct;

class CNewProjectWizard : public QDialog {
    Q_OBJECT
public:
    CNewProjectWizard(const CAppFolders& folders, const ModelEntry& entry, const CProduct& product,
                      QWidget* parent = nullptr);

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    int CurrentIndex() const { return m_index; }
    CWizardPage* Page(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }
    CWizardPage* CurrentPage() const { return Page(m_index); }
    // "Step %d of %d: %s" of the current page.
    QString Caption() const;
    const NewProjectAnswers& Answers() const { return m_answers; }

    // The buttons' actions; false when the current page refused to be left.
    bool Next();
    void Back();
    bool Finish();

    QPushButton* BackButton() const { return m_buttons.back; }
    QPushButton* NextButton() const { return m_buttons.next; }
    QPushButton* FinishButton() const { return m_buttons.finish; }

private:
    void Show(int index);
    void UpdateButtons();

    const CAppFolders& m_folders;
    NewProjectAnswers m_answers;
    std::vector<CWizardPage*> m_pages;
    int m_index = 0;
    QLabel* m_caption = nullptr;
    QStackedWidget* m_stack = nullptr;
    CWizardButtons m_buttons;
};

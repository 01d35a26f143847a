#pragma once
// File New: the "New" dialog with the catalogue's models on eight tabs, and
// the wizard of setting pages the chosen model needs. Finishing the wizard
// builds the project through the core's new-project step; the dialog closes
// only when that worked.

#include "ui/wizard/WizardButtons.h"
#include "catalogue/Catalogue.h"
#include "catalogue/NewProject.h"

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTabBar;
class CAppFolders;
class CProduct;
class CVtwinDoc;

// One page of the wizard. Leave() reads the controls into the answers and
// refuses (after telling the user) while a value is not acceptable.
class CWizardPage : public QWidget {
    Q_OBJECT
public:
    CWizardPage(const QString& title, QWidget* parent) : QWidget(parent), m_title(title) {}
    const QString& Title() const { return m_title; }
    virtual void Enter(const NewProjectAnswers&) {}
    virtual bool Leave(NewProjectAnswers& answers) = 0;
    // False while the page may not be left (the wizard disables Next).
    virtual bool CanGoOn() const { return true; }

signals:
    void canGoOnChanged();

private:
    QString m_title;
};

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

// The "New" dialog.
class CNewDialog : public QDialog {
    Q_OBJECT
public:
    CNewDialog(const CAppFolders& folders, CVtwinDoc& doc, QWidget* parent = nullptr);

    QTabBar* Tabs() const { return m_tabs; }
    QListWidget* List() const { return m_list; }
    QPushButton* OkButton() const { return m_ok; }
    // Selects the tab with this prefix ("box") and the item of this section.
    bool ChooseModel(const std::string& prefix, const std::string& section);

    // Tests drive the wizard themselves: the runner gets the wizard ready to
    // be shown and returns true when it finished. Without one it runs modally.
    using WizardRunner = std::function<bool(CNewProjectWizard& wizard)>;
    static void SetWizardRunner(WizardRunner runner);

    void accept() override;

private:
    void FillList();
    void OnTabChanged(int index);

    const CAppFolders& m_folders;
    CVtwinDoc& m_doc;
    QTabBar* m_tabs = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    bool m_filling = false;
};

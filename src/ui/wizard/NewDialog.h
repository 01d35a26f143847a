#pragma once
// File New: the "New" dialog with the catalogue's models on eight tabs. The
// chosen model's wizard runs next; its answers build the project through the
// core's new-project step, and the dialog closes only when that worked.

#include <QDialog>
#include <functional>
#include <string>

class QListWidget;
class QPushButton;
class QTabBar;
class CAppFolders;
class CNewProjectWizard;
class CVtwinDoc;

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

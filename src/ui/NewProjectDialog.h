#pragma once
// File New: the models of the catalogue on their tabs; the chosen one is built
// with the model's start values. (The pages that fill in dimensions and face
// appearances are added by the new-project wizard.)

#include <QDialog>
#include <string>

class QTabWidget;
class QListWidget;
class CAppFolders;
class CVtwinDoc;

class CNewProjectDialog : public QDialog {
    Q_OBJECT
public:
    explicit CNewProjectDialog(const CAppFolders& folders, QWidget* parent = nullptr);

    // Section name of the chosen model ("box_005"), empty when none.
    std::string ChosenSection() const;
    // Builds the chosen model into the document; false and the message when it fails.
    bool Create(CVtwinDoc& doc, std::string& error) const;

    void accept() override;

private:
    const CAppFolders& m_folders;
    QTabWidget* m_tabs = nullptr;
};

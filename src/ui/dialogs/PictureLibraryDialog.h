#pragma once
// The "Library" dialog: library folders as a tree, the pictures of the
// selected folder as thumbnails, the entry's information, and the tree's
// state remembered between runs.

#include "catalogue/setup/PictureLibrary.h"

#include <QDialog>
#include <functional>
#include <vector>

class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class CAppFolders;

class CPictureLibraryDialog : public QDialog {
    Q_OBJECT
public:
    explicit CPictureLibraryDialog(const CAppFolders& folders, QWidget* parent = nullptr);

    // Full path of the chosen picture (after OK), empty when none.
    QString ChosenFile() const;
    const LibraryEntry* ChosenEntry() const;

    QTreeWidget* Tree() const { return m_tree; }
    QListWidget* List() const { return m_list; }
    // The text "&Image Info..." shows for the selected entry (empty: none).
    QString InfoText() const;

    void accept() override;

    // "Gen &Library": describes the pictures of a folder in its "vtlib.ini"
    // and adds the folder to the library list; the tree then shows it,
    // selected. False (after telling the user) when nothing was written.
    bool GenerateLibrary(const QString& folder);
    // Tests answer the folder question themselves; empty means Cancel.
    using FolderChooser = std::function<QString()>;
    static void SetFolderChooser(FolderChooser chooser);

private:
    void FillTree(const std::string& select);
    void ShowFolder(QTreeWidgetItem* item);
    void ShowInfo();

    const CAppFolders& m_folders;
    QTreeWidget* m_tree = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_info = nullptr;
    std::vector<LibraryEntry> m_entries;
    QString m_chosen;
};

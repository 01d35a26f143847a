#pragma once
// "Recover Unsaved Work": the work earlier runs of the program left unsaved,
// one line per project with the time it was written. Recover closes the
// dialog with the chosen entry; Discard deletes the chosen entry's files.

#include "app/RecoveryStore.h"

#include <QDialog>
#include <vector>

class QListWidget;
class QPushButton;

class CRecoverDialog : public QDialog {
    Q_OBJECT
public:
    CRecoverDialog(std::vector<SRecoveryEntry> entries, QWidget* parent = nullptr);

    // The entry to open after Recover; null otherwise.
    const SRecoveryEntry* Chosen() const;
    QListWidget* List() const { return m_list; }
    QPushButton* RecoverButton() const { return m_recover; }
    QPushButton* DiscardButton() const { return m_discard; }

    static QString LineFor(const SRecoveryEntry& entry);

private:
    void OnDiscard();

    std::vector<SRecoveryEntry> m_entries;
    QListWidget* m_list = nullptr;
    QPushButton* m_recover = nullptr;
    QPushButton* m_discard = nullptr;
    int m_chosen = -1;
};

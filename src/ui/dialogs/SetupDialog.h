#pragma once
// The first-run "Initializing" dialog: the current group, the item being
// processed, a progress bar, a note that the first run takes a while and the
// remaining-time estimate. It runs the data setup as soon as it is shown and
// closes with OK (done, or already done before) or Cancel (the setup failed;
// FailureMessage() says why).

#include "catalogue/setup/Setup.h"

#include <QDialog>
#include <QString>

class CAppFolders;
class QLabel;
class QProgressBar;

class CSetupDialog : public QDialog {
    Q_OBJECT
public:
    CSetupDialog(const CAppFolders& folders, SetupOptions options, QWidget* parent = nullptr);

    // Shows the dialog, runs the setup and returns Accepted or Rejected.
    int exec() override;

    const QString& FailureMessage() const { return m_failure; }
    SetupOutcome Outcome() const { return m_outcome; }

    // What the labels show now (tests read them).
    QString StepText() const;
    QString DetailText() const;
    QString EstimateText() const;
    int Position() const;

private:
    void Refresh();

    const CAppFolders& m_folders;
    SetupOptions m_options;
    QLabel* m_step = nullptr;
    QLabel* m_detail = nullptr;
    QLabel* m_estimate = nullptr;
    QProgressBar* m_bar = nullptr;
    QString m_failure;
    SetupOutcome m_outcome = SetupOutcome::Failed;
    qint64 m_lastPaintMs = -1;
};

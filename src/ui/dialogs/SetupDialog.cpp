#include "ui/dialogs/SetupDialog.h"

#include "ground/AppFolders.h"

#include <QApplication>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

CSetupDialog::CSetupDialog(const CAppFolders& folders, SetupOptions options, QWidget* parent)
    : QDialog(parent), m_folders(folders), m_options(std::move(options))
{
    setWindowTitle(QStringLiteral("Initializing"));
    setModal(true);
    // Closing the window half way would leave the program without its data.
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    m_step = new QLabel(this);
    m_step->setObjectName(QStringLiteral("step"));
    QFont bold = m_step->font();
    bold.setBold(true);
    m_step->setFont(bold);
    layout->addWidget(m_step);
    m_detail = new QLabel(this);
    m_detail->setObjectName(QStringLiteral("detail"));
    layout->addWidget(m_detail);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setRange(0, CSetup::kTotalSteps);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    auto* note = new QLabel(QStringLiteral("Note: This process may take several minutes, the first time that "
                                           "Vantorel is used on your computer."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* row = new QGridLayout;
    row->addWidget(new QLabel(QStringLiteral("Estimated Time Remaining:"), this), 0, 0);
    m_estimate = new QLabel(this);
    m_estimate->setObjectName(QStringLiteral("estimate"));
    m_estimate->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00 Minutes 00 Seconds")));
    row->addWidget(m_estimate, 0, 1);
    row->setColumnStretch(1, 1);
    layout->addLayout(row);
    auto* wait = new QLabel(QStringLiteral("Please Wait"), this);
    wait->setAlignment(Qt::AlignCenter);
    layout->addWidget(wait);
    setMinimumWidth(460);
}

QString CSetupDialog::StepText() const { return m_step->text(); }
QString CSetupDialog::DetailText() const { return m_detail->text(); }
QString CSetupDialog::EstimateText() const { return m_estimate->text(); }
int CSetupDialog::Position() const { return m_bar->value(); }

void CSetupDialog::Refresh()
{
    // Repainting after each of several hundred small steps would cost more
    // than the steps; a few times a second keeps the bar moving.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_lastPaintMs >= 0 && now - m_lastPaintMs < 50)
        return;
    m_lastPaintMs = now;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int CSetupDialog::exec()
{
    if (m_folders.GetProgramInt("Init", "Template", 0) != 0) {
        m_outcome = SetupOutcome::AlreadyDone;
        setResult(QDialog::Accepted);
        return QDialog::Accepted;
    }
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    SetupListener listener;
    listener.onStepTitle = [this](const std::string& t) {
        m_step->setText(QString::fromStdString(t));
        m_lastPaintMs = -1;
        Refresh();
    };
    listener.onDetail = [this](const std::string& d) {
        m_detail->setText(QString::fromStdString(d));
        Refresh();
    };
    listener.onProgress = [this](int position, int total, const std::string& estimate) {
        m_bar->setMaximum(std::max(1, total));
        m_bar->setValue(std::clamp(position, 0, std::max(1, total)));
        m_estimate->setText(QString::fromStdString(estimate));
        Refresh();
    };
    CSetup setup(m_folders, m_options, std::move(listener));
    const SetupResult result = setup.Run();
    QApplication::restoreOverrideCursor();
    hide();
    m_outcome = result.outcome;
    if (result.outcome == SetupOutcome::Failed) {
        m_failure = QString::fromStdString(result.message);
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    setResult(QDialog::Accepted);
    return QDialog::Accepted;
}

#include "ui/dialogs/RecoverDialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CRecoverDialog::CRecoverDialog(std::vector<SRecoveryEntry> entries, QWidget* parent)
    : QDialog(parent), m_entries(std::move(entries))
{
    setWindowTitle(QStringLiteral("Recover Unsaved Work"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Vantorel stopped before this work was saved. Recover opens it as a changed project; "
                       "the project file stays as it is until you save."),
        this));
    m_list = new QListWidget(this);
    for (const SRecoveryEntry& e : m_entries)
        m_list->addItem(LineFor(e));
    m_list->setCurrentRow(0);
    m_list->setMinimumWidth(520);
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(this);
    m_recover = buttons->addButton(QStringLiteral("&Recover"), QDialogButtonBox::AcceptRole);
    m_discard = buttons->addButton(QStringLiteral("&Discard"), QDialogButtonBox::DestructiveRole);
    buttons->addButton(QStringLiteral("Later"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(m_recover, &QPushButton::clicked, this, [this]() {
        m_chosen = m_list->currentRow();
        if (m_chosen >= 0)
            accept();
    });
    connect(m_discard, &QPushButton::clicked, this, &CRecoverDialog::OnDiscard);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString CRecoverDialog::LineFor(const SRecoveryEntry& e)
{
    const QString name = e.projectPath.empty() ? QString::fromStdString(e.title.empty() ? "Untitled" : e.title)
                                               : QFileInfo(QString::fromStdString(e.projectPath)).fileName();
    const QString when = QDateTime::fromSecsSinceEpoch(e.savedAt).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    const QString where = e.projectPath.empty() ? QStringLiteral("never saved") : QString::fromStdString(e.projectPath);
    return QStringLiteral("%1  \u2014  %2  (%3)").arg(name, when, where);
}

const SRecoveryEntry* CRecoverDialog::Chosen() const
{
    return m_chosen >= 0 && m_chosen < static_cast<int>(m_entries.size()) ? &m_entries[static_cast<std::size_t>(m_chosen)]
                                                                          : nullptr;
}

void CRecoverDialog::OnDiscard()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    CRecoveryStore::Discard(m_entries[static_cast<std::size_t>(row)]);
    m_entries.erase(m_entries.begin() + row);
    delete m_list->takeItem(row);
    if (m_entries.empty())
        reject();
}

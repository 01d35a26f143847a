#include "ui/shell/RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

CRecentFileList::CRecentFileList(QString storagePath) : m_storage(std::move(storagePath)) {}

void CRecentFileList::Add(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(absolute);
    m_files.prepend(absolute);
    while (m_files.size() > kSize)
        m_files.removeLast();
}

void CRecentFileList::Remove(const QString& path)
{
    m_files.removeAll(QFileInfo(path).absoluteFilePath());
}

void CRecentFileList::Load()
{
    m_files.clear();
    if (m_storage.isEmpty())
        return;
    QSettings settings(m_storage, QSettings::IniFormat);
    for (int i = 1; i <= kSize; ++i) {
        const QString file = settings.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
        if (!file.isEmpty() && !m_files.contains(file))
            m_files.append(file);
    }
}

void CRecentFileList::Save() const
{
    if (m_storage.isEmpty())
        return;
    QSettings settings(m_storage, QSettings::IniFormat);
    settings.remove(QStringLiteral("Recent File List"));
    for (int i = 0; i < m_files.size(); ++i)
        settings.setValue(QStringLiteral("Recent File List/File%1").arg(i + 1), m_files[i]);
    settings.sync();
}

QString CRecentFileList::MenuText(int index, const QString& path)
{
    QString name = QFileInfo(path).fileName();
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

#pragma once
// The list of recently used project files (most recent first), kept in a small
// INI file of the data folder.

#include <QString>
#include <QStringList>

class CRecentFileList {
public:
    static constexpr int kSize = 4;

    explicit CRecentFileList(QString storagePath);

    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return m_files; }

    void Load();
    void Save() const;

    // Menu text of entry i: "&1 name" with the file name shortened for the menu.
    static QString MenuText(int index, const QString& path);

private:
    QString m_storage;
    QStringList m_files;
};

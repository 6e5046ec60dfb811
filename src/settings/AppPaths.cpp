#include "settings/AppPaths.h"

#include <QDir>

QString FindNoCase(const QString& dir, const QString& fileName)
{
    QDir folder(dir);
    if (folder.exists(fileName))
        return folder.filePath(fileName);
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    }
    return folder.filePath(fileName);
}

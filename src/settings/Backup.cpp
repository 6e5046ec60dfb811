#include "settings/Backup.h"

#include "settings/AppPaths.h"
#include "ini/ReadOnlyLift.h"
#include "ini/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

namespace backup {
namespace {

const char kStampFormat[] = "yyyyMMdd-HHmmss.zzz";

QString CopyName(const QString& fileName, const QDateTime& time)
{
    return fileName + QLatin1Char('.') + time.toString(QLatin1String(kStampFormat)) +
           QLatin1Char('Z');
}

bool ReadAll(const QString& path, QByteArray* bytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QVector<Entry> CopiesOf(const QString& folder, const QString& fileName)
{
    QVector<Entry> copies = List(folder);
    copies.erase(std::remove_if(copies.begin(), copies.end(),
                                [&](const Entry& e) { return e.fileName != fileName; }),
                 copies.end());
    return copies;
}

void Prune(const QString& folder, const QString& fileName)
{
    const QVector<Entry> copies = CopiesOf(folder, fileName);
    for (int i = kKeptPerFile; i < copies.size(); ++i)
        QFile::remove(copies[i].path);
}

// Puts bytes in place of the file atomically. A read-only file stays
// read-only: the attribute is lifted for the write only.
QString PutBack(const QString& target, const QByteArray& bytes)
{
    const QByteArray path = QFile::encodeName(target);
    const ReadOnlyLift lift(path);
    const std::string reason =
        profile::detail::ReplaceFile(path.toStdString(), bytes.toStdString());
    return QString::fromLocal8Bit(reason.c_str());
}

} // namespace

QVector<Entry> List(const QString& folder)
{
    static const QRegularExpression name(QStringLiteral("^(.+)\\.(\\d{8}-\\d{6}\\.\\d{3})Z$"));
    QVector<Entry> copies;
    const QDir dir(QDir(folder).filePath(QStringLiteral("backup")));
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        const QRegularExpressionMatch m = name.match(info.fileName());
        if (!m.hasMatch())
            continue;
        QDateTime time = QDateTime::fromString(m.captured(2), QLatin1String(kStampFormat));
        if (!time.isValid())
            continue;
        time.setTimeSpec(Qt::UTC);
        copies.push_back({m.captured(1), info.absoluteFilePath(), time});
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const Entry& a, const Entry& b) { return a.time > b.time; });
    return copies;
}

QString Keep(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    QByteArray bytes;
    QString error;
    if (!ReadAll(path, &bytes, &error))
        return error;
    const QString folder = info.absolutePath();
    if (!QDir(folder).mkpath(QStringLiteral("backup")))
        return QStringLiteral("cannot create the folder backup");

    const QVector<Entry> copies = CopiesOf(folder, info.fileName());
    QDateTime time = QDateTime::currentDateTimeUtc();
    if (!copies.isEmpty()) {
        QByteArray newest;
        if (ReadAll(copies.first().path, &newest, &error) && newest == bytes)
            return {};
        // A clock set back must not make the new copy the first one dropped.
        time = std::max(time, copies.first().time.addMSecs(1));
    }
    QString target;
    for (;; time = time.addMSecs(1)) {
        target = QDir(folder).filePath(QStringLiteral("backup/") + CopyName(info.fileName(), time));
        if (!QFile::exists(target))
            break;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return out.errorString();
    Prune(folder, info.fileName());
    return {};
}

namespace {

int PrintList(const QVector<Entry>& copies, const QString& folder)
{
    if (copies.isEmpty())
        std::printf("No backups in %s\n", qPrintable(QDir(folder).filePath("backup")));
    for (int i = 0; i < copies.size(); ++i)
        std::printf("%s\n", qPrintable(ListLine(i + 1, copies[i])));
    return 0;
}

} // namespace

QString ListLine(int number, const Entry& copy)
{
    return QStringLiteral("%1: %2 %3 (%4 bytes)")
        .arg(number)
        .arg(copy.fileName,
             copy.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
        .arg(QFileInfo(copy.path).size());
}

QString TargetOf(const QString& folder, const Entry& copy)
{
    return FindNoCase(folder, copy.fileName);
}

QString Restore(const QString& folder, const Entry& copy, QString* warning)
{
    QByteArray bytes;
    QString error;
    if (!ReadAll(copy.path, &bytes, &error))
        return QStringLiteral("cannot read %1: %2").arg(copy.path, error);
    const QString target = TargetOf(folder, copy);
    *warning = Keep(target);
    return PutBack(target, bytes);
}

int RestoreFromCommandLine(const QString& folder, int index)
{
    const QVector<Entry> copies = List(folder);
    if (index == 0)
        return PrintList(copies, folder);
    if (index < 0 || index > copies.size()) {
        std::fprintf(stderr, "kestrel-setup: there is no backup %d (--restore lists them)\n",
                     index);
        return 1;
    }
    const Entry& copy = copies[index - 1];
    QString warning;
    const QString reason = Restore(folder, copy, &warning);
    if (!warning.isEmpty())
        std::fprintf(stderr, "kestrel-setup: could not back up %s (%s); restoring anyway\n",
                     qPrintable(copy.fileName), qPrintable(warning));
    if (!reason.isEmpty()) {
        std::fprintf(stderr, "kestrel-setup: could not restore %s: %s\n", qPrintable(copy.fileName),
                     qPrintable(reason));
        return 1;
    }
    const QString target = TargetOf(folder, copy);
    std::printf("restored: %s from backup/%s\n", qPrintable(QFileInfo(target).fileName()),
                qPrintable(QFileInfo(copy.path).fileName()));
    return 0;
}

} // namespace backup

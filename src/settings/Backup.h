#pragma once

// Copies of the files a save replaces, kept in a backup/ folder beside each
// file as NAME.YYYYMMDD-HHMMSS.mmmZ (UTC, so that names sort by age), the
// newest few per file.
#include <QDateTime>
#include <QString>
#include <QVector>

namespace backup {

constexpr int kKeptPerFile = 20;

// Keeps the file's present content before it is replaced. A missing file has
// nothing to keep, and content equal to the newest copy is not kept twice.
// Returns an empty text, or why no copy could be written.
QString Keep(const QString& path);

struct Entry {
    QString fileName; // the file it is a copy of, e.g. Kestrel.ini
    QString path;     // the copy
    QDateTime time;   // when it was taken (UTC)
};

// The copies in folder/backup, newest first.
QVector<Entry> List(const QString& folder);

// --restore: lists the copies of the workstation folder's files (index 0),
// or puts copy `index` (counted from 1 as listed) back, keeping the present
// content first. Returns the exit status.
int RestoreFromCommandLine(const QString& folder, int index);

} // namespace backup

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

// How `--restore` lists copy number (from 1): "1: Kestrel.ini 2026-01-31
// 09:15:02.345 (2048 bytes)", the time local.
QString ListLine(int number, const Entry& copy);

// The file of the workstation folder that copy is a copy of.
QString TargetOf(const QString& folder, const Entry& copy);

// Puts copy back in place of its file, keeping the present content first.
// Returns an empty text, or why it could not be restored; *warning tells a
// present content that could not be kept (the restore goes on).
QString Restore(const QString& folder, const Entry& copy, QString* warning);

// --restore: lists the copies of the workstation folder's files (index 0),
// or puts copy `index` (counted from 1 as listed) back, keeping the present
// content first. Returns the exit status.
int RestoreFromCommandLine(const QString& folder, int index);

} // namespace backup

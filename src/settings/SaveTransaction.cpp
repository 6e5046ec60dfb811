#include "settings/SaveTransaction.h"

#include "settings/Backup.h"
#include "settings/Workstation.h"
#include "ui/MessageBox.h"
#include "ini/Profile.h"
#include "ui/RunMode.h"
#include "ui/Transcript.h"
#include "ui/StopSignals.h"
#include "settings/Ini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <set>

namespace {

bool g_saveFailed = false;

QString Local(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

// The file as the engineer knows it: its name when it lies in the
// workstation folder, else the path it was written by.
QString ShownName(const std::string& path)
{
    const QFileInfo info(QFile::decodeName(path.c_str()));
    const QString folder = QDir(ThisWorkstation().folder).canonicalPath();
    if (!folder.isEmpty() && QDir(info.absolutePath()).canonicalPath() == folder)
        return info.fileName();
    return info.filePath();
}

QString Shown(const std::optional<std::string>& value)
{
    if (!value)
        return QStringLiteral("(none)");
    return QLatin1Char('"') + transcript::Escape(QByteArray::fromStdString(*value)) +
           QLatin1Char('"');
}

void ReportChanges(const std::vector<profile::Change>& changes, const std::set<std::string>& failed)
{
    for (const profile::Change& c : changes) {
        if (failed.count(c.path))
            continue;
        transcript::Line(QStringLiteral("change: ") + ChangeLine(c));
    }
}

// A copy that cannot be kept is told and the save goes on: a missing
// backup must never cost the engineer the save itself.
void KeepBackups(QWidget* parent)
{
    for (const std::string& path : profile::ChangingFiles()) {
        const QString reason = backup::Keep(QFile::decodeName(path.c_str()));
        if (!reason.isEmpty())
            AfxMessageBox(QStringLiteral("Could not back up %1 (%2); it is saved without a backup.")
                              .arg(Local(path), reason),
                          parent);
    }
}

} // namespace

bool AnySaveFailed()
{
    return g_saveFailed;
}

void ClearSaveFailures()
{
    g_saveFailed = false;
}

QString ChangeLine(const profile::Change& c)
{
    return QStringLiteral("%1 [%2] %3: %4 -> %5")
        .arg(transcript::Escape(ShownName(c.path)),
             transcript::Escape(QByteArray::fromStdString(c.section)),
             transcript::Escape(QByteArray::fromStdString(c.key)), Shown(c.before), Shown(c.after));
}

QStringList PreviewSave(const std::function<void()>& writes)
{
    // Some pages lift and set a file's read-only attribute around their
    // writes: as a dry run, that stays in memory too.
    const bool dryRun = profile::DryRun();
    if (!dryRun)
        profile::SetDryRun(true);
    profile::BeginTransaction();
    writes();
    const std::vector<profile::Change> changes = profile::PendingChanges();
    profile::RollbackTransaction();
    // The OK that follows refuses the same writes again and tells them then.
    TakeRefusedWrites();
    if (!dryRun)
        profile::SetDryRun(false);
    QStringList lines;
    for (const profile::Change& c : changes)
        lines << ChangeLine(c);
    return lines;
}

bool ReportRefusedWrites(const std::set<std::string>& failedFiles, QWidget* parent)
{
    bool any = false;
    for (const RefusedWrite& r : TakeRefusedWrites()) {
        if (failedFiles.count(r.path))
            continue; // the file's own failure is told once, by its save
        AfxMessageBox(QStringLiteral("Could not save %1: [%2] %3 was not written: %4.")
                          .arg(Local(r.path), Local(r.section), Local(r.key), Local(r.reason)),
                      parent);
        g_saveFailed = true;
        any = true;
    }
    return any;
}

bool RunSaveTransaction(const std::function<void()>& writes, QWidget* parent)
{
    profile::BeginTransaction();
    writes();
    // A script stopped by an error presses nothing: what its last action
    // would have written is dropped; so is a save that a stop signal or a lost
    // transcript overtook.
    const ui::RunMode* mode = ui::ActiveRunMode();
    if ((mode && mode->Aborted()) || stopsignals::Pending() || transcript::Broken()) {
        profile::RollbackTransaction();
        TakeRefusedWrites();
        return false;
    }
    const std::vector<profile::Change> changes = profile::PendingChanges();
    if (!profile::DryRun())
        KeepBackups(parent);
    const std::vector<profile::WriteFailure> failures = profile::CommitTransaction();
    std::set<std::string> failed;
    for (const profile::WriteFailure& failure : failures) {
        AfxMessageBox(
            QStringLiteral("Could not save %1: %2").arg(Local(failure.path), Local(failure.reason)),
            parent);
        g_saveFailed = true;
        failed.insert(failure.path);
    }
    const bool refused = ReportRefusedWrites(failed, parent);
    if (profile::DryRun() || transcript::Active())
        ReportChanges(changes, failed);
    return failures.empty() && !refused;
}

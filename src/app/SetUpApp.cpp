#include "app/SetUpApp.h"

#include "settings/SaveTransaction.h"
#include "settings/Workstation.h"
#include "settings/Backup.h"

#include "app/RestoreBackupDlg.h"
#include "app/ReviewChangesDlg.h"
#include "app/SetUpDlg.h"
#include "app/SetupDatabase.h"
#include "ini/ReadOnlyLift.h"
#include "ui/MessageBox.h"
#include "ini/Profile.h"
#include "app/ScriptDriver.h"
#include "ui/Transcript.h"
#include "settings/SaveTransaction.h"
#include "ui/StopSignals.h"
#include "settings/Ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <QApplication>
#include <QPixmap>
#include <QSocketNotifier>

#include <memory>

#include <cstdio>

CSetUpApp theApp;

namespace {

// The review and the restore dialog as the context menu opens them, the
// newest backup chosen; writes nothing.
int SaveDialogScreenshots(CSetUpDlg& dlg, const QString& folder)
{
    CReviewChangesDlg review(dlg.PreviewLines());
    CRestoreBackupDlg restore(ThisWorkstation().folder);
    const std::pair<CDialog*, const char*> shots[] = {{&review, "dialog-review-changes.png"},
                                                      {&restore, "dialog-restore-backup.png"}};
    for (const auto& [shot, name] : shots) {
        shot->Create(nullptr);
        if (shot == &restore)
            restore.ChooseBackup(0);
        shot->resize(shot->minimumSize());
        shot->show();
        for (int n = 0; n < 10; ++n)
            QApplication::processEvents();
        const QString file = QDir(folder).filePath(QLatin1String(name));
        if (!shot->grab().save(file)) {
            std::fprintf(stderr, "kestrel-setup: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

// Shows the dialog, selects each tab as a user would and saves a picture of
// the window per tab; writes nothing.
int SaveScreenshots(CSetUpDlg& dlg, const QString& folder)
{
    QDir().mkpath(folder);
    dlg.setWindowTitle(QStringLiteral("SetUp"));
    dlg.resize(dlg.minimumSize());
    dlg.show();
    const QStringList tabs = dlg.TabTexts();
    for (int i = 0; i < tabs.size(); ++i) {
        dlg.SelectTab(i);
        for (int n = 0; n < 10; ++n)
            QApplication::processEvents();
        QString name = tabs[i].toLower();
        name.replace(QLatin1String("&&"), QLatin1String("and"))
            .replace(QLatin1Char(' '), QLatin1Char('-'));
        const QString file =
            QDir(folder).filePath(QStringLiteral("tab-%1-%2.png").arg(QString::number(i), name));
        if (!dlg.grab().save(file)) {
            std::fprintf(stderr, "kestrel-setup: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return SaveDialogScreenshots(dlg, folder);
}

// On screen, driven by the script (or by nothing: --headless), or for pictures.
int RunMainDialog(const StartOptions& options, const QString& script)
{
    CSetUpDlg dlg;
    if (!options.screenshots.isEmpty()) {
        dlg.Create(nullptr);
        return SaveScreenshots(dlg, options.screenshots);
    }
    if (transcript::Active()) {
        ScriptDriver driver(script);
        dlg.Create(nullptr);
        return driver.Run(dlg);
    }
    // A stop signal closes every dialog as Cancel.
    std::unique_ptr<QSocketNotifier> wake;
    if (stopsignals::WakeUpFd() >= 0) {
        wake = std::make_unique<QSocketNotifier>(stopsignals::WakeUpFd(), QSocketNotifier::Read);
        QObject::connect(wake.get(), &QSocketNotifier::activated, wake.get(),
                         [] { QCoreApplication::exit(1); });
    }
    dlg.DoModal();
    return 0;
}

bool ReadScript(const QString& file, QString* text)
{
    QFile f;
    if (file == QLatin1String("-")) {
        if (!f.open(stdin, QIODevice::ReadOnly))
            return false;
    } else {
        f.setFileName(file);
        if (!f.open(QIODevice::ReadOnly))
            return false;
    }
    *text = QString::fromUtf8(f.readAll());
    return true;
}

// A stop signal or a transcript nobody reads overrides what the run reached.
int FinalStatus(int status)
{
    if (const int signal = stopsignals::Pending()) {
        std::fprintf(stderr, "kestrel-setup: stopped by signal %d; nothing more was saved\n",
                     signal);
        return stopsignals::ExitStatus(signal);
    }
    if (transcript::Broken() && status == 0)
        return 2;
    return status;
}

} // namespace

int CSetUpApp::InitInstance(const StartOptions& options)
{
    ClearSaveFailures();
    SetWorkstation(WorkstationContext());
    m_strArgPart2.clear();
    if (!options.argument.isEmpty())
        return RunRelocationMode(options);
    if (options.restore) {
        return backup::RestoreFromCommandLine(
            options.dir.isEmpty() ? QCoreApplication::applicationDirPath() : options.dir,
            options.restoreIndex);
    }
    profile::SetDryRun(options.dryRun);
    const int status = RunSettingsMode(options);
    profile::SetDryRun(false);
    return status;
}

int CSetUpApp::RunRelocationMode(const StartOptions& options)
{
    const QString argument = QString::fromLocal8Bit(options.argument);
    m_strAppDir = argument.section(QLatin1Char(';'), 0, 0);
    m_strArgPart2 = argument.section(QLatin1Char(';'), 1, 1);
    return RelocateFromCommandLine(options.database);
}

int CSetUpApp::RunSettingsMode(const StartOptions& options)
{
    QString dir = options.dir.isEmpty() ? QCoreApplication::applicationDirPath() : options.dir;
    dir = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    WorkstationContext workstation;
    workstation.folder = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    SetWorkstation(workstation);

    QString script;
    if (!options.scriptFile.isEmpty() && !ReadScript(options.scriptFile, &script)) {
        std::fprintf(stderr, "kestrel-setup: cannot read script %s\n",
                     qPrintable(options.scriptFile));
        return 2;
    }

    const QString iniPath = ThisWorkstation().FilePath(QStringLiteral("Kestrel.ini"));
    if (!QFileInfo(iniPath).isFile()) {
        AfxMessageBox(QStringLiteral("INI File not found, Software is now close"));
        return 1;
    }
    const QByteArray iniBytes = QFile::encodeName(iniPath);
    // The file is read-only outside the editor; it is protected again after
    // the run exactly when it was protected before it.
    const ReadOnlyLift lift(iniBytes);
    g_Ini.SetPath(iniBytes.constData());
    TakeRefusedWrites(); // an earlier run's in the same process are told already
    const int status = RunMainDialog(options, script);
    // Writes made outside a save are refused without a message box of their own.
    ReportRefusedWrites();
    return FinalStatus(status != 0 ? status : (AnySaveFailed() ? 1 : 0));
}

#pragma once

// The application object: chooses the run mode and runs it to its end.
#include <QByteArray>
#include <QString>
#include <QStringList>

struct StartOptions {
    QString dir;           // --dir: the workstation folder in place of the executable's
    QString scriptFile;    // --script FILE ("-" for standard input)
    bool headless = false; // --headless
    bool dryRun = false;   // --dry-run
    bool restore = false;  // --restore [N]: list the backups or put one back
    int restoreIndex = 0;  // N, counted from 1; 0 lists
    QString database;      // --database PATH (relocation mode)
    QByteArray argument;   // the plain argument: selects the relocation mode
    QString screenshots;   // --screenshots DIR: one picture per tab, then Cancel
};

class CSetUpApp
{
public:
    // Relocation mode: the two parts of the argument (the settings mode keeps
    // its folder in the workstation context).
    QString m_strAppDir;
    QString m_strArgPart2;

    // Runs the mode the options select; returns the process exit status.
    int InitInstance(const StartOptions& options);

private:
    int RunSettingsMode(const StartOptions& options);
    int RunRelocationMode(const StartOptions& options);
};

extern CSetUpApp theApp;

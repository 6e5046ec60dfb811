#pragma once

// Relocation of the image database: after the acquisition application's files
// or images have moved to other drives, rewrites the drive letter at the start
// of the paths stored in four columns of Kestrel.mdb. Runs without a window;
// failures are message boxes (transcript lines in scripted mode).
#include <QString>

class CGMDaoRecordset;

class CSetupDatabase
{
public:
    // Takes the database folder and the two new drives from the argument's
    // parts that start-up stored in theApp.
    CSetupDatabase();

    // The whole relocation.
    void OnChange();
    // Rewrites one column; true when the pass ran to the end of the table.
    bool ReplaceDriveLetter(const QString& strTable, const QString& strColumn,
                            CGMDaoRecordset& recordset, QChar cLetter);

    // 0 when every pass ran to its end, 1 after a failure message.
    int ExitStatus() const { return m_nExitStatus; }

    QString m_strMdbPath;
    QString m_strAppDrive;
    QString m_strDcmDrive;
    QString m_strStatus;

private:
    void ReportFailure(const QString& text);

    int m_nExitStatus = 0;
};

// Relocation mode entry, called by start-up after it has split the argument
// into theApp.m_strAppDir and theApp.m_strArgPart2. databaseOverride, when not
// empty, names the database file in place of the path built from the argument.
// Returns the process exit status.
int RelocateFromCommandLine(const QString& databaseOverride);

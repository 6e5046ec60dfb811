#pragma once

// Relocation of the image database: after the acquisition application's files
// or images have moved to other drives, rewrites the drive letter at the start
// of the paths stored in four columns of Kestrel.mdb. The relocation mode runs
// it without creating the window; failures are message boxes (transcript lines
// in scripted mode). As a dialog, its "Change" button runs the same routine.
#include "ui/Dialog.h"

#include <QString>

#include <memory>

namespace Ui {
class SetupDatabase;
}

class CGMDaoRecordset;

class CSetupDatabase : public CDialog
{
    Q_OBJECT

public:
    // Takes the database folder and the two new drives from the argument's
    // parts that start-up stored in theApp.
    explicit CSetupDatabase(QWidget* parent = nullptr);
    ~CSetupDatabase() override;

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

    // Takes the fields into the members, then closes.
    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    void ReportFailure(const QString& text);

    std::unique_ptr<Ui::SetupDatabase> m_ui;
    int m_nExitStatus = 0;
};

// Relocation mode entry, called by start-up after it has split the argument
// into theApp.m_strAppDir and theApp.m_strArgPart2. databaseOverride, when not
// empty, names the database file in place of the path built from the argument.
// Returns the process exit status.
int RelocateFromCommandLine(const QString& databaseOverride);

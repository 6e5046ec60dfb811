#pragma once

// "Restore backup": the copies kept of the workstation's files, newest first;
// a chosen copy shows the keys it would put back, and Restore puts it back as
// `--restore N` does. The dialog ends with IDOK only when a file was restored:
// the editor must then start again on the files as they now are.
#include "settings/Backup.h"
#include "ui/Dialog.h"

#include <QStringList>

#include <memory>

namespace Ui {
class RestoreBackupDlg;
}

class CRestoreBackupDlg : public CDialog
{
    Q_OBJECT

public:
    enum ControlId {
        IDC_RESTORE = 1,        // the dialog's OK
        IDC_CLOSE = 2,          // the dialog's Cancel
        IDC_BACKUPS = 1001,     // one line per copy, as `--restore` lists them
        IDC_DIFFERENCES = 1002, // change lines: present value -> the copy's
        IDC_NOTE = 1003,
    };

    explicit CRestoreBackupDlg(const QString& folder);
    ~CRestoreBackupDlg() override;

    // Restore: asks, then puts the chosen copy back.
    void OnOK() override;

    // Chooses a copy as the user's click does (screenshots).
    void ChooseBackup(int row);

    // The keys whose value the file would get from copy, as change lines:
    // the copy's keys in its order, then the keys only the file has.
    static QStringList Differences(const QString& folder, const backup::Entry& copy);

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    void OnSelchangeBackups();

    std::unique_ptr<Ui::RestoreBackupDlg> m_ui;
    QString m_folder;
    QVector<backup::Entry> m_copies;
};

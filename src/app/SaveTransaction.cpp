#include "app/SaveTransaction.h"

#include "app/SetUpApp.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ScriptDriver.h"

#include <QString>

bool RunSaveTransaction(const std::function<void()>& writes, QWidget* parent)
{
    profile::BeginTransaction();
    writes();
    // A script stopped by an error presses nothing: what its last action
    // would have written is dropped.
    if (ScriptDriver* driver = ScriptDriver::Current(); driver && driver->Aborted()) {
        profile::RollbackTransaction();
        return false;
    }
    const std::vector<profile::WriteFailure> failures = profile::CommitTransaction();
    for (const profile::WriteFailure& failure : failures) {
        AfxMessageBox(QStringLiteral("Could not save %1: %2")
                          .arg(QString::fromLocal8Bit(failure.path.c_str()),
                               QString::fromLocal8Bit(failure.reason.c_str())),
                      parent);
        theApp.m_nExitStatus = 1;
    }
    return failures.empty();
}

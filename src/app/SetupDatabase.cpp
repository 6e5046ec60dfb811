#include "app/SetupDatabase.h"
#include "ui_SetupDatabase.h"

#include "app/SetUpApp.h"
#include "database/DaoException.h"
#include "database/dbDatabase.h"
#include "ini/CodePage.h"
#include "ui/MessageBox.h"
#include "ui/Transcript.h"

#include <QProgressBar>

namespace {

struct RelocatedColumn {
    const char* table;
    const char* column;
    bool imageDrive; // the new letter comes from the image drive, else the application's
};

// In the order they are rewritten.
const RelocatedColumn kColumns[] = {
    {"tAPR", "APRImagePath", false},
    {"tEc", "LUT", false},
    {"tEc", "PAR", false},
    {"ImgInfo", "FullPath", true},
};

constexpr int kMdbPath = 1020;
constexpr int kAppDrive = 1019;
constexpr int kDcmDrive = 1018;
constexpr int kChange = 1021;
constexpr int kProgress = 1022;
constexpr int kStatus = 1023;

QString CollapseBackslashes(QString path)
{
    return path.replace(QLatin1String("\\\\"), QLatin1String("\\"));
}

bool IsDriveLetter(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

// Only an absolute path with a drive gets a new letter; network and relative
// paths keep theirs.
bool StartsWithDrive(const QString& path)
{
    return path.size() >= 2 && path.at(0).isLetter() && path.at(0).unicode() < 0x80 &&
           path.at(1) == QLatin1Char(':');
}

} // namespace

CSetupDatabase::CSetupDatabase(QWidget* parent)
    : CDialog(134, parent),
      m_strMdbPath(CollapseBackslashes(theApp.m_strAppDir + QLatin1String("\\Kestrel.mdb"))),
      m_strAppDrive(CollapseBackslashes(theApp.m_strAppDir + QLatin1String("\\"))),
      m_strDcmDrive(CollapseBackslashes(theApp.m_strArgPart2 + QLatin1String("\\"))),
      m_ui(std::make_unique<Ui::SetupDatabase>())
{
}

CSetupDatabase::~CSetupDatabase() = default;

void CSetupDatabase::SetupUi()
{
    m_ui->setupUi(this);
}

// Only when the window is created; the relocation mode never creates it.
bool CSetupDatabase::OnInitDialog()
{
    OnClicked(kChange, [this] { OnChange(); });
    SetDlgItemText(kMdbPath, ToCodePage(m_strMdbPath));
    SetDlgItemText(kAppDrive, ToCodePage(m_strAppDrive));
    SetDlgItemText(kDcmDrive, ToCodePage(m_strDcmDrive));
    SetDlgItemText(kStatus, ToCodePage(m_strStatus));
    // The relocation itself does not move the bar (a step of 1 is the bar's own).
    auto* progress = qobject_cast<QProgressBar*>(GetDlgItem(kProgress));
    progress->setRange(0, 100);
    progress->setValue(0);
    return true;
}

void CSetupDatabase::OnOK()
{
    m_strMdbPath = FromCodePage(GetDlgItemText(kMdbPath));
    m_strAppDrive = FromCodePage(GetDlgItemText(kAppDrive));
    m_strDcmDrive = FromCodePage(GetDlgItemText(kDcmDrive));
    CDialog::OnOK();
}

void CSetupDatabase::ReportFailure(const QString& text)
{
    m_nExitStatus = 1;
    AfxMessageBox(text, IsCreated() ? this : nullptr);
}

void CSetupDatabase::OnChange()
{
    m_strAppDrive = m_strAppDrive.toUpper();
    m_strDcmDrive = m_strDcmDrive.toUpper();
    if (m_strAppDrive.isEmpty() || !IsDriveLetter(m_strAppDrive.at(0))) {
        ReportFailure(QStringLiteral("APP Driver Letter Invalid"));
        m_strStatus.clear();
        return;
    }
    if (m_strDcmDrive.isEmpty() || !IsDriveLetter(m_strDcmDrive.at(0))) {
        ReportFailure(QStringLiteral("DCM Driver Letter Invalid"));
        m_strStatus.clear();
        return;
    }
    CdbDatabase recordset;
    recordset.SetDatabasePath(m_strMdbPath);
    try {
        recordset.OpenDatabase();
    } catch (const CDaoException& e) {
        ReportFailure(e.Message());
        return;
    }
    for (const RelocatedColumn& c : kColumns) {
        const QChar letter = (c.imageDrive ? m_strDcmDrive : m_strAppDrive).at(0);
        ReplaceDriveLetter(QLatin1String(c.table), QLatin1String(c.column), recordset, letter);
    }
    try {
        recordset.CloseDatabase();
    } catch (const CDaoException& e) {
        ReportFailure(e.Message());
    }
}

namespace {

// A pass stops at the first row it cannot change: the rows after it are
// left too, which the engineer must learn from the message, not only "the row".
QString StoppedPassText(QString message, const QString& table, const QString& column)
{
    static const QLatin1String rowLeft(" The row was left as it was.");
    const bool atRow = message.endsWith(rowLeft);
    if (atRow)
        message.chop(rowLeft.size());
    const QString pass = table + QLatin1Char('.') + column;
    if (atRow)
        return message + QStringLiteral(" The pass over %1 stopped at this row: it and the rows "
                                        "after it were left as they were.")
                             .arg(pass);
    return message + QStringLiteral(" The pass over %1 stopped there: the rows after it were "
                                    "left as they were.")
                         .arg(pass);
}

} // namespace

bool CSetupDatabase::ReplaceDriveLetter(const QString& strTable, const QString& strColumn,
                                        CGMDaoRecordset& recordset, QChar cLetter)
{
    recordset.Open(AFX_DAO_USE_DEFAULT_TYPE,
                   QStringLiteral("Select %1.[%2] FROM %1").arg(strTable, strColumn), 0);
    if (!recordset.IsOpen()) {
        ReportFailure(recordset.GetOpenError());
        return false;
    }
    try {
        qint64 rows = 0, changed = 0;
        while (!recordset.IsEOF()) {
            const std::optional<QString> value = recordset.GetFieldValue(strColumn);
            QString text = value.value_or(QString(QLatin1String("")));
            if (StartsWithDrive(text))
                text[0] = cLetter;
            recordset.Edit();
            recordset.SetFieldValue(strColumn, text);
            recordset.Update();
            changed += (!value || text != *value) ? 1 : 0;
            ++rows;
            recordset.MoveNext();
        }
        recordset.Close();
        if (transcript::Active())
            transcript::Line(
                QStringLiteral("relocated: %1.%2 rows=%3 changed=%4")
                    .arg(strTable, strColumn, QString::number(rows), QString::number(changed)));
        return true;
    } catch (const CDaoException& e) {
        ReportFailure(StoppedPassText(e.Message(), strTable, strColumn));
        try {
            recordset.Close();
        } catch (const CDaoException&) {
        }
        return false;
    }
}

int RelocateFromCommandLine(const QString& databaseOverride)
{
    CSetupDatabase relocation;
    if (!databaseOverride.isEmpty())
        relocation.m_strMdbPath = databaseOverride;
    relocation.OnChange();
    return relocation.ExitStatus();
}

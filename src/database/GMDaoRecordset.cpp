#include "database/GMDaoRecordset.h"

#include "database/DaoException.h"
#include "database/JetFile.h"
#include "database/JetTable.h"

#include <QRegularExpression>
#include <QThread>

namespace {

const QString kNoCurrentRecord = QStringLiteral("No current record.");
const QString kNotEditing = QStringLiteral("Update or CancelUpdate without AddNew or Edit.");

// A table name as a query writes it: bare, or in brackets.
const QString kName = QStringLiteral(R"((?:\[([^\]]+)\]|(\w+)))");

QString Captured(const QRegularExpressionMatch& m, int bracketed)
{
    const QString name = m.captured(bracketed);
    return name.isEmpty() ? m.captured(bracketed + 1) : name;
}

} // namespace

CGMDaoRecordset::CGMDaoRecordset() = default;

CGMDaoRecordset::~CGMDaoRecordset()
{
    try {
        Close();
    } catch (const CDaoException&) {
    }
    try {
        if (m_pDatabase)
            m_pDatabase->Commit();
    } catch (const CDaoException&) {
        // Nothing to report to; the database file stays as it was.
    }
}

void CGMDaoRecordset::SetDatabasePath(const QString& strPath)
{
    m_strDatabasePath = strPath;
}

QString CGMDaoRecordset::GetDefaultDBName()
{
    return m_strDatabasePath;
}

QString CGMDaoRecordset::GetDefaultSQL()
{
    return QString();
}

void CGMDaoRecordset::OpenDatabase()
{
    if (!m_pDatabase)
        m_pDatabase = jet::JetFile::Open(GetDefaultDBName());
}

void CGMDaoRecordset::CloseDatabase()
{
    Close();
    if (!m_pDatabase)
        return;
    const std::unique_ptr<jet::JetFile> database = std::move(m_pDatabase);
    database->Commit();
}

void CGMDaoRecordset::Open(int nOpenType, const QString& strSQL, int /*nOptions*/)
{
    m_strOpenError.clear();
    try {
        if (IsOpen()) {
            Close();
            QThread::msleep(100);
        }
        const int type = nOpenType == AFX_DAO_USE_DEFAULT_TYPE ? m_nDefaultType : nOpenType;
        OpenQuery(type, strSQL.isEmpty() ? GetDefaultSQL() : strSQL);
    } catch (const CDaoException& e) {
        m_strOpenError = e.Message();
        m_pTable.reset();
        m_bOpen = false;
        m_bEOF = true;
    }
}

void CGMDaoRecordset::OpenQuery(int nOpenType, const QString& strSQL)
{
    static const QRegularExpression select(
        QStringLiteral(R"(^\s*select\s+%1\s*\.\s*\[([^\]]+)\]\s+from\s+%1\s*;?\s*$)").arg(kName),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tableList(
        QStringLiteral(R"(^\s*\[[^\]]+\](\s*,\s*\[[^\]]+\])*\s*$)"));
    OpenDatabase();
    if (tableList.match(strSQL).hasMatch()) {
        OpenTableList(strSQL);
    } else {
        const QRegularExpressionMatch m = select.match(strSQL);
        const QString table = Captured(m, 1);
        if (!m.hasMatch() || table.compare(Captured(m, 4), Qt::CaseInsensitive) != 0)
            throw CDaoException(QStringLiteral("The query \"%1\" is not supported: only "
                                               "Select TABLE.[COLUMN] FROM TABLE is.")
                                    .arg(strSQL));
        auto pTable = std::make_unique<jet::JetTable>(*m_pDatabase, table);
        m_nColumn = pTable->FindColumn(m.captured(3));
        if (m_nColumn < 0)
            throw CDaoException(QStringLiteral("The table %1 of the database %2 has no column %3.")
                                    .arg(table, m_pDatabase->DisplayPath(), m.captured(3)));
        m_strColumn = pTable->Definition().columns[size_t(m_nColumn)].name;
        m_bEOF = !pTable->Next();
        m_pTable = std::move(pTable);
    }
    m_nOpenType = nOpenType;
    m_bOpen = true;
}

// The default query lists every table; rows over all of them at once would be
// their cross product, which this layer does not build. It is empty as soon as
// one table is, which is the one case answered.
void CGMDaoRecordset::OpenTableList(const QString& strSQL)
{
    static const QRegularExpression name(QStringLiteral(R"(\[([^\]]+)\])"));
    bool empty = false;
    for (const QRegularExpressionMatch& m : name.globalMatch(strSQL)) {
        jet::JetTable table(*m_pDatabase, m.captured(1));
        empty = empty || !table.Next();
    }
    if (!empty)
        throw CDaoException(QStringLiteral("Reading rows over several tables at once is not "
                                           "supported."));
    m_nColumn = -1;
    m_strColumn.clear();
    m_bEOF = true;
}

void CGMDaoRecordset::Close()
{
    if (!m_bOpen)
        return;
    m_bOpen = false;
    m_bEOF = true;
    m_bEditing = false;
    m_pendingValue.reset();
    const std::unique_ptr<jet::JetTable> table = std::move(m_pTable);
    if (table)
        table->Flush();
}

void CGMDaoRecordset::RequireCurrentRow() const
{
    if (IsEOF())
        throw CDaoException(kNoCurrentRecord);
}

void CGMDaoRecordset::RequireField(const QString& strName) const
{
    if (m_nColumn < 0 || strName.compare(m_strColumn, Qt::CaseInsensitive) != 0)
        throw CDaoException(QStringLiteral("The recordset has no field %1.").arg(strName));
}

void CGMDaoRecordset::MoveNext()
{
    RequireCurrentRow();
    m_bEditing = false; // moving away drops an unsaved edit, as in DAO
    m_pendingValue.reset();
    m_bEOF = !m_pTable->Next();
}

void CGMDaoRecordset::Move(long lRows)
{
    if (lRows < 0)
        throw CDaoException(QStringLiteral("Moving backwards is not supported: the recordset "
                                           "only moves forward."));
    for (long i = 0; i < lRows; ++i)
        MoveNext();
}

std::optional<QString> CGMDaoRecordset::GetFieldValue(const QString& strName)
{
    RequireCurrentRow();
    RequireField(strName);
    if (m_bEditing && m_pendingValue)
        return m_pendingValue;
    return m_pTable->Value(m_nColumn);
}

void CGMDaoRecordset::SetFieldValue(const QString& strName, const QString& strValue)
{
    if (!m_bEditing)
        throw CDaoException(kNotEditing);
    RequireField(strName);
    m_pendingValue = strValue;
}

void CGMDaoRecordset::Edit()
{
    RequireCurrentRow();
    if (m_nOpenType == dbOpenSnapshot)
        throw CDaoException(QStringLiteral("Database or object is read-only."));
    m_bEditing = true;
    m_pendingValue.reset();
}

void CGMDaoRecordset::Update()
{
    if (!m_bEditing)
        throw CDaoException(kNotEditing);
    if (m_pendingValue)
        m_pTable->Store(m_nColumn, *m_pendingValue); // on failure the edit stays pending
    m_bEditing = false;
    m_pendingValue.reset();
}

void CGMDaoRecordset::CancelUpdate()
{
    m_bEditing = false;
    m_pendingValue.reset();
}

void CGMDaoRecordset::NotSupported(const char* operation)
{
    throw CDaoException(QStringLiteral("%1 is not supported: this program only walks rows and "
                                       "changes values in place.")
                            .arg(QLatin1String(operation)));
}

bool CGMDaoRecordset::Find(int, const QString&)
{
    NotSupported("Find");
}
void CGMDaoRecordset::AddNew()
{
    NotSupported("AddNew");
}
void CGMDaoRecordset::Delete()
{
    NotSupported("Delete");
}
void CGMDaoRecordset::Requery()
{
    NotSupported("Requery");
}
void CGMDaoRecordset::ExecuteSql(const QString&, int)
{
    NotSupported("ExecuteSql");
}

#include "database/GMDaoRecordset.h"

#include "database/DaoException.h"
#include "database/JetFile.h"
#include "database/JetIndex.h"
#include "database/JetTable.h"

#include <QRegularExpression>
#include <QThread>

#include <exception>

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

// A change noted for a row of an indexed column: the stored value keeps its
// first keepFront and last keepBack characters, between them come length
// characters of m_strPendingText.
struct CGMDaoRecordset::PendingChange {
    uint32_t page;
    int slot;
    qsizetype keepFront, keepBack;
    qsizetype textStart, length;
};

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
        auto pIndexes =
            std::make_unique<jet::IndexKeeper>(*m_pDatabase, pTable->Definition(), m_nColumn);
        m_pIndexes = pIndexes->Empty() ? nullptr : std::move(pIndexes);
        m_bIndexRefused = false;
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
    const bool bAtEnd = m_bEOF;
    m_bOpen = false;
    m_bEOF = true;
    m_bEditing = false;
    m_pendingValue.reset();
    std::exception_ptr error;
    try {
        if (m_pIndexes && m_pTable)
            FinishIndexedPass(bAtEnd);
    } catch (const CDaoException&) {
        error = std::current_exception();
    }
    m_pIndexes.reset();
    m_pending = {};
    m_strPendingText = QString();
    const std::unique_ptr<jet::JetTable> table = std::move(m_pTable);
    if (table && !error)
        table->Flush();
    if (error)
        std::rethrow_exception(error);
}

// The rest of the rows join the indexes with the values they keep; no index
// may then hold a key twice where it must not. Only then are the noted
// changes stored, and the indexes written from the rows as they now are.
void CGMDaoRecordset::FinishIndexedPass(bool bAtEnd)
{
    if (m_bIndexRefused || m_pending.empty())
        return; // nothing changed: the indexes are as they were
    jet::JetTable& table = *m_pTable;
    if (!bAtEnd) {
        AddIndexEntries();
        while (table.Next())
            m_pIndexes->AddRow(table, table.Value(m_nColumn));
    }
    qint64 nFirst = 0, nSecond = 0;
    QString strIndex;
    if (m_pIndexes->FindDuplicate(nFirst, nSecond, strIndex))
        throw CDaoException(DuplicateMessage(nFirst, nSecond, strIndex));
    std::optional<CDaoException> failure;
    try {
        StorePendingChanges();
    } catch (const CDaoException& e) {
        failure = e; // the rows stored so far stay so; the indexes follow them
        m_pIndexes->Clear();
        table.Rewind();
        while (table.Next())
            m_pIndexes->AddRow(table, table.Value(m_nColumn));
    }
    m_pIndexes->Write();
    table.Flush();
    if (failure)
        throw *failure;
}

void CGMDaoRecordset::StorePendingChanges()
{
    jet::JetTable& table = *m_pTable;
    table.Rewind();
    for (size_t i = 0; i < m_pending.size() && table.Next();) {
        const PendingChange& change = m_pending[i];
        if (table.RowPage() != change.page || table.RowSlot() != change.slot)
            continue;
        const QString stored = table.Value(m_nColumn).value_or(QString());
        table.Store(m_nColumn, stored.left(change.keepFront) +
                                   m_strPendingText.mid(change.textStart, change.length) +
                                   stored.right(change.keepBack));
        ++i;
    }
}

// The message for two rows that a unique index would give the same key.
QString CGMDaoRecordset::DuplicateMessage(qint64 nFirst, qint64 nRow, const QString& strIndex)
{
    jet::JetTable& table = *m_pTable;
    table.Rewind();
    while (table.Next() && table.RowOrdinal() < nRow) {
    }
    size_t i = 0;
    while (i < m_pending.size() &&
           (m_pending[i].page != table.RowPage() || m_pending[i].slot != table.RowSlot()))
        ++i;
    const std::optional<QString> stored = table.Value(m_nColumn);
    QString value = stored.value_or(QString());
    if (i < m_pending.size())
        value = value.left(m_pending[i].keepFront) +
                m_strPendingText.mid(m_pending[i].textStart, m_pending[i].length) +
                value.right(m_pending[i].keepBack);
    return QStringLiteral("Cannot change %1.%2: its unique index %3 would hold the value "
                          "\"%4\" twice (rows %5 and %6). No row was changed.")
        .arg(table.Definition().name, m_strColumn, strIndex, value, QString::number(nFirst),
             QString::number(nRow));
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
    if (m_pIndexes)
        AddIndexEntries();
    m_bEOF = !m_pTable->Next();
}

// The value the current row will have once the noted changes are stored.
std::optional<QString> CGMDaoRecordset::PlannedValue()
{
    const std::optional<QString> stored = m_pTable->Value(m_nColumn);
    if (m_pending.empty() || m_pending.back().page != m_pTable->RowPage() ||
        m_pending.back().slot != m_pTable->RowSlot())
        return stored;
    const PendingChange& change = m_pending.back();
    const QString text = stored.value_or(QString());
    return text.left(change.keepFront) + m_strPendingText.mid(change.textStart, change.length) +
           text.right(change.keepBack);
}

void CGMDaoRecordset::AddIndexEntries()
{
    try {
        m_pIndexes->AddRow(*m_pTable, PlannedValue());
    } catch (const CDaoException&) {
        m_bIndexRefused = true; // the pass stops before any row changed
        throw;
    }
}

// Notes the change instead of storing it (see the class comment). Only what
// differs from the stored value is kept, so a pass over many rows holds
// little: a new drive letter is one character.
void CGMDaoRecordset::NoteChange(const QString& strValue)
{
    const std::optional<QString> stored = m_pTable->Value(m_nColumn);
    if (!m_pending.empty() && m_pending.back().page == m_pTable->RowPage() &&
        m_pending.back().slot == m_pTable->RowSlot())
        m_pending.pop_back(); // a second Update of the row replaces the first
    if (stored && *stored == strValue)
        return;
    const QString old = stored.value_or(QString());
    qsizetype front = 0, back = 0;
    const qsizetype shorter = std::min(old.size(), strValue.size());
    while (stored && front < shorter && old.at(front) == strValue.at(front))
        ++front;
    while (stored && back < shorter - front &&
           old.at(old.size() - 1 - back) == strValue.at(strValue.size() - 1 - back))
        ++back;
    const qsizetype length = strValue.size() - front - back;
    m_pending.push_back(
        {m_pTable->RowPage(), m_pTable->RowSlot(), front, back, m_strPendingText.size(), length});
    m_strPendingText += strValue.mid(front, length);
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
    if (m_pendingValue && m_pIndexes)
        NoteChange(*m_pendingValue);
    else if (m_pendingValue)
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

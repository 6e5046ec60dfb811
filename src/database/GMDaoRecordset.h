#pragma once

// A recordset over one Access database file. It knows the file's path and,
// opened without a database object, opens (and owns) its own connection to
// that file, which stays open until the recordset is destroyed.
//
// The database layer is mdbtools plus in-place patching (JetFile, JetTable),
// so the recordset offers what the relocation needs: a query of one column of
// one table, a forward walk over the rows, and in-place changes of a text
// column by name. Operations beyond that raise a database error rather than
// pretend. Errors are CDaoException.
//
// A column that indexes cover is changed as a whole when the recordset
// closes: Update only notes the new value, so that before any row changes
// every index is known to take the new values (a character its sort order
// cannot place, a key a unique index would hold twice, refuse the column);
// then the rows are stored and the indexes written anew.
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace jet {
class IndexKeeper;
class JetFile;
class JetTable;
} // namespace jet

// DAO open types; -1 stands for the recordset's default type.
enum { dbOpenTable = 1, dbOpenDynaset = 2, dbOpenSnapshot = 4 };
constexpr int AFX_DAO_USE_DEFAULT_TYPE = -1;

class CGMDaoRecordset
{
public:
    CGMDaoRecordset();
    virtual ~CGMDaoRecordset();

    CGMDaoRecordset(const CGMDaoRecordset&) = delete;
    CGMDaoRecordset& operator=(const CGMDaoRecordset&) = delete;

    // Closes first (with a 100 ms pause) when open. The query is either
    // "Select TABLE.[COLUMN] FROM TABLE" or a list of bracketed table names
    // (empty: the default query). Errors are not raised: the recordset stays
    // closed and GetOpenError tells why.
    virtual void Open(int nOpenType = AFX_DAO_USE_DEFAULT_TYPE, const QString& strSQL = QString(),
                      int nOptions = 0);
    virtual void Close();
    virtual void Move(long lRows); // forward only
    virtual bool Find(int nFindType, const QString& strFilter);
    virtual void AddNew();
    virtual void Edit();
    virtual void Update();
    virtual void Delete();
    virtual void CancelUpdate();
    virtual void Requery();
    virtual QString GetDefaultDBName();
    virtual QString GetDefaultSQL();
    virtual void ExecuteSql(const QString& strStatement, int nOptions);

    void SetDatabasePath(const QString& strPath);
    bool IsOpen() const { return m_bOpen; }
    bool IsEOF() const { return !m_bOpen || m_bEOF; }
    void MoveNext();

    // The current row's value of the column: its text, or no value for NULL.
    std::optional<QString> GetFieldValue(const QString& strName);
    void SetFieldValue(const QString& strName, const QString& strValue);

    // Why the last Open left the recordset closed; empty after a good open.
    const QString& GetOpenError() const { return m_strOpenError; }
    // Opens the connection now, so that a database that cannot be opened is
    // reported before any table is touched.
    void OpenDatabase();
    // Closes the recordset and the connection, making every change durable
    // (the database is replaced as a whole). Raises when that fails.
    void CloseDatabase();

protected:
    int m_nDefaultType = dbOpenDynaset;
    QString m_strDatabasePath;

private:
    void OpenQuery(int nOpenType, const QString& strSQL);
    void OpenTableList(const QString& strSQL);
    struct PendingChange;
    void RequireCurrentRow() const;
    void NoteChange(const QString& strValue);
    std::optional<QString> PlannedValue();
    void AddIndexEntries();
    void FinishIndexedPass(bool bAtEnd);
    void StorePendingChanges();
    QString DuplicateMessage(qint64 nFirst, qint64 nRow, const QString& strIndex);
    void RequireField(const QString& strName) const;
    [[noreturn]] static void NotSupported(const char* operation);

    std::unique_ptr<jet::JetFile> m_pDatabase;
    std::unique_ptr<jet::JetTable> m_pTable;
    std::unique_ptr<jet::IndexKeeper> m_pIndexes; // of the column, when indexed
    std::vector<PendingChange> m_pending;         // in row order
    QString m_strPendingText;                     // their new characters
    bool m_bIndexRefused = false;
    int m_nColumn = -1;
    QString m_strColumn;
    QString m_strOpenError;
    int m_nOpenType = dbOpenDynaset;
    bool m_bOpen = false;
    bool m_bEOF = true;
    bool m_bEditing = false;
    std::optional<QString> m_pendingValue;
};

#pragma once

// One Access (Jet 3 or Jet 4) database file opened for changes in place.
//
// Pages are read from the file itself until the first change. The first page
// written makes a working copy beside the file; every later read and write goes
// to the copy, and Commit flushes it and renames it over the original. A crash
// or power loss at any moment therefore leaves either the old or the new
// database, never a mixture; an uncommitted copy is removed on destruction.
//
// mdbtools' libmdb reads the table definitions; rows, the catalog's included,
// are read and patched by JetTable on the pages this class hands out.
#include "database/JetText.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace jet {

// Column types, as Jet stores them.
enum ColumnType {
    kByte = 0x02,
    kInteger = 0x03,
    kLong = 0x04,
    kText = 0x0A,
    kMemo = 0x0C,
};

struct ColumnDef {
    QString name;
    int type = 0;
    int number = 0;                // bit in the row's null mask; deleted columns keep theirs
    bool fixed = false;            // stored in the row's fixed area
    int fixedOffset = 0;           // in the fixed area
    int fixedOrdinal = 0;          // place among the fixed columns
    int varIndex = 0;              // entry in the row's table of variable-length values
    int size = 0;                  // bytes (fixed) or the most a value may hold
    bool indexed = false;          // part of an index
    bool compressed = false;       // Jet 4 text that may be stored compressed
    uint32_t longValueMap = 0;     // a memo's usage map of its long-value pages (row pointer)
    uint32_t longValueFreeMap = 0; // and of those with room; 0 when it has none
};

struct TableDef {
    QString name;
    uint32_t definitionPage = 0;
    int varColumns = 0;
    int maxColumns = 0;            // columns a row may store, deleted ones included
    uint32_t ownedMap = 0;         // row pointers (page << 8 | row) to the usage maps
    uint32_t freeMap = 0;          // of the pages it owns and of those with room
    std::vector<uint8_t> usageMap; // the map of the pages the table owns
    std::vector<ColumnDef> columns;
};

class JetFile
{
public:
    // Opens path; throws CDaoException naming the file when it is in use by
    // the acquisition application, cannot be read, is empty, not a Jet 3 or
    // Jet 4 database, encoded or cut short, or when its folder lacks the room
    // for a copy.
    static std::unique_ptr<JetFile> Open(const QString& path);
    ~JetFile();

    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    const QString& Path() const { return m_path; }
    QString DisplayPath() const;
    int PageSize() const { return m_pageSize; }
    bool IsJet3() const { return m_jet3; }
    TextFormat Format() const { return m_format; }

    bool HasTable(const QString& name) const;
    QStringList TableNames() const;                // every table of the catalog, system tables too
    TableDef ReadTable(const QString& name) const; // throws when absent or damaged

    void ReadPage(uint32_t page, uint8_t* buffer) const;
    void WritePage(uint32_t page, const uint8_t* buffer);
    uint32_t PageCount() const; // of the working copy once there is one
    // Adds a page with these bytes at the end of the working copy and marks it
    // used in the database's map of free pages; returns its number.
    uint32_t AppendPage(const uint8_t* buffer);

    // Something read showed the file to be damaged: changes are then never
    // saved, since a damaged file is not the one the acquisition application
    // wrote, and a copy of it would pass for a repaired one.
    void NoteDamage() const { m_damaged = true; }
    bool IsDamaged() const { return m_damaged; }

    bool IsChanged() const { return m_onCopy; }
    // Makes the changes durable; without changes it does nothing. Throws and
    // leaves the original as it was when any write failed or the file was
    // found damaged.
    void Commit();

private:
    struct Session;
    struct CatalogEntry {
        QString name;
        uint32_t definitionPage;
    };
    explicit JetFile(const QString& path);

    void OpenSession();
    void ReadCatalog();
    const CatalogEntry* FindTable(const QString& name) const;
    TableDef ReadDefinition(const QString& name, uint32_t page) const;
    void CheckRoomForCopy(qint64 size) const;
    void MakeWorkingCopy();
    void MarkPageUsed(uint32_t page);
    [[noreturn]] void Fail(const QString& what, int error);

    // Who the file was when opened: the copy replaces only that file.
    struct Identity {
        qint64 inode = 0, size = 0, modified = 0;
        bool operator==(const Identity& o) const
        {
            return inode == o.inode && size == o.size && modified == o.modified;
        }
    };
    static Identity IdentityOf(const QString& path);

    QString m_path;
    QString m_copyPath;
    Identity m_identity;
    std::unique_ptr<Session> m_session;
    std::vector<CatalogEntry> m_catalog; // the tables
    int m_fd = -1;
    int m_pageSize = 0;
    bool m_jet3 = false;
    TextFormat m_format = TextFormat::Jet4;
    bool m_onCopy = false;
    bool m_failed = false;
    mutable bool m_damaged = false;
    bool m_committed = false;
};

} // namespace jet

#pragma once

// The indexes of a table, as its definition describes them, and the writer
// that rebuilds an index's pages from the rows.
//
// An index is a B-tree of pages: leaf pages hold one entry per row, in key
// order, each the row's key followed by the row's home page and row number;
// node pages hold the last entry of each child page and the child's number.
// Keys sort as bytes: per column a flag (NULL or not, inverted for descending
// columns) and the value's encoding (texts in the column's collation, see
// JetSortKey.h; numbers big-endian with the sign bit turned).
//
// IndexKeeper keeps the indexes covering one column in step with a pass that
// changes that column: it collects every row's new entries first, so that a
// value no index can hold is refused before any row changes, and afterwards
// writes the indexes' pages anew.
#include "database/JetFile.h"
#include "database/JetSortKey.h"

#include <optional>
#include <unordered_map>

namespace jet {

class JetTable;

struct IndexColumn {
    int number = 0;  // the column's number in the table definition
    int column = -1; // its place in TableDef::columns
    int type = 0;
    bool ascending = true;
    SortOrder order = SortOrder::Unknown; // texts
};

struct IndexDef {
    QString name; // of the first logical index using it
    int number = 0;
    std::vector<IndexColumn> columns;
    uint32_t rootPage = 0;
    uint32_t pageMap = 0; // row pointer (page << 8 | row) to the map of its pages; 0: none
    uint8_t flags = 0;
    bool primary = false;
    int uniqueCountOffset = 0; // in the definition's first page

    bool Unique() const { return primary || (flags & 0x01); }
    bool IgnoresNulls() const { return flags & 0x02; }
    bool Covers(int column) const;
};

// The table's physical indexes; throws when the definition is damaged.
std::vector<IndexDef> ReadIndexes(const JetFile& file, const TableDef& table);

// Entries of one index: their keys, side by side, and the rows they name.
class IndexEntries
{
public:
    void Add(const std::vector<uint8_t>& key, uint32_t page, int slot, qint64 ordinal);
    size_t Size() const { return m_rows.size(); }
    void Clear();
    void Sort();
    // After Sort: the first pair of neighbours with the same key (not NULL),
    // as positions; -1 when none.
    std::pair<long, long> FindDuplicate(const IndexDef& index) const;
    qint64 Ordinal(size_t i) const { return m_ordinals[At(i)]; }
    size_t DistinctKeys() const; // after Sort

    // The i-th entry: in key order after Sort, else in the order added.
    const uint8_t* Key(size_t i) const { return m_bytes.data() + m_starts[At(i)]; }
    int KeySize(size_t i) const;
    uint32_t RowId(size_t i) const { return m_rows[At(i)]; } // page << 8 | row

private:
    size_t At(size_t i) const { return m_order.empty() ? i : m_order[i]; }

    std::vector<uint8_t> m_bytes;
    std::vector<size_t> m_starts;
    std::vector<uint32_t> m_rows;
    std::vector<uint32_t> m_ordinals;
    std::vector<uint32_t> m_order;
};

// Writes an index's pages from its sorted entries: the root stays where the
// definition says, the index's other pages are used again, and pages are
// added to the file when they do not suffice. Also sets the count of
// distinct keys the definition keeps.
void WriteIndex(JetFile& file, const TableDef& table, const IndexDef& index,
                const IndexEntries& entries);

class IndexKeeper
{
public:
    // The indexes of table that cover column (its place in the definition).
    IndexKeeper(JetFile& file, const TableDef& table, int column);

    bool Empty() const { return m_indexes.empty(); }

    // Adds the entries of the table's current row, value standing for the
    // covered column's value. Throws a CDaoException naming the character
    // when a text has one no index can place, or naming the column when an
    // index combines it with a column of a type this program cannot key.
    void AddRow(JetTable& table, const std::optional<QString>& value);
    // Whether a unique index would hold a key twice; if so, which index and
    // the numbers of two rows with that key.
    bool FindDuplicate(qint64& first, qint64& second, QString& index);
    void Write(); // every index anew from the entries added
    void Clear();

    const std::vector<IndexDef>& Indexes() const { return m_indexes; }
    const IndexEntries& Entries(size_t i) const { return m_entries[i]; }

private:
    bool UseStoredKey(size_t index, JetTable& table, const std::optional<QString>& value);

    JetFile& m_file;
    TableDef m_table;
    int m_column;
    std::vector<IndexDef> m_indexes;
    // The keys the indexes hold now, by row: read only when a row that keeps
    // its value has a character this program cannot place.
    std::vector<std::unordered_map<uint32_t, std::vector<uint8_t>>> m_storedKeys;
    std::vector<IndexEntries> m_entries;
    std::vector<uint8_t> m_key;
};

} // namespace jet

#pragma once

// Checks that a database's indexes agree with its rows, with a reader that is
// not the program's: libmdb reads the table and index definitions, the rows,
// and walks each index's entries in order (mdb_index_find_next).
//
// For every index: one entry per row, each pointing at a live row (its home
// slot, where a moved row leaves its forwarding pointer); entries in strictly
// ascending order; every node entry naming the last entry of its child page;
// and each entry's key made from the row's current value.
//
// libmdb encodes only part of the text sort order (ASCII letters, digits and
// a few signs; see kPlaceable in the .cpp). A text key is compared with
// libmdb's encoding up to the first character it cannot place; past that
// only structurally: rows with the same value must have the same key, and
// rows with the same key the same value up to case. Long integer keys are
// compared whole; keys of other types and of several columns structurally.
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace mdbcheck {

struct IndexResult {
    QString table;
    QString index;
    qint64 rows = 0;    // live rows of the table
    qint64 entries = 0; // entries libmdb's walk found
    qint64 whole = 0;   // keys compared whole with the value's encoding
    qint64 prefix = 0;  // compared up to a character libmdb cannot place
    qint64 structural = 0;
    QStringList problems;

    bool Ok() const { return problems.isEmpty(); }
};

// The indexes of one table, or of every user table (system tables left out).
std::vector<IndexResult> CheckTable(const QString& file, const QString& table);
std::vector<IndexResult> CheckFile(const QString& file);

// Every live row of a table as libmdb reads it (a moved row at its home
// slot), with NULL as no value, which mdb-export cannot show; the user tables.
std::vector<std::vector<std::optional<QString>>> ReadRows(const QString& file,
                                                          const QString& table);
QStringList UserTables(const QString& file);

// One line per index, with its problems: for test failure messages.
QString Describe(const std::vector<IndexResult>& results);
bool AllOk(const std::vector<IndexResult>& results);

} // namespace mdbcheck

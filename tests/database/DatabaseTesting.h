#pragma once

// Helpers of the database tests: reading a table back through mdb-export and
// through the program's own reader, and running the relocation in process.
#include "support/Jet4Writer.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace dbtest {

// mdb-export's view of a table: one list of fields per row, as text. It shows
// NULL and an empty text alike.
std::vector<QStringList> Export(const QString& file, const QString& table);

// The program's own reader: NULL is no value.
std::vector<std::optional<QString>> ReadColumn(const QString& file, const QString& table,
                                               const QString& column);

// The folder of the real Access files, or empty when it is absent.
QString AccessFilesFolder();

// Copies a file into folder; returns the copy's path.
QString CopyInto(const QString& file, const QString& folder, const QString& name = QString());

// Makes the indexes of a copy's table cover no column, so that its indexed
// text columns can be changed in place (mdb-export does not read indexes).
void ForgetIndexColumns(const QString& file, const QString& table);

struct RunResult {
    int exitStatus = -1;
    QString transcript;
};

// The relocation mode as start-up runs it: the argument split at ";" into
// theApp's two parts, then the relocation with database as the file.
RunResult Relocate(const QString& argument, const QString& database);

// A table of the acquisition application's database with an ID column and
// the given text columns, one row per list of values.
jet4::TableData KestrelTable(const QString& name, const QStringList& columns,
                             const std::vector<std::vector<jet4::Value>>& rows);

} // namespace dbtest

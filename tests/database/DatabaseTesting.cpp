#include "database/DatabaseTesting.h"

#include "app/SetUpApp.h"
#include "database/JetFile.h"
#include "database/JetTable.h"
#include "app/SetupDatabase.h"
#include "ui/Transcript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <mdbtools.h>

namespace dbtest {

std::vector<QStringList> Export(const QString& file, const QString& table)
{
    QProcess p;
    // Delimiters no test value holds (the real files hold every control character).
    const QString field = QStringLiteral("<|F|>"), row = QStringLiteral("<|R|>");
    p.start(QStringLiteral("mdb-export"),
            {QStringLiteral("-H"), QStringLiteral("-Q"), QStringLiteral("-d"), field,
             QStringLiteral("-R"), row, file, table});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "mdb-export " << file.toStdString() << " " << table.toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    std::vector<QStringList> rows;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& line : out.split(row, Qt::SkipEmptyParts))
        rows.push_back(line.split(field));
    return rows;
}

std::vector<std::optional<QString>> ReadColumn(const QString& file, const QString& table,
                                               const QString& column)
{
    const auto db = jet::JetFile::Open(file);
    jet::JetTable t(*db, table);
    const int c = t.FindColumn(column);
    EXPECT_GE(c, 0) << column.toStdString();
    std::vector<std::optional<QString>> values;
    while (c >= 0 && t.Next())
        values.push_back(t.Value(c));
    return values;
}

QString AccessFilesFolder()
{
    const QString folder = QStringLiteral(KESTREL_SHARED_TESTDATA "/access");
    return QFileInfo(folder).isDir() ? folder : QString();
}

QString CopyInto(const QString& file, const QString& folder, const QString& name)
{
    const QString copy =
        folder + QLatin1Char('/') + (name.isEmpty() ? QFileInfo(file).fileName() : name);
    QFile::remove(copy);
    EXPECT_TRUE(QFile::copy(file, copy)) << file.toStdString();
    QFile(copy).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return copy;
}

RunResult Relocate(const QString& argument, const QString& database)
{
    theApp.m_strAppDir = argument.section(QLatin1Char(';'), 0, 0);
    theApp.m_strArgPart2 = argument.section(QLatin1Char(';'), 1, 1);
    RunResult result;
    transcript::SetActive(true);
    transcript::SetSink(&result.transcript);
    result.exitStatus = RelocateFromCommandLine(database);
    transcript::SetSink(nullptr);
    transcript::SetActive(false);
    return result;
}

void ForgetIndexColumns(const QString& file, const QString& table)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    ASSERT_TRUE(mdb);
    mdb_read_catalog(mdb, MDB_TABLE);
    QByteArray name = table.toUtf8();
    MdbTableDef* t = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    ASSERT_TRUE(t && mdb_read_columns(t));
    const bool jet3 = IS_JET3(mdb);
    const qint64 pageSize = mdb->fmt->pg_size;
    const qint64 page = qint64(t->entry->table_pg);
    const int indexes = int(t->num_real_idxs);
    const int start = t->index_start;
    mdb_free_tabledef(t);
    mdb_close(mdb);

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(page * pageSize);
    QByteArray definition = f.read(pageSize);
    ASSERT_EQ(definition.mid(4, 4), QByteArray(4, 0)) << "a definition on one page";
    for (int i = 0; i < indexes; ++i) {
        const int base = start + i * (jet3 ? 39 : 52) + (jet3 ? 0 : 4);
        for (int k = 0; k < 10; ++k)
            definition.replace(base + 3 * k, 2, QByteArray(2, char(0xFF)));
    }
    f.seek(page * pageSize);
    f.write(definition);
}

jet4::TableData KestrelTable(const QString& name, const QStringList& columns,
                             const std::vector<std::vector<jet4::Value>>& rows)
{
    jet4::TableData t;
    t.name = name;
    t.columns.push_back({QStringLiteral("ID"), jet4::Type::Long});
    for (const QString& c : columns)
        t.columns.push_back({c, jet4::Type::Text});
    int id = 1;
    for (const auto& values : rows) {
        std::vector<jet4::Value> row{id++};
        row.insert(row.end(), values.begin(), values.end());
        t.rows.push_back(row);
    }
    return t;
}

} // namespace dbtest

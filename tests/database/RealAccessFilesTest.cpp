// Reading and changing values in databases made by Microsoft Access itself,
// checked against mdb-export, with their indexes checked by the libmdb-based
// checker.
#include "database/DatabaseTesting.h"
#include "support/MdbIndexCheck.h"

#include "database/DaoException.h"
#include "database/dbDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Case {
    const char* file;
    const char* table;
    const char* column;
    bool indexed = false;
    // Holds characters beyond the code page that the index's sort order is
    // not known to place: the change is refused as a whole.
    bool refused = false;
};

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The first character made Z, as a relocation makes it the new drive letter.
QString WithNewFirstCharacter(const QString& value)
{
    return value.isEmpty() ? value : QLatin1Char('Z') + value.mid(1);
}

class RealAccessFiles : public testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        const QString folder = dbtest::AccessFilesFolder();
        if (folder.isEmpty())
            GTEST_SKIP() << "real Access files not found in " KESTREL_SHARED_TESTDATA
                            "/access; skipped";
        m_db = dbtest::CopyInto(folder + QLatin1Char('/') + QLatin1String(GetParam().file),
                                m_dir.path());
    }

    QString Query() const
    {
        return QStringLiteral("Select %1.[%2] FROM %1")
            .arg(QLatin1String(GetParam().table), QLatin1String(GetParam().column));
    }

    QTemporaryDir m_dir;
    QString m_db;
};

// The column's place among mdb-export's fields: the reader keeps libmdb's order.
int FieldOf(const QString& db, const Case& c)
{
    const std::vector<std::optional<QString>> values =
        dbtest::ReadColumn(db, QLatin1String(c.table), QLatin1String(c.column));
    const std::vector<QStringList> rows = dbtest::Export(db, QLatin1String(c.table));
    if (rows.empty() || rows.size() != values.size())
        return -1;
    for (int field = 0; field < rows[0].size(); ++field) {
        bool all = true;
        for (size_t r = 0; r < rows.size() && all; ++r)
            all = rows[r].value(field) == values[r].value_or(QString());
        if (all)
            return field;
    }
    return -1;
}

} // namespace

TEST_P(RealAccessFiles, ReadsEveryValueAsMdbExportDoes)
{
    const Case c = GetParam();
    const std::vector<std::optional<QString>> values =
        dbtest::ReadColumn(m_db, QLatin1String(c.table), QLatin1String(c.column));
    ASSERT_FALSE(values.empty());
    EXPECT_GE(FieldOf(m_db, c), 0) << "no field of mdb-export matches the values read";
}

// Every row stored again, as the relocation does: a value that does not
// change leaves its row as it was. Gives the database's error, if any.
QString ChangeFirstLetters(const QString& file, const QString& query, const QString& column)
{
    CdbDatabase db;
    db.SetDatabasePath(file);
    db.Open(AFX_DAO_USE_DEFAULT_TYPE, query, 0);
    if (!db.IsOpen())
        return db.GetOpenError();
    try {
        while (!db.IsEOF()) {
            const std::optional<QString> value = db.GetFieldValue(column);
            db.Edit();
            db.SetFieldValue(column, WithNewFirstCharacter(value.value_or(QString())));
            db.Update();
            db.MoveNext();
        }
        db.Close();
        db.CloseDatabase();
    } catch (const CDaoException& e) {
        return e.Message();
    }
    return QString();
}

std::vector<QStringList> Sorted(std::vector<QStringList> rows)
{
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST_P(RealAccessFiles, ChangingFirstLettersChangesExactlyThoseValuesAndKeepsTheIndexes)
{
    const Case c = GetParam();
    const int field = FieldOf(m_db, c);
    ASSERT_GE(field, 0);
    std::vector<QStringList> expected = dbtest::Export(m_db, QLatin1String(c.table));
    for (QStringList& row : expected)
        row[field] = WithNewFirstCharacter(row[field]);

    if (c.refused) {
        const QByteArray before = Bytes(m_db);
        const QString error = ChangeFirstLetters(m_db, Query(), QLatin1String(c.column));
        EXPECT_TRUE(error.contains(QStringLiteral("has no place in the sort order")))
            << error.toStdString();
        // The character is named as it is, beside its own code.
        const QRegularExpressionMatch named =
            QRegularExpression(QStringLiteral("\"(.)\" \\(U\\+([0-9A-F]{4})\\)")).match(error);
        ASSERT_TRUE(named.hasMatch()) << error.toStdString();
        EXPECT_EQ(named.captured(1).at(0).unicode(), named.captured(2).toUInt(nullptr, 16))
            << error.toStdString();
        EXPECT_TRUE(Bytes(m_db) == before) << "a refused change changed the file";
        return;
    }
    ASSERT_EQ(ChangeFirstLetters(m_db, Query(), QLatin1String(c.column)).toStdString(), "");
    // A moved row is listed where it lies now.
    EXPECT_EQ(Sorted(dbtest::Export(m_db, QLatin1String(c.table))), Sorted(expected));
    const auto indexes = mdbcheck::CheckTable(m_db, QLatin1String(c.table));
    EXPECT_TRUE(mdbcheck::AllOk(indexes)) << mdbcheck::Describe(indexes).toStdString();

    const QByteArray once = Bytes(m_db);
    EXPECT_EQ(ChangeFirstLetters(m_db, Query(), QLatin1String(c.column)).toStdString(), "");
    EXPECT_TRUE(Bytes(m_db) == once) << "storing the same values again changed the file";
}

INSTANTIATE_TEST_SUITE_P(
    Files, RealAccessFiles,
    testing::Values(Case{"testV1997.mdb", "Table1", "A", true},
                    Case{"testV1997.mdb", "Table1", "B", true},
                    Case{"testUnicodeCompV2003.mdb", "Table", "Unicode", true, true},
                    Case{"delColTestV2003.mdb", "Table1", "data"},
                    Case{"delColTestV2003.mdb", "Table1", "data2"},
                    Case{"DateTestDatabase.mdb", "DateTest", "ShortTextCol"},
                    Case{"DateTestDatabase.mdb", "DateTest", "LongTextCol"}),
    [](const testing::TestParamInfo<Case>& caseInfo) {
        QString name = QString::fromLatin1(caseInfo.param.file).section(QLatin1Char('.'), 0, 0) +
                       QLatin1Char('_') + QLatin1String(caseInfo.param.column);
        return name
            .replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_]")), QStringLiteral("_"))
            .toStdString();
    });

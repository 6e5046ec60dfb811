// Reading and changing values in databases made by Microsoft Access itself,
// checked against mdb-export.
#include "database/DatabaseTesting.h"

#include "database/DaoException.h"
#include "database/dbDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* file;
    const char* table;
    const char* column;
    bool indexed = false;
};

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Another first character that fits where the old one is stored.
QString WithNewFirstCharacter(const QString& value)
{
    QString changed = value;
    changed[0] = value.at(0) == QLatin1Char('Z') ? QLatin1Char('Y') : QLatin1Char('Z');
    return changed;
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

TEST_P(RealAccessFiles, ChangingFirstLettersChangesExactlyThoseValues)
{
    const Case c = GetParam();
    const int field = FieldOf(m_db, c);
    ASSERT_GE(field, 0);
    if (c.indexed) {
        // Refused as it stands: the index would no longer match.
        const QByteArray original = Bytes(m_db);
        CdbDatabase db;
        db.SetDatabasePath(m_db);
        db.Open(AFX_DAO_USE_DEFAULT_TYPE, Query(), 0);
        ASSERT_TRUE(db.IsOpen()) << db.GetOpenError().toStdString();
        db.Edit();
        db.SetFieldValue(QLatin1String(c.column),
                         WithNewFirstCharacter(db.GetFieldValue(QLatin1String(c.column)).value()));
        try {
            db.Update();
            ADD_FAILURE() << "an indexed column was changed";
        } catch (const CDaoException& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String("index"))) << e.what();
        }
        db.CloseDatabase();
        EXPECT_EQ(Bytes(m_db), original);
        dbtest::ForgetIndexColumns(m_db, QLatin1String(c.table));
    }
    const std::vector<QStringList> before = dbtest::Export(m_db, QLatin1String(c.table));
    {
        CdbDatabase db;
        db.SetDatabasePath(m_db);
        db.Open(AFX_DAO_USE_DEFAULT_TYPE, Query(), 0);
        ASSERT_TRUE(db.IsOpen()) << db.GetOpenError().toStdString();
        while (!db.IsEOF()) {
            const std::optional<QString> value = db.GetFieldValue(QLatin1String(c.column));
            if (value && !value->isEmpty()) {
                db.Edit();
                db.SetFieldValue(QLatin1String(c.column), WithNewFirstCharacter(*value));
                db.Update();
            }
            db.MoveNext();
        }
        db.Close();
        db.CloseDatabase();
    }
    std::vector<QStringList> expected = before;
    for (QStringList& row : expected) {
        if (!row[field].isEmpty())
            row[field] = WithNewFirstCharacter(row[field]);
    }
    EXPECT_EQ(dbtest::Export(m_db, QLatin1String(c.table)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RealAccessFiles,
    testing::Values(Case{"testV1997.mdb", "Table1", "A", true},
                    Case{"testV1997.mdb", "Table1", "B", true},
                    Case{"testUnicodeCompV2003.mdb", "Table", "Unicode", true},
                    Case{"delColTestV2003.mdb", "Table1", "data"},
                    Case{"delColTestV2003.mdb", "Table1", "data2"},
                    Case{"DateTestDatabase.mdb", "DateTest", "ShortTextCol"},
                    Case{"DateTestDatabase.mdb", "DateTest", "LongTextCol"}),
    [](const testing::TestParamInfo<Case>& test) {
        QString name = QString::fromLatin1(test.param.file).section(QLatin1Char('.'), 0, 0) +
                       QLatin1Char('_') + QLatin1String(test.param.column);
        return name
            .replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_]")), QStringLiteral("_"))
            .toStdString();
    });

// The relocation through the real executable on image databases made by an
// independent Access library: indexes on the relocated columns, memo columns
// holding NULLs, columns added after rows existed. Values are checked with
// mdb-export and libmdb, indexes with the libmdb-based checker.
#include "database/DatabaseTesting.h"
#include "support/MdbIndexCheck.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

struct Relocated {
    const char* table;
    const char* column;
    QChar letter;
};

// E:\;F: gives E to the application's columns and F to the image paths.
const Relocated kPasses[] = {{"tAPR", "APRImagePath", QLatin1Char('E')},
                             {"tEc", "LUT", QLatin1Char('E')},
                             {"tEc", "PAR", QLatin1Char('E')},
                             {"ImgInfo", "FullPath", QLatin1Char('F')}};

// The program replaces the letter of a path that starts with a drive; network
// paths keep theirs, and NULL becomes an empty text.
QString RelocatedValue(const std::optional<QString>& value, QChar letter)
{
    QString text = value.value_or(QString());
    if (text.size() >= 2 && text.at(0).isLetter() && text.at(0).unicode() < 0x80 &&
        text.at(1) == QLatin1Char(':'))
        text[0] = letter;
    return text;
}

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Outcome {
    int status = -1;
    QStringList lines;
};

Outcome RunRelocation(const QString& db)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTREL_SETUP_EXE), {"--headless", "E:\\;F:", "--database", db});
    p.waitForFinished(120000);
    return {
        p.exitCode(),
        QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)};
}

// mdb-export's rows by their first field (every table's autonumber key): a
// moved row is listed where it lies now, not where it was.
std::map<qint64, QStringList> ById(const std::vector<QStringList>& rows)
{
    std::map<qint64, QStringList> out;
    for (const QStringList& r : rows)
        out[r.value(0).toLongLong()] = r;
    return out;
}

// The first row where two exports differ, readable, or empty when they agree.
std::string FirstDifference(const std::map<qint64, QStringList>& got,
                            const std::map<qint64, QStringList>& want)
{
    if (got.size() != want.size())
        return std::to_string(got.size()) + " rows, not " + std::to_string(want.size());
    for (auto g = got.begin(), w = want.begin(); g != got.end(); ++g, ++w) {
        if (g->first != w->first || g->second != w->second)
            return "row " + std::to_string(g->first) + ": " + g->second.join(u'|').toStdString() +
                   "\n  expected row " + std::to_string(w->first) + ": " +
                   w->second.join(u'|').toStdString();
    }
    return std::string();
}

// The column's place among a table's fields, as mdb-export lists them.
int FieldOf(const QString& db, const QString& table, const QString& column)
{
    QProcess p;
    p.start(QStringLiteral("mdb-export"),
            {QStringLiteral("-Q"), QStringLiteral("-d"), QStringLiteral("<|F|>"), db, table});
    p.waitForFinished(60000);
    const QString header = QString::fromUtf8(p.readAllStandardOutput()).section(u'\n', 0, 0);
    return int(header.split(QStringLiteral("<|F|>")).indexOf(column));
}

class KestrelFixtures : public testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        const QString folder = dbtest::AccessFilesFolder();
        if (folder.isEmpty())
            GTEST_SKIP() << "test databases not found in " KESTREL_SHARED_TESTDATA
                            "/access; skipped";
        m_db = dbtest::CopyInto(folder + QLatin1Char('/') + QLatin1String(GetParam()), m_dir.path(),
                                QStringLiteral("Kestrel.mdb"));
        for (const QString& table : mdbcheck::UserTables(m_db))
            m_before[table] = ById(dbtest::Export(m_db, table));
    }

    // Every table as mdb-export showed it before, with the relocated
    // columns' values as the rule makes them.
    std::map<QString, std::map<qint64, QStringList>> Expected() const
    {
        auto expected = m_before;
        for (const Relocated& p : kPasses) {
            const int field = FieldOf(m_db, p.table, p.column);
            EXPECT_GT(field, 0) << p.table << "." << p.column;
            for (auto& [id, row] : expected[p.table])
                row[field] = RelocatedValue(row[field], p.letter);
        }
        return expected;
    }

    QTemporaryDir m_dir;
    QString m_db;
    std::map<QString, std::map<qint64, QStringList>> m_before;
};

// What the transcript must say: every row is stored, and the ones whose
// value differs (a NULL made empty included) are counted as changed.
QStringList ExpectedTranscript(const QString& db)
{
    QStringList lines;
    for (const Relocated& p : kPasses) {
        const auto rows = mdbcheck::ReadRows(db, p.table);
        const int field = FieldOf(db, p.table, p.column);
        qint64 changed = 0;
        for (const auto& row : rows) {
            const std::optional<QString>& value = row.at(size_t(field));
            changed += !value || RelocatedValue(value, p.letter) != *value;
        }
        lines << QStringLiteral("relocated: %1.%2 rows=%3 changed=%4")
                     .arg(QLatin1String(p.table), QLatin1String(p.column))
                     .arg(rows.size())
                     .arg(changed);
    }
    return lines;
}

} // namespace

TEST_P(KestrelFixtures, UntouchedIndexesPassTheChecker)
{
    const auto results = mdbcheck::CheckFile(m_db);
    EXPECT_TRUE(mdbcheck::AllOk(results)) << mdbcheck::Describe(results).toStdString();
}

TEST_P(KestrelFixtures, RelocationChangesExactlyTheDriveLettersInFourPasses)
{
    const QStringList transcript = ExpectedTranscript(m_db);
    const auto expected = Expected();
    const Outcome run = RunRelocation(m_db);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.lines.join(u'\n').toStdString(), transcript.join(u'\n').toStdString());
    for (const auto& [table, rows] : expected)
        EXPECT_EQ(FirstDifference(ById(dbtest::Export(m_db, table)), rows), "")
            << table.toStdString();
    // mdb-export shows NULL as an empty text: libmdb tells them apart.
    for (const Relocated& p : kPasses) {
        const int field = FieldOf(m_db, p.table, p.column);
        for (const auto& row : mdbcheck::ReadRows(m_db, p.table))
            ASSERT_TRUE(row.at(size_t(field)).has_value()) << p.table << "." << p.column;
    }
}

TEST_P(KestrelFixtures, RelocatedIndexesFindEveryRowByItsNewValue)
{
    ASSERT_EQ(RunRelocation(m_db).status, 0);
    const auto results = mdbcheck::CheckFile(m_db);
    EXPECT_TRUE(mdbcheck::AllOk(results)) << mdbcheck::Describe(results).toStdString();
}

TEST_P(KestrelFixtures, SecondRelocationChangesNothing)
{
    ASSERT_EQ(RunRelocation(m_db).status, 0);
    const QByteArray once = Bytes(m_db);
    const Outcome again = RunRelocation(m_db);
    EXPECT_EQ(again.status, 0);
    ASSERT_EQ(again.lines.size(), 4) << again.lines.join(u'\n').toStdString();
    for (const QString& line : again.lines)
        EXPECT_TRUE(line.endsWith(QStringLiteral(" changed=0"))) << line.toStdString();
    EXPECT_TRUE(Bytes(m_db) == once) << "the second run changed the file";
}

INSTANTIATE_TEST_SUITE_P(Files, KestrelFixtures,
                         testing::Values("kestrel-indexed.mdb", "kestrel-memo.mdb",
                                         "kestrel-added-columns.mdb",
                                         "kestrel-indexed-added-columns.mdb"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name = name.substr(8, name.size() - 12); // between kestrel- and .mdb
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

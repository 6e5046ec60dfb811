// The recordset classes: opening, walking, editing and what they refuse.
#include "database/DatabaseTesting.h"

#include "database/DaoException.h"
#include "database/dbDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using jet4::Value;

namespace {

class Recordset : public testing::Test
{
protected:
    QString Database(std::vector<jet4::TableData> tables)
    {
        const QString path = m_dir.filePath(QStringLiteral("Kestrel.mdb"));
        jet4::WriteDatabase(path, tables);
        m_db.SetDatabasePath(path);
        return path;
    }
    QString Database()
    {
        return Database({dbtest::KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\a"}, {"C:\\b"}}),
                         dbtest::KestrelTable("tEc", {"LUT"}, {{"C:\\1.lut"}})});
    }

    // Every table of the default query, each with rows or the one named empty.
    QString AllTables(const QString& empty)
    {
        std::vector<jet4::TableData> tables;
        static const QRegularExpression name(QStringLiteral(R"(\[([^\]]+)\])"));
        for (const auto& m : name.globalMatch(CdbDatabase().GetDefaultSQL())) {
            const QString table = m.captured(1);
            tables.push_back(dbtest::KestrelTable(table, {},
                                                  table == empty
                                                      ? std::vector<std::vector<Value>>{}
                                                      : std::vector<std::vector<Value>>{{}}));
        }
        return Database(tables);
    }

    QTemporaryDir m_dir;
    CdbDatabase m_db;
};

} // namespace

TEST_F(Recordset, KnowsItsPathAndTheTablesOfTheDatabase)
{
    m_db.SetDatabasePath(QStringLiteral("D:\\Kestrel.mdb"));
    EXPECT_EQ(m_db.GetDefaultDBName(), QStringLiteral("D:\\Kestrel.mdb"));
    EXPECT_EQ(CdbDatabase().GetDefaultSQL(),
              QStringLiteral("[AnatomicRegionSequence],[Equipment],[ImgInfo],[Network],"
                             "[Operator],[PatInfo],[Physician],[SerInfo],[SOP],[StuInfo],[tBS],"
                             "[tEC],[tEP],[tMT],[tVA],[tVP],[tOCS],[ViewCodeSequence],[Worklist],"
                             "[WorklistOCS],[PatientOrientationSequence],[tLine],[tAPR],"
                             "[tAPRIndex]"));
    // A recordset destroyed without an open touches nothing.
    {
        CdbDatabase unused;
        unused.SetDatabasePath(m_dir.filePath(QStringLiteral("Kestrel.mdb")));
    }
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

TEST_F(Recordset, OpeningAnOpenRecordsetClosesItFirstAfterAPause)
{
    const QString db = Database();
    m_db.Open(AFX_DAO_USE_DEFAULT_TYPE, QStringLiteral("Select tAPR.[APRImagePath] FROM tAPR"));
    ASSERT_TRUE(m_db.IsOpen()) << m_db.GetOpenError().toStdString();
    m_db.Edit();
    m_db.SetFieldValue(QStringLiteral("APRImagePath"), QStringLiteral("E:\\a"));
    QElapsedTimer timer;
    timer.start();
    m_db.Open(AFX_DAO_USE_DEFAULT_TYPE, QStringLiteral("SELECT tEc.[lut] from [tEc]"));
    EXPECT_GE(timer.elapsed(), 100);
    ASSERT_TRUE(m_db.IsOpen()) << m_db.GetOpenError().toStdString();
    EXPECT_EQ(m_db.GetFieldValue(QStringLiteral("LUT")), QStringLiteral("C:\\1.lut"));
    m_db.CloseDatabase();
    // The edit left pending was dropped with the first query.
    EXPECT_EQ(dbtest::ReadColumn(db, "tAPR", "APRImagePath").front(), QStringLiteral("C:\\a"));
}

TEST_F(Recordset, OnlyTheTwoQueryFormsOpen)
{
    Database();
    for (const char* query : {"Select * FROM tAPR", "Select tAPR.[APRImagePath] FROM tEc",
                              "Select tAPR.[Nothing] FROM tAPR", "Select tNone.[A] FROM tNone",
                              "UPDATE tAPR SET APRImagePath = 'x'"}) {
        m_db.Open(AFX_DAO_USE_DEFAULT_TYPE, QString::fromLatin1(query));
        EXPECT_FALSE(m_db.IsOpen()) << query;
        EXPECT_FALSE(m_db.GetOpenError().isEmpty()) << query;
    }
    m_db.CloseDatabase();
    // The default query lists every table; the rows over all of them are
    // empty when one table is.
    AllTables(QStringLiteral("tLine"));
    m_db.Open();
    EXPECT_TRUE(m_db.IsOpen()) << m_db.GetOpenError().toStdString();
    EXPECT_TRUE(m_db.IsEOF());
    m_db.CloseDatabase();
    AllTables(QString());
    m_db.Open();
    EXPECT_FALSE(m_db.IsOpen());
    EXPECT_TRUE(m_db.GetOpenError().contains(QLatin1String("not supported")));
}

TEST_F(Recordset, OperationsBeyondWalkingAndPatchingAreErrors)
{
    Database();
    m_db.Open(AFX_DAO_USE_DEFAULT_TYPE, QStringLiteral("Select tAPR.[APRImagePath] FROM tAPR"));
    ASSERT_TRUE(m_db.IsOpen());
    EXPECT_THROW(m_db.Find(1, QStringLiteral("APRImagePath = 'x'")), CDaoException);
    EXPECT_THROW(m_db.AddNew(), CDaoException);
    EXPECT_THROW(m_db.Delete(), CDaoException);
    EXPECT_THROW(m_db.Requery(), CDaoException);
    EXPECT_THROW(m_db.ExecuteSql(QStringLiteral("DELETE FROM tAPR"), 128), CDaoException);
    EXPECT_THROW(m_db.Move(-1), CDaoException);
    m_db.Move(1);
    EXPECT_EQ(m_db.GetFieldValue(QStringLiteral("APRImagePath")), QStringLiteral("C:\\b"));
    m_db.MoveNext();
    EXPECT_TRUE(m_db.IsEOF());
    EXPECT_THROW(m_db.MoveNext(), CDaoException);
    EXPECT_THROW(m_db.GetFieldValue(QStringLiteral("APRImagePath")), CDaoException);
}

TEST_F(Recordset, EditingFollowsTheRulesOfDao)
{
    const QString db = Database();
    m_db.Open(AFX_DAO_USE_DEFAULT_TYPE, QStringLiteral("Select tAPR.[APRImagePath] FROM tAPR"));
    ASSERT_TRUE(m_db.IsOpen());
    EXPECT_THROW(m_db.SetFieldValue(QStringLiteral("APRImagePath"), QStringLiteral("E:\\a")),
                 CDaoException);
    EXPECT_THROW(m_db.Update(), CDaoException);
    m_db.Edit();
    EXPECT_THROW(m_db.SetFieldValue(QStringLiteral("ID"), QStringLiteral("7")), CDaoException);
    m_db.SetFieldValue(QStringLiteral("aprimagepath"), QStringLiteral("E:\\a"));
    EXPECT_EQ(m_db.GetFieldValue(QStringLiteral("APRImagePath")), QStringLiteral("E:\\a"));
    m_db.CancelUpdate();
    EXPECT_EQ(m_db.GetFieldValue(QStringLiteral("APRImagePath")), QStringLiteral("C:\\a"));
    m_db.MoveNext();
    m_db.Edit();
    m_db.SetFieldValue(QStringLiteral("APRImagePath"), QStringLiteral("F:\\b"));
    m_db.Update();
    m_db.Close();
    // A snapshot is read-only.
    m_db.Open(dbOpenSnapshot, QStringLiteral("Select tAPR.[APRImagePath] FROM tAPR"));
    ASSERT_TRUE(m_db.IsOpen());
    EXPECT_THROW(m_db.Edit(), CDaoException);
    m_db.CloseDatabase();
    EXPECT_EQ(
        dbtest::ReadColumn(db, "tAPR", "APRImagePath"),
        (std::vector<std::optional<QString>>{QStringLiteral("C:\\a"), QStringLiteral("F:\\b")}));
}

// Values that change their stored length: rows written again in their page or
// moved to another one, older rows given the table's present columns, memos
// moving between their places. Read back with mdb-export, which shares no
// code with the writer.
#include "database/DatabaseTesting.h"

#include "database/DaoException.h"
#include "database/JetFile.h"
#include "database/JetTable.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using jet4::Column;
using jet4::Type;
using jet4::Value;

namespace {

using Column_ = std::optional<QString>;

// mdb-export's view of one column (it shows NULL and an empty text alike).
std::vector<Column_> Exported(const QString& file, const QString& table, const QString& column)
{
    QProcess p;
    const QString row = QStringLiteral("<|R|>");
    p.start(QStringLiteral("mdb-export"),
            {QStringLiteral("-H"), QStringLiteral("-R"), row, file, table});
    EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0)
        << p.readAllStandardError().toStdString();
    // The column's place among the table's columns.
    QProcess h;
    h.start(QStringLiteral("mdb-export"), {QStringLiteral("-R"), row, file, table});
    h.waitForFinished(60000);
    const QStringList header =
        QString::fromUtf8(h.readAllStandardOutput()).section(row, 0, 0).split(QLatin1Char(','));
    const int index = header.indexOf(column);
    EXPECT_GE(index, 0) << column.toStdString();
    std::vector<Column_> values;
    for (const QString& line :
         QString::fromUtf8(p.readAllStandardOutput()).split(row, Qt::SkipEmptyParts)) {
        // Fields: bare, or quoted with "" for a quote.
        QStringList fields;
        QString field;
        bool inQuotes = false;
        for (int i = 0; i <= line.size(); ++i) {
            const QChar c = i < line.size() ? line.at(i) : QLatin1Char(',');
            if (inQuotes) {
                if (c == QLatin1Char('"') && i + 1 < line.size() && line.at(i + 1) == c)
                    field.append(c), ++i;
                else if (c == QLatin1Char('"'))
                    inQuotes = false;
                else
                    field.append(c);
            } else if (c == QLatin1Char('"')) {
                inQuotes = true;
            } else if (c == QLatin1Char(',')) {
                fields.append(field);
                field.clear();
            } else {
                field.append(c);
            }
        }
        if (index >= 0 && index < fields.size())
            values.push_back(fields[index]);
    }
    return values;
}

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Stores change(value) in every row; returns each row's home address.
std::vector<std::pair<uint32_t, int>> StoreAll(const QString& file, const QString& table,
                                               const QString& column,
                                               const std::function<QString(const Column_&)>& change)
{
    std::vector<std::pair<uint32_t, int>> homes;
    const auto db = jet::JetFile::Open(file);
    {
        jet::JetTable t(*db, table);
        const int c = t.FindColumn(column);
        while (t.Next()) {
            homes.push_back({t.RowPage(), t.RowSlot()});
            const QString value = change(t.Value(c));
            t.Store(c, value);
            EXPECT_EQ(t.Value(c), value);
        }
        t.Flush();
    }
    db->Commit();
    return homes;
}

std::vector<std::pair<uint32_t, int>> Homes(const QString& file, const QString& table)
{
    std::vector<std::pair<uint32_t, int>> homes;
    const auto db = jet::JetFile::Open(file);
    jet::JetTable t(*db, table);
    while (t.Next())
        homes.push_back({t.RowPage(), t.RowSlot()});
    return homes;
}

QString Path(int i, int length)
{
    return QStringLiteral("C:\\img\\%1\\").arg(i) + QString(length, QLatin1Char('x'));
}

class JetRowWriterTest : public testing::Test
{
protected:
    QString File() const { return m_dir.filePath(QStringLiteral("test.mdb")); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(JetRowWriterTest, ANullMemoBecomesAnEmptyMemoAndTheOtherRowsKeepTheirValues)
{
    Column memo{QStringLiteral("Path"), Type::Memo};
    jet4::WriteDatabase(File(),
                        {{"T",
                          {{"ID", Type::Long}, memo, {"Note", Type::Text}},
                          {{1, Value::Null(), "a"}, {2, "C:\\b", "b"}, {3, Value(), "c"}}}});
    const qint64 size = QFileInfo(File()).size();
    StoreAll(File(), "T", "Path",
             [](const Column_& v) { return v ? QLatin1Char('E') + v->mid(1) : QString(""); });
    EXPECT_EQ(Exported(File(), "T", "Path"),
              (std::vector<Column_>{QString(""), QStringLiteral("E:\\b"), QString("")}));
    EXPECT_EQ(
        Exported(File(), "T", "Note"),
        (std::vector<Column_>{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Path"),
              (std::vector<Column_>{QString(""), QStringLiteral("E:\\b"), QString("")}));
    EXPECT_EQ(QFileInfo(File()).size(), size); // the page had room
}

TEST_F(JetRowWriterTest, RowsWithoutRoomMoveToNewPagesAndKeepTheirAddresses)
{
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back({i, Path(i, 2)});
    jet4::WriteDatabase(File(), {{"T", {{"ID", Type::Long}, {"Path", Type::Text}}, rows}});
    const qint64 size = QFileInfo(File()).size();
    const auto before = Homes(File(), "T");

    const auto longer = [](const Column_& v) {
        return QLatin1Char('E') + v->mid(1) + QString(100, 'y');
    };
    StoreAll(File(), "T", "Path", longer);
    EXPECT_GT(QFileInfo(File()).size(), size);
    EXPECT_EQ(Homes(File(), "T"), before);
    // libmdb reads a moved row where it lives now, so in another order.
    std::vector<Column_> expected;
    for (int i = 0; i < 300; ++i)
        expected.push_back(QStringLiteral("E") + Path(i, 2).mid(1) + QString(100, 'y'));
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Path"), expected);
    std::vector<Column_> values = Exported(File(), "T", "Path");
    std::sort(values.begin(), values.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(values, expected);

    // Moved rows grow again (where they live now, or moved on), then stay.
    StoreAll(File(), "T", "Path", [](const Column_& v) { return *v + QString(120, 'z'); });
    EXPECT_EQ(Homes(File(), "T"), before);
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Path")[299],
              QStringLiteral("E") + Path(299, 2).mid(1) + QString(100, 'y') + QString(120, 'z'));
    EXPECT_EQ(Exported(File(), "T", "Path").size(), 300u);
    const QByteArray settled = Bytes(File());
    StoreAll(File(), "T", "Path", [](const Column_& v) { return *v; });
    EXPECT_EQ(Bytes(File()), settled);
}

TEST_F(JetRowWriterTest, RowsStoredBeforeAColumnWasAddedAreWrittenWithIt)
{
    jet4::WriteDatabase(File(), {{"T",
                                  {{"ID", Type::Long}, {"Name", Type::Text}, {"Par", Type::Text}},
                                  {{1, "one"}, {2, "two", "C:\\p"}, {3, "three"}}}});
    StoreAll(File(), "T", "Par",
             [](const Column_& v) { return v ? QLatin1Char('E') + v->mid(1) : QString(""); });
    EXPECT_EQ(Exported(File(), "T", "Par"),
              (std::vector<Column_>{QString(""), QStringLiteral("E:\\p"), QString("")}));
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Par"),
              (std::vector<Column_>{QString(""), QStringLiteral("E:\\p"), QString("")}));
    EXPECT_EQ(Exported(File(), "T", "Name"),
              (std::vector<Column_>{QStringLiteral("one"), QStringLiteral("two"),
                                    QStringLiteral("three")}));
    EXPECT_EQ(
        Exported(File(), "T", "ID"),
        (std::vector<Column_>{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
}

TEST_F(JetRowWriterTest, ATextThatCannotStayCompressedIsStoredInUcs2)
{
    jet4::WriteDatabase(File(), {{"T",
                                  {{"ID", Type::Long}, {"Path", Type::Text}},
                                  {{1, "C:\\abc.dcm"}, {2, "C:\\d\u0101.dcm"}}}});
    const QString euro = QStringLiteral("E:\\\u20ACbc.dcm");
    const QString plain = QStringLiteral("E:\\daa.dcm");
    int row = 0;
    StoreAll(File(), "T", "Path", [&](const Column_&) { return row++ % 2 ? plain : euro; });
    EXPECT_EQ(Exported(File(), "T", "Path"), (std::vector<Column_>{euro, plain}));
}

TEST_F(JetRowWriterTest, AMemoMovesBetweenInlineOneLongValueRowAndAChain)
{
    Column memo{QStringLiteral("Path"), Type::Memo};
    jet4::WriteDatabase(File(), {{"T", {{"ID", Type::Long}, memo}, {{1, "C:\\a"}, {2, "C:\\b"}}}});
    for (const int length : {3000, 20000, 10, 5000, 0}) {
        StoreAll(File(), "T", "Path",
                 [&](const Column_& v) { return v->left(4) + QString(length, QLatin1Char('m')); });
        const std::vector<Column_> values = Exported(File(), "T", "Path");
        ASSERT_EQ(values.size(), 2u);
        EXPECT_EQ(values[0], QStringLiteral("C:\\a") + QString(length, QLatin1Char('m')));
        EXPECT_EQ(values[1], QStringLiteral("C:\\b") + QString(length, QLatin1Char('m')));
    }
}

TEST_F(JetRowWriterTest, ATextLongerThanItsColumnOrARowPastItsLimitIsRefusedUntouched)
{
    Column shortText{QStringLiteral("Path"), Type::Text, 10};
    jet4::WriteDatabase(File(), {{"T", {{"ID", Type::Long}, shortText}, {{1, "C:\\a"}}}});
    const QByteArray before = Bytes(File());
    {
        const auto db = jet::JetFile::Open(File());
        jet::JetTable t(*db, "T");
        ASSERT_TRUE(t.Next());
        EXPECT_THROW(t.Store(1, QStringLiteral("C:\\abcdefghij")), CDaoException);
        EXPECT_EQ(t.Value(1), QStringLiteral("C:\\a"));
        t.Flush();
        db->Commit();
    }
    EXPECT_EQ(Bytes(File()), before);
}

// The fixtures made by an independent Access library, relocated as start-up
// runs it: every value as the rule says, a second run changes nothing.
TEST_F(JetRowWriterTest, TheMemoAndAddedColumnFixturesAreRelocatedWhole)
{
    const QString folder = dbtest::AccessFilesFolder();
    if (folder.isEmpty())
        GTEST_SKIP() << "no folder of real Access files";
    const QList<std::pair<QString, QString>> columns = {
        {"tAPR", "APRImagePath"}, {"tEc", "LUT"}, {"tEc", "PAR"}, {"ImgInfo", "FullPath"}};
    for (const char* name : {"kestrel-memo.mdb", "kestrel-added-columns.mdb"}) {
        SCOPED_TRACE(name);
        const QString file = dbtest::CopyInto(folder + QLatin1Char('/') + name, m_dir.path());
        std::vector<std::vector<Column_>> before;
        for (const auto& c : columns)
            before.push_back(Exported(file, c.first, c.second));
        const dbtest::RunResult run = dbtest::Relocate(QStringLiteral("E:\\;F:"), file);
        EXPECT_EQ(run.exitStatus, 0) << run.transcript.toStdString();
        EXPECT_EQ(run.transcript.count(QStringLiteral("relocated: ")), 4)
            << run.transcript.toStdString();
        for (int i = 0; i < columns.size(); ++i) {
            const QChar letter = i == 3 ? QLatin1Char('F') : QLatin1Char('E');
            std::vector<Column_> after = Exported(file, columns[i].first, columns[i].second);
            std::vector<Column_> expected;
            for (const Column_& value : before[size_t(i)]) {
                QString text = value.value_or(QString(""));
                if (text.size() >= 2 && text.at(1) == QLatin1Char(':') &&
                    text.at(0).unicode() < 0x80 && text.at(0).isLetter())
                    text[0] = letter;
                expected.push_back(text);
            }
            // libmdb reads a moved row where it lives now, so in another order.
            std::sort(after.begin(), after.end());
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(after, expected) << columns[i].second.toStdString();
            for (const Column_& value :
                 dbtest::ReadColumn(file, columns[i].first, columns[i].second))
                EXPECT_TRUE(value.has_value()); // no NULL left
        }
        const QByteArray once = Bytes(file);
        EXPECT_EQ(dbtest::Relocate(QStringLiteral("E:\\;F:"), file).exitStatus, 0);
        EXPECT_EQ(Bytes(file), once);
    }
}

// Access 2007 and later keep Jet 4's pages and rows under their own header.
TEST_F(JetRowWriterTest, AnAccess2007DatabaseIsRelocatedLikeAJet4One)
{
    Column memo{QStringLiteral("Path"), Type::Memo};
    jet4::WriteDatabase(File(), {{"T", {{"ID", Type::Long}, memo}, {{1, "C:\\a"}, {2, Value()}}}});
    {
        QFile f(File());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4);
        f.write("Standard ACE DB");
        f.seek(0x14);
        f.write(QByteArray(1, char(3))); // Access 2010
    }
    StoreAll(File(), "T", "Path",
             [](const Column_& v) { return v ? QLatin1Char('E') + v->mid(1) : QString(""); });
    EXPECT_EQ(Exported(File(), "T", "Path"),
              (std::vector<Column_>{QStringLiteral("E:\\a"), QString("")}));
}

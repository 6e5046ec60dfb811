// Rows and values in the page layouts a real database has: memos in all their
// places, deleted and moved rows, tables spread over many pages.
#include "database/DatabaseTesting.h"

#include "database/DaoException.h"
#include "database/JetFile.h"
#include "database/JetTable.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using jet4::Column;
using jet4::MemoPlace;
using jet4::Type;
using jet4::Value;

namespace {

using Values = std::vector<std::optional<QString>>;

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Gives every value of the column that starts with "C:" the drive E.
void Relocate(const QString& file, const QString& table, const QString& column)
{
    const auto db = jet::JetFile::Open(file);
    {
        jet::JetTable t(*db, table);
        const int c = t.FindColumn(column);
        while (t.Next()) {
            const std::optional<QString> value = t.Value(c);
            if (value && value->startsWith(QLatin1String("C:")))
                t.Store(c, QLatin1Char('E') + value->mid(1));
        }
        t.Flush();
    }
    db->Commit();
}

Column Memo(const char* name, MemoPlace place, int piece = 0)
{
    Column c{QString::fromLatin1(name), Type::Memo};
    c.memo = place;
    c.chainPiece = piece;
    return c;
}

class JetTableTest : public testing::Test
{
protected:
    QString File() const { return m_dir.filePath(QStringLiteral("test.mdb")); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(JetTableTest, MemoTextIsChangedInlineOnItsLongValueRowAndAlongItsChain)
{
    const QString longText = QStringLiteral("C:\\") + QString(1500, QLatin1Char('x'));
    const QString cyrillic = QStringLiteral("C:\\") + QString(8, QChar(0x041C));
    Column plain = Memo("Plain", MemoPlace::Chain, 5); // odd pieces split two-byte characters
    plain.compressed = false;
    jet4::WriteDatabase(File(),
                        {{"T",
                          {{"ID", Type::Long},
                           Memo("Inline", MemoPlace::Inline),
                           Memo("OneRow", MemoPlace::OneRow),
                           Memo("Chain", MemoPlace::Chain, 3),
                           plain,
                           Memo("Auto", MemoPlace::Auto)},
                          {{1, "C:\\in", "C:\\one", "C:\\chained\\path", "C:\\plain", longText},
                           {2, "D:\\in", Value(), "", cyrillic, ""}}}});
    for (const char* column : {"Inline", "OneRow", "Chain", "Plain", "Auto"})
        Relocate(File(), "T", QLatin1String(column));

    const QString newLong = QLatin1Char('E') + longText.mid(1);
    const QString newCyrillic = QLatin1Char('E') + cyrillic.mid(1);
    EXPECT_EQ(dbtest::Export(File(), "T"),
              (std::vector<QStringList>{
                  {"1", "E:\\in", "E:\\one", "E:\\chained\\path", "E:\\plain", newLong},
                  {"2", "D:\\in", "", "", newCyrillic, ""}}));
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "OneRow"), (Values{"E:\\one", std::nullopt}));
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Chain"), (Values{"E:\\chained\\path", ""}));
}

TEST_F(JetTableTest, NullAndEmptyTextAreToldApart)
{
    jet4::WriteDatabase(File(), {{"T",
                                  {{"Text", Type::Text}, Memo("Memo", MemoPlace::Auto)},
                                  {{Value(), ""}, {"", Value()}, {"a", "b"}}}});
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Text"), (Values{std::nullopt, "", "a"}));
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Memo"), (Values{"", std::nullopt, "b"}));
    // mdb-export shows both as nothing.
    EXPECT_EQ(dbtest::Export(File(), "T"),
              (std::vector<QStringList>{{"", ""}, {"", ""}, {"a", "b"}}));
}

TEST_F(JetTableTest, DeletedRowsArePassedOverAndMovedRowsFollowed)
{
    jet4::Writer writer(File());
    const int t = writer.AddTable("T", {{"ID", Type::Long}, {"Path", Type::Text}});
    writer.AddRow(t, {1, "C:\\1"});
    writer.AddRow(t, {2, "C:\\2"}, jet4::RowKind::Deleted);
    writer.AddRow(t, {3, "C:\\3"}, jet4::RowKind::Moved);
    writer.AddRow(t, {4, "C:\\4"});
    writer.Finish();

    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Path"), (Values{"C:\\1", "C:\\3", "C:\\4"}));
    Relocate(File(), "T", "Path");
    EXPECT_EQ(dbtest::ReadColumn(File(), "T", "Path"), (Values{"E:\\1", "E:\\3", "E:\\4"}));
    // mdb-export lists the moved row where it lives now.
    std::vector<QStringList> rows = dbtest::Export(File(), "T");
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<QStringList>{{"1", "E:\\1"}, {"3", "E:\\3"}, {"4", "E:\\4"}}));
    // The deleted row keeps its bytes.
    EXPECT_TRUE(Bytes(File()).contains(QByteArray("\xFF\xFE"
                                                  "C:\\2",
                                                  6)));
}

TEST_F(JetTableTest, ATableSpreadOverManyPagesIsWalkedWhole)
{
    // Two tables filled in turns, so that each one's pages span more of the
    // file than a map inside its definition covers.
    constexpr int kRows = 30000;
    jet4::Writer writer(File());
    const int a = writer.AddTable("A", {{"ID", Type::Long}, {"Path", Type::Text}});
    const int b = writer.AddTable("B", {{"ID", Type::Long}, {"Path", Type::Text}});
    for (int i = 0; i < kRows; ++i) {
        writer.AddRow(a, {i, QStringLiteral("C:\\IMG\\%1.dcm").arg(i, 6, 10, QLatin1Char('0'))});
        writer.AddRow(b, {i, QStringLiteral("C:\\") + QString(200, QLatin1Char('b'))});
    }
    writer.Finish();
    ASSERT_EQ(jet::JetFile::Open(File())->ReadTable("A").usageMap.at(0), 1) << "a map of pages";
    Relocate(File(), "A", "Path");
    const Values values = dbtest::ReadColumn(File(), "A", "Path");
    ASSERT_EQ(values.size(), size_t(kRows));
    EXPECT_EQ(values.front(), QStringLiteral("E:\\IMG\\000000.dcm"));
    EXPECT_EQ(values.back(), QStringLiteral("E:\\IMG\\029999.dcm"));
    const std::vector<QStringList> exported = dbtest::Export(File(), "A");
    ASSERT_EQ(exported.size(), size_t(kRows));
    EXPECT_EQ(exported[12345], (QStringList{"12345", "E:\\IMG\\012345.dcm"}));
    EXPECT_EQ(dbtest::ReadColumn(File(), "B", "Path").back(),
              QStringLiteral("C:\\") + QString(200, QLatin1Char('b')));
}

TEST_F(JetTableTest, AChangeTouchesOnlyTheBytesOfTheValue)
{
    jet4::WriteDatabase(File(), {{"T",
                                  {{"ID", Type::Long}, {"Path", Type::Text}},
                                  {{1, "C:\\a.dcm"}, {2, "C:"}, {3, "C:\\b.dcm"}}}});
    const QByteArray before = Bytes(File());
    {
        const auto db = jet::JetFile::Open(File());
        jet::JetTable t(*db, "T");
        ASSERT_TRUE(t.Next() && t.Next()); // "C:" is stored in plain UCS-2
        t.Store(1, QStringLiteral("E:"));
        t.Flush();
        db->Commit();
    }
    const QByteArray after = Bytes(File());
    ASSERT_EQ(after.size(), before.size());
    int changed = 0;
    for (int i = 0; i < before.size(); ++i) {
        if (before[i] != after[i]) {
            ++changed;
            EXPECT_EQ(after[i], 'E');
            EXPECT_EQ(before.mid(i, 4), QByteArray("C\0:\0", 4));
        }
    }
    EXPECT_EQ(changed, 1);
}

TEST_F(JetTableTest, AnEncodedDatabaseIsRefused)
{
    jet4::Writer writer(File());
    writer.AddTable("T", {{"ID", Type::Long}});
    writer.SetEncodingKey(0x12345678);
    writer.Finish();
    try {
        jet::JetFile::Open(File());
        ADD_FAILURE() << "opened";
    } catch (const CDaoException& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("encoded"))) << e.what();
    }
}

// The acquisition application may start while the relocation runs: a copy
// made from the file as it was then must not replace what it has since.
TEST_F(JetTableTest, TheCopyDoesNotReplaceAFileOpenedOrChangedMeanwhile)
{
    jet4::WriteDatabase(File(), {{"T", {{"Path", Type::Text}}, {{"C:\\a"}}}});
    const QByteArray before = Bytes(File());
    for (const bool lock : {true, false}) {
        auto db = jet::JetFile::Open(File());
        {
            jet::JetTable t(*db, "T");
            ASSERT_TRUE(t.Next());
            t.Store(0, QStringLiteral("E:\\a"));
            t.Flush();
        }
        if (lock) {
            QFile(m_dir.filePath(QStringLiteral("test.ldb"))).open(QIODevice::WriteOnly);
        } else {
            QFile f(File());
            f.open(QIODevice::Append);
            f.write(QByteArray(4096, 0));
        }
        EXPECT_THROW(db->Commit(), CDaoException);
        db.reset();
        EXPECT_TRUE(Bytes(File()).startsWith(before));
        EXPECT_FALSE(QFile::exists(File() + QStringLiteral(".relocating")));
        QFile::remove(m_dir.filePath(QStringLiteral("test.ldb")));
        QFile f(File());
        f.resize(before.size());
    }
}

// A memo chain whose last link points back to its first, each link one byte
// long, with a header that claims 16 MB: read as damaged at once, not after a
// million page reads a row.
TEST_F(JetTableTest, AMemoChainThatLoopsIsDamaged)
{
    Column memo = Memo("Notes", MemoPlace::Chain, 1);
    memo.compressed = false;
    jet4::Writer writer(File());
    const int t = writer.AddTable("T", {{"ID", Type::Long}, memo});
    for (int id = 1; id <= 20; ++id)
        writer.AddRow(t, {id, "a"}); // two links of one byte each
    writer.Finish();

    QByteArray bytes = Bytes(File());
    const int pageSize = 4096;
    int lval = -1;
    for (int p = 0; p < bytes.size() / pageSize && lval < 0; ++p) {
        if (bytes[p * pageSize] == 1 && bytes.mid(p * pageSize + 4, 4) == "LVAL")
            lval = p;
    }
    ASSERT_GE(lval, 0);
    // Links are written last first: row 0 is the second link, row 1 the first.
    const auto rowStart = [&](int row) {
        const int at = lval * pageSize + 14 + 2 * row;
        return lval * pageSize + ((uchar(bytes[at]) | uchar(bytes[at + 1]) << 8) & 0x1FFF);
    };
    const QByteArray first = QByteArray::fromHex("01") + QByteArray(1, char(lval)) +
                             QByteArray(2, '\0'); // pointer to row 1 of the page
    bytes.replace(rowStart(0), 4, first);
    // The first row's memo header: length 2, then the pointer to its first link.
    const int header = bytes.indexOf(QByteArray::fromHex("02000000") + first);
    ASSERT_GT(header, 0);
    bytes.replace(header, 4, QByteArray::fromHex("ffffff00"));
    QFile f(File());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    const auto db = jet::JetFile::Open(File());
    jet::JetTable table(*db, QStringLiteral("T"));
    ASSERT_TRUE(table.Next());
    try {
        table.Value(1);
        ADD_FAILURE() << "a looping chain was read";
    } catch (const CDaoException& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("chain"))) << e.what();
    }
    EXPECT_TRUE(db->IsDamaged());
}

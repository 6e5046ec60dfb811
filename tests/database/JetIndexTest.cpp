// The index writer against indexes written by others: keys made from every
// row of the sample databases equal the keys stored in their index pages,
// and indexes rebuilt after a relocation name every row once, in order.
#include "database/DaoException.h"
#include "database/GMDaoRecordset.h"
#include "database/JetIndex.h"
#include "database/JetPage.h"
#include "database/JetTable.h"
#include "database/dbDatabase.h"
#include "database/DatabaseTesting.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

namespace {

using Entry = std::pair<std::vector<uint8_t>, uint32_t>; // key, page << 8 | row

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint32_t Be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

struct IndexPage {
    int type = 0;
    uint32_t prev = 0, next = 0, tail = 0;
    std::vector<std::vector<uint8_t>> entries; // whole, the shared prefix put back
};

// A reader of index pages of its own, as the format's public description
// has them.
IndexPage ReadIndexPage(const jet::JetFile& file, uint32_t number)
{
    const bool jet3 = file.IsJet3();
    const int mask = jet3 ? 0x16 : 0x1B, first = jet3 ? 0xF8 : 0x1E0;
    std::vector<uint8_t> page(size_t(file.PageSize()));
    file.ReadPage(number, page.data());
    IndexPage out;
    out.type = page[0];
    out.prev = Le32(&page[jet3 ? 8 : 12]);
    out.next = Le32(&page[jet3 ? 12 : 16]);
    out.tail = Le32(&page[jet3 ? 16 : 20]);
    const int prefix = page[jet3 ? 0x14 : 0x18] | page[jet3 ? 0x15 : 0x19] << 8;
    int start = 0;
    for (int bit = 1; bit < (first - mask) * 8 && first + bit <= file.PageSize(); ++bit) {
        if (!(page[size_t(mask + bit / 8)] & (1 << (bit % 8))))
            continue;
        std::vector<uint8_t> e;
        if (!out.entries.empty())
            e.assign(out.entries[0].begin(), out.entries[0].begin() + prefix);
        e.insert(e.end(), page.begin() + first + start, page.begin() + first + bit);
        out.entries.push_back(e);
        start = bit;
    }
    return out;
}

// Every leaf entry of an index, in tree order (tails included).
void CollectEntries(const jet::JetFile& file, uint32_t number, std::vector<Entry>& out,
                    int depth = 0)
{
    ASSERT_LT(depth, 8);
    const IndexPage page = ReadIndexPage(file, number);
    ASSERT_TRUE(page.type == 3 || page.type == 4) << "page " << number;
    for (const std::vector<uint8_t>& e : page.entries) {
        if (page.type == 4) {
            out.push_back({std::vector<uint8_t>(e.begin(), e.end() - 4), Be32(&e[e.size() - 4])});
            continue;
        }
        CollectEntries(file, Be32(&e[e.size() - 4]), out, depth + 1);
    }
    if (page.type == 3 && page.tail != 0)
        CollectEntries(file, page.tail, out, depth + 1);
}

std::vector<Entry> Computed(jet::JetFile& file, const jet::TableDef& def,
                            const jet::IndexDef& index)
{
    jet::IndexKeeper keeper(file, def, index.columns[0].column);
    jet::JetTable table(file, def);
    while (table.Next())
        keeper.AddRow(table, table.Value(index.columns[0].column));
    for (size_t i = 0; i < keeper.Indexes().size(); ++i) {
        if (keeper.Indexes()[i].number != index.number)
            continue;
        const jet::IndexEntries& entries = keeper.Entries(i);
        std::vector<Entry> out;
        for (size_t k = 0; k < entries.Size(); ++k)
            out.push_back(
                {std::vector<uint8_t>(entries.Key(k), entries.Key(k) + entries.KeySize(k)),
                 entries.RowId(k)});
        return out;
    }
    return {};
}

// Pages for the usage map reader.
class FileStore : public jet::PageStore
{
public:
    explicit FileStore(jet::JetFile& file) : m_file(file) {}
    int PageSize() const override { return m_file.PageSize(); }
    bool IsJet3() const override { return m_file.IsJet3(); }
    void Read(uint32_t page, std::vector<uint8_t>& buffer) override
    {
        buffer.resize(size_t(m_file.PageSize()));
        m_file.ReadPage(page, buffer.data());
    }
    void Write(uint32_t, const std::vector<uint8_t>&) override { ADD_FAILURE() << "written"; }
    uint32_t Append(const std::vector<uint8_t>&) override { return 0; }

private:
    jet::JetFile& m_file;
};

QString Hex(const std::vector<uint8_t>& bytes)
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())).toHex(' '));
}

QString Sample(const QString& name)
{
    const QString folder = dbtest::AccessFilesFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
}

#define REQUIRE_SAMPLE(path)                                                                       \
    if ((path).isEmpty() || !QFile::exists(path))                                                  \
    GTEST_SKIP() << "sample database not found: " << qPrintable(path)

// Every index of every table whose keys this program makes: the stored
// entries, as a set, equal the entries made from the rows.
int CompareAllIndexes(const QString& path)
{
    auto file = jet::JetFile::Open(path);
    int compared = 0;
    for (const QString& name : file->TableNames()) {
        const jet::TableDef def = file->ReadTable(name);
        for (const jet::IndexDef& index : jet::ReadIndexes(*file, def)) {
            std::vector<Entry> computed;
            try {
                computed = Computed(*file, def, index);
            } catch (const CDaoException&) {
                continue; // a type this program does not key
            }
            std::vector<Entry> stored;
            CollectEntries(*file, index.rootPage, stored);
            std::sort(computed.begin(), computed.end());
            std::vector<Entry> sortedStored = stored;
            std::sort(sortedStored.begin(), sortedStored.end());
            EXPECT_EQ(sortedStored.size(), computed.size()) << qPrintable(name + "." + index.name);
            for (size_t i = 0; i < std::min(computed.size(), sortedStored.size()); ++i) {
                if (computed[i] == sortedStored[i])
                    continue;
                ADD_FAILURE() << qPrintable(name + "." + index.name) << " entry " << i
                              << "\n stored   " << qPrintable(Hex(sortedStored[i].first)) << " @"
                              << sortedStored[i].second << "\n computed "
                              << qPrintable(Hex(computed[i].first)) << " @" << computed[i].second;
                break;
            }
            ++compared;
        }
    }
    return compared;
}

TEST(JetIndexTest, KeysOfEveryRowEqualTheKeysAnIndependentWriterStored)
{
    const QString indexed = Sample(QStringLiteral("kestrel-indexed.mdb"));
    REQUIRE_SAMPLE(indexed);
    EXPECT_GE(CompareAllIndexes(indexed), 10);
    EXPECT_GE(CompareAllIndexes(Sample(QStringLiteral("kestrel-indexed-added-columns.mdb"))), 10);
}

TEST(JetIndexTest, KeysOfEveryRowEqualTheKeysAccessStored)
{
    const QString jet3 = Sample(QStringLiteral("testV1997.mdb"));
    REQUIRE_SAMPLE(jet3);
    EXPECT_GE(CompareAllIndexes(jet3), 5);
    for (const char* name : {"delColTestV2003.mdb", "testUnicodeCompV2003.mdb",
                             "DateTestDatabase.mdb", "kestrel-memo.mdb"})
        EXPECT_GE(CompareAllIndexes(Sample(QLatin1String(name))), 5) << name;
}

// The tree as the writer left it: entries strictly ascending along the
// leaves, the leaves chained both ways.
void ExpectOrderedTree(const QString& path, const QString& tableName)
{
    auto file = jet::JetFile::Open(path);
    const jet::TableDef def = file->ReadTable(tableName);
    for (const jet::IndexDef& index : jet::ReadIndexes(*file, def)) {
        std::vector<Entry> stored;
        CollectEntries(*file, index.rootPage, stored);
        for (size_t i = 1; i < stored.size(); ++i)
            ASSERT_LT(stored[i - 1], stored[i])
                << qPrintable(tableName + "." + index.name) << " " << i;
        const IndexPage root = ReadIndexPage(*file, index.rootPage);
        EXPECT_EQ(root.prev, 0u);
        EXPECT_EQ(root.next, 0u);
    }
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(JetIndexTest, RelocationLeavesEveryIndexNamingEveryRowOnceInKeyOrder)
{
    for (const char* name : {"kestrel-indexed.mdb", "kestrel-indexed-added-columns.mdb"}) {
        const QString sample = Sample(QLatin1String(name));
        REQUIRE_SAMPLE(sample);
        QTemporaryDir dir;
        const QString copy = dbtest::CopyInto(sample, dir.path(), QStringLiteral("Kestrel.mdb"));
        const dbtest::RunResult run = dbtest::Relocate(QStringLiteral("E:\\;F:"), copy);
        EXPECT_EQ(run.exitStatus, 0) << name << qPrintable(run.transcript);
        EXPECT_EQ(run.transcript.count(QStringLiteral("relocated: ")), 4)
            << qPrintable(run.transcript);
        EXPECT_GE(CompareAllIndexes(copy), 10) << name;
        for (const char* table : {"tAPR", "tEc", "ImgInfo"})
            ExpectOrderedTree(copy, QLatin1String(table));
        const QByteArray once = Bytes(copy);
        dbtest::Relocate(QStringLiteral("E:\\;F:"), copy);
        EXPECT_TRUE(Bytes(copy) == once) << name << ": a second relocation changed the file";
    }
}

// Runs a pass that sets the column of every row through valueOf; returns the
// error that stopped it, if any.
QString Pass(const QString& path, const QString& table, const QString& column,
             const std::function<QString(qint64, const std::optional<QString>&)>& valueOf)
{
    CdbDatabase rs;
    rs.SetDatabasePath(path);
    rs.Open(AFX_DAO_USE_DEFAULT_TYPE, QStringLiteral("Select %1.[%2] FROM %1").arg(table, column),
            0);
    if (!rs.IsOpen())
        return rs.GetOpenError();
    QString error;
    try {
        for (qint64 row = 1; !rs.IsEOF(); ++row) {
            const std::optional<QString> value = rs.GetFieldValue(column);
            rs.Edit();
            rs.SetFieldValue(column, valueOf(row, value));
            rs.Update();
            rs.MoveNext();
        }
        rs.Close();
    } catch (const CDaoException& e) {
        error = e.Message();
        try {
            rs.Close();
        } catch (const CDaoException&) {
        }
    }
    rs.CloseDatabase();
    return error;
}

TEST(JetIndexTest, ValueWithAnUnplaceableCharacterRefusesTheColumnBeforeAnyRowChanges)
{
    const QString sample = Sample(QStringLiteral("kestrel-indexed.mdb"));
    REQUIRE_SAMPLE(sample);
    QTemporaryDir dir;
    const QString copy = dbtest::CopyInto(sample, dir.path());
    const QByteArray before = Bytes(copy);
    const QString error = Pass(copy, QStringLiteral("ImgInfo"), QStringLiteral("FullPath"),
                               [](qint64 row, const std::optional<QString>& v) {
                                   return row == 7
                                              ? QStringLiteral("E:\\\u03A9mega.dcm")
                                              : QStringLiteral("E") + v.value_or(QString()).mid(1);
                               });
    EXPECT_TRUE(error.contains(QStringLiteral("U+03A9"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("ixFullPath"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("row 7"))) << qPrintable(error);
    EXPECT_TRUE(Bytes(copy) == before);
}

TEST(JetIndexTest, DuplicateKeyInAUniqueIndexRefusesTheColumnBeforeAnyRowChanges)
{
    const QString sample = Sample(QStringLiteral("testV1997.mdb"));
    REQUIRE_SAMPLE(sample);
    QTemporaryDir dir;
    const QString copy = dbtest::CopyInto(sample, dir.path());
    const QByteArray before = Bytes(copy);
    // The primary key is column A; Access compares without regard to case.
    const QString error =
        Pass(copy, QStringLiteral("Table1"), QStringLiteral("A"),
             [](qint64 row, const std::optional<QString>&) {
                 return row == 1 ? QStringLiteral("Same") : QStringLiteral("SAME");
             });
    EXPECT_TRUE(error.contains(QStringLiteral("PrimaryKey"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("rows 1 and 2"))) << qPrintable(error);
    EXPECT_TRUE(Bytes(copy) == before);
}

TEST(JetIndexTest, Jet3IndexesFollowTheirColumnsNewValues)
{
    const QString sample = Sample(QStringLiteral("testV1997.mdb"));
    REQUIRE_SAMPLE(sample);
    QTemporaryDir dir;
    const QString copy = dbtest::CopyInto(sample, dir.path());
    for (const char* column : {"A", "B"}) {
        const QString error =
            Pass(copy, QStringLiteral("Table1"), QLatin1String(column),
                 [](qint64 row, const std::optional<QString>&) {
                     return row == 1 ? QStringLiteral("\u00C9t\u00E9 2") : QStringLiteral("Zeta");
                 });
        EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
    }
    EXPECT_EQ(dbtest::ReadColumn(copy, QStringLiteral("Table1"), QStringLiteral("B"))[0],
              std::optional<QString>(QStringLiteral("\u00C9t\u00E9 2")));
    EXPECT_GE(CompareAllIndexes(copy), 5);
    ExpectOrderedTree(copy, QStringLiteral("Table1"));
}

TEST(JetIndexTest, AnIndexThatOutgrowsItsPagesTakesNewOnesAndListsThemInItsMap)
{
    const QString sample = Sample(QStringLiteral("kestrel-indexed.mdb"));
    REQUIRE_SAMPLE(sample);
    QTemporaryDir dir;
    const QString copy = dbtest::CopyInto(sample, dir.path());
    const qint64 before = QFileInfo(copy).size();
    const QString error =
        Pass(copy, QStringLiteral("ImgInfo"), QStringLiteral("FullPath"),
             [](qint64 row, const std::optional<QString>&) {
                 return QStringLiteral("E:\\%1\\").arg(row) + QString(180, QLatin1Char('x'));
             });
    ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
    EXPECT_GT(QFileInfo(copy).size(), before);
    EXPECT_GE(CompareAllIndexes(copy), 10);
    ExpectOrderedTree(copy, QStringLiteral("ImgInfo"));

    auto file = jet::JetFile::Open(copy);
    const jet::TableDef def = file->ReadTable(QStringLiteral("ImgInfo"));
    for (const jet::IndexDef& index : jet::ReadIndexes(*file, def)) {
        if (index.name != QLatin1String("ixFullPath"))
            continue;
        std::set<uint32_t> pages;
        std::vector<uint32_t> todo{index.rootPage};
        while (!todo.empty()) {
            const uint32_t number = todo.back();
            todo.pop_back();
            pages.insert(number);
            const IndexPage page = ReadIndexPage(*file, number);
            for (const std::vector<uint8_t>& e : page.entries) {
                if (page.type == 3)
                    todo.push_back(Be32(&e[e.size() - 4]));
            }
        }
        EXPECT_GT(pages.size(), 30u);
        FileStore store(*file);
        jet::UsageMapWriter map(store, index.pageMap);
        for (const uint32_t number : pages)
            EXPECT_TRUE(map.Contains(number)) << "page " << number;
    }
}

// Access stored keys for Greek, Cyrillic and Japanese values, which this
// program cannot make: rows that keep such a value keep their entries.
TEST(JetIndexTest, RowsThatKeepAValueWithAnUnplaceableCharacterKeepTheirEntries)
{
    const QString sample = Sample(QStringLiteral("testUnicodeCompV2003.mdb"));
    REQUIRE_SAMPLE(sample);
    QTemporaryDir dir;
    const QString copy = dbtest::CopyInto(sample, dir.path());
    const QString error =
        Pass(copy, QStringLiteral("Table"), QStringLiteral("Unicode"),
             [](qint64, const std::optional<QString>& v) {
                 const QString text = v.value_or(QString());
                 return text.at(0).unicode() < 0x80 ? QStringLiteral("Z") + text.mid(1) : text;
             });
    EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
    EXPECT_EQ(dbtest::ReadColumn(copy, QStringLiteral("Table"), QStringLiteral("Unicode"))[0],
              std::optional<QString>(QStringLiteral("Znly ascii chars")));
    EXPECT_GE(CompareAllIndexes(copy), 5);
    ExpectOrderedTree(copy, QStringLiteral("Table"));
}

} // namespace

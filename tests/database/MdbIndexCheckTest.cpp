// The index checker the relocation tests rely on: it passes the indexes an
// independent library wrote, and finds an entry that no longer matches.
#include "database/DatabaseTesting.h"
#include "support/MdbIndexCheck.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mdbtools.h>

namespace {

constexpr int kPage = 4096;
constexpr int kEntries = 0x1E0; // first entry of a Jet 4 index page

// The first page of a table's index, as its definition names it.
uint32_t IndexPage(const QString& file, const char* table, const char* index)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    if (!mdb)
        return 0;
    mdb_read_catalog(mdb, MDB_TABLE);
    QByteArray name(table);
    MdbTableDef* t = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    uint32_t page = 0;
    if (t && mdb_read_columns(t)) {
        mdb_read_indices(t);
        for (unsigned i = 0; i < t->indices->len; ++i) {
            auto* x = static_cast<MdbIndex*>(g_ptr_array_index(t->indices, i));
            if (qstrcmp(x->name, index) == 0)
                page = x->first_pg;
        }
    }
    mdb_free_tabledef(t);
    mdb_close(mdb);
    return page;
}

class MdbIndexCheckTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const QString folder = dbtest::AccessFilesFolder();
        if (folder.isEmpty())
            GTEST_SKIP() << "test databases not found in " KESTREL_SHARED_TESTDATA
                            "/access; skipped";
        m_db = dbtest::CopyInto(folder + QStringLiteral("/kestrel-indexed.mdb"), m_dir.path());
        m_page = IndexPage(m_db, "tAPR", "ixPath");
        ASSERT_GT(m_page, 0u);
        QFile f(m_db);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        f.seek(qint64(m_page) * kPage);
        m_bytes = f.read(kPage);
        ASSERT_EQ(m_bytes.at(0), 0x04) << "a single leaf";
    }

    void Write()
    {
        QFile f(m_db);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(qint64(m_page) * kPage);
        f.write(m_bytes);
    }

    std::vector<mdbcheck::IndexResult> Check() const
    {
        return mdbcheck::CheckTable(m_db, QStringLiteral("tAPR"));
    }

    QTemporaryDir m_dir;
    QString m_db;
    uint32_t m_page = 0;
    QByteArray m_bytes;
};

} // namespace

TEST_F(MdbIndexCheckTest, PassesTheIndependentLibrarysIndexesAndJudgesTheirKeys)
{
    const auto results = Check();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(mdbcheck::AllOk(results)) << mdbcheck::Describe(results).toStdString();
    EXPECT_EQ(results[1].entries, results[1].rows);
    EXPECT_GT(results[1].whole, results[1].rows / 2) << "most keys compared whole";
    EXPECT_GT(results[1].prefix, 0) << "the others up to their first non-ASCII sign";
}

TEST_F(MdbIndexCheckTest, FindsAKeyThatNoLongerSpellsItsRowsValue)
{
    // The first key of a path on drive C (code 4D after the 7F of a value)
    // made to spell drive E (51).
    const int at = m_bytes.indexOf(QByteArray("\x7F\x4D\x20\x29", 4), kEntries);
    ASSERT_GT(at, 0);
    m_bytes[at + 1] = '\x51';
    Write();
    const auto results = Check();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].Ok());
    EXPECT_FALSE(results[1].Ok());
    EXPECT_TRUE(results[1].problems.join(u' ').contains(QStringLiteral("does not match")))
        << mdbcheck::Describe(results).toStdString();
}

TEST_F(MdbIndexCheckTest, FindsAnEntryPointingAtAnotherRow)
{
    // The first two entries are NULL keys (00 and a 4-byte row pointer): the
    // first made to point at the second's row.
    ASSERT_EQ(m_bytes.at(kEntries), 0);
    ASSERT_EQ(m_bytes.at(kEntries + 5), 0);
    m_bytes[kEntries + 4] = m_bytes[kEntries + 9];
    Write();
    const QString problems = mdbcheck::Describe(Check());
    EXPECT_TRUE(problems.contains(QStringLiteral("second entry"))) << problems.toStdString();
    EXPECT_TRUE(problems.contains(QStringLiteral("row not in the index")))
        << problems.toStdString();
}

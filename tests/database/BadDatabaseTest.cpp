// Hostile database files through the relocation mode of the real executable:
// each gets a clear message and exit status 1, never a crash or a hang, and
// nothing is written.
#include "database/DatabaseTesting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kExample = QStringLiteral(KESTREL_SOURCE_DIR "/examples/workstation/Kestrel.mdb");

struct Outcome {
    bool finished = false; // on its own, without a crash
    int status = -1;
    QString out;
};

Outcome Relocate(const QString& database)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTREL_SETUP_EXE),
            {QStringLiteral("--headless"), QStringLiteral("E:\\;F:"), QStringLiteral("--database"),
             database});
    Outcome o;
    o.finished = p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit;
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    }
    o.status = p.exitCode();
    o.out = QString::fromUtf8(p.readAllStandardOutput());
    return o;
}

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class BadDatabase : public testing::Test
{
protected:
    QString Put(const QByteArray& bytes)
    {
        QFile f(m_db);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return m_db;
    }

    // The run failed with messages only, and left the folder as it was.
    void ExpectRefused(const Outcome& o, const QByteArray& before, const char* what)
    {
        EXPECT_TRUE(o.finished) << what << ": crashed or hung";
        EXPECT_EQ(o.status, 1) << what;
        const QStringList lines = o.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty()) << what;
        EXPECT_TRUE(lines.last().startsWith(QStringLiteral("message: "))) << what;
        for (const QString& line : lines) {
            EXPECT_TRUE(line.startsWith(QStringLiteral("message: ")) ||
                        line.startsWith(QStringLiteral("relocated: ")))
                << what << ": " << line.toStdString();
        }
        EXPECT_EQ(Bytes(m_db), before) << what;
        EXPECT_EQ(
            QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"Kestrel.mdb"})
            << what;
    }

    QTemporaryDir m_dir;
    const QString m_db = m_dir.filePath(QStringLiteral("Kestrel.mdb"));
};

} // namespace

TEST_F(BadDatabase, AnEmptyFileIsNamedEmpty)
{
    const Outcome o = Relocate(Put(QByteArray()));
    ExpectRefused(o, QByteArray(), "empty");
    EXPECT_EQ(
        o.out,
        QStringLiteral("message: Cannot open the database %1: the file is empty.\n").arg(m_db));
}

// Cut anywhere, the file is refused before a pass runs: within a page by its
// size; at a page boundary by the pages it lacks, and then nothing is saved.
TEST_F(BadDatabase, ATruncatedDatabaseIsRefusedAndLeftAsItWas)
{
    const QByteArray whole = Bytes(kExample);
    ASSERT_GT(whole.size(), 16 * 4096);
    for (const int size : {100, 4096, 4096 + 1000, 3 * 4096, 8 * 4096, int(whole.size()) / 2 + 7,
                           int(whole.size()) - 4096, int(whole.size()) - 1}) {
        const QByteArray cut = whole.left(size);
        const Outcome o = Relocate(Put(cut));
        const std::string what = "cut to " + std::to_string(size) + " bytes";
        ExpectRefused(o, cut, what.c_str());
        if (size % 4096 != 0 && size > 4096) {
            EXPECT_TRUE(o.out.contains(QStringLiteral("it was cut short"))) << what;
        } else if (size > 3 * 4096) {
            EXPECT_TRUE(o.out.contains(QStringLiteral("damaged"))) << what;
        }
    }
}

TEST_F(BadDatabase, ADirectoryInPlaceOfTheDatabaseIsNoFile)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("Kestrel.mdb")));
    const Outcome o = Relocate(m_db);
    EXPECT_TRUE(o.finished);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(
        o.out,
        QStringLiteral("message: Cannot open the database %1: it is not a file.\n").arg(m_db));
    EXPECT_TRUE(QFileInfo(m_db).isDir());
    EXPECT_TRUE(QDir(m_db).isEmpty());
}

TEST_F(BadDatabase, ADatabaseWithoutTheTablesGetsAMessagePerPassAndIsNotRewritten)
{
    jet4::WriteDatabase(m_db, {dbtest::KestrelTable("Patients", {"Name"}, {{"C:\\x"}})});
    const QByteArray before = Bytes(m_db);
    const Outcome o = Relocate(m_db);
    ExpectRefused(o, before, "no tables");
    EXPECT_EQ(o.out.count(QStringLiteral("message: The database ")), 4) << o.out.toStdString();
    EXPECT_TRUE(o.out.contains(QStringLiteral("has no table tAPR")));
    EXPECT_TRUE(o.out.contains(QStringLiteral("has no table ImgInfo")));
}

TEST_F(BadDatabase, JunkAndOtherFormatsAreNotAccessDatabases)
{
    QByteArray ace = Bytes(kExample).left(8192);
    ace.replace(4, 15, "Standard ACE DB");
    ace[0x14] = 3;
    for (const QByteArray& junk : {QByteArray(4096, '\0'), QByteArray(8192, 'x'),
                                   QByteArray("Standard Jet DB").leftJustified(4096, '\xff')}) {
        const Outcome o = Relocate(Put(junk));
        ExpectRefused(o, junk, "junk");
        EXPECT_TRUE(o.out.contains(QStringLiteral("it is not an Access database")))
            << o.out.toStdString();
    }
    // Access 2007 keeps Jet 4's pages: a file cut after two of them is damaged.
    const Outcome o = Relocate(Put(ace));
    ExpectRefused(o, ace, "Access 2007");
    EXPECT_TRUE(o.out.contains(QStringLiteral("the file is damaged"))) << o.out.toStdString();
}

// libmdb's own catalog reader loops for ever on a property block whose record
// has length 0; the catalog is read without it.
TEST_F(BadDatabase, TablePropertiesThatLoopLibmdbAreNotRead)
{
    {
        jet4::Writer writer(m_db);
        const int t = writer.AddTable("ImgInfo", {{"ID", jet4::Type::Long}, {"FullPath"}});
        writer.SetProperties(t, QByteArray("KKD\0\0\0\0\0\x34\x12", 10));
        writer.AddRow(t, {1, "C:\\IMG\\1.dcm"});
        writer.Finish();
    }
    const Outcome o = Relocate(m_db);
    EXPECT_TRUE(o.finished) << "hung";
    EXPECT_TRUE(o.out.contains(QStringLiteral("relocated: ImgInfo.FullPath rows=1 changed=1")))
        << o.out.toStdString();
    EXPECT_EQ(dbtest::ReadColumn(m_db, "ImgInfo", "FullPath"),
              std::vector<std::optional<QString>>{QStringLiteral("F:\\IMG\\1.dcm")});
}

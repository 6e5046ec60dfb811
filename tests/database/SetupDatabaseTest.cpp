#include "database/DatabaseTesting.h"

#include "app/SetUpApp.h"
#include "app/SetupDatabase.h"
#include "ui/Transcript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

using dbtest::KestrelTable;
using jet4::Value;

namespace {

using Column = std::vector<std::optional<QString>>;

QString Path(const char* text)
{
    return QString::fromUtf8(text);
}

ino_t Inode(const QString& file)
{
    struct stat st {
    };
    stat(QFile::encodeName(file).constData(), &st);
    return st.st_ino;
}

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class Relocation : public testing::Test
{
protected:
    // A database with the four columns, one or two rows each.
    QString Database(std::vector<jet4::TableData> tables = {})
    {
        if (tables.empty())
            tables = {KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\APR\\a.bmp"}}),
                      KestrelTable("tEc", {"LUT", "PAR"},
                                   {{"C:\\Ec\\1.lut", "D:\\Ec\\1.par"}, {Value(), "C:"}}),
                      KestrelTable("ImgInfo", {"FullPath"}, {{"C:\\IMG\\0001.dcm"}})};
        const QString path = m_dir.filePath(QStringLiteral("Kestrel.mdb"));
        jet4::WriteDatabase(path, tables);
        return path;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(Relocation, ArgumentGivesTheDatabasePathAndUpperCaseLetters)
{
    theApp.m_strAppDir = Path("e:\\");
    theApp.m_strArgPart2 = Path("f:");
    CSetupDatabase relocation;
    EXPECT_EQ(relocation.m_strMdbPath, Path("e:\\Kestrel.mdb"));
    EXPECT_EQ(relocation.m_strAppDrive, Path("e:\\"));
    EXPECT_EQ(relocation.m_strDcmDrive, Path("f:\\"));
    theApp.m_strAppDir = Path("D:");
    EXPECT_EQ(CSetupDatabase().m_strMdbPath, Path("D:\\Kestrel.mdb"));

    // Without a drive to reach, the database path names a file that does not exist.
    const dbtest::RunResult run = dbtest::Relocate(Path("e:\\;f:"), QString());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.transcript.startsWith(QStringLiteral("message: ")));
    EXPECT_TRUE(run.transcript.contains(QStringLiteral("e:\\\\Kestrel.mdb")))
        << run.transcript.toStdString();

    const QString db = Database();
    EXPECT_EQ(dbtest::Relocate(Path("e:\\;f:"), db).exitStatus, 0);
    EXPECT_EQ(dbtest::ReadColumn(db, "tAPR", "APRImagePath"), Column{Path("E:\\APR\\a.bmp")});
    EXPECT_EQ(dbtest::ReadColumn(db, "ImgInfo", "FullPath"), Column{Path("F:\\IMG\\0001.dcm")});
}

TEST_F(Relocation, InvalidLettersAreRefusedBeforeTheDatabaseIsTouched)
{
    const QString db = Database();
    const QByteArray before = Bytes(db);
    const ino_t inode = Inode(db);

    dbtest::RunResult run = dbtest::Relocate(Path("D:"), db);
    EXPECT_EQ(run.transcript, QStringLiteral("message: DCM Driver Letter Invalid\n"));
    EXPECT_EQ(run.exitStatus, 1);

    run = dbtest::Relocate(Path("1:\\data;E:"), db);
    EXPECT_EQ(run.transcript, QStringLiteral("message: APP Driver Letter Invalid\n"));
    EXPECT_EQ(run.exitStatus, 1);

    run = dbtest::Relocate(Path(";E:"), db);
    EXPECT_EQ(run.transcript, QStringLiteral("message: APP Driver Letter Invalid\n"));

    EXPECT_EQ(Bytes(db), before);
    EXPECT_EQ(Inode(db), inode);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"Kestrel.mdb"});
}

TEST_F(Relocation, EachColumnGetsItsDriveEmptyStaysEmptyAndNullBecomesEmpty)
{
    const QString db =
        Database({KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\APR\\a.bmp"}, {Value()}}),
                  KestrelTable("tEc", {"LUT", "PAR"},
                               {{"C:\\Ec\\1.lut", "D:\\Ec\\1.par"}, {Value(), "c:\\Ec\\2.par"}}),
                  KestrelTable("ImgInfo", {"FullPath"},
                               {{"C:\\IMG\\0001.dcm"}, {""}, {Value()}, {"D:\\IMG\\0002.dcm"}})});
    const dbtest::RunResult run = dbtest::Relocate(Path("E:\\;F:"), db);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.transcript, QStringLiteral("relocated: tAPR.APRImagePath rows=2 changed=2\n"
                                             "relocated: tEc.LUT rows=2 changed=2\n"
                                             "relocated: tEc.PAR rows=2 changed=2\n"
                                             "relocated: ImgInfo.FullPath rows=4 changed=3\n"));
    EXPECT_EQ(dbtest::ReadColumn(db, "tAPR", "APRImagePath"),
              (Column{Path("E:\\APR\\a.bmp"), Path("")}));
    EXPECT_EQ(dbtest::ReadColumn(db, "tEc", "LUT"), (Column{Path("E:\\Ec\\1.lut"), Path("")}));
    EXPECT_EQ(dbtest::ReadColumn(db, "tEc", "PAR"),
              (Column{Path("E:\\Ec\\1.par"), Path("E:\\Ec\\2.par")}));
    EXPECT_EQ(dbtest::ReadColumn(db, "ImgInfo", "FullPath"),
              (Column{Path("F:\\IMG\\0001.dcm"), Path(""), Path(""), Path("F:\\IMG\\0002.dcm")}));
    // mdb-export reads the result, every other column as it was.
    const std::vector<QStringList> rows = dbtest::Export(db, "ImgInfo");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (QStringList{"1", "F:\\IMG\\0001.dcm"}));
    EXPECT_EQ(rows[3], (QStringList{"4", "F:\\IMG\\0002.dcm"}));
}

TEST_F(Relocation, RunningTwiceLeavesWhatRunningOnceLeft)
{
    const QString db = Database();
    ASSERT_EQ(dbtest::Relocate(Path("E:\\;F:"), db).exitStatus, 0);
    const QByteArray once = Bytes(db);
    const ino_t inode = Inode(db);
    const dbtest::RunResult again = dbtest::Relocate(Path("E:\\;F:"), db);
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_TRUE(
        again.transcript.contains(QStringLiteral("relocated: ImgInfo.FullPath rows=1 changed=0")));
    EXPECT_EQ(Bytes(db), once);
    EXPECT_EQ(Inode(db), inode); // nothing to change: the file is not even rewritten
}

// Network and relative paths have no drive letter to replace.
TEST_F(Relocation, OnlyValuesStartingWithADriveGetTheNewLetter)
{
    const QString db = Database({KestrelTable("tAPR", {"APRImagePath"}, {}),
                                 KestrelTable("tEc", {"LUT", "PAR"}, {}),
                                 KestrelTable("ImgInfo", {"FullPath"},
                                              {{"\\\\server\\images\\1.dcm"},
                                               {"IMG\\2.dcm"},
                                               {"1:\\3.dcm"},
                                               {"C:"},
                                               {"c:\\4.dcm"},
                                               {"C"}})});
    EXPECT_EQ(dbtest::Relocate(Path("E:;F:"), db).exitStatus, 0);
    EXPECT_EQ(dbtest::ReadColumn(db, "ImgInfo", "FullPath"),
              (Column{Path("\\\\server\\images\\1.dcm"), Path("IMG\\2.dcm"), Path("1:\\3.dcm"),
                      Path("F:"), Path("F:\\4.dcm"), Path("C")}));
}

// A database that cannot be opened is named in one message; no pass runs.
TEST_F(Relocation, ADatabaseThatCannotBeOpenedIsReportedByName)
{
    const QString missing = m_dir.filePath(QStringLiteral("Missing.mdb"));
    dbtest::RunResult run = dbtest::Relocate(Path("E:;F:"), missing);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.transcript.count(QStringLiteral("message: ")), 1);
    EXPECT_TRUE(run.transcript.contains(missing)) << run.transcript.toStdString();

    const QString text = m_dir.filePath(QStringLiteral("Kestrel.mdb"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    run = dbtest::Relocate(Path("E:;F:"), text);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.transcript.contains(text)) << run.transcript.toStdString();
    EXPECT_FALSE(run.transcript.contains(QStringLiteral("relocated:")));
}

// Jet's lock file means the acquisition application has the database open.
TEST_F(Relocation, ALockFileBesideTheDatabaseRefusesTheRelocation)
{
    const QString db = Database();
    const QByteArray before = Bytes(db);
    QFile lock(m_dir.filePath(QStringLiteral("Kestrel.ldb")));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    const dbtest::RunResult run = dbtest::Relocate(Path("E:;F:"), db);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.transcript.contains(QStringLiteral("in use by the acquisition application")))
        << run.transcript.toStdString();
    EXPECT_EQ(Bytes(db), before);
}

// A working copy that another run still writes is left alone; one that a
// killed run left behind is taken over.
TEST_F(Relocation, AWorkingCopyInUseRefusesTheRelocationAndALeftOneIsTakenOver)
{
    const QString db = Database();
    const QByteArray before = Bytes(db);
    const QString copy = db + QStringLiteral(".relocating");
    QFile other(copy);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("half a copy");
    other.flush();
    ASSERT_EQ(flock(other.handle(), LOCK_EX | LOCK_NB), 0);
    dbtest::RunResult run = dbtest::Relocate(Path("E:;F:"), db);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.transcript.contains(QStringLiteral("is being relocated by another run")))
        << run.transcript.toStdString();
    EXPECT_EQ(Bytes(db), before);
    EXPECT_EQ(Bytes(copy), QByteArray("half a copy"));

    other.close(); // the other run was killed
    run = dbtest::Relocate(Path("E:;F:"), db);
    EXPECT_EQ(run.exitStatus, 0) << run.transcript.toStdString();
    EXPECT_EQ(dbtest::ReadColumn(db, "ImgInfo", "FullPath"), Column{Path("F:\\IMG\\0001.dcm")});
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"Kestrel.mdb"});
}

// A pass that meets a value it cannot change safely reports it and stops; the
// rows before stay changed, the other passes run, the exit status tells.
TEST_F(Relocation, AFailingPassStopsAtTheRowItCannotChange)
{
    jet4::TableData tEc = KestrelTable("tEc", {"LUT", "PAR"},
                                       {{"C:\\1.lut", "C:\\1.par"}, {"C:\\2.lut", "C:\\2.par"}});
    tEc.columns[1].indexed = true;
    // Row 3 is so near a row's 4060-byte limit that its NULL memo has no room
    // to become an empty one (12 bytes).
    jet4::TableData images = KestrelTable("ImgInfo", {}, {});
    images.columns.push_back({QStringLiteral("FullPath"), jet4::Type::Memo});
    std::vector<Value> big{3, Value()};
    for (int i = 0; i < 8; ++i) {
        images.columns.push_back({QStringLiteral("Note%1").arg(i), jet4::Type::Text});
        big.push_back(QString(i < 7 ? 255 : 228, QChar(0x0100)));
    }
    images.rows = {{1, "C:\\1.dcm"}, {2, "C:\\2.dcm"}, big, {4, "C:\\4.dcm"}};
    const QString db =
        Database({KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\a.bmp"}}), tEc, images});

    const dbtest::RunResult run = dbtest::Relocate(Path("E:;F:"), db);
    EXPECT_EQ(run.exitStatus, 1);
    const QStringList lines = run.transcript.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << run.transcript.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("relocated: tAPR.APRImagePath rows=1 changed=1"));
    EXPECT_EQ(lines[1], QStringLiteral("relocated: tEc.LUT rows=2 changed=2")); // indexed
    EXPECT_EQ(lines[2], QStringLiteral("relocated: tEc.PAR rows=2 changed=2"));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("ImgInfo.FullPath (row 3)")))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral(
        "The pass over ImgInfo.FullPath stopped at this row: it and the rows after it were "
        "left as they were.")))
        << "row 4 was left too: " << lines[3].toStdString();

    EXPECT_EQ(dbtest::ReadColumn(db, "tEc", "LUT"), (Column{Path("E:\\1.lut"), Path("E:\\2.lut")}));
    EXPECT_EQ(dbtest::ReadColumn(db, "ImgInfo", "FullPath"),
              (Column{Path("F:\\1.dcm"), Path("F:\\2.dcm"), std::nullopt, Path("C:\\4.dcm")}));
}

TEST_F(Relocation, AMissingTableIsReportedAndTheOtherPassesRun)
{
    const QString db = Database({KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\a.bmp"}}),
                                 KestrelTable("ImgInfo", {"FullPath"}, {{"C:\\1.dcm"}})});
    const dbtest::RunResult run = dbtest::Relocate(Path("E:;F:"), db);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.transcript.count(QStringLiteral("has no table tEc")), 2)
        << run.transcript.toStdString();
    EXPECT_TRUE(
        run.transcript.contains(QStringLiteral("relocated: ImgInfo.FullPath rows=1 changed=1")));
}

// The database is replaced as a whole, so a crash leaves the
// old or the new file, and no working copy stays behind.
TEST_F(Relocation, TheDatabaseIsReplacedWholeAndNoCopyStaysBehind)
{
    const QString db = Database();
    chmod(QFile::encodeName(db).constData(), 0640);
    const ino_t inode = Inode(db);
    EXPECT_EQ(dbtest::Relocate(Path("E:;F:"), db).exitStatus, 0);
    EXPECT_NE(Inode(db), inode);
    struct stat st {
    };
    stat(QFile::encodeName(db).constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u); // the new file keeps the old one's permissions
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"Kestrel.mdb"});
}

// A folder named with "%1" and "%2" is named as it is, numbers and all.
TEST_F(Relocation, ADatabasePathWithPlaceholdersIsNamedAsItIs)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("a%1b%2")));
    const QString db = m_dir.filePath(QStringLiteral("a%1b%2/Kestrel.mdb"));
    jet4::WriteDatabase(db, {KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\a.bmp"}})});
    QFile f(db);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(100, '\0')); // cut short of a whole page
    f.close();
    const dbtest::RunResult run = dbtest::Relocate(Path("E:;F:"), db);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.transcript.contains(QStringLiteral("Cannot open the database %1: the file is "
                                                       "damaged (its %2 bytes")
                                            .arg(db, QString::number(QFileInfo(db).size()))))
        << run.transcript.toStdString();
}

// What a save tells and keeps: the change lines in write order, the dry run
// that writes nothing, and the backups taken before a file is replaced.
#include "settings/Backup.h"
#include "settings/SaveTransaction.h"
#include "settings/Workstation.h"
#include "ini/FileAttributes.h"
#include "ini/Profile.h"
#include "ui/Transcript.h"
#include "settings/Ini.h"
#include "support/ScriptRun.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class SaveTest : public ::testing::Test
{
protected:
    SaveTest()
    {
        WorkstationContext context;
        context.folder = ws.Dir() + QLatin1Char('/');
        SetWorkstation(context);
        ClearSaveFailures();
        fileattr::ResetWritten();
    }
    ~SaveTest() override { profile::SetDryRun(false); }

    // Runs one save as a handler would and returns its transcript lines.
    QStringList Save(const std::function<void()>& writes, bool* saved = nullptr)
    {
        QString out;
        transcript::SetActive(true);
        transcript::SetSink(&out);
        const bool ok = RunSaveTransaction(writes);
        transcript::SetSink(nullptr);
        if (saved)
            *saved = ok;
        return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QByteArray PathOf(const QString& name) const { return QFile::encodeName(ws.Path(name)); }

    static qint64 ChangeTime(const QString& path)
    {
        struct stat st {
        };
        ::stat(QFile::encodeName(path).constData(), &st);
        return qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    }

    Workstation ws;
};

const char kIni[] = "[Cor]\nWidth=3072\nHeight=3072\nPath=C:\\Cor\n[Old]\nA=1\nB=2\n";

TEST_F(SaveTest, ChangeLinesFollowTheWriteOrderAcrossFiles)
{
    ws.WriteIni(kIni);
    ws.WriteIni("[COMMON]\nPort=1\n", "FPDOpr.INI");
    QDir(ws.Dir()).mkdir("vendor");
    ws.WriteIni("[Sec]\n", "vendor/x.ini");
    const QByteArray iniPath = PathOf("Kestrel.ini"), fpd = PathOf("FPDOpr.INI"),
                     other = PathOf("vendor/x.ini");
    const char* ini = iniPath.constData();
    const QStringList lines = Save([&] {
        CIni k(ini), v(fpd.constData()), o(other.constData());
        k.WriteString("Cor", "Width", "2048");
        v.WriteString("COMMON", "Port", "2");
        k.WriteString("Cor", "Height", "3072"); // what it holds: no change yet
        k.WriteString("Cor", "Path", "D:\\new \"x\"");
        k.WriteString("cor", "WIDTH", "2044"); // one line, in its first place
        k.WriteString("New", "Key", "1");
        k.WriteString("New", "Tmp", "x");
        WritePrivateProfileStringA("New", "Tmp", nullptr, ini); // missing before and after
        WritePrivateProfileStringA("Old", nullptr, nullptr, ini);
        WritePrivateProfileStringA("Cor", "Height", nullptr, ini);
        o.WriteString("Sec", "K", "v");
    });
    EXPECT_EQ(
        lines.join('\n').toStdString(),
        QStringList(
            {
                R"(change: Kestrel.ini [Cor] Width: "3072" -> "2044")",
                R"(change: FPDOpr.INI [COMMON] Port: "1" -> "2")",
                R"(change: Kestrel.ini [Cor] Height: "3072" -> (none))",
                R"(change: Kestrel.ini [Cor] Path: "C:\\Cor" -> "D:\\new \"x\"")",
                R"(change: Kestrel.ini [New] Key: (none) -> "1")",
                R"(change: Kestrel.ini [Old] A: "1" -> (none))",
                R"(change: Kestrel.ini [Old] B: "2" -> (none))",
                QStringLiteral(R"(change: %1 [Sec] K: (none) -> "v")").arg(ws.Path("vendor/x.ini")),
            })
            .join('\n')
            .toStdString());
    EXPECT_EQ(ws.Read("Kestrel.ini"),
              "[Cor]\r\nWidth=2044\r\nPath=D:\\new \"x\"\r\n[New]\r\nKey=1\r\n");
    EXPECT_TRUE(ws.Exists("backup")) << "a copy beside each file replaced";
    EXPECT_TRUE(ws.Exists("vendor/backup"));
}

TEST_F(SaveTest, FileThatCouldNotBeSavedGetsNoChangeLines)
{
    ws.WriteIni(kIni);
    ws.WriteIni("[COMMON]\nPort=1\n", "FPDOpr.INI");
    ::chmod(PathOf("FPDOpr.INI").constData(), 0444);
    bool saved = true;
    const QStringList lines = Save(
        [&] {
            CIni(PathOf("FPDOpr.INI").constData()).WriteInt("COMMON", "Port", 2);
            CIni(PathOf("Kestrel.ini").constData()).WriteInt("Cor", "Width", 1);
        },
        &saved);
    EXPECT_FALSE(saved);
    EXPECT_EQ(lines, QStringList({QStringLiteral("message: Could not save %1: File is read-only")
                                      .arg(ws.Path("FPDOpr.INI")),
                                  R"(change: Kestrel.ini [Cor] Width: "3072" -> "1")"}));
}

// A file that failed whole is told once, by its save; a value refused in a
// file that was saved is told with its key.
TEST_F(SaveTest, RefusedValueIsToldWithItsKeyUnlessItsFileFailed)
{
    ws.WriteIni(kIni);
    ws.WriteIni("[COMMON]\nPort=1\n", "FPDOpr.INI");
    ::chmod(PathOf("FPDOpr.INI").constData(), 0444);
    bool saved = true;
    const QStringList lines = Save(
        [&] {
            CIni vendor(PathOf("FPDOpr.INI").constData());
            vendor.WriteInt("COMMON", "Port", 2);
            vendor.WriteString("COMMON", "Name", "a\nb");
            CIni ini(PathOf("Kestrel.ini").constData());
            ini.WriteString("Cor", "Path", "D:\\x\r\n[New]");
            ini.WriteInt("Cor", "Width", 1);
        },
        &saved);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(AnySaveFailed());
    EXPECT_EQ(lines, QStringList({QStringLiteral("message: Could not save %1: File is read-only")
                                      .arg(ws.Path("FPDOpr.INI")),
                                  QStringLiteral("message: Could not save %1: [Cor] Path was not "
                                                 "written: the value holds a line break.")
                                      .arg(ws.Path("Kestrel.ini")),
                                  R"(change: Kestrel.ini [Cor] Width: "3072" -> "1")"}));
    EXPECT_EQ(ws.Value("Cor", "Path"), "C:\\Cor");
    EXPECT_TRUE(TakeRefusedWrites().empty());
}

// Writes that come back to what a file holds leave it alone: same inode and
// times, no flush, no backup copy; a file that does change is saved as ever.
TEST_F(SaveTest, FileWhoseBytesWouldStayTheSameIsNotReplaced)
{
    ws.WriteIni(kIni);
    ws.WriteIni("[COMMON]\nPort=1\n", "FPDOpr.INI");
    const qint64 ini = ChangeTime(ws.Path("Kestrel.ini"));
    const qint64 vendor = ChangeTime(ws.Path("FPDOpr.INI"));
    const QByteArray before = ws.Read("Kestrel.ini");
    bool saved = false;
    const QStringList lines = Save(
        [&] {
            CIni k(PathOf("Kestrel.ini").constData());
            k.WriteInt("Cor", "Width", 1);
            k.WriteInt("Cor", "Width", 3072);
            k.WriteString("Cor", "Path", "D:\\x");
            k.WriteString("Cor", "Path", "C:\\Cor");
            CIni(PathOf("FPDOpr.INI").constData()).WriteInt("COMMON", "Port", 2);
        },
        &saved);
    EXPECT_TRUE(saved);
    EXPECT_EQ(lines, QStringList(R"(change: FPDOpr.INI [COMMON] Port: "1" -> "2")"));
    EXPECT_EQ(ws.Read("Kestrel.ini"), before);
    EXPECT_EQ(ChangeTime(ws.Path("Kestrel.ini")), ini);
    EXPECT_NE(ChangeTime(ws.Path("FPDOpr.INI")), vendor);
    const QStringList copies = QDir(ws.Path("backup")).entryList(QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(copies[0].startsWith("FPDOpr.INI.")) << "no copy of the file left alone";
}

TEST_F(SaveTest, ScriptedOkWithoutEditsTwiceRewritesNothingTheSecondTime)
{
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n[Cor]\nRotate1=0\n");
    ASSERT_EQ(ws.Run("ok\n").status, 0);
    const qint64 changed = ChangeTime(ws.Path("Kestrel.ini"));
    const QStringList copies = QDir(ws.Path("backup")).entryList(QDir::Files);
    const ScriptResult r = ws.Run("tab 2\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Lines("change: ").isEmpty()) << r.transcript.toStdString();
    EXPECT_EQ(ChangeTime(ws.Path("Kestrel.ini")), changed);
    EXPECT_EQ(QDir(ws.Path("backup")).entryList(QDir::Files), copies);
}

TEST_F(SaveTest, DryRunWritesNothingAndLaterSavesSeeItsContent)
{
    ws.WriteIni(kIni);
    const QByteArray ini = PathOf("Kestrel.ini");
    ::chmod(ini.constData(), 0444);
    const QByteArray before = ws.Read("Kestrel.ini");
    const qint64 changed = ChangeTime(ws.Path("Kestrel.ini"));
    profile::SetDryRun(true);

    // As start-up does: lift the read-only attribute, in memory only.
    EXPECT_TRUE(SetFileAttributesA(ini.constData(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA(ini.constData()), FILE_ATTRIBUTE_NORMAL);
    CIni k(ini.constData());
    EXPECT_EQ(Save([&] { k.WriteInt("Cor", "Width", 2048); }),
              QStringList(R"(change: Kestrel.ini [Cor] Width: "3072" -> "2048")"));
    EXPECT_EQ(k.GetInt("Cor", "Width", 0), 2048);
    EXPECT_EQ(Save([&] { k.WriteInt("Cor", "Width", 1024); }),
              QStringList(R"(change: Kestrel.ini [Cor] Width: "2048" -> "1024")"));
    EXPECT_TRUE(k.WriteString("Cor", "Outside", "1")) << "a write outside a save stays unwritten";
    EXPECT_EQ(k.GetInt("Cor", "Outside", 0), 1);
    EXPECT_TRUE(SetFileAttributesA(ini.constData(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Save([&] { k.WriteInt("Cor", "Width", 1); }),
              QStringList(QStringLiteral("message: Could not save %1: File is read-only")
                              .arg(ws.Path("Kestrel.ini"))))
        << "protected again in memory, a save fails as it would for real";

    EXPECT_EQ(ws.Read("Kestrel.ini"), before);
    EXPECT_EQ(ChangeTime(ws.Path("Kestrel.ini")), changed) << "not even the attributes";
    EXPECT_FALSE(ws.Exists("backup"));

    profile::SetDryRun(false);
    EXPECT_EQ(k.GetInt("Cor", "Width", 0), 3072) << "the end of the dry run forgets it all";
    EXPECT_EQ(GetFileAttributesA(ini.constData()) & FILE_ATTRIBUTE_READONLY,
              FILE_ATTRIBUTE_READONLY);
}

TEST_F(SaveTest, ScriptedOkPrintsTheSameLinesWithAndWithoutDryRun)
{
    ws.WriteIni("[CONTROLPANNEL]\nDevice=11\n[Cor]\nOriW=2048\nOriH=2048\nWidth=2048\n"
                "Height=2048\n");
    ::chmod(PathOf("Kestrel.ini").constData(), 0444);
    const QByteArray before = ws.Read("Kestrel.ini");
    const QString script = QStringLiteral("arrow 1049 1\nok\n");

    const ScriptResult dry = ws.Run(script, true);
    EXPECT_EQ(dry.status, 0) << dry.transcript.toStdString();
    const QStringList changes = dry.Lines(QStringLiteral("change: "));
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.first(), R"(change: Kestrel.ini [Cor] Width: "2048" -> "2044")");
    EXPECT_EQ(ws.Read("Kestrel.ini"), before);
    EXPECT_FALSE(ws.Exists("backup"));

    const ScriptResult real = ws.Run(script);
    EXPECT_EQ(real.status, 0) << real.transcript.toStdString();
    EXPECT_EQ(real.Lines(QStringLiteral("change: ")), changes);
    EXPECT_EQ(ws.Value("Cor", "Width"), "2044");
    const QVector<backup::Entry> copies = backup::List(ws.Dir());
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(copies[0].fileName, "Kestrel.ini");
    QFile copy(copies[0].path);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), before);
}

TEST_F(SaveTest, EverySaveKeepsThePreviousContentAndTheNewestTwentyStay)
{
    ws.WriteIni("[Cor]\nWidth=0\n");
    CIni k(PathOf("Kestrel.ini").constData());
    for (int i = 1; i <= 25; ++i)
        Save([&] { k.WriteInt("Cor", "Width", i); });
    Save([&] { k.WriteInt("Cor", "Width", 25); });
    Save([&] { k.WriteInt("Cor", "Width", 25); });

    const QVector<backup::Entry> copies = backup::List(ws.Dir());
    ASSERT_EQ(copies.size(), backup::kKeptPerFile);
    auto content = [](const backup::Entry& e) {
        QFile f(e.path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    // Newest first: the content before the save of 25, then before the save of
    // 24, ...; the two saves that changed nothing kept no copy.
    EXPECT_EQ(content(copies[0]), "[Cor]\r\nWidth=24\r\n");
    EXPECT_EQ(content(copies[1]), "[Cor]\r\nWidth=23\r\n");
    EXPECT_EQ(content(copies[19]), "[Cor]\r\nWidth=5\r\n");
    for (int i = 1; i < copies.size(); ++i)
        EXPECT_LT(copies[i].time, copies[i - 1].time);
}

TEST_F(SaveTest, BackupThatCannotBeWrittenIsToldAndTheSaveGoesOn)
{
    ws.WriteIni("[Cor]\nWidth=0\n");
    ws.Write("backup", "a file where the folder should be");
    bool saved = false;
    const QStringList lines =
        Save([&] { CIni(PathOf("Kestrel.ini").constData()).WriteInt("Cor", "Width", 1); }, &saved);
    EXPECT_TRUE(saved);
    EXPECT_EQ(lines.value(0),
              QStringLiteral("message: Could not back up %1 (cannot create the folder backup); "
                             "it is saved without a backup.")
                  .arg(ws.Path("Kestrel.ini")));
    EXPECT_EQ(ws.Value("Cor", "Width"), "1");
    EXPECT_FALSE(AnySaveFailed());
}

} // namespace

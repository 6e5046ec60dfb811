// The review of what OK would change and the restore of a backup, both from
// the main dialog's context menu, driven end to end through scripted mode.
#include "settings/Backup.h"
#include "support/ScriptRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>

namespace {

QByteArray ExampleIni()
{
    QFile f(QStringLiteral(KESTREL_SOURCE_DIR "/examples/workstation/Kestrel.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Edits on the detector, generator and system pages.
const char kEdits[] = "arrow 1049 -1\n"
                      "click 1034\n"
                      "tab 1\n"
                      "select 1083 \"iba\"\n"
                      "select 1137 \"COM3\"\n"
                      "tab 2\n"
                      "click 1052\n"
                      "type 1064 \"\\\" wide \\\"\"\n";

const char kReview[] = "menu \"Review Changes...\"\nok\n";

// The transcript lines that follow line `after` (counted from 0) up to the
// first that does not start with "change: ".
QStringList ChangesAfter(const QStringList& lines, int after)
{
    QStringList changes;
    for (int i = after + 1; i < lines.size() && lines[i].startsWith("change: "); ++i)
        changes << lines[i];
    return changes;
}

QStringList Lines(const ScriptResult& r)
{
    return r.transcript.split('\n', Qt::SkipEmptyParts);
}

// Every file under the workstation folder with its bytes and permissions.
std::map<QString, std::pair<QByteArray, int>> Snapshot(const Workstation& ws)
{
    std::map<QString, std::pair<QByteArray, int>> files;
    QDirIterator it(ws.Dir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        f.open(QIODevice::ReadOnly);
        files[f.fileName()] = {f.readAll(), int(f.permissions())};
    }
    return files;
}

} // namespace

TEST(ReviewChanges, MatchesTheDryRunLineForLineAfterEachRoundOfEdits)
{
    Workstation ws;
    ws.Write("Kestrel.ini", ExampleIni());
    const QString script = QString(kReview) + kEdits + kReview + "tab 0\narrow 1049 -1\n" +
                           kReview + "dump 1041\nok\n";
    const ScriptResult r = ws.Run(script, true);
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    const QStringList lines = Lines(r);
    QList<int> reviews;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i] == "dialog: \"Review changes\"")
            reviews << i;
    }
    ASSERT_EQ(reviews.size(), 3) << r.transcript.toStdString();
    const int dump = int(lines.indexOf(QRegularExpression("control 1041 .*")));
    ASSERT_GT(dump, reviews[2]);
    const QStringList dryRun = ChangesAfter(lines, dump);

    EXPECT_GE(dryRun.size(), 6) << r.transcript.toStdString();
    EXPECT_EQ(ChangesAfter(lines, reviews[2]), dryRun);
    const QStringList second = ChangesAfter(lines, reviews[1]);
    EXPECT_NE(second, dryRun) << "a later review shows the later edits";
    EXPECT_TRUE(second.contains("change: Kestrel.ini [Cor] Width: \"3000\" -> \"3004\""))
        << second.join('\n').toStdString();
    EXPECT_TRUE(dryRun.contains("change: Kestrel.ini [Cor] Width: \"3000\" -> \"3008\""));
    EXPECT_TRUE(dryRun.filter("VoraViewWidth").value(0).endsWith("-> \" wide \""))
        << "blanks at the ends of a value show";
}

TEST(ReviewChanges, WritesNothingKeepsNoBackupAndLeavesEveryPageAsItWas)
{
    Workstation ws;
    ws.Write("Kestrel.ini", ExampleIni());
    const auto before = Snapshot(ws);
    const QString dumpAll = "tab 0\ndump\ntab 1\ndump\ntab 2\ndump\n";
    const ScriptResult r = ws.Run(QString(kEdits) + dumpAll + kReview + dumpAll +
                                  "menu \"Review Changes...\"\ncancel\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(Snapshot(ws), before);
    EXPECT_FALSE(QDir(ws.Path("backup")).exists());

    // The dumps before the review and those after it, up to the second review.
    QStringList dumps[2];
    int part = 0;
    for (const QString& line : Lines(r)) {
        if (line.startsWith("dialog: ") && ++part == 2)
            break;
        if (line.startsWith("tabs ") || line.startsWith("control "))
            dumps[part].append(line);
    }
    EXPECT_GT(dumps[0].size(), 30);
    EXPECT_EQ(dumps[1], dumps[0]);
    EXPECT_EQ(r.Lines("dialog: ").size(), 2) << "the entry is \"&Review Changes...\"";

    // The Varian page makes Kestrel.ini read-only after its writes.
    Workstation varian;
    QByteArray ini = ExampleIni();
    ini.replace("Device=11\r\n", "Device=12\r\n");
    varian.Write("Kestrel.ini", ini);
    const auto varianBefore = Snapshot(varian);
    ASSERT_EQ(varian.Run(kReview).status, 0);
    EXPECT_EQ(Snapshot(varian), varianBefore);
}

TEST(ReviewChanges, ShowsNoLinesWhenOkWouldChangeNothingAndRefusesAnUnknownEntry)
{
    Workstation ws;
    ws.Write("Kestrel.ini", ExampleIni());
    // A first save brings the file to what OK writes.
    ASSERT_EQ(ws.Run("ok\n").status, 0);
    ScriptResult r = ws.Run("menu \"Review Changes...\"\ndump 1003\nok\n");
    const QStringList lines = Lines(r);
    const int review = int(lines.indexOf("dialog: \"Review changes\""));
    ASSERT_GE(review, 0) << r.transcript.toStdString();
    EXPECT_TRUE(ChangesAfter(lines, review).isEmpty()) << r.transcript.toStdString();
    EXPECT_EQ(
        r.Control(1003),
        "control 1003 label visible=1 enabled=1 checked=0 sel=-1 text=\"No changes\" items=[]");

    r = ws.Run("menu \"Open Sesame\"\nok\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.Lines("error: "), QStringList{"error: 1: no menu entry \\\"Open Sesame\\\""});
}

namespace {

QByteArray Ini(const QByteArray& width, const QByteArray& extra = {})
{
    QByteArray text =
        "[CONTROLPANNEL]\r\nDevice=11\r\n[Cor]\r\nOriW=4000\r\nOriH=4000\r\nWidth=" + width +
        "\r\nHeight=3000\r\n" + extra;
    return text;
}

// A workstation with two backups of Kestrel.ini, named so that two such
// workstations hold the same ones.
void PrepareBackups(const Workstation& ws)
{
    QDir(ws.Dir()).mkdir("backup");
    ws.Write("backup/Kestrel.ini.20260101-080000.000Z", Ini("1112", "Old=1\r\n"));
    ws.Write("backup/Kestrel.ini.20260102-080000.000Z", Ini("2224"));
    ws.Write("Kestrel.ini", Ini("3000", "New= x \r\n"));
}

} // namespace

TEST(RestoreBackup, ListsTheCopiesAndShowsTheKeysTheChosenOnePutsBack)
{
    Workstation ws;
    PrepareBackups(ws);
    const ScriptResult r = ws.Run("menu \"Restore Backup...\"\ndump 1001\ndump 1\n"
                                  "select 1001 1\ndump 1002\ncancel\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Lines("dialog: ").contains("dialog: \"Restore backup\""));
    const QString list = r.Control(1001);
    EXPECT_TRUE(list.contains("items=[\"1: Kestrel.ini 2026-01-02 ")) << list.toStdString();
    EXPECT_TRUE(list.contains("\"2: Kestrel.ini 2026-01-01 ")) << list.toStdString();
    EXPECT_TRUE(r.Control(1).contains("enabled=0")) << "nothing chosen, nothing to restore";
    EXPECT_TRUE(r.Control(1002).contains(
        "items=[\"change: Kestrel.ini [Cor] Width: \\\"3000\\\" -> \\\"1112\\\"\","
        "\"change: Kestrel.ini [Cor] Old: (none) -> \\\"1\\\"\","
        "\"change: Kestrel.ini [Cor] New: \\\"x\\\" -> (none)\"]"))
        << r.Control(1002).toStdString();
    EXPECT_EQ(ws.Read("Kestrel.ini"), Ini("3000", "New= x \r\n")) << "Close restores nothing";
}

TEST(RestoreBackup, GivesTheFileOfRestoreNAndRebuildsTheDialogOnIt)
{
    Workstation byCommand, byDialog;
    PrepareBackups(byCommand);
    PrepareBackups(byDialog);
    QProcess p;
    p.start(QStringLiteral(KESTREL_SETUP_EXE), {"--dir", byCommand.Dir(), "--restore", "2"});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    const ScriptResult r = byDialog.Run("arrow 1049 -1\nmenu \"Restore Backup...\"\n"
                                        "select 1001 1\nclick 1\ndump 1041\ncancel\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Lines("message: ").value(0).contains("Edits not yet saved are dropped"))
        << r.transcript.toStdString();
    EXPECT_EQ(byDialog.Read("Kestrel.ini"), byCommand.Read("Kestrel.ini"));
    EXPECT_EQ(byDialog.Read("Kestrel.ini"), Ini("1112", "Old=1\r\n"));
    EXPECT_TRUE(r.Control(1041).contains("text=\"1112\"")) << r.Control(1041).toStdString();

    const QVector<backup::Entry> copies = backup::List(byDialog.Dir());
    ASSERT_EQ(copies.size(), 3) << "the content the restore replaced is kept first";
    QFile newest(copies[0].path);
    ASSERT_TRUE(newest.open(QIODevice::ReadOnly));
    EXPECT_EQ(newest.readAll(), Ini("3000", "New= x \r\n"));
}

TEST(RestoreBackup, WritesNothingInADryRun)
{
    Workstation ws;
    PrepareBackups(ws);
    const ScriptResult r = ws.Run("menu \"Restore Backup...\"\nselect 1001 0\nok\ncancel\n", true);
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("message: "),
              QStringList{"message: A dry run writes nothing: the backup is not restored."});
    EXPECT_EQ(ws.Read("Kestrel.ini"), Ini("3000", "New= x \r\n"));
    EXPECT_EQ(backup::List(ws.Dir()).size(), 2);
}

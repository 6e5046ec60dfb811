// kestrel-setup --restore: listing the backups and putting one back.
#include "settings/Backup.h"
#include "support/ScriptRun.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Outcome {
    int status;
    QString out, err;
};

Outcome RunExe(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KESTREL_SETUP_EXE), args);
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray Ini(int width)
{
    return "[Cor]\r\nWidth=" + QByteArray::number(width) + "\r\n";
}

} // namespace

TEST(Restore, ListsNewestFirstAndPutsTheChosenCopyBack)
{
    Workstation ws;
    Outcome o = RunExe({"--dir", ws.Dir(), "--restore"});
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.out.startsWith("No backups in ")) << o.out.toStdString();

    for (int width : {1, 2, 3}) {
        ws.Write("Kestrel.ini", Ini(width));
        EXPECT_TRUE(backup::Keep(ws.Path("Kestrel.ini")).isEmpty());
    }
    ws.Write("Kestrel.ini", Ini(4));
    ::chmod(QFile::encodeName(ws.Path("Kestrel.ini")).constData(), 0444);

    o = RunExe({"--dir", ws.Dir(), "--restore"});
    EXPECT_EQ(o.status, 0);
    const QStringList lines = o.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << o.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("1: Kestrel.ini ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[2].startsWith("3: Kestrel.ini "));
    EXPECT_TRUE(lines[2].endsWith(" (16 bytes)"));

    o = RunExe({"--dir", ws.Dir(), "--restore", "2"});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.startsWith("restored: Kestrel.ini from backup/Kestrel.ini."))
        << o.out.toStdString();
    EXPECT_EQ(ws.Read("Kestrel.ini"), Ini(2));
    struct stat st {
    };
    ::stat(QFile::encodeName(ws.Path("Kestrel.ini")).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0444u) << "a protected file stays protected";

    const QVector<backup::Entry> copies = backup::List(ws.Dir());
    ASSERT_EQ(copies.size(), 4) << "the content replaced by the restore is kept first";
    QFile newest(copies[0].path);
    ASSERT_TRUE(newest.open(QIODevice::ReadOnly));
    EXPECT_EQ(newest.readAll(), Ini(4));
}

TEST(Restore, RefusesANumberThatIsNoBackup)
{
    Workstation ws;
    ws.Write("Kestrel.ini", Ini(1));
    Outcome o = RunExe({"--dir", ws.Dir(), "--restore", "1"});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.err.contains("there is no backup 1")) << o.err.toStdString();
    EXPECT_EQ(ws.Read("Kestrel.ini"), Ini(1));
    o = RunExe({"--dir", ws.Dir(), "--restore", "0"});
    EXPECT_EQ(o.status, 2);
    o = RunExe({"--dir", ws.Dir(), "--restore", "two"});
    EXPECT_EQ(o.status, 2) << "not taken for the relocation argument";
}

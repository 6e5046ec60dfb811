// The command line of the real executable: options, refusals and the choice of
// run mode.
#include "support/ScriptRun.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {
struct Outcome {
    int status;
    QString out, err;
};

Outcome RunExe(const QStringList& args, const QByteArray& input = QByteArray(),
               const QString& unset = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(unset);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTREL_SETUP_EXE), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

TEST(CommandLine, HelpAndVersion)
{
    Outcome o = RunExe({"--help"});
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.out.contains("--script FILE"));
    o = RunExe({"--version"});
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.out.startsWith("kestrel-setup "));
}

TEST(CommandLine, UnknownDoubleDashOptionIsRefusedWithUsage)
{
    const Outcome o = RunExe({"--frobnicate"});
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains("Usage:"));
}

TEST(CommandLine, ScriptFromStandardInputDrivesTheSettingsMode)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n");
    const Outcome o = RunExe({"--dir", ws.Dir(), "--script", "-"}, "dump\n");
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains("tabs current=0 [\"Detector\",\"Generator && Etc\",\"System\"]"));
}

TEST(CommandLine, SwitchAloneDoesNotSelectTheRelocationMode)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n");
    const Outcome o = RunExe({"/x", "--dir", ws.Dir(), "--headless"});
    EXPECT_EQ(o.status, 0) << o.out.toStdString();
    EXPECT_TRUE(o.out.contains("Device id incorrected, Setup is shutdown now"));
}

TEST(CommandLine, ArgumentWithoutSecondPartSelectsRelocationAndIsRefused)
{
    const Outcome o = RunExe({"--headless", "D:"});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.out.contains("message: DCM Driver Letter Invalid")) << o.out.toStdString();
}

// Runs without a screen write nothing on standard error that the user did not
// cause, also where no runtime folder is set (a service shell, cron).
TEST(CommandLine, RunsWithoutAScreenKeepStandardErrorClean)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n");
    const QString noRuntime = QStringLiteral("XDG_RUNTIME_DIR");
    Outcome o = RunExe({"--dir", ws.Dir(), "--headless"}, {}, noRuntime);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, QString());
    o = RunExe({"--dir", ws.Dir(), "--script", "-"}, "tab 2\ndump 1010\nok\n", noRuntime);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, QString());
    o = RunExe({"--headless", "E:;F:", "--database", ws.Path("Missing.mdb")}, {}, noRuntime);
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.out.startsWith("message: Cannot open the database "));
    EXPECT_EQ(o.err, QString());
}

TEST(CommandLine, HelpNamesTheExitStatusOfAStoppedRun)
{
    const Outcome o = RunExe({"--help"});
    EXPECT_TRUE(o.out.contains("128+N stopped by signal N")) << o.out.toStdString();
}

// Start-up: finding Kestrel.ini, its write protection, and the run modes.
#include "support/ScriptRun.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
bool IsReadOnly(const QString& path)
{
    return !(QFileInfo(path).permissions() & QFileDevice::WriteOwner);
}
void MakeReadOnly(const QString& path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
}
} // namespace

TEST(StartUp, MissingIniEndsWithItsMessageAndStatus1)
{
    Workstation ws;
    const ScriptResult r = ws.Run("dump\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.Lines("message: "), QStringList{"message: INI File not found, Software is now close"});
    EXPECT_TRUE(r.Lines("tabs ").isEmpty());
}

TEST(StartUp, IniIsFoundWithoutRegardToCase)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n[Cor]\nPixelSpacing=0.1\n", "KESTREL.INI");
    const ScriptResult r = ws.Run("ok\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(ws.Exists("Kestrel.ini")) << "no second file may be created";
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing2", "KESTREL.INI"), "0.1");
}

TEST(StartUp, ReadOnlyIniIsWritableDuringTheRunAndProtectedAfterIt)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n[Cor]\nPixelSpacing=0.1\n");
    MakeReadOnly(ws.Path("Kestrel.ini"));
    ScriptResult r = ws.Run("ok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing2"), "0.1");
    EXPECT_TRUE(IsReadOnly(ws.Path("Kestrel.ini")));

    // After Cancel as after OK.
    r = ws.Run("cancel\n");
    EXPECT_TRUE(IsReadOnly(ws.Path("Kestrel.ini")));
}

TEST(StartUp, WritableIniStaysWritable)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n");
    ws.Run("ok\n");
    EXPECT_FALSE(IsReadOnly(ws.Path("Kestrel.ini")));
}

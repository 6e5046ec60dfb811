// The Konica page (device id 22) through scripted mode.
#include "support/ControlDump.h"
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kHead = "[CONTROLPANNEL]\nDevice=22\n";

} // namespace

TEST(DetectorKonica, CuttingValuesOutsideTheRangeShowAndSaveAsZero)
{
    Workstation ws;
    ws.WriteIni(kHead + "[AEROSDK_A]\nCUTL=1001\nCUTT=-5\n[AEROSDK_B]\nCUTL=1000\nCUTT=3\n");
    const ScriptResult r = ws.Run("dump\ntype 1063 \"1200\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(Dumped(r, 1060).text, "0");
    EXPECT_EQ(Dumped(r, 1061).text, "0");
    EXPECT_EQ(Dumped(r, 1062).text, "1000");
    EXPECT_EQ(Dumped(r, 1030).text, R"(C:\\VoraSuite)") << "PATH missing";
    EXPECT_EQ(ws.Value("AEROSDK_A", "CUTL"), "0");
    EXPECT_EQ(ws.Value("AEROSDK_A", "CUTT"), "0");
    EXPECT_EQ(ws.Value("AEROSDK_B", "CUTL"), "1000");
    EXPECT_EQ(ws.Value("AEROSDK_B", "CUTT"), "0");
    EXPECT_EQ(ws.Value("AEROSDK", "PATH"), R"(C:\VoraSuite)");
}

TEST(DetectorKonica, SingleModeWritesTheFirstPanelAlsoUnderB)
{
    Workstation ws;
    ws.WriteIni(kHead + "[AEROSDK_A]\nPANEL=PA\nXGBOX=XA\n[AEROSDK_B]\nPANEL=PB\nXGBOX=XB\n"
                        "[SYSTEM]\nModality Mode=1\n");
    const ScriptResult r = ws.Run("dump 1065\ntype 1071 \"XC\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(Dumped(r, 1065).text, "PB");
    EXPECT_EQ(ws.Value("AEROSDK_B", "PANEL"), "PA");
    EXPECT_EQ(ws.Value("AEROSDK_B", "XGBOX"), "XA");
    EXPECT_EQ(ws.Value("AEROSDK", "COUNT"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
}

TEST(DetectorKonica, DualCountsTwoOnlyWithAFirstPanelAndKeepsB)
{
    Workstation ws;
    ws.WriteIni(kHead + "[AEROSDK]\nPATH=D:\\\\Aero\n[SYSTEM]\nModality Mode=2\n");
    ScriptResult r = ws.Run("type 1065 \"P\\\\\\\\B\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("AEROSDK", "COUNT"), "1") << "first panel identifier empty";
    EXPECT_EQ(ws.Value("AEROSDK_B", "PANEL"), R"(P\B)");
    EXPECT_EQ(ws.Value("AEROSDK", "PATH"), R"(D:\Aero)");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");

    r = ws.Run("type 1064 \"PA\"\nok\n");
    EXPECT_EQ(ws.Value("AEROSDK", "COUNT"), "2");
    EXPECT_EQ(ws.Value("AEROSDK_A", "PANEL"), "PA");
    EXPECT_EQ(ws.Value("AEROSDK_B", "PANEL"), R"(P\B)");
}

TEST(DetectorKonica, VeterinaryModeFixesDual)
{
    Workstation ws;
    ws.WriteIni(kHead + "[SYSTEM]\nModality Mode=0\nIsVet=1\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    for (int radio : {1032, 1033, 1034})
        EXPECT_FALSE(Dumped(r, radio).enabled) << radio;
    EXPECT_TRUE(Dumped(r, 1034).checked);
    EXPECT_FALSE(Dumped(r, 1032).checked);
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
}

TEST(DetectorKonica, NonIntegerCuttingValueIsReportedAndTheSaveGoesOn)
{
    Workstation ws;
    ws.WriteIni(kHead + "[AEROSDK_A]\nCUTL=5\nCUTT=6\n");
    const ScriptResult r = ws.Run("type 1060 \"\"\ntype 1061 \"7\"\ntype 1064 \"P\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("message: "), QStringList{"message: Please enter an integer."});
    EXPECT_EQ(ws.Value("AEROSDK_A", "CUTL"), "5");
    EXPECT_EQ(ws.Value("AEROSDK_A", "CUTT"), "6") << "the exchange stopped at the bad field";
    EXPECT_EQ(ws.Value("AEROSDK_A", "PANEL"), "P");
}

// The external-SDK page for each of its families through scripted mode: which
// section and crop keys it uses, which lists it shows, and what it writes.
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {

QByteArray Device(int id)
{
    return "[CONTROLPANNEL]\nDevice=" + QByteArray::number(id) + "\n";
}

} // namespace

TEST(OuterPage, IrayVenuShowsTheLeftCropAndSavesItToBothSides)
{
    Workstation ws;
    ws.WriteIni(
        Device(19) +
        "[SYSTEM]\nModality Mode=2\n"
        "[DETIRAYVENU]\nA_MARGIN_L=20\nA_MARGIN_R=30\nA_MARGIN_T=-4\nB_MARGIN_L=6\nB_MARGIN_T=8\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1134).contains("text=\"20\""));
    EXPECT_TRUE(r.Control(1135).contains("text=\"0\""));
    for (int id : {1143, 1144, 1010, 1145, 1147, 1011, 1146, 1148, 1012, 1052})
        EXPECT_TRUE(r.Control(id).contains("visible=0")) << id;
    EXPECT_EQ(ws.Value("DETIRAYVENU", "A_MARGIN_L"), "20");
    EXPECT_EQ(ws.Value("DETIRAYVENU", "A_MARGIN_R"), "20");
    EXPECT_EQ(ws.Value("DETIRAYVENU", "A_MARGIN_T"), "0");
    EXPECT_EQ(ws.Value("DETIRAYVENU", "A_MARGIN_B"), "0");
    EXPECT_EQ(ws.Value("DETIRAYVENU", "B_MARGIN_R"), "6");
    EXPECT_EQ(ws.Value("DETIRAYVENU", "B_MARGIN_B"), "8");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "CONNECT_MODE"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_FALSE(ws.HasKey("DETIRAYVENU", "DETECTOR_COUNT"));
    EXPECT_FALSE(ws.HasKey("CONTROLPANNEL", "UseModeAED"));
}

TEST(OuterPage, TableModeSavesAndShowsZeroDetectorBCrops)
{
    Workstation ws;
    ws.WriteIni(Device(19) +
                "[SYSTEM]\nModality Mode=2\n[DETIRAYVENU]\nB_MARGIN_L=6\nB_MARGIN_T=8\n");
    const ScriptResult r = ws.Run("click 1033\ndump 1043\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1043).contains("enabled=0"));
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "CONNECT_MODE"), "0");
    EXPECT_EQ(ws.Value("DETIRAYVENU", "B_MARGIN_L"), "0");
    EXPECT_EQ(ws.Value("DETIRAYVENU", "B_MARGIN_B"), "0");
}

TEST(OuterPage, IrayLibraryShowsDetectorTypesAndZeroesRightAndBottomCuts)
{
    Workstation ws;
    ws.WriteIni(Device(24) +
                "[SYSTEM]\nModality Mode=2\n"
                "[IRAYFPDLIB]\nA_TYPE=2\nB_TYPE=5\nA_CUT_L=10\nA_CUT_R=5\nA_CUT_T=12\nB_CUT_L=3\n");
    const ScriptResult r = ws.Run("dump\nselect 1010 \"MARS1717\"\ntype 1135 \"14\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1143), "control 1143 label visible=1 enabled=1 checked=0 sel=-1 "
                               "text=\"Detector Type :\" items=[]");
    EXPECT_EQ(r.Control(1144), "control 1144 combo visible=1 enabled=1 checked=0 sel=2 "
                               "text=\"MARS1417\" items=[\"VENU\",\"MARS1717\",\"MARS1417\"]");
    EXPECT_TRUE(r.Control(1010).contains("visible=1 enabled=1 checked=0 sel=-1"))
        << "type 5 is no entry";
    for (int id : {1145, 1147, 1011, 1146, 1148, 1012})
        EXPECT_TRUE(r.Control(id).contains("visible=0")) << id;
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "A_TYPE"), "2");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "B_TYPE"), "1");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "A_CUT_L"), "10");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "A_CUT_R"), "0");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "A_CUT_T"), "14");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "A_CUT_B"), "0");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "B_CUT_L"), "3");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "B_CUT_R"), "0");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "CONNECT_MODE"), "1");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "UseModeAED"), "1");
}

TEST(OuterPage, TetdListsLoadAndSaveTheirIndexesAndAedFlags)
{
    Workstation ws;
    ws.WriteIni(Device(18) + "[SYSTEM]\nModality Mode=2\n"
                             "[DETTETDFPD]\nA_LAG_TYPE=7\nB_LAG_TYPE=2\nA_USE_AED=2\nB_USE_AED=1\n"
                             "A_OFFSET=2\nA_MARGIN_LEFT=9\nA_MARGIN_RIGHT=1\nA_MARGIN_TOP=5\n");
    const ScriptResult r = ws.Run("dump\nselect 1147 \"AED\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(
        r.Control(1143),
        "control 1143 label visible=1 enabled=1 checked=0 sel=-1 text=\"Lag TYPE :\" items=[]");
    EXPECT_EQ(r.Control(1144), "control 1144 combo visible=1 enabled=1 checked=0 sel=-1 text=\"\" "
                               "items=[\"TYPE 1\",\"TYPE 2\",\"TYPE 3\",\"AUTO\"]");
    EXPECT_TRUE(r.Control(1010).contains("sel=2 text=\"TYPE 3\""));
    EXPECT_TRUE(r.Control(1147).contains("visible=1 enabled=1 checked=0 sel=0 text=\"NOT\""));
    EXPECT_TRUE(r.Control(1011).contains("sel=1 text=\"AED\""));
    EXPECT_TRUE(r.Control(1148).contains("sel=2 text=\"Dynamic\""));
    EXPECT_TRUE(r.Control(1012).contains("sel=0 text=\"Auto\""));
    EXPECT_TRUE(r.Control(1145).contains("visible=1"));
    EXPECT_TRUE(r.Control(1146).contains("visible=1"));

    EXPECT_EQ(ws.Value("DETTETDFPD", "A_LAG_TYPE"), "-1");
    EXPECT_EQ(ws.Value("DETTETDFPD", "B_LAG_TYPE"), "2");
    EXPECT_EQ(ws.Value("DETTETDFPD", "A_USE_AED"), "1");
    EXPECT_EQ(ws.Value("DETTETDFPD", "B_USE_AED"), "1");
    EXPECT_EQ(ws.Value("DETTETDFPD", "A_OFFSET"), "2");
    EXPECT_EQ(ws.Value("DETTETDFPD", "B_OFFSET"), "0");
    EXPECT_EQ(ws.Value("DETTETDFPD", "A_MARGIN_RIGHT"), "9");
    EXPECT_EQ(ws.Value("DETTETDFPD", "A_MARGIN_BOTTOM"), "5");
    EXPECT_EQ(ws.Value("DETTETDFPD", "DETECTOR_COUNT"), "2");
}

TEST(OuterPage, VeterinaryModeSavesOneDetectorThoughDualIsChecked)
{
    Workstation ws;
    ws.WriteIni(Device(18) + "[SYSTEM]\nModality Mode=0\nIsVet=1\n");
    const ScriptResult r = ws.Run("dump 1034\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1034).contains("enabled=0 checked=1"));
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_EQ(ws.Value("IRAYFPDLIB", "CONNECT_MODE"), "0");
    EXPECT_EQ(ws.Value("DETTETDFPD", "DETECTOR_COUNT"), "1");
    EXPECT_EQ(ws.Value("DetectorDRTech", "DualMode"), "0");
    EXPECT_EQ(ws.Value("DetDrtech", "DetMode"), "0");
}

TEST(OuterPage, ViewworksKeepsOneCropKeyPerAxis)
{
    Workstation ws;
    ws.WriteIni(Device(16) +
                "[SYSTEM]\nModality Mode=2\n"
                "[DET_VIEWORKS]\nA_CUTTING_X=11\nA_CUTTING_Y=12\nB_CUTTING_X=13\nB_CUTTING_Y=-1\n");
    const ScriptResult r = ws.Run("dump\ntype 1134 \"21\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1043).contains("text=\"13\""));
    EXPECT_TRUE(r.Control(1044).contains("text=\"0\""));
    EXPECT_TRUE(r.Control(1144).contains("visible=0"));
    EXPECT_EQ(ws.Value("DET_VIEWORKS", "A_CUTTING_X"), "21");
    EXPECT_EQ(ws.Value("DET_VIEWORKS", "B_CUTTING_Y"), "0");
    EXPECT_FALSE(ws.HasKey("DET_VIEWORKS", "DETECTOR_COUNT"));
}

TEST(OuterPage, SecondOfTwoDetectorsIsTheTableDetector)
{
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=24\n[Cor2]\nDevice=18\n"
                "[SYSTEM]\nModality Mode=2\n[DETTETDFPD]\nB_MARGIN_LEFT=7\n");
    const ScriptResult r = ws.Run("tab 1\ndump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1033).contains("enabled=0 checked=1"));
    EXPECT_TRUE(r.Control(1043).contains("enabled=0"));
    EXPECT_TRUE(r.Control(1011).contains("enabled=0"));
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_EQ(ws.Value("DETTETDFPD", "DETECTOR_COUNT"), "1");
    EXPECT_EQ(ws.Value("DETTETDFPD", "B_MARGIN_LEFT"), "0");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "UseModeAED"), "1")
        << "the first slot's iRay page saved too";
}

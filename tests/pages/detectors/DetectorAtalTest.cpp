// The ATAL page through scripted mode: margins, the B-field rule, the
// veterinary variant and what single modes save for detector B.
#include "settings/Workstation.h"
#include "pages/detectors/DetectorAtal.h"
#include "settings/Ini.h"
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

TEST(AtalPage, LoadsMarginsNonNegativeAndThePathDefault)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=20\n[SYSTEM]\nModality Mode=2\n"
                "[ATAL]\nA_CUTX=-5\nA_CUTY=12\nB_CUTX=7\nB_CUTY=x9\nDARKREFRESH=1\n");
    const ScriptResult r = ws.Run("dump\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1134),
              "control 1134 edit visible=1 enabled=1 checked=0 sel=-1 text=\"0\" items=[]");
    EXPECT_EQ(r.Control(1135),
              "control 1135 edit visible=1 enabled=1 checked=0 sel=-1 text=\"12\" items=[]");
    EXPECT_EQ(r.Control(1043),
              "control 1043 edit visible=1 enabled=1 checked=0 sel=-1 text=\"7\" items=[]");
    EXPECT_EQ(r.Control(1044),
              "control 1044 edit visible=1 enabled=1 checked=0 sel=-1 text=\"0\" items=[]");
    EXPECT_EQ(
        r.Control(1010),
        "control 1010 edit visible=1 enabled=1 checked=0 sel=-1 text=\"C:\\\\ATAL\" items=[]");
    EXPECT_EQ(
        r.Control(1034),
        "control 1034 radio visible=1 enabled=1 checked=1 sel=-1 text=\"Dual(Full)\" items=[]");
    // The dark refresh follows the file but is never shown.
    EXPECT_EQ(r.Control(1007), "control 1007 check visible=0 enabled=1 checked=1 sel=-1 text=\" "
                               "Dark Refresh at Startup\" items=[]");
    EXPECT_TRUE(r.Control(1011).contains("visible=0"));
}

TEST(AtalPage, SingleModesDisableAndSaveZeroDetectorBMargins)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=20\n[SYSTEM]\nModality Mode=2\n"
                "[ATAL]\nA_CUTX=-3\nA_CUTY=8\nB_CUTX=30\nB_CUTY=40\nPATH=D:\\Atal\nDARKREFRESH=1\n");
    const ScriptResult r = ws.Run("click 1033\ndump 1043\ntype 1135 \"16\"\n"
                                  "type 1010 \"E:\\\\Atal2\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1043).contains("enabled=0"));
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
    EXPECT_EQ(ws.Value("ATAL", "A_CUTX"), "0");
    EXPECT_EQ(ws.Value("ATAL", "A_CUTY"), "16");
    EXPECT_EQ(ws.Value("ATAL", "B_CUTX"), "0");
    EXPECT_EQ(ws.Value("ATAL", "B_CUTY"), "0");
    EXPECT_EQ(ws.Value("ATAL", "DetMode"), "0");
    EXPECT_EQ(ws.Value("ATAL", "PATH"), "E:\\Atal2");
    EXPECT_EQ(ws.Value("ATAL", "DARKREFRESH"), "1");
}

TEST(AtalPage, MarginFieldsTakeDigitsOnly)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=20\n[ATAL]\nA_CUTX=4\n");
    const QByteArray before = ws.Read("Kestrel.ini");
    const ScriptResult r = ws.Run("type 1134 \"16px\"\nok\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.Lines("error: "), QStringList{"error: 1: control 1134 does not take that text"});
    EXPECT_EQ(ws.Read("Kestrel.ini"), before);
}

TEST(AtalPage, DualKeepsDetectorBAndSetsDetMode)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=20\n[ATAL]\nB_CUTX=30\n");
    const ScriptResult r = ws.Run("click 1034\ntype 1044 \"12\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_EQ(ws.Value("ATAL", "B_CUTX"), "30");
    EXPECT_EQ(ws.Value("ATAL", "B_CUTY"), "12");
    EXPECT_EQ(ws.Value("ATAL", "DetMode"), "1");
    EXPECT_EQ(ws.Value("ATAL", "PATH"), "C:\\ATAL");
    EXPECT_FALSE(ws.HasKey("ATAL", "DARKREFRESH"));
}

TEST(AtalPage, VeterinaryModeIsDualGreyedButSavesDetModeZero)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=20\n[SYSTEM]\nModality Mode=1\nIsVet=1\n"
                "[ATAL]\nB_CUTX=30\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(
        r.Control(1034),
        "control 1034 radio visible=1 enabled=0 checked=1 sel=-1 text=\"Dual(Full)\" items=[]");
    EXPECT_TRUE(r.Control(1032).contains("enabled=0 checked=0"));
    EXPECT_TRUE(r.Control(1043).contains("enabled=1"));
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_EQ(ws.Value("ATAL", "DetMode"), "0");
    EXPECT_EQ(ws.Value("ATAL", "B_CUTX"), "30");
}

TEST(AtalPage, SecondOfTwoDetectorsIsTheTableDetector)
{
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=20\n[Cor2]\nDevice=20\n"
                "[SYSTEM]\nModality Mode=2\n");
    const ScriptResult r = ws.Run("dump 1032\ntab 1\ndump\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    const QStringList stand = r.Lines("control 1032 ");
    ASSERT_EQ(stand.size(), 2);
    EXPECT_TRUE(stand[0].contains("enabled=0 checked=1")) << "first slot: stand";
    EXPECT_TRUE(stand[1].contains("enabled=0 checked=0"));
    EXPECT_TRUE(r.Control(1033).contains("enabled=0 checked=1"));
    EXPECT_TRUE(r.Control(1044).contains("enabled=0"));
}

// What the user sees after a save in a single mode: B margins of 0.
TEST(AtalPage, SavingInASingleModeShowsZeroDetectorBMargins)
{
    Workstation ws;
    ws.WriteIni("[SYSTEM]\nModality Mode=0\n[ATAL]\nB_CUTX=30\nB_CUTY=40\n");
    const QByteArray path = ws.Path("Kestrel.ini").toLocal8Bit();
    g_Ini.SetPath(path.constData());
    SetMultiDetector(false);
    CDetectorAtal page{PageContext()};
    ASSERT_TRUE(page.Create(nullptr));
    EXPECT_EQ(page.GetDlgItemText(1043), "30");
    page.OnOK();
    EXPECT_EQ(page.GetDlgItemText(1043), "0");
    EXPECT_EQ(page.GetDlgItemText(1044), "0");
    EXPECT_EQ(ws.Value("ATAL", "B_CUTY"), "0");
    g_Ini.SetPath(nullptr);
}

// The Careray page through scripted mode: model and sync lists, the type rule,
// work folders per modality, the veterinary variant and the save.
#include "support/ScriptRun.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kDevice = "[CONTROLPANNEL]\nDevice=23\n";

} // namespace

TEST(CarerayPage, StoredCodesSelectTheirEntriesOrTheFirst)
{
    Workstation ws;
    ws.WriteIni(kDevice + "[SYSTEM]\nModality Mode=2\n[Cor]\nPixelSpacing=0.2\n"
                          "[CARERAYCRAPI_A]\nDETECTOR_TYPE=7\nSYNC_MODE=6\nCUT_SIZE_L=12\n"
                          "[CARERAYCRAPI_B]\nDETECTOR_TYPE=3\nSYNC_MODE=9\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1051),
              "control 1051 combo visible=1 enabled=1 checked=0 sel=0 text=\"CareView_1500P\" "
              "items=[\"CareView_1500P\",\"CareView_1500C\",\"CareView_1800R\"]");
    EXPECT_EQ(r.Control(1070),
              "control 1070 combo visible=1 enabled=1 checked=0 sel=1 text=\"AED_SYNC\" "
              "items=[\"EXT_SYNC\",\"AED_SYNC\",\"MANUAL_SYNC\"]");
    EXPECT_TRUE(r.Control(1055).contains("sel=1 text=\"CareView_1500C\""));
    EXPECT_TRUE(r.Control(1071).contains("sel=0 text=\"EXT_SYNC\""));
    EXPECT_TRUE(r.Control(1062).contains("text=\"2816\""));
    EXPECT_TRUE(r.Control(1063).contains("text=\"2304\""));
    EXPECT_TRUE(r.Control(1064).contains("text=\"0.154\"")) << "pixel spacing comes from the model";
    EXPECT_TRUE(r.Control(1060).contains("text=\"12\""));
    EXPECT_TRUE(r.Control(1043).contains("text=\"0\""));
    EXPECT_TRUE(r.Control(1081).contains("visible=0"));
    EXPECT_TRUE(r.Lines("message: ").isEmpty());

    EXPECT_EQ(ws.Value("CARERAYCRAPI_A", "DETECTOR_TYPE"), "2");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_A", "SYNC_MODE"), "6");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_B", "DETECTOR_TYPE"), "3");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_B", "SYNC_MODE"), "1");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_A", "CUT_SIZE_L"), "12");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_B", "CUT_SIZE_T"), "0");
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing"), "0.154");
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing2"), "0.154");
    EXPECT_EQ(ws.Value("CARERAYCRAPI", "DEV_CNT"), "2");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
}

TEST(CarerayPage, ChangingAModelResetsThatColumnOnly)
{
    Workstation ws;
    ws.WriteIni(kDevice +
                "[SYSTEM]\nModality Mode=2\n"
                "[CARERAYCRAPI_A]\nDETECTOR_TYPE=2\nSYNC_MODE=4\nCUT_SIZE_L=5\nCUT_SIZE_T=6\n"
                "[CARERAYCRAPI_B]\nDETECTOR_TYPE=2\nSYNC_MODE=4\nCUT_SIZE_L=7\n");
    const ScriptResult r = ws.Run("select 1051 \"CareView_1800R\"\ndump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1063).contains("text=\"2816\""));
    EXPECT_TRUE(r.Control(1070).contains("sel=0 text=\"EXT_SYNC\""));
    EXPECT_TRUE(r.Control(1060).contains("text=\"0\""));
    EXPECT_TRUE(r.Control(1061).contains("text=\"0\""));
    EXPECT_TRUE(r.Control(1071).contains("sel=2 text=\"MANUAL_SYNC\""));
    EXPECT_TRUE(r.Control(1043).contains("text=\"7\""));
    EXPECT_EQ(ws.Value("CARERAYCRAPI_A", "DETECTOR_TYPE"), "4");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_A", "SYNC_MODE"), "1");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_A", "CUT_SIZE_T"), "0");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_B", "SYNC_MODE"), "4");
}

TEST(CarerayPage, SingleModeShowsAndSavesNoDetectorBFolder)
{
    Workstation ws;
    ws.WriteIni(kDevice +
                "[SYSTEM]\nModality Mode=1\n"
                "[CARERAYCRAPI_A]\nWORK_DIR=D:\\CareA\n[CARERAYCRAPI_B]\nWORK_DIR=D:\\CareB\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1048),
              "control 1048 edit visible=1 enabled=0 checked=0 sel=-1 text=\"\" items=[]");
    for (int id : {1055, 1045, 1046, 1043, 1044, 1047, 1071})
        EXPECT_TRUE(r.Control(id).contains("enabled=0")) << id;
    EXPECT_TRUE(r.Control(1087).contains("enabled=1 checked=1"));
    EXPECT_EQ(ws.Value("CARERAYCRAPI_A", "WORK_DIR"), "D:\\CareA");
    EXPECT_TRUE(ws.HasKey("CARERAYCRAPI_B", "WORK_DIR"));
    EXPECT_EQ(ws.Value("CARERAYCRAPI_B", "WORK_DIR"), "");
    EXPECT_EQ(ws.Value("CARERAYCRAPI", "WORK_DIR"), "D:\\CareA");
    EXPECT_EQ(ws.Value("CARERAYCRAPI", "DEV_CNT"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
}

TEST(CarerayPage, WorkFoldersDefaultToTheApplicationFolder)
{
    Workstation ws;
    ws.WriteIni(kDevice + "[SYSTEM]\nModality Mode=2\n");
    const ScriptResult r = ws.Run("dump\nclick 1086\ntype 1069 \"E:\\\\Care\"\nclick 1088\n"
                                  "type 1048 \"E:\\\\CareB\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    QString folder = QDir::toNativeSeparators(ws.Dir() + QStringLiteral("/Careray"));
    folder.replace(QLatin1Char('\\'), QStringLiteral("\\\\")); // as the transcript escapes it
    const QString shown = QStringLiteral("text=\"%1\"").arg(folder);
    EXPECT_TRUE(r.Control(1069).contains(shown)) << r.Control(1069).toStdString();
    EXPECT_TRUE(r.Control(1048).contains(shown)) << "dual: B takes A's folder";
    EXPECT_EQ(ws.Value("CARERAYCRAPI_A", "WORK_DIR"), "E:\\Care");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_B", "WORK_DIR"), "E:\\CareB");
}

TEST(CarerayPage, VeterinaryModeSavesOneDetectorAndKeepsColumnBDisabled)
{
    Workstation ws;
    ws.WriteIni(kDevice + "[SYSTEM]\nModality Mode=0\nIsVet=1\n"
                          "[CARERAYCRAPI_B]\nWORK_DIR=D:\\CareB\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1088).contains("enabled=0 checked=1"));
    EXPECT_TRUE(r.Control(1048).contains("enabled=0 checked=0 sel=-1 text=\"\""));
    EXPECT_TRUE(r.Control(1055).contains("enabled=0"));
    EXPECT_TRUE(r.Control(1081).contains("enabled=0 checked=0"));
    EXPECT_EQ(ws.Value("CARERAYCRAPI", "DEV_CNT"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_EQ(ws.Value("CARERAYCRAPI_B", "WORK_DIR"), "");
}

TEST(CarerayPage, AedSwitchWritesBothFlags)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=23\nUseModeAED=1\n[CARERAYCRAPI]\nUseAED=5\n");
    ScriptResult r = ws.Run("dump 1067\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1067).contains("checked=1"));
    EXPECT_EQ(ws.Value("CARERAYCRAPI", "UseAED"), "1");

    r = ws.Run("click 1067\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("CARERAYCRAPI", "UseAED"), "0");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "UseModeAED"), "0");
}

TEST(CarerayPage, SecondOfTwoDetectorsIsTheTableDetectorWithoutColumnB)
{
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=20\n[Cor2]\nDevice=23\n"
                "[SYSTEM]\nModality Mode=2\n");
    const ScriptResult r = ws.Run("tab 1\ndump\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1087).contains("enabled=0 checked=1"));
    EXPECT_TRUE(r.Control(1088).contains("enabled=0 checked=0"));
    EXPECT_TRUE(r.Control(1055).contains("enabled=0"));
    EXPECT_TRUE(r.Control(1048).contains("enabled=0"));
}

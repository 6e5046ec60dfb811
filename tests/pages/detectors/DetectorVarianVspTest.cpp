// The Varian VSP page (device id 25): the Varian page on section VSP.
#include "support/ControlDump.h"
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kHead = "[CONTROLPANNEL]\nDevice=25\n";

} // namespace

TEST(DetectorVarianVsp, LoadsSerialsAndModesWithoutTypesOrFolders)
{
    Workstation ws;
    ws.WriteIni(kHead + "[VSP]\nA_SN=SN-1\nB_MODE=0\nA_SIZE_DATA_T=1001\n"
                        "[DetVarian]\nA_DetType=1\nA_ModeNum=1\n");
    const ScriptResult r = ws.Run("dump\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(Dumped(r, 1030).text, "SN-1");
    EXPECT_EQ(Dumped(r, 1064).text, "2") << "A_MODE missing";
    EXPECT_EQ(Dumped(r, 1065).text, "0");
    EXPECT_EQ(Dumped(r, 1061).text, "0");
    for (int hidden : {1051, 1052, 1054, 1059, 1041, 1042, 1057, 1058})
        EXPECT_FALSE(Dumped(r, hidden).visible) << hidden;
    EXPECT_EQ(Dumped(r, 1054).sel, -1);
    EXPECT_EQ(Dumped(r, 1041).text, "3072");
}

TEST(DetectorVarianVsp, ZeroMarginLeavesTheStoredValueAndModesSaveAsTyped)
{
    Workstation ws;
    ws.WriteIni(kHead + "[VSP]\nA_SIZE_DATA_L=40\nA_SIZE_DATA_T=15\n");
    const ScriptResult r = ws.Run("type 1060 \"0\"\ntype 1061 \"2000\"\ntype 1062 \"30\"\n"
                                  "type 1064 \"5\"\ntype 1065 \"12\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("VSP", "A_SIZE_DATA_L"), "40");
    EXPECT_EQ(ws.Value("VSP", "A_SIZE_DATA_T"), "15") << "out of range counts as 0";
    EXPECT_EQ(ws.Value("VSP", "B_SIZE_DATA_L"), "30");
    EXPECT_FALSE(ws.HasKey("VSP", "B_SIZE_DATA_T"));
    EXPECT_EQ(ws.Value("VSP", "A_MODE"), "5");
    EXPECT_EQ(ws.Value("VSP", "B_MODE"), "12");
    EXPECT_FALSE(ws.HasKey("VSP", "A_DetType"));
    EXPECT_FALSE(ws.HasKey("DetVarian", "A_DetType"));
    EXPECT_FALSE(ws.HasKey("VSP", "B_Append"));
}

TEST(DetectorVarianVsp, RadiosDecideSecondSerialAndDeviceCount)
{
    Workstation ws;
    ws.WriteIni(kHead + "[VSP]\nA_SN=S1\nB_SN=S2\n[SYSTEM]\nModality Mode=0\n");
    ScriptResult r = ws.Run("click 1034\ntype 1031 \"S3\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("VSP", "A_SN"), "S1");
    EXPECT_EQ(ws.Value("VSP", "B_SN"), "S3");
    EXPECT_EQ(ws.Value("VSP", "DEV_COUNT"), "2");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");

    r = ws.Run("click 1033\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("VSP", "B_SN"), "");
    EXPECT_EQ(ws.Value("VSP", "DEV_COUNT"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
}

// The Perkin page (device id 21) through scripted mode.
#include "pages/detectors/DetectorPerkin.h"
#include "support/ControlDump.h"
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kHead = "[CONTROLPANNEL]\nDevice=21\nUseModeAED=0\n";

} // namespace

TEST(DetectorPerkin, GainSequenceRangeFollowsTheLeadingInteger)
{
    EXPECT_EQ(ValidGainSeq("50"), "50");
    EXPECT_EQ(ValidGainSeq("51"), "0");
    EXPECT_EQ(ValidGainSeq("-1"), "0");
    EXPECT_EQ(ValidGainSeq(" 7th"), " 7th");
    EXPECT_EQ(ValidGainSeq("abc"), "abc") << "no leading digits counts as 0";
    EXPECT_EQ(ValidGainSeq("99999999999999999999"), "0") << "no overflow back into range";
    EXPECT_EQ(ValidGainSeq(""), "");
}

TEST(DetectorPerkin, CalibrationFilesLoadAndSaveWithSingleBackslashes)
{
    Workstation ws;
    ws.WriteIni(kHead + R"([DETPERKIN]
A_DATA_GAIN=C:\\cal\\gain.his
B_DATA_OFST=D:\\\\x\ofs.his
A_GAIN_SEQ=51
B_GAIN_SEQ=50
A_CUTX=1001
B_CUTY=1000
)");
    const ScriptResult r = ws.Run("dump\ntype 1073 \"E:\\\\\\\\pix.his\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(Dumped(r, 1067).text, R"(C:\\cal\\gain.his)");
    EXPECT_EQ(Dumped(r, 1065).text, R"(D:\\\\x\\ofs.his)") << "four become two";
    EXPECT_EQ(Dumped(r, 1074).text, "0");
    EXPECT_EQ(Dumped(r, 1075).text, "50");
    for (int width : {1041, 1057})
        EXPECT_EQ(Dumped(r, width).text, "3556");
    for (int height : {1042, 1058})
        EXPECT_EQ(Dumped(r, height).text, "4320");
    EXPECT_EQ(Dumped(r, 1060).text, "0");

    EXPECT_EQ(ws.Value("DETPERKIN", "A_DATA_GAIN"), R"(C:\cal\gain.his)");
    EXPECT_EQ(ws.Value("DETPERKIN", "B_DATA_OFST"), R"(D:\x\ofs.his)");
    EXPECT_EQ(ws.Value("DETPERKIN", "B_DATA_PIXL"), R"(E:\pix.his)");
    EXPECT_EQ(ws.Value("DETPERKIN", "A_DATA_OFST"), "");
    EXPECT_EQ(ws.Value("DETPERKIN", "A_GAIN_SEQ"), "0");
    EXPECT_EQ(ws.Value("DETPERKIN", "B_GAIN_SEQ"), "50");
    EXPECT_EQ(ws.Value("DETPERKIN", "A_CUTX"), "0");
    EXPECT_EQ(ws.Value("DETPERKIN", "B_CUTY"), "1000");
}

TEST(DetectorPerkin, HiddenSwitchesAreWrittenBackAndAedIsAlwaysOn)
{
    Workstation ws;
    ws.WriteIni(kHead + "[DETPERKIN]\nPRE_LOAD_RAW=1\nPRE_LOAD_CAL=0\nSET_PARAM_ACQ=2\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    for (int hidden : {1145, 1146, 1019, 1020, 1139, 1140, 1054, 1059})
        EXPECT_FALSE(Dumped(r, hidden).visible) << hidden;
    EXPECT_EQ(ws.Value("DETPERKIN", "PRE_LOAD_RAW"), "1");
    EXPECT_EQ(ws.Value("DETPERKIN", "PRE_LOAD_CAL"), "0");
    EXPECT_EQ(ws.Value("DETPERKIN", "SET_PARAM_ACQ"), "0");
    EXPECT_EQ(ws.Value("DETPERKIN", "AUTO_TRIG_ON"), "0");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "UseModeAED"), "1");
}

TEST(DetectorPerkin, DeviceCountNeedsASecondAddressInDual)
{
    Workstation ws;
    ws.WriteIni(kHead + "[DETPERKIN]\nA_LINK_DATA=10.0.0.1\n[SYSTEM]\nModality Mode=2\n");
    ScriptResult r = ws.Run("ok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("DETPERKIN", "DEV_CNT"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");

    r = ws.Run("type 1031 \"10.0.0.2\"\nok\n");
    EXPECT_EQ(ws.Value("DETPERKIN", "B_LINK_DATA"), "10.0.0.2");
    EXPECT_EQ(ws.Value("DETPERKIN", "DEV_CNT"), "2");

    r = ws.Run("click 1032\nok\n");
    EXPECT_EQ(ws.Value("DETPERKIN", "A_LINK_DATA"), "10.0.0.1");
    EXPECT_EQ(ws.Value("DETPERKIN", "B_LINK_DATA"), "");
    EXPECT_EQ(ws.Value("DETPERKIN", "DEV_CNT"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "0");
}

TEST(DetectorPerkin, FileDialogsStartAtTheFieldOrTheCalibrationFolder)
{
    Workstation ws;
    ws.WriteIni(kHead + "[Cor]\nPath=D:\\Cor\n[DETPERKIN]\nB_DATA_GAIN=E:\\g.his\n");
    const ScriptResult r = ws.Run(R"(folder "D:\\Cor\\o.his"
click 1141
folder cancel
click 1070
click 1072
dump
)");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("picker: "),
              (QStringList{R"(picker: file start="D:\\Cor")", R"(picker: file start="E:\\g.his")",
                           R"(picker: file start="D:\\Cor")"}));
    EXPECT_EQ(Dumped(r, 1064).text, R"(D:\\Cor\\o.his)");
    EXPECT_EQ(Dumped(r, 1071).text, R"(E:\\g.his)");
    EXPECT_EQ(Dumped(r, 1073).text, "");
}

TEST(DetectorPerkin, CalibrationFolderDefaultsToTheChannelFolder)
{
    Workstation ws;
    ws.WriteIni(kHead);
    const ScriptResult r = ws.Run("click 1066\n");
    EXPECT_EQ(r.Lines("picker: "),
              QStringList{R"(picker: file start="C:\\VoraSuite\\Cor\\Channel")"});
}

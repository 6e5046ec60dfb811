// The Varian page (device id 12) through scripted mode.
#include "support/ControlDump.h"
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kHead = "[CONTROLPANNEL]\nDevice=12\n";

} // namespace

TEST(DetectorVarian, PanelTypesSetTheSizesAndOutOfRangeValuesAreCorrected)
{
    Workstation ws;
    ws.WriteIni(kHead + "[DetVarian]\nA_DetType=1\nB_DetType=7\nA_MarginX=1001\nA_MarginY=1000\n"
                        "B_MarginX=-1\nB_MarginY=12\nA_ModeNum=7\n");
    const ScriptResult r = ws.Run("dump\ntype 1065 \"3\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(Dumped(r, 1054).sel, 1);
    EXPECT_EQ(Dumped(r, 1041).text, "2560");
    EXPECT_EQ(Dumped(r, 1042).text, "3072");
    EXPECT_EQ(Dumped(r, 1059).sel, 0);
    EXPECT_EQ(Dumped(r, 1057).text, "3072");
    EXPECT_EQ(Dumped(r, 1060).text, "0");
    EXPECT_EQ(Dumped(r, 1061).text, "1000");
    EXPECT_EQ(Dumped(r, 1062).text, "0");
    EXPECT_EQ(Dumped(r, 1064).text, "7") << "mode numbers show as stored";

    EXPECT_EQ(ws.Value("DetVarian", "A_DetType"), "1");
    EXPECT_EQ(ws.Value("DetVarian", "B_DetType"), "0");
    EXPECT_EQ(ws.Value("DetVarian", "A_MarginX"), "0");
    EXPECT_EQ(ws.Value("DetVarian", "A_MarginY"), "1000");
    EXPECT_EQ(ws.Value("DetVarian", "B_MarginX"), "0");
    EXPECT_EQ(ws.Value("DetVarian", "B_MarginY"), "12");
    EXPECT_EQ(ws.Value("DetVarian", "A_ModeNum"), "0") << "7 is outside 0 to 2";
    EXPECT_EQ(ws.Value("DetVarian", "B_ModeNum"), "0") << "3 is outside 0 to 2";
    EXPECT_FALSE(ws.HasKey("DetVarian", "A_Width"));
}

TEST(DetectorVarian, ChoosingTableEmptiesTheDualFolderAndSavesAppend)
{
    Workstation ws;
    ws.WriteIni(kHead + R"([DetVarian]
A_ConfDir=C:\IMAGERs\A
B_ConfDir=C:\IMAGERs\B
B_Append=0
[SYSTEM]
Modality Mode=2
)");
    const ScriptResult r = ws.Run("dump 1031\nclick 1033\ndump 1031\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    const QStringList dual = r.Lines("control 1031 ");
    ASSERT_EQ(dual.size(), 2);
    EXPECT_TRUE(dual[0].contains(R"(enabled=1 checked=0 sel=-1 text="C:\\IMAGERs\\B")"));
    EXPECT_TRUE(dual[1].contains(R"(enabled=0 checked=0 sel=-1 text="")"));
    EXPECT_EQ(ws.Value("DetVarian", "A_ConfDir"), R"(C:\IMAGERs\A)");
    EXPECT_EQ(ws.Value("DetVarian", "B_ConfDir"), "");
    EXPECT_EQ(ws.Value("DetVarian", "B_Append"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
}

TEST(DetectorVarian, DualSavesBothFoldersWithAppendZero)
{
    Workstation ws;
    ws.WriteIni(kHead + "[SYSTEM]\nModality Mode=5\n");
    const ScriptResult r = ws.Run("dump 1032\nclick 1034\ntype 1031 \"D:\\\\B\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(Dumped(r, 1032).checked) << "an unknown mode loads as Stand";
    EXPECT_EQ(ws.Value("DetVarian", "B_ConfDir"), R"(D:\B)");
    EXPECT_EQ(ws.Value("DetVarian", "B_Append"), "0");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
}

TEST(DetectorVarian, BrowseStartsAtTheFieldOrImagersAndCancelKeepsTheField)
{
    Workstation ws;
    ws.WriteIni(kHead + "[SYSTEM]\nModality Mode=2\n");
    const ScriptResult r = ws.Run(R"(folder "E:\\cfg\\A"
click 1051
folder cancel
click 1051
dump 1030
folder "F:\\B"
click 1052
dump 1031
)");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("picker: "), (QStringList{R"(picker: folder start="C:\\IMAGERs")",
                                                R"(picker: folder start="E:\\cfg\\A")",
                                                R"(picker: folder start="C:\\IMAGERs")"}));
    EXPECT_EQ(Dumped(r, 1030).text, R"(E:\\cfg\\A)");
    EXPECT_EQ(Dumped(r, 1031).text, R"(F:\\B)");
}

TEST(DetectorVarian, SecondOfTwoDetectorsIsTheTableDetector)
{
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=12\n[Cor2]\nDevice=12\n"
                "[DetVarian]\nB_ConfDir=C:\\B\n[SYSTEM]\nModality Mode=2\n");
    const ScriptResult r = ws.Run("tab 1\ndump\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    const DumpedControl table = Dumped(r, 1033);
    EXPECT_TRUE(table.checked);
    EXPECT_FALSE(table.enabled);
    EXPECT_FALSE(Dumped(r, 1034).checked);
    EXPECT_FALSE(Dumped(r, 1034).enabled);
    EXPECT_FALSE(Dumped(r, 1031).enabled);
    EXPECT_EQ(Dumped(r, 1031).text, "");
}

// Changing the panel type must not throw away margins typed before it.
TEST(DetectorVarian, TypeChangeKeepsTypedMargins)
{
    Workstation ws;
    ws.WriteIni(kHead + "[DetVarian]\nA_MarginX=10\nB_MarginY=20\n");
    const ScriptResult r = ws.Run("type 1060 \"50\"\ntype 1063 \"1500\"\nselect 1054 \"1417\"\n"
                                  "dump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(Dumped(r, 1041).text, "2560");
    EXPECT_EQ(Dumped(r, 1060).text, "50");
    EXPECT_EQ(Dumped(r, 1063).text, "1500") << "only the changed panel's margins are corrected";
    EXPECT_EQ(ws.Value("DetVarian", "A_DetType"), "1");
    EXPECT_EQ(ws.Value("DetVarian", "A_MarginX"), "50");
    EXPECT_EQ(ws.Value("DetVarian", "B_MarginY"), "0");
}

TEST(DetectorVarian, NonIntegerFieldIsReportedAndTheSaveGoesOn)
{
    Workstation ws;
    ws.WriteIni(kHead + "[DetVarian]\nA_MarginX=10\nA_MarginY=20\n");
    const ScriptResult r = ws.Run("type 1060 \"\"\ntype 1061 \"30\"\nclick 1033\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("message: "), QStringList{"message: Please enter an integer."});
    // The exchange stops at the bad field: what follows keeps its loaded value.
    EXPECT_EQ(ws.Value("DetVarian", "A_MarginX"), "10");
    EXPECT_EQ(ws.Value("DetVarian", "A_MarginY"), "20");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
}

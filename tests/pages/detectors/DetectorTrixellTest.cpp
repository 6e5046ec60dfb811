// The Trixell page through scripted mode: the two serial ports, the XMaru
// size handlers on its own template, and its loading variants.
#include "support/ControlDump.h"
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {

QString State(const ScriptResult& r, int id)
{
    return Dumped(r, id).Flags();
}

} // namespace

TEST(DetectorTrixell, PortsOutsideOneToNineLoadAsComOneAndSaveAsOne)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=2\n[DETECTOR]\nDetector 1=12\nDetector 2=9\n");
    const ScriptResult r = ws.Run("dump 1024\ndump 1025\nok\n");
    EXPECT_TRUE(r.Control(1024).contains(QStringLiteral("sel=0 text=\"COM1\"")))
        << r.Control(1024).toStdString();
    EXPECT_TRUE(r.Control(1025).contains(QStringLiteral("sel=8 text=\"COM9\"")));
    EXPECT_TRUE(r.Lines(QStringLiteral("message: ")).isEmpty());
    EXPECT_EQ(ws.Value("DETECTOR", "Detector 1"), "1");
    EXPECT_EQ(ws.Value("DETECTOR", "Detector 2"), "9");
}

TEST(DetectorTrixell, APortTypedInsteadOfChosenIsReplacedByComOne)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=1\n[DETECTOR]\nDetector 1=3\nDetector 2=4\n");
    const ScriptResult r = ws.Run("type 1025 \"COM4\"\nselect 1024 \"COM7\"\nok\n");
    EXPECT_EQ(r.Lines(QStringLiteral("message: ")),
              QStringList{QStringLiteral("message: ComPort Invalid, Set COM1")});
    EXPECT_EQ(ws.Value("DETECTOR", "Detector 1"), "7");
    EXPECT_EQ(ws.Value("DETECTOR", "Detector 2"), "1");
}

TEST(DetectorTrixell, ShowsOnlyPortsSizeAndModality)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=1\n[Cor]\nOriW=2048\nOriH=2048\nWidth=2049\nHeight=1002\n"
                "[SYSTEM]\nModality Mode=1\n");
    const ScriptResult r = ws.Run("dump\narrow 1049 -1\narrow 1050 1\ndump 1041\ndump 1042\nok\n");
    for (int id :
         {1016, 1017, 1018, 1029, 1030, 1031, 1037, 1038, 1043, 1044, 1045, 1047, 1048, 1053})
        EXPECT_TRUE(r.Control(id).contains(QStringLiteral("visible=0"))) << id;
    for (int id : {1024, 1025, 1032, 1035, 1036, 1041, 1042, 1046, 1049, 1050})
        EXPECT_TRUE(r.Control(id).contains(QStringLiteral("visible=1 enabled=1"))) << id;
    EXPECT_EQ(State(r, 1033), "visible=1 enabled=1 checked=1");
    // 2048 cannot grow, and the width arrows leave the height alone.
    EXPECT_TRUE(r.Control(1041).contains(QStringLiteral("text=\"2048\"")));
    EXPECT_TRUE(r.Control(1042).contains(QStringLiteral("text=\"996\"")));
    EXPECT_EQ(ws.Value("Cor", "Width"), "2048");
    EXPECT_EQ(ws.Value("Cor", "Height"), "996");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
}

TEST(DetectorTrixell, TwoDetectorsHideTheModalityButKeepItsValue)
{
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\nOriW=1024\nOriH=1024\nWidth=512\nHeight=512\n"
                "[Cor1]\nDevice=1\n[Cor2]\nDevice=2\n[SYSTEM]\nModality Mode=0\n"
                "[DETECTOR]\nDetector 1=2\nDetector 2=5\n");
    const ScriptResult r = ws.Run("tab 1\ndump\nselect 1024 \"COM6\"\narrow 1049 -1\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    // No slot position here: the second page still shows the stored stand.
    EXPECT_EQ(State(r, 1032), "visible=0 enabled=1 checked=1");
    EXPECT_TRUE(r.Control(1033).contains(QStringLiteral("visible=0")));
    EXPECT_TRUE(r.Control(1034).contains(QStringLiteral("visible=0")));
    EXPECT_TRUE(r.Control(1046).contains(QStringLiteral("visible=1")));
    // Both pages write the same keys; the second one saves last.
    EXPECT_EQ(ws.Value("DETECTOR", "Detector 1"), "6");
    EXPECT_EQ(ws.Value("DETECTOR", "Detector 2"), "5");
    EXPECT_EQ(ws.Value("Cor", "Width"), "516");
}

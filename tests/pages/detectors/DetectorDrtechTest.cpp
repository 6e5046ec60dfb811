// The DRTECH page of device id 11: loading, the arrows and saving, with one
// detector and as either of two.
#include "pages/detectors/DetectorDrtech.h"
#include "pages/detectors/DirectPage.h"
#include "support/ControlDump.h"

#include <gtest/gtest.h>

namespace {
const char kSingle[] = "[CONTROLPANNEL]\nDevice=11\n[Cor]\nOriW=2048\nOriH=2046\n";
} // namespace

TEST(DetectorDrtech, LoadingClampsToTheSensorRoundsDownAndSavesWhatItShows)
{
    const struct {
        const char* size;
        const char* width;
        const char* height;
    } cases[] = {{"Width=1001\nHeight=3000\n", "1000", "2044"},
                 {"Width=2\nHeight=-8\n", "2048", "2044"},
                 {"", "2048", "2044"}};
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni(QByteArray(kSingle) + c.size);
        const ScriptResult r = ws.Run("dump\nok\n");
        EXPECT_EQ(Field(r.Control(1041), "text"), c.width) << c.size;
        EXPECT_EQ(Field(r.Control(1042), "text"), c.height) << c.size;
        EXPECT_EQ(Field(r.Control(1037), "text"), "2048") << "the hidden sensor fields";
        EXPECT_EQ(ws.Value("Cor", "Width"), c.width) << c.size;
        EXPECT_EQ(ws.Value("Cor", "Height"), c.height) << c.size;
    }
}

TEST(DetectorDrtech, ArrowsStepOneSizeAndTheEditsAreNotTyped)
{
    Workstation ws;
    ws.WriteIni(QByteArray(kSingle) + "Width=1000\nHeight=2044\n");
    ScriptResult r = ws.Run("arrow 1049 1\narrow 1049 1\narrow 1050 -1\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("Cor", "Width"), "992");
    EXPECT_EQ(ws.Value("Cor", "Height"), "2044") << "enlarging stops at the sensor rounded down";

    r = ws.Run("type 1041 \"500\"\nok\n");
    EXPECT_EQ(r.Lines("error: ").value(0), "error: 1: control 1041 is read-only");

    ws.WriteIni("[CONTROLPANNEL]\nDevice=11\n[Cor]\nWidth=1000\n");
    r = ws.Run("arrow 1049 -1\narrow 1049 1\ndump 1041\nok\n");
    EXPECT_EQ(Field(r.Control(1041), "text"), "0") << "no sensor size: every step leaves 0";
}

TEST(DetectorDrtech, UnknownModalityLoadsAsStandAndSavesZero)
{
    Workstation ws;
    ws.WriteIni(QByteArray(kSingle) + "[SYSTEM]\nModality Mode=7\n");
    ScriptResult r = ws.Run("dump\nok\n");
    EXPECT_EQ(State(r.Control(1032)), "111");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "0");
    ws.Run("click 1034\nok\n");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
}

namespace {
const char kMulti[] = "[Cor]\nUseMultiCor=1\nOriW=3000\nWidth=3000\n"
                      "[Cor1]\nDevice=11\nOriW=2048\nOriH=2048\nWidth=1001\nHeight=2048\n"
                      "[Cor2]\nDevice=11\nOriW=3072\nOriH=3072\nWidth=2000\nHeight=3\n"
                      "[SYSTEM]\nModality Mode=0\n";
} // namespace

TEST(DetectorDrtech, EachOfTwoPagesKeepsToItsSlotSection)
{
    Workstation ws;
    ws.WriteIni(kMulti);
    const ScriptResult r = ws.Run("dump\narrow 1049 1\ntab 1\ndump\narrow 1049 -1\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    const QStringList widths = r.Lines("control 1041 ");
    ASSERT_EQ(widths.size(), 2);
    EXPECT_EQ(Field(widths[0], "text"), "1000");
    EXPECT_EQ(Field(widths[1], "text"), "2000");
    EXPECT_EQ(State(r.Lines("control 1032 ").value(0)), "001") << "first of two: stand, hidden";
    EXPECT_EQ(State(r.Lines("control 1033 ").value(1)), "001") << "second of two: table";
    EXPECT_EQ(ws.Value("Cor1", "Width"), "996");
    EXPECT_EQ(ws.Value("Cor2", "Width"), "2004");
    EXPECT_EQ(ws.Value("Cor2", "Height"), "3072");
    EXPECT_EQ(ws.Value("Cor", "Width"), "3000");
}

// Without the main dialog, whose OK writes the modality itself in that case.
TEST(DetectorDrtech, PageOfTwoLeavesModalityModeAlone)
{
    Workstation ws;
    ws.WriteIni(kMulti);
    {
        DirectPageScope scope(ws, true, 2);
        CDetectorDrtech page(scope.Context(1));
        ASSERT_TRUE(page.Create(nullptr));
        page.OnOK();
    }
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "0");
    EXPECT_EQ(ws.Value("Cor2", "Height"), "3072");
}

// The DRTECH page of device id 11 through scripted mode: loading, the arrows
// and saving, with one detector and as either of two.
#include "app/SetUpApp.h"
#include "detectors/DetectorDrtech.h"
#include "settings/Ini.h"
#include "support/ScriptRun.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QString Edit(int id, const char* text, int visible = 1)
{
    return QStringLiteral(
               "control %1 edit visible=%2 enabled=1 checked=0 sel=-1 text=\"%3\" items=[]")
        .arg(id)
        .arg(visible)
        .arg(QLatin1String(text));
}

QString Radio(int id, const char* text, int visible, int enabled, int checked)
{
    return QStringLiteral(
               "control %1 radio visible=%2 enabled=%3 checked=%4 sel=-1 text=\"%5\" items=[]")
        .arg(id)
        .arg(visible)
        .arg(enabled)
        .arg(checked)
        .arg(QLatin1String(text));
}

const char kSingle[] = "[CONTROLPANNEL]\nDevice=11\n[Cor]\nOriW=2048\nOriH=2046\n";

} // namespace

TEST(DetectorDrtech, LoadingClampsToTheSensorAndRoundsDownToFour)
{
    Workstation ws;
    ws.WriteIni(QByteArray(kSingle) + "Width=1001\nHeight=3000\n");
    ScriptResult r = ws.Run("dump\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1041), Edit(1041, "1000"));
    EXPECT_EQ(r.Control(1042), Edit(1042, "2044")) << "3000 becomes the sensor 2046, then 2044";
    EXPECT_EQ(r.Control(1037), Edit(1037, "2048", 0)) << "sensor size in the hidden fields";
    EXPECT_EQ(r.Control(1038), Edit(1038, "2046", 0));

    ws.WriteIni(QByteArray(kSingle) + "Width=2\nHeight=-8\n");
    r = ws.Run("dump\n");
    EXPECT_EQ(r.Control(1041), Edit(1041, "2048"));
    EXPECT_EQ(r.Control(1042), Edit(1042, "2044"));
}

TEST(DetectorDrtech, SavingUnchangedWritesTheShownSize)
{
    Workstation ws;
    ws.WriteIni(QByteArray(kSingle) + "Width=1001\nHeight=3000\n");
    const ScriptResult r = ws.Run("ok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("Cor", "Width"), "1000");
    EXPECT_EQ(ws.Value("Cor", "Height"), "2044");
    EXPECT_EQ(ws.Value("Cor", "OriW"), "2048") << "the sensor size is only read";
}

TEST(DetectorDrtech, ArrowsStepOneSizeWithinTheSensor)
{
    Workstation ws;
    ws.WriteIni(QByteArray(kSingle) + "Width=1000\nHeight=2044\n");
    const ScriptResult r = ws.Run("arrow 1049 1\narrow 1049 1\narrow 1050 -1\n"
                                  "dump 1041\ndump 1042\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1041), Edit(1041, "992"));
    EXPECT_EQ(r.Control(1042), Edit(1042, "2044")) << "enlarging stops at the sensor rounded down";
    EXPECT_EQ(ws.Value("Cor", "Width"), "992");
    EXPECT_EQ(ws.Value("Cor", "Height"), "2044");
}

TEST(DetectorDrtech, MissingSensorSizeKeepsZeroWhateverTheArrows)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=11\n[Cor]\nWidth=1000\n");
    const ScriptResult r = ws.Run("dump 1041\narrow 1049 -1\narrow 1049 1\narrow 1050 -1\n"
                                  "dump 1041\ndump 1042\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    for (const QString& line : r.Lines("control 1041 "))
        EXPECT_EQ(line, Edit(1041, "0"));
    EXPECT_EQ(r.Control(1042), Edit(1042, "0"));
    EXPECT_EQ(ws.Value("Cor", "Width"), "0");
}

TEST(DetectorDrtech, ImageSizeCannotBeTyped)
{
    Workstation ws;
    ws.WriteIni(QByteArray(kSingle) + "Width=1000\n");
    const ScriptResult r = ws.Run("type 1041 \"500\"\nok\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.Lines("error: ").value(0), "error: 1: control 1041 is read-only");
    EXPECT_EQ(ws.Value("Cor", "Width"), "1000") << "the run stopped before OK";
}

TEST(DetectorDrtech, UnknownModalityLoadsAsStandAndSavesZero)
{
    Workstation ws;
    ws.WriteIni(QByteArray(kSingle) + "[SYSTEM]\nModality Mode=7\n");
    ScriptResult r = ws.Run("dump\nok\n");
    EXPECT_EQ(r.Control(1032), Radio(1032, "Single(Stand)", 1, 1, 1));
    EXPECT_EQ(r.Control(1034), Radio(1034, "Full(Stand/Table)", 1, 1, 0));
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "0");

    r = ws.Run("click 1034\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
}

namespace {

const char kMulti[] = "[Cor]\nUseMultiCor=1\nOriW=3000\nOriH=3000\nWidth=3000\nHeight=3000\n"
                      "[Cor1]\nDevice=11\nOriW=2048\nOriH=2048\nWidth=1001\nHeight=2048\n"
                      "[Cor2]\nDevice=11\nOriW=3072\nOriH=3072\nWidth=2000\nHeight=3\n"
                      "[SYSTEM]\nModality Mode=0\n";

} // namespace

TEST(DetectorDrtech, EachOfTwoPagesReadsItsSlotSectionAndHidesTheModality)
{
    Workstation ws;
    ws.WriteIni(kMulti);
    const ScriptResult r = ws.Run("dump\ntab 1\ndump\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    const QStringList widths = r.Lines("control 1041 ");
    ASSERT_EQ(widths.size(), 2);
    EXPECT_EQ(widths[0], Edit(1041, "1000"));
    EXPECT_EQ(widths[1], Edit(1041, "2000"));
    EXPECT_EQ(r.Control(1042), Edit(1042, "3072"));

    const QStringList stands = r.Lines("control 1032 ");
    const QStringList tables = r.Lines("control 1033 ");
    ASSERT_EQ(stands.size(), 2);
    EXPECT_EQ(stands[0], Radio(1032, "Single(Stand)", 0, 0, 1)) << "first of two: stand";
    EXPECT_EQ(tables[1], Radio(1033, "Single(Table)", 0, 0, 1)) << "second of two: table";
}

TEST(DetectorDrtech, EachOfTwoPagesSavesToItsSlotSection)
{
    Workstation ws;
    ws.WriteIni(kMulti);
    const ScriptResult r = ws.Run("arrow 1049 1\ntab 1\narrow 1049 -1\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("Cor1", "Width"), "996");
    EXPECT_EQ(ws.Value("Cor1", "Height"), "2048");
    EXPECT_EQ(ws.Value("Cor2", "Width"), "2004");
    EXPECT_EQ(ws.Value("Cor2", "Height"), "3072");
    EXPECT_EQ(ws.Value("Cor", "Width"), "3000") << "[Cor] is not the pages' section";
}

// Without the main dialog around it: the page itself never writes the modality
// when two detectors are configured.
TEST(DetectorDrtech, PageOfTwoLeavesModalityModeAlone)
{
    Workstation ws;
    ws.WriteIni(kMulti);
    const QByteArray path = QFile::encodeName(ws.Path(QStringLiteral("Kestrel.ini")));
    g_Ini.SetPath(path.constData());
    theApp.m_bUseMultiCor = 1;
    g_nSlotPosition = 2;
    {
        CDetectorDrtech page;
        ASSERT_TRUE(page.Create(nullptr, 1));
        page.OnOK();
    }
    theApp.m_bUseMultiCor = 0;
    g_nSlotPosition = 0;
    g_Ini.SetPath(nullptr);
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "0");
    EXPECT_EQ(ws.Value("Cor2", "Width"), "2000");
    EXPECT_EQ(ws.Value("Cor2", "Height"), "3072");
    EXPECT_EQ(ws.Value("Cor1", "Width"), "1001");
}

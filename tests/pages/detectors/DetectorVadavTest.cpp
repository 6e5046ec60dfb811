// The XMaru page through scripted mode: size fitting and stepping, the
// rotation and same-size rules, the veterinary layout, the library check and
// which address goes to which key when saving.
#include "support/ControlDump.h"
#include "support/ScriptRun.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

QString Text(const ScriptResult& r, int id)
{
    return Dumped(r, id).text;
}

QString State(const ScriptResult& r, int id)
{
    return Dumped(r, id).Flags();
}

} // namespace

TEST(DetectorVadav, LoadingFitsTheImageSizeIntoTheSensorInMultiplesOfFour)
{
    const struct {
        const char* width;
        const char* shown;
    } cases[] = {
        {"1000", "1000"}, {"1001", "1000"}, {"3000", "2048"}, {"2", "2048"}, {"-5", "2048"}};
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[Cor]\nOriW=2048\nOriH=1536\nHeight=1537\nWidth=" +
                    QByteArray(c.width) + "\n");
        const ScriptResult r = ws.Run("dump 1041\ndump 1042\nok\n");
        EXPECT_EQ(Text(r, 1041), c.shown) << "Width=" << c.width;
        EXPECT_EQ(Text(r, 1042), "1536");
        EXPECT_EQ(ws.Value("Cor", "Width"), QByteArray(c.shown)) << "Width=" << c.width;
    }
}

TEST(DetectorVadav, ArrowsStepInFoursWithinTheSensor)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[Cor]\nOriW=2046\nOriH=1000\nWidth=2044\nHeight=6\n");
    const ScriptResult r = ws.Run("arrow 1049 -1\ndump 1041\narrow 1049 1\narrow 1049 1\n"
                                  "dump 1041\narrow 1050 1\ndump 1042\narrow 1050 -1\ndump 1042\n");
    const QStringList widths = r.Lines(QStringLiteral("control 1041 "));
    ASSERT_EQ(widths.size(), 2);
    EXPECT_TRUE(widths[0].contains(QStringLiteral("text=\"2044\""))) << "bound rounds down";
    EXPECT_TRUE(widths[1].contains(QStringLiteral("text=\"2036\"")));
    const QStringList heights = r.Lines(QStringLiteral("control 1042 "));
    ASSERT_EQ(heights.size(), 2);
    EXPECT_TRUE(heights[0].contains(QStringLiteral("text=\"4\""))) << "never below 4";
    EXPECT_TRUE(heights[1].contains(QStringLiteral("text=\"8\"")));
}

TEST(DetectorVadav, MissingSensorSizeShowsZeroAndArrowsKeepIt)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[Cor]\nWidth=1000\n");
    const ScriptResult r = ws.Run("arrow 1049 -1\narrow 1050 1\ndump 1041\ndump 1042\n");
    EXPECT_EQ(Text(r, 1041), "0");
    EXPECT_EQ(Text(r, 1042), "0");
}

TEST(DetectorVadav, RotationForcesSameSizeAndTheHeightFollowsTheWidth)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[Cor]\nOriW=2048\nOriH=1024\nWidth=2000\nHeight=500\n");
    ScriptResult r = ws.Run("select 1043 \"90CW\"\ndump 1053\ndump 1042\n");
    EXPECT_EQ(State(r, 1053), "visible=1 enabled=0 checked=1");
    EXPECT_EQ(State(r, 1042), "visible=1 enabled=0 checked=0");
    EXPECT_EQ(Text(r, 1042), "1024") << "the width, limited by the sensor height";

    // Back to "None": the box can be used again and keeps its check;
    // unchecking frees the height, and the width arrows stop carrying it along.
    r = ws.Run("select 1043 \"90CCW\"\narrow 1049 1\ndump 1042\nselect 1043 \"None\"\ndump 1053\n"
               "click 1053\ndump 1053\narrow 1049 1\ndump 1041\ndump 1042\nok\n");
    const QStringList heights = r.Lines(QStringLiteral("control 1042 "));
    ASSERT_EQ(heights.size(), 2);
    EXPECT_TRUE(heights[0].contains(QStringLiteral("text=\"1024\"")));
    const QStringList sameSize = r.Lines(QStringLiteral("control 1053 "));
    ASSERT_EQ(sameSize.size(), 2);
    EXPECT_TRUE(sameSize[0].contains(QStringLiteral("enabled=1 checked=1")));
    EXPECT_TRUE(sameSize[1].contains(QStringLiteral("enabled=1 checked=0")));
    EXPECT_EQ(State(r, 1042), "visible=1 enabled=1 checked=0");
    EXPECT_EQ(Text(r, 1041), "1992");
    EXPECT_EQ(ws.Value("Cor", "Width"), "1992");
    EXPECT_EQ(ws.Value("Cor", "Height"), "1024");
    EXPECT_EQ(ws.Value("DetectorVatech", "Rotation"), "0");
}

TEST(DetectorVadav, SwitchesRotationAndFlipMapTheirStoredValues)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[DetectorVatech]\nUseCal=0\nUseLog=2\nMode=1\n"
                "Rotation=7\nFlip=2\n");
    ScriptResult r = ws.Run("dump\nclick 1016\nclick 1017\nclick 1018\nclick 1045\n"
                            "type 1043 \"90CW\"\nok\n");
    EXPECT_EQ(State(r, 1018), "visible=1 enabled=1 checked=1") << "UseCal 0 is Type II";
    EXPECT_EQ(State(r, 1016), "visible=1 enabled=1 checked=0") << "only 1 counts";
    EXPECT_EQ(State(r, 1017), "visible=1 enabled=1 checked=0") << "only 0 counts";
    EXPECT_TRUE(r.Control(1043).contains(QStringLiteral("sel=0"))) << "unknown rotation";
    EXPECT_EQ(State(r, 1044), "visible=1 enabled=1 checked=1");
    EXPECT_EQ(State(r, 1045), "visible=1 enabled=1 checked=0");
    EXPECT_EQ(ws.Value("DetectorVatech", "UseCal"), "1");
    EXPECT_EQ(ws.Value("DetectorVatech", "UseLog"), "1");
    EXPECT_EQ(ws.Value("DetectorVatech", "Mode"), "0");
    EXPECT_EQ(ws.Value("DetectorVatech", "Rotation"), "0") << "typed text is no selection";
    EXPECT_EQ(ws.Value("DetectorVatech", "Flip"), "3");

    ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[DetectorVatech]\nFlip=5\n");
    r = ws.Run("dump 1044\ndump 1045\nok\n");
    EXPECT_EQ(State(r, 1044), "visible=1 enabled=1 checked=0");
    EXPECT_EQ(State(r, 1045), "visible=1 enabled=1 checked=0");
    EXPECT_EQ(ws.Value("DetectorVatech", "UseCal"), "1") << "default 1 loads unchecked";
    EXPECT_EQ(ws.Value("DetectorVatech", "Mode"), "0") << "default 0 loads checked";
    EXPECT_EQ(ws.Value("DetectorVatech", "Flip"), "0");
}

TEST(DetectorVadav, VeterinaryLayoutShowsOnlyTheStandAddress)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[SYSTEM]\nModality Mode=1\nIsVet=1\n"
                "[DetectorVatech]\nDetIP_1=10.0.0.1\nDetIP_2=10.0.0.2\n");
    const ScriptResult r = ws.Run("dump\ntype 1030 \"10.0.0.9\"\nok\n");
    EXPECT_EQ(State(r, 1032), "visible=0 enabled=1 checked=1");
    for (int id : {1033, 1034, 1046, 1036, 1031})
        EXPECT_TRUE(r.Control(id).contains(QStringLiteral("visible=0"))) << id;
    EXPECT_EQ(Text(r, 1035), "IP :");
    EXPECT_EQ(State(r, 1030), "visible=1 enabled=1 checked=0");
    EXPECT_EQ(ws.Value("DetectorVatech", "DetIP_1"), "10.0.0.9");
    EXPECT_EQ(ws.Value("DetectorVatech", "DetIP_2"), "10.0.0.9");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "0");
}

TEST(DetectorVadav, SingleDetectorSavesTheAddressOfTheChosenPosition)
{
    const struct {
        const char* radio;
        const char* ip1;
        const char* ip2;
        const char* mode;
        const char* current;
    } cases[] = {{"1032", "10.0.0.1", "10.0.0.1", "0", "1"},
                 {"1033", "10.0.0.2", "10.0.0.2", "1", "2"},
                 {"1034", "10.0.0.1", "10.0.0.2", "2", "1"}};
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[SYSTEM]\nModality Mode=2\n"
                    "[DetectorVatech]\nDetIP_1=10.0.0.1\nDetIP_2=10.0.0.2\n");
        const ScriptResult r =
            ws.Run(QStringLiteral("click %1\ndump 1030\ndump 1031\nok\n").arg(c.radio));
        EXPECT_EQ(ws.Value("DetectorVatech", "DetIP_1"), c.ip1) << c.radio;
        EXPECT_EQ(ws.Value("DetectorVatech", "DetIP_2"), c.ip2) << c.radio;
        EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), c.mode) << c.radio;
        EXPECT_EQ(ws.Value("SYSTEM", "Current Modality"), c.current) << c.radio;
        EXPECT_EQ(State(r, 1030).contains(QStringLiteral("enabled=1")),
                  QByteArray(c.radio) != "1033");
        EXPECT_EQ(State(r, 1031).contains(QStringLiteral("enabled=1")),
                  QByteArray(c.radio) != "1032");
        EXPECT_FALSE(ws.HasKey("Cor1", "Width"));
    }
}

// The other slot holds a Trixell page, which writes no address, so whatever
// address key appears comes from the XMaru page.
TEST(DetectorVadav, EachOfTwoDetectorsWritesOnlyItsOwnAddress)
{
    const QByteArray common =
        "[Cor]\nUseMultiCor=1\nOriW=2048\nOriH=2048\nWidth=1000\nHeight=1000\n";
    Workstation first;
    first.WriteIni(common + "[Cor1]\nDevice=8\n[Cor2]\nDevice=1\n");
    ScriptResult r = first.Run("dump 1032\ntype 1030 \"10.0.0.7\"\narrow 1049 1\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(State(r, 1032), "visible=1 enabled=0 checked=1") << "the stand detector";
    EXPECT_EQ(first.Value("DetectorVatech", "DetIP_1"), "10.0.0.7");
    EXPECT_FALSE(first.HasKey("DetectorVatech", "DetIP_2"));
    EXPECT_EQ(first.Value("Cor1", "Width"), "996");

    Workstation second;
    second.WriteIni(common + "[Cor1]\nDevice=1\n[Cor2]\nDevice=8\n");
    r = second.Run("tab 1\ndump 1033\ntype 1031 \"10.0.0.9\"\narrow 1049 -1\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(State(r, 1033), "visible=1 enabled=0 checked=1") << "the table detector";
    EXPECT_EQ(second.Value("DetectorVatech", "DetIP_2"), "10.0.0.9");
    EXPECT_FALSE(second.HasKey("DetectorVatech", "DetIP_1"));
    EXPECT_FALSE(second.HasKey("DetectorVatech", "LibPath"));
    EXPECT_EQ(second.Value("Cor2", "Width"), "1004");
    EXPECT_FALSE(second.HasKey("Cor1", "Width"));
    EXPECT_EQ(second.Value("Cor", "Width"), "1000") << "only the first slot writes [Cor]";
}

TEST(DetectorVadav, BrowseWarnsWhenTheChosenFolderLacksTheLibrary)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=8\n[DetectorVatech]\nLibPath=C:\\XMaru\n");
    QDir(ws.Dir()).mkdir(QStringLiteral("lib"));
    ws.Write(QStringLiteral("lib/vadav.dll"), "MZ");
    const QString lib = ws.Path(QStringLiteral("lib"));
    const ScriptResult r = ws.Run(QStringLiteral("folder cancel\nclick 1029\ndump 1048\n"
                                                 "folder \"%1\"\nclick 1029\n"
                                                 "folder \"%2\"\nclick 1029\nok\n")
                                      .arg(lib, ws.Dir()));
    EXPECT_EQ(Text(r, 1048), "C:\\\\XMaru") << "cancel changes nothing";
    EXPECT_EQ(r.Lines(QStringLiteral("picker: ")).value(0), "picker: folder start=\"C:\\\\XMaru\"");
    EXPECT_EQ(r.Lines(QStringLiteral("message: ")),
              QStringList{"message: XMaru library is not found.\\r\\nPlease select correct "
                          "XMaru library path."})
        << "the library is found without regard to case";
    EXPECT_EQ(ws.Value("DetectorVatech", "LibPath"), ws.Dir().toLocal8Bit()) << "kept anyway";
}

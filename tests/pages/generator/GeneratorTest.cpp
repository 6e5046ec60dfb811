// The "Generator && Etc" page through scripted mode: what it loads, how its
// controls enable one another, and what OK writes.
#include "pages/detectors/Detector.h"
#include "ui/PageFactory.h"
#include "support/ControlDump.h"
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {

// An empty detector page, so that the detector tab neither reads nor writes.
class CQuietDetector : public CDetector
{
public:
    explicit CQuietDetector(const PageContext& context) : CDetector(9998, context) {}

protected:
    void SetupUi() override {}
};

class GeneratorPage : public ::testing::Test
{
protected:
    // Device ids 11 and 12 select these classes.
    void SetUp() override
    {
        for (const char* name : {"CDetectorDrtech", "CDetectorVarian"})
            m_replaced.emplace_back(
                name, ReplacePageClass(name, [](QWidget* parent, const PageContext& context) -> CDialog* {
                    return CreatePage<CQuietDetector>(parent, context);
                }));
    }
    void TearDown() override
    {
        for (const auto& [name, previous] : m_replaced)
            ReplacePageClass(name, previous);
    }

    // Runs the actions on the generator tab of a single-detector workstation.
    ScriptResult Run(const QByteArray& ini, const QString& actions)
    {
        ws.WriteIni(ini);
        return ws.Run(QStringLiteral("tab 1\n") + actions);
    }

    Workstation ws;

private:
    std::vector<std::pair<const char*, PageCreateFn>> m_replaced;
};

// "visible=V enabled=E checked=C sel=S text=\"T\"" of the control's last dump.
QString State(const ScriptResult& r, int id)
{
    return Dumped(r, id).Fields();
}

QString Items(const ScriptResult& r, int id)
{
    return Dumped(r, id).items;
}

const char* const kSyfmSite = "[CONTROLPANNEL]\nDevice=11\n[SETUP]\nSYFMUSE=11;12;19;22;42\n";

} // namespace

// --- loading --------------------------------------------------------------------

TEST_F(GeneratorPage, GeneratorTypeDecidesPortNamesAndPowerModel)
{
    for (const char* type : {"0", "99"}) {
        const ScriptResult r = Run(QByteArray("[CONTROLPANNEL]\nDevice=11\nWSforStand100=A\n"
                                              "WSforAux=C\nTypeGen=") +
                                       type + "\n",
                                   "dump\n");
        EXPECT_EQ(State(r, 1024), "visible=1 enabled=0 checked=0 sel=-1 text=\"\"") << type;
        EXPECT_EQ(State(r, 1133), "visible=1 enabled=0 checked=0 sel=-1 text=\"\"") << type;
        EXPECT_EQ(State(r, 1010), "visible=1 enabled=0 checked=0 sel=-1 text=\"\"") << type;
        EXPECT_TRUE(State(r, 1076).startsWith("visible=0"));
    }

    ScriptResult r = Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=5\nWSforStand100=S\nWSforTable=T\n"
                         "[GENERATOR]\nCOMPORT=12\n",
                         "dump\n");
    EXPECT_EQ(State(r, 1024), "visible=1 enabled=1 checked=0 sel=0 text=\"COM1\"");
    EXPECT_EQ(Items(r, 1024), "[\"COM1\",\"COM2\",\"COM3\",\"COM4\",\"COM5\",\"COM6\",\"COM7\","
                              "\"COM8\",\"COM9\"]");
    EXPECT_EQ(State(r, 1133), "visible=1 enabled=1 checked=0 sel=-1 text=\"S\"");
    EXPECT_TRUE(State(r, 1027).endsWith("text=\"T\""));
    EXPECT_EQ(State(r, 1076), "visible=1 enabled=1 checked=0 sel=2 text=\"40kW\"");

    r = Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=3\n[GENERATOR]\nCOMPORT=9\nMDPSC=1\n", "dump\n");
    EXPECT_TRUE(State(r, 1024).contains("sel=8 text=\"COM9\""));
    EXPECT_TRUE(State(r, 1076).startsWith("visible=0")) << "only types 5 and 15 have a model";
}

TEST_F(GeneratorPage, VeterinaryKindOneAlsoHidesStitchingAndRalco)
{
    ScriptResult r = Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=3\n[SYSTEM]\nIsVet=1\n", "dump\n");
    EXPECT_TRUE(State(r, 1069).endsWith("text=\"WS1 :\""));
    for (int id : {1068, 1133, 1075, 1007, 1053})
        EXPECT_TRUE(State(r, id).startsWith("visible=0")) << id;

    r = Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=3\n[SYSTEM]\nIsVet=2\n", "dump\n");
    EXPECT_TRUE(State(r, 1069).endsWith("text=\"WS1 :\""));
    for (int id : {1068, 1133})
        EXPECT_TRUE(State(r, id).startsWith("visible=0")) << id;
    for (int id : {1075, 1007, 1053})
        EXPECT_TRUE(State(r, id).startsWith("visible=1")) << id;
}

TEST_F(GeneratorPage, SiteWithoutSyfmHidesTheGroupButStillLoadsFix)
{
    const ScriptResult r =
        Run("[CONTROLPANNEL]\nDevice=12\n[SYFMSDK]\nFIX=1\nSYFMSDK=1\n", "dump\n");
    for (int id : {1026, 1028, 1050, 1080, 1081, 1082, 1051, 1087, 1088, 1029, 1030, 1084})
        EXPECT_TRUE(State(r, id).startsWith("visible=0")) << id;
    EXPECT_TRUE(State(r, 1052).contains("checked=1"));
}

TEST_F(GeneratorPage, SyfmTypesFollowTheSiteListAndSelectTheStoredModel)
{
    const char* stored11 = "[SYFMSDK]\nSYFMSDK=1\nTYPE=1\n";
    ScriptResult r = Run(
        QByteArray("[CONTROLPANNEL]\nDevice=11\n[SETUP]\nSYFMUSE=42;11\n") + stored11, "dump\n");
    EXPECT_EQ(Items(r, 1028), "[\"SYFM STAND\",\"SYFM U-ARM(SU3000)\"]");
    EXPECT_TRUE(State(r, 1028).contains("sel=1"));

    r = Run(QByteArray("[CONTROLPANNEL]\nDevice=11\n[SETUP]\nSYFMUSE=22;;19;22\n") + stored11,
            "dump\n");
    EXPECT_EQ(Items(r, 1028), "[\"SYFM CEILING\",\"SYFM U-ARM(SU3000) + RALCO\",\"SYFM CEILING\"]");
    EXPECT_TRUE(State(r, 1028).contains("sel=0")) << "a model not offered selects the first";

    r = Run(QByteArray("[CONTROLPANNEL]\nDevice=11\n[SETUP]\nSYFMUSE=7;abc\n") + stored11,
            "dump\n");
    EXPECT_EQ(Items(r, 1028), "[]");
    EXPECT_TRUE(State(r, 1028).contains("sel=-1"));
}

TEST_F(GeneratorPage, SyfmPortsClampAsTheAcquisitionSideExpects)
{
    ScriptResult r = Run(QByteArray(kSyfmSite) +
                             "[SYFMSDK]\nSYFMSDK=1\nTYPE=1\nPORT=0\nUSBPORT=9\nUSBBAUD=250000\n",
                         "dump\n");
    EXPECT_TRUE(State(r, 1026).contains("sel=0 text=\"COM1\""));
    EXPECT_TRUE(State(r, 1029).contains("sel=-1"));
    EXPECT_EQ(State(r, 1030), "visible=1 enabled=1 checked=0 sel=-1 text=\"250000\"");
    EXPECT_TRUE(State(r, 1084).startsWith("visible=0")) << "device 11 has no USB I/O box";

    r = Run("[CONTROLPANNEL]\nDevice=12\n[SETUP]\nSYFMUSE=11\n[SYSTEM]\nUseUSBIO=1\n"
            "[SYFMSDK]\nPORT=12\nUSBPORT=8\nAutoExp=0\n",
            "dump\n");
    EXPECT_TRUE(State(r, 1026).contains("sel=0"));
    EXPECT_TRUE(State(r, 1029).contains("sel=7"));
    EXPECT_EQ(State(r, 1084), "visible=1 enabled=1 checked=1 sel=-1 text=\"Use USBIO\"");
    // SYFMSDK 0: the positioner is off.
    EXPECT_TRUE(State(r, 1050).contains("checked=0"));
    for (int id : {1028, 1026, 1051, 1052})
        EXPECT_TRUE(State(r, id).contains("enabled=0")) << id;
    for (int id : {1087, 1088, 1029, 1030})
        EXPECT_TRUE(State(r, id).startsWith("visible=0")) << id;
}

TEST_F(GeneratorPage, DapMeterTypeDecidesThePortList)
{
    ScriptResult r = Run("[CONTROLPANNEL]\nDevice=11\nUseDAP=1\nUseDAP2=3\nTypeDose=3\n", "dump\n");
    EXPECT_TRUE(State(r, 1008).contains("checked=1"));
    EXPECT_TRUE(State(r, 1083).contains("sel=0 text=\"with CPI\""));
    EXPECT_TRUE(State(r, 1092).contains("sel=3 text=\"Gycm2\""));
    EXPECT_EQ(State(r, 1137), "visible=1 enabled=0 checked=0 sel=3 text=\"COM4\"");

    r = Run("[CONTROLPANNEL]\nDevice=11\nUseDAP2=2\nDAPPORT=2\n", "dump\n");
    EXPECT_TRUE(State(r, 1083).contains("sel=2 text=\"iba\""));
    EXPECT_EQ(State(r, 1137), "visible=1 enabled=1 checked=0 sel=1 text=\"COM2\"");

    r = Run("[CONTROLPANNEL]\nDevice=11\nUseDAP2=3\n", "dump\n");
    EXPECT_TRUE(State(r, 1137).contains("enabled=0"));

    r = Run("[CONTROLPANNEL]\nDevice=11\nUseDAP2=4\n", "dump\n");
    EXPECT_TRUE(State(r, 1008).contains("checked=0"));
    EXPECT_EQ(State(r, 1083), "visible=1 enabled=0 checked=0 sel=0 text=\"with CPI\"");
}

TEST_F(GeneratorPage, IoBoardCodeSelectsModelAndEnable)
{
    ScriptResult r = Run("[CONTROLPANNEL]\nDevice=11\nIODevice=6\nReadyOffset=-20\n", "dump\n");
    EXPECT_TRUE(State(r, 1054).contains("checked=1"));
    EXPECT_EQ(State(r, 1147), "visible=1 enabled=1 checked=0 sel=0 text=\"PCI/LPCI/LPCIe-7250\"");
    EXPECT_TRUE(State(r, 1012).endsWith("text=\"-20\""));

    r = Run("[CONTROLPANNEL]\nDevice=11\nIODevice=0\n", "dump\n");
    EXPECT_TRUE(State(r, 1054).contains("checked=0"));
    EXPECT_TRUE(State(r, 1147).contains("enabled=0"));
    EXPECT_EQ(State(r, 1012), "visible=1 enabled=0 checked=0 sel=-1 text=\"1000\"");

    r = Run("[CONTROLPANNEL]\nDevice=11\nIODevice=4\n", "dump 1147\n");
    EXPECT_TRUE(State(r, 1147).contains("text=\"MDA4000\""));
}

// --- enabling rules -------------------------------------------------------------

TEST_F(GeneratorPage, RejectAlwaysKeepsAnalysisChecked)
{
    ScriptResult r =
        Run("[CONTROLPANNEL]\nDevice=11\n", "click 1073\ndump 1074\nclick 1074\ndump\n");
    EXPECT_EQ(r.Lines("message: "),
              QStringList{"message: Reject is checked, first uncheck the Reject"});
    EXPECT_TRUE(State(r, 1074).contains("checked=1"));

    r = Run("[CONTROLPANNEL]\nDevice=11\n[SYSTEM]\nReject=1\nAnalysis=1\n",
            "click 1073\nclick 1074\ndump\n");
    EXPECT_TRUE(r.Lines("message: ").isEmpty());
    EXPECT_TRUE(State(r, 1074).contains("checked=0"));
}

TEST_F(GeneratorPage, SyfmControlsFollowEnableAutoExpAndTheRalcoModel)
{
    const ScriptResult r =
        Run(QByteArray(kSyfmSite) + "[SYFMSDK]\nAutoExp=0\n",
            "click 1050\ndump 1029\nclick 1051\nselect 1028 \"SYFM U-ARM(SU3000) + RALCO\"\n"
            "select 1028 \"SYFM STAND\"\ndump\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    const QStringList autoPort = r.Lines("control 1029 ");
    EXPECT_TRUE(autoPort.value(0).contains("visible=0 enabled=1"));
    EXPECT_TRUE(autoPort.value(1).contains("visible=1 enabled=1"));
    EXPECT_TRUE(State(r, 1052).contains("enabled=1"));
    EXPECT_TRUE(State(r, 1007).contains("checked=1")) << "another model does not uncheck it";
    EXPECT_TRUE(State(r, 1053).contains("enabled=1"));
}

TEST_F(GeneratorPage, UseDapAndDapTypeEnableTheirLists)
{
    const ScriptResult r = Run("[CONTROLPANNEL]\nDevice=11\n",
                               "click 1008\ndump\nselect 1083 1\ndump 1137\nselect 1083 3\n"
                               "dump 1137\nclick 1008\ndump\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    const QStringList port = r.Lines("control 1137 ");
    EXPECT_TRUE(port.value(0).contains("enabled=0")) << "with CPI has no port";
    EXPECT_TRUE(port.value(1).contains("enabled=1"));
    EXPECT_TRUE(port.value(2).contains("enabled=0"));
    EXPECT_TRUE(port.value(3).contains("enabled=0"));
    EXPECT_TRUE(r.Lines("control 1083 ").value(0).contains("enabled=1"));
    EXPECT_TRUE(State(r, 1083).contains("enabled=0"));
    EXPECT_TRUE(State(r, 1092).contains("enabled=0"));
}

// --- saving ---------------------------------------------------------------------

TEST_F(GeneratorPage, GeneratorKeysOnlyWithSerialLinkButSwitchesAlways)
{
    Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=0\n", "click 1070\nclick 1075\nok\n");
    for (const char* key : {"WSforStand100", "WSforStand180", "WSforTable", "WSforAux"})
        EXPECT_FALSE(ws.HasKey("CONTROLPANNEL", key)) << key;
    EXPECT_FALSE(ws.HasKey("GENERATOR", "COMPORT"));
    EXPECT_FALSE(ws.HasKey("GENERATOR", "MDPSC"));
    EXPECT_EQ(ws.Value("SYSTEM", "12BitSend"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "photometric"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "WBProcImg"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Reject"), "0");
}

TEST_F(GeneratorPage, WorkstationNamesFollowTheVeterinaryKindAtSaveTime)
{
    const QString names = "type 1133 \"A\"\ntype 1027 \"B\"\ntype 1010 \"C\"\nok\n";
    Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=3\n[GENERATOR]\nMDPSC=2\n", names);
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "WSforStand100"), "A");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "WSforStand180"), "A");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "WSforTable"), "B");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "WSforAux"), "C");
    EXPECT_EQ(ws.Value("GENERATOR", "MDPSC"), "0") << "no power model for type 3";

    Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=3\n[SYSTEM]\nIsVet=2\n",
        "type 1027 \"B\"\ntype 1010 \"C\"\nok\n");
    for (const char* key : {"WSforStand100", "WSforStand180", "WSforTable", "WSforAux"})
        EXPECT_EQ(ws.Value("CONTROLPANNEL", key), "B") << key;

    Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=15\n", "select 1076 \"50kW\"\nok\n");
    EXPECT_EQ(ws.Value("GENERATOR", "MDPSC"), "4");
}

TEST_F(GeneratorPage, PortsWithoutChoiceAreReportedAndWrittenAsCom1)
{
    const ScriptResult r = Run("[CONTROLPANNEL]\nDevice=11\nTypeGen=3\n[SETUP]\nSYFMUSE=12\n"
                               "[SYFMSDK]\nSYFMSDK=1\nTYPE=2\nPORT=4\nAutoExp=0\nUSBPORT=0\n",
                               "type 1024 \"COM\"\ntype 1026 \"x\"\nok\n");
    EXPECT_EQ(r.Lines("message: "), (QStringList{"message: Generator ComPort Invalid, Set COM1",
                                                 "message: SYFM ComPort Invalid, Set COM1",
                                                 "message: AutoExp ComPort Invalid, Set COM1"}));
    EXPECT_EQ(ws.Value("GENERATOR", "COMPORT"), "1");
    EXPECT_EQ(ws.Value("SYFMSDK", "PORT"), "1");
    EXPECT_EQ(ws.Value("SYFMSDK", "USBPORT"), "1");
    EXPECT_EQ(ws.Value("SYFMSDK", "AutoExp"), "0");
}

TEST_F(GeneratorPage, WithoutSyfmSectionOnlyRalcoTouchesIt)
{
    Run(kSyfmSite, "click 1050\nclick 1007\nok\n");
    EXPECT_EQ(ws.Value("SYFMSDK", "RALCO_SID"), "1");
    for (const char* key : {"SYFMSDK", "TYPE", "FIX", "PORT", "ROT"})
        EXPECT_FALSE(ws.HasKey("SYFMSDK", key)) << key;
    EXPECT_FALSE(ws.HasKey("DetectorVatech", "Mode"));
    EXPECT_EQ(ws.Value("SETUP", "DACSUSE"), "1");
}

TEST_F(GeneratorPage, SyfmStartValuesOnlyWhileTheMarkerDiffers)
{
    const QByteArray other = "ISYOUTOO={00000000-0000-0000-0000-000000000000}\n";
    Run(QByteArray(kSyfmSite) + "[SYFMSDK]\nSYFMSDK=2\nTYPE=2\nSID1=77\n",
        "select 1028 \"SYFM U-ARM(SU5000)\"\nok\n");
    EXPECT_EQ(ws.Value("SYFMSDK", "SYFMSDK"), "1");
    EXPECT_EQ(ws.Value("SYFMSDK", "TYPE"), "2");
    EXPECT_EQ(ws.Value("DetectorVatech", "Mode"), "2");
    EXPECT_FALSE(ws.HasKey("SYFMSDK", "ROT"));
    EXPECT_EQ(ws.Value("SYFMSDK", "SID1"), "77");

    Run(QByteArray(kSyfmSite) + "[SYFMSDK]\nSYFMSDK=1\nTYPE=1\n" + other, "ok\n");
    EXPECT_EQ(ws.Value("SYFMSDK", "ROT"), "180");
    EXPECT_EQ(ws.Value("SYFMSDK", "DET"), "180");
    EXPECT_EQ(ws.Value("SYFMSDK", "SID1"), "390");
    EXPECT_EQ(ws.Value("SYFMSDK", "SID2"), "630");
    EXPECT_EQ(ws.Value("SYFMSDK", "offset"), "1");

    Run(QByteArray(kSyfmSite) + "[SYFMSDK]\nSYFMSDK=2\nTYPE=2\n" + other, "ok\n");
    EXPECT_EQ(ws.Value("SYFMSDK", "ROT"), "180");
    EXPECT_EQ(ws.Value("SYFMSDK", "SID1"), "0");
    EXPECT_EQ(ws.Value("SYFMSDK", "SID2"), "0");
    EXPECT_EQ(ws.Value("SYFMSDK", "offset"), "0");
}

TEST_F(GeneratorPage, RalcoModelIsStoredAsSu3000WithRalcoSid)
{
    Run(QByteArray(kSyfmSite) + "[SYFMSDK]\nSYFMSDK=1\nTYPE=2\n",
        "select 1028 \"SYFM U-ARM(SU3000) + RALCO\"\nok\n");
    EXPECT_EQ(ws.Value("SYFMSDK", "SYFMSDK"), "1");
    EXPECT_EQ(ws.Value("SYFMSDK", "TYPE"), "1");
    EXPECT_EQ(ws.Value("SYFMSDK", "RALCO_SID"), "1");
    EXPECT_EQ(ws.Value("SETUP", "DACSUSE"), "1");

    // Unchecking "Use Ralco" afterwards wins for the collimator only.
    Run(QByteArray(kSyfmSite) + "[SYFMSDK]\nSYFMSDK=1\nTYPE=2\n",
        "select 1028 \"SYFM U-ARM(SU3000) + RALCO\"\nclick 1007\nok\n");
    EXPECT_EQ(ws.Value("SYFMSDK", "RALCO_SID"), "1");
    EXPECT_EQ(ws.Value("SETUP", "DACSUSE"), "0");
}

TEST_F(GeneratorPage, NoKnownModelTurnsSyfmOffButKeepsTheOtherSettings)
{
    Run("[CONTROLPANNEL]\nDevice=11\n[SETUP]\nSYFMUSE=7\n[SYFMSDK]\nSYFMSDK=1\nPORT=5\nFIX=1\n",
        "type 1011 \"2.5\"\nclick 1008\nok\n");
    EXPECT_EQ(ws.Value("SETUP", "SYFMUSE"), "");
    EXPECT_EQ(ws.Value("SYFMSDK", "PORT"), "5");
    EXPECT_EQ(ws.Value("SYFMSDK", "FIX"), "1");
    EXPECT_FALSE(ws.HasKey("SYFMSDK", "USBBAUD"));
    EXPECT_EQ(ws.Value("SYSTEM", "ConstKCal"), "2.5");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "UseDAP"), "1");

    const ScriptResult r = ws.Run("tab 1\ndump 1080\n");
    EXPECT_TRUE(State(r, 1080).startsWith("visible=0"));
}

TEST_F(GeneratorPage, SyfmSwitchedOffWritesOnlyTheOffState)
{
    Run(QByteArray(kSyfmSite) + "[SYFMSDK]\nSYFMSDK=4\nTYPE=2\n[SYSTEM]\nUseUSBIO=1\n",
        "click 1050\nok\n");
    EXPECT_EQ(ws.Value("SYFMSDK", "SYFMSDK"), "0");
    EXPECT_EQ(ws.Value("SYFMSDK", "TYPE"), "2");
    EXPECT_EQ(ws.Value("DetectorVatech", "Mode"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "UseUSBIO"), "0");
    EXPECT_EQ(ws.Value("SYFMSDK", "FIX"), "0");
    EXPECT_FALSE(ws.HasKey("SYFMSDK", "PORT"));
}

TEST_F(GeneratorPage, DapAndIoBoardCodes)
{
    Run("[CONTROLPANNEL]\nDevice=11\nIODevice=7\nUseDAP=1\n",
        "select 1083 \"iba\"\nselect 1137 1\nselect 1147 \"MDA4000\"\ntype 1012 \"1500\"\n"
        "click 1054\nok\n");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "UseDAP"), "0");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "UseDAP2"), "2");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "DAPPORT"), "2");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "TypeDose"), "0");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "IODevice"), "0");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "ReadyOffset"), "1500");

    Run("[CONTROLPANNEL]\nDevice=11\nIODevice=6\n", "select 1147 \"MDA4000\"\nok\n");
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "IODevice"), "4");
}

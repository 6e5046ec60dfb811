// The DRTECH LAN page: three detector columns driven by their models, the
// page-wide rules, and saving in one fixed order whichever slot it stands in.
#include "pages/detectors/DetectorDrtechLanMulti.h"
#include "pages/detectors/DirectPage.h"
#include "support/ControlDump.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kLan = "[CONTROLPANNEL]\nDevice=13\n";

// Enabled flags of a column: model, width, its arrows, height, its arrows,
// spacing, OFF list, ON list; columns A, B, 3rd separated by blanks.
QString Columns(const ScriptResult& r)
{
    QString s;
    for (int first : {0, 1, 2}) {
        const int ids[3][8] = {{1051, 1060, 1056, 1061, 1059, 1064, 1011, 1010},
                               {1055, 1043, 1065, 1044, 1066, 1047, 1013, 1012},
                               {1074, 1072, 1078, 1073, 1079, 1077, 1015, 1014}};
        for (int id : ids[first])
            s += Field(r.Control(id), "enabled");
        s += first < 2 ? " " : "";
    }
    return s;
}

} // namespace

TEST(DetectorDrtechLanMulti, StoredTypeCodesSelectModelsAndUnknownOnesAreReported)
{
    Workstation ws;
    ws.WriteIni(kLan + "[DetDrtech]\nA_TYPE=22\nB_TYPE=9\nC_TYPE=7\nA_CUTX=3\n"
                       "[Cor]\nPixelSpacing3=0.150\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    EXPECT_EQ(r.Lines("message: "), QStringList{"message: Unknown Detector, Check Detector Size"});
    EXPECT_EQ(Field(r.Control(1051), "text"), "EVS 4343");
    EXPECT_EQ(Field(r.Control(1062), "text") + Field(r.Control(1063), "text"), "30723072");
    EXPECT_EQ(Field(r.Control(1060), "text"), "3069") << "no rounding on loading";
    EXPECT_EQ(Field(r.Control(1064), "text"), "0.140");
    EXPECT_EQ(Field(r.Control(1011), "items"), "[\"S/WBOX\",\"AED\",\"SYNC\"]");
    EXPECT_EQ(Field(r.Control(1055), "sel"), "-1");
    EXPECT_EQ(Field(r.Control(1047), "text"), "0.143");
    EXPECT_EQ(Field(r.Control(1013), "items"), "[\"S/WBOX\"]");
    EXPECT_EQ(Field(r.Control(1074), "text"), "EVS 4343") << "7 is a list position";
    EXPECT_EQ(Field(r.Control(1077), "text"), "0.150") << "a stored spacing wins";

    EXPECT_EQ(ws.Value("DetDrtech", "A_TYPE"), "22");
    EXPECT_EQ(ws.Value("Cor", "Width"), "3068");
    EXPECT_EQ(ws.Value("DetDrtech", "A_CUTX"), "4");
    EXPECT_EQ(ws.Value("DetDrtech", "B_TYPE"), "-1");
    EXPECT_EQ(ws.Value("DetDrtech", "C_TYPE"), "22");
}

TEST(DetectorDrtechLanMulti, ModelChoiceResetsTheColumnAndSavingStepsTypedSizes)
{
    Workstation ws;
    ws.WriteIni(kLan);
    const ScriptResult r = ws.Run("select 1051 \"FLAATZ 330N LAN\"\ndump 1061\ndump 1064\n"
                                  "arrow 1056 -1\ntype 1061 \"1001\"\ntype 1064 \"\"\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(Field(r.Control(1061), "text"), "1536");
    EXPECT_EQ(Field(r.Control(1064), "text"), "0.168");
    EXPECT_EQ(ws.Value("Cor", "Width"), "2048") << "enlarging stops at the sensor";
    EXPECT_EQ(ws.Value("Cor", "Height"), "1000");
    EXPECT_EQ(ws.Value("DetDrtech", "A_CUTY"), "536");
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing"), "0.168") << "an empty spacing";

    ws.WriteIni(kLan);
    ws.Run("type 1060 \"3000\"\nok\n");
    EXPECT_EQ(ws.Value("Cor", "Width"), "2560");
    EXPECT_EQ(ws.Value("DetDrtech", "A_CUTX"), "0");
}

TEST(DetectorDrtechLanMulti, OnTriggerFollowsOffUnlessTheAedButtonIsOn)
{
    Workstation ws;
    ws.WriteIni(kLan + "[DetDrtech]\nA_AED_OFF=2\n");
    ScriptResult r = ws.Run("dump 1011\nok\n");
    EXPECT_EQ(Field(r.Control(1011), "sel"), "-1") << "S/WBOX is the only choice";
    EXPECT_EQ(ws.Value("DetDrtech", "A_AED_OFF") + ws.Value("DetDrtech", "A_AED_ON"), "00");

    ws.WriteIni(kLan + "[DetDrtech]\nA_TYPE=6\n");
    r = ws.Run("select 1011 \"AED\"\nok\n");
    EXPECT_EQ(ws.Value("DetDrtech", "A_AED_OFF") + ws.Value("DetDrtech", "A_AED_ON"), "22");

    r = ws.Run("click 1067\nselect 1010 0\nok\n");
    EXPECT_EQ(ws.Value("DetDrtech", "A_AED_OFF") + ws.Value("DetDrtech", "A_AED_ON"), "21");
    EXPECT_EQ(ws.Value("DetDrtech", "UseAED"), "1");
}

TEST(DetectorDrtechLanMulti, ModalityThirdDetectorAndAedButtonDecideWhatIsInUse)
{
    Workstation ws;
    ws.WriteIni(kLan + "[SYSTEM]\nModality Mode=2\n3rdDet=1\n");
    ScriptResult r = ws.Run("dump\n");
    EXPECT_EQ(State(r.Control(1081)), "111");
    EXPECT_EQ(Columns(r), "11111110 11111110 11111110") << "ON lists follow the AED button";

    r = ws.Run("click 1067\nclick 1086\ndump\n");
    EXPECT_EQ(State(r.Control(1081)), "100");
    EXPECT_EQ(Columns(r), "11111111 00000000 00000000");

    r = ws.Run("click 1086\nclick 1088\ndump 1081\nclick 1081\ndump\nok\n");
    EXPECT_EQ(State(r.Lines("control 1081 ").value(0)), "110");
    EXPECT_EQ(Columns(r), "11111110 11111110 11111111") << "Enable 3rd enables both lists";
    EXPECT_EQ(ws.Value("DetDrtech", "DetMode") + ws.Value("SYSTEM", "3rdDet"), "21");

    ws.WriteIni(kLan + "[SYSTEM]\nModality Mode=1\n3rdDet=1\n");
    r = ws.Run("dump\nok\n");
    EXPECT_EQ(State(r.Control(1081)), "100") << "no third detector unless dual";
    EXPECT_EQ(ws.Value("DetDrtech", "DetMode") + ws.Value("SYSTEM", "3rdDet"), "00");
}

TEST(DetectorDrtechLanMulti, VeterinaryModeKeepsOnlyDetectorA)
{
    Workstation ws;
    ws.WriteIni(kLan + "[SYSTEM]\nModality Mode=0\nIsVet=1\n3rdDet=1\n");
    const ScriptResult r = ws.Run("dump\nok\n");
    EXPECT_EQ(State(r.Control(1086)) + State(r.Control(1088)), "100101");
    EXPECT_EQ(State(r.Control(1081)), "100");
    EXPECT_EQ(Columns(r), "11111110 00000000 00000000");
    EXPECT_EQ(ws.Value("DetectorDRTech", "DualMode") + ws.Value("SYSTEM", "Modality Mode") +
                  ws.Value("DetDrtech", "DetMode") + ws.Value("SYSTEM", "3rdDet"),
              "0200");
}

TEST(DetectorDrtechLanMulti, DarkScanRequestIsKeptOnUnlessSwitchedOff)
{
    const char* cases[][2] = {
        {"", "1"}, {"RequestDarkScan=0\n", "0"}, {"RequestDarkScan=5\n", "1"}};
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni(kLan + "[DetDrtech]\nOpenTime=6\n" + c[0]);
        const ScriptResult r = ws.Run("dump 1009\nok\n");
        EXPECT_EQ(Field(r.Control(1009), "sel"), "0");
        EXPECT_EQ(ws.Value("DetDrtech", "RequestDarkScan"), c[1]) << c[0];
    }
}

// Outside the main dialog, so that only the page's own writes are seen.
TEST(DetectorDrtechLanMulti, SavingWritesEveryKeyInOrder)
{
    Workstation ws;
    ws.WriteIni(kLan);
    {
        DirectPageScope scope(ws, false, 0);
        CDetectorDrtechLanMulti page(scope.Context());
        ASSERT_TRUE(page.Create(nullptr));
        Click(page, 1088);
        Click(page, 1054);
        page.SetCurSel(1009, 4);
        page.OnOK();
    }
    EXPECT_EQ(ws.Read(QStringLiteral("Kestrel.ini")),
              "[CONTROLPANNEL]\r\nDevice=13\r\n"
              "[DetectorDRTech]\r\nDualMode=1\r\nOpenTime=4\r\nCtrlExp=0\r\n"
              "SndExp=1\r\nSndFal=1\r\nSndRdy=1\r\n"
              "[SYSTEM]\r\nModality Mode=2\r\n3rdDet=0\r\n"
              "[Cor]\r\nOriW=2560\r\nOriH=3072\r\nWidth=2560\r\nHeight=3072\r\n"
              "PixelSpacing=0.139\r\nPixelSpacing2=0.139\r\nPixelSpacing3=0.139\r\n"
              "[DetDrtech]\r\nA_TYPE=0\r\nA_CUTX=0\r\nA_CUTY=0\r\n"
              "B_TYPE=0\r\nB_CUTX=0\r\nB_CUTY=0\r\nC_TYPE=0\r\nC_CUTX=0\r\nC_CUTY=0\r\n"
              "DetMode=1\r\nOpenTime=4\r\nCtrlExp=0\r\nSndExp=1\r\nbeep=1\r\nUseAED=0\r\n"
              "RequestDarkScan=1\r\n"
              "A_AED_ON=0\r\nA_AED_OFF=0\r\nB_AED_ON=0\r\nB_AED_OFF=0\r\n"
              "C_AED_ON=0\r\nC_AED_OFF=0\r\n");
}

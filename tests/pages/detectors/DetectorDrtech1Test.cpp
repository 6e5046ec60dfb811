// The DRTECH second-variant page: geometry from the model table, the modality
// restrictions, the DRTECH switches, and saving by both operations' rules.
#include "pages/detectors/DetectorDrtech1.h"
#include "pages/detectors/DirectPage.h"
#include "support/ControlDump.h"

#include <gtest/gtest.h>

TEST(DetectorDrtech1, GeometryComesFromTheModelTable)
{
    const struct {
        const char* ini;
        int messages;
        const char* sensor; // width height spacing
        const char* image;
    } cases[] = {
        {"[CONTROLPANNEL]\nDevice=3\n[DetectorDRTech]\nDevType=6\n[Cor]\nOriW=9\nHeight=1001\n", 0,
         "2048 2560 0.168", "2048 1000"},
        {"[CONTROLPANNEL]\nDevice=3\n[DetectorDRTech]\nDevType=12\n", 1, "2560 3072 0.143",
         "2560 3072"},
        {"[CONTROLPANNEL]\nDevice=13\n[DetDrtech]\nDetType=4\nA_TYPE=0\nA_CUTX=40\nA_CUTY=2\n"
         "[Cor]\nWidth=100\n",
         0, "2560 3072 0.139", "2520 3068"},
        {"[CONTROLPANNEL]\nDevice=13\n[DetDrtech]\nDetType=4\nA_TYPE=4\n", 1, "2560 3072 0.143",
         "2560 3072"},
        {"[CONTROLPANNEL]\nDevice=13\n[DetDrtech]\nDetType=2\n[Cor]\nWidth=1000\n", 0,
         "2560 2560 0.168", "1000 2560"},
        {"[CONTROLPANNEL]\nDevice=7\n", 1, "2560 3072 0.139", "2560 3072"},
    };
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni(c.ini);
        DirectPageScope scope(ws, false, 0);
        CDetectorDrtech1 page(scope.Context(0));
        ASSERT_TRUE(page.Create(nullptr));
        EXPECT_EQ(scope.Messages(), c.messages) << c.ini;
        EXPECT_EQ(page.GetDlgItemText(1037) + ' ' + page.GetDlgItemText(1038) + ' ' +
                      page.GetDlgItemText(1064),
                  c.sensor)
            << c.ini;
        EXPECT_EQ(page.GetDlgItemText(1041) + ' ' + page.GetDlgItemText(1042), c.image) << c.ini;
    }
}

TEST(DetectorDrtech1, RestrictedModelCannotBeDualAndVeterinaryModeIsAlwaysDual)
{
    const struct {
        const char* ini;
        const char* dual;         // state of Dual(Full)
        const char* modalityMode; // saved
    } cases[] = {
        {"[DetDrtech]\nDetType=5\nSMM1=1\n[SYSTEM]\nModality Mode=2\n", "100", "0"},
        {"[DetDrtech]\nDetType=4\nSMM1=1\n[SYSTEM]\nModality Mode=2\n", "111", "2"},
        {"[DetDrtech]\nDetType=5\nSMM1=2\n[SYSTEM]\nModality Mode=2\n", "111", "2"},
        {"[SYSTEM]\nModality Mode=1\nIsVet=1\n", "101", "2"},
    };
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni(QByteArray("[CONTROLPANNEL]\nDevice=13\n") + c.ini);
        DirectPageScope scope(ws, false, 0);
        CDetectorDrtech1 page(scope.Context(0));
        ASSERT_TRUE(page.Create(nullptr));
        const QString dual = QString::number(page.IsDlgItemVisible(1034)) +
                             QString::number(page.IsDlgItemEnabled(1034)) +
                             QString::number(page.IsDlgButtonChecked(1034));
        EXPECT_EQ(dual, c.dual) << c.ini;
        page.OnOK();
        EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), c.modalityMode) << c.ini;
    }
}

TEST(DetectorDrtech1, SwitchesComeFromTheDevicesSection)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=3\n[DetectorDRTech]\nSndExp=1\nCtrlExp=2\nOpenTime=2\n"
                "[DetDrtech]\nCtrlExp=1\nOpenTime=3\n");
    ScriptResult r = ws.Run("dump\n");
    EXPECT_EQ(State(r.Control(1054)) + State(r.Control(1016)), "111110");
    EXPECT_EQ(Field(r.Control(1009), "sel"), "0") << "[DetectorDRTech] knows only 0 and 1";

    // Without [CONTROLPANNEL] Device they come from [DetDrtech].
    ws.WriteIni("[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=3\n[DetDrtech]\nCtrlExp=1\nOpenTime=3\n");
    r = ws.Run("dump 1009\ndump 1016\n");
    EXPECT_EQ(Field(r.Control(1009), "sel"), "3");
    EXPECT_EQ(Field(r.Control(1016), "checked"), "1");
}

TEST(DetectorDrtech1, SingleSaveWritesEveryKeyInOrder)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=3\n");
    {
        DirectPageScope scope(ws, false, 0);
        CDetectorDrtech1 page(scope.Context(0));
        ASSERT_TRUE(page.Create(nullptr));
        Click(page, 1033);
        Click(page, 1054);
        page.SetCurSel(1009, 2);
        page.SetDlgItemText(1041, "2556");
        page.SetDlgItemText(1042, "1001");
        page.SetDlgItemText(1064, "");
        page.OnOK();
    }
    EXPECT_EQ(ws.Read(QStringLiteral("Kestrel.ini")),
              "[CONTROLPANNEL]\r\nDevice=3\r\n"
              "[DetectorDRTech]\r\nDualMode=0\r\nOpenTime=2\r\nCtrlExp=0\r\n"
              "SndExp=1\r\nSndFal=1\r\nSndRdy=1\r\n"
              "[DetDrtech]\r\nDetMode=0\r\nOpenTime=2\r\nCtrlExp=0\r\nSndExp=1\r\nbeep=1\r\n"
              "[SYSTEM]\r\nModality Mode=1\r\n"
              "[Cor]\r\nOriW=2560\r\nOriH=3072\r\nWidth=2556\r\nHeight=1001\r\n"
              "PixelSpacing=0.168\r\nPixelSpacing2=0.168\r\n");
}

TEST(DetectorDrtech1, PairSaveKeepsTheCropForBothDetectors)
{
    Workstation ws;
    ws.WriteIni(
        "[CONTROLPANNEL]\nDevice=13\n[DetDrtech]\nDetType=4\nA_TYPE=1\nA_CUTX=40\nA_CUTY=2\n");
    DirectPageScope scope(ws, false, 0);
    CDetectorDrtech1 page(scope.Context(0));
    ASSERT_TRUE(page.Create(nullptr));
    page.SetDlgItemText(1041, "3");
    page.SetCurSel(1009, -1);
    page.OnOK();
    EXPECT_EQ(ws.Value("Cor", "Width"), "2560") << "below 4 is the whole sensor";
    EXPECT_EQ(ws.Value("DetDrtech", "A_CUTX") + ws.Value("DetDrtech", "B_CUTX"), "00");
    EXPECT_EQ(ws.Value("DetDrtech", "A_CUTY") + ws.Value("DetDrtech", "B_CUTY"), "44");
    EXPECT_EQ(ws.Value("DetDrtech", "B_TYPE"), "1");
    EXPECT_EQ(ws.Value("DetDrtech", "OpenTime"), "-1");
}

TEST(DetectorDrtech1, ArrowsGoThroughTheExchangeOfBothSizes)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=3\n[Cor]\nWidth=2000\n");
    ScriptResult r = ws.Run("type 1042 \"1001\"\narrow 1049 -1\ndump 1041\ndump 1042\n");
    EXPECT_EQ(Field(r.Control(1041), "text") + ' ' + Field(r.Control(1042), "text"), "2004 1001");
    r = ws.Run("type 1042 \"\"\narrow 1049 -1\ndump 1041\n");
    EXPECT_EQ(r.Lines("message: "), QStringList{"message: Please enter an integer."});
    EXPECT_EQ(Field(r.Control(1041), "text"), "2000");
}

TEST(DetectorDrtech1, MultiSaveWritesTheSlotsSizeAndNoGeometry)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=3\n[SYSTEM]\nIsVet=1\n");
    {
        DirectPageScope scope(ws, true, 2);
        CDetectorDrtech1 page(scope.Context(0));
        ASSERT_TRUE(page.Create(nullptr));
        page.OnOK();
    }
    EXPECT_EQ(ws.Read(QStringLiteral("Kestrel.ini")),
              "[CONTROLPANNEL]\r\nDevice=3\r\n[SYSTEM]\r\nIsVet=1\r\nModality Mode=1\r\n"
              "[Cor1]\r\nWidth=2560\r\nHeight=3072\r\n"
              "[DetectorDRTech]\r\nDualMode=0\r\nOpenTime=0\r\nCtrlExp=0\r\n"
              "SndExp=0\r\nSndFal=0\r\nSndRdy=0\r\n"
              "[DetDrtech]\r\nDetMode=0\r\nOpenTime=0\r\nCtrlExp=0\r\nSndExp=0\r\n");
}

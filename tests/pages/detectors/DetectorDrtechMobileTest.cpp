// The DRTECH mobile page, and which DRTECH page the second slot gets for
// device ids 3, 13 and 17.
#include "pages/detectors/DetectorDrtechMobile.h"
#include "pages/detectors/DirectPage.h"
#include "support/ControlDump.h"

#include <gtest/gtest.h>

namespace {

QByteArray TwoDetectors(int first, int second, const char* drtech)
{
    return "[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=" + QByteArray::number(first) +
           "\n[Cor2]\nDevice=" + QByteArray::number(second) + "\n[DetDrtech]\n" + drtech;
}

} // namespace

TEST(DrtechSecondSlot, StoredTypeAndModeChooseThePage)
{
    const struct {
        int first, second;
        const char* drtech;
        const char* page; // told by the controls only it has
    } cases[] = {
        {3, 13, "DetType=4\nSMM1=1\n", "LanMulti"}, {3, 17, "DetType=4\nSMM1=1\n", "LanMulti"},
        {3, 13, "DetType=4\nSMM1=2\n", "Mobile"},   {3, 17, "DetType=4\nSMM1=2\n", "Drtech1"},
        {3, 13, "DetType=5\nSMM1=1\n", "Drtech1"},  {13, 3, "DetType=4\nSMM1=1\n", "Drtech1"},
    };
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni(TwoDetectors(c.first, c.second, c.drtech));
        const ScriptResult r = ws.Run("tab 1\ndump\n");
        const QString page = !r.Control(1086).isEmpty()                 ? "LanMulti"
                             : Field(r.Control(1036), "visible") == "0" ? "Mobile"
                                                                        : "Drtech1";
        EXPECT_EQ(page, c.page) << c.second << " " << c.drtech;
    }
}

TEST(DetectorDrtechMobile, LoadsTheGeometryWithoutTheModality)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=13\n" +
                TwoDetectors(13, 13, "DetType=4\nSMM1=2\nA_TYPE=2\nSndExp=1\n") +
                "[SYSTEM]\nModality Mode=1\nIsVet=1\n");
    const ScriptResult r = ws.Run("tab 1\ndump\n");
    EXPECT_TRUE(r.Lines("message: ").isEmpty()) << r.transcript.toStdString();
    EXPECT_EQ(Field(r.Control(1041), "text") + ' ' + Field(r.Control(1042), "text"), "2560 2560");
    EXPECT_EQ(Field(r.Control(1064), "text"), "0.168");
    EXPECT_EQ(Field(r.Control(1054), "checked"), "1");
    for (int id : {1036, 1032, 1033, 1034})
        EXPECT_EQ(Field(r.Control(id), "visible"), "0") << id;
    EXPECT_EQ(Field(r.Control(1034), "checked"), "0") << "IsVet is not this page's";
}

TEST(DetectorDrtechMobile, SavesSizeToTheFirstSlotAndLeavesTheModalityAlone)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=13\n[DetDrtech]\nDetType=4\nA_TYPE=2\nA_CUTX=8\n"
                "[SYSTEM]\nModality Mode=1\n");
    {
        DirectPageScope scope(ws, true, 2);
        CDetectorDrtechMobile page(scope.Context(0));
        ASSERT_TRUE(page.Create(nullptr));
        page.CheckDlgButton(1054, 1);
        page.OnOK();
    }
    EXPECT_EQ(
        ws.Read(QStringLiteral("Kestrel.ini")),
        "[CONTROLPANNEL]\r\nDevice=13\r\n"
        "[DetDrtech]\r\nDetType=4\r\nA_TYPE=2\r\nA_CUTX=8\r\n"
        "OpenTime=0\r\nCtrlExp=0\r\nSndExp=1\r\n"
        "[SYSTEM]\r\nModality Mode=1\r\n"
        "[Cor1]\r\nWidth=2552\r\nHeight=2560\r\n"
        "[DetectorDRTech]\r\nOpenTime=0\r\nCtrlExp=0\r\nSndExp=1\r\nSndFal=1\r\nSndRdy=1\r\n");
}

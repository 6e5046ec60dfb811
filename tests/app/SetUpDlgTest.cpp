// The main dialog end to end through scripted mode: tabs, device ids, the OK
// copies between [Cor], [Cor1] and [Cor2], and Cancel.
#include "pages/detectors/Detector.h"
#include "ui/PageFactory.h"
#include "settings/Ini.h"
#include "support/ScriptRun.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

// Stands in for a detector page: writes its slot's common values into [Cor]
// on OK, as every real detector page does.
class CTestDetector : public CDetector
{
public:
    explicit CTestDetector(const PageContext& context) : CDetector(9999, context) {}
    void OnOK() override
    {
        const QByteArray tag = QByteArray::number(m_nSlotPosition);
        g_Ini.WriteString("Cor", "Path", "D:\\slot" + tag);
        g_Ini.WriteString("Cor", "Gain", "Gain" + tag);
        g_Ini.WriteInt("Cor", "UseDefectView", m_nSlotPosition);
    }

protected:
    void SetupUi() override
    {
        auto* edit = new QLineEdit(this);
        edit->setProperty("ctrlId", 5000);
    }
};

// Stands the test page in for the DRTECH page (device id 11) while alive.
class TestPageScope
{
public:
    TestPageScope()
        : m_previous(ReplacePageClass("CDetectorDrtech",
                                      [](QWidget* parent, const PageContext& context) -> CDialog* {
                                          return CreatePage<CTestDetector>(parent, context);
                                      }))
    {
    }
    ~TestPageScope() { ReplacePageClass("CDetectorDrtech", m_previous); }

private:
    PageCreateFn m_previous;
};

} // namespace

TEST(MainDialog, SingleDetectorShowsThreeTabsAndReadsControlPanelDevice)
{
    TestPageScope scope;
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=11\n[Cor]\nUseMultiCor=2\n[Cor1]\nDevice=99\n");
    const ScriptResult r = ws.Run("dump\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.Lines("message: ").isEmpty()) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("tabs ").value(0),
              "tabs current=0 [\"Detector\",\"Generator && Etc\",\"System\"]");
    EXPECT_FALSE(r.Control(5000).isEmpty()) << "the detector page is the target of tab 0";
}

TEST(MainDialog, InvalidDeviceIdsAreReportedAndLeaveTheTabEmpty)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=14\n");
    ScriptResult r = ws.Run("dump\n");
    EXPECT_EQ(r.Lines("message: "),
              QStringList{"message: Device id incorrected, Setup is shutdown now"});
    // The dialog goes on: the empty tab dumps the tabs line alone.
    EXPECT_EQ(r.transcript.count(QStringLiteral("control ")), 0);
    EXPECT_EQ(r.status, 0);

    ws.WriteIni("[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=0\n[Cor2]\nDevice=0\n");
    r = ws.Run("");
    EXPECT_EQ(r.Lines("message: "),
              (QStringList{"message: Device id incorrected, Setup is shutdown now",
                           "message: Device id incorrected."}));
}

TEST(MainDialog, MultiDetectorTabsAndSecondTabFallsBackToGeneratorPosition)
{
    TestPageScope scope;
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=11\n[Cor2]\nDevice=0\n");
    const ScriptResult r = ws.Run("tab 1\ndump\n");
    EXPECT_EQ(r.Lines("tabs ").value(0),
              "tabs current=1 [\"Detector\",\"Detector2\",\"Generator && Etc\",\"System\"]");
    EXPECT_TRUE(r.Lines("control 5000 ").isEmpty()) << "tab 1 must not show the first page";
}

TEST(MainDialog, OkInMultiDetectorOperationCopiesEachSlotsValues)
{
    TestPageScope scope;
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\nPixelSpacing=0.139\nPixelSpacing2=\n"
                "[Cor1]\nDevice=11\n[Cor2]\nDevice=11\nPixelSpacing=0.168\n"
                "[SYSTEM]\nModality Mode=0\n");
    const ScriptResult r = ws.Run("ok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("Cor1", "Path"), "D:\\slot1");
    EXPECT_EQ(ws.Value("Cor2", "Path"), "D:\\slot2");
    EXPECT_EQ(ws.Value("Cor1", "Gain"), "Gain1");
    EXPECT_EQ(ws.Value("Cor2", "UseDefectView"), "2");
    EXPECT_EQ(ws.Value("Cor1", "CrossDefectLeve"), "3");
    EXPECT_EQ(ws.Value("Cor1", "MakeRawPath"), "C:\\origin.raw");
    EXPECT_EQ(ws.Value("Cor1", "Port"), "1");
    EXPECT_EQ(ws.Value("Cor2", "Port"), "1");
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing"), "0.139");
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing2"), "0.168");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    // [Cor] keeps what the second page wrote.
    EXPECT_EQ(ws.Value("Cor", "Path"), "D:\\slot2");
}

TEST(MainDialog, SlotWithoutPageGetsNoSnapshotValues)
{
    TestPageScope scope;
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\nPixelSpacing=0.139\n[Cor1]\nDevice=11\n[Cor2]\nDevice=0\n");
    ws.Run("ok\n");
    EXPECT_EQ(ws.Value("Cor1", "Path"), "D:\\slot1");
    EXPECT_FALSE(ws.HasKey("Cor2", "Path"));
    EXPECT_FALSE(ws.HasKey("Cor2", "Gain"));
    EXPECT_EQ(ws.Value("Cor2", "Port"), "1");
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing2"), "0.139") << "filled by the fallback, not a snapshot";
}

TEST(MainDialog, OkFillsEmptyPixelSpacing2AlsoInSingleOperation)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n[Cor]\nPixelSpacing=0.143\n");
    ws.Run("ok\n");
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing2"), "0.143");
    EXPECT_FALSE(ws.HasKey("Cor1", "Port"));
    EXPECT_FALSE(ws.HasKey("SYSTEM", "Modality Mode"));
}

TEST(MainDialog, CancelAndScriptEndLeaveEveryFileByteForByte)
{
    TestPageScope scope;
    Workstation ws;
    ws.WriteIni("; comment\n[Cor]\nUseMultiCor=1\n[Cor1]\nDevice=11\n[Cor2]\nDevice=11\n");
    const QByteArray before = ws.Read("Kestrel.ini");
    ws.Run("tab 1\ncancel\n");
    EXPECT_EQ(ws.Read("Kestrel.ini"), before);
    ws.Run("tab 2\n");
    EXPECT_EQ(ws.Read("Kestrel.ini"), before);
}

TEST(MainDialog, ScriptErrorStopsWithoutPressingOk)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=0\n[Cor]\nPixelSpacing=0.143\n");
    const QByteArray before = ws.Read("Kestrel.ini");
    const ScriptResult r = ws.Run("tab 7\nok\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.Lines("error: "), QStringList{"error: 1: no tab 7"});
    EXPECT_EQ(ws.Read("Kestrel.ini"), before);
}

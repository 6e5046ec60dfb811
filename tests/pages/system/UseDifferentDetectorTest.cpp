// "Use Different Detector" writes at once: confirmed, cancelled and without
// the selection dialog; the main Cancel keeps what it wrote, and the next
// start shows the second detector's tab.
#include "settings/Workstation.h"
#include "ui/Dialog.h"
#include "ui/PageFactory.h"
#include "settings/Ini.h"
#include "support/ScriptRun.h"

#include <QAbstractButton>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QByteArray kFirstDetector = "[CONTROLPANNEL]\nDevice=8\n"
                                  "[Cor]\nOriW=2880\nOriH=2400\nWidth=2840\nHeight=2360\n"
                                  "PixelSpacing=0.127\nGain=G1\nUseDefectView=1\n";

} // namespace

TEST(UseDifferentDetector, ConfirmedChoiceIsKeptByCancelAndShowsAtNextStart)
{
    Workstation ws;
    ws.WriteIni(kFirstDetector + "Multicor=varian\n");
    ScriptResult r = ws.Run("tab 2\nclick 1007\nselect 1078 \"VARIAN\"\nselect 1079 \"1717\"\n"
                            "ok\ncancel\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("Cor", "UseMultiCor"), "1");
    // First slot: the detector as it was.
    EXPECT_EQ(ws.Value("Cor1", "Device"), "8");
    EXPECT_EQ(ws.Value("Cor1", "OriW"), "2880");
    EXPECT_EQ(ws.Value("Cor1", "Height"), "2360");
    EXPECT_EQ(ws.Value("Cor1", "PixelSpacing"), "0.127");
    EXPECT_EQ(ws.Value("Cor1", "Gain"), "G1");
    EXPECT_EQ(ws.Value("Cor1", "UseDefectView"), "1");
    EXPECT_EQ(ws.Value("Cor1", "CrossDefectLeve"), "3");
    EXPECT_TRUE(ws.HasKey("Cor1", "Path"));
    EXPECT_EQ(ws.Value("Cor1", "Path"), "") << "device 8 takes its library folder as stored";
    // Second slot: the chosen model, the first slot's common values.
    EXPECT_EQ(ws.Value("Cor2", "Device"), "12");
    EXPECT_EQ(ws.Value("Cor2", "OriW"), "3072");
    EXPECT_EQ(ws.Value("Cor2", "PixelSpacing"), "0.139");
    EXPECT_EQ(ws.Value("Cor2", "Path"), "C:\\Corvina");
    EXPECT_EQ(ws.Value("Cor2", "Gain"), "G1");
    EXPECT_EQ(ws.Value("Cor2", "MakeRawPath"), "C:\\origin.raw");
    EXPECT_FALSE(ws.HasKey("WORKLIST", "UseFileBase")) << "the page itself did not save";

    r = ws.Run("dump\n");
    EXPECT_EQ(r.Lines("tabs ").value(0),
              "tabs current=0 [\"Detector\",\"Detector2\",\"Generator && Etc\",\"System\"]");
    EXPECT_TRUE(r.Lines("message: ").isEmpty()) << r.transcript.toStdString();
}

TEST(UseDifferentDetector, FirstSlotTypeCodeComesFromItsFamily)
{
    const struct {
        const char* device;
        QByteArray extra;
        const char* detType;
    } cases[] = {
        {"3", "[DetectorDRTech]\nDevType=5\n[DetDrtech]\nDetType=6\n", "5"},
        {"13", "[DetectorDRTech]\nDevType=5\n[DetDrtech]\nDetType=6\n", "6"},
    };
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni(QByteArray("[CONTROLPANNEL]\nDevice=") + c.device +
                    "\n[Cor]\nMulticor=drtech\n[DetectorVatech]\nLibPath=D:\\Vadav\n" + c.extra);
        ws.Run("tab 2\nclick 1007\nok\n");
        EXPECT_EQ(ws.Value("Cor1", "DetType"), c.detType) << c.device;
        EXPECT_EQ(ws.Value("Cor1", "Path"), "D:\\Vadav") << c.device;
        EXPECT_FALSE(ws.HasKey("Cor2", "DetType")) << c.device;
    }
}

TEST(UseDifferentDetector, CancelledSelectionUnchecksAndWritesOnlyTheSwitch)
{
    Workstation ws;
    ws.WriteIni(kFirstDetector + "Multicor=varian\nUseMultiCor=0\n");
    const ScriptResult r =
        ws.Run("tab 2\nclick 1007\nselect 1078 \"VARIAN\"\ncancel\ndump 1007\ncancel\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1007).contains("checked=0"));
    EXPECT_EQ(ws.Value("Cor", "UseMultiCor"), "0");
    EXPECT_FALSE(ws.Read("Kestrel.ini").contains("[Cor1]"));
    EXPECT_FALSE(ws.Read("Kestrel.ini").contains("[Cor2]"));
}

TEST(UseDifferentDetector, UncheckingWritesOnlyTheSwitchAtOnce)
{
    Workstation ws;
    // 2 checks the box but keeps the main dialog single.
    const QByteArray slotSections = "[Cor1]\nDevice=8\nPath=X\n[Cor2]\nDevice=12\n";
    ws.WriteIni(kFirstDetector + "Multicor=varian\nUseMultiCor=2\n" + slotSections);
    const ScriptResult r = ws.Run("tab 2\nclick 1007\ncancel\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    QByteArray expected = kFirstDetector + "Multicor=varian\nUseMultiCor=0\n" + slotSections;
    expected.replace("\n", "\r\n");
    EXPECT_EQ(ws.Read("Kestrel.ini"), expected);
}

TEST(UseDifferentDetector, ScriptErrorInTheSelectionWritesNothing)
{
    Workstation ws;
    ws.WriteIni(kFirstDetector + "Multicor=varian\n");
    const QByteArray before = ws.Read("Kestrel.ini");
    const ScriptResult r = ws.Run("tab 2\nclick 1007\nselect 1078 \"ACME\"\nok\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(ws.Read("Kestrel.ini"), before);
}

// Without makers the box is hidden; the path without the dialog is taken
// when the makers were removed from the file after the page loaded.
TEST(UseDifferentDetector, WithoutMakersTheSecondSlotStartsAsACopyOfTheFirst)
{
    Workstation ws;
    ws.WriteIni(kFirstDetector + "Multicor=varian\n");
    const QByteArray path = QFile::encodeName(ws.Path("Kestrel.ini"));
    g_Ini.SetPath(path.constData());
    WorkstationContext context;
    context.folder = ws.Dir() + "/";
    SetWorkstation(context);
    std::unique_ptr<CDialog> page(CreatePageByName("CDlgSystem", nullptr));
    ASSERT_TRUE(page);
    ws.WriteIni(kFirstDetector);
    qobject_cast<QAbstractButton*>(page->GetDlgItem(1007))->click();
    EXPECT_EQ(page->IsDlgButtonChecked(1007), 1);
    EXPECT_EQ(ws.Value("Cor", "UseMultiCor"), "1");
    EXPECT_EQ(ws.Value("Cor2", "Device"), "8");
    EXPECT_EQ(ws.Value("Cor2", "OriW"), "2880");
    EXPECT_EQ(ws.Value("Cor2", "Height"), "2360");
    EXPECT_EQ(ws.Value("Cor2", "PixelSpacing"), "0.127");
    EXPECT_EQ(ws.Value("Cor2", "Path"), "C:\\Corvina");
    EXPECT_EQ(ws.Value("Cor2", "Gain"), "G1");
    EXPECT_EQ(ws.Value("Cor1", "Device"), "8");
    g_Ini.SetPath(nullptr);
}

// The TETD page through scripted mode: the vendor file beside the executable,
// the dual mode, its own size limits and stepping, and that two detectors
// leave both files alone.
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {

QString Text(const ScriptResult& r, int id)
{
    const QString line = r.Control(id);
    const int at = line.indexOf(QStringLiteral("text=\""));
    return line.mid(at + 6, line.indexOf(QStringLiteral("\" items="), at) - at - 6);
}

} // namespace

TEST(DetectorTetd, BothPositionsNeedTheVendorDualMode)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=15\n[SYSTEM]\nModality Mode=2\n");
    ws.WriteIni("[COMMON]\nDUALMODE=0\nCONFDIR=D:\\FPD\n", QStringLiteral("FPDOpr.INI"));
    ScriptResult r = ws.Run("dump 1033\nok\n");
    EXPECT_TRUE(r.Control(1033).contains(QStringLiteral("checked=1")));
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
    EXPECT_EQ(ws.Value("COMMON", "DUALMODE", QStringLiteral("FPDOpr.INI")), "0");

    r = ws.Run("click 1034\nok\n");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_EQ(ws.Value("COMMON", "DUALMODE", QStringLiteral("FPDOpr.INI")), "1");
    r = ws.Run("dump 1034\nclick 1032\nok\n");
    EXPECT_TRUE(r.Control(1034).contains(QStringLiteral("checked=1")));
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "0");
    EXPECT_EQ(ws.Value("COMMON", "DUALMODE", QStringLiteral("FPDOpr.INI")), "0");
    EXPECT_EQ(ws.Value("COMMON", "CONFDIR", QStringLiteral("FPDOpr.INI")), "D:\\FPD");
}

TEST(DetectorTetd, LoadingRoundsAndLimitsTheSizeToTheTetdRange)
{
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {{"5000", "3072"}, {"2", "4"}, {"1030", "1028"}, {"-9", "4"}, {"3072", "3072"}};
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni("[CONTROLPANNEL]\nDevice=15\n[Cor]\nWidth=" + QByteArray(c.stored) +
                    "\nHeight=" + QByteArray(c.stored) + "\n");
        const ScriptResult r = ws.Run("dump 1041\ndump 1042\n");
        EXPECT_EQ(Text(r, 1041), c.shown) << c.stored;
        EXPECT_EQ(Text(r, 1042), c.shown) << c.stored;
    }
}

TEST(DetectorTetd, ArrowsMoveByTheWholeProposedChange)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=15\n[Cor]\nWidth=100\nHeight=3072\n");
    const ScriptResult r =
        ws.Run("arrow 1049 -10\ndump 1041\narrow 1049 21\ndump 1041\narrow 1050 -1\ndump 1042\n"
               "type 1041 \"2147483647\"\narrow 1049 -2147483648\ndump 1041\n"
               "type 1042 \"\"\narrow 1050 1\ndump 1042\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    const QStringList widths = r.Lines(QStringLiteral("control 1041 "));
    ASSERT_EQ(widths.size(), 3);
    EXPECT_TRUE(widths[0].contains(QStringLiteral("text=\"112\""))) << "110, then above";
    EXPECT_TRUE(widths[1].contains(QStringLiteral("text=\"88\""))) << "91, then down";
    EXPECT_TRUE(widths[2].contains(QStringLiteral("text=\"3072\""))) << "no overflow";
    const QStringList heights = r.Lines(QStringLiteral("control 1042 "));
    ASSERT_EQ(heights.size(), 2);
    EXPECT_TRUE(heights[0].contains(QStringLiteral("text=\"3072\"")));
    EXPECT_TRUE(heights[1].contains(QStringLiteral("text=\"4\""))) << "blank counts as 0";
}

TEST(DetectorTetd, SavesSizesAsTypedAndCreatesTheVendorFile)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=15\n[Cor]\nWidth=1024\nHeight=1024\n");
    const ScriptResult r = ws.Run("folder \"E:\\\\Conf\"\nclick 1051\ndump 1030\nfolder cancel\n"
                                  "click 1051\ntype 1041 \"5000\"\nok\n");
    EXPECT_EQ(r.Lines(QStringLiteral("picker: ")),
              (QStringList{QStringLiteral("picker: folder start=\"C:\\\\VoraSuite\\\\FPDOPR\""),
                           QStringLiteral("picker: folder start=\"E:\\\\Conf\"")}));
    EXPECT_EQ(Text(r, 1030), "E:\\\\Conf");
    EXPECT_EQ(ws.Value("Cor", "Width"), "5000") << "corrected only when loaded again";
    EXPECT_EQ(ws.Value("Cor", "Height"), "1024");
    ASSERT_TRUE(ws.Exists(QStringLiteral("FPDOpr.INI")));
    EXPECT_EQ(ws.Value("COMMON", "CONFDIR", QStringLiteral("FPDOpr.INI")), "E:\\Conf");
}

TEST(DetectorTetd, VendorFileIsFoundWithoutRegardToCase)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nDevice=15\n");
    ws.WriteIni("[COMMON]\nCONFDIR=D:\\Old\n", QStringLiteral("fpdopr.ini"));
    const ScriptResult r = ws.Run("dump 1030\ntype 1030 \"D:\\\\New\"\nok\n");
    EXPECT_EQ(Text(r, 1030), "D:\\\\Old");
    EXPECT_EQ(ws.Value("COMMON", "CONFDIR", QStringLiteral("fpdopr.ini")), "D:\\New");
    EXPECT_FALSE(ws.Exists(QStringLiteral("FPDOpr.INI")));
}

TEST(DetectorTetd, TwoDetectorsLeaveBothFilesUntouched)
{
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\nWidth=1024\nHeight=1024\n[Cor1]\nDevice=15\n"
                "[Cor2]\nDevice=15\n[SYSTEM]\nModality Mode=0\n");
    ws.WriteIni("[COMMON]\nCONFDIR=D:\\FPD\nDUALMODE=1\n", QStringLiteral("FPDOpr.INI"));
    const QByteArray vendor = ws.Read(QStringLiteral("FPDOpr.INI"));
    const ScriptResult r = ws.Run("tab 1\ndump 1033\ntype 1030 \"X:\\\\\"\ntype 1041 \"8\"\n"
                                  "tab 0\ntype 1042 \"16\"\nok\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1033).contains(QStringLiteral("enabled=0 checked=1")));
    EXPECT_EQ(ws.Read(QStringLiteral("FPDOpr.INI")), vendor);
    EXPECT_EQ(ws.Value("Cor", "Width"), "1024");
    EXPECT_EQ(ws.Value("Cor", "Height"), "1024");
}

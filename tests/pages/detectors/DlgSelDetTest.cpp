// The second-detector selection: makers from the file, models from the
// catalog, and what a confirmed choice writes into [Cor2]. Driven through the
// System tab, whose "Use Different Detector" box opens the dialog.
#include "pages/detectors/DetectorCatalog.h"
#include "support/ScriptRun.h"

#include <QRegularExpression>
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace {

// A single-detector workstation whose System tab (position 2) can pair makers.
QByteArray WithMakers(const QByteArray& multicor)
{
    return "[CONTROLPANNEL]\nDevice=11\n[Cor]\nMulticor=" + multicor + "\n";
}

const char* const kOpen = "tab 2\nclick 1007\n";

} // namespace

TEST(DetectorCatalog, EntriesAreConsistent)
{
    const QRegularExpression spacing(QStringLiteral("^0\\.\\d{3}$"));
    std::set<std::pair<std::string, std::string>> seen;
    for (const char* maker : {"DRTECH", "SAMSUNG", "TRIXELL", "THOSIBA", "VARIAN"}) {
        const auto models = CatalogModelsOf(maker);
        EXPECT_FALSE(models.empty()) << maker;
        for (const DetectorModel* m : models) {
            EXPECT_TRUE(seen.insert({m->maker, m->model}).second) << m->maker << " " << m->model;
            EXPECT_EQ(FindCatalogModel(maker, m->model), m);
            EXPECT_LE(m->width, m->oriW) << m->model;
            EXPECT_LE(m->height, m->oriH) << m->model;
            EXPECT_TRUE(spacing.match(QString::fromLatin1(m->pixelSpacing)).hasMatch()) << m->model;
        }
    }
    EXPECT_EQ(seen.size(), 24u);
    EXPECT_EQ(FindCatalogModel("VARIAN", "PIXIUM4600"), nullptr) << "models belong to their maker";
    EXPECT_TRUE(CatalogModelsOf("TOSHIBA").empty()) << "the maker is stored as THOSIBA";
}

TEST(SelectSecondDetector, MakersComeUpperCaseSortedWithoutEmptyTokens)
{
    Workstation ws;
    ws.WriteIni(WithMakers("varian;drtech;;samsung"));
    const ScriptResult r = ws.Run(QString(kOpen) + "dump\n");
    EXPECT_EQ(r.Lines("dialog: "), QStringList{"dialog: \"Select 2nd detector\""});
    EXPECT_EQ(r.Control(1078), "control 1078 combo visible=1 enabled=1 checked=0 sel=-1 "
                               "text=\"\" items=[\"DRTECH\",\"SAMSUNG\",\"VARIAN\"]");
    EXPECT_EQ(r.Control(1079), "control 1079 combo visible=1 enabled=1 checked=0 sel=-1 "
                               "text=\"\" items=[]");
}

TEST(SelectSecondDetector, SameModelNameWritesItsOwnMakersEntry)
{
    Workstation ws;
    ws.WriteIni(WithMakers("VARIAN;TRIXELL"));
    ScriptResult r =
        ws.Run(QString(kOpen) + "select 1078 \"VARIAN\"\nselect 1079 \"PORTABLE\"\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("Cor2", "Device"), "12");
    EXPECT_EQ(ws.Value("Cor2", "DetType"), "0");
    EXPECT_EQ(ws.Value("Cor2", "OriH"), "2560");
    EXPECT_EQ(ws.Value("Cor2", "OriW"), "3072");
    EXPECT_EQ(ws.Value("Cor2", "Width"), "3072");
    EXPECT_EQ(ws.Value("Cor2", "Height"), "2560");
    EXPECT_EQ(ws.Value("Cor2", "PixelSpacing"), "0.139");

    ws.WriteIni(WithMakers("VARIAN;TRIXELL"));
    r = ws.Run(QString(kOpen) + "select 1078 \"TRIXELL\"\nselect 1079 \"PORTABLE\"\nok\n");
    EXPECT_EQ(ws.Value("Cor2", "Device"), "1");
    for (const char* key : {"OriH", "OriW", "Width", "Height"})
        EXPECT_EQ(ws.Value("Cor2", key), "3121") << key;
    EXPECT_EQ(ws.Value("Cor2", "PixelSpacing"), "0.143");
}

TEST(SelectSecondDetector, ModelListFollowsTheMakerAndForgetsTheEarlierModel)
{
    Workstation ws;
    ws.WriteIni(WithMakers("drtech;thosiba"));
    const ScriptResult r =
        ws.Run(QString(kOpen) + "select 1078 \"THOSIBA\"\nselect 1079 \"TETDRAD1417\"\n"
                                "select 1078 \"DRTECH\"\ndump 1079\nok\n");
    EXPECT_EQ(r.Control(1079),
              "control 1079 combo visible=1 enabled=1 checked=0 sel=-1 text=\"\" items=["
              "\"FDXD1417 PCI\",\"FDXD810 PCI\",\"FDXD810 USB\",\"FLAATZ330 PCI\","
              "\"FLAATZ330 USB\",\"FLAATZ500 LAN\",\"FLAATZ500 PCI\",\"FLAATZ550 PCI\","
              "\"FLAATZ560 LAN\",\"FLAATZ750 PCI\",\"FLAATZ750E LAN\",\"FLAATZ750E PCI\","
              "\"FLAATZ760 LAN\"]");
    EXPECT_FALSE(ws.HasKey("Cor2", "Device")) << "the lost model must not be written";
}

TEST(SelectSecondDetector, IncompleteChoicesWriteNothingButStillConfirm)
{
    struct Case {
        const char* name;
        const char* actions;
    } cases[] = {
        {"nothing chosen", ""},
        {"maker without model", "select 1078 \"VARIAN\"\n"},
        {"maker unknown to the catalog", "select 1078 \"ACME\"\n"},
        {"maker typed, not chosen", "select 1078 \"VARIAN\"\nselect 1079 \"1717\"\n"
                                    "type 1078 \"VARIAN\"\n"},
    };
    for (const Case& c : cases) {
        Workstation ws;
        ws.WriteIni(WithMakers("acme;varian"));
        const ScriptResult r = ws.Run(QString(kOpen) + c.actions + "ok\ndump 1007\ncancel\n");
        ASSERT_EQ(r.status, 0) << c.name << "\n" << r.transcript.toStdString();
        EXPECT_FALSE(ws.HasKey("Cor2", "Device")) << c.name;
        EXPECT_FALSE(ws.HasKey("Cor2", "OriW")) << c.name;
        // The dialog ended with OK, so the second detector counts as chosen.
        EXPECT_TRUE(r.Control(1007).contains("checked=1")) << c.name;
        EXPECT_EQ(ws.Value("Cor", "UseMultiCor"), "1") << c.name;
    }
}

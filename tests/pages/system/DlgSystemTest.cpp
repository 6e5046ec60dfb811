// The System tab: loading with defaults and stored values, the enabling
// rules, the delimiter rule, the folder picker and the save on the main OK.
#include "support/ScriptRun.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// A single-detector workstation without a detector page, so that only this
// page saves: the System tab is at position 2.
const QByteArray kBase = "[CONTROLPANNEL]\nDevice=0\n";

QString Line(int id, const char* kind, bool visible, bool enabled, bool checked,
             const QString& text)
{
    return QStringLiteral("control %1 %2 visible=%3 enabled=%4 checked=%5 sel=-1 text=\"%6\" "
                          "items=[]")
        .arg(id)
        .arg(kind)
        .arg(visible)
        .arg(enabled)
        .arg(checked)
        .arg(text);
}

QString Edit(int id, bool enabled, const QString& text)
{
    return Line(id, "edit", true, enabled, false, text);
}

} // namespace

TEST(SystemPage, FileWithoutValuesLoadsDefaultsAndSavesServerWorklist)
{
    Workstation ws;
    ws.WriteIni(kBase);
    const ScriptResult r = ws.Run("tab 2\ndump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("message: "),
              QStringList{"message: Device id incorrected, Setup is shutdown now"});
    EXPECT_EQ(r.Control(1056), Edit(1056, false, "1920"));
    EXPECT_EQ(r.Control(1057), Edit(1057, false, "0"));
    EXPECT_EQ(r.Control(1062), Edit(1062, false, "0"));
    EXPECT_EQ(r.Control(1063), Edit(1063, false, "0"));
    EXPECT_EQ(r.Control(1064), Edit(1064, false, "1280"));
    EXPECT_EQ(r.Control(1065), Edit(1065, false, "1024"));
    EXPECT_EQ(r.Control(1051), Line(1051, "check", true, true, false, "Use ViewSub"));
    EXPECT_EQ(r.Control(1052), Line(1052, "check", true, true, false, "Use VoraView"));
    // "UseFileBase" missing: a server worklist, the folder row disabled.
    EXPECT_EQ(r.Control(1050), Line(1050, "check", true, true, true, "Use Worklist"));
    EXPECT_EQ(r.Control(1074), Line(1074, "radio", true, true, true, "Server"));
    EXPECT_EQ(r.Control(1075), Line(1075, "radio", true, true, false, "Filebase"));
    EXPECT_EQ(r.Control(3), Line(3, "button", true, false, false, "..."));
    const QString ocs = QDir(ws.Dir()).filePath("OCS").replace("\\", "\\\\");
    EXPECT_EQ(r.Control(1071), Edit(1071, false, ocs));
    EXPECT_EQ(r.Control(1073), Edit(1073, false, ","));
    // No species without veterinary mode, no second detector without makers.
    EXPECT_TRUE(r.Control(1053).contains("visible=0"));
    EXPECT_TRUE(r.Control(1066).contains("visible=0"));
    EXPECT_TRUE(r.Control(1089).contains("visible=0"));
    EXPECT_TRUE(r.Control(1007).contains("visible=0"));

    EXPECT_EQ(ws.Value("WORKLIST", "UseFileBase"), "0");
    EXPECT_EQ(ws.Value("WORKLIST", "TypeFileBase"), "0");
    EXPECT_EQ(ws.Value("WORKLIST", "FileBaseArgDel"), ",");
    EXPECT_EQ(ws.Value("SYSTEM", "IsViewSub"), "0");
    EXPECT_EQ(ws.Value("SYSTEM", "IsVoraView"), "0");
    EXPECT_FALSE(ws.HasKey("SYSTEM", "ViewSubPosX")) << "a viewer turned off keeps its window";
    EXPECT_FALSE(ws.HasKey("SYSTEM", "VoraViewWidth"));
    EXPECT_FALSE(ws.HasKey("SYSTEM", "IsVet"));
    EXPECT_EQ(ws.Value("Cor", "UseMultiCor"), "0");
    EXPECT_EQ(ws.Value("DetectorDRTech", "DualMode"), "0");
    EXPECT_FALSE(ws.HasKey("SYSTEM", "Modality Mode"));
    EXPECT_FALSE(ws.HasKey("SYSTEM", "Current Modality"));
}

TEST(SystemPage, StoredValuesLoadAndSaveBack)
{
    Workstation ws;
    ws.WriteIni(kBase + "[SYSTEM]\nIsViewSub=1\nViewSubPosX=-1280\nViewSubPosY=20\n"
                        "IsVoraView=1\nVoraViewX=1\nVoraViewY=2\nVoraViewWidth=800\n"
                        "VoraViewHeigth=600\nIsVet=2\n"
                        "[WORKLIST]\nUseWorklistLog=7\nUseRefresh=1\nUseFileBase=1\n"
                        "TypeFileBase=1\nFileBasePath=D:\\Worklist\nFileBaseArgDel=|\n"
                        "[Cor]\nRotate1=90\nRotate2=270\n");
    const ScriptResult r = ws.Run("tab 2\ndump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1056), Edit(1056, true, "-1280"));
    EXPECT_EQ(r.Control(1065), Edit(1065, true, "600"));
    EXPECT_TRUE(r.Control(1008).contains("checked=1")) << "any value but 0 turns the log on";
    EXPECT_TRUE(r.Control(1068).contains("checked=1"));
    EXPECT_EQ(r.Control(1053), Line(1053, "radio", true, true, false, "Pet"));
    EXPECT_EQ(r.Control(1066), Line(1066, "radio", true, true, true, "Equine"));
    EXPECT_EQ(r.Control(1075), Line(1075, "radio", true, true, true, "Filebase"));
    EXPECT_EQ(r.Control(1071), Edit(1071, true, "D:\\\\Worklist"));
    EXPECT_EQ(r.Control(1073), Edit(1073, true, "|"));
    EXPECT_EQ(r.Control(1010), Edit(1010, true, "90"));

    EXPECT_EQ(ws.Value("SYSTEM", "IsVet"), "2");
    EXPECT_EQ(ws.Value("SYSTEM", "ViewSubPosX"), "-1280");
    EXPECT_EQ(ws.Value("SYSTEM", "VoraViewHeigth"), "600");
    EXPECT_EQ(ws.Value("WORKLIST", "UseWorklistLog"), "1");
    EXPECT_EQ(ws.Value("WORKLIST", "UseFileBase"), "1");
    EXPECT_EQ(ws.Value("WORKLIST", "TypeFileBase"), "1");
    EXPECT_EQ(ws.Value("WORKLIST", "FileBasePath"), "D:\\Worklist");
    EXPECT_EQ(ws.Value("Cor", "Rotate2"), "270");
}

TEST(SystemPage, OddStoredValuesLoadByTheirRules)
{
    Workstation ws;
    ws.WriteIni(kBase + "[SYSTEM]\nIsViewSub=2\nIsVoraView=-1\nIsVet=-1\n[WORKLIST]\nUseRefresh=2\n"
                        "UseFileBase=0\nTypeFileBase=1\n");
    const ScriptResult r = ws.Run("tab 2\ndump\n");
    EXPECT_EQ(r.Control(1056), Edit(1056, false, "1920"));
    EXPECT_TRUE(r.Control(1052).contains("checked=0"));
    EXPECT_TRUE(r.Control(1068).contains("checked=0"));
    EXPECT_TRUE(r.Control(1066).contains("visible=1 enabled=1 checked=1")) << "any kind but 1";
    // A pair outside the table counts as a server worklist.
    EXPECT_TRUE(r.Control(1074).contains("checked=1"));
    EXPECT_TRUE(r.Control(1075).contains("checked=0"));
}

TEST(SystemPage, WorklistRulesAndTheSourceTheyStore)
{
    Workstation ws;
    ws.WriteIni(kBase);
    // Off: "Server" checked, both radios and the folder row disabled.
    ScriptResult r = ws.Run("tab 2\nclick 1050\ndump\nok\n");
    EXPECT_EQ(r.Control(1074), Line(1074, "radio", true, false, true, "Server"));
    EXPECT_EQ(r.Control(1075), Line(1075, "radio", true, false, false, "Filebase"));
    EXPECT_TRUE(r.Control(1071).contains("enabled=0"));
    EXPECT_EQ(ws.Value("WORKLIST", "UseFileBase"), "1");
    EXPECT_EQ(ws.Value("WORKLIST", "TypeFileBase"), "0");

    // Stored as off, turned on again and switched to files.
    r = ws.Run("tab 2\nclick 1050\ndump 1075\nclick 1075\ndump\nok\n");
    EXPECT_TRUE(r.Lines("control 1075 ").value(0).contains("enabled=1 checked=0"));
    EXPECT_TRUE(r.Control(3).contains("enabled=1"));
    EXPECT_TRUE(r.Control(1071).contains("enabled=1"));
    EXPECT_TRUE(r.Control(1073).contains("enabled=1"));
    EXPECT_EQ(ws.Value("WORKLIST", "UseFileBase"), "1");
    EXPECT_EQ(ws.Value("WORKLIST", "TypeFileBase"), "1");

    // Back to the server: the folder row is disabled again.
    r = ws.Run("tab 2\nclick 1074\ndump 3\nok\n");
    EXPECT_TRUE(r.Control(3).contains("enabled=0"));
    EXPECT_EQ(ws.Value("WORKLIST", "UseFileBase"), "0");
    EXPECT_EQ(ws.Value("WORKLIST", "TypeFileBase"), "0");
}

TEST(SystemPage, ViewerFieldsFollowTheirBoxesAndAreStoredAsTyped)
{
    Workstation ws;
    ws.WriteIni(kBase + "[SYSTEM]\nIsViewSub=1\nViewSubPosX=5\nViewSubPosY=6\n");
    ScriptResult r = ws.Run("tab 2\nclick 1052\ntype 1064 \"wide\"\ntype 1056 \"77\"\n"
                            "click 1051\ndump\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1056), Edit(1056, false, "77"));
    EXPECT_EQ(r.Control(1064), Edit(1064, true, "wide"));
    EXPECT_EQ(ws.Value("SYSTEM", "IsViewSub"), "0");
    EXPECT_EQ(ws.Value("SYSTEM", "ViewSubPosX"), "5") << "typed into a viewer turned off";
    EXPECT_EQ(ws.Value("SYSTEM", "IsVoraView"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "VoraViewWidth"), "wide");
    EXPECT_EQ(ws.Value("SYSTEM", "VoraViewX"), "0");
}

TEST(SystemPage, DelimiterIsCutToOneCharacterWhenLoadedAndWhenTyped)
{
    Workstation ws;
    ws.WriteIni(kBase + "[WORKLIST]\nUseFileBase=1\nTypeFileBase=1\nFileBaseArgDel=;;\n");
    ScriptResult r = ws.Run("tab 2\ndump 1073\nok\n");
    EXPECT_EQ(r.Lines("message: ").value(1), "message: Delimiter is one charcter");
    EXPECT_EQ(r.Lines("message: ").size(), 2);
    EXPECT_EQ(r.Control(1073), Edit(1073, true, ";"));
    EXPECT_EQ(ws.Value("WORKLIST", "FileBaseArgDel"), ";");

    r = ws.Run("tab 2\ntype 1073 \"\\tx\"\ndump 1073\ntype 1073 \"\"\ntype 1073 \"|\"\nok\n");
    EXPECT_EQ(r.Lines("message: ").mid(1), QStringList{"message: Delimiter is one charcter"});
    EXPECT_EQ(r.Control(1073), Edit(1073, true, "\\t"));
    EXPECT_EQ(ws.Value("WORKLIST", "FileBaseArgDel"), "|");
}

TEST(SystemPage, FolderPickerStartsAtTheFolderAndOnlyAChoiceReplacesIt)
{
    Workstation ws;
    ws.WriteIni(kBase + "[WORKLIST]\nUseFileBase=1\nTypeFileBase=1\nFileBasePath=/srv/old\n");
    ScriptResult r = ws.Run("tab 2\nfolder cancel\nclick 3\ndump 1071\n"
                            "folder \"/srv/new list\"\nclick 3\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("picker: "), (QStringList{"picker: folder start=\"/srv/old\"",
                                                "picker: folder start=\"/srv/old\""}));
    EXPECT_EQ(r.Control(1071), Edit(1071, true, "/srv/old"));
    EXPECT_EQ(ws.Value("WORKLIST", "FileBasePath"), "/srv/new list");
}

TEST(SystemPage, SpeciesIsSavedOnlyInVeterinaryMode)
{
    Workstation ws;
    ws.WriteIni(kBase + "[SYSTEM]\nIsVet=1\n");
    ScriptResult r = ws.Run("tab 2\ndump 1053\nclick 1066\nok\n");
    EXPECT_TRUE(r.Control(1053).contains("visible=1 enabled=1 checked=1"));
    EXPECT_EQ(ws.Value("SYSTEM", "IsVet"), "2");

    ws.WriteIni(kBase + "[SYSTEM]\nIsVet=0\n");
    r = ws.Run("tab 2\nclick 1053\n");
    EXPECT_EQ(r.status, 2) << "a hidden species cannot be chosen";
    ws.Run("tab 2\nok\n");
    EXPECT_EQ(ws.Value("SYSTEM", "IsVet"), "0") << "veterinary mode is not switched here";
}

TEST(SystemPage, SavingWithDifferentDetectorSetsDualOperation)
{
    Workstation ws;
    // Any value but 1 leaves the main dialog single, while the box reads it as set.
    ws.WriteIni(kBase + "[Cor]\nMulticor=varian\nUseMultiCor=2\n[SYSTEM]\nModality Mode=0\n");
    const ScriptResult r = ws.Run("tab 2\ndump 1007\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Control(1007).contains("visible=1 enabled=1 checked=1"));
    EXPECT_EQ(ws.Value("Cor", "UseMultiCor"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_EQ(ws.Value("SYSTEM", "Current Modality"), "1");
    EXPECT_EQ(ws.Value("DetectorDRTech", "DualMode"), "1");
}

// Stored values, chosen folders and file names that hold "%1", "%2", "%s" or
// "%d" are shown letter for letter in dumps, picker lines and messages.
#include "support/ScriptRun.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {
// The System tab alone (no detector page) is at position 2.
const QByteArray kBase = "[CONTROLPANNEL]\nDevice=0\n";
} // namespace

TEST(ShownText, StoredValueWithPlaceholdersDumpsAsItIs)
{
    Workstation ws;
    ws.WriteIni(kBase + "[Cor]\nRotate1=R%1x\nRotate2=%2%1%s\n");
    const ScriptResult r = ws.Run("tab 2\ndump 1010\ndump 1011\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1010),
              "control 1010 edit visible=1 enabled=1 checked=0 sel=-1 text=\"R%1x\" items=[]");
    EXPECT_EQ(r.Control(1011),
              "control 1011 edit visible=1 enabled=1 checked=0 sel=-1 text=\"%2%1%s\" items=[]");
}

TEST(ShownText, ChosenFolderWithPlaceholdersShowsAndSavesAsItIs)
{
    Workstation ws;
    ws.WriteIni(kBase + "[WORKLIST]\nUseFileBase=1\nTypeFileBase=1\nFileBasePath=/srv/a%1b%s%d\n");
    const ScriptResult r = ws.Run("tab 2\ndump 1071\nfolder \"/srv/%2%1\"\nclick 3\n"
                                  "dump 1071\nok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("picker: "), QStringList{"picker: folder start=\"/srv/a%1b%s%d\""});
    const QStringList dumps = r.Lines("control 1071 ");
    ASSERT_EQ(dumps.size(), 2);
    EXPECT_TRUE(dumps[0].endsWith("text=\"/srv/a%1b%s%d\" items=[]")) << dumps[0].toStdString();
    EXPECT_TRUE(dumps[1].endsWith("text=\"/srv/%2%1\" items=[]")) << dumps[1].toStdString();
    EXPECT_EQ(ws.Value("WORKLIST", "FileBasePath"), "/srv/%2%1");
}

// The workstation folder's name reaches the default folder, the change lines
// and a failure message.
TEST(ShownText, WorkstationFolderWithPlaceholdersIsNamedAsItIs)
{
    Workstation ws(QStringLiteral("ws%1%2%s"));
    ASSERT_TRUE(ws.Dir().contains("ws%1%2%s"));
    ws.WriteIni(kBase + "[WORKLIST]\nUseFileBase=1\nTypeFileBase=1\n");
    const ScriptResult r = ws.Run("tab 2\ndump 1071\nfolder \"%1\\n%2\"\nclick 3\nok\n");
    EXPECT_EQ(r.status, 1) << r.transcript.toStdString();
    EXPECT_TRUE(
        r.Control(1071).endsWith("text=\"" + QDir(ws.Dir()).filePath("OCS") + "\" items=[]"))
        << r.Control(1071).toStdString();
    EXPECT_EQ(r.Lines("message: Could not save "),
              QStringList{"message: Could not save " + ws.Path("Kestrel.ini") +
                          ": [WORKLIST] FileBasePath was not written: the value holds a "
                          "line break."});
}

// A value the INI functions refuse is never dropped without a word: the save
// names the file, the key and why, and the run ends with status 1. A person
// cannot type a line break into a one-line field, nor can a script.
#include "support/ScriptRun.h"

#include <gtest/gtest.h>

namespace {
const QByteArray kBase = "[CONTROLPANNEL]\nDevice=0\n";
} // namespace

TEST(RefusedWrite, ValueWithALineBreakIsReportedAndTheRestIsSaved)
{
    Workstation ws;
    ws.WriteIni(kBase + "[WORKLIST]\nUseFileBase=1\nTypeFileBase=1\nFileBasePath=/srv/old\n"
                        "[Cor]\nRotate1=0\n");
    const ScriptResult r =
        ws.Run("tab 2\nfolder \"/srv/x\\r\\n[X]\"\nclick 3\ntype 1010 \"90\"\nok\n");
    EXPECT_EQ(r.status, 1) << r.transcript.toStdString();
    EXPECT_EQ(r.Lines("message: Could not save "),
              QStringList{"message: Could not save " + ws.Path("Kestrel.ini") +
                          ": [WORKLIST] FileBasePath was not written: the value holds a "
                          "line break."});
    EXPECT_TRUE(r.Lines("change: Kestrel.ini [WORKLIST] FileBasePath").isEmpty());
    EXPECT_EQ(ws.Value("WORKLIST", "FileBasePath"), "/srv/old");
    EXPECT_FALSE(ws.HasKey("X", "")) << "no section from the value";
    EXPECT_EQ(ws.Value("Cor", "Rotate1"), "90") << "the other keys are saved";
}

TEST(RefusedWrite, OneLineFieldsTakeNoLineBreakFromAScript)
{
    Workstation ws;
    ws.WriteIni(kBase + "[Cor]\nRotate1=0\n");
    const QByteArray before = ws.Read("Kestrel.ini");
    for (const char* text : {"1\\n[X]", "1\\r", "\\n"}) {
        const ScriptResult r =
            ws.Run(QStringLiteral("tab 2\ntype 1010 \"%1\"\nok\n").arg(QLatin1String(text)));
        EXPECT_EQ(r.status, 2) << text;
        EXPECT_EQ(r.Lines("error: "), QStringList{"error: 2: control 1010 takes no line break"})
            << text;
        EXPECT_EQ(ws.Read("Kestrel.ini"), before) << "nothing saved: " << text;
    }
}

// The scripted mode's dump lines and the tests' parser of them agree: every
// control the editor dumps reads back field by field.
#include "support/ControlDump.h"
#include "support/ScriptRun.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(ControlDump, EveryLineOfAFullDumpParses)
{
    QFile example(QStringLiteral(KESTREL_SOURCE_DIR "/examples/workstation/Kestrel.ini"));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly));
    Workstation ws;
    ws.Write(QStringLiteral("Kestrel.ini"), example.readAll());
    const ScriptResult r = ws.Run("dump\ntab 1\ndump\ntab 2\ndump\n");
    const QStringList lines = r.Lines(QStringLiteral("control "));
    ASSERT_GT(lines.size(), 50);
    for (const QString& line : lines) {
        const DumpedControl c = ParseDumpLine(line);
        ASSERT_TRUE(c.found) << line.toStdString();
        EXPECT_TRUE(
            line.startsWith(QStringLiteral("control %1 %2 %3").arg(c.id).arg(c.kind, c.Fields())))
            << line.toStdString();
        EXPECT_TRUE(line.endsWith(QStringLiteral(" items=") + c.items)) << line.toStdString();
    }
}

TEST(ControlDump, QuotesAndBackslashesStayEscapedAndOtherLinesAreNotControls)
{
    const DumpedControl c = ParseDumpLine(QStringLiteral(
        R"(control 16 check visible=1 enabled=0 checked=2 sel=-1 text="a \"b\" C:\\X" items=[])"));
    ASSERT_TRUE(c.found);
    EXPECT_EQ(c.kind, QStringLiteral("check"));
    EXPECT_EQ(c.State(), QStringLiteral("102"));
    EXPECT_EQ(c.text, QStringLiteral(R"(a \"b\" C:\\X)"));
    EXPECT_EQ(
        Field(
            QStringLiteral(
                R"(control 3 combo visible=1 enabled=1 checked=0 sel=1 text="B" items=["A","B"])"),
            "items"),
        QStringLiteral(R"(["A","B"])"));
    EXPECT_FALSE(ParseDumpLine(QStringLiteral("message: control 16")).found);
    EXPECT_EQ(Dumped(ScriptResult(), 16).Flags(), QStringLiteral("<no dump line>"));
}

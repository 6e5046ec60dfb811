// The bundled example workstation opens on its detector page with its values.
#include "support/ScriptRun.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray ExampleIni()
{
    QFile f(QStringLiteral(KESTREL_SOURCE_DIR "/examples/workstation/Kestrel.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ExampleWorkstation, HasWorkstationLineEnds)
{
    const QByteArray ini = ExampleIni();
    ASSERT_FALSE(ini.isEmpty());
    EXPECT_EQ(ini.count('\n'), ini.count("\r\n"));
    EXPECT_TRUE(ini.endsWith("\r\n"));
}

TEST(ExampleWorkstation, OpensOnTheDrtechPageWithoutComplaint)
{
    Workstation ws;
    ws.Write(QStringLiteral("Kestrel.ini"), ExampleIni());
    const ScriptResult r = ws.Run("dump 1041\ndump 1042\n");
    EXPECT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Lines("message: ").isEmpty()) << r.transcript.toStdString();
    EXPECT_EQ(r.Control(1041),
              "control 1041 edit visible=1 enabled=1 checked=0 sel=-1 text=\"3000\" items=[]");
    EXPECT_EQ(r.Control(1042),
              "control 1042 edit visible=1 enabled=1 checked=0 sel=-1 text=\"3000\" items=[]");
}

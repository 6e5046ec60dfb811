// The relocation mode through the real executable.
#include "database/DatabaseTesting.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString out;
};

Outcome RunSetup(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTREL_SETUP_EXE), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
}

} // namespace

TEST(RelocationCommandLine, HeadlessRunRelocatesTheNamedDatabase)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Kestrel.mdb"));
    jet4::WriteDatabase(
        db, {dbtest::KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\APR\\a.bmp"}}),
             dbtest::KestrelTable("tEc", {"LUT", "PAR"}, {{"C:\\1.lut", jet4::Value()}}),
             dbtest::KestrelTable("ImgInfo", {"FullPath"}, {{"C:\\IMG\\0001.dcm"}, {""}})});
    const Outcome o = RunSetup({"--headless", "E:\\;F:", "--database", db});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, QStringLiteral("relocated: tAPR.APRImagePath rows=1 changed=1\n"
                                    "relocated: tEc.LUT rows=1 changed=1\n"
                                    "relocated: tEc.PAR rows=1 changed=1\n"
                                    "relocated: ImgInfo.FullPath rows=2 changed=1\n"));
    const std::vector<QStringList> rows = dbtest::Export(db, QStringLiteral("ImgInfo"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (QStringList{"1", "F:\\IMG\\0001.dcm"}));
}

TEST(RelocationCommandLine, FailuresAreMessagesAndExitStatusOne)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Kestrel.mdb"));
    Outcome o = RunSetup({"--headless", "E:\\;F:", "--database", missing});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.out.startsWith(QStringLiteral("message: Cannot open the database ")))
        << o.out.toStdString();
    o = RunSetup({"--headless", "E:\\", "--database", missing});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, QStringLiteral("message: DCM Driver Letter Invalid\n"));
}

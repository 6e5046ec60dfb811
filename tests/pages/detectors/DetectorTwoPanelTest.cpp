// The read-only handling that the Varian, Varian VSP, Perkin and Konica pages
// put around their own save, inside the main dialog's OK.
#include "support/ScriptRun.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

bool Writable(const Workstation& ws)
{
    return QFile::permissions(ws.Path("Kestrel.ini")) & QFileDevice::WriteOwner;
}

void MakeReadOnly(const Workstation& ws)
{
    const QString path = ws.Path("Kestrel.ini");
    QFile::setPermissions(path, QFile::permissions(path) & ~QFileDevice::WriteOwner &
                                    ~QFileDevice::WriteUser & ~QFileDevice::WriteGroup &
                                    ~QFileDevice::WriteOther);
}

class TwoPanelPages : public testing::TestWithParam<int>
{
};

} // namespace

// The page's "protect again" runs before the main dialog's own writes of the
// same OK; it must neither stop them nor leave a writable file protected.
TEST_P(TwoPanelPages, SaveKeepsTheFileOpenForTheRestOfTheOk)
{
    Workstation ws;
    ws.WriteIni("[Cor]\nUseMultiCor=1\nPixelSpacing=0.139\n[Cor1]\nDevice=" +
                QByteArray::number(GetParam()) +
                "\n[Cor2]\nDevice=" + QByteArray::number(GetParam()) + "\n");
    ScriptResult r = ws.Run("ok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing2"), "0.139");
    EXPECT_EQ(ws.Value("Cor2", "Port"), "1");
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "2");
    EXPECT_TRUE(Writable(ws)) << "a writable file stays writable";

    ws.WriteIni("[CONTROLPANNEL]\nDevice=" + QByteArray::number(GetParam()) +
                "\n[Cor]\nPixelSpacing=0.15\n[SYSTEM]\nModality Mode=1\n");
    MakeReadOnly(ws);
    r = ws.Run("ok\n");
    ASSERT_EQ(r.status, 0) << r.transcript.toStdString();
    EXPECT_TRUE(r.Lines("message: ").isEmpty()) << r.transcript.toStdString();
    EXPECT_EQ(ws.Value("SYSTEM", "Modality Mode"), "1");
    EXPECT_EQ(ws.Value("Cor", "PixelSpacing2"), "0.15");
    EXPECT_FALSE(Writable(ws)) << "protected again after the run";
}

INSTANTIATE_TEST_SUITE_P(DeviceIds, TwoPanelPages, testing::Values(12, 21, 22, 25));

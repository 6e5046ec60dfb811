// The relocation as a dialog: its fields show the paths of the argument, and
// "Change" runs the relocation on the paths it was made with.
#include "database/DatabaseTesting.h"

#include "app/SetUpApp.h"
#include "app/SetupDatabase.h"
#include "ui/Transcript.h"

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SetupDatabaseDialog : public testing::Test
{
protected:
    void SetUp() override
    {
        jet4::WriteDatabase(
            m_db, {dbtest::KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\APR\\a.bmp"}}),
                   dbtest::KestrelTable("tEc", {"LUT", "PAR"}, {{"C:\\1.lut", "C:\\1.par"}}),
                   dbtest::KestrelTable("ImgInfo", {"FullPath"}, {{"C:\\IMG\\1.dcm"}})});
        theApp.m_strAppDir = QStringLiteral("e:\\");
        theApp.m_strArgPart2 = QStringLiteral("f:");
        transcript::SetActive(true);
        transcript::SetSink(&m_transcript);
    }
    void TearDown() override
    {
        transcript::SetSink(nullptr);
        transcript::SetActive(false);
    }

    QTemporaryDir m_dir;
    const QString m_db = m_dir.filePath(QStringLiteral("Kestrel.mdb"));
    QString m_transcript;
};

using Column = std::vector<std::optional<QString>>;

} // namespace

TEST_F(SetupDatabaseDialog, FieldsShowTheArgumentAndChangeRelocatesWithTheMembers)
{
    CSetupDatabase dialog;
    dialog.m_strMdbPath = m_db;
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setup Database"));
    EXPECT_EQ(dialog.GetDlgItemText(1020), QFile::encodeName(m_db));
    EXPECT_EQ(dialog.GetDlgItemText(1019), QByteArray("e:\\"));
    EXPECT_EQ(dialog.GetDlgItemText(1018), QByteArray("f:\\"));
    EXPECT_EQ(dialog.GetDlgItemText(1023), QByteArray());
    auto* progress = qobject_cast<QProgressBar*>(dialog.GetDlgItem(1022));
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 100);
    EXPECT_EQ(progress->value(), 0);

    // The routine takes the members as they are, not what the fields hold now.
    dialog.SetDlgItemText(1019, "Q:\\");
    qobject_cast<QPushButton*>(dialog.GetDlgItem(1021))->click();
    EXPECT_EQ(dbtest::ReadColumn(m_db, "tAPR", "APRImagePath"),
              Column{QStringLiteral("E:\\APR\\a.bmp")});
    EXPECT_EQ(dbtest::ReadColumn(m_db, "ImgInfo", "FullPath"),
              Column{QStringLiteral("F:\\IMG\\1.dcm")});
    EXPECT_EQ(dialog.ExitStatus(), 0);
    EXPECT_EQ(progress->value(), 0);

    // Change again: the same letters again, the same result.
    qobject_cast<QPushButton*>(dialog.GetDlgItem(1021))->click();
    EXPECT_EQ(dbtest::ReadColumn(m_db, "tEc", "PAR"), Column{QStringLiteral("E:\\1.par")});
    EXPECT_TRUE(m_transcript.contains(QStringLiteral("relocated: tEc.PAR rows=1 changed=0")))
        << m_transcript.toStdString();

    // OK takes the fields into the members.
    qobject_cast<QPushButton*>(dialog.GetDlgItem(1))->click();
    EXPECT_EQ(dialog.m_strAppDrive, QStringLiteral("Q:\\"));
}

// The bundled example workstation's image database, made with the test Jet 4
// writer. Run with KESTREL_WRITE_EXAMPLE_DATABASE=1 to write it anew after a
// change here; the test then compares the file with what these lines make.
#include "database/DatabaseTesting.h"

#include "database/dbDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using jet4::Value;

namespace {

const QString kExample = QStringLiteral(KESTREL_SOURCE_DIR "/examples/workstation/Kestrel.mdb");

std::vector<jet4::TableData> ExampleTables()
{
    std::vector<jet4::TableData> tables;
    static const QRegularExpression name(QStringLiteral(R"(\[([^\]]+)\])"));
    for (const auto& m : name.globalMatch(CdbDatabase().GetDefaultSQL())) {
        const QString table = m.captured(1);
        if (table == QLatin1String("tAPR")) {
            tables.push_back(dbtest::KestrelTable(
                "tAPR", {"APRImagePath"},
                {{"C:\\Kestrel\\APR\\Chest PA.bmp"}, {"C:\\Kestrel\\APR\\Hand.bmp"}, {Value()}}));
        } else if (table == QLatin1String("tEC")) {
            tables.push_back(dbtest::KestrelTable(
                "tEC", {"LUT", "PAR"},
                {{"C:\\Kestrel\\LUT\\Chest.lut", "C:\\Kestrel\\PAR\\Chest.par"},
                 {"C:\\Kestrel\\LUT\\Hand.lut", ""}}));
        } else if (table == QLatin1String("ImgInfo")) {
            std::vector<std::vector<Value>> rows;
            for (int i = 1; i <= 8; ++i)
                rows.push_back(
                    {QStringLiteral("D:\\Images\\2024\\03\\12\\1.2.410.200.%1.dcm").arg(i)});
            rows.push_back({""});
            rows.push_back({Value()});
            rows.push_back({"\\\\archive\\images\\1.2.410.200.11.dcm"});
            tables.push_back(dbtest::KestrelTable("ImgInfo", {"FullPath"}, rows));
        } else {
            tables.push_back(dbtest::KestrelTable(table, {}, {}));
        }
    }
    return tables;
}

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ExampleDatabase, IsWhatTheWriterMakes)
{
    if (qEnvironmentVariableIntValue("KESTREL_WRITE_EXAMPLE_DATABASE") == 1)
        jet4::WriteDatabase(kExample, ExampleTables());
    QTemporaryDir dir;
    const QString made = dir.filePath(QStringLiteral("Kestrel.mdb"));
    jet4::WriteDatabase(made, ExampleTables());
    EXPECT_EQ(Bytes(kExample), Bytes(made))
        << "write it anew with KESTREL_WRITE_EXAMPLE_DATABASE=1";
}

TEST(ExampleDatabase, Relocates)
{
    QTemporaryDir dir;
    const QString db = dbtest::CopyInto(kExample, dir.path());
    const dbtest::RunResult run = dbtest::Relocate(QStringLiteral("F:\\;G:"), db);
    EXPECT_EQ(run.exitStatus, 0) << run.transcript.toStdString();
    EXPECT_EQ(run.transcript, QStringLiteral("relocated: tAPR.APRImagePath rows=3 changed=3\n"
                                             "relocated: tEc.LUT rows=2 changed=2\n"
                                             "relocated: tEc.PAR rows=2 changed=1\n"
                                             "relocated: ImgInfo.FullPath rows=11 changed=9\n"));
    const std::vector<QStringList> rows = dbtest::Export(db, QStringLiteral("ImgInfo"));
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows[0][1], QStringLiteral("G:\\Images\\2024\\03\\12\\1.2.410.200.1.dcm"));
    EXPECT_EQ(rows[10][1], QStringLiteral("\\\\archive\\images\\1.2.410.200.11.dcm"));
}

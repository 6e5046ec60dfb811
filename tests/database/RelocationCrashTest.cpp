// Killing the relocation (SIGKILL) at any moment leaves the database exactly
// as it was or exactly relocated, and libmdb reads it either way; on the
// databases whose rows move and whose indexes are written anew, both files
// have consistent indexes.
//
// The kills are spread over the whole run, and half of them over the span in
// which the file is replaced (learnt as the test goes: the latest kill that
// found the old file and the earliest that found the new one).
// KESTREL_CRASH_KILLS sets how many (default 200); the test prints what the
// kills found.
#include "database/DatabaseTesting.h"
#include "support/MdbIndexCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include <fcntl.h>
#include <mdbtools.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kImages = 20000;

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Put(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

pid_t StartRelocation(const QString& database)
{
    const QByteArray exe = KESTREL_SETUP_EXE, db = QFile::encodeName(database);
    char* argv[] = {const_cast<char*>(exe.constData()), const_cast<char*>("--headless"),
                    const_cast<char*>("E:\\;F:"),       const_cast<char*>("--database"),
                    const_cast<char*>(db.constData()),  nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, exe.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// libmdb's count of the image rows, -1 when it cannot read the table.
int LibmdbImageRows(const QString& database)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(database).constData(), MDB_NOFLAGS);
    if (!mdb)
        return -1;
    int rows = -1;
    char name[] = "ImgInfo";
    mdb_read_catalog(mdb, MDB_TABLE);
    MdbTableDef* table = mdb_read_table_by_name(mdb, name, MDB_TABLE);
    if (table && mdb_read_columns(table)) {
        std::vector<char> path(MDB_BIND_SIZE);
        mdb_bind_column(table, 2, path.data(), nullptr);
        mdb_rewind_table(table);
        for (rows = 0; mdb_fetch_row(table);)
            ++rows;
    }
    mdb_free_tabledef(table);
    mdb_close(mdb);
    return rows;
}

int Kills()
{
    const char* text = std::getenv("KESTREL_CRASH_KILLS");
    return text ? std::max(1, std::atoi(text)) : 200;
}

// Runs the relocation on db once to its end, then kills runs on fresh
// copies of the old file; each kill must leave the old or the new file.
void KillRuns(const QString& db, int imageRows)
{
    using Clock = std::chrono::steady_clock;
    using Us = std::chrono::microseconds;
    const QByteArray before = Bytes(db);
    ASSERT_EQ(LibmdbImageRows(db), imageRows);

    // A run left alone gives the relocated file and the length of a run.
    const Clock::time_point start = Clock::now();
    const pid_t reference = StartRelocation(db);
    ASSERT_GT(reference, 0);
    int status = 0;
    ::waitpid(reference, &status, 0);
    const long runUs = std::chrono::duration_cast<Us>(Clock::now() - start).count();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QByteArray after = Bytes(db);
    ASSERT_NE(after, before);
    ASSERT_EQ(LibmdbImageRows(db), imageRows);
    // Every kill leaves one of these two files, byte for byte: their indexes
    // are checked once.
    const auto indexes = mdbcheck::CheckFile(db);
    ASSERT_TRUE(mdbcheck::AllOk(indexes)) << mdbcheck::Describe(indexes).toStdString();

    std::mt19937 random(std::random_device{}());
    long latestOld = 0, earliestNew = runUs;
    int oldFiles = 0, newFiles = 0, finished = 0, copies = 0;
    const int kills = Kills();
    for (int i = 0; i < kills; ++i) {
        Put(db, before);
        const long from = i % 2 ? std::max(0L, latestOld - 2000) : 0;
        const long to = i % 2 ? earliestNew + 2000 : runUs + runUs / 5;
        const long delay = std::uniform_int_distribution<long>(from, std::max(from, to))(random);
        const pid_t pid = StartRelocation(db);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(Us(delay));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        finished += WIFEXITED(status);

        const QByteArray now = Bytes(db);
        ASSERT_TRUE(now == before || now == after)
            << "after a kill at " << delay << " us the database is neither the old nor the new "
            << "file (" << now.size() << " bytes)";
        ASSERT_EQ(LibmdbImageRows(db), imageRows) << "after a kill at " << delay << " us";
        if (now == before) {
            ++oldFiles;
            latestOld = std::max(latestOld, delay);
        } else {
            ++newFiles;
            earliestNew = std::min(earliestNew, delay);
        }
        copies += QFile::exists(db + QStringLiteral(".relocating"));
        QFile::remove(db + QStringLiteral(".relocating"));
    }
    std::printf("[ crash    ] %d kills over a %ld us relocation: %d found the old database, %d "
                "the new one (%d ran to their end); %d left a working copy beside it\n",
                kills, runUs, oldFiles, newFiles, finished, copies);
}

} // namespace

TEST(CrashTest, RelocationKilledAtAnyMomentLeavesTheOldOrTheNewDatabase)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Kestrel.mdb"));
    std::vector<std::vector<jet4::Value>> images;
    for (int i = 0; i < kImages; ++i)
        images.push_back({QStringLiteral("C:\\IMG\\%1.dcm").arg(i, 6, 10, QLatin1Char('0'))});
    jet4::WriteDatabase(db,
                        {dbtest::KestrelTable("tAPR", {"APRImagePath"}, {{"C:\\APR\\a.bmp"}}),
                         dbtest::KestrelTable("tEc", {"LUT", "PAR"}, {{"C:\\1.lut", "C:\\1.par"}}),
                         dbtest::KestrelTable("ImgInfo", {"FullPath"}, images)});
    KillRuns(db, kImages);
}

// Rows grow and move (NULL memos made empty, rows older than a column written
// anew) and indexes are written anew while the kills fall.
class CrashTestOnFixtures : public testing::TestWithParam<const char*>
{
};

TEST_P(CrashTestOnFixtures, KilledWhileRowsMoveAndIndexesAreWrittenLeavesTheOldOrTheNewDatabase)
{
    const QString folder = dbtest::AccessFilesFolder();
    if (folder.isEmpty())
        GTEST_SKIP() << "test databases not found in " KESTREL_SHARED_TESTDATA "/access; skipped";
    QTemporaryDir dir;
    const QString db = dbtest::CopyInto(folder + QLatin1Char('/') + QLatin1String(GetParam()),
                                        dir.path(), QStringLiteral("Kestrel.mdb"));
    KillRuns(db, 2500);
}

INSTANTIATE_TEST_SUITE_P(Files, CrashTestOnFixtures,
                         testing::Values("kestrel-indexed.mdb", "kestrel-memo.mdb"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).substr(8, info.param[8] == 'i' ? 7 : 4);
                         });

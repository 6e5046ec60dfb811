// Replays the database fuzz targets' seeds and every input they once failed
// on, with the targets' own checks, in the ordinary test build.
#include <stdexcept>
#include <string>

#if __has_include(<fuzzer/FuzzedDataProvider.h>)

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond))                                                                               \
            throw std::runtime_error("line " + std::to_string(__LINE__) + ": " #cond);             \
    } while (0)
#define KESTREL_FUZZ_NO_ENTRY
#include "../../fuzz/mdb_patch.cpp"
#include "../../fuzz/mdb_read.cpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

using TestOne = void (*)(const uint8_t*, size_t);

void Replay(const char* folder, TestOne test)
{
    const std::filesystem::path dir = std::filesystem::path(KESTREL_SOURCE_DIR) / folder;
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const QByteArray input =
            mdbreadfuzz::FileBytes(QString::fromStdString(entry.path().string()));
        try {
            test(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
        } catch (const std::exception& e) {
            ADD_FAILURE() << entry.path().filename() << ": " << e.what();
        }
    }
}

} // namespace

TEST(DatabaseFuzzInputs, ReaderSeedsAndInputsThatOnceFailedKeepTheInvariants)
{
    Replay("fuzz/seeds/mdb_read", mdbreadfuzz::TestOne);
    Replay("fuzz/regressions/mdb_read", mdbreadfuzz::TestOne);
}

// The seeds are whole databases: every value of theirs is read.
TEST(DatabaseFuzzInputs, ReaderReadsEveryValueOfTheSeeds)
{
    const QString seeds = QStringLiteral(KESTREL_SOURCE_DIR "/fuzz/seeds/mdb_read/");
    EXPECT_EQ(mdbreadfuzz::ReadFile(mdbreadfuzz::FileBytes(seeds + "kestrel-tables.mdb")), 15);
    EXPECT_EQ(mdbreadfuzz::ReadFile(mdbreadfuzz::FileBytes(seeds + "pages.mdb")), 600);
    EXPECT_EQ(mdbreadfuzz::ReadFile(mdbreadfuzz::FileBytes(seeds + "memos-moved-indexed.mdb")), 17);
}

TEST(DatabaseFuzzInputs, PatcherSeedsAndInputsThatOnceFailedKeepTheInvariants)
{
    Replay("fuzz/seeds/mdb_patch", mdbpatchfuzz::TestOne);
    Replay("fuzz/regressions/mdb_patch", mdbpatchfuzz::TestOne);
}

// Inputs drawn from a fixed seed: every run replays the same sessions, about
// half of them relocations over tables with indexes, NULL memos and rows
// older than their table's last columns.
TEST(DatabaseFuzzInputs, PatcherKeepsTheInvariantsOnGeneratedInputs)
{
    std::mt19937 random(15);
    for (int i = 0; i < 150; ++i) {
        std::vector<uint8_t> input(size_t(std::uniform_int_distribution<int>(64, 3000)(random)));
        for (uint8_t& b : input)
            b = uint8_t(random());
        try {
            mdbpatchfuzz::TestOne(input.data(), input.size());
        } catch (const std::exception& e) {
            ADD_FAILURE() << "input " << i << ": " << e.what();
        }
    }
}

#else
#include <gtest/gtest.h>

TEST(DatabaseFuzzInputs, ReaderSeedsAndInputsThatOnceFailedKeepTheInvariants)
{
    GTEST_SKIP() << "fuzzer/FuzzedDataProvider.h (clang) is not installed";
}
#endif

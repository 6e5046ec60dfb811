#include "ini/Profile.h"

#include "ini/ProfileFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class ProfileTransactionTest : public ::testing::Test
{
protected:
    ProfileTransactionTest()
    {
        std::string dir = (std::filesystem::temp_directory_path() / "kestrel-tx-XXXXXX").string();
        m_dir = ::mkdtemp(dir.data());
    }
    ~ProfileTransactionTest() override
    {
        if (profile::InTransaction())
            profile::RollbackTransaction();
        std::filesystem::remove_all(m_dir);
    }

    std::string Path(const char* name = "Kestrel.ini") const { return m_dir + "/" + name; }
    std::string Make(const std::string& bytes, const char* name = "Kestrel.ini") const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    static std::string Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string Get(const char* section, const char* key, const std::string& path)
    {
        char buffer[256];
        GetPrivateProfileStringA(section, key, "-", buffer, sizeof buffer, path.c_str());
        return buffer;
    }
    static ino_t Inode(const std::string& path)
    {
        struct stat st {
        };
        ::stat(path.c_str(), &st);
        return st.st_ino;
    }
    std::size_t Entries() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_dir),
                                                      std::filesystem::directory_iterator()));
    }

    std::string m_dir;
};

const char kOriginal[] = "[Cor]\r\nWidth=3072\r\nHeight=3072\r\n";

TEST_F(ProfileTransactionTest, ReadsSeePendingWritesAndTheFileChangesOnlyAtCommit)
{
    const std::string ini = Make(kOriginal);
    const std::string vendor = Make("[COMMON]\r\n", "FPDOpr.INI");
    profile::BeginTransaction();
    EXPECT_TRUE(profile::InTransaction());
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Width", "2048", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Height", nullptr, ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("COMMON", "Port", "2", vendor.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Width", "2044", ini.c_str()));
    EXPECT_EQ(Get("cor", "width", ini), "2044");
    EXPECT_EQ(Get("Cor", "Height", ini), "-");
    EXPECT_EQ(Bytes(ini), kOriginal);
    EXPECT_EQ(profile::PendingFiles(), (std::vector<std::string>{ini, vendor}));

    const ino_t before = Inode(ini);
    EXPECT_TRUE(profile::CommitTransaction().empty());
    EXPECT_FALSE(profile::InTransaction());
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=2044\r\n");
    EXPECT_EQ(Bytes(vendor), "[COMMON]\r\nPort=2\r\n");
    EXPECT_NE(Inode(ini), before); // replaced by rename, not rewritten in place
    EXPECT_EQ(Entries(), 2u);      // no temporary file left behind
    EXPECT_TRUE(profile::PendingFiles().empty());
}

TEST_F(ProfileTransactionTest, RollbackLeavesEveryFileAsItWas)
{
    const std::string ini = Make(kOriginal);
    profile::BeginTransaction();
    WritePrivateProfileStringA("Cor", "Width", "2048", ini.c_str());
    WritePrivateProfileStringA("New", "Key", "1", Path("created.ini").c_str());
    profile::RollbackTransaction();
    EXPECT_EQ(Bytes(ini), kOriginal);
    EXPECT_EQ(Get("Cor", "Width", ini), "3072");
    EXPECT_FALSE(std::filesystem::exists(Path("created.ini")));
    EXPECT_TRUE(profile::CommitTransaction().empty()); // nothing left to do
}

TEST_F(ProfileTransactionTest, TwoNamesOfOneFileShareItsPendingWrites)
{
    const std::string ini = Make(kOriginal);
    const std::string other = m_dir + "/./sub/../Kestrel.ini";
    std::filesystem::create_directory(Path("sub"));
    profile::BeginTransaction();
    WritePrivateProfileStringA("Cor", "Width", "1", ini.c_str());
    WritePrivateProfileStringA("Cor", "Height", "2", other.c_str());
    EXPECT_EQ(Get("Cor", "Width", other), "1");
    EXPECT_EQ(profile::PendingFiles().size(), 1u);
    EXPECT_TRUE(profile::CommitTransaction().empty());
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=1\r\nHeight=2\r\n");
}

TEST_F(ProfileTransactionTest, WriteToReadOnlyFileFailsAndIsReportedWithItsPath)
{
    const std::string ini = Make(kOriginal);
    ::chmod(ini.c_str(), 0444);
    profile::BeginTransaction();
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Width", "2048", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Height", "2048", ini.c_str()));
    EXPECT_EQ(Get("Cor", "Width", ini), "3072"); // a failed write is not seen
    EXPECT_FALSE(WritePrivateProfileStringA("A", "b", "c", Path("missing/x.ini").c_str()));
    const auto failures = profile::CommitTransaction();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].path, ini);
    EXPECT_EQ(failures[0].reason, "File is read-only");
    EXPECT_EQ(failures[1].path, Path("missing/x.ini"));
    EXPECT_EQ(failures[1].reason, "Folder not found");
    EXPECT_EQ(Bytes(ini), kOriginal);
}

TEST_F(ProfileTransactionTest, FileProtectedBeforeCommitKeepsItsOldContent)
{
    const std::string ini = Make(kOriginal);
    const std::string vendor = Make("[COMMON]\r\n", "FPDOpr.INI");
    profile::BeginTransaction();
    WritePrivateProfileStringA("Cor", "Width", "2048", ini.c_str());
    WritePrivateProfileStringA("COMMON", "Port", "2", vendor.c_str());
    ::chmod(ini.c_str(), 0444);
    const auto failures = profile::CommitTransaction();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, ini);
    EXPECT_EQ(Bytes(ini), kOriginal);
    EXPECT_EQ(Get("Cor", "Width", ini), "3072");
    EXPECT_EQ(Bytes(vendor), "[COMMON]\r\nPort=2\r\n"); // the other file is still saved
}

// A full disk shows as a failed write of the temporary file. The file size
// limit gives the same failure without filling a disk; a child process keeps
// the limit away from the test runner.
TEST_F(ProfileTransactionTest, WriteThatRunsOutOfSpaceLeavesTheOldFileWhole)
{
    const std::string ini = Make(kOriginal);
    const std::string big(4096, 'x');
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        profile::BeginTransaction();
        WritePrivateProfileStringA("Cor", "Big", big.c_str(), ini.c_str());
        const auto failures = profile::CommitTransaction();
        const bool reported = failures.size() == 1 && failures[0].path == ini &&
                              failures[0].reason == "File too large";
        const bool direct = !WritePrivateProfileStringA("Cor", "Big", big.c_str(), ini.c_str());
        ::_exit(reported && direct ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Bytes(ini), kOriginal);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ProfileTransactionTest, ReplacingKeepsPermissionsAndSymbolicLinks)
{
    const std::string target = Make(kOriginal, "real.ini");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, Path("link.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Width", "1", Path("link.ini").c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.ini")));
    EXPECT_EQ(Bytes(target), "[Cor]\r\nWidth=1\r\nHeight=3072\r\n");
    struct stat st {
    };
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(ProfileTransactionTest, ChangeByAnotherProgramDuringTheTransactionIsKept)
{
    const std::string ini = Make(kOriginal);
    profile::BeginTransaction();
    WritePrivateProfileStringA("Cor", "Width", "2048", ini.c_str());
    Make("[Cor]\r\nWidth=3072\r\nHeight=3072\r\nOther=kept\r\n");
    EXPECT_TRUE(profile::CommitTransaction().empty());
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=2048\r\nHeight=3072\r\nOther=kept\r\n");
}

TEST_F(ProfileTransactionTest, ReadsSeeFilesRewrittenBehindTheirBack)
{
    const std::string ini = Make(kOriginal);
    EXPECT_EQ(Get("Cor", "Width", ini), "3072");
    Make("[Cor]\r\nWidth=1\r\n");
    EXPECT_EQ(Get("Cor", "Width", ini), "1");
    std::filesystem::remove(ini);
    EXPECT_EQ(Get("Cor", "Width", ini), "-");
}

// Rewritten in place with the same size, the file keeps its inode; on a file
// system with coarse timestamps a rewrite soon after keeps its times as well.
// Only the rule that a copy taken that close to the file's last change is not
// trusted finds the change.
TEST_F(ProfileTransactionTest, SameSizeRewriteWithinTheTimestampGranularityIsSeen)
{
    const std::string ini = Make("[Cor]\r\nWidth=1000\r\n");
    profile::detail::SimulateCoarseTimestamps(true);
    for (int round = 0; round < 50; ++round) {
        const std::string value = std::to_string(1000 + round);
        EXPECT_EQ(Get("Cor", "Width", ini), value);
        std::ofstream(ini, std::ios::binary | std::ios::in)
            << "[Cor]\r\nWidth=" << 1001 + round << "\r\n";
    }
    profile::detail::SimulateCoarseTimestamps(false);
}

} // namespace

namespace {

// As above, for a save: the file is rewritten in place with the same size
// between the first write and the commit, too soon for its times to change.
TEST_F(ProfileTransactionTest, SameSizeRewriteDuringTheTransactionIsKept)
{
    const std::string ini = Make("[Cor]\r\nWidth=1000\r\nOther=aaaa\r\n");
    profile::detail::SimulateCoarseTimestamps(true);
    EXPECT_EQ(Get("Cor", "Width", ini), "1000");
    profile::BeginTransaction();
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Width", "2048", ini.c_str()));
    std::ofstream(ini, std::ios::binary | std::ios::in) << "[Cor]\r\nWidth=1000\r\nOther=bbbb\r\n";
    EXPECT_TRUE(profile::CommitTransaction().empty());
    profile::detail::SimulateCoarseTimestamps(false);
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=2048\r\nOther=bbbb\r\n");
}

} // namespace

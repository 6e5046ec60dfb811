#include "ini/FileAttributes.h"

#include "ini/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>

namespace
{

class FileAttributesTest : public ::testing::Test
{
protected:
    FileAttributesTest()
    {
        std::string dir = (std::filesystem::temp_directory_path() / "kestrel-attr-XXXXXX").string();
        m_dir = ::mkdtemp(dir.data());
        m_ini = m_dir + "/Kestrel.ini";
        std::ofstream(m_ini) << "[Cor]\r\nWidth=3072\r\n";
        fileattr::ResetWritten();
    }
    ~FileAttributesTest() override
    {
        if (profile::InTransaction())
            profile::RollbackTransaction();
        fileattr::ResetWritten();
        std::filesystem::remove_all(m_dir);
    }
    mode_t Mode() const
    {
        struct stat st {
        };
        ::stat(m_ini.c_str(), &st);
        return st.st_mode & 0777;
    }
    // The write protection pages restore after their save.
    void ProtectIfNormal() const
    {
        if (GetFileAttributesA(m_ini.c_str()) & FILE_ATTRIBUTE_NORMAL)
            SetFileAttributesA(m_ini.c_str(), FILE_ATTRIBUTE_READONLY);
    }

    std::string m_dir;
    std::string m_ini;
};

TEST_F(FileAttributesTest, MapsTheOwnerWriteBitFoldersAndMissingFiles)
{
    ::chmod(m_ini.c_str(), 0644);
    EXPECT_EQ(GetFileAttributesA(m_ini.c_str()), FILE_ATTRIBUTE_NORMAL);
    ::chmod(m_ini.c_str(), 0466); // others may write; the owner may not
    EXPECT_EQ(GetFileAttributesA(m_ini.c_str()), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFileAttributesA(m_dir.c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA((m_dir + "/absent.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetFileAttributesA((m_dir + "/absent.ini").c_str(), FILE_ATTRIBUTE_NORMAL));
}

TEST_F(FileAttributesTest, ReadOnlyClearsEveryWriteBitAndNormalGivesTheOwnerOneBack)
{
    ::chmod(m_ini.c_str(), 0664);
    EXPECT_TRUE(SetFileAttributesA(m_ini.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Mode(), 0444u);
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Width", "1", m_ini.c_str()));
    EXPECT_TRUE(SetFileAttributesA(m_ini.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(Mode(), 0644u);
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Width", "1", m_ini.c_str()));
}

TEST_F(FileAttributesTest, WrittenFileCarriesTheArchiveBitSoItIsNotProtectedAgain)
{
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Width", "1", m_ini.c_str()));
    EXPECT_EQ(GetFileAttributesA(m_ini.c_str()), FILE_ATTRIBUTE_ARCHIVE);
    ProtectIfNormal();
    EXPECT_EQ(Mode() & S_IWUSR, S_IWUSR);
    fileattr::ResetWritten();
    EXPECT_EQ(GetFileAttributesA(m_ini.c_str()), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileAttributesTest, PendingWritesCountAsWrittenSoTheCommitCanStillWrite)
{
    profile::BeginTransaction();
    WritePrivateProfileStringA("Cor", "Width", "2048", m_ini.c_str());
    EXPECT_EQ(GetFileAttributesA(m_ini.c_str()), FILE_ATTRIBUTE_ARCHIVE);
    ProtectIfNormal();
    EXPECT_TRUE(profile::CommitTransaction().empty());
    EXPECT_EQ(GetFileAttributesA(m_ini.c_str()), FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(FileAttributesTest, ReadOnlyAndWrittenTogetherShowBothBits)
{
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Width", "1", m_ini.c_str()));
    SetFileAttributesA(m_ini.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFileAttributesA(m_ini.c_str()), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
}

} // namespace

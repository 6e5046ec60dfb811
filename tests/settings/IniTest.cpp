#include "settings/Ini.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace
{

class IniTest : public ::testing::Test
{
protected:
    IniTest()
    {
        std::string dir = (std::filesystem::temp_directory_path() / "kestrel-cini-XXXXXX").string();
        m_dir = ::mkdtemp(dir.data());
        m_path = m_dir + "/Kestrel.ini";
        if (g_Ini.GetPath())
            m_saved = g_Ini.GetPath();
    }
    ~IniTest() override
    {
        g_Ini.SetPath(m_saved.empty() ? nullptr : m_saved.c_str());
        std::filesystem::remove_all(m_dir);
    }
    void Make(const std::string& bytes) const { std::ofstream(m_path, std::ios::binary) << bytes; }
    std::string Bytes() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string m_dir;
    std::string m_path;
    std::string m_saved;
};

TEST_F(IniTest, LongValuesAreReadWhole)
{
    const CIni ini(m_path.c_str());
    for (const int length : {510, 511, 512, 600, 1023, 1024, 5000}) {
        const std::string value(static_cast<std::size_t>(length), 'v');
        Make("[Cor]\r\nPath=" + value + "\r\n");
        EXPECT_EQ(ini.GetString("Cor", "Path").size(), std::size_t(length)) << length;
    }
}

TEST_F(IniTest, GetIntParsesLikeStrtoulOfA32BitRuntime)
{
    Make("[N]\r\nempty=\r\nabc=abc\r\nblanks=   42\r\ntail=12abc\r\nneg=-3\r\nhex=0x10\r\n"
         "plus=+7\r\nminusOne=-1\r\nmax=4294967295\r\nover=4294967296\r\nnegOver=-4294967297\r\n"
         "intMin=2147483648\r\n");
    const CIni ini(m_path.c_str());
    EXPECT_EQ(ini.GetInt("N", "missing", 77), 77);
    EXPECT_EQ(ini.GetInt("N", "empty", 77), 77);
    EXPECT_EQ(ini.GetInt("N", "abc", 77), 0);
    EXPECT_EQ(ini.GetInt("N", "blanks", 77), 42);
    EXPECT_EQ(ini.GetInt("N", "tail", 77), 12);
    EXPECT_EQ(ini.GetInt("N", "neg", 77), -3);
    EXPECT_EQ(ini.GetInt("N", "hex", 77), 0);
    EXPECT_EQ(ini.GetInt("N", "plus", 77), 7);
    EXPECT_EQ(ini.GetInt("N", "minusOne", 77), -1);
    EXPECT_EQ(ini.GetInt("N", "max", 77), -1);
    EXPECT_EQ(ini.GetInt("N", "over", 77), -1);
    EXPECT_EQ(ini.GetInt("N", "negOver", 77), -1);
    EXPECT_EQ(ini.GetInt("N", "intMin", 77), INT_MIN);
}

TEST_F(IniTest, GetIntLooksAtTheFirst64BytesOnly)
{
    Make("[N]\r\ncut=" + std::string(63, '0') + "12\r\n");
    EXPECT_EQ(CIni(m_path.c_str()).GetInt("N", "cut", 77), 1);
}

TEST_F(IniTest, WriteIntAndWriteStringStoreDecimalTextAndKeepKeys)
{
    Make("[Cor]\r\nName=old\r\n");
    const CIni ini(m_path.c_str());
    EXPECT_NE(ini.WriteInt("Cor", "Rotate", -1), 0);
    EXPECT_EQ(ini.GetInt("Cor", "Rotate", 5), -1);
    EXPECT_NE(ini.WriteString("Cor", "Name", nullptr), 0);
    EXPECT_NE(ini.WriteString("Cor", "Path", QByteArray("C:\\Kestrel")), 0);
    EXPECT_EQ(Bytes(), "[Cor]\r\nName=\r\nRotate=-1\r\nPath=C:\\Kestrel\r\n");
    EXPECT_EQ(ini.GetString("Cor", "Name", "dflt"), QByteArray(""));
    EXPECT_EQ(ini.GetInt("Cor", "Name", 5), 5);
}

// The platform lists sections for a null section and keys for a null key,
// and deletes the section for a null key: the store must never pass them on.
TEST_F(IniTest, NullSectionOrKeyGivesTheDefaultAndWritesNothing)
{
    Make("[Cor]\r\nWidth=3072\r\n");
    const CIni ini(m_path.c_str());
    EXPECT_EQ(ini.GetString(nullptr, "Width", "dflt"), QByteArray("dflt"));
    EXPECT_EQ(ini.GetString("Cor", nullptr, "dflt"), QByteArray("dflt"));
    EXPECT_EQ(ini.GetString("Cor", nullptr), QByteArray(""));
    EXPECT_EQ(ini.GetInt("Cor", nullptr, 9), 9);
    EXPECT_EQ(ini.WriteString("Cor", nullptr, "x"), 0);
    EXPECT_EQ(ini.WriteString(nullptr, "Width", "x"), 0);
    EXPECT_EQ(ini.WriteInt("Cor", nullptr, 1), 0);
    EXPECT_EQ(Bytes(), "[Cor]\r\nWidth=3072\r\n");
}

TEST_F(IniTest, SetPathNullCutsABoundPathToEmpty)
{
    CIni bound(m_path.c_str());
    bound.SetPath(nullptr);
    ASSERT_NE(bound.GetPath(), nullptr);
    EXPECT_STREQ(bound.GetPath(), "");
    CIni unbound;
    unbound.SetPath(nullptr);
    EXPECT_EQ(unbound.GetPath(), nullptr);
    CIni rebound("first");
    rebound.SetPath(rebound.GetPath());
    EXPECT_STREQ(rebound.GetPath(), "first");
}

TEST_F(IniTest, SectionNamesSizeCountsTerminatorsAndGrowsPast512Bytes)
{
    g_Ini.SetPath(m_path.c_str());
    Make("[A]\r\n[BC]\r\n");
    EXPECT_EQ(GetSectionNamesSize(), 7u); // "A\0BC\0" and two more
    Make("");
    EXPECT_EQ(GetSectionNamesSize(), 2u);
    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "[Section" + std::to_string(100 + i) + "]\r\n"; // 10 bytes + NUL each
    Make(many);
    EXPECT_EQ(GetSectionNamesSize(), 1102u);
}

TEST_F(IniTest, SyfmSdkSectionIsFoundInAnyCaseAnywhereInTheList)
{
    g_Ini.SetPath(m_path.c_str());
    EXPECT_FALSE(HasSyfmSdkSection()); // no file
    Make("; no sections at all\r\n");
    EXPECT_FALSE(HasSyfmSdkSection());
    Make("[SYFMSDKX]\r\n[XSYFMSDK]\r\n");
    EXPECT_FALSE(HasSyfmSdkSection());
    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "[Section" + std::to_string(100 + i) + "]\r\n";
    Make(many + "[syfmsdk]\r\n");
    EXPECT_TRUE(HasSyfmSdkSection());
}

TEST_F(IniTest, SyfmSdkMarkerDiffersOnlyForAPresentOtherValue)
{
    g_Ini.SetPath(m_path.c_str());
    Make("[SYFMSDK]\r\nOther=1\r\n");
    EXPECT_FALSE(SyfmSdkMarkerDiffers());
    Make("[SYFMSDK]\r\nISYOUTOO={5A1C0E77-3B92-4F08-A6D4-9E2B71C04D3A}\r\n");
    EXPECT_FALSE(SyfmSdkMarkerDiffers());
    Make("[SYFMSDK]\r\nISYOUTOO=\r\n");
    EXPECT_TRUE(SyfmSdkMarkerDiffers());
    Make("[SYFMSDK]\r\nisyoutoo={5a1c0e77-3b92-4f08-a6d4-9e2b71c04d3a}\r\n");
    EXPECT_TRUE(SyfmSdkMarkerDiffers());
}

} // namespace

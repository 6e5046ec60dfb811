#include "ini/Profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

namespace {

class ProfileTest : public ::testing::Test
{
protected:
    ProfileTest()
    {
        std::string dir = (std::filesystem::temp_directory_path() / "kestrel-ini-XXXXXX").string();
        m_dir = ::mkdtemp(dir.data());
    }
    ~ProfileTest() override { std::filesystem::remove_all(m_dir); }

    std::string Path(const char* name = "test.ini") const { return m_dir + "/" + name; }
    std::string Make(const std::string& bytes, const char* name = "test.ini") const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    static std::string Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The value and the count, as one text: "val1/4".
    static std::string Get(const char* section, const char* key, const std::string& path,
                           const char* defaultValue = "default", DWORD size = 256)
    {
        char buffer[256];
        const DWORD n =
            GetPrivateProfileStringA(section, key, defaultValue, buffer, size, path.c_str());
        return std::string(buffer) + "/" + std::to_string(n);
    }
    static std::string List(const char* buffer, DWORD n) { return std::string(buffer, n + 2); }

    std::string m_dir;
};

const char kSections[] = "[section1]\r\n"
                         "name1=val1\r\n"
                         "name2=\"val2\"\r\n"
                         "name3\r\n"
                         "name4=a\r\n"
                         "[section2]\r\n";

TEST_F(ProfileTest, NamesMatchWithoutCaseAndBlanksAroundNamesAndValuesAreDropped)
{
    const std::string ini = Make("[ Cor ]\r\n  OriW   =  3072 \t\r\nWIDTH=\r\n");
    EXPECT_EQ(Get("cor", "oriw", ini), "3072/4");
    EXPECT_EQ(Get("COR", "OriW", ini), "3072/4");
    EXPECT_EQ(Get("Cor", "width", ini), "/0"); // present but empty: not the default
}

TEST_F(ProfileTest, MatchingQuotesAreRemovedOthersKept)
{
    const std::string ini = Make("[s]\r\n"
                                 "double=\"val2\"\r\n"
                                 "single='C:\\Kestrel'\r\n"
                                 "inner=\"  padded \"\r\n"
                                 "mixed=\"a'\r\n"
                                 "lone=\"\r\n"
                                 "middle=a\"b\"\r\n");
    EXPECT_EQ(Get("s", "double", ini), "val2/4");
    EXPECT_EQ(Get("s", "single", ini), "C:\\Kestrel/10");
    EXPECT_EQ(Get("s", "inner", ini), "  padded /9");
    EXPECT_EQ(Get("s", "mixed", ini), "\"a'/3");
    EXPECT_EQ(Get("s", "lone", ini), "\"/1");
    EXPECT_EQ(Get("s", "middle", ini), "a\"b\"/4");
}

TEST_F(ProfileTest, ReadCopiesAtMostSizeMinusOneAndReturnsTheCount)
{
    const std::string ini = Make(kSections);
    char buffer[16] = "kumquat";
    EXPECT_EQ(GetPrivateProfileStringA("section1", "name1", "default", buffer, 0, ini.c_str()), 0u);
    EXPECT_STREQ(buffer, "kumquat");
    EXPECT_EQ(Get("section1", "name1", ini, "default", 4), "val/3");
    EXPECT_EQ(Get("section1", "name1", ini, "default", 5), "val1/4");
    EXPECT_EQ(Get("section1", "name4", ini, "default", 1), "/0");
    EXPECT_EQ(Get("section1", "missing", ini, "default", 4), "def/3");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefaultWithoutTrailingBlanks)
{
    const std::string ini = Make(kSections);
    EXPECT_EQ(Get("section1", "name1", Path("absent.ini")), "default/7");
    EXPECT_EQ(Get("notasection", "name1", ini), "default/7");
    EXPECT_EQ(Get("section1", "notakey", ini), "default/7");
    EXPECT_EQ(Get("section1", "", ini), "default/7");
    EXPECT_EQ(Get("section1", "notakey", ini, nullptr), "/0");
    EXPECT_EQ(Get("section1", "notakey", ini, "one two  "), "one two/7");
    EXPECT_EQ(Get("section2", "DoesntExist", ini, ""), "/0");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("section1", "name1", "default", buffer, 16, nullptr), 7u);
    EXPECT_EQ(GetPrivateProfileStringA("section1", "name1", "default", buffer, 16, ""), 7u);
}

TEST_F(ProfileTest, CommentsAndLinesWithoutEqualsAreNoKeys)
{
    const std::string ini = Make("[s]\r\n; name=commented\r\n  ;x=1\r\nname3\r\n#k=v\r\n");
    EXPECT_EQ(Get("s", "name", ini), "default/7");
    EXPECT_EQ(Get("s", ";x", ini), "default/7");
    EXPECT_EQ(Get("s", "name3", ini), "default/7");
    EXPECT_EQ(Get("s", "#k", ini), "v/1"); // only ';' starts a comment
}

TEST_F(ProfileTest, FirstMatchingSectionAndKeyWin)
{
    const std::string ini =
        Make("top=before any section\r\n"
             "[A]\r\nk=first\r\nK=second\r\n[B]\r\nk=other\r\n[a]\r\nk=third\r\n"
             "j=later\r\n");
    EXPECT_EQ(Get("a", "k", ini), "first/5");
    EXPECT_EQ(Get("A", "j", ini), "default/7"); // lives in the second [a] only
    EXPECT_EQ(Get("", "top", ini), "default/7");
}

TEST_F(ProfileTest, NullSectionListsSectionsAndNullKeyListsKeys)
{
    const std::string ini = Make(kSections);
    char buffer[256];
    DWORD n = GetPrivateProfileStringA(nullptr, "name1", "default", buffer, 256, ini.c_str());
    EXPECT_EQ(n, 18u);
    EXPECT_EQ(List(buffer, n), std::string("section1\0section2\0\0", 19 + 1));
    n = GetPrivateProfileStringA(nullptr, "name1", "default", buffer, 16, ini.c_str());
    EXPECT_EQ(n, 14u);
    EXPECT_EQ(List(buffer, n), std::string("section1\0secti\0\0", 16));

    n = GetPrivateProfileStringA("SECTION1", nullptr, "default", buffer, 256, ini.c_str());
    EXPECT_EQ(n, 18u); // name3 has no '=': not listed
    EXPECT_EQ(List(buffer, n), std::string("name1\0name2\0name4\0\0", 20));
    n = GetPrivateProfileStringA("section1", nullptr, "default", buffer, 16, ini.c_str());
    EXPECT_EQ(n, 14u);
    EXPECT_EQ(List(buffer, n), std::string("name1\0name2\0na\0\0", 16));
}

TEST_F(ProfileTest, SectionNamesReportSizeMinusTwoWhenTheBufferIsTooSmall)
{
    const std::string ini = Make("[ section1 ]\r\n[section2]\r\n[section3]\r\n");
    char buffer[64];
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 29, ini.c_str()), 27u);
    EXPECT_EQ(std::string(buffer, 28), std::string("section1\0section2\0section3\0\0", 28));
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 28, ini.c_str()), 26u);
    EXPECT_EQ(buffer[26], '\0');
    EXPECT_EQ(buffer[27], '\0');
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 27, ini.c_str()), 25u);
    EXPECT_EQ(std::string(buffer, 28), std::string("section1\0section2\0section\0\0x", 28));

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 10, Path("absent.ini").c_str()), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');
}

TEST_F(ProfileTest, ReadsFilesWithCrOnlyOrLfLineEnds)
{
    const std::string cr = Make("[section1]\rname1=val1\rname2=\"val2\"\r[section2]\r", "cr.ini");
    EXPECT_EQ(Get("section1", "name2", cr), "val2/4");
    EXPECT_EQ(Get("section2", "name1", cr), "default/7");
    const std::string lf = Make("[section1]\nname1=val1\n", "lf.ini");
    EXPECT_EQ(Get("section1", "name1", lf), "val1/4");
}

TEST_F(ProfileTest, WritesBuildAndShrinkAFileAsWindowsDoes)
{
    const std::string ini = Path();
    ASSERT_TRUE(WritePrivateProfileStringA("App1", "key1", "string1", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("App1", "key2", "string2", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("App2", "key4", "string4", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("App1", "key3", "string3", ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n"
                          "[App2]\r\nkey4=string4\r\n");

    EXPECT_TRUE(WritePrivateProfileStringA("app1", "KEY2", nullptr, ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("App1", "key2", nullptr, ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n");

    EXPECT_TRUE(WritePrivateProfileStringA("APP1", nullptr, "ignored", ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[App2]\r\nkey4=string4\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("App2", "key4", nullptr, ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[App2]\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("App2", "empty", "", ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[App2]\r\nempty=\r\n");
}

// Windows opens the file before it looks for what to delete, so deleting
// from a missing file creates it empty (Wine's profile.c,
// test_WritePrivateProfileString, "NULL lpKeyName" and "NULL lpString": marked
// todo_wine, Wine alone leaves no file). In a missing folder the file cannot be
// created, which fails as a value written there does (WelliSolutions
// Writing_Tests, Given_AFileInANonExistingDirectory_..._Then_WeGetAPathNotFoundError).
TEST_F(ProfileTest, DeletingFromAMissingFileCreatesItEmpty)
{
    const std::string ini = Path();
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "key", "string", ini.c_str()));
    EXPECT_FALSE(std::filesystem::exists(ini));
    EXPECT_TRUE(WritePrivateProfileStringA("App", nullptr, "string", ini.c_str()));
    EXPECT_TRUE(std::filesystem::exists(ini));
    EXPECT_EQ(Bytes(ini), "");

    const std::string other = Path("other.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("App", "key", nullptr, other.c_str()));
    EXPECT_TRUE(std::filesystem::exists(other));
    EXPECT_EQ(Bytes(other), "");
    EXPECT_TRUE(WritePrivateProfileStringA("App", "key", nullptr, other.c_str()));

    const std::string nowhere = Path("no/such/dir.ini");
    EXPECT_FALSE(WritePrivateProfileStringA("App", "key", nullptr, nowhere.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("App", nullptr, nullptr, nowhere.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("App", "key", "string", ""));
    EXPECT_FALSE(WritePrivateProfileStringA("App", "key", "string", nullptr));

    const std::string later = Path("later.ini");
    profile::BeginTransaction();
    EXPECT_TRUE(WritePrivateProfileStringA("App", nullptr, nullptr, later.c_str()));
    EXPECT_FALSE(std::filesystem::exists(later));
    EXPECT_TRUE(profile::CommitTransaction().empty());
    EXPECT_EQ(Bytes(later), "");
    EXPECT_TRUE(std::filesystem::exists(later));
}

// A workstation file as service engineers leave it: comments, blank lines,
// odd spacing and spelling, a key Windows cannot read, no final line end.
const char kWorkstation[] = "; Kestrel workstation settings\r\n"
                            "\r\n"
                            "[CONTROLPANNEL]\r\n"
                            "Device = 11\r\n"
                            "  Language=ENG   \r\n"
                            "\r\n"
                            "[Cor]\r\n"
                            "OriW\t= 3072\r\n"
                            "PixelSpacing = \"0.143\"\r\n"
                            "disabled\r\n"
                            "; UseMultiCor=1\r\n"
                            "\r\n"
                            "; viewer settings follow\r\n"
                            "[SYSTEM]\r\n"
                            "Modality Mode=0";

TEST_F(ProfileTest, WritesChangeOnlyTheLinesTheyConcern)
{
    const std::string ini = Make(kWorkstation);
    ASSERT_TRUE(WritePrivateProfileStringA("cor", "ORIW", "2816", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Cor", "Width", "2800", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("ControlPannel", "language", "KOR", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("System", "Modality Mode", "2", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Viewer", "Count", "1", ini.c_str()));
    EXPECT_EQ(Bytes(ini), "; Kestrel workstation settings\r\n"
                          "\r\n"
                          "[CONTROLPANNEL]\r\n"
                          "Device = 11\r\n"
                          "  Language=KOR   \r\n"
                          "\r\n"
                          "[Cor]\r\n"
                          "OriW\t= 2816\r\n"
                          "PixelSpacing = \"0.143\"\r\n"
                          "disabled\r\n"
                          "Width=2800\r\n"
                          "; UseMultiCor=1\r\n"
                          "\r\n"
                          "; viewer settings follow\r\n"
                          "[SYSTEM]\r\n"
                          "Modality Mode=2\r\n"
                          "[Viewer]\r\n"
                          "Count=1\r\n");
}

TEST_F(ProfileTest, NewLinesTakeTheFileOwnLineEnd)
{
    const std::string lf = Make("[A]\nx=1\n", "lf.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("A", "y", "2", lf.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("B", "z", "3", lf.c_str()));
    EXPECT_EQ(Bytes(lf), "[A]\nx=1\ny=2\n[B]\nz=3\n");

    const std::string unended = Make("[A]\nx=1", "unended.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("A", "y", "2", unended.c_str()));
    EXPECT_EQ(Bytes(unended), "[A]\nx=1\ny=2\n");

    const std::string cr = Make("[A]\rx=1\r", "cr.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("A", "y", "2", cr.c_str()));
    EXPECT_EQ(Bytes(cr), "[A]\rx=1\ry=2\r");
}

TEST_F(ProfileTest, ValuesAreBytesAndOddBytesElsewhereStay)
{
    const std::string head("\xA0[Cor]\r\n[Cor]\r\nData \0 with \0 NULs\r\nName=", 40);
    const std::string ini = Make(head + "x\r\n");
    const char korean[] = "\xC7\xD1\xB1\xDB \xB8\xED";
    ASSERT_TRUE(WritePrivateProfileStringA("Cor", "Name", korean, ini.c_str()));
    EXPECT_EQ(Get("Cor", "Name", ini), std::string(korean) + "/7");
    EXPECT_EQ(Bytes(ini), head + korean + "\r\n");
}

TEST_F(ProfileTest, WriteToReadOnlyFileFailsEvenForTheSuperuser)
{
    const std::string ini = Make("[Cor]\r\nWidth=3072\r\n");
    ::chmod(ini.c_str(), 0444);
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Width", "2048", ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=3072\r\n");
    EXPECT_EQ(Get("Cor", "Width", ini), "3072/4");
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Width", "1", Path("no/such/dir.ini").c_str()));
}

TEST_F(ProfileTest, LineBreaksInNamesOrValuesAreRefused)
{
    const std::string ini = Make("[Cor]\r\nWidth=3072\r\n");
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Width", "1\r\n[Evil]\r\nx=1", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Wid\nth", "1", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("C\ror", "Width", "1", ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=3072\r\n");
}

// Found by fuzzing: a key named "[x" wrote a line that reads as a section.
// Names under which a value would not read back are refused like line breaks.
TEST_F(ProfileTest, NamesThatWouldWriteOtherLinesAreRefused)
{
    const std::string ini = Make("[Cor]\r\nWidth=3072\r\n");
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "[Evil", "1", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", " ;hidden", "1", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Width=1\tX", "2", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("Cor]x", "Width", "1", ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=3072\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("[Cor;1", "Key]", "a=b", ini.c_str()));
    EXPECT_EQ(Get("[Cor;1", "Key]", ini), "a=b/3");
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "[Evil", nullptr, ini.c_str()))
        << "deleting writes no line";
}

} // namespace

namespace {

std::string Utf16(const std::string& latin1)
{
    std::string wide = "\xFF\xFE";
    for (char c : latin1)
        wide += std::string{c, '\0'};
    return wide;
}

} // namespace

TEST_F(ProfileTest, Utf16FilesAreReadAndWrittenAsUtf16)
{
    const std::string ini = Make(Utf16("[Cor]\r\nWidth=3072\r\n; caf\xE9\r\nPath=C:\\x\r\n"));
    EXPECT_EQ(Get("Cor", "Width", ini), "3072/4");
    EXPECT_TRUE(WritePrivateProfileStringA("Cor", "Width", "2048", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("New", "k", "v", ini.c_str()));
    EXPECT_EQ(Bytes(ini),
              Utf16("[Cor]\r\nWidth=2048\r\n; caf\xE9\r\nPath=C:\\x\r\n[New]\r\nk=v\r\n"));
}

// Text the code page cannot hold would be lost by a write: such a file, or
// one cut in the middle of a character, reads as empty and is never written.
TEST_F(ProfileTest, Utf16BeyondTheCodePageIsNeverWritten)
{
    for (const std::string& bytes :
         {Utf16("[Cor]\r\nWidth=3072\r\n") + "\x3A\x26", Utf16("[Cor]\r\nWidth=3072\r\n") + "x"}) {
        const std::string ini = Make(bytes);
        EXPECT_EQ(Get("Cor", "Width", ini), "default/7");
        EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Width", "1", ini.c_str()));
        profile::BeginTransaction();
        EXPECT_FALSE(WritePrivateProfileStringA("Cor", "Width", "1", ini.c_str()));
        const auto failures = profile::CommitTransaction();
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].reason, "UTF-16 text beyond the code page");
        EXPECT_EQ(Bytes(ini), bytes);
    }
}

// Found by fuzzing: a name with spaces around it was written as given, and a
// read looked for it with its spaces, which no name read from a file keeps.
TEST_F(ProfileTest, NamesWithSpacesAroundThemReadBackAsWritten)
{
    const std::string ini = Make("[Cor]\r\nWidth=1\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("New  ", " Key ", "v", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA(" Cor", "Width ", "2", ini.c_str()));
    EXPECT_EQ(Get("New  ", " Key ", ini), "v/1");
    EXPECT_EQ(Get("New", "Key", ini), "v/1");
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=2\r\n[New]\r\nKey=v\r\n");
}

// Only spaces are cut from the end of a default: WelliSolutions WhiteSpace_Tests,
// Given_ADefaultValueWithTrailingWhitespace_When_TheDefaultValueIsReturned_Then_OnlySpacesAreStripped,
// and the disassembly of the default handling (it compares with ' ' alone).
TEST_F(ProfileTest, DefaultLosesOnlyTrailingSpaces)
{
    const std::string ini = Make("[s]\r\nk=v\r\n");
    EXPECT_EQ(Get("s", "missing", ini, "def\t"), "def\t/4");
    EXPECT_EQ(Get("s", "missing", ini, "\tdef\v"), "\tdef\v/5");
    EXPECT_EQ(Get("s", "missing", ini, "  def \t  "), "  def \t/7");
    EXPECT_EQ(Get("none", "k", Path("absent.ini"), "x\t "), "x\t/2");
}

// Names given by the caller lose only their spaces; a tab or vertical tab stays
// part of the name, so it matches no name read from the file (whose blanks are
// cut) and is written as given. WelliSolutions WhiteSpace_Tests:
// Given_ASectionParameterWithTabs_When_TheValueIsRead_Then_TheTabsAreNotStripped,
// Given_AKeyParameterWithWhitespaces_When_TheValueIsRead_Then_TheKeyCannotBeFound,
// Given_ASectionParameterWithWhitespaces_When_TheSectionIsWritten_Then_OnlySpacesAreStripped,
// Given_AKeyParameterWithWhitespaces_When_TheValueIsWritten_Then_OnlySpacesAreStripped.
TEST_F(ProfileTest, CallerNamesLoseOnlySpaces)
{
    const std::string ini = Make("[Sec]\r\nk=1\r\n");
    EXPECT_EQ(Get("\tSec", "k", ini), "default/7");
    EXPECT_EQ(Get("Sec\v", "k", ini), "default/7");
    EXPECT_EQ(Get("Sec", "k\t", ini), "default/7");
    EXPECT_EQ(Get(" Sec  ", "  k ", ini), "1/1");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("\tSec", nullptr, "", buffer, 16, ini.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileStringA(" Sec ", nullptr, "", buffer, 16, ini.c_str()), 2u);

    EXPECT_TRUE(WritePrivateProfileStringA("Sec", "\tk", "2", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Sec", "new\t", "3", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Sec", "k\t", nullptr, ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("\tSec", nullptr, nullptr, ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[Sec]\r\nk=1\r\n\tk=2\r\nnew\t=3\r\n");
    EXPECT_EQ(Get("Sec", "k", ini), "1/1");
    EXPECT_EQ(Get("Sec", "new", ini), "3/1");
    EXPECT_EQ(Get("Sec", "\tk", ini), "default/7");
    EXPECT_EQ(Get("Sec", "new\t", ini), "default/7");

    const std::string fresh = Path("fresh.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("\tsec\v", "key", "v", fresh.c_str()));
    EXPECT_EQ(Bytes(fresh), "[\tsec\v]\r\nkey=v\r\n");
    EXPECT_EQ(Get("sec", "key", fresh), "v/1");
}

// A tab before '[' or ';' still starts a section or a comment in the file, so
// such a key would not read back: refused like a key that starts with them.
TEST_F(ProfileTest, KeysStartingASectionOrCommentAfterATabAreRefused)
{
    const std::string ini = Make("[Cor]\r\nWidth=3072\r\n");
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", "\t[Evil", "1", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("Cor", " \v;hidden", "1", ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[Cor]\r\nWidth=3072\r\n");
}

// WelliSolutions UTF8_Tests:
// Given_AFileWithUTF8BOM_When_ReadingTheContent_Then_TheFirstLineIsBroken (only the first section
// is lost) and Given_AFileWithUTF8BOM_When_WritingToTheFile_Then_WeGetReplacementCharacters (the
// mark stays, as a first line of its own, ahead of the new section).
TEST_F(ProfileTest, Utf8ByteOrderMarkIsTextOfTheFirstLine)
{
    const std::string bytes = "\xEF\xBB\xBF[S]\r\nk=v\r\n[T]\r\nk=w\r\n";
    const std::string ini = Make(bytes);
    EXPECT_EQ(Get("S", "k", ini), "default/7");
    EXPECT_EQ(Get("T", "k", ini), "w/1");
    char buffer[32];
    const DWORD n = GetPrivateProfileSectionNamesA(buffer, sizeof buffer, ini.c_str());
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(std::string(buffer, 3), std::string("T\0\0", 3));
    EXPECT_TRUE(WritePrivateProfileStringA("S", nullptr, nullptr, ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("S", "k", nullptr, ini.c_str()));
    EXPECT_EQ(Bytes(ini), bytes);

    const std::string markOnly = Make("\xEF\xBB\xBF", "mark.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "v", markOnly.c_str()));
    EXPECT_EQ(Bytes(markOnly), "\xEF\xBB\xBF\r\n[S]\r\nk=v\r\n");
}

// WelliSolutions Semicolon_Tests,
// Given_AnIniFileWithExistingComments_When_DeletingASection_Then_TheyAreNotDeleted.
TEST_F(ProfileTest, DeletingASectionKeepsItsComments)
{
    const std::string ini = Make(";comment0\r\n[s1]\r\n;comment1\r\n[s2]\r\n;comment2\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("s1", nullptr, nullptr, ini.c_str()));
    EXPECT_EQ(Bytes(ini), ";comment0\r\n;comment1\r\n[s2]\r\n;comment2\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("s2", nullptr, nullptr, ini.c_str()));
    EXPECT_EQ(Bytes(ini), ";comment0\r\n;comment1\r\n;comment2\r\n");

    // Keys, blank lines and lines without '=' go with the section; a key
    // written later to the section before lands above the kept comments.
    const std::string mixed =
        Make("[a]\r\nx=1\r\n[b]\r\n; keep\r\ny=2\r\n\r\nloose\r\n  ;also\r\n[c]\r\n", "mixed.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("B", nullptr, nullptr, mixed.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("a", "z", "3", mixed.c_str()));
    EXPECT_EQ(Bytes(mixed), "[a]\r\nx=1\r\nz=3\r\n; keep\r\n  ;also\r\n[c]\r\n");
    EXPECT_EQ(Get("b", "y", mixed), "default/7");
}

// Cases no Windows test settles, kept as they were: a deletion takes every
// occurrence, so that what was deleted reads as missing; a key list of a
// missing section is the caller's default, of an empty one nothing; quotes
// come off before a value is cut; ^Z is an ordinary byte.
TEST_F(ProfileTest, CasesWithoutWindowsEvidenceKeepTheirBehaviour)
{
    const std::string ini = Make("[A]\r\nk=1\r\nk=2\r\n[B]\r\n[Q]\r\nCount=\"quoted\"\r\n"
                                 "z\x1A=v\x1A\r\n[a]\r\nk=3\r\n");
    EXPECT_EQ(Get("Q", "Count", ini, "d", 7), "quoted/6");
    EXPECT_EQ(Get("Q", "z\x1A", ini), "v\x1A/2");
    EXPECT_EQ(Get("Q", "z", ini), "default/7");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("B", nullptr, "x", buffer, 16, ini.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileStringA("C", nullptr, "def  ", buffer, 16, ini.c_str()), 3u);
    EXPECT_STREQ(buffer, "def");

    EXPECT_TRUE(WritePrivateProfileStringA("A", "k", nullptr, ini.c_str()));
    EXPECT_EQ(Get("A", "k", ini), "default/7");
    EXPECT_TRUE(WritePrivateProfileStringA(" a ", nullptr, nullptr, ini.c_str()));
    EXPECT_EQ(Bytes(ini), "[B]\r\n[Q]\r\nCount=\"quoted\"\r\nz\x1A=v\x1A\r\n");
}

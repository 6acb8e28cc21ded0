// The INI layer: lookups with the Windows reading rules, writes that keep
// every line they do not change, and failures that are reported, not crashed.
#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-ini-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/test.ini";
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  void WriteBytes(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string ReadBytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    return names;
  }

  std::string dir_;
  std::string path_;
};

TEST_F(IniFileTest, MissingFileGivesDefaults) {
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", -1, path_), -1);
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "Separator", "-", path_, 4), "-");
  // Trailing blanks of a default are dropped, as Windows does.
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "DesDir", "/music/  ", path_, 256), "/music/");
  unsigned char data[4] = {1, 2, 3, 4};
  EXPECT_FALSE(GetPrivateProfileStruct("Position", "x", data, sizeof data, path_));
  EXPECT_EQ(data[0], 1);
  EXPECT_FALSE(fs::exists(path_));
  // A folder in the path that is really a file also counts as missing.
  WriteBytes("x");
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 9, path_ + "/inner.ini"), 9);
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndValuesAreLiteral) {
  WriteBytes(
      "[misc]\n"
      "DBCLK=5\n"
      "[Output]\n"
      "desdir=C:\\Music\\Out\\\n"
      "Escapes=a\\tb\\nc\\\\\n"
      "  Spaced   =   value with  inner  blanks   \n"
      "Quoted=\"  kept blanks  \"\n"
      "Single='x'\n"
      "Unbalanced=\"open\n"
      "Mixed=\"a'\n"
      "EmptyQuotes=\"\"\n"
      "Lone=\"\n");
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", -1, path_), 5);
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "DesDir", "", path_, 256), "C:\\Music\\Out\\");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "escapes", "", path_, 256), "a\\tb\\nc\\\\");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "Spaced", "", path_, 256), "value with  inner  blanks");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "Quoted", "", path_, 256), "  kept blanks  ");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "Single", "", path_, 256), "x");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "Unbalanced", "", path_, 256), "\"open");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "Mixed", "", path_, 256), "\"a'");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "EmptyQuotes", "def", path_, 256), "");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "Lone", "", path_, 256), "\"");
  // A key of another section is not found.
  EXPECT_EQ(GetPrivateProfileInt("OUTPUT", "DbClk", 7, path_), 7);
}

TEST_F(IniFileTest, IntegersParseLikeWindows) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"12", 12},       {"-3", -3},         {"+7", 7},         {"12abc", 12},  {"abc", 0}, {"- 5", 0},
      {"0x10", 16},     {"0X1f", 31},       {"0b101", 5},      {"0o17", 15},   {"0x", 0},  {"007", 7},
      {"70000", 70000}, {"4294967295", -1}, {"4294967297", 1}, {"\"-1\"", -1}, {"1.5", 1}, {"--1", 0},
  };
  std::string text = "[N]\n";
  for (size_t i = 0; i < std::size(cases); ++i) text += "k" + std::to_string(i) + "=" + cases[i].text + "\n";
  text += "empty=\nblank=   \n";
  WriteBytes(text);
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(GetPrivateProfileInt("N", "k" + std::to_string(i), 99, path_), cases[i].expected)
        << cases[i].text;
  }
  // An empty value counts as missing.
  EXPECT_EQ(GetPrivateProfileInt("N", "empty", 99, path_), 99);
  EXPECT_EQ(GetPrivateProfileInt("N", "blank", 99, path_), 99);
}

TEST_F(IniFileTest, BufferLengthCountsCharacters) {
  WriteBytes("[S]\nUmlauts=\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\nLong=abcdef\n");
  EXPECT_EQ(GetPrivateProfileString("S", "Umlauts", "", path_, 3), "\xC3\xA4\xC3\xB6");
  EXPECT_EQ(GetPrivateProfileString("S", "Umlauts", "", path_, 256), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");
  EXPECT_EQ(GetPrivateProfileString("S", "Long", "", path_, 4), "abc");
  EXPECT_EQ(GetPrivateProfileString("S", "Long", "", path_, 1), "");
  EXPECT_EQ(GetPrivateProfileString("S", "Long", "", path_, 0), "");
  EXPECT_EQ(GetPrivateProfileString("S", "Missing", "defaults", path_, 4), "def");
}

TEST_F(IniFileTest, ValueIsCutAtNul) {
  WriteBytes(std::string("[S]\nK=ab\0cd\n", 12));
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", path_, 256), "ab");
}

TEST_F(IniFileTest, DamagedLinesAreSkipped) {
  WriteBytes(
      "orphan=before any section\n"
      "[A]\n"
      "no equals sign here\n"
      "=no key\n"
      "[Broken header\n"
      "InA=1\n"
      "; Commented=2\n"
      "[B] ; trailing text\n"
      "InB=3\n"
      "\x01\x02 binary junk\n"
      "InB2=4\n");
  EXPECT_EQ(GetPrivateProfileInt("A", "InA", 0, path_), 1);  // the broken header starts nothing
  EXPECT_EQ(GetPrivateProfileInt("A", "Commented", 0, path_), 0);
  EXPECT_EQ(GetPrivateProfileInt("A", "; Commented", 0, path_), 0);
  EXPECT_EQ(GetPrivateProfileInt("B", "InB", 0, path_), 3);
  EXPECT_EQ(GetPrivateProfileInt("B", "InB2", 0, path_), 4);
  EXPECT_EQ(GetPrivateProfileString("", "orphan", "none", path_, 256), "none");
  EXPECT_EQ(GetPrivateProfileInt("A", "no equals sign here", 5, path_), 5);
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWin) {
  WriteBytes("[S]\nK=1\nk=2\n[s]\nK=3\nOnlyInSecond=4\n");
  EXPECT_EQ(GetPrivateProfileInt("S", "K", 0, path_), 1);
  EXPECT_EQ(GetPrivateProfileInt("S", "OnlyInSecond", 0, path_), 0);
  ASSERT_TRUE(WritePrivateProfileString("S", "K", "9", path_));
  EXPECT_EQ(ReadBytes(), "[S]\nK=9\nk=2\n[s]\nK=3\nOnlyInSecond=4\n");
}

TEST_F(IniFileTest, Utf8ByteOrderMarkIsReadAndKept) {
  WriteBytes("\xEF\xBB\xBF[MISC]\nDbClk=1\n");
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", -1, path_), 1);
  ASSERT_TRUE(WritePrivateProfileString("MISC", "DriveNum", "2", path_));
  EXPECT_EQ(ReadBytes(), "\xEF\xBB\xBF[MISC]\nDbClk=1\nDriveNum=2\n");
}

TEST_F(IniFileTest, Utf16FileIsReadAndWrittenBackAsUtf16) {
  auto utf16 = [](const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
      out.push_back(c);
      out.push_back('\0');
    }
    return out;
  };
  WriteBytes(utf16("[MISC]\r\nDbClk=1\r\n"));
  EXPECT_EQ(GetPrivateProfileInt("misc", "dbclk", -1, path_), 1);
  ASSERT_TRUE(WritePrivateProfileString("MISC", "Tip", "0", path_));
  EXPECT_EQ(ReadBytes(), utf16("[MISC]\r\nDbClk=1\r\nTip=0\r\n"));
}

TEST_F(IniFileTest, AnsiLineIsReadAsWindows1252) {
  WriteBytes("[OUTPUT]\nDesDir=C:\\M\xFCsik\\\x80\n");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "DesDir", "", path_, 256), "C:\\M\xC3\xBCsik\\\xE2\x82\xAC");
  // Lines a write does not change keep their bytes.
  ASSERT_TRUE(WritePrivateProfileString("OUTPUT", "Separator", "-", path_));
  EXPECT_EQ(ReadBytes(), "[OUTPUT]\nDesDir=C:\\M\xFCsik\\\x80\nSeparator=-\n");
}

TEST_F(IniFileTest, WriteKeepsForeignLinesAndLineEnds) {
  const std::string original =
      "; comment\r\n"
      "[MISC]\r\n"
      "  dbclk = 4  \r\n"
      "Foreign=kept as is \r\n"
      "garbage line\r\n"
      "\r\n"
      "[OTHER]\r\n"
      "X=1";
  WriteBytes(original);
  ASSERT_TRUE(WritePrivateProfileString("MISC", "DbClk", "-1", path_));
  ASSERT_TRUE(WritePrivateProfileString("MISC", "LastPage", "1", path_));
  ASSERT_TRUE(WritePrivateProfileString("NEW", "Key", "v", path_));
  EXPECT_EQ(ReadBytes(),
            "; comment\r\n"
            "[MISC]\r\n"
            "dbclk=-1\r\n"
            "Foreign=kept as is \r\n"
            "garbage line\r\n"
            "LastPage=1\r\n"
            "\r\n"
            "[OTHER]\r\n"
            "X=1\r\n"
            "[NEW]\r\n"
            "Key=v\r\n");
}

TEST_F(IniFileTest, NewFileIsCreatedWithLfLines) {
  ASSERT_TRUE(WritePrivateProfileString("MISC", "DbClk", "-1", path_));
  ASSERT_TRUE(WritePrivateProfileString("OUTPUT", "DesDir", "C:\\a\\b\\", path_));
  EXPECT_EQ(ReadBytes(), "[MISC]\nDbClk=-1\n[OUTPUT]\nDesDir=C:\\a\\b\\\n");
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "DesDir", "", path_, 256), "C:\\a\\b\\");
}

TEST_F(IniFileTest, ValuesThatWouldChangeOnReadAreQuoted) {
  const std::string values[] = {" ", " lead", "trail\t", "\"quoted\"", "'single'", "\"", "a\"b\"", ""};
  for (const std::string& v : values) {
    ASSERT_TRUE(WritePrivateProfileString("S", "K", v, path_)) << v;
    EXPECT_EQ(GetPrivateProfileString("S", "K", "x", path_, 256), v);
  }
  ASSERT_TRUE(WritePrivateProfileString("S", "K", " ", path_));
  EXPECT_EQ(ReadBytes(), "[S]\nK=\" \"\n");
}

TEST_F(IniFileTest, UnstorableNamesAndValuesAreRefused) {
  ASSERT_TRUE(WritePrivateProfileString("S", "K", "1", path_));
  const std::string before = ReadBytes();
  struct Case {
    std::string section, key, value;
  };
  const Case cases[] = {
      {"S", "K", "line\nbreak"}, {"S", "K", "cr\rhere"}, {"S", "K", std::string("nul\0", 4)},
      {"S", "a=b", "1"},         {"S", "", "1"},         {"S", "[K", "1"},
      {"S", ";K", "1"},          {"S", " K", "1"},       {"", "K", "1"},
      {"S\n[X]", "K", "1"},      {"S", "K", "\xFF\xFE"},
  };
  for (const Case& c : cases) {
    errno = 0;
    EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, path_)) << c.key << "=" << c.value;
    EXPECT_EQ(errno, EINVAL);
  }
  EXPECT_EQ(ReadBytes(), before);
}

TEST_F(IniFileTest, DeleteKeyAndSection) {
  WriteBytes("[A]\nK=1\nk=2\nL=3\n[B]\nM=4\n");
  ASSERT_TRUE(DeletePrivateProfileKey("a", "K", path_));
  EXPECT_EQ(ReadBytes(), "[A]\nL=3\n[B]\nM=4\n");
  ASSERT_TRUE(DeletePrivateProfileSection("A", path_));
  EXPECT_EQ(ReadBytes(), "[B]\nM=4\n");
  // Removing what is not there succeeds and leaves no new file behind.
  EXPECT_TRUE(DeletePrivateProfileKey("Z", "K", path_));
  EXPECT_TRUE(DeletePrivateProfileSection("Z", dir_ + "/none.ini"));
  EXPECT_FALSE(fs::exists(dir_ + "/none.ini"));
}

TEST_F(IniFileTest, KeysListsEachNameOnce) {
  IniFile ini;
  ini.Parse("[S]\nB=1\na=2\nb=3\nbroken\nC=4\n[T]\nD=5\n");
  EXPECT_EQ(ini.Keys("s"), (std::vector<std::string>{"B", "a", "C"}));
  EXPECT_TRUE(ini.Keys("none").empty());
}

TEST_F(IniFileTest, WriteIntoMissingFolderFailsCleanly) {
  const std::string inMissing = dir_ + "/missing/test.ini";
  errno = 0;
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "1", inMissing));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(fs::exists(dir_ + "/missing"));
  // A file where the folder should be.
  WriteBytes("[MISC]\n");
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "1", path_ + "/inner.ini"));
  EXPECT_EQ(ReadBytes(), "[MISC]\n");
}

TEST_F(IniFileTest, FailedReplaceLeavesOldFileAndNoTemporaryFile) {
  // The target is a folder: the new content is written, but cannot replace it.
  fs::create_directory(path_);
  fs::path marker = fs::path(path_) / "inside";
  std::ofstream(marker) << "x";
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "1", path_));
  IniFile fresh;
  fresh.Set("MISC", "DbClk", "1");
  EXPECT_THROW(fresh.Save(path_), IniFileError);
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"test.ini"});
  // Reading it is a failure of the file, reported by the class and treated as
  // missing by the lookups.
  IniFile ini;
  EXPECT_THROW(ini.Load(path_), IniFileError);
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 3, path_), 3);
}

TEST_F(IniFileTest, ReadOnlyFolderFailsCleanly) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  WriteBytes("[MISC]\nDbClk=1\n");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "2", path_));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 0, path_), 1);
}

TEST_F(IniFileTest, WritesLeaveNoTemporaryFilesAndKeepModeAndLinks) {
  WriteBytes("[S]\nK=1\n");
  ::chmod(path_.c_str(), 0640);
  const std::string link = dir_ + "/link.ini";
  fs::create_symlink(path_, link);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(WritePrivateProfileString("S", "K", std::to_string(i), link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(), "[S]\nK=4\n");
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  auto entries = FolderEntries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"link.ini", "test.ini"}));
}

TEST_F(IniFileTest, StructValuesUseHexWithChecksum) {
  const unsigned char small[2] = {0x01, 0xFE};
  ASSERT_TRUE(WritePrivateProfileStruct("Position", "{GUID}", small, sizeof small, path_));
  EXPECT_EQ(ReadBytes(), "[Position]\n{GUID}=01FEFF\n");

  unsigned char placement[44];
  for (size_t i = 0; i < sizeof placement; ++i) placement[i] = static_cast<unsigned char>(i * 37 + 5);
  ASSERT_TRUE(WritePrivateProfileStruct("Position", "{Other}", placement, sizeof placement, path_));
  unsigned char back[44] = {};
  ASSERT_TRUE(GetPrivateProfileStruct("position", "{other}", back, sizeof back, path_));
  EXPECT_EQ(std::memcmp(back, placement, sizeof back), 0);
}

TEST_F(IniFileTest, DamagedStructValuesAreRefused) {
  WriteBytes(
      "[Position]\n"
      "BadSum=01FE00\n"
      "BadDigit=0GFEFF\n"
      "Short=01FF\n"
      "Lower=01feff\n");
  unsigned char data[2] = {0xAA, 0xBB};
  EXPECT_FALSE(GetPrivateProfileStruct("Position", "BadSum", data, 2, path_));
  EXPECT_FALSE(GetPrivateProfileStruct("Position", "BadDigit", data, 2, path_));
  EXPECT_FALSE(GetPrivateProfileStruct("Position", "Short", data, 2, path_));
  EXPECT_FALSE(GetPrivateProfileStruct("Position", "Lower", data, 3, path_));
  EXPECT_EQ(data[0], 0xAA);
  EXPECT_EQ(data[1], 0xBB);
  EXPECT_TRUE(GetPrivateProfileStruct("Position", "Lower", data, 2, path_));
  EXPECT_EQ(data[1], 0xFE);
}

TEST_F(IniFileTest, OneLoadServesManyLookups) {
  WriteBytes("[S]\nA=1\nB=two\n");
  IniFile ini;
  ini.Load(path_);
  EXPECT_EQ(ini.GetInt("S", "A", 0), 1);
  EXPECT_EQ(ini.GetString("S", "B", "", 256), "two");
  ini.Set("S", "C", "3");
  ini.Save(path_);
  EXPECT_EQ(ReadBytes(), "[S]\nA=1\nB=two\nC=3\n");
}

}  // namespace

// The INI layer: lookups with the Windows reading rules, writes that keep
// every line they do not change, and failures that are reported, not crashed.
#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

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
  std::string Get(const std::string& section, const std::string& key, int size = 256) const {
    return GetPrivateProfileString(section, key, "", path_, size);
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_, path_;
};

TEST_F(IniFileTest, MissingFileGivesDefaults) {
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", -1, path_), -1);
  // Trailing blanks of a default are dropped, as Windows does.
  EXPECT_EQ(GetPrivateProfileString("OUTPUT", "DesDir", "/music/  ", path_, 256), "/music/");
  unsigned char data[4] = {1, 2, 3, 4};
  EXPECT_FALSE(GetPrivateProfileStruct("Position", "x", data, sizeof data, path_));
  EXPECT_EQ(data[0], 1);
  EXPECT_FALSE(fs::exists(path_));
  // A folder in the path that is really a file also counts as missing.
  WriteBytes("x");
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 9, path_ + "/inner.ini"), 9);
  // Only regular files are read: a FIFO would block the open, a device would
  // never end. Both count as missing to the lookups and fail a load or a write.
  const std::string fifo = dir_ + "/fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& odd : {fifo, std::string("/dev/zero")}) {
    EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 9, odd), 9) << odd;
    IniFile ini;
    EXPECT_THROW(ini.Load(odd), IniFileError) << odd;
  }
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "1", fifo));
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndValuesAreLiteral) {
  const std::string text =
      "[misc]\nDBCLK=5\n[Output]\ndesdir=C:\\Music\\Out\\\nEscapes=a\\tb\\nc\\\\\n"
      "  Spaced   =   value with  inner  blanks   \nQuoted=\"  kept blanks  \"\nSingle='x'\n"
      "Unbalanced=\"open\nMixed=\"a'\nEmptyQuotes=\"\"\nLone=\"\n";
  WriteBytes(text + "[S]\nK=1\nk=2\n[s]\nK=3\nOnlyInSecond=4\n");
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", -1, path_), 5);
  EXPECT_EQ(GetPrivateProfileInt("OUTPUT", "DbClk", 7, path_), 7);  // a key of another section
  const std::pair<const char*, const char*> cases[] = {
      {"DesDir", "C:\\Music\\Out\\"},
      {"escapes", "a\\tb\\nc\\\\"},
      {"Spaced", "value with  inner  blanks"},
      {"Quoted", "  kept blanks  "},
      {"Single", "x"},
      {"Unbalanced", "\"open"},
      {"Mixed", "\"a'"},
      {"EmptyQuotes", ""},
      {"Lone", "\""},
  };
  for (const auto& [key, value] : cases)
    EXPECT_EQ(GetPrivateProfileString("OUTPUT", key, "d", path_, 256), value);
  // The first section and the first key of a name win, for reads and writes.
  EXPECT_EQ(GetPrivateProfileInt("S", "K", 0, path_), 1);
  EXPECT_EQ(GetPrivateProfileInt("S", "OnlyInSecond", 0, path_), 0);
  IniFile ini;
  ini.Parse("[S]\nB=1\na=2\nb=3\nbroken\nC=4\n[T]\nD=5\n");
  EXPECT_EQ(ini.Keys("s"), (std::vector<std::string>{"B", "a", "C"}));  // each name once
  ASSERT_TRUE(WritePrivateProfileString("S", "K", "9", path_));
  EXPECT_EQ(ReadBytes(), text + "[S]\nK=9\nk=2\n[s]\nK=3\nOnlyInSecond=4\n");
}

TEST_F(IniFileTest, IntegersParseLikeWindows) {
  const std::pair<const char*, int> cases[] = {
      {"12", 12},       {"-3", -3},         {"+7", 7},         {"12abc", 12},  {"abc", 0}, {"- 5", 0},
      {"0x10", 16},     {"0X1f", 31},       {"0b101", 5},      {"0o17", 15},   {"0x", 0},  {"007", 7},
      {"70000", 70000}, {"4294967295", -1}, {"4294967297", 1}, {"\"-1\"", -1}, {"1.5", 1}, {"--1", 0},
      {"", 99},         {"   ", 99},  // an empty value counts as missing
  };
  for (const auto& [text, expected] : cases) {
    WriteBytes(std::string("[N]\nk=") + text + "\n");
    EXPECT_EQ(GetPrivateProfileInt("N", "k", 99, path_), expected) << text;
  }
}

TEST_F(IniFileTest, BufferLengthCountsCharactersAndNulEndsAValue) {
  const char text[] = "[S]\nUmlauts=\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\nLong=abcdef\nK=ab\0cd\n";
  WriteBytes(std::string(text, sizeof text - 1));
  EXPECT_EQ(Get("S", "Umlauts", 3), "\xC3\xA4\xC3\xB6");
  EXPECT_EQ(Get("S", "Umlauts"), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");
  EXPECT_EQ(Get("S", "Long", 4), "abc");
  EXPECT_EQ(Get("S", "Long", 1), "");
  EXPECT_EQ(Get("S", "Long", 0), "");
  EXPECT_EQ(GetPrivateProfileString("S", "Missing", "defaults", path_, 4), "def");
  EXPECT_EQ(Get("S", "K"), "ab");
}

TEST_F(IniFileTest, DamagedLinesAreSkipped) {
  WriteBytes(
      "orphan=before any section\n[A]\nno equals sign here\n=no key\n[Broken header\nInA=1\n"
      "; Commented=2\n[B] ; trailing text\nInB=3\n\x01\x02 binary junk\nInB2=4\n");
  EXPECT_EQ(GetPrivateProfileInt("A", "InA", 0, path_), 1);  // the broken header starts nothing
  EXPECT_EQ(GetPrivateProfileInt("A", "Commented", 0, path_), 0);
  EXPECT_EQ(GetPrivateProfileInt("A", "; Commented", 0, path_), 0);
  EXPECT_EQ(GetPrivateProfileInt("B", "InB", 0, path_), 3);
  EXPECT_EQ(GetPrivateProfileInt("B", "InB2", 0, path_), 4);
  EXPECT_EQ(GetPrivateProfileString("", "orphan", "none", path_, 256), "none");
  EXPECT_EQ(GetPrivateProfileInt("A", "no equals sign here", 5, path_), 5);
}

TEST_F(IniFileTest, EncodingsAreReadAndKept) {
  // UTF-8 with a byte-order mark.
  WriteBytes("\xEF\xBB\xBF[MISC]\nDbClk=1\n");
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", -1, path_), 1);
  ASSERT_TRUE(WritePrivateProfileString("MISC", "DriveNum", "2", path_));
  EXPECT_EQ(ReadBytes(), "\xEF\xBB\xBF[MISC]\nDbClk=1\nDriveNum=2\n");
  // UTF-16 is written back as UTF-16.
  auto utf16 = [](const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
  };
  WriteBytes(utf16("[MISC]\r\nDbClk=1\r\n"));
  EXPECT_EQ(GetPrivateProfileInt("misc", "dbclk", -1, path_), 1);
  ASSERT_TRUE(WritePrivateProfileString("MISC", "Tip", "0", path_));
  EXPECT_EQ(ReadBytes(), utf16("[MISC]\r\nDbClk=1\r\nTip=0\r\n"));
  // A line that is not UTF-8 reads as Windows-1252 and keeps its bytes.
  WriteBytes("[OUTPUT]\nDesDir=C:\\M\xFCsik\\\x80\n");
  EXPECT_EQ(Get("OUTPUT", "DesDir"), "C:\\M\xC3\xBCsik\\\xE2\x82\xAC");
  ASSERT_TRUE(WritePrivateProfileString("OUTPUT", "Separator", "-", path_));
  EXPECT_EQ(ReadBytes(), "[OUTPUT]\nDesDir=C:\\M\xFCsik\\\x80\nSeparator=-\n");
}

TEST_F(IniFileTest, WriteKeepsForeignLinesAndLineEnds) {
  WriteBytes(
      "; comment\r\n[MISC]\r\n  dbclk = 4  \r\nForeign=kept as is \r\ngarbage line\r\n\r\n[OTHER]\r\nX=1");
  ASSERT_TRUE(WritePrivateProfileString("MISC", "DbClk", "-1", path_));
  ASSERT_TRUE(WritePrivateProfileString("MISC", "LastPage", "1", path_));
  ASSERT_TRUE(WritePrivateProfileString("NEW", "Key", "v", path_));
  EXPECT_EQ(ReadBytes(),
            "; comment\r\n[MISC]\r\ndbclk=-1\r\nForeign=kept as is \r\ngarbage line\r\nLastPage=1\r\n\r\n"
            "[OTHER]\r\nX=1\r\n[NEW]\r\nKey=v\r\n");
  // A new file gets LF lines; backslashes are kept.
  fs::remove(path_);
  ASSERT_TRUE(WritePrivateProfileString("MISC", "DbClk", "-1", path_));
  ASSERT_TRUE(WritePrivateProfileString("OUTPUT", "DesDir", "C:\\a\\b\\", path_));
  EXPECT_EQ(ReadBytes(), "[MISC]\nDbClk=-1\n[OUTPUT]\nDesDir=C:\\a\\b\\\n");
  EXPECT_EQ(Get("OUTPUT", "DesDir"), "C:\\a\\b\\");
}

TEST_F(IniFileTest, ValuesThatWouldChangeOnReadAreQuoted) {
  for (const std::string v : {" ", " lead", "trail\t", "\"quoted\"", "'single'", "\"", "a\"b\"", ""}) {
    ASSERT_TRUE(WritePrivateProfileString("S", "K", v, path_)) << v;
    EXPECT_EQ(GetPrivateProfileString("S", "K", "x", path_, 256), v);
  }
  ASSERT_TRUE(WritePrivateProfileString("S", "K", " ", path_));
  EXPECT_EQ(ReadBytes(), "[S]\nK=\" \"\n");
}

TEST_F(IniFileTest, UnstorableNamesAndValuesAreRefused) {
  ASSERT_TRUE(WritePrivateProfileString("S", "K", "1", path_));
  const std::string before = ReadBytes();
  const std::string cases[][3] = {
      {"S", "K", "line\nbreak"}, {"S", "K", "cr\rhere"}, {"S", "K", std::string("nul\0", 4)},
      {"S", "a=b", "1"},         {"S", "", "1"},         {"S", "[K", "1"},
      {"S", ";K", "1"},          {"S", " K", "1"},       {"", "K", "1"},
      {"S\n[X]", "K", "1"},      {"S", "K", "\xFF\xFE"},
  };
  for (const auto& c : cases) {
    errno = 0;
    EXPECT_FALSE(WritePrivateProfileString(c[0], c[1], c[2], path_)) << c[1] << "=" << c[2];
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

TEST_F(IniFileTest, WriteIntoMissingOrBlockedFolderFailsCleanly) {
  errno = 0;
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "1", dir_ + "/missing/test.ini"));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(fs::exists(dir_ + "/missing"));
  WriteBytes("[MISC]\n");  // a file where the folder should be
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "1", path_ + "/inner.ini"));
  EXPECT_EQ(ReadBytes(), "[MISC]\n");
  if (::geteuid() == 0) return;  // permissions do not bind the superuser
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "2", path_));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(ReadBytes(), "[MISC]\n");
}

TEST_F(IniFileTest, FailedReplaceLeavesOldFileAndNoTemporaryFile) {
  // The target is a folder: the new content is written, but cannot replace it.
  fs::create_directory(path_);
  std::ofstream(fs::path(path_) / "inside") << "x";
  EXPECT_FALSE(WritePrivateProfileString("MISC", "DbClk", "1", path_));
  IniFile fresh;
  fresh.Set("MISC", "DbClk", "1");
  EXPECT_THROW(fresh.Save(path_), IniFileError);
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"test.ini"});
  // Reading it is a failure reported by the class, and a missing file to the lookups.
  IniFile ini;
  EXPECT_THROW(ini.Load(path_), IniFileError);
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 3, path_), 3);
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
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"link.ini", "test.ini"}));
}

TEST_F(IniFileTest, StructValuesUseHexWithChecksumAndDamagedOnesAreRefused) {
  const unsigned char small[2] = {0x01, 0xFE};
  ASSERT_TRUE(WritePrivateProfileStruct("Position", "{GUID}", small, sizeof small, path_));
  EXPECT_EQ(ReadBytes(), "[Position]\n{GUID}=01FEFF\n");
  unsigned char placement[44], back[44] = {};
  for (size_t i = 0; i < sizeof placement; ++i) placement[i] = static_cast<unsigned char>(i * 37 + 5);
  ASSERT_TRUE(WritePrivateProfileStruct("Position", "{Other}", placement, sizeof placement, path_));
  ASSERT_TRUE(GetPrivateProfileStruct("position", "{other}", back, sizeof back, path_));
  EXPECT_EQ(std::memcmp(back, placement, sizeof back), 0);

  WriteBytes("[Position]\nBadSum=01FE00\nBadDigit=0GFEFF\nShort=01FF\nLower=01feff\n");
  unsigned char data[3] = {0xAA, 0xBB, 0xCC};
  for (const char* key : {"BadSum", "BadDigit", "Short"})
    EXPECT_FALSE(GetPrivateProfileStruct("Position", key, data, 2, path_)) << key;
  EXPECT_FALSE(GetPrivateProfileStruct("Position", "Lower", data, 3, path_));  // wrong size
  EXPECT_EQ(data[0], 0xAA);
  EXPECT_EQ(data[1], 0xBB);
  EXPECT_TRUE(GetPrivateProfileStruct("Position", "Lower", data, 2, path_));
  EXPECT_EQ(data[1], 0xFE);
}

}  // namespace

// Settings: load defaults, the file's values and their width, the repaired
// out-of-range indices, the save order and format, failures reported through
// the log and the message box, the drive memory and the format status text.
#include "app/settings.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "platform/log_sink.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::pair<std::string, int>>;

class RecordingLog : public ILogSink {
 public:
  void AddLog(const std::string& text, int level) override { lines.emplace_back(text, level); }
  Lines lines;
};

// The values of every setting, in save order, as one comparable string.
std::string Snapshot() {
  return fmt::format("{} {} {} {}|{} {} {} {}|{} {} {} {} {} {}|{}|{}|{} {} {}|{} {} {}", DbClk, DriveCount,
                     DriveNum, LastPage, AlbumInfoSource, SaveAlbumInfo, LoadAlbumInfo, LocalCDDBDir,
                     OutputFormat, FileStyle, Volume, M3U, WriteLog, FillTag, DesDir, Separator, SubFormat,
                     Freq, Channel, LameFreq, LameBits, LameChannel);
}

void SetInitialValues() {
  DbClk = -1;
  DriveCount = DriveNum = AlbumInfoSource = WriteLog = 0;
  LastPage = SaveAlbumInfo = LoadAlbumInfo = M3U = FillTag = SubFormat = Channel = 1;
  LocalCDDBDir = "./Local CDDB";
  DesDir = "./Output/";
  Separator = "-";
  OutputFormat = LameChannel = 2;
  FileStyle = LameBits = 11;
  Volume = 100;
  Freq = LameFreq = 7;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    // A private home without XDG folders: the music folder is ~/Music/.
    fs::create_directories(root_ + "/home");
    fs::create_directories(root_ + "/config");
    ::setenv("HOME", (root_ + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    DataFolder = root_ + "/data";
    fs::create_directories(DataFolder);
    SetInitialValues();
    showError_ = [this](const std::string& text) { boxes_.push_back(text); };
  }
  void TearDown() override {
    SetInitialValues();
    DataFolder.clear();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  void WriteIni(const std::string& bytes) const {
    std::ofstream(SettingsFilePath(), std::ios::binary) << bytes;
  }
  std::string ReadIni() const {
    std::ifstream in(SettingsFilePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string root_;
  RecordingLog log_;
  std::vector<std::string> boxes_;
  ErrorBoxFn showError_;
};

TEST_F(SettingsTest, NoFileGivesLoadDefaults) {
  EXPECT_EQ(SettingsFilePath(), DataFolder + "/Quarno CD Ripper.ini");
  LocalCDDBDir = DataFolder + "/Local CDDB";
  DesDir = root_ + "/home/Music/";
  const std::string expected = Snapshot();
  DbClk = 1;
  LastPage = 0;
  Volume = 3;
  Separator = "+";
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(Snapshot(), expected);
  EXPECT_TRUE(log_.lines.empty());
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(ReadTipSetting(), 1);
  EXPECT_FALSE(fs::exists(SettingsFilePath()));  // loading never writes
}

TEST_F(SettingsTest, SaveWritesEveryKeyInOrderAndLoadReadsItBack) {
  ASSERT_EQ(SaveSettings(&log_, showError_), 1);
  EXPECT_EQ(ReadIni(),
            "[MISC]\nDbClk=-1\nDriveCount=0\nDriveNum=0\nLastPage=1\n"
            "[FREEDB]\nAlbumInfoSource=0\nSaveAlbumInfo=1\nLoadAlbumInfo=1\nLocalCDDBDir=./Local CDDB\n"
            "[OUTPUT]\nOutputFormat=2\nFileStyle=11\nVolume=100\nM3U=1\nWriteLog=0\nFillTag=1\n"
            "DesDir=./Output/\nSeparator=-\n"
            "[WAV]\nSubFormat=1\nFreq=7\nChannel=1\n"
            "[MP3]\nLameFreq=7\nLameBits=11\nLameChannel=2\n");

  // Values away from the defaults come back as they were saved.
  const std::string odd =
      "[MISC]\nDbClk=1\nDriveCount=3\nDriveNum=2\nLastPage=0\n"
      "[FREEDB]\nAlbumInfoSource=2\nSaveAlbumInfo=0\nLoadAlbumInfo=-7\nLocalCDDBDir=/music/c\\dd b\n"
      "[OUTPUT]\nOutputFormat=1\nFileStyle=13\nVolume=0\nM3U=0\nWriteLog=1\nFillTag=2147483647\n"
      "DesDir=/m\xC3\xBCsic/ out /\nSeparator=\" \"\n"
      "[WAV]\nSubFormat=-3\nFreq=10\nChannel=0\n"
      "[MP3]\nLameFreq=0\nLameBits=16\nLameChannel=3\n";
  WriteIni(odd);
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  // FileStyle 13 is not clamped: naming has its own rule.
  EXPECT_EQ(Snapshot(),
            "1 3 2 0|2 0 -7 /music/c\\dd b|1 13 0 0 1 2147483647|/m\xC3\xBCsic/ out /| |-3 10 0|0 16 3");
  fs::remove(SettingsFilePath());
  ASSERT_EQ(SaveSettings(&log_, showError_), 1);
  EXPECT_EQ(ReadIni(), odd);
  EXPECT_TRUE(log_.lines.empty());
}

TEST_F(SettingsTest, ValuesAreCutToTheVariableWidth) {
  WriteIni(
      "[MISC]\nDbClk=65537\nDriveCount=-65535\nLastPage=-65535\n"
      "[OUTPUT]\nVolume=65636\nFileStyle=32768\nM3U=4294967295\nSeparator=abcd\n"
      "[MP3]\nLameChannel=65538\n");
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(DbClk, 1);
  EXPECT_EQ(DriveCount, 1);
  EXPECT_EQ(LastPage, 1);
  EXPECT_EQ(Volume, 100);
  EXPECT_EQ(FileStyle, -32768);
  EXPECT_EQ(M3U, -1);
  EXPECT_EQ(LameChannel, 2);
  EXPECT_EQ(Separator, "abc");
  EXPECT_TRUE(log_.lines.empty());

  WriteIni("[OUTPUT]\nSeparator=\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\n");  // characters, not bytes
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(Separator, "\xC3\xA4\xC3\xB6\xC3\xBC");

  // The separator is cleaned as the Output page cleans it, after the cut.
  for (const auto& [stored, clean] : std::vector<std::pair<std::string, std::string>>{
           {"/", "-"}, {"/..", "-.."}, {"a:b", "a-b"}, {"a\tbc", "ab"}, {"<>|*", "---"}}) {
    WriteIni("[OUTPUT]\nSeparator=" + stored + "\n");
    ASSERT_EQ(LoadSettings(&log_, showError_), 1);
    EXPECT_EQ(Separator, clean) << stored;
  }

  // SubFormat above 1 reads as 1; anything else is kept.
  const std::pair<const char*, int16_t> cases[] = {{"5", 1}, {"-3", -3},   {"0", 0},
                                                   {"1", 1}, {"65537", 1}, {"98304", -32768}};
  for (const auto& [text, expected] : cases) {
    WriteIni(std::string("[WAV]\nSubFormat=") + text + "\n");
    ASSERT_EQ(LoadSettings(&log_, showError_), 1);
    EXPECT_EQ(SubFormat, expected) << text;
  }
}

TEST_F(SettingsTest, OutOfRangeValuesFallBackAndAreLogged) {
  struct Case {
    const char* ini;  // its last line is the setting under test
    std::function<int()> variable;
    int expected;
    const char* logged;  // the value the log line names; nullptr: kept without a line
  };
  const Case cases[] = {
      {"[WAV]\nFreq=12\n", [] { return Freq; }, 7, "12"},
      {"[MP3]\nLameFreq=-1\n", [] { return LameFreq; }, 7, "-1"},
      {"[MP3]\nLameBits=17\n", [] { return LameBits; }, 11, "17"},
      {"[OUTPUT]\nOutputFormat=0\n", [] { return OutputFormat; }, 2, "0"},
      {"[OUTPUT]\nOutputFormat=3\n", [] { return OutputFormat; }, 2, "3"},
      {"[FREEDB]\nAlbumInfoSource=77\n", [] { return AlbumInfoSource; }, 0, "77"},
      {"[MP3]\nLameChannel=9\n", [] { return LameChannel; }, 2, "9"},
      {"[WAV]\nChannel=7\n", [] { return Channel; }, 1, "7"},
      {"[WAV]\nChannel=-1\n", [] { return Channel; }, 1, "-1"},
      // 99999999999 wraps to 1215752191 as on Windows.
      {"[MISC]\nDbClk=99999999999\n", [] { return DbClk; }, -1, "1215752191"},
      {"[MISC]\nDbClk=-2\n", [] { return DbClk; }, -1, "-2"},
      {"[OUTPUT]\nVolume=4294967295\n", [] { return Volume; }, 100, "-1"},
      {"[OUTPUT]\nVolume=101\n", [] { return Volume; }, 100, "101"},
      {"[MISC]\nDriveCount=2\nDriveNum=2\n", [] { return DriveNum; }, 0, "2"},
      {"[MISC]\nDriveNum=1\n", [] { return DriveNum; }, 0, "1"},
      {"[MISC]\nDriveCount=2\nDriveNum=-1\n", [] { return DriveNum; }, 0, "-1"},
      {"[MISC]\nLastPage=3\n", [] { return LastPage; }, 1, "3"},
      // The edges of each range are kept.
      {"[WAV]\nFreq=10\n", [] { return Freq; }, 10, nullptr},
      {"[MP3]\nLameFreq=10\n", [] { return LameFreq; }, 10, nullptr},
      {"[MP3]\nLameBits=16\n", [] { return LameBits; }, 16, nullptr},
      {"[OUTPUT]\nOutputFormat=1\n", [] { return OutputFormat; }, 1, nullptr},
      {"[FREEDB]\nAlbumInfoSource=2\n", [] { return AlbumInfoSource; }, 2, nullptr},
      {"[MP3]\nLameChannel=0\n", [] { return LameChannel; }, 0, nullptr},
      {"[WAV]\nChannel=0\n", [] { return Channel; }, 0, nullptr},
      {"[MISC]\nDbClk=1\n", [] { return DbClk; }, 1, nullptr},
      {"[OUTPUT]\nVolume=0\n", [] { return Volume; }, 0, nullptr},
      {"[MISC]\nDriveCount=2\nDriveNum=1\n", [] { return DriveNum; }, 1, nullptr},
      {"[MISC]\nLastPage=2\n", [] { return LastPage; }, 2, nullptr},
      {"[OUTPUT]\nFileStyle=99\n", [] { return FileStyle; }, 99, nullptr},  // naming copes with any
  };
  for (const Case& c : cases) {
    log_.lines.clear();
    WriteIni(c.ini);
    ASSERT_EQ(LoadSettings(&log_, showError_), 1) << c.ini;
    EXPECT_EQ(c.variable(), c.expected) << c.ini;
    const std::string ini = c.ini;
    const std::string key =
        ini.substr(ini.rfind('\n', ini.size() - 2) + 1, ini.rfind('=') - ini.rfind('\n', ini.size() - 2) - 1);
    const std::string line =
        fmt::format("Setting {}={} is out of range; using {}.", key, c.logged ? c.logged : "", c.expected);
    EXPECT_EQ(log_.lines, (c.logged ? Lines{{line, LogError}} : Lines{})) << c.ini;
    // The repaired value is what goes back to the file.
    ASSERT_EQ(SaveSettings(&log_, showError_), 1);
    ASSERT_EQ(LoadSettings(&log_, showError_), 1);
    EXPECT_EQ(c.variable(), c.expected) << c.ini;
  }
  EXPECT_TRUE(boxes_.empty());
}

// A folder is kept whole as long as it is a full path the system takes;
// DesDir gets its trailing "/".
TEST_F(SettingsTest, FoldersAreKeptWholeUpToThePathLimit) {
  const std::string longest = "/" + std::string(PATH_MAX - 3, 'd') + "/";  // PATH_MAX - 1 bytes
  const std::string tooLong = "/" + std::string(1 << 20, 'd') + "/";
  const std::string music = root_ + "/home/Music/";
  struct Case {
    std::string value, desDir, localDir;
    Lines log;
  };
  const Case cases[] = {
      {"/" + std::string(299, 'd') + "/",
       "/" + std::string(299, 'd') + "/",
       "/" + std::string(299, 'd') + "/",
       {}},
      {longest, longest, longest, {}},
      {tooLong,
       music,
       DataFolder + "/Local CDDB",
       {{"Setting LocalCDDBDir is longer than a path may be (1048578 bytes); using " + DataFolder +
             "/Local CDDB.",
         LogError},
        {"Setting DesDir is longer than a path may be (1048578 bytes); using " + music + ".", LogError}}},
      {"/out", "/out/", "/out", {}},
      {"/out/", "/out/", "/out/", {}},
      {longest.substr(0, longest.size() - 1), longest, longest.substr(0, longest.size() - 1), {}},
      // One byte short of the limit, then too long with its "/".
      {"/" + std::string(PATH_MAX - 2, 'd'),
       music,
       "/" + std::string(PATH_MAX - 2, 'd'),
       {{"Setting DesDir is longer than a path may be (" + std::to_string(PATH_MAX) + " bytes); using " +
             music + ".",
         LogError}}},
      // Not a full path: the files would go below the working folder.
      {"x/y",
       music,
       DataFolder + "/Local CDDB",
       {{"Setting LocalCDDBDir=\"x/y\" is not a full path; using " + DataFolder + "/Local CDDB.", LogError},
        {"Setting DesDir=\"x/y\" is not a full path; using " + music + ".", LogError}}},
      {"~/Music",
       music,
       DataFolder + "/Local CDDB",
       {{"Setting LocalCDDBDir=\"~/Music\" is not a full path; using " + DataFolder + "/Local CDDB.",
         LogError},
        {"Setting DesDir=\"~/Music\" is not a full path; using " + music + ".", LogError}}},
      {"\"\"",
       music,
       DataFolder + "/Local CDDB",
       {{"Setting LocalCDDBDir=\"\" is not a full path; using " + DataFolder + "/Local CDDB.", LogError},
        {"Setting DesDir=\"\" is not a full path; using " + music + ".", LogError}}},
      {"/a\tb",
       music,
       DataFolder + "/Local CDDB",
       {{"Setting LocalCDDBDir=\"/a\tb\" holds a control character; using " + DataFolder + "/Local CDDB.",
         LogError},
        {"Setting DesDir=\"/a\tb\" holds a control character; using " + music + ".", LogError}}},
  };
  for (const Case& c : cases) {
    log_.lines.clear();
    WriteIni("[FREEDB]\nLocalCDDBDir=" + c.value + "\n[OUTPUT]\nDesDir=" + c.value + "\n");
    ASSERT_EQ(LoadSettings(&log_, showError_), 1);
    EXPECT_EQ(DesDir, c.desDir);
    EXPECT_EQ(LocalCDDBDir, c.localDir);
    EXPECT_EQ(log_.lines, c.log);
    ASSERT_EQ(SaveSettings(&log_, showError_), 1);
    EXPECT_EQ(GetPrivateProfileString("OUTPUT", "DesDir", "", SettingsFilePath(), SIZE_MAX), c.desDir);
  }
}

TEST_F(SettingsTest, SaveRewritesTheFileOnce) {
  // Count the renames onto the settings file while it is saved.
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, DataFolder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
  ASSERT_EQ(SaveSettings(&log_, showError_), 1);
  int renames = 0;
  alignas(inotify_event) char buffer[1 << 16];
  for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* p = buffer; p < buffer + n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      if ((event->mask & IN_MOVED_TO) && event->len > 0 && std::string(event->name) == kSettingsFileName) {
        ++renames;
      }
      p += sizeof(inotify_event) + event->len;
    }
  }
  ::close(watch);
  EXPECT_EQ(renames, 1);
}

TEST_F(SettingsTest, WindowsFileIsReadAndItsOtherLinesSurviveTheSave) {
  fs::copy_file(QCR_TEST_DATA_DIR "/ini/windows.ini", SettingsFilePath());
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  // Its Windows folders are no full paths here: the defaults take their place.
  EXPECT_EQ(Snapshot(), "0 2 1 2|2 0 0 " + DataFolder + "/Local CDDB|1 3 55 0 1 0|" + root_ +
                            "/home/Music/| _ |0 4 0|8 16 3");
  EXPECT_EQ(log_.lines.size(), 2u);
  EXPECT_EQ(ReadTipSetting(), 0);
  ASSERT_TRUE(WriteTipSetting(1));
  EXPECT_EQ(ReadTipSetting(), 1);
  ASSERT_TRUE(WriteTipSetting(0));

  Volume = 80;
  ASSERT_EQ(SaveSettings(&log_, showError_), 1);
  const std::string saved = ReadIni();
  EXPECT_EQ(saved.rfind("\xEF\xBB\xBF; Settings as the Windows build", 0), 0u);
  for (const char* line : {"Tip=0", "this line is damaged", "Plugin=some other program's key", "drivecount=2",
                           "Volume=80", "Separator=\" _ \""}) {
    EXPECT_NE(saved.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line;
  }
  EXPECT_EQ(saved.find("\n\n"), std::string::npos);  // every line kept its CRLF
}

TEST_F(SettingsTest, FifoInPlaceOfTheFileIsReportedWithoutBlocking) {
  ASSERT_EQ(::mkfifo(SettingsFilePath().c_str(), 0600), 0);
  Volume = 42;
  EXPECT_EQ(LoadSettings(&log_, showError_), 0);
  EXPECT_EQ(Volume, 42);
  EXPECT_EQ(ReadTipSetting(), 1);
  EXPECT_EQ(SaveSettings(&log_, showError_), 0);
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Error on loading settings!", "Error on saving settings!"}));
  EXPECT_TRUE(fs::is_fifo(SettingsFilePath()));
}

TEST_F(SettingsTest, UnreadableFileOrUnwritableFolderIsReported) {
  fs::create_directory(SettingsFilePath());  // a folder where the file should be
  Volume = 42;
  EXPECT_EQ(LoadSettings(&log_, showError_), 0);
  EXPECT_EQ(Volume, 42);                         // current values kept
  EXPECT_EQ(LoadSettings(nullptr, nullptr), 0);  // no log and no box: still no crash

  DataFolder = root_ + "/not made";
  EXPECT_EQ(SaveSettings(&log_, showError_), 0);
  EXPECT_FALSE(fs::exists(DataFolder));
  EXPECT_EQ(log_.lines,
            (Lines{{"Error on loading settings!", LogError}, {"Error on saving settings!", LogError}}));
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Error on loading settings!", "Error on saving settings!"}));

  std::ofstream(root_ + "/file") << "x";
  DataFolder = root_ + "/file";  // a file where the folder should be
  EXPECT_EQ(SaveSettings(nullptr, nullptr), 0);
  EXPECT_FALSE(WriteTipSetting(0));
}

// A value with a line break (set in memory) is skipped; every other key is
// still written, nothing is injected into the file, and the box and the log
// name what was not saved.
TEST_F(SettingsTest, SaveSkipsAValueThatCannotBeStored) {
  const struct {
    std::string* variable;
    const char* key;
    std::string value;
  } rows[] = {
      {&LocalCDDBDir, "LocalCDDBDir", "/home/u/Loc\nal"},
      {&DesDir, "DesDir", "/music/\n[MISC]\nDbClk=1"},
      {&Separator, "Separator", "\r"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    SetInitialValues();
    fs::remove(SettingsFilePath());
    boxes_.clear();
    log_.lines.clear();
    DbClk = 0;
    *row.variable = row.value;
    EXPECT_EQ(SaveSettings(&log_, showError_), 0);
    const std::string message = std::string("Error on saving settings! Not saved: ") + row.key + ".";
    EXPECT_EQ(boxes_, std::vector<std::string>{message});
    EXPECT_EQ(log_.lines, (Lines{{message, LogError}}));
    IniFile written;
    written.Load(SettingsFilePath());
    size_t keys = 0;
    for (const char* section : {"MISC", "FREEDB", "OUTPUT", "WAV", "MP3"}) {
      for (const std::string& key : written.Keys(section)) {
        EXPECT_NE(key, row.key);
        ++keys;
      }
    }
    EXPECT_EQ(keys, 21u);
    EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 9, SettingsFilePath()), 0);
    EXPECT_EQ(GetPrivateProfileInt("MP3", "LameChannel", 9, SettingsFilePath()), 2);
  }
}

TEST_F(SettingsTest, DriveMemory) {
  struct Case {
    int16_t count, num;
    int found, selected;
    int16_t countAfter, numAfter;
  };
  const Case cases[] = {
      {2, 1, 2, 1, 2, 1},    // the saved drive
      {3, 1, 2, 0, 2, 0},    // a drive was added or removed: the first drive
      {2, 5, 2, 0, 2, 0},    // a damaged DriveNum never selects a missing drive
      {2, -1, 2, 0, 2, 0},   //
      {0, 0, 0, -1, 0, -1},  // no drives at all
  };
  for (const Case& c : cases) {
    DriveCount = c.count;
    DriveNum = c.num;
    EXPECT_EQ(SelectSavedDrive(c.found), c.selected) << c.count << "/" << c.num;
    EXPECT_EQ(DriveCount, c.countAfter);
    EXPECT_EQ(DriveNum, c.numAfter);
  }
}

TEST_F(SettingsTest, FormatStatusText) {
  FormatStatus s = FormatStatusText();
  EXPECT_EQ(s.text, "MP3:  CBR 128 kbps; 44100 Hz; Joint Stereo;");
  EXPECT_EQ(s.logLine, "Set audio format: MP3.");
  EXPECT_FALSE(s.logBeforeText);
  LameBits = LameFreq = 0;
  LameChannel = 4;  // no channel mode of that number
  EXPECT_EQ(FormatStatusText().text, "MP3:  CBR   8 kbps;  8000 Hz;");

  OutputFormat = 1;
  s = FormatStatusText();
  EXPECT_EQ(s.text, "WAV:  Signed 16 bit PCM 44100 Hz;  Stereo;");
  EXPECT_EQ(s.logLine, "Set audio format: WAV Signed 16 bit PCM");
  EXPECT_TRUE(s.logBeforeText);
  SubFormat = Channel = 0;
  Freq = 4;
  EXPECT_EQ(FormatStatusText().text, "WAV:  Unsigned 8 bit PCM 22050 Hz;  Mono;");
  SubFormat = -3;  // unknown sample format: no log line, no format name
  Channel = 2147483647;
  s = FormatStatusText();
  EXPECT_EQ(s.text, " 22050 Hz;  Stereo;");
  EXPECT_EQ(s.logLine, "");

  OutputFormat = 0;
  EXPECT_EQ(FormatStatusText().text, "");
  // Indices set in memory outside the tables never read past them.
  SetInitialValues();
  LameBits = 17;
  LameFreq = 300;
  EXPECT_EQ(FormatStatusText().text, "MP3:  CBR 128 kbps; 44100 Hz; Joint Stereo;");
  OutputFormat = 1;
  Freq = -5;
  EXPECT_EQ(FormatStatusText().text, "WAV:  Signed 16 bit PCM 44100 Hz;  Stereo;");
}

}  // namespace

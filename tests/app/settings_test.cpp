// Settings: load defaults, the file's values and their width, the repaired
// out-of-range indices, the save order and format, failures reported through
// the log and the message box, the drive memory and the format status text.
#include "app/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "platform/event_log.h"
#include "platform/ini_file.h"

namespace fs = std::filesystem;

namespace {

class RecordingLog : public ILogSink {
 public:
  void AddLog(const std::string& text, int level) override { lines.emplace_back(text, level); }
  std::vector<std::pair<std::string, int>> lines;
};

void SetInitialValues() {
  DbClk = -1;
  DriveCount = 0;
  DriveNum = 0;
  LastPage = 1;
  AlbumInfoSource = 0;
  SaveAlbumInfo = 1;
  LoadAlbumInfo = 1;
  LocalCDDBDir = "./Local CDDB";
  OutputFormat = 2;
  FileStyle = 11;
  Volume = 100;
  M3U = 1;
  FillTag = 1;
  WriteLog = 0;
  DesDir = "./Output/";
  Separator = "-";
  SubFormat = 1;
  Freq = 7;
  Channel = 1;
  LameFreq = 7;
  LameBits = 11;
  LameChannel = 2;
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
    SaveEnv("HOME", root_ + "/home");
    SaveEnv("XDG_CONFIG_HOME", root_ + "/config");
    DataFolder = root_ + "/data";
    fs::create_directories(DataFolder);
    SetInitialValues();
    showError_ = [this](const std::string& text) { boxes_.push_back(text); };
  }
  void TearDown() override {
    for (auto& [name, value] : savedEnv_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
    SetInitialValues();
    DataFolder.clear();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  void SaveEnv(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    savedEnv_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  void WriteIni(const std::string& bytes) const {
    std::ofstream(SettingsFilePath(), std::ios::binary) << bytes;
  }
  std::string ReadIni() const {
    std::ifstream in(SettingsFilePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string root_;
  std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
  RecordingLog log_;
  std::vector<std::string> boxes_;
  ErrorBoxFn showError_;
};

TEST_F(SettingsTest, PathFollowsDataFolder) {
  EXPECT_EQ(SettingsFilePath(), DataFolder + "/Quarno CD Ripper.ini");
  DataFolder = "/elsewhere";
  EXPECT_EQ(SettingsFilePath(), "/elsewhere/Quarno CD Ripper.ini");
}

TEST_F(SettingsTest, NoFileGivesLoadDefaults) {
  DbClk = 1;
  LastPage = 0;
  Volume = 3;
  Separator = "+";
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(DbClk, -1);
  EXPECT_EQ(DriveCount, 0);
  EXPECT_EQ(DriveNum, 0);
  EXPECT_EQ(LastPage, 1);
  EXPECT_EQ(AlbumInfoSource, 0);
  EXPECT_EQ(SaveAlbumInfo, 1);
  EXPECT_EQ(LoadAlbumInfo, 1);
  EXPECT_EQ(LocalCDDBDir, DataFolder + "/Local CDDB");
  EXPECT_EQ(OutputFormat, 2);
  EXPECT_EQ(FileStyle, 11);
  EXPECT_EQ(Volume, 100);
  EXPECT_EQ(M3U, 1);
  EXPECT_EQ(FillTag, 1);
  EXPECT_EQ(WriteLog, 0);
  EXPECT_EQ(DesDir, root_ + "/home/Music/");
  EXPECT_EQ(Separator, "-");
  EXPECT_EQ(SubFormat, 1);
  EXPECT_EQ(Freq, 7);
  EXPECT_EQ(Channel, 1);
  EXPECT_EQ(LameFreq, 7);
  EXPECT_EQ(LameBits, 11);
  EXPECT_EQ(LameChannel, 2);
  EXPECT_TRUE(log_.lines.empty());
  EXPECT_TRUE(boxes_.empty());
  EXPECT_FALSE(fs::exists(SettingsFilePath()));  // loading never writes
}

TEST_F(SettingsTest, SaveWritesEveryKeyInOrder) {
  ASSERT_EQ(SaveSettings(&log_, showError_), 1);
  EXPECT_EQ(ReadIni(),
            "[MISC]\nDbClk=-1\nDriveCount=0\nDriveNum=0\nLastPage=1\n"
            "[FREEDB]\nAlbumInfoSource=0\nSaveAlbumInfo=1\nLoadAlbumInfo=1\nLocalCDDBDir=./Local CDDB\n"
            "[OUTPUT]\nOutputFormat=2\nFileStyle=11\nVolume=100\nM3U=1\nWriteLog=0\nFillTag=1\n"
            "DesDir=./Output/\nSeparator=-\n"
            "[WAV]\nSubFormat=1\nFreq=7\nChannel=1\n"
            "[MP3]\nLameFreq=7\nLameBits=11\nLameChannel=2\n");
  EXPECT_TRUE(log_.lines.empty());
}

TEST_F(SettingsTest, SaveAndLoadRoundTrip) {
  DbClk = 1;
  DriveCount = 3;
  DriveNum = 2;
  LastPage = 65535;
  AlbumInfoSource = 2;
  SaveAlbumInfo = 0;
  LoadAlbumInfo = -7;
  LocalCDDBDir = "/music/c\\dd b";
  OutputFormat = 1;
  FileStyle = 13;
  Volume = 0;
  M3U = 0;
  FillTag = 2147483647;
  WriteLog = 1;
  DesDir = "/m\xC3\xBCsic/ out /";
  Separator = " ";
  SubFormat = -3;
  Freq = 10;
  Channel = 0;
  LameFreq = 0;
  LameBits = 16;
  LameChannel = 3;
  ASSERT_EQ(SaveSettings(&log_, showError_), 1);
  EXPECT_NE(ReadIni().find("LastPage=65535\n"), std::string::npos);
  EXPECT_NE(ReadIni().find("Separator=\" \"\n"), std::string::npos);
  SetInitialValues();
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(DbClk, 1);
  EXPECT_EQ(DriveCount, 3);
  EXPECT_EQ(DriveNum, 2);
  EXPECT_EQ(LastPage, 65535);
  EXPECT_EQ(AlbumInfoSource, 2);
  EXPECT_EQ(SaveAlbumInfo, 0);
  EXPECT_EQ(LoadAlbumInfo, -7);
  EXPECT_EQ(LocalCDDBDir, "/music/c\\dd b");
  EXPECT_EQ(OutputFormat, 1);
  EXPECT_EQ(FileStyle, 13);  // not clamped: naming has its own rule
  EXPECT_EQ(Volume, 0);
  EXPECT_EQ(M3U, 0);
  EXPECT_EQ(FillTag, 2147483647);
  EXPECT_EQ(WriteLog, 1);
  EXPECT_EQ(DesDir, "/m\xC3\xBCsic/ out /");
  EXPECT_EQ(Separator, " ");
  EXPECT_EQ(SubFormat, -3);
  EXPECT_EQ(Freq, 10);
  EXPECT_EQ(Channel, 0);
  EXPECT_EQ(LameFreq, 0);
  EXPECT_EQ(LameBits, 16);
  EXPECT_EQ(LameChannel, 3);
  EXPECT_TRUE(log_.lines.empty());
}

TEST_F(SettingsTest, ValuesAreCutToTheVariableWidth) {
  WriteIni(
      "[MISC]\nDbClk=70000\nDriveCount=-65535\nLastPage=-1\n"
      "[OUTPUT]\nVolume=70000\nFileStyle=32768\nM3U=4294967295\n"
      "[WAV]\nSubFormat=5\n[MP3]\nLameChannel=65538\n");
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(DbClk, 4464);
  EXPECT_EQ(DriveCount, 1);
  EXPECT_EQ(LastPage, 65535);
  EXPECT_EQ(Volume, 4464);
  EXPECT_EQ(FileStyle, -32768);
  EXPECT_EQ(M3U, -1);
  EXPECT_EQ(SubFormat, 1);  // above 1 reads as 1
  EXPECT_EQ(LameChannel, 2);
}

TEST_F(SettingsTest, SubFormatRule) {
  const std::pair<const char*, int16_t> cases[] = {{"5", 1}, {"-3", -3},   {"0", 0},
                                                   {"1", 1}, {"65537", 1}, {"98304", -32768}};
  for (const auto& [text, expected] : cases) {
    WriteIni(std::string("[WAV]\nSubFormat=") + text + "\n");
    ASSERT_EQ(LoadSettings(&log_, showError_), 1);
    EXPECT_EQ(SubFormat, expected) << text;
  }
}

TEST_F(SettingsTest, StringsKeepTheirCharacterLimits) {
  const std::string longDir = "/" + std::string(299, 'd');
  WriteIni("[OUTPUT]\nSeparator=abcd\nDesDir=" + longDir + "\n[FREEDB]\nLocalCDDBDir=" + longDir + "\n");
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(Separator, "abc");
  EXPECT_EQ(DesDir, longDir.substr(0, 255));
  EXPECT_EQ(LocalCDDBDir, longDir.substr(0, 255));

  WriteIni("[OUTPUT]\nSeparator=\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\n");
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(Separator, "\xC3\xA4\xC3\xB6\xC3\xBC");
}

TEST_F(SettingsTest, OutOfRangeIndicesFallBackAndAreLogged) {
  WriteIni("[WAV]\nFreq=12\n[MP3]\nLameFreq=-1\nLameBits=17\n");
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(Freq, 7);
  EXPECT_EQ(LameFreq, 7);
  EXPECT_EQ(LameBits, 11);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Setting Freq=12 is out of range; using 7.", LogError},
      {"Setting LameFreq=-1 is out of range; using 7.", LogError},
      {"Setting LameBits=17 is out of range; using 11.", LogError},
  };
  EXPECT_EQ(log_.lines, expected);
  EXPECT_TRUE(boxes_.empty());

  // The last valid index of each table is kept.
  log_.lines.clear();
  WriteIni("[WAV]\nFreq=10\n[MP3]\nLameFreq=10\nLameBits=16\n");
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(Freq, 10);
  EXPECT_EQ(LameFreq, 10);
  EXPECT_EQ(LameBits, 16);
  EXPECT_TRUE(log_.lines.empty());
}

TEST_F(SettingsTest, WindowsFileIsReadAndItsOtherLinesSurviveTheSave) {
  fs::copy_file(QCR_TEST_DATA_DIR "/ini/windows.ini", SettingsFilePath());
  ASSERT_EQ(LoadSettings(&log_, showError_), 1);
  EXPECT_EQ(DbClk, 0);
  EXPECT_EQ(DriveCount, 2);
  EXPECT_EQ(DriveNum, 1);
  EXPECT_EQ(LastPage, 2);
  EXPECT_EQ(AlbumInfoSource, 2);
  EXPECT_EQ(SaveAlbumInfo, 0);
  EXPECT_EQ(LoadAlbumInfo, 0);
  EXPECT_EQ(LocalCDDBDir, "C:\\Users\\Ann\\AppData\\Roaming\\Quarno CD Ripper Free\\Local CDDB");
  EXPECT_EQ(OutputFormat, 1);
  EXPECT_EQ(FileStyle, 3);
  EXPECT_EQ(Volume, 55);
  EXPECT_EQ(M3U, 0);
  EXPECT_EQ(FillTag, 0);
  EXPECT_EQ(WriteLog, 1);
  EXPECT_EQ(DesDir, "D:\\Rips\\");
  EXPECT_EQ(Separator, " _ ");
  EXPECT_EQ(SubFormat, 0);
  EXPECT_EQ(Freq, 4);
  EXPECT_EQ(Channel, 0);
  EXPECT_EQ(LameFreq, 8);
  EXPECT_EQ(LameBits, 16);
  EXPECT_EQ(LameChannel, 3);
  EXPECT_EQ(ReadTipSetting(), 0);

  Volume = 80;
  ASSERT_EQ(SaveSettings(&log_, showError_), 1);
  const std::string saved = ReadIni();
  EXPECT_EQ(saved.rfind("\xEF\xBB\xBF; Settings as the Windows build", 0), 0u);
  EXPECT_NE(saved.find("\r\nTip=0\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nthis line is damaged\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nPlugin=some other program's key\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\ndrivecount=2\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nVolume=80\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nSeparator=\" _ \"\r\n"), std::string::npos);
  EXPECT_EQ(saved.find("\n\n"), std::string::npos);  // every line kept its CRLF
}

TEST_F(SettingsTest, TipIsItsOwnKey) {
  EXPECT_EQ(ReadTipSetting(), 1);
  ASSERT_TRUE(WriteTipSetting(0));
  EXPECT_EQ(ReadTipSetting(), 0);
  ASSERT_EQ(SaveSettings(&log_, showError_), 1);
  EXPECT_EQ(ReadTipSetting(), 0);  // saving the settings leaves it alone
  ASSERT_TRUE(WriteTipSetting(1));
  EXPECT_EQ(ReadTipSetting(), 1);
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 99, SettingsFilePath()), -1);
}

TEST_F(SettingsTest, UnreadableFileIsReportedAndKeepsCurrentValues) {
  fs::create_directory(SettingsFilePath());  // a folder where the file should be
  Volume = 42;
  EXPECT_EQ(LoadSettings(&log_, showError_), 0);
  EXPECT_EQ(Volume, 42);
  EXPECT_EQ(DesDir, "./Output/");
  const std::vector<std::pair<std::string, int>> expected = {{"Error on loading settings!", LogError}};
  EXPECT_EQ(log_.lines, expected);
  EXPECT_EQ(boxes_, std::vector<std::string>{"Error on loading settings!"});
  // No log and no box given: still no crash.
  EXPECT_EQ(LoadSettings(nullptr, nullptr), 0);
}

TEST_F(SettingsTest, SaveIntoMissingFolderIsReported) {
  DataFolder = root_ + "/not made";
  EXPECT_EQ(SaveSettings(&log_, showError_), 0);
  const std::vector<std::pair<std::string, int>> expected = {{"Error on saving settings!", LogError}};
  EXPECT_EQ(log_.lines, expected);
  EXPECT_EQ(boxes_, std::vector<std::string>{"Error on saving settings!"});
  EXPECT_FALSE(fs::exists(DataFolder));

  std::ofstream(root_ + "/file") << "x";
  DataFolder = root_ + "/file";  // a file where the folder should be
  EXPECT_EQ(SaveSettings(nullptr, nullptr), 0);
  EXPECT_FALSE(WriteTipSetting(0));
}

TEST_F(SettingsTest, SaveStopsAtAValueThatCannotBeStored) {
  DesDir = "/music/\n[MISC]\nDbClk=1";
  DbClk = 0;
  EXPECT_EQ(SaveSettings(&log_, showError_), 0);
  EXPECT_EQ(boxes_, std::vector<std::string>{"Error on saving settings!"});
  // Keys before the failure are written, later ones are not, and nothing was
  // injected into the file.
  EXPECT_EQ(GetPrivateProfileInt("OUTPUT", "FillTag", 9, SettingsFilePath()), 1);
  EXPECT_EQ(GetPrivateProfileInt("WAV", "Freq", 9, SettingsFilePath()), 9);
  EXPECT_EQ(GetPrivateProfileInt("MISC", "DbClk", 9, SettingsFilePath()), 0);
  EXPECT_EQ(ReadIni().find("DesDir"), std::string::npos);
}

TEST_F(SettingsTest, DriveMemory) {
  DriveCount = 2;
  DriveNum = 1;
  EXPECT_EQ(SelectSavedDrive(2), 1);
  EXPECT_EQ(DriveCount, 2);
  EXPECT_EQ(DriveNum, 1);

  DriveCount = 3;  // a drive was added or removed: the first drive
  DriveNum = 1;
  EXPECT_EQ(SelectSavedDrive(2), 0);
  EXPECT_EQ(DriveCount, 2);
  EXPECT_EQ(DriveNum, 0);

  DriveCount = 2;  // a damaged DriveNum never selects a drive that is not there
  DriveNum = 5;
  EXPECT_EQ(SelectSavedDrive(2), 0);
  DriveCount = 2;
  DriveNum = -1;
  EXPECT_EQ(SelectSavedDrive(2), 0);

  DriveCount = 0;  // no drives at all
  DriveNum = 0;
  EXPECT_EQ(SelectSavedDrive(0), -1);
  EXPECT_EQ(DriveCount, 0);
  EXPECT_EQ(DriveNum, -1);
}

TEST_F(SettingsTest, RateAndChannelText) {
  EXPECT_EQ(FormatRateAndChannels(7, 2), " 44100 Hz;  Stereo;");
  EXPECT_EQ(FormatRateAndChannels(0, 1), "  8000 Hz;  Mono;");
  EXPECT_EQ(FormatRateAndChannels(10, 0), " 96000 Hz;  Stereo;");
}

TEST_F(SettingsTest, FormatStatusForMp3) {
  FormatStatus s = FormatStatusText();
  EXPECT_EQ(s.text, "MP3:  CBR 128 kbps; 44100 Hz; Joint Stereo;");
  EXPECT_EQ(s.logLine, "Set audio format: MP3.");
  EXPECT_FALSE(s.logBeforeText);

  LameBits = 0;
  LameFreq = 0;
  const std::pair<int16_t, const char*> modes[] = {
      {0, " Mono;"}, {1, " Stereo;"}, {2, " Joint Stereo;"}, {3, " Dual Channel;"}, {4, ""}, {-1, ""}};
  for (const auto& [mode, tail] : modes) {
    LameChannel = mode;
    EXPECT_EQ(FormatStatusText().text, std::string("MP3:  CBR   8 kbps;  8000 Hz;") + tail);
  }
}

TEST_F(SettingsTest, FormatStatusForWav) {
  OutputFormat = 1;
  FormatStatus s = FormatStatusText();
  EXPECT_EQ(s.text, "WAV:  Signed 16 bit PCM 44100 Hz;  Stereo;");
  EXPECT_EQ(s.logLine, "Set audio format: WAV Signed 16 bit PCM");
  EXPECT_TRUE(s.logBeforeText);

  SubFormat = 0;
  Channel = 0;
  Freq = 4;
  s = FormatStatusText();
  EXPECT_EQ(s.text, "WAV:  Unsigned 8 bit PCM 22050 Hz;  Mono;");
  EXPECT_EQ(s.logLine, "Set audio format: WAV Unsigned 8 bit PCM");

  SubFormat = -3;  // unknown sample format: no log line, no format name
  Channel = 2147483647;
  s = FormatStatusText();
  EXPECT_EQ(s.text, " 22050 Hz;  Stereo;");
  EXPECT_EQ(s.logLine, "");
}

TEST_F(SettingsTest, FormatStatusForUnknownFormatAndIndices) {
  OutputFormat = 0;
  FormatStatus s = FormatStatusText();
  EXPECT_EQ(s.text, "");
  EXPECT_EQ(s.logLine, "");
  // Indices set in memory outside the tables never read past them.
  OutputFormat = 2;
  LameBits = 17;
  LameFreq = 300;
  EXPECT_EQ(FormatStatusText().text, "MP3:  CBR 128 kbps; 44100 Hz; Joint Stereo;");
  OutputFormat = 1;
  Freq = -5;
  EXPECT_EQ(FormatStatusText().text, "WAV:  Signed 16 bit PCM 44100 Hz;  Stereo;");
}

}  // namespace

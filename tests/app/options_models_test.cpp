// The option pages without windows: list contents per format, the mapping
// of selections onto the settings (also with nothing selected), the Output
// page's separator, destination and preview rules, the CDDB page, Reset, and
// the page the sheet opens on.
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "app/disc_worker.h"
#include "app/options_sheet_model.h"
#include "app/settings.h"

namespace fs = std::filesystem;

namespace {

std::string Encoder() {
  return fmt::format("fmt={} wav={},{},{} mp3={},{},{}", OutputFormat, Freq, SubFormat, Channel, LameFreq,
                     LameBits, LameChannel);
}

std::string Output() {
  return fmt::format("'{}' style={} sep='{}' tag={} log={} m3u={}", DesDir, FileStyle, Separator, FillTag,
                     WriteLog, M3U);
}

class OptionsModelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-options-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    // No XDG folders: the music folder default is ~/Music/.
    fs::create_directories(root_ + "/config");
    ::setenv("HOME", root_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    Defaults();
  }
  void TearDown() override {
    Defaults();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  static void Defaults() {
    Busy = 0;
    LastPage = 1;
    AlbumInfoSource = 0;
    SaveAlbumInfo = LoadAlbumInfo = M3U = FillTag = SubFormat = Channel = 1;
    LocalCDDBDir = "/cache";
    DesDir = "/music/";
    Separator = "-";
    OutputFormat = LameChannel = 2;
    FileStyle = LameBits = 11;
    WriteLog = 0;
    Freq = LameFreq = 7;
    Volume = 100;
  }
  std::string root_;
};

TEST_F(OptionsModelsTest, EncoderListsFollowTheFormat) {
  EXPECT_EQ(EncoderOptionsModel::FormatEntries(),
            (std::vector<std::string>{" WAV    (Waveform Audio)", " MP3    (MPEG-1 Audio Layer 3)"}));
  EXPECT_EQ(EncoderOptionsModel::SampleRateEntries(),
            (std::vector<std::string>{"  8000 Hertz", " 11025 Hertz", " 12000 Hertz", " 16000 Hertz",
                                      " 22050 Hertz", " 24000 Hertz", " 32000 Hertz", " 44100 Hertz",
                                      " 48000 Hertz"}));
  const std::vector<std::string> bitrates = {
      "   8 kbits per second", "  16 kbits per second", "  24 kbits per second", "  32 kbits per second",
      "  40 kbits per second", "  48 kbits per second", "  56 kbits per second", "  64 kbits per second",
      "  80 kbits per second", "  96 kbits per second", " 112 kbits per second", " 128 kbits per second",
      " 160 kbits per second", " 192 kbits per second", " 224 kbits per second", " 256 kbits per second",
      " 320 kbits per second"};
  const struct {
    int format;
    std::vector<std::string> quality, channels;
    const char* label;
    bool note;
  } rows[] = {
      {kFormatMp3,
       bitrates,
       {" Mono", " Stereo", " Joint Stereo", " Dual Channel"},
       "Bits per Second:",
       true},
      {kFormatWav, {" Unsigned 8 bit PCM", " Signed 16 bit PCM"}, {" Mono", " Stereo"}, "Codec:", false},
      {-1, {}, {}, "Bits per Second:", false},
  };
  for (const auto& row : rows) {
    EncoderOptionsModel page;
    page.SelectFormat(row.format);
    EXPECT_EQ(page.QualityEntries(), row.quality) << row.format;
    EXPECT_EQ(page.ChannelEntries(), row.channels) << row.format;
    EXPECT_STREQ(page.QualityLabel(), row.label);
    EXPECT_EQ(page.NoteVisible(), row.note);
  }
}

// Selections come from the applied settings of the format shown, and apply
// writes them back; a value the lists do not offer keeps its setting.
TEST_F(OptionsModelsTest, EncoderSelectionsAndApply) {
  const struct {
    int16_t outputFormat, freq, lameBits, subFormat;
    int pick;  // -2: keep what Load selected; else pick this quality entry
    std::string selected;
    std::string applied;
  } rows[] = {
      {2, 7, 11, 1, -2, "1 7 11 2", "fmt=2 wav=7,1,1 mp3=7,11,2"},
      {2, 7, 11, 1, 16, "1 7 16 2", "fmt=2 wav=7,1,1 mp3=7,16,2"},
      {1, 3, 11, 0, -2, "0 3 0 1", "fmt=1 wav=3,0,1 mp3=7,11,2"},
      // A rate the page does not offer (88200 Hz) stays as it is.
      {1, 9, 11, 1, 0, "0 -1 0 1", "fmt=1 wav=9,0,1 mp3=7,11,2"},
      // A format the page does not offer: nothing selected, nothing written.
      {0, 7, 11, 1, -2, "-1 -1 -1 -1", "fmt=0 wav=7,1,1 mp3=7,11,2"},
      {3, 7, 11, -3, -2, "-1 -1 -1 -1", "fmt=3 wav=7,-3,1 mp3=7,11,2"},
      {1, 7, 11, -3, -2, "0 7 -1 1", "fmt=1 wav=7,-3,1 mp3=7,11,2"},
  };
  for (const auto& row : rows) {
    Defaults();
    OutputFormat = row.outputFormat;
    Freq = row.freq;
    LameBits = row.lameBits;
    SubFormat = row.subFormat;
    EncoderOptionsModel page;
    page.Load();
    if (row.pick != -2) page.quality = row.pick;
    EXPECT_EQ(fmt::format("{} {} {} {}", page.format, page.sampleRate, page.quality, page.channels),
              row.selected);
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(Encoder(), row.applied);
  }
}

TEST_F(OptionsModelsTest, SwitchingFormatShowsTheAppliedValues) {
  LameBits = 13;
  Freq = 2;
  EncoderOptionsModel page;
  page.Load();
  page.quality = 3;  // pending, not applied
  page.SelectFormat(kFormatWav);
  EXPECT_EQ(page.sampleRate, 2);
  EXPECT_EQ(page.quality, 1);
  page.SelectFormat(kFormatMp3);
  EXPECT_EQ(page.quality, 13);
  EXPECT_EQ(page.sampleRate, 7);
}

TEST_F(OptionsModelsTest, OutputApply) {
  const struct {
    const char* destination;
    const char* separator;
    int style;
    PageApplyResult::Status status;
    std::string settings;
  } rows[] = {
      {"/rips", "_", 3, PageApplyResult::Applied, "'/rips/' style=3 sep='_' tag=0 log=1 m3u=0"},
      {"/rips/  \t", "/", 0, PageApplyResult::Applied, "'/rips/' style=0 sep='-' tag=0 log=1 m3u=0"},
      {"/my rips ", "", 12, PageApplyResult::Applied, "'/my rips/' style=12 sep='' tag=0 log=1 m3u=0"},
      {"a:b<c>d", "a|b?", 1, PageApplyResult::Applied, "'a:b<c>d/' style=1 sep='a-b' tag=0 log=1 m3u=0"},
      // Nothing selected keeps the saved template.
      {"/rips", "-", -1, PageApplyResult::Applied, "'/rips/' style=11 sep='-' tag=0 log=1 m3u=0"},
      {"", "_", 3, PageApplyResult::Refused, "'/music/' style=11 sep='-' tag=1 log=0 m3u=1"},
      {"  \t", "_", 3, PageApplyResult::Refused, "'/music/' style=11 sep='-' tag=1 log=0 m3u=1"},
  };
  for (const auto& row : rows) {
    Defaults();
    OutputOptionsModel page;
    page.Load();
    page.destination = row.destination;
    page.SetSeparatorText(row.separator);
    page.fileStyle = row.style;
    page.writeMetadata = page.createPlaylist = false;
    page.writeLog = true;
    int refreshed = 0;
    const PageApplyResult result = page.Apply([&] { ++refreshed; });
    EXPECT_EQ(result.status, row.status) << row.destination;
    EXPECT_EQ(result.message, row.status == PageApplyResult::Refused ? kEmptyDestinationMessage : "");
    EXPECT_EQ(refreshed, row.status == PageApplyResult::Applied ? 1 : 0);
    EXPECT_EQ(Output(), row.settings);
  }
}

TEST_F(OptionsModelsTest, OutputListAndPreview) {
  OutputFormat = 2;
  FileStyle = 0;
  OutputOptionsModel page;
  page.Load();
  EXPECT_EQ(page.TemplateEntries().at(0), " <Tracknum>");
  EXPECT_EQ(page.Preview(), "06.mp3");
  // A slash typed as separator shows as a hyphen; the field keeps what was
  // typed and the chosen template stays chosen.
  page.fileStyle = 5;
  page.SetSeparatorText("/");
  EXPECT_EQ(page.SeparatorText(), "/");
  EXPECT_EQ(page.TemplateEntries().at(5), " <Artist>-<Album>-<Tracknum>-<Tracktitle>");
  EXPECT_EQ(page.Preview(), "Artist-Album-06-Title.mp3");
  page.SetSeparatorText("");
  EXPECT_EQ(page.TemplateEntries().at(3), " <Tracknum><Tracktitle>");
  // The preview follows the applied format, not a pending one.
  OutputFormat = 1;
  EXPECT_EQ(page.Preview(), "ArtistAlbum06Title.wav");
  // A template number the list lacks selects nothing and previews only the extension.
  FileStyle = 13;
  page.Load();
  EXPECT_EQ(page.fileStyle, -1);
  EXPECT_EQ(page.Preview(), ".wav");
}

TEST_F(OptionsModelsTest, CDDBPage) {
  const struct {
    int16_t source;
    int32_t load;
    const char* folder;
    int pick;
    PageApplyResult::Status status;
    std::string settings;
  } rows[] = {
      {1, 1, "/cache2", 2, PageApplyResult::Applied, "2 0 1 /cache2"},
      {2, 0, "/c", -2, PageApplyResult::Applied, "2 0 1 /c"},
      // A source the radios do not offer checks none and is kept.
      {5, 1, "/c", -2, PageApplyResult::Applied, "5 0 1 /c"},
      {0, 1, "", 1, PageApplyResult::Refused, "0 1 1 /cache"},
      {0, 1, " ", 1, PageApplyResult::Refused, "0 1 1 /cache"},
  };
  for (const auto& row : rows) {
    Defaults();
    AlbumInfoSource = row.source;
    LoadAlbumInfo = row.load;
    CDDBOptionsModel page;
    page.Load();
    EXPECT_EQ(page.SourceEnabled(), row.load == 1);
    EXPECT_EQ(page.source, row.source <= 2 ? row.source : -1);
    if (row.pick != -2) page.source = row.pick;
    page.localFolder = row.folder;
    page.loadOnInsert = false;
    const PageApplyResult result = page.Apply();
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(result.message, row.status == PageApplyResult::Refused ? kEmptyLocalFolderMessage : "");
    EXPECT_EQ(fmt::format("{} {} {} {}", AlbumInfoSource, LoadAlbumInfo, SaveAlbumInfo, LocalCDDBDir),
              row.settings);
  }
}

// Busy refuses every page silently; a refusal stops the sheet's apply at
// that page; pages never shown apply nothing.
TEST_F(OptionsModelsTest, SheetApply) {
  Freq = 10;  // 96000 Hz: not offered by the page
  OutputFormat = 1;
  int refreshed = 0;
  OptionsSheetModel sheet([&] { ++refreshed; });
  sheet.ShowPage(kCDDBPage);
  sheet.ShowPage(kOutputPage);
  sheet.cddb.source = 1;
  sheet.output.destination = "";
  Busy = 1;
  EXPECT_EQ(sheet.Apply().status, PageApplyResult::Busy);
  Busy = 0;
  EXPECT_EQ(sheet.Apply().status, PageApplyResult::Refused);
  EXPECT_EQ(AlbumInfoSource, 1);
  EXPECT_EQ(DesDir, "/music/");
  sheet.output.destination = "/new";
  EXPECT_TRUE(sheet.Apply());
  EXPECT_EQ(DesDir, "/new/");
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(Encoder(), "fmt=1 wav=10,1,1 mp3=7,11,2");
}

TEST_F(OptionsModelsTest, LastPageSequence) {
  EXPECT_EQ(OptionsSheetModel::InitialPage(), kOutputPage);  // fresh install
  {
    OptionsSheetModel sheet;
    sheet.ShowPage(OptionsSheetModel::InitialPage());
    sheet.ShowPage(kEncoderPage);
    // Cancel: the sheet goes without applying.
  }
  EXPECT_EQ(OptionsSheetModel::InitialPage(), kEncoderPage);
  OptionsSheetModel sheet;
  sheet.ShowPage(kCDDBPage);
  EXPECT_EQ(OptionsSheetModel::InitialPage(), kCDDBPage);
  LastPage = 7;
  EXPECT_EQ(OptionsSheetModel::InitialPage(), kOutputPage);
}

TEST_F(OptionsModelsTest, ResetReturnsOutputAndEncoderDefaults) {
  for (bool encoderShown : {false, true}) {
    DesDir = "/elsewhere/";
    Separator = "+";
    OutputFormat = FileStyle = SubFormat = Channel = Freq = LameFreq = LameBits = LameChannel = 0;
    M3U = FillTag = 0;
    WriteLog = 1;
    AlbumInfoSource = 2;
    Volume = 40;
    OptionsSheetModel sheet;
    sheet.ShowPage(kOutputPage);
    if (encoderShown) sheet.ShowPage(kEncoderPage);
    sheet.ResetOutputOptions();
    EXPECT_EQ(Output(), "'" + root_ + "/Music/' style=11 sep='-' tag=1 log=0 m3u=1");
    EXPECT_EQ(Encoder(), "fmt=2 wav=7,1,1 mp3=7,11,2");
    EXPECT_EQ(AlbumInfoSource, 2);
    EXPECT_EQ(Volume, 40);
    EXPECT_EQ(sheet.output.destination, root_ + "/Music/");
    EXPECT_EQ(sheet.output.fileStyle, 11);
    EXPECT_EQ(sheet.encoder.format, encoderShown ? kFormatMp3 : -1);
  }
}

}  // namespace

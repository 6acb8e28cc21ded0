// The option pages without windows: list contents per format, selections
// mapped onto the settings (also with nothing selected), the Output page's
// separator, destination and preview rules, the CDDB folder, Reset, and the
// page the sheet opens on.
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "app/disc_worker.h"
#include "app/options_sheet_model.h"
#include "app/settings.h"
#include "tests/app/option_settings.h"

namespace {

std::string Encoder() {
  return fmt::format("fmt={} wav={},{},{} mp3={},{},{}", OutputFormat, Freq, SubFormat, Channel, LameFreq,
                     LameBits, LameChannel);
}

std::string Output() {
  return fmt::format("'{}' {} '{}' {}{}{}", DesDir, FileStyle, Separator, FillTag, WriteLog, M3U);
}

class OptionsModelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qcr-options-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ::setenv("HOME", root_.c_str(), 1);  // no XDG folders: the music folder is ~/Music/
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    Defaults();
  }
  void TearDown() override {
    Defaults();
    std::filesystem::remove_all(root_);
  }
  static void Defaults() { SetOptionTestSettings(); }
  std::string root_;
};

TEST_F(OptionsModelsTest, EncoderListsFollowTheFormat) {
  EXPECT_EQ(EncoderOptionsModel::FormatEntries(),
            (std::vector<std::string>{" WAV    (Waveform Audio)", " MP3    (MPEG-1 Audio Layer 3)"}));
  EXPECT_EQ(EncoderOptionsModel::SampleRateEntries(),
            (std::vector<std::string>{"  8000 Hertz", " 11025 Hertz", " 12000 Hertz", " 16000 Hertz",
                                      " 22050 Hertz", " 24000 Hertz", " 32000 Hertz", " 44100 Hertz",
                                      " 48000 Hertz"}));
  std::vector<std::string> bitrates;
  for (const char* kbps : {"   8", "  16", "  24", "  32", "  40", "  48", "  56", "  64", "  80", "  96",
                           " 112", " 128", " 160", " 192", " 224", " 256", " 320"})
    bitrates.push_back(std::string(kbps) + " kbits per second");
  const struct {
    int format;
    std::vector<std::string> quality, channels;
    const char* label;
  } rows[] = {
      {kFormatMp3, bitrates, {" Mono", " Stereo", " Joint Stereo", " Dual Channel"}, "Bits per Second:"},
      {kFormatWav, {" Unsigned 8 bit PCM", " Signed 16 bit PCM"}, {" Mono", " Stereo"}, "Codec:"},
      {-1, {}, {}, "Bits per Second:"},
  };
  for (const auto& row : rows) {
    EncoderOptionsModel page;
    page.SelectFormat(row.format);
    EXPECT_EQ(page.QualityEntries(), row.quality) << row.format;
    EXPECT_EQ(page.ChannelEntries(), row.channels) << row.format;
    EXPECT_STREQ(page.QualityLabel(), row.label);
    EXPECT_EQ(page.NoteVisible(), row.format == kFormatMp3);
  }
}

// Load selects the applied values; Apply writes the selections back, and a
// value the lists do not offer keeps its setting instead of becoming "none".
TEST_F(OptionsModelsTest, EncoderSelectionsAndApply) {
  const struct {
    int16_t outputFormat, freq, subFormat;
    int pickQuality;  // -2: keep what Load selected
    std::string selected, applied;
  } rows[] = {
      {2, 7, 1, -2, "1 7 11 2", "fmt=2 wav=7,1,1 mp3=7,11,2"},
      {2, 7, 1, 16, "1 7 16 2", "fmt=2 wav=7,1,1 mp3=7,16,2"},
      {1, 3, 0, -2, "0 3 0 1", "fmt=1 wav=3,0,1 mp3=7,11,2"},
      {1, 9, 1, 0, "0 -1 0 1", "fmt=1 wav=9,0,1 mp3=7,11,2"},  // 88200 Hz is not offered
      {3, 7, 1, -2, "-1 -1 -1 -1", "fmt=3 wav=7,1,1 mp3=7,11,2"},
      {1, 7, -3, -2, "0 7 -1 1", "fmt=1 wav=7,-3,1 mp3=7,11,2"},
  };
  for (const auto& row : rows) {
    Defaults();
    OutputFormat = row.outputFormat;
    Freq = row.freq;
    SubFormat = row.subFormat;
    EncoderOptionsModel page;
    page.Load();
    if (row.pickQuality != -2) page.quality = row.pickQuality;
    EXPECT_EQ(fmt::format("{} {} {} {}", page.format, page.sampleRate, page.quality, page.channels),
              row.selected);
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(Encoder(), row.applied);
  }
  // Switching the format shows that format's applied values, not pending ones.
  LameBits = 13;
  EncoderOptionsModel page;
  page.Load();
  page.quality = 3;
  page.SelectFormat(kFormatWav);
  page.SelectFormat(kFormatMp3);
  EXPECT_EQ(page.quality, 13);
}

TEST_F(OptionsModelsTest, OutputApply) {
  // The longest folder the settings loader keeps, once the page adds its "/".
  const std::string longest = "/" + std::string(kMaxPathBytes - 3, 'd');
  const struct {
    std::string destination;
    const char* separator;
    int style;
    PageApplyResult::Status status;
    std::string settings;
    const char* message = nullptr;
  } rows[] = {
      {"/rips", "_", 3, PageApplyResult::Applied, "'/rips/' 3 '_' 010"},
      {"/rips/  \t", "/", 0, PageApplyResult::Applied, "'/rips/' 0 '-' 010"},
      {"/my rips ", "", 12, PageApplyResult::Applied, "'/my rips/' 12 '' 010"},
      {"/rips", "a|b?", -1, PageApplyResult::Applied, "'/rips/' 11 'a-b' 010"},  // nothing selected
      {"  \t", "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101", kEmptyDestinationMessage},
      {longest, "_", 3, PageApplyResult::Applied, "'" + longest + "/' 3 '_' 010"},
      {longest + "d", "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101", kLongDestinationMessage},
      {longest + "/", "_", 3, PageApplyResult::Applied, "'" + longest + "/' 3 '_' 010"},
      // Control characters, pasted into the folder or the delimiter.
      {"/a\nb", "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101", kControlDestinationMessage},
      {"/a\rb", "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101", kControlDestinationMessage},
      {std::string("/a\0b", 4), "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101",
       kControlDestinationMessage},
      {"/a\tb", "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101", kControlDestinationMessage},
      {"/rips", "a\nb", 3, PageApplyResult::Applied, "'/rips/' 3 'ab' 010"},
      // Only a full path is taken; "~" is the home folder, blanks go at both ends.
      {"~", "_", 3, PageApplyResult::Applied, "'" + root_ + "/' 3 '_' 010"},
      {"~/x", "_", 3, PageApplyResult::Applied, "'" + root_ + "/x/' 3 '_' 010"},
      {" /x ", "_", 3, PageApplyResult::Applied, "'/x/' 3 '_' 010"},
      {"x/y", "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101", kRelativeDestinationMessage},
      {"file:///x", "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101", kRelativeDestinationMessage},
      {"~x/y", "_", 3, PageApplyResult::Refused, "'/music/' 11 '-' 101", kRelativeDestinationMessage},
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
    EXPECT_EQ(result.status, row.status) << row.destination.size();
    EXPECT_EQ(result.message, row.message ? row.message : "");
    EXPECT_EQ(refreshed, row.status == PageApplyResult::Applied ? 1 : 0);
    EXPECT_EQ(Output(), row.settings);
    // The field shows the folder as kept.
    EXPECT_EQ(page.destination, row.status == PageApplyResult::Applied ? DesDir : row.destination);
  }
}

TEST_F(OptionsModelsTest, OutputListAndPreview) {
  FileStyle = 0;
  OutputOptionsModel page;
  page.Load();
  EXPECT_EQ(page.Preview(), "06.mp3");
  // A typed slash shows as a hyphen; the field keeps it and the choice stays.
  page.fileStyle = 5;
  page.SetSeparatorText("/");
  EXPECT_EQ(page.SeparatorText(), "/");
  EXPECT_EQ(page.TemplateEntries().at(5), " <Artist>-<Album>-<Tracknum>-<Tracktitle>");
  EXPECT_EQ(page.Preview(), "Artist-Album-06-Title.mp3");
  page.SetSeparatorText("");
  EXPECT_EQ(page.TemplateEntries().at(3), " <Tracknum><Tracktitle>");
  OutputFormat = 1;  // the applied format, not a pending one
  EXPECT_EQ(page.Preview(), "ArtistAlbum06Title.wav");
  FileStyle = 13;
  page.Load();
  EXPECT_EQ(page.Preview(), ".wav");
}

// Busy refuses silently; an empty, too long or relative cache folder, or one
// holding a control character, is refused with a message and stops the
// sheet there; "~" and blanks are tidied; CDDB radios follow the load
// switch; pages never shown apply nothing (here an unoffered 96000 Hz stays).
TEST_F(OptionsModelsTest, SheetApplyAndCDDBPage) {
  Freq = 10;
  OutputFormat = 1;
  AlbumInfoSource = 5;
  int refreshed = 0;
  OptionsSheetModel sheet([&] { ++refreshed; });
  sheet.ShowPage(kCDDBPage);
  sheet.ShowPage(kOutputPage);
  EXPECT_EQ(sheet.cddb.source, -1);
  EXPECT_TRUE(sheet.cddb.SourceEnabled());
  sheet.cddb.loadOnInsert = false;
  EXPECT_FALSE(sheet.cddb.SourceEnabled());
  sheet.cddb.localFolder = " ";
  sheet.output.destination = "/new";
  Busy = 1;
  EXPECT_EQ(sheet.Apply().status, PageApplyResult::Busy);
  Busy = 0;
  const struct {
    std::string typed;
    const char* message;  // nullptr: applied
    std::string kept = {};
  } folders[] = {
      {" ", kEmptyLocalFolderMessage},
      {"/" + std::string(kMaxPathBytes - 1, 'c'), kLongLocalFolderMessage},  // longer than the next start keeps
      {"/Loc\nal", kControlLocalFolderMessage},
      {"/Loc\ral", kControlLocalFolderMessage},
      {std::string("/Loc\0al", 7), kControlLocalFolderMessage},
      {"/Loc\tal", kControlLocalFolderMessage},
      {"x/y", kRelativeLocalFolderMessage},
      {"file:///x", kRelativeLocalFolderMessage},
      {"~", nullptr, root_},
      {"~/x", nullptr, root_ + "/x"},
      {" /x \t", nullptr, "/x"},
      {"/cache2", nullptr, "/cache2"},
  };
  for (const auto& row : folders) {
    sheet.cddb.localFolder = row.typed;
    const PageApplyResult result = sheet.Apply();
    EXPECT_EQ(result.message, row.message ? row.message : "") << row.typed;
    EXPECT_EQ(LocalCDDBDir, row.message ? "/cache" : row.kept) << row.typed;
    EXPECT_EQ(sheet.cddb.localFolder, row.message ? row.typed : row.kept);  // what the field shows
    EXPECT_EQ(LoadAlbumInfo, row.message ? 1 : 0);
    LocalCDDBDir = "/cache";
  }
  EXPECT_EQ(fmt::format("{} {} {}", AlbumInfoSource, LoadAlbumInfo, DesDir), "5 0 /new/");
  EXPECT_EQ(refreshed, 4);
  EXPECT_EQ(Encoder(), "fmt=1 wav=10,1,1 mp3=7,11,2");
  OptionsSheetModel encoderOnly([&] { ++refreshed; });
  encoderOnly.ShowPage(kEncoderPage);
  encoderOnly.encoder.SelectFormat(kFormatMp3);
  EXPECT_TRUE(encoderOnly.Apply());
  EXPECT_EQ(refreshed, 5);
  EXPECT_EQ(OutputFormat, 2);
}

TEST_F(OptionsModelsTest, LastPageSequence) {
  EXPECT_EQ(OptionsSheetModel::InitialPage(), kOutputPage);  // fresh install
  {
    OptionsSheetModel sheet;
    sheet.ShowPage(OptionsSheetModel::InitialPage());
    sheet.ShowPage(kEncoderPage);
  }  // Cancel: gone without applying
  EXPECT_EQ(OptionsSheetModel::InitialPage(), kEncoderPage);
  LastPage = 7;
  EXPECT_EQ(OptionsSheetModel::InitialPage(), kOutputPage);
}

TEST_F(OptionsModelsTest, ResetReturnsOutputAndEncoderDefaults) {
  for (bool encoderShown : {false, true}) {
    DesDir = "/elsewhere/";
    Separator = "+";
    OutputFormat = FileStyle = SubFormat = Channel = Freq = LameFreq = LameBits = LameChannel = 0;
    M3U = FillTag = 0;
    WriteLog = AlbumInfoSource = 1;
    OptionsSheetModel sheet;
    sheet.ShowPage(kOutputPage);
    if (encoderShown) sheet.ShowPage(kEncoderPage);
    sheet.ResetOutputOptions();
    EXPECT_EQ(Output(), "'" + root_ + "/Music/' 11 '-' 101");
    EXPECT_EQ(Encoder(), "fmt=2 wav=7,1,1 mp3=7,11,2");
    EXPECT_EQ(AlbumInfoSource, 1);
    EXPECT_EQ(sheet.output.destination, root_ + "/Music/");
    EXPECT_EQ(sheet.encoder.format, encoderShown ? kFormatMp3 : -1);
  }
}

}  // namespace

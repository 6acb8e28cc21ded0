// The track list's rows without a window: lengths around data tracks in the
// same and in a later session, titles, check rules, the rip commands' track
// entries and refusals, and the genre table.
#include "app/track_list_model.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/disc_worker.h"
#include "app/drives.h"
#include "app/genre_names.h"
#include "app/main_commands.h"
#include "tests/support/fake_drive.h"
#include "tests/support/recording_port.h"

namespace {

using Kind = RecordingMainWindowPort::Kind;

struct Track {
  int32_t lba;
  bool data = false;
};

// A refreshed disc with a table of contents built by hand.
DiscSnapshot Disc(const std::vector<Track>& tracks, int32_t leadOut, int32_t lastSession = -1,
                  std::vector<std::string> titles = {}) {
  DiscSnapshot disc;
  disc.NoDisc = 0;
  disc.LookupOnRefresh = titles.empty() ? 0 : 1;
  disc.Album.TrackTitles = std::move(titles);
  disc.LastSessionLBA = lastSession;
  auto& toc = *reinterpret_cast<TOCData*>(disc.TOC.data());
  const size_t count = tracks.size();
  toc.Length[1] = static_cast<uint8_t>(2 + 8 * (count + 1));
  toc.FirstTrack = 1;
  toc.LastTrack = static_cast<uint8_t>(count);
  auto put = [&](size_t k, int32_t lba, bool data) {
    toc.Descriptors[k].AdrControl = data ? 0x14 : 0x10;
    toc.Descriptors[k].TrackNumber = k < count ? static_cast<uint8_t>(k + 1) : kTOCLeadOutTrack;
    for (int b = 0; b < 4; ++b) toc.Descriptors[k].StartLBA[b] = static_cast<uint8_t>(lba >> (24 - 8 * b));
  };
  for (size_t k = 0; k < count; ++k) put(k, tracks[k].lba, tracks[k].data);
  put(count, leadOut, false);
  return disc;
}

class TrackListModelTest : public ::testing::Test {
 protected:
  void SetUp() override { Busy = 0; }
  void TearDown() override { Busy = 0; }

  RipCommandContext Context() {
    RipCommandContext context;
    context.port = &port_;
    context.model = &model_;
    context.currentItem = &currentItem_;
    context.stopPlayer = [this] { ++playerStops_; };
    context.statusCleared = [this] { ++statusShown_; };
    context.runRip = [this](std::vector<TrackData> tracks) { ripped_.push_back(std::move(tracks)); };
    return context;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& call : port_.CallsOf(Kind::Message)) texts.push_back(call.text);
    return texts;
  }

  TrackListModel model_;
  RecordingMainWindowPort port_;
  int currentItem_ = 0;
  int playerStops_ = 0;
  int statusShown_ = 0;
  std::vector<std::vector<TrackData>> ripped_;
};

// The length of the audio track before a data track: the gap between two
// sessions is taken off only when the data track starts the last session,
// and never below 0.
TEST_F(TrackListModelTest, GapBeforeADataTrackCountsOnlyBetweenSessions) {
  const struct {
    const char* what;
    int32_t audioLength;
    int32_t lastSession;  // -1: one session
    int32_t shown;
  } rows[] = {
      {"same session, long track", 20000, -1, 20000},
      {"same session, just above the old threshold", 11300, -1, 11300},
      {"session reported at the first track", 20000, 0, 20000},
      {"later session", 20000, 20150, 20000 - 11400},
      {"later session, shorter than the gap", 11300, 11450, 0},
  };
  for (const auto& row : rows) {
    const int32_t dataStart = 150 + row.audioLength;
    model_.Refill(Disc({{0}, {150}, {dataStart, true}}, dataStart + 5000, row.lastSession));
    ASSERT_EQ(model_.Count(), 3) << row.what;
    EXPECT_EQ(model_.Row(1).ItemData, row.shown) << row.what;
    EXPECT_FALSE(model_.IsDataRow(1)) << row.what;
    EXPECT_EQ(model_.CellText(1, kTrackColumnDuration), FormatSectors(row.shown)) << row.what;
    // The data row: negative item data, its own full length, never checked.
    EXPECT_EQ(model_.Row(2).ItemData, static_cast<int32_t>(kDataTrackMarker + 5000)) << row.what;
    EXPECT_EQ(model_.Row(2).Length(), 5000);
    EXPECT_FALSE(model_.Row(2).Checked);
  }

  // A last audio track followed only by the lead-out keeps its length.
  model_.Refill(Disc({{0, true}, {40000}}, 52000, 40000));
  EXPECT_EQ(model_.Row(1).ItemData, 12000);
  EXPECT_EQ(model_.Row(0).Length(), 40000) << "only audio before a data track loses the gap";
}

TEST_F(TrackListModelTest, RowsTitlesAndChecks) {
  model_.Refill(Disc({{0}, {4500}, {9037, true}, {12000}}, 20000, -1, {"One", "Two"}));
  const std::vector<std::vector<std::string>> cells = {
      {"  01", "One", "Audio Track", "00:02.000", "01:00.000"},
      {"  02", "Two", "Audio Track", "01:02.000", "01:00.493"},
      {"  03", "Track03", "Data Track", "02:02.493", "00:39.507"},  // fewer titles than tracks
      {"  04", "Track04", "Audio Track", "02:42.000", "01:46.667"},
  };
  ASSERT_EQ(model_.Count(), 4);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column <= kTrackColumnDuration; ++column)
      EXPECT_EQ(model_.CellText(row, column), cells[row][column]) << row << "," << column;
    EXPECT_EQ(model_.IsChecked(row), row != 2) << row;
  }
  EXPECT_FALSE(model_.SetChecked(2, true));
  EXPECT_EQ(model_.FindNextChecked(1), 3);

  DiscSnapshot unnamed = Disc({{0}, {4500}}, 9000, -1, {"One", "Two"});
  unnamed.LookupOnRefresh = 0;  // no lookup: placeholder titles
  model_.Refill(unnamed);
  EXPECT_EQ(model_.CellText(1, kTrackColumnTitle), "Track02");
}

TEST_F(TrackListModelTest, FormatSectorsRoundsMilliseconds) {
  const std::pair<int, const char*> rows[] = {
      {0, "00:00.000"}, {37, "00:00.493"}, {74, "00:00.987"}, {4500, "01:00.000"}, {-5, "00:00.000"}};
  for (const auto& [sectors, text] : rows) EXPECT_EQ(FormatSectors(sectors), text) << sectors;
}

// Rip and Rip Current: the tracks they hand over, and what they refuse.
TEST_F(TrackListModelTest, RipCommands) {
  model_.Refill(Disc({{0}, {1000}, {1500}, {4000, true}}, 6000));
  model_.SetChecked(1, false);
  model_.SetStatus(0, "Played");
  ASSERT_EQ(OnRip(Context()), RipOutcome::Ran);
  ASSERT_EQ(OnRipCurrent(Context(), 1), RipOutcome::Ran);  // checked or not
  const std::vector<std::vector<TrackData>> expected = {{{0, 0, 1000, 1000}, {2, 1500, 2500, 3500}},
                                                        {{1, 1000, 500, 500}}};
  ASSERT_EQ(ripped_.size(), expected.size());
  for (size_t job = 0; job < expected.size(); ++job) {
    ASSERT_EQ(ripped_[job].size(), expected[job].size());
    for (size_t i = 0; i < expected[job].size(); ++i) {
      const TrackData &got = ripped_[job][i], &want = expected[job][i];
      EXPECT_EQ(std::tie(got.TrackNumber, got.StartLBA, got.Length, got.TotalLength),
                std::tie(want.TrackNumber, want.StartLBA, want.Length, want.TotalLength))
          << job << "," << i;
    }
  }
  EXPECT_EQ(model_.CellText(0, kTrackColumnStatus), "");
  EXPECT_EQ(statusShown_, 2);
  EXPECT_EQ(currentItem_, 1);

  RipCommandContext context = Context();
  context.playing = true;
  model_.UncheckAll();
  EXPECT_EQ(OnRip(context), RipOutcome::NothingChecked);  // before asking about the player
  model_.CheckAll();
  port_.QueueAnswer(IDNO);
  EXPECT_EQ(OnRip(context), RipOutcome::PlayerKept);
  EXPECT_EQ(playerStops_, 0);
  port_.QueueAnswer(IDYES);
  EXPECT_EQ(OnRip(context), RipOutcome::Ran);
  EXPECT_EQ(playerStops_, 1);
  context.playing = false;
  EXPECT_EQ(OnRipCurrent(context, 3), RipOutcome::NotAudio);
  EXPECT_EQ(OnRipCurrent(context, -1), RipOutcome::NothingSelected);
  EXPECT_EQ(currentItem_, 1);
  Busy = 1;
  EXPECT_EQ(OnRip(context), RipOutcome::NotNow);
  EXPECT_EQ(OnRipCurrent(context, 0), RipOutcome::NotNow);
  EXPECT_EQ(ripped_.size(), 3u);
  const std::vector<std::string> messages = {
      "No Audio Tracks Checked!", "Do You Wish to Stop Playing to Rip Audio Tracks?",
      "Do You Wish to Stop Playing to Rip Audio Tracks?", "Not an Audio Track!", "No Audio Track Selected!"};
  EXPECT_EQ(Messages(), messages);
}

// A drive that reports a later session: the refresh hands its start to the rows.
TEST_F(TrackListModelTest, RefreshPassesTheSessionStartOn) {
  FakeDrive drive({{AudioTrack(2), AudioTrackSectors(500), DataTrack(3, 11400)}});
  drive.SetLastSessionTrack(2);
  RecordingMainWindowPort port;
  ASSERT_TRUE(EnumerateDrives(port).Found);
  CurrentDrive = 0;
  {
    DiscWorker worker(port);
    worker.Start(kDiscRefresh);
    ASSERT_TRUE(worker.WaitUntilIdle(std::chrono::seconds(30)));
  }
  if (const int handle = CDHandle.exchange(0)) CloseCDHandle(handle);
  ASSERT_EQ(port.FilledLists().size(), 1u);
  model_.Refill(port.FilledLists()[0]);
  ASSERT_EQ(model_.Count(), 3);
  EXPECT_EQ(model_.Row(1).ItemData, 500);
}

TEST(GenreNamesTest, TheTableHasItsOwnSpellings) {
  GenreNames.clear();
  FillGenreNames();
  ASSERT_EQ(GenreNames.size(), 148u);
  const std::pair<int, const char*> spots[] = {{0, "Blues"},      {29, "Jazz+Funk"}, {30, "Fusion"},
                                               {81, "Folk/Rock"}, {84, "Fusion"},    {133, "Negerpunk"},
                                               {146, "Jpop"},     {147, "Synthpop"}};
  for (const auto& [index, name] : spots) EXPECT_EQ(GenreNames[static_cast<size_t>(index)], name) << index;
}

}  // namespace

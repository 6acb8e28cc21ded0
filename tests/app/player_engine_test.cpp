// The player engine on a generated disc in a test drive, playing into an
// output that keeps every sample: exact samples at each volume, the order of
// the checked rows, seeks, pause, the transport commands, failing drives and
// sound outputs, and stopping in the middle of things.
#include "app/player_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "app/disc_worker.h"
#include "app/settings.h"
#include "platform/log_sink.h"
#include "tests/app/player_test_util.h"
#include "ui/core/win_types.h"

namespace {

using Kind = RecordingPlayerView::Kind;

std::vector<int16_t> Concat(std::initializer_list<std::vector<int16_t>> parts) {
  std::vector<int16_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<int16_t> Head(const std::vector<int16_t>& v, size_t n) {
  return {v.begin(), v.begin() + static_cast<std::ptrdiff_t>(std::min(n, v.size()))};
}

class PlayerEngineTest : public ::testing::Test {
 public:  // the table rows' actions reach in
  void SetUp() override {
    Busy = 0;
    Volume = 100;
  }
  void TearDown() override {
    if (out) out->Hold(false);
    engine.reset();
    disc.reset();
  }

  // A fresh disc: audio tracks of the given lengths (sectors), then a data
  // track; a new output, an empty record of the window and a new engine.
  void Insert(std::vector<int32_t> sectors = {75, 90, 60, 45}) {
    TearDown();
    DiscImageSpec layout;
    for (int32_t n : sectors) layout.Tracks.push_back(AudioTrackSectors(n));
    layout.Tracks.push_back(DataTrack(1.0));
    disc = std::make_unique<PlayerDisc>(layout);
    out = std::make_unique<CapturingOutput>();
    view.Clear();
    engine = std::make_unique<PlayerEngine>(disc->model, view, *out);
  }
  TrackListModel& Model() { return disc->model; }
  void CheckOnly(const std::vector<int>& rows) {
    Model().UncheckAll();
    for (int r : rows) Model().SetChecked(r, true);
    engine->RowsChanged();
  }
  // Starts playing with the output held at its first block.
  void PlayHeld(const std::function<void()>& play) {
    out->Hold(true);
    play();
    ASSERT_TRUE(out->WaitForHeldWrite());
  }
  std::vector<std::string> Texts(int kind) const {
    std::vector<std::string> out;
    for (const auto& c : view.Of(Kind::Text))
      if (c.value == kind) out.push_back(c.text);
    return out;
  }

  std::unique_ptr<CapturingOutput> out;
  RecordingPlayerView view;
  std::unique_ptr<PlayerDisc> disc;
  std::unique_ptr<PlayerEngine> engine;
};

TEST_F(PlayerEngineTest, SamplesAreTheDiscsScaledByTheVolume) {
  struct Case {
    int volume;
    std::function<int16_t(int16_t)> scale;
  } cases[] = {
      {100, [](int16_t s) { return s; }},
      {50, [](int16_t s) { return static_cast<int16_t>(s / 2); }},  // integer division truncates toward zero
      {0, [](int16_t) { return int16_t{0}; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.volume);
    Insert();
    CheckOnly({0});
    engine->OnVolume(c.volume);
    engine->OnPlay();
    ASSERT_TRUE(WaitUntilStopped(*engine));
    const std::vector<int16_t> track = disc->RowSamples(0);
    std::vector<int16_t> expected(track.size());
    std::transform(track.begin(), track.end(), expected.begin(), c.scale);
    EXPECT_EQ(out->Samples(), expected);
    EXPECT_EQ(Volume, c.volume);
  }
  EXPECT_EQ(PlayerEngine::VolumeTipText(37), "Volume: 37");
}

TEST_F(PlayerEngineTest, PlaysTheCheckedRowsInOrderAndClearsUpAtTheEnd) {
  Insert();
  CheckOnly({0, 2, 3});
  engine->OnPlay();
  ASSERT_TRUE(WaitUntilStopped(*engine));
  EXPECT_EQ(out->Samples(), Concat({disc->RowSamples(0), disc->RowSamples(2), disc->RowSamples(3)}));
  EXPECT_EQ(out->Opens(), 1);
  EXPECT_EQ(out->Closes(), 1);

  std::vector<std::pair<std::string, int>> statuses;
  std::vector<int> rows;
  for (const auto& c : view.Calls()) {
    if (c.kind == Kind::Text && c.value == kPlaybackTextStatus) statuses.emplace_back(c.text, c.row);
    if (c.kind == Kind::Row) rows.push_back(c.value);
  }
  const std::vector<std::pair<std::string, int>> expected = {
      {"Playing", 0}, {"", 0}, {"Playing", 2}, {"", 2}, {"Playing", 3}};
  EXPECT_EQ(statuses, expected);
  EXPECT_EQ(rows, (std::vector<int>{0, 2, 3}));
  // The end resets the time and empties every Status cell.
  const auto calls = view.Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].kind, Kind::Time);
  EXPECT_EQ(calls[calls.size() - 2].value, 0);
  EXPECT_EQ(calls.back().kind, Kind::Text);
  EXPECT_EQ(calls.back().value, kPlaybackTextClearStatus);
  EXPECT_EQ(engine->CurrentItem(), 3);
  EXPECT_FALSE(engine->Playing());
}

TEST_F(PlayerEngineTest, PauseDeliversNothingAndResumeGoesOnFromTheSameSample) {
  Insert({375});
  PlayHeld([&] { engine->OnPlay(); });
  engine->OnPause();
  out->Hold(false);
  ASSERT_TRUE(out->WaitForWrites(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(out->Writes(), 1);
  EXPECT_TRUE(engine->Paused());
  engine->OnPause();
  ASSERT_TRUE(WaitUntilStopped(*engine));
  EXPECT_EQ(out->Samples(), disc->RowSamples(0));
  EXPECT_EQ(Texts(kPlaybackTextStatus), (std::vector<std::string>{"Playing", "Paused", "Playing"}));
}

TEST_F(PlayerEngineTest, SeekLandsOnThePerMilleSampleAndItsEndsDoNotMove) {
  struct Case {
    int32_t sectors;
    int perMille;
    int shown;          // slider position returned
    int32_t landsAt;    // sector; -1: no move
    const char* label;  // nullptr: label untouched
  } cases[] = {
      {13500, 500, 500, 6750, "01:30"},  // half of three minutes
      {13500, 1, 1, 14, "00:00"},        // 13.5 sectors round to 14
      {1500, 999, 999, 1499, "00:20"},  {1500, 1000, 1000, -1, nullptr},
      {1500, 0, 0, -1, nullptr},        {1500, -5, 0, -1, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.perMille);
    Insert({c.sectors});
    disc->drive.SetReadDelay(20);  // the seek meets a read under way
    PlayHeld([&] { engine->OnPlay(); });
    EXPECT_EQ(engine->OnSeek(c.perMille), c.shown);
    out->Hold(false);
    ASSERT_TRUE(out->WaitForWrites(2));
    engine->StopPlayback();
    const auto samples = out->Samples();
    const auto track = disc->RowSamples(0);
    const size_t block = kPlayerBlockSamples;
    ASSERT_GT(samples.size(), block);
    EXPECT_EQ(Head(samples, block), Head(track, block));
    const auto after = std::vector<int16_t>(samples.begin() + block, samples.end());
    const auto expected = c.landsAt < 0 ? std::vector<int16_t>(track.begin() + block, track.end())
                                        : disc->RowSamples(0, c.landsAt);
    EXPECT_EQ(Head(after, block), Head(expected, block));
    const auto labels = view.Of(Kind::Label);
    if (c.label) {
      ASSERT_EQ(labels.size(), 1u);
      EXPECT_EQ(labels[0].text, c.label);
    } else {
      EXPECT_TRUE(labels.empty());
    }
    EXPECT_FALSE(engine->Seeking());
  }
  // Without playback a seek changes nothing.
  EXPECT_EQ(engine->OnSeek(500), 500);
  EXPECT_FALSE(engine->Playing());
  // The slider follows the seconds played of the last track (1500 sectors =
  // 200.5 tenths), up to its end.
  EXPECT_EQ(engine->TimeDisplayOf(10).SeekPosition, 498);
  EXPECT_EQ(engine->TimeDisplayOf(25).SeekPosition, kSeekRange);
  EXPECT_EQ(engine->TimeDisplayOf(25).Label, "00:25");
}

TEST_F(PlayerEngineTest, TransportCommandsWhileStoppedOnlyMoveTheCurrentRow) {
  Insert();
  struct Case {
    std::vector<int> checked;
    int current;
    void (PlayerEngine::*command)();
    int expected;
  } cases[] = {
      {{0, 1, 3}, 1, &PlayerEngine::OnNext, 3},
      {{0, 1, 3}, 3, &PlayerEngine::OnNext, 3},
      {{0, 1, 3}, 3, &PlayerEngine::OnPrevious, 1},
      {{1, 3}, 1, &PlayerEngine::OnPrevious, 1},
      {{1, 2}, 0, &PlayerEngine::OnFirst, 0},
      {{1, 2}, 3, &PlayerEngine::OnFirst, 1},
      {{1, 2}, 0, &PlayerEngine::OnLast, 2},
      {{0, 1}, 4, &PlayerEngine::OnLast, 4},
      {{}, 2, &PlayerEngine::OnNext, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "current " << c.current << " expected " << c.expected);
    CheckOnly(c.checked);
    engine->SetCurrentItem(c.current);
    view.Clear();
    (engine.get()->*c.command)();
    EXPECT_EQ(engine->CurrentItem(), c.expected);
    const auto rows = view.Of(Kind::Row);
    EXPECT_EQ(rows.size(), c.expected == c.current ? 0u : 1u);
    EXPECT_TRUE(view.Of(Kind::Text).empty());
    EXPECT_TRUE(view.Of(Kind::Label).empty());
  }
  EXPECT_EQ(out->Opens(), 0);
}

TEST_F(PlayerEngineTest, TrackSwitchesWhilePlayingDropTheOldPosition) {
  struct Case {
    const char* name;
    std::function<void(PlayerEngine&)> command;
    std::vector<int> then;  // rows played after the first block of row 0
    const char* status;
  } cases[] = {
      {"next", [](PlayerEngine& e) { e.OnNext(); }, {1, 2}, "Playing"},
      {"last", [](PlayerEngine& e) { e.OnLast(); }, {2}, "Playing"},
      {"play current", [](PlayerEngine& e) { e.OnPlayCurrent(2); }, {2}, "Playing"},
      {"previous at the first", [](PlayerEngine& e) { e.OnPrevious(); }, {}, nullptr},
      {"first at row 0", [](PlayerEngine& e) { e.OnFirst(); }, {}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Insert();
    disc->drive.SetReadDelay(20);  // the switch meets a read under way
    CheckOnly({0, 1, 2});
    PlayHeld([&] { engine->OnPlay(); });
    c.command(*engine);
    out->Hold(false);
    ASSERT_TRUE(WaitUntilStopped(*engine));
    const auto first = disc->RowSamples(0);
    std::vector<int16_t> expected;
    if (c.then.empty()) {
      expected = Concat({first, disc->RowSamples(1), disc->RowSamples(2)});
    } else {
      expected = Head(first, kPlayerBlockSamples);
      for (int r : c.then) expected = Concat({expected, disc->RowSamples(r)});
    }
    EXPECT_EQ(out->Samples(), expected);
    if (c.status) {
      const auto texts = view.Of(Kind::Text);
      ASSERT_GE(texts.size(), 3u);
      EXPECT_EQ(texts[1].value, kPlaybackTextClearStatus);
      EXPECT_EQ(texts[2].text, c.status);
      EXPECT_EQ(texts[2].row, c.then.front());
      EXPECT_EQ(view.Of(Kind::Label).at(0).text, "00:00");
    }
  }
}

TEST_F(PlayerEngineTest, RefusalsAskWithTheirBoxAndPlayNothing) {
  Insert();
  struct Case {
    const char* name;
    std::function<void(PlayerEngineTest&)> act;
    const char* box;
    uint32_t style;
  } cases[] = {
      {"nothing checked",
       [](PlayerEngineTest& t) {
         t.CheckOnly({});
         t.engine->OnPlay();
       },
       "Warning: No Audio Track Checked!", MB_ICONEXCLAMATION},
      {"nothing selected", [](PlayerEngineTest& t) { t.engine->OnPlayCurrent(-1); },
       "No Audio Track Selected!", MB_OK},
      {"data row", [](PlayerEngineTest& t) { t.engine->OnPlayCurrent(4); }, "Not an Audio Track!",
       MB_ICONERROR},
      {"busy",
       [](PlayerEngineTest& t) {
         Busy = 1;
         t.engine->OnPlay();
         t.engine->OnPlayCurrent(0);
         Busy = 0;
       },
       nullptr, 0},
      {"no sound",
       [](PlayerEngineTest& t) {
         t.engine->SetSoundAvailable(false);
         t.engine->OnPlay();
         t.engine->OnPlayCurrent(0);
         t.engine->SetSoundAvailable(true);
       },
       nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    view.Clear();
    c.act(*this);
    EXPECT_FALSE(engine->Playing());
    const auto boxes = view.Of(Kind::Message);
    if (c.box) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, c.box);
      EXPECT_EQ(static_cast<uint32_t>(boxes[0].value), c.style);
    } else {
      EXPECT_TRUE(boxes.empty());
    }
  }
  EXPECT_EQ(out->Opens(), 0);
}

// Failing drives and sound outputs: what is logged, what the Status cell
// keeps, and that no stream call follows a stream that never opened.
TEST_F(PlayerEngineTest, FailuresReportTheirTextsAndEndCleanly) {
  struct Case {
    const char* name;
    std::function<void(PlayerEngineTest&)> arrange;
    std::vector<std::string> errors;
    std::vector<std::string> statuses;
    int32_t playedFrom;  // sector of row 0 the samples start at; -1 none expected
  } cases[] = {
      {"stream does not open",
       [](PlayerEngineTest& t) { t.out->FailOpen(true); },
       {"Fail to open input stream."},
       {"Playing"},
       -1},
      {"stream write fails",
       [](PlayerEngineTest& t) { t.out->FailWrites(true); },
       {"An error occurred while playing."},
       {"Playing", "Error"},
       -1},
      {"drive is gone",
       [](PlayerEngineTest&) { CDHandle = 0; },
       {"An error occurred while reading audio CD."},
       {"Playing", "Error"},
       -1},
      {"bad sectors are skipped",
       [](PlayerEngineTest& t) { t.disc->drive.FailNextReads(2); },
       {},
       {"Playing"},
       2 * kPlayerReadSectors},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Insert();
    CheckOnly({0});
    const int handle = CDHandle;
    c.arrange(*this);
    engine->OnPlay();
    ASSERT_TRUE(WaitUntilStopped(*engine));
    CDHandle = handle;
    EXPECT_EQ(Texts(LogError), c.errors);
    EXPECT_EQ(Texts(kPlaybackTextStatus), c.statuses);
    EXPECT_EQ(out->CallsWithoutStream(), 0);
    EXPECT_EQ(out->Closes(), out->Opens() - (c.name == std::string("stream does not open") ? 1 : 0));
    if (c.playedFrom >= 0) {
      EXPECT_EQ(out->Samples(), disc->RowSamples(0, c.playedFrom));
    }
    EXPECT_FALSE(engine->Playing());
    EXPECT_FALSE(engine->Paused());
  }
}

// Rows that last no time, changes to the list while playing, a media change,
// stopping at any moment and commands after the end: none may crash, divide
// by zero, hang or touch a ring that is gone.
TEST_F(PlayerEngineTest, PlaybackSurvivesOddRowsAndCommandsAtAnyMoment) {
  Insert({75, 1, 60, 45});
  // Before any playback there is no length to divide by.
  EXPECT_EQ(engine->TimeDisplayOf(5).SeekPosition, 0);
  EXPECT_EQ(engine->TimeDisplayOf(65).Label, "01:05");

  // A row of no length: the same disc with track 2 starting where track 3 does.
  {
    DiscSnapshot snapshot;
    snapshot.NoDisc = 0;
    ReadTOC(CDHandle, snapshot.TOC.data());
    auto* toc = reinterpret_cast<TOCData*>(snapshot.TOC.data());
    std::memcpy(toc->Descriptors[1].StartLBA, toc->Descriptors[2].StartLBA, 4);
    Model().Refill(snapshot);
  }
  ASSERT_EQ(Model().Row(1).Length(), 0);
  CheckOnly({0, 1, 2});
  engine->OnPlay();
  ASSERT_TRUE(WaitUntilStopped(*engine));
  EXPECT_EQ(out->Samples(), Concat({disc->RowSamples(0), disc->RowSamples(2)}));

  // Unchecking a row while it waits its turn: the reader follows the copy the
  // engine takes when told, never the list itself.
  Insert({750, 75, 75});
  CheckOnly({0, 1, 2});
  PlayHeld([&] { engine->OnPlay(); });
  Model().SetChecked(1, false);
  engine->RowsChanged();
  out->Hold(false);
  ASSERT_TRUE(WaitUntilStopped(*engine));
  EXPECT_EQ(out->Samples(), Concat({disc->RowSamples(0), disc->RowSamples(2)}));

  // A media change while playing ends the playback and its stream first.
  PlayHeld([&] { engine->OnPlay(); });
  out->Hold(false);
  engine->OnMediaChanged();
  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(out->Opens(), out->Closes());

  // Stops and track switches at every moment of many short playbacks, some
  // while the reader moves to the next row, with the output at a device's
  // pace so that the end of a playback meets the commands.
  Insert({1, 2, 1, 3});
  out->Pace(true);
  for (int i = 0; i < 40; ++i) {
    engine->OnPlay();
    std::this_thread::sleep_for(std::chrono::microseconds(500 * (i % 7)));
    engine->OnNext();
    engine->OnSeek(300 + i);
    engine->OnPlayCurrent(i % 4);
    if (i % 3 == 0) engine->OnPause();
    if (i % 2 == 0) engine->StopPlayback();
    if (engine->Paused()) engine->OnPause();
    if (i % 2 == 1) {
      ASSERT_TRUE(WaitUntilStopped(*engine, std::chrono::seconds(30)));
    }
  }
  EXPECT_EQ(out->Opens(), out->Closes());
  EXPECT_EQ(out->CallsWithoutStream(), 0);
}

}  // namespace

// The placement record and the placement store over a profile file, with a
// window made of plain data.
#include "ui/core/window_placement.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "ui/core/profile_store.h"

namespace {

namespace fs = std::filesystem;
using WP = WindowPlacement;

const PlacementRect kScreen{0, 0, 1920, 1080};
const char* const kEntry = kLogDlgPlacementEntry;

WindowPlacement MakePlacement(std::uint32_t showCmd, std::uint32_t flags, PlacementRect rect) {
  WindowPlacement p;
  p.length = kWindowPlacementSize;
  p.flags = flags;
  p.showCmd = showCmd;
  p.minPosition = {-1, -1};
  p.maxPosition = {-8, -8};
  p.normalPosition = rect;
  return p;
}

class FakeWindow : public IPlacementWindow {
 public:
  bool GetWindowPlacement(WindowPlacement& out) override {
    if (getFails) return false;
    out = placement;
    return true;
  }
  bool SetWindowPlacement(const WindowPlacement& p) override {
    ++sets;
    placement = p;
    return true;
  }
  std::vector<PlacementRect> GetScreens() override { return screens; }
  bool IsModalWindow() const override { return modal; }

  WindowPlacement placement = MakePlacement(WP::SW_SHOWNORMAL, 0, {10, 20, 410, 320});
  PlacementPoint MinimumSize() const override { return minimum; }

  std::vector<PlacementRect> screens = {kScreen};
  PlacementPoint minimum;
  bool modal = false;
  bool getFails = false;
  int sets = 0;
};

class WindowPlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "qcr-placement-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    profile_.SetPath(dir_ + "/test.profile");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Saves `saved` as if an earlier run had closed the dialog that way.
  void StoreEarlierRun(const WindowPlacement& saved, int showOverride = 0) {
    ASSERT_TRUE(profile_.WriteProfileBinary(kPlacementSection, kEntry, EncodePlacement(saved)));
    ASSERT_TRUE(profile_.WriteProfileInt(kPlacementSection, "", showOverride));
  }
  // What a new dialog shows after loading.
  WindowPlacement Reopen(bool modal = false) {
    FakeWindow window;
    window.modal = modal;
    WindowPlacementStore store(profile_);
    EXPECT_EQ(store.Load(window, kEntry), 1);
    return window.placement;
  }

  std::string dir_;
  ProfileStore profile_;
};

TEST(PlacementRecordTest, EncodesTheWindowsLayoutAndRefusesRecordsOfTheWrongShape) {
  WindowPlacement p =
      MakePlacement(WP::SW_SHOWMAXIMIZED, WP::WPF_RESTORETOMAXIMIZED, {-5, 2, 300, 0x01020304});
  const std::vector<std::uint8_t> bytes = EncodePlacement(p);
  ASSERT_EQ(bytes.size(), 44u);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 16),
            (std::vector<std::uint8_t>{44, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 28, bytes.begin() + 32),
            (std::vector<std::uint8_t>{0xFB, 0xFF, 0xFF, 0xFF}));  // left = -5
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 40, bytes.end()),
            (std::vector<std::uint8_t>{0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(DecodePlacement(bytes), p);

  std::vector<std::uint8_t> longer = bytes, badLength = bytes;
  longer.push_back(0);
  badLength[0] = 40;
  for (const auto& bad : {std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 1), longer, badLength,
                          std::vector<std::uint8_t>{},
                          EncodePlacement(MakePlacement(1, 0, {100, 0, 50, 10}))})  // inverted
    EXPECT_FALSE(DecodePlacement(bad)) << bad.size();
  EXPECT_TRUE(DecodePlacement(EncodePlacement(MakePlacement(1, 0, {5, 5, 5, 5}))));  // empty is fine
}

TEST(PlacementRecordTest, CentresAndMovesRectanglesOffEveryScreenBack) {
  EXPECT_EQ(CentreRectOn({7, 7, 108, 58}, kScreen), (PlacementRect{909, 514, 1010, 565}));
  // Wider than the screen: the halves truncate towards zero on both sides.
  EXPECT_EQ(CentreRectOn({0, 0, 2001, 10}, kScreen), (PlacementRect{-40, 535, 1960, 545}));
  WindowPlacement p = MakePlacement(1, 0, {0, 0, 100, 100});
  WindowPlacementStore::CentreOnScreen(p, {});
  EXPECT_EQ(p.normalPosition, (PlacementRect{0, 0, 100, 100}));
  WindowPlacementStore::CentreOnScreen(p, {{1920, 0, 3840, 1200}, kScreen});  // primary first
  EXPECT_EQ(p.normalPosition, (PlacementRect{2830, 550, 2930, 650}));

  const std::vector<PlacementRect> two = {kScreen, {1920, 0, 3840, 1200}};
  const std::pair<PlacementRect, bool> onScreen[] = {
      {{100, 100, 500, 400}, true},   {{3000, 500, 3400, 900}, true},   {{-300, -20, 40, 300}, true},
      {{-300, -20, 20, 300}, false},  {{1900, 1070, 1910, 1075}, true}, {{5000, 5000, 5400, 5300}, false}};
  for (const auto& [rect, expected] : onScreen) EXPECT_EQ(IsRectOnScreens(rect, two), expected) << rect.left;
  EXPECT_FALSE(IsRectOnScreens({0, 0, 100, 100}, {}));

  PlacementRect lost{5000, 5000, 5400, 5300};
  EXPECT_TRUE(MoveOntoScreen(lost, two, kScreen));
  EXPECT_EQ(lost, (PlacementRect{760, 390, 1160, 690}));
  PlacementRect huge{-90000, -90000, -80000, -85000};
  EXPECT_TRUE(MoveOntoScreen(huge, two, kScreen));
  EXPECT_EQ(huge, kScreen);  // no larger than the screen
  PlacementRect fine{100, 100, 500, 400};
  EXPECT_FALSE(MoveOntoScreen(fine, two, kScreen));
  EXPECT_EQ(fine, (PlacementRect{100, 100, 500, 400}));
}

// A window opens whole on the work area of the screen holding most of it,
// down to the smallest screen the program supports.
TEST(PlacementRecordTest, RectanglesAreFittedWholeOntoTheirScreen) {
  const PlacementRect small{0, 0, 1024, 740};  // 1024x768 less a 28-pixel panel
  const PlacementRect right{1366, 0, 3286, 1080};
  struct Case {
    PlacementRect rect, expected;
  };
  const Case cases[] = {
      {{100, 50, 600, 450}, {100, 50, 600, 450}},       // inside: untouched
      {{0, 0, 1024, 740}, {0, 0, 1024, 740}},           // exactly the area
      {{200, 100, 1058, 959}, {166, 0, 1024, 740}},     // the chooser, taller than the area
      {{-40, 300, 460, 600}, {0, 300, 500, 600}},       // off the left edge: moved, not shrunk
      {{900, 700, 1300, 1000}, {624, 440, 1024, 740}},  // off the lower right corner
      {{-50, -50, 1400, 900}, {0, 0, 1024, 740}},       // larger on both axes
      {{10, 10, 10, 10}, {10, 10, 10, 10}},             // empty
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitRectInto(c.rect, small), c.expected) << c.rect.left << "," << c.rect.top;
  }
  const std::vector<PlacementRect> screens = {small, right};
  // Mostly on the right screen: fitted there, not onto the primary.
  EXPECT_EQ(FitOntoScreens({1300, 500, 1900, 1200}, screens), (PlacementRect{1366, 380, 1966, 1080}));
  EXPECT_EQ(&ScreenHolding({1300, 500, 1900, 1200}, screens), &screens[1]);
  EXPECT_EQ(&ScreenHolding({9000, 9000, 9100, 9100}, screens), &screens[0]);  // on none: the first
  EXPECT_EQ(FitOntoScreens({1300, 500, 1900, 1200}, {}), (PlacementRect{1300, 500, 1900, 1200}));
}

TEST_F(WindowPlacementTest, FirstRunKeepsThePositionAndSavesBothValues) {
  FakeWindow window;
  WindowPlacementStore store(profile_);
  EXPECT_EQ(store.Load(window, kEntry), 0);
  EXPECT_EQ(window.sets, 0);
  EXPECT_EQ(store.Current().normalPosition, (PlacementRect{760, 390, 1160, 690}));  // the centred default

  window.placement.normalPosition = {50, 60, 650, 460};
  EXPECT_EQ(store.Save(window, kEntry), 1);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(profile_.GetProfileBinary(kPlacementSection, kEntry, bytes));
  EXPECT_EQ(bytes, EncodePlacement(window.placement));
  EXPECT_EQ(profile_.GetProfileInt(kPlacementSection, "", -1), 0);

  // A window that does not fit its screen is saved fitted, as it comes back.
  window.placement.normalPosition = {254, -91, 1112, 1200};
  EXPECT_EQ(store.Save(window, kEntry), 1);
  ASSERT_TRUE(profile_.GetProfileBinary(kPlacementSection, kEntry, bytes));
  window.placement.normalPosition = {254, 0, 1112, 1080};
  EXPECT_EQ(bytes, EncodePlacement(window.placement));
}

// What an earlier run saved, under the user's override, reopens as this.
TEST_F(WindowPlacementTest, SavedStatesComeBackUnderTheShowOverride) {
  struct Case {
    int showOverride;
    std::uint32_t saved, flags;
    bool modal;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {0, WP::SW_SHOWMAXIMIZED, 0, false, WP::SW_SHOWMAXIMIZED},
      {0, WP::SW_SHOWMINIMIZED, 0, false, WP::SW_SHOWNORMAL},
      {0, WP::SW_SHOWMINIMIZED, WP::WPF_RESTORETOMAXIMIZED, false, WP::SW_SHOWMAXIMIZED},
      {0, WP::SW_SHOWMINIMIZED, 1, false, WP::SW_SHOWNORMAL},  // never back to minimised
      {7, WP::SW_SHOWMINIMIZED, 0, false, WP::SW_SHOWNORMAL},
      {1, WP::SW_SHOWMINIMIZED, 0, false, WP::SW_SHOWMINIMIZED},
      {2, WP::SW_SHOWMAXIMIZED, 0, false, WP::SW_SHOWNORMAL},
      {3, WP::SW_SHOWNORMAL, 0, false, WP::SW_SHOWMAXIMIZED},
      {4, WP::SW_SHOWNORMAL, 0, false, WP::SW_SHOWMINIMIZED},
      // A modal dialog is never minimised, whatever the override or the record says.
      {4, WP::SW_SHOWNORMAL, 0, true, WP::SW_SHOWNORMAL},
      {4, WP::SW_SHOWNORMAL, WP::WPF_RESTORETOMAXIMIZED, true, WP::SW_SHOWMAXIMIZED},
      {1, WP::SW_SHOWMINIMIZED, 0, true, WP::SW_SHOWNORMAL},
      {1, WP::SW_SHOWMINNOACTIVE, 0, true, WP::SW_SHOWNORMAL},
      {1, WP::SW_SHOWMAXIMIZED, 0, true, WP::SW_SHOWMAXIMIZED},
  };
  const PlacementRect rect{100, 120, 900, 720};
  for (const Case& c : cases) {
    StoreEarlierRun(MakePlacement(c.saved, c.flags, rect), c.showOverride);
    const WindowPlacement shown = Reopen(c.modal);
    EXPECT_EQ(shown.showCmd, c.expected) << "override " << c.showOverride << " saved " << c.saved
                                         << " flags " << c.flags << " modal " << c.modal;
    EXPECT_EQ(shown.normalPosition, rect);  // the exact size, not a centred default
  }
  // A placement on a screen now gone is moved onto the primary.
  StoreEarlierRun(MakePlacement(WP::SW_SHOWNORMAL, 0, {2500, 100, 3300, 700}));
  EXPECT_EQ(Reopen().normalPosition, (PlacementRect{560, 240, 1360, 840}));
  // One saved on a larger screen comes back no larger than this one.
  StoreEarlierRun(MakePlacement(WP::SW_SHOWMAXIMIZED, 0, {250, 120, 2250, 1320}));
  const WindowPlacement large = Reopen();
  EXPECT_EQ(large.normalPosition, kScreen);
  EXPECT_EQ(large.showCmd, WP::SW_SHOWMAXIMIZED);
  // One smaller than the window can be, at the screen's lower edge: at the
  // window's minimum, whole on the screen.
  StoreEarlierRun(MakePlacement(WP::SW_SHOWNORMAL, 0, {0, 733, 650, 743}));
  FakeWindow log;
  log.screens = {{0, 0, 1366, 768}};
  log.minimum = {400, 200};
  EXPECT_EQ(WindowPlacementStore(profile_).Load(log, kEntry), 1);
  EXPECT_EQ(log.placement.normalPosition, (PlacementRect{0, 568, 650, 768}));
}

TEST_F(WindowPlacementTest, StoredValuesOfTheWrongShapeCountAsMissing) {
  std::vector<std::uint8_t> good = EncodePlacement(MakePlacement(WP::SW_SHOWNORMAL, 0, {1, 2, 300, 400}));
  std::vector<std::vector<std::uint8_t>> bad = {
      std::vector<std::uint8_t>(good.begin(), good.begin() + 40), good, {}};
  bad[1].push_back(0);
  for (const auto& value : bad) {
    ASSERT_TRUE(profile_.WriteProfileBinary(kPlacementSection, kEntry, value));
    FakeWindow window;
    WindowPlacementStore store(profile_);
    EXPECT_EQ(store.Load(window, kEntry), 0) << value.size();
    EXPECT_EQ(window.sets, 0);
  }
  ASSERT_TRUE(profile_.WriteProfileString(kPlacementSection, kEntry, "not hex at all"));
  FakeWindow window;
  EXPECT_EQ(WindowPlacementStore(profile_).Load(window, kEntry), 0);
}

TEST_F(WindowPlacementTest, AFailingWindowChangesNothingAndLaterLoadsKeepTheFirstDefault) {
  FakeWindow window;
  window.getFails = true;
  WindowPlacementStore store(profile_);
  EXPECT_EQ(store.Load(window, kEntry), 0);
  store.Apply(window);  // no default was captured: nothing to apply
  EXPECT_EQ(window.sets, 0);
  EXPECT_EQ(store.Save(window, kEntry), 0);
  EXPECT_FALSE(fs::exists(profile_.Path()));

  // Once the window answers, the next load captures the default after all...
  window.getFails = false;
  EXPECT_EQ(store.Load(window, kEntry), 0);
  const WindowPlacement firstDefault = store.Default();
  EXPECT_EQ(firstDefault.normalPosition, (PlacementRect{760, 390, 1160, 690}));
  // ...and keeps it through later loads.
  window.placement.normalPosition = {0, 0, 200, 100};
  EXPECT_EQ(store.Load(window, kEntry), 0);
  store.Apply(window);
  EXPECT_EQ(window.placement, firstDefault);
}

TEST_F(WindowPlacementTest, TheUsersOverrideSurvivesSaving) {
  ASSERT_TRUE(profile_.WriteProfileInt(kPlacementSection, "", 3));
  FakeWindow window;
  EXPECT_EQ(WindowPlacementStore(profile_).Save(window, kEntry), 1);  // saved without a load first
  EXPECT_EQ(profile_.GetProfileInt(kPlacementSection, "", -1), 3);
  WindowPlacementStore store(profile_);
  EXPECT_EQ(store.Load(window, kEntry), 1);
  EXPECT_EQ(store.ShowOverride(), 3);
  EXPECT_EQ(store.Save(window, kEntry), 1);
  EXPECT_EQ(profile_.GetProfileInt(kPlacementSection, "", -1), 3);
}

}  // namespace

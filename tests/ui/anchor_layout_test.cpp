#include "ui/core/anchor_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// A child anchored in one client area and laid out in others.
TEST(AnchorLayout, ChildrenFollowTheirAnchorsAsPercentages) {
  struct Case {
    const char* name;
    RECT start;  // the client area at anchoring
    RECT child;
    ANCHOR tl, br;
    std::vector<std::pair<RECT, RECT>> steps;  // client area, expected rectangle
  };
  constexpr RECT kStart{0, 0, 400, 300};
  // clang-format off
  const Case cases[] = {
      {"top-left alone never moves", kStart, {10, 20, 110, 50}, TOP_LEFT, NoAnchor,
       {{{0, 0, 800, 600}, {10, 20, 110, 50}}, {{0, 0, 50, 40}, {10, 20, 110, 50}}}},
      {"bottom-right alone keeps size and far distances", kStart, {300, 250, 380, 280}, BOTTOM_RIGHT, NoAnchor,
       {{{0, 0, 500, 350}, {400, 300, 480, 330}}, {{0, 0, 100, 100}, {0, 50, 80, 80}}}},
      {"both corners grow with the window", kStart, {10, 20, 390, 250}, TOP_LEFT, BOTTOM_RIGHT,
       {{{0, 0, 440, 330}, {10, 20, 430, 280}}}},
      // Shrunk past its size: the rectangle inverts, and growing back restores it.
      {"shrunk past nothing and back", kStart, {10, 20, 390, 250}, TOP_LEFT, BOTTOM_RIGHT,
       {{{0, 0, 10, 10}, {10, 20, 0, -40}}, {kStart, {10, 20, 390, 250}}}},
      // 50% of 401 is 200 (truncated), of 301 is 150.
      {"centred across truncates", kStart, {150, 10, 250, 30}, TOP_CENTER, NoAnchor,
       {{{0, 0, 401, 300}, {150, 10, 250, 30}}, {{0, 0, 601, 300}, {250, 10, 350, 30}}}},
      {"middle-left to middle-right", kStart, {0, 140, 400, 160}, MIDDLE_LEFT, MIDDLE_RIGHT,
       {{{0, 0, 600, 501}, {0, 240, 600, 260}}}},
      // The client area starts below a caption band: anchors and margins are relative to it.
      {"client area with an origin", {0, 40, 400, 340}, {20, 60, 120, 90}, BOTTOM_RIGHT, NoAnchor,
       {{{0, 40, 400, 340}, {20, 60, 120, 90}}, {{0, 40, 500, 440}, {120, 160, 220, 190}}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const AnchorMargins m = AnchorAt(c.child, c.start, c.tl, c.br);
    EXPECT_EQ(AnchoredRect(m, c.start), c.child) << c.name << ": laid out where it was";
    for (const auto& [client, expected] : c.steps) {
      EXPECT_EQ(AnchoredRect(m, client), expected)
          << c.name << " in " << client.Width() << "x" << client.Height();
    }
  }
  // Margins are the distances to the anchor points, quotients truncated toward zero.
  const AnchorMargins m = AnchorAt({100, 50, 200, 90}, {0, 0, 333, 99}, MIDDLE_CENTER, BOTTOM_RIGHT);
  EXPECT_EQ(m.marginTL, (SIZE{100 - 166, 50 - 49}));
  EXPECT_EQ(m.marginBR, (SIZE{200 - 333, 90 - 99}));
  EXPECT_EQ(AnchorAt({1, 2, 3, 4}, kStart, TOP_RIGHT, NoAnchor).anchorBR, TOP_RIGHT);
}

// One pass over two anchored children (one grows, one stays) and three
// custom entries (declined, placed at the corner, placed but gone).
TEST(AnchorLayout, APassMovesWhatChangesAndTheCustomEntriesItsResolverPlaces) {
  const RECT start{0, 0, 400, 300};
  const std::vector<RECT> anchoredAt = {{10, 10, 390, 250}, {10, 260, 60, 280}};
  const std::vector<RECT> customAt = {{300, 10, 380, 30}, {300, 260, 380, 290}, {0, 0, 1, 1}};
  const AnchorMargins grow = AnchorAt(anchoredAt[0], start, TOP_LEFT, BOTTOM_RIGHT);
  const AnchorMargins keep = AnchorAt(anchoredAt[1], start, TOP_LEFT, NoAnchor);
  const AnchorMargins corner = AnchorAt(customAt[1], start, BOTTOM_RIGHT, NoAnchor);
  LayoutPassSource source;
  source.place = [&](bool custom, size_t i) -> std::optional<AnchorMargins> {
    if (!custom) return i == 0 ? grow : keep;
    return i == 0 ? std::nullopt : std::optional<AnchorMargins>(corner);
  };
  source.current = [&](bool custom, size_t i) -> std::optional<RECT> {
    if (custom && i == 2) return std::nullopt;
    return custom ? customAt[i] : anchoredAt[i];
  };
  source.refresh = [](bool custom, size_t, const RECT&, const RECT&) { return !custom; };
  const std::vector<PlannedMove> moves = PlanLayout(2, 3, {0, 0, 450, 330}, source);
  constexpr uint32_t kBase = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_EQ(std::tuple(moves[0].custom, moves[0].index, moves[0].rect, moves[0].flags),
            std::tuple(false, size_t{0}, RECT{10, 10, 440, 280}, kBase | SWP_NOMOVE | SWP_NOCOPYBITS));
  EXPECT_EQ(std::tuple(moves[1].custom, moves[1].index, moves[1].rect, moves[1].flags),
            std::tuple(true, size_t{1}, RECT{350, 290, 430, 320}, kBase | SWP_NOSIZE));
  EXPECT_TRUE(PlanLayout(2, 3, start, source).empty());  // nothing changes at the start size
}

TEST(AnchorLayout, ClassRulesDecideClippingAndRefresh) {
  const auto never = [] { return false; };
  const auto transparent = [] { return true; };
  // Child, whether a hit test finds it transparent, whether it may be clipped.
  const std::tuple<ChildTraits, bool, bool> clips[] = {
      {{"Button", BS_GROUPBOX}, false, false},  // a group box paints only its frame
      {{"Button", BS_PUSHBUTTON}, false, true},
      {{"Button", BS_OWNERDRAW}, false, true},
      {{"Button", BS_OWNERDRAW}, true, false},
      {{"Static", SS_LEFT}, false, true},
      {{"Static", SS_ICON}, false, true},
      {{"Static", SS_ICON | SS_CENTERIMAGE}, false, false},
      {{"Static", SS_GRAYFRAME}, false, false},
      {{"Static", SS_OWNERDRAW}, false, false},
      {{"Static", SS_ETCHEDHORZ}, false, true},
      {{"Static", SS_ETCHEDFRAME}, false, false},
      {{"ToolbarWindow32", TBSTYLE_TRANSPARENT}, false, false},
      {{"ToolbarWindow32", 0}, false, true},
      {{"button", BS_GROUPBOX}, false, true},  // class names are compared exactly
  };
  for (const auto& [child, transparentHit, allows] : clips) {
    EXPECT_EQ(ClassAllowsClipping(child, transparentHit ? transparent : never), allows)
        << child.className << " " << child.style;
  }
  EXPECT_TRUE(ClassAllowsClipping({"Button", BS_OWNERDRAW}, nullptr));

  const RECT base{0, 0, 100, 20};
  const RECT wider{0, 0, 120, 20};
  const RECT taller{0, 0, 100, 30};
  const RECT moved{30, 40, 130, 60};
  const auto scrolled = [](ScrollRange si) { return [si] { return std::optional<ScrollRange>(si); }; };
  // Child, its new rectangle, its horizontal scroll range, whether it is redrawn.
  const std::tuple<ChildTraits, RECT, std::function<std::optional<ScrollRange>()>, bool> refreshes[] = {
      {{"Static", SS_LEFT}, wider, nullptr, true},  // text re-flows with the width
      {{"Static", SS_CENTER | SS_CENTERIMAGE}, taller, nullptr, true},
      {{"Static", SS_LEFT}, moved, nullptr, false},  // a plain move keeps the pixels
      {{"Static", SS_LEFTNOWORDWRAP}, wider, nullptr, false},
      {{"Static", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS}, wider, nullptr, true},
      {{"Static", SS_ICON}, taller, nullptr, true},  // pictures on any size change
      {{"Static", SS_ETCHEDFRAME}, wider, nullptr, true},
      {{"Static", SS_ETCHEDHORZ}, wider, nullptr, false},
      // A list scrolled to its right end (limit 100 - 9 = 91) widening by 20.
      {{"ListBox", 0}, wider, scrolled({100, 10, 80}), true},
      {{"ListBox", 0}, wider, scrolled({100, 10, 50}), false},
      {{"ListBox", 0}, wider, scrolled({100, 0, 90}), true},  // no page: limit 101
      {{"ListBox", 0}, wider, [] { return std::optional<ScrollRange>(); }, false},
  };
  for (const auto& [child, to, hscroll, refresh] : refreshes) {
    EXPECT_EQ(ClassNeedsRefresh(child, base, to, hscroll), refresh)
        << child.className << " " << child.style << " to " << to.right << "x" << to.bottom;
  }
}

TEST(AnchorLayout, TheGripShowsWhileAnyReasonAsks) {
  GripShowRequests grip;
  uint32_t a = 0;
  uint32_t b = 0;
  grip.Hide(a, 1);  // never asked: nothing changes
  EXPECT_EQ(grip.Count(), 0);
  grip.Show(a, 1);
  grip.Show(a, 1);  // the same reason counts once
  grip.Show(b, 2);
  EXPECT_EQ(grip.Count(), 2);
  EXPECT_EQ(a | b, 3u);
  grip.Hide(a, 1);
  EXPECT_TRUE(grip.Visible());
  grip.Hide(b, 2);
  EXPECT_FALSE(grip.Visible());
  EXPECT_EQ(a | b, 0u);
  // A reason whose bit is set while the grip was hidden by hand withdraws
  // nothing, and a later request still shows the grip.
  uint32_t status = 1;
  grip.Set(false);
  grip.Hide(status, 1);
  EXPECT_EQ(grip.Count(), 0);
  grip.Show(status, 1);
  EXPECT_TRUE(grip.Visible());
}

TEST(AnchorLayout, TrackingLimitsOnlyWhereSet) {
  CResizableMinMax minMax;
  const auto applied = [&] {
    MINMAXINFO info = NoTrackLimits();
    minMax.ApplyMinMax(info);
    return info;
  };
  EXPECT_EQ(TrackHintsFor(applied()), TrackHints{});
  minMax.SetMinTrack({300, 200});
  EXPECT_EQ(applied().minTrackSize, (POINT{300, 200}));
  EXPECT_EQ(applied().maxTrackSize, (POINT{-1, -1}));
  // A maximum below the minimum is raised to it.
  minMax.SetMaxTrack({250, 500});
  const TrackHints hints = TrackHintsFor(applied());
  EXPECT_EQ(hints.min, (SIZE{300, 200}));
  EXPECT_EQ(hints.max, (SIZE{300, 500}));
  EXPECT_EQ(FitToTrackHints({100, 900}, hints), (SIZE{300, 500}));
}

TEST(AnchorLayout, PlacementTextRoundTripsAndDamagedTextIsRefused) {
  WindowPlacement p;
  p.length = kWindowPlacementSize;
  p.flags = WindowPlacement::WPF_RESTORETOMAXIMIZED;
  p.showCmd = WindowPlacement::SW_SHOWMAXIMIZED;
  p.normalPosition = {-120, 80, 640, 560};
  const std::string text = FormatPlacementState(p);
  EXPECT_EQ(text, "-120,80,640,560,3,2");
  const std::optional<WindowPlacement> back = ParsePlacementState(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(FormatPlacementState(*back), text);
  // Rectangle only: the current rectangle, shown normally, no flags.
  EXPECT_EQ(FormatPlacementState(p, PlacementRect{0, 0, 800, 600}), "0,0,800,600,1,0");

  for (const char* damaged :
       {"", "1,2,3", "10,10,200,200,1,0,7", "10,10,200,200,1,", "10, 10,200,200,1,0", "+10,10,200,200,1,0",
        "10;10;200;200;1;0", "10,10,200,200,1,0\n", "a,b,c,d,e,f", "10,10,200,200,1,99999999999",
        "200,10,10,200,1,0", "10,10,10,200,1,0", "0,0,40000,300,1,0", "--1,0,10,10,1,0"}) {
    EXPECT_FALSE(ParsePlacementState(damaged).has_value()) << '"' << damaged << '"';
  }
  // Restored normal or maximised only: never minimised or hidden.
  using WP = WindowPlacement;
  EXPECT_EQ(RestoredShowCommand(WP::SW_SHOWMAXIMIZED, 0), WP::SW_SHOWMAXIMIZED);
  EXPECT_EQ(RestoredShowCommand(WP::SW_SHOWMINIMIZED, WP::WPF_RESTORETOMAXIMIZED), WP::SW_SHOWMAXIMIZED);
  for (uint32_t show : {WP::SW_SHOWMINIMIZED, WP::SW_HIDE, 0xFFFFFFFFu}) {
    EXPECT_EQ(RestoredShowCommand(show, 0), WP::SW_SHOWNORMAL) << show;
  }
}

}  // namespace

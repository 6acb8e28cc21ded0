#include "ui/core/resize_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace {

// Controls by id; the layout asks for current rectangles, and moves are
// applied the way the dialog does: clamped to non-negative sizes.
class FakeDialog {
 public:
  explicit FakeDialog(RECT client) : client_(client) { layout.Init(client); }

  void Add(int id, RECT rect, int hA, int hB, int vA, int vB, uint32_t flags = 0, double px = -1.0,
           double sx = -1.0, double py = -1.0, double sy = -1.0) {
    controls[id] = rect;
    layout.AddControl({id, hA, hB, vA, vB, flags, px, sx, py, sy}, rect,
                      RECT{0, 0, client_.Width(), client_.Height()});
  }

  ResizeLayout::SizeResult Resize(int width, int height, unsigned type = SIZE_RESTORED) {
    RECT n{client_.left, client_.top, client_.left + width, client_.top + height};
    auto result = layout.OnSize(type, n, [this](int id) -> std::optional<RECT> {
      auto it = controls.find(id);
      return it == controls.end() ? std::nullopt : std::optional<RECT>(it->second);
    });
    for (const auto& move : result.moves) {
      const RECT& r = move.rect;
      controls[move.id] = {r.left, r.top, std::max(r.left, r.right), std::max(r.top, r.bottom)};
    }
    return result;
  }

  ResizeLayout layout;
  std::map<int, RECT> controls;

 private:
  RECT client_;
};

constexpr RECT kClient{100, 50, 500, 350};  // 400 x 300, at a screen position

// The anchor arithmetic of every mode: each case registers one control and
// resizes the client in steps (with no dragged edge: the far edges, mode B).
TEST(ResizeLayout, EveryModeMovesAsItsAnchorsSay) {
  struct Step {
    int width, height;
    RECT expected;
  };
  struct Case {
    const char* name;
    RECT rect;
    int hA, hB, vA, vB;
    double px, sx, py, sy;
    std::vector<Step> steps;
  };
  constexpr int K = ResizeKeep, S = ResizeStretch, M = ResizeMove, C = ResizeCentre, Sc = ResizeScale,
                R = ResizeRatio;
  const Case cases[] = {
      {"stretch", {10, 10, 110, 40}, S, S, K, K, -1, -1, -1, -1, {{440, 300, {10, 10, 150, 40}}}},
      {"move keeps the distance to the far edges", {300, 250, 380, 270}, M, M, M, M, -1, -1, -1, -1,
       {{440, 330, {340, 280, 420, 300}}, {380, 290, {280, 240, 360, 260}}}},
      {"mode B applies on restore", {10, 10, 110, 40}, S, M, K, K, -1, -1, -1, -1,
       {{420, 300, {30, 10, 130, 40}}}},
      // Centre uses the registered fraction (0.5, 0.25), never the passed ratio.
      {"centre", {150, 65, 250, 85}, C, C, C, C, 0.9, -1, 0.9, -1,
       {{500, 600, {200, 140, 300, 160}}, {401, 300, {150, 65, 250, 85}}}},
      {"scale is relative to the start", {100, 50, 200, 100}, Sc, Sc, Sc, Sc, -1, -1, -1, -1,
       {{800, 600, {200, 100, 400, 200}}, {200, 150, {50, 25, 100, 50}}}},
      // Growth since start 80, 81 (fractions truncate), then -40.
      {"ratio", {10, 10, 110, 40}, R, R, K, K, 0.25, 0.5, -1, -1,
       {{480, 300, {30, 10, 170, 40}}, {481, 300, {30, 10, 170, 40}}, {360, 300, {0, 10, 80, 40}}}},
      {"unused modes leave the axis alone", {10, 10, 110, 40}, 6, 15, 9, 12, -1, -1, -1, -1,
       {{700, 600, {10, 10, 110, 40}}}},
  };
  for (const Case& c : cases) {
    FakeDialog dlg(kClient);
    dlg.Add(1, c.rect, c.hA, c.hB, c.vA, c.vB, 0, c.px, c.sx, c.py, c.sy);
    for (const Step& s : c.steps) {
      auto result = dlg.Resize(s.width, s.height);
      EXPECT_EQ(dlg.controls[1], s.expected) << c.name << " at " << s.width << "x" << s.height;
      EXPECT_EQ(dlg.layout.Previous(), (RECT{100, 50, 100 + s.width, 50 + s.height})) << c.name;
      EXPECT_TRUE(result.laidOut) << c.name;
    }
  }
}

// A dragged edge picks mode A for the near edges; a sizing change with no
// recorded edge lays nothing out but still moves on the previous size.
TEST(ResizeLayout, DraggedEdgesChooseTheModeAndNoEdgeMeansNoLayout) {
  FakeDialog dlg(kClient);
  dlg.Add(6, {10, 10, 60, 40}, ResizeKeep, ResizeScale, ResizeKeep, ResizeKeep);
  dlg.Add(7, {10, 50, 110, 80}, ResizeStretch, ResizeMove, ResizeKeep, ResizeKeep);
  dlg.controls[6] = {20, 10, 70, 40};  // someone else moved it: keep uses the current rectangle
  dlg.layout.OnSizing(WMSZ_LEFT);
  auto result = dlg.Resize(450, 300, SIZE_MAXSHOW);
  ASSERT_EQ(result.moves.size(), 1u);
  EXPECT_EQ(dlg.controls[6], (RECT{20, 10, 70, 40}));
  EXPECT_EQ(dlg.controls[7], (RECT{10, 50, 160, 80}));  // mode A: stretch
  EXPECT_EQ(dlg.layout.SizingEdge(), 0);

  EXPECT_TRUE(dlg.Resize(500, 300, SIZE_MAXSHOW).moves.empty());
  EXPECT_EQ(dlg.layout.Previous().Width(), 500);
  dlg.Resize(510, 300);  // the skipped growth is not applied later
  EXPECT_EQ(dlg.controls[7], (RECT{20, 50, 170, 80}));
}

TEST(ResizeLayout, ShrinkingBelowZeroClampsAndGrowingBackRestoresExactly) {
  FakeDialog dlg(kClient);
  dlg.Add(10, {10, 10, 60, 40}, ResizeStretch, ResizeStretch, ResizeStretch, ResizeStretch);
  auto result = dlg.Resize(300, 250);
  ASSERT_EQ(result.moves.size(), 1u);
  // The layout keeps the inverted rectangle; only the applied size is clamped.
  EXPECT_EQ(result.moves[0].rect, (RECT{10, 10, -40, -10}));
  EXPECT_EQ(dlg.controls[10], (RECT{10, 10, 10, 10}));
  dlg.Resize(300, 250);
  dlg.Resize(400, 300);
  EXPECT_EQ(dlg.controls[10], (RECT{10, 10, 60, 40}));
}

TEST(ResizeLayout, MinimiseChangesNothingAndAnEmptyLayoutLaysNothingOut) {
  FakeDialog dlg(kClient);
  dlg.Add(11, {10, 10, 110, 40}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  dlg.Resize(450, 300);
  dlg.layout.OnSizing(WMSZ_RIGHT);
  auto minimised = dlg.Resize(0, 0, SIZE_MINIMIZED);
  EXPECT_TRUE(minimised.minimised);
  EXPECT_TRUE(minimised.moves.empty());
  EXPECT_EQ(dlg.layout.Previous().Width(), 450);
  EXPECT_EQ(dlg.layout.SizingEdge(), WMSZ_RIGHT);
  EXPECT_TRUE(dlg.Resize(450, 300).moves.empty());
  EXPECT_EQ(dlg.controls[11], (RECT{10, 10, 160, 40}));

  FakeDialog empty(kClient);
  auto result = empty.Resize(800, 600);
  EXPECT_FALSE(result.minimised || result.laidOut);
  EXPECT_EQ(empty.layout.Previous(), kClient);
}

TEST(ResizeLayout, ReRegistrationMissingControlsAndRepaint) {
  FakeDialog dlg(kClient);
  dlg.Add(12, {10, 10, 110, 40}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  dlg.Add(13, {10, 50, 110, 80}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  dlg.Add(14, {10, 90, 110, 120}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  dlg.Add(12, {20, 10, 120, 40}, ResizeMove, ResizeMove, ResizeKeep, ResizeKeep, kResizeRepaintOnMove);
  ASSERT_EQ(dlg.layout.Items().size(), 3u);  // replaced in place
  EXPECT_EQ(dlg.layout.Items()[0].id, 12);
  EXPECT_TRUE(dlg.layout.Items()[0].RepaintOnMove());
  EXPECT_FALSE(dlg.layout.Items()[0].ExcludeFromErase());
  dlg.controls.erase(14);  // gone: skipped
  auto result = dlg.Resize(410, 300);
  ASSERT_EQ(result.moves.size(), 2u);
  EXPECT_EQ(result.moves[0].id, 12);
  EXPECT_TRUE(result.moves[0].repaint);
  EXPECT_EQ(result.moves[0].vacated, (RECT{20, 10, 120, 40}));
  EXPECT_EQ(result.moves[0].rect, (RECT{30, 10, 130, 40}));
  EXPECT_EQ(result.moves[1].id, 13);
  EXPECT_FALSE(result.moves[1].repaint);
  EXPECT_EQ(dlg.controls[13], (RECT{10, 50, 120, 80}));
}

TEST(ResizeLayout, EdgeSetsFollowTheSizeTypeAndTheDraggedEdge) {
  EXPECT_EQ(EdgeSetForSize(SIZE_MINIMIZED, WMSZ_LEFT), -1);
  EXPECT_EQ(EdgeSetForSize(SIZE_RESTORED, WMSZ_LEFT), kResizeEdgeRight | kResizeEdgeBottom);
  EXPECT_EQ(EdgeSetForSize(SIZE_MAXIMIZED, 0), kResizeEdgeRight | kResizeEdgeBottom);
  EXPECT_EQ(EdgeSetForSize(SIZE_MAXSHOW, WMSZ_TOPRIGHT), kResizeEdgeRight | kResizeEdgeTop);
  EXPECT_EQ(EdgeSetForSize(SIZE_MAXSHOW, WMSZ_BOTTOMLEFT), kResizeEdgeLeft | kResizeEdgeBottom);
  for (int bogus : {0, 9, -3}) EXPECT_EQ(EdgeSetForSize(SIZE_MAXSHOW, bogus), 0) << bogus;
}

TEST(ResizeLayout, ZeroClientsAndAbsurdRatiosNeitherDivideByZeroNorOverflow) {
  FakeDialog zero(RECT{0, 0, 0, 0});
  zero.Add(17, {0, 0, 10, 10}, ResizeCentre, ResizeCentre, ResizeScale, ResizeScale);
  EXPECT_EQ(zero.layout.Items()[0].posRatioX, 0.0);
  zero.Resize(200, 100);
  EXPECT_EQ(zero.controls[17], (RECT{-5, 0, 5, 10}));  // centre at fraction 0; scale leaves it

  FakeDialog dlg(kClient);
  dlg.Add(18, {10, 10, 20, 20}, ResizeRatio, ResizeRatio, ResizeRatio, ResizeRatio, 0, 1e300, -1e300,
          std::numeric_limits<double>::quiet_NaN(), 1e12);
  dlg.Resize(900, 900);
  EXPECT_EQ(dlg.controls[18].left, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(dlg.controls[18].top, 10);  // NaN counts as 0
}

TEST(ResizeLayout, EraseLeavesVisibleFlaggedControlsAlone) {
  FakeDialog dlg(kClient);
  dlg.Add(19, {10, 10, 110, 40}, 0, 0, 0, 0, kResizeExcludeFromErase);
  dlg.Add(20, {10, 50, 110, 80}, 0, 0, 0, 0, 0);
  dlg.Add(21, {10, 90, 110, 120}, 0, 0, 0, 0, kResizeExcludeFromErase);
  auto visible = [](int id) { return id != 21; };
  EXPECT_EQ(dlg.layout.EraseExclusions(false, visible), (std::vector<RECT>{{10, 10, 110, 40}}));
  EXPECT_TRUE(dlg.layout.EraseExclusions(true, visible).empty());
}

TEST(ResizeLayout, TrackingLimitsKeepTheMaximaUnlessASwitchIsOff) {
  ResizeLayout layout;
  MINMAXINFO info;
  info.maxSize = {1000, 800};
  info.maxTrackSize = {1200, 900};
  layout.OnGetMinMaxInfo(info);
  EXPECT_EQ(info.minTrackSize, (POINT{0, 0}));
  EXPECT_EQ(info.maxSize, (POINT{1000, 800}));
  layout.minTrackSize = {300, 200};
  layout.horzResizable = 0;
  layout.OnGetMinMaxInfo(info);
  EXPECT_EQ(info.minTrackSize, (POINT{300, 200}));
  EXPECT_EQ(info.maxSize, (POINT{300, 800}));
  EXPECT_EQ(info.maxTrackSize, (POINT{300, 900}));
}

TEST(SizeGripGeometry, HitCodeAndTriangleFollowTheLayoutDirection) {
  EXPECT_EQ(GripHitCode(false), HTBOTTOMRIGHT);
  EXPECT_EQ(GripHitCode(true), HTBOTTOMLEFT);
  struct Case {
    int x, y, w, h;
    bool rtl, inside;
  };
  const Case cases[] = {{14, 14, 15, 15, false, true}, {14, 0, 15, 15, false, true},
                        {0, 14, 15, 15, false, true},  {0, 0, 15, 15, false, false},
                        {6, 6, 15, 15, false, false},  {0, 14, 15, 15, true, true},
                        {0, 0, 15, 15, true, true},    {14, 0, 15, 15, true, false},
                        {15, 14, 15, 15, false, false}, {3, 3, 0, 0, false, false}};
  for (const Case& c : cases)
    EXPECT_EQ(InGripTriangle(c.x, c.y, c.w, c.h, c.rtl), c.inside) << c.x << "," << c.y << " rtl " << c.rtl;
}

}  // namespace

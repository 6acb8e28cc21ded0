#include "ui/core/resize_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

// A dialog of controls by id; the layout asks it for current rectangles.
class FakeDialog {
 public:
  explicit FakeDialog(RECT client) : client_(client) { layout.Init(client); }

  void Add(int id, RECT rect, int hA, int hB, int vA, int vB, uint32_t flags = 0, double px = -1.0,
           double sx = -1.0, double py = -1.0, double sy = -1.0) {
    controls[id] = rect;
    layout.AddControl({id, hA, hB, vA, vB, flags, px, sx, py, sy}, rect,
                      RECT{0, 0, client_.Width(), client_.Height()});
  }

  // Resizes the client area (keeping its origin) and applies the moves the
  // way the dialog does: clamped to non-negative sizes.
  ResizeLayout::SizeResult Resize(int width, int height, unsigned type = SIZE_RESTORED) {
    RECT n{client_.left, client_.top, client_.left + width, client_.top + height};
    auto result = layout.OnSize(type, n, [this](int id) -> std::optional<RECT> {
      auto it = controls.find(id);
      if (it == controls.end()) return std::nullopt;
      return it->second;
    });
    for (const auto& move : result.moves) {
      RECT r = move.rect;
      if (r.right < r.left) r.right = r.left;
      if (r.bottom < r.top) r.bottom = r.top;
      controls[move.id] = r;
    }
    return result;
  }

  ResizeLayout layout;
  std::map<int, RECT> controls;

 private:
  RECT client_;
};

constexpr RECT kClient{100, 50, 500, 350};  // 400 x 300, at a screen position

TEST(ResizeLayout, StretchWidensByTheGrowthAndKeepsTheLeftEdge) {
  FakeDialog dlg(kClient);
  dlg.Add(1, {10, 10, 110, 40}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  auto result = dlg.Resize(440, 300);
  ASSERT_EQ(result.moves.size(), 1u);
  EXPECT_EQ(dlg.controls[1], (RECT{10, 10, 150, 40}));
  EXPECT_TRUE(result.laidOut);
  EXPECT_EQ(dlg.layout.Previous(), (RECT{100, 50, 540, 350}));
}

TEST(ResizeLayout, MoveKeepsSizeAndDistanceToTheFarEdges) {
  FakeDialog dlg(kClient);
  dlg.Add(2, {300, 250, 380, 270}, ResizeMove, ResizeMove, ResizeMove, ResizeMove);
  dlg.Resize(440, 330);
  EXPECT_EQ(dlg.controls[2], (RECT{340, 280, 420, 300}));
  dlg.Resize(380, 290);
  EXPECT_EQ(dlg.controls[2], (RECT{280, 240, 360, 260}));
}

TEST(ResizeLayout, CentreKeepsTheRegisteredFractionAndIgnoresThePassedRatio) {
  FakeDialog dlg(kClient);
  dlg.Add(3, {150, 65, 250, 85}, ResizeCentre, ResizeCentre, ResizeCentre, ResizeCentre, 0, 0.9, -1.0, 0.9);
  const CResizeDlgItem& item = dlg.layout.Items().at(0);
  EXPECT_DOUBLE_EQ(item.posRatioX, 0.5);
  EXPECT_DOUBLE_EQ(item.posRatioY, 0.25);
  dlg.Resize(500, 600);
  // Centre at 0.5 of 500 = 250, width 100; vertically at 0.25 of 600 = 150, height 20.
  EXPECT_EQ(dlg.controls[3], (RECT{200, 140, 300, 160}));
  dlg.Resize(401, 300);  // odd width: 200.5 - 50 truncates
  EXPECT_EQ(dlg.controls[3], (RECT{150, 65, 250, 85}));
}

TEST(ResizeLayout, ScaleFollowsTheClientSizeRelativeToTheStart) {
  FakeDialog dlg(kClient);
  dlg.Add(4, {100, 50, 200, 100}, ResizeScale, ResizeScale, ResizeScale, ResizeScale);
  dlg.Resize(800, 600);
  EXPECT_EQ(dlg.controls[4], (RECT{200, 100, 400, 200}));
  // Absolute: the stored rectangle stays the registration one.
  EXPECT_EQ(dlg.layout.Items().at(0).stored, (RECT{100, 50, 200, 100}));
  dlg.Resize(200, 150);
  EXPECT_EQ(dlg.controls[4], (RECT{50, 25, 100, 50}));
}

TEST(ResizeLayout, RatioMovesAndGrowsByFractionsOfTheGrowthSinceStart) {
  FakeDialog dlg(kClient);
  dlg.Add(5, {10, 10, 110, 40}, ResizeRatio, ResizeRatio, ResizeKeep, ResizeKeep, 0, 0.25, 0.5);
  dlg.Resize(480, 300);  // dI = 80
  EXPECT_EQ(dlg.controls[5], (RECT{30, 10, 170, 40}));
  dlg.Resize(481, 300);  // dI = 81: 10 + trunc(20.25), trunc(10 + 100 + 20.25 + 40.5)
  EXPECT_EQ(dlg.controls[5], (RECT{30, 10, 170, 40}));
  dlg.Resize(360, 300);  // dI = -40: 10 + trunc(-10), trunc(110 - 10 - 20)
  EXPECT_EQ(dlg.controls[5], (RECT{0, 10, 80, 40}));
}

TEST(ResizeLayout, KeepAxisBesideScaleOrRatioUsesTheCurrentRectangle) {
  FakeDialog dlg(kClient);
  dlg.Add(6, {10, 10, 60, 40}, ResizeKeep, ResizeScale, ResizeKeep, ResizeKeep);
  // Someone else moved the control meanwhile.
  dlg.controls[6] = {20, 10, 70, 40};
  dlg.layout.OnSizing(WMSZ_LEFT);  // only the left edge: horizontal mode A (keep) applies
  auto result = dlg.Resize(450, 300, SIZE_MAXSHOW);
  EXPECT_TRUE(result.moves.empty());
  EXPECT_EQ(dlg.controls[6], (RECT{20, 10, 70, 40}));
  EXPECT_EQ(dlg.layout.SizingEdge(), 0);
}

TEST(ResizeLayout, ModeAAppliesToNearEdgesAndModeBToFarEdges) {
  FakeDialog dlg(kClient);
  dlg.Add(7, {10, 10, 110, 40}, ResizeStretch, ResizeMove, ResizeKeep, ResizeKeep);
  dlg.Resize(420, 300);  // restore: right and bottom edges, mode B (move)
  EXPECT_EQ(dlg.controls[7], (RECT{30, 10, 130, 40}));
  dlg.layout.OnSizing(WMSZ_TOPLEFT);
  dlg.Resize(450, 300, SIZE_MAXHIDE);  // left edge: mode A (stretch)
  EXPECT_EQ(dlg.controls[7], (RECT{30, 10, 160, 40}));
}

TEST(ResizeLayout, NoRecordedEdgeMeansNoLayoutButThePreviousSizeMoves) {
  FakeDialog dlg(kClient);
  dlg.Add(8, {10, 10, 110, 40}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  auto result = dlg.Resize(500, 300, SIZE_MAXSHOW);
  EXPECT_TRUE(result.moves.empty());
  EXPECT_EQ(dlg.layout.Previous().Width(), 500);
  // The growth that was skipped is not applied later.
  dlg.Resize(510, 300);
  EXPECT_EQ(dlg.controls[8], (RECT{10, 10, 120, 40}));
}

TEST(ResizeLayout, UnusedModesLeaveTheAxisAlone) {
  FakeDialog dlg(kClient);
  dlg.Add(9, {10, 10, 110, 40}, 6, 15, 9, 12);
  EXPECT_TRUE(dlg.Resize(700, 600).moves.empty());
  EXPECT_EQ(dlg.controls[9], (RECT{10, 10, 110, 40}));
}

TEST(ResizeLayout, ShrinkingBelowZeroAndGrowingBackRestoresExactly) {
  FakeDialog dlg(kClient);
  dlg.Add(10, {10, 10, 60, 40}, ResizeStretch, ResizeStretch, ResizeStretch, ResizeStretch);
  auto result = dlg.Resize(300, 250);
  ASSERT_EQ(result.moves.size(), 1u);
  // The layout keeps the inverted rectangle; only the applied size is clamped.
  EXPECT_EQ(result.moves[0].rect, (RECT{10, 10, -40, -10}));
  EXPECT_EQ(dlg.controls[10], (RECT{10, 10, 10, 10}));
  dlg.Resize(300, 250);  // no change: nothing moves, even with the clamped control
  dlg.Resize(400, 300);
  EXPECT_EQ(dlg.controls[10], (RECT{10, 10, 60, 40}));
}

TEST(ResizeLayout, MinimiseChangesNothingAndRestoreLandsWhereItWas) {
  FakeDialog dlg(kClient);
  dlg.Add(11, {10, 10, 110, 40}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  dlg.Resize(450, 300);
  dlg.layout.OnSizing(WMSZ_RIGHT);
  auto minimised = dlg.Resize(0, 0, SIZE_MINIMIZED);
  EXPECT_TRUE(minimised.minimised);
  EXPECT_TRUE(minimised.moves.empty());
  EXPECT_EQ(dlg.layout.Previous().Width(), 450);
  EXPECT_EQ(dlg.layout.SizingEdge(), WMSZ_RIGHT);  // untouched too
  auto restored = dlg.Resize(450, 300);
  EXPECT_TRUE(restored.moves.empty());
  EXPECT_EQ(dlg.controls[11], (RECT{10, 10, 160, 40}));
}

TEST(ResizeLayout, WithoutItemsNothingIsLaidOutAndThePreviousSizeStays) {
  FakeDialog dlg(kClient);
  auto result = dlg.Resize(800, 600);
  EXPECT_FALSE(result.minimised);
  EXPECT_FALSE(result.laidOut);
  EXPECT_EQ(dlg.layout.Previous(), kClient);
}

TEST(ResizeLayout, RegisteringAnIdAgainReplacesItsItem) {
  FakeDialog dlg(kClient);
  dlg.Add(12, {10, 10, 110, 40}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  dlg.Add(13, {10, 50, 110, 80}, ResizeKeep, ResizeKeep, ResizeKeep, ResizeKeep);
  dlg.Add(12, {20, 10, 120, 40}, ResizeMove, ResizeMove, ResizeMove, ResizeMove, kResizeRepaintOnMove);
  ASSERT_EQ(dlg.layout.Items().size(), 2u);
  const CResizeDlgItem& item = dlg.layout.Items()[0];
  EXPECT_EQ(item.id, 12);
  EXPECT_EQ(item.HorzModeA(), ResizeMove);
  EXPECT_EQ(item.VertModeB(), ResizeMove);
  EXPECT_FALSE(item.ExcludeFromErase());
  EXPECT_TRUE(item.RepaintOnMove());
  EXPECT_EQ(item.stored, (RECT{20, 10, 120, 40}));
}

TEST(ResizeLayout, ControlsThatNoLongerExistAreSkipped) {
  FakeDialog dlg(kClient);
  dlg.Add(14, {10, 10, 110, 40}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  dlg.Add(15, {10, 50, 110, 80}, ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep);
  dlg.controls.erase(14);
  auto result = dlg.Resize(420, 300);
  ASSERT_EQ(result.moves.size(), 1u);
  EXPECT_EQ(result.moves[0].id, 15);
  EXPECT_EQ(dlg.controls[15], (RECT{10, 50, 130, 80}));
}

TEST(ResizeLayout, RepaintOnMoveReportsTheVacatedRectangle) {
  FakeDialog dlg(kClient);
  dlg.Add(16, {10, 10, 110, 40}, ResizeMove, ResizeMove, ResizeKeep, ResizeKeep, kResizeRepaintOnMove);
  auto result = dlg.Resize(410, 300);
  ASSERT_EQ(result.moves.size(), 1u);
  EXPECT_TRUE(result.moves[0].repaint);
  EXPECT_EQ(result.moves[0].vacated, (RECT{10, 10, 110, 40}));
  EXPECT_EQ(result.moves[0].rect, (RECT{20, 10, 120, 40}));
}

TEST(ResizeLayout, EdgeSetsFollowTheSizeTypeAndTheDraggedEdge) {
  EXPECT_EQ(EdgeSetForSize(SIZE_MINIMIZED, WMSZ_LEFT), -1);
  EXPECT_EQ(EdgeSetForSize(SIZE_RESTORED, WMSZ_LEFT), kResizeEdgeRight | kResizeEdgeBottom);
  EXPECT_EQ(EdgeSetForSize(SIZE_MAXIMIZED, 0), kResizeEdgeRight | kResizeEdgeBottom);
  const std::pair<int, int> table[] = {
      {WMSZ_LEFT, kResizeEdgeLeft},
      {WMSZ_RIGHT, kResizeEdgeRight},
      {WMSZ_TOP, kResizeEdgeTop},
      {WMSZ_TOPLEFT, kResizeEdgeLeft | kResizeEdgeTop},
      {WMSZ_TOPRIGHT, kResizeEdgeRight | kResizeEdgeTop},
      {WMSZ_BOTTOM, kResizeEdgeBottom},
      {WMSZ_BOTTOMLEFT, kResizeEdgeLeft | kResizeEdgeBottom},
      {WMSZ_BOTTOMRIGHT, kResizeEdgeRight | kResizeEdgeBottom},
      {0, 0},
      {9, 0},
      {-3, 0},
  };
  for (auto [edge, expected] : table) EXPECT_EQ(EdgeSetForSize(SIZE_MAXSHOW, edge), expected) << edge;
}

TEST(ResizeLayout, ModesAndFlagsShareOneWord) {
  EXPECT_EQ(CResizeDlgItem::PackBits(1, 2, 3, 4, kResizeExcludeFromErase | kResizeRepaintOnMove), 0x34321u);
  EXPECT_EQ(CResizeDlgItem::PackBits(0x1F, 0, 0, 0, 0xFFFFFFFC),
            0xFu);  // fields masked, other flag bits ignored
  CResizeDlgItem fresh;
  EXPECT_EQ(fresh.id, 0);
  EXPECT_TRUE(fresh.ExcludeFromErase());
  EXPECT_EQ(fresh.HorzModeA() + fresh.HorzModeB() + fresh.VertModeA() + fresh.VertModeB(), 0);
  EXPECT_DOUBLE_EQ(fresh.posRatioX * fresh.sizeRatioX * fresh.posRatioY * fresh.sizeRatioY, 1.0);
}

TEST(ResizeLayout, ZeroSizedClientsDoNotDivideByZero) {
  FakeDialog dlg(RECT{0, 0, 0, 0});
  dlg.Add(17, {0, 0, 10, 10}, ResizeCentre, ResizeCentre, ResizeScale, ResizeScale);
  EXPECT_EQ(dlg.layout.Items()[0].posRatioX, 0.0);
  EXPECT_EQ(dlg.layout.Items()[0].posRatioY, 0.0);
  dlg.Resize(200, 100);
  // Centre at fraction 0, scale against nothing leaves the rectangle.
  EXPECT_EQ(dlg.controls[17], (RECT{-5, 0, 5, 10}));
}

TEST(ResizeLayout, AbsurdRatiosSaturateInsteadOfOverflowing) {
  FakeDialog dlg(kClient);
  dlg.Add(18, {10, 10, 20, 20}, ResizeRatio, ResizeRatio, ResizeRatio, ResizeRatio, 0, 1e300, -1e300,
          std::numeric_limits<double>::quiet_NaN(), 1e12);
  dlg.Resize(900, 900);
  const RECT& r = dlg.controls[18];
  EXPECT_EQ(r.left, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(r.top, 10);  // NaN counts as 0
}

TEST(ResizeLayout, EraseLeavesVisibleFlaggedControlsAlone) {
  FakeDialog dlg(kClient);
  dlg.Add(19, {10, 10, 110, 40}, 0, 0, 0, 0, kResizeExcludeFromErase);
  dlg.Add(20, {10, 50, 110, 80}, 0, 0, 0, 0, 0);
  dlg.Add(21, {10, 90, 110, 120}, 0, 0, 0, 0, kResizeExcludeFromErase);
  auto visible = [](int id) { return id != 21; };
  auto rects = dlg.layout.EraseExclusions(false, visible);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0], (RECT{10, 10, 110, 40}));
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
  EXPECT_EQ(info.maxTrackSize, (POINT{1200, 900}));

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
  EXPECT_TRUE(InGripTriangle(14, 14, 15, 15, false));
  EXPECT_TRUE(InGripTriangle(14, 0, 15, 15, false));
  EXPECT_TRUE(InGripTriangle(0, 14, 15, 15, false));
  EXPECT_FALSE(InGripTriangle(0, 0, 15, 15, false));
  EXPECT_FALSE(InGripTriangle(6, 6, 15, 15, false));
  EXPECT_TRUE(InGripTriangle(0, 14, 15, 15, true));
  EXPECT_TRUE(InGripTriangle(0, 0, 15, 15, true));
  EXPECT_FALSE(InGripTriangle(14, 0, 15, 15, true));
  EXPECT_FALSE(InGripTriangle(15, 14, 15, 15, false));  // outside the grip
  EXPECT_FALSE(InGripTriangle(3, 3, 0, 0, false));
}

}  // namespace

#include <gtest/gtest.h>

#include <map>

#include "ui/core/page_frame_geometry.h"
#include "ui/core/page_tree_model.h"
#include "ui/core/splitter_model.h"

namespace {

using ui::SplitterModel;

std::vector<int> Sizes(const SplitterModel& m) {
  std::vector<int> sizes;
  for (int i = 0; i < m.PaneCount(); ++i) sizes.push_back(m.PaneSize(i));
  return sizes;
}

TEST(SplitterModel, EqualSharesMinimumsAndFrozenPanes) {
  SplitterModel three(3, {0, 0, 0}, 5);
  three.Layout(10, 100);
  EXPECT_EQ(three.Fractions(), (std::vector<int>{10923, 10923, 10922}));
  EXPECT_EQ(Sizes(three), (std::vector<int>{30, 30, 30}));
  EXPECT_EQ(three.PaneStart(0), 10);
  EXPECT_EQ(three.PaneEnd(2), 110);

  // Shares follow the sizes given; a frozen tree keeps its width when the
  // splitter grows by 100 pixels, and the other pane takes all of it.
  SplitterModel two(2, {148, 148}, 5);
  two.SetPaneSizes({150, 373}, 0, 528);
  EXPECT_EQ(Sizes(two), (std::vector<int>{150, 373}));
  two.SetFrozen({true, false});
  two.Layout(0, 628);
  EXPECT_EQ(Sizes(two), (std::vector<int>{150, 473}));
  two.Layout(0, 428);  // and when it shrinks, down to the other pane's minimum
  EXPECT_EQ(Sizes(two), (std::vector<int>{150, 273}));

  // A pane below its minimum is pinned there; the rest share what is left.
  SplitterModel pinned(3, {0, 60, 0}, 5);
  pinned.Layout(0, 100);
  EXPECT_EQ(Sizes(pinned), (std::vector<int>{15, 60, 15}));
  // Minimums that cannot all fit: each pane gets its minimum while it lasts.
  SplitterModel crowded(2, {148, 148}, 5);
  crowded.Layout(0, 205);
  EXPECT_EQ(Sizes(crowded), (std::vector<int>{148, 52}));
}

TEST(SplitterModel, StackedPanesShareGrowthAmongTheFreeOnes) {
  // Four stacked panes, the first and third frozen: the other two share a
  // change of length equally, the frozen ones keep their sizes.
  SplitterModel m(4, {0, 0, 0, 0}, 4);
  m.SetPaneSizes({40, 60, 40, 60}, 0, 212);
  ASSERT_EQ(Sizes(m), (std::vector<int>{40, 60, 40, 60}));
  m.SetFrozen({true, false, true, false});
  const std::pair<int, std::vector<int>> steps[] = {
      {312, {40, 110, 40, 110}}, {212, {40, 60, 40, 60}}, {112, {40, 10, 40, 10}}};
  for (const auto& [length, sizes] : steps) {
    m.Layout(0, length);
    EXPECT_EQ(Sizes(m), sizes) << length;
    EXPECT_EQ(m.PaneEnd(3), length);
  }
}

TEST(SplitterModel, DraggingStopsAtTheMinimumsAndSetsTheShares) {
  SplitterModel m(2, {40, 50}, 5);
  m.Layout(0, 205);  // panes 0-100 and 105-205
  ASSERT_EQ(m.BarAt(102), 1);
  EXPECT_EQ(m.ClampDrag(1, 20), 45);    // pane 0 keeps 40
  EXPECT_EQ(m.ClampDrag(1, 190), 155);  // pane 1 keeps 50
  EXPECT_EQ(m.ClampDrag(1, 80), 80);
  m.Drop(1, 80);
  EXPECT_EQ(Sizes(m), (std::vector<int>{75, 125}));
  EXPECT_EQ(m.Fractions()[0] + m.Fractions()[1], SplitterModel::kWhole);
  m.Layout(0, 205);  // a later layout keeps the dropped sizes
  EXPECT_EQ(Sizes(m), (std::vector<int>{75, 125}));
}

TEST(SplitterModel, DegenerateLengthsAndSizesDoNotDivideByZero) {
  SplitterModel m(3, {10, 10, 10}, 5);
  const std::vector<int> before = m.Fractions();
  for (int length : {0, 5, 10, -20}) {
    m.Layout(0, length);
    EXPECT_EQ(Sizes(m), (std::vector<int>{0, 0, 0})) << length;
    EXPECT_EQ(m.Fractions(), before) << length;
  }
  m.SetPaneSizes({0, 0, 0}, 0, 100);  // all sizes zero: the shares stay
  EXPECT_EQ(m.Fractions(), before);
  m.SetFrozen({true, false, false});
  m.Layout(0, 10);
  m.Layout(0, 300);  // growing again from nothing
  int sum = 0;
  for (int s : Sizes(m)) sum += s;
  EXPECT_EQ(sum, 290);
}

TEST(PageTreeModel, CaptionPaths) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"FreeDB", {"FreeDB"}},
      {"A::B", {"A", "B"}},
      {"A\\\\::B", {"A\\", "B"}},
      {"A\\::B::C", {"A::B", "C"}},
      {"A::B::C", {"A", "B", "C"}},
      {"::A", {"::A"}},  // a separator at the very start is text
      {"::A::B", {"::A", "B"}},
      {"A::B\\::C", {"A", "B::C"}},  // the last level is unescaped as well
      {"A::", {"A", ""}},
      {"", {""}},
      {"::", {"::"}},
      {"A::::B", {"A", "::B"}},
      {"\\\\", {"\\"}},            // a lone escaped backslash
      {"A\\\\\\::B", {"A\\::B"}},  // three backslashes: the separator is escaped
  };
  for (const auto& [caption, levels] : cases) EXPECT_EQ(ui::SplitCaptionPath(caption), levels) << caption;
}

// A tree as parent links in insertion order; items are 1-based indexes.
class ListTree : public ui::PageTree {
 public:
  Item Add(Item parent, int page) {
    nodes_.push_back({parent, page});
    return nodes_.size();
  }
  Item FirstChild(Item parent) const override { return Following(parent, 0); }
  Item NextSibling(Item item) const override { return Following(nodes_[item - 1].parent, item); }
  Item PrevSibling(Item item) const override {
    Item previous = 0;
    for (Item i = 1; i < item; ++i)
      if (nodes_[i - 1].parent == nodes_[item - 1].parent) previous = i;
    return previous;
  }
  Item Parent(Item item) const override { return nodes_[item - 1].parent; }
  int PageOf(Item item) const override { return nodes_[item - 1].page; }

 private:
  Item Following(Item parent, Item after) const {
    for (Item i = after + 1; i <= nodes_.size(); ++i)
      if (nodes_[i - 1].parent == parent) return i;
    return 0;
  }
  struct Node {
    Item parent;
    int page;
  };
  std::vector<Node> nodes_;
};

TEST(PageTreeModel, SelectionSkipsItemsWithoutPagesAndDisabledPagesAndWraps) {
  // 1 "A" (no page) > 2 page 0, 3 page 1;  4 page 2;  5 "E" (no page) > 6 page 3
  ListTree t;
  const auto a = t.Add(0, -1), p0 = t.Add(a, 0), p1 = t.Add(a, 1), p2 = t.Add(0, 2), e = t.Add(0, -1),
             p3 = t.Add(e, 3);
  std::map<int, bool> enabled{{1, false}};
  ui::SelectRules rules;
  rules.pageEnabled = [&](int page) { return !enabled.count(page) || enabled[page]; };

  EXPECT_FALSE(ui::IsSelectable(t, a, rules));
  EXPECT_FALSE(ui::IsSelectable(t, p1, rules));
  EXPECT_EQ(ui::FirstSelectableAfter(t, a, rules), p0);
  EXPECT_EQ(ui::FirstSelectableAfter(t, p0, rules), 0u);  // p1 is disabled, and the search never climbs up

  const std::tuple<ui::PageTree::Item, bool, ui::PageTree::Item> moves[] = {
      {p0, true, p2},  {p2, true, p3},  {p3, true, p0},  // forward, wrapping to the first
      {p0, false, p3}, {p2, false, p0},                  // backward, wrapping to the last
  };
  for (auto [from, forward, to] : moves) EXPECT_EQ(ui::NextSelectable(t, from, forward, rules), to) << from;

  rules.skipEmptyItems = true;  // items without page count now
  EXPECT_EQ(ui::NextSelectable(t, p2, true, rules), e);
  EXPECT_EQ(ui::FirstSelectableAfter(t, p2, rules), e);
  rules.skipEmptyItems = false;
  rules.blockDisabledPages = false;
  EXPECT_EQ(ui::NextSelectable(t, p0, true, rules), p1);
  EXPECT_EQ(ui::FindPageItem(t, 3), p3);
  EXPECT_EQ(ui::FindPageItem(t, 9), 0u);

  ListTree lone;
  const auto only = lone.Add(0, 0);
  EXPECT_EQ(ui::NextSelectable(lone, only, true, rules), only);
  EXPECT_EQ(ui::NextSelectable(ListTree(), 0, true, rules), 0u);
}

TEST(PageFrameGeometry, CaptionBandMessageAndIcon) {
  const RECT client{0, 0, 300, 200};
  EXPECT_EQ(ui::CaptionArea(client, true, 25), (RECT{-3, -2, 300, 26}));
  EXPECT_EQ(ui::CaptionArea(client, true, 25, false), (RECT{-1, -1, 300, 26}));
  EXPECT_EQ(ui::CaptionArea(client, false, 25), (RECT{-3, -2, 300, 1}));
  EXPECT_EQ(ui::MessageArea(client, true, 25).top, 26);
  EXPECT_EQ(ui::MessageArea(client, false, 25).top, 0);
  const RECT band = ui::CaptionArea(client, true, 25);
  const ui::CaptionLayout withIcon = ui::LayoutCaption(band, {16, 16});
  EXPECT_EQ(withIcon.icon, (POINT{8, 4}));
  EXPECT_EQ(withIcon.textLeft, -3 + 16 + 8 + 5);
  EXPECT_EQ(ui::LayoutCaption(band, {0, 0}).textLeft, -3 + 5);  // no icon, no indent
}

}  // namespace

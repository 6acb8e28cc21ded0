// The window-free rules of the tree property sheet's page tree: how a page
// caption "A::B::C" becomes a path of tree levels, which items may be
// selected, and how the selection moves (to the first selectable item below
// an item, to the next or previous one in tree order with wrap-around).
//
// The rules work on any tree through the small PageTree interface, so the
// sheet runs them on its tree control and the tests on a plain model.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The levels of a page caption. The caption is split at each "::" that is
// preceded by an even number of backslashes (none counts) and is not its
// first character; in each level "\::" stands for "::" and "\\" for "\".
// "A::B" gives {"A", "B"}, "A\\::B" gives {"A\", "B"}, "A\::B::C" gives
// {"A::B", "C"}; a caption without separator is one level, as it is.
std::vector<std::string> SplitCaptionPath(std::string_view caption);

// A tree of items, each with a page index or -1 (an item without page).
class PageTree {
 public:
  using Item = uintptr_t;  // 0: no item
  virtual ~PageTree() = default;
  // The first top-level item for parent 0.
  virtual Item FirstChild(Item parent) const = 0;
  virtual Item NextSibling(Item item) const = 0;
  virtual Item PrevSibling(Item item) const = 0;
  virtual Item Parent(Item item) const = 0;  // 0 for a top-level item
  virtual int PageOf(Item item) const = 0;
};

struct SelectRules {
  bool skipEmptyItems = false;                // items without page are selectable
  bool blockDisabledPages = true;             // disabled pages are not
  std::function<bool(int page)> pageEnabled;  // empty: every page is enabled
};

bool IsSelectable(const PageTree& tree, PageTree::Item item, const SelectRules& rules);
// The first selectable item below `item` (its children first, else its later
// siblings and their children), or 0.
PageTree::Item FirstSelectableAfter(const PageTree& tree, PageTree::Item item, const SelectRules& rules);
// The item after (before) `item` in tree order, wrapping from the last item
// to the first (and back); for item 0 the first (last) item.
PageTree::Item NextInTreeOrder(const PageTree& tree, PageTree::Item item, bool forward);
// The next (previous) selectable item in tree order with wrap-around; `item`
// itself when no other is selectable; 0 for an empty tree.
PageTree::Item NextSelectable(const PageTree& tree, PageTree::Item item, bool forward,
                              const SelectRules& rules);
// The first item in tree order whose page is `page`, or 0.
PageTree::Item FindPageItem(const PageTree& tree, int page);

}  // namespace ui

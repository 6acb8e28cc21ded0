// Caption paths and selection rules of the page tree.
#include "ui/core/page_tree_model.h"

namespace ui {

namespace {

// Position of the first "::" that splits `caption`, or npos.
size_t FindSeparator(std::string_view caption) {
  for (size_t at = caption.find("::", 1); at != std::string_view::npos; at = caption.find("::", at + 1)) {
    size_t backslashes = 0;
    while (backslashes < at && caption[at - 1 - backslashes] == '\\') ++backslashes;
    if (backslashes % 2 == 0) return at;
  }
  return std::string_view::npos;
}

std::string Unescape(std::string_view level) {
  std::string text(level);
  for (size_t at = text.find("\\::"); at != std::string::npos; at = text.find("\\::", at + 2))
    text.erase(at, 1);
  for (size_t at = text.find("\\\\"); at != std::string::npos; at = text.find("\\\\", at + 1))
    text.erase(at, 1);
  return text;
}

PageTree::Item LastDescendant(const PageTree& tree, PageTree::Item item) {
  for (PageTree::Item child = tree.FirstChild(item); child != 0; child = tree.FirstChild(item)) {
    item = child;
    while (tree.NextSibling(item) != 0) item = tree.NextSibling(item);
  }
  return item;
}

PageTree::Item SearchSiblings(const PageTree& tree, PageTree::Item start, const SelectRules& rules) {
  for (PageTree::Item item = start; item != 0; item = tree.NextSibling(item)) {
    if (IsSelectable(tree, item, rules)) return item;
    if (PageTree::Item found = SearchSiblings(tree, tree.FirstChild(item), rules)) return found;
  }
  return 0;
}

}  // namespace

std::vector<std::string> SplitCaptionPath(std::string_view caption) {
  std::vector<std::string> levels;
  for (size_t at = FindSeparator(caption); at != std::string_view::npos; at = FindSeparator(caption)) {
    levels.push_back(Unescape(caption.substr(0, at)));
    caption.remove_prefix(at + 2);
  }
  // The last level is unescaped too, so the escapes never show in the tree.
  levels.push_back(Unescape(caption));
  return levels;
}

bool IsSelectable(const PageTree& tree, PageTree::Item item, const SelectRules& rules) {
  if (item == 0) return false;
  const int page = tree.PageOf(item);
  if (page < 0) return rules.skipEmptyItems;
  return !rules.blockDisabledPages || !rules.pageEnabled || rules.pageEnabled(page);
}

PageTree::Item FirstSelectableAfter(const PageTree& tree, PageTree::Item item, const SelectRules& rules) {
  const PageTree::Item child = tree.FirstChild(item);
  return SearchSiblings(tree, child != 0 ? child : tree.NextSibling(item), rules);
}

PageTree::Item NextInTreeOrder(const PageTree& tree, PageTree::Item item, bool forward) {
  if (forward) {
    if (item != 0) {
      if (PageTree::Item child = tree.FirstChild(item)) return child;
      for (PageTree::Item up = item; up != 0; up = tree.Parent(up)) {
        if (PageTree::Item next = tree.NextSibling(up)) return next;
      }
    }
    return tree.FirstChild(0);
  }
  if (item != 0) {
    if (PageTree::Item previous = tree.PrevSibling(item)) return LastDescendant(tree, previous);
    if (PageTree::Item parent = tree.Parent(item)) return parent;
  }
  PageTree::Item last = tree.FirstChild(0);
  if (last == 0) return 0;
  while (tree.NextSibling(last) != 0) last = tree.NextSibling(last);
  return LastDescendant(tree, last);
}

PageTree::Item NextSelectable(const PageTree& tree, PageTree::Item item, bool forward,
                              const SelectRules& rules) {
  PageTree::Item candidate = NextInTreeOrder(tree, item, forward);
  const PageTree::Item first = candidate;
  while (candidate != 0 && candidate != item) {
    if (IsSelectable(tree, candidate, rules)) return candidate;
    candidate = NextInTreeOrder(tree, candidate, forward);
    if (candidate == first) break;  // `item` was not in the tree
  }
  return item;
}

PageTree::Item FindPageItem(const PageTree& tree, int page) {
  const PageTree::Item first = tree.FirstChild(0);
  for (PageTree::Item item = first; item != 0;) {
    if (tree.PageOf(item) == page) return item;
    item = NextInTreeOrder(tree, item, true);
    if (item == first) break;
  }
  return 0;
}

}  // namespace ui

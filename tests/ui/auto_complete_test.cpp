#include "ui/core/auto_complete.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(AutoComplete, CompletesFromTheFirstItemThatStartsWithTheTypedText) {
  // "Bad\xFF\x42yte": a damaged byte between "Bad" and "Byte".
  const std::vector<std::string> items = {"Rock",           "Rap", "Österreich", "Рок",
                                          "Bad\xFF\x42yte", "R&B", "x×y",        "Ÿes"};
  // What the row shows, the field as typed, the field completed, whether an item matched.
  const std::tuple<const char*, ui::EditState, ui::EditState, bool> cases[] = {
      {"first of two matches, rest selected", {"R", 1, 1}, {"Rock", 1, 4}, true},
      {"case ignored, item's spelling taken", {"rA", 2, 2}, {"Rap", 2, 3}, true},
      {"no match keeps the text, caret at end", {"Rx", 2, 2}, {"Rx", 2, 2}, false},
      {"typed past every item", {"Rocks", 5, 5}, {"Rocks", 5, 5}, false},
      {"editing inside keeps the selection", {"Ro", 1, 1}, {"Rock", 1, 1}, true},
      {"empty text never fills in an item", {"", 0, 0}, {"", 0, 0}, false},
      {"Latin-1 capitals fold", {"öst", 3, 3}, {"Österreich", 3, 10}, true},
      {"Cyrillic folds", {"р", 1, 1}, {"Рок", 1, 3}, true},
      {"Latin Extended-A folds", {"ÿ", 1, 1}, {"Ÿes", 1, 3}, true},
      {"signs do not fold", {"x÷", 2, 2}, {"x÷", 2, 2}, false},
      {"damaged bytes count as one character", {"bad", 3, 3}, {"Bad\xFF\x42yte", 3, 8}, true},
      {"selection past the end is the end", {"r&", 2, 9}, {"R&B", 2, 3}, true},
  };
  for (const auto& [name, typed, expected, matched] : cases) {
    const ui::Completion done = ui::AutoComplete(items, typed);
    EXPECT_EQ(done.edit, expected) << name << ": got \"" << done.edit.text << "\" " << done.edit.selStart
                                   << ".." << done.edit.selEnd;
    EXPECT_EQ(done.matched, matched) << name;
  }
}

}  // namespace

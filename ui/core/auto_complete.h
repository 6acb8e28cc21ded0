// Inline completion for an editable combo box: as the user types, the edit
// field is filled with the first list item that starts with the typed text,
// and the part the user did not type is selected so the next key replaces it.
//
// Texts are UTF-8; positions and lengths are in characters (code points), as
// the toolkit's text fields count them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ui {

// Simple lower-case mapping of one character for prefix search: ASCII,
// Latin-1, Latin Extended-A, basic Greek and Cyrillic; others are returned
// unchanged.
char32_t FoldCase(char32_t c);

// The index of the first item that starts with `text`, ignoring case, or
// nothing. An empty text matches nothing: clearing the field must not fill
// it with the first item.
std::optional<size_t> FindPrefixNoCase(std::span<const std::string> items, std::string_view text);

// An edit field's text and its selection [selStart, selEnd) (equal: just the caret).
struct EditState {
  std::string text;
  long selStart = 0;
  long selEnd = 0;
  bool operator==(const EditState&) const = default;
};

struct Completion {
  EditState edit;
  bool matched = false;  // an item starts with the typed text (its list would be shown)
};

// What the field holds after completing `typed` from `items`. A match
// replaces the text with the item's; without one the typed text stays. A
// selection that ends before the end of the typed text (the user edits in
// the middle) is kept; otherwise the completed remainder after the typed
// text is selected (nothing, without a match: the caret goes to the end).
Completion AutoComplete(std::span<const std::string> items, const EditState& typed);

// Number of characters of a UTF-8 text (invalid bytes count one each).
long CharCount(std::string_view text);

}  // namespace ui

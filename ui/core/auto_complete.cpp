// Inline completion for editable combo boxes.
#include "ui/core/auto_complete.h"

#include <utf8.h>

#include <vector>

namespace ui {

namespace {

// Decodes UTF-8, reading each invalid byte as U+FFFD, so damaged text from a
// list never stops the search.
std::u32string Decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  auto it = text.begin();
  while (it != text.end()) {
    auto start = it;
    try {
      out.push_back(static_cast<char32_t>(utf8::next(it, text.end())));
    } catch (const utf8::exception&) {
      out.push_back(U'\uFFFD');
      it = start + 1;
    }
  }
  return out;
}

}  // namespace

char32_t FoldCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c < 0xC0) return c;
  if (c <= 0xDE) return c == 0xD7 ? c : c + 32;  // Latin-1 capitals, not the multiplication sign
  if (c == 0x178) return 0xFF;                   // Y with diaeresis
  // Latin Extended-A pairs capital and small letter; the pairing flips at
  // the two runs that start on an odd code point.
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c % 2 == 0) ? c + 1 : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 1) ? c + 1 : c;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

std::optional<size_t> FindPrefixNoCase(std::span<const std::string> items, std::string_view text) {
  const std::u32string prefix = Decode(text);
  if (prefix.empty()) return std::nullopt;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::u32string item = Decode(items[i]);
    if (item.size() < prefix.size()) continue;
    bool same = true;
    for (size_t k = 0; k < prefix.size() && same; ++k) same = FoldCase(item[k]) == FoldCase(prefix[k]);
    if (same) return i;
  }
  return std::nullopt;
}

long CharCount(std::string_view text) { return static_cast<long>(Decode(text).size()); }

Completion AutoComplete(std::span<const std::string> items, const EditState& typed) {
  Completion result;
  result.edit = typed;
  const long typedLength = CharCount(typed.text);
  if (const auto found = FindPrefixNoCase(items, typed.text)) {
    result.matched = true;
    result.edit.text = items[*found];
  }
  if (typed.selEnd < typedLength) return result;  // editing inside the text: keep the user's selection
  result.edit.selStart = typedLength;
  result.edit.selEnd = CharCount(result.edit.text);
  return result;
}

}  // namespace ui

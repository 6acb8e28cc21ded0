// Ellipsising a line to a width.
#include "ui/core/text_fit.h"

namespace {

// The longest start of `text` (whole characters, possibly none) for which
// `fits` holds; `fits` must hold for every shorter start once it holds for a
// longer one. Found by halving, so a long text costs few measures.
std::string_view LongestFittingStart(std::string_view text,
                                     const std::function<bool(std::string_view)>& fits) {
  const std::vector<size_t> bounds = CharacterBounds(text);
  size_t low = 0;  // bounds[low] fits (none always counts as fitting)
  size_t high = bounds.size();
  while (low + 1 < high) {
    const size_t mid = (low + high) / 2;
    if (fits(text.substr(0, bounds[mid]))) {
      low = mid;
    } else {
      high = mid;
    }
  }
  return text.substr(0, bounds[low]);
}

std::string CutAtEnd(std::string_view text, int maxWidth, const TextWidthFn& width) {
  const std::string_view start = LongestFittingStart(
      text, [&](std::string_view s) { return width(std::string(s) + std::string(kEllipsis)) <= maxWidth; });
  return std::string(start) + std::string(kEllipsis);
}

}  // namespace

std::vector<size_t> CharacterBounds(std::string_view text) {
  std::vector<size_t> bounds{0};
  // A character ends where the next one's lead byte (not 10xxxxxx) starts.
  for (size_t i = 1; i <= text.size(); ++i) {
    if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) bounds.push_back(i);
  }
  return bounds;
}

std::string FitTextToWidth(std::string_view text, int maxWidth, const TextWidthFn& width) {
  if (width(text) <= maxWidth) return std::string(text);
  const size_t slash = text.rfind('/');
  if (slash == std::string_view::npos) return CutAtEnd(text, maxWidth, width);
  const std::string tail(text.substr(slash));
  const std::string markAndTail = std::string(kEllipsis) + tail;
  if (width(markAndTail) > maxWidth) {
    return std::string(kEllipsis) + CutAtEnd(tail, maxWidth - width(kEllipsis), width);
  }
  const std::string_view head = LongestFittingStart(text.substr(0, slash), [&](std::string_view s) {
    return width(std::string(s) + markAndTail) <= maxWidth;
  });
  return std::string(head) + markAndTail;
}

#include "ui/core/text_fit.h"

#include <gtest/gtest.h>

namespace {

// Ten pixels a character, counted in characters, not bytes ("…" is one).
int Width(std::string_view text) {
  int chars = 0;
  for (char c : text) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return 10 * chars;
}

TEST(TextFit, PathsLoseTheirMiddleOtherTextsTheirEnd) {
  struct Row {
    const char* text;
    int maxWidth;
    const char* shown;
  };
  const Row rows[] = {
      {"Ready", 100, "Ready"},
      {"Reading the table of contents", 100, "Reading t\u2026"},
      {"Destination:     /home/quarno/Music/01 - Intro.mp3", 300, "Destination:  \u2026/01 - Intro.mp3"},
      {"/home/quarno/Music/Album/", 120, "/home/quar\u2026/"},
      // the file name itself too wide: as much of it as fits
      {"/music/A very long file name.mp3", 150, "\u2026/A very long \u2026"},
      {"Gr\u00fc\u00dfe aus K\u00f6ln", 60, "Gr\u00fc\u00dfe\u2026"},  // whole characters only
      {"abc", 5, "\u2026"},
  };
  for (const Row& row : rows) {
    const std::string shown = FitTextToWidth(row.text, row.maxWidth, Width);
    EXPECT_EQ(shown, row.shown) << row.text;
    EXPECT_TRUE(shown == row.text || Width(shown) <= std::max(row.maxWidth, 10)) << row.text;
  }
}

}  // namespace

// The Output page's template entries and preview: exact texts for all
// thirteen templates, the separator cleaning, and agreement with the names
// the rip writes.
#include "rip/file_name_templates.h"

#include <gtest/gtest.h>

#include "rip/file_naming.h"

namespace {

TEST(FileNameTemplatesTest, EntriesAndPreviews) {
  const struct {
    const char* entry;    // separator "-"
    const char* preview;  // separator "-", without extension
  } rows[kFileStyleCount] = {
      {" <Tracknum>", "06"},
      {" Track<Tracknum>", "Track06"},
      {" <Tracktitle>", "Title"},
      {" <Tracknum>-<Tracktitle>", "06-Title"},
      {" <Artist>-<Album>-<Tracktitle>", "Artist-Album-Title"},
      {" <Artist>-<Album>-<Tracknum>-<Tracktitle>", "Artist-Album-06-Title"},
      {" <Artist>-<Album>-<Year>-<Tracknum>-<Tracktitle>", "Artist-Album-1994-06-Title"},
      {" <Artist>/<Tracknum>-<Tracktitle>", "Artist/06-Title"},
      {" <Artist>-<Album>/<Tracktitle>", "Artist-Album/Title"},
      {" <Artist>/<Album>/<Tracktitle>", "Artist/Album/Title"},
      {" <Artist>-<Album>/<Tracknum>-<Tracktitle>", "Artist-Album/06-Title"},
      {" <Artist>/<Album>/<Tracknum>-<Tracktitle>", "Artist/Album/06-Title"},
      {" <Artist>-<Album>-<Year>/<Tracknum>-<Tracktitle>", "Artist-Album-1994/06-Title"},
  };
  const std::vector<std::string> entries = FileStyleEntries("-");
  ASSERT_EQ(entries.size(), std::size(rows));
  for (int style = 0; style < kFileStyleCount; ++style) {
    EXPECT_EQ(entries[style], rows[style].entry);
    EXPECT_EQ(FileStylePreview(style, "-", 1), std::string(rows[style].preview) + ".wav");
    EXPECT_EQ(FileStylePreview(style, "-", 2), std::string(rows[style].preview) + ".mp3");
  }
  // A template number the list does not have gives the extension alone.
  EXPECT_EQ(FileStylePreview(13, "-", 2), ".mp3");
  EXPECT_EQ(FileStylePreview(-1, "-", 1), ".wav");
}

TEST(FileNameTemplatesTest, CleanSeparator) {
  const struct {
    const char* typed;
    const char* clean;
  } rows[] = {
      {"/", "-"},
      {"\\\"<", "---"},
      {">|*", "---"},
      {"?:a", "--a"},
      {"", ""},
      {"abcd", "abc"},
      {"a\nbc", "ab"},  // cut first, then the control character dropped
      {"\t\r\x7F", ""},
      {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", "\xC3\xA4\xC3\xB6\xC3\xBC"},  // characters, not bytes
  };
  for (const auto& row : rows) EXPECT_EQ(CleanSeparator(row.typed), row.clean) << row.typed;
}

// With any separator, the preview is the name the rip writes for the sample album.
TEST(FileNameTemplatesTest, PreviewMatchesTheWrittenName) {
  for (const char* separator : {"-", "_", "", " . "}) {
    for (int style = 0; style < kFileStyleCount; ++style) {
      OutputNaming naming{"/music/", style, separator, 2, kSampleArtist, kSampleAlbum, 1994, {}};
      naming.trackTitles.assign(6, kSampleTitle);
      EXPECT_EQ("/music/" + FileStylePreview(style, separator, 2), BuildOutputFileName(naming, 5))
          << style << " '" << separator << "'";
    }
  }
}

}  // namespace

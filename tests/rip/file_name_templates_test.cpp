// The Output page's template entries and preview: exact texts for all
// thirteen templates, the separator cleaning, and agreement with the names
// the rip actually writes.
#include "rip/file_name_templates.h"

#include <gtest/gtest.h>

#include "rip/file_naming.h"

namespace {

struct TemplateRow {
  int style;
  const char* entry;    // with separator "-"
  const char* preview;  // with separator "-", without extension
};

const TemplateRow kTemplateRows[] = {
    {0, " <Tracknum>", "06"},
    {1, " Track<Tracknum>", "Track06"},
    {2, " <Tracktitle>", "Title"},
    {3, " <Tracknum>-<Tracktitle>", "06-Title"},
    {4, " <Artist>-<Album>-<Tracktitle>", "Artist-Album-Title"},
    {5, " <Artist>-<Album>-<Tracknum>-<Tracktitle>", "Artist-Album-06-Title"},
    {6, " <Artist>-<Album>-<Year>-<Tracknum>-<Tracktitle>", "Artist-Album-1994-06-Title"},
    {7, " <Artist>/<Tracknum>-<Tracktitle>", "Artist/06-Title"},
    {8, " <Artist>-<Album>/<Tracktitle>", "Artist-Album/Title"},
    {9, " <Artist>/<Album>/<Tracktitle>", "Artist/Album/Title"},
    {10, " <Artist>-<Album>/<Tracknum>-<Tracktitle>", "Artist-Album/06-Title"},
    {11, " <Artist>/<Album>/<Tracknum>-<Tracktitle>", "Artist/Album/06-Title"},
    {12, " <Artist>-<Album>-<Year>/<Tracknum>-<Tracktitle>", "Artist-Album-1994/06-Title"},
};

TEST(FileNameTemplatesTest, EntriesAndPreviewsForWavAndMp3) {
  const std::vector<std::string> entries = FileStyleEntries("-");
  ASSERT_EQ(entries.size(), 13u);
  for (const TemplateRow& row : kTemplateRows) {
    SCOPED_TRACE(row.style);
    EXPECT_EQ(entries[static_cast<size_t>(row.style)], row.entry);
    EXPECT_EQ(FileStylePreview(row.style, "-", 1), std::string(row.preview) + ".wav");
    EXPECT_EQ(FileStylePreview(row.style, "-", 2), std::string(row.preview) + ".mp3");
  }
  // A template number the list does not have: no entry, the extension alone.
  EXPECT_EQ(FileStyleEntry(13, "-"), "");
  EXPECT_EQ(FileStylePreview(13, "-", 2), ".mp3");
  EXPECT_EQ(FileStylePreview(-1, "-", 1), ".wav");
  EXPECT_EQ(FileStylePreview(3, "-", 0), "06-Title");
}

TEST(FileNameTemplatesTest, SeparatorGoesWhereTheHyphensAre) {
  EXPECT_EQ(FileStyleEntry(3, ""), " <Tracknum><Tracktitle>");
  EXPECT_EQ(FileStylePreview(3, "", 2), "06Title.mp3");
  EXPECT_EQ(FileStyleEntry(12, " _ "), " <Artist> _ <Album> _ <Year>/<Tracknum> _ <Tracktitle>");
  EXPECT_EQ(FileStylePreview(6, "~", 1), "Artist~Album~1994~06~Title.wav");
  EXPECT_EQ(FileStyleEntry(9, "_"), " <Artist>/<Album>/<Tracktitle>");
  // A separator that looks like a tag half is not a tag.
  EXPECT_EQ(FileStylePreview(5, "Alb", 2), "ArtistAlbAlbumAlb06AlbTitle.mp3");
}

TEST(FileNameTemplatesTest, CleanSeparator) {
  const struct {
    const char* typed;
    const char* clean;
  } rows[] = {
      {"-", "-"},
      {"/", "-"},
      {"\\\"<", "---"},
      {">|*", "---"},
      {"?:a", "--a"},
      {"", ""},
      {" _ ", " _ "},
      {"abcd", "abc"},
      {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", "\xC3\xA4\xC3\xB6\xC3\xBC"},  // three characters, not three bytes
      {"\xE2\x80\x94/x/", "\xE2\x80\x94-x"},
  };
  for (const auto& row : rows) EXPECT_EQ(CleanSeparator(row.typed), row.clean) << row.typed;
}

// The preview shows what the rip writes for the same album data.
TEST(FileNameTemplatesTest, PreviewMatchesTheWrittenName) {
  for (const char* separator : {"-", "_", "", " . "}) {
    for (int style = 0; style < kFileStyleCount; ++style) {
      OutputNaming naming;
      naming.desDir = "/music/";
      naming.fileStyle = style;
      naming.separator = separator;
      naming.outputFormat = 2;
      naming.artist = kSampleArtist;
      naming.album = kSampleAlbum;
      naming.year = 1994;
      naming.trackTitles.assign(6, kSampleTitle);
      EXPECT_EQ("/music/" + FileStylePreview(style, separator, 2), BuildOutputFileName(naming, 5))
          << style << " '" << separator << "'";
    }
  }
}

}  // namespace

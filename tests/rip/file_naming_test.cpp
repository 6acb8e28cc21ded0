// Output file naming: the thirteen templates, component cleaning, the safety
// rules for album text from the network, and unique names.
#include "rip/file_naming.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <stdexcept>

#include "tests/rip/rip_test_util.h"

namespace {

OutputNaming Album(int style, int format = 2) {
  OutputNaming n;
  n.desDir = "/out/";
  n.fileStyle = style;
  n.separator = "-";
  n.outputFormat = format;
  n.artist = "Artist";
  n.album = "Album";
  n.year = 1994;
  n.trackTitles = {"One", "Two", "Three"};
  return n;
}

bool IsValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}

// "_." + "\xC3\x80" + 83 x U+FFFD: 253 bytes, the most that fits in 255.
const std::string Repaired83 = [] {
  std::string s = "_.\xC3\x80";
  for (int i = 0; i < 83; ++i) s += "\xEF\xBF\xBD";
  return s;
}();

TEST(FileNamingTest, EveryTemplateForTheSecondTrack) {
  const char* expected[] = {
      "/out/02.mp3",
      "/out/Track02.mp3",
      "/out/Two.mp3",
      "/out/02-Two.mp3",
      "/out/Artist-Album-Two.mp3",
      "/out/Artist-Album-02-Two.mp3",
      "/out/Artist-Album-1994-02-Two.mp3",
      "/out/Artist/02-Two.mp3",
      "/out/Artist-Album/Two.mp3",
      "/out/Artist/Album/Two.mp3",
      "/out/Artist-Album/02-Two.mp3",
      "/out/Artist/Album/02-Two.mp3",
      "/out/Artist-Album-1994/02-Two.mp3",
  };
  for (int style = 0; style <= 12; ++style)
    EXPECT_EQ(BuildOutputFileName(Album(style), 1), expected[style]) << "FileStyle " << style;
}

// Each case changes the album of the given template and names a track.
TEST(FileNamingTest, TemplatesWithOddTextsAndTheSafetyRules) {
  struct Case {
    int style, format, track;
    std::function<void(OutputNaming&)> change;
    std::string expected;
  } cases[] = {
      {11, 2, 2, [](OutputNaming& n) { n.artist = "Left/Right", n.album = "Live: 1991", n.trackTitles = {"a", "b", "Who?"}; },
       "/out/Left_Right/Live_ 1991/03-Who_.mp3"},
      {6, 2, 0, [](OutputNaming& n) { n.year = 0; }, "/out/Artist-Album-0-01-One.mp3"},
      {1, 1, 0, nullptr, "/out/Track01.wav"},
      // A name that would start with "." (hidden on Linux) starts with "_";
      // an empty stem becomes "_" and the extension stays.
      {13, 2, 0, nullptr, "/out/_.mp3"},
      {-1, 2, 0, nullptr, "/out/_.mp3"},
      {2, 1, 0, [](OutputNaming& n) { n.trackTitles = {" "}; }, "/out/_.wav"},
      {4, 2, 0, [](OutputNaming& n) { n.artist = ".hidden"; }, "/out/_hidden-Album-One.mp3"},
      {11, 2, 0, [](OutputNaming& n) { n.artist = ".config", n.album = "..x"; }, "/out/_config/_.x/01-One.mp3"},
      // Separator and texts are plain text, never format strings.
      {5, 2, 0, [](OutputNaming& n) { n.separator = "%d%", n.artist = "100% %s"; }, "/out/100% %s%d%Album%d%01%d%One.mp3"},
      {11, 2, 0, [](OutputNaming& n) { n.artist = ""; }, "/out//Album/01-One.mp3"},
      {0, 2, 0, [](OutputNaming& n) { n.desDir = "/music/../ripped/"; }, "/music/../ripped/01.mp3"},
      // Album text comes from CDDB servers: it must never lead out of the
      // output folder nor break a playlist line.
      {9, 2, 0, [](OutputNaming& n) { n.artist = "..", n.album = " . ", n.trackTitles = {".."}; }, "/out/_/_/_.mp3"},
      {8, 2, 0, [](OutputNaming& n) { n.separator = "", n.artist = ".", n.album = "."; }, "/out/__/One.mp3"},
      {10, 2, 0, [](OutputNaming& n) { n.separator = ".", n.artist = "", n.album = ""; }, "/out/_/01.One.mp3"},
      {2, 0, 0, [](OutputNaming& n) { n.trackTitles = {".."}; }, "/out/_"},  // no extension
      {11, 2, 0, [](OutputNaming& n) { n.artist = "Two\nLines", n.album = "Tab\tand\x7F", n.trackTitles = {"Line1\r\nLine2\n"}; },
       "/out/Two_Lines/Tab_and_/01-Line1__Line2.mp3"},
      {5, 2, 0, [](OutputNaming& n) { n.separator = "\x01"; }, "/out/Artist_Album_01_One.mp3"},
      // Broken UTF-8 is repaired before the name is cut and checked: this
      // artist once cut to ".." and climbed out of the output folder.
      {11, 2, 0, [](OutputNaming& n) { n.artist = n.album = "..\xC3" + std::string(253, '\x80'); },
       "/out/" + Repaired83 + "/" + Repaired83 + "/01-One.mp3"},
      {2, 2, 0, [](OutputNaming& n) { n.trackTitles = {"\xFF\xFEx\xC0\xAF"}; },
       "/out/\xEF\xBF\xBD\xEF\xBF\xBDx\xEF\xBF\xBD.mp3"},  // an overlong "/" is one bad character
      // Too long for one name: artist and album give way, so that track
      // number, title and extension stay and the tracks keep their own names.
      {5, 2, 0, [](OutputNaming& n) { n.artist = std::string(300, 'a'); }, "/out/" + std::string(238, 'a') + "-Album-01-One.mp3"},
      {4, 2, 1, [](OutputNaming& n) { n.artist = std::string(300, 'a'); }, "/out/" + std::string(241, 'a') + "-Album-Two.mp3"},
      {6, 2, 1, [](OutputNaming& n) { n.artist = std::string(300, 'a'); },
       "/out/" + std::string(233, 'a') + "-Album-1994-02-Two.mp3"},
      {5, 2, 0, [](OutputNaming& n) { n.artist = std::string(300, 'a'), n.album = std::string(300, 'b'); },
       "/out/" + std::string(121, 'a') + "-" + std::string(122, 'b') + "-01-One.mp3"},
      {5, 2, 0, [](OutputNaming& n) { n.artist = "Art", n.album = std::string(300, 'b'); },
       "/out/Art-" + std::string(240, 'b') + "-01-One.mp3"},
  };
  for (const Case& c : cases) {
    OutputNaming n = Album(c.style, c.format);
    if (c.change) c.change(n);
    EXPECT_EQ(BuildOutputFileName(n, c.track), c.expected);
  }
  // Invisible controls beyond C0 (NEL, CSI, the line and paragraph
  // separators, the bidirectional embeddings, overrides and isolates) are
  // cut from every name, and so from the playlist lines; their visible
  // neighbours (no-break space, hyphenation point, U+206A) stay.
  for (const char* invisible :
       {"\u0080", "\u0085", "\u009B", "\u009F", "\u2028", "\u2029", "\u202A", "\u202E", "\u2066", "\u2069"}) {
    OutputNaming n = Album(11);
    n.artist = std::string("A") + invisible + "B", n.album = std::string("C") + invisible + "D";
    n.trackTitles = {std::string("E") + invisible + "F"};
    EXPECT_EQ(BuildOutputFileName(n, 0), "/out/A_B/C_D/01-E_F.mp3") << invisible;
    EXPECT_EQ(BuildPlaylistPath("/out", n.album), "/out/C_D.m3u") << invisible;
  }
  OutputNaming shown = Album(2);
  shown.trackTitles = {"A\u0085B\u2028C\u202Egpj.exe \u00A0\u2027\u206A"};
  EXPECT_EQ(BuildOutputFileName(shown, 0), "/out/A_B_C_gpj.exe \u00A0\u2027\u206A.mp3");
  EXPECT_EQ(BuildOutputPrefix(Album(9)), "/out/Artist/Album/");
  EXPECT_EQ(BuildOutputPrefix(Album(4)), "/out/Artist-Album-");
  EXPECT_EQ(GetOutputExtension(1), ".wav");
  EXPECT_EQ(GetOutputExtension(2), ".mp3");
  EXPECT_EQ(GetOutputExtension(0), "");
  EXPECT_EQ(GetOutputExtension(3), "");
}

TEST(FileNamingTest, SanitizeReplacesTheNineCharactersAndTrims) {
  EXPECT_EQ(SanitizeFileName("a\\b/c\"d<e>f|g*h?i:j"), "a_b_c_d_e_f_g_h_i_j");
  EXPECT_EQ(SanitizeFileName("  \t Title \r\n"), "Title");
  EXPECT_EQ(SanitizeFileName(""), "");
  EXPECT_EQ(SanitizeFileName("   "), "");
  EXPECT_EQ(SanitizeFileName("Caf\xC3\xA9 \xE2\x99\xAA"), "Caf\xC3\xA9 \xE2\x99\xAA");
}

// Empty, blank and dot-leading titles and albums under every template: no
// name is hidden, and every file keeps its extension.
TEST(FileNamingTest, EveryTemplateWithEmptyAndDotLeadingTexts) {
  const struct {
    int style;
    const char* empty;  // title and album empty or blank
    const char* dotted;  // title ".x", album ".y"
  } rows[] = {
      {0, "/out/01.mp3", "/out/01.mp3"},
      {1, "/out/Track01.mp3", "/out/Track01.mp3"},
      {2, "/out/_.mp3", "/out/_x.mp3"},
      {3, "/out/01-.mp3", "/out/01-_x.mp3"},
      {4, "/out/Artist--.mp3", "/out/Artist-_y-_x.mp3"},
      {5, "/out/Artist--01-.mp3", "/out/Artist-_y-01-_x.mp3"},
      {6, "/out/Artist--1994-01-.mp3", "/out/Artist-_y-1994-01-_x.mp3"},
      {7, "/out/Artist/01-.mp3", "/out/Artist/01-_x.mp3"},
      {8, "/out/Artist-/_.mp3", "/out/Artist-_y/_x.mp3"},
      {9, "/out/Artist//_.mp3", "/out/Artist/_y/_x.mp3"},
      {10, "/out/Artist-/01-.mp3", "/out/Artist-_y/01-_x.mp3"},
      {11, "/out/Artist//01-.mp3", "/out/Artist/_y/01-_x.mp3"},
      {12, "/out/Artist--1994/01-.mp3", "/out/Artist-_y-1994/01-_x.mp3"},
      {13, "/out/_.mp3", "/out/_.mp3"},
  };
  for (const auto& row : rows) {
    for (const char* blank : {"", " \t "}) {
      OutputNaming n = Album(row.style);
      n.album = blank;
      n.trackTitles = {blank};
      EXPECT_EQ(BuildOutputFileName(n, 0), row.empty) << row.style << " '" << blank << "'";
    }
    OutputNaming n = Album(row.style);
    n.album = ".y";
    n.trackTitles = {".x"};
    EXPECT_EQ(BuildOutputFileName(n, 0), row.dotted) << row.style;
  }
}

// A record with fewer titles than the disc has tracks: the tracks past its
// titles are named as if there were no album; the record's own titles stay.
TEST(FileNamingTest, TrackWithoutTitleGetsTheDefaultTitle) {
  EXPECT_EQ(BuildOutputFileName(Album(11), 3), "/out/Artist/Album/04-Track04.mp3");
  EXPECT_EQ(BuildOutputFileName(Album(11), 2), "/out/Artist/Album/03-Three.mp3");
  OutputNaming none = Album(2);
  none.trackTitles.clear();
  EXPECT_EQ(BuildOutputFileName(none, 0), "/out/Track01.mp3");
  EXPECT_EQ(TrackTitleOf({"One", ""}, 1), "");
  EXPECT_EQ(TrackTitleOf({"One", ""}, 2), "Track03");
  EXPECT_THROW(BuildOutputFileName(Album(0), -1), std::out_of_range);
}

TEST(FileNamingTest, OverlongNamesAreCutAtCharacterBoundaries) {
  std::string longTitle;
  for (int i = 0; i < 150; ++i) longTitle += "\xC3\xA9";  // 300 bytes
  OutputNaming n = Album(11);
  n.artist = std::string(300, 'a');
  n.trackTitles = {longTitle};
  const std::string path = BuildOutputFileName(n, 0);
  EXPECT_EQ(FolderOf(FolderOf(path)), "/out/" + std::string(255, 'a'));
  const std::string file = BareFileName(path);
  EXPECT_LE(file.size(), kMaxNameBytes);
  EXPECT_GE(file.size(), kMaxNameBytes - 1);
  EXPECT_EQ(file.substr(file.size() - 4), ".mp3");
  EXPECT_TRUE(IsValidUtf8(file));

  EXPECT_EQ(CutAtCharBoundary("ab\xE2\x99\xAA", 4), "ab");
  EXPECT_EQ(CutAtCharBoundary("ab\xE2\x99\xAA", 5), "ab\xE2\x99\xAA");
  EXPECT_EQ(CutAtCharBoundary("abc", 0), "");
}

TEST(FileNamingTest, UniqueNamesCountFromTwoAndStayWithinTheLimit) {
  TempFolder dir;
  const std::string path = dir / "01-One.wav";
  EXPECT_EQ(MakeUniqueFileName(path, 1), dir / "01-One (2).wav");
  WriteText(dir / "01-One (2).wav", "x");
  EXPECT_EQ(MakeUniqueFileName(path, 1), dir / "01-One (3).wav");
  // The extension is the output format's; a dot in a folder is no extension.
  EXPECT_EQ(MakeUniqueFileName(dir / "a.b.c", 2), dir / "a.b (2).mp3");
  EXPECT_EQ(MakeUniqueFileName(dir / "sub.d/name", 1), dir / "sub.d/name (2).wav");
  EXPECT_EQ(MakeUniqueFileName(dir / "_.mp3", 2), dir / "_ (2).mp3");
  const std::string unique = MakeUniqueFileName(dir / (std::string(kMaxNameBytes - 4, 'x') + ".wav"), 1);
  EXPECT_EQ(BareFileName(unique).size(), kMaxNameBytes);
  EXPECT_EQ(unique.substr(unique.size() - 8), " (2).wav");
}

TEST(FileNamingTest, PlaylistPathIsCleanedAndCut) {
  EXPECT_EQ(BuildPlaylistPath("/out/A", "Live: 1991 "), "/out/A/Live_ 1991.m3u");
  EXPECT_EQ(BuildPlaylistPath("/out", ".."), "/out/_.m3u");
  EXPECT_EQ(BuildPlaylistPath("/out", ""), "/out/_.m3u");
  EXPECT_EQ(BuildPlaylistPath("/out", " \t"), "/out/_.m3u");
  EXPECT_EQ(BuildPlaylistPath("/out", ".x"), "/out/_x.m3u");
  EXPECT_EQ(BuildPlaylistPath("/out", std::string(300, 'z')), "/out/" + std::string(251, 'z') + ".m3u");
  EXPECT_EQ(FolderOf("c.wav"), "");
}

// Random bytes, weighted towards the ones that matter, in every text of
// every template: the path always stays below the output folder, is valid
// UTF-8, and no name in it is empty of meaning, hidden or too long.
TEST(FileNamingTest, RandomAlbumTextNeverLeavesTheOutputFolder) {
  std::mt19937 random(20261209);
  const char interesting[] = {'.', '.', '/', '\\', ' ', '\x80', '\xC3', '\xE2', '\xFF', '\n', 'a', '\x00'};
  auto text = [&] {
    std::string t(random() % 300, ' ');
    for (char& c : t)
      c = random() % 2 ? interesting[random() % sizeof interesting] : static_cast<char>(random() % 256);
    return t;
  };
  for (int round = 0; round < 300; ++round) {
    OutputNaming n = Album(static_cast<int>(round % 15) - 1, 1 + round % 3);
    n.artist = text();
    n.album = text();
    n.separator = text().substr(0, random() % 4);
    n.trackTitles = {text()};
    const std::string path = BuildOutputFileName(n, 0);
    SCOPED_TRACE(::testing::PrintToString(path));
    ASSERT_EQ(path.compare(0, 5, "/out/"), 0);
    EXPECT_TRUE(IsValidUtf8(path));
    for (std::string rest = path.substr(5); !rest.empty();) {
      const size_t slash = rest.find('/');
      const std::string name = rest.substr(0, slash);
      EXPECT_NE(name, ".");
      EXPECT_NE(name, "..");
      EXPECT_NE(name.substr(0, 1), ".");
      EXPECT_LE(name.size(), kMaxNameBytes);
      for (char c : name) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F);
      rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    }
    const std::string playlist = BuildPlaylistPath("/out", n.album);
    EXPECT_EQ(FolderOf(playlist), "/out");
    EXPECT_NE(BareFileName(playlist).substr(0, 1), ".");
    EXPECT_TRUE(IsValidUtf8(playlist));
  }
}

}  // namespace

#include "ui/core/xmessage_box_model.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "ui/core/profile_store.h"

namespace {

std::vector<int> ButtonIds(uint32_t type) {
  std::vector<int> ids;
  for (int label : StandardButtonsFor(type)) ids.push_back(XmbLabels()[label].buttonId);
  return ids;
}

TEST(XmbTables, ButtonSetsAndWhatEscapeDoes) {
  struct Row {
    uint32_t type;
    std::vector<int> ids;
    XmbEscape escape;
  };
  const Row rows[] = {
      {MB_OK, {IDOK}, XmbEscape::GivesOk},
      {MB_OKCANCEL, {IDOK, IDCANCEL}, XmbEscape::GivesCancel},
      {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, XmbEscape::Disabled},
      {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, XmbEscape::GivesCancel},
      {MB_YESNO, {IDYES, IDNO}, XmbEscape::Disabled},
      {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, XmbEscape::GivesCancel},
      {MB_CANCELTRYCONTINUE, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, XmbEscape::GivesCancel},
      {MB_CONTINUEABORT, {IDCONTINUE, IDABORT}, XmbEscape::Disabled},
      {MB_SKIPSKIPALLCANCEL, {IDSKIP, IDSKIPALL, IDCANCEL}, XmbEscape::GivesCancel},
      {MB_IGNOREIGNOREALLCANCEL, {IDIGNORE, IDIGNOREALL, IDCANCEL}, XmbEscape::GivesCancel},
      {0xA, {IDOK}, XmbEscape::Disabled},
      {0xF, {IDOK}, XmbEscape::Disabled},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ButtonIds(row.type), row.ids) << row.type;
    EXPECT_EQ(EscapeRuleFor(row.type), row.escape) << row.type;
  }
  EXPECT_EQ(ButtonIds(MB_YESNOCANCEL | MB_YESTOALL | MB_NOTOALL),
            (std::vector<int>{IDYES, IDYESTOALL, IDNO, IDNOTOALL, IDCANCEL}));
  EXPECT_EQ(ButtonIds(MB_YESNO | MB_NOTOALL), (std::vector<int>{IDYES, IDNO, IDNOTOALL}));
  EXPECT_EQ(ButtonIds(MB_OK | MB_YESTOALL), (std::vector<int>{IDOK}));
}

TEST(XmbTexts, CustomButtonsAndSeconds) {
  EXPECT_EQ(ParseCustomButtons("Play the Track\nRip the Track\nCancel\n"),
            (std::vector<std::string>{"Play the Track", "Rip the Track", "Cancel"}));
  EXPECT_EQ(ParseCustomButtons("1\n2\n3\n4\n5\n"), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(ParseCustomButtons("\n\nOne\n\nTwo"), (std::vector<std::string>{"One", "Two"}));
  EXPECT_TRUE(ParseCustomButtons("").empty());
  for (auto [in, out] : {std::pair{0, 0}, {999, 999}, {1000, 10}, {5000, 10}, {-3, -3}})
    EXPECT_EQ(ClampXmbSeconds(in), out) << in;
}

TEST(XmbTexts, LabelsComeFromReplacementsOrStringsUnlessTold) {
  XMessageBoxParams params;
  params.loadString = [](int id) { return id == 9001 ? std::string("Okay") : std::string(); };
  EXPECT_EQ(ResolveLabels(0, params)[kLabelOk], "Okay");
  EXPECT_EQ(ResolveLabels(0, params)[kLabelCancel], "Cancel");  // not found: built-in
  EXPECT_EQ(ResolveLabels(MB_NORESOURCE, params)[kLabelOk], "OK");

  params.replacementLabelsPresent = 1;
  params.replacementLabels[kLabelNo] = "Nope";
  const auto labels = ResolveLabels(0, params);
  EXPECT_EQ(labels[kLabelNo], "Nope");
  EXPECT_EQ(labels[kLabelOk], "OK");  // replacements win over strings
  params.replacementLabels[kLabelYes] = std::string(150, 'y');
  EXPECT_EQ(ResolveLabels(0, params)[kLabelYes].size(), kXmbMaxLabelChars);
  EXPECT_EQ(ResolveLabels(MB_NORESOURCE, params)[kLabelNo], "&No");
}

TEST(XmbTexts, WordsWiderThanALineBreakAtSeparatorsElseBetweenCharacters) {
  // Ten pixels a character, counted in characters, not bytes.
  const auto width = [](std::string_view text) {
    int chars = 0;
    for (char c : text) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return 10 * chars;
  };
  struct Row {
    std::string word;
    int maxWidth;
    std::vector<std::string> pieces;
  };
  const Row rows[] = {
      {"/home/quarno/Music", 180, {"/home/quarno/Music"}},  // fits: whole
      {"/home/quarno/Music/Album", 150, {"/home/quarno/", "Music/Album"}},
      {"C:\\Users\\quarno\\Music", 120, {"C:\\Users\\", "quarno\\Music"}},
      {"abcdefghijklmnopqrstuvwxy", 100, {"abcdefghij", "klmnopqrst", "uvwxy"}},
      // a separator that would leave the line less than half full is passed over
      {"/abcdefghijkl", 100, {"/abcdefghi", "jkl"}},
      // whole characters only
      {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 30, {"\xc3\xa9\xc3\xa9\xc3\xa9", "\xc3\xa9\xc3\xa9"}},
      // narrower than one character: one each
      {"abc", 5, {"a", "b", "c"}},
  };
  for (const Row& row : rows) EXPECT_EQ(BreakLongWord(row.word, row.maxWidth, width), row.pieces) << row.word;
}

TEST(XmbRemembered, KeyAndValueNamesAreEncodedPerUtf16Unit) {
  const std::pair<const char*, const char*> names[] = {
      {"", ""},
      {"A", "B"},                     // 65 % 64
      {"AB", "BH"},                   // (66 + 5) % 64 = 7
      {">", "9"},                     // 62: the table's tail
      {"\xC3\xA9", "f"},              // U+00E9: 233 % 64 = 41
      {"\xF0\x9F\x98\x80", "zF"},     // a surrogate pair: two units
  };
  for (auto [in, out] : names) EXPECT_EQ(EncodeValueName(in), out) << in;
  EXPECT_EQ(EncodeValueName("\xFF"), EncodeValueName("\xEF\xBF\xBD"));  // broken UTF-8: replaced, no throw
  EXPECT_EQ(RememberedAnswerKey("Velmorix", "quarno-cd-ripper"),
            "Software\\Velmorix\\quarno-cd-ripper\\XMessageBox");
  EXPECT_EQ(RememberedAnswerKey("", "quarno-cd-ripper"), "Software\\quarno-cd-ripper\\XMessageBox");
  EXPECT_EQ(RememberedValueName("AB", 12), "BH12");
  const std::string name = RememberedValueName(std::string(600, 'A'), 7);
  EXPECT_EQ(name.size(), 491u);
  EXPECT_EQ(name.back(), '7');
  EXPECT_EQ(RememberedValueName(std::string(489, 'A') + "\xF0\x9F\x98\x80", 0).size(), 490u);  // no half pair
}

class XmbProfile : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qcr-xmb-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    store_.SetPath(dir_ + "/test.profile");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string dir_;
  ProfileStore store_;
  const std::string key_ = RememberedAnswerKey("Co", "prog");
};

TEST_F(XmbProfile, AnswersRoundTripWithEveryBitAndDamagedOnesReadAsNothing) {
  EXPECT_EQ(ReadRememberedAnswer(store_, key_, "BH0"), 0u);
  WriteRememberedAnswer(store_, key_, "BH0", 24 | MB_DONOTASKAGAIN);
  WriteRememberedAnswer(store_, key_, "BH1", IDOK | MB_DONOTSHOWAGAIN | MB_TIMEOUT);
  EXPECT_EQ(ReadRememberedAnswer(store_, key_, "BH0"), 24u | MB_DONOTASKAGAIN);
  EXPECT_EQ(ReadRememberedAnswer(store_, key_, "BH1"), 1u | MB_DONOTSHOWAGAIN | MB_TIMEOUT);
  EXPECT_EQ(ReadRememberedAnswer(store_, RememberedAnswerKey("", "prog"), "BH0"), 0u);
  // Damaged or unreadable values read as nothing remembered.
  store_.WriteProfileString(key_, "BH0", "24 plus");
  EXPECT_EQ(ReadRememberedAnswer(store_, key_, "BH0"), 0u);
  {
    std::ofstream garbage(dir_ + "/test.profile", std::ios::binary | std::ios::trunc);
    garbage << "\xFF\xFE[[[\n=\n\0\0\0";
  }
  EXPECT_EQ(ReadRememberedAnswer(store_, key_, "BH0"), 0u);
  ProfileStore nowhere;  // no file at all: reads nothing, writes fail silently
  WriteRememberedAnswer(nowhere, key_, "BH0", 7);
  EXPECT_EQ(ReadRememberedAnswer(nowhere, key_, "BH0"), 0u);
}

}  // namespace

// The tips file: skipped lines, wrap-around, 999-character pieces, odd
// bytes, files without a single tip, and the start-up flag written on OK.
#include "app/tips_reader.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/settings.h"
#include "platform/ini_file.h"

namespace fs = std::filesystem;

namespace {

using Tips = std::vector<std::string>;

class TipsReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-tips-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    path_ = root_ + "/Tips.tip";
  }
  void TearDown() override {
    DataFolder.clear();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void Write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  // The first tip and the next `count - 1`.
  std::vector<std::string> FirstTips(int count) const {
    TipsReader reader(path_);
    std::vector<std::string> tips{reader.Tip()};
    for (int i = 1; i < count; ++i) {
      reader.NextTip();
      tips.push_back(reader.Tip());
    }
    return tips;
  }
  std::string root_, path_;
};

TEST_F(TipsReaderTest, ReadsTipsInOrderAndWraps) {
  const std::string a998(998, 'a'), x999(999, 'x');
  const struct {
    std::string file;
    Tips tips;
  } rows[] = {
      {"; comment\nOne\n\n skipped\n\tskipped\nTwo\n;x\nThree\n", {"One", "Two", "Three", "One", "Two"}},
      {"A\nB", {"A", "B", "A"}},
      {"A\r\n\r\nB\r\n", {"A", "B", "A"}},
      {"\xEF\xBB\xBF; comment\nA\n", {"A", "A"}},
      {"A\xFF\n", {"A\xEF\xBF\xBD"}},
      // Long lines come in pieces of 999 characters; each piece is a line.
      {x999 + "yz\nB\n", {x999, "yz", "B", x999}},
      {x999 + "\nB\n", {x999, "B", x999}},
      {x999 + " rest\n", {x999, x999}},
      {a998 + "\xC3\xA9" + "b\n", {a998 + "\xC3\xA9", "b"}},
  };
  for (const auto& row : rows) {
    Write(row.file);
    EXPECT_EQ(FirstTips(static_cast<int>(row.tips.size())), row.tips) << row.file.substr(0, 40);
  }
}

TEST_F(TipsReaderTest, NoTipLine) {
  for (const std::string file : {"", "; only comments\n\n \n\t\n", "\n\n\n"}) {
    Write(file);
    TipsReader reader(path_);
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.Tip(), kTipsMissingText);
    reader.Skip(3);
    EXPECT_EQ(reader.Tip(), kTipsMissingText);
  }
  TipsReader missing(root_ + "/none.tip");
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.Tip(), "Tips file does not exist in the prescribed directory");
  // A FIFO in place of the file is not opened, so the window never waits on it.
  fs::remove(path_);
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  EXPECT_FALSE(TipsReader(path_).IsOpen());
}

TEST_F(TipsReaderTest, RandomStartAndStartupFlag) {
  Write("One\nTwo\nThree\n");
  TipsReader reader(path_);
  reader.Skip(4);
  EXPECT_EQ(reader.Tip(), "Two");
  EXPECT_NE(TipsReader(std::string(QCR_SOURCE_DIR) + "/res/files/Tips.tip").Tip(), kTipsMissingText);
  std::mt19937 random(7);
  int low = 99, high = 0;
  for (int i = 0; i < 2000; ++i) {
    const int n = TipsReader::RandomSkipCount(random);
    low = std::min(low, n);
    high = std::max(high, n);
  }
  EXPECT_EQ(low, 1);
  EXPECT_EQ(high, 35);

  DataFolder = root_;
  ASSERT_TRUE(WritePrivateProfileString("MISC", "Tip", "0", SettingsFilePath()));
  TipOfTheDayModel dialog(path_);
  EXPECT_FALSE(dialog.showAtStartup);
  dialog.showAtStartup = true;
  ASSERT_TRUE(dialog.Confirm());
  EXPECT_EQ(GetPrivateProfileInt("MISC", "Tip", 5, SettingsFilePath()), 1);
}

}  // namespace

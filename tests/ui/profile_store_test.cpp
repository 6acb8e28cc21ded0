// The profile file: values round-trip, damaged values fall back to defaults,
// nothing is written without a path, and parallel writers lose nothing.
#include "ui/core/profile_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string Key(int thread, int i) { return "t" + std::to_string(thread) + "_" + std::to_string(i); }

class ProfileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "qcr-profile-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/" + ProfileStore::FileNameFor("quarno-cd-ripper");
    profile_.SetPath(path_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string FileText() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void SetFileText(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }

  std::string dir_;
  std::string path_;
  ProfileStore profile_;
};

TEST_F(ProfileStoreTest, ValuesRoundTripAndMissingOnesGiveDefaults) {
  EXPECT_EQ(path_.substr(path_.rfind('/') + 1), "quarno-cd-ripper.profile");
  EXPECT_EQ(profile_.GetProfileInt("Position", "", 42), 42);  // no file yet: defaults
  std::vector<std::uint8_t> read = {1, 2, 3};
  EXPECT_FALSE(profile_.GetProfileBinary("Position", "x", read));
  EXPECT_TRUE(read.empty());
  const std::vector<std::uint8_t> blob = {0x00, 0x2C, 0xFF, 0x7F, 0x80};
  ASSERT_TRUE(profile_.WriteProfileInt("Position", "", -7));
  ASSERT_TRUE(profile_.WriteProfileString("Answers", "{GUID-1}", "C:\\path with blanks "));
  ASSERT_TRUE(profile_.WriteProfileBinary("Position", "{F2E2C5E4-3803-4791-813A-DED9CD2E2815}", blob));

  // A fresh store on the same file sees everything, names in any case.
  ProfileStore again(path_);
  EXPECT_EQ(again.GetProfileInt("position", "", 0), -7);
  EXPECT_EQ(again.GetProfileString("ANSWERS", "{guid-1}"), "C:\\path with blanks ");
  EXPECT_EQ(again.GetProfileString("Answers", "other", "dflt"), "dflt");
  EXPECT_EQ(again.GetProfileInt("Other", "", 6), 6);
  ASSERT_TRUE(again.GetProfileBinary("Position", "{f2e2c5e4-3803-4791-813a-ded9cd2e2815}", read));
  EXPECT_EQ(read, blob);

  // The unnamed value is the key "@"; binary values are hex with a checksum.
  const std::string text = FileText();
  EXPECT_NE(text.find("@=-7"), std::string::npos) << text;
  EXPECT_NE(text.find("=002CFF7F80"), std::string::npos) << text;
}

TEST_F(ProfileStoreTest, DamagedValuesAreIgnored) {
  SetFileText(
      "[Position]\r\n"
      "int1=12abc\r\n"
      "int2=\r\n"
      "int3=99999999999\r\n"
      "int4= 5\r\n"
      "bin1=0102\r\n"    // checksum should be 03
      "bin2=01020\r\n"   // odd number of digits
      "bin3=ZZ0000\r\n"  // not hex
      "bin4=\r\n"
      "bin5=010203\r\n"  // good: bytes 01 02, checksum 03
      "garbage line without equals\r\n");
  for (const char* key : {"int1", "int2", "int3"}) EXPECT_EQ(profile_.GetProfileInt("Position", key, -1), -1) << key;
  EXPECT_EQ(profile_.GetProfileInt("Position", "int4", -1), 5);  // the INI layer trims blanks
  std::vector<std::uint8_t> data;
  for (const char* key : {"bin1", "bin2", "bin3", "bin4"}) {
    EXPECT_FALSE(profile_.GetProfileBinary("Position", key, data)) << key;
    EXPECT_TRUE(data.empty()) << key;
  }
  ASSERT_TRUE(profile_.GetProfileBinary("Position", "bin5", data));
  EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 2}));
  // A write keeps the lines it does not understand.
  ASSERT_TRUE(profile_.WriteProfileInt("Position", "int1", 3));
  EXPECT_NE(FileText().find("garbage line without equals"), std::string::npos);
  EXPECT_EQ(profile_.GetProfileInt("Position", "int1", -1), 3);
}

TEST_F(ProfileStoreTest, NoPathNoFolderOrBadNamesMeanNoWrite) {
  ProfileStore unset;
  EXPECT_EQ(unset.Path(), "");
  EXPECT_FALSE(unset.WriteProfileInt("Position", "", 1) || unset.WriteProfileString("Position", "a", "b") ||
               unset.WriteProfileBinary("Position", "a", {1}));
  EXPECT_EQ(unset.GetProfileInt("Position", "", 9), 9);

  ProfileStore nowhere(dir_ + "/missing/folder/x.profile");
  EXPECT_FALSE(nowhere.WriteProfileInt("Position", "", 1));
  EXPECT_FALSE(fs::exists(dir_ + "/missing"));

  // A folder where the file should be reads as empty and refuses writes.
  ProfileStore folder(dir_);
  EXPECT_EQ(folder.GetProfileString("Position", "a", "d"), "d");
  EXPECT_FALSE(folder.WriteProfileString("Position", "a", "b"));
  // Names and values that cannot be stored are refused.
  EXPECT_FALSE(profile_.WriteProfileString("Position", "a=b", "1"));
  EXPECT_FALSE(profile_.WriteProfileString("Position", "a", "two\nlines"));
}

TEST_F(ProfileStoreTest, ParallelWritersLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 10;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kPerThread; ++i) profile_.WriteProfileInt("Position", Key(t, i), t * 100 + i);
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kPerThread; ++i)
      EXPECT_EQ(profile_.GetProfileInt("Position", Key(t, i), -1), t * 100 + i);
  }
}

}  // namespace

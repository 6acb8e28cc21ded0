#include "ui/core/link_target.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using ui::LinkTargetKind;

class LinkTarget : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qcr-link-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::ofstream(dir_ + "/read me.txt") << "x";
    std::ofstream(dir_ + "/-rf") << "x";
    fs::create_directory(dir_ + "/folder");
    ASSERT_EQ(mkfifo((dir_ + "/pipe").c_str(), 0600), 0);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_;
};

TEST_F(LinkTarget, OnlyWebAndMailAddressesAndExistingFilesAreOpened) {
  struct Case {
    std::string target;
    LinkTargetKind kind;
    std::string argument;  // for opened targets
    int code;              // for refused ones
  };
  const Case cases[] = {
      {"http://www.example.org/a b?x=1&y='2';rm", LinkTargetKind::WebOrMail,
       "http://www.example.org/a b?x=1&y='2';rm", 0},
      {"HTTPS://example.org", LinkTargetKind::WebOrMail, "HTTPS://example.org", 0},
      {"mailto:support@example.org", LinkTargetKind::WebOrMail, "mailto:support@example.org", 0},
      {"read me.txt", LinkTargetKind::File, dir_ + "/read me.txt", 0},
      {"-rf", LinkTargetKind::File, dir_ + "/-rf", 0},  // made absolute: never an option
      {dir_ + "/folder", LinkTargetKind::File, dir_ + "/folder", 0},
      {"mailto:", LinkTargetKind::Refused, "", ui::kLinkNoAssociation},
      {"http://", LinkTargetKind::Refused, "", ui::kLinkNoAssociation},
      {"ftp://example.org/", LinkTargetKind::Refused, "", ui::kLinkNoAssociation},
      {"file:///etc/passwd", LinkTargetKind::Refused, "", ui::kLinkNoAssociation},
      {"javascript:alert(1)", LinkTargetKind::Refused, "", ui::kLinkNoAssociation},
      {"http://example.org/\nX-Header: 1", LinkTargetKind::Refused, "", ui::kLinkNoAssociation},
      {"", LinkTargetKind::Refused, "", ui::kLinkFileNotFound},
      {"missing.txt", LinkTargetKind::Refused, "", ui::kLinkFileNotFound},
      {"pipe", LinkTargetKind::Refused, "", ui::kLinkAccessDenied},
  };
  for (const Case& c : cases) {
    const ui::LinkTarget sorted = ui::ClassifyLinkTarget(c.target, dir_);
    EXPECT_EQ(sorted.kind, c.kind) << c.target;
    if (c.kind == LinkTargetKind::Refused) {
      EXPECT_EQ(sorted.failureCode, c.code) << c.target;
    } else {
      EXPECT_EQ(sorted.argument, c.argument) << c.target;
    }
  }
}

TEST_F(LinkTarget, ErrorTextsAndResultCodes) {
  EXPECT_EQ(
      ui::HyperLinkErrorText(31),
      "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
  EXPECT_EQ(ui::HyperLinkErrorText(99), "Unable to open hyperlink:\n\nUnknown Error (99) occurred.");
  EXPECT_EQ(ui::HyperLinkErrorText(-1), "Unable to open hyperlink:\n\nUnknown Error (-1) occurred.");
  EXPECT_EQ(ui::HyperLinkErrorText(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
  EXPECT_EQ(ui::HyperLinkErrorText(0),
            "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");

  EXPECT_GT(ui::LinkResultCode(DesktopOpenResult::Opened), 32);
  EXPECT_EQ(ui::LinkResultCode(DesktopOpenResult::NoHandler), 31);
  EXPECT_EQ(ui::LinkResultCode(DesktopOpenResult::NotFound), 2);
  EXPECT_EQ(ui::LinkResultCode(DesktopOpenResult::NoResources), 8);
  EXPECT_EQ(ui::LinkResultCode(DesktopOpenResult::Failed), 27);
}

TEST(LinkFit, TheAlignedPointStays) {
  const RECT window{100, 50, 300, 90};  // 200 x 40
  const SIZE text{60, 17};
  const SIZE border{2, 2};
  struct Case {
    const char* name;
    ui::LinkAlignment alignment;
    RECT expected;
  };
  const Case cases[] = {
      {"left, top", {}, {100, 50, 162, 69}},
      {"centre", {true, false, false}, {169, 50, 231, 69}},
      {"right", {false, true, false}, {238, 50, 300, 69}},
      {"centre image", {false, false, true}, {100, 60, 162, 79}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ui::FitLinkRect(window, text, border, c.alignment), c.expected) << c.name;
}

}  // namespace

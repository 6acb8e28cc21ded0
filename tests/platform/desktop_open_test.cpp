// The desktop handler is replaced by an xdg-open first on PATH that records
// its arguments and ends with the status the test asks for.
#include "platform/desktop_open.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

class DesktopOpen : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qcr-xdg-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "";
    fs::create_directory(dir_ + "/bin");
    std::ofstream(dir_ + "/bin/xdg-open") << "#!/bin/sh\n"
                                          << "printf '%s\\0' \"$0\" \"$@\" > \"" << Record() << "\"\n"
                                          << "[ \"$QCR_XDG_EXIT\" = kill ] && kill -9 $$\n"
                                          << "exit ${QCR_XDG_EXIT:-0}\n";
    fs::permissions(dir_ + "/bin/xdg-open", fs::perms::owner_all);
    setenv("PATH", (dir_ + "/bin:" + oldPath_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    unsetenv("QCR_XDG_EXIT");
    fs::remove_all(dir_);
  }
  std::string Record() const { return dir_ + "/argv"; }
  // The recorded arguments after the program name, or {"<not run>"}.
  std::vector<std::string> RecordedArguments() const {
    std::ifstream in(Record(), std::ios::binary);
    if (!in) return {"<not run>"};
    std::vector<std::string> args;
    std::string arg;
    while (std::getline(in, arg, '\0')) args.push_back(arg);
    if (!args.empty()) args.erase(args.begin());
    return args;
  }

  std::string dir_;
  std::string oldPath_;
};

TEST_F(DesktopOpen, TheTargetIsOneArgumentWhateverItHolds) {
  for (const std::string target :
       {"https://example.org/a b?x=1&y=2", "/tmp/it's; rm -rf ~ $(id) `id` *.txt"}) {
    EXPECT_EQ(OpenWithDesktopHandler(target), DesktopOpenResult::Opened);
    EXPECT_EQ(RecordedArguments(), std::vector<std::string>{target});
    fs::remove(Record());
  }
}

TEST_F(DesktopOpen, TheHandlersVerdictIsReported) {
  const std::pair<const char*, DesktopOpenResult> cases[] = {
      {"0", DesktopOpenResult::Opened},    {"1", DesktopOpenResult::Failed},
      {"2", DesktopOpenResult::NotFound},  {"3", DesktopOpenResult::NoHandler},
      {"4", DesktopOpenResult::NoHandler}, {"kill", DesktopOpenResult::Failed},
  };
  for (const auto& [status, expected] : cases) {
    setenv("QCR_XDG_EXIT", status, 1);
    EXPECT_EQ(OpenWithDesktopHandler("mailto:a@example.org"), expected) << status;
  }
}

TEST_F(DesktopOpen, NothingRunsForAnOptionLikeTargetOrWithoutXdgOpen) {
  EXPECT_EQ(OpenWithDesktopHandler("--help"), DesktopOpenResult::Failed);
  EXPECT_EQ(OpenWithDesktopHandler(""), DesktopOpenResult::Failed);
  EXPECT_EQ(RecordedArguments(), std::vector<std::string>{"<not run>"});
  setenv("PATH", (dir_ + "/nowhere").c_str(), 1);
  EXPECT_EQ(OpenWithDesktopHandler("https://example.org/"), DesktopOpenResult::NoHandler);
}

}  // namespace

// The program's folders (data, config, music with its fallbacks) under a
// private HOME and XDG config folder, and folder creation.
#include "platform/folders.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class FoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-folders-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    home_ = root_ + "/home user";
    config_ = root_ + "/config";
    fs::create_directories(home_);
    fs::create_directories(config_);
    homeEnv_.emplace("HOME", home_);
    configEnv_.emplace("XDG_CONFIG_HOME", config_);
  }
  void TearDown() override {
    configEnv_.reset();
    homeEnv_.reset();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  void WriteUserDirs(const std::string& lines) const {
    std::ofstream(config_ + "/user-dirs.dirs") << "# written by the test\n" << lines;
  }

  std::string root_, home_, config_;
  std::optional<ScopedEnv> homeEnv_, configEnv_;
};

TEST_F(FoldersTest, ProgramFolderHoldsTheRunningProgram) {
  const std::string folder = GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  const std::string name = fs::path(program_invocation_name).filename().string();
  EXPECT_TRUE(PathFileExists(folder + "/" + name)) << folder << " / " << name;
}

TEST_F(FoldersTest, ConfigAndDataFolderFollowXdg) {
  EXPECT_EQ(GetUserConfigFolder(), config_);
  EXPECT_EQ(GetDataFolder(), config_ + "/Quarno CD Ripper Free");
  {
    ScopedEnv trailing("XDG_CONFIG_HOME", config_ + "//");
    EXPECT_EQ(GetUserConfigFolder(), config_);
  }
  {
    // A relative value is not a valid XDG folder.
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(GetUserConfigFolder(), home_ + "/.config");
  }
  {
    ScopedEnv unset("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(GetDataFolder(), home_ + "/.config/Quarno CD Ripper Free");
  }
}

TEST_F(FoldersTest, MusicFolderChoiceRule) {
  const std::string music = root_ + "/Music dir";
  const std::string desktop = root_ + "/Desk";
  fs::create_directories(music);
  fs::create_directories(desktop);
  EXPECT_EQ(ChooseMusicFolder(home_, music, desktop), music + "/");
  EXPECT_EQ(ChooseMusicFolder(home_, music + "/", desktop), music + "/");
  // Not set up: the home folder itself, a missing folder, nothing.
  EXPECT_EQ(ChooseMusicFolder(home_, home_, desktop), desktop + "/");
  EXPECT_EQ(ChooseMusicFolder(home_, home_ + "/", desktop), desktop + "/");
  EXPECT_EQ(ChooseMusicFolder(home_, root_ + "/gone", desktop), desktop + "/");
  EXPECT_EQ(ChooseMusicFolder(home_, "", ""), home_ + "/Music/");
  EXPECT_EQ(ChooseMusicFolder(home_, home_, home_ + "/Desktop"), home_ + "/Music/");
  // A file is not a folder.
  std::ofstream(root_ + "/file") << "x";
  EXPECT_EQ(ChooseMusicFolder(home_, root_ + "/file", ""), home_ + "/Music/");
}

TEST_F(FoldersTest, MusicFolderFromUserDirs) {
  fs::create_directories(home_ + "/Tunes");
  fs::create_directories(home_ + "/Desktop");
  WriteUserDirs("XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");
  EXPECT_EQ(GetMusicFolder(), home_ + "/Tunes/");

  // Music not set up: the desktop folder.
  WriteUserDirs("XDG_MUSIC_DIR=\"$HOME/\"\n");
  EXPECT_EQ(GetMusicFolder(), home_ + "/Desktop/");

  // Neither: ~/Music/, whether or not it exists.
  fs::remove(home_ + "/Desktop");
  EXPECT_EQ(GetMusicFolder(), home_ + "/Music/");
}

TEST_F(FoldersTest, MusicFolderWithoutTheXdgTool) {
  // An empty PATH: xdg-user-dir cannot be found, the file is read directly.
  ScopedEnv path("PATH", root_);
  EXPECT_EQ(QueryXdgUserDir("MUSIC"), "");
  fs::create_directories(root_ + "/abs music");
  WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_MUSIC_DIR=\"" + root_ + "/abs music\"\n");
  EXPECT_EQ(GetMusicFolder(), root_ + "/abs music/");
  // The tool's own default for the desktop applies without it too.
  WriteUserDirs("");
  fs::create_directories(home_ + "/Desktop");
  EXPECT_EQ(GetMusicFolder(), home_ + "/Desktop/");
  fs::remove(home_ + "/Desktop");
  EXPECT_EQ(GetMusicFolder(), home_ + "/Music/");
}

// Puts a stand-in xdg-user-dir first in PATH.
class FakeXdgTool {
 public:
  FakeXdgTool(const std::string& folder, const std::string& body) {
    fs::create_directories(folder);
    const std::string tool = folder + "/xdg-user-dir";
    std::ofstream(tool) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(tool, fs::perms::owner_all);
    path_.emplace("PATH", folder + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : ""));
  }

 private:
  std::optional<ScopedEnv> path_;
};

TEST_F(FoldersTest, XdgToolGetsItsArgumentWithoutAShell) {
  FakeXdgTool tool(root_ + "/bin", "printf '%s\\n' \"$1\"; echo second line >&2");
  EXPECT_EQ(QueryXdgUserDir("A  B;echo $HOME"), "A  B;echo $HOME");
}

TEST_F(FoldersTest, FailingXdgToolFallsBackToTheFile) {
  FakeXdgTool tool(root_ + "/bin", "echo /somewhere; exit 3");
  EXPECT_EQ(QueryXdgUserDir("MUSIC"), "");
  fs::create_directories(home_ + "/Songs");
  WriteUserDirs("XDG_MUSIC_DIR=\"$HOME/Songs\"\n");
  EXPECT_EQ(GetMusicFolder(), home_ + "/Songs/");
}

TEST_F(FoldersTest, UserDirsFileParsing) {
  WriteUserDirs(
      "XDG_MUSIC_DIR_OTHER=\"/no\"\n"
      "  XDG_MUSIC_DIR=\"/indented\"\n"
      "XDG_DESKTOP_DIR=\"$HOME/Desk top\"\n"
      "XDG_MUSIC_DIR=/unquoted\n"
      "XDG_MUSIC_DIR=\"/second\"  \n");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "MUSIC", "/h"), "/second");
  WriteUserDirs("  XDG_MUSIC_DIR=\"/indented\"\n# XDG_MUSIC_DIR=\"/comment\"\n");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "MUSIC", "/h"), "/indented");
  WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/Desk top\"\nXDG_MUSIC_DIR=/unquoted\n");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "DESKTOP", "/h"), "/h/Desk top");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "MUSIC", "/h"), "/unquoted");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "VIDEOS", "/h"), "");
  EXPECT_EQ(ReadXdgUserDirsFile(root_ + "/none", "MUSIC", "/h"), "");
}

TEST_F(FoldersTest, CreateFolderPathMakesMissingParents) {
  const std::string deep = root_ + "/a/b c/d";
  EXPECT_EQ(CreateFolderPath(deep), 1);
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_EQ(CreateFolderPath(deep), 1);  // existing folder
  EXPECT_EQ(CreateFolderPath(root_ + "/x/y/"), 1);
  EXPECT_TRUE(fs::is_directory(root_ + "/x/y"));
  EXPECT_EQ(CreateFolderPath(root_ + "/p//q"), 1);
  EXPECT_TRUE(fs::is_directory(root_ + "/p/q"));
}

TEST_F(FoldersTest, CreateFolderPathRelative) {
  const fs::path old = fs::current_path();
  fs::current_path(root_);
  const int made = CreateFolderPath("rel/sub");
  fs::current_path(old);
  EXPECT_EQ(made, 1);
  EXPECT_TRUE(fs::is_directory(root_ + "/rel/sub"));
}

TEST_F(FoldersTest, CreateFolderPathRefusesWhatCannotBeMade) {
  std::ofstream(root_ + "/file") << "x";
  EXPECT_EQ(CreateFolderPath(root_ + "/file"), 0);             // a file is the target
  EXPECT_EQ(CreateFolderPath(root_ + "/file/sub/deeper"), 0);  // a file in the way
  EXPECT_EQ(CreateFolderPath(""), 0);
  EXPECT_EQ(CreateFolderPath(root_ + "/" + std::string(5000, 'n')), 0);
  EXPECT_EQ(CreateFolderPath(std::string("bad\0name", 8)), 0);
  // A file system that refuses folders although the parent exists.
  EXPECT_EQ(CreateFolderPath("/proc/qcr-no-such-folder/sub"), 0);
  // A name longer than a file system allows.
  EXPECT_EQ(CreateFolderPath(root_ + "/" + std::string(300, 'n') + "/x"), 0);
}

TEST_F(FoldersTest, CreateFolderPathWithoutPermission) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  fs::create_directories(root_ + "/locked");
  fs::permissions(root_ + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(CreateFolderPath(root_ + "/locked/a/b"), 0);
  fs::permissions(root_ + "/locked", fs::perms::owner_all);
}

TEST_F(FoldersTest, PathFileExists) {
  std::ofstream(root_ + "/file") << "x";
  EXPECT_TRUE(PathFileExists(root_ + "/file"));
  EXPECT_TRUE(PathFileExists(root_));
  EXPECT_FALSE(PathFileExists(root_ + "/none"));
  EXPECT_FALSE(PathFileExists(""));
}

}  // namespace

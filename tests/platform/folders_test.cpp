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
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }

 private:
  void Set(const std::optional<std::string>& value) {
    if (value)
      ::setenv(name_, value->c_str(), 1);
    else
      ::unsetenv(name_);
  }

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

TEST_F(FoldersTest, ProgramConfigAndDataFolders) {
  const std::string folder = GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  const std::string name = fs::path(program_invocation_name).filename().string();
  EXPECT_TRUE(PathFileExists(folder + "/" + name)) << folder << " / " << name;
  EXPECT_FALSE(PathFileExists(root_ + "/none"));
  EXPECT_FALSE(PathFileExists(""));

  EXPECT_EQ(GetUserConfigFolder(), config_);
  EXPECT_EQ(GetDataFolder(), config_ + "/Quarno CD Ripper Free");
  {
    ScopedEnv trailing("XDG_CONFIG_HOME", config_ + "//");
    EXPECT_EQ(GetUserConfigFolder(), config_);
  }
  {
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");  // not a valid XDG folder
    EXPECT_EQ(GetUserConfigFolder(), home_ + "/.config");
  }
  ScopedEnv unset("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(GetDataFolder(), home_ + "/.config/Quarno CD Ripper Free");
}

TEST_F(FoldersTest, MusicFolderChoiceRule) {
  const std::string music = root_ + "/Music dir", desktop = root_ + "/Desk", file = root_ + "/file";
  fs::create_directories(music);
  fs::create_directories(desktop);
  std::ofstream(file) << "x";
  // The music folder if set up; else the desktop; else ~/Music/. The home
  // folder itself, a missing folder, a file or nothing is not set up.
  const std::string cases[][3] = {
      {music, desktop, music + "/"},
      {music + "/", desktop, music + "/"},
      {home_, desktop, desktop + "/"},
      {home_ + "/", desktop, desktop + "/"},
      {root_ + "/gone", desktop, desktop + "/"},
      {"", "", home_ + "/Music/"},
      {home_, home_ + "/Desktop", home_ + "/Music/"},
      {file, "", home_ + "/Music/"},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseMusicFolder(home_, c[0], c[1]), c[2]) << c[0] << " | " << c[1];
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

TEST_F(FoldersTest, MusicFolderChainWithAndWithoutTheXdgTool) {
  fs::create_directories(home_ + "/Tunes");
  fs::create_directories(home_ + "/Desktop");
  WriteUserDirs("XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");
  EXPECT_EQ(GetMusicFolder(), home_ + "/Tunes/");
  WriteUserDirs("XDG_MUSIC_DIR=\"$HOME/\"\n");  // music not set up: the desktop
  EXPECT_EQ(GetMusicFolder(), home_ + "/Desktop/");
  fs::remove(home_ + "/Desktop");  // neither: ~/Music/, whether or not it exists
  EXPECT_EQ(GetMusicFolder(), home_ + "/Music/");
  {
    // A failing tool: the file is read directly.
    FakeXdgTool tool(root_ + "/bin", "echo /somewhere; exit 3");
    EXPECT_EQ(QueryXdgUserDir("MUSIC"), "");
    EXPECT_EQ(GetMusicFolder(), home_ + "/Music/");
    WriteUserDirs("XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");
    EXPECT_EQ(GetMusicFolder(), home_ + "/Tunes/");
  }
  // No tool on the PATH: the file is read directly, with the tool's own default desktop.
  ScopedEnv path("PATH", root_);
  EXPECT_EQ(QueryXdgUserDir("MUSIC"), "");
  fs::create_directories(root_ + "/abs music");
  WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_MUSIC_DIR=\"" + root_ + "/abs music\"\n");
  EXPECT_EQ(GetMusicFolder(), root_ + "/abs music/");
  WriteUserDirs("");
  fs::create_directories(home_ + "/Desktop");
  EXPECT_EQ(GetMusicFolder(), home_ + "/Desktop/");
}

TEST_F(FoldersTest, XdgToolGetsItsArgumentWithoutAShell) {
  FakeXdgTool tool(root_ + "/bin", "printf '%s\\n' \"$1\"; echo second line >&2");
  EXPECT_EQ(QueryXdgUserDir("A  B;echo $HOME"), "A  B;echo $HOME");
}

TEST_F(FoldersTest, UserDirsFileParsing) {
  WriteUserDirs(
      "XDG_MUSIC_DIR_OTHER=\"/no\"\n  XDG_MUSIC_DIR=\"/indented\"\nXDG_DESKTOP_DIR=\"$HOME/Desk top\"\n"
      "XDG_MUSIC_DIR=/unquoted\nXDG_MUSIC_DIR=\"/second\"  \n");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "MUSIC", "/h"), "/second");  // the last line wins
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "DESKTOP", "/h"), "/h/Desk top");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "VIDEOS", "/h"), "");
  EXPECT_EQ(ReadXdgUserDirsFile(root_ + "/none", "MUSIC", "/h"), "");
  WriteUserDirs("  XDG_MUSIC_DIR=\"/indented\"\n# XDG_MUSIC_DIR=\"/comment\"\n");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "MUSIC", "/h"), "/indented");
  WriteUserDirs("XDG_MUSIC_DIR=/unquoted\n");
  EXPECT_EQ(ReadXdgUserDirsFile(config_, "MUSIC", "/h"), "/unquoted");
}

TEST_F(FoldersTest, CreateFolderPathMakesMissingParents) {
  for (const std::string made : {"/a/b c/d", "/a/b c/d", "/x/y/", "/p//q"}) {
    EXPECT_EQ(CreateFolderPath(root_ + made), 1) << made;
    EXPECT_TRUE(fs::is_directory(root_ + made)) << made;
  }
  const fs::path old = fs::current_path();
  fs::current_path(root_);
  const int relative = CreateFolderPath("rel/sub");
  fs::current_path(old);
  EXPECT_EQ(relative, 1);
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
  if (::geteuid() == 0) return;  // permissions do not bind the superuser
  fs::create_directories(root_ + "/locked");
  fs::permissions(root_ + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(CreateFolderPath(root_ + "/locked/a/b"), 0);
  fs::permissions(root_ + "/locked", fs::perms::owner_all);
}

}  // namespace

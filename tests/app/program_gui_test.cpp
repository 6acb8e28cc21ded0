// The program as a process: it ends with code 0 and its settings saved when
// the session ends (SIGTERM, SIGINT, SIGHUP), also in the middle of a rip,
// and a second copy hands over to the first one and ends silently. The
// program file is the one built beside this test; each test gives it a home
// folder of its own. The rip is also ended through the window fixture.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/log.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/gui/exit_signals.h"
#include "app/gui/freedb_choice.h"
#include "app/gui/single_instance.h"
#include "platform/folders.h"
#include "tests/app/main_window_fixture.h"
#include "tests/rip/rip_test_util.h"
#include "tests/support/disc_image.h"

extern char** environ;

namespace {

// A display of this program's own: the program's accelerators, typed with
// xdotool, need the keyboard focus, which a display shared with other tests
// cannot promise.
const gui_test::OwnDisplay kDisplay("1280x1024x24", gui_test::OwnDisplay::kNoWindowManager);

using namespace std::chrono_literals;

constexpr auto kBound = 60s;  // generous: the program starts a GUI under a virtual display

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The log file's text: the UTF-16LE file with its byte-order mark, ASCII only, read as bytes.
std::string ReadLog(const fs::path& path) {
  const std::string bytes = ReadFile(path);
  std::string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(bytes[i + 1] == 0 ? bytes[i] : '?');
  return text;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // Starts the program with this process's environment, its output going to `output`.
  bool Start(const fs::path& output) {
    const fs::path program = fs::canonical("/proc/self/exe").parent_path() / "quarno-cd-ripper";
    if (!fs::exists(program)) {
      ADD_FAILURE() << "the program is not built: " << program;
      return false;
    }
    std::string path = program.string();
    char* argv[] = {path.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int error = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0;
  }

  // The exit status once the program has ended, waiting at most `bound`.
  std::optional<int> Wait(std::chrono::milliseconds bound = kBound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!status_) {
      int status = 0;
      const pid_t done = ::waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        status_ = status;
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(5ms);
    }
    return status_;
  }
  bool Running() {
    if (status_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return !status_;
  }
  void Signal(int sig) { ::kill(pid_, sig); }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

class ProgramGui : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-program-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(Home());
    std::ofstream(Home() / ".asoundrc") << "pcm.!default { type null }\n";
    fs::create_directories(DataFolder());
    // A log file, so the test can follow the start-up; no tip at start.
    std::ofstream(DataFolder() / "Quarno CD Ripper.ini")
        << "[MISC]\nTip=0\n[OUTPUT]\nWriteLog=1\nVolume=55\n";
    const std::string cue =
        WriteDiscImage(root_.string(), {{AudioTrack(4), AudioTrack(6), DataTrack(2)}}, "disc");
    ::setenv("HOME", Home().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
    ::setenv("QCR_DRIVES", cue.c_str(), 1);
    ::setenv("QCR_CDDB_SERVER", "127.0.0.1:1", 1);  // lookups stay on this machine
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path Home() const { return root_ / "home"; }
  fs::path ConfigHome() const { return Home() / ".config"; }
  fs::path DataFolder() const { return ConfigHome() / "Quarno CD Ripper Free"; }
  fs::path LogFile() const { return DataFolder() / "Quarno CD Ripper.log"; }
  bool StartProgram(Program& program) { return program.Start(root_ / "output.txt"); }

  // Waits until the log file holds `text` `times` times.
  bool WaitForLog(const std::string& text, size_t times = 1) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (Count(ReadLog(LogFile()), text) < times) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(10ms);
    }
    return true;
  }

  // What every end of a session leaves: the settings and the main window's
  // placement saved, the log file ending with the five empty lines of the exit.
  void ExpectSettingsPlacementAndLogSaved() {
    const std::string ini = ReadFile(DataFolder() / "Quarno CD Ripper.ini");
    EXPECT_NE(ini.find("DriveCount=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Volume=55"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Tip=0"), std::string::npos) << ini;  // kept: the exit does not write it
    const std::string profile = ReadFile(DataFolder() / "quarno-cd-ripper.profile");
    EXPECT_NE(profile.find("{F2E2C5E4-3803-4791-813A-DED9CD2E2815}="), std::string::npos) << profile;
    const std::string log = ReadLog(LogFile());
    EXPECT_EQ(log.substr(log.size() - 12), "\r\n\r\n\r\n\r\n\r\n\r\n");
  }

  // Whether `program` ended by itself with code 0 within the bound.
  static bool EndsWithCodeZero(Program& program) {
    const std::optional<int> status = program.Wait();
    if (!status) ADD_FAILURE() << "the program did not end";
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
  }

  fs::path root_;
};

class SessionEndSignal : public ProgramGui, public testing::WithParamInterface<int> {};

TEST_P(SessionEndSignal, EndsWithCodeZeroAndSavesSettingsAndPlacement) {
  Program program;
  ASSERT_TRUE(StartProgram(program));
  ASSERT_TRUE(WaitForLog("Initialization finished.")) << ReadFile(root_ / "output.txt");

  program.Signal(GetParam());
  EXPECT_TRUE(EndsWithCodeZero(program));
  ExpectSettingsPlacementAndLogSaved();
  // The sound libraries looked for a device without a word on the terminal.
  const std::string output = ReadFile(root_ / "output.txt");
  for (const char* library : {"ALSA", "jack", "Jack"})
    EXPECT_EQ(output.find(library), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(TermAndHangUp, SessionEndSignal, testing::Values(SIGTERM, SIGHUP, SIGINT));

// The top-left corners of the visible windows whose names match `pattern`.
std::vector<std::pair<int, int>> WindowCorners(const std::string& pattern) {
  std::istringstream lines(RunTool(
      {"xdotool", "search", "--onlyvisible", "--name", pattern, "getwindowgeometry", "--shell", "%@"}));
  std::vector<std::pair<int, int>> corners;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("X=", 0) == 0) corners.emplace_back(std::stoi(line.substr(2)), 0);
    if (line.rfind("Y=", 0) == 0 && !corners.empty()) corners.back().second = std::stoi(line.substr(2));
  }
  return corners;
}

// The session ends while a pop-up menu is open: the track list's context
// menu (a right-click on the second track's row) or the Format button's menu
// on the toolbar, each clicked at its place in the main window.
struct PopupMenuRow {
  int button;  // 3: right
  int x, y;    // from the main window's top-left corner
  int signal;
};
const PopupMenuRow kPopupMenuRows[] = {{3, 100, 266, SIGTERM}, {1, 216, 57, SIGINT}, {3, 100, 266, SIGHUP}};

// How soon the program ends once the signal is sent. ThreadSanitizer alone
// slows any end, with or without a menu, past a second.
#ifdef __SANITIZE_THREAD__
constexpr auto kPopupMenuEndBound = 3s;
#else
constexpr auto kPopupMenuEndBound = 1s;
#endif

class SessionEndDuringAPopupMenu : public ProgramGui, public testing::WithParamInterface<PopupMenuRow> {};

TEST_P(SessionEndDuringAPopupMenu, ClosesItAndEndsWithinASecondWithEverythingSaved) {
  const PopupMenuRow row = GetParam();
  Program program;
  ASSERT_TRUE(StartProgram(program));
  ASSERT_TRUE(WaitForLog("Initialization finished.") && WaitForLog("Refreshing track list view..."))
      << ReadFile(root_ / "output.txt");
  const auto main = WindowCorners("^Quarno CD Ripper");
  ASSERT_EQ(main.size(), 1u);
  const int x = main[0].first + row.x, y = main[0].second + row.y;
  // The menu, a window named after the program file, opens just below the
  // click; the click is repeated while the rows are still being filled.
  bool open = false;
  for (int tries = 0; tries < 10 && !open; ++tries) {
    RunTool(
        {"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", std::to_string(row.button)});
    for (int i = 0; i < 50 && !open; ++i, std::this_thread::sleep_for(20ms)) {
      for (const auto& [left, top] : WindowCorners("^quarno-cd-ripper$"))
        open = open || (std::abs(left - x) <= 48 && top >= y && top - y <= 48);
    }
  }
  ASSERT_TRUE(open) << "the menu did not open";

  program.Signal(row.signal);
  const std::optional<int> status = program.Wait(kPopupMenuEndBound);
  ASSERT_TRUE(status) << "the program did not end in time";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << ReadFile(root_ / "output.txt");
  ExpectSettingsPlacementAndLogSaved();
}

INSTANTIATE_TEST_SUITE_P(ContextAndFormatMenus, SessionEndDuringAPopupMenu,
                         testing::ValuesIn(kPopupMenuRows));

// The session ends in the middle of a rip: in the first track, as the second
// begins, or in the last one.
enum class RipMoment { FirstTrack, BetweenTracks, LastTrack };

struct RipEndRow {
  int outputFormat;  // 1 WAV, 2 MP3
  RipMoment moment;
};
const RipEndRow kRipEndRows[] = {
    {1, RipMoment::FirstTrack}, {1, RipMoment::BetweenTracks}, {1, RipMoment::LastTrack},
    {2, RipMoment::FirstTrack}, {2, RipMoment::BetweenTracks}, {2, RipMoment::LastTrack},
};

// The disc of these rips: long enough that every moment comes well before the end.
const DiscImageSpec kLongDisc{{AudioTrack(40), AudioTrack(40), AudioTrack(150)}};

// The output settings of the rips: to `desDir`, with a log file. WAV is
// resampled to 48000 Hz, which runs the conversion stage between reader and
// writer and keeps the rip of a disc image slow enough to be met midway.
std::string RipSettings(const fs::path& desDir, int outputFormat) {
  return "[OUTPUT]\nWriteLog=1\nDesDir=" + desDir.string() +
         "/\nOutputFormat=" + std::to_string(outputFormat) + "\n[WAV]\nFreq=8\n";
}

// Whether `log` (the log file's text) ends with the five empty lines of the exit.
bool EndsWithExitLines(const std::string& log) {
  return log.size() >= 12 && log.substr(log.size() - 12) == "\r\n\r\n\r\n\r\n\r\n\r\n";
}

// What a session end in the middle of a rip leaves: the rip did not finish,
// the log file ends with the five empty lines, the settings and the main
// window's placement are saved, and every file in `desDir` is whole: a WAV
// whose header counts exactly the data that follows it, an MP3 that mpg123
// decodes, or a playlist.
void ExpectRipEndedAndEverythingSaved(const fs::path& dataFolder, const fs::path& desDir) {
  const std::string log = ReadLog(dataFolder / "Quarno CD Ripper.log");
  EXPECT_EQ(log.find("Finished copying!"), std::string::npos) << "the rip ended before the signal";
  EXPECT_TRUE(EndsWithExitLines(log)) << log.substr(log.size() > 300 ? log.size() - 300 : 0);
  EXPECT_NE(ReadFile(dataFolder / "Quarno CD Ripper.ini").find("DriveCount=1"), std::string::npos);
  std::string profile;  // named after the program: the test program in the window fixture
  for (const auto& entry : fs::directory_iterator(dataFolder))
    if (entry.path().extension() == ".profile") profile = ReadFile(entry.path());
  EXPECT_NE(profile.find("{F2E2C5E4-3803-4791-813A-DED9CD2E2815}="), std::string::npos) << profile;
  int audio = 0;
  for (const auto& entry : fs::recursive_directory_iterator(desDir)) {
    const std::string path = entry.path().string(), extension = entry.path().extension().string();
    if (extension == ".wav") {
      const std::vector<uint8_t> bytes = ReadBytes(path);
      ASSERT_GE(bytes.size(), 44u) << path;
      EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8) << path;
      EXPECT_EQ(Le32(bytes, 40), bytes.size() - 44) << path;
    } else if (extension == ".mp3") {
      DecodeMp3(path);  // fails the test when mpg123 cannot decode it
    } else {
      EXPECT_TRUE(extension == ".m3u" || entry.is_directory()) << path;
      continue;
    }
    ++audio;
  }
  EXPECT_GE(audio, 1);
}

class SessionEndDuringRip : public ProgramGui, public testing::WithParamInterface<RipEndRow> {};

TEST_P(SessionEndDuringRip, CancelsTheRipThenEndsWithEverythingSaved) {
  const RipEndRow row = GetParam();
  ::setenv("QCR_DRIVES", WriteDiscImage(root_.string(), kLongDisc, "long").c_str(), 1);
  std::ofstream(DataFolder() / "Quarno CD Ripper.ini") << "[MISC]\nTip=0\n[FREEDB]\nLoadAlbumInfo=0\n"
                                                       << RipSettings(root_ / "out", row.outputFormat);
  Program program;
  ASSERT_TRUE(StartProgram(program));
  ASSERT_TRUE(WaitForLog("Refreshing track list view...")) << ReadFile(root_ / "output.txt");
  // Rip (Ctrl+F3) in the main window, which is given the focus first; the
  // keys are typed again while the refresh at start-up still refuses it.
  for (int tries = 0; tries < 20 && Count(ReadLog(LogFile()), "Rip track(s) to") == 0; ++tries) {
    int code = -1;
    RunTool({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Quarno CD Ripper", "windowfocus",
             "--sync", "key", "ctrl+F3"},
            &code);
    ASSERT_EQ(code, 0) << "xdotool could not type";
    for (int i = 0; i < 50 && Count(ReadLog(LogFile()), "Rip track(s) to") == 0; ++i)
      std::this_thread::sleep_for(20ms);
  }
  // The signal follows the first, second or third track's first log line;
  // the program takes it at its next look, a moment into that track.
  ASSERT_TRUE(WaitForLog("Rip track(s) to", static_cast<size_t>(row.moment) + 1)) << ReadLog(LogFile());
  program.Signal(SIGTERM);
  const std::optional<int> status = program.Wait(3s);
  ASSERT_TRUE(status) << "the program did not end within 3 s";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << ReadFile(root_ / "output.txt");
  ExpectRipEndedAndEverythingSaved(DataFolder(), root_ / "out");
}

INSTANTIATE_TEST_SUITE_P(WavAndMp3, SessionEndDuringRip, testing::ValuesIn(kRipEndRows));

// The session ends while a lookup asks which of several matches to take, at
// the box that says so or in the chooser: no log line may follow the five
// empty lines of the exit, and the refresh takes no album.
TEST_F(MainWindowTest, SessionEndDuringAMatchChoiceLogsNothingAfterTheExitLines) {
  InstallExitSignalHandlers();
  for (const bool atTheBox : {true, false}) {
    SCOPED_TRACE(atTheBox ? "at the box" : "in the chooser");
    if (dialog_ != nullptr) TearDown(), SetUp();
    DemoServer demo(root_, 1);
    ASSERT_FALSE(demo.cue.empty());
    if (atTheBox) {
      boxes_.during = [this] {
        boxes_.during = nullptr;
        dialog_->OnSessionEnd();
      };
    } else {
      gui_test::WhenModalShown([](wxDialog&) { ::raise(SIGTERM); },
                               [](wxDialog& d) { return dynamic_cast<CFreeDBChoice*>(&d) != nullptr; });
    }
    WriteSettings("[MISC]\nTip=0\n[FREEDB]\nLoadAlbumInfo=1\n[OUTPUT]\nWriteLog=1\n");
    CQuarnoCDRipperDlg& dlg = Start(demo.cue);
    ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.ProcessExitCode() == 0; }));
    const std::string log = ReadLog(DataFolder() / "Quarno CD Ripper.log");
    // The chooser has returned before the exit; the box's answer comes after it.
    if (!atTheBox) {
      EXPECT_NE(log.find("FreeDB server returned multiple results."), std::string::npos) << log;
    }
    EXPECT_TRUE(EndsWithExitLines(log)) << log;
    EXPECT_EQ(NoDisc.load(), 1);
  }
}

// The same ends through the window fixture: the signal arrives while the
// ripping window runs its loop inside the main window's Rip command.
TEST_F(MainWindowTest, SessionEndDuringARipCancelsItThenRunsTheExitSequence) {
  InstallExitSignalHandlers();
  for (const RipEndRow& row : kRipEndRows) {
    SCOPED_TRACE(testing::Message() << "format " << row.outputFormat << ", moment "
                                    << static_cast<int>(row.moment));
    if (dialog_ != nullptr) TearDown(), SetUp();
    const fs::path desDir = root_ / "out";
    CQuarnoCDRipperDlg& dlg = StartOnDisc(kLongDisc, RipSettings(desDir, row.outputFormat));
    bool ended = false;
    gui_test::WhenModalShown(
        [&](wxDialog& d) {
          auto& progress = dynamic_cast<CRippingProgressDlg&>(d);
          CRippingProgress& job = progress.Job();
          // A moment into the first or last track; the second just begun.
          ASSERT_TRUE(gui_test::PumpUntil([&] {
            return job.CurrentTrack.load() == static_cast<int>(row.moment) &&
                   (row.moment == RipMoment::BetweenTracks || job.TrackDone.load() > 64 * 1024);
          }));
          ::raise(SIGTERM);
          ASSERT_TRUE(gui_test::PumpUntil([&] { return job.Cancelled.load() != 0 && !progress.IsModal(); }));
          ended = true;
        },
        [](wxDialog& d) { return dynamic_cast<CRippingProgressDlg*>(&d) != nullptr; });
    Command(res::ID_OPERATION_RIP);
    ASSERT_TRUE(ended);
    ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.ProcessExitCode() == 0; }));
    ExpectRipEndedAndEverythingSaved(DataFolder(), desDir);
  }
}

// Without a sound device the start-up stops at a warning box; a session that
// ends there must still end the program, with its settings saved, and not run
// the rest of the start-up after the exit.
TEST_F(ProgramGui, SessionEndWhileAStartUpWarningIsOpenEndsTheProgram) {
  fs::remove(Home() / ".asoundrc");  // this machine has no sound card
  Program program;
  ASSERT_TRUE(StartProgram(program));
  // The box comes right after the drive lines; the signal is taken in its loop.
  ASSERT_TRUE(WaitForLog("Initializing CD-drives...")) << ReadFile(root_ / "output.txt");

  program.Signal(SIGTERM);
  EXPECT_TRUE(EndsWithCodeZero(program));

  const std::string log = ReadLog(LogFile());
  EXPECT_EQ(log.find("Initialization finished."), std::string::npos) << log;
  EXPECT_NE(ReadFile(DataFolder() / "Quarno CD Ripper.ini").find("Volume=55"), std::string::npos);
}

TEST_F(ProgramGui, SecondCopyHandsOverToTheFirstAndEndsSilently) {
  Program first;
  ASSERT_TRUE(StartProgram(first));
  ASSERT_TRUE(WaitForLog("Initialization finished.")) << ReadFile(root_ / "output.txt");

  Program second;
  ASSERT_TRUE(StartProgram(second));
  EXPECT_TRUE(EndsWithCodeZero(second));
  EXPECT_TRUE(first.Running());
  // The second copy never started a window of its own.
  EXPECT_EQ(Count(ReadLog(LogFile()), "Initializing main dialog..."), 1u);

  first.Signal(SIGTERM);
  EXPECT_TRUE(EndsWithCodeZero(first));
}

// Counts what is logged through wx: a message there would reach the user as a box.
class LogCounter : public wxLog {
 public:
  LogCounter() : previous_(wxLog::SetActiveTarget(this)) {}
  ~LogCounter() override { wxLog::SetActiveTarget(previous_); }
  int Count() const { return count_; }

 protected:
  void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override { ++count_; }

 private:
  wxLog* previous_;
  int count_ = 0;
};

// Where the lock goes when the data folder cannot hold it. In every case one
// copy holds it and the next finds it taken, and nothing is said about it.
TEST_F(ProgramGui, LockHoldsWhereverTheDataFolderLetsIt) {
  struct Row {
    std::vector<std::string> files;  // folders of the case made regular files instead
    bool runtimeSet;
    std::string expected;
  };
  const Row rows[] = {
      {{}, true, "config/data"},
      {{"config/data"}, true, "run"},
      {{"config"}, false, "tmp"},  // the data folder cannot be made
      {{"config/data", "run"}, true, "tmp"},
  };
  for (const Row& row : rows) {
    const fs::path base = root_ / "lock" / std::to_string(&row - rows);
    SCOPED_TRACE(base);
    const fs::path data = base / "config" / "data";
    for (const char* folder : {"config/data", "run", "tmp"}) fs::create_directories(base / folder);
    for (const std::string& file : row.files) {
      fs::remove_all(base / file);
      std::ofstream(base / file) << "not a folder\n";
    }
    ::setenv("XDG_RUNTIME_DIR", (base / "run").c_str(), 1);
    if (!row.runtimeSet) ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", (base / "tmp").c_str(), 1);

    LogCounter log;
    {
      CSingleInstance first("quarno-cd-ripper", data.string());
      EXPECT_FALSE(first.IsAnotherRunning());
      EXPECT_EQ(fs::path(first.LockFile()).parent_path(), base / row.expected);
      CSingleInstance second("quarno-cd-ripper", data.string());
      EXPECT_TRUE(second.IsAnotherRunning());
    }
    // Released with its holder, though the file stays.
    EXPECT_FALSE(CSingleInstance("quarno-cd-ripper", data.string()).IsAnotherRunning());
    wxLog::FlushActive();
    EXPECT_EQ(log.Count(), 0);
  }
  ::unsetenv("XDG_RUNTIME_DIR");
  ::unsetenv("TMPDIR");
}

// The data folder is a file: the program cannot keep its settings, says so
// in its own box, and still lets no second copy start; one signal ends it.
TEST_F(ProgramGui, WithAnUnusableDataFolderOneCopyRunsAndOneSignalEndsIt) {
  fs::remove_all(DataFolder());
  std::ofstream(DataFolder()) << "not a folder\n";
  fs::create_directories(root_ / "run");
  ::setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
  const std::string channel = InstanceChannelName("quarno-cd-ripper", GetDataFolder());

  Program first;
  ASSERT_TRUE(StartProgram(first));
  const auto deadline = std::chrono::steady_clock::now() + kBound;
  while (AskRunningCopyToRaise(channel, 500) != RaiseAnswer::kRaised) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << ReadFile(root_ / "output.txt");
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(fs::exists(root_ / "run" / (channel + ".lock")));

  Program second;
  ASSERT_TRUE(StartProgram(second));
  EXPECT_TRUE(EndsWithCodeZero(second));
  EXPECT_TRUE(first.Running());

  first.Signal(SIGTERM);
  EXPECT_TRUE(EndsWithCodeZero(first));
  ::unsetenv("XDG_RUNTIME_DIR");
}

// The test plays the first copy: it holds the lock and listens, and sees the
// program, started as a second copy, ask for the raise.
class FirstCopyInTest : public ProgramGui {
 protected:
  void SetUp() override {
    ProgramGui::SetUp();
    dataFolder_ = GetDataFolder();
    ASSERT_EQ(fs::path(dataFolder_), DataFolder());
  }
  std::string dataFolder_;
};

TEST_F(FirstCopyInTest, SecondCopyAsksTheFirstToRaiseItsWindowAndGarbageIsIgnored) {
  CSingleInstance lock("quarno-cd-ripper", dataFolder_);
  ASSERT_FALSE(lock.IsAnotherRunning());
  std::atomic<int> raises{0};
  CInstanceListener listener;
  ASSERT_TRUE(listener.Start(lock.Channel(), [&] {
    ++raises;
    return true;
  }));
  // Clients that send something else, or hang up at once, get no raise.
  for (const std::string& request : {std::string("hello\n"), std::string("rai"), std::string()}) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string channel = lock.Channel();
    std::memcpy(address.sun_path + 1, channel.data(), std::min(channel.size(), sizeof address.sun_path - 2));
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + channel.size());
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), length), 0);
    if (!request.empty()) {
      ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL),
                static_cast<ssize_t>(request.size()));
    }
    ::shutdown(fd, SHUT_WR);
    char reply[16];
    EXPECT_EQ(::recv(fd, reply, sizeof reply, 0), 0) << "an answer to " << request;
    ::close(fd);
  }
  // Another data folder is another channel.
  EXPECT_EQ(AskRunningCopyToRaise(InstanceChannelName("quarno-cd-ripper", dataFolder_ + "x"), 200),
            RaiseAnswer::kNoAnswer);
  EXPECT_EQ(raises.load(), 0);

  const auto served = listener.RequestsServed();
  Program second;
  ASSERT_TRUE(StartProgram(second));
  EXPECT_TRUE(EndsWithCodeZero(second));
  EXPECT_EQ(raises.load(), 1);
  EXPECT_EQ(listener.RequestsServed(), served + 1);
  EXPECT_FALSE(fs::exists(LogFile())) << "the second copy started a window";
}

TEST_F(FirstCopyInTest, SecondCopyEndsSilentlyWhenNobodyAnswersOrTheFirstHasNoWindowYet) {
  CSingleInstance lock("quarno-cd-ripper", dataFolder_);
  CInstanceListener listener;
  for (const bool listening : {false, true}) {
    // Without a listener the lock is held but no channel is offered (a first copy still starting).
    if (listening) {
      ASSERT_TRUE(listener.Start(lock.Channel(), [] { return false; }));
      EXPECT_EQ(AskRunningCopyToRaise(lock.Channel()), RaiseAnswer::kNoWindow);
    } else {
      EXPECT_EQ(AskRunningCopyToRaise(lock.Channel(), 200), RaiseAnswer::kNoAnswer);
    }
    Program second;
    ASSERT_TRUE(StartProgram(second));
    EXPECT_TRUE(EndsWithCodeZero(second));
    EXPECT_FALSE(fs::exists(LogFile()));
  }
  EXPECT_EQ(listener.RequestsServed(), 2);
}

}  // namespace

// The log window under a window manager (openbox, started on this program's
// display for the test): moved and resized through the window manager, and
// closed by OK, Escape or the title bar's close button (which only hide it)
// or left open before the exit, it opens at the same place and size on the
// next start, over and over, and a start that leaves it alone saves the
// bytes it restored. Closed by OK and shown again by the Log button of three
// rips' windows, it keeps the size the user gave it.
TEST_F(ProgramGui, LogWindowOpensWhereTheUserLeftItAndTheMainWindowAsItWas) {
  const gui_test::RunningWindowManager openbox;  // ended with the test
  ASSERT_TRUE(openbox.Running()) << "openbox did not start";
  std::ofstream(DataFolder() / "Quarno CD Ripper.ini")  // WAV: MP3 needs the encoder library
      << "[MISC]\nTip=0\n[OUTPUT]\nWriteLog=1\nVolume=55\nOutputFormat=1\n";
  // Gives the main window the focus and types `keys` there.
  const auto typeInMainWindow = [](const std::vector<std::string>& keys) {
    const std::string main = RunTool({"xdotool", "search", "--onlyvisible", "--name", "^Quarno CD Ripper"});
    std::vector<std::string> command = {"xdotool", "windowfocus", "--sync", main, "key", "--delay", "100"};
    command.insert(command.end(), keys.begin(), keys.end());
    if (!main.empty()) RunTool(command);
    std::this_thread::sleep_for(300ms);
  };
  // A window's client rectangle on the screen, as the X server has it.
  const auto geometry = [](const std::string& window) {
    std::istringstream info(RunTool({"xwininfo", "-id", window}));
    std::string rect;
    for (std::string line; std::getline(info, line);) {
      for (const char* field : {"Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:"})
        if (line.find(field) != std::string::npos) rect += line.substr(line.find(':') + 1);
    }
    return rect;
  };
  const auto savedLog = [this] {
    const std::string profile = ReadFile(DataFolder() / "quarno-cd-ripper.profile");
    const size_t at = profile.find("{DC005E05-56BF-4ED7-BFED-F658CE8B1B16}=");
    return at == std::string::npos ? std::string() : profile.substr(at, profile.find('\n', at) - at);
  };
  // One row a start: where the user leaves it (client position and size),
  // how it is closed before the exit, whether the session ends it (SIGTERM)
  // or File, Exit, and whether three rips come first, each pressing Log
  // after the log window was closed by OK; the last start leaves it alone.
  enum Close { kOpen, kOk, kEscape, kTitleBar };
  struct Start {
    std::vector<std::string> move;
    Close close;
    bool term;
    bool rips = false;
  };
  const std::vector<Start> starts = {
      {{"120", "90", "700", "300"}, kOk, true, true}, {{}, kEscape, false}, {{}, kTitleBar, true},
      {{"400", "330", "680", "360"}, kOpen, false}, {{}, kOk, false}, {{}, kEscape, true},
      {{}, kTitleBar, false}, {{"60", "500", "820", "280"}, kOk, true}, {{}, kEscape, false},
      {{}, kTitleBar, true}, {{}, kOpen, false}};
  std::string left, saved, mainWindow;
  for (size_t start = 0; start < starts.size(); ++start) {
    const std::vector<std::string>& move = starts[start].move;
    SCOPED_TRACE("start " + std::to_string(start));
    Program program;
    ASSERT_TRUE(StartProgram(program));
    ASSERT_TRUE(WaitForLog("Initialization finished.", start + 1)) << ReadFile(root_ / "output.txt");
    std::string window;
    for (int tries = 0; tries < 20 && window.empty() && program.Running(); ++tries) {
      typeInMainWindow({"alt+f", "Down", "Return"});
      window = RunTool({"xdotool", "search", "--onlyvisible", "--name", "^Log$"});
    }
    ASSERT_FALSE(window.empty()) << "the log window did not open" << ReadFile(root_ / "output.txt");
    std::this_thread::sleep_for(500ms);
    // The main window, left alone, opens as it was.
    const std::string main =
        geometry(RunTool({"xdotool", "search", "--onlyvisible", "--name", "^Quarno CD Ripper"}));
    if (start > 0) {
      EXPECT_EQ(geometry(window), left);
      EXPECT_EQ(main, mainWindow);
    }
    mainWindow = main;
    if (!move.empty()) {
      RunTool({"xdotool", "windowsize", "--sync", window, move[2], move[3]});
      RunTool({"xdotool", "windowmove", "--sync", window, move[0], move[1]});
      std::this_thread::sleep_for(500ms);
      left = geometry(window);
      EXPECT_NE(left.find(" " + move[2] + " " + move[3]), std::string::npos) << left;
    }
    // Closed with real clicks and keys: OK, left of the middle a little
    // above the lower edge; the close button at the title bar's right end.
    int x = 0, y = 0, w = 0, h = 0;
    const auto measure = [&](const std::string& id) { std::istringstream(geometry(id)) >> x >> y >> w >> h; };
    const auto click = [](int atX, int atY) {
      RunTool({"xdotool", "mousemove", "--sync", std::to_string(atX), std::to_string(atY), "click", "1"});
    };
    // The rip's window (the disc rips in well under a second) has Log and
    // Finish in its bottom row, at their share of its width.
    for (int rip = 0; rip < (starts[start].rips ? 3 : 0); ++rip) {
      SCOPED_TRACE("rip " + std::to_string(rip));
      measure(window);
      click(x + w * 5 / 12, y + h - 32);
      typeInMainWindow({"ctrl+F3"});
      std::string ripWindow;
      for (int tries = 0; tries < 100 && ripWindow.empty(); ++tries) {
        std::this_thread::sleep_for(100ms);
        ripWindow = RunTool({"xdotool", "search", "--onlyvisible", "--name", "^Finished Copying$"});
      }
      ASSERT_FALSE(ripWindow.empty()) << "the rip did not finish";
      std::this_thread::sleep_for(500ms);
      measure(ripWindow);
      click(x + w * 129 / 368, y + h * 133 / 146);
      std::this_thread::sleep_for(500ms);
      left = geometry(window);
      EXPECT_TRUE(left.ends_with(" " + move[2] + " " + move[3])) << left;
      click(x + w * 239 / 368, y + h * 133 / 146);
      std::this_thread::sleep_for(300ms);
    }
    measure(window);
    if (starts[start].close == kOk) click(x + w * 5 / 12, y + h - 32);
    if (starts[start].close == kEscape) RunTool({"xdotool", "windowfocus", "--sync", window, "key", "Escape"});
    if (starts[start].close == kTitleBar) click(x + w - 11, y - 11);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(RunTool({"xdotool", "search", "--onlyvisible", "--name", "^Log$"}).empty(),
              starts[start].close != kOpen);
    if (starts[start].term) {
      program.Signal(SIGTERM);
    } else {
      typeInMainWindow({"alt+f", "Down", "Down", "Return"});
    }
    EXPECT_TRUE(EndsWithCodeZero(program));
    if (move.empty()) {
      EXPECT_EQ(savedLog(), saved);
    }
    saved = savedLog();
    EXPECT_FALSE(saved.empty());
  }
}

// Folders given to the Options pages of the running program under openbox,
// the way a user gives them: a line break pasted through the clipboard into
// Local FreeDB Path is refused at OK with the field keeping the focus, where
// "~/cache" is typed next; "~/x" typed into Destination Directory. After the
// exit the settings file holds every key and the folders as full paths.
TEST_F(ProgramGui, FoldersPastedAndTypedIntoOptionsReachTheSettingsFileAsFullPaths) {
  const gui_test::RunningWindowManager openbox;  // ended with the test
  ASSERT_TRUE(openbox.Running()) << "openbox did not start";
  const auto find = [](const std::string& name) {
    return RunTool({"xdotool", "search", "--onlyvisible", "--name", name});
  };
  // Waits, answering clipboard requests meanwhile, until `done` holds or `bound` passes.
  const auto waitFor = [](const std::function<bool()>& done, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    return gui_test::PumpUntil([&] { return done() || std::chrono::steady_clock::now() > deadline; }) &&
           done();
  };
  struct Row {
    int lastPage;   // the page the sheet opens on
    const char* x;  // the field, from the sheet's top-left corner
    const char* y;
    std::string pasted;  // through the clipboard, then refused; empty: nothing pasted
    const char* typed;   // into the field with the focus
    std::string kept;    // the line the settings file must hold
    bool exitBySignal;   // else File, Exit
  };
  const Row rows[] = {
      {0, "392", "313", (Home() / "Loc\nal").string(), "~/cache",
       "LocalCDDBDir=" + (Home() / "cache").string(), false},
      {1, "392", "94", "", "~/x", "DesDir=" + (Home() / "x").string() + "/", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.kept);
    std::ofstream(DataFolder() / "Quarno CD Ripper.ini")
        << "[MISC]\nTip=0\nLastPage=" << row.lastPage << "\n[OUTPUT]\nWriteLog=1\nVolume=55\n";
    fs::remove(LogFile());
    Program program;
    ASSERT_TRUE(StartProgram(program));
    ASSERT_TRUE(WaitForLog("Initialization finished.")) << ReadFile(root_ / "output.txt");
    std::string sheet;
    for (int tries = 0; tries < 20 && sheet.empty() && program.Running(); ++tries) {
      RunTool({"xdotool", "search", "--onlyvisible", "--name", "^Quarno CD Ripper", "windowfocus", "--sync",
               "key", "ctrl+o"});
      waitFor([&] { return !(sheet = find("^Options$")).empty(); }, 1s);
    }
    ASSERT_FALSE(sheet.empty()) << "the options did not open";
    sheet = sheet.substr(0, sheet.find('\n'));
    RunTool({"xdotool", "mousemove", "--window", sheet, row.x, row.y, "click", "1", "key", "ctrl+a"});
    const auto pressOk = [&] {
      RunTool({"xdotool", "mousemove", "--window", sheet, "441", "589", "click", "1"});
    };
    if (!row.pasted.empty()) {
      ASSERT_TRUE(wxTheClipboard->Open());
      wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(row.pasted)));
      wxTheClipboard->Close();
      RunTool({"xdotool", "key", "ctrl+v"});
      waitFor([] { return false; }, 1s);  // the program fetches the text
      pressOk();
      // The refusal, titled with the program's name; Enter closes it.
      EXPECT_TRUE(waitFor([&] { return !find("^Quarno CD Ripper$").empty(); }, 5s)) << "no refusal";
      RunTool({"xdotool", "key", "Return"});
      waitFor([&] { return find("^Quarno CD Ripper$").empty(); }, 5s);
      RunTool({"xdotool", "key", "ctrl+a"});
    }
    RunTool({"xdotool", "type", "--delay", "50", row.typed});
    pressOk();
    EXPECT_TRUE(waitFor([&] { return find("^Options$").empty(); }, 5s)) << "the options stayed open";
    if (row.exitBySignal) {
      program.Signal(SIGTERM);
    } else {
      RunTool({"xdotool", "search", "--onlyvisible", "--name", "^Quarno CD Ripper", "windowfocus", "--sync",
               "key", "--delay", "100", "alt+f", "Down", "Down", "Return"});
    }
    EXPECT_TRUE(EndsWithCodeZero(program));
    const std::string ini = ReadFile(DataFolder() / "Quarno CD Ripper.ini");
    for (const char* key :
         {"DbClk",         "DriveCount",   "DriveNum",     "LastPage",   "AlbumInfoSource", "SaveAlbumInfo",
          "LoadAlbumInfo", "LocalCDDBDir", "OutputFormat", "FileStyle",  "Volume",          "M3U",
          "WriteLog",      "FillTag",      "DesDir",       "Separator",  "SubFormat",       "Freq",
          "Channel",       "LameFreq",     "LameBits",     "LameChannel"})
      EXPECT_NE(ini.find(std::string("\n") + key + "="), std::string::npos) << key << " missing from\n"
                                                                            << ini;
    EXPECT_NE(ini.find("\n" + row.kept + "\n"), std::string::npos) << ini;
  }
}

// The main function of every window test program: starts wx (under
// `xvfb-run -a` in CI), turns every wx assert, every GTK/GLib critical
// message and every GTK, GDK and GObject warning into a failure of the
// running test, keeps wx's log off the screen,
// then runs the tests.
//
// Listing the tests (--gtest_list_tests, used by ctest's discovery) needs no
// display, so wx is not started for it. A program that asks for a display of
// its own (gui_test::OwnDisplay) gets it before wx starts.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/gui/gui_test_support.h"

namespace {

std::mutex g_warningsMutex;
std::string g_warnings;
bool g_failedOutsideTests = false;

class GuiTestApp : public wxApp {
 public:
  bool OnInit() override { return true; }  // no command-line parsing: gtest owns argv
};

void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  if (testing::UnitTest::GetInstance()->current_test_info() != nullptr) {
    ADD_FAILURE() << what;
  } else {
    g_failedOutsideTests = true;
  }
}

void OnWxAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                const wxString& msg) {
  Fail("wx assert at " + file.utf8_string() + ":" + std::to_string(line) + " in " + func.utf8_string() +
       ": " + cond.utf8_string() + " " + msg.utf8_string());
}

// GLib's log levels and the shape of its structured log fields, as its
// logging functions define them.
constexpr int kGLogLevelError = 1 << 2;
constexpr int kGLogLevelCritical = 1 << 3;
constexpr int kGLogLevelWarning = 1 << 4;
constexpr int kGLogWriterHandled = 1;
struct GLogFieldView {
  const char* key;
  const void* value;
  long length;  // -1: a NUL-terminated string
};
using GLogWriter = int (*)(int level, const GLogFieldView* fields, size_t count, void* data);
GLogWriter g_defaultWriter = nullptr;

std::string FieldText(const GLogFieldView* fields, size_t count, const char* key) {
  for (size_t i = 0; i < count; ++i) {
    if (std::strcmp(fields[i].key, key) != 0 || fields[i].value == nullptr) continue;
    const char* text = static_cast<const char*>(fields[i].value);
    return fields[i].length < 0 ? std::string(text)
                                : std::string(text, static_cast<size_t>(fields[i].length));
  }
  return {};
}

// Every GLib, GDK and GTK message passes here, whether logged the old way or
// the structured way.
int OnGLog(int level, const GLogFieldView* fields, size_t count, void* data) {
  const std::string domain = FieldText(fields, count, "GLIB_DOMAIN");
  const std::string text = (domain.empty() ? "GLib" : domain) + ": " + FieldText(fields, count, "MESSAGE");
  if (level & (kGLogLevelCritical | kGLogLevelError)) {
    Fail("critical message: " + text);
    return kGLogWriterHandled;
  }
  if (level & kGLogLevelWarning) {
    {
      std::lock_guard lock(g_warningsMutex);
      g_warnings += text + "\n";
    }
    // A toolkit warning is a window laid out or used wrongly. (Menus the
    // tests open themselves have no click or key behind them, which GTK
    // notes; that one says nothing about the program.)
    const bool toolkit = domain == "Gtk" || domain == "Gdk" || domain == "GLib-GObject";
    if (toolkit && text.find("no trigger event for menu popup") == std::string::npos)
      Fail("warning: " + text);
  }
  return g_defaultWriter != nullptr ? g_defaultWriter(level, fields, count, data) : kGLogWriterHandled;
}

// GLib is loaded with GTK by wx; its functions are looked up at run time so
// the tests need no GLib development headers.
void InstallGLogWriter() {
  using SetWriter = void (*)(GLogWriter, void*, void (*)(void*));
  auto set = reinterpret_cast<SetWriter>(dlsym(RTLD_DEFAULT, "g_log_set_writer_func"));
  g_defaultWriter = reinterpret_cast<GLogWriter>(dlsym(RTLD_DEFAULT, "g_log_writer_default"));
  if (set != nullptr) set(&OnGLog, nullptr, nullptr);
}

class WarningReset : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    std::lock_guard lock(g_warningsMutex);
    g_warnings.clear();
  }
};

// ---- a display of the program's own

struct DisplayRequest {
  std::string screen;  // none: the display the program was started on
  bool windowManager = false;
};

DisplayRequest& Request() {  // a function's static: set while other files' statics start
  static DisplayRequest request;
  return request;
}

// Starts `args` with its output discarded; it ends with this process.
// `keepFd` stays open in it. Returns its process id, or -1.
pid_t Spawn(std::vector<std::string> args, int keepFd = -1) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  const int null = open("/dev/null", O_RDWR);
  dup2(null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  if (null != keepFd) close(null);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

// The X server and window manager started for this program.
struct OwnDisplayProcesses {
  pid_t server = -1;
  std::unique_ptr<gui_test::RunningWindowManager> windowManager;

  ~OwnDisplayProcesses() {
    windowManager.reset();  // before its display goes
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
    }
  }

  bool Start(const DisplayRequest& request) {
    const char* env = getenv("QCR_TEST_SCREEN");
    const std::string screen = env != nullptr && *env != '\0' ? env : request.screen;
    int fds[2];
    if (pipe(fds) != 0) return false;
    // Xvfb picks a free display number and writes it to the pipe once it
    // takes connections.
    server = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                    "-noreset"},
                   fds[1]);
    close(fds[1]);
    std::string number;
    for (char c = 0; read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
    close(fds[0]);
    if (server < 0 || number.empty()) {
      std::fprintf(stderr, "cannot start Xvfb with screen %s\n", screen.c_str());
      return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    if (request.windowManager &&
        !(windowManager = std::make_unique<gui_test::RunningWindowManager>())->Running()) {
      std::fprintf(stderr, "cannot start openbox on display :%s\n", number.c_str());
      return false;
    }
    return true;
  }
};

}  // namespace

namespace gui_test {
const std::string& GtkWarnings() { return g_warnings; }

RunningWindowManager::RunningWindowManager() {
  // Openbox runs its start-up command once it has taken the screen.
  namespace fs = std::filesystem;
  std::string dir = (fs::temp_directory_path() / "qcr-wm-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return;
  const std::string marker = dir + "/running";
  pid_ = Spawn({"openbox", "--sm-disable", "--startup", "touch " + marker});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (pid_ > 0 && !(running_ = fs::exists(marker)) && std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

RunningWindowManager::~RunningWindowManager() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

OwnDisplay::OwnDisplay(const char* screen, WindowManager windowManager) {
  Request() = {screen, windowManager == kWindowManager};
}
}  // namespace gui_test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  OwnDisplayProcesses ownDisplay;
  if (!Request().screen.empty() && !ownDisplay.Start(Request())) return 1;
  InstallGLogWriter();
  wxApp::SetInstance(new GuiTestApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "cannot start the window system (no display?)\n");
    return 1;
  }
  wxSetAssertHandler(&OnWxAssert);
  delete wxLog::SetActiveTarget(new wxLogStderr);
  testing::UnitTest::GetInstance()->listeners().Append(new WarningReset);

  int result = RUN_ALL_TESTS();
  gui_test::PumpEvents();
  wxTheApp->OnExit();
  wxEntryCleanup();
  if (g_failedOutsideTests && result == 0) result = 1;
  return result;
}

// The chooser is GTK's own folder chooser; the tests answer it the way its
// buttons do (its response signal) from inside its modal loop.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/dirdlg.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <filesystem>
#include <memory>

#include "tests/support/gui/gui_test_support.h"
#include "ui/core/win_types.h"
#include "ui/folder_dialog.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGtkResponseAccept = -3;
constexpr int kGtkResponseCancel = -6;
constexpr uint32_t kCallersFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

// Presses the chooser's Select (accept) or Cancel button.
void Respond(wxDialog& chooser, int response) {
  using DialogResponse = void (*)(void* dialog, int response);
  auto respond = reinterpret_cast<DialogResponse>(dlsym(RTLD_DEFAULT, "gtk_dialog_response"));
  ASSERT_NE(respond, nullptr);
  respond(chooser.GetHandle(), response);
}

// The folder the chooser shows.
std::string ShownFolder(wxDialog& chooser) {
  using CurrentFolder = char* (*)(void* chooser);
  using Free = void (*)(void*);
  auto current = reinterpret_cast<CurrentFolder>(dlsym(RTLD_DEFAULT, "gtk_file_chooser_get_current_folder"));
  auto release = reinterpret_cast<Free>(dlsym(RTLD_DEFAULT, "g_free"));
  if (current == nullptr || release == nullptr) return "<no GTK>";
  char* folder = current(chooser.GetHandle());
  std::string shown = folder != nullptr ? folder : "";
  release(folder);
  return shown;
}

// Ends a chooser that the test's action left open, failing the test.
class Watchdog : public wxTimer {
 public:
  explicit Watchdog(wxDialog& chooser) : chooser_(chooser) { StartOnce(kWatchdogMs); }
  void Notify() override {
    ADD_FAILURE() << "the chooser stayed open";
    if (chooser_.IsModal()) chooser_.EndModal(wxID_CANCEL);
  }

 private:
  static constexpr int kWatchdogMs = 20000;
  wxDialog& chooser_;
};

// Notes what the chooser asked, answers as told (or as the base does), and
// runs the test's action on the chooser once it is on screen. (The toolkit
// keeps its native chooser out of its list of top-level windows, so the
// runner's modal driver cannot find it.)
class NotingFolderDialog : public CFolderDialog {
 public:
  using CFolderDialog::CFolderDialog;
  std::vector<std::string> refused;
  int answer = -1;  // -1: the base's answer
  int initialized = 0;
  std::function<void(wxDialog&)> action;

 protected:
  void OnInitialized() override {
    ++initialized;
    CFolderDialog::OnInitialized();
    wxDialog* chooser = Chooser();
    ASSERT_NE(chooser, nullptr);
    auto watchdog = std::make_shared<Watchdog>(*chooser);
    chooser->CallAfter([this, chooser, watchdog] {
      if (action) action(*chooser);
    });
    chooser->Bind(wxEVT_SHOW, [watchdog](wxShowEvent& e) {
      if (!e.IsShown()) watchdog->Stop();
      e.Skip();
    });
  }
  int OnValidateFailed(const std::string& name) override {
    refused.push_back(name);
    return answer < 0 ? CFolderDialog::OnValidateFailed(name) : answer;
  }
};

class FolderDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qcr-folder-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("GSETTINGS_BACKEND", "memory", 1);  // the chooser keeps its settings; no desktop here to keep them
    frame_ = new wxFrame(nullptr, wxID_ANY, "owner");
    frame_->Show();
  }
  void TearDown() override {
    frame_->Destroy();
    gui_test::PumpEvents();
    fs::remove_all(dir_);
  }
  std::string dir_;
  wxFrame* frame_ = nullptr;
};

TEST_F(FolderDialogTest, OpensAtThePreselectedFolderAndCancelLeavesTheChoiceEmpty) {
  fs::create_directory(dir_ + "/Music");
  NotingFolderDialog dlg("Please select the destination directory", "", frame_, kCallersFlags);
  EXPECT_TRUE(dlg.SetRootFolder(""));
  dlg.SetSelectedFolder(dir_ + "/Music");
  std::string shown;
  std::string title;
  dlg.action = ([&](wxDialog& chooser) {
    shown = ShownFolder(chooser);
    using WindowTitle = const char* (*)(void* window);
    auto windowTitle = reinterpret_cast<WindowTitle>(dlsym(RTLD_DEFAULT, "gtk_window_get_title"));
    const char* text = windowTitle != nullptr ? windowTitle(chooser.GetHandle()) : nullptr;
    title = text != nullptr ? text : "";
    Respond(chooser, kGtkResponseCancel);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(shown, dir_ + "/Music");
  EXPECT_EQ(title, "Please select the destination directory");
  EXPECT_EQ(dlg.initialized, 1);
  EXPECT_EQ(dlg.GetFolderPath(), "");
  EXPECT_TRUE(dlg.refused.empty());
}

TEST_F(FolderDialogTest, AFolderWithALongPathIsReturnedWhole) {
  std::string deep = dir_;
  while (deep.size() < 600) deep += "/a folder name of some length, with ünïcödé";
  fs::create_directories(deep);
  NotingFolderDialog dlg("Please select the local FreeDB folder", "", frame_, kCallersFlags);
  dlg.SetSelectedFolder(deep);
  dlg.action = ([](wxDialog& chooser) { Respond(chooser, kGtkResponseAccept); });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.GetFolderPath(), deep);
}

// A folder that is gone by the time the user confirms it is refused: the
// chooser beeps and stays open (the base's answer), or ends as cancelled
// when the dialog says so.
TEST_F(FolderDialogTest, AFolderThatNoLongerExistsIsRefused) {
  for (int answer : {-1, 0}) {
    const std::string gone = dir_ + "/gone";
    fs::create_directory(gone);
    NotingFolderDialog dlg("Please select the destination directory", "", frame_, kCallersFlags);
    dlg.answer = answer;
    dlg.SetSelectedFolder(gone);
    dlg.SetRootFolder(dir_);
    bool stayedOpen = false;
    dlg.action = ([&](wxDialog& chooser) {
      fs::remove(gone);
      Respond(chooser, kGtkResponseAccept);
      stayedOpen = chooser.IsModal();
      if (stayedOpen) Respond(chooser, kGtkResponseCancel);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL) << answer;
    EXPECT_EQ(stayedOpen, answer != 0) << answer;
    EXPECT_EQ(dlg.refused, std::vector<std::string>{gone}) << answer;
    EXPECT_EQ(dlg.GetFolderPath(), "") << answer;
  }
}

TEST_F(FolderDialogTest, ARootMustBeAnExistingFolder) {
  CFolderDialog dlg("t", "", frame_, kCallersFlags);
  EXPECT_TRUE(dlg.SetRootFolder(dir_));
  EXPECT_FALSE(dlg.SetRootFolder(dir_ + "/missing"));
  EXPECT_EQ(dlg.GetRootFolder(), dir_);
  EXPECT_TRUE(dlg.SetRootFolder(""));
  EXPECT_EQ(dlg.GetRootFolder(), "");
}

}  // namespace

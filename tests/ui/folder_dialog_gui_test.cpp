// The chooser is GTK's own folder chooser, answered the way its buttons do
// (its response signal) from inside its modal loop. The toolkit keeps its
// native chooser out of its list of top-level windows, where the runner's
// modal driver looks, so the dialog under test starts the action itself once
// the chooser is on screen.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/dirdlg.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <filesystem>

#include "tests/support/gui/gui_test_support.h"
#include "ui/core/win_types.h"
#include "ui/folder_dialog.h"

namespace {

namespace fs = std::filesystem;

constexpr int kAccept = -3;  // GTK's response numbers
constexpr int kCancel = -6;
constexpr uint32_t kCallersFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

template <class F>
F Gtk(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

void Respond(wxDialog& chooser, int response) {
  Gtk<void (*)(void*, int)>("gtk_dialog_response")(chooser.GetHandle(), response);
}

// Notes what the chooser asked, answers as told (-1: as the base does), and
// runs `action` on the chooser once it is on screen; a watchdog ends a
// chooser the action left open.
class NotingFolderDialog : public CFolderDialog, public wxTimer {
 public:
  NotingFolderDialog(const std::string& preselect, std::function<void(wxDialog&)> act)
      : CFolderDialog("Please select the destination directory", "", nullptr, kCallersFlags),
        action(std::move(act)) {
    SetSelectedFolder(preselect);
  }
  std::vector<std::string> refused;
  int answer = -1;
  std::string shown;
  std::function<void(wxDialog&)> action;

  int DoModal() override {
    const int result = CFolderDialog::DoModal();
    Stop();
    open_ = nullptr;
    return result;
  }

 protected:
  void OnInitialized() override {
    CFolderDialog::OnInitialized();
    wxDialog* chooser = Chooser();
    ASSERT_NE(chooser, nullptr);
    open_ = chooser;
    StartOnce(20000);
    chooser->CallAfter([this, chooser] {
      char* folder = Gtk<char* (*)(void*)>("gtk_file_chooser_get_current_folder")(chooser->GetHandle());
      shown = folder != nullptr ? folder : "";
      Gtk<void (*)(void*)>("g_free")(folder);
      action(*chooser);
    });
  }
  int OnValidateFailed(const std::string& name) override {
    refused.push_back(name);
    return answer < 0 ? CFolderDialog::OnValidateFailed(name) : answer;
  }
  void Notify() override {
    ADD_FAILURE() << "the chooser stayed open";
    if (open_ != nullptr) open_->EndModal(wxID_CANCEL);
  }

 private:
  wxDialog* open_ = nullptr;
};

class FolderDialogTest : public testing::Test {
 protected:
  void SetUp() override { setenv("GSETTINGS_BACKEND", "memory", 1); }  // no desktop to keep its settings
  const gui_test::TempDir temp_;
  const std::string dir_ = temp_.path();
};

TEST_F(FolderDialogTest, OpensAtThePreselectedFolderAndReturnsItWholeOrNothingOnCancel) {
  std::string deep = dir_;
  while (deep.size() < 600) deep += "/a folder name of some length, with ünïcödé";
  fs::create_directories(deep);
  for (int response : {kCancel, kAccept}) {
    NotingFolderDialog dlg(deep, [response](wxDialog& chooser) { Respond(chooser, response); });
    EXPECT_TRUE(dlg.SetRootFolder(""));
    EXPECT_EQ(dlg.DoModal(), response == kAccept ? IDOK : IDCANCEL);
    EXPECT_EQ(dlg.shown, deep);
    EXPECT_EQ(dlg.GetFolderPath(), response == kAccept ? deep : "");
    EXPECT_TRUE(dlg.refused.empty());
  }
  // A folder not made yet opens at its nearest existing parent, never at the
  // list of recent files; the accept button picks, it does not open.
  for (const std::string& missing : {deep + "/not yet/made/", deep + "/not yet"}) {
    std::string accept;
    NotingFolderDialog dlg(missing, [&accept](wxDialog& chooser) {
      void* button =
          Gtk<void* (*)(void*, int)>("gtk_dialog_get_widget_for_response")(chooser.GetHandle(), kAccept);
      accept = Gtk<const char* (*)(void*)>("gtk_button_get_label")(button);
      Respond(chooser, kCancel);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.shown, deep) << missing;
    EXPECT_EQ(accept, Gtk<const char* (*)(const char*, const char*)>("g_dgettext")("gtk30", "_Select"));
  }
}

// A folder that is gone by the time the user confirms it is refused: the
// chooser beeps and stays open (the base's answer), or ends as cancelled
// when the dialog says so.
TEST_F(FolderDialogTest, AFolderThatNoLongerExistsIsRefused) {
  for (int answer : {-1, 0}) {
    const std::string gone = dir_ + "/gone";
    fs::create_directory(gone);
    bool stayedOpen = false;
    NotingFolderDialog dlg(gone, [&](wxDialog& chooser) {
      fs::remove(gone);
      Respond(chooser, kAccept);
      stayedOpen = chooser.IsModal();
      if (stayedOpen) Respond(chooser, kCancel);
    });
    dlg.answer = answer;
    EXPECT_TRUE(dlg.SetRootFolder(dir_));
    EXPECT_FALSE(dlg.SetRootFolder(gone + "/missing"));  // the old root stays
    EXPECT_EQ(dlg.DoModal(), IDCANCEL) << answer;
    EXPECT_EQ(stayedOpen, answer != 0) << answer;
    EXPECT_EQ(dlg.refused, std::vector<std::string>{gone}) << answer;
    EXPECT_EQ(dlg.GetFolderPath(), "") << answer;
  }
}

}  // namespace

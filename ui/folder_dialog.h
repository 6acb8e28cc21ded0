// Asks the user for a folder with the desktop's own folder chooser.
//
//   CFolderDialog dlg("Please select the destination directory", "", this,
//                     BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE);
//   dlg.SetRootFolder("");
//   dlg.SetSelectedFolder(current);
//   if (dlg.DoModal() == IDOK) use(dlg.GetFolderPath());
//
// The chooser opens at the folder to preselect, or at its nearest existing
// parent when it does not exist; its accept button says "Select". Only an
// existing folder is accepted: when the user confirms anything else (say, a
// folder removed meanwhile) the dialog asks OnValidateFailed, which by
// default beeps and keeps the chooser open. Paths have no length limit.
//
// This platform's chooser cannot be rooted at a folder and reports no
// selection changes while it is open: a root folder only sets where the
// chooser starts when there is nothing to preselect.
#pragma once

#include <wx/window.h>

#include <cstdint>
#include <string>

class wxDirDialog;

// Chooser flags.
inline constexpr uint32_t BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr uint32_t BIF_EDITBOX = 0x0010;
inline constexpr uint32_t BIF_NEWDIALOGSTYLE = 0x0040;  // with a button to make a new folder

class CFolderDialog {
 public:
  CFolderDialog(const std::string& title, const std::string& folder, wxWindow* parent, uint32_t flags);
  virtual ~CFolderDialog();
  CFolderDialog(const CFolderDialog&) = delete;
  CFolderDialog& operator=(const CFolderDialog&) = delete;

  void SetSelectedFolder(const std::string& path) { selected_ = path; }
  // "" clears the root and returns true; a path is kept when it is an
  // existing folder (true), else the old root stays (false).
  bool SetRootFolder(const std::string& path);

  // Runs the chooser. Returns IDOK with the chosen folder in GetFolderPath(),
  // IDCANCEL when the user cancelled, or -1 when the chosen item has no path
  // in the file system (the chosen folder is then left as it was).
  virtual int DoModal();

  const std::string& GetFolderPath() const { return chosen_; }
  const std::string& GetRootFolder() const { return root_; }

  // While the chooser is open (from the notifications below): shows `path`.
  void SetSelection(const std::string& path);

 protected:
  // The chooser is on screen; the default shows the folder to preselect (or
  // its nearest existing parent).
  virtual void OnInitialized();
  // The user confirmed `name`, which is not an existing folder. Nonzero keeps
  // the chooser open; zero ends it as cancelled. The default beeps and keeps it.
  virtual int OnValidateFailed(const std::string& name);

  // The open chooser, only while a notification runs (null otherwise).
  wxDirDialog* Chooser() const { return chooser_; }

 private:
  class ChooserWindow;
  // Whether the chooser may close with `path` (asks OnValidateFailed when not).
  bool Validate(const std::string& path, bool* cancel);

  std::string title_;
  std::string selected_;
  std::string root_;
  std::string chosen_;
  wxWindow* parent_;
  uint32_t flags_;
  wxDirDialog* chooser_ = nullptr;
};

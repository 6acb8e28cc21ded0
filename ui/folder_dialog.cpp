// The folder chooser on the toolkit's native directory dialog.
#include "ui/folder_dialog.h"

#include <wx/dirdlg.h>
#include <wx/utils.h>

#include <filesystem>
#include <system_error>

#include "ui/core/win_types.h"

namespace {

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

}  // namespace

// The native chooser, which asks its owner before it closes with a folder.
class CFolderDialog::ChooserWindow : public wxDirDialog {
 public:
  ChooserWindow(CFolderDialog& owner, wxWindow* parent, const wxString& title, long style)
      : wxDirDialog(parent, title, wxEmptyString, style), owner_(owner) {
    Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) {
      event.Skip();
      owner_.chooser_ = this;
      owner_.OnInitialized();
      owner_.chooser_ = nullptr;
    });
  }

  void EndModal(int code) override {
    if (code == wxID_OK) {
      bool cancel = false;
      owner_.chooser_ = this;
      const bool accepted = owner_.Validate(GetPath().utf8_string(), &cancel);
      owner_.chooser_ = nullptr;
      if (!accepted) {
        if (!cancel) return;  // stays open
        code = wxID_CANCEL;
      }
    }
    wxDirDialog::EndModal(code);
  }

 private:
  CFolderDialog& owner_;
};

CFolderDialog::CFolderDialog(const std::string& title, const std::string& folder, wxWindow* parent,
                             uint32_t flags)
    : title_(title), selected_(folder), parent_(parent), flags_(flags) {}

CFolderDialog::~CFolderDialog() = default;

bool CFolderDialog::SetRootFolder(const std::string& path) {
  if (path.empty()) {
    root_.clear();
    return true;
  }
  if (!IsFolder(path)) return false;
  root_ = path;
  return true;
}

int CFolderDialog::DoModal() {
  long style = wxDD_DEFAULT_STYLE;
  if (!(flags_ & BIF_NEWDIALOGSTYLE)) style |= wxDD_DIR_MUST_EXIST;  // no new-folder button
  ChooserWindow chooser(*this, parent_, wxString::FromUTF8(title_), style);
  if (!root_.empty()) chooser.SetPath(wxString::FromUTF8(root_));
  if (chooser.ShowModal() != wxID_OK) return IDCANCEL;
  const std::string path = chooser.GetPath().utf8_string();
  if (path.empty()) return -1;
  chosen_ = path;
  return IDOK;
}

void CFolderDialog::SetSelection(const std::string& path) {
  if (chooser_ != nullptr) chooser_->SetPath(wxString::FromUTF8(path));
}

void CFolderDialog::OnInitialized() {
  if (!selected_.empty()) SetSelection(selected_);
}

int CFolderDialog::OnValidateFailed(const std::string& /*name*/) {
  wxBell();
  return 1;
}

bool CFolderDialog::Validate(const std::string& path, bool* cancel) {
  *cancel = false;
  if (path.empty() || IsFolder(path)) return true;  // no file-system path: DoModal says so
  *cancel = OnValidateFailed(path) == 0;
  return false;
}

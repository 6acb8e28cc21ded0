// The folder chooser on the toolkit's native directory dialog.
#include "ui/folder_dialog.h"

#include <wx/dirdlg.h>
#include <wx/utils.h>

#include <filesystem>
#include <system_error>

#include "ui/core/win_types.h"
#include "ui/gtk_function.h"

namespace {

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

// `path`, or the nearest of its parents that exists, or "" when none does.
std::string NearestExistingFolder(const std::string& path) {
  if (path.empty()) return {};
  std::filesystem::path folder(path);
  while (true) {
    if (IsFolder(folder.string())) return folder.string();
    if (!folder.has_relative_path()) return {};
    folder = folder.has_filename() ? folder.parent_path() : folder.parent_path().parent_path();
  }
}

// GTK's folder chooser names its accept button "Open", which reads as
// opening the folder. It is given GTK's own "Select" (in the user's
// language), the label GTK uses where a folder is picked. GTK is looked up
// at run time: it is loaded with the toolkit.
void LabelAcceptButtonSelect(wxDirDialog& chooser) {
  using ButtonFor = void* (*)(void* dialog, int response);
  using SetLabel = void (*)(void* button, const char* label);
  using Translate = const char* (*)(const char* domain, const char* text);
  auto buttonFor = ui::GtkFunction<ButtonFor>("gtk_dialog_get_widget_for_response");
  auto setLabel = ui::GtkFunction<SetLabel>("gtk_button_set_label");
  auto translate = ui::GtkFunction<Translate>("g_dgettext");
  if (buttonFor == nullptr || setLabel == nullptr || chooser.GetHandle() == nullptr) return;
  constexpr int kGtkResponseAccept = -3;
  void* button = buttonFor(chooser.GetHandle(), kGtkResponseAccept);
  if (button == nullptr) return;
  setLabel(button, translate != nullptr ? translate("gtk30", "_Select") : "_Select");
}

}  // namespace

// The native chooser, which asks its owner before it closes with a folder.
class CFolderDialog::ChooserWindow : public wxDirDialog {
 public:
  ChooserWindow(CFolderDialog& owner, wxWindow* parent, const wxString& title, long style)
      : wxDirDialog(parent, title, wxEmptyString, style), owner_(owner) {
    LabelAcceptButtonSelect(*this);
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
  // A folder that does not exist (yet) opens at its nearest existing parent,
  // not at the chooser's list of recent files.
  const std::string start = NearestExistingFolder(selected_);
  if (!start.empty()) SetSelection(start);
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

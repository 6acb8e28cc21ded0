// Helpers shared by the option pages.
#include "app/gui/option_pages.h"

#include <wx/choice.h>
#include <wx/settings.h>

#include "app/gui/gui_port.h"
#include "ui/folder_dialog.h"
#include "ui/property_sheet.h"

namespace option_pages {

void FillList(wxChoice* list, const std::vector<std::string>& entries) {
  list->Clear();
  for (const std::string& entry : entries) list->Append(wxString::FromUTF8(entry));
}

void Select(wxChoice* list, int index) {
  const bool valid = index >= 0 && static_cast<unsigned>(index) < list->GetCount();
  list->SetSelection(valid ? index : wxNOT_FOUND);
}

void PaintBackground(ui::CPropertyPage& page, bool white) {
  if (white && page.GetWindow() != nullptr)
    page.GetWindow()->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
}

bool Accept(ui::CPropertyPage& page, const PageApplyResult& result, wxWindow* field) {
  if (result.status == PageApplyResult::Refused) {
    ui::CPropertySheet* sheet = page.GetSheet();
    if (sheet != nullptr && sheet->GetActivePage() != &page) sheet->SetActivePage(&page);
    ShowMessageBox(sheet != nullptr ? static_cast<wxWindow*>(sheet) : page.GetWindow(), result.message, "",
                   MB_OK | MB_ICONEXCLAMATION);
    // After the box: its closing hands the focus back to the sheet.
    if (field != nullptr) field->SetFocus();
  }
  return static_cast<bool>(result);
}

bool BrowseForFolder(ui::CPropertyPage& page, const std::string& title, const std::string& current,
                     std::string& chosen) {
  CFolderDialog dialog(title, "", page.GetWindow(), BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE);
  dialog.SetRootFolder("");
  dialog.SetSelectedFolder(current);  // a folder not made yet opens at its nearest parent
  if (dialog.DoModal() != IDOK) return false;
  chosen = dialog.GetFolderPath();
  return true;
}

}  // namespace option_pages

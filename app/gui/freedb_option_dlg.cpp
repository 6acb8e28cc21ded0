// The CDDB page's window.
#include "app/gui/freedb_option_dlg.h"

#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include "app/gui/option_pages.h"
#include "app/settings.h"
#include "res/option_pages.h"
#include "ui/data_exchange.h"

const ui::MapRow<CFreeDBOptionDlg> CFreeDBOptionDlg::kMessageMap[] = {
    ui::OnBnClicked(res::IDC_SOURCE_BOTH, &CFreeDBOptionDlg::OnSourceBoth),
    ui::OnBnClicked(res::IDC_SOURCE_REMOTE_ONLY, &CFreeDBOptionDlg::OnSourceRemoteOnly),
    ui::OnBnClicked(res::IDC_SOURCE_LOCAL_ONLY, &CFreeDBOptionDlg::OnSourceLocalOnly),
    ui::OnBnClicked(res::IDC_BROWSE_LOCAL_CDDB_DIR, &CFreeDBOptionDlg::OnBrowseLocalFolder),
    ui::OnBnClicked(res::IDC_LOAD_ALBUM_INFO, &CFreeDBOptionDlg::OnLoadOnInsert),
    ui::OnBnClicked(res::IDC_SAVE_ALBUM_INFO, &CFreeDBOptionDlg::OnPageModified),
    ui::OnEnChange(res::IDC_LOCAL_CDDB_DIR, &CFreeDBOptionDlg::OnPageModified),
};

CFreeDBOptionDlg::CFreeDBOptionDlg(OptionsSheetModel& sheet)
    : ui::CPropertyPage(res::kFreeDBOptionPage), sheet_(sheet) {
  SetPageFlags(PageFlags() & ~ui::PSP_HASHELP);
  ui::BindMessageMap(this, kMessageMap);
}

bool CFreeDBOptionDlg::OnInitDialog() {
  sheet_.ShowPage(kCDDBPage);  // loads the model on the first showing
  option_pages::PaintBackground(*this, hasWhiteBackground);
  filling_ = true;
  CPropertyPage::OnInitDialog();  // source radios and folder
  const CDDBOptionsModel& m = sheet_.cddb;
  GetDlgItemAs<wxCheckBox>(res::IDC_SAVE_ALBUM_INFO)->SetValue(m.saveRemote);
  GetDlgItemAs<wxCheckBox>(res::IDC_LOAD_ALBUM_INFO)->SetValue(m.loadOnInsert);
  filling_ = false;
  OnLoadOnInsert();  // the page starts modified, with the radios enabled or not
  return true;
}

void CFreeDBOptionDlg::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Text(pDX, res::IDC_LOCAL_CDDB_DIR, sheet_.cddb.localFolder);
  ui::DDX_Radio(pDX, res::IDC_SOURCE_BOTH, sheet_.cddb.source);
}

void CFreeDBOptionDlg::OnPageModified() {
  if (!filling_) SetModified(true);
}

void CFreeDBOptionDlg::OnSourceBoth() {
  OnPageModified();
  sheet_.cddb.source = 0;
}

void CFreeDBOptionDlg::OnSourceRemoteOnly() {
  OnPageModified();
  sheet_.cddb.source = 1;
}

void CFreeDBOptionDlg::OnSourceLocalOnly() {
  OnPageModified();
  sheet_.cddb.source = 2;
}

void CFreeDBOptionDlg::OnLoadOnInsert() {
  OnPageModified();
  const bool load = GetDlgItemAs<wxCheckBox>(res::IDC_LOAD_ALBUM_INFO)->GetValue();
  sheet_.cddb.loadOnInsert = load;
  for (int id : {res::IDC_SOURCE_BOTH, res::IDC_SOURCE_REMOTE_ONLY, res::IDC_SOURCE_LOCAL_ONLY})
    GetDlgItem(id)->Enable(sheet_.cddb.SourceEnabled());
}

void CFreeDBOptionDlg::OnBrowseLocalFolder() {
  std::string chosen;
  if (!option_pages::BrowseForFolder(*this, kBrowseLocalFolderTitle, LocalCDDBDir, chosen)) return;
  GetDlgItemAs<wxTextCtrl>(res::IDC_LOCAL_CDDB_DIR)->ChangeValue(wxString::FromUTF8(chosen));
  OnPageModified();
}

bool CFreeDBOptionDlg::OnSetActive() {
  sheet_.ShowPage(kCDDBPage);
  return true;
}

bool CFreeDBOptionDlg::OnApply() {
  CDDBOptionsModel& m = sheet_.cddb;
  // The source is what the last click chose (a disabled group still keeps
  // it); the folder is read from its field.
  const int source = m.source;
  UpdateData(true);
  if (m.source < 0) m.source = source;
  m.saveRemote = GetDlgItemAs<wxCheckBox>(res::IDC_SAVE_ALBUM_INFO)->GetValue();
  m.loadOnInsert = GetDlgItemAs<wxCheckBox>(res::IDC_LOAD_ALBUM_INFO)->GetValue();
  auto* folder = GetDlgItemAs<wxTextCtrl>(res::IDC_LOCAL_CDDB_DIR);
  if (!option_pages::Accept(*this, m.Apply(), folder)) return false;
  folder->ChangeValue(wxString::FromUTF8(m.localFolder));  // the full path as kept
  return true;
}

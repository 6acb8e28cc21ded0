// The Output page's window.
#include "app/gui/output_options.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/textctrl.h>

#include <utility>

#include "app/gui/encoder_option.h"
#include "app/gui/gui_port.h"
#include "app/gui/option_pages.h"
#include "app/settings.h"
#include "res/option_pages.h"
#include "rip/file_name_templates.h"
#include "ui/data_exchange.h"

namespace {

// Sets an edit's text without raising its change notification.
void ShowText(wxWindow* edit, const std::string& text) {
  static_cast<wxTextCtrl*>(edit)->ChangeValue(wxString::FromUTF8(text));
}

std::string TextOf(wxWindow* edit) { return static_cast<wxTextCtrl*>(edit)->GetValue().utf8_string(); }

bool Checked(wxWindow* box) { return static_cast<wxCheckBox*>(box)->GetValue(); }

}  // namespace

const ui::MapRow<COutputOptions> COutputOptions::kMessageMap[] = {
    ui::OnBnClicked(res::IDC_BROWSE_DESTINATION, &COutputOptions::OnBrowse),
    ui::OnBnClicked(res::IDC_FILL_TAG, &COutputOptions::OnPageModified),
    ui::OnBnClicked(res::IDC_WRITE_LOG, &COutputOptions::OnPageModified),
    ui::OnBnClicked(res::IDC_CREATE_PLAYLIST, &COutputOptions::OnPageModified),
    ui::OnEnChange(res::IDC_DESTINATION_DIR, &COutputOptions::OnPageModified),
    ui::OnCbnSelChange(res::IDC_FILE_STYLE, &COutputOptions::OnTemplateChange),
    ui::OnEnChange(res::IDC_SEPARATOR, &COutputOptions::OnSeparatorChange),
    ui::OnBnClicked(res::IDC_RESET_OUTPUT, &COutputOptions::OnResetClicked),
};

COutputOptions::COutputOptions(OptionsSheetModel& sheet, std::function<void()> destinationsChanged)
    : ui::CPropertyPage(res::kOutputOptionPage),
      sheet_(sheet),
      destinationsChanged_(std::move(destinationsChanged)) {
  SetPageFlags(PageFlags() & ~ui::PSP_HASHELP);
  ui::BindMessageMap(this, kMessageMap);
}

bool COutputOptions::OnInitDialog() {
  sheet_.ShowPage(kOutputPage);  // loads the model on the first showing
  option_pages::PaintBackground(*this, hasWhiteBackground);
  const OutputOptionsModel& m = sheet_.output;
  filling_ = true;
  ShowText(GetDlgItem(res::IDC_DESTINATION_DIR), m.destination);
  separatorText_ = m.SeparatorText();
  CPropertyPage::OnInitDialog();  // the separator field, limited to its length
  RebuildTemplateList();
  static_cast<wxCheckBox*>(GetDlgItem(res::IDC_FILL_TAG))->SetValue(m.writeMetadata);
  static_cast<wxCheckBox*>(GetDlgItem(res::IDC_WRITE_LOG))->SetValue(m.writeLog);
  static_cast<wxCheckBox*>(GetDlgItem(res::IDC_CREATE_PLAYLIST))->SetValue(m.createPlaylist);
  UpdatePreview();
  filling_ = false;
  return true;
}

void COutputOptions::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Text(pDX, res::IDC_SEPARATOR, separatorText_);
  ui::DDV_MaxChars(pDX, separatorText_, static_cast<int>(kMaxSeparatorChars));
}

void COutputOptions::RebuildTemplateList() {
  OutputOptionsModel& m = sheet_.output;
  m.SetSeparatorText(TextOf(GetDlgItem(res::IDC_SEPARATOR)));
  auto* list = GetDlgItemAs<wxChoice>(res::IDC_FILE_STYLE);
  option_pages::FillList(list, m.TemplateEntries());
  option_pages::Select(list, m.fileStyle);
}

void COutputOptions::UpdatePreview() {
  ShowText(GetDlgItem(res::IDC_FILE_NAME_PREVIEW), sheet_.output.Preview());
}

void COutputOptions::ReadControls() {
  OutputOptionsModel& m = sheet_.output;
  m.destination = TextOf(GetDlgItem(res::IDC_DESTINATION_DIR));
  const int selected = GetDlgItemAs<wxChoice>(res::IDC_FILE_STYLE)->GetSelection();
  m.fileStyle = selected == wxNOT_FOUND ? -1 : selected;
  m.writeMetadata = Checked(GetDlgItem(res::IDC_FILL_TAG));
  m.writeLog = Checked(GetDlgItem(res::IDC_WRITE_LOG));
  m.createPlaylist = Checked(GetDlgItem(res::IDC_CREATE_PLAYLIST));
}

void COutputOptions::OnPageModified() {
  if (!filling_) SetModified(true);
}

void COutputOptions::OnTemplateChange() {
  if (filling_) return;
  SetModified(true);
  const int selected = GetDlgItemAs<wxChoice>(res::IDC_FILE_STYLE)->GetSelection();
  sheet_.output.fileStyle = selected == wxNOT_FOUND ? -1 : selected;
  UpdatePreview();
}

void COutputOptions::OnSeparatorChange() {
  if (filling_) return;
  SetModified(true);
  filling_ = true;
  RebuildTemplateList();
  UpdatePreview();
  filling_ = false;
}

void COutputOptions::OnBrowse() {
  std::string chosen;
  if (!option_pages::BrowseForFolder(*this, kBrowseDestinationTitle, DesDir, chosen)) return;
  ShowText(GetDlgItem(res::IDC_DESTINATION_DIR), chosen);
  SetModified(true);
}

void COutputOptions::OnResetClicked() {
  if (ShowMessageBox(GetWindow(), kResetOutputQuestion, "", MB_YESNO) != IDYES) return;
  SetModified(true);
  // The settings change at once (Cancel does not undo them); both pages
  // then show the new values.
  sheet_.ResetOutputOptions();
  SendInitDialog();
  if (encoderPage_ != nullptr && encoderPage_->IsPageCreated()) encoderPage_->Reload();
}

bool COutputOptions::OnSetActive() {
  sheet_.ShowPage(kOutputPage);
  return true;
}

bool COutputOptions::OnApply() {
  ReadControls();
  wxWindow* folder = GetDlgItem(res::IDC_DESTINATION_DIR);
  if (!option_pages::Accept(*this, sheet_.output.Apply(destinationsChanged_), folder)) return false;
  ShowText(folder, sheet_.output.destination);  // the full path as kept
  return true;
}

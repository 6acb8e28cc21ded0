// The About box.
#include "app/gui/about_dlg.h"

#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <string_view>

#include "app/event_log.h"
#include "app/gui/toolbar_art.h"
#include "app/main_commands.h"
#include "res/small_dialogs.h"
#include "ui/data_exchange.h"
#include "ui/hyperlink.h"

namespace {

constexpr int kIconPixels = 32;
constexpr std::string_view kMailScheme = "mailto:";

// The version number: the last word of the program's name and version.
std::string ProgramVersion() {
  const std::string_view text = kProgramNameAndVersion;
  return std::string(text.substr(text.rfind(' ') + 1));
}

}  // namespace

CAboutDlg::CAboutDlg() : ui::CDialog(res::kAboutDialog, nullptr) {}

wxWindow* CAboutDlg::CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId,
                                   const wxRect& rect) {
  if (item.id == res::IDC_ABOUT_HOME_LINK || item.id == res::IDC_ABOUT_SUPPORT_LINK) {
    auto* link = new CHyperLink;
    // The target first: an empty template text shows it.
    link->SetTarget(item.id == res::IDC_ABOUT_HOME_LINK ? kHomePageAddress : kSupportMailAddress);
    link->Create(parent, item, wxId, rect);
    return link;
  }
  if (item.id == res::IDC_ABOUT_ICON) {
    return new wxStaticBitmap(parent, wxId, art::ProgramIcons().GetIcon(kIconPixels), rect.GetPosition(),
                              rect.GetSize());
  }
  return nullptr;
}

void CAboutDlg::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Control(pDX, res::IDC_ABOUT_SUPPORT_LINK, supportLink_);
  ui::DDX_Control(pDX, res::IDC_ABOUT_HOME_LINK, homeLink_);
}

bool CAboutDlg::OnInitDialog() {
  ui::CDialog::OnInitDialog();
  SetIcons(art::ProgramIcons());
  GetDlgItem(res::IDC_ABOUT_VERSION)->SetLabel(wxString::FromUTF8("Version " + ProgramVersion()));
  auto* name = GetDlgItemAs<wxStaticText>(res::IDC_ABOUT_NAME);
  name->SetFont(name->GetFont().Bold());
  // The mail link shows the bare address; a click still opens the mail link.
  const std::string_view mail = kSupportMailAddress;
  supportLink_->SetLabel(wxString::FromUTF8(std::string(mail.substr(kMailScheme.size()))));
  supportLink_->PositionWindow();
  // The links are Tab stops now; the box still opens on its OK button.
  if (wxWindow* ok = GetDlgItem(IDOK)) ok->SetFocus();
  return true;
}

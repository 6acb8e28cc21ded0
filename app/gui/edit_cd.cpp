// The album editor's window.
#include "app/gui/edit_cd.h"

#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include "app/event_log.h"
#include "app/genre_names.h"
#include "app/gui/gui_port.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/toolbar_art.h"
#include "res/small_dialogs.h"
#include "ui/combo_box_ext.h"
#include "ui/data_exchange.h"

const ui::MapRow<CEditCD> CEditCD::kMessageMap[] = {
    ui::OnBnClicked(res::IDC_EDIT_CD_OK, &CEditCD::OnOKButton),
    ui::OnBnClicked(res::IDC_EDIT_CD_SAVE_LOCAL, &CEditCD::OnSaveToLocal),
    ui::OnBnClicked(res::IDC_EDIT_CD_VARIOUS, &CEditCD::OnVariousArtists),
    ui::OnWmDestroy(&CEditCD::OnDestroy),
};

CEditCD::CEditCD(wxWindow* parent) : ui::CResizeDlg(res::kEditCDDialog, parent) {
  ui::BindMessageMap(this, kMessageMap);
}

CEditCD::~CEditCD() = default;

wxWindow* CEditCD::CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId, const wxRect& rect) {
  if (item.id != res::IDC_EDIT_CD_GENRE) return nullptr;
  genre_ = new CComboBoxExt;
  genre_->Create(parent, item, wxId, rect);
  return genre_;
}

void CEditCD::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Text(pDX, res::IDC_EDIT_CD_ALBUM, model_.album);
  ui::DDX_Text(pDX, res::IDC_EDIT_CD_ARTIST, model_.artist);
  ui::DDX_Check(pDX, res::IDC_EDIT_CD_VARIOUS, variousArtists_);
  ui::DDX_Text(pDX, res::IDC_EDIT_CD_GENRE, model_.genre);
  ui::DDX_Text(pDX, res::IDC_EDIT_CD_YEAR, model_.year);
}

bool CEditCD::OnInitDialog() {
  model_.Load();
  variousArtists_ = model_.variousArtists ? 1 : 0;
  // The list first: the record's genre is then set as the field's text,
  // whether or not the list holds it.
  genre_->Clear();
  if (GenreNames.empty()) FillGenreNames();
  for (const std::string& name : GenreNames) genre_->Append(wxString::FromUTF8(name));
  ui::CResizeDlg::OnInitDialog();  // fills the controls from the model
  SetIcons(art::ProgramIcons());
  GetDlgItem(res::IDC_EDIT_CD_ARTIST)->Enable(model_.ArtistEnabled());
  AddControls(res::kEditCDAnchors);
  placementWindow_ = std::make_unique<WxPlacementWindow>(this, true);
  placement_.Load(*placementWindow_, kEditCDPlacementEntry, kPlacementSection);
  return true;
}

void CEditCD::OnVariousArtists() {
  auto* artist = GetDlgItemAs<wxTextCtrl>(res::IDC_EDIT_CD_ARTIST);
  auto* check = GetDlgItemAs<wxCheckBox>(res::IDC_EDIT_CD_VARIOUS);
  model_.artist = artist->GetValue().utf8_string();
  model_.SetVariousArtists(check->GetValue());
  artist->ChangeValue(wxString::FromUTF8(model_.artist));
  artist->Enable(model_.ArtistEnabled());
}

bool CEditCD::ApplyEdits(bool saveToLocal) {
  if (!UpdateData(true)) return false;
  model_.variousArtists = variousArtists_ != 0;
  const auto refresh = [] {
    if (MainDialog != nullptr) MainDialog->RefreshDestinations();
  };
  const AlbumEditResult result =
      saveToLocal ? model_.SaveToLocal(refresh, &AppEventLog()) : model_.Apply(refresh);
  if (!result.applied) {
    // Only the year is ever refused: the user corrects it there.
    if (wxWindow* year = GetDlgItem(res::IDC_EDIT_CD_YEAR)) year->SetFocus();
    if (!result.message.empty()) ShowMessageBox(this, result.message, "", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (!result.message.empty()) ShowMessageBox(this, result.message, "", MB_OK);
  return true;
}

void CEditCD::OnOKButton() {
  if (ApplyEdits()) EndDialog(IDOK);
}

void CEditCD::OnSaveToLocal() { ApplyEdits(true); }

void CEditCD::OnDestroy() {
  if (placementWindow_) placement_.Save(*placementWindow_, kEditCDPlacementEntry, kPlacementSection);
}

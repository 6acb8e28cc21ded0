// Property sheets: the tab strip, the sheet's layout from its pages, page
// switching and the OK/Apply/Cancel protocol.
#include "ui/property_sheet.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>

#include "ui/control_rect.h"

namespace ui {

namespace {

constexpr int kTabPadding = 8;  // pixels left and right of a tab's text
constexpr int kTabMinWidth = 40;
constexpr int kFrameBorder = 3;  // frame of the page area inside the strip

// Button row and margins, in dialog units.
constexpr int kMarginDlu = 7;
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;
constexpr int kButtonGapDlu = 4;

wxString ToWx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

}  // namespace

// ---- tab strip

CTabStrip::CTabStrip(wxWindow* parent, const wxRect& rect)
    : wxWindow(parent, WxId(AFX_IDC_TAB_CONTROL), rect.GetPosition(), rect.GetSize(),
               wxFULL_REPAINT_ON_RESIZE) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CTabStrip::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CTabStrip::OnLeftDown, this);
}

CTabStrip::~CTabStrip() = default;

void CTabStrip::InsertItem(int index, const std::string& text, int image) {
  index = std::clamp(index, 0, GetItemCount());
  items_.insert(items_.begin() + index, Item{text, image});
  if (current_ >= index) ++current_;
  if (current_ < 0) current_ = 0;
  Refresh();
}

void CTabStrip::DeleteItem(int index) {
  if (index < 0 || index >= GetItemCount()) return;
  items_.erase(items_.begin() + index);
  if (current_ > index || current_ >= GetItemCount()) --current_;
  Refresh();
}

void CTabStrip::DeleteAllItems() {
  items_.clear();
  current_ = -1;
  Refresh();
}

std::string CTabStrip::GetItemText(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[index].text : std::string();
}

int CTabStrip::GetItemImage(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[index].image : -1;
}

void CTabStrip::SetCurSel(int index) {
  current_ = index >= 0 && index < GetItemCount() ? index : -1;
  Refresh();
}

wxImageList* CTabStrip::SetImageList(wxImageList* images) {
  wxImageList* previous = images_.release();
  images_.reset(images);
  Refresh();
  return previous;
}

int CTabStrip::GetItemHeight() const { return GetCharHeight() + kTabPadding; }

int CTabStrip::TabWidth(int index) const {
  int width = GetTextExtent(ToWx(items_[index].text)).x + 2 * kTabPadding;
  if (images_ != nullptr && items_[index].image >= 0) {
    int w = 0;
    int h = 0;
    images_->GetSize(0, w, h);
    width += w + kTabPadding / 2;
  }
  return std::max(width, kTabMinWidth);
}

wxRect CTabStrip::GetItemRect(int index) const {
  if (index < 0 || index >= GetItemCount()) return {};
  int x = 2;
  for (int i = 0; i < index; ++i) x += TabWidth(i);
  return {x, 0, TabWidth(index), GetItemHeight()};
}

wxRect CTabStrip::AdjustRect(bool larger, const wxRect& rect) const {
  const int top = GetItemHeight() + kFrameBorder;
  if (larger)
    return {rect.x - kFrameBorder, rect.y - top, rect.width + 2 * kFrameBorder,
            rect.height + top + kFrameBorder};
  return {rect.x + kFrameBorder, rect.y + top, std::max(0, rect.width - 2 * kFrameBorder),
          std::max(0, rect.height - top - kFrameBorder)};
}

void CTabStrip::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_3DHIGHLIGHT);
  const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW);
  const wxSize size = GetClientSize();
  dc.SetBackground(wxBrush(face));
  dc.Clear();
  const int rowBottom = GetItemHeight();
  // The frame around the page area.
  dc.SetPen(wxPen(shadow));
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.DrawRectangle(0, rowBottom - 1, size.x, size.y - rowBottom + 1);
  dc.SetFont(GetFont());
  dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
  for (int i = 0; i < GetItemCount(); ++i) {
    wxRect r = GetItemRect(i);
    const bool selected = i == current_;
    if (!selected) r.Deflate(0, 2).Offset(0, 2);
    dc.SetPen(wxPen(shadow));
    dc.SetBrush(wxBrush(selected ? face : face.ChangeLightness(92)));
    dc.DrawRectangle(r.x, r.y, r.width, r.height + (selected ? 1 : 0));
    if (selected) {
      dc.SetPen(wxPen(face));  // the selected tab opens into its page
      dc.DrawLine(r.x + 1, rowBottom - 1, r.GetRight(), rowBottom - 1);
      dc.SetPen(wxPen(light));
      dc.DrawLine(r.x + 1, r.y + 1, r.GetRight(), r.y + 1);
    }
    int textX = r.x + kTabPadding;
    if (images_ != nullptr && items_[i].image >= 0 && items_[i].image < images_->GetImageCount()) {
      int w = 0;
      int h = 0;
      images_->GetSize(0, w, h);
      images_->Draw(items_[i].image, dc, textX, r.y + (r.height - h) / 2, wxIMAGELIST_DRAW_TRANSPARENT);
      textX += w + kTabPadding / 2;
    }
    const wxString text = ToWx(items_[i].text);
    dc.DrawText(text, textX, r.y + (r.height - dc.GetTextExtent(text).y) / 2);
  }
}

void CTabStrip::OnLeftDown(wxMouseEvent& event) {
  for (int i = 0; i < GetItemCount(); ++i) {
    if (GetItemRect(i).Contains(event.GetPosition())) {
      if (i != current_ && onSelect) onSelect(i);
      return;
    }
  }
  event.Skip();
}

// ---- sheet

const MapRow<CPropertySheet> CPropertySheet::kMessageMap[] = {
    OnCommand(ID_APPLY_NOW, &CPropertySheet::OnApplyNow),
    OnCommand(IDHELP, &CPropertySheet::OnHelpButton),
    OnEvent(wxEVT_CHAR_HOOK, wxID_ANY, &CPropertySheet::OnCharHook),
};

CPropertySheet::CPropertySheet(const std::string& caption, wxWindow* parent, int selectPage)
    : CTopLevelDialogT<wxDialog>(parent), caption_(caption), startPage_(selectPage) {
  BindMessageMap(this, kMessageMap);
}

CPropertySheet::~CPropertySheet() {
  // The pages' windows go with ours; the page objects stay their owners'.
  for (CPropertyPage* page : pages_) page->Attach(nullptr);
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (page == nullptr || GetPageIndex(page) >= 0) return;
  pages_.push_back(page);
  page->Attach(this);
  if (tabs_ == nullptr) return;
  tabs_->InsertItem(GetPageCount() - 1, page->GetCaption());
  if (active_ < 0) ShowPage(0);
  tabs_->SetCurSel(active_);
  OnPageListChanged();
}

void CPropertySheet::RemovePage(CPropertyPage* page) { RemovePage(GetPageIndex(page)); }

void CPropertySheet::RemovePage(int index) {
  if (index < 0 || index >= GetPageCount()) return;
  CPropertyPage* page = pages_[index];
  const bool wasShown = pageShown_ && index == active_;
  if (wxWindow* window = page->Surface()) window->Destroy();
  page->Attach(nullptr);
  pages_.erase(pages_.begin() + index);
  if (tabs_ == nullptr) {
    if (startPage_ > index) --startPage_;
    return;
  }
  tabs_->DeleteItem(index);
  if (index < active_) {
    --active_;
  } else if (index == active_) {
    active_ = -1;
    pageShown_ = false;
    if (wasShown && GetPageCount() > 0) ShowPage(std::min(index, GetPageCount() - 1));
  }
  tabs_->SetCurSel(active_);
  UpdateApplyButton();
  OnPageListChanged();
  if (active_ < 0) OnActivePageChanged();
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? pages_[index] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
  const auto it = std::find(pages_.begin(), pages_.end(), page);
  return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

int CPropertySheet::GetActiveIndex() const { return tabs_ == nullptr ? startPage_ : active_; }

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

bool CPropertySheet::SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }

bool CPropertySheet::SetActivePage(int index) {
  if (tabs_ == nullptr) {
    startPage_ = index;
    return true;
  }
  if (index < 0 || index >= GetPageCount()) return false;
  if (index == active_ && pageShown_) return true;
  if (pageShown_ && !pages_[active_]->OnKillActive()) return false;
  return ShowPage(index);
}

bool CPropertySheet::ShowPage(int index) {
  CPropertyPage* page = pages_[index];
  if (!page->IsPageCreated() && !page->CreatePage(this, GetPageRect())) return false;
  PlacePage(page);
  if (!page->OnSetActive()) return false;
  if (pageShown_ && active_ != index) pages_[active_]->Surface()->Hide();
  active_ = index;
  pageShown_ = true;
  wxWindow* window = page->Surface();
  window->Show();
  window->Raise();
  tabs_->SetCurSel(index);
  if (wxWindow* help = GetDlgItem(IDHELP)) help->Enable((page->PageFlags() & PSP_HASHELP) != 0);
  OnActivePageChanged();
  return true;
}

bool CPropertySheet::HideCurrentPage() {
  if (!pageShown_) return true;
  if (!pages_[active_]->OnKillActive()) return false;
  pages_[active_]->Surface()->Hide();
  pageShown_ = false;
  OnActivePageChanged();
  return true;
}

wxWindow* CPropertySheet::GetCurrentPageWindow() const {
  return pageShown_ && active_ >= 0 ? pages_[active_]->Surface() : nullptr;
}

wxRect CPropertySheet::GetPageRect() const {
  if (tabs_ == nullptr) return {};
  return tabs_->AdjustRect(false, tabs_->GetRect());
}

void CPropertySheet::PlacePage(CPropertyPage* page) const {
  if (page->Surface() != nullptr) ApplyControlRect(page->Surface(), GetPageRect());
}

void CPropertySheet::PlacePages() const {
  for (CPropertyPage* page : pages_) PlacePage(page);
}

bool CPropertySheet::CreateWindowAndChildren() {
  if (IsWindowCreated()) return true;
  if (!CreateHost(Parent(), ToWx(caption_), WindowStyleBits())) return false;
  const SIZE units = DialogBaseUnits(this);
  wxSize pageSize(0, 0);
  for (const CPropertyPage* page : pages_) pageSize.IncTo(DialogClientSize(units, page->Template()));
  const wxRect margin = MapDialogRect(units, kMarginDlu, kMarginDlu, kButtonGapDlu, 0);
  tabs_ = new CTabStrip(this, wxRect(margin.x, margin.y, 10, 10));
  tabs_->SetFont(GetFont());
  const wxRect strip = tabs_->AdjustRect(true, wxRect(wxPoint(0, 0), pageSize));
  tabs_->SetSize(margin.x, margin.y, strip.width, strip.height);
  for (const CPropertyPage* page : pages_) tabs_->InsertItem(tabs_->GetItemCount(), page->GetCaption());

  // OK, Cancel, Apply and Help, right-aligned under the strip.
  struct SheetButton {
    int id;
    const char* text;
  };
  std::vector<SheetButton> wanted{{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {ID_APPLY_NOW, "&Apply"}};
  if (sheetFlags_ & PSH_HASHELP) wanted.push_back({IDHELP, "Help"});
  const wxRect button = MapDialogRect(units, 0, 0, kButtonWidthDlu, kButtonHeightDlu);
  const int gap = margin.width;
  const int top = margin.y + strip.height + margin.y;
  int height = button.height;
  std::vector<wxButton*> buttons;
  for (const SheetButton& want : wanted) {
    auto* b = new wxButton(this, WxId(want.id), want.text);
    height = std::max(height, b->GetBestSize().y);
    buttons.push_back(b);
  }
  const int clientWidth = margin.x + strip.width + margin.x;
  int x = clientWidth - margin.x - static_cast<int>(buttons.size()) * (button.width + gap) + gap;
  for (wxButton* b : buttons) {
    ApplyControlRect(b, wxRect(x, top, button.width, height));
    x += button.width + gap;
  }
  buttons.front()->SetDefault();
  if (wxWindow* apply = GetDlgItem(ID_APPLY_NOW)) apply->Disable();
  SetClientSize(clientWidth, top + height + margin.y);
  tabs_->onSelect = [this](int index) { SetActivePage(index); };
  CentreOnParent();
  return true;
}

bool CPropertySheet::OnInitDialog() {
  ShowStartPage();
  return true;
}

void CPropertySheet::ShowStartPage() {
  if (GetPageCount() == 0) return;
  ShowPage(startPage_ >= 0 && startPage_ < GetPageCount() ? startPage_ : 0);
}

bool CPropertySheet::Apply() {
  if (pageShown_ && !pages_[active_]->OnKillActive()) return false;
  for (CPropertyPage* page : pages_) {
    if (page->IsPageCreated() && !page->OnApply()) return false;
  }
  for (CPropertyPage* page : pages_) page->modified_ = false;
  UpdateApplyButton();
  return true;
}

void CPropertySheet::UpdateApplyButton() {
  wxWindow* apply = GetDlgItem(ID_APPLY_NOW);
  if (apply == nullptr) return;
  const bool any =
      std::any_of(pages_.begin(), pages_.end(), [](const CPropertyPage* p) { return p->IsModified(); });
  apply->Enable(any);
}

void CPropertySheet::OnOK() {
  if (Apply()) EndDialog(IDOK);
}

void CPropertySheet::OnCancel() {
  for (CPropertyPage* page : pages_) {
    if (page->IsPageCreated()) page->OnReset();
  }
  EndDialog(IDCANCEL);
}

void CPropertySheet::OnApplyNow() { Apply(); }

void CPropertySheet::OnHelpButton() {
  wxWindow* window = GetCurrentPageWindow();
  if (window == nullptr) return;
  wxHelpEvent help(wxEVT_HELP, window->GetId(), wxDefaultPosition, wxHelpEvent::Origin_HelpButton);
  help.SetEventObject(window);
  window->GetEventHandler()->ProcessEvent(help);
}

int CPropertySheet::PageKeyDirection(const wxKeyEvent& key) {
  if (!key.ControlDown() || key.AltDown()) return 0;
  switch (key.GetKeyCode()) {
    case WXK_TAB:
      return key.ShiftDown() ? -1 : 1;
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEDOWN:
      return 1;
    case WXK_PAGEUP:
    case WXK_NUMPAD_PAGEUP:
      return -1;
    default:
      return 0;  // Ctrl+C, Ctrl+V and the rest belong to the focused control
  }
}

bool CPropertySheet::IsDialogMessageHook(const wxKeyEvent& key) {
  const int direction = PageKeyDirection(key);
  if (direction == 0) return false;
  const int index = NextPageIndex(direction > 0);
  if (index >= 0) SetActivePage(index);
  return true;
}

int CPropertySheet::NextPageIndex(bool forward) const {
  const int count = GetPageCount();
  if (count == 0) return -1;
  const int from = std::max(active_, 0);
  return (from + (forward ? 1 : count - 1)) % count;
}

void CPropertySheet::OnCharHook(wxKeyEvent& event) {
  if (IsDialogMessageHook(event)) return;
  event.Skip();  // on to the dialog's own keys (Escape, Enter) and the focused control
}

}  // namespace ui

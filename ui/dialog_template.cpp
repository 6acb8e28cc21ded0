// Builds dialog controls from template tables.
#include "ui/dialog_template.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>
#include <wx/valtext.h>

#include <algorithm>
#include <cstdint>

#include "ui/control_rect.h"
#include "ui/core/control_ids.h"

namespace ui {

namespace {

constexpr const char* kLatinLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c) {
  if (c == 0) return 0;
  const int64_t product = int64_t{a} * b;
  const int64_t half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

wxString Text(const DialogItem& item) { return wxString::FromUTF8(item.text.data(), item.text.size()); }

long StaticStyle(uint32_t style) {
  long s = wxST_NO_AUTORESIZE;
  if (style & kAlignCentre) s |= wxALIGN_CENTRE_HORIZONTAL;
  if (style & kAlignRight) s |= wxALIGN_RIGHT;
  return s;
}

wxWindow* MakeStatic(wxWindow* parent, const DialogItem& item, int id, const wxRect& r) {
  auto* text =
      new wxStaticText(parent, id, wxEmptyString, r.GetPosition(), r.GetSize(), StaticStyle(item.style));
  if (item.style & kNoPrefix) {
    text->SetLabelText(Text(item));
  } else {
    text->SetLabel(Text(item));
  }
  return text;
}

wxWindow* MakeEdit(wxWindow* parent, const DialogItem& item, int id, const wxRect& r) {
  long s = 0;
  if (item.style & kMultiline) s |= wxTE_MULTILINE;
  if (item.style & kReadOnly) s |= wxTE_READONLY;
  if (item.style & kPassword) s |= wxTE_PASSWORD;
  if (item.style & kAlignCentre) s |= wxTE_CENTRE;
  if (item.style & kAlignRight) s |= wxTE_RIGHT;
  auto* edit = new wxTextCtrl(parent, id, Text(item), r.GetPosition(), r.GetSize(), s);
  if (item.style & kNumber) edit->SetValidator(wxTextValidator(wxFILTER_DIGITS));
  return edit;
}

wxWindow* MakeCombo(wxWindow* parent, const DialogItem& item, int id, const wxRect& r) {
  const long sort = (item.style & kSorted) ? wxCB_SORT : 0;
  // A list the user only picks from is GTK's drop-down button (a wxChoice):
  // one Tab stop, no caret, the arrow keys pick. A read-only wxComboBox would
  // keep an entry field beside its button.
  if (item.kind == ControlKind::ComboDropList)
    return new wxChoice(parent, id, r.GetPosition(), r.GetSize(), 0, nullptr, sort);
  return new wxComboBox(parent, id, wxEmptyString, r.GetPosition(), r.GetSize(), 0, nullptr,
                        wxCB_DROPDOWN | sort);
}

wxWindow* MakeList(wxWindow* parent, const DialogItem& item, int id, const wxRect& r) {
  long s = wxLC_REPORT;
  if (item.style & kSingleSel) s |= wxLC_SINGLE_SEL;
  if (item.style & kEditLabels) s |= wxLC_EDIT_LABELS;
  if (item.style & kNoHeader) s |= wxLC_NO_HEADER;
  s |= (item.style & kBorder) ? wxBORDER_SUNKEN : wxBORDER_THEME;
  return new wxListCtrl(parent, id, r.GetPosition(), r.GetSize(), s);
}

wxWindow* MakeTree(wxWindow* parent, const DialogItem& item, int id, const wxRect& r) {
  // Trees of the program have several top-level items: the toolkit's single
  // root stays hidden.
  long s = wxTR_HIDE_ROOT | wxTR_LINES_AT_ROOT;
  s |= (item.style & kHasButtons) ? wxTR_HAS_BUTTONS : wxTR_NO_BUTTONS;
  if (!(item.style & kHasLines)) s |= wxTR_NO_LINES;
  if (item.style & kSingleSel) s |= wxTR_SINGLE;
  if (item.style & kEditLabels) s |= wxTR_EDIT_LABELS;
  s |= (item.style & kBorder) ? wxBORDER_SUNKEN : wxBORDER_THEME;
  return new wxTreeCtrl(parent, id, r.GetPosition(), r.GetSize(), s);
}

wxWindow* MakeStandard(wxWindow* parent, const DialogItem& item, int id, const wxRect& r) {
  const wxPoint pos = r.GetPosition();
  const wxSize size = r.GetSize();
  const bool vertical = (item.style & kVertical) != 0;
  switch (item.kind) {
    case ControlKind::Static:
      return MakeStatic(parent, item, id, r);
    case ControlKind::GroupBox:
      return new wxStaticBox(parent, id, Text(item), pos, size);
    case ControlKind::Picture:
      return new wxStaticBitmap(parent, id, wxBitmapBundle(), pos, size);
    case ControlKind::Edit:
      return MakeEdit(parent, item, id, r);
    case ControlKind::ComboDropDown:
    case ControlKind::ComboDropList:
      return MakeCombo(parent, item, id, r);
    case ControlKind::ListReport:
      return MakeList(parent, item, id, r);
    case ControlKind::Tree:
      return MakeTree(parent, item, id, r);
    case ControlKind::Trackbar:
      return new wxSlider(
          parent, id, 0, 0, 100, pos, size,
          (vertical ? wxSL_VERTICAL : wxSL_HORIZONTAL) | ((item.style & kNoTicks) ? 0 : wxSL_AUTOTICKS));
    case ControlKind::Progress:
      return new wxGauge(parent, id, 100, pos, size,
                         (vertical ? wxGA_VERTICAL : wxGA_HORIZONTAL) | wxGA_SMOOTH);
    case ControlKind::Button:
    case ControlKind::DefButton: {
      auto* button = new wxButton(parent, id, Text(item), pos, size);
      if (item.kind == ControlKind::DefButton) button->SetDefault();
      return button;
    }
    case ControlKind::CheckBox:
      return new wxCheckBox(parent, id, Text(item), pos, size);
    case ControlKind::Radio:
      return new wxRadioButton(parent, id, Text(item), pos, size, (item.style & kGroup) ? wxRB_GROUP : 0);
    case ControlKind::Custom:
      break;
  }
  // A custom control nobody made: an empty panel keeps its place and id.
  return new wxPanel(parent, id, pos, size);
}

}  // namespace

SIZE DialogBaseUnits(const wxWindow* window) {
  int width = 0;
  int height = 0;
  window->GetTextExtent(kLatinLetters, &width, &height);
  return {(width / 26 + 1) / 2, window->GetCharHeight()};
}

wxRect MapDialogRect(const SIZE& baseUnits, int x, int y, int cx, int cy) {
  return {MulDiv(x, baseUnits.cx, 4), MulDiv(y, baseUnits.cy, 8), MulDiv(cx, baseUnits.cx, 4),
          MulDiv(cy, baseUnits.cy, 8)};
}

wxSize DialogClientSize(const SIZE& baseUnits, const DialogTemplate& tmpl) {
  return MapDialogRect(baseUnits, 0, 0, tmpl.cx, tmpl.cy).GetSize();
}

bool HasWidthFloor(const DialogItem& item) {
  return item.kind == ControlKind::CheckBox || item.kind == ControlKind::Radio;
}

bool HasHeightFloor(const DialogItem& item) {
  switch (item.kind) {
    case ControlKind::Button:
    case ControlKind::DefButton:
    case ControlKind::CheckBox:
    case ControlKind::Radio:
    case ControlKind::Trackbar:
    case ControlKind::ComboDropDown:
    case ControlKind::ComboDropList:
      return true;
    case ControlKind::Edit:
      return !(item.style & kMultiline);
    default:
      return false;
  }
}

wxRect FlooredRect(const DialogItem& item, const wxRect& templateRect, const wxSize& best) {
  wxRect r = templateRect;
  if (HasWidthFloor(item)) r.width = std::max(r.width, best.x);
  if (!HasHeightFloor(item)) return r;
  const int bestHeight = best.y;
  if (item.kind == ControlKind::ComboDropDown || item.kind == ControlKind::ComboDropList) {
    r.height = bestHeight;
    return r;
  }
  if (bestHeight <= r.height) return r;
  const int centre2 = 2 * r.y + r.height;  // twice the centre line, to stay exact
  r.height = bestHeight;
  r.y = (centre2 - bestHeight) / 2;
  return r;
}

wxRect FlooredRect(const DialogItem& item, const wxRect& templateRect, const wxSize& best,
                   const wxSize& client) {
  wxRect r = FlooredRect(item, templateRect, best);
  if (templateRect.GetRight() < client.x && r.GetRight() >= client.x) r.x = std::max(0, client.x - r.width);
  if (templateRect.GetBottom() < client.y && r.GetBottom() >= client.y)
    r.y = std::max(0, client.y - r.height);
  return r;
}

std::vector<wxWindow*> BuildDialogControls(wxWindow* parent, const DialogTemplate& tmpl,
                                           const ControlFactory& factory) {
  const SIZE units = DialogBaseUnits(parent);
  const wxSize client = DialogClientSize(units, tmpl);
  std::vector<wxWindow*> controls;
  controls.reserve(tmpl.items.size());
  for (const DialogItem& item : tmpl.items) {
    const int id = WxId(item.id);
    const wxRect rect = MapDialogRect(units, item.x, item.y, item.cx, item.cy);
    wxWindow* control = factory ? factory(parent, item, id, rect) : nullptr;
    if (control == nullptr) {
      // A height given at creation would become the control's natural height
      // as GTK reports it: leave it open so the floor sees the real need.
      wxRect created = rect;
      if (HasWidthFloor(item)) created.width = wxDefaultCoord;
      if (HasHeightFloor(item)) created.height = wxDefaultCoord;
      control = MakeStandard(parent, item, id, created);
    }
    // wx's natural size of some controls (edits) is below what GTK needs.
    const wxSize min = ControlMinSize(control);
    wxSize natural = control->GetBestSize();
    natural.IncTo(min);
    const wxRect placed = FloorToMinSize(FlooredRect(item, rect, natural, client), min);
    if (placed != control->GetRect()) control->SetSize(placed);
    if (item.style & kDisabled) control->Disable();
    if (item.style & kHidden) control->Hide();
    controls.push_back(control);
  }
  return controls;
}

}  // namespace ui

// The completing combo box.
#include "ui/combo_box_ext.h"

#include <string>
#include <vector>

#include "ui/core/auto_complete.h"

CComboBoxExt::CComboBoxExt() = default;

CComboBoxExt::~CComboBoxExt() = default;

bool CComboBoxExt::Create(wxWindow* parent, const ui::DialogItem& item, int wxId, const wxRect& rect) {
  long style = wxCB_DROPDOWN;
  if (item.style & ui::kSorted) style |= wxCB_SORT;
  // The template's height is that of the open list: the field takes its own.
  if (!wxComboBox::Create(parent, wxId, wxEmptyString, rect.GetPosition(), wxSize(rect.width, wxDefaultCoord),
                          0, nullptr, style)) {
    return false;
  }
  Bind(wxEVT_CHAR_HOOK, &CComboBoxExt::OnCharHook, this);
  Bind(wxEVT_TEXT, &CComboBoxExt::OnEditUpdate, this, GetId());
  Bind(wxEVT_KILL_FOCUS, &CComboBoxExt::OnKillFocus, this);
  return true;
}

void CComboBoxExt::OnCharHook(wxKeyEvent& event) {
  autoComplete_ = true;
  switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
      Dismiss();
      return;  // consumed: Escape must not close the dialog
    case WXK_BACK:
    case WXK_DELETE:
    case WXK_NUMPAD_DELETE:
      autoComplete_ = false;  // deleting must not complete again
      break;
    default:
      break;
  }
  event.Skip();
}

void CComboBoxExt::OnEditUpdate(wxCommandEvent& event) {
  event.Skip();  // the dialog may watch the text as well
  if (applying_ || !autoComplete_ || completionPending_) return;
  completionPending_ = true;
  CallAfter(&CComboBoxExt::ApplyCompletion);
}

void CComboBoxExt::ApplyCompletion() {
  completionPending_ = false;
  if (!autoComplete_) return;  // a deleting key came in between
  std::vector<std::string> items;
  items.reserve(GetCount());
  for (unsigned i = 0; i < GetCount(); ++i) items.push_back(GetString(i).utf8_string());
  long from = 0;
  long to = 0;
  GetSelection(&from, &to);
  const ui::Completion done = ui::AutoComplete(items, {GetValue().utf8_string(), from, to});
  applying_ = true;
  const wxString text = wxString::FromUTF8(done.edit.text);
  if (text != GetValue()) ChangeValue(text);
  SetSelection(done.edit.selStart, done.edit.selEnd);
  if (!done.matched) Dismiss();
  applying_ = false;
}

void CComboBoxExt::OnKillFocus(wxFocusEvent& event) {
  Dismiss();
  event.Skip();
}

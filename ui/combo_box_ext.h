// An editable combo box that completes what the user types from its list: the
// first item starting with the typed text (ignoring case) fills the field,
// with the part not typed selected, so typing on replaces it. Backspace and
// Delete do not complete again until the next other key; Escape is the combo
// box's own and never closes the dialog. Losing the focus closes the list.
//
// A dialog makes it in place of a template combo box (from its CreateControl):
//
//   auto* combo = new CComboBoxExt;
//   combo->Create(parent, item, wxId, rect);
//
// The completion is applied once the toolkit has finished with the change
// (for inserted text the field puts its caret after the insertion only after
// reporting it, which would undo the selection), so a test or a caller sees
// it after pending events have run.
//
// The list is not dropped down while completing: an open list takes the
// keyboard on GTK, and the next key typed would go to it instead of the field.
#pragma once

#include <wx/combobox.h>

#include "ui/core/dialog_table.h"

class CComboBoxExt : public wxComboBox {
 public:
  CComboBoxExt();
  ~CComboBoxExt() override;

  bool Create(wxWindow* parent, const ui::DialogItem& item, int wxId, const wxRect& rect);

  // Whether the next text change completes (on until Backspace or Delete).
  bool AutoCompleteOn() const { return autoComplete_; }

 private:
  void OnCharHook(wxKeyEvent& event);
  void OnEditUpdate(wxCommandEvent& event);
  void OnKillFocus(wxFocusEvent& event);
  void ApplyCompletion();

  bool autoComplete_ = true;
  bool completionPending_ = false;
  bool applying_ = false;
};

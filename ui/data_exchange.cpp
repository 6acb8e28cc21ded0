// Data exchange between members and controls, and its checks.
#include "ui/data_exchange.h"

#include <fmt/format.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "ui/dialog.h"
#include "ui/xmessage_box.h"

namespace ui {

namespace {

void DefaultReporter(wxWindow* owner, const std::string& text) {
  const std::string caption = wxTheApp != nullptr ? wxTheApp->GetAppDisplayName().utf8_string() : "";
  XMessageBox(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

DataExchangeReporter& Reporter() {
  static DataExchangeReporter reporter = DefaultReporter;
  return reporter;
}

wxString ToWx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

// Sets a control's text only when it differs, so an unchanged value raises
// no change notification.
void SetText(wxWindow* control, const wxString& text) {
  if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) {
    if (edit->GetValue() != text) edit->SetValue(text);
  } else if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
    if (combo->GetValue() != text) combo->SetValue(text);
  } else if (auto* choice = dynamic_cast<wxChoice*>(control)) {
    // A pick-only list shows text only as one of its entries.
    if (choice->GetStringSelection() != text && !choice->SetStringSelection(text))
      choice->SetSelection(wxNOT_FOUND);
  } else if (control->GetLabel() != text) {
    control->SetLabel(text);
  }
}

wxString GetText(const wxWindow* control) {
  if (const auto* edit = dynamic_cast<const wxTextCtrl*>(control)) return edit->GetValue();
  if (const auto* combo = dynamic_cast<const wxComboBox*>(control)) return combo->GetValue();
  if (const auto* choice = dynamic_cast<const wxChoice*>(control)) return choice->GetStringSelection();
  return control->GetLabel();
}

// A whole number with optional blanks around it, as typed into an edit.
bool ParseInt(const std::string& text, int& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return false;
  value = static_cast<int>(parsed);
  return true;
}

// The radio buttons of the group that starts at the template row of `id`.
std::vector<wxRadioButton*> RadioGroup(const CTemplateHost& host, int id) {
  std::vector<wxRadioButton*> group;
  const auto& items = host.Template().items;
  size_t i = 0;
  while (i < items.size() && items[i].id != id) ++i;
  for (size_t j = i; j < items.size(); ++j) {
    const DialogItem& item = items[j];
    if (item.kind != ControlKind::Radio || (j > i && (item.style & kGroup))) break;
    if (auto* radio = dynamic_cast<wxRadioButton*>(host.GetDlgItem(item.id))) group.push_back(radio);
  }
  return group;
}

}  // namespace

CDataExchange::CDataExchange(CTemplateHost& host, bool saveAndValidate)
    : host_(host), saveAndValidate_(saveAndValidate) {}

wxWindow* CDataExchange::PrepareCtrl(int id) {
  lastControl_ = host_.GetDlgItem(id);
  return lastControl_;
}

void CDataExchange::Fail(const std::string& text) {
  if (failed_) return;
  failed_ = true;
  if (!text.empty() && Reporter()) Reporter()(host_.Surface(), text);
  if (lastControl_ != nullptr) {
    lastControl_->SetFocus();
    if (auto* edit = dynamic_cast<wxTextCtrl*>(lastControl_)) edit->SelectAll();
  }
}

namespace detail {
void FailBinding(CDataExchange* pDX, int id) {
  // A row naming a control the template lacks is the program's own fault:
  // say so plainly rather than let a member stay unbound.
  pDX->Fail(fmt::format("Control {} is missing.", id));
}
}  // namespace detail

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
  if (pDX->Failed()) return;
  wxWindow* control = pDX->PrepareCtrl(id);
  if (control == nullptr) return detail::FailBinding(pDX, id);
  if (pDX->SaveAndValidate()) {
    value = GetText(control).utf8_string();
  } else {
    SetText(control, ToWx(value));
  }
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
  if (pDX->Failed()) return;
  wxWindow* control = pDX->PrepareCtrl(id);
  if (control == nullptr) return detail::FailBinding(pDX, id);
  if (!pDX->SaveAndValidate()) {
    SetText(control, wxString::Format("%d", value));
    return;
  }
  int parsed = 0;
  if (!ParseInt(GetText(control).utf8_string(), parsed)) {
    pDX->Fail("Enter an integer.");
    return;
  }
  value = parsed;
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
  if (pDX->Failed()) return;
  auto* check = dynamic_cast<wxCheckBox*>(pDX->PrepareCtrl(id));
  if (check == nullptr) return detail::FailBinding(pDX, id);
  if (pDX->SaveAndValidate()) {
    value = check->Is3State() ? static_cast<int>(check->Get3StateValue()) : (check->GetValue() ? 1 : 0);
  } else if (check->Is3State()) {
    check->Set3StateValue(value == 2 ? wxCHK_UNDETERMINED : (value != 0 ? wxCHK_CHECKED : wxCHK_UNCHECKED));
  } else {
    check->SetValue(value != 0);
  }
}

void DDX_Radio(CDataExchange* pDX, int id, int& value) {
  if (pDX->Failed()) return;
  if (pDX->PrepareCtrl(id) == nullptr) return detail::FailBinding(pDX, id);
  const std::vector<wxRadioButton*> group = RadioGroup(pDX->Host(), id);
  if (pDX->SaveAndValidate()) {
    value = -1;
    for (size_t i = 0; i < group.size(); ++i) {
      if (group[i]->GetValue()) value = static_cast<int>(i);
    }
    return;
  }
  for (size_t i = 0; i < group.size(); ++i) group[i]->SetValue(static_cast<int>(i) == value);
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& index) {
  if (pDX->Failed()) return;
  auto* list = dynamic_cast<wxItemContainer*>(pDX->PrepareCtrl(id));
  if (list == nullptr) return detail::FailBinding(pDX, id);
  if (pDX->SaveAndValidate()) {
    const int selection = list->GetSelection();
    index = selection == wxNOT_FOUND ? -1 : selection;
  } else {
    const bool valid = index >= 0 && static_cast<unsigned>(index) < list->GetCount();
    list->SetSelection(valid ? index : wxNOT_FOUND);
  }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue) {
  if (pDX->Failed() || !pDX->SaveAndValidate()) return;
  if (value < minValue || value > maxValue) {
    pDX->Fail(fmt::format("Enter an integer between {} and {}.", minValue, maxValue));
  }
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int count) {
  if (pDX->Failed()) return;
  if (!pDX->SaveAndValidate()) {
    // The last control prepared is the edit the value came from.
    if (auto* edit = dynamic_cast<wxTextCtrl*>(pDX->LastControl())) edit->SetMaxLength(count);
    return;
  }
  if (static_cast<int>(wxString::FromUTF8(value.data(), value.size()).length()) > count) {
    pDX->Fail(fmt::format("Enter no more than {} characters.", count));
  }
}

DataExchangeReporter SetDataExchangeReporter(DataExchangeReporter reporter) {
  DataExchangeReporter previous = std::move(Reporter());
  Reporter() = std::move(reporter);
  return previous;
}

}  // namespace ui

// Dialog data exchange: a dialog or page moves values between its members and
// its controls by listing one DDX_ call per control in DoDataExchange, and
// checks them with DDV_ calls right after the DDX_ call they check:
//
//   void CEditAlbum::DoDataExchange(ui::CDataExchange* pDX) {
//     ui::DDX_Text(pDX, IDC_YEAR, year_);
//     ui::DDV_MinMaxInt(pDX, year_, 1, 2100);
//     ui::DDX_Radio(pDX, IDC_SOURCE_BOTH, source_);
//   }
//
// UpdateData(false) fills the controls; UpdateData(true) reads them. The
// first value that cannot be read or fails its check is reported to the user
// ("Enter an integer.", "Enter an integer between 1 and 2100."), the focus
// goes to its control, and the rest of the exchange is skipped.
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace ui {

class CTemplateHost;

class CDataExchange {
 public:
  CDataExchange(CTemplateHost& host, bool saveAndValidate);
  CDataExchange(const CDataExchange&) = delete;
  CDataExchange& operator=(const CDataExchange&) = delete;

  // True: controls to members, with checks; false: members to controls.
  bool SaveAndValidate() const { return saveAndValidate_; }
  CTemplateHost& Host() const { return host_; }
  // The control `id` that the next DDV_ call refers to, or null (the
  // exchange then fails: a DDX_ row names a control the template lacks).
  wxWindow* PrepareCtrl(int id);
  // The control prepared last.
  wxWindow* LastControl() const { return lastControl_; }
  // Reports `text` to the user, puts the focus on the last prepared control
  // and skips the rest of the exchange.
  void Fail(const std::string& text);
  bool Failed() const { return failed_; }

 private:
  CTemplateHost& host_;
  bool saveAndValidate_;
  bool failed_ = false;
  wxWindow* lastControl_ = nullptr;
};

// Text of an edit, combo box, label, or the picked entry of a drop-down list.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// A whole number in an edit ("Enter an integer." when it is none).
void DDX_Text(CDataExchange* pDX, int id, int& value);
// A check box: 0 clear, 1 checked, 2 undetermined (three-state boxes).
void DDX_Check(CDataExchange* pDX, int id, int& value);
// The checked button of the radio group that starts at `id` (the group runs
// in template order up to the next group start or non-radio control); -1
// when none is checked.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
// Selected index of a combo box or choice; -1 for none.
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
// Binds a member to the control itself (checks its class).
template <class C>
void DDX_Control(CDataExchange* pDX, int id, C*& control);

// Checks a value read by the DDX_ call just before (only while reading).
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue);
// Limits an edit's text: while filling the control sets its limit, while
// reading refuses longer text ("Enter no more than N characters.").
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int count);

// Where failed checks are reported. The default shows the program's message
// box over `owner`; tests record the text instead. Returns the previous one.
using DataExchangeReporter = std::function<void(wxWindow* owner, const std::string& text)>;
DataExchangeReporter SetDataExchangeReporter(DataExchangeReporter reporter);

// ---- implementation

namespace detail {
void FailBinding(CDataExchange* pDX, int id);
}

template <class C>
void DDX_Control(CDataExchange* pDX, int id, C*& control) {
  if (pDX->Failed()) return;
  control = dynamic_cast<C*>(pDX->PrepareCtrl(id));
  if (control == nullptr) detail::FailBinding(pDX, id);
}

}  // namespace ui

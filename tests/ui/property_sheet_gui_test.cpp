#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <array>
#include <functional>
#include <thread>

#include "tests/support/gui/gui_test_support.h"
#include "tests/support/gui/sample_pages.h"
#include "ui/data_exchange.h"
#include "ui/property_sheet.h"
#include "ui/registered_message.h"

namespace {

class Page : public ui::CPropertyPage {
 public:
  explicit Page(const ui::DialogTemplate& tmpl) : CPropertyPage(tmpl) {}
  int applied = 0;
  bool OnApply() override {
    ++applied;
    return true;
  }
};

// The fields of one dialog exchanged in every way the layer offers.
constexpr int IDC_NAME = 1001, IDC_COUNT = 1002, IDC_ALL = 1003, IDC_FIRST = 1004, IDC_SECOND = 1005,
              IDC_LIST = 1006, IDC_OTHER = 1007;
constexpr ui::DialogItem kFieldItems[] = {
    {ui::ControlKind::Edit, IDC_NAME, "", 7, 7, 100, 12},
    {ui::ControlKind::Edit, IDC_COUNT, "", 7, 22, 40, 12},
    {ui::ControlKind::Static, IDC_STATIC, "times", 50, 24, 40, 9},
    {ui::ControlKind::CheckBox, IDC_ALL, "All", 7, 37, 60, 10},
    {ui::ControlKind::Radio, IDC_FIRST, "First", 7, 50, 60, 10, ui::kGroup},
    {ui::ControlKind::Radio, IDC_SECOND, "Second", 7, 62, 60, 10},
    {ui::ControlKind::ComboDropList, IDC_LIST, "", 7, 75, 100, 40},
    {ui::ControlKind::Radio, IDC_OTHER, "Other group", 7, 92, 60, 10, ui::kGroup},
    {ui::ControlKind::DefButton, IDOK, "OK", 60, 106, 50, 14},
};
constexpr ui::DialogTemplate kFields{600, "Fields", 120, 124, ui::kDialogDefault, kFieldItems};

class FieldsDlg : public ui::CDialog {
 public:
  FieldsDlg() : ui::CDialog(kFields, nullptr) {}
  std::string name = "Abbey Road";
  int count = 7, all = 1, choice = 1, index = 1;
  bool withMissing = false;

 protected:
  bool OnInitDialog() override {
    GetDlgItemAs<wxChoice>(IDC_LIST)->Append(
        wxArrayString(3, std::array<const char*, 3>{"a", "b", "c"}.data()));
    return ui::CDialog::OnInitDialog();
  }
  void DoDataExchange(ui::CDataExchange* pDX) override {
    ui::DDX_Text(pDX, IDC_NAME, name);
    ui::DDV_MaxChars(pDX, name, 12);
    ui::DDX_Text(pDX, IDC_COUNT, count);
    ui::DDV_MinMaxInt(pDX, count, 1, 99);
    ui::DDX_Check(pDX, IDC_ALL, all);
    ui::DDX_Radio(pDX, IDC_FIRST, choice);
    ui::DDX_CBIndex(pDX, IDC_LIST, index);
    if (withMissing) ui::DDX_Text(pDX, 4242, name);
  }
};

class PropertySheetGui : public sample::ExchangeReportsTest {};

TEST_F(PropertySheetGui, TabsSwitchPagesAndApplyFollowsTheModifiedPages) {
  Page source(sample::kSourcePage), naming(sample::kNamingPage);
  auto format = std::make_unique<Page>(sample::kFormatPage);
  source.SetPageFlags(source.PageFlags() & ~ui::PSP_HASHELP);
  ui::CPropertySheet sheet("Settings", nullptr, 1);
  for (ui::CPropertyPage* p : std::initializer_list<ui::CPropertyPage*>{&source, &naming, format.get()})
    sheet.AddPage(p);
  gui_test::WhenModalShown([&](wxDialog&) {
    ui::CTabStrip* tabs = sheet.GetTabControl();
    ASSERT_EQ(tabs->GetItemCount(), 3);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_LE(tabs->GetItemRect(0).GetRight(), tabs->GetItemRect(1).x);
    EXPECT_EQ(naming.GetWindow()->GetRect(), sheet.GetPageRect());
    wxWindow* apply = sheet.GetDlgItem(ui::ID_APPLY_NOW);
    EXPECT_FALSE(apply->IsEnabled());
    EXPECT_TRUE(sheet.GetDlgItem(ui::IDHELP)->IsEnabled());  // the naming page has help
    gui_test::PumpFrames();
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&sheet), "property_sheet_tabs"));

    wxMouseEvent click(wxEVT_LEFT_DOWN);  // a click on the first tab
    click.SetPosition(tabs->GetItemRect(0).GetPosition() + wxPoint(4, 4));
    tabs->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_FALSE(sheet.GetDlgItem(ui::IDHELP)->IsEnabled());
    source.SetModified();
    EXPECT_TRUE(apply->IsEnabled());
    gui_test::Click(apply);
    EXPECT_FALSE(apply->IsEnabled());
    EXPECT_EQ(source.applied + naming.applied + format->applied, 2);  // the format page was never made

    format.reset();  // a page that goes away leaves the sheet
    EXPECT_EQ(tabs->GetItemCount(), 2);
    gui_test::PressKey(&sheet, WXK_PAGEUP, true);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    gui_test::Click(sheet.GetDlgItem(IDCANCEL));
  });
  EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}

TEST_F(PropertySheetGui, PagesAndTheirSheetMayGoInEitherOrder) {
  for (bool pageFirst : {false, true}) {
    auto page = std::make_unique<Page>(sample::kSourcePage);
    auto sheet = std::make_unique<ui::CPropertySheet>("Either order");
    sheet->AddPage(page.get());
    gui_test::WhenModalShown([&](wxDialog&) { gui_test::Click(sheet->GetDlgItem(IDCANCEL)); });
    EXPECT_EQ(sheet->DoModal(), IDCANCEL);
    ASSERT_TRUE(page->IsPageCreated());
    if (pageFirst) {
      page.reset();
      EXPECT_EQ(sheet->GetPageCount(), 0);
    } else {
      sheet.reset();
      EXPECT_FALSE(page->IsPageCreated());
      EXPECT_EQ(page->GetSheet(), nullptr);
    }
    gui_test::PumpEvents();
  }
}

TEST_F(PropertySheetGui, DataExchangeFillsReadsAndChecksEveryKindOfField) {
  FieldsDlg dlg;
  gui_test::WhenModalShown([&](wxDialog&) {
    EXPECT_EQ(dlg.GetDlgItemAs<wxTextCtrl>(IDC_NAME)->GetValue(), "Abbey Road");
    EXPECT_EQ(dlg.GetDlgItemAs<wxTextCtrl>(IDC_COUNT)->GetValue(), "7");
    EXPECT_TRUE(dlg.GetDlgItemAs<wxCheckBox>(IDC_ALL)->GetValue());
    EXPECT_TRUE(dlg.GetDlgItemAs<wxRadioButton>(IDC_SECOND)->GetValue());
    EXPECT_FALSE(dlg.GetDlgItemAs<wxRadioButton>(IDC_FIRST)->GetValue());
    EXPECT_EQ(dlg.GetDlgItemAs<wxChoice>(IDC_LIST)->GetSelection(), 1);
    EXPECT_EQ(ui::FindTemplateItem(dlg.GetDlgItem(IDC_LIST))->kind, ui::ControlKind::ComboDropList);
    wxWindow* label = dlg.ControlOfItem(2);  // a label is found again by its row
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetLabel(), "times");
    EXPECT_EQ(ui::FindTemplateItem(label)->kind, ui::ControlKind::Static);
    EXPECT_EQ(ui::FindTemplateItem(&dlg), nullptr);

    // Bad values: each stops the exchange with its message and OK stays open.
    const std::pair<const char*, const char*> bad[] = {
        {"0", "Enter an integer between 1 and 99."},
        {"7 apples", "Enter an integer."},
        {"", "Enter an integer."},
        {"99999999999", "Enter an integer."},
    };
    for (const auto& [text, message] : bad) {
      reports.clear();
      dlg.GetDlgItemAs<wxTextCtrl>(IDC_COUNT)->ChangeValue(text);
      gui_test::Click(dlg.GetDlgItem(IDOK));
      EXPECT_EQ(reports, (std::vector<std::string>{message})) << text;
      EXPECT_TRUE(dlg.IsModal());
      EXPECT_EQ(dlg.all, 1) << "fields after the bad one are not read";
    }
    // The name's limit is the edit's own: longer text does not get in.
    auto* name = dlg.GetDlgItemAs<wxTextCtrl>(IDC_NAME);
    name->ChangeValue("Sgt. Pepper's");
    EXPECT_NE(name->GetValue(), "Sgt. Pepper's");
    name->ChangeValue("Sgt. Pepper'");
    EXPECT_EQ(name->GetValue(), "Sgt. Pepper'");
    dlg.GetDlgItemAs<wxTextCtrl>(IDC_COUNT)->ChangeValue(" 12 ");
    dlg.withMissing = true;
    name->ChangeValue("Help!");
    EXPECT_FALSE(dlg.UpdateData(true));
    EXPECT_EQ(reports.back(), "Control 4242 is missing.");
    dlg.withMissing = false;

    gui_test::Click(dlg.GetDlgItem(IDC_ALL));
    gui_test::Click(dlg.GetDlgItem(IDC_FIRST));
    dlg.GetDlgItemAs<wxChoice>(IDC_LIST)->SetSelection(wxNOT_FOUND);
    gui_test::Click(dlg.GetDlgItem(IDOK));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ((std::tuple{dlg.name, dlg.count, dlg.all, dlg.choice, dlg.index}),
            (std::tuple{"Help!", 12, 0, 0, -1}));
}

TEST_F(PropertySheetGui, RegisteredMessagesReachHandlersInFrontOfTheWindow) {
  const unsigned message = ui::RegisterWindowMessage("WMU_TEST_SUPPORT");
  EXPECT_EQ(ui::RegisterWindowMessage("WMU_TEST_SUPPORT"), message);
  EXPECT_NE(ui::RegisterWindowMessage("WMU_TEST_OTHER"), message);
  EXPECT_GE(message, ui::kFirstRegisteredMessage);

  auto* window = new wxFrame(nullptr, wxID_ANY, "target");
  EXPECT_EQ(ui::SendRegisteredMessage(window, message, 1, 2), std::nullopt);  // nobody answers
  // A handler pushed in front of the window answers first, for the sends of
  // this thread and for the posts of a worker.
  wxEvtHandler hook;
  std::vector<ui::WPARAM> seen;
  hook.Bind(
      ui::wxEVT_UI_MESSAGE,
      [&](ui::UiMessageEvent& e) {
        seen.push_back(e.wParam());
        e.Reply(static_cast<ui::LRESULT>(e.wParam() + e.lParam()));
      },
      static_cast<int>(message));
  window->PushEventHandler(&hook);
  EXPECT_EQ(ui::SendRegisteredMessage(window, message, 40, 2), 42);
  std::shared_ptr<ui::Mailbox> box = ui::MailboxOf(window);
  EXPECT_EQ(ui::MailboxOf(window), box);
  std::thread worker([&] { box->Post(message, 7, 0); });
  worker.join();
  EXPECT_TRUE(gui_test::PumpUntil([&] { return seen.size() == 2; }));
  EXPECT_EQ(seen, (std::vector<ui::WPARAM>{40, 7}));
  window->PopEventHandler();
  window->Destroy();
  gui_test::PumpEvents();
  EXPECT_FALSE(box->IsAttached());  // the window went: its mailbox drops what comes
}

}  // namespace

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/gui/gui_test_support.h"
#include "ui/dialog.h"
#include "ui/message_map.h"
#include "ui/ui_message.h"

namespace {

using ui::ControlKind;

constexpr int IDC_NAME = 1001;
constexpr int IDC_APPLY = 1002;
constexpr int IDC_FINISH = 1003;
constexpr int ID_OPTIONS = 32775;  // a menu command above the toolkit's id limit
constexpr unsigned WM_TEST_TEXT = WM_USER + 100;
constexpr unsigned WM_TEST_ASK = WM_USER + 101;

constexpr ui::DialogItem kItems[] = {
    {ControlKind::Edit, IDC_NAME, "", 7, 7, 120, 12},
    {ControlKind::Button, IDC_APPLY, "&Apply", 7, 25, 50, 14},
    {ControlKind::Button, IDC_FINISH, "&Finish", 60, 25, 50, 14},
    {ControlKind::DefButton, IDOK, "OK", 7, 45, 50, 14},
    {ControlKind::Button, IDCANCEL, "Cancel", 60, 45, 50, 14},
};
constexpr ui::DialogTemplate kTemplate{500, "Test Dialog", 140, 66, ui::kDialogDefault, kItems};

class TestDlg : public ui::CDialog {
 public:
  explicit TestDlg(wxWindow* parent = nullptr);
  ~TestDlg() override { mailbox->Detach(); }

  int applied = 0, firstRow = 0, secondRow = 0, options = 0, destroyedCalls = 0;
  std::vector<unsigned> drives;
  std::string destroyedName;
  std::vector<std::string> texts;
  bool endInInit = false;
  std::shared_ptr<ui::Mailbox> mailbox;
  static const ui::MapRow<TestDlg> kMessageMap[];

 protected:
  bool OnInitDialog() override {
    CDialogT::OnInitDialog();
    GetDlgItemAs<wxTextCtrl>(IDC_NAME)->ChangeValue("initial");
    if (endInInit) EndDialog(77);
    return true;
  }

 private:
  void OnApply() { ++applied; }
  void OnFinishFirst() {
    ++firstRow;
    EndDialog(42);
  }
  void OnFinishSecond() { ++secondRow; }
  void OnOptions() { ++options; }
  void OnDriveMenu(unsigned id) { drives.push_back(id); }
  void OnDestroyed() {
    ++destroyedCalls;
    destroyedName = GetDlgItemAs<wxTextCtrl>(IDC_NAME)->GetValue().utf8_string();
  }
  ui::LRESULT OnText(ui::UiMessageEvent& e) {
    if (const auto* text = e.Payload<std::string>()) texts.push_back(*text);
    return 0;
  }
  ui::LRESULT OnAsk(ui::WPARAM w, ui::LPARAM l) { return static_cast<ui::LRESULT>(w) * 10 + l; }
};

const ui::MapRow<TestDlg> TestDlg::kMessageMap[] = {
    ui::OnBnClicked(IDC_APPLY, &TestDlg::OnApply),
    ui::OnBnClicked(IDC_FINISH, &TestDlg::OnFinishFirst),
    ui::OnBnClicked(IDC_FINISH, &TestDlg::OnFinishSecond),  // never reached: the first row wins
    ui::OnCommand(ID_OPTIONS, &TestDlg::OnOptions),
    ui::OnCommandRange(101, 110, &TestDlg::OnDriveMenu),
    ui::OnMessage(WM_TEST_TEXT, &TestDlg::OnText),
    ui::OnMessage(WM_TEST_ASK, &TestDlg::OnAsk),
    ui::OnWmDestroy(&TestDlg::OnDestroyed),
};

TestDlg::TestDlg(wxWindow* parent) : ui::CDialog(kTemplate, parent) {
  ui::BindMessageMap(this, kMessageMap);
  mailbox = std::make_shared<ui::Mailbox>(this);
}

// A derived dialog whose own row for a control wins over its base's.
class DerivedDlg : public TestDlg {
 public:
  DerivedDlg();
  int derivedApplied = 0;

 private:
  void OnApplyHere() { ++derivedApplied; }
  void OnOKHere() { EndDialog(IDCANCEL + 100); }
  static const ui::MapRow<DerivedDlg> kDerivedMap[];
};

const ui::MapRow<DerivedDlg> DerivedDlg::kDerivedMap[] = {
    ui::OnBnClicked(IDC_APPLY, &DerivedDlg::OnApplyHere),
    ui::OnCommand(IDOK, &DerivedDlg::OnOKHere),
};

DerivedDlg::DerivedDlg() { ui::BindMessageMap(this, kDerivedMap); }

int RunWith(ui::CDialog& dlg, std::function<void(TestDlg&)> action) {
  gui_test::WhenModalShown([action](wxDialog& shown) { action(dynamic_cast<TestDlg&>(shown)); });
  return dlg.DoModal();
}

TEST(Dialog, TheMessageMapNamesOnlyControlsOfItsTemplate) {
  const std::vector<int> ids = ui::ControlIdsOf(TestDlg::kMessageMap);
  EXPECT_EQ(ids, (std::vector<int>{IDC_APPLY, IDC_FINISH, IDC_FINISH}));  // menu and message rows name none
  const auto faults = ui::CheckDialogTemplate(kTemplate, ids);
  EXPECT_TRUE(faults.empty()) << faults.front();
}

// The ways a user ends a dialog give 1 and 2, never the toolkit's own numbers.
TEST(Dialog, OkEnterEscapeCancelAndCloseEndWithOneOrTwo) {
  const std::pair<std::function<void(TestDlg&)>, int> cases[] = {
      {[](TestDlg& d) { gui_test::Click(d.GetDlgItem(IDOK)); }, IDOK},
      {[](TestDlg& d) {
         d.GetDlgItem(IDC_NAME)->SetFocus();
         d.GetDlgItem(IDOK)->Disable();
         gui_test::PressKey(&d, WXK_RETURN);  // a disabled default does nothing
         EXPECT_TRUE(d.IsModal());
         d.GetDlgItem(IDOK)->Enable();
         gui_test::PressKey(&d, WXK_RETURN);
       },
       IDOK},
      {[](TestDlg& d) { gui_test::PressKey(&d, WXK_ESCAPE); }, IDCANCEL},
      {[](TestDlg& d) { gui_test::Click(d.GetDlgItem(IDCANCEL)); }, IDCANCEL},
      {[](TestDlg& d) { d.Close(); }, IDCANCEL},
  };
  int i = 0;
  for (const auto& [action, expected] : cases) {
    TestDlg dlg;
    EXPECT_EQ(RunWith(dlg, action), expected) << "case " << i;
    EXPECT_EQ(dlg.Result(), expected) << "case " << i++;
  }
}

TEST(Dialog, MessageMapRowsDispatchFirstRowFirstAndDerivedOverBase) {
  TestDlg dlg;
  EXPECT_EQ(RunWith(dlg,
                    [](TestDlg& d) {
                      for (int id : {ui::WxId(ID_OPTIONS), 101, 105, 110, 111}) {  // above the id limit, ranges
                        wxCommandEvent menu(wxEVT_MENU, id);
                        menu.SetEventObject(&d);
                        d.ProcessWindowEvent(menu);
                      }
                      gui_test::Click(d.GetDlgItem(IDC_APPLY));
                      gui_test::Click(d.GetDlgItem(IDC_APPLY));
                      gui_test::Click(d.GetDlgItem(IDC_FINISH));
                    }),
            42);
  EXPECT_EQ(dlg.options, 1);
  EXPECT_EQ(dlg.drives, (std::vector<unsigned>{101, 105, 110}));
  EXPECT_EQ(dlg.applied, 2);
  EXPECT_EQ(dlg.firstRow, 1);
  EXPECT_EQ(dlg.secondRow, 0);

  DerivedDlg derived;
  EXPECT_EQ(RunWith(derived,
                    [](TestDlg& d) {
                      gui_test::Click(d.GetDlgItem(IDC_APPLY));
                      gui_test::Click(d.GetDlgItem(IDOK));
                    }),
            IDCANCEL + 100);
  EXPECT_EQ(derived.derivedApplied, 1);
  EXPECT_EQ(derived.applied, 0);
}

TEST(Dialog, ControlsAreFoundByTheProgramsIdsAndTheDestroyRowRunsOnce) {
  TestDlg dlg;
  RunWith(dlg, [](TestDlg& d) {
    EXPECT_NE(d.GetDlgItemAs<wxButton>(IDC_APPLY), nullptr);
    EXPECT_EQ(d.GetDlgItemAs<wxButton>(IDC_NAME), nullptr);  // wrong class
    EXPECT_EQ(d.GetDlgItem(IDC_STATIC), nullptr);
    EXPECT_EQ(d.GetDlgItem(4242), nullptr);
    EXPECT_EQ(d.GetDlgItemAs<wxTextCtrl>(IDC_NAME)->GetValue(), "initial");
    EXPECT_EQ(d.GetClientSize(), ui::DialogClientSize(d.BaseUnits(), kTemplate));
    d.GetDlgItemAs<wxTextCtrl>(IDC_NAME)->ChangeValue("typed");
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(dlg.destroyedCalls, 1);
  EXPECT_EQ(dlg.destroyedName, "typed");  // while the dialog still exists

  TestDlg early;  // ending in OnInitDialog returns without showing
  early.endInInit = true;
  gui_test::NoModalExpected guard;
  EXPECT_EQ(early.DoModal(), 77);
  EXPECT_EQ(early.destroyedCalls, 1);
}

TEST(Dialog, AFrameDialogRunsItsOwnLoopAndEndsWithTheNumberGiven) {
  class FrameDlg : public ui::CFrameDialog {
   public:
    FrameDlg() : ui::CFrameDialog(kTemplate, nullptr) {}
  };
  auto* frame = new FrameDlg;  // frames are destroyed through wx
  frame->CallAfter([frame] {
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(frame->Surface()->GetSize(), frame->GetClientSize());
    gui_test::Click(frame->GetDlgItem(IDCANCEL));
  });
  EXPECT_EQ(frame->DoModal(), IDCANCEL);
  EXPECT_NE(frame->Surface(), frame);
  EXPECT_EQ(frame->GetDlgItem(IDOK)->GetParent(), frame->Surface());
  frame->Destroy();
  gui_test::PumpEvents();
}

TEST(UiMessage, WorkersPostPayloadsThatTheWindowHandlesOnItsThread) {
  TestDlg dlg;
  std::thread::id handlerThread;
  RunWith(dlg, [&](TestDlg& d) {
    std::thread worker([box = d.mailbox] {
      for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(box->Post(WM_TEST_TEXT, 0, 0, std::string("line ") + char('1' + i)));
      EXPECT_TRUE(box->Post(WM_TEST_TEXT, 0, 0, 12345));  // another payload type: ignored by the handler
    });
    worker.join();
    auto* child = new wxPanel(&d, wxID_ANY);  // messages do not travel to parent windows
    ui::Mailbox childBox(child);
    EXPECT_TRUE(childBox.Post(WM_TEST_TEXT, 0, 0, std::string("for the child")));
    EXPECT_TRUE(gui_test::PumpUntil([&] { return d.texts.size() == 3; }));
    gui_test::PumpEvents();
    childBox.Detach();
    handlerThread = std::this_thread::get_id();
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(dlg.texts, (std::vector<std::string>{"line 1", "line 2", "line 3"}));
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST(UiMessage, ABlockingSendReturnsTheHandlersAnswerOrGivesUpOnStop) {
  TestDlg dlg;
  RunWith(dlg, [&](TestDlg& d) {
    std::optional<ui::LRESULT> answer;
    std::atomic<bool> done{false};
    std::thread worker([&, box = d.mailbox] {
      answer = box->Send(WM_TEST_ASK, 4, 2, {}, [] { return false; });
      done = true;
    });
    EXPECT_TRUE(gui_test::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(answer, 42);
    // From the window's own thread the message is handled at once.
    EXPECT_EQ(d.mailbox->Send(WM_TEST_ASK, 1, 3, {}, {}), 13);
    // A message nobody handles gets no answer.
    EXPECT_EQ(d.mailbox->Send(WM_USER + 555, 0, 0, {}, {}), std::nullopt);
    // The window thread is busy (it does not pump): only the stop flag can end this wait.
    std::atomic<bool> stop{false};
    answer = -1;
    std::thread blocked(
        [&, box = d.mailbox] { answer = box->Send(WM_TEST_ASK, 1, 1, {}, [&] { return stop.load(); }); });
    stop = true;
    blocked.join();
    EXPECT_EQ(answer, std::nullopt);
    d.EndDialog(IDOK);
  });
}

// An event target that tells when something was queued to it.
class WatchedTarget : public wxEvtHandler {
 public:
  void QueueEvent(wxEvent* event) override {
    wxEvtHandler::QueueEvent(event);
    queued = true;
  }
  std::atomic<bool> queued{false};
};

TEST(UiMessage, MessagesToAWindowThatHasGoneAreDroppedAndQueuedSendsAnswered) {
  auto box = std::make_shared<ui::Mailbox>(nullptr);
  EXPECT_FALSE(box->Post(WM_TEST_TEXT));
  EXPECT_EQ(box->Send(WM_TEST_ASK, 0, 0, {}, {}), std::nullopt);
  std::shared_ptr<ui::Mailbox> kept;
  {
    TestDlg dlg;
    kept = dlg.mailbox;
    EXPECT_TRUE(kept->IsAttached());
  }
  EXPECT_FALSE(kept->IsAttached());
  EXPECT_FALSE(kept->Post(WM_TEST_TEXT, 0, 0, std::string("late")));
  std::thread worker([kept] { EXPECT_EQ(kept->Send(WM_TEST_ASK, 0, 0, {}, {}), std::nullopt); });
  worker.join();

  auto target = std::make_unique<WatchedTarget>();
  ui::Mailbox queuedBox(target.get());
  std::optional<ui::LRESULT> answer{-1};
  std::thread sender([&] { answer = queuedBox.Send(WM_TEST_ASK, 1, 1, {}, {}); });
  for (int i = 0; i < 20000 && !target->queued; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(target->queued);
  // The window goes with the message still queued: the sender is not left waiting.
  queuedBox.Detach();
  target.reset();
  sender.join();
  EXPECT_EQ(answer, std::nullopt);
}

}  // namespace

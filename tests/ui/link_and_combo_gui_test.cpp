// The link label and the completing combo box on a small dialog. Links are
// opened through a recording xdg-open; error boxes are answered from the test.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/stattext.h>

#include <fstream>

#include "tests/support/gui/gui_test_support.h"
#include "ui/combo_box_ext.h"
#include "ui/dialog.h"
#include "ui/hyperlink.h"
#include "ui/xmessage_box.h"

namespace {

constexpr int kHomeLink = 1141;
constexpr int kMailLink = 1142;
constexpr int kGenre = 1258;
constexpr int kFormat = 1056;
constexpr ui::DialogItem kItems[] = {
    {ui::ControlKind::Static, kHomeLink, "Visit our home page", 7, 7, 150, 10},
    {ui::ControlKind::Static, kMailLink, "", 7, 21, 150, 10},
    {ui::ControlKind::ComboDropDown, kGenre, "", 7, 38, 100, 80},
    {ui::ControlKind::DefButton, IDOK, "OK", 113, 38, 44, 14},
    {ui::ControlKind::ComboDropList, kFormat, "", 7, 58, 100, 60},
};
constexpr ui::DialogTemplate kLinkDialog{9001, "Links", 164, 78, ui::kDialogDefault, kItems};

template <class F>
F Gtk(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

const std::string kHome = "https://www.example.org/quarno?a=1&b='2';x";
const std::string kMail = "mailto:support@example.org";

class LinkDlg : public ui::CDialog {
 public:
  LinkDlg() : ui::CDialog(kLinkDialog, nullptr) {}
  CHyperLink* Link(int id) const { return GetDlgItemAs<CHyperLink>(id); }
  CComboBoxExt* Genre() const { return GetDlgItemAs<CComboBoxExt>(kGenre); }

 protected:
  wxWindow* CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId,
                          const wxRect& rect) override {
    if (item.id == kHomeLink || item.id == kMailLink) {
      auto* link = new CHyperLink;
      if (item.id == kMailLink) link->SetTarget(kMail);  // before attaching: the empty text shows it
      link->Create(parent, item, wxId, rect);
      return link;
    }
    if (item.id == kGenre) {
      auto* combo = new CComboBoxExt;
      combo->Create(parent, item, wxId, rect);
      return combo;
    }
    return nullptr;
  }

 public:
  std::vector<int> picked;  // what the drop-down list reported, in order

 protected:
  bool OnInitDialog() override {
    Link(kHomeLink)->SetTarget(kHome);
    Genre()->Append("Rock");
    Genre()->Append("Rap");
    for (const char* format : {" WAV    (Waveform Audio)", " MP3    (MPEG-1 Audio Layer 3)"})
      GetDlgItemAs<wxChoice>(kFormat)->Append(format);
    GetDlgItemAs<wxChoice>(kFormat)->SetSelection(0);
    Bind(wxEVT_CHOICE, [this](wxCommandEvent& e) { picked.push_back(e.GetSelection()); });
    return true;
  }
};

// A key typed into the combo box: first as the keyboard hook sees it, then,
// unless something took it, what the text field does with it.
void Type(wxComboBox* combo, int key) {
  if (!gui_test::PressKey(combo, key)) {
    long from = 0;
    long to = 0;
    combo->GetSelection(&from, &to);
    if (key == WXK_BACK) {
      if (from == to && from > 0) --from;
      combo->Remove(from, to);
    } else {
      combo->WriteText(wxString(static_cast<wxChar>(key)));
    }
  }
  gui_test::PumpEvents();
}

std::string FieldOf(wxComboBox* combo) {
  long from = 0;
  long to = 0;
  combo->GetSelection(&from, &to);
  return combo->GetValue().utf8_string() + " " + std::to_string(from) + ".." + std::to_string(to);
}

class LinkAndComboTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dlg_->Create());
    dlg_->Move(0, 0);
    dlg_->Show();
  }
  void TearDown() override {
    dlg_->DestroyWindow();
    gui_test::PumpEvents();
  }
  // Clicks `link`, expecting an error box; returns its text.
  std::string ClickExpectingError(CHyperLink* link) {
    std::string text = "<no box>";
    gui_test::WhenModalShown(
        [&](wxDialog& d) {
          auto& box = dynamic_cast<CXMessageDialog&>(d);
          text = box.GetDlgItemAs<wxStaticText>(kXmbFirstTextId)->GetLabelText().utf8_string();
          box.EndDialog(IDOK);
        },
        [](wxDialog& d) { return d.GetName() == CXMessageDialog::kWindowName; });
    gui_test::MouseDown(link);
    return text;
  }
  static bool Underlined(CHyperLink* link) { return link->GetFont().GetUnderlined(); }

  gui_test::TempDir dir_;
  gui_test::RecordingXdgOpen xdg_;
  LinkDlg* dlg_ = new LinkDlg;
};

TEST_F(LinkAndComboTest, LinksShowTextOrTargetFittedAndAClickOpensTheTargetAsOneArgument) {
  gui_test::NoModalExpected noBox;
  CHyperLink* home = dlg_->Link(kHomeLink);
  CHyperLink* mail = dlg_->Link(kMailLink);
  EXPECT_EQ(home->GetLabelText(), "Visit our home page");
  EXPECT_EQ(home->GetToolTipText(), kHome);
  EXPECT_EQ(mail->GetLabelText(), kMail);  // empty text: the target is shown
  for (CHyperLink* link : {home, mail}) {
    wxCoord width = 0;
    wxCoord height = 0;
    const wxFont font = link->GetFont().Underlined();  // measured as when hovered, so hovering never cuts it
    link->GetTextExtent(link->GetLabelText(), &width, &height, nullptr, nullptr, &font);
    EXPECT_EQ(link->GetSize(), wxSize(width, height));  // fitted, left and top kept
    EXPECT_EQ(link->GetForegroundColour(), wxColour(0, 0, 238));
  }
  EXPECT_EQ(home->GetPosition(), ui::MapDialogRect(dlg_->BaseUnits(), 7, 7, 0, 0).GetPosition());

  gui_test::MouseDown(home);
  EXPECT_EQ(xdg_.Opened(), kHome + "|");
  EXPECT_TRUE(home->GetVisited());
  EXPECT_EQ(home->GetForegroundColour(), wxColour(85, 26, 139));

  // A link without a target opens its text.
  mail->SetTarget("");
  EXPECT_EQ(mail->GotoURL(mail->GetLabelText().utf8_string()), ui::kLinkOpened);
  EXPECT_EQ(xdg_.Opened(), kMail + "|");

  const std::string file = dir_ / "notes of mine.txt";
  std::ofstream(file) << "x";
  EXPECT_GT(mail->GotoURL(file), 32);
  EXPECT_EQ(xdg_.Opened(), file + "|");
}

TEST_F(LinkAndComboTest, WhatCannotBeOpenedIsToldAndTheLinkStaysUnvisited) {
  CHyperLink* home = dlg_->Link(kHomeLink);
  const std::string noHandler = "There is no application associated\nwith the given filename extension.";
  const std::tuple<std::string, const char*, std::string, bool> cases[] = {
      {kHome, "3", noHandler, true},  // the handler itself fails
      {"ftp://example.org/", "0", noHandler, false},
      {dir_ / "missing.txt", "0", "The specified file was not found.", false}};
  for (const auto& [target, exitStatus, reason, run] : cases) {
    setenv("QCR_XDG_EXIT", exitStatus, 1);
    home->SetTarget(target);
    EXPECT_EQ(ClickExpectingError(home), "Unable to open hyperlink:\n\n" + reason) << target;
    EXPECT_EQ(xdg_.Opened() == target + "|", run) << target;
    EXPECT_FALSE(home->GetVisited()) << target;
    EXPECT_EQ(home->GetForegroundColour(), wxColour(0, 0, 238)) << target;
  }
}

TEST_F(LinkAndComboTest, HoveringColoursAndUnderlinesByMode) {
  CHyperLink* home = dlg_->Link(kHomeLink);
  // The pointer stays where it is (other tests share the display): the
  // dialog moves off it instead.
  const wxPoint pointer = wxGetMousePosition();
  if (dlg_->GetScreenRect().Contains(pointer)) dlg_->Move(pointer.x + 20, pointer.y + 20);
  ASSERT_FALSE(home->GetScreenRect().Contains(wxGetMousePosition()));
  const auto hover = [&] {
    wxMouseEvent move(wxEVT_MOTION);
    move.SetEventObject(home);
    home->GetEventHandler()->ProcessEvent(move);
  };
  dlg_->GetDlgItem(IDOK)->SetFocus();  // the link's focus would underline it too
  gui_test::PumpEvents();
  hover();
  EXPECT_TRUE(home->IsHovering());
  EXPECT_TRUE(Underlined(home));
  EXPECT_EQ(home->GetForegroundColour(), wxColour(255, 0, 0));
  // The hover timer sees the pointer outside and ends the hover.
  EXPECT_TRUE(gui_test::PumpUntil([&] { return !home->IsHovering(); }));
  EXPECT_FALSE(Underlined(home));
  EXPECT_EQ(home->GetForegroundColour(), wxColour(0, 0, 238));

  home->SetUnderline(CHyperLink::kUnderlineAlways);
  EXPECT_TRUE(Underlined(home));
  home->SetUnderline(CHyperLink::kUnderlineNever);
  hover();
  EXPECT_FALSE(Underlined(home));
  EXPECT_EQ(home->GetForegroundColour(), wxColour(255, 0, 0));
}

TEST_F(LinkAndComboTest, TypingCompletesAndBackspaceDoesNotCompleteAgain) {
  CComboBoxExt* genre = dlg_->Genre();
  genre->SetFocus();
  Type(genre, 'R');
  EXPECT_EQ(FieldOf(genre), "Rock 1..4");
  ASSERT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(dlg_), "link_and_combo_normal"));
  Type(genre, WXK_BACK);  // removes the completed part
  EXPECT_EQ(FieldOf(genre), "R 1..1");
  EXPECT_FALSE(genre->AutoCompleteOn());
  Type(genre, 'a');
  EXPECT_EQ(FieldOf(genre), "Rap 2..3");
  Type(genre, 'x');  // replaces "p": nothing starts with "Rax"
  EXPECT_EQ(FieldOf(genre), "Rax 3..3");
  dlg_->Link(kHomeLink)->SetVisited(true);
  ASSERT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(dlg_), "link_and_combo_visited"));
  const wxRect client(wxPoint(0, 0), dlg_->GetClientSize());
  for (int id : {kHomeLink, kMailLink, kGenre, IDOK}) {
    EXPECT_TRUE(client.Contains(dlg_->GetDlgItem(id)->GetRect())) << id;
  }
  EXPECT_FALSE(dlg_->GetDlgItem(kGenre)->GetRect().Intersects(dlg_->GetDlgItem(IDOK)->GetRect()));
}

TEST_F(LinkAndComboTest, LinksAreTabStopsThatEnterAndSpaceOpen) {
  gui_test::NoModalExpected noBox;
  CHyperLink* home = dlg_->Link(kHomeLink);
  CHyperLink* mail = dlg_->Link(kMailLink);
  for (CHyperLink* link : {home, mail}) {
    EXPECT_TRUE(link->AcceptsFocusFromKeyboard());
    EXPECT_TRUE(Gtk<int (*)(void*)>("gtk_widget_get_can_focus")(link->GetHandle()));
  }
  EXPECT_TRUE(gui_test::PressKey(home, WXK_RETURN));  // taken: the dialog's OK is not pressed
  EXPECT_EQ(xdg_.Opened(), kHome + "|");
  EXPECT_TRUE(gui_test::PressKey(mail, WXK_SPACE));
  EXPECT_EQ(xdg_.Opened(), kMail + "|");
}

TEST_F(LinkAndComboTest, APickOnlyListIsADropDownButtonWithoutAFieldAndArrowKeysPick) {
  auto* format = dlg_->GetDlgItemAs<wxChoice>(kFormat);
  ASSERT_NE(format, nullptr);
  const auto hasEntry = Gtk<int (*)(void*)>("gtk_combo_box_get_has_entry");
  EXPECT_FALSE(hasEntry(format->GetHandle()));        // no caret, no second Tab stop
  EXPECT_TRUE(hasEntry(dlg_->Genre()->GetHandle()));  // the completing box stays editable
  // The keys GTK binds on the list, as the focused list receives them.
  const auto press = [&](unsigned key) {
    Gtk<int (*)(void*, unsigned, unsigned)>("gtk_bindings_activate")(format->GetHandle(), key, 0);
    gui_test::PumpEvents();
  };
  constexpr unsigned kDown = 0xff54;
  constexpr unsigned kUp = 0xff52;
  press(kDown);
  EXPECT_EQ(format->GetSelection(), 1);
  press(kDown);  // at the end: stays
  press(kUp);
  EXPECT_EQ(format->GetSelection(), 0);
  EXPECT_EQ(dlg_->picked, (std::vector<int>{1, 0}));
}

TEST_F(LinkAndComboTest, EscapeInTheComboBoxDoesNotCloseTheDialog) {
  dlg_->Hide();
  auto* modal = new LinkDlg;
  bool openAfterEscape = false;
  gui_test::WhenModalShown([&](wxDialog&) {
    Type(modal->Genre(), WXK_ESCAPE);
    openAfterEscape = modal->IsModal();
    gui_test::PressKey(modal, WXK_ESCAPE);  // outside the combo box it closes the dialog
  });
  EXPECT_EQ(modal->DoModal(), IDCANCEL);
  EXPECT_TRUE(openAfterEscape);
  modal->Destroy();
}

}  // namespace

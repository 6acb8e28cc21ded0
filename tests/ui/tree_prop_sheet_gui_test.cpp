#include <gtest/gtest.h>
#include <wx/artprov.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>

#include "tests/support/gui/gui_test_support.h"
#include "tests/support/gui/sample_pages.h"
#include "ui/data_exchange.h"
#include "ui/registered_message.h"
#include "ui/tree_prop_sheet.h"
#include "ui/tree_prop_sheet_hook.h"

namespace {

using TreePropSheet::CTreePropSheetEx;

// One page class for the three sample templates: it counts the protocol
// calls and exchanges the fields of whichever template it shows.
class TestPage : public ui::CPropertyPage {
 public:
  explicit TestPage(const ui::DialogTemplate& tmpl) : CPropertyPage(tmpl) {
    SetPageFlags(PageFlags() & ~ui::PSP_HASHELP);
  }
  int applied = 0, resets = 0;
  bool refuseApply = false;
  int source = 1, save = 1, year = 2001, kind = 1;
  std::string folder = "/music";

  bool OnApply() override {
    if (refuseApply) return false;
    ++applied;
    return true;
  }
  void OnReset() override { ++resets; }

 protected:
  bool OnInitDialog() override {
    if (auto* combo = GetDlgItemAs<wxChoice>(sample::IDC_FORMAT_KIND))
      combo->Append(wxArrayString{2, std::array<const char*, 2>{" WAV", " MP3"}.data()});
    return CPropertyPage::OnInitDialog();
  }
  void DoDataExchange(ui::CDataExchange* pDX) override {
    switch (Template().id) {
      case sample::IDD_SAMPLE_SOURCE_PAGE:
        ui::DDX_Radio(pDX, sample::IDC_SOURCE_BOTH, source);
        ui::DDX_Check(pDX, sample::IDC_SOURCE_SAVE, save);
        ui::DDX_Text(pDX, sample::IDC_SOURCE_FOLDER, folder);
        break;
      case sample::IDD_SAMPLE_NAMING_PAGE:
        ui::DDX_Text(pDX, sample::IDC_NAMING_YEAR, year);
        ui::DDV_MinMaxInt(pDX, year, 1, 2100);
        break;
      case sample::IDD_SAMPLE_FORMAT_PAGE:
        ui::DDX_CBIndex(pDX, sample::IDC_FORMAT_KIND, kind);
        break;
    }
  }
};

// A sheet that can be told it is maximised, which a window manager would say.
struct Sheet : CTreePropSheetEx {
  using CTreePropSheetEx::CTreePropSheetEx;
  bool IsMaximized() const override { return zoomed; }
  bool zoomed = false;
};

// The options sheet as the program sets it up, over the three sample pages.
struct Options {
  TestPage source{sample::kSourcePage}, naming{sample::kNamingPage}, format{sample::kFormatPage};
  Sheet sheet{"Options", nullptr, 0};

  explicit Options(int lastPage, bool resizable = false) {
    sheet.SetTreeOptions(true, true, false);
    sheet.SetTreeResizable(resizable);
    sheet.SetSheetResizable(resizable);
    sheet.SetTreeWidth(128);
    for (TestPage* page : {&source, &naming, &format}) sheet.AddPage(page);
    sheet.SetActivePage(lastPage);
  }
  wxTreeCtrl* Tree() const { return sheet.GetPageTreeControl(); }
  std::string Selected() const { return Tree()->GetItemText(Tree()->GetSelection()).utf8_string(); }
  wxTreeItemId ItemOfPage(int page) const {
    return TreePropSheet::CTreePropSheetTreeCtrl::ItemOf(
        ui::FindPageItem(sheet.GetPageTreeControl()->Model(), page));
  }
  // The sheet's answer to the registered message that enables or disables `page`.
  std::optional<ui::LRESULT> EnableMessage(ui::CPropertyPage* page, bool enable) {
    return ui::SendRegisteredMessage(&sheet, TreePropSheet::WMU_TPS_ENABLEPAGE,
                                     reinterpret_cast<ui::WPARAM>(page), enable ? 1 : 0);
  }
  // Runs the sheet; `action` runs once it is on screen and must end it.
  int Run(const std::function<void()>& action) {
    gui_test::WhenModalShown([&](wxDialog&) { action(); });
    return sheet.DoModal();
  }
};

// A Ctrl key as the sheet sees it before the focused control; true when the
// sheet took it.
bool Key(wxWindow& sheet, int code, bool shift = false) {
  return gui_test::PressKey(&sheet, code, true, shift);
}

class TreeSheetGui : public sample::ExchangeReportsTest {};

TEST_F(TreeSheetGui, OptionsSheetShowsItsPagesInATreeWithACaptionBand) {
  Options o(1);
  const int result = o.Run([&] {
    wxTreeItemIdValue cookie;
    std::vector<std::string> items;
    for (auto i = o.Tree()->GetFirstChild(o.Tree()->GetRootItem(), cookie); i.IsOk();
         i = o.Tree()->GetNextChild(o.Tree()->GetRootItem(), cookie))
      items.push_back(o.Tree()->GetItemText(i).utf8_string());
    EXPECT_EQ(items, (std::vector<std::string>{"FreeDB", "Output", "Encoder"}));
    EXPECT_EQ(o.Selected(), "Output");
    EXPECT_EQ(o.sheet.GetFrameControl()->GetCaptionText(), "Output");
    EXPECT_EQ(o.Tree()->GetSize().x, 128 - 5);
    EXPECT_EQ(o.sheet.GetDlgItem(ui::IDHELP), nullptr);
    EXPECT_EQ(o.sheet.GetDlgItem(0xFFFF), o.sheet.GetFrameControl()->GetFrameWindow());
    EXPECT_FALSE(o.sheet.GetDlgItem(ui::AFX_IDC_TAB_CONTROL)->IsShown());
    EXPECT_TRUE(o.naming.IsPageCreated());
    EXPECT_FALSE(o.source.IsPageCreated());  // pages are made when first shown
    // The page lies inside the frame, under its band, and nothing leaves the window.
    const wxRect frame = o.sheet.GetFrameControl()->GetFrameWindow()->GetRect();
    const wxRect page = o.naming.GetWindow()->GetRect();
    EXPECT_TRUE(frame.Contains(page)) << page.x << "," << page.y;
    EXPECT_GT(page.y, frame.y + o.sheet.GetFrameControl()->GetCaptionHeight());
    for (wxWindow* child : o.sheet.GetChildren()) {
      EXPECT_TRUE(!child->IsShown() || wxRect(o.sheet.GetClientSize()).Contains(child->GetRect()));
    }
    gui_test::PumpFrames();
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&o.sheet), "options_sheet"));
    gui_test::Click(o.sheet.GetDlgItem(IDCANCEL));
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(o.naming.resets, 1);
  EXPECT_EQ(o.source.resets, 0);  // never made, never told
}

TEST_F(TreeSheetGui, PageKeysWrapSkipDisabledPagesAndLeaveOtherKeysToThePage) {
  Options o(2);
  o.Run([&] {
    const std::tuple<int, bool, int> steps[] = {{WXK_TAB, false, 0},
                                                {WXK_TAB, true, 2},
                                                {WXK_PAGEUP, false, 1},
                                                {WXK_PAGEDOWN, false, 2},
                                                {WXK_PAGEDOWN, false, 0}};
    for (auto [key, shift, page] : steps) {
      EXPECT_TRUE(Key(o.sheet, key, shift));
      EXPECT_EQ(o.sheet.GetActiveIndex(), page) << key << shift;
    }
    // Ctrl+C and friends go on to the focused edit field.
    o.sheet.GetPage(0)->GetDlgItem(sample::IDC_SOURCE_FOLDER)->SetFocus();
    for (int key : {'C', 'V', 'X', 'A', 'Z'}) EXPECT_FALSE(Key(o.sheet, key)) << char(key);
    EXPECT_EQ(o.sheet.GetActiveIndex(), 0);

    // A disabled page is grey and skipped; the message re-enables it.
    const TreePropSheet::COLORREF grey =
        TreePropSheet::ToColorRef(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    EXPECT_TRUE(o.sheet.EnablePage(&o.naming, false));
    EXPECT_EQ(o.Tree()->GetItemTextColour(o.ItemOfPage(1)), TreePropSheet::FromColorRef(grey));
    Key(o.sheet, WXK_TAB);
    EXPECT_EQ(o.sheet.GetActiveIndex(), 2);
    o.Tree()->SelectItem(o.ItemOfPage(1));  // a click on it leads nowhere
    EXPECT_EQ(o.sheet.GetActiveIndex(), 2);
    o.EnableMessage(&o.naming, true);
    EXPECT_FALSE(o.sheet.GetPageTreeControl()->ItemColour(o.ItemOfPage(1)).has_value());
    Key(o.sheet, WXK_TAB, true);
    EXPECT_EQ(o.sheet.GetActiveIndex(), 1);

    // The page that alone could still be shown is never disabled.
    EXPECT_TRUE(o.sheet.EnablePage(&o.source, false));
    EXPECT_TRUE(o.sheet.EnablePage(&o.format, false));
    EXPECT_FALSE(o.sheet.EnablePage(&o.naming, false));
    EXPECT_TRUE(o.sheet.IsPageEnabled(&o.naming));
    EXPECT_EQ(o.sheet.GetActiveIndex(), 1);
    // Emptying the tree forgets the colours of its items.
    const wxTreeItemId greyItem = o.ItemOfPage(0);
    ASSERT_TRUE(o.sheet.GetPageTreeControl()->ItemColour(greyItem).has_value());
    o.Tree()->DeleteAllItems();
    EXPECT_FALSE(o.sheet.GetPageTreeControl()->ItemColour(greyItem).has_value());
    o.sheet.EndDialog(IDCANCEL);
  });
}

TEST_F(TreeSheetGui, OkAppliesMadePagesAndARefusalOrABadValueKeepsTheSheetOpen) {
  Options o(0);
  o.source.refuseApply = true;
  const int result = o.Run([&] {
    Key(o.sheet, WXK_TAB);  // the naming page is made
    // Values the page cannot take keep it shown and say why.
    auto* year = o.naming.GetDlgItemAs<wxTextCtrl>(sample::IDC_NAMING_YEAR);
    ASSERT_NE(year, nullptr);
    EXPECT_EQ(year->GetValue(), "2001");
    EXPECT_EQ(ui::FindTemplateItem(year)->id, sample::IDC_NAMING_YEAR);  // found through the page
    for (const char* text : {"3000", "x12", " 1999 "}) {
      year->ChangeValue(text);
      Key(o.sheet, WXK_TAB, true);
    }
    EXPECT_EQ(reports,
              (std::vector<std::string>{"Enter an integer between 1 and 2100.", "Enter an integer."}));
    EXPECT_EQ(o.naming.year, 1999);
    EXPECT_EQ(o.sheet.GetActiveIndex(), 0);

    gui_test::Click(o.source.GetDlgItem(sample::IDC_SOURCE_LOCAL));
    gui_test::Click(o.sheet.GetDlgItem(IDOK));  // the source page refuses
    EXPECT_TRUE(o.sheet.IsModal());
    EXPECT_EQ(o.sheet.GetActiveIndex(), 0);
    o.source.refuseApply = false;
    gui_test::Click(o.sheet.GetDlgItem(IDOK));
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(o.source.source, 2);
  EXPECT_EQ(o.source.folder, "/music");
  EXPECT_EQ((std::vector<int>{o.source.applied, o.naming.applied, o.format.applied}),
            (std::vector<int>{1, 1, 0}));
}

TEST_F(TreeSheetGui, NestedCaptionsShareAParentThatShowsTheEmptyPageMessage) {
  Options o(0);
  o.source.SetCaption("Encoder::MP3");
  o.format.SetCaption("Encoder::WAV");
  o.sheet.SetEmptyPageText("Select a page under %s.");
  o.Run([&] {
    const wxTreeItemId parent = o.Tree()->GetItemParent(o.ItemOfPage(0));
    ASSERT_TRUE(parent.IsOk());
    EXPECT_EQ(o.Tree()->GetItemText(parent), "Encoder");
    EXPECT_EQ(o.Tree()->GetItemParent(o.ItemOfPage(2)), parent);
    o.Tree()->SelectItem(parent);
    EXPECT_EQ(o.sheet.GetCurrentPageWindow(), nullptr);
    EXPECT_EQ(o.sheet.GetFrameControl()->GetMessageText(), "Select a page under Encoder.");
    EXPECT_EQ(o.sheet.GetFrameControl()->GetCaptionText(), "Encoder");
    gui_test::PumpFrames();
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&o.sheet), "options_sheet_empty_item"));
    Key(o.sheet, WXK_TAB);  // back to a page
    EXPECT_NE(o.sheet.GetCurrentPageWindow(), nullptr);

    // Skipping empty items: the arrow keys walk the pages, an empty item
    // passes on to its first page, Left and Right fold and unfold.
    o.sheet.SetSkipEmptyItems(true);
    auto arrow = [&](int code) {
      wxKeyEvent event(wxEVT_KEY_DOWN);
      event.m_keyCode = code;
      event.SetEventObject(o.Tree());
      o.Tree()->GetEventHandler()->ProcessEvent(event);
      return o.Selected();
    };
    o.Tree()->SelectItem(parent);
    EXPECT_EQ(o.Selected(), "MP3");
    const std::pair<int, const char*> keys[] = {{WXK_DOWN, "WAV"}, {WXK_DOWN, "Output"}, {WXK_DOWN, "MP3"},
                                                {WXK_UP, "MP3"},   {WXK_LEFT, "MP3"},    {WXK_RIGHT, "MP3"}};
    for (auto [code, expected] : keys) EXPECT_EQ(arrow(code), expected) << code;
    o.Tree()->SelectItem(parent);  // straight on to MP3
    o.Tree()->SelectItem(o.ItemOfPage(1));
    EXPECT_TRUE(o.Tree()->IsExpanded(parent));
    o.sheet.EndDialog(IDCANCEL);
  });
}

TEST_F(TreeSheetGui, CaptionBandFadesIntoTheFrameAndCutsLongTextWithAnEllipsis) {
  Options o(1);
  o.naming.SetCaption(std::string(200, 'W'));
  o.Run([&] {
    auto* frame = dynamic_cast<TreePropSheet::CPropPageFrameEx*>(o.sheet.GetFrameControl());
    ASSERT_NE(frame, nullptr);
    const wxSize size = frame->GetClientSize();
    wxBitmap bitmap(size);
    {
      wxMemoryDC target(bitmap);
      TreePropSheet::CMemDC2 dc(target);
      frame->DrawBackground(dc);
      frame->DrawContent(dc);
      const wxString shown = TreePropSheet::CPropPageFrameEx::FitCaptionText(dc, wxString(200, 'W'), size.x);
      EXPECT_TRUE(shown.EndsWith("...")) << shown;
      EXPECT_LE(dc.GetTextExtent(shown).x, size.x);
    }
    const wxImage picture = bitmap.ConvertToImage();
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const int y = frame->GetCaptionHeight() - 1;
    EXPECT_EQ(wxColour(picture.GetRed(size.x - 1, y), picture.GetGreen(size.x - 1, y),
                       picture.GetBlue(size.x - 1, y)),
              face);
    // ... from a start that stands apart from the page on this theme.
    const int start[3] = {picture.GetRed(1, y), picture.GetGreen(1, y), picture.GetBlue(1, y)};
    EXPECT_GE(std::max({std::abs(start[0] - face.Red()), std::abs(start[1] - face.Green()),
                        std::abs(start[2] - face.Blue())}),
              32);
    // An icon takes one image, however often the caption changes.
    const wxIcon icon = wxArtProvider::GetIcon(wxART_INFORMATION, wxART_MENU, wxSize(16, 16));
    for (int i = 0; i < 3; ++i) frame->SetCaption("Output", icon);
    ASSERT_NE(frame->CaptionImages(), nullptr);
    EXPECT_EQ(frame->CaptionImages()->GetImageCount(), 1);
    frame->SetCaption("Output", wxNullIcon);
    EXPECT_EQ(frame->CaptionImages(), nullptr);
    o.sheet.EndDialog(IDCANCEL);
  });
}

TEST_F(TreeSheetGui, ResizableSheetGrowsItsFrameAndTheSplitterKeepsTheMinimums) {
  Options o(1, true);
  o.Run([&] {
    auto* splitter = o.sheet.GetSplitter();
    ASSERT_NE(splitter, nullptr);
    ASSERT_NE(o.sheet.GetResizeHook(), nullptr);
    wxWindow* frame = o.sheet.GetFrameControl()->GetFrameWindow();
    const wxRect tree0 = o.Tree()->GetRect(), frame0 = frame->GetRect(),
                 ok0 = o.sheet.GetDlgItem(IDOK)->GetRect();
    const wxSize size0 = o.sheet.GetSize();
    o.sheet.SetSize(size0 + wxSize(100, 60));
    EXPECT_TRUE(
        gui_test::PumpUntil([&] { return o.sheet.GetDlgItem(IDOK)->GetPosition() != ok0.GetPosition(); }));
    EXPECT_EQ(o.Tree()->GetSize().x, tree0.width);  // the tree keeps its width
    EXPECT_EQ(frame->GetSize(), frame0.GetSize() + wxSize(100, 60));
    EXPECT_EQ(o.sheet.GetDlgItem(IDOK)->GetPosition(), ok0.GetPosition() + wxPoint(100, 60));
    EXPECT_TRUE(frame->GetRect().Contains(o.naming.GetWindow()->GetRect()));
    // The page fills the frame's page area, the hidden tab strip the frame.
    EXPECT_EQ(o.naming.GetWindow()->GetRect(), o.sheet.GetPageRect());
    EXPECT_EQ(o.sheet.GetTabControl()->GetRect(), frame->GetRect());
    EXPECT_EQ(o.sheet.GetMinSize(), size0);  // never smaller than it opened
    const auto& grip = o.sheet.GetResizeHook()->Grip();
    EXPECT_EQ(grip.GetParent(), &o.sheet);
    EXPECT_TRUE(grip.IsShown());
    EXPECT_EQ(grip.GetRect().GetBottomRight(),
              wxPoint(o.sheet.GetClientSize().x - 1, o.sheet.GetClientSize().y - 1));
    gui_test::PumpFrames();
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&o.sheet), "tree_sheet_resized"));

    // Dragging the bar stops at either pane's minimum of 148 pixels.
    auto mouse = [&](wxEventType type, int x) {
      wxMouseEvent event(type);
      event.m_x = x - splitter->GetPosition().x;
      event.m_y = splitter->GetSize().y / 2;
      event.SetEventObject(splitter);
      splitter->GetEventHandler()->ProcessEvent(event);
    };
    for (int move : {+2000, -2000}) {
      const int bar = o.Tree()->GetRect().GetRight() + 3;
      mouse(wxEVT_LEFT_DOWN, bar);
      mouse(wxEVT_MOTION, bar + move);
      mouse(wxEVT_LEFT_UP, bar + move);
      EXPECT_EQ((move > 0 ? frame : o.Tree())->GetSize().x, 148) << move;
      EXPECT_EQ(frame->GetRect().GetRight(), frame0.GetRight() + 100);
      EXPECT_TRUE(frame->GetRect().Contains(o.naming.GetWindow()->GetRect()));
    }
    // Maximised, the sheet has no corner to drag; restored, the grip is back.
    for (const bool zoomed : {true, false}) {
      o.sheet.zoomed = zoomed;
      o.sheet.SetSize(o.sheet.GetSize() + wxSize(10, 10));
      EXPECT_TRUE(gui_test::PumpUntil([&] { return grip.IsShown() != zoomed; })) << zoomed;
    }
    o.sheet.EndDialog(IDCANCEL);
  });
}

TEST_F(TreeSheetGui, PagesAddedOrRemovedWhileOpenRefillTheTreeAndOddRequestsAreHarmless) {
  Options o(65535);  // a start page out of range (a damaged setting) opens the first
  TestPage extra(sample::kFormatPage), stranger(sample::kFormatPage);
  extra.SetCaption("Output::Advanced");
  o.Run([&] {
    o.sheet.AddPage(&extra);
    const wxTreeItemId item = o.ItemOfPage(3);
    ASSERT_TRUE(item.IsOk());
    EXPECT_EQ(o.Tree()->GetItemText(o.Tree()->GetItemParent(item)), "Output");
    EXPECT_EQ(o.Selected(), "FreeDB");
    // A page the sheet does not hold is answered and left alone.
    EXPECT_EQ(o.EnableMessage(&stranger, false), 1);
    EXPECT_FALSE(o.sheet.EnablePage(&stranger, false));
    o.sheet.RemovePage(&o.source);  // the shown page goes: its neighbour shows
    EXPECT_EQ(o.Selected(), "Output");
    EXPECT_EQ(o.sheet.GetCurrentPageWindow(), o.naming.GetWindow());
    EXPECT_FALSE(o.source.IsPageCreated());
    o.sheet.EndDialog(IDCANCEL);
  });
  const std::pair<const char*, const char*> formats[] = {
      {"No page for %s.", "No page for Output."}, {"100%", "100%"}, {"%s %s", "%s %s"}, {"", ""}};
  for (auto [format, text] : formats)
    EXPECT_EQ(o.sheet.FormatEmptyPageText(format, "Output"), text) << format;
}

}  // namespace

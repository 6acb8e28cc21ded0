// The resizable mix-ins on a real dialog: anchored children, a custom entry,
// the background fill, the grip's show requests, size limits and the stored
// placement.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/tglbtn.h>

#include <functional>
#include <map>

#include "tests/support/gui/gui_test_support.h"
#include "ui/control_rect.h"
#include "ui/core/control_ids.h"
#include "ui/core/profile_store.h"
#include "ui/dialog.h"
#include "ui/property_sheet.h"
#include "ui/registered_message.h"
#include "ui/resizable_grip.h"
#include "ui/resizable_layout.h"
#include "ui/resizable_min_max.h"
#include "ui/resizable_page.h"
#include "ui/resizable_state.h"

namespace {

using ui::ControlKind;

constexpr int IDC_TITLE = 1101;
constexpr int IDC_LIST = 1102;
constexpr int IDC_MORE = 1103;
constexpr int IDC_GROUP = 1104;
constexpr int IDC_CHECK = 1105;

// clang-format off
constexpr ui::DialogItem kItems[] = {
    {ControlKind::Static,    IDC_TITLE, "Anchored layout", 60,   4,  80,   9, ui::kAlignCentre},
    {ControlKind::ListReport, IDC_LIST, "",                  7,  16, 150,  66, ui::kBorder},
    {ControlKind::Button,    IDC_MORE,  "More",            160,  16,  33,  14},
    {ControlKind::GroupBox,  IDC_GROUP, "Options",           7,  86, 130,  32},
    {ControlKind::CheckBox,  IDC_CHECK, "&Remember",        13, 100,  70,  10},
    {ControlKind::DefButton, IDOK,      "OK",              143,  86,  50,  14},
    {ControlKind::Button,    IDCANCEL,  "Cancel",          143, 104,  50,  14},
};
// clang-format on
const ui::DialogTemplate kTemplate{
    9200, "Anchored Layout", 200, 124, ui::kDialogDefault | ui::kDialogResizable | ui::kDialogMaxBox, kItems};

// A dialog made resizable by the four mix-ins, the way the sheet's hook uses
// them. The "More" button is a custom entry that sticks to the top-right
// corner while `placeMore` holds.
class LayoutSample : public ui::CDialog,
                     public CResizableLayout,
                     public CResizableGrip,
                     public CResizableMinMax,
                     public CResizableState {
 public:
  explicit LayoutSample(ProfileStore& profile) : ui::CDialog(kTemplate, nullptr), profile_(profile) {
    Bind(wxEVT_SIZE, &LayoutSample::OnSizeEvent, this);
  }

  wxWindow* GetLayoutWindow() const override { return const_cast<LayoutSample*>(this); }
  using CResizableLayout::BuildEraseRegion;

  bool placeMore = true;
  bool zoomed = false;  // no window manager on the test display to maximise for real
  uint32_t gripStatus = 1;
  wxSize laidOutFor;

 protected:
  bool OnInitDialog() override {
    ui::CDialog::OnInitDialog();
    AnchorChild(IDC_TITLE, TOP_CENTER);
    AnchorChild(IDC_LIST, TOP_LEFT, BOTTOM_RIGHT);
    AnchorChild(IDC_GROUP, BOTTOM_LEFT, BOTTOM_RIGHT);
    AnchorChild(IDC_CHECK, BOTTOM_LEFT);
    AnchorChild(IDOK, BOTTOM_RIGHT);
    AnchorChild(IDCANCEL, BOTTOM_RIGHT);
    AnchorCustom(1);
    RECT client;
    GetLayoutClientRect(client);
    const wxRect more = GetDlgItem(IDC_MORE)->GetRect();
    moreMargins_ =
        AnchorAt({more.x, more.y, more.GetRight() + 1, more.GetBottom() + 1}, client, TOP_RIGHT, NoAnchor);
    CreateGrip(true, true, false);
    initialised_ = true;
    return true;
  }

  bool PlaceChildCustom(LayoutInfo& entry) override {
    if (entry.customId != 1 || !placeMore) return CResizableLayout::PlaceChildCustom(entry);
    entry.window = GetDlgItem(IDC_MORE);
    entry.margins = moreMargins_;
    return true;
  }

  ProfileStore& StateProfile() const override { return profile_; }

 private:
  void OnSizeEvent(wxSizeEvent& event) {
    event.Skip();
    if (!initialised_) return;
    if (zoomed) {
      HideGrip(gripStatus, 1);
    } else {
      ShowGrip(gripStatus, 1);
    }
    UpdateGrip();
    Relayout();
    laidOutFor = GetClientSize();
  }

  ProfileStore& profile_;
  AnchorMargins moreMargins_;
  bool initialised_ = false;
};

// The colour at `at` of a black picture of `size` once `paint` drew on it.
wxColour PaintedAt(const wxSize& size, const wxPoint& at, const std::function<void(wxDC&)>& paint) {
  wxBitmap picture(size.x, size.y, 24);
  wxMemoryDC dc(picture);
  dc.SetBackground(*wxBLACK_BRUSH);
  dc.Clear();
  paint(dc);
  wxColour colour;
  dc.GetPixel(at.x, at.y, &colour);
  return colour;
}

class ResizableLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_.SetPath(dir_ / "test.profile");
    ASSERT_TRUE(dlg_->Create());
    dlg_->Show();
    gui_test::PumpEvents();
  }
  void TearDown() override {
    dlg_->Destroy();
    gui_test::PumpEvents();
  }

  // Resizes the client area and waits until the dialog has laid itself out for it.
  void ResizeClient(const wxSize& size) {
    dlg_->SetClientSize(size);
    ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg_->laidOutFor == dlg_->GetClientSize(); }));
    gui_test::PumpFrames();
  }
  wxRect RectOf(int id) const { return dlg_->GetDlgItem(id)->GetRect(); }

  gui_test::TempDir dir_;
  ProfileStore profile_;
  LayoutSample* dlg_ = new LayoutSample(profile_);
};

// Each size is a row; "More" is placed by its custom entry except where the
// resolver declines. GTK prints criticals (and the runner fails the test)
// when a control gets less than it needs: the filled list's scroll bars at
// the tiny sizes.
TEST_F(ResizableLayoutTest, ChildrenGoWhereTheirAnchorsSayAtEverySize) {
  auto* list = dynamic_cast<wxListCtrl*>(dlg_->GetDlgItem(IDC_LIST));
  ASSERT_NE(list, nullptr);
  list->AppendColumn("Track", wxLIST_FORMAT_LEFT, 120);
  list->AppendColumn("Length", wxLIST_FORMAT_LEFT, 80);
  for (int r = 0; r < 30; ++r) list->InsertItem(r, wxString::Format("Track %d", r + 1));
  const wxSize start = dlg_->GetClientSize();
  const auto rects = [&] {
    std::map<int, wxRect> r;
    for (int id : {IDC_TITLE, IDC_LIST, IDC_MORE, IDC_GROUP, IDC_CHECK, IDOK}) r[id] = RectOf(id);
    return r;
  };
  const std::map<int, wxRect> at = rects();
  // Where `id` started, moved by (x, y) and grown by (w, h).
  const auto from = [&](int id, int x, int y, int w, int h) {
    const wxRect r = at.at(id);
    return wxRect(r.x + x, r.y + y, r.width + w, r.height + h);
  };
  wxRect more = at.at(IDC_MORE);
  // clang-format off
  const std::pair<wxSize, bool> rows[] = {{start + wxSize(120, 80), true}, {start + wxSize(7, 3), true},
      {start + wxSize(61, 1), false}, {start + wxSize(301, 1), true}, {{150, 120}, true}, {{1, 1}, true},
      {start, true}};
  // clang-format on
  for (const auto& [size, placeMore] : rows) {
    dlg_->placeMore = placeMore;
    ResizeClient(size);
    const int dw = size.x - start.x;
    const int dh = size.y - start.y;
    const std::string name = std::to_string(size.x) + "x" + std::to_string(size.y);
    for (wxWindow* child : dlg_->GetChildren()) {
      const wxSize min = ui::ControlMinSize(child);
      EXPECT_GE(child->GetSize().x, min.x) << ui::ProgramId(child->GetId()) << " at " << name;
      EXPECT_GE(child->GetSize().y, min.y) << ui::ProgramId(child->GetId()) << " at " << name;
    }
    if (placeMore) more = from(IDC_MORE, dw, 0, 0, 0);
    EXPECT_EQ(RectOf(IDC_MORE), more) << name;
    if (size.x < start.x) continue;  // floored at the minimum sizes
    EXPECT_EQ(RectOf(IDC_LIST), from(IDC_LIST, 0, 0, dw, dh)) << name;
    EXPECT_EQ(RectOf(IDC_GROUP), from(IDC_GROUP, 0, dh, dw, 0)) << name;
    EXPECT_EQ(RectOf(IDC_CHECK), from(IDC_CHECK, 0, dh, 0, 0)) << name;
    EXPECT_EQ(RectOf(IDOK), from(IDOK, dw, dh, 0, 0)) << name;
    // Centred: half the width, truncated, at each size.
    EXPECT_EQ(RectOf(IDC_TITLE).x, at.at(IDC_TITLE).x + size.x / 2 - start.x / 2) << name;
  }
  EXPECT_EQ(rects(), at);

  ResizeClient({start.x + 160, start.y + 90});
  EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(dlg_), "resizable_layout_sample"));
}

TEST_F(ResizableLayoutTest, TheWindowStaysWithinItsTrackingLimits) {
  const wxSize start = dlg_->GetSize();
  dlg_->SetMinTrack({start.x, start.y});
  dlg_->SetMaxTrack({start.x + 200, start.y + 100});
  ui::PushMinMax(dlg_, *dlg_);
  for (const auto& [asked, got] :
       {std::pair{wxSize(start.x - 100, start.y - 50), start},
        std::pair{wxSize(start.x + 500, start.y + 50), wxSize(start.x + 200, start.y + 50)}}) {
    dlg_->SetSize(asked);
    EXPECT_TRUE(gui_test::PumpUntil([&] { return dlg_->GetSize() == got; })) << asked.x << "x" << asked.y;
  }
}

// GTK sends no erase of its own: the fill is driven with a memory picture.
TEST_F(ResizableLayoutTest, TheFillSkipsChildrenThatPaintThemselvesButNotGroupBoxes) {
  const wxSize client = dlg_->GetClientSize();
  const auto fill = [&](const wxPoint& at) {
    return PaintedAt(client, at, [&](wxDC& dc) { dlg_->PaintBackground(&dc); });
  };
  const wxColour background = dlg_->GetBackgroundColour();
  ASSERT_NE(background, *wxBLACK);
  const wxRect list = RectOf(IDC_LIST);
  const wxRect group = RectOf(IDC_GROUP);
  const wxPoint inList(list.x + list.width / 2, list.y + list.height / 2);
  const wxPoint inGroup(group.GetRight() - 4, group.GetBottom() - 4);  // clear of the check box
  EXPECT_EQ(fill(inList), *wxBLACK);
  EXPECT_EQ(fill(inGroup), background);
  EXPECT_EQ(fill({1, client.y - 2}), background);
  // The resolved custom entry is left out too; without anchors everything is filled.
  const wxRect more = RectOf(IDC_MORE);
  EXPECT_EQ(fill({more.x + 2, more.y + more.height / 2}), *wxBLACK);
  dlg_->GetDlgItem(IDC_LIST)->Hide();
  EXPECT_EQ(fill(inList), background);
  dlg_->GetDlgItem(IDC_LIST)->Show();
  // A child that answers the resize-support message decides for itself.
  wxWindow* listWindow = dlg_->GetDlgItem(IDC_LIST);
  const unsigned support = ui::RegisterWindowMessage(kResizeSupportMessage);
  listWindow->Bind(ui::wxEVT_UI_MESSAGE, [support](ui::UiMessageEvent& e) {
    if (e.Message() != support || e.wParam() != RSZSUP_QUERYPROPERTIES) return e.Skip();
    *reinterpret_cast<ResizeProperties*>(e.lParam()) = {false, true, false, false};
    e.Reply(1);
  });
  dlg_->AnchorChild(listWindow, TOP_LEFT, BOTTOM_RIGHT);
  EXPECT_TRUE(dlg_->Anchors()[1].answersSupport);
  EXPECT_EQ(fill(inList), background);
  dlg_->ClearAnchors();
  EXPECT_EQ(dlg_->BuildEraseRegion().GetBox(), wxRect(client));
}

// Each kind of control as the rules see it. Asking must not convert a
// control to a class it is not (the sanitized run aborts on that).
TEST_F(ResizableLayoutTest, EachControlIsSeenAsItsKind) {
  wxWindow* p = dlg_;
  const std::pair<wxWindow*, ChildTraits> rows[] = {
      {new wxStaticBox(p, wxID_ANY, "g"), {"Button", BS_GROUPBOX}},
      {new wxCheckBox(p, wxID_ANY, "c"), {"Button", BS_AUTOCHECKBOX}},
      {new wxRadioButton(p, wxID_ANY, "r"), {"Button", BS_AUTORADIOBUTTON}},
      {new wxToggleButton(p, wxID_ANY, "t"), {"Button", BS_PUSHBUTTON}},
      {new wxStaticText(p, wxID_ANY, "s", {}, {}, wxALIGN_RIGHT | wxST_ELLIPSIZE_END),
       {"Static", SS_RIGHT | SS_ENDELLIPSIS}},
      {new wxStaticLine(p, wxID_ANY, {}, {}, wxLI_VERTICAL), {"Static", SS_ETCHEDVERT}},
      {new wxListBox(p, wxID_ANY), {"ListBox", 0}},
      {new wxPanel(p), {"wxPanel", 0}},
  };
  for (const auto& [control, traits] : rows) {
    const ChildTraits seen = CResizableLayout::TraitsOf(control);
    EXPECT_EQ(seen.className, traits.className) << traits.className;
    EXPECT_EQ(seen.style, traits.style) << traits.className;
    control->Destroy();
  }
}

TEST_F(ResizableLayoutTest, TheGripFollowsTheCornerAndItsShowRequests) {
  CSizeGripExt& grip = dlg_->Grip();
  ResizeClient({520, 360});
  const wxSize size = grip.GetSize();
  EXPECT_TRUE(grip.IsShown());
  EXPECT_EQ(grip.GetPosition(), wxPoint(520 - size.x, 360 - size.y));
  dlg_->zoomed = true;  // what the dialog does on a maximise
  ResizeClient({600, 400});
  EXPECT_FALSE(grip.IsShown());
  // A child destroyed while anchored is left out from then on.
  const wxRect ok = RectOf(IDOK);
  delete dlg_->GetDlgItem(IDC_CHECK);
  ResizeClient({640, 420});
  EXPECT_EQ(RectOf(IDOK), wxRect(ok.x + 40, ok.y + 20, ok.width, ok.height));
  EXPECT_FALSE(dlg_->BuildEraseRegion().IsEmpty());
}

TEST_F(ResizableLayoutTest, ThePlacementIsStoredAndRestoredThroughTheProfile) {
  dlg_->SetSize(wxRect(40, 50, 520, 380));
  gui_test::PumpUntil([&] { return dlg_->GetRect() == wxRect(40, 50, 520, 380); });
  const wxRect stored = dlg_->GetRect();
  ASSERT_EQ(dlg_->StorePlacement("Sample", false), 1);
  const std::string text = profile_.GetProfileString("Sample", "WindowPlacement");
  EXPECT_EQ(text, wxString::Format("%d,%d,%d,%d,1,0", stored.x, stored.y, stored.GetRight() + 1,
                                   stored.GetBottom() + 1)
                      .ToStdString());

  dlg_->SetSize(wxRect(100, 120, 600, 420));
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg_->GetRect() == wxRect(100, 120, 600, 420); }));
  ASSERT_EQ(dlg_->RestorePlacement("Sample", false), 1);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return dlg_->GetRect() == stored; }));
  // Laid out for the restored size.
  EXPECT_TRUE(gui_test::PumpUntil([&] { return dlg_->laidOutFor == dlg_->GetClientSize(); }));

  // Rectangle only: the current rectangle, then 1 and 0.
  ASSERT_EQ(dlg_->StorePlacement("Rect", true), 1);
  EXPECT_EQ(profile_.GetProfileString("Rect", "WindowPlacement"), text);

  // Missing or damaged: the window stays where it is.
  const wxRect before = dlg_->GetRect();
  EXPECT_EQ(dlg_->RestorePlacement("Nothing", false), 0);
  for (const char* damaged : {"garbage", "0,0,90000,400,1,0"}) {
    ASSERT_TRUE(profile_.WriteProfileString("Sample", "WindowPlacement", damaged));
    EXPECT_EQ(dlg_->RestorePlacement("Sample", false), 0) << damaged;
  }
  gui_test::PumpEvents();
  EXPECT_EQ(dlg_->GetRect(), before);
  // A window stored far off every screen comes back on the primary one,
  // and one stored minimised comes back shown.
  ASSERT_TRUE(profile_.WriteProfileString("Sample", "WindowPlacement", "-30000,-30000,-29500,-29600,2,0"));
  ASSERT_EQ(dlg_->RestorePlacement("Sample", false), 1);
  gui_test::PumpEvents();
  EXPECT_FALSE(dlg_->IsIconized());
  const wxRect onScreen = dlg_->GetRect();
  EXPECT_EQ(onScreen.GetSize(), wxSize(500, 400));
  EXPECT_GE(onScreen.x, 0);
  EXPECT_GE(onScreen.y, 0);
}

// clang-format off
constexpr ui::DialogItem kPageItems[] = {
    {ControlKind::ListReport, IDC_LIST, "",     7,  7, 216, 80, ui::kBorder},
    {ControlKind::Button,     IDC_MORE, "More", 176, 92, 47, 14},
};
// clang-format on
const ui::DialogTemplate kPage{9201, "Page", 230, 112, 0, kPageItems};

class AnchoredPage : public CResizablePage {
 public:
  explicit AnchoredPage(bool anchored) : CResizablePage(kPage), anchored_(anchored) {}

 protected:
  bool OnInitDialog() override {
    CResizablePage::OnInitDialog();
    if (anchored_) {
      AnchorChild(IDC_LIST, TOP_LEFT, BOTTOM_RIGHT);
      AnchorChild(IDC_MORE, BOTTOM_RIGHT);
    }
    return true;
  }

 private:
  bool anchored_;
};

// A page's children follow the page's window; a page without anchors has
// its whole area filled by its erase.
TEST(ResizablePage, ChildrenFollowThePageAndAPageWithoutAnchorsIsFilledWhole) {
  AnchoredPage anchored(true);
  AnchoredPage plain(false);
  auto* sheet = new ui::CPropertySheet("Pages");
  sheet->AddPage(&anchored);
  sheet->AddPage(&plain);
  ASSERT_TRUE(sheet->Create());
  sheet->Show();
  gui_test::PumpEvents();
  wxWindow* page = anchored.GetWindow();
  ASSERT_NE(page, nullptr);
  const wxRect list = anchored.GetDlgItem(IDC_LIST)->GetRect();
  const wxRect more = anchored.GetDlgItem(IDC_MORE)->GetRect();
  page->SetSize(page->GetSize() - wxSize(60, 40));  // smaller: the sheet itself keeps its size
  EXPECT_TRUE(gui_test::PumpUntil([&] { return anchored.GetDlgItem(IDC_MORE)->GetRect() != more; }));
  EXPECT_EQ(anchored.GetDlgItem(IDC_LIST)->GetRect(),
            wxRect(list.x, list.y, list.width - 60, list.height - 40));
  EXPECT_EQ(anchored.GetDlgItem(IDC_MORE)->GetRect(),
            wxRect(more.x - 60, more.y - 40, more.width, more.height));
  EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(sheet), "resizable_page_in_sheet"));

  ASSERT_TRUE(sheet->SetActivePage(1));
  wxWindow* plainWindow = plain.GetWindow();
  ASSERT_NE(plainWindow, nullptr);
  const wxRect plainList = plain.GetDlgItem(IDC_LIST)->GetRect();
  const auto erase = [&](wxDC& dc) {
    wxEraseEvent event(plainWindow->GetId(), &dc);
    event.SetEventObject(plainWindow);
    EXPECT_TRUE(plainWindow->GetEventHandler()->ProcessEvent(event));  // handled: nothing else erases
  };
  EXPECT_EQ(PaintedAt(plainWindow->GetClientSize(), plainList.GetPosition() + plainList.GetSize() / 2, erase),
            plainWindow->GetBackgroundColour());
  sheet->DestroyWindow();
  gui_test::PumpEvents();
}

}  // namespace

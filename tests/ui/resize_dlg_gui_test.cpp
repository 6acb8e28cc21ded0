#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/listctrl.h>

#include <iterator>
#include <type_traits>

#include "app/gui/edit_cd.h"
#include "app/gui/freedb_choice.h"
#include "res/main_dialog.h"
#include "res/small_dialogs.h"
#include "tests/support/gui/gui_test_support.h"
#include "tests/support/gui/sample_dialogs.h"
#include "ui/control_rect.h"
#include "ui/core/control_ids.h"
#include "ui/core/profile_store.h"
#include "ui/resize_dlg.h"
#include "ui/window_placement_store.h"

namespace {

// A display of this program's own, with a window manager; ctest runs the
// screen-fit test once more on a 1024x768 screen (QCR_TEST_SCREEN).
const gui_test::OwnDisplay kDisplay("1366x768x24", gui_test::OwnDisplay::kWindowManager);

// The sample dialog with its anchors; "maximised" is set by the test, since
// there is no window manager on the test display to maximise for real.
template <class Base>
class SampleDlg : public Base {
 public:
  SampleDlg() : Base(sample::kResizeDialog, nullptr) {}
  bool zoomed = false;

 protected:
  bool OnInitDialog() override {
    Base::OnInitDialog();
    this->AddControls(sample::kResizeAnchors);
    return true;
  }
  bool IsZoomed() const override { return zoomed; }
};

using Sample = SampleDlg<ui::CResizeDlg>;

class CornerSample : public ui::CResizeDlg {
 public:
  CornerSample() : ui::CResizeDlg(sample::kCornerDialog, nullptr) {}
  bool OnInitDialog() override {
    ui::CResizeDlg::OnInitDialog();
    AddControls(sample::kCornerAnchors);
    return true;
  }
};

class FixedAxisSample : public Sample {
 public:
  FixedAxisSample(bool horizontal, bool vertical) { SetResizableAxes(horizontal, vertical); }
};

// Dialogs made with Create live on the heap and go through Destroy.
struct Destroyer {
  void operator()(wxWindow* w) const {
    w->Destroy();
    gui_test::PumpEvents();
  }
};

template <class T, class... Args>
std::unique_ptr<T, Destroyer> MakeShown(Args... args) {
  std::unique_ptr<T, Destroyer> dlg(new T(args...));
  EXPECT_TRUE(dlg->Create());
  dlg->Show();
  gui_test::PumpEvents();
  return dlg;
}

// Resizes the client area and waits until the dialog has laid itself out.
template <class T>
void ResizeClient(T& dlg, int width, int height) {
  dlg.SetClientSize(width, height);
  const bool done = gui_test::PumpUntil([&] {
    const RECT& p = dlg.Layout().Previous();
    return dlg.Surface()->GetClientSize() == wxSize(width, height) && p.Width() == width &&
           p.Height() == height;
  });
  ASSERT_TRUE(done) << "the dialog never reached " << width << "x" << height;
}

wxRect RectOf(const ui::CResizeDlg& dlg, int id) { return dlg.GetDlgItem(id)->GetRect(); }

// No two shown controls of the dialog overlap.
void ExpectNoOverlaps(const ui::CResizeDlg& dlg) {
  const wxWindowList& children = dlg.Surface()->GetChildren();
  for (auto a = children.begin(); a != children.end(); ++a) {
    for (auto b = std::next(a); b != children.end(); ++b) {
      if (!(*a)->IsShown() || !(*b)->IsShown()) continue;
      EXPECT_FALSE((*a)->GetRect().Intersects((*b)->GetRect()))
          << ui::ProgramId((*a)->GetId()) << " overlaps " << ui::ProgramId((*b)->GetId());
    }
  }
}

TEST(ResizeDlg, ControlsFollowTheAnchorsOfTheirTable) {
  auto dlg = MakeShown<Sample>();
  const wxSize start = dlg->GetClientSize();
  const wxRect list = RectOf(*dlg, sample::IDC_SAMPLE_LIST);
  const wxRect edit = RectOf(*dlg, sample::IDC_SAMPLE_EDIT);
  const wxRect ok = RectOf(*dlg, IDOK);
  const wxRect title = RectOf(*dlg, sample::IDC_SAMPLE_TITLE);
  const wxRect label = RectOf(*dlg, sample::IDC_SAMPLE_LABEL);
  const wxRect option = RectOf(*dlg, sample::IDC_SAMPLE_OPTION);
  ASSERT_EQ(dlg->Layout().Items().size(), sample::kResizeAnchors.size());
  ExpectNoOverlaps(*dlg);

  const int dw = 120;
  const int dh = 80;
  ResizeClient(*dlg, start.x + dw, start.y + dh);
  // Stretch both ways.
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_LIST), wxRect(list.x, list.y, list.width + dw, list.height + dh));
  // Stretch across, move down.
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_EDIT), wxRect(edit.x, edit.y + dh, edit.width + dw, edit.height));
  // Move with the corner, or only down.
  EXPECT_EQ(RectOf(*dlg, IDOK), wxRect(ok.x + dw, ok.y + dh, ok.width, ok.height));
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_LABEL), wxRect(label.x, label.y + dh, label.width, label.height));
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_OPTION),
            wxRect(option.x, option.y + dh, option.width, option.height));
  // Centred across at its starting fraction, kept vertically.
  const double fraction = (title.x + title.width / 2.0) / start.x;
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_TITLE),
            wxRect(static_cast<int>((start.x + dw) * fraction - title.width * 0.5), title.y, title.width,
                   title.height));
  ExpectNoOverlaps(*dlg);

  ResizeClient(*dlg, start.x, start.y);
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_LIST), list);
  EXPECT_EQ(RectOf(*dlg, IDOK), ok);
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_OPTION), option);
}

TEST(ResizeDlg, ShrinkingPastZeroNeverAppliesANegativeSizeAndGrowingBackRestores) {
  auto dlg = MakeShown<Sample>();
  const wxSize start = dlg->GetClientSize();
  const wxRect list = RectOf(*dlg, sample::IDC_SAMPLE_LIST);
  // Far smaller than the list: its stored width turns negative.
  const int width = (start.x - list.width) / 2;
  const int height = (start.y - list.height) / 2;
  ResizeClient(*dlg, width, height);
  const wxRect shrunk = RectOf(*dlg, sample::IDC_SAMPLE_LIST);
  EXPECT_EQ(shrunk.x, list.x);
  EXPECT_GE(shrunk.width, 0);
  EXPECT_GE(shrunk.height, 0);
  EXPECT_LT(dlg->Layout().Items()[1].stored.Width(), 0);  // kept inverted in the layout
  ResizeClient(*dlg, start.x, start.y);
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_LIST), list);
  // The test runner fails the test on any GTK critical message (negative sizes).
}

TEST(ResizeDlg, TheGripSitsInTheLowerRightCornerAndHidesWhileMaximised) {
  auto dlg = MakeShown<Sample>();
  CSizeGripExt* grip = dlg->Grip();
  ASSERT_NE(grip, nullptr);
  EXPECT_EQ(grip->HitTestCode(), HTBOTTOMRIGHT);
  const wxSize size = grip->GetSize();
  EXPECT_GE(size.x, 8);

  ResizeClient(*dlg, 500, 350);
  EXPECT_TRUE(grip->IsShown());
  EXPECT_EQ(grip->GetPosition(), wxPoint(500 - size.x, 350 - size.y));

  // What the dialog does on a maximise: the size change comes in while maximised.
  dlg->zoomed = true;
  ResizeClient(*dlg, 640, 480);
  EXPECT_FALSE(grip->IsVisible());
  EXPECT_FALSE(grip->IsShown());
  dlg->zoomed = false;
  ResizeClient(*dlg, 520, 360);
  EXPECT_TRUE(grip->IsShown());
  EXPECT_EQ(grip->GetPosition(), wxPoint(520 - size.x, 360 - size.y));
}

TEST(ResizeDlg, MinimisingLeavesEverythingAloneAndGoneControlsAreSkipped) {
  auto dlg = MakeShown<Sample>();
  EXPECT_FALSE(dlg->AddControl(4321, 1, 1, 1, 1, 0, -1, -1, -1, -1));  // unknown ids are not registered
  EXPECT_EQ(dlg->Layout().Items().size(), sample::kResizeAnchors.size());
  ResizeClient(*dlg, 480, 320);
  const wxRect list = RectOf(*dlg, sample::IDC_SAMPLE_LIST);
  const wxRect ok = RectOf(*dlg, IDOK);
  const wxPoint gripAt = dlg->Grip()->GetPosition();
  dlg->OnSize(SIZE_MINIMIZED, 0, 0);
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_LIST), list);
  EXPECT_EQ(dlg->Layout().Previous().Width(), 480);
  EXPECT_EQ(dlg->Grip()->GetPosition(), gripAt);

  delete dlg->GetDlgItem(sample::IDC_SAMPLE_LIST);
  ResizeClient(*dlg, 510, 340);
  EXPECT_EQ(RectOf(*dlg, IDOK), wxRect(ok.x + 30, ok.y + 20, ok.width, ok.height));
}

// GTK draws without a separate erase pass, so the dialog's erase handler is
// driven here with a memory picture of its client area.
TEST(ResizeDlg, TheEraseLeavesVisibleFlaggedControlsUnpainted) {
  auto dlg = MakeShown<Sample>();
  const wxSize client = dlg->GetClientSize();
  const wxRect list = RectOf(*dlg, sample::IDC_SAMPLE_LIST);
  const auto erase = [&](wxColour& inList, wxColour& outside) {
    wxBitmap picture(client.x, client.y, 24);
    wxMemoryDC dc(picture);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    wxEraseEvent event(dlg->GetId(), &dc);
    event.SetEventObject(dlg.get());
    dlg->ProcessWindowEvent(event);
    dc.GetPixel(list.x + list.width / 2, list.y + list.height / 2, &inList);
    dc.GetPixel(2, client.y - 2, &outside);
  };
  wxColour inList;
  wxColour outside;
  erase(inList, outside);
  EXPECT_EQ(inList, *wxBLACK);
  EXPECT_EQ(outside, dlg->GetBackgroundColour());
  dlg->GetDlgItem(sample::IDC_SAMPLE_LIST)->Hide();  // a hidden control is painted over
  erase(inList, outside);
  EXPECT_EQ(inList, dlg->GetBackgroundColour());
}

TEST(ResizeDlg, AFrameHostKeepsItsSurfaceFillingTheClientArea) {
  using FrameSample = SampleDlg<ui::CResizeFrameDlg>;
  auto frame = MakeShown<FrameSample>();
  const wxRect ok = frame->GetDlgItem(IDOK)->GetRect();
  const wxSize start = frame->GetClientSize();
  ResizeClient(*frame, start.x + 40, start.y + 10);
  EXPECT_EQ(frame->Surface()->GetSize(), frame->GetClientSize());
  EXPECT_EQ(frame->GetDlgItem(IDOK)->GetRect(), wxRect(ok.x + 40, ok.y + 10, ok.width, ok.height));
  EXPECT_EQ(frame->Grip()->GetParent(), frame->Surface());
}

// GTK prints criticals (and the runner fails the test) when a control gets
// less than it needs to draw itself: a filled list's scroll bars, an edit's
// frame. Each size is a row; the list's rows make its scroll bars appear.
TEST(ResizeDlg, ShrinkingAFilledDialogKeepsEveryControlAtItsMinimum) {
  auto dlg = MakeShown<Sample>();
  auto* list = dynamic_cast<wxListCtrl*>(dlg->GetDlgItem(sample::IDC_SAMPLE_LIST));
  ASSERT_NE(list, nullptr);
  for (int c = 0; c < 4; ++c) list->AppendColumn(wxString::Format("Column %d", c), wxLIST_FORMAT_LEFT, 120);
  for (int r = 0; r < 40; ++r) list->InsertItem(r, wxString::Format("Row %d", r));
  const wxSize start = dlg->GetClientSize();
  for (const wxSize& size : {wxSize(200, 150), wxSize(100, 80), wxSize(40, 30), wxSize(1, 1), start}) {
    ResizeClient(*dlg, size.x, size.y);
    gui_test::PumpFrames();  // GTK allocates sizes while it draws
    for (wxWindow* control : dlg->GetChildren()) {
      const wxSize min = ui::ControlMinSize(control);
      EXPECT_GE(control->GetSize().x, min.x) << ui::ProgramId(control->GetId()) << " at " << size.x;
      EXPECT_GE(control->GetSize().y, min.y) << ui::ProgramId(control->GetId()) << " at " << size.y;
    }
  }
  EXPECT_EQ(RectOf(*dlg, sample::IDC_SAMPLE_LIST).GetSize(),
            ui::MapDialogRect(dlg->BaseUnits(), 0, 0, 186, 70).GetSize());
}

TEST(ResizeDlg, AnAxisThatMayNotChangeKeepsItsInitialSize) {
  for (const auto& [horizontal, vertical] : {std::pair{false, true}, {true, false}, {false, false}}) {
    auto dlg = MakeShown<FixedAxisSample>(horizontal, vertical);
    const wxSize start = dlg->GetClientSize();
    for (const wxSize& request : {wxSize(start.x / 2, start.y / 2), wxSize(start.x * 2, start.y * 2)}) {
      dlg->SetClientSize(request);
      const wxSize expected(horizontal ? request.x : start.x, vertical ? request.y : start.y);
      EXPECT_TRUE(gui_test::PumpUntil([&] { return dlg->GetClientSize() == expected; }))
          << horizontal << vertical << ": asked " << request.x << "x" << request.y << ", got "
          << dlg->GetClientSize().x << "x" << dlg->GetClientSize().y;
    }
  }
}

// The pixels of `rect` of two pictures that differ, as (x, y) pairs relative to the rectangle.
std::vector<wxPoint> DifferingPixels(const wxImage& a, const wxImage& b, const wxRect& rect) {
  std::vector<wxPoint> points;
  for (int y = rect.y; y < rect.GetBottom() + 1; ++y) {
    for (int x = rect.x; x < rect.GetRight() + 1; ++x) {
      if (a.GetRed(x, y) != b.GetRed(x, y) || a.GetGreen(x, y) != b.GetGreen(x, y) ||
          a.GetBlue(x, y) != b.GetBlue(x, y))
        points.emplace_back(x - rect.x, y - rect.y);
    }
  }
  return points;
}

// The grip lies under the dialog's controls and paints nothing outside its
// triangle: with a button over the corner the picture is the same with and
// without the grip; with a free corner only the triangle changes.
template <class T>
void ExpectGripDrawing(bool cornerCovered, const std::string& screenshot) {
  auto dlg = MakeShown<T>();
  if (!cornerCovered) ResizeClient(*dlg, 520, 360);
  gui_test::PumpFrames();  // the grip's own update after the size change
  CSizeGripExt* grip = dlg->Grip();
  ASSERT_EQ(dlg->Surface(), dlg.get());  // a dialog: its picture starts at the client area
  const auto picture = [&](bool gripShown) {
    grip->SetVisible(gripShown);
    grip->UpdatePosition(dlg->Surface());
    return gui_test::DrawWindow(dlg.get());
  };
  const wxImage without = picture(false);
  const wxImage with = picture(true);
  ASSERT_TRUE(with.IsOk() && without.IsOk());
  const wxRect square = grip->GetRect();
  ASSERT_TRUE(wxRect(with.GetSize()).Contains(square));
  const std::vector<wxPoint> changed = DifferingPixels(with, without, square);
  if (cornerCovered) {
    EXPECT_TRUE(changed.empty()) << changed.size() << " pixels of the corner control covered, first at "
                                 << changed.front().x << "," << changed.front().y;
  } else {
    EXPECT_FALSE(changed.empty()) << "no grip drawn";
    for (const wxPoint& p : changed) {
      EXPECT_TRUE(InGripTriangle(p.x, p.y, square.width, square.height, false)) << p.x << "," << p.y;
    }
  }
  EXPECT_TRUE(gui_test::SaveScreenshot(with, screenshot));
}

TEST(ResizeDlg, TheGripLiesUnderTheControlsAndDrawsOnlyItsTriangle) {
  ExpectGripDrawing<CornerSample>(true, "corner_button_dialog");
  ExpectGripDrawing<Sample>(false, "resizable_sample_dialog");
}

// ---- windows larger than a small screen

// What of `window` (its frame, and the controls `ids` within its client area)
// lies outside the work area of its screen; "" when nothing does.
std::string PartsOffTheWorkArea(const wxTopLevelWindow& window, const ui::CTemplateHost& host,
                                std::initializer_list<int> ids) {
  const int index = wxDisplay::GetFromWindow(&window);
  const wxRect area = wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetClientArea();
  const wxRect frame = window.GetRect();
  using gui_test::RectText;
  if (!area.Contains(frame)) return "window " + RectText(frame) + " outside " + RectText(area);
  const wxRect client(window.ClientToScreen(wxPoint(0, 0)), window.GetClientSize());
  for (int id : ids) {
    const wxWindow* control = host.GetDlgItem(id);
    if (control == nullptr) return "no control " + std::to_string(id);
    const wxRect r = control->GetScreenRect();
    if (!area.Contains(r) || !client.Contains(r))
      return "control " + std::to_string(id) + " at " + RectText(r);
  }
  return "";
}

// Runs a modal dialog and returns what of it lay off the work area once it
// was on the screen.
template <class D>
std::string ModalPartsOff(D&& dialog, std::initializer_list<int> ids) {
  std::string problem = "never shown";
  gui_test::WhenModalShown(
      [&](wxDialog& d) {
        gui_test::PumpUntil([&] {
          problem = PartsOffTheWorkArea(d, dialog, ids);
          return problem.empty();
        });
        dialog.EndDialog(IDCANCEL);
      },
      [](wxDialog& d) { return dynamic_cast<std::remove_reference_t<D>*>(&d) != nullptr; });
  dialog.DoModal();
  return problem;
}

// Dialog units here are larger than the ones the templates were drawn for:
// every large window must still open whole on the screen, its buttons
// reachable, from 1024x768 up, and so must a placement saved on a larger one.
TEST(ScreenFit, LargeWindowsOpenWholeInsideTheWorkArea) {
  gui_test::TempDir dir;
  AppProfile().SetPath(dir / "test.profile");
  std::vector<CCDDBRecord> matches(2);
  for (CCDDBRecord& m : matches) {
    m.Artist = "Artist";
    m.Title = "Title";
    m.TrackTitles = {"One", "Two", "Three"};
    m.TrackOffsets = {150, 20000, 40000};
  }
  EXPECT_EQ(ModalPartsOff(CFreeDBChoice(nullptr, matches), {IDOK, IDCANCEL}), "") << "the match chooser";
  EXPECT_EQ(ModalPartsOff(CEditCD(nullptr), {res::IDC_EDIT_CD_OK, res::IDC_EDIT_CD_SAVE_LOCAL}), "")
      << "the album editor";
  WindowPlacement large;  // saved on a larger screen
  large.length = kWindowPlacementSize;
  large.showCmd = WindowPlacement::SW_SHOWNORMAL;
  large.normalPosition = {100, 60, 1700, 1260};
  ASSERT_TRUE(AppProfile().WriteProfileBinary(kPlacementSection, kFreeDBChoicePlacementEntry,
                                              EncodePlacement(large)));
  EXPECT_EQ(ModalPartsOff(CFreeDBChoice(nullptr, matches), {IDOK, IDCANCEL}), "")
      << "the chooser saved on a larger screen";
  {
    // The main window's template on a frame, its minimum size included.
    std::unique_ptr<ui::CResizeFrameDlg, Destroyer> main(new ui::CResizeFrameDlg(res::kMainDialog, nullptr));
    ASSERT_TRUE(main->Create());
    main->SetMinTrackSize({main->GetSize().x, main->GetSize().y});
    main->Show();
    std::string problem;
    EXPECT_TRUE(gui_test::PumpUntil([&] {
      problem = PartsOffTheWorkArea(*main, *main, {});
      return problem.empty();
    })) << "the main window: "
        << problem;
    const wxRect area = wxDisplay(0u).GetClientArea();
    EXPECT_LE(main->GetMinSize().x, area.width);
    EXPECT_LE(main->GetMinSize().y, area.height);
  }
  AppProfile().SetPath("");
}

}  // namespace

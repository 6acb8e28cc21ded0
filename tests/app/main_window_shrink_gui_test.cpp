// The main window shrunk by its user with a disc listed.
#include <gtest/gtest.h>
#include <wx/settings.h>

#include <cstring>

#include "tests/app/main_window_fixture.h"

namespace {

class MainWindowShrink : public MainWindowTest {};

// Every size is a row; GTK's criticals (a list's scroll bars squeezed) fail
// the test through the runner. The window stops at its minimum with every
// control whole and four rows of the list in sight, and shows one size grip:
// the status bar's.
TEST_F(MainWindowShrink, StopsWithItsControlsWholeAndShowsOneGrip) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc({{AudioTrack(185), AudioTrack(243), AudioTrack(201), DataTrack(30)}});
  wxWindow* surface = dlg.Surface();
  for (const wxSize& size : {wxSize(700, 420), wxSize(560, 330), wxSize(480, 300), wxSize(400, 260),
                             wxSize(300, 200), wxSize(1, 1)}) {
    dlg.SetClientSize(size);
    gui_test::PumpFrames();
  }
  const wxRect client(surface->GetClientSize());
  EXPECT_GT(client.width, 1);
  EXPECT_GT(client.height, 1);
  for (wxWindow* child : surface->GetChildren()) {
    if (!child->IsShown()) continue;
    EXPECT_TRUE(client.Contains(child->GetRect())) << child->GetName() << " cut";
  }
  EXPECT_LE(dlg.TrackList()->GetRect().GetBottom(), dlg.StatusBar()->GetRect().GetTop());
  // Four rows stay in sight whole, above the horizontal scroll bar.
  wxRect fourth;
  ASSERT_TRUE(dlg.TrackList()->GetItemRect(3, fourth));
  EXPECT_LE(fourth.GetBottom(),
            dlg.TrackList()->GetClientSize().y - wxSystemSettings::GetMetric(wxSYS_HSCROLL_Y, dlg.TrackList()));

  // The dialog's own grip lies under the status bar, which has its grip.
  EXPECT_TRUE(dlg.StatusBar()->HasFlag(wxSTB_SIZEGRIP));
  CSizeGripExt* grip = dlg.Grip();
  ASSERT_NE(grip, nullptr);
  EXPECT_TRUE(dlg.StatusBar()->GetRect().Contains(grip->GetRect()));
  grip->SetVisible(false);
  grip->UpdatePosition(surface);
  const wxImage without = gui_test::DrawWindow(&dlg);
  grip->SetVisible(true);
  grip->UpdatePosition(surface);
  const wxImage with = gui_test::DrawWindow(&dlg);
  ASSERT_TRUE(with.IsOk() && without.IsOk());
  ASSERT_EQ(with.GetSize(), without.GetSize());
  const size_t bytes = static_cast<size_t>(with.GetWidth()) * static_cast<size_t>(with.GetHeight()) * 3;
  EXPECT_EQ(std::memcmp(with.GetData(), without.GetData(), bytes), 0) << "two grips in the corner";
  EXPECT_TRUE(gui_test::SaveScreenshot(with, "main_window_smallest"));
}

}  // namespace

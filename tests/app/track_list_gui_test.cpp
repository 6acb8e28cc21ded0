// The track list in the main window on disc images: what the list shows, the
// refusal of a data track's check box, the check commands, the double-click
// action by DbClk, and the main job from the window: checked tracks ripped
// through the progress window to WAV and MP3 files.
#include <fmt/printf.h>
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <fstream>

#include "app/gui/ripping_progress_dlg.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "res/main_dialog.h"
#include "res/ripping_progress_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/rip/rip_test_util.h"
#include "tests/support/disc_image.h"
#include "ui/core/control_ids.h"
#include "ui/core/xmessage_box_model.h"

namespace {

// Records the commands that reach the main window, before its own handlers.
class CommandRecorder : public wxEvtHandler {
 public:
  CommandRecorder() {
    Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
      ids.push_back(e.GetId());
      e.Skip();
    });
  }
  std::vector<int> ids;
};

class TrackListGui : public MainWindowTest {
 protected:
  // A double-click on `row` where the list's item area receives it.
  static void DoubleClick(CQuarnoCDRipperDlg& dlg, int row) {
    wxListCtrl* list = dlg.TrackList();
    // The item area is the list's larger child; the header is the other.
    wxWindow* area = list;
    for (wxWindow* child : list->GetChildren())
      if (child->GetSize().y > area->GetSize().y || area == list) area = child;
    wxRect rect;
    if (row >= 0) {
      // On the title: a click at the row's start would land on its check box.
      ASSERT_TRUE(list->GetSubItemRect(row, kTrackColumnTitle, rect));
    } else {
      rect = wxRect(0, list->GetClientSize().y - 4, 1, 1);  // below the last row
    }
    wxMouseEvent event(wxEVT_LEFT_DCLICK);
    event.SetPosition(rect.GetPosition() + wxPoint(20, rect.height / 2) - area->GetPosition());
    event.SetEventObject(area);
    area->ProcessWindowEvent(event);
    gui_test::PumpEvents();
  }
};

TEST_F(TrackListGui, ShowsTheDiscAndRefusesToCheckADataTrack) {
  // The long track before a data track of the same session keeps its length.
  CQuarnoCDRipperDlg& dlg = StartOnDisc({{AudioTrack(2), AudioTrack(160), DataTrack(3)}});
  wxListCtrl* list = dlg.TrackList();
  const TrackListModel& model = dlg.TrackModel();
  EXPECT_EQ(list->GetItemText(1, kTrackColumnDuration).utf8_string(), "02:40.000");
  EXPECT_EQ(static_cast<int32_t>(list->GetItemData(1)), 12000);
  EXPECT_EQ(static_cast<int32_t>(list->GetItemData(2)), static_cast<int32_t>(kDataTrackMarker + 225));
  const std::string folder =
      fmt::sprintf("%sUnknown Artist %08x/Unknown Album %08x/", DesDir, DiscID, DiscID);
  const std::string destinations[] = {folder + "01-Track01.mp3", folder + "02-Track02.mp3",
                                      "Not an audio track"};
  const wxColour colours[] = {wxColour(255, 255, 255), wxColour(0xF3, 0xF5, 0xFC),
                              wxColour(0xFF, 0xCC, 0xE7)};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < kTrackColumnDestination; ++column)
      EXPECT_EQ(list->GetItemText(row, column).utf8_string(), model.CellText(row, column))
          << row << "," << column;
    EXPECT_EQ(list->GetItemText(row, kTrackColumnDestination).utf8_string(), destinations[row]);
    EXPECT_EQ(list->GetItemBackgroundColour(row), colours[row]) << row;
    EXPECT_EQ(list->IsItemChecked(row), row != 2) << row;
  }
  EXPECT_EQ(dlg.CurrentItem, 0);
  EXPECT_EQ(dlg.SelectedTrackRow(), 0);
  // The format follows into the Destination column.
  Command(res::ID_FORMAT_WAV);
  EXPECT_EQ(list->GetItemText(0, kTrackColumnDestination).utf8_string(), folder + "01-Track01.wav");

  // The user ticks the data track: one warning, one log line, the box stays clear.
  list->CheckItem(2, true);
  EXPECT_FALSE(list->IsItemChecked(2));
  EXPECT_FALSE(model.IsChecked(2));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Warning: Only Audio Track can be Checked!"});
  ASSERT_FALSE(AppEventLog().LogEntries().empty());
  EXPECT_EQ(AppEventLog().LogEntries().back().Text, "Warning: only audio track can be checked!");
  EXPECT_EQ(AppEventLog().LogEntries().back().Level, LogError);

  // The user's own changes reach the model; the program's raise no warning.
  list->CheckItem(0, false);
  EXPECT_FALSE(model.IsChecked(0));
  Command(res::ID_EDIT_CHECKALL);
  EXPECT_TRUE(list->IsItemChecked(0) && list->IsItemChecked(1) && !list->IsItemChecked(2));
  Command(res::ID_EDIT_REVERSECHECK);
  for (int row = 0; row < 3; ++row) EXPECT_FALSE(list->IsItemChecked(row) || model.IsChecked(row)) << row;
  EXPECT_EQ(boxes_.Shown().size(), 1u);

  // Rip with nothing checked.
  {
    gui_test::NoModalExpected noDialog;
    Command(res::ID_OPERATION_RIP);
  }
  EXPECT_EQ(boxes_.Texts().back(), "No Audio Tracks Checked!");
}

TEST_F(TrackListGui, DoubleClickActsByTheRememberedChoice) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc({{AudioTrack(2), DataTrack(3)}}, "[MISC]\nDbClk=-1\n");
  CommandRecorder commands;
  dlg.PushEventHandler(&commands);
  struct Pop {
    wxWindow& window;
    ~Pop() { window.PopEventHandler(); }
  } pop{dlg};
  const int kPlayCurrent = ui::WxId(res::ID_LIST_PLAYCURRENT);
  wxListCtrl* list = dlg.TrackList();
  list->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);

  // Asked; "Rip the Track" with the box ticked: Rip Current on the selected
  // data track refuses, and the choice is kept.
  boxes_.Script({(IDCUSTOM1 + 1) | static_cast<int>(MB_DONOTASKAGAIN)});
  DoubleClick(dlg, 1);
  EXPECT_EQ(boxes_.Texts(),
            (std::vector<std::string>{"Which Action Do You Wish to Perform?", "Not an Audio Track!"}));
  EXPECT_EQ(boxes_.Style(0), 0x21000030u);
  EXPECT_EQ(DbClk, 1);
  DoubleClick(dlg, 1);
  EXPECT_EQ(boxes_.Texts().back(), "Not an Audio Track!");
  EXPECT_EQ(boxes_.Shown().size(), 3u) << "a remembered choice asks no more";

  // "Play the Track" without the tick plays (the player's command) and asks again next time.
  DbClk = -1;
  boxes_.Script({IDCUSTOM1, IDCANCEL});
  DoubleClick(dlg, 0);
  EXPECT_EQ(std::ranges::count(commands.ids, kPlayCurrent), 1);
  EXPECT_EQ(DbClk, -1);
  DoubleClick(dlg, 0);  // Cancel: nothing
  EXPECT_EQ(std::ranges::count(commands.ids, kPlayCurrent), 1);
  EXPECT_EQ(boxes_.Shown().size(), 5u);
  DbClk = 0;
  DoubleClick(dlg, 0);
  DoubleClick(dlg, -1);  // no row under the mouse: nothing
  EXPECT_EQ(std::ranges::count(commands.ids, kPlayCurrent), 2);
  EXPECT_EQ(boxes_.Shown().size(), 5u);
}

// The main job from the window on the demo disc, whose album the loopback
// CDDB server knows: check tracks, Rip, the progress window runs to
// "Finished Copying", and the files hold the image's audio, named by the album.
TEST_F(TrackListGui, RipFromTheWindowWritesTheCheckedTracks) {
  DemoServer demo(root_);
  const std::string cue = demo.cue;
  ASSERT_TRUE(fs::exists(cue));
  std::ifstream image(cue.substr(0, cue.size() - 3) + "bin", std::ios::binary);
  for (const int format : {1, 2}) {
    SCOPED_TRACE(format == 1 ? "WAV" : "MP3");
    const std::string desDir = (root_ / "out" / (format == 1 ? "wav" : "mp3")).string() + "/";
    WriteSettings(
        fmt::sprintf("[MISC]\nTip=0\n[FREEDB]\nLoadAlbumInfo=1\n[OUTPUT]\nOutputFormat=%d\nDesDir=%s\n"
                     "M3U=1\nFileStyle=11\n",
                     format, desDir));
    CQuarnoCDRipperDlg& dlg = Start(cue);
    const std::string first = "Morning Tray";  // the album comes from the server
    ASSERT_TRUE(gui_test::PumpUntil([&] {
      return Busy.load() == 0 && dlg.TrackList()->GetItemCount() == 5 &&
             dlg.TrackList()->GetItemText(0, kTrackColumnTitle) == first;
    }));
    dlg.TrackList()->CheckItem(1, false);  // the user leaves tracks 2 and 4 out
    dlg.TrackList()->CheckItem(3, false);
    // WAV from the toolbar's Rip button, MP3 from the menu.
    ASSERT_NE(dlg.MainToolBar()->FindById(ui::WxId(res::ID_OPERATION_RIP)), nullptr);
    EXPECT_EQ(
        RipAndFinish(format == 2
                         ? std::function<void()>()
                         : [&] { dlg.MainToolBar()->OnLeftClick(ui::WxId(res::ID_OPERATION_RIP), false); }),
        "Finished Copying");

    const std::string album = "Demo Disc";
    const std::string folder = desDir + "The Loopback Ensemble/" + album + "/";
    const std::string ext = format == 1 ? ".wav" : ".mp3";
    const std::string names[] = {"01-Morning Tray" + ext, "03-Seventy-Five Frames" + ext};
    EXPECT_EQ(ReadText(folder + album + ".m3u"), names[0] + "\r\n" + names[1] + "\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    for (const int track : {0, 2}) {
      const std::string path = folder + names[track / 2];
      const TrackRow& row = dlg.TrackModel().Row(track);
      const size_t bytes = static_cast<size_t>(row.ItemData) * kImageSectorBytes;
      if (format == 2) {
        EXPECT_EQ(DecodeMp3(path).size() * 2, bytes) << path;
        continue;
      }
      std::vector<char> expected(bytes);
      image.seekg(static_cast<std::streamoff>(row.StartLBA) * kImageSectorBytes);
      ASSERT_TRUE(image.read(expected.data(), static_cast<std::streamsize>(bytes)));
      const std::vector<uint8_t> file = ReadBytes(path);
      ASSERT_EQ(file.size(), 44 + bytes) << path;
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin() + 44, [](char a, uint8_t b) {
        return static_cast<uint8_t>(a) == b;
      })) << path;
    }
    dlg.OnSessionEnd();
    dlg.Destroy();
    dialog_ = nullptr;
    gui_test::PumpEvents();
    // The next window starts as a new run would.
    ExitInProgress = 0;
    SessionEnding = false;
    ui::RefuseModalDialogs(false);
  }
  EXPECT_TRUE(boxes_.Shown().empty()) << boxes_.Shown().front().first;
}

}  // namespace

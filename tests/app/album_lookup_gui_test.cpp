// The album lookup in the main window, against the loopback CDDB server:
// several matches open the match chooser (OK without a selection, a chosen
// row, a double-click, Cancel, the close box), and the session may end while
// the chooser waits. One match in the window is the screenshot test's.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "app/gui/freedb_choice.h"
#include "cddb/cddb_globals.h"
#include "cddb/disc_id.h"
#include "res/freedb_choice_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/cddb_server.h"
#include "tests/support/disc_image.h"

namespace {

class AlbumLookupGui : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    const DiscImageSpec disc{{AudioTrack(3), AudioTrack(4), DataTrack(2)}};
    cue_ = WriteDiscImage(root_.string(), disc, "disc");
    const DiscImageLayout layout = LayoutOf(disc);
    std::vector<CCDDBTrackPosition> positions;
    for (const auto& t : layout.Tracks) positions.push_back(Position(t.StartLBA));
    positions.push_back(Position(layout.LeadOutLBA));
    id_ = fmt::format("{:08x}", ComputeDiscID(positions));
    fs::create_directories(root_ / "records");
    server_ = std::make_unique<CddbLoopbackServer>((root_ / "records").string());
    server_->Start();
    ::setenv("QCR_CDDB_SERVER", fmt::format("127.0.0.1:{}", server_->Port()).c_str(), 1);
  }
  static CCDDBTrackPosition Position(int lba) {
    return {(lba + 150) / 4500, (lba + 150) % 4500 / 75, (lba + 150) % 75};
  }

  void Serve(const std::string& category, const std::string& album) {
    fs::create_directories(root_ / "records" / category);
    std::ofstream(root_ / "records" / category / id_)
        << "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t375\n#\t675\n#\n# Disc length: 11 seconds\n#\n"
        << "# Revision: 0\n# Submitted via: test 1.0\n#\nDISCID=" << id_ << "\nDTITLE=Band / " << album
        << "\nDYEAR=2001\nDGENRE=" << category << "\nTTITLE0=" << album << " opening\nTTITLE1=" << album
        << " closing\nTTITLE2=Data\nEXTD=\nEXTT0=\nEXTT1=\nEXTT2=\nPLAYORDER=\n";
  }
  fs::path CacheFile() const { return DataFolder() / "Local CDDB" / (id_ + ".cddb"); }
  // Waits until the first row of the main track list has `title`.
  bool WaitForTitle(const std::string& title) {
    return gui_test::PumpUntil([&] {
      return Busy.load() == 0 && dialog_->TrackList()->GetItemCount() == 3 &&
             dialog_->TrackList()->GetItemText(0, 1).utf8_string() == title;
    });
  }
  static void Select(CFreeDBChoice& chooser, long row) {
    chooser.MatchList()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    gui_test::PumpEvents();
  }

  std::string cue_, id_;
  std::unique_ptr<CddbLoopbackServer> server_;
};

TEST_F(AlbumLookupGui, SeveralMatchesOpenTheChooser) {
  Serve("blues", "First");
  Serve("jazz", "Second");
  struct Row {
    const char* name;
    std::function<void(CFreeDBChoice&)> act;
    const char* title;  // of the main list's first row afterwards
  };
  const Row rows[] = {
      {"OK without a selection warns, then a chosen row wins",
       [&](CFreeDBChoice& c) {
         EXPECT_EQ(c.MatchList()->GetItemCount(), 2);
         EXPECT_EQ(c.MatchList()->GetItemText(1, 1).utf8_string(), "Second");
         EXPECT_EQ(c.MatchList()->GetItemText(0, 0).utf8_string(), id_);
         EXPECT_EQ(c.MatchList()->GetItemBackgroundColour(1), CFreeDBChoice::RowColour(1));
         gui_test::Click(c.GetDlgItem(IDOK));
         EXPECT_TRUE(c.IsModal());
         EXPECT_EQ(boxes_.Shown().back().first, "Please select a listing!");
         Select(c, 1);
         EXPECT_EQ(c.TrackList()->GetItemText(0, 1).utf8_string(), "Second opening");
         gui_test::Click(c.GetDlgItem(IDOK));
       },
       "Second opening"},
      {"Cancel takes the first", [](CFreeDBChoice& c) { gui_test::Click(c.GetDlgItem(IDCANCEL)); },
       "First opening"},
      {"a double-click takes its row",
       [](CFreeDBChoice& c) {
         wxListEvent activated(wxEVT_LIST_ITEM_ACTIVATED, c.MatchList()->GetId());
         activated.m_itemIndex = 1;
         activated.SetEventObject(c.MatchList());
         c.MatchList()->GetEventHandler()->ProcessEvent(activated);
       },
       "Second opening"},
      {"the close box takes the first",
       [](CFreeDBChoice& c) {
         wxCloseEvent close(wxEVT_CLOSE_WINDOW, c.GetId());
         close.SetEventObject(&c);
         close.SetCanVeto(true);
         c.ProcessWindowEvent(close);
       },
       "First opening"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(CacheFile());
    gui_test::WhenModalShown([&](wxDialog& d) { row.act(dynamic_cast<CFreeDBChoice&>(d)); },
                             [](wxDialog& d) { return dynamic_cast<CFreeDBChoice*>(&d) != nullptr; });
    if (dialog_ == nullptr) {
      Start(cue_);
    } else {
      dialog_->OnRefresh();
    }
    // Each row's title differs from the one before, and each row has its own chooser.
    ASSERT_TRUE(WaitForTitle(row.title));
    ASSERT_EQ(std::ranges::count(LogTexts(), "FreeDB server returned multiple results."), &row - rows + 1);
    EXPECT_EQ(boxes_.Shown().at(0).first,
              "FreeDB Server Returned Multiple Results, Please Select the Correct One.");
    CCDDBRecord cached;
    ASSERT_TRUE(LoadAlbumRecord(CacheFile().string(), cached));
    EXPECT_EQ(cached.TrackTitles.at(0), row.title);
  }
}

TEST_F(AlbumLookupGui, SessionMayEndWhileTheChooserWaits) {
  Serve("blues", "First");
  Serve("jazz", "Second");
  gui_test::WhenModalShown([&](wxDialog&) { dialog_->OnSessionEnd(); },
                           [](wxDialog& d) { return dynamic_cast<CFreeDBChoice*>(&d) != nullptr; });
  Start(cue_);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dialog_->ProcessExitCode() == 0; }));
  // The refresh was cut short: no disc is taken as read, nothing is cached.
  EXPECT_EQ(NoDisc.load(), 1);
  EXPECT_FALSE(fs::exists(CacheFile()));
}

}  // namespace

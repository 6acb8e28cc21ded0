// The album editor, the tip of the day and the About box, each opened by the
// main window's command on a disc image: what OK, "Save to Local", Enter and
// Escape do to the album, the tip cycle and the Tip setting, the links of the
// About box (opened through a recording xdg-open), and an edited album
// reaching the tags of a ripped MP3.
#include <fmt/printf.h>
#include <gtest/gtest.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/gui/about_dlg.h"
#include "app/gui/edit_cd.h"
#include "app/gui/ripping_progress_dlg.h"
#include "app/gui/tip_dlg.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "res/main_dialog.h"
#include "res/small_dialogs.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/disc_image.h"
#include "ui/combo_box_ext.h"
#include "ui/core/control_ids.h"
#include "ui/hyperlink.h"

namespace {

std::string ReadAll(const fs::path& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

class SmallDialogsGui : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    TipPending = 0;  // the start-up tip stays out of the way
    // The desktop's handler records its arguments, one line per start.
    fs::create_directories(root_ / "bin");
    std::ofstream(root_ / "bin" / "xdg-open") << "#!/bin/sh\nprintf '%s|' \"$@\" >> '" << Opened().string()
                                              << "'\necho >> '" << Opened().string() << "'\n";
    fs::permissions(root_ / "bin" / "xdg-open", fs::perms::owner_all);
    path_ = getenv("PATH") != nullptr ? getenv("PATH") : "";
    ::setenv("PATH", ((root_ / "bin").string() + ":" + path_).c_str(), 1);
  }
  void TearDown() override {
    ::setenv("PATH", path_.c_str(), 1);
    MainWindowTest::TearDown();
  }
  fs::path Opened() const { return root_ / "opened.log"; }
  fs::path Settings() const { return DataFolder() / "Quarno CD Ripper.ini"; }

  // The window on a two-track image, with placeholders for the album.
  CQuarnoCDRipperDlg& StartWindow(const std::string& settings = "") {
    WriteSettings(fmt::sprintf("[FREEDB]\nLoadAlbumInfo=0\n[OUTPUT]\nOutputFormat=2\nDesDir=%s/\nFileStyle=11\n%s",
                               (root_ / "out").string(), settings));
    CQuarnoCDRipperDlg& dlg = Start(WriteDiscImage(root_.string(), {{AudioTrack(2), AudioTrack(3)}}));
    EXPECT_TRUE(
        gui_test::PumpUntil([&] { return dlg.TrackList()->GetItemCount() == 2 && Busy.load() == 0; }));
    return dlg;
  }
  // Runs command `id` with `action` on the dialog of class D it opens.
  template <class D>
  void OnCommandDialog(int id, const std::function<void(D&)>& action) {
    bool seen = false;
    gui_test::WhenModalShown(
        [&](wxDialog& d) {
          seen = true;
          action(dynamic_cast<D&>(d));
        },
        [](wxDialog& d) { return dynamic_cast<D*>(&d) != nullptr; });
    wxCommandEvent event(wxEVT_MENU, ui::WxId(id));
    dialog_->ProcessWindowEvent(event);
    EXPECT_TRUE(seen);
  }
  static std::string Text(ui::CTemplateHost& dlg, int id) {
    return dlg.GetDlgItemAs<wxTextCtrl>(id)->GetValue().utf8_string();
  }
  static void SetText(ui::CTemplateHost& dlg, int id, const std::string& text) {
    dlg.GetDlgItemAs<wxTextCtrl>(id)->SetValue(wxString::FromUTF8(text));
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes_.Shown()) texts.push_back(box.first);
    return texts;
  }
  void Screenshot(wxWindow& window, const std::string& name) {
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&window), name));
  }

  std::string path_;
};

// How a row ends the editor.
enum class End { OkButton, EnterKey, EscapeKey };

struct EditRow {
  const char* name;
  const char* startArtist;
  int startYear;
  bool startsVarious;    // the check box is checked and the artist field off at opening
  const char* album;     // typed, or null to leave
  const char* artist;
  bool toggleVarious;    // one click on "Various Artists"
  const char* genre;     // typed into the combo box's field, or null
  const char* year;
  End end;
  const char* refusal;   // the message shown instead of closing, or null
  // The album afterwards.
  const char* title;
  const char* artistAfter;
  const char* genreAfter;
  int yearAfter;
};

const EditRow kEditRows[] = {
    {"trims, keeps a typed genre", "Band", 1990, false, "New Album  ", "Band \t", false, "Chiptune Wave",
     "1999", End::OkButton, nullptr, "New Album", "Band", "Chiptune Wave", 1999},
    {"Enter is OK", "Band", 1990, false, "Keyed", nullptr, false, "Jazz", "2100", End::EnterKey, nullptr,
     "Keyed", "Band", "Jazz", 2100},
    {"checking Various Artists", "Solo", 1990, false, nullptr, nullptr, true, nullptr, "1", End::OkButton,
     nullptr, "Old Album", "Various Artists", "Rock", 1},
    {"unchecking keeps the text", "Various Artists", 1990, true, nullptr, nullptr, true, nullptr, "1990",
     End::OkButton, nullptr, "Old Album", "Various Artists", "Rock", 1990},
    {"empty year", "Band", 1990, false, "Lost", nullptr, false, nullptr, "", End::OkButton, "Enter an integer.",
     "Old Album", "Band", "Rock", 1990},
    {"year above 2100", "Band", 1990, false, "Lost", nullptr, false, nullptr, "2101", End::EnterKey,
     "Enter an integer between 1 and 2100.", "Old Album", "Band", "Rock", 1990},
    {"year 0 on a dated album", "Band", 1990, false, "Lost", nullptr, false, nullptr, "0", End::OkButton,
     "Enter an integer between 1 and 2100.", "Old Album", "Band", "Rock", 1990},
    {"an album without a year keeps 0", "Band", 0, false, "Undated", nullptr, false, nullptr, "0",
     End::OkButton, nullptr, "Undated", "Band", "Rock", 0},
    {"Escape applies nothing", "Band", 1990, false, "Lost", "Lost", true, "Lost", "1234", End::EscapeKey,
     nullptr, "Old Album", "Band", "Rock", 1990},
};

TEST_F(SmallDialogsGui, EditorAppliesOnOkAndEnterRefusesBadYearsAndEscapeAppliesNothing) {
  StartWindow();
  bool screenshot = false;
  for (const EditRow& row : kEditRows) {
    SCOPED_TRACE(row.name);
    AlbumRecord.Title = "Old Album";
    AlbumRecord.Artist = row.startArtist;
    AlbumRecord.Genre = "Rock";
    AlbumRecord.Year = row.startYear;
    AlbumInfoIsDefault = 1;
    const size_t boxesBefore = boxes_.Shown().size();
    int result = -1;
    bool openedRight = false;
    bool stayedOpen = false;
    OnCommandDialog<CEditCD>(res::ID_EDIT_CDINFO, [&](CEditCD& dlg) {
      auto* various = dlg.GetDlgItemAs<wxCheckBox>(res::IDC_EDIT_CD_VARIOUS);
      wxWindow* artist = dlg.GetDlgItem(res::IDC_EDIT_CD_ARTIST);
      openedRight = Text(dlg, res::IDC_EDIT_CD_ALBUM) == "Old Album" &&
                    Text(dlg, res::IDC_EDIT_CD_ARTIST) == row.startArtist &&
                    dlg.GenreBox()->GetValue() == "Rock" && dlg.GenreBox()->GetCount() == 148 &&
                    Text(dlg, res::IDC_EDIT_CD_YEAR) == std::to_string(row.startYear) &&
                    various->GetValue() == row.startsVarious && artist->IsEnabled() == !row.startsVarious;
      if (!screenshot) {
        Screenshot(dlg, "edit_cd_info");
        screenshot = true;
      }
      if (row.album != nullptr) SetText(dlg, res::IDC_EDIT_CD_ALBUM, row.album);
      if (row.artist != nullptr) SetText(dlg, res::IDC_EDIT_CD_ARTIST, row.artist);
      if (row.toggleVarious) {
        gui_test::Click(various);
        // Checked: the field says so and is off; unchecked: on, its text kept.
        EXPECT_EQ(artist->IsEnabled(), !various->GetValue());
        if (various->GetValue()) {
          EXPECT_EQ(Text(dlg, res::IDC_EDIT_CD_ARTIST), "Various Artists");
        }
      }
      if (row.genre != nullptr) dlg.GenreBox()->ChangeValue(row.genre);
      SetText(dlg, res::IDC_EDIT_CD_YEAR, row.year);
      if (row.end == End::OkButton) gui_test::Click(dlg.GetDlgItem(res::IDC_EDIT_CD_OK));
      if (row.end != End::OkButton) gui_test::PressKey(&dlg, row.end == End::EnterKey ? WXK_RETURN : WXK_ESCAPE);
      stayedOpen = dlg.Result() == -1;
      if (stayedOpen) gui_test::PressKey(&dlg, WXK_ESCAPE);
      result = dlg.Result();
    });
    EXPECT_TRUE(openedRight);
    const std::vector<std::string> boxes = BoxTexts();
    const std::vector<std::string> newBoxes(boxes.begin() + static_cast<long>(boxesBefore), boxes.end());
    if (row.refusal != nullptr) {
      EXPECT_TRUE(stayedOpen);
      EXPECT_EQ(newBoxes, std::vector<std::string>{row.refusal});
    } else {
      EXPECT_FALSE(stayedOpen);
      EXPECT_TRUE(newBoxes.empty());
    }
    const bool applied = row.refusal == nullptr && row.end != End::EscapeKey;
    EXPECT_EQ(result, applied ? IDOK : IDCANCEL);
    EXPECT_EQ(AlbumRecord.Title, row.title);
    EXPECT_EQ(AlbumRecord.Artist, row.artistAfter);
    EXPECT_EQ(AlbumRecord.Genre, row.genreAfter);
    EXPECT_EQ(AlbumRecord.Year, row.yearAfter);
    EXPECT_EQ(AlbumInfoIsDefault.load(), applied ? 0 : 1);
    // The track list names its files after the album now in the record.
    if (applied) {
      const std::string destination = dialog_->TrackModel().CellText(0, kTrackColumnDestination);
      EXPECT_NE(destination.find(std::string(row.artistAfter) + "/" + row.title + "/"), std::string::npos)
          << destination;
    }
  }
}

TEST_F(SmallDialogsGui, SaveToLocalAppliesWritesTheCacheFileAndStaysOpen) {
  StartWindow();
  // Writable (a folder made on the way), then a cache folder that is a file.
  const struct {
    fs::path folder;
    bool saved;
  } cases[] = {{root_ / "cache" / "sub", true}, {root_ / "blocked" / "sub", false}};
  std::ofstream(root_ / "blocked") << "a file where the folder should be";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder.string());
    LocalCDDBDir = c.folder.string();
    const fs::path file = c.folder / fmt::sprintf("%08x.cddb", DiscID);
    const size_t boxesBefore = boxes_.Shown().size();
    const size_t logBefore = LogTexts().size();
    bool stayedOpen = false;
    OnCommandDialog<CEditCD>(res::ID_EDIT_CDINFO, [&](CEditCD& dlg) {
      SetText(dlg, res::IDC_EDIT_CD_ALBUM, "Saved Album ");
      SetText(dlg, res::IDC_EDIT_CD_YEAR, "2001");
      gui_test::Click(dlg.GetDlgItem(res::IDC_EDIT_CD_SAVE_LOCAL));
      stayedOpen = dlg.Result() == -1;
      gui_test::PressKey(&dlg, WXK_ESCAPE);
    });
    EXPECT_TRUE(stayedOpen);
    // Applied either way; the file holds the record as applied.
    EXPECT_EQ(AlbumRecord.Title, "Saved Album");
    EXPECT_EQ(AlbumRecord.Year, 2001);
    const std::vector<std::string> boxes = BoxTexts();
    const std::vector<std::string> log = LogTexts();
    const std::vector<std::string> newLog(log.begin() + static_cast<long>(logBefore), log.end());
    if (c.saved) {
      EXPECT_EQ(std::vector<std::string>(boxes.begin() + static_cast<long>(boxesBefore), boxes.end()),
                std::vector<std::string>{"Local CDDB File Saved."});
      EXPECT_EQ(std::ranges::count(newLog, "Local CDDB file saved."), 1);
      CCDDBRecord saved;
      ASSERT_TRUE(LoadAlbumRecord(file.string(), saved));
      EXPECT_EQ(saved.Title, "Saved Album");
      EXPECT_EQ(saved.Year, 2001);
      EXPECT_EQ(saved.TrackTitles, AlbumRecord.TrackTitles);
    } else {
      EXPECT_EQ(boxes.size(), boxesBefore);
      EXPECT_EQ(std::ranges::count(newLog, "Fail to save local CDDB file!"), 1);
      EXPECT_FALSE(fs::exists(file));
    }
  }
}

// Three tips among comments, blanks and an empty line.
constexpr const char* kTips[] = {"First tip.", "Second tip, somewhat longer than the others.", "Third tip."};

TEST_F(SmallDialogsGui, TipCyclesWithNextTipAndOnlyOkWritesTheStartupSetting) {
  StartWindow();
  const fs::path tips = root_ / "Tips.tip";
  std::ofstream(tips) << "; comment\n" << kTips[0] << "\n\n  indented, skipped\n" << kTips[1] << "\n\t"
                      << "tabbed\n;x\n" << kTips[2] << "\n";
  const struct {
    bool uncheck;
    End end;
    const char* written;  // the Tip line afterwards, or null: the file is left as it was
  } cases[] = {{true, End::EscapeKey, nullptr},
               {false, End::OkButton, "Tip=1"},
               {true, End::EscapeKey, nullptr},
               {true, End::OkButton, "Tip=0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written != nullptr ? c.written : "escape");
    const std::string before = ReadAll(Settings());
    std::vector<std::string> shown;
    gui_test::WhenModalShown([&](wxDialog& d) {
      auto& dlg = dynamic_cast<CTipDlg&>(d);
      for (int i = 0; i < 4; ++i) {
        std::string tip = dlg.ShownTip();
        std::ranges::replace(tip, '\n', ' ');  // the area's word wrap
        shown.push_back(tip);
        gui_test::Click(dlg.GetDlgItem(res::IDC_TIP_NEXT));
      }
      if (c.uncheck) gui_test::Click(dlg.GetDlgItem(res::IDC_TIP_STARTUP));
      if (c.end == End::OkButton) gui_test::Click(dlg.GetDlgItem(IDOK));
      if (c.end != End::OkButton) gui_test::PressKey(&dlg, WXK_ESCAPE);
    });
    CTipDlg(dialog_, tips.string()).DoModal();
    // Any start, then the file's order round and round.
    ASSERT_EQ(shown.size(), 4u);
    const auto start = std::ranges::find(kTips, shown[0]);
    ASSERT_NE(start, std::end(kTips)) << shown[0];
    for (size_t i = 0; i < shown.size(); ++i)
      EXPECT_EQ(shown[i], kTips[(static_cast<size_t>(start - std::begin(kTips)) + i) % 3]);
    const std::string settings = ReadAll(Settings());
    if (c.written != nullptr) {
      EXPECT_NE(settings.find(std::string(c.written) + "\n"), std::string::npos) << settings;
      EXPECT_EQ(ReadTipSetting(), c.written[4] - '0');
    } else {
      EXPECT_EQ(settings, before);
    }
  }
}

TEST_F(SmallDialogsGui, NoTipFileOrNoTipLineShowsNothing) {
  StartWindow();
  const fs::path onlySkipped = root_ / "skipped.tip";
  std::ofstream(onlySkipped) << "; only comments\n\n  and indented lines\n";
  std::ofstream(root_ / "empty.tip");
  for (const fs::path& path : {root_ / "missing.tip", onlySkipped, root_ / "empty.tip"}) {
    SCOPED_TRACE(path.string());
    gui_test::NoModalExpected none;
    EXPECT_EQ(CTipDlg(dialog_, path.string()).DoModal(), IDOK);
  }
  EXPECT_EQ(ReadAll(Settings()).find("Tip="), std::string::npos);
}

TEST_F(SmallDialogsGui, AboutBoxLinksOpenTheHomePageAndTheSupportMail) {
  StartWindow();
  OnCommandDialog<CAboutDlg>(res::ID_HELP_ABOUT, [&](CAboutDlg& dlg) {
    EXPECT_EQ(dlg.GetTitle(), "About Quarno CD Ripper Free");
    EXPECT_EQ(dlg.GetDlgItem(res::IDC_ABOUT_VERSION)->GetLabel(), "Version 6.7.1");
    EXPECT_EQ(dlg.HomeLink()->GetLabelText(), "https://www.example.org/quarno/");
    EXPECT_EQ(dlg.SupportLink()->GetLabelText(), "support@example.org");
    Screenshot(dlg, "about_box");
    gui_test::MouseDown(dlg.HomeLink());
    gui_test::MouseDown(dlg.SupportLink());
    gui_test::Click(dlg.GetDlgItem(IDOK));
  });
  // The handler runs on its own; both starts are recorded once it has.
  ASSERT_TRUE(gui_test::PumpUntil([&] { return std::ranges::count(ReadAll(Opened()), '\n') == 2; }));
  std::string text = ReadAll(Opened());
  std::vector<std::string> lines;
  for (std::istringstream in(text); std::getline(in, text);) lines.push_back(text);
  std::ranges::sort(lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"https://www.example.org/quarno/|", "mailto:support@example.org|"}));
  EXPECT_TRUE(boxes_.Shown().empty());
  // The Tip of the Day command opens the tip dialog on the program's own tips.
  OnCommandDialog<CTipDlg>(res::ID_HELP_TIPOFTHEDAY, [this](CTipDlg& dlg) {
    EXPECT_FALSE(dlg.ShownTip().empty());
    // A long tip, to see it wrapped inside the area.
    for (int i = 0; i < 40 && dlg.ShownTip().size() < 120; ++i) gui_test::Click(dlg.GetDlgItem(res::IDC_TIP_NEXT));
    Screenshot(dlg, "tip_of_the_day");
    gui_test::PressKey(&dlg, WXK_ESCAPE);
  });
}

// The album edited in the window reaches the tags of a track ripped to MP3.
TEST_F(SmallDialogsGui, AnEditedAlbumTagsTheRippedMp3) {
  CQuarnoCDRipperDlg& dlg = StartWindow();
  OnCommandDialog<CEditCD>(res::ID_EDIT_CDINFO, [](CEditCD& edit) {
    SetText(edit, res::IDC_EDIT_CD_ALBUM, "Edited Album");
    SetText(edit, res::IDC_EDIT_CD_ARTIST, "The Testers");
    edit.GenreBox()->ChangeValue("Jazz");
    SetText(edit, res::IDC_EDIT_CD_YEAR, "2004");
    gui_test::Click(edit.GetDlgItem(res::IDC_EDIT_CD_OK));
  });
  dlg.TrackList()->CheckItem(1, false);
  std::string caption;
  gui_test::WhenModalShown(
      [&](wxDialog& d) {
        auto& progress = dynamic_cast<CRippingProgressDlg&>(d);
        gui_test::PumpUntil([&] { return progress.GetTitle() == "Finished Copying"; });
        caption = progress.GetTitle().utf8_string();
        gui_test::Click(progress.GetDlgItem(IDCANCEL));
      },
      [](wxDialog& d) { return dynamic_cast<CRippingProgressDlg*>(&d) != nullptr; });
  wxCommandEvent rip(wxEVT_MENU, ui::WxId(res::ID_OPERATION_RIP));
  dlg.ProcessWindowEvent(rip);
  ASSERT_EQ(caption, "Finished Copying");
  const fs::path mp3 = root_ / "out" / "The Testers" / "Edited Album" / "01-Track01.mp3";
  ASSERT_TRUE(fs::exists(mp3));
  TagLib::MPEG::File file(mp3.c_str());
  ASSERT_TRUE(file.isValid());
  TagLib::Tag* tag = file.tag();
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->artist().to8Bit(true), "The Testers");
  EXPECT_EQ(tag->album().to8Bit(true), "Edited Album");
  EXPECT_EQ(tag->genre().to8Bit(true), "Jazz");
  EXPECT_EQ(tag->year(), 2004u);
  EXPECT_TRUE(boxes_.Shown().empty());
}

}  // namespace

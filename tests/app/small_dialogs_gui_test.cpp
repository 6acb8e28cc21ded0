// The album editor, the tip of the day and the About box, opened by the main
// window's commands on a disc image: OK, Enter, Escape and "Save to Local"
// on the album, the tip cycle and the Tip setting, the About box's links
// (through a recording xdg-open), and an edited album in a ripped MP3's tags.
// Also the Tab order of every window of the program, walked with real keys.
#include <dlfcn.h>
#include <fmt/format.h>
#include <fmt/printf.h>
#include <gtest/gtest.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "app/gui/about_dlg.h"
#include "app/gui/edit_cd.h"
#include "app/gui/freedb_choice.h"
#include "app/gui/log_dlg.h"
#include "app/gui/ripping_progress_dlg.h"
#include "app/gui/tip_dlg.h"
#include "app/options_sheet_model.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "res/main_dialog.h"
#include "res/small_dialogs.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/disc_image.h"
#include "ui/combo_box_ext.h"
#include "ui/core/control_ids.h"
#include "ui/gtk_function.h"
#include "ui/hyperlink.h"
#include "ui/modal_tooltips.h"
#include "ui/xmessage_box.h"

namespace {

// Tab goes through GTK, which moves the focus only in the active window: a
// display of this program's own, with a window manager.
const gui_test::OwnDisplay kDisplay("1366x768x24", gui_test::OwnDisplay::kWindowManager);

class SmallDialogsGui : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    desktop_.emplace(root_);
    WriteSettings(
        fmt::sprintf("[FREEDB]\nLoadAlbumInfo=0\n[OUTPUT]\nOutputFormat=2\nDesDir=%s/\nFileStyle=11\n",
                     (root_ / "out").string()));
    Start(WriteDiscImage(root_.string(), {{AudioTrack(2), AudioTrack(3)}}));
    ASSERT_TRUE(gui_test::PumpUntil([&] { return dialog_->TrackList()->GetItemCount() == 2 && Busy == 0; }));
  }
  std::string Settings() const { return FileText(DataFolder() / "Quarno CD Ripper.ini"); }
  static wxTextCtrl* Edit(CEditCD& dlg, int id) { return dlg.GetDlgItemAs<wxTextCtrl>(id); }
  std::string LastBox(size_t before) const {
    return boxes_.Shown().size() > before ? boxes_.Shown().back().first : "";
  }
  static void Screenshot(wxWindow& window, const std::string& name) {
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&window), name));
  }

  std::optional<DesktopStandIn> desktop_;
};

enum class End { Ok, Enter, Escape, SaveToLocal };

struct EditRow {
  const char* artist;  // at opening ("Various Artists": the box checked, the field off)
  int year;            // at opening
  const char* album;   // typed (null: left as it was), likewise the next ones
  const char* typedArtist;
  bool toggleVarious;  // one click on "Various Artists"
  const char* genre;
  const char* typedYear;
  End end;
  const char* box;  // the message shown ("" for none)
  const char* titleAfter;
  const char* artistAfter;
  const char* genreAfter;
  int yearAfter;
  const char* cacheDir = nullptr;  // "Save to Local": LocalCDDBDir under the test's folder
};

const EditRow kEditRows[] = {
    {"Band", 1990, "New  ", "Band \t", false, "Chiptune Wave", "1999", End::Ok, "", "New", "Band",
     "Chiptune Wave", 1999},
    {"Band", 1990, "Keyed", nullptr, false, "Jazz", "2100", End::Enter, "", "Keyed", "Band", "Jazz", 2100},
    {"Solo", 1990, nullptr, nullptr, true, nullptr, "1", End::Ok, "", "Old", "Various Artists", "Rock", 1},
    {"Various Artists", 1990, nullptr, nullptr, true, nullptr, nullptr, End::Ok, "", "Old", "Various Artists",
     "Rock", 1990},
    {"Band", 1990, "Lost", nullptr, false, nullptr, "", End::Ok, "Enter an integer.", "Old", "Band", "Rock",
     1990},
    {"Band", 1990, "Lost", nullptr, false, nullptr, "2101", End::Enter,
     "Enter an integer between 1 and 2100.", "Old", "Band", "Rock", 1990},
    {"Band", 0, "Undated", nullptr, false, nullptr, nullptr, End::Ok, "", "Undated", "Band", "Rock", 0},
    {"Band", 1990, "Lost", "Lost", true, "Lost", "1234", End::Escape, "", "Old", "Band", "Rock", 1990},
    // The cache folder is made on the way; a file in its place fails the save, not the edit.
    {"Band", 1990, "Saved ", nullptr, false, nullptr, "2001", End::SaveToLocal, "Local CDDB File Saved.",
     "Saved", "Band", "Rock", 2001, "cache/sub"},
    {"Band", 1990, "Unsaved", nullptr, false, nullptr, nullptr, End::SaveToLocal, "", "Unsaved", "Band",
     "Rock", 1990, "blocked/sub"},
};

TEST_F(SmallDialogsGui, EditorAppliesOnOkEnterAndSaveToLocalRefusesBadYearsAndEscapeAppliesNothing) {
  std::ofstream(root_ / "blocked") << "a file where a folder should be";
  for (const EditRow& row : kEditRows) {
    SCOPED_TRACE(testing::Message() << "row " << (&row - kEditRows));
    AlbumRecord.Title = "Old";
    AlbumRecord.Artist = row.artist;
    AlbumRecord.Genre = "Rock";
    AlbumRecord.Year = row.year;
    AlbumInfoIsDefault = 1;
    if (row.cacheDir != nullptr) LocalCDDBDir = (root_ / row.cacheDir).string();
    const size_t boxes = boxes_.Shown().size();
    const size_t logged = LogTexts().size();
    int result = -1;
    bool stayedOpen = false;
    OnCommandDialog<CEditCD>(res::ID_EDIT_CDINFO, [&](CEditCD& dlg) {
      auto* various = dlg.GetDlgItemAs<wxCheckBox>(res::IDC_EDIT_CD_VARIOUS);
      wxTextCtrl* artist = Edit(dlg, res::IDC_EDIT_CD_ARTIST);
      const bool startsVarious = std::string(row.artist) == "Various Artists";
      EXPECT_EQ(Edit(dlg, res::IDC_EDIT_CD_ALBUM)->GetValue(), "Old");
      EXPECT_EQ(artist->GetValue(), row.artist);
      EXPECT_EQ(dlg.GenreBox()->GetValue(), "Rock");
      EXPECT_EQ(dlg.GenreBox()->GetCount(), 148u);
      EXPECT_EQ(Edit(dlg, res::IDC_EDIT_CD_YEAR)->GetValue(), std::to_string(row.year));
      EXPECT_EQ(various->GetValue(), startsVarious);
      EXPECT_EQ(artist->IsEnabled(), !startsVarious);
      if (&row == kEditRows) Screenshot(dlg, "edit_cd_info");
      if (row.album != nullptr) Edit(dlg, res::IDC_EDIT_CD_ALBUM)->SetValue(row.album);
      if (row.typedArtist != nullptr) artist->SetValue(row.typedArtist);
      if (row.toggleVarious) {
        gui_test::Click(various);  // checked: the field says so and is off; unchecked: its text stays
        EXPECT_EQ(artist->IsEnabled(), !various->GetValue());
        if (various->GetValue()) {
          EXPECT_EQ(artist->GetValue(), "Various Artists");
        }
      }
      if (row.genre != nullptr) dlg.GenreBox()->ChangeValue(row.genre);
      if (row.typedYear != nullptr) Edit(dlg, res::IDC_EDIT_CD_YEAR)->SetValue(row.typedYear);
      if (row.end == End::Ok) gui_test::Click(dlg.GetDlgItem(res::IDC_EDIT_CD_OK));
      if (row.end == End::SaveToLocal) gui_test::Click(dlg.GetDlgItem(res::IDC_EDIT_CD_SAVE_LOCAL));
      if (row.end == End::Enter) gui_test::PressKey(&dlg, WXK_RETURN);
      if (row.end == End::Escape) gui_test::PressKey(&dlg, WXK_ESCAPE);
      stayedOpen = dlg.Result() == -1;
      if (stayedOpen) gui_test::PressKey(&dlg, WXK_ESCAPE);
      result = dlg.Result();
    });
    const bool closesOnOk = (row.end == End::Ok || row.end == End::Enter) && *row.box == '\0';
    EXPECT_EQ(stayedOpen, row.end != End::Escape && !closesOnOk);
    EXPECT_EQ(result, closesOnOk ? IDOK : IDCANCEL);
    EXPECT_EQ(LastBox(boxes), row.box);
    if (*row.box != '\0') {
      EXPECT_EQ(boxes_.Shown().back().second, "Quarno CD Ripper");  // the product's name as a title
    }
    EXPECT_EQ(AlbumRecord.Title, row.titleAfter);
    EXPECT_EQ(AlbumRecord.Artist, row.artistAfter);
    EXPECT_EQ(AlbumRecord.Genre, row.genreAfter);
    EXPECT_EQ(AlbumRecord.Year, row.yearAfter);
    const bool applied = closesOnOk || row.end == End::SaveToLocal;
    EXPECT_EQ(AlbumInfoIsDefault.load(), applied ? 0 : 1);
    // The track list names its files after the album as applied.
    const std::string destination = dialog_->TrackModel().CellText(0, kTrackColumnDestination);
    const std::string folder = fmt::format("/{}/{}/", row.artistAfter, row.titleAfter);
    EXPECT_EQ(destination.find(folder) != std::string::npos, applied) << destination;
    if (row.cacheDir == nullptr) continue;
    const std::vector<std::string> log = LogTexts();
    const bool saved = *row.box != '\0';
    EXPECT_EQ(log.size(), logged + 1);
    EXPECT_EQ(log.back(), saved ? "Local CDDB file saved." : "Fail to save local CDDB file!");
    CCDDBRecord file;
    EXPECT_EQ(static_cast<bool>(LoadAlbumRecord(LocalCDDBDir + fmt::sprintf("/%08x.cddb", DiscID), file)),
              saved);
    if (saved) {
      EXPECT_EQ(std::tie(file.Title, file.Year, file.TrackTitles),
                std::tie(AlbumRecord.Title, AlbumRecord.Year, AlbumRecord.TrackTitles));
    }
  }
}

constexpr const char* kTips[] = {"First tip.", "Second tip, a little longer.", "Third tip."};

TEST_F(SmallDialogsGui, TipCyclesWithNextTipOnlyOkWritesTipAndAFileWithoutTipsSaysSo) {
  const fs::path tips = root_ / "Tips.tip";
  std::ofstream(tips) << "; comment\n"
                      << kTips[0] << "\n\n  indented\n"
                      << kTips[1] << "\n\ttabbed\n;x\n"
                      << kTips[2] << "\n";
  const struct {
    bool uncheck;
    End end;
    const char* written;  // the Tip line afterwards; null: the file is left as it was
  } cases[] = {{true, End::Escape, nullptr},
               {false, End::Ok, "Tip=1"},
               {true, End::Escape, nullptr},
               {true, End::Ok, "Tip=0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const std::string before = Settings();
    std::vector<std::string> shown;
    gui_test::WhenModalShown([&](wxDialog& d) {
      auto& dlg = dynamic_cast<CTipDlg&>(d);
      for (int i = 0; i < 4; ++i, gui_test::Click(dlg.GetDlgItem(res::IDC_TIP_NEXT))) {
        shown.push_back(dlg.ShownTip());
        std::ranges::replace(shown.back(), '\n', ' ');  // the area's word wrap
      }
      if (c.uncheck) gui_test::Click(dlg.GetDlgItem(res::IDC_TIP_STARTUP));
      if (c.end == End::Ok) gui_test::Click(dlg.GetDlgItem(IDOK));
      if (c.end == End::Escape) gui_test::PressKey(&dlg, WXK_ESCAPE);
    });
    CTipDlg(dialog_, tips.string()).DoModal();
    // Any start, then the file's order round and round.
    ASSERT_EQ(shown.size(), 4u);
    const size_t start = static_cast<size_t>(std::ranges::find(kTips, shown[0]) - std::begin(kTips));
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], kTips[(start + i) % 3]);
    if (c.written == nullptr) {
      EXPECT_EQ(Settings(), before);
    } else {
      EXPECT_NE(Settings().find(std::string(c.written) + "\n"), std::string::npos);
    }
  }
  // No file: nothing is shown, nothing written. A file without a tip line:
  // the dialog says so, on every "Next tip" too.
  const std::string before = Settings();
  {
    gui_test::NoModalExpected none;
    EXPECT_EQ(CTipDlg(dialog_, (root_ / "missing.tip").string()).DoModal(), IDOK);
  }
  std::ofstream(root_ / "skipped.tip") << "; only comments\n\n  and indented lines\n";
  std::ofstream(root_ / "empty.tip");
  for (const char* name : {"skipped.tip", "empty.tip"}) {
    std::vector<std::string> shown;
    gui_test::WhenModalShown([&](wxDialog& d) {
      auto& dlg = dynamic_cast<CTipDlg&>(d);
      shown.push_back(dlg.ShownTip());
      gui_test::Click(dlg.GetDlgItem(res::IDC_TIP_NEXT));
      shown.push_back(dlg.ShownTip());
      gui_test::PressKey(&dlg, WXK_ESCAPE);
    });
    CTipDlg(dialog_, (root_ / name).string()).DoModal();
    std::ranges::replace(shown.front(), '\n', ' ');
    std::ranges::replace(shown.back(), '\n', ' ');
    EXPECT_EQ(shown, std::vector<std::string>(2, kTipsMissingText)) << name;
  }
  EXPECT_EQ(Settings(), before);
}

TEST_F(SmallDialogsGui, AboutLinksOpenTheHomePageAndTheSupportMailAndTheTipCommandShowsATip) {
  ui::HideToolTipsUnderModalDialogs();  // as the program's start does
  const auto hasTip = reinterpret_cast<int (*)(void*)>(dlsym(RTLD_DEFAULT, "gtk_widget_get_has_tooltip"));
  void* volume = dialog_->GetDlgItem(res::IDC_VOLUME_SLIDER)->GetHandle();
  ASSERT_TRUE(hasTip(volume));
  OnCommandDialog<CAboutDlg>(res::ID_HELP_ABOUT, [&](CAboutDlg& dlg) {
    EXPECT_FALSE(hasTip(volume));  // the blocked window shows no tip over the box
    EXPECT_TRUE(hasTip(dlg.HomeLink()->GetHandle()));
    EXPECT_EQ(dlg.GetTitle(), "About Quarno CD Ripper Free");
    EXPECT_EQ(dlg.GetDlgItem(res::IDC_ABOUT_VERSION)->GetLabel(), "Version 6.7.1");
    EXPECT_EQ(dlg.HomeLink()->GetLabelText(), "https://www.example.org/quarno/");
    EXPECT_EQ(dlg.SupportLink()->GetLabelText(), "support@example.org");
    Screenshot(dlg, "about_box");
    gui_test::MouseDown(dlg.HomeLink());
    gui_test::MouseDown(dlg.SupportLink());
    gui_test::Click(dlg.GetDlgItem(IDOK));
  });
  EXPECT_TRUE(hasTip(volume));
  // The handler runs on its own; both starts are recorded once it has.
  ASSERT_TRUE(desktop_->WaitFor(2));
  std::vector<std::string> opened = desktop_->Lines();
  std::ranges::sort(opened);
  EXPECT_EQ(opened, (std::vector<std::string>{"1 [https://www.example.org/quarno/]",
                                              "1 [mailto:support@example.org]"}));
  EXPECT_TRUE(boxes_.Shown().empty());
  // The program's own tips, stepped to a long one to see it wrapped.
  OnCommandDialog<CTipDlg>(res::ID_HELP_TIPOFTHEDAY, [](CTipDlg& dlg) {
    for (int i = 0; i < 40 && dlg.ShownTip().size() < 120; ++i)
      gui_test::Click(dlg.GetDlgItem(res::IDC_TIP_NEXT));
    EXPECT_GE(dlg.ShownTip().size(), 120u);
    Screenshot(dlg, "tip_of_the_day");
    gui_test::PressKey(&dlg, WXK_ESCAPE);
  });
}

TEST_F(SmallDialogsGui, AnEditedAlbumTagsTheRippedMp3) {
  OnCommandDialog<CEditCD>(res::ID_EDIT_CDINFO, [](CEditCD& edit) {
    Edit(edit, res::IDC_EDIT_CD_ALBUM)->SetValue("Edited Album");
    Edit(edit, res::IDC_EDIT_CD_ARTIST)->SetValue("The Testers");
    edit.GenreBox()->ChangeValue("Jazz");
    Edit(edit, res::IDC_EDIT_CD_YEAR)->SetValue("2004");
    gui_test::Click(edit.GetDlgItem(res::IDC_EDIT_CD_OK));
  });
  dialog_->TrackList()->CheckItem(1, false);
  ASSERT_EQ(RipAndFinish(), "Finished Copying");
  TagLib::MPEG::File file((root_ / "out" / "The Testers" / "Edited Album" / "01-Track01.mp3").c_str());
  ASSERT_TRUE(file.isValid());
  EXPECT_EQ(file.tag()->artist().to8Bit(true), "The Testers");
  EXPECT_EQ(file.tag()->album().to8Bit(true), "Edited Album");
  EXPECT_EQ(file.tag()->genre().to8Bit(true), "Jazz");
  EXPECT_EQ(file.tag()->year(), 2004u);
  EXPECT_TRUE(boxes_.Shown().empty());
}

// What the keyboard focus is on, as GTK has it: the program's window that
// holds GTK's focus widget (a list's rows count as the list), or null.
wxWindow* FocusedControl(wxWindow* top) {
  using Widget = void* (*)(void*);
  void* widget = ui::GtkFunction<Widget>("gtk_window_get_focus")(top->GetHandle());
  std::map<void*, wxWindow*> windows;
  std::function<void(wxWindow*)> collect = [&](wxWindow* w) {
    windows.emplace(w->GetHandle(), w);
    for (wxWindow* child : w->GetChildren()) collect(child);
  };
  collect(top);
  for (; widget != nullptr; widget = ui::GtkFunction<Widget>("gtk_widget_get_parent")(widget)) {
    const auto found = windows.find(widget);
    if (found == windows.end()) continue;
    wxWindow* control = found->second;
    if (dynamic_cast<wxListCtrl*>(control->GetParent()) != nullptr) control = control->GetParent();
    return control == top ? nullptr : control;
  }
  return nullptr;
}

// How `control` and a few pixels around it look in its window `top`, as GTK
// draws them now.
wxImage PixelsAround(wxWindow* top, wxWindow* control) {
  int x = 0, y = 0;
  ui::GtkFunction<int (*)(void*, void*, int, int, int*, int*)>("gtk_widget_translate_coordinates")(
      control->GetHandle(), top->GetHandle(), 0, 0, &x, &y);
  const wxImage window = gui_test::DrawWindow(top);
  const wxRect around =
      wxRect(wxPoint(x, y), control->GetSize()).Inflate(4).Intersect(wxRect(window.GetSize()));
  return around.IsEmpty() ? wxImage() : window.GetSubImage(around);
}

bool SamePixels(const wxImage& a, const wxImage& b) {
  return a.GetSize() == b.GetSize() &&
         std::equal(a.GetData(), a.GetData() + 3 * a.GetWidth() * a.GetHeight(), b.GetData());
}

std::string StopName(wxWindow* control) {
  return control == nullptr
             ? "nothing"
             : fmt::format("id {} at {}", control->GetId(), gui_test::RectText(control->GetScreenRect()));
}

// A window that only paints or labels: no Tab stop should be on it.
bool PaintsOnly(wxWindow* control) {
  const std::string kind = wxString(control->GetClassInfo()->GetClassName()).utf8_string();
  for (const char* painter :
       {"wxWindow", "wxPanel", "wxStaticText", "wxStaticBox", "wxStaticBitmap", "wxGauge"})
    if (kind == painter) return true;
  return false;
}

// Presses Tab as the keyboard does (GTK moves the focus itself) in the active
// window `top` until the focus comes back to where it started; every stop on
// the way must be a control on screen that looks different while it has the
// focus. Returns the number of stops.
size_t WalkTab(wxTopLevelWindow& top) {
  EXPECT_TRUE(gui_test::PumpUntil([&] { return top.IsActive(); }));
  gui_test::PumpFrames();
  const auto pressTab = [] {
    EXPECT_EQ(std::system("xdotool key Tab"), 0);
    gui_test::PumpFrames();
  };
  if (FocusedControl(&top) == nullptr) pressTab();
  wxWindow* const first = FocusedControl(&top);
  size_t stops = 0;
  for (wxWindow* stop = first; stops < 30; ++stops) {
    SCOPED_TRACE("stop " + StopName(stop));
    if (stop == nullptr) {
      ADD_FAILURE() << "the focus is on nothing of the window's";
      return stops;
    }
    EXPECT_TRUE(stop->IsShownOnScreen());
    EXPECT_FALSE(stop->GetScreenRect().IsEmpty());
    EXPECT_FALSE(PaintsOnly(stop));
    const wxImage focused = PixelsAround(&top, stop);
    pressTab();
    wxWindow* next = FocusedControl(&top);
    if (next != stop) {
      EXPECT_FALSE(SamePixels(focused, PixelsAround(&top, stop))) << "the focus does not show";
    }
    if (next == first) return stops + 1;
    stop = next;
  }
  ADD_FAILURE() << "Tab never came back to " << StopName(first);
  return stops;
}

TEST_F(SmallDialogsGui, EveryTabStopIsAControlOnScreenThatShowsTheFocusAndTabGoesRound) {
  const auto modal = [this](int command, size_t stops) {
    bool seen = false;
    gui_test::WhenModalShown([&](wxDialog& d) {
      seen = true;
      EXPECT_EQ(WalkTab(d), stops);
      gui_test::PressKey(&d, WXK_ESCAPE);
    });
    Command(command);
    EXPECT_TRUE(seen);
  };
  std::vector<CCDDBRecord> matches(3);
  for (CCDDBRecord& match : matches) match.Title = "Album", match.TrackTitles = {"One", "Two"};
  const struct {
    const char* window;
    std::function<void()> walk;
  } rows[] = {
      {"main window", [&] { EXPECT_EQ(WalkTab(*dialog_), 3u); }},  // drives, volume, tracks
      // The tree, OK, Cancel, Apply (enabled: the FreeDB page starts
      // modified), two check boxes (the source radios are off), the folder
      // and its button.
      {"options, FreeDB page", [&] { LastPage = kCDDBPage, modal(res::ID_OPERATION_OPTIONS, 8); }},
      {"options, Output page", [&] { LastPage = kOutputPage, modal(res::ID_OPERATION_OPTIONS, 12); }},
      {"options, Encoder page", [&] { LastPage = kEncoderPage, modal(res::ID_OPERATION_OPTIONS, 7); }},
      // Album, artist, "Various", the genre's field and button, year, OK, "Save to Local".
      {"album editor", [&] { modal(res::ID_EDIT_CDINFO, 8); }},
      {"about box", [&] { modal(res::ID_HELP_ABOUT, 3); }},  // two links and OK
      {"tip of the day", [&] { modal(res::ID_HELP_TIPOFTHEDAY, 3); }},
      {"log window",
       [&] {
         Command(res::ID_FILE_VIEWLOG);
         ASSERT_NE(LogWindow, nullptr);
         EXPECT_EQ(WalkTab(*LogWindow), 3u);  // the list, OK, Clear
         gui_test::Click(LogWindow->GetDlgItem(res::IDC_LOG_OK));
       }},
      {"match chooser and its message box",
       [&] {
         CFreeDBChoice chooser(dialog_, matches);
         gui_test::WhenModalShown([&](wxDialog&) {
           EXPECT_EQ(WalkTab(chooser), 4u);  // both lists, OK, Cancel
           SetMessageBoxResponder(nullptr);  // the real box this time
           gui_test::WhenModalShown(
               [&](wxDialog& box) {
                 EXPECT_EQ(WalkTab(box), 1u);
                 gui_test::PressKey(&box, WXK_ESCAPE);
               },
               [](wxDialog& d) { return dynamic_cast<CXMessageDialog*>(&d) != nullptr; });
           gui_test::Click(chooser.GetDlgItem(IDOK));  // no listing selected
           boxes_.Install();
           EXPECT_EQ(WalkTab(chooser), 4u);
           gui_test::PressKey(&chooser, WXK_ESCAPE);
         });
         chooser.DoModal();
       }},
      {"ripping progress",
       [&] {
         gui_test::WhenModalShown([&](wxDialog& d) {
           gui_test::PumpUntil([&] { return d.GetTitle() == "Finished Copying"; });
           EXPECT_EQ(WalkTab(d), 3u);  // Log, Open Dir, Finish
           gui_test::Click(dynamic_cast<CRippingProgressDlg&>(d).GetDlgItem(IDCANCEL));
         });
         Command(res::ID_OPERATION_RIP);
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.window);
    row.walk();
  }
}

}  // namespace

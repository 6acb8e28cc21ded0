// The options sheet on screen: the CDDB page's radios follow "Load ... when
// inserted", the Encoder page's lists, label and note follow the format, the
// Output page's list and preview follow the separator, Reset asks first,
// refused applies keep the sheet open, and the page the sheet opens on. From
// the running program: a new format and template chosen in Options name and
// encode the next rip.
#include <dlfcn.h>
#include <fmt/printf.h>
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include "app/disc_worker.h"
#include "app/gui/options_sheet.h"
#include "app/gui/ripping_progress_dlg.h"
#include "app/settings.h"
#include "res/main_dialog.h"
#include "res/option_pages.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/option_settings.h"
#include "tests/rip/rip_test_util.h"
#include "tests/support/disc_image.h"
#include "ui/core/control_ids.h"
#include "ui/core/page_tree_model.h"

namespace {

using TreePropSheet::CTreePropSheetEx;

std::string Text(wxWindow* control) {
  if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) return edit->GetValue().utf8_string();
  if (auto* list = dynamic_cast<wxChoice*>(control)) return list->GetStringSelection().utf8_string();
  return control->GetLabel().utf8_string();
}

std::vector<std::string> Entries(wxWindow* control) {
  std::vector<std::string> entries;
  for (const wxString& s : static_cast<wxChoice*>(control)->GetStrings()) entries.push_back(s.utf8_string());
  return entries;
}

// The user picks entry `index` of a list.
void Choose(wxWindow* control, int index) {
  auto* combo = static_cast<wxChoice*>(control);
  combo->SetSelection(index);
  wxCommandEvent event(wxEVT_CHOICE, combo->GetId());
  event.SetInt(index);
  event.SetEventObject(combo);
  combo->ProcessWindowEvent(event);
}

// The user clicks page `page` in the sheet's tree.
void ShowPage(CTreePropSheetEx& sheet, int page) {
  sheet.GetPageTreeControl()->SelectItem(TreePropSheet::CTreePropSheetTreeCtrl::ItemOf(
      ui::FindPageItem(sheet.GetPageTreeControl()->Model(), page)));
  gui_test::PumpEvents();
}

wxWindow* Control(CTreePropSheetEx& sheet, int page, int id) { return sheet.GetPage(page)->GetDlgItem(id); }

class OptionsSheetGui : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetOptionTestSettings();
  }
  void TearDown() override {
    Busy = 0;
    MainWindowTest::TearDown();
  }

  // Runs the sheet standing alone, opened on LastPage; `action` runs once it is
  // on screen and must end it.
  int Run(const std::function<void(CTreePropSheetEx&)>& action) {
    COptionsSheet options(nullptr, [this] { ++refreshes_; });
    gui_test::WhenModalShown([&](wxDialog&) { action(options.Sheet()); },
                             [](wxDialog& d) { return dynamic_cast<CTreePropSheetEx*>(&d) != nullptr; });
    return options.DoModal();
  }

  int refreshes_ = 0;
};

TEST_F(OptionsSheetGui, SourceRadiosFollowLoadOnInsertAndTheStoredSourceIsKept) {
  struct Row {
    int load, source;
    bool clickLoad;  // the user toggles the box
    bool enabled;
  };
  for (const Row& row :
       {Row{1, 2, false, true}, Row{0, 2, false, false}, Row{0, 1, true, true}, Row{1, 0, true, false}}) {
    SCOPED_TRACE(fmt::format("load={} click={}", row.load, row.clickLoad));
    LoadAlbumInfo = static_cast<int16_t>(row.load);
    AlbumInfoSource = static_cast<int16_t>(row.source);
    LastPage = kCDDBPage;
    EXPECT_EQ(Run([&](CTreePropSheetEx& sheet) {
                EXPECT_TRUE(sheet.GetPage(kCDDBPage)->IsModified());  // it starts modified
                if (row.clickLoad) gui_test::Click(Control(sheet, kCDDBPage, res::IDC_LOAD_ALBUM_INFO));
                for (int id : {res::IDC_SOURCE_BOTH, res::IDC_SOURCE_REMOTE_ONLY, res::IDC_SOURCE_LOCAL_ONLY})
                  EXPECT_EQ(Control(sheet, kCDDBPage, id)->IsEnabled(), row.enabled) << id;
                EXPECT_TRUE(
                    static_cast<wxRadioButton*>(Control(sheet, kCDDBPage, res::IDC_SOURCE_BOTH + row.source))
                        ->GetValue());
                gui_test::Click(sheet.GetDlgItem(IDOK));
              }),
              IDOK);
    EXPECT_EQ(AlbumInfoSource, row.source);
    EXPECT_EQ(LoadAlbumInfo, row.enabled ? 1 : 0);
  }
}

TEST_F(OptionsSheetGui, EncoderListsLabelAndNoteFollowTheFormat) {
  LastPage = kEncoderPage;
  Run([&](CTreePropSheetEx& sheet) {
    auto at = [&](int id) { return Control(sheet, kEncoderPage, id); };
    struct Row {
      int format;
      const char* label;
      bool note;
      size_t qualities, channels;
      const char* quality;  // the applied value of that format
    };
    for (const Row& row : {Row{0, "Codec:", false, 2, 2, " Signed 16 bit PCM"},
                           Row{1, "Bits per Second:", true, 17, 4, " 128 kbits per second"}}) {
      Choose(at(res::IDC_AUDIO_FORMAT), row.format);
      EXPECT_EQ(Text(at(res::IDC_QUALITY_LABEL)), row.label);
      EXPECT_EQ(at(res::IDC_MP3_RATE_NOTE)->IsShown(), row.note);
      EXPECT_EQ(Entries(at(res::IDC_QUALITY)).size(), row.qualities);
      EXPECT_EQ(Entries(at(res::IDC_CHANNELS)).size(), row.channels);
      EXPECT_EQ(Text(at(res::IDC_QUALITY)), row.quality);
      EXPECT_EQ(Entries(at(res::IDC_SAMPLE_RATE)).size(), 9u);
    }
    // A pending bit rate is forgotten when the format goes away and back.
    Choose(at(res::IDC_QUALITY), 16);
    Choose(at(res::IDC_AUDIO_FORMAT), 0);
    Choose(at(res::IDC_AUDIO_FORMAT), 1);
    EXPECT_EQ(Text(at(res::IDC_QUALITY)), " 128 kbits per second");
    EXPECT_EQ(Text(at(res::IDC_CHANNELS)), " Joint Stereo");
    // Apply keeps the sheet open; the extension of the track list follows.
    Choose(at(res::IDC_AUDIO_FORMAT), 0);
    gui_test::Click(sheet.GetDlgItem(ui::ID_APPLY_NOW));
    EXPECT_TRUE(OutputFormat == 1 && refreshes_ == 1 && sheet.IsShown());
    gui_test::Click(sheet.GetDlgItem(IDCANCEL));
  });
}

TEST_F(OptionsSheetGui, OutputListAndPreviewFollowTheSeparatorAndTemplate) {
  Run([&](CTreePropSheetEx& sheet) {
    auto at = [&](int id) { return Control(sheet, kOutputPage, id); };
    EXPECT_EQ(Text(at(res::IDC_FILE_NAME_PREVIEW)), "Artist/Album/06-Title.mp3");
    EXPECT_EQ(static_cast<wxTextCtrl*>(at(res::IDC_SEPARATOR))->GetValue(), "-");
    struct Row {
      const char* typed;
      int style;
      const char* entry3;
      const char* preview;
    };
    for (const Row& row :
         {Row{"/", 3, " <Tracknum>-<Tracktitle>", "06-Title.mp3"},
          Row{"", 3, " <Tracknum><Tracktitle>", "06Title.mp3"},
          Row{" _ ", 12, " <Tracknum> _ <Tracktitle>", "Artist _ Album _ 1994/06 _ Title.mp3"},
          Row{"x", 0, " <Tracknum>x<Tracktitle>", "06.mp3"}}) {
      static_cast<wxTextCtrl*>(at(res::IDC_SEPARATOR))->SetValue(row.typed);
      Choose(at(res::IDC_FILE_STYLE), row.style);
      EXPECT_EQ(Entries(at(res::IDC_FILE_STYLE)).at(3), row.entry3) << row.typed;
      EXPECT_EQ(Text(at(res::IDC_FILE_NAME_PREVIEW)), row.preview) << row.typed;
      EXPECT_EQ(Entries(at(res::IDC_FILE_STYLE)).size(), 13u);
    }
    EXPECT_TRUE(sheet.GetPage(kOutputPage)->IsModified());
    // Apply shows the folder as kept: "~" is the home folder.
    auto* folder = static_cast<wxTextCtrl*>(at(res::IDC_DESTINATION_DIR));
    folder->SetValue(" ~/new place  ");
    gui_test::Click(sheet.GetDlgItem(ui::ID_APPLY_NOW));
    EXPECT_EQ(folder->GetValue().utf8_string(), (root_ / "home/new place/").string());
    folder->SetValue("/new place  ");
    gui_test::Click(sheet.GetDlgItem(IDOK));
  });
  EXPECT_EQ(DesDir, "/new place/");
  EXPECT_EQ(FileStyle, 0);
  EXPECT_EQ(Separator, "x");
  EXPECT_EQ(refreshes_, 2);
}

// A refused apply leaves every setting of the refusing page as it was and
// the sheet open; the user is told why unless a disc refresh is the reason.
TEST_F(OptionsSheetGui, RefusedApplyKeepsTheSheetOpen) {
  struct Row {
    int busy;
    int page;     // where a field is changed
    int emptied;  // the field given `typed`, -1: none
    int showing;  // the page the user is on when pressing OK
    const char* message;
    std::string typed = "  ";  // what the field gets
  };
  for (const Row& row :
       {Row{1, kOutputPage, -1, kOutputPage, nullptr},
        Row{0, kOutputPage, res::IDC_DESTINATION_DIR, kEncoderPage, kEmptyDestinationMessage},
        Row{0, kCDDBPage, res::IDC_LOCAL_CDDB_DIR, kCDDBPage, kEmptyLocalFolderMessage},
        // A folder the next start would refuse is refused now.
        Row{0, kOutputPage, res::IDC_DESTINATION_DIR, kEncoderPage, kLongDestinationMessage,
            "/" + std::string(kMaxPathBytes, 'd')},
        Row{0, kCDDBPage, res::IDC_LOCAL_CDDB_DIR, kOutputPage, kLongLocalFolderMessage,
            "/" + std::string(kMaxPathBytes, 'c')},
        // A pasted line break, a folder that is no full path.
        Row{0, kCDDBPage, res::IDC_LOCAL_CDDB_DIR, kCDDBPage, kControlLocalFolderMessage, "/Loc\nal"},
        Row{0, kOutputPage, res::IDC_DESTINATION_DIR, kOutputPage, kRelativeDestinationMessage, "file:///x"}}) {
    SCOPED_TRACE(row.page);
    boxes_.Clear();
    LastPage = static_cast<uint16_t>(row.page);
    const int result = Run([&](CTreePropSheetEx& sheet) {
      if (row.emptied >= 0)
        static_cast<wxTextCtrl*>(Control(sheet, row.page, row.emptied))->SetValue(row.typed);
      ShowPage(sheet, kOutputPage);
      Choose(Control(sheet, kOutputPage, res::IDC_FILE_STYLE), 2);
      ShowPage(sheet, row.showing);
      Busy = row.busy;
      gui_test::Click(sheet.GetDlgItem(IDOK));
      gui_test::PumpEvents();
      EXPECT_TRUE(sheet.IsShown());
      EXPECT_EQ(sheet.GetActiveIndex(), row.message ? row.page : row.showing);  // the field to correct
      if (row.message) {
        // The sheet's own focus widget: on a display shared with other
        // tests the sheet need not be the active window.
        using FocusOf = void* (*)(void*);
        const auto focusOf = reinterpret_cast<FocusOf>(dlsym(RTLD_DEFAULT, "gtk_window_get_focus"));
        ASSERT_NE(focusOf, nullptr);
        EXPECT_EQ(focusOf(sheet.GetHandle()), Control(sheet, row.page, row.emptied)->GetHandle());
      }
      Busy = 0;
      gui_test::Click(sheet.GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(boxes_.Texts(),
              row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
    EXPECT_EQ(FileStyle, 11);
    EXPECT_EQ(DesDir, "/music/");
    EXPECT_EQ(LocalCDDBDir, "/cache");
    EXPECT_EQ(refreshes_, 0);
  }
}

TEST_F(OptionsSheetGui, ResetAsksFirstAndRefillsBothPages) {
  for (const bool encoderShown : {false, true}) {
    SCOPED_TRACE(encoderShown);
    LastPage = encoderShown ? kEncoderPage : kOutputPage;
    OutputFormat = 1;
    Separator = "+";
    FileStyle = 2;
    boxes_.Clear();
    boxes_.Script({IDNO, IDYES});
    const int result = Run([&](CTreePropSheetEx& sheet) {
      if (encoderShown) ShowPage(sheet, kOutputPage);
      wxWindow* reset = Control(sheet, kOutputPage, res::IDC_RESET_OUTPUT);
      gui_test::Click(reset);  // No
      EXPECT_EQ(FileStyle, 2);
      EXPECT_EQ(Text(Control(sheet, kOutputPage, res::IDC_SEPARATOR)), "+");
      gui_test::Click(reset);  // Yes
      EXPECT_EQ(Text(Control(sheet, kOutputPage, res::IDC_SEPARATOR)), "-");
      EXPECT_EQ(static_cast<wxChoice*>(Control(sheet, kOutputPage, res::IDC_FILE_STYLE))->GetSelection(), 11);
      EXPECT_EQ(Text(Control(sheet, kOutputPage, res::IDC_DESTINATION_DIR)), DesDir);
      EXPECT_EQ(sheet.GetPage(kEncoderPage)->IsPageCreated(), encoderShown);
      if (encoderShown) {
        EXPECT_EQ(Text(Control(sheet, kEncoderPage, res::IDC_AUDIO_FORMAT)),
                  " MP3    (MPEG-1 Audio Layer 3)");
      }
      gui_test::Click(sheet.GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>(2, kResetOutputQuestion));
    // Cancel does not undo a reset.
    EXPECT_EQ(OutputFormat, 2);
    EXPECT_EQ(FileStyle, 11);
    EXPECT_EQ(Separator, "-");
  }
}

TEST_F(OptionsSheetGui, ScreenshotsOfEachPage) {
  LastPage = kCDDBPage;
  Run([&](CTreePropSheetEx& sheet) {
    for (int page : {kCDDBPage, kOutputPage, kEncoderPage}) {
      ShowPage(sheet, page);
      ASSERT_EQ(sheet.GetActiveIndex(), page);
      // Nothing of the page leaves its area.
      const wxRect area(sheet.GetPage(page)->GetWindow()->GetClientSize());
      for (wxWindow* child : sheet.GetPage(page)->GetWindow()->GetChildren())
        EXPECT_TRUE(area.Contains(child->GetRect())) << Text(child);
      for (int frame = 0; frame < 10; ++frame) gui_test::PumpFrames();  // check boxes fade in
      EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&sheet),
                                           std::string("options_") + kOptionsPageCaptions[page]));
    }
    EXPECT_EQ(sheet.GetDlgItem(ui::IDHELP), nullptr);
    gui_test::Click(sheet.GetDlgItem(IDCANCEL));
  });
}

// From the running program: the sheet opens on Output on a fresh install and
// reopens on the page shown last, also after Cancel; a format and template
// chosen there name and encode the next rip, and the status bar and the
// Destination column follow.
TEST_F(OptionsSheetGui, OptionsFromTheMainWindowDecideTheNextRip) {
  const std::string out = (root_ / "out").string() + "/";
  CQuarnoCDRipperDlg& dlg = StartOnDisc({{AudioTrack(1), AudioTrack(1)}},
                                        fmt::sprintf("[OUTPUT]\nDesDir=%s\nOutputFormat=2\n", out));
  auto options = [&](const std::function<void(CTreePropSheetEx&)>& action) {
    OnCommandDialog(res::ID_OPERATION_OPTIONS, action);
  };
  options([&](CTreePropSheetEx& sheet) {
    EXPECT_EQ(sheet.GetTitle(), "Options");
    EXPECT_EQ(sheet.GetActiveIndex(), kOutputPage);
    ShowPage(sheet, kEncoderPage);
    Choose(Control(sheet, kEncoderPage, res::IDC_AUDIO_FORMAT), kFormatWav);
    ShowPage(sheet, kOutputPage);
    static_cast<wxTextCtrl*>(Control(sheet, kOutputPage, res::IDC_SEPARATOR))->SetValue("_");
    Choose(Control(sheet, kOutputPage, res::IDC_FILE_STYLE), 3);  // <Tracknum>-<Tracktitle>
    gui_test::Click(sheet.GetDlgItem(IDOK));
  });
  EXPECT_NE(dlg.StatusBar()->GetStatusText(2).utf8_string().find("WAV:"), std::string::npos);
  // A pane too narrow for its text keeps the file name of a path whole.
  auto* bar = dynamic_cast<CFittingStatusBar*>(dlg.StatusBar());
  ASSERT_NE(bar, nullptr);
  dlg.SetStatusText(kStatusLastEvent, "Writing " + out + std::string(300, 'x') + "/01_Track01.wav");
  const wxString shown = bar->ShownText(0);
  wxRect pane;
  ASSERT_TRUE(bar->GetFieldRect(0, pane));
  EXPECT_TRUE(shown.EndsWith(wxString::FromUTF8("\u2026/01_Track01.wav"))) << shown;
  EXPECT_LE(bar->GetTextExtent(shown).x, pane.width);
  EXPECT_TRUE(bar->GetStatusText(0).EndsWith(out + std::string(300, 'x') + "/01_Track01.wav"));  // kept whole
  EXPECT_EQ(dlg.TrackList()->GetItemText(0, kTrackColumnDestination).utf8_string(), out + "01_Track01.wav");
  for (int expected : {kOutputPage, kEncoderPage}) {
    options([&](CTreePropSheetEx& sheet) {
      EXPECT_EQ(sheet.GetActiveIndex(), expected);
      ShowPage(sheet, kEncoderPage);
      Choose(Control(sheet, kEncoderPage, res::IDC_AUDIO_FORMAT), kFormatMp3);  // then cancelled
      gui_test::Click(sheet.GetDlgItem(IDCANCEL));
    });
  }
  EXPECT_EQ(OutputFormat, 1);

  dlg.TrackList()->CheckItem(1, false);
  EXPECT_EQ(RipAndFinish(), "Finished Copying");
  const std::vector<uint8_t> file = ReadBytes(out + "01_Track01.wav");
  ASSERT_GT(file.size(), 44u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 12), "WAVE");
  EXPECT_EQ(file.size(), 44u + static_cast<size_t>(dlg.TrackModel().Row(0).ItemData) * kImageSectorBytes);
  EXPECT_FALSE(fs::exists(out + "01_Track01.mp3"));
  EXPECT_FALSE(fs::exists(out + "02_Track02.wav"));
  EXPECT_TRUE(boxes_.Shown().empty()) << boxes_.Shown().front().first;
}

}  // namespace

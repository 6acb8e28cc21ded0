#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>

#include <filesystem>
#include <fstream>

#include "tests/support/gui/gui_test_support.h"
#include "ui/core/profile_store.h"
#include "ui/help_page.h"
#include "ui/xmessage_box.h"

namespace {

// The small screen that the boxes must fit and be centred on.
const gui_test::OwnDisplay kDisplay("1024x768x24", gui_test::OwnDisplay::kNoWindowManager);

constexpr uint32_t kChooserType = MB_DONOTASKAGAIN | MB_NORESOURCE | MB_ICONEXCLAMATION | MB_NOSOUND;
const std::string kChooserText = "Which Action Do You Wish to Perform?";
const std::string kChooserCaption = "Choose Your Action";

XMessageBoxParams ChooserParams() {
  XMessageBoxParams p;
  p.customButtons = "Play the Track\nRip the Track\nCancel\n";
  return p;
}

// Runs `action` on the box once it is on screen.
void OnBox(std::function<void(CXMessageDialog&)> action) {
  gui_test::WhenModalShown([action](wxDialog& d) { action(dynamic_cast<CXMessageDialog&>(d)); },
                           [](wxDialog& d) { return d.GetName() == CXMessageDialog::kWindowName; });
}

wxString LabelOf(CXMessageDialog& box, int id) {
  wxWindow* w = box.GetDlgItem(id);
  return w != nullptr ? w->GetLabel() : wxString("<missing>");
}

class XMessageBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qcr-xmbgui-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    AppProfile().SetPath(dir_ + "/test.profile");
  }
  void TearDown() override {
    AppProfile().SetPath("");
    std::filesystem::remove_all(dir_);
  }
  static std::string ProgramName() {
    return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetFullName().utf8_string();
  }
  std::string dir_;
};

TEST_F(XMessageBoxTest, TheActionChooserFitsItsControlsAndReturnsTheClickAndTheCheckBox) {
  OnBox([](CXMessageDialog& box) {
    EXPECT_EQ(box.GetTitle(), kChooserCaption);
    EXPECT_EQ(box.GetDlgItemAs<wxStaticText>(kXmbFirstTextId)->GetLabelText(), kChooserText);
    EXPECT_EQ(LabelOf(box, kXmbCheckBoxId), "Don't ask me again");
    EXPECT_EQ(box.GetDlgItem(IDOK), nullptr);
    EXPECT_NE(box.GetDlgItem(kXmbIconId), nullptr);
    const wxRect client(wxPoint(0, 0), box.GetClientSize());
    wxRect previous;
    for (auto [id, label] : {std::pair{23, "Play the Track"}, {24, "Rip the Track"}, {25, "Cancel"}}) {
      EXPECT_EQ(LabelOf(box, id), label);
      const wxRect r = box.GetDlgItem(id)->GetRect();
      EXPECT_TRUE(client.Contains(r)) << id;
      EXPECT_GE(r.width, box.GetDlgItem(id)->GetBestSize().x) << id;  // the label fits
      if (!previous.IsEmpty()) {
        EXPECT_GT(r.x, previous.GetRight()) << id;
      }
      previous = r;
    }
    const wxRect check = box.GetDlgItem(kXmbCheckBoxId)->GetRect();
    EXPECT_TRUE(client.Contains(check));
    EXPECT_GT(check.y, previous.GetBottom());
    EXPECT_FALSE(box.GetDlgItemAs<wxCheckBox>(kXmbCheckBoxId)->GetValue());
    gui_test::Click(box.GetDlgItem(kXmbCheckBoxId));
    gui_test::Click(box.GetDlgItem(24));
  });
  const XMessageBoxParams params = ChooserParams();
  EXPECT_EQ(XMessageBox(nullptr, kChooserText, kChooserCaption, kChooserType, &params),
            24 | MB_DONOTASKAGAIN);
}

TEST_F(XMessageBoxTest, EscapeGivesOkInAnOkBoxAndNothingInAYesNoBox) {
  OnBox([](CXMessageDialog& box) { gui_test::PressKey(&box, WXK_ESCAPE); });
  EXPECT_EQ(XMessageBox(nullptr, "M", "T", MB_OK | MB_NOSOUND), IDOK);

  OnBox([](CXMessageDialog& box) {
    gui_test::PressKey(&box, WXK_ESCAPE);
    box.Close();
    gui_test::PumpEvents();
    EXPECT_TRUE(box.IsModal());  // neither Escape nor the close box ends it
    gui_test::Click(box.GetDlgItem(IDNO));
  });
  EXPECT_EQ(XMessageBox(nullptr, "M", "T", MB_YESNO | MB_NOSOUND), IDNO);

  // With custom buttons the type's set still decides: an OK set gives IDOK.
  OnBox([](CXMessageDialog& box) { gui_test::PressKey(&box, WXK_ESCAPE); });
  const XMessageBoxParams params = ChooserParams();
  EXPECT_EQ(XMessageBox(nullptr, kChooserText, kChooserCaption, kChooserType, &params), IDOK);
}

TEST_F(XMessageBoxTest, ABoxWithALongPathStaysOnTheScreenWithItsButton) {
  std::string path;
  while (path.size() < 260) path += "/Quarno_CD_Ripper_Free/Local_CDDB_of_a_long_name";
  const std::string text = "Fail to create folder " + path + " !!";
  // Without an owner, and with one not on screen yet (a main window still
  // starting, at its first size): either way centred on the work area.
  auto* hiddenOwner = new wxFrame(nullptr, wxID_ANY, "Owner", wxPoint(0, 0), wxSize(744, 500));
  for (wxWindow* owner : {static_cast<wxWindow*>(nullptr), static_cast<wxWindow*>(hiddenOwner)}) {
    OnBox([](CXMessageDialog& box) {
      const wxRect area = wxDisplay(&box).GetClientArea();
      const wxRect boxRect = box.GetScreenRect();
      EXPECT_TRUE(area.Contains(boxRect)) << boxRect.x << "," << boxRect.y << " " << boxRect.width;
      EXPECT_LE(std::abs(boxRect.x + boxRect.width / 2 - (area.x + area.width / 2)), 2) << boxRect.x;
      EXPECT_LE(std::abs(boxRect.y + boxRect.height / 2 - (area.y + area.height / 2)), 2) << boxRect.y;
      EXPECT_LE(boxRect.width, 1024 * 3 / 4);
      EXPECT_LE(boxRect.height, 768 * 3 / 4);
      const wxRect ok = box.GetDlgItem(IDOK)->GetScreenRect();
      EXPECT_TRUE(boxRect.Contains(ok));
      const wxWindow* message = box.GetDlgItem(kXmbFirstTextId);
      EXPECT_TRUE(wxRect(wxPoint(0, 0), box.GetClientSize()).Contains(message->GetRect()));
      EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&box), "xmessage_box_long_path"));
      gui_test::Click(box.GetDlgItem(IDOK));
    });
    EXPECT_EQ(XMessageBox(owner, text, "", MB_OK | MB_ICONEXCLAMATION | MB_NOSOUND), IDOK);
  }
  hiddenOwner->Destroy();
}

TEST_F(XMessageBoxTest, ATimeOutCountsDownOnTheDefaultCustomButtonAndPressesIt) {
  std::vector<wxString> labels;
  OnBox([&labels](CXMessageDialog& box) {
    // Drive timer 1 by hand: each call is one second.
    EXPECT_TRUE(box.IsTimerRunning(CXMessageDialog::kTimeoutTimer));
    for (int i = 0; i < 2; ++i) {
      box.OnTimer(CXMessageDialog::kTimeoutTimer);
      labels.push_back(LabelOf(box, 24));
    }
    box.OnTimer(CXMessageDialog::kTimeoutTimer);
  });
  XMessageBoxParams params = ChooserParams();
  params.timeoutSeconds = 2;
  const int result =
      XMessageBox(nullptr, kChooserText, kChooserCaption, kChooserType | MB_DEFBUTTON2, &params);
  EXPECT_EQ(labels, (std::vector<wxString>{"Rip the Track = 2", "Rip the Track = 1"}));
  EXPECT_EQ(static_cast<uint32_t>(result), 24u | MB_TIMEOUT);
}

TEST_F(XMessageBoxTest, AClickInTheBoxStopsTheCountdown) {
  OnBox([](CXMessageDialog& box) {
    box.OnTimer(CXMessageDialog::kTimeoutTimer);
    EXPECT_EQ(LabelOf(box, IDOK), "OK = 10");
    gui_test::MouseDown(box.GetDlgItem(kXmbFirstTextId));
    EXPECT_FALSE(box.IsTimerRunning(CXMessageDialog::kTimeoutTimer));
    EXPECT_EQ(LabelOf(box, IDOK), "OK");
    gui_test::Click(box.GetDlgItem(IDOK));
  });
  XMessageBoxParams params;
  params.timeoutSeconds = 5000;
  EXPECT_EQ(XMessageBox(nullptr, "M", "T", MB_OK | MB_NOSOUND, &params), IDOK);
}

TEST_F(XMessageBoxTest, ATickedAnswerIsRememberedAndReturnedWithoutTheBox) {
  XMessageBoxParams params = ChooserParams();
  params.companyKey = "Test Company";
  params.valueNameSource = "double-click";
  OnBox([](CXMessageDialog& box) {
    gui_test::Click(box.GetDlgItem(kXmbCheckBoxId));
    gui_test::Click(box.GetDlgItem(23));
  });
  EXPECT_EQ(XMessageBox(nullptr, kChooserText, kChooserCaption, kChooserType, &params),
            23 | MB_DONOTASKAGAIN);
  const std::string key = RememberedAnswerKey("Test Company", ProgramName());
  EXPECT_EQ(ReadRememberedAnswer(AppProfile(), key, RememberedValueName("double-click", 0)),
            23u | MB_DONOTASKAGAIN);

  gui_test::NoModalExpected guard;
  EXPECT_EQ(XMessageBox(nullptr, kChooserText, kChooserCaption, kChooserType, &params),
            23 | MB_DONOTASKAGAIN);
}

TEST_F(XMessageBoxTest, ARememberedAnswerForAnotherButtonDoesNotCount) {
  XMessageBoxParams params = ChooserParams();
  params.valueNameSource = "double-click";
  params.valueNameNumber = 3;
  const std::string key = RememberedAnswerKey("", ProgramName());
  // A stale or edited value: "No" is no button of this box.
  WriteRememberedAnswer(AppProfile(), key, RememberedValueName("double-click", 3), IDNO | MB_DONOTASKAGAIN);
  OnBox([](CXMessageDialog& box) { gui_test::Click(box.GetDlgItem(25)); });
  EXPECT_EQ(XMessageBox(nullptr, kChooserText, kChooserCaption, kChooserType, &params), 25);
  // Unticked: nothing new is remembered.
  EXPECT_EQ(ReadRememberedAnswer(AppProfile(), key, RememberedValueName("double-click", 3)),
            IDNO | MB_DONOTASKAGAIN);
}

TEST_F(XMessageBoxTest, StringIdsCaptionCtrlCAndReport) {
  std::string reported;
  int data = 0;
  XMessageBoxParams params;
  params.loadString = [](int id) { return id == 7001 ? std::string("M") : std::string(); };
  params.reportCaption = "Send &Report";
  params.reportData = 99;
  params.reportCallback = [&](const std::string& message, int d) {
    reported = message;
    data = d;
  };
  OnBox([](CXMessageDialog& box) {
    EXPECT_EQ(box.GetTitle(), "Error");  // a missing caption
    EXPECT_EQ(box.GetDlgItemAs<wxStaticText>(kXmbFirstTextId)->GetLabelText(), "M");  // looked up
    gui_test::PressKey(&box, 'C', true);
    EXPECT_EQ(gui_test::ReadClipboardText(),
              "---------------------------\r\nError\r\n---------------------------\r\nM\r\n"
              "---------------------------\r\nOK   Send Report   \r\n---------------------------\r\n");
    EXPECT_EQ(LabelOf(box, kXmbReportId), "Send &Report");
    gui_test::Click(box.GetDlgItem(kXmbReportId));
    EXPECT_TRUE(box.IsModal());  // neither the copy nor the report ends it
    gui_test::Click(box.GetDlgItem(IDOK));
  });
  EXPECT_EQ(XMessageBox(nullptr, 7001, 0, MB_OK | MB_ICONQUESTION | MB_NOSOUND, &params), IDOK);
  EXPECT_EQ(reported, "M");
  EXPECT_EQ(data, 99);
}

// The help page goes to the desktop's handler as one argument, whatever its
// name holds.
TEST_F(XMessageBoxTest, HelpOpensTheHelpPageWithTheDesktopHandlerWhenThereIsOne) {
  gui_test::RecordingXdgOpen xdg;
  const std::string page = dir_ + "/My Help; echo $(id).html";
  std::ofstream(page) << "<html></html>";
  for (const std::string& missing : {dir_ + "/missing.html", dir_})
    EXPECT_FALSE(OpenHelpPage(missing)) << missing;
  EXPECT_TRUE(OpenHelpPage(page));
  EXPECT_EQ(xdg.Opened(true), page + "|");
  EXPECT_EQ(std::filesystem::path(ProgramHelpPagePath()),
            std::filesystem::path(wxStandardPaths::Get().GetExecutablePath().utf8_string()).parent_path() /
                "Help.html");

  OnBox([](CXMessageDialog& box) {
    EXPECT_EQ(LabelOf(box, kXmbHelpId), "&Help");
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&box), "message_box_with_help"));
    gui_test::Click(box.GetDlgItem(kXmbHelpId));
    EXPECT_TRUE(box.IsModal());  // help leaves the box open
    gui_test::Click(box.GetDlgItem(IDOK));
  });
  EXPECT_EQ(XMessageBox(nullptr, "The settings file could not be read.", "Settings",
                        MB_OKCANCEL | MB_ICONEXCLAMATION | MB_HELP | MB_NOSOUND),
            IDOK);
}

}  // namespace

#include "ui/core/xdialog_template.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

// Round numbers: base units 8 x 16 make a dialog unit 2 pixels each way, and
// every character is 7 pixels wide.
class FakeMetrics : public IXmbMetrics {
 public:
  SIZE BaseUnits() const override { return {8, 16}; }
  int TextWidth(std::string_view text) const override {
    int chars = 0;
    for (char c : text) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return 7 * chars;
  }
  int LineHeight() const override { return 16; }
  SIZE ScreenSize() const override { return {1280, 1024}; }
  SIZE IconSize() const override { return {32, 32}; }
  int ButtonExtra() const override { return buttonExtra; }
  int CheckBoxExtra() const override { return 0; }
  int buttonExtra = 0;
};

constexpr uint32_t kChooserType = MB_DONOTASKAGAIN | MB_NORESOURCE | MB_ICONEXCLAMATION;

XMessageBoxParams ChooserParams() {
  XMessageBoxParams p;
  p.customButtons = "Play the Track\nRip the Track\nCancel\n";
  return p;
}

CXDialogTemplate Chooser(XMessageBoxParams params = ChooserParams()) {
  return CXDialogTemplate("Which Action Do You Wish to Perform?", "Choose Your Action", kChooserType, params,
                          FakeMetrics());
}

const CXDialogItem* Find(const CXDialogTemplate& box, int id) {
  for (const CXDialogItem& item : box.Items()) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

std::vector<int> ButtonIds(const CXDialogTemplate& box) {
  std::vector<int> ids;
  for (const CXDialogItem& item : box.Items()) {
    if (item.kind == XmbItemKind::Button) ids.push_back(item.id);
  }
  return ids;
}

std::array<int, 4> Box(const CXDialogItem* item) {
  return item ? std::array{item->x, item->y, item->cx, item->cy} : std::array{-1, -1, -1, -1};
}

TEST(XDialogTemplate, TheActionChooserLaysOutAsComputed) {
  const CXDialogTemplate box = Chooser();
  EXPECT_EQ(ButtonIds(box), (std::vector<int>{23, 24, 25}));
  EXPECT_EQ(box.DefaultButtonId(), 23);
  EXPECT_EQ(box.Caption(), "Choose Your Action");
  EXPECT_EQ(Box(Find(box, kXmbIconId)), (std::array{4, 4, 16, 16}));
  // Message: left 16 + icon margin 8 + icon 32, text 36 x 7 = 252 wide, one line.
  EXPECT_EQ(Box(Find(box, kXmbFirstTextId)), (std::array{28, 8, 132, 15}));
  // Buttons 118, 111 and 76 wide, 6 apart, centred in 349: row top 45 + 14; sizes round up.
  EXPECT_EQ(Box(Find(box, 23)), (std::array{8, 29, 59, 12}));
  EXPECT_EQ(Box(Find(box, 24)), (std::array{70, 29, 56, 12}));
  EXPECT_EQ(Box(Find(box, 25)), (std::array{128, 29, 38, 12}));
  EXPECT_TRUE(Find(box, 23)->isDefault);
  EXPECT_FALSE(Find(box, 24)->isDefault);
  // Check box at 17, 12 below the buttons; the client ends 8 below it.
  EXPECT_EQ(Box(Find(box, kXmbCheckBoxId)), (std::array{8, 47, 73, 10}));
  EXPECT_EQ(Find(box, kXmbCheckBoxId)->text, "Don't ask me again");
  EXPECT_EQ(box.ClientSizeDlu(), (SIZE{175, 62}));
}

TEST(XDialogTemplate, TheLighterLookMovesTheIconAndRightAlignsTheButtons) {
  XMessageBoxParams p;
  p.options = kXmbVistaStyle;
  const CXDialogTemplate box("Short", "T", MB_OKCANCEL | MB_ICONQUESTION, p, FakeMetrics());
  EXPECT_EQ(Find(box, kXmbIconId)->x, 12);  // 24 px
  // Buttons 76 + 12 = 88 wide, 24 + 2 high; right edge 16 px from the client's.
  const CXDialogItem* cancel = Find(box, IDCANCEL);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->cx, 44);
  EXPECT_EQ(cancel->cy, 13);
  EXPECT_EQ((cancel->x + cancel->cx) * 2 + 16, box.ClientSizeDlu().cx * 2);
  EXPECT_GE(box.ClientSizeDlu().cy, 35);  // at least 70 px
}

TEST(XDialogTemplate, LongMessagesWrapWithinTheWidthLimitBreakingLongWords) {
  XMessageBoxParams p;
  p.options = kXmbNarrow;  // a third of 1280 = 426 px, no icon
  std::string text;
  for (int i = 0; i < 40; ++i) text += "word ";
  const CXDialogTemplate box(text + "\n\tindented", "T", MB_OK, p, FakeMetrics());
  const CXDialogItem* message = Find(box, kXmbFirstTextId);
  EXPECT_GT(std::count(message->text.begin(), message->text.end(), '\n'), 2);
  EXPECT_LE(message->cx * 2, 426 + 12);
  EXPECT_NE(message->text.find("        indented"), std::string::npos);  // tab to column 8

  const std::string x10(10, 'x');
  EXPECT_EQ(WrapText("a " + std::string(30, 'x') + " b", 70, FakeMetrics()),
            (std::vector<std::string>{"a", x10, x10, x10, "b"}));
  EXPECT_EQ(WrapText("Fail to create folder /media/quarno/Music/Albums !!", 140, FakeMetrics()),
            (std::vector<std::string>{"Fail to create", "folder", "/media/quarno/Music/", "Albums !!"}));
  EXPECT_EQ(WrapText("", 70, FakeMetrics()), (std::vector<std::string>{""}));
  // Too many lines for the screen (1024 px high): cut at two thirds of it.
  std::string many;
  for (int i = 0; i < 500; ++i) many += "line\n";
  const CXDialogTemplate tall(many, "T", MB_OK, p, FakeMetrics());
  const CXDialogItem* shown = Find(tall, kXmbFirstTextId);
  EXPECT_EQ(std::count(shown->text.begin(), shown->text.end(), '\n'), 1024 * 2 / 3 / 16 - 1);
  EXPECT_TRUE(shown->text.ends_with("line\u2026"));
  EXPECT_EQ(tall.Message(), many);  // kept whole for the copy
  EXPECT_LE(tall.ClientSizeDlu().cy * 2, 1024 - 100);
  EXPECT_EQ(WrapText("one\r\ntwo", 700, FakeMetrics()), (std::vector<std::string>{"one", "two"}));
}

TEST(XDialogTemplate, ButtonWidthsAndDefaults) {
  FakeMetrics roomy;
  roomy.buttonExtra = 36;  // the toolkit needs more room than the twenty pixels
  EXPECT_EQ(Find(CXDialogTemplate("M", "T", MB_OK, ChooserParams(), roomy), 23)->cx, (98 + 36) / 2);
  EXPECT_EQ(Find(CXDialogTemplate("M", "T", MB_OK, {}, roomy), IDOK)->cx, 38);  // standard width
  XMessageBoxParams p;
  p.customButtons = "A\nB\nC\nD\nE\n";
  EXPECT_EQ(ButtonIds(CXDialogTemplate("M", "T", MB_OK, p, FakeMetrics())), (std::vector<int>{23, 24, 25, 26}));

  const std::pair<uint32_t, int> defaults[] = {{MB_YESNO | MB_DEFBUTTON2, IDNO},
                                               {MB_OK | MB_DEFBUTTON4, IDOK},  // falls back to the first
                                               {MB_YESNOCANCEL | MB_DEFBUTTON6, IDYES}};
  for (auto [type, id] : defaults) EXPECT_EQ(CXDialogTemplate("M", "T", type, {}, FakeMetrics()).DefaultButtonId(), id);
  p = {};
  p.reportCallback = [](const std::string&, int) {};
  const CXDialogTemplate withReport("M", "", MB_OK | MB_DEFBUTTON2, p, FakeMetrics());
  EXPECT_EQ(withReport.DefaultButtonId(), kXmbReportId);  // counts in creation order
  EXPECT_EQ(withReport.EndingButtonIds(), std::vector<int>{IDOK});
  EXPECT_EQ(withReport.Caption(), "Error");
  // Help comes after the set's buttons and before Report; neither ends the box.
  const CXDialogTemplate withHelp("M", "T", MB_YESNO | MB_HELP, p, FakeMetrics());
  EXPECT_EQ(ButtonIds(withHelp), (std::vector<int>{IDYES, IDNO, kXmbHelpId, kXmbReportId}));
  EXPECT_EQ(Find(withHelp, kXmbHelpId)->text, "&Help");
  EXPECT_EQ(withHelp.EndingButtonIds(), (std::vector<int>{IDYES, IDNO}));
}

TEST(XDialogTemplate, ButtonsEndTheBoxWithTheirIdAndTheCheckBoxBit) {
  CXDialogTemplate box = Chooser();
  auto r = box.OnCommand(24, true);
  EXPECT_TRUE(r.end);
  EXPECT_EQ(r.result, 24u | MB_DONOTASKAGAIN);
  EXPECT_FALSE(r.writeAnswer);  // no value name: nothing to remember
  EXPECT_TRUE(box.Ended());
  EXPECT_EQ(box.Result(), 24u | MB_DONOTASKAGAIN);

  XMessageBoxParams p = ChooserParams();
  p.valueNameSource = "chooser";
  EXPECT_TRUE(Chooser(p).OnCommand(23, true).writeAnswer);
  r = Chooser(p).OnCommand(23, false);
  EXPECT_EQ(r.result, 23u);
  EXPECT_FALSE(r.writeAnswer);

  p = {};
  p.reportCallback = [](const std::string&, int) {};
  CXDialogTemplate open("M", "T", MB_OK | MB_HELP, p, FakeMetrics());  // help, check box and report leave it open
  r = open.OnCommand(kXmbHelpId, false);
  EXPECT_TRUE(r.openHelp);
  EXPECT_FALSE(r.end);
  EXPECT_FALSE(open.OnCommand(kXmbCheckBoxId, false).end);
  r = open.OnCommand(kXmbReportId, false);
  EXPECT_TRUE(r.callReport);
  EXPECT_FALSE(r.end || open.Ended());
}

TEST(XDialogTemplate, CancelFollowsTheButtonSet) {
  CXDialogTemplate ok("M", "T", MB_OK, {}, FakeMetrics());
  EXPECT_EQ(ok.EscapeCommand(), IDCANCEL);
  auto r = ok.OnCommand(IDCANCEL, false);
  EXPECT_TRUE(r.end);
  EXPECT_EQ(r.result, static_cast<uint32_t>(IDOK));

  CXDialogTemplate yesNo("M", "T", MB_YESNO, {}, FakeMetrics());
  EXPECT_FALSE(yesNo.EscapeCommand().has_value());
  EXPECT_FALSE(yesNo.CloseAllowed());
  EXPECT_FALSE(yesNo.OnCommand(IDCANCEL, false).end);
  EXPECT_FALSE(yesNo.Ended());

  CXDialogTemplate retry("M", "T", MB_RETRYCANCEL | MB_DONOTSHOWAGAIN, {}, FakeMetrics());
  EXPECT_EQ(retry.OnCommand(IDCANCEL, true).result, static_cast<uint32_t>(IDCANCEL));  // no check box bit
}

TEST(XDialogTemplate, TheTimeOutCountsDownOnTheDefaultButtonThenPressesIt) {
  XMessageBoxParams p;
  p.timeoutSeconds = 3;
  CXDialogTemplate box("M", "T", MB_OK, p, FakeMetrics());
  EXPECT_TRUE(box.TimeoutRunning());
  EXPECT_EQ(Find(box, IDOK)->cx, 51);  // wider by the countdown room: 76 + 26 px
  std::vector<std::string> texts;
  CXDialogTemplate::Reaction r;
  for (int tick = 0; tick < 10 && !r.end; ++tick) {
    r = box.OnTimeoutTick(false);
    if (!r.end && r.defaultButtonText) texts.push_back(*r.defaultButtonText);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"OK = 3", "OK = 2", "OK = 1"}));
  EXPECT_EQ(r.result, 1u | MB_TIMEOUT);
  EXPECT_EQ(r.defaultButtonText, "OK");
  EXPECT_FALSE(box.TimeoutRunning());

  p.timeoutSeconds = 1;  // a timed-out Cancel default keeps its own id
  CXDialogTemplate cancel("M", "T", MB_OKCANCEL | MB_DEFBUTTON2 | MB_DONOTASKAGAIN, p, FakeMetrics());
  cancel.OnTimeoutTick(true);
  EXPECT_EQ(cancel.OnTimeoutTick(true).result, 2u | MB_TIMEOUT | MB_DONOTASKAGAIN);
}

TEST(XDialogTemplate, AClickOrACommandStopsTheCountdown) {
  XMessageBoxParams p;
  p.timeoutSeconds = 5000;  // counts from 10
  CXDialogTemplate box("M", "T", MB_OK, p, FakeMetrics());
  EXPECT_EQ(box.OnTimeoutTick(false).defaultButtonText, "OK = 10");
  const auto r = box.OnClick();
  EXPECT_TRUE(r.stopCountdown);
  EXPECT_EQ(r.defaultButtonText, "OK");
  EXPECT_FALSE(box.TimeoutRunning());
  EXPECT_FALSE(box.OnTimeoutTick(false).end);
  EXPECT_FALSE(box.OnClick().stopCountdown);

  CXDialogTemplate ticked("M", "T", MB_OK | MB_DONOTASKAGAIN, p, FakeMetrics());
  const auto check = ticked.OnCommand(kXmbCheckBoxId, true);
  EXPECT_TRUE(check.stopCountdown);
  EXPECT_FALSE(check.end);
}

TEST(XDialogTemplate, DisabledSecondsCountDownInTheCaptionAndHoldEscape) {
  XMessageBoxParams p;
  p.disabledSeconds = 2;
  CXDialogTemplate box("M", "Caption", MB_OKCANCEL, p, FakeMetrics());
  EXPECT_TRUE(box.ButtonsDisabled());
  EXPECT_FALSE(box.EscapeCommand().has_value());
  EXPECT_EQ(box.OnDisabledTick().caption, "Caption 2");
  EXPECT_EQ(box.OnDisabledTick().caption, "Caption 1");
  const auto r = box.OnDisabledTick();
  EXPECT_TRUE(r.enableButtons);
  EXPECT_EQ(r.caption, "Caption");
  EXPECT_FALSE(box.ButtonsDisabled());
  EXPECT_EQ(box.EscapeCommand(), IDCANCEL);
  EXPECT_FALSE(box.OnDisabledTick().caption.has_value());
}

TEST(XDialogTemplate, ARememberedAnswerMustNameAButtonOfThisBox) {
  const CXDialogTemplate box = Chooser();
  EXPECT_TRUE(box.AcceptsRememberedAnswer(24u | MB_DONOTASKAGAIN));
  EXPECT_TRUE(box.AcceptsRememberedAnswer(25u | MB_DONOTSHOWAGAIN));
  // No check box bit, not a button here, nothing, everything.
  for (uint32_t answer : {24u, IDNO | MB_DONOTASKAGAIN, IDOK | MB_DONOTASKAGAIN, 0u, 0xFFFFFFFFu})
    EXPECT_FALSE(box.AcceptsRememberedAnswer(answer)) << answer;
}

}  // namespace

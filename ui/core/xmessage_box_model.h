// The window-free half of the custom message box (ui/xmessage_box.h): its type
// bits, button ids, label and button-set tables, parameter block, the naming
// of remembered answers and the small texts it builds (countdown, caption,
// clipboard copy).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/win_types.h"

class ProfileStore;

// Type bits beyond the standard message-box ones.
inline constexpr uint32_t MB_CONTINUEABORT = 0x7;
inline constexpr uint32_t MB_SKIPSKIPALLCANCEL = 0x8;
inline constexpr uint32_t MB_IGNOREIGNOREALLCANCEL = 0x9;
inline constexpr uint32_t MB_DEFBUTTON5 = 0x400;
inline constexpr uint32_t MB_DEFBUTTON6 = 0x500;
inline constexpr uint32_t MB_DONOTASKAGAIN = 0x01000000;
inline constexpr uint32_t MB_DONOTTELLAGAIN = 0x02000000;
inline constexpr uint32_t MB_DONOTSHOWAGAIN = 0x04000000;
inline constexpr uint32_t MB_YESTOALL = 0x08000000;
inline constexpr uint32_t MB_NOTOALL = 0x10000000;
inline constexpr uint32_t MB_NORESOURCE = 0x20000000;
inline constexpr uint32_t MB_NOSOUND = 0x40000000;
inline constexpr uint32_t MB_CHECKBOXMASK = MB_DONOTASKAGAIN | MB_DONOTTELLAGAIN | MB_DONOTSHOWAGAIN;
// Added to the default button's id when the box pressed it after its time-out.
inline constexpr uint32_t MB_TIMEOUT = 0x80000000;

// Button and control ids of the box.
inline constexpr int IDSKIP = 14;
inline constexpr int IDSKIPALL = 15;
inline constexpr int IDIGNOREALL = 16;
inline constexpr int IDYESTOALL = 19;
inline constexpr int IDNOTOALL = 20;
inline constexpr int IDCUSTOM1 = 23;  // custom buttons 23..26
inline constexpr int kXmbMaxCustomButtons = 4;
inline constexpr int kXmbHelpId = 300;
inline constexpr int kXmbReportId = 301;
inline constexpr int kXmbCheckBoxId = 5555;
inline constexpr int kXmbIconId = 1000;
inline constexpr int kXmbFirstTextId = 1001;
inline constexpr int kXmbLastDisabledId = 26;  // ids 1..26 wait out the disabled seconds

// Options of the parameter block.
inline constexpr int kXmbRightJustifyButtons = 0x1;
inline constexpr int kXmbVistaStyle = 0x2;  // the lighter look
inline constexpr int kXmbNarrow = 0x4;

// Label indices.
enum XmbLabel : int {
  kLabelAbort,
  kLabelCancel,
  kLabelContinue,
  kLabelDoNotAsk,
  kLabelDoNotTell,
  kLabelDoNotShow,
  kLabelHelp,
  kLabelIgnore,
  kLabelIgnoreAll,
  kLabelNo,
  kLabelNoToAll,
  kLabelOk,
  kLabelReport,
  kLabelRetry,
  kLabelSkip,
  kLabelSkipAll,
  kLabelTryAgain,
  kLabelYes,
  kLabelYesToAll,
  kLabelCount
};

struct XmbLabelInfo {
  int resourceId;
  std::string_view builtIn;
  int buttonId;
};
// The 19 labels, by index.
const std::array<XmbLabelInfo, kLabelCount>& XmbLabels();
inline constexpr size_t kXmbMaxLabelChars = 99;

// What Escape and the close box do for a button set.
enum class XmbEscape { Disabled, GivesCancel, GivesOk };
XmbEscape EscapeRuleFor(uint32_t type);
// The label indices of the type's standard buttons, left to right.
std::vector<int> StandardButtonsFor(uint32_t type);

// A colour as 0x00BBGGRR; -1 for the default.
using XmbColour = int32_t;

// The optional parameter block, copied whole by XMessageBox.
struct XMessageBoxParams {
  int helpId = 0;
  int timeoutSeconds = 0;   // > 0: press the default button after this long
  int disabledSeconds = 0;  // > 0: buttons stay disabled this long
  int x = 0;                // screen position; both 0: centred on the owner
  int y = 0;
  int options = 0;  // kXmb* options
  // Looks a string resource up; unset or an empty answer: no such string.
  std::function<std::string(int id)> loadString;
  std::string iconName;       // an art-provider or theme icon name; empty: the type's icon
  int customButtonsId = 0;    // string resource with the custom buttons
  std::string customButtons;  // up to four texts, each ended by "\n"
  int reportCaptionId = 0;
  std::string reportCaption;
  std::string companyKey;       // key part for remembered answers
  std::string valueNameSource;  // empty: answers are not remembered
  int valueNameNumber = 0;
  int reportData = 0;
  std::function<void(const std::string& message, int reportData)> reportCallback;
  XmbColour textColour = -1;
  XmbColour backgroundColour = -1;
  int replacementLabelsPresent = 0;
  std::array<std::string, kLabelCount> replacementLabels;
};

// Seconds as the box takes them: 1000 or more become 10.
int ClampXmbSeconds(int seconds);
// The custom button texts (at most four; empty texts are skipped).
std::vector<std::string> ParseCustomButtons(std::string_view text);
// The 19 labels the box shows: built-in texts, replaced by the non-empty
// replacement labels when present, else by found string resources, unless
// MB_NORESOURCE. Each at most 99 characters.
std::array<std::string, kLabelCount> ResolveLabels(uint32_t type, const XMessageBoxParams& params);
// A label without its "&" mnemonic marks.
std::string StripMnemonics(std::string_view label);

// The default button's text while the time-out counts down.
std::string CountdownLabel(std::string_view label, int seconds);
// The caption while the buttons are disabled.
std::string DisabledCaption(std::string_view caption, int seconds);
// Splits a word wider than a line of `maxWidth` pixels (as `textWidth`
// measures one line) into pieces that fit, so a long path cannot make the box
// wider than the screen. A piece ends after the last path separator ('/' or
// '\\') that still fits, unless that would leave the line less than half
// full; else after the last whole character that fits. Every piece holds at
// least one character. A word that fits comes back whole.
std::vector<std::string> BreakLongWord(std::string_view word, int maxWidth,
                                       const std::function<int(std::string_view)>& textWidth);
// The box as text for the clipboard.
std::string BuildClipboardText(std::string_view caption, std::string_view message, bool hasMessage,
                               const std::vector<std::string>& buttonTexts);

// Remembered answers: the value name is made from a text so that any text
// gives a name of plain letters and digits.
std::string EncodeValueName(std::string_view text);
// "Software\<company>\<program>\XMessageBox" (no company part when empty).
std::string RememberedAnswerKey(std::string_view companyKey, std::string_view programFileName);
// EncodeValueName of the first 490 characters of `source`, then `number`.
std::string RememberedValueName(std::string_view source, int number);
// The stored answer, or 0 when there is none.
uint32_t ReadRememberedAnswer(const ProfileStore& store, const std::string& key, const std::string& name);
// Stores an answer; failures are ignored.
void WriteRememberedAnswer(ProfileStore& store, const std::string& key, const std::string& name,
                           uint32_t value);

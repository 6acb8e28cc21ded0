// The custom message box as data: the box's controls laid out in dialog
// units (built at run time from the text, the type word and the parameter
// block), and the box's behaviour as a small state machine: what a button,
// Escape, a click or a timer tick does. The wx dialog in ui/xmessage_box.cpp
// only shows this and forwards events to it, so all of it is tested without a
// display.
//
// Sizes come from an IXmbMetrics: the real one measures with the dialog font,
// tests use fixed numbers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/core/xmessage_box_model.h"

// Measurements the layout needs, in pixels.
class IXmbMetrics {
 public:
  virtual ~IXmbMetrics() = default;
  virtual SIZE BaseUnits() const = 0;                      // average character width, font height
  virtual int TextWidth(std::string_view text) const = 0;  // one line
  virtual int LineHeight() const = 0;
  virtual SIZE ScreenSize() const = 0;
  virtual SIZE IconSize() const = 0;
  // Room a push button and a check box need beside their label's text. The
  // box gives at least 20 and the check box's height, and more where the
  // toolkit's controls need it.
  virtual int ButtonExtra() const = 0;
  virtual int CheckBoxExtra() const = 0;
};

// Word-wraps `text` at `maxWidth` pixels: breaks at line breaks and between
// words; a word wider than a line is broken (BreakLongWord). Tabs
// become spaces up to the next multiple of eight characters.
std::vector<std::string> WrapText(std::string_view text, int maxWidth, const IXmbMetrics& metrics);

enum class XmbItemKind { Icon, Message, Button, CheckBox };

// One control of the box, in dialog units.
struct CXDialogItem {
  XmbItemKind kind = XmbItemKind::Button;
  int id = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  bool isDefault = false;  // the default push button
  std::string text;
};

class CXDialogTemplate {
 public:
  // What the box must do after an event.
  struct Reaction {
    bool end = false;  // close the box with `result`
    uint32_t result = 0;
    bool writeAnswer = false;                      // remember `result` (checkbox ticked, answer named)
    bool callReport = false;                       // call the report callback; the box stays
    bool openHelp = false;                         // open the program's help; the box stays
    bool stopCountdown = false;                    // stop timer 1 and give the default button its text back
    std::optional<std::string> defaultButtonText;  // new text of the default button
    std::optional<std::string> caption;            // new caption
    bool enableButtons = false;                    // the disabled seconds are over
  };

  // Builds the box. `caption` empty means "Error".
  CXDialogTemplate(std::string message, std::string caption, uint32_t type, const XMessageBoxParams& params,
                   const IXmbMetrics& metrics);

  // Layout.
  const std::vector<CXDialogItem>& Items() const { return items_; }
  SIZE ClientSizeDlu() const { return clientDlu_; }
  SIZE BaseUnits() const { return baseUnits_; }
  RECT MessageAreaPx() const { return messageAreaPx_; }  // the lighter look's message band
  bool HasBackgroundBrush() const { return hasBrush_; }
  bool HasIcon() const { return hasIcon_; }
  bool HasCheckBox() const { return checkBoxBit_ != 0; }
  int DefaultButtonId() const { return defaultId_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Message() const { return message_; }
  uint32_t Type() const { return type_; }
  const XMessageBoxParams& Params() const { return params_; }
  // Ids of the buttons that end the box (not Help, not Report).
  std::vector<int> EndingButtonIds() const;
  // Whether a remembered answer may stand for a press on this box: it holds a
  // checkbox bit and its low word names one of the box's ending buttons.
  bool AcceptsRememberedAnswer(uint32_t answer) const;

  // Behaviour.
  bool TimeoutRunning() const { return timeoutRunning_; }
  bool ButtonsDisabled() const { return disabledRunning_; }
  // Escape and the close box: the command they give, or nullopt when they do nothing.
  std::optional<int> EscapeCommand() const;
  bool CloseAllowed() const { return EscapeCommand().has_value(); }
  Reaction OnCommand(uint32_t id, bool checkBoxTicked);
  Reaction OnClick();
  Reaction OnTimeoutTick(bool checkBoxTicked);
  Reaction OnDisabledTick();
  bool Ended() const { return ended_; }
  uint32_t Result() const { return result_; }

 private:
  void BuildLayout(const IXmbMetrics& metrics);
  struct RowButton {
    int id;
    std::string text;
    int width;
  };
  std::vector<RowButton> RowButtons(const IXmbMetrics& metrics, int buttonWidth, int extra) const;
  void PlaceRow(const std::vector<RowButton>& row, int left, int top, int height);
  // Positions truncate; sizes round up, so a control never loses the pixel
  // its label needs on the way to dialog units and back.
  int ToDluX(int px) const { return px * 4 / baseUnits_.cx; }
  int ToDluY(int py) const { return py * 8 / baseUnits_.cy; }
  int ToDluW(int px) const { return (px * 4 + baseUnits_.cx - 1) / baseUnits_.cx; }
  int ToDluH(int py) const { return (py * 8 + baseUnits_.cy - 1) / baseUnits_.cy; }

  std::string message_;
  std::string caption_;
  uint32_t type_;
  XMessageBoxParams params_;
  std::array<std::string, kLabelCount> labels_;
  std::vector<CXDialogItem> items_;
  SIZE clientDlu_;
  SIZE baseUnits_;
  RECT messageAreaPx_;
  bool hasBrush_ = false;
  bool hasIcon_ = false;
  uint32_t checkBoxBit_ = 0;
  int defaultId_ = IDOK;
  std::string defaultText_;
  int timeoutLeft_ = 0;
  bool timeoutRunning_ = false;
  int disabledLeft_ = 0;
  bool disabledRunning_ = false;
  bool ended_ = false;
  uint32_t result_ = static_cast<uint32_t>(-1);
};

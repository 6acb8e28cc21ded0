// Layout and behaviour of the custom message box, without windows.
#include "ui/core/xdialog_template.h"

#include <utf8.h>

#include <algorithm>

namespace {

constexpr int kTabColumns = 8;
constexpr int kMessageLeft = 16;
constexpr int kButtonGap = 6;
constexpr int kRowMargin = 16;
constexpr int kMinClientHeight = 70;
constexpr int kCheckBoxLeft = 17;
constexpr int kBottomMargin = 12;  // below the buttons when there is no check box
constexpr int kButtonTextPadding = 20;

std::string ExpandTabs(std::string_view line) {
  std::string out;
  int column = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      const int spaces = kTabColumns - column % kTabColumns;
      out.append(static_cast<size_t>(spaces), ' ');
      column += spaces;
      continue;
    }
    out.push_back(c);
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++column;  // count characters, not bytes
  }
  return out;
}

void WrapParagraph(const std::string& paragraph, int maxWidth, const IXmbMetrics& metrics,
                   std::vector<std::string>& lines) {
  std::string line;
  bool lineStarted = false;
  size_t pos = 0;
  while (true) {
    const size_t space = paragraph.find(' ', pos);
    std::string word = paragraph.substr(pos, space == std::string::npos ? std::string::npos : space - pos);
    if (metrics.TextWidth(word) > maxWidth) {
      // A word wider than a line starts a line of its own and is broken;
      // its last piece may take the words that follow.
      if (lineStarted) lines.push_back(line);
      std::vector<std::string> pieces = BreakLongWord(
          word, maxWidth, [&metrics](std::string_view piece) { return metrics.TextWidth(piece); });
      word = std::move(pieces.back());
      pieces.pop_back();
      for (std::string& piece : pieces) lines.push_back(std::move(piece));
      lineStarted = false;
    }
    if (!lineStarted) {
      line = word;
      lineStarted = true;
    } else {
      std::string candidate = line + " " + word;
      if (metrics.TextWidth(candidate) <= maxWidth) {
        line = std::move(candidate);
      } else {
        lines.push_back(line);
        line = word;
      }
    }
    if (space == std::string::npos) break;
    pos = space + 1;
  }
  lines.push_back(line);
}

}  // namespace

std::vector<std::string> WrapText(std::string_view text, int maxWidth, const IXmbMetrics& metrics) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (true) {
    const size_t end = text.find('\n', pos);
    std::string_view paragraph =
        text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    WrapParagraph(ExpandTabs(paragraph), maxWidth, metrics, lines);
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return lines;
}

CXDialogTemplate::CXDialogTemplate(std::string message, std::string caption, uint32_t type,
                                   const XMessageBoxParams& params, const IXmbMetrics& metrics)
    : message_(std::move(message)),
      caption_(caption.empty() ? "Error" : std::move(caption)),
      type_(type),
      params_(params) {
  params_.timeoutSeconds = ClampXmbSeconds(params_.timeoutSeconds);
  params_.disabledSeconds = ClampXmbSeconds(params_.disabledSeconds);
  labels_ = ResolveLabels(type_, params_);
  std::string report = params_.reportCaption;
  if (params_.reportCaptionId != 0 && params_.loadString)
    report = params_.loadString(params_.reportCaptionId);
  if (!report.empty()) labels_[kLabelReport] = report;
  if (type_ & MB_DONOTASKAGAIN) {
    checkBoxBit_ = MB_DONOTASKAGAIN;
  } else if (type_ & MB_DONOTTELLAGAIN) {
    checkBoxBit_ = MB_DONOTTELLAGAIN;
  } else if (type_ & MB_DONOTSHOWAGAIN) {
    checkBoxBit_ = MB_DONOTSHOWAGAIN;
  }
  BuildLayout(metrics);
  timeoutLeft_ = std::max(0, params_.timeoutSeconds);
  timeoutRunning_ = timeoutLeft_ > 0;
  disabledLeft_ = std::max(0, params_.disabledSeconds);
  disabledRunning_ = disabledLeft_ > 0;
}

std::vector<CXDialogTemplate::RowButton> CXDialogTemplate::RowButtons(const IXmbMetrics& metrics,
                                                                      int buttonWidth, int extra) const {
  std::vector<RowButton> row;
  const auto add = [&](int id, const std::string& text) {
    const int padding = std::max(kButtonTextPadding, metrics.ButtonExtra());
    const int width = std::max(metrics.TextWidth(StripMnemonics(text)) + padding, buttonWidth) + extra;
    row.push_back({id, text, width});
  };
  std::string custom = params_.customButtons;
  if (params_.customButtonsId != 0 && params_.loadString)
    custom = params_.loadString(params_.customButtonsId);
  const std::vector<std::string> texts = ParseCustomButtons(custom);
  if (!texts.empty()) {
    for (size_t i = 0; i < texts.size(); ++i) add(IDCUSTOM1 + static_cast<int>(i), texts[i]);
  } else {
    for (int label : StandardButtonsFor(type_)) add(XmbLabels()[label].buttonId, labels_[label]);
  }
  if (type_ & MB_HELP) add(kXmbHelpId, labels_[kLabelHelp]);
  if (params_.reportCallback) add(kXmbReportId, labels_[kLabelReport]);
  return row;
}

void CXDialogTemplate::PlaceRow(const std::vector<RowButton>& row, int left, int top, int height) {
  size_t defaultIndex = (type_ & MB_DEFMASK) >> 8;
  if (defaultIndex >= row.size()) defaultIndex = 0;
  int x = left;
  for (size_t i = 0; i < row.size(); ++i) {
    CXDialogItem item{XmbItemKind::Button,  row[i].id,      ToDluX(x),         ToDluY(top),
                      ToDluW(row[i].width), ToDluH(height), i == defaultIndex, row[i].text};
    if (item.isDefault) {
      defaultId_ = row[i].id;
      defaultText_ = row[i].text;
    }
    items_.push_back(std::move(item));
    x += row[i].width + kButtonGap;
  }
}

void CXDialogTemplate::BuildLayout(const IXmbMetrics& metrics) {
  baseUnits_ = metrics.BaseUnits();
  baseUnits_.cx = std::max(1, baseUnits_.cx);
  baseUnits_.cy = std::max(1, baseUnits_.cy);
  const int bx = baseUnits_.cx;
  const int by = baseUnits_.cy;
  const bool lighter = (params_.options & kXmbVistaStyle) != 0;
  int buttonWidth = 38 * bx / 4;
  int buttonHeight = 12 * by / 8;
  const int extra = params_.timeoutSeconds > 0 ? 13 * bx / 4 : 0;
  const int checkHeight = 10 * by / 8;
  if (lighter) {
    buttonWidth += 6 * bx / 4;
    buttonHeight += by / 8;
  }
  const bool rightAligned = lighter || (params_.options & kXmbRightJustifyButtons);
  hasBrush_ = lighter || params_.textColour != -1 || params_.backgroundColour != -1;
  hasIcon_ = (type_ & MB_ICONMASK) != 0 || !params_.iconName.empty();

  // Message, beside the icon.
  const SIZE icon = hasIcon_ ? metrics.IconSize() : SIZE{};
  const int iconMargin = lighter ? 24 : 8;
  const SIZE screen = metrics.ScreenSize();
  int limit = (params_.options & kXmbNarrow) ? screen.cx / 3
              : lighter                      ? screen.cx / 2 - 10
                                             : screen.cx / 2 + 80;
  if (hasIcon_) limit -= icon.cx + 16;
  std::vector<std::string> lines = WrapText(message_, std::max(limit, 1), metrics);
  // A message taller than two thirds of the screen is cut there, so the
  // buttons stay on it; Ctrl+C still copies the whole message.
  const size_t maxLines = static_cast<size_t>(std::max(1, screen.cy * 2 / 3 / std::max(1, metrics.LineHeight())));
  if (lines.size() > maxLines) {
    lines.resize(maxLines);
    lines.back() += "\u2026";
  }
  int textWidth = 0;
  std::string wrapped;
  for (const std::string& line : lines) {
    textWidth = std::max(textWidth, metrics.TextWidth(line));
    if (!wrapped.empty() || &line != &lines.front()) wrapped += "\n";
    wrapped += line;
  }
  const int textHeight = static_cast<int>(lines.size()) * metrics.LineHeight();
  RECT msg{kMessageLeft, lighter ? 32 : 16, textWidth + 28, textHeight + (lighter ? 61 : 29)};
  if (hasIcon_) {
    msg.left += iconMargin + icon.cx;
    msg.right += iconMargin + icon.cx;
    items_.push_back({XmbItemKind::Icon, kXmbIconId, ToDluX(iconMargin), ToDluY(iconMargin), ToDluW(icon.cx),
                      ToDluH(icon.cy), false, ""});
  }
  items_.push_back({XmbItemKind::Message, kXmbFirstTextId, ToDluX(msg.left), ToDluY(msg.top),
                    ToDluW(msg.Width()), ToDluH(msg.Height()), false, wrapped});

  // Buttons row and check box decide the width.
  const std::vector<RowButton> row = RowButtons(metrics, buttonWidth, extra);
  int rowWidth = 0;
  for (const RowButton& b : row) rowWidth += b.width;
  rowWidth += kButtonGap * static_cast<int>(row.size() > 0 ? row.size() - 1 : 0);
  const std::string& checkLabel = labels_[checkBoxBit_ == MB_DONOTASKAGAIN    ? kLabelDoNotAsk
                                          : checkBoxBit_ == MB_DONOTTELLAGAIN ? kLabelDoNotTell
                                                                              : kLabelDoNotShow];
  const int checkWidth =
      metrics.TextWidth(StripMnemonics(checkLabel)) + std::max(checkHeight, metrics.CheckBoxExtra());
  int clientWidth = std::max(msg.right, rowWidth + 2 * kRowMargin);
  if (checkBoxBit_ != 0) clientWidth = std::max(clientWidth, checkWidth + 16);

  const int iconBottom = hasIcon_ ? iconMargin + icon.cy : 0;
  const int rowTop = std::max(msg.bottom, iconBottom) + ((hasIcon_ || hasBrush_) ? 14 : 5);
  const int rowLeft = rightAligned ? clientWidth - kRowMargin - rowWidth : (clientWidth - rowWidth) / 2;
  PlaceRow(row, rowLeft, rowTop, buttonHeight);

  int clientHeight = rowTop + buttonHeight + kBottomMargin;
  if (checkBoxBit_ != 0) {
    const int checkTop = rowTop + buttonHeight + 12;
    items_.push_back({XmbItemKind::CheckBox, kXmbCheckBoxId, ToDluX(kCheckBoxLeft), ToDluY(checkTop),
                      ToDluW(checkWidth), ToDluH(checkHeight), false, checkLabel});
    clientHeight = checkTop + checkHeight + 8;
  }
  clientHeight = std::max(clientHeight, kMinClientHeight);
  clientDlu_ = {ToDluW(clientWidth), ToDluH(clientHeight)};
  messageAreaPx_ = {0, 0, clientWidth, msg.bottom};
}

std::vector<int> CXDialogTemplate::EndingButtonIds() const {
  std::vector<int> ids;
  for (const CXDialogItem& item : items_) {
    if (item.kind == XmbItemKind::Button && item.id != kXmbHelpId && item.id != kXmbReportId)
      ids.push_back(item.id);
  }
  return ids;
}

bool CXDialogTemplate::AcceptsRememberedAnswer(uint32_t answer) const {
  if ((answer & MB_CHECKBOXMASK) == 0) return false;
  const std::vector<int> ids = EndingButtonIds();
  return std::find(ids.begin(), ids.end(), static_cast<int>(answer & 0xFFFF)) != ids.end();
}

std::optional<int> CXDialogTemplate::EscapeCommand() const {
  // While the buttons wait out their seconds the close box is greyed; Escape,
  // its keyboard twin, waits as well.
  if (disabledRunning_) return std::nullopt;
  if (EscapeRuleFor(type_) == XmbEscape::Disabled) return std::nullopt;
  return IDCANCEL;
}

CXDialogTemplate::Reaction CXDialogTemplate::OnCommand(uint32_t id, bool checkBoxTicked) {
  Reaction r = OnClick();
  if (ended_) return r;
  if (id == static_cast<uint32_t>(IDCANCEL)) {
    const XmbEscape rule = EscapeRuleFor(type_);
    if (rule == XmbEscape::Disabled) return r;
    r.end = true;
    r.result = rule == XmbEscape::GivesCancel ? IDCANCEL : IDOK;
  } else if (id == static_cast<uint32_t>(kXmbHelpId)) {
    r.openHelp = (type_ & MB_HELP) != 0;
    return r;
  } else if (id == static_cast<uint32_t>(kXmbCheckBoxId)) {
    return r;
  } else if (id == static_cast<uint32_t>(kXmbReportId)) {
    r.callReport = static_cast<bool>(params_.reportCallback);
    return r;
  } else {
    r.end = true;
    r.result = id | (checkBoxTicked ? checkBoxBit_ : 0);
    r.writeAnswer = checkBoxTicked && checkBoxBit_ != 0 && !params_.valueNameSource.empty();
  }
  ended_ = true;
  result_ = r.result;
  return r;
}

CXDialogTemplate::Reaction CXDialogTemplate::OnClick() {
  Reaction r;
  if (timeoutRunning_) {
    timeoutRunning_ = false;
    r.stopCountdown = true;
    r.defaultButtonText = defaultText_;
  }
  return r;
}

CXDialogTemplate::Reaction CXDialogTemplate::OnTimeoutTick(bool checkBoxTicked) {
  if (!timeoutRunning_) return {};
  if (timeoutLeft_ > 0) {
    Reaction r;
    r.defaultButtonText = CountdownLabel(defaultText_, timeoutLeft_);
    --timeoutLeft_;
    return r;
  }
  return OnCommand(static_cast<uint32_t>(defaultId_) | MB_TIMEOUT, checkBoxTicked);
}

CXDialogTemplate::Reaction CXDialogTemplate::OnDisabledTick() {
  Reaction r;
  if (!disabledRunning_) return r;
  if (disabledLeft_ > 0) {
    r.caption = DisabledCaption(caption_, disabledLeft_);
    --disabledLeft_;
    return r;
  }
  disabledRunning_ = false;
  r.enableButtons = true;
  r.caption = caption_;
  return r;
}

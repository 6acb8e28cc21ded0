// Tables, texts and remembered-answer naming of the custom message box.
#include "ui/core/xmessage_box_model.h"

#include <fmt/printf.h>
#include <utf8.h>

#include "ui/core/profile_store.h"
#include "ui/core/text_fit.h"

namespace {

constexpr std::string_view kSeparatorLine = "---------------------------\r\n";
constexpr std::string_view kValueNameAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz98";
constexpr size_t kValueNameSourceLimit = 490;  // UTF-16 units
constexpr int kSecondsLimit = 1000;
constexpr int kSecondsFallback = 10;

// Cuts `text` to at most `maxUnits` UTF-16 units (whole characters only).
std::string LimitUtf16(std::string_view text, size_t maxUnits) {
  std::u16string units;
  try {
    units = utf8::utf8to16(text);
  } catch (const utf8::exception&) {
    units = utf8::utf8to16(utf8::replace_invalid(std::string(text)));
  }
  if (units.size() <= maxUnits) return utf8::utf16to8(units);
  units.resize(maxUnits);
  if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
  return utf8::utf16to8(units);
}

}  // namespace

const std::array<XmbLabelInfo, kLabelCount>& XmbLabels() {
  static const std::array<XmbLabelInfo, kLabelCount> kLabels = {{
      {9005, "&Abort", IDABORT},
      {9002, "Cancel", IDCANCEL},
      {9009, "&Continue", IDCONTINUE},
      {9010, "Don't ask me again", kXmbCheckBoxId},
      {9011, "Don't tell me again", kXmbCheckBoxId},
      {9012, "Don't show again", kXmbCheckBoxId},
      {9006, "&Help", kXmbHelpId},
      {9003, "&Ignore", IDIGNORE},
      {9017, "I&gnore All", IDIGNOREALL},
      {9008, "&No", IDNO},
      {9014, "N&o to All", IDNOTOALL},
      {9001, "OK", IDOK},
      {9016, "Re&port", kXmbReportId},
      {9004, "&Retry", IDRETRY},
      {9018, "&Skip", IDSKIP},
      {9019, "S&kip All", IDSKIPALL},
      {9015, "&Try Again", IDTRYAGAIN},
      {9007, "&Yes", IDYES},
      {9013, "Y&es to All", IDYESTOALL},
  }};
  return kLabels;
}

XmbEscape EscapeRuleFor(uint32_t type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK:
      return XmbEscape::GivesOk;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
    case MB_CANCELTRYCONTINUE:
    case MB_SKIPSKIPALLCANCEL:
    case MB_IGNOREIGNOREALLCANCEL:
      return XmbEscape::GivesCancel;
    default:
      return XmbEscape::Disabled;
  }
}

std::vector<int> StandardButtonsFor(uint32_t type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {kLabelOk, kLabelCancel};
    case MB_ABORTRETRYIGNORE:
      return {kLabelAbort, kLabelRetry, kLabelIgnore};
    case MB_YESNOCANCEL:
    case MB_YESNO: {
      std::vector<int> set{kLabelYes};
      if (type & MB_YESTOALL) set.push_back(kLabelYesToAll);
      set.push_back(kLabelNo);
      if (type & MB_NOTOALL) set.push_back(kLabelNoToAll);
      if ((type & MB_TYPEMASK) == MB_YESNOCANCEL) set.push_back(kLabelCancel);
      return set;
    }
    case MB_RETRYCANCEL:
      return {kLabelRetry, kLabelCancel};
    case MB_CANCELTRYCONTINUE:
      return {kLabelCancel, kLabelTryAgain, kLabelContinue};
    case MB_CONTINUEABORT:
      return {kLabelContinue, kLabelAbort};
    case MB_SKIPSKIPALLCANCEL:
      return {kLabelSkip, kLabelSkipAll, kLabelCancel};
    case MB_IGNOREIGNOREALLCANCEL:
      return {kLabelIgnore, kLabelIgnoreAll, kLabelCancel};
    default:
      return {kLabelOk};
  }
}

int ClampXmbSeconds(int seconds) { return seconds >= kSecondsLimit ? kSecondsFallback : seconds; }

std::vector<std::string> ParseCustomButtons(std::string_view text) {
  std::vector<std::string> buttons;
  while (!text.empty() && buttons.size() < static_cast<size_t>(kXmbMaxCustomButtons)) {
    const size_t end = text.find('\n');
    const std::string_view piece = text.substr(0, end);
    if (!piece.empty()) buttons.emplace_back(piece);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return buttons;
}

std::array<std::string, kLabelCount> ResolveLabels(uint32_t type, const XMessageBoxParams& params) {
  std::array<std::string, kLabelCount> labels;
  const auto& table = XmbLabels();
  for (size_t i = 0; i < labels.size(); ++i) {
    std::string text(table[i].builtIn);
    if (!(type & MB_NORESOURCE)) {
      if (params.replacementLabelsPresent != 0) {
        if (!params.replacementLabels[i].empty()) text = params.replacementLabels[i];
      } else if (params.loadString) {
        std::string loaded = params.loadString(table[i].resourceId);
        if (!loaded.empty()) text = std::move(loaded);
      }
    }
    labels[i] = LimitUtf16(text, kXmbMaxLabelChars);
  }
  return labels;
}

std::string StripMnemonics(std::string_view label) {
  std::string out;
  out.reserve(label.size());
  for (char c : label) {
    if (c != '&') out.push_back(c);
  }
  return out;
}

std::string CountdownLabel(std::string_view label, int seconds) {
  return fmt::sprintf("%s = %d", std::string(label), seconds);
}

std::string DisabledCaption(std::string_view caption, int seconds) {
  return fmt::sprintf("%s %d", std::string(caption), seconds);
}

std::vector<std::string> BreakLongWord(std::string_view word, int maxWidth,
                                       const std::function<int(std::string_view)>& textWidth) {
  std::vector<std::string> pieces;
  while (!word.empty()) {
    if (textWidth(word) <= maxWidth) {
      pieces.emplace_back(word);
      break;
    }
    // The most characters that fit (at least one), found by halving: each
    // measure is one line, so a very long word stays cheap.
    const std::vector<size_t> bounds = CharacterBounds(word);
    size_t low = 1;                   // index into bounds: bounds[low] fits, or low is 1
    size_t high = bounds.size() - 1;  // the whole word does not fit
    while (low + 1 < high) {
      const size_t mid = (low + high) / 2;
      if (textWidth(word.substr(0, bounds[mid])) <= maxWidth) {
        low = mid;
      } else {
        high = mid;
      }
    }
    size_t cut = bounds[low];
    const size_t separator = word.substr(0, cut).find_last_of("/\\");
    if (separator != std::string_view::npos && separator + 1 < cut &&
        2 * textWidth(word.substr(0, separator + 1)) >= maxWidth) {
      cut = separator + 1;
    }
    pieces.emplace_back(word.substr(0, cut));
    word.remove_prefix(cut);
  }
  return pieces;
}

std::string BuildClipboardText(std::string_view caption, std::string_view message, bool hasMessage,
                               const std::vector<std::string>& buttonTexts) {
  std::string text(kSeparatorLine);
  text += caption;
  text += "\r\n";
  text += kSeparatorLine;
  if (hasMessage) {
    text += message;
    text += "\r\n";
    text += kSeparatorLine;
  }
  for (const std::string& button : buttonTexts) {
    text += StripMnemonics(button);
    text += "   ";
  }
  text += "\r\n";
  text += kSeparatorLine;
  return text;
}

std::string EncodeValueName(std::string_view text) {
  std::u16string units;
  try {
    units = utf8::utf8to16(text);
  } catch (const utf8::exception&) {
    units = utf8::utf8to16(utf8::replace_invalid(std::string(text)));
  }
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const uint64_t code = units[i] + 5 * static_cast<uint64_t>(i);
    out.push_back(kValueNameAlphabet[code % 64]);
  }
  return out;
}

std::string RememberedAnswerKey(std::string_view companyKey, std::string_view programFileName) {
  std::string key = "Software\\";
  if (!companyKey.empty()) {
    key += companyKey;
    key += "\\";
  }
  key += programFileName;
  key += "\\XMessageBox";
  return key;
}

std::string RememberedValueName(std::string_view source, int number) {
  return EncodeValueName(LimitUtf16(source, kValueNameSourceLimit)) + std::to_string(number);
}

uint32_t ReadRememberedAnswer(const ProfileStore& store, const std::string& key, const std::string& name) {
  return static_cast<uint32_t>(store.GetProfileInt(key, name, 0));
}

void WriteRememberedAnswer(ProfileStore& store, const std::string& key, const std::string& name,
                           uint32_t value) {
  store.WriteProfileInt(key, name, static_cast<int>(value));
}

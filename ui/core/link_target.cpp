// Link targets, opening results and the hyperlink's error texts.
#include "ui/core/link_target.h"

#include <fmt/printf.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace ui {

namespace {

constexpr std::array<std::string_view, 3> kOpenSchemes = {"http", "https", "mailto"};

// The scheme of a URL-looking text ("" when it has none): letters first,
// then letters, digits, '+', '-' or '.', up to a colon.
std::string SchemeOf(std::string_view target) {
  const size_t colon = target.find(':');
  if (colon == std::string_view::npos || colon == 0) return {};
  std::string scheme;
  for (size_t i = 0; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(target[i]);
    const bool ok = std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'));
    if (!ok) return {};
    scheme.push_back(static_cast<char>(std::tolower(c)));
  }
  return scheme;
}

bool HasControlCharacters(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return c < 0x20 || c == 0x7F;
  });
}

LinkTarget Refuse(int code) { return {LinkTargetKind::Refused, {}, code}; }

}  // namespace

LinkTarget ClassifyLinkTarget(std::string_view target, const std::string& currentFolder) {
  if (target.empty()) return Refuse(kLinkFileNotFound);
  if (HasControlCharacters(target)) return Refuse(kLinkNoAssociation);
  const std::string scheme = SchemeOf(target);
  if (!scheme.empty()) {
    const bool open = std::find(kOpenSchemes.begin(), kOpenSchemes.end(), scheme) != kOpenSchemes.end();
    const bool hasRest = target.size() > scheme.size() + 1 &&
                         target.find_first_not_of('/', scheme.size() + 1) != std::string_view::npos;
    if (!open || !hasRest) return Refuse(kLinkNoAssociation);
    return {LinkTargetKind::WebOrMail, std::string(target), 0};
  }
  // A file name: made absolute, so it can never look like an option.
  std::string path(target);
  if (path.front() != '/') path = currentFolder + "/" + path;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return Refuse(kLinkFileNotFound);
  if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) return Refuse(kLinkAccessDenied);
  return {LinkTargetKind::File, std::move(path), 0};
}

int LinkResultCode(DesktopOpenResult result) {
  switch (result) {
    case DesktopOpenResult::Opened:
      return kLinkOpened;
    case DesktopOpenResult::NoHandler:
      return kLinkNoAssociation;
    case DesktopOpenResult::NotFound:
      return kLinkFileNotFound;
    case DesktopOpenResult::NoResources:
      return kLinkNotEnoughMemory;
    case DesktopOpenResult::Failed:
      break;
  }
  return kLinkAssociationIncomplete;
}

std::string HyperLinkErrorText(int code) {
  static constexpr std::pair<int, const char*> kTexts[] = {
      {kLinkOutOfResources, "The operating system is out\nof memory or resources."},
      {kLinkFileNotFound, "The specified file was not found."},
      {kLinkPathNotFound, "The specified path was not found."},
      {kLinkAccessDenied, "The operating system denied\naccess to the specified file."},
      {kLinkNotEnoughMemory, "There was not enough memory to complete the operation."},
      {kLinkBadFormat, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
      {kLinkSharingViolation, "A sharing violation occurred. "},
      {kLinkAssociationIncomplete, "The filename association is\nincomplete or invalid."},
      {kLinkDdeTimeout, "The DDE transaction could not\nbe completed because the request timed out."},
      {kLinkDdeFailed, "The DDE transaction failed."},
      {kLinkDdeBusy,
       "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
      {kLinkNoAssociation, "There is no application associated\nwith the given filename extension."},
      {kLinkDllNotFound, "The specified dynamic-link library was not found."},
  };
  std::string text = "Unable to open hyperlink:\n\n";
  for (const auto& [number, reason] : kTexts) {
    if (number == code) return text + reason;
  }
  return text + fmt::sprintf("Unknown Error (%d) occurred.", code);
}

RECT FitLinkRect(const RECT& window, SIZE text, SIZE border, LinkAlignment alignment) {
  const int width = text.cx + border.cx;
  const int height = text.cy + border.cy;
  RECT r = window;
  if (alignment.centre) {
    r.left = window.left + (window.Width() - width) / 2;
  } else if (alignment.right) {
    r.left = window.right - width;
  }
  if (alignment.centreImage) r.top = window.top + (window.Height() - height) / 2;
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

}  // namespace ui

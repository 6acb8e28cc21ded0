// Link targets, opening results and the hyperlink's error texts.
#include "ui/core/link_target.h"

#include <fmt/printf.h>

namespace ui {

LinkTarget ClassifyLinkTarget(std::string_view target, const std::string& currentFolder) {
  const DesktopTarget sorted = ClassifyDesktopTarget(target, currentFolder);
  switch (sorted.kind) {
    case DesktopTargetKind::Address:
      return {LinkTargetKind::WebOrMail, sorted.argument, 0};
    case DesktopTargetKind::File:
      return {LinkTargetKind::File, sorted.argument, 0};
    case DesktopTargetKind::Refused:
      break;
  }
  switch (sorted.problem) {
    case DesktopTargetProblem::Empty:
    case DesktopTargetProblem::Missing:
      return {LinkTargetKind::Refused, {}, kLinkFileNotFound};
    case DesktopTargetProblem::NotFileOrFolder:
      return {LinkTargetKind::Refused, {}, kLinkAccessDenied};
    default:
      return {LinkTargetKind::Refused, {}, kLinkNoAssociation};
  }
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

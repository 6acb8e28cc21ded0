// The window-free half of the hyperlink control (ui/hyperlink.h): which
// targets a link may open and how, the texts that tell the user why one could
// not be opened, and where the control goes when it is fitted to its text.
//
// An opening result is a number: above 32 means opened; 32 and below name the
// reason it failed, each with its own text.
#pragma once

#include <string>
#include <string_view>

#include "platform/desktop_open.h"
#include "ui/core/win_types.h"

namespace ui {

// Opening results and failure codes that have their own error text.
inline constexpr int kLinkOpened = 33;
inline constexpr int kLinkOutOfResources = 0;
inline constexpr int kLinkFileNotFound = 2;
inline constexpr int kLinkPathNotFound = 3;
inline constexpr int kLinkAccessDenied = 5;
inline constexpr int kLinkNotEnoughMemory = 8;
inline constexpr int kLinkBadFormat = 11;
inline constexpr int kLinkSharingViolation = 26;
inline constexpr int kLinkAssociationIncomplete = 27;
inline constexpr int kLinkDdeTimeout = 28;
inline constexpr int kLinkDdeFailed = 29;
inline constexpr int kLinkDdeBusy = 30;
inline constexpr int kLinkNoAssociation = 31;
inline constexpr int kLinkDllNotFound = 32;

enum class LinkTargetKind {
  WebOrMail,  // http, https or mailto address
  File,       // an existing file or folder
  Refused,    // anything else: never handed to another program
};

struct LinkTarget {
  LinkTargetKind kind = LinkTargetKind::Refused;
  std::string argument;                  // what the handler gets: the address, or the file's absolute path
  int failureCode = kLinkNoAssociation;  // for Refused: why
};

// Sorts a link's target by the desktop opener's rules (ClassifyDesktopTarget
// in platform/desktop_open.h), with the link's error codes for a refusal: a
// missing file or no target kLinkFileNotFound, another kind of file than a
// regular file or folder kLinkAccessDenied, anything else kLinkNoAssociation.
LinkTarget ClassifyLinkTarget(std::string_view target, const std::string& currentFolder);

// The opening result for the desktop handler's answer.
int LinkResultCode(DesktopOpenResult result);

// The whole message shown when a link could not be opened.
std::string HyperLinkErrorText(int code);

// Alignment of a link's text inside its control, which decides which point of
// the control stays put when it is fitted to its text.
struct LinkAlignment {
  bool centre = false;       // keeps its horizontal centre
  bool right = false;        // keeps its right edge
  bool centreImage = false;  // keeps its vertical centre
};

// The control's new rectangle (in its parent's coordinates) when its text
// takes `text` and its border `border` (window size minus client size): the
// left edge stays unless the alignment says otherwise, the top edge unless
// centreImage.
RECT FitLinkRect(const RECT& window, SIZE text, SIZE border, LinkAlignment alignment);

}  // namespace ui

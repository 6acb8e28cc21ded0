// A label that is a link: blue while unvisited, purple once opened, red while
// the pointer is over it; a hand cursor, a tool tip with the target, and an
// underline always, never, or (the default) while hovered. A click opens the
// target with the desktop's handler; a target that cannot be opened beeps and
// tells why in a message box. The link is a Tab stop: while it has the focus
// it is underlined, and Enter or Space open it as a click does.
//
// A dialog makes it in place of a template label (from its CreateControl):
//
//   auto* link = new CHyperLink;
//   link->Create(parent, item, wxId, rect);
//   link->SetTarget("https://example.org/");
//
// The control shows the template's text; an empty text shows the target, and
// an empty target opens the text. Wherever it is placed (by the template
// builder, or a dialog that moves its controls when resized) it takes only
// the room its text needs in the rectangle it is given, keeping the point its
// alignment names.
#pragma once

#include <wx/generic/stattextg.h>
#include <wx/timer.h>

#include <string>

#include "ui/core/dialog_table.h"
#include "ui/core/link_target.h"
#include "ui/message_map.h"

class CHyperLink : public wxGenericStaticText {
 public:
  // Underline modes.
  static constexpr int kUnderlineAlways = 1;
  static constexpr int kUnderlineHover = -1;
  static constexpr int kUnderlineNever = 0;
  static constexpr int kHoverTimerId = 100;
  static constexpr int kHoverTimerMs = 100;

  CHyperLink();
  ~CHyperLink() override;

  bool Create(wxWindow* parent, const ui::DialogItem& item, int wxId, const wxRect& rect);

  void SetTarget(const std::string& target);
  const std::string& GetTarget() const { return target_; }
  // Opens `target`; returns above 32 when opened, else the failure code
  // (ui/core/link_target.h).
  int GotoURL(const std::string& target);
  void SetVisited(bool visited = true);
  bool GetVisited() const { return visited_; }
  void SetUnderline(int mode);
  int GetUnderline() const { return underline_; }
  bool IsHovering() const { return hovering_; }
  // Tells the user why the link could not be opened.
  void ReportError(int code);
  // Gives the control the link cursor, unless it has one.
  void SetDefaultCursor();
  // Fits the control to its text.
  void PositionWindow();

  // A Tab stop, unlike a plain label.
  bool AcceptsFocus() const override { return true; }
  bool AcceptsFocusFromKeyboard() const override { return true; }

  wxColour LinkColour() const { return linkColour_; }
  wxColour VisitedColour() const { return visitedColour_; }
  wxColour HoverColour() const { return hoverColour_; }

 protected:
  void DoSetSize(int x, int y, int width, int height, int sizeFlags) override;

 private:
  // The rectangle the control takes when given `r`.
  RECT FittedRect(const RECT& r) const;
  void Attach();
  void ApplyLook();
  void OnMouseMove(wxMouseEvent& event);
  void OnTimer(unsigned timerId);
  void OnLeftDown(wxMouseEvent& event);
  void OnKey(wxKeyEvent& event);
  void OnFocusChange(wxFocusEvent& event);
  void OnClicked();

  static const ui::MapRow<CHyperLink> kMessageMap[];

  wxColour linkColour_{0, 0, 238};
  wxColour visitedColour_{85, 26, 139};
  wxColour hoverColour_{255, 0, 0};
  bool hovering_ = false;
  bool focused_ = false;
  bool visited_ = false;
  int underline_ = kUnderlineHover;
  bool fitToText_ = true;
  std::string target_;
  wxFont underlinedFont_;
  wxFont plainFont_;
  bool hasCursor_ = false;
  ui::LinkAlignment alignment_;
  wxTimer hoverTimer_{this, kHoverTimerId};
};

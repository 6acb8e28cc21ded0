// Messages registered by name, sent synchronously to any window.
//
// A message that several window classes agree on by name ("WMU_RESIZESUPPORT",
// "WMU_TPS_ENABLEPAGE", "WMU_TPS_ENABLETREEITEM") gets a number at run time;
// the same name always gives the same number, and the numbers lie in their
// own range (0xC000 and up), apart from the WM_USER messages:
//
//   static const unsigned WMU_TPS_ENABLEPAGE = ui::RegisterWindowMessage("WMU_TPS_ENABLEPAGE");
//
//   // receiver's map: the number is read when the map is bound
//   ui::OnRegisteredMessage(&WMU_TPS_ENABLEPAGE, &CSheet::OnEnablePage),
//
//   // sender
//   std::optional<ui::LRESULT> r = ui::SendRegisteredMessage(tree, WMU_TPS_ENABLETREEITEM, item, colour);
//   // nullopt: nobody answered
//
// A sent message is a UiMessageEvent delivered to the window's event handler
// chain, so handlers pushed in front of the window (hooks) see it first.
// Each target window gets one mailbox, made on first use and detached when
// the window is destroyed, so a worker thread may send too.
#pragma once

#include <wx/window.h>

#include <memory>
#include <optional>
#include <string_view>

#include "ui/message_map.h"
#include "ui/ui_message.h"

namespace ui {

// First number given to registered messages.
inline constexpr unsigned kFirstRegisteredMessage = 0xC000;

// The number of message `name`; the same for every call with that name.
unsigned RegisterWindowMessage(std::string_view name);

// The mailbox of `window` (GUI thread only; shared by every sender).
std::shared_ptr<Mailbox> MailboxOf(wxWindow* window);

// Sends `message` to `window` and returns its answer, or nullopt when no
// handler answered or the window is null.
std::optional<LRESULT> SendRegisteredMessage(wxWindow* window, unsigned message, WPARAM wParam = 0,
                                             LPARAM lParam = 0);

// A map row for a registered message whose number lives in `*message` (read
// when the map is bound, so tables may be built before the number exists).
template <class T>
MapRow<T> OnRegisteredMessage(const unsigned* message, LRESULT (T::*fn)(WPARAM, LPARAM)) {
  auto row = detail::Row<T>({detail::TypeOf(wxEVT_UI_MESSAGE)}, 0, 0, [fn](T& self, wxEvent& e) {
    auto& m = static_cast<UiMessageEvent&>(e);
    m.Reply((self.*fn)(m.wParam(), m.lParam()));
  });
  row.foldIds = false;
  row.idSource = message;
  return row;
}

}  // namespace ui

// Message maps as tables. A window class lists which event, from which
// control, goes to which of its handlers, one row per entry, in the order of
// its documented map, and binds the table in its constructor:
//
//   // in the .cpp, before the constructor (which needs the table's size)
//   const ui::MapRow<CMyDlg> CMyDlg::kMessageMap[] = {
//     ui::OnWmSize(&CMyDlg::OnSize),                        // WM_SIZE
//     ui::OnBnClicked(1010, &CMyDlg::OnBrowse),             // BN_CLICKED 1010
//     ui::OnCommand(32775, &CMyDlg::OnOptions),            // menu command
//     ui::OnCommandRange(101, 110, &CMyDlg::OnDriveMenu),
//     ui::OnMessage(WM_RIP_PROGRESS, &CMyDlg::OnProgress),  // from a worker
//   };
//   CMyDlg::CMyDlg(...) : ui::CResizeDlg(...) { ui::BindMessageMap(this, kMessageMap); }
//
// Ids are the program's numbers; rows fold them for the toolkit. Within one
// table the first matching row wins, and a derived class's rows (bound after
// its base's) win over its base's, so a derived class overrides a base row by
// listing the same event. A handler ends the event's processing: nothing
// further runs unless the handler asks for it (by calling Skip on the event,
// in rows that hand the event over).
//
// Row kinds and what they catch:
//   OnCommand        menu items, toolbar tools, accelerators and push buttons
//   OnCommandRange   the same for a range of ids; the handler gets the id
//   OnBnClicked      push button, check box or radio button clicked
//   OnCbnSelChange   combo box or choice selection changed
//   OnEnChange       text changed (also by the program's SetValue)
//   OnMessage        a UiMessageEvent with that message number
//   OnWmSize         the window's size changed (type SIZE_*, client width, height)
//   OnWmTimer        a wxTimer owned by the window fired (its id)
//   OnWmClose        the close box
//   OnWmDestroy      the dialog is being destroyed (sent by ui::CDialog while
//                    the whole object still exists)
//   OnEvent          any wx event, for what has no row kind of its own
#pragma once

#include <wx/event.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <array>
#include <functional>
#include <span>
#include <type_traits>
#include <vector>

#include "ui/core/control_ids.h"
#include "ui/ui_message.h"

namespace ui {

// Sent by ui::CDialog when its window ends (end of DoModal, DestroyWindow).
wxDECLARE_EVENT(wxEVT_UI_DIALOG_DESTROY, wxCommandEvent);

// The SIZE_* type of a size event of `window`'s top-level window.
unsigned SizeTypeOf(wxWindow* window);

template <class T>
struct MapRow {
  // Event types are read when the row is bound, not when the table is made:
  // tables are built before main, possibly before an event type got its value.
  std::array<const wxEventType*, 3> types{};
  int typeCount = 0;
  int firstId = wxID_ANY;  // program ids (message numbers for OnMessage)
  int lastId = wxID_ANY;
  bool foldIds = true;        // false: ids are message or timer numbers
  bool namesControl = false;  // the id is a control of the dialog's template
  const unsigned* idSource = nullptr;  // a registered message's number, read at binding
  std::function<void(T& self, wxEvent& event)> handler;
};

namespace detail {

template <class E>
const wxEventType* TypeOf(const wxEventTypeTag<E>& tag) {
  return &static_cast<const wxEventType&>(tag);
}

// The window a map's owner stands for: itself, or the window of a property
// page (which is not a window).
template <class T>
wxWindow* WindowOf(T& self) {
  if constexpr (std::is_base_of_v<wxWindow, T>) {
    return &self;
  } else {
    return self.Surface();
  }
}

template <class T>
MapRow<T> Row(std::initializer_list<const wxEventType*> types, int first, int last,
              std::function<void(T&, wxEvent&)> handler) {
  MapRow<T> row;
  for (const wxEventType* t : types) row.types[row.typeCount++] = t;
  row.firstId = first;
  row.lastId = last;
  row.handler = std::move(handler);
  return row;
}

}  // namespace detail

template <class T>
MapRow<T> OnCommand(int id, void (T::*fn)()) {
  return detail::Row<T>({detail::TypeOf(wxEVT_MENU), detail::TypeOf(wxEVT_BUTTON)}, id, id,
                        [fn](T& self, wxEvent&) { (self.*fn)(); });
}

template <class T>
MapRow<T> OnCommandRange(int first, int last, void (T::*fn)(unsigned id)) {
  return detail::Row<T>(
      {detail::TypeOf(wxEVT_MENU), detail::TypeOf(wxEVT_BUTTON)}, first, last,
      [fn](T& self, wxEvent& e) { (self.*fn)(static_cast<unsigned>(ProgramId(e.GetId()))); });
}

template <class T>
MapRow<T> OnBnClicked(int id, void (T::*fn)()) {
  auto row = detail::Row<T>(
      {detail::TypeOf(wxEVT_BUTTON), detail::TypeOf(wxEVT_CHECKBOX), detail::TypeOf(wxEVT_RADIOBUTTON)}, id,
      id, [fn](T& self, wxEvent&) { (self.*fn)(); });
  row.namesControl = true;
  return row;
}

template <class T>
MapRow<T> OnCbnSelChange(int id, void (T::*fn)()) {
  auto row = detail::Row<T>({detail::TypeOf(wxEVT_COMBOBOX), detail::TypeOf(wxEVT_CHOICE)}, id, id,
                            [fn](T& self, wxEvent&) { (self.*fn)(); });
  row.namesControl = true;
  return row;
}

template <class T>
MapRow<T> OnEnChange(int id, void (T::*fn)()) {
  auto row = detail::Row<T>({detail::TypeOf(wxEVT_TEXT)}, id, id, [fn](T& self, wxEvent&) { (self.*fn)(); });
  row.namesControl = true;
  return row;
}

template <class T>
MapRow<T> OnMessage(unsigned message, LRESULT (T::*fn)(WPARAM, LPARAM)) {
  auto row = detail::Row<T>({detail::TypeOf(wxEVT_UI_MESSAGE)}, static_cast<int>(message),
                            static_cast<int>(message), [fn](T& self, wxEvent& e) {
                              auto& m = static_cast<UiMessageEvent&>(e);
                              m.Reply((self.*fn)(m.wParam(), m.lParam()));
                            });
  row.foldIds = false;
  return row;
}

template <class T>
MapRow<T> OnMessage(unsigned message, LRESULT (T::*fn)(UiMessageEvent&)) {
  auto row = detail::Row<T>({detail::TypeOf(wxEVT_UI_MESSAGE)}, static_cast<int>(message),
                            static_cast<int>(message), [fn](T& self, wxEvent& e) {
                              auto& m = static_cast<UiMessageEvent&>(e);
                              m.Reply((self.*fn)(m));
                            });
  row.foldIds = false;
  return row;
}

template <class T>
MapRow<T> OnWmSize(void (T::*fn)(unsigned type, int cx, int cy)) {
  return detail::Row<T>({detail::TypeOf(wxEVT_SIZE)}, wxID_ANY, wxID_ANY, [fn](T& self, wxEvent&) {
    wxWindow* window = detail::WindowOf(self);
    const wxSize client = window != nullptr ? window->GetClientSize() : wxSize();
    (self.*fn)(SizeTypeOf(window), client.x, client.y);
  });
}

template <class T>
MapRow<T> OnWmTimer(void (T::*fn)(unsigned timerId)) {
  auto row = detail::Row<T>({detail::TypeOf(wxEVT_TIMER)}, wxID_ANY, wxID_ANY,
                            [fn](T& self, wxEvent& e) { (self.*fn)(static_cast<unsigned>(e.GetId())); });
  row.foldIds = false;
  return row;
}

template <class T>
MapRow<T> OnWmClose(void (T::*fn)()) {
  return detail::Row<T>({detail::TypeOf(wxEVT_CLOSE_WINDOW)}, wxID_ANY, wxID_ANY,
                        [fn](T& self, wxEvent&) { (self.*fn)(); });
}

template <class T>
MapRow<T> OnWmDestroy(void (T::*fn)()) {
  return detail::Row<T>({detail::TypeOf(wxEVT_UI_DIALOG_DESTROY)}, wxID_ANY, wxID_ANY,
                        [fn](T& self, wxEvent& e) {
                          if (e.GetEventObject() != &self) {  // a child dialog's notice: not ours
                            e.Skip();
                            return;
                          }
                          (self.*fn)();
                        });
}

template <class T, class E>
MapRow<T> OnEvent(const wxEventTypeTag<E>& type, int id, void (T::*fn)(E&)) {
  return detail::Row<T>({detail::TypeOf(type)}, id, id,
                        [fn](T& self, wxEvent& e) { (self.*fn)(static_cast<E&>(e)); });
}

// Binds every row of `map` to `self`; call it in the constructor after the
// base class bound its own map.
template <class T>
void BindMessageMap(T* self, std::span<const MapRow<T>> map) {
  // A row bound later runs first: bind in reverse so the table's first
  // matching row wins.
  for (auto it = map.rbegin(); it != map.rend(); ++it) {
    const MapRow<T>& row = *it;
    int first = row.foldIds && row.firstId != wxID_ANY ? WxId(row.firstId) : row.firstId;
    int last = row.foldIds && row.lastId != wxID_ANY ? WxId(row.lastId) : row.lastId;
    if (row.idSource != nullptr) first = last = static_cast<int>(*row.idSource);
    for (int i = 0; i < row.typeCount; ++i) {
      self->Bind(
          wxEventTypeTag<wxEvent>(*row.types[i]),
          [self, handler = row.handler](wxEvent& e) { handler(*self, e); }, first, last);
    }
  }
}

template <class T, size_t N>
void BindMessageMap(T* self, const MapRow<T> (&map)[N]) {
  BindMessageMap(self, std::span<const MapRow<T>>(map, N));
}

// The control ids a map names (rows of control notifications), for checking
// a map against its dialog's template.
template <class T>
std::vector<int> ControlIdsOf(std::span<const MapRow<T>> map) {
  std::vector<int> ids;
  for (const MapRow<T>& row : map) {
    if (row.namesControl) ids.push_back(row.firstId);
  }
  return ids;
}

template <class T, size_t N>
std::vector<int> ControlIdsOf(const MapRow<T> (&map)[N]) {
  return ControlIdsOf(std::span<const MapRow<T>>(map, N));
}

}  // namespace ui

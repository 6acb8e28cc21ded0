// The placement store's window side on wxWidgets.
#include "ui/window_placement_store.h"

#include <wx/display.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "ui/gtk_function.h"

namespace {

using WP = WindowPlacement;

PlacementRect ToPlacementRect(const wxRect& r) {
  return {r.GetLeft(), r.GetTop(), r.GetLeft() + r.GetWidth(), r.GetTop() + r.GetHeight()};
}

wxRect ToWxRect(const PlacementRect& r) {
  const auto w = static_cast<int>(std::max<std::int64_t>(r.Width(), 0));
  const auto h = static_cast<int>(std::max<std::int64_t>(r.Height(), 0));
  return {r.left, r.top, w, h};
}

bool LeavesMaximised(std::uint32_t showCmd) { return showCmd == WP::SW_SHOWMAXIMIZED; }

// Maximises or minimises a window as `showCmd` says (nothing for normal).
void ApplyShowState(wxTopLevelWindow* window, std::uint32_t showCmd) {
  if (LeavesMaximised(showCmd)) {
    window->Maximize(true);
  } else if (IsMinimisedShowCmd(showCmd)) {
    window->Iconize(true);
  }
}

// Whether the window is on the screen (mapped), as GTK has it.
bool IsMapped(wxTopLevelWindow* window) {
#ifdef __WXGTK__
  static const auto isMapped = ui::GtkFunction<int (*)(void*)>("gtk_widget_get_mapped");
  void* widget = window->GetHandle();
  return window->IsShown() && (isMapped == nullptr || (widget != nullptr && isMapped(widget) != 0));
#else
  return window->IsShown();
#endif
}

// The window's frame on the screen as the X server has it; nullopt
// while the window is not on the screen, has no frame or GTK cannot be asked. wx works the
// frame out from extents the window manager announces, and until it has heard
// them it reports the client's size as the frame's.
std::optional<wxRect> ScreenFrameOf(wxTopLevelWindow* window, wxSize* extentsOut = nullptr) {
#ifdef __WXGTK__
  struct Rectangle {
    int x, y, width, height;
  };
  static const auto getWindow = ui::GtkFunction<void* (*)(void*)>("gtk_widget_get_window");
  static const auto frameExtents =
      ui::GtkFunction<void (*)(void*, Rectangle*)>("gdk_window_get_frame_extents");
  static const auto width = ui::GtkFunction<int (*)(void*)>("gdk_window_get_width");
  static const auto height = ui::GtkFunction<int (*)(void*)>("gdk_window_get_height");
  void* widget = window->GetHandle();
  if (getWindow == nullptr || frameExtents == nullptr || width == nullptr || height == nullptr ||
      widget == nullptr || !IsMapped(window) || getWindow(widget) == nullptr) {
    return std::nullopt;
  }
  Rectangle r{};
  frameExtents(getWindow(widget), &r);
  const wxSize extents(r.width - width(getWindow(widget)), r.height - height(getWindow(widget)));
  // No frame (yet): wx knows as much as the server.
  if (r.width <= 0 || r.height <= 0 || extents.x < 0 || extents.y < 0 || extents == wxSize())
    return std::nullopt;
  if (extentsOut != nullptr) *extentsOut = extents;
  return wxRect(r.x, r.y, r.width, r.height);
#else
  (void)window;
  (void)extentsOut;
  return std::nullopt;
#endif
}

}  // namespace

struct WxPlacementWindow::Tracking {
  // How often a window that reports another rectangle than the one it was
  // given is given it again before the window manager's word is taken.
  static constexpr int kMaxCorrections = 3;

  wxRect normal;  // the rectangle the window has, or goes back to, when neither maximised nor minimised
  bool haveNormal = false;
  // A placement set before the window was shown, finished once it is on the screen.
  bool pending = false;
  std::uint32_t showCmd = WP::SW_SHOWNORMAL;
  // The window is on its way to the state and rectangle a placement gave it:
  // what it reports meanwhile is the toolkit's or the window manager's
  // doing, not the user's.
  bool settling = false;
  int corrections = 0;
  // Inside our own SetSize: the size event it sends tells nothing new.
  bool applying = false;
  // The window was last seen maximised (it goes back to `normal` when it leaves that state).
  bool wasMaximised = false;
  // The frame the user last saw. A hidden window has no frame on the
  // server, and wx then reports the client's size as the frame's.
  wxRect seen;
  bool haveSeen = false;
  wxSize extents;  // the frame's size less the client's, as last seen on the screen

  // The rectangle the user sees the window take: while it is on the screen
  // its frame, otherwise the one it had there last (or was given since).
  wxRect FrameRect(wxTopLevelWindow* window) {
    if (IsMapped(window)) {
      const std::optional<wxRect> onScreen = ScreenFrameOf(window, &extents);
      seen = onScreen ? *onScreen : window->GetRect();
      haveSeen = true;
      return seen;
    }
    return haveSeen ? seen : window->GetRect();
  }

  // Gives the window `normal` and waits for it to arrive (a window on the
  // screen takes a new size only when the window manager has agreed).
  void Place(wxTopLevelWindow* window) {
    const bool mapped = IsMapped(window);
    wxRect rect = normal;
    // A window back from the screen has lost its frame, and wx, which then
    // knows of none, would give the whole rectangle to the client: the
    // client gets what the frame leaves of it.
    if (!mapped && haveSeen && window->GetSize() == window->GetClientSize())
      rect.SetSize(rect.GetSize() - extents);
    applying = true;
    window->SetSize(rect);
    applying = false;
    if (!mapped) seen = normal, haveSeen = true;
  }

  // Places the window and enters the state `showCmd` says.
  void Apply(wxTopLevelWindow* window) {
    // A window that already has its rectangle and state hears of no change,
    // so nothing would end the settling: the next move is the user's.
    const bool there = FrameRect(window) == normal && !window->IsMaximized() && !window->IsIconized();
    Place(window);
    ApplyShowState(window, showCmd);
    settling = !there || LeavesMaximised(showCmd) || IsMinimisedShowCmd(showCmd);
    corrections = 0;
  }

  // Puts a window placed before it was shown where the placement says.
  void Finish(wxTopLevelWindow* window) {
    if (!pending) return;
    pending = false;
    Apply(window);
  }

  // Whether the window has reached what it was given; gives it the
  // rectangle again when it reports another one.
  bool Settled(wxTopLevelWindow* window, bool maximised, bool iconised) {
    if (LeavesMaximised(showCmd)) return maximised;
    if (IsMinimisedShowCmd(showCmd)) return iconised;
    if (maximised || iconised) return false;
    if (FrameRect(window) == normal || corrections >= kMaxCorrections) return true;
    ++corrections;
    Place(window);
    return false;
  }

  // Follows the window's size and position as it changes.
  void Follow(wxTopLevelWindow* window) {
    if (applying) return;
    if (pending) {
      // Moved by the program before it is shown (placed beside another
      // window, say): that is where it goes. Once shown, the sizes reported
      // until it is on the screen are the toolkit's own.
      if (!window->IsShown()) normal = FrameRect(window);
      return;
    }
    const bool maximised = window->IsMaximized();
    const bool iconised = window->IsIconized();
    if (settling) {
      if (!Settled(window, maximised, iconised)) return;
      settling = false;
    }
    if (iconised) return;
    if (maximised) {
      wasMaximised = true;
      return;
    }
    if (wasMaximised) {
      wasMaximised = false;
      // The window manager may offer any size here (a window that started
      // maximised gets its minimum): the placement's rectangle wins.
      if (haveNormal && FrameRect(window) != normal) {
        showCmd = WP::SW_SHOWNORMAL;
        Apply(window);
        return;
      }
    }
    normal = FrameRect(window);
    haveNormal = true;
  }
};

namespace {

#ifdef __WXGTK__
// The window's first appearance on the screen, heard from GTK ("map-event"):
// wx reports a top-level window shown before the window manager has placed
// it, and a position set earlier is lost on the way.
using MapHook = std::function<void()>;

int OnMapped(void* /*widget*/, void* /*event*/, void* data) {
  (*static_cast<MapHook*>(data))();
  return 0;  // let GTK and wx handle the event too
}

void DeleteMapHook(void* data, void* /*closure*/) { delete static_cast<MapHook*>(data); }

// Calls `mapped` when the window reaches the screen; false when GTK cannot be asked.
bool HookMapEvent(wxTopLevelWindow* window, MapHook mapped) {
  using Connect = unsigned long (*)(void*, const char*, void*, void*, void*, int);
  auto connect = ui::GtkFunction<Connect>("g_signal_connect_data");
  void* widget = window->GetHandle();
  if (connect == nullptr || widget == nullptr) return false;
  constexpr int kConnectAfter = 1;  // G_CONNECT_AFTER: once wx has seen the window mapped
  return connect(widget, "map-event", reinterpret_cast<void*>(&OnMapped), new MapHook(std::move(mapped)),
                 reinterpret_cast<void*>(&DeleteMapHook), kConnectAfter) != 0;
}
#else
bool HookMapEvent(wxTopLevelWindow*, std::function<void()>) { return false; }
#endif

}  // namespace

WxPlacementWindow::WxPlacementWindow(wxTopLevelWindow* window, bool modal)
    : window_(window), tracking_(std::make_shared<Tracking>()), modal_(modal) {
  if (!window) return;
  NoteRestoredRect();
  // The handlers hold the tracking state, not this object.
  std::weak_ptr<Tracking> weak = tracking_;
  wxWeakRef<wxTopLevelWindow> ref(window);
  auto follow = [weak, ref](wxEvent& event) {
    event.Skip();
    auto tracking = weak.lock();
    if (tracking && ref) tracking->Follow(ref);
  };
  window->Bind(wxEVT_SIZE, [follow](wxSizeEvent& e) { follow(e); });
  window->Bind(wxEVT_MOVE, [follow](wxMoveEvent& e) { follow(e); });
  window->Bind(wxEVT_MAXIMIZE, [follow](wxMaximizeEvent& e) { follow(e); });
  const auto finish = [weak, ref] {
    auto tracking = weak.lock();
    if (tracking && ref) tracking->Finish(ref);
  };
  if (!HookMapEvent(window, finish)) {
    window->Bind(wxEVT_SHOW, [finish](wxShowEvent& e) {
      e.Skip();
      if (e.IsShown()) finish();
    });
  }
}

void WxPlacementWindow::NoteRestoredRect() {
  if (!window_ || tracking_->pending || tracking_->settling || window_->IsMaximized() ||
      window_->IsIconized()) {
    return;
  }
  tracking_->normal = tracking_->FrameRect(window_);
  tracking_->haveNormal = true;
}

bool WxPlacementWindow::GetWindowPlacement(WindowPlacement& placement) {
  if (!window_) return false;
  NoteRestoredRect();
  const Tracking& t = *tracking_;
  std::uint32_t showCmd = WP::SW_SHOWNORMAL;
  bool maximised = window_->IsMaximized();
  if (t.pending ||
      (t.settling && t.showCmd != WP::SW_SHOWNORMAL && !window_->IsIconized() && !window_->IsMaximized())) {
    // Not there yet: the state the window is on its way to.
    showCmd = t.showCmd;
    maximised = LeavesMaximised(showCmd);
  } else if (window_->IsIconized()) {
    showCmd = WP::SW_SHOWMINIMIZED;
    maximised = maximised || t.wasMaximised;
  } else if (maximised) {
    showCmd = WP::SW_SHOWMAXIMIZED;
  }
  placement.length = kWindowPlacementSize;
  placement.flags = IsMinimisedShowCmd(showCmd) && maximised ? WP::WPF_RESTORETOMAXIMIZED : 0;
  placement.showCmd = showCmd;
  placement.minPosition = {-1, -1};
  placement.maxPosition = {-1, -1};
  placement.normalPosition = ToPlacementRect(t.haveNormal ? t.normal : tracking_->FrameRect(window_));
  return true;
}

bool WxPlacementWindow::SetWindowPlacement(const WindowPlacement& placement) {
  if (!window_) return false;
  Tracking& t = *tracking_;
  t.normal = ToWxRect(placement.normalPosition);
  t.haveNormal = true;
  t.wasMaximised = false;
  t.showCmd = LeavesMaximised(placement.showCmd) || IsMinimisedShowCmd(placement.showCmd) ? placement.showCmd
                                                                                          : WP::SW_SHOWNORMAL;
  t.settling = false;
  if (!window_->IsShown()) {
    // The size now, so the dialog lays itself out for it; the rest once it is shown.
    t.pending = true;
    t.Place(window_);
    return true;
  }
  t.pending = false;
  if (window_->IsIconized()) window_->Iconize(false);
  if (window_->IsMaximized()) window_->Maximize(false);
  t.Apply(window_);
  return true;
}

std::vector<PlacementRect> WxPlacementWindow::GetScreens() { return DisplayScreens(); }

PlacementPoint WxPlacementWindow::MinimumSize() const {
  if (!window_) return {};
  const wxSize min = window_->GetMinSize();
  return {std::max(min.x, 0), std::max(min.y, 0)};
}

wxRect WxPlacementWindow::Frame() { return window_ ? tracking_->FrameRect(window_) : wxRect(); }

std::vector<PlacementRect> WxPlacementWindow::DisplayScreens() {
  std::vector<PlacementRect> screens;
  const unsigned count = wxDisplay::GetCount();
  for (unsigned i = 0; i < count; ++i) {
    const wxDisplay display(i);
    const PlacementRect area = ToPlacementRect(display.GetClientArea());
    if (display.IsPrimary()) {
      screens.insert(screens.begin(), area);
    } else {
      screens.push_back(area);
    }
  }
  return screens;
}

std::optional<PlacementRect> WxPlacementWindow::WorkAreaOf(const wxWindow* window) {
  const std::vector<PlacementRect> screens = DisplayScreens();
  if (screens.empty()) return std::nullopt;
  const wxWindow* top = window != nullptr ? wxGetTopLevelParent(const_cast<wxWindow*>(window)) : nullptr;
  if (top == nullptr) return screens.front();
  return ScreenHolding(ToPlacementRect(top->GetRect()), screens);
}

void WxPlacementWindow::KeepOnWorkArea(wxTopLevelWindow* window) {
  if (window == nullptr || window->IsMaximized() || window->IsIconized()) return;
  const std::optional<PlacementRect> area = WorkAreaOf(window);
  if (!area) return;
  const wxSize min = window->GetMinSize();
  const wxSize fittedMin(static_cast<int>(std::min<std::int64_t>(min.x, area->Width())),
                         static_cast<int>(std::min<std::int64_t>(min.y, area->Height())));
  if (fittedMin != min) window->SetMinSize(fittedMin);
  const PlacementRect rect = ToPlacementRect(window->GetRect());
  const PlacementRect fitted = FitRectInto(rect, *area);
  if (fitted != rect) window->SetSize(ToWxRect(fitted));
}

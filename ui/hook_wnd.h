// Seeing a window's events before the window does, without deriving from its
// class: a hook is hooked onto an existing window and gets every event the
// window gets, first. Any number of hooks may sit on one window; the newest
// sees an event first, then the older ones, then the window itself.
//
//   class CMyHook : public CHookWnd {
//    protected:
//     bool WindowProc(wxEvent& event) override {
//       if (event.GetEventType() == wxEVT_SIZE) {
//         const bool handled = Default(event);  // the window first, then our part
//         Relayout();
//         return handled;
//       }
//       return CHookWnd::WindowProc(event);  // everything else passes on
//     }
//   };
//
//   hook.HookWindow(sheet);   ...   hook.Unhook();
//
// Hooks are the window's pushed event handlers. A hook may be unhooked in any
// order; a hook hooked again first leaves its old place, so it is never in a
// chain twice; a hook that is deleted unhooks itself. A window's destroy event
// passes through its hooks to the window like any other event, and then all
// its hooks are unhooked, so hooks may outlive their windows.
#pragma once

#include <wx/event.h>
#include <wx/window.h>

class CHookWnd {
 public:
  CHookWnd();
  virtual ~CHookWnd();
  CHookWnd(const CHookWnd&) = delete;
  CHookWnd& operator=(const CHookWnd&) = delete;

  // Puts this hook in front of `window`'s hooks (leaving its old window first).
  void HookWindow(wxWindow* window);
  // Takes this hook out of its window's chain; nothing when not hooked.
  void Unhook();
  // Takes every hook off `window`.
  static void UnhookAll(wxWindow* window);

  wxWindow* GetHookedWindow() const { return window_; }
  bool IsHooked() const { return window_ != nullptr; }
  // The hook installed on the same window just before this one, or null.
  CHookWnd* NextHook() const;
  // The newest hook of `window`, or null.
  static CHookWnd* HeadHook(wxWindow* window);

 protected:
  // Sees each event of the hooked window. Returns whether the event was
  // handled. The default passes it on (Default).
  virtual bool WindowProc(wxEvent& event);
  // Passes `event` on to the older hooks and then the window, as if this hook
  // were not there; returns whether they handled it.
  bool Default(wxEvent& event);

 private:
  class Handler : public wxEvtHandler {
   public:
    explicit Handler(CHookWnd& owner) : owner_(owner) {}
    bool ProcessEvent(wxEvent& event) override { return owner_.Dispatch(event); }
    CHookWnd& Owner() const { return owner_; }

   private:
    CHookWnd& owner_;
  };

  bool Dispatch(wxEvent& event);
  static CHookWnd* HookOf(wxEvtHandler* handler);

  Handler handler_{*this};
  wxWindow* window_ = nullptr;
};

// Window hooks on the toolkit's chain of pushed event handlers.
#include "ui/hook_wnd.h"

#include <mutex>

namespace {

// Serialises changes to hook chains. Recursive: hooking first unhooks, and
// unhooking a whole window unhooks each hook.
std::recursive_mutex& HookLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace

CHookWnd::CHookWnd() = default;

CHookWnd::~CHookWnd() { Unhook(); }

CHookWnd* CHookWnd::HookOf(wxEvtHandler* handler) {
  auto* hook = dynamic_cast<Handler*>(handler);
  return hook != nullptr ? &hook->Owner() : nullptr;
}

void CHookWnd::HookWindow(wxWindow* window) {
  if (window == nullptr) return;
  std::lock_guard lock(HookLock());
  Unhook();
  window_ = window;
  window->PushEventHandler(&handler_);
}

void CHookWnd::Unhook() {
  std::lock_guard lock(HookLock());
  if (window_ == nullptr) return;
  window_->RemoveEventHandler(&handler_);
  window_ = nullptr;
}

void CHookWnd::UnhookAll(wxWindow* window) {
  if (window == nullptr) return;
  std::lock_guard lock(HookLock());
  wxEvtHandler* handler = window->GetEventHandler();
  while (handler != nullptr && handler != window) {
    wxEvtHandler* next = handler->GetNextHandler();
    if (CHookWnd* hook = HookOf(handler)) hook->Unhook();
    handler = next;
  }
}

CHookWnd* CHookWnd::NextHook() const {
  if (window_ == nullptr) return nullptr;
  return HookOf(handler_.GetNextHandler());
}

CHookWnd* CHookWnd::HeadHook(wxWindow* window) {
  return window != nullptr ? HookOf(window->GetEventHandler()) : nullptr;
}

bool CHookWnd::WindowProc(wxEvent& event) { return Default(event); }

bool CHookWnd::Default(wxEvent& event) {
  wxEvtHandler* next = handler_.GetNextHandler();
  return next != nullptr && next->ProcessEvent(event);
}

bool CHookWnd::Dispatch(wxEvent& event) {
  // The window's own destroy event (those of its children pass by here too)
  // goes down the chain like any other, so hooks can save what they need;
  // then every hook leaves, so the window ends with no handler pushed and
  // the hooks can outlive it.
  if (window_ != nullptr && event.GetEventType() == wxEVT_DESTROY && event.GetEventObject() == window_) {
    wxWindow* window = window_;
    const bool handled = WindowProc(event);
    UnhookAll(window);
    return handled;
  }
  return WindowProc(event);
}

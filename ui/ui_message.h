// Messages from worker threads to windows.
//
// Workers never touch a control. They hand a message to the window's Mailbox:
// one event type, UiMessageEvent, whose id is the message number (WM_USER + n,
// e.g. WM_RIP_PROGRESS) and which carries its payload by value (wParam,
// lParam and any copyable object). The window handles it on the GUI thread
// through a row of its message map:
//
//   // the window owns the mailbox and gives workers a shared pointer to it
//   mailbox_ = std::make_shared<ui::Mailbox>(this);      // constructor
//   mailbox_->Detach();                                  // destructor
//
//   // worker thread
//   mailbox->Post(WM_RIP_LOG, 0, 0, std::string("Track 1 done"));
//   auto answer = mailbox->Send(WM_CDDB_MULTIPLE_MATCHES, 0, 0, matches, [&] { return stop.load(); });
//
//   // the window's message map
//   ui::OnMessage(WM_RIP_LOG, &CRippingProgress::OnRipLog),
//   LRESULT CRippingProgress::OnRipLog(ui::UiMessageEvent& e) { auto* text = e.Payload<std::string>(); ... }
//
// A message posted to a window that has gone (mailbox detached) is dropped. A
// blocking Send returns the handler's answer, or nothing when the sender's
// stop predicate turns true first (so a window waiting for the worker and the
// worker waiting for the window never deadlock) or when no handler took it.
// The event does not travel up to parent windows, so the same number can mean
// different things in different windows.
#pragma once

#include <wx/event.h>

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace ui {

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

namespace detail {
struct ReplySlot;
}

class UiMessageEvent : public wxThreadEvent {
 public:
  UiMessageEvent(unsigned message = 0, WPARAM wParam = 0, LPARAM lParam = 0, std::any payload = {});

  unsigned Message() const { return static_cast<unsigned>(GetId()); }
  WPARAM wParam() const { return wParam_; }
  LPARAM lParam() const { return lParam_; }
  const std::any& PayloadAny() const { return payload_; }
  // The payload as a T, or null when it holds something else.
  template <class T>
  const T* Payload() const {
    return std::any_cast<T>(&payload_);
  }

  // Answers a blocking Send; only the first answer counts. Message-map rows
  // answer with their handler's result.
  void Reply(LRESULT result) const;

  wxEvent* Clone() const override { return new UiMessageEvent(*this); }

 private:
  friend class Mailbox;
  WPARAM wParam_;
  LPARAM lParam_;
  std::any payload_;
  std::shared_ptr<detail::ReplySlot> reply_;
};

wxDECLARE_EVENT(wxEVT_UI_MESSAGE, UiMessageEvent);

// The address of one window for workers.
class Mailbox {
 public:
  // A window target gets its messages through its chain of event handlers
  // (GetEventHandler), so handlers pushed in front of it see them first.
  explicit Mailbox(wxEvtHandler* target);
  Mailbox(const Mailbox&) = delete;
  Mailbox& operator=(const Mailbox&) = delete;

  // The window is going away: later messages are dropped. Call it from the
  // window's destructor (or earlier), on the GUI thread.
  void Detach();
  bool IsAttached() const;

  // Queues the message; false when the window has gone. Any thread.
  bool Post(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0, std::any payload = {});
  // Delivers the message and waits for the window's answer. Gives up (nullopt)
  // as soon as `stopRequested` returns true, and also returns nullopt when the
  // window has gone or no handler answered. On the GUI thread the message is
  // handled at once.
  std::optional<LRESULT> Send(unsigned message, WPARAM wParam, LPARAM lParam, std::any payload,
                              const std::function<bool()>& stopRequested);

 private:
  void Deliver(std::unique_ptr<UiMessageEvent> event);  // target_ held, any thread

  mutable std::mutex mutex_;
  wxEvtHandler* target_;
  bool isWindow_;
};

// The same, in the shape of the window system's calls.
bool PostUiMessage(Mailbox& mailbox, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0,
                   std::any payload = {});
std::optional<LRESULT> SendUiMessage(Mailbox& mailbox, unsigned message, WPARAM wParam, LPARAM lParam,
                                     std::any payload, const std::function<bool()>& stopRequested);

}  // namespace ui

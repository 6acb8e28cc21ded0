// Worker-to-window messages: the event, its reply slot and the mailbox.
#include "ui/ui_message.h"

#include <wx/thread.h>
#include <wx/window.h>

#include <atomic>
#include <chrono>
#include <future>

namespace ui {

namespace detail {

struct Answer {
  bool handled = false;
  LRESULT result = 0;
};

// Shared by every copy of one sent event. When the last copy goes without an
// answer (no handler, or the window was destroyed with the event still
// queued), the sender learns that nobody handled it.
struct ReplySlot {
  std::promise<Answer> promise;
  std::atomic<bool> answered{false};

  void Set(Answer answer) {
    if (!answered.exchange(true)) promise.set_value(answer);
  }
  ~ReplySlot() { Set({}); }
};

}  // namespace detail

namespace {
constexpr auto kStopPollInterval = std::chrono::milliseconds(50);
}

wxDEFINE_EVENT(wxEVT_UI_MESSAGE, UiMessageEvent);

UiMessageEvent::UiMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam, std::any payload)
    : wxThreadEvent(wxEVT_UI_MESSAGE, static_cast<int>(message)),
      wParam_(wParam),
      lParam_(lParam),
      payload_(std::move(payload)) {}

void UiMessageEvent::Reply(LRESULT result) const {
  if (reply_) reply_->Set({true, result});
}

Mailbox::Mailbox(wxEvtHandler* target)
    : target_(target), isWindow_(dynamic_cast<wxWindow*>(target) != nullptr) {}

void Mailbox::Deliver(std::unique_ptr<UiMessageEvent> event) {
  if (!isWindow_) {
    wxQueueEvent(target_, event.release());
    return;
  }
  // The window's handler chain may change until the message is handled: look
  // it up then, on the GUI thread. A window destroyed first drops the call,
  // and with it the message.
  auto* window = static_cast<wxWindow*>(target_);
  std::shared_ptr<UiMessageEvent> shared(event.release());
  window->CallAfter([window, shared] { window->GetEventHandler()->ProcessEvent(*shared); });
}

void Mailbox::Detach() {
  std::lock_guard lock(mutex_);
  target_ = nullptr;
}

bool Mailbox::IsAttached() const {
  std::lock_guard lock(mutex_);
  return target_ != nullptr;
}

bool Mailbox::Post(unsigned message, WPARAM wParam, LPARAM lParam, std::any payload) {
  std::lock_guard lock(mutex_);
  if (target_ == nullptr) return false;
  Deliver(std::make_unique<UiMessageEvent>(message, wParam, lParam, std::move(payload)));
  return true;
}

std::optional<LRESULT> Mailbox::Send(unsigned message, WPARAM wParam, LPARAM lParam, std::any payload,
                                     const std::function<bool()>& stopRequested) {
  auto slot = std::make_shared<detail::ReplySlot>();
  std::future<detail::Answer> answer = slot->promise.get_future();
  auto event = std::make_unique<UiMessageEvent>(message, wParam, lParam, std::move(payload));
  event->reply_ = std::move(slot);
  if (wxIsMainThread()) {
    // The window is served by this very thread: handle the message now. The
    // lock is not held, so the handler may post or detach; only this thread
    // detaches, so the target stays valid.
    wxEvtHandler* target = nullptr;
    {
      std::lock_guard lock(mutex_);
      target = target_;
    }
    if (target == nullptr) return std::nullopt;
    if (isWindow_) target = static_cast<wxWindow*>(target)->GetEventHandler();
    target->ProcessEvent(*event);
    event.reset();
  } else {
    std::lock_guard lock(mutex_);
    if (target_ == nullptr) return std::nullopt;
    Deliver(std::move(event));
  }
  while (answer.wait_for(kStopPollInterval) != std::future_status::ready) {
    if (stopRequested && stopRequested()) return std::nullopt;
  }
  const detail::Answer a = answer.get();
  if (!a.handled) return std::nullopt;
  return a.result;
}

bool PostUiMessage(Mailbox& mailbox, unsigned message, WPARAM wParam, LPARAM lParam, std::any payload) {
  return mailbox.Post(message, wParam, lParam, std::move(payload));
}

std::optional<LRESULT> SendUiMessage(Mailbox& mailbox, unsigned message, WPARAM wParam, LPARAM lParam,
                                     std::any payload, const std::function<bool()>& stopRequested) {
  return mailbox.Send(message, wParam, lParam, std::move(payload), stopRequested);
}

}  // namespace ui

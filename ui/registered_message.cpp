// Registered message numbers and synchronous delivery to windows.
#include "ui/registered_message.h"

#include <map>
#include <mutex>
#include <string>

namespace ui {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, unsigned, std::less<>> numbers;
};

Registry& Names() {
  static Registry registry;
  return registry;
}

// The mailboxes of live windows (GUI thread only).
std::map<wxWindow*, std::shared_ptr<Mailbox>>& Mailboxes() {
  static std::map<wxWindow*, std::shared_ptr<Mailbox>> boxes;
  return boxes;
}

}  // namespace

unsigned RegisterWindowMessage(std::string_view name) {
  Registry& r = Names();
  std::lock_guard lock(r.mutex);
  const auto it = r.numbers.find(name);
  if (it != r.numbers.end()) return it->second;
  const unsigned number = kFirstRegisteredMessage + static_cast<unsigned>(r.numbers.size());
  r.numbers.emplace(std::string(name), number);
  return number;
}

std::shared_ptr<Mailbox> MailboxOf(wxWindow* window) {
  if (window == nullptr) return nullptr;
  auto& boxes = Mailboxes();
  const auto it = boxes.find(window);
  if (it != boxes.end()) return it->second;
  auto box = std::make_shared<Mailbox>(window);
  boxes.emplace(window, box);
  // wxEVT_DESTROY also passes up from the window's children: only the
  // window's own ends its mailbox.
  window->Bind(wxEVT_DESTROY, [window](wxWindowDestroyEvent& event) {
    event.Skip();
    if (event.GetEventObject() != window) return;
    auto& all = Mailboxes();
    const auto found = all.find(window);
    if (found == all.end()) return;
    found->second->Detach();
    all.erase(found);
  });
  return box;
}

std::optional<LRESULT> SendRegisteredMessage(wxWindow* window, unsigned message, WPARAM wParam, LPARAM lParam) {
  const std::shared_ptr<Mailbox> box = MailboxOf(window);
  if (box == nullptr) return std::nullopt;
  return box->Send(message, wParam, lParam, {}, {});
}

}  // namespace ui

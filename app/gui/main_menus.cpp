// Builds menus and accelerators from their tables; every id goes through the
// toolkit's id fold.
#include "app/gui/main_menus.h"

#include <algorithm>
#include <vector>

#include "app/gui/gui_port.h"
#include "ui/core/control_ids.h"
#include "ui/gtk_function.h"

namespace mainmenu {

namespace {

wxString Text(std::string_view text) { return wxString::FromUTF8(text.data(), text.size()); }

void AppendItems(wxMenu* menu, std::span<const res::MenuItem> items) {
  for (const res::MenuItem& item : items) {
    switch (item.kind) {
      case res::MenuItemKind::Separator:
        menu->AppendSeparator();
        break;
      case res::MenuItemKind::Command:
        menu->Append(ui::WxId(item.id), Text(item.text));
        break;
      case res::MenuItemKind::Check:
        menu->AppendCheckItem(ui::WxId(item.id), Text(item.text));
        break;
      case res::MenuItemKind::Popup: {
        auto* sub = new wxMenu;
        AppendItems(sub, item.children);
        menu->AppendSubMenu(sub, Text(item.text));
        break;
      }
    }
  }
}

// The pop-up menus open now, the innermost last. Each runs a loop of its own
// in the toolkit until it closes, which keeps its caller, and everything
// below it on the stack, from returning.
std::vector<wxMenu*> g_openPopups;

// Closes `menu` as Escape would: the toolkit's loop for it then ends.
void CancelMenu(wxMenu& menu) {
#ifdef __WXGTK__
  using Cancel = void (*)(void*);
  static const auto cancel = ui::GtkFunction<Cancel>("gtk_menu_shell_cancel");
  if (cancel != nullptr && menu.m_menu != nullptr) cancel(menu.m_menu);
#else
  (void)menu;
#endif
}

int KeyCode(int key) {
  return key >= res::kKeyF1 && key < res::kKeyF1 + 24 ? WXK_F1 + (key - res::kKeyF1) : key;
}

}  // namespace

wxMenuBar* BuildMenuBar(const res::MenuTable& table) {
  auto* bar = new wxMenuBar;
  for (const res::MenuItem& item : table.items) {
    auto* menu = new wxMenu;
    AppendItems(menu, item.children);
    bar->Append(menu, Text(item.text));
  }
  return bar;
}

wxMenu* BuildPopupMenu(const res::MenuTable& table) {
  auto* menu = new wxMenu;
  if (!table.items.empty()) AppendItems(menu, table.items.front().children);
  return menu;
}

void ShowPopupMenu(wxWindow& owner, wxMenu& menu, const wxPoint& at) {
  if (SessionEnding.load()) return;
  // The menu hears its picks before the window does.
  menu.Bind(wxEVT_MENU, [](wxCommandEvent& event) { event.Skip(!SessionEnding.load()); });
  g_openPopups.push_back(&menu);
  owner.PopupMenu(&menu, at);
  g_openPopups.erase(std::find(g_openPopups.begin(), g_openPopups.end(), &menu));
}

bool PopupMenuOpen() { return !g_openPopups.empty(); }

void ClosePopupMenus() {
  for (auto at = g_openPopups.rbegin(); at != g_openPopups.rend(); ++at) CancelMenu(**at);
}

wxAcceleratorTable BuildAccelerators() {
  std::vector<wxAcceleratorEntry> entries;
  for (const res::Accelerator& a : res::kAccelerators) {
    entries.emplace_back(a.ctrl ? wxACCEL_CTRL : wxACCEL_NORMAL, KeyCode(a.key), ui::WxId(a.command));
  }
  entries.emplace_back(wxACCEL_NORMAL, WXK_F1, ui::WxId(res::ID_HELP_CONTENTS));
  return wxAcceleratorTable(static_cast<int>(entries.size()), entries.data());
}

wxString ResourceText(int id) { return Text(res::LoadResourceString(id)); }

}  // namespace mainmenu

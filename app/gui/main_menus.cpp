// Builds menus and accelerators from their tables; every id goes through the
// toolkit's id fold.
#include "app/gui/main_menus.h"

#include <vector>

#include "ui/core/control_ids.h"

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

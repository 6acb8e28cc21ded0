// Look-up and consistency checks of dialog templates.
#include "ui/core/dialog_table.h"

#include <fmt/format.h>

#include <set>

#include "ui/core/control_ids.h"
#include "ui/core/win_types.h"

namespace ui {

namespace {

bool IsUnaddressed(int id) { return id == IDC_STATIC; }

void CheckItemGeometry(const DialogTemplate& tmpl, const DialogItem& item, std::vector<std::string>& faults) {
  if (item.cx < 0 || item.cy < 0) {
    faults.push_back(
        fmt::format("template {}: control {} has a negative size {}x{}", tmpl.id, item.id, item.cx, item.cy));
  }
  // Combo boxes give the height of their open list, which may reach below.
  const bool listBelow = item.kind == ControlKind::ComboDropDown || item.kind == ControlKind::ComboDropList;
  const int bottom = item.y + (listBelow ? 0 : item.cy);
  if (item.x < 0 || item.y < 0 || item.x + item.cx > tmpl.cx || bottom > tmpl.cy) {
    faults.push_back(fmt::format("template {}: control {} ({},{} {}x{}) lies outside the dialog ({}x{})",
                                 tmpl.id, item.id, item.x, item.y, item.cx, item.cy, tmpl.cx, tmpl.cy));
  }
}

}  // namespace

const DialogItem* FindDialogItem(const DialogTemplate& tmpl, int id) {
  if (IsUnaddressed(id)) return nullptr;
  for (const DialogItem& item : tmpl.items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

std::vector<std::string> CheckDialogTemplate(const DialogTemplate& tmpl, std::span<const int> referencedIds) {
  std::vector<std::string> faults;
  if (tmpl.cx <= 0 || tmpl.cy <= 0) {
    faults.push_back(fmt::format("template {}: size {}x{} is empty", tmpl.id, tmpl.cx, tmpl.cy));
  }
  std::set<int> seen;
  std::vector<int> ids;
  for (const DialogItem& item : tmpl.items) {
    CheckItemGeometry(tmpl, item, faults);
    if (IsUnaddressed(item.id)) continue;
    if (!seen.insert(item.id).second) {
      faults.push_back(fmt::format("template {}: id {} is used twice", tmpl.id, item.id));
    }
    ids.push_back(item.id);
  }
  for (const std::string& fault : FoldingCollisions(ids)) {
    faults.push_back(fmt::format("template {}: {}", tmpl.id, fault));
  }
  for (int id : referencedIds) {
    if (FindDialogItem(tmpl, id) == nullptr) {
      faults.push_back(fmt::format("template {}: id {} is named but no control has it", tmpl.id, id));
    }
  }
  return faults;
}

}  // namespace ui

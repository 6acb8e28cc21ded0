// The match chooser's resources: its template, control ids and anchors.
#pragma once

#include <span>

#include "ui/core/dialog_table.h"
#include "ui/core/resize_layout.h"

namespace res {

inline constexpr int IDD_FREEDB_CHOICE = 134;
inline constexpr int IDC_MATCH_LIST = 1031;        // one row per match
inline constexpr int IDC_MATCH_TRACK_LIST = 1032;  // the titles of the selected match
extern const ui::DialogTemplate kFreeDBChoiceDialog;
extern const std::span<const ResizeAnchor> kFreeDBChoiceAnchors;

}  // namespace res

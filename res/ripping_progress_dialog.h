// Template and control ids of the ripping-progress dialog (template 138).
#pragma once

#include <span>

#include "ui/core/dialog_table.h"
#include "ui/core/resize_layout.h"

namespace res {

inline constexpr int IDD_RIPPING_PROGRESS = 138;
// Track group.
inline constexpr int IDC_RIP_TRACK_GROUP = 1075;
inline constexpr int IDC_RIP_TRACK_BAR = 1056;
inline constexpr int IDC_RIP_TRACK_DONE_LABEL = 1077;
inline constexpr int IDC_RIP_TRACK_PERCENT = 1053;
inline constexpr int IDC_RIP_TRACK_SPEED_LABEL = 1254;
inline constexpr int IDC_RIP_TRACK_SPEED = 1058;
inline constexpr int IDC_RIP_TRACK_ELAPSED_LABEL = 1064;
inline constexpr int IDC_RIP_TRACK_ELAPSED = 1251;
inline constexpr int IDC_RIP_TRACK_ETA_LABEL = 1063;
inline constexpr int IDC_RIP_TRACK_ETA = 1252;
// Overall group.
inline constexpr int IDC_RIP_OVERALL_GROUP = 1076;
inline constexpr int IDC_RIP_OVERALL_BAR = 1054;
inline constexpr int IDC_RIP_OVERALL_DONE_LABEL = 1253;
inline constexpr int IDC_RIP_OVERALL_PERCENT = 1052;
inline constexpr int IDC_RIP_OVERALL_SPEED_LABEL = 1255;
inline constexpr int IDC_RIP_OVERALL_SPEED = 1062;
inline constexpr int IDC_RIP_OVERALL_ELAPSED_LABEL = 1060;
inline constexpr int IDC_RIP_OVERALL_ELAPSED = 1249;
inline constexpr int IDC_RIP_OVERALL_ETA_LABEL = 1059;
inline constexpr int IDC_RIP_OVERALL_ETA = 1250;
// Status line and buttons (the third button is IDCANCEL).
inline constexpr int IDC_RIP_STATUS = 1061;
inline constexpr int IDC_RIP_LOG = 1207;
inline constexpr int IDC_RIP_PAUSE = 1206;

extern const ui::DialogTemplate kRippingProgressDialog;
// The controls' anchors: the groups, bars and status line stretch across,
// everything else keeps its centre at the same fraction of the width.
extern const std::span<const ResizeAnchor> kRippingProgressAnchors;

}  // namespace res

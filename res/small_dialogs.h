// The templates of the About box, the tip of the day and the album editor,
// with their control ids and the album editor's anchors.
#pragma once

#include <span>

#include "ui/core/dialog_table.h"
#include "ui/core/resize_layout.h"

namespace res {

// About box.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDC_ABOUT_HOME_LINK = 1141;     // the home page
inline constexpr int IDC_ABOUT_SUPPORT_LINK = 1142;  // the support mail
inline constexpr int IDC_ABOUT_ICON = 1143;
inline constexpr int IDC_ABOUT_NAME = 1144;
inline constexpr int IDC_ABOUT_VERSION = 1145;
extern const ui::DialogTemplate kAboutDialog;

// Tip of the day.
inline constexpr int IDD_TIP = 347;
inline constexpr int IDC_TIP_FRAME = 1075;     // the tip area, painted by the dialog
inline constexpr int IDC_TIP_PICTURE = 1149;
inline constexpr int IDC_TIP_TEXT = 1150;
inline constexpr int IDC_TIP_STARTUP = 1151;   // "&Show tips on startup"
inline constexpr int IDC_TIP_NEXT = 1152;      // "Next tip"
extern const ui::DialogTemplate kTipDialog;

// Album editor.
inline constexpr int IDD_EDIT_CD = 358;
inline constexpr int IDC_EDIT_CD_GROUP = 1075;
inline constexpr int IDC_EDIT_CD_ALBUM = 1156;
inline constexpr int IDC_EDIT_CD_ARTIST = 1157;
inline constexpr int IDC_EDIT_CD_YEAR = 1159;
inline constexpr int IDC_EDIT_CD_VARIOUS = 1160;
inline constexpr int IDC_EDIT_CD_OK = 1161;
inline constexpr int IDC_EDIT_CD_SAVE_LOCAL = 1162;
inline constexpr int IDC_EDIT_CD_GENRE = 1258;
extern const ui::DialogTemplate kEditCDDialog;
extern const std::span<const ResizeAnchor> kEditCDAnchors;

}  // namespace res

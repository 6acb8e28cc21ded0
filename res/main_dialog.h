// The main window's and the log window's resources: dialog templates, control
// and command ids, the toolbar tables, the menus, the accelerator table and
// the string table, all as plain tables. The windows in app/gui build
// themselves from them; tests check them without a display.
#pragma once

#include <span>
#include <string_view>

#include "ui/core/dialog_table.h"
#include "ui/core/resize_layout.h"

namespace res {

// --- Main window (template 102) -------------------------------------------
inline constexpr int IDD_QUARNOCDRIPPER_DIALOG = 102;
inline constexpr int IDC_DRIVE_COMBO = 1000;
inline constexpr int IDC_TRACK_LIST = 1009;
inline constexpr int IDC_SEEK_SLIDER = 1050;
inline constexpr int IDC_VOLUME_SLIDER = 1051;
inline constexpr int IDC_DRIVES_GROUP = 1075;
inline constexpr int IDC_PLAYER_GROUP = 1076;
inline constexpr int IDC_TIME_LABEL = 1248;
extern const ui::DialogTemplate kMainDialog;

// Status bar panes (indicator ids) and the bar's height in pixels.
inline constexpr int ID_INDICATOR_EVENT = 110;
inline constexpr int ID_INDICATOR_MEDIA = 111;
inline constexpr int ID_INDICATOR_FORMAT = 112;
inline constexpr int kStatusBarHeight = 25;

// Frame bars.
inline constexpr int AFX_IDW_TOOLBAR = 0xE800;
inline constexpr int AFX_IDW_STATUS_BAR = 0xE801;
inline constexpr int AFX_IDW_REBAR = 0xE804;

// --- Commands ----------------------------------------------------------------
inline constexpr int ID_FILE_NODRIVE = 32774;
inline constexpr int ID_FILE_VIEWLOG = 32775;
inline constexpr int ID_FILE_EXIT = 32773;
inline constexpr int ID_FORMAT_BUTTON = 1139;
inline constexpr int ID_EDIT_CHECKALL = 32781;
inline constexpr int ID_EDIT_UNCHECKALL = 32782;
inline constexpr int ID_EDIT_REVERSECHECK = 32783;
inline constexpr int ID_EDIT_CDINFO = 32837;
inline constexpr int ID_PLAY_FIRST = 32794;
inline constexpr int ID_PLAY_PREVIOUS = 32784;
inline constexpr int ID_PLAY_PLAY = 32785;
inline constexpr int ID_PLAY_PAUSE = 32786;
inline constexpr int ID_PLAY_STOP = 32787;
inline constexpr int ID_PLAY_NEXT = 32788;
inline constexpr int ID_PLAY_LAST = 32795;
inline constexpr int ID_PLAY_EJECT = 32789;
inline constexpr int ID_PLAY_CLOSETRAY = 32790;
inline constexpr int ID_PLAY_REFRESH = 32791;
inline constexpr int ID_OPERATION_RIP = 32797;
inline constexpr int ID_OPERATION_RIPCURRENT = 32796;
inline constexpr int ID_OPERATION_OPTIONS = 32800;
inline constexpr int ID_HELP_CONTENTS = 32821;
inline constexpr int ID_HELP_TIPOFTHEDAY = 32827;
inline constexpr int ID_HELP_DOWNLOAD = 32822;
inline constexpr int ID_HELP_EMAILSUPPORT = 32829;
inline constexpr int ID_HELP_ONLINESUPPORT = 32830;
inline constexpr int ID_HELP_ABOUT = 32828;
inline constexpr int ID_LIST_PLAYCURRENT = 32801;
inline constexpr int ID_FORMAT_WAV = 32811;
inline constexpr int ID_FORMAT_MP3 = 32812;
inline constexpr int ID_FORMAT_MORE = 32907;
// Drive(s) menu items: one per drive, from this id on.
inline constexpr int ID_DRIVE_FIRST = 101;
inline constexpr int ID_DRIVE_LAST = 110;

// --- Toolbars ------------------------------------------------------------------
// One button: its command and the image it shows.
struct ToolButton {
  int command;
  int image;
};
// Images of the main toolbar, in image-list order.
enum MainToolImage : int {
  kImageRefresh = 0,
  kImageViewLog,
  kImageEditInfo,
  kImageFormatMp3,
  kImageRip,
  kImageOptions,
  kImageDownload,
  kImageHelp,
  kImageAbout,
  kImageFormatWav,  // shown by the Format button while the output is WAV
  kMainToolImageCount
};
enum PlayerToolImage : int {
  kImagePrevious = 0,
  kImagePlay,
  kImagePause,
  kImageStop,
  kImageNext,
  kImageEject,
  kPlayerToolImageCount
};
inline constexpr int kMainToolImageSize = 48;
inline constexpr int kPlayerToolImageSize = 32;
inline constexpr int kFormatButtonIndex = 3;
extern const std::span<const ToolButton> kMainToolButtons;    // nine buttons
extern const std::span<const ToolButton> kPlayerToolButtons;  // six buttons

// --- Log window (template 130) ---------------------------------------------
inline constexpr int IDD_LOG_DIALOG = 130;
inline constexpr int IDC_LOG_OK = 1011;
inline constexpr int IDC_LOG_CLEAR = 1012;
inline constexpr int IDC_LOG_LIST = 1014;
extern const ui::DialogTemplate kLogDialog;
extern const std::span<const ResizeAnchor> kLogDialogAnchors;

// --- Menus ---------------------------------------------------------------------
inline constexpr int IDR_MAINFRAME_MENU = 129;
inline constexpr int IDR_TRACKLIST_MENU = 270;
inline constexpr int IDR_FORMAT_MENU = 289;

// Check: a command that can carry a check mark.
enum class MenuItemKind { Command, Check, Separator, Popup };

// One item of a menu table; a pop-up lists its items in `children`.
struct MenuItem {
  MenuItemKind kind = MenuItemKind::Command;
  std::string_view text;
  int id = 0;
  std::span<const MenuItem> children;
};

struct MenuTable {
  int id = 0;
  std::span<const MenuItem> items;  // the menu bar's (or the menu's) top-level pop-ups
};

// The menu with `id` (129, 270 or 289), or null.
const MenuTable* FindMenu(int id);

// --- Accelerators (table 325) -----------------------------------------------
inline constexpr int IDR_ACCELERATOR = 325;
struct Accelerator {
  bool ctrl;
  int key;  // a letter 'A'..'Z', or kKeyF1 + n for function key n + 1
  int command;
};
inline constexpr int kKeyF1 = 0x70;  // function keys follow in order
extern const std::span<const Accelerator> kAccelerators;

// --- String table ----------------------------------------------------------------
// The string with resource id `id` (tooltips and prompts by command id,
// indicator texts), or an empty view when the table has none.
std::string_view LoadResourceString(int id);
// Every id of the string table, for the checks.
std::span<const int> StringIds();

}  // namespace res

// Dialog templates as plain tables: what a dialog holds and where, in dialog
// units, exactly as the dialog's description lists it. The wx layer builds a
// window from a table (ui/dialog_template.h); this half only describes and
// checks tables, so the checks run without a display.
//
// A template lives in res/ as two constant tables:
//
//   constexpr ui::DialogItem kItems[] = {
//     // kind                       id      text       x   y    w    h   style
//     {ui::ControlKind::ListReport, 1001,   "",        7,  7, 200, 100, ui::kBorder},
//     {ui::ControlKind::DefButton,  IDOK,   "OK",    100, 112,  50,  14},
//     {ui::ControlKind::Button,     IDCANCEL, "Cancel", 155, 112, 50, 14},
//   };
//   constexpr ui::DialogTemplate kMyDialog{IDD_MY, "Caption", 212, 133,
//                                          ui::kDialogResizable, kItems};
//
// Template order is the creation, tab and z-order. Ids are the program's own
// numbers (ui/core/control_ids.h folds them for the toolkit); IDC_STATIC marks
// controls nothing addresses.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class ControlKind {
  Static,         // text label
  GroupBox,       // frame with a caption
  Picture,        // icon or bitmap
  Edit,           // text field
  ComboDropDown,  // editable combo box
  ComboDropList,  // choice list
  ListReport,     // list control with columns
  Tree,
  Trackbar,
  Progress,
  Button,
  DefButton,  // the default push button
  CheckBox,   // checks itself when clicked
  Radio,      // kGroup starts a new group
  Custom,     // made by the dialog's own factory
};

// Control styles (ControlKind decides which apply).
inline constexpr uint32_t kHidden = 1u << 0;
inline constexpr uint32_t kDisabled = 1u << 1;
inline constexpr uint32_t kGroup = 1u << 2;        // first of a radio group
inline constexpr uint32_t kAlignCentre = 1u << 3;  // statics, edits
inline constexpr uint32_t kAlignRight = 1u << 4;
inline constexpr uint32_t kNoPrefix = 1u << 5;  // "&" is shown, not a mnemonic
inline constexpr uint32_t kCentreImage = 1u << 6;
inline constexpr uint32_t kNumber = 1u << 7;  // edits: digits only
inline constexpr uint32_t kReadOnly = 1u << 8;
inline constexpr uint32_t kMultiline = 1u << 9;
inline constexpr uint32_t kPassword = 1u << 10;
inline constexpr uint32_t kSorted = 1u << 11;  // combo boxes, lists
inline constexpr uint32_t kVScroll = 1u << 12;
inline constexpr uint32_t kBorder = 1u << 13;
inline constexpr uint32_t kSingleSel = 1u << 14;  // lists, trees
inline constexpr uint32_t kShowSelAlways = 1u << 15;
inline constexpr uint32_t kNoSortHeader = 1u << 16;
inline constexpr uint32_t kEditLabels = 1u << 17;
inline constexpr uint32_t kNoTicks = 1u << 18;     // trackbars
inline constexpr uint32_t kVertical = 1u << 19;    // trackbars, progress bars
inline constexpr uint32_t kHasButtons = 1u << 20;  // trees
inline constexpr uint32_t kHasLines = 1u << 21;
inline constexpr uint32_t kNoHeader = 1u << 22;  // lists

// Dialog styles.
inline constexpr uint32_t kDialogCaption = 1u << 0;
inline constexpr uint32_t kDialogSysMenu = 1u << 1;    // close box
inline constexpr uint32_t kDialogResizable = 1u << 2;  // thick frame
inline constexpr uint32_t kDialogMinBox = 1u << 3;
inline constexpr uint32_t kDialogMaxBox = 1u << 4;
inline constexpr uint32_t kDialogStayOnTop = 1u << 5;
inline constexpr uint32_t kDialogDefault = kDialogCaption | kDialogSysMenu;

struct DialogItem {
  ControlKind kind = ControlKind::Static;
  int id = -1;
  std::string_view text;
  int x = 0;  // dialog units
  int y = 0;
  int cx = 0;
  int cy = 0;
  uint32_t style = 0;
};

struct DialogTemplate {
  int id = 0;
  std::string_view caption;
  int cx = 0;  // client size in dialog units
  int cy = 0;
  uint32_t style = kDialogDefault;
  std::span<const DialogItem> items;
};

// The item with program id `id`, or null. IDC_STATIC never matches.
const DialogItem* FindDialogItem(const DialogTemplate& tmpl, int id);

// Every fault of a template, described for a test's failure message; empty
// when it is sound: duplicate ids, controls outside the dialog or with a
// negative size, ids the toolkit cannot take, and ids in `referencedIds` (the
// ids the dialog's message map and anchors name) with no control.
std::vector<std::string> CheckDialogTemplate(const DialogTemplate& tmpl,
                                             std::span<const int> referencedIds = {});

}  // namespace ui

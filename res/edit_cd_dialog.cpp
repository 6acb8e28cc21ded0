// Template and anchors of the album editor.
#include "res/small_dialogs.h"
#include "ui/core/win_types.h"

namespace res {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kItems[] = {
    // kind                      id                      text               x    y    w    h   style
    {ControlKind::GroupBox,      IDC_EDIT_CD_GROUP,      "CDDB Info",       7,   4, 238,  92},
    {ControlKind::Static,        IDC_STATIC,             "Album:",         15,  20,  32,   8},
    {ControlKind::Edit,          IDC_EDIT_CD_ALBUM,      "",               50,  18, 187,  13},
    {ControlKind::Static,        IDC_STATIC,             "Artist:",        15,  38,  32,   8},
    {ControlKind::Edit,          IDC_EDIT_CD_ARTIST,     "",               50,  36, 118,  13},
    {ControlKind::CheckBox,      IDC_EDIT_CD_VARIOUS,    "Various Artists", 174, 37, 66,  10},
    {ControlKind::Static,        IDC_STATIC,             "Genre:",         15,  56,  32,   8},
    {ControlKind::ComboDropDown, IDC_EDIT_CD_GENRE,      "",               50,  54, 187, 100, ui::kSorted | ui::kVScroll},
    {ControlKind::Static,        IDC_STATIC,             "Year:",          15,  75,  32,   8},
    {ControlKind::Edit,          IDC_EDIT_CD_YEAR,       "",               50,  73,  40,  13, ui::kNumber | ui::kAlignCentre},
    {ControlKind::DefButton,     IDC_EDIT_CD_OK,         "OK",             62, 103,  50,  14},
    {ControlKind::Button,        IDC_EDIT_CD_SAVE_LOCAL, "Save to Local", 128, 103,  62,  14},
};

constexpr ResizeAnchor kAnchors[] = {
    // id                      hA             hB             vA          vB          flags posX  sizeX  posY  sizeY
    {IDC_EDIT_CD_GROUP,      ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep, 0, -1.0, -1.0, -1.0, -1.0},
    {IDC_EDIT_CD_ALBUM,      ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep, 0, -1.0, -1.0, -1.0, -1.0},
    {IDC_EDIT_CD_GENRE,      ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep, 0, -1.0, -1.0, -1.0, -1.0},
    {IDC_EDIT_CD_ARTIST,     ResizeStretch, ResizeStretch, ResizeKeep, ResizeKeep, 0, -1.0, -1.0, -1.0, -1.0},
    {IDC_EDIT_CD_YEAR,       ResizeKeep,    ResizeKeep,    ResizeKeep, ResizeKeep, 0, -1.0, -1.0, -1.0, -1.0},
    {IDC_EDIT_CD_VARIOUS,    ResizeMove,    ResizeMove,    ResizeKeep, ResizeKeep, 0, -1.0, -1.0, -1.0, -1.0},
    {IDC_EDIT_CD_OK,         ResizeCentre,  ResizeCentre,  ResizeKeep, ResizeKeep, 0, -1.0, -1.0, -1.0, -1.0},
    {IDC_EDIT_CD_SAVE_LOCAL, ResizeCentre,  ResizeCentre,  ResizeKeep, ResizeKeep, 0, -1.0, -1.0, -1.0, -1.0},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kEditCDDialog{IDD_EDIT_CD, "Edit CD Info", 252, 124,
                                       ui::kDialogDefault | ui::kDialogResizable, kItems};
const std::span<const ResizeAnchor> kEditCDAnchors{kAnchors};

}  // namespace res

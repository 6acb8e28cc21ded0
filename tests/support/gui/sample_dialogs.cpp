// Templates and anchors of the test dialogs.
#include "tests/support/gui/sample_dialogs.h"

#include "ui/core/win_types.h"

namespace sample {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kResizeItems[] = {
    // kind                    id                 text          x    y    w    h   style
    {ControlKind::Static,      IDC_SAMPLE_TITLE,  "Tracks",    75,   4,  50,   9, ui::kAlignCentre},
    {ControlKind::ListReport,  IDC_SAMPLE_LIST,   "",           7,  16, 186,  70, ui::kBorder | ui::kSingleSel},
    {ControlKind::Static,      IDC_SAMPLE_LABEL,  "&Name:",     7,  91,  30,   9},
    {ControlKind::Edit,        IDC_SAMPLE_EDIT,   "",          40,  89, 153,  12},
    {ControlKind::CheckBox,    IDC_SAMPLE_OPTION, "&Remember",  7, 108,  70,  10},
    {ControlKind::DefButton,   IDOK,              "OK",        89, 106,  50,  14},
    {ControlKind::Button,      IDCANCEL,          "Cancel",   143, 106,  50,  14},
};

constexpr ResizeAnchor kResizeRows[] = {
    // id                hA hB vA vB flags                     posX  sizeX  posY  sizeY
    {IDC_SAMPLE_TITLE,    3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_SAMPLE_LIST,     1, 1, 1, 1, kResizeExcludeFromErase, -1.0, -1.0, -1.0, -1.0},
    {IDC_SAMPLE_LABEL,    0, 0, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_SAMPLE_EDIT,     1, 1, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_SAMPLE_OPTION,   0, 0, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDOK,                2, 2, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDCANCEL,            2, 2, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
};

constexpr ui::DialogItem kCornerItems[] = {
    {ControlKind::Static,      IDC_STATIC,        "Drag the corner:", 7, 7, 80, 9},
    {ControlKind::Button,      IDC_SAMPLE_CORNER, "Corner",   80,  56,  40,  24},
};

constexpr ResizeAnchor kCornerRows[] = {
    {IDC_SAMPLE_CORNER,   2, 2, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kResizeDialog{IDD_SAMPLE_RESIZE,
                                       "Resizable Dialog",
                                       200,
                                       124,
                                       ui::kDialogDefault | ui::kDialogResizable | ui::kDialogMaxBox,
                                       kResizeItems};
const std::span<const ResizeAnchor> kResizeAnchors{kResizeRows};

const ui::DialogTemplate kFrameDialog{
    IDD_SAMPLE_FRAME, "Resizable Frame", 200, 124,
    ui::kDialogDefault | ui::kDialogResizable | ui::kDialogMinBox | ui::kDialogMaxBox, kResizeItems};

const ui::DialogTemplate kCornerDialog{IDD_SAMPLE_CORNER, "Corner", 120, 80,
                                       ui::kDialogDefault | ui::kDialogResizable, kCornerItems};
const std::span<const ResizeAnchor> kCornerAnchors{kCornerRows};

}  // namespace sample

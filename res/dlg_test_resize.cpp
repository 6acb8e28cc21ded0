// Template and anchors of the toolkit's sample resizable dialog.
#include "res/dialog_templates.h"
#include "ui/core/win_types.h"

namespace res {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kItems[] = {
    // kind                    id               text                x    y    w    h   style
    {ControlKind::Static,      IDC_TEST_TITLE,  "Tracks",          75,   4,  50,   9, ui::kAlignCentre},
    {ControlKind::ListReport,  IDC_TEST_LIST,   "",                 7,  16, 186,  70, ui::kBorder | ui::kSingleSel},
    {ControlKind::Static,      IDC_STATIC,      "&Name:",           7,  93,  30,   9},
    {ControlKind::Edit,        IDC_TEST_EDIT,   "",                40,  91, 153,  12},
    {ControlKind::CheckBox,    IDC_TEST_OPTION, "&Remember",        7, 108,  70,  10},
    {ControlKind::DefButton,   IDOK,            "OK",              89, 106,  50,  14},
    {ControlKind::Button,      IDCANCEL,        "Cancel",         143, 106,  50,  14},
};

constexpr ResizeAnchor kAnchors[] = {
    // id              hA hB vA vB flags                     posX  sizeX  posY  sizeY
    {IDC_TEST_TITLE,    3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_TEST_LIST,     1, 1, 1, 1, kResizeExcludeFromErase, -1.0, -1.0, -1.0, -1.0},
    {IDC_TEST_EDIT,     1, 1, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDOK,              2, 2, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDCANCEL,          2, 2, 2, 2, 0,                       -1.0, -1.0, -1.0, -1.0},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kTestResizeDialog{IDD_TEST_RESIZE,
                                           "Resizable Dialog",
                                           200,
                                           124,
                                           ui::kDialogDefault | ui::kDialogResizable | ui::kDialogMaxBox,
                                           kItems};
const std::span<const ResizeAnchor> kTestResizeAnchors{kAnchors};

}  // namespace res

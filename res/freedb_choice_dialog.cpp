// Template and anchors of the match chooser.
#include "res/freedb_choice_dialog.h"

#include "ui/core/win_types.h"

namespace res {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kItems[] = {
    // kind                    id                    text       x    y    w    h   style
    {ControlKind::ListReport,  IDC_MATCH_LIST,       "",        7,   7, 415, 120, ui::kBorder | ui::kSingleSel | ui::kShowSelAlways},
    {ControlKind::ListReport,  IDC_MATCH_TRACK_LIST, "",        7, 133, 415, 243, ui::kBorder | ui::kSingleSel},
    {ControlKind::DefButton,   IDOK,                 "OK",    150, 383,  50,  14},
    {ControlKind::Button,      IDCANCEL,             "Cancel", 229, 383,  50,  14},
};

constexpr ResizeAnchor kAnchors[] = {
    // id                    hA             hB             vA            vB            flags posX  sizeX  posY  sizeY
    {IDC_MATCH_LIST,       ResizeStretch, ResizeStretch, ResizeKeep,   ResizeKeep,   0, -1.0, -1.0, -1.0, -1.0},
    {IDC_MATCH_TRACK_LIST, ResizeStretch, ResizeStretch, ResizeStretch, ResizeStretch, 0, -1.0, -1.0, -1.0, -1.0},
    {IDOK,                 ResizeCentre,  ResizeCentre,  ResizeMove,   ResizeMove,   0, -1.0, -1.0, -1.0, -1.0},
    {IDCANCEL,             ResizeCentre,  ResizeCentre,  ResizeMove,   ResizeMove,   0, -1.0, -1.0, -1.0, -1.0},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kFreeDBChoiceDialog{IDD_FREEDB_CHOICE, "Please select a CDDB listing", 429, 404,
                                             ui::kDialogDefault | ui::kDialogResizable, kItems};
const std::span<const ResizeAnchor> kFreeDBChoiceAnchors{kAnchors};

}  // namespace res

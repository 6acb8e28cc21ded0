// Template and anchors of the ripping-progress dialog.
#include "res/ripping_progress_dialog.h"

#include "ui/core/win_types.h"

namespace res {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kItems[] = {
    // kind                    id                             text                 x    y    w    h   style
    {ControlKind::GroupBox,    IDC_RIP_TRACK_GROUP,           "Track Progress",    7,   4, 354,  48},
    {ControlKind::Progress,    IDC_RIP_TRACK_BAR,             "",                 14,  17, 340,  10},
    {ControlKind::Static,      IDC_RIP_TRACK_DONE_LABEL,      "Done:",            14,  35,  24,   8},
    {ControlKind::Static,      IDC_RIP_TRACK_PERCENT,         "0.00%",            40,  35,  40,   8},
    {ControlKind::Static,      IDC_RIP_TRACK_SPEED_LABEL,     "Speed:",           96,  35,  26,   8},
    {ControlKind::Static,      IDC_RIP_TRACK_SPEED,           "0.00x",           124,  35,  40,   8},
    {ControlKind::Static,      IDC_RIP_TRACK_ELAPSED_LABEL,   "Elapsed:",        178,  35,  32,   8},
    {ControlKind::Static,      IDC_RIP_TRACK_ELAPSED,         "00:00:00",        212,  35,  44,   8},
    {ControlKind::Static,      IDC_RIP_TRACK_ETA_LABEL,       "ETA:",            272,  35,  20,   8},
    {ControlKind::Static,      IDC_RIP_TRACK_ETA,             "00:00:00",        294,  35,  44,   8},
    {ControlKind::GroupBox,    IDC_RIP_OVERALL_GROUP,         "Overall Progress",  7,  56, 354,  48},
    {ControlKind::Progress,    IDC_RIP_OVERALL_BAR,           "",                 14,  69, 340,  10},
    {ControlKind::Static,      IDC_RIP_OVERALL_DONE_LABEL,    "Done:",            14,  87,  24,   8},
    {ControlKind::Static,      IDC_RIP_OVERALL_PERCENT,       "0.00%",            40,  87,  40,   8},
    {ControlKind::Static,      IDC_RIP_OVERALL_SPEED_LABEL,   "Speed:",           96,  87,  26,   8},
    {ControlKind::Static,      IDC_RIP_OVERALL_SPEED,         "0.00x",           124,  87,  40,   8},
    {ControlKind::Static,      IDC_RIP_OVERALL_ELAPSED_LABEL, "Elapsed:",        178,  87,  32,   8},
    {ControlKind::Static,      IDC_RIP_OVERALL_ELAPSED,       "00:00:00",        212,  87,  44,   8},
    {ControlKind::Static,      IDC_RIP_OVERALL_ETA_LABEL,     "ETA:",            272,  87,  20,   8},
    {ControlKind::Static,      IDC_RIP_OVERALL_ETA,           "00:00:00",        294,  87,  44,   8},
    {ControlKind::Static,      IDC_RIP_STATUS,                "",                  7, 110, 354,   9, ui::kNoPrefix},
    {ControlKind::Button,      IDC_RIP_LOG,                   "Log",             104, 126,  50,  14},
    {ControlKind::Button,      IDC_RIP_PAUSE,                 "Pause",           159, 126,  50,  14},
    {ControlKind::Button,      IDCANCEL,                      "Cancel",          214, 126,  50,  14},
};

constexpr ResizeAnchor kAnchors[] = {
    // id                            hA hB vA vB flags                    posX  sizeX  posY  sizeY
    {IDC_RIP_TRACK_GROUP,             1, 1, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_GROUP,           1, 1, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_BAR,               1, 1, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_BAR,             1, 1, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_STATUS,                  1, 1, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_DONE_LABEL,        3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_PERCENT,           3, 3, 0, 0, kResizeExcludeFromErase, -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_SPEED_LABEL,       3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_SPEED,             3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_ELAPSED_LABEL,     3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_ELAPSED,           3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_ETA_LABEL,         3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_TRACK_ETA,               3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_DONE_LABEL,      3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_PERCENT,         3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_SPEED_LABEL,     3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_SPEED,           3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_ELAPSED_LABEL,   3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_ELAPSED,         3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_ETA_LABEL,       3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_OVERALL_ETA,             3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_LOG,                     3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDC_RIP_PAUSE,                   3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
    {IDCANCEL,                        3, 3, 0, 0, 0,                       -1.0, -1.0, -1.0, -1.0},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kRippingProgressDialog{
    IDD_RIPPING_PROGRESS, "Ripping Progress", 368, 146, ui::kDialogDefault | ui::kDialogResizable, kItems};
const std::span<const ResizeAnchor> kRippingProgressAnchors{kAnchors};

}  // namespace res

// Template and anchors of the log window.
#include "res/main_dialog.h"
#include "ui/core/win_types.h"

namespace res {

namespace {

using ui::ControlKind;

constexpr ui::DialogItem kItems[] = {
    // kind                    id              text      x    y    w    h   style
    {ControlKind::ListReport,  IDC_LOG_LIST,   "",       7,   7, 400, 166, ui::kBorder | ui::kShowSelAlways},
    {ControlKind::DefButton,   IDC_LOG_OK,     "OK",   148, 180,  50,  14},
    {ControlKind::Button,      IDC_LOG_CLEAR,  "Clear", 216, 180,  50,  14},
};

constexpr ResizeAnchor kAnchors[] = {
    // id             hA             hB             vA            vB            flags  posX  sizeX  posY  sizeY
    {IDC_LOG_LIST,  ResizeStretch, ResizeStretch, ResizeStretch, ResizeStretch, 0, -1.0, -1.0, -1.0, -1.0},
    {IDC_LOG_OK,    ResizeCentre,  ResizeCentre,  ResizeMove,    ResizeMove,    0, -1.0, -1.0, -1.0, -1.0},
    {IDC_LOG_CLEAR, ResizeCentre,  ResizeCentre,  ResizeMove,    ResizeMove,    0, -1.0, -1.0, -1.0, -1.0},
};

}  // namespace

const ui::DialogTemplate kLogDialog{IDD_LOG_DIALOG, "Log", 414, 201, ui::kDialogDefault | ui::kDialogResizable,
                                    kItems};
const std::span<const ResizeAnchor> kLogDialogAnchors{kAnchors};

}  // namespace res

// Template of the tip of the day.
#include "res/small_dialogs.h"
#include "ui/core/win_types.h"

namespace res {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kItems[] = {
    // kind                    id                text                     x    y    w    h   style
    {ControlKind::Custom,      IDC_TIP_FRAME,    "",                     12,  11, 246, 123},
    {ControlKind::Picture,     IDC_TIP_PICTURE,  "",                     20,  15,  18,  18},
    {ControlKind::Custom,      IDC_TIP_TEXT,     "",                     57,  42, 193,  84},
    {ControlKind::CheckBox,    IDC_TIP_STARTUP,  "&Show tips on startup", 12, 146, 100,  14},
    {ControlKind::Button,      IDC_TIP_NEXT,     "Next tip",            147, 146,  50,  14},
    {ControlKind::DefButton,   IDOK,             "OK",                  208, 146,  50,  14},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kTipDialog{IDD_TIP, "Tip of the Day", 270, 169, ui::kDialogDefault, kItems};

}  // namespace res

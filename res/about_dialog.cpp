// Template of the About box.
#include "res/small_dialogs.h"
#include "ui/core/win_types.h"

namespace res {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kItems[] = {
    // kind                    id                      text                      x    y    w    h   style
    {ControlKind::Picture,     IDC_ABOUT_ICON,         "",                      14,  14,  21,  20},
    {ControlKind::Static,      IDC_ABOUT_NAME,         "Quarno CD Ripper Free", 45,  14, 170,  10, ui::kNoPrefix},
    {ControlKind::Static,      IDC_ABOUT_VERSION,      "",                      45,  28, 170,   8, ui::kNoPrefix},
    {ControlKind::GroupBox,    IDC_STATIC,             "Contact",                7,  48, 213,  58},
    {ControlKind::Static,      IDC_STATIC,             "Home page:",            16,  64,  44,   8},
    {ControlKind::Static,      IDC_ABOUT_HOME_LINK,    "",                      62,  64, 150,   8},
    {ControlKind::Static,      IDC_STATIC,             "Support:",              16,  84,  44,   8},
    {ControlKind::Static,      IDC_ABOUT_SUPPORT_LINK, "",                      62,  84, 150,   8},
    {ControlKind::DefButton,   IDOK,                   "OK",                    88, 120,  50,  14},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kAboutDialog{IDD_ABOUTBOX, "About Quarno CD Ripper Free", 227, 143, ui::kDialogDefault,
                                      kItems};

}  // namespace res

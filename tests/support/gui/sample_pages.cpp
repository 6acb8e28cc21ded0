// Templates of the sample property pages.
#include "tests/support/gui/sample_pages.h"

#include "ui/core/win_types.h"

namespace sample {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kSourceItems[] = {
    // kind                    id                  text                                   x    y    w    h   style
    {ControlKind::GroupBox,    IDC_SOURCE_GROUP,   "FreeDB Source",                       7,   7, 246,  58},
    {ControlKind::Radio,       IDC_SOURCE_BOTH,    "Both Remote and Local",              16,  20, 200,  10, ui::kGroup},
    {ControlKind::Radio,       IDC_SOURCE_REMOTE,  "Remote only (from FreeDB Servers)",  16,  33, 200,  10},
    {ControlKind::Radio,       IDC_SOURCE_LOCAL,   "Local only (from Harddisk Files)",   16,  46, 200,  10},
    {ControlKind::CheckBox,    IDC_SOURCE_SAVE,    "Save Remote Album Information",       7,  74, 200,  10, ui::kGroup},
    {ControlKind::Static,      IDC_STATIC,         "Local FreeDB Path:",                  7,  92, 100,   9},
    {ControlKind::Edit,        IDC_SOURCE_FOLDER,  "",                                    7, 104, 216,  12},
    {ControlKind::Button,      IDC_SOURCE_BROWSE,  "....",                              227, 103,  26,  14},
};

constexpr ui::DialogItem kNamingItems[] = {
    {ControlKind::Static,      IDC_STATIC,           "Destination Folder:",   7,   9,  80,   9},
    {ControlKind::Edit,        IDC_NAMING_FOLDER,    "",                     90,   7, 163,  12},
    {ControlKind::Static,      IDC_STATIC,           "Separator:",            7,  29,  80,   9},
    {ControlKind::Edit,        IDC_NAMING_SEPARATOR, "",                     90,  27,  30,  12},
    {ControlKind::Static,      IDC_STATIC,           "Year:",                 7,  49,  80,   9},
    {ControlKind::Edit,        IDC_NAMING_YEAR,      "",                     90,  47,  40,  12, ui::kAlignCentre},
    {ControlKind::CheckBox,    IDC_NAMING_TAGS,      "Write ID3 Tags",        7,  69, 150,  10},
};

constexpr ui::DialogItem kFormatItems[] = {
    {ControlKind::Static,      IDC_STATIC,       "Audio Format:",         7,   9,  80,   9},
    {ControlKind::ComboDropList, IDC_FORMAT_KIND, "",                    90,   7, 163,  60},
    {ControlKind::Static,      IDC_STATIC,       "Sampling Frequency:",   7,  31,  80,   9},
    {ControlKind::ComboDropList, IDC_FORMAT_RATE, "",                    90,  29, 163,  60},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kSourcePage{IDD_SAMPLE_SOURCE_PAGE, "FreeDB",    260, 130,
                                     ui::kDialogDefault,     kSourceItems};
const ui::DialogTemplate kNamingPage{IDD_SAMPLE_NAMING_PAGE, "Output",    260, 130,
                                     ui::kDialogDefault,     kNamingItems};
const ui::DialogTemplate kFormatPage{IDD_SAMPLE_FORMAT_PAGE, "Encoder",   260, 130,
                                     ui::kDialogDefault,     kFormatItems};

}  // namespace sample

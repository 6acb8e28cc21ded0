// Template of the main window and the tables of its two toolbars.
#include "res/main_dialog.h"

namespace res {

namespace {

using ui::ControlKind;

constexpr uint32_t kListStyle =
    ui::kSingleSel | ui::kShowSelAlways | ui::kEditLabels | ui::kNoSortHeader | ui::kBorder;

constexpr ui::DialogItem kItems[] = {
    // kind                      id                 text          x    y    w    h   style
    {ControlKind::GroupBox,      IDC_DRIVES_GROUP,  "Drive(s)",   7,  35, 158,  47},
    // Not sorted: the n-th line is the n-th drive, whatever its path.
    {ControlKind::ComboDropList, IDC_DRIVE_COMBO,   "",          13,  54, 148,  84, ui::kVScroll},
    {ControlKind::Trackbar,      IDC_SEEK_SLIDER,   "",         177,  47, 240,  12, ui::kNoTicks},
    {ControlKind::Static,        IDC_TIME_LABEL,    "00:00",    175,  66,  29,   9, ui::kAlignCentre},
    {ControlKind::Trackbar,      IDC_VOLUME_SLIDER, "",         365,  65,  52,  12, ui::kNoTicks},
    {ControlKind::ListReport,    IDC_TRACK_LIST,    "",           7,  86, 639, 215, kListStyle},
    {ControlKind::GroupBox,      IDC_PLAYER_GROUP,  "CD Player", 170,  36, 253,  47},
};

constexpr ToolButton kMainButtons[] = {
    {ID_PLAY_REFRESH, kImageRefresh},       {ID_FILE_VIEWLOG, kImageViewLog},
    {ID_EDIT_CDINFO, kImageEditInfo},       {ID_FORMAT_BUTTON, kImageFormatMp3},
    {ID_OPERATION_RIP, kImageRip},          {ID_OPERATION_OPTIONS, kImageOptions},
    {ID_HELP_DOWNLOAD, kImageDownload},     {ID_HELP_CONTENTS, kImageHelp},
    {ID_HELP_ABOUT, kImageAbout},
};

constexpr ToolButton kPlayerButtons[] = {
    {ID_PLAY_PREVIOUS, kImagePrevious}, {ID_PLAY_PLAY, kImagePlay}, {ID_PLAY_PAUSE, kImagePause},
    {ID_PLAY_STOP, kImageStop},         {ID_PLAY_NEXT, kImageNext}, {ID_PLAY_EJECT, kImageEject},
};

}  // namespace

const ui::DialogTemplate kMainDialog{
    IDD_QUARNOCDRIPPER_DIALOG, "Quarno CD Ripper Free 6.7.1", 653, 319,
    ui::kDialogDefault | ui::kDialogResizable | ui::kDialogMinBox | ui::kDialogMaxBox, kItems};

const std::span<const ToolButton> kMainToolButtons{kMainButtons};
const std::span<const ToolButton> kPlayerToolButtons{kPlayerButtons};

}  // namespace res

// Templates of the three option pages.
#include "res/option_pages.h"

#include "ui/core/win_types.h"

namespace res {

namespace {

using ui::ControlKind;

// clang-format off
constexpr ui::DialogItem kFreeDBItems[] = {
    // kind                      id                         text                                               x    y    w    h   style
    {ControlKind::GroupBox,      IDC_FREEDB_SOURCE_GROUP,   "FreeDB Source",                                   7,   7, 266,  60},
    {ControlKind::Radio,         IDC_SOURCE_BOTH,           "Both Remote and Local ",                         16,  21, 248,  10, ui::kGroup},
    {ControlKind::Radio,         IDC_SOURCE_REMOTE_ONLY,    "Remote only (from FreeDB Servers)",              16,  35, 248,  10},
    {ControlKind::Radio,         IDC_SOURCE_LOCAL_ONLY,     "Local only  (from Harddisk Files)",              16,  49, 248,  10},
    {ControlKind::CheckBox,      IDC_SAVE_ALBUM_INFO,       "Save Remote Album Information to Local Files ",   7,  76, 266,  10, ui::kGroup},
    {ControlKind::CheckBox,      IDC_LOAD_ALBUM_INFO,       "Load FreeDB Information when Audio CD Inserted",  7,  90, 266,  10},
    {ControlKind::Static,        IDC_STATIC,                "Local FreeDB Path:",                              7, 110, 150,   9},
    {ControlKind::Edit,          IDC_LOCAL_CDDB_DIR,        "",                                                7, 121, 234,  13},
    {ControlKind::Button,        IDC_BROWSE_LOCAL_CDDB_DIR, "....",                                          245, 120,  28,  15},
};

constexpr ui::DialogItem kOutputItems[] = {
    {ControlKind::Static,        IDC_STATIC,                "Destination Directory:",                          7,   7, 150,   9},
    {ControlKind::Edit,          IDC_DESTINATION_DIR,       "",                                                7,  18, 234,  13},
    {ControlKind::Button,        IDC_BROWSE_DESTINATION,    "...",                                           245,  17,  28,  15},
    {ControlKind::Static,        IDC_STATIC,                "Filename Style:",                                 7,  40, 150,   9},
    {ControlKind::ComboDropList, IDC_FILE_STYLE,            "",                                                7,  51, 266, 120, ui::kVScroll},
    {ControlKind::Static,        IDC_STATIC,                "Delimiter:",                                      7,  75,  50,   9},
    {ControlKind::Edit,          IDC_SEPARATOR,             "",                                               60,  73,  30,  13},
    {ControlKind::CheckBox,      IDC_FILL_TAG,              "Write Metadata",                                  7,  95, 150,  10},
    {ControlKind::CheckBox,      IDC_WRITE_LOG,             "Write Log File",                                  7, 109, 150,  10},
    {ControlKind::CheckBox,      IDC_CREATE_PLAYLIST,       "Create Playlist",                                 7, 123, 150,  10},
    {ControlKind::Static,        IDC_STATIC,                "Filename Preview:",                               7, 143, 150,   9},
    {ControlKind::Edit,          IDC_FILE_NAME_PREVIEW,     "",                                                7, 154, 266,  13, ui::kReadOnly},
    {ControlKind::Button,        IDC_RESET_OUTPUT,          "Reset",                                         223, 219,  50,  15},
};

constexpr ui::DialogItem kEncoderItems[] = {
    {ControlKind::Static,        IDC_STATIC,                "Audio Format:",                                   7,  10,  90,   9},
    {ControlKind::ComboDropList, IDC_AUDIO_FORMAT,          "",                                              100,   7, 173,  60},
    {ControlKind::Static,        IDC_SAMPLE_RATE_LABEL,     "Sampling Frequency:",                             7,  34,  90,   9},
    {ControlKind::ComboDropList, IDC_SAMPLE_RATE,           "",                                              100,  31, 173, 120, ui::kVScroll},
    {ControlKind::Static,        IDC_QUALITY_LABEL,         "Bits per Second:",                                7,  58,  90,   9},
    {ControlKind::ComboDropList, IDC_QUALITY,               "",                                              100,  55, 173, 120, ui::kVScroll},
    {ControlKind::Static,        IDC_CHANNELS_LABEL,        "Channel Mode:",                                   7,  82,  90,   9},
    {ControlKind::ComboDropList, IDC_CHANNELS,              "",                                              100,  79, 173,  60},
    {ControlKind::Static,        IDC_MP3_RATE_NOTE,         "The bitrate valid only for stereo 44100 Hz.",   100, 103, 173,   9, ui::kHidden},
};
// clang-format on

}  // namespace

const ui::DialogTemplate kFreeDBOptionPage{IDD_FREEDB_OPTION_PAGE, "FreeDB",    280, 240,
                                           ui::kDialogDefault,     kFreeDBItems};
const ui::DialogTemplate kOutputOptionPage{IDD_OUTPUT_OPTION_PAGE, "Output",    280, 240,
                                           ui::kDialogDefault,     kOutputItems};
const ui::DialogTemplate kEncoderOptionPage{IDD_ENCODER_OPTION_PAGE, "Encoder",    280, 241,
                                            ui::kDialogDefault,      kEncoderItems};

}  // namespace res

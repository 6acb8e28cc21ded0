// The options sheet's page templates and control ids: the CDDB ("FreeDB")
// page, the Output page and the Encoder page.
#pragma once

#include "ui/core/dialog_table.h"

namespace res {

// CDDB page.
inline constexpr int IDD_FREEDB_OPTION_PAGE = 132;
inline constexpr int IDC_FREEDB_SOURCE_GROUP = 1076;
inline constexpr int IDC_SOURCE_BOTH = 1025;  // first of the three source radios
inline constexpr int IDC_SOURCE_REMOTE_ONLY = 1026;
inline constexpr int IDC_SOURCE_LOCAL_ONLY = 1027;
inline constexpr int IDC_SAVE_ALBUM_INFO = 1028;
inline constexpr int IDC_LOAD_ALBUM_INFO = 1041;
inline constexpr int IDC_LOCAL_CDDB_DIR = 1042;
inline constexpr int IDC_BROWSE_LOCAL_CDDB_DIR = 1043;
extern const ui::DialogTemplate kFreeDBOptionPage;

// Output page.
inline constexpr int IDD_OUTPUT_OPTION_PAGE = 106;
inline constexpr int IDC_DESTINATION_DIR = 1057;
inline constexpr int IDC_BROWSE_DESTINATION = 1058;
inline constexpr int IDC_FILE_STYLE = 1059;
inline constexpr int IDC_SEPARATOR = 1130;
inline constexpr int IDC_FILL_TAG = 1061;
inline constexpr int IDC_WRITE_LOG = 1063;
inline constexpr int IDC_CREATE_PLAYLIST = 1066;
inline constexpr int IDC_FILE_NAME_PREVIEW = 1062;
inline constexpr int IDC_RESET_OUTPUT = 1129;
extern const ui::DialogTemplate kOutputOptionPage;

// Encoder page.
inline constexpr int IDD_ENCODER_OPTION_PAGE = 432;
inline constexpr int IDC_AUDIO_FORMAT = 1056;
inline constexpr int IDC_SAMPLE_RATE_LABEL = 1075;
inline constexpr int IDC_SAMPLE_RATE = 1079;
inline constexpr int IDC_QUALITY_LABEL = 1076;  // "Bits per Second:" or "Codec:"
inline constexpr int IDC_QUALITY = 1080;        // bit rates (MP3) or sample formats (WAV)
inline constexpr int IDC_CHANNELS_LABEL = 1077;
inline constexpr int IDC_CHANNELS = 1081;
inline constexpr int IDC_MP3_RATE_NOTE = 1253;  // shown only while MP3 is selected
extern const ui::DialogTemplate kEncoderOptionPage;

}  // namespace res

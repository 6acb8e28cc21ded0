// The user's settings. Each setting is a process-wide variable named by its
// key in the settings file "Quarno CD Ripper.ini" in the data folder. They
// start with their built-in values, are loaded once at start-up, changed in
// memory while the program runs and written back once at exit.
//
// The settings are read by the rip, player and disc threads without a lock:
// nothing changes them while those threads run (the rip dialog is modal and
// the option pages refuse to apply during a disc refresh).
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ILogSink;

// The longest path the system takes, in bytes, with its terminating NUL. A
// folder setting (DesDir, LocalCDDBDir) must be shorter: the loader refuses a
// longer one, and the Output page refuses to apply a longer DesDir.
inline constexpr std::size_t kMaxPathBytes = PATH_MAX;

// What keeps a folder from being a folder setting, tested in this order:
// empty, too long (kMaxPathBytes bytes or more), holding a control character
// (U+0000 to U+001F, U+007F, e.g. a pasted line break), not a full path (not
// starting with "/": it would be taken from the working folder). The option
// pages refuse such a folder, the loader replaces it by its default.
enum class FolderFault { None, Empty, ControlCharacter, NotAbsolute, TooLong };
FolderFault CheckFolderSetting(std::string_view folder);

// A folder as the user typed or pasted it into an option page, before it is
// checked: white space removed at both ends, then a leading "~" standing
// alone or followed by "/" replaced by the user's home folder.
std::string TidyTypedFolder(std::string_view typed);

// [MISC]
extern int16_t DbClk;       // double-click on a track: -1 ask, 0 play, 1 rip
extern int16_t DriveCount;  // number of CD drives found at the last start
extern int16_t DriveNum;    // index of the selected drive
extern uint16_t LastPage;   // options page shown first: 0 CDDB, 1 Output, 2 Encoder
// [FREEDB]
extern int16_t AlbumInfoSource;   // 0 local then remote, 1 remote only, 2 local only
extern int32_t SaveAlbumInfo;     // save a remote result as a local cache file
extern int32_t LoadAlbumInfo;     // look album data up on insert / refresh
extern std::string LocalCDDBDir;  // folder of the local cache files
// [OUTPUT]
extern int16_t OutputFormat;   // 1 WAV, 2 MP3
extern int16_t FileStyle;      // file-name template 0..12
extern uint16_t Volume;        // playback volume in percent
extern int32_t M3U;            // write a playlist while ripping
extern int32_t FillTag;        // write ID3 tags into MP3 files
extern int32_t WriteLog;       // append event-log lines to the log file
extern std::string DesDir;     // destination folder, with a trailing '/'
extern std::string Separator;  // between the parts of a file name, at most 3 characters
// [WAV]
extern int16_t SubFormat;  // 0 unsigned 8-bit PCM, 1 signed 16-bit PCM
extern int16_t Freq;       // index into SampleRates
extern int32_t Channel;    // 0 mono, 1 stereo
// [MP3]
extern int16_t LameFreq;     // index into SampleRates
extern int16_t LameBits;     // index into MP3Bitrates
extern int16_t LameChannel;  // 0 mono, 1 stereo, 2 joint stereo, 3 dual channel

// Fixed values without a key in the file.
inline constexpr int16_t MaxReadRetries = 5;  // retries of a failed sector read
inline constexpr int16_t LameQuality = 9;     // quality given to the MP3 encoder
inline constexpr int32_t UseProxy = 0;        // nothing sets it: the CDDB client connects directly
inline constexpr int32_t ProxyAuth = 0;
inline constexpr std::string_view ProxyHost = "";
inline constexpr int32_t ProxyPort = 80;
inline constexpr std::string_view ProxyUser = "";
inline constexpr std::string_view ProxyPassword = "";

// Sample rates in Hz; the option pages offer indices 0 to 8, 7 is the CD rate.
inline constexpr size_t kSampleRateCount = 11;
inline constexpr uint32_t SampleRates[kSampleRateCount] = {8000,  11025, 12000, 16000, 22050, 24000,
                                                           32000, 44100, 48000, 88200, 96000};
// Constant MP3 bit rates in kbps (indices 0 to 16) and a terminating 0.
inline constexpr size_t kMP3BitrateCount = 17;
inline constexpr int16_t MP3Bitrates[kMP3BitrateCount + 1] = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                                                              96, 112, 128, 160, 192, 224, 256, 320, 0};

// Set by the application at start-up (the program file's folder and the data
// folder, both without a trailing '/').
extern std::string ProgramFolder;
extern std::string DataFolder;

// File name of the settings file in the data folder.
inline constexpr const char* kSettingsFileName = "Quarno CD Ripper.ini";
// DataFolder + "/Quarno CD Ripper.ini", built from the current DataFolder.
std::string SettingsFilePath();

// The texts reported when the file cannot be read or written.
inline constexpr const char* kLoadSettingsError = "Error on loading settings!";
inline constexpr const char* kSaveSettingsError = "Error on saving settings!";
// kSaveSettingsError followed by the keys that were not saved, e.g.
// "Error on saving settings! Not saved: LocalCDDBDir."
std::string SaveSettingsSkippedText(const std::vector<std::string>& keys);

// Shows a text in a message box with the error icon. The application passes
// its message-box service; tests record the text.
using ErrorBoxFn = std::function<void(const std::string& text)>;

// Loads every setting from the settings file. A missing file or key gives the
// key's default. Returns 1 when all keys were read. On a failure (a file that
// exists but cannot be read) the log receives kLoadSettingsError at LogError,
// `showError` is called with the same text, and 0 is returned; settings read
// before the failure keep their new values, the others their current ones.
// A value outside its range (an index outside its table, an unknown format,
// source, channel mode or double-click action, a volume above 100, a drive
// beyond the saved drive count, an options page beyond the last) is replaced
// by its load default with a LogError line naming key, value and default.
// SubFormat follows its own rule (above 1 reads as 1) and FileStyle is kept
// as it is. The two folders are kept whole, DesDir given its trailing "/"
// when it lacks one; a folder that CheckFolderSetting faults (longer than a
// path may be, not a full path, holding a control character) is replaced by
// its default, also with a LogError line. Separator is cleaned as the Output
// page cleans what is typed (CleanSeparator), so a value from the file names
// files as the same value applied on the page would.
// `log` and `showError` may be null.
int LoadSettings(ILogSink* log, const ErrorBoxFn& showError);

// Writes every setting back, in one rewrite of the file. Returns 1 when all
// keys were written; on a failure reports kSaveSettingsError as above and
// returns 0. A value that cannot be stored in the file (a line break) is
// skipped and every other key still written; the report then names the
// settings left out (SaveSettingsSkippedText). MISC Tip is not written here.
int SaveSettings(ILogSink* log, const ErrorBoxFn& showError);

// Drive memory at start-up, once the drive list is filled: selects the saved
// DriveNum when `drivesFound` equals the saved DriveCount (and DriveNum is a
// valid index), else drive 0; no drives select -1. Sets DriveCount to
// `drivesFound` and DriveNum to the selection, and returns the selection.
int SelectSavedDrive(int drivesFound);

// " %5d Hz; " with SampleRates[rateIndex], then " Mono;" for 1 channel and
// " Stereo;" otherwise.
std::string FormatRateAndChannels(int rateIndex, int channels);

// The output-format text of status pane 2 and the log line that goes with it
// (either may be empty: an unknown OutputFormat gives neither, an unknown WAV
// SubFormat gives no log line).
struct FormatStatus {
  std::string text;            // for status pane 2 (kind 3)
  std::string logLine;         // for the event log at LogInfo
  bool logBeforeText = false;  // WAV logs before the pane changes, MP3 after
};
FormatStatus FormatStatusText();

// The "show tip at start" flag (MISC Tip, default 1), read and written
// directly in the settings file by the tip dialog and the start-up timer.
int ReadTipSetting();
bool WriteTipSetting(int show);

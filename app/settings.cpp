// The user's settings: their built-in values, loading and saving them, the
// drive memory, and the output-format text of the status bar.
#include "app/settings.h"

#include <fmt/printf.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>
#include <string_view>

#include "platform/folders.h"
#include "platform/ini_file.h"
#include "platform/log_sink.h"
#include "rip/file_name_templates.h"
#include "rip/file_naming.h"

int16_t DbClk = -1;
int16_t DriveCount = 0;
int16_t DriveNum = 0;
uint16_t LastPage = 1;
int16_t AlbumInfoSource = 0;
int32_t SaveAlbumInfo = 1;
int32_t LoadAlbumInfo = 1;
std::string LocalCDDBDir = "./Local CDDB";
int16_t OutputFormat = 2;
int16_t FileStyle = 11;
uint16_t Volume = 100;
int32_t M3U = 1;
int32_t FillTag = 1;
int32_t WriteLog = 0;
std::string DesDir = "./Output/";
std::string Separator = "-";
int16_t SubFormat = 1;
int16_t Freq = 7;
int32_t Channel = 1;
int16_t LameFreq = 7;
int16_t LameBits = 11;
int16_t LameChannel = 2;

std::string ProgramFolder;
std::string DataFolder;

namespace {

constexpr int16_t kDefaultRateIndex = 7;      // 44100 Hz
constexpr int16_t kDefaultBitrateIndex = 11;  // 128 kbps

// The rate and bit rate for an index, never reading outside the tables: an
// index that is not in the table stands for the default.
uint32_t SampleRateAt(int index) {
  if (index < 0 || static_cast<size_t>(index) >= kSampleRateCount) index = kDefaultRateIndex;
  return SampleRates[index];
}

int MP3BitrateAt(int index) {
  if (index < 0 || static_cast<size_t>(index) >= kMP3BitrateCount) index = kDefaultBitrateIndex;
  return MP3Bitrates[index];
}

void Report(ILogSink* log, const ErrorBoxFn& showError, const std::string& text) {
  if (log != nullptr) log->AddLog(text, LogError);
  if (showError) showError(text);
}

// A value from the file with a fixed range: kept when the variable, cut to
// its width, lies inside [low, high], else the key's load default, with a log
// line that says so. The line names the value as read (32 bits, so a longer
// number shows wrapped, as Windows reads it).
template <typename T>
T Checked(const char* key, int value, int low, int high, T fallback, ILogSink* log) {
  const auto cut = static_cast<T>(value);
  if (cut >= low && cut <= high) return cut;
  if (log != nullptr) {
    log->AddLog(fmt::format("Setting {}={} is out of range; using {}.", key, value, fallback), LogError);
  }
  return fallback;
}

// A folder from the file: kept whole as long as the option pages would take
// it, with a trailing "/" added when `withSlash` asks for one; otherwise the
// load default, with a log line (a value too long to be a path is left out
// of it: it may be megabytes long).
std::string CheckedPath(const IniFile& ini, const char* section, const char* key, const std::string& fallback,
                        bool withSlash, ILogSink* log) {
  std::string value = ini.GetString(section, key, fallback, std::numeric_limits<size_t>::max());
  const std::string asRead = value;
  if (withSlash && !value.empty() && value.back() != kPathSeparator) value += kPathSeparator;
  const FolderFault fault = CheckFolderSetting(value);
  if (fault == FolderFault::None) return value;
  if (log != nullptr) {
    std::string line;
    if (fault == FolderFault::TooLong) {
      line = fmt::format("Setting {} is longer than a path may be ({} bytes); using {}.", key, value.size(),
                         fallback);
    } else if (fault == FolderFault::ControlCharacter) {
      line = fmt::format("Setting {}=\"{}\" holds a control character; using {}.", key, asRead, fallback);
    } else {
      line = fmt::format("Setting {}=\"{}\" is not a full path; using {}.", key, asRead, fallback);
    }
    log->AddLog(line, LogError);
  }
  return fallback;
}

void LoadAllKeys(ILogSink* log) {
  const std::string path = SettingsFilePath();
  IniFile ini;
  ini.Load(path);
  auto readInt = [&](const char* section, const char* key, int fallback) {
    return ini.GetInt(section, key, fallback);
  };
  DbClk = Checked<int16_t>("DbClk", readInt("MISC", "DbClk", -1), -1, 1, -1, log);
  DriveCount = static_cast<int16_t>(readInt("MISC", "DriveCount", 0));
  // The drive list of the last start had DriveCount entries.
  DriveNum = Checked<int16_t>("DriveNum", readInt("MISC", "DriveNum", 0), 0, std::max<int>(DriveCount, 1) - 1,
                              0, log);
  LastPage = Checked<uint16_t>("LastPage", readInt("MISC", "LastPage", 1), 0, 2, 1, log);
  AlbumInfoSource =
      Checked<int16_t>("AlbumInfoSource", readInt("FREEDB", "AlbumInfoSource", 0), 0, 2, 0, log);
  SaveAlbumInfo = readInt("FREEDB", "SaveAlbumInfo", 1);
  LoadAlbumInfo = readInt("FREEDB", "LoadAlbumInfo", 1);
  LocalCDDBDir = CheckedPath(ini, "FREEDB", "LocalCDDBDir", DataFolder + "/Local CDDB", false, log);

  OutputFormat = Checked<int16_t>("OutputFormat", readInt("OUTPUT", "OutputFormat", 2), 1, 2, 2, log);
  // Any template number is safe: naming has its own rule for unknown ones.
  FileStyle = static_cast<int16_t>(readInt("OUTPUT", "FileStyle", 11));
  Volume = Checked<uint16_t>("Volume", readInt("OUTPUT", "Volume", 100), 0, 100, 100, log);
  M3U = readInt("OUTPUT", "M3U", 1);
  FillTag = readInt("OUTPUT", "FillTag", 1);
  WriteLog = readInt("OUTPUT", "WriteLog", 0);
  DesDir = CheckedPath(ini, "OUTPUT", "DesDir", GetMusicFolder(), true, log);
  Separator = CleanSeparator(ini.GetString("OUTPUT", "Separator", "-", kMaxSeparatorChars + 1));

  SubFormat = static_cast<int16_t>(readInt("WAV", "SubFormat", 1));
  if (SubFormat > 1) SubFormat = 1;
  Freq = Checked<int16_t>("Freq", readInt("WAV", "Freq", 7), 0, kSampleRateCount - 1, 7, log);
  Channel = Checked<int32_t>("Channel", readInt("WAV", "Channel", 1), 0, 1, 1, log);
  LameFreq = Checked<int16_t>("LameFreq", readInt("MP3", "LameFreq", 7), 0, kSampleRateCount - 1, 7, log);
  LameBits = Checked<int16_t>("LameBits", readInt("MP3", "LameBits", 11), 0, kMP3BitrateCount - 1, 11, log);
  LameChannel = Checked<int16_t>("LameChannel", readInt("MP3", "LameChannel", 2), 0, 3, 2, log);
}

std::string Decimal(int value) { return fmt::sprintf("%d", value); }

// Every key in one read, one write and one rename. A value that cannot be
// stored is skipped, so it costs no other key; the keys skipped are returned.
std::vector<std::string> SaveAllKeys() {
  const std::string path = SettingsFilePath();
  std::vector<std::string> skipped;
  const bool written = UpdatePrivateProfile(path, [&](IniFile& ini) {
    auto put = [&](const char* section, const char* key, const std::string& value) {
      try {
        ini.Set(section, key, value);
      } catch (const std::invalid_argument&) {
        skipped.emplace_back(key);
      }
    };
    put("MISC", "DbClk", Decimal(DbClk));
    put("MISC", "DriveCount", Decimal(DriveCount));
    put("MISC", "DriveNum", Decimal(DriveNum));
    put("MISC", "LastPage", Decimal(LastPage));
    put("FREEDB", "AlbumInfoSource", Decimal(AlbumInfoSource));
    put("FREEDB", "SaveAlbumInfo", Decimal(SaveAlbumInfo));
    put("FREEDB", "LoadAlbumInfo", Decimal(LoadAlbumInfo));
    put("FREEDB", "LocalCDDBDir", LocalCDDBDir);
    put("OUTPUT", "OutputFormat", Decimal(OutputFormat));
    put("OUTPUT", "FileStyle", Decimal(FileStyle));
    put("OUTPUT", "Volume", Decimal(Volume));
    put("OUTPUT", "M3U", Decimal(M3U));
    put("OUTPUT", "WriteLog", Decimal(WriteLog));
    put("OUTPUT", "FillTag", Decimal(FillTag));
    put("OUTPUT", "DesDir", DesDir);
    put("OUTPUT", "Separator", Separator);
    put("WAV", "SubFormat", Decimal(SubFormat));
    put("WAV", "Freq", Decimal(Freq));
    put("WAV", "Channel", Decimal(Channel));
    put("MP3", "LameFreq", Decimal(LameFreq));
    put("MP3", "LameBits", Decimal(LameBits));
    put("MP3", "LameChannel", Decimal(LameChannel));
    return true;
  });
  if (!written) throw IniFileError(path, "cannot write settings to", errno);
  return skipped;
}

}  // namespace

std::string SettingsFilePath() { return DataFolder + kPathSeparator + kSettingsFileName; }

FolderFault CheckFolderSetting(std::string_view folder) {
  if (folder.empty()) return FolderFault::Empty;
  if (folder.size() >= kMaxPathBytes) return FolderFault::TooLong;
  if (std::any_of(folder.begin(), folder.end(), IsControlByte)) return FolderFault::ControlCharacter;
  if (folder.front() != kPathSeparator) return FolderFault::NotAbsolute;
  return FolderFault::None;
}

std::string TidyTypedFolder(std::string_view typed) {
  while (!typed.empty() && IsBlankByte(typed.front())) typed.remove_prefix(1);
  while (!typed.empty() && IsBlankByte(typed.back())) typed.remove_suffix(1);
  std::string folder(typed);
  if (!folder.empty() && folder[0] == '~' && (folder.size() == 1 || folder[1] == kPathSeparator)) {
    const std::string home = GetHomeFolder();
    if (!home.empty()) folder.replace(0, 1, home);
  }
  return folder;
}

std::string SaveSettingsSkippedText(const std::vector<std::string>& keys) {
  return fmt::format("{} Not saved: {}.", kSaveSettingsError, fmt::join(keys, ", "));
}

int LoadSettings(ILogSink* log, const ErrorBoxFn& showError) {
  try {
    LoadAllKeys(log);
    return 1;
  } catch (...) {
    Report(log, showError, kLoadSettingsError);
    return 0;
  }
}

int SaveSettings(ILogSink* log, const ErrorBoxFn& showError) {
  try {
    const std::vector<std::string> skipped = SaveAllKeys();
    if (skipped.empty()) return 1;
    Report(log, showError, SaveSettingsSkippedText(skipped));
    return 0;
  } catch (...) {
    Report(log, showError, kSaveSettingsError);
    return 0;
  }
}

int SelectSavedDrive(int drivesFound) {
  int selection = 0;
  if (drivesFound <= 0) {
    selection = -1;
  } else if (drivesFound == DriveCount && DriveNum >= 0 && DriveNum < drivesFound) {
    selection = DriveNum;
  }
  DriveCount = static_cast<int16_t>(drivesFound < 0 ? 0 : drivesFound);
  DriveNum = static_cast<int16_t>(selection);
  return selection;
}

std::string FormatRateAndChannels(int rateIndex, int channels) {
  return fmt::sprintf(" %5d Hz; ", SampleRateAt(rateIndex)) + (channels == 1 ? " Mono;" : " Stereo;");
}

FormatStatus FormatStatusText() {
  FormatStatus status;
  if (OutputFormat == 2) {
    static constexpr const char* kModes[] = {" Mono;", " Stereo;", " Joint Stereo;", " Dual Channel;"};
    status.text =
        "MP3:  " + fmt::sprintf("CBR %3d kbps; %5d Hz;", MP3BitrateAt(LameBits), SampleRateAt(LameFreq));
    if (LameChannel >= 0 && LameChannel <= 3) status.text += kModes[LameChannel];
    status.logLine = "Set audio format: MP3.";
  } else if (OutputFormat == 1) {
    status.logBeforeText = true;
    if (SubFormat == 0) {
      status.logLine = "Set audio format: WAV Unsigned 8 bit PCM";
      status.text = "WAV:  Unsigned 8 bit PCM";
    } else if (SubFormat == 1) {
      status.logLine = "Set audio format: WAV Signed 16 bit PCM";
      status.text = "WAV:  Signed 16 bit PCM";
    }
    // Channel + 1 as the stored 32-bit value would wrap.
    const int channels = static_cast<int>(static_cast<uint32_t>(Channel) + 1u);
    status.text += FormatRateAndChannels(Freq, channels);
  }
  return status;
}

int ReadTipSetting() { return GetPrivateProfileInt("MISC", "Tip", 1, SettingsFilePath()); }

bool WriteTipSetting(int show) {
  return WritePrivateProfileString("MISC", "Tip", Decimal(show), SettingsFilePath());
}

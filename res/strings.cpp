// The string table: the status bar's indicator texts and, by command id, the
// text a toolbar button shows as its tooltip (a menu command's prompt for
// commands without a button).
#include <array>
#include <iterator>

#include "res/main_dialog.h"

namespace res {

namespace {

struct StringEntry {
  int id;
  std::string_view text;
};

constexpr StringEntry kStrings[] = {
    {ID_INDICATOR_EVENT, " "},
    {ID_INDICATOR_MEDIA, " "},
    {ID_INDICATOR_FORMAT, " "},
    // Main toolbar.
    {ID_PLAY_REFRESH, "Re-read the disc and refresh the tracklist view "},
    {ID_FILE_VIEWLOG, "Open the log dialog box "},
    {ID_EDIT_CDINFO, "Edit current CD info"},
    {ID_FORMAT_BUTTON, "Quickly set the output format"},
    {ID_OPERATION_RIP, "Rip all checked audio tracks, one file per track"},
    {ID_OPERATION_OPTIONS, "Open the options dialog box to set the options "},
    {ID_HELP_DOWNLOAD, "Download the full edition of Quarno CD Ripper with more formats and features"},
    {ID_HELP_CONTENTS, "Launch the help of Quarno CD Ripper"},
    {ID_HELP_ABOUT, "About Quarno CD Ripper"},
    // Player toolbar.
    {ID_PLAY_PREVIOUS, "Backward to the previous CHECKED audio track"},
    {ID_PLAY_PLAY, "Play audio track "},
    {ID_PLAY_PAUSE, "Pause/Resume playing"},
    {ID_PLAY_STOP, "Stop playing "},
    {ID_PLAY_NEXT, "Forward to the next CHECKED audio track"},
    {ID_PLAY_EJECT, "Eject the current CD drive tray "},
    // Menu prompts.
    {ID_FILE_EXIT, "Exit Quarno CD Ripper "},
    {ID_PLAY_CLOSETRAY, "Close the current CD drive tray"},
    {ID_PLAY_FIRST, "Set the first CHECKED audio track as current track "},
    {ID_PLAY_LAST, "Set the last CHECKED audio track as current track"},
    {ID_LIST_PLAYCURRENT, "Play selected audio track"},
    {ID_OPERATION_RIPCURRENT, "Rip the selected audio track"},
    {ID_EDIT_CHECKALL, "Check all audio tracks"},
    {ID_EDIT_UNCHECKALL, "Uncheck all audio tracks"},
    {ID_EDIT_REVERSECHECK, "Reverse the check state of all audio tracks"},
    {ID_HELP_TIPOFTHEDAY, "Show the tip of the day"},
    {ID_HELP_EMAILSUPPORT, "Write to the support team"},
    {ID_HELP_ONLINESUPPORT, "Open the support web page"},
    {ID_FORMAT_WAV, "Rip to WAV files"},
    {ID_FORMAT_MP3, "Rip to MP3 files"},
    {ID_FORMAT_MORE, "Find out about more output formats"},
};

constexpr auto kIds = [] {
  std::array<int, std::size(kStrings)> ids{};
  for (size_t i = 0; i < ids.size(); ++i) ids[i] = kStrings[i].id;
  return ids;
}();

}  // namespace

std::string_view LoadResourceString(int id) {
  for (const StringEntry& entry : kStrings) {
    if (entry.id == id) return entry.text;
  }
  return {};
}

std::span<const int> StringIds() { return kIds; }

}  // namespace res

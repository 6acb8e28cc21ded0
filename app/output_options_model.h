// The Output page without its window: destination folder, file-name
// template, separator, the three switches and the preview. It holds what the
// page's controls show; the page copies control changes in, shows what the
// model derives, and calls Apply when the sheet applies.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/options_page_result.h"

// The texts of the page that the model decides on.
inline constexpr const char* kResetOutputQuestion =
    "Reset ALL Output Options(including the Subpages), Are You Sure?";
inline constexpr const char* kEmptyDestinationMessage = "Please Enter the Destination Directory!";
inline constexpr const char* kLongDestinationMessage = "The Destination Directory is too long!";
inline constexpr const char* kControlDestinationMessage =
    "The Destination Directory holds a line break or another control character!";
inline constexpr const char* kRelativeDestinationMessage =
    "The Destination Directory needs a full path, starting with \"/\" or \"~/\"!";
inline constexpr const char* kBrowseDestinationTitle = "Please select the destination directory";

class OutputOptionsModel {
 public:
  // Control values.
  std::string destination;      // "Destination Directory:" edit
  int fileStyle = -1;           // selection of the template list, -1 none
  bool writeMetadata = false;   // "Write Metadata" (FillTag)
  bool writeLog = false;        // "Write Log File" (WriteLog)
  bool createPlaylist = false;  // "Create Playlist" (M3U)

  // Fills every value from the settings, as the page does when its window
  // is made and after Reset. A FileStyle outside the list selects nothing.
  void Load();

  // The separator field changed (or was filled): the typed text is kept for
  // the field, and its first three characters, cleaned, become the page's
  // separator used in the list entries, the preview and on apply. The
  // template selection is kept.
  void SetSeparatorText(const std::string& typed);
  const std::string& SeparatorText() const { return separatorText_; }
  const std::string& PageSeparator() const { return pageSeparator_; }

  // The thirteen template entries with the page's separator.
  std::vector<std::string> TemplateEntries() const;

  // The name the selected template gives for the sample album, with the
  // extension of the applied OutputFormat (not a pending Encoder choice).
  std::string Preview() const;

  // Writes the page to the settings: FileStyle (kept when nothing is
  // selected), DesDir tidied (TidyTypedFolder: blanks trimmed, "~" made the
  // home folder) and with one trailing "/", the three switches and the
  // separator; `destination` then holds DesDir as kept, and
  // `destinationsChanged` is called. Refused while a disc refresh runs
  // (Busy), with kEmptyDestinationMessage when the folder is empty or only
  // blanks, and for a folder that CheckFolderSetting faults with
  // kLongDestinationMessage (kMaxPathBytes or longer, as saved),
  // kControlDestinationMessage or kRelativeDestinationMessage.
  PageApplyResult Apply(const std::function<void()>& destinationsChanged);

 private:
  std::string separatorText_;
  std::string pageSeparator_;
};

// Returns every output and encoder setting to its default at once (M3U,
// WriteLog, Separator, OutputFormat, FileStyle, FillTag, DesDir = the music
// folder, SubFormat, Freq, Channel, LameFreq, LameBits, LameChannel). The
// CDDB and MISC settings and Volume stay. Cancelling the sheet afterwards
// does not undo it.
void ResetAllOutputOptions();

// The CDDB ("FreeDB") page without its window: where album data is looked
// up, whether a remote result is cached, whether a disc is looked up when it
// is inserted, and the local cache folder.
#pragma once

#include <string>

#include "app/options_page_result.h"

inline constexpr const char* kEmptyLocalFolderMessage = "Please Enter the Local FreeDB Path!";
inline constexpr const char* kLongLocalFolderMessage = "The Local FreeDB Path is too long!";
inline constexpr const char* kControlLocalFolderMessage =
    "The Local FreeDB Path holds a line break or another control character!";
inline constexpr const char* kRelativeLocalFolderMessage =
    "The Local FreeDB Path needs a full path, starting with \"/\" or \"~/\"!";
inline constexpr const char* kBrowseLocalFolderTitle = "Please select the local FreeDB folder";

class CDDBOptionsModel {
 public:
  int source = -1;            // radio 0 both, 1 remote only, 2 local only; -1 none
  bool saveRemote = false;    // "Save Remote Album Information to Local Files "
  bool loadOnInsert = false;  // "Load FreeDB Information when Audio CD Inserted"
  std::string localFolder;    // "Local FreeDB Path:"

  // Fills the values from the settings. An AlbumInfoSource outside 0-2
  // checks no radio.
  void Load();

  // The three source radios are enabled only while loadOnInsert is checked;
  // the source is applied either way.
  bool SourceEnabled() const { return loadOnInsert; }

  // Writes AlbumInfoSource (kept when no radio is checked), LoadAlbumInfo,
  // SaveAlbumInfo and LocalCDDBDir, the folder tidied (TidyTypedFolder) and
  // shown so in `localFolder`. Refused while a disc refresh runs, with
  // kEmptyLocalFolderMessage when the folder is empty or only blanks, and
  // for a folder that CheckFolderSetting faults with kLongLocalFolderMessage
  // (kMaxPathBytes or longer), kControlLocalFolderMessage or
  // kRelativeLocalFolderMessage.
  PageApplyResult Apply();
};

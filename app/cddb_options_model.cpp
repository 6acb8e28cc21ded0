// The CDDB page's values and rules.
#include "app/cddb_options_model.h"

#include "app/disc_worker.h"
#include "app/settings.h"

void CDDBOptionsModel::Load() {
  source = AlbumInfoSource >= 0 && AlbumInfoSource <= 2 ? AlbumInfoSource : -1;
  saveRemote = SaveAlbumInfo == 1;
  loadOnInsert = LoadAlbumInfo == 1;
  localFolder = LocalCDDBDir;
}

PageApplyResult CDDBOptionsModel::Apply() {
  if (Busy != 0) return PageApplyResult::WhileBusy();
  const std::string folder = TidyTypedFolder(localFolder);
  switch (CheckFolderSetting(folder)) {
    case FolderFault::Empty:
      return PageApplyResult::Refuse(kEmptyLocalFolderMessage);
    case FolderFault::TooLong:
      return PageApplyResult::Refuse(kLongLocalFolderMessage);
    case FolderFault::ControlCharacter:
      return PageApplyResult::Refuse(kControlLocalFolderMessage);
    case FolderFault::NotAbsolute:
      return PageApplyResult::Refuse(kRelativeLocalFolderMessage);
    default:
      break;
  }
  if (source >= 0 && source <= 2) AlbumInfoSource = static_cast<int16_t>(source);
  LoadAlbumInfo = loadOnInsert ? 1 : 0;
  SaveAlbumInfo = saveRemote ? 1 : 0;
  LocalCDDBDir = localFolder = folder;  // the field shows the folder as it is kept
  return PageApplyResult::Ok();
}

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
  // An empty folder would put the cache files at the root of the file system.
  if (localFolder.find_first_not_of(" \t\r\n\v\f") == std::string::npos)
    return PageApplyResult::Refuse(kEmptyLocalFolderMessage);
  if (localFolder.size() >= kMaxPathBytes) return PageApplyResult::Refuse(kLongLocalFolderMessage);
  if (source >= 0 && source <= 2) AlbumInfoSource = static_cast<int16_t>(source);
  LoadAlbumInfo = loadOnInsert ? 1 : 0;
  SaveAlbumInfo = saveRemote ? 1 : 0;
  LocalCDDBDir = localFolder;
  return PageApplyResult::Ok();
}

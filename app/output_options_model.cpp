// The Output page's values and rules.
#include "app/output_options_model.h"

#include "app/disc_worker.h"
#include "app/settings.h"
#include "platform/folders.h"
#include "rip/file_name_templates.h"

void OutputOptionsModel::Load() {
  destination = DesDir;
  fileStyle = FileStyle >= 0 && FileStyle < kFileStyleCount ? FileStyle : -1;
  writeMetadata = FillTag != 0;
  writeLog = WriteLog != 0;
  createPlaylist = M3U != 0;
  SetSeparatorText(Separator);
}

void OutputOptionsModel::SetSeparatorText(const std::string& typed) {
  separatorText_ = typed;
  pageSeparator_ = CleanSeparator(typed);
}

std::vector<std::string> OutputOptionsModel::TemplateEntries() const {
  return FileStyleEntries(pageSeparator_);
}

std::string OutputOptionsModel::Preview() const {
  return FileStylePreview(fileStyle, pageSeparator_, OutputFormat);
}

PageApplyResult OutputOptionsModel::Apply(const std::function<void()>& destinationsChanged) {
  if (Busy != 0) return PageApplyResult::WhileBusy();
  std::string folder = TidyTypedFolder(destination);
  if (folder.empty()) return PageApplyResult::Refuse(kEmptyDestinationMessage);
  if (folder.back() != kPathSeparator) folder += kPathSeparator;
  switch (CheckFolderSetting(folder)) {
    case FolderFault::TooLong:
      return PageApplyResult::Refuse(kLongDestinationMessage);
    case FolderFault::ControlCharacter:
      return PageApplyResult::Refuse(kControlDestinationMessage);
    case FolderFault::NotAbsolute:
      return PageApplyResult::Refuse(kRelativeDestinationMessage);
    default:
      break;
  }

  // With nothing selected (a template number the list does not have) the
  // saved template stays rather than becoming "none".
  if (fileStyle >= 0 && fileStyle < kFileStyleCount) FileStyle = static_cast<int16_t>(fileStyle);
  DesDir = folder;
  destination = folder;  // the field shows the folder as it is kept
  FillTag = writeMetadata ? 1 : 0;
  WriteLog = writeLog ? 1 : 0;
  M3U = createPlaylist ? 1 : 0;
  Separator = pageSeparator_;
  if (destinationsChanged) destinationsChanged();
  return PageApplyResult::Ok();
}

void ResetAllOutputOptions() {
  M3U = 1;
  WriteLog = 0;
  Separator.assign(1, '-');
  OutputFormat = 2;
  FileStyle = 11;
  FillTag = 1;
  DesDir = GetMusicFolder();
  SubFormat = 1;
  Freq = 7;
  Channel = 1;
  LameFreq = 7;
  LameBits = 11;
  LameChannel = 2;
}

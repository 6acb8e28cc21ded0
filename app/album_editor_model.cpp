// The album editor's rules.
#include "app/album_editor_model.h"

#include <charconv>
#include <limits>
#include <optional>

#include "app/album_lookup.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "platform/folders.h"
#include "platform/log_sink.h"

namespace {

constexpr const char* kBlanks = " \t\r\n\v\f";

void CutTrailingBlanks(std::string& text) {
  const std::size_t end = text.find_last_not_of(kBlanks);
  text.erase(end == std::string::npos ? 0 : end + 1);
}

// A whole number with optional blanks around it and an optional sign, as
// the year field is read; a number too large for a long long counts as one
// outside every range.
std::optional<long long> ParseWholeNumber(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(kBlanks);
  if (begin == std::string::npos) return std::nullopt;
  const std::size_t end = text.find_last_not_of(kBlanks) + 1;
  const char* first = text.data() + begin;
  const char* last = text.data() + end;
  if (*first == '+') ++first;
  long long value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ptr != last || (ec != std::errc() && ec != std::errc::result_out_of_range) || first == last)
    return std::nullopt;
  if (ec == std::errc::result_out_of_range)
    return *first == '-' ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
  return value;
}

}  // namespace

void AlbumEditorModel::Load() {
  const CCDDBRecord record = CopyAlbumRecord();
  album = record.Title;
  artist = record.Artist;
  variousArtists = artist == kVariousArtists;
  genre = record.Genre;
  loadedYear_ = record.Year;
  year = std::to_string(record.Year);
}

void AlbumEditorModel::SetVariousArtists(bool checked) {
  variousArtists = checked;
  if (checked) artist = kVariousArtists;
}

AlbumEditResult AlbumEditorModel::Apply(const std::function<void()>& destinationsChanged) {
  const std::optional<long long> value = ParseWholeNumber(year);
  if (!value) return {false, kEnterIntegerMessage};
  // A record without a year holds 0; leaving it so means "unknown" and must
  // not block the other edits.
  const bool keepsUnknownYear = *value == 0 && loadedYear_ == 0;
  if (!keepsUnknownYear && (*value < kMinAlbumYear || *value > kMaxAlbumYear))
    return {false, kEnterYearRangeMessage};

  ChangeAlbumRecord([&](CCDDBRecord& record) {
    record.Title = album;
    record.Artist = variousArtists ? std::string(kVariousArtists) : artist;
    record.Genre = genre;
    record.Year = static_cast<int>(*value);
    CutTrailingBlanks(record.Artist);
    CutTrailingBlanks(record.Title);
  });
  if (destinationsChanged) destinationsChanged();
  AlbumInfoIsDefault = 0;
  return {true, {}};
}

AlbumEditResult AlbumEditorModel::SaveToLocal(const std::function<void()>& destinationsChanged,
                                              ILogSink* log) {
  AlbumEditResult result = Apply(destinationsChanged);
  if (!result.applied) return result;
  // Without a folder the file would land at the root of the file system.
  bool saved = false;
  if (LocalCDDBDir.find_first_not_of(kBlanks) != std::string::npos) {
    if (!PathFileExists(LocalCDDBDir)) CreateFolderPath(LocalCDDBDir);
    saved = static_cast<bool>(SaveAlbumRecord(LocalAlbumPath(), CopyAlbumRecord()));
  }
  if (saved) {
    result.message = kLocalCacheSavedMessage;
    if (log != nullptr) log->AddLog("Local CDDB file saved.", LogInfo);
  } else if (log != nullptr) {
    log->AddLog("Fail to save local CDDB file!", LogError);
  }
  return result;
}

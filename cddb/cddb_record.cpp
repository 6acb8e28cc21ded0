// Storing and loading a disc record in the layout of the local cache file.
// The field order on disk is not the order of the record's members; other
// copies of the program read these bytes, so the order never changes.
#include "cddb/cddb_record.h"

#include "cddb/archive.h"

#include <new>

namespace {

// No disc holds more tracks than this, so a longer list of offsets, titles
// or extended track texts in a file is damage, not data.
constexpr uint64_t kMaxTrackEntries = 100;

}  // namespace

void CCDDBRecord::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << DiscLength << Revision << SubmittedViaClient << SubmittedViaVersion << SubmittedViaComment << DiscID
       << Artist << Title << Year << Genre << ExtendedData;
    ar.WriteIntArray(TrackOffsets);
    ar.WriteStringArray(TrackTitles);
    ar.WriteStringArray(ExtendedTrackData);
    ar.WriteIntArray(PlayOrder);
  } else {
    try {
      ar >> DiscLength >> Revision >> SubmittedViaClient >> SubmittedViaVersion >> SubmittedViaComment >>
          DiscID >> Artist >> Title >> Year >> Genre >> ExtendedData;
      ar.ReadIntArray(TrackOffsets, kMaxTrackEntries);
      ar.ReadStringArray(TrackTitles, kMaxTrackEntries);
      ar.ReadStringArray(ExtendedTrackData, kMaxTrackEntries);
      ar.ReadIntArray(PlayOrder);
    } catch (const std::bad_alloc&) {
      // A file whose values fit its size may still ask for more memory than
      // there is; that is a failed load like any other, not the program's end.
      throw CArchiveException(CArchiveException::generic, "Not enough memory to load the archive");
    }
  }
}

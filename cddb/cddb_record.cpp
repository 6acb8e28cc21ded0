// Storing and loading a disc record in the layout of the local cache file.
// The field order on disk is not the order of the record's members; other
// copies of the program read these bytes, so the order never changes.
#include "cddb/cddb_record.h"

#include "cddb/archive.h"

void CCDDBRecord::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << DiscLength << Revision << SubmittedViaClient << SubmittedViaVersion << SubmittedViaComment << DiscID
       << Artist << Title << Year << Genre << ExtendedData;
    ar.WriteIntArray(TrackOffsets);
    ar.WriteStringArray(TrackTitles);
    ar.WriteStringArray(ExtendedTrackData);
    ar.WriteIntArray(PlayOrder);
  } else {
    ar >> DiscLength >> Revision >> SubmittedViaClient >> SubmittedViaVersion >> SubmittedViaComment >>
        DiscID >> Artist >> Title >> Year >> Genre >> ExtendedData;
    ar.ReadIntArray(TrackOffsets);
    ar.ReadStringArray(TrackTitles);
    ar.ReadStringArray(ExtendedTrackData);
    ar.ReadIntArray(PlayOrder);
  }
}

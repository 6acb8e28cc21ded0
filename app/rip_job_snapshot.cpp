// Taking a rip job's settings from the program's state.
#include "app/rip_job_snapshot.h"

#include <cstddef>

#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "platform/cd_drive.h"

namespace {

constexpr int kDefaultRateIndex = 7;   // 44100 Hz
constexpr int kDefaultBitsIndex = 11;  // 128 kbps

template <typename T, std::size_t N>
T Pick(const T (&table)[N], std::size_t count, int index, int fallback) {
  static_assert(N > 0);
  if (index < 0 || static_cast<std::size_t>(index) >= count || static_cast<std::size_t>(index) >= N)
    index = fallback;
  return table[index];
}

// The naming rules over the current settings and `album`.
OutputNaming NamingOf(const CCDDBRecord& album) {
  OutputNaming n;
  n.desDir = DesDir;
  n.fileStyle = FileStyle;
  n.separator = Separator;
  n.outputFormat = OutputFormat;
  n.artist = album.Artist;
  n.album = album.Title;
  n.year = album.Year;
  n.trackTitles = album.TrackTitles;
  return n;
}

}  // namespace

OutputNaming CurrentOutputNaming() { return NamingOf(CopyAlbumRecord()); }

RipJobSettings MakeRipJobSettings() {
  RipJobSettings s;
  s.outputFormat = OutputFormat;
  s.subFormat = SubFormat;
  s.wavChannel = Channel;
  s.wavRate = Pick(SampleRates, kSampleRateCount, Freq, kDefaultRateIndex);
  s.mp3.outputRate = Pick(SampleRates, kSampleRateCount, LameFreq, kDefaultRateIndex);
  s.mp3.bitRate = static_cast<uint32_t>(Pick(MP3Bitrates, kMP3BitrateCount, LameBits, kDefaultBitsIndex));
  s.mp3.channel = LameChannel;
  s.mp3.quality = LameQuality;
  s.m3u = M3U != 0;
  s.fillTag = FillTag != 0;
  s.maxReadRetries = MaxReadRetries;
  s.programFolder = ProgramFolder;
  // One copy, so the names and the tags come from the same album.
  s.album = CopyAlbumRecord();
  s.naming = NamingOf(s.album);
  s.discId = DiscID;
  s.albumInfoIsDefault = AlbumInfoIsDefault.load() != 0;
  s.firstTrack = TOCBuffer[2];
  s.lastTrack = TOCBuffer[3];
  return s;
}

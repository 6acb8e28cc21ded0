// Taking a rip job's settings from the program's state.
#include "app/rip_job_snapshot.h"

#include <cstddef>

#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "platform/cd_drive.h"

namespace {

constexpr int kDefaultRateIndex = 7;  // 44100 Hz
constexpr int kDefaultBitsIndex = 11;  // 128 kbps

template <typename T, std::size_t N>
T Pick(const T (&table)[N], std::size_t count, int index, int fallback) {
  static_assert(N > 0);
  if (index < 0 || static_cast<std::size_t>(index) >= count || static_cast<std::size_t>(index) >= N) index = fallback;
  return table[index];
}

}  // namespace

OutputNaming CurrentOutputNaming() {
  OutputNaming n;
  n.desDir = DesDir;
  n.fileStyle = FileStyle;
  n.separator = Separator;
  n.outputFormat = OutputFormat;
  n.artist = AlbumRecord.Artist;
  n.album = AlbumRecord.Title;
  n.year = AlbumRecord.Year;
  n.trackTitles = AlbumRecord.TrackTitles;
  return n;
}

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
  s.naming = CurrentOutputNaming();
  s.album = AlbumRecord;
  s.discId = DiscID;
  s.albumInfoIsDefault = AlbumInfoIsDefault.load() != 0;
  s.firstTrack = TOCBuffer[2];
  s.lastTrack = TOCBuffer[3];
  return s;
}

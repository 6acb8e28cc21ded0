// What a rip job works from: the values of the user's settings, the album and
// the disc facts, taken once when the Rip command starts the job, so that
// nothing changing them during the rip reaches the files. The job reads
// nothing else of the program's state.
#pragma once

#include <cstdint>
#include <string>

#include "cddb/cddb_record.h"
#include "rip/encoder_library.h"
#include "rip/file_naming.h"

struct RipJobSettings {
  int outputFormat = 2;       // 1 WAV, 2 MP3
  int subFormat = 1;          // WAV: 0 unsigned 8-bit, otherwise signed 16-bit
  int wavChannel = 1;         // WAV: 0 mono, 1 stereo
  uint32_t wavRate = 44100;   // WAV sample rate in Hz; any other than 44100 resamples
  Mp3Settings mp3;            // MP3: rate, bit rate, channel mode, quality
  bool m3u = true;            // append each track to the album's playlist
  bool fillTag = true;        // write ID3 tags into MP3 files
  int maxReadRetries = 5;     // retries of a failed sector read
  std::string programFolder;  // where the encoder library is
  OutputNaming naming;        // output folder, template and album text
  CCDDBRecord album;          // for the tags
  uint32_t discId = 0;
  bool albumInfoIsDefault = false;  // the album data are placeholders
  int firstTrack = 1;               // first and last track of the disc's table of contents
  int lastTrack = 1;
};

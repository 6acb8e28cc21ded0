// The MP3 side of the rip writer: loading the encoder library for a job, and
// writing one track through it, then tagging the file.
#include <fcntl.h>
#include <fmt/printf.h>

#include <vector>

#include "rip/encoder_library.h"
#include "rip/id3_tagging.h"
#include "rip/ripping_progress.h"

// The loaded encoder library and the configuration record of the job.
struct Mp3Encoder {
  EncoderLibrary library;
  uint8_t config[LAME_ENC_CONFIG_SIZE] = {};
};

void Mp3EncoderDeleter::operator()(Mp3Encoder* encoder) const { delete encoder; }

CRippingProgress::StartResult CRippingProgress::LoadEncoder() {
  std::unique_ptr<Mp3Encoder, Mp3EncoderDeleter> encoder(new Mp3Encoder);
  switch (encoder->library.Load(settings_.programFolder)) {
    case EncoderLoadResult::LibraryMissing:
      if (log_) log_->AddLog("Error loading lame_enc.dll", LogError);
      return StartResult::EncoderMissing;
    case EncoderLoadResult::EntryPointMissing:
      if (log_) log_->AddLog("Unable to get LAME interfaces", LogError);
      return StartResult::EncoderIncomplete;
    case EncoderLoadResult::Loaded:
      break;
  }
  FillEncoderConfig(encoder->config, settings_.mp3);
  encoder_ = std::move(encoder);
  return StartResult::Started;
}

int CRippingProgress::EncodeMp3File(const std::string& path) {
  EncoderLibrary& lib = encoder_->library;
  OutputFile file;
  if (!file.Open(path, O_RDWR | O_CREAT | O_TRUNC)) {
    PostLog(fmt::sprintf("Error creating file %s", path), LogError);
    Running = 0;
    return 1;
  }
  uint32_t samplesPerChunk = 0;
  uint32_t bufferSize = 0;
  LameEncStream stream = 0;
  uint32_t e = lib.InitStream(reinterpret_cast<const LameEncConfig*>(encoder_->config), &samplesPerChunk,
                              &bufferSize, &stream);
  // A stream that takes no samples could never finish the track.
  if (e == LAME_ENC_OK && samplesPerChunk == 0) e = LAME_ENC_ERR_BUFFER_TOO_SMALL;
  if (e != LAME_ENC_OK) {
    PostLog(fmt::sprintf("Error opening encoding stream (%lu)", static_cast<unsigned long>(e)), LogError);
    lib.CloseStream(stream);
    file.Close();
    Running = 0;
    return 1;
  }
  std::vector<uint8_t> output(bufferSize);
  std::vector<int16_t> input(samplesPerChunk);
  const int divisor = Mono ? 2 : 1;
  const uint32_t allTotal = CdSamples(TrackList.back().TotalLength) / divisor;
  const uint32_t s = CdSamples(TrackList[CurrentTrack].Length) / divisor;
  bool writeFailed = false;
  MoveTrackSamples(samplesPerChunk, s, allTotal, [&](uint32_t n) {
    writerRing_->Read(input.data(), n);
    MaskSamples(input.data(), n);
    uint32_t written = 0;
    const uint32_t error = lib.EncodeChunk(stream, n, input.data(), output.data(), &written);
    if (error != LAME_ENC_OK) {
      PostLog(fmt::sprintf("beEncodeChunk() failed (%lu)", static_cast<unsigned long>(error)), LogError);
      Running = 0;
      return false;
    }
    if (!writeFailed && !file.Write(output.data(), written)) {
      writeFailed = true;
      PostLog("Output file write error", LogError);
      Running = 0;
    }
    return true;
  });
  FinishMp3File(*encoder_, stream, file, output, writeFailed, path);
  SendFinalProgress(s, allTotal);
  return 1;
}

// Flushes the encoder into the file, closes stream and file once each, has
// the library write its header frame, then tags the file.
void CRippingProgress::FinishMp3File(Mp3Encoder& encoder, uint32_t stream, OutputFile& file,
                                     std::vector<uint8_t>& output, bool writeFailed,
                                     const std::string& path) {
  EncoderLibrary& lib = encoder.library;
  uint32_t written = 0;
  const uint32_t e = lib.DeinitStream(stream, output.data(), &written);
  if (e != LAME_ENC_OK) {
    PostLog(fmt::sprintf("beExitStream failed (%lu)", static_cast<unsigned long>(e)), LogError);
    Running = 0;
  }
  // After a failed write the file is broken anyway: one report is enough.
  if (written > 0 && !writeFailed && !file.Write(output.data(), written)) {
    writeFailed = true;
    PostLog("Output file write error", LogError);
    Running = 0;
  }
  lib.CloseStream(stream);
  if (!file.Close() && !writeFailed) {
    PostLog("Output file write error", LogError);
    Running = 0;
  }

  const std::string name = WideToAnsi(path);
  if (lib.WriteInfoTag)
    lib.WriteInfoTag(stream, name.c_str());
  else
    lib.WriteVBRHeader(name.c_str());

  if (!settings_.fillTag || !Running) return;
  Id3TrackInfo info;
  info.TrackIndex = TrackList[CurrentTrack].TrackNumber;
  info.FirstTrack = settings_.firstTrack;
  info.LastTrack = settings_.lastTrack;
  info.DiscID = settings_.discId;
  info.AlbumInfoIsDefault = settings_.albumInfoIsDefault;
  if (!TagMp3File(path, settings_.album, info)) PostLog("Fail to write mp3 tag.", LogFatal);
}

// The rip writer: WAV header and the output file.
#include "rip/track_writer.h"

#include <fcntl.h>
#include <fmt/printf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/folders.h"
#include "rip/ripping_progress.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

void BuildWavHeader(uint8_t header[kWavHeaderSize], uint32_t dataSize, const WavFormat& format) {
  std::memcpy(header, "RIFF", 4);
  Put32(header + 4, dataSize + 36);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Put32(header + 16, 16);
  Put16(header + 20, 1);
  Put16(header + 22, format.channels);
  Put32(header + 24, format.sampleRate);
  Put32(header + 28, format.ByteRate());
  Put16(header + 32, format.BlockAlign());
  Put16(header + 34, format.bitsPerSample);
  std::memcpy(header + 36, "data", 4);
  Put32(header + 40, dataSize);
}

OutputFile::OutputFile() : buffer_(new uint8_t[kBufferSize]) {}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Open(const std::string& path, int flags) {
  Close();
  used_ = 0;
  onDisk_ = 0;
  error_ = 0;
  fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd_ < 0) return Fail();
  if (!(flags & O_TRUNC)) {
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) return Fail();
    onDisk_ = static_cast<uint64_t>(end);
  }
  return true;
}

bool OutputFile::Fail() {
  error_ = errno;
  return false;
}

bool OutputFile::Write(const void* data, std::size_t size) {
  if (fd_ < 0) {
    errno = EBADF;
    return Fail();
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    if (used_ == kBufferSize && !Flush()) return false;
    const std::size_t n = std::min(size, kBufferSize - used_);
    std::memcpy(buffer_.get() + used_, bytes, n);
    used_ += n;
    bytes += n;
    size -= n;
  }
  return true;
}

uint8_t* OutputFile::Reserve(std::size_t size) {
  if (fd_ < 0 || size > kBufferSize) {
    errno = fd_ < 0 ? EBADF : EINVAL;
    Fail();
    return nullptr;
  }
  if (kBufferSize - used_ < size && !Flush()) return nullptr;
  return buffer_.get() + used_;
}

bool OutputFile::Flush() {
  std::size_t done = 0;
  while (done < used_) {
    const ssize_t n = ::write(fd_, buffer_.get() + done, used_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      // Keep what did not make it out of the count; drop it from the buffer.
      used_ = 0;
      return Fail();
    }
    done += static_cast<std::size_t>(n);
    onDisk_ += static_cast<uint64_t>(n);
  }
  used_ = 0;
  return true;
}

bool OutputFile::WriteAt(uint64_t offset, const void* data, std::size_t size) {
  if (fd_ < 0) {
    errno = EBADF;
    return Fail();
  }
  if (!Flush()) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return Fail();
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool OutputFile::Truncate(uint64_t size) {
  if (fd_ < 0 || !Flush()) return false;
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return Fail();
  if (size < onDisk_) onDisk_ = size;
  return true;
}

bool OutputFile::Close() {
  if (fd_ < 0) return true;
  bool ok = Flush();
  if (::close(fd_) != 0 && ok) ok = Fail();
  fd_ = -1;
  return ok;
}

std::string OutputFile::ErrorText() const { return std::strerror(error_); }

// ---------------------------------------------------------------------------
// The writer thread: per track, the path, its folder, the playlist line, a
// unique name, and the WAV file (MP3 in mp3_writer.cpp).

namespace {

constexpr int kStartWaitMs = 500;
constexpr int kPauseWaitMs = 100;
constexpr uint32_t kProgressEveryMs = 100;
constexpr auto kDataPoll = std::chrono::milliseconds(1);

// A failure that ends the track with "An error occurred while encoding".
struct WriteFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Output samples of `sectors` sectors, rounded to the nearest.
uint32_t OutputSamples(int32_t sectors, double factor, int divisor) {
  return static_cast<uint32_t>(static_cast<double>(CdSamples(sectors)) * factor / divisor + 0.5);
}

}  // namespace

void RipWriterThreadProc(CRippingProgress* job) { job->RipWriterThread(); }

void CRippingProgress::RipWriterThread() {
  ApplyThreadPriority(WriterPriority);
  SleepWhileRunning(kStartWaitMs);
  JobStartTick = RipTickCount();
  CurrentTrack = 0;
  const auto count = static_cast<int>(TrackList.size());
  while (CurrentTrack < count && Running) {
    sink_.PostRipMessage(
        RipMessage::Status(kRipStatusCaption, fmt::sprintf("%d/%d", CurrentTrack + 1, count)));
    RipTrack();
    CurrentTrack = static_cast<uint16_t>(CurrentTrack + 1);
  }
  if (Running) sink_.PostRipMessage(RipMessage::Finished());
}

void CRippingProgress::RipTrack() {
  try {
    TrackDone = 0;
    const RipJobSettings& s = settings_;
    const TrackData& track = TrackList.at(CurrentTrack);
    const std::string path = BuildOutputFileName(s.naming, track.TrackNumber);
    const std::string folder = FolderOf(path);
    if (!PathFileExists(folder) && !CreateFolderPath(folder)) {
      PostLog(fmt::sprintf("Fail to create folder %s !", folder), LogFatal);
      Running = 0;
      return;
    }
    const std::string output = PathFileExists(path) ? MakeUniqueFileName(path, s.outputFormat) : path;
    SetLastOutputPath(output);
    PostLog("Rip track(s) to \"" + output + "\"", LogInfo);
    Paused = 0;
    Cancelled = 0;
    SendStatus(kRipStatusLine, fmt::sprintf("Destination:     %s", output));
    // The playlist must be writable before the track starts; its line is
    // added once the track has given a file.
    const std::string list = BuildPlaylistPath(folder, s.naming.album);
    const bool listIsNew = s.m3u && !PathFileExists(list);
    if (s.m3u && !CheckOutputFile(list, O_WRONLY | O_CREAT)) return;
    TrackStartTick = RipTickCount();
    // The file must be new: a name taken meanwhile is never overwritten.
    if (CheckOutputFile(output, O_WRONLY | O_CREAT | O_EXCL)) {
      WriteTrackFile(output);
      // A track that wrote nothing (its stream did not open) leaves no
      // empty file behind, and no playlist line for it.
      if (RemoveIfEmpty(output)) {
        if (listIsNew) RemoveIfEmpty(list);
        return;
      }
      if (s.m3u) AppendToPlaylist(list, BareFileName(output));
    } else if (listIsNew) {
      RemoveIfEmpty(list);
    }
  } catch (...) {
    Running = 0;
    PostLog("An error occurred while encoding", LogError);
  }
}

void CRippingProgress::WriteTrackFile(const std::string& path) {
  try {
    if (settings_.outputFormat == 1) WriteWavFile(path);
    if (settings_.outputFormat == 2) EncodeMp3File(path);
  } catch (...) {
    // Whatever reached the file stays; an empty one goes like any other.
    RemoveIfEmpty(path);
    throw;
  }
}

bool CRippingProgress::RemoveIfEmpty(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0) return false;
  return ::unlink(path.c_str()) == 0;
}

bool CRippingProgress::CheckOutputFile(const std::string& path, int flags) {
  OutputFile file;
  if (file.Open(path, flags)) return true;
  PostLog(fmt::sprintf("File Error: %s: %s", path, file.ErrorText()), LogFatal);
  Running = 0;
  return false;
}

// One line per track that gave a file; the playlist is never truncated, so a
// second rip adds its lines below the first's.
void CRippingProgress::AppendToPlaylist(const std::string& list, const std::string& fileName) {
  OutputFile file;
  const std::string line = fileName + "\r\n";
  if (!file.Open(list, O_WRONLY | O_APPEND) || !file.Write(line.data(), line.size()) || !file.Close())
    throw WriteFailure(file.ErrorText());
}

uint32_t CRippingProgress::SamplesReadyFor(uint32_t chunk) const {
  const bool ended = writerSourceEnded_.load() != 0;
  const uint32_t have = writerRing_->GetReadCount();
  if (have >= chunk) return chunk;
  return ended ? have : kWaitForSamples;
}

void CRippingProgress::WaitForSamples(uint64_t seen) { samplesArrived_.WaitSince(seen, kDataPoll); }

void CRippingProgress::TookSamples(uint32_t count) {
  if (writerRing_ == readRing_) TookFromReadRing(count);
}

void CRippingProgress::TookFromReadRing(uint32_t count) {
  takenSinceNotice_ += count;
  // The reader waits for room for a whole request; tell it once per request.
  if (takenSinceNotice_ >= uint32_t{kSectorsPerRead} * kSamplesPerSector) {
    takenSinceNotice_ = 0;
    roomMade_.Notify();
  }
}

void CRippingProgress::PostProgress(double trackSamples, double allSamples, uint32_t& lastTick) {
  const uint32_t now = RipTickCount();
  if (static_cast<uint32_t>(now - lastTick) <= kProgressEveryMs) return;
  lastTick = now;
  sink_.PostRipMessage(RipMessage::Progress(static_cast<float>(PercentOf(TrackDone, trackSamples)),
                                            static_cast<float>(PercentOf(TotalDone, allSamples))));
}

void CRippingProgress::SendFinalProgress(double trackSamples, double allSamples) {
  sink_.SendRipMessage(RipMessage::Progress(static_cast<float>(PercentOf(TrackDone, trackSamples)),
                                            static_cast<float>(PercentOf(TotalDone, allSamples))),
                       [this] { return StopRequested(); });
}

uint64_t CRippingProgress::MoveTrackSamples(uint32_t chunk, uint32_t s, uint32_t allTotal,
                                            const std::function<bool(uint32_t)>& take) {
  // Stereo output moves whole frames: an odd count is raised by one.
  uint32_t r = s + (!Mono && s % 2 != 0 ? 1 : 0);
  chunk = std::min(chunk, r);
  uint64_t moved = 0;
  uint32_t last = RipTickCount();
  while (Running && r > 0) {
    if (Paused) {
      SleepWhileRunning(kPauseWaitMs);
      continue;
    }
    PostProgress(s, allTotal, last);
    const uint64_t seen = samplesArrived_.Count();
    const uint32_t n = SamplesReadyFor(chunk);
    if (n == kWaitForSamples) {
      WaitForSamples(seen);
      continue;
    }
    if (n == 0) break;  // the stage before ended a little short
    const bool ok = take(n);
    TookSamples(n);
    if (!ok) break;
    moved += n;
    TrackDone += n;
    TotalDone += n;
    r -= n;
    chunk = std::min(chunk, r);
  }
  return moved;
}

namespace {

// Makes the header count what really is in the file, also after a failure,
// and closes it. False when anything failed.
bool FinishWavFile(OutputFile& file, const WavFormat& format, uint64_t samples, bool failed) {
  failed = !file.Flush() || failed;
  const uint64_t onDisk = file.BytesOnDisk() > kWavHeaderSize ? file.BytesOnDisk() - kWavHeaderSize : 0;
  uint64_t dataBytes = std::min<uint64_t>(samples * (format.bitsPerSample / 8), onDisk);
  dataBytes -= dataBytes % format.BlockAlign();
  uint8_t header[kWavHeaderSize];
  BuildWavHeader(header, static_cast<uint32_t>(dataBytes), format);
  if (failed) file.Truncate(kWavHeaderSize + dataBytes);
  const bool headerOk = file.WriteAt(0, header, sizeof header);
  return file.Close() && headerOk && !failed;
}

}  // namespace

int CRippingProgress::WriteWavFile(const std::string& path) {
  const bool mono = Mono != 0;
  const int divisor = mono ? 2 : 1;
  const bool eightBit = settings_.subFormat == 0;
  const WavFormat format{static_cast<uint16_t>(mono ? 1 : 2), settings_.wavRate,
                         static_cast<uint16_t>(eightBit ? 8 : 16)};
  OutputFile file;
  uint8_t header[kWavHeaderSize];
  BuildWavHeader(header, 0, format);
  if (!file.Open(path, O_WRONLY | O_CREAT | O_TRUNC) || !file.Write(header, sizeof header))
    throw WriteFailure(file.ErrorText());

  const uint32_t allTotal = OutputSamples(TrackList.back().TotalLength, RateFactor, divisor);
  const uint32_t s = OutputSamples(TrackList[CurrentTrack].Length, RateFactor, divisor);
  std::vector<int16_t> samples(eightBit ? kWriterChunk : 0);
  std::vector<uint8_t> bytes8(eightBit ? kWriterChunk : 0);
  bool failed = false;
  const uint64_t written = MoveTrackSamples(kWriterChunk, s, allTotal, [&](uint32_t n) {
    if (eightBit) {
      writerRing_->Read(samples.data(), n);
      failed = !file.Write(bytes8.data(), SamplesTo8Bit(samples.data(), bytes8.data(), n));
    } else if (uint8_t* room = file.Reserve(n * sizeof(int16_t))) {
      // 16-bit samples go from the ring straight into the file's buffer.
      writerRing_->Read(reinterpret_cast<int16_t*>(room), n);
      file.Commit(n * sizeof(int16_t));
    } else {
      failed = true;
    }
    return !failed;
  });
  if (!FinishWavFile(file, format, written, failed)) {
    Running = 0;
    PostLog("An error occurred while encoding", LogError);
  }
  SendFinalProgress(s, allTotal);
  return 1;
}

// The rip job: the tracks to rip, its state flags and counters, the encoder
// set-up, and the reader, conversion and writer threads that move CD sectors
// into WAV or MP3 files. The job runs without a window: it reports through
// the message sink it is given (progress, log lines, status texts, the end),
// and the progress window is a thin view that starts, pauses and cancels it
// and shows what it reports.
//
// Threads are never killed: every wait of every thread also watches Running,
// so clearing it (cancel, an error, StopThreads) ends them all promptly and
// they are joined.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cddb/cddb_record.h"
#include "platform/log_sink.h"
#include "rip/file_naming.h"
#include "rip/progress_math.h"
#include "rip/rip_job_settings.h"
#include "rip/rip_messages.h"
#include "rip/rip_types.h"
#include "rip/track_writer.h"

struct SectorBuffer;

// Capacity of each of the two rip rings, in samples (about 11.9 s of CD audio).
inline constexpr uint32_t kRipRingCapacity = 0xFFFFF;
// Sectors per read request, and sectors the read buffer holds.
inline constexpr uint16_t kSectorsPerRead = 26;
inline constexpr int kReadBufferSectors = 27;
// Samples the writer moves per step.
inline constexpr uint32_t kWriterChunk = 2048;

// CD samples in `sectors` sectors (none for a negative count).
inline uint32_t CdSamples(int32_t sectors) {
  return sectors > 0 ? static_cast<uint32_t>(sectors) * kSamplesPerSector : 0;
}

// The two process-wide rings of the rip: sectors as read, and converted
// samples. Made once by CreateRipRings (the application does it at start-up;
// a job makes them itself if they are missing).
extern std::unique_ptr<SampleRing> RipReadRing;
extern std::unique_ptr<SampleRing> RipConvertRing;
void CreateRipRings();

// Thread priorities of the rip; applied as nice values where the system
// allows, silently kept normal where it does not.
enum class ThreadPriority { Normal, AboveNormal, Highest };
// The reader's priority for a machine with `processors` processors.
ThreadPriority ReaderPriorityFor(int processors, bool resample);
// Gives the calling thread that priority, as far as the system allows.
void ApplyThreadPriority(ThreadPriority priority);

// Lets a thread that polls a ring wake as soon as the other side has moved:
// the poll interval bounds a wait instead of setting its length.
class RingEvent {
 public:
  uint64_t Count() const { return count_.load(); }
  void Notify();
  // Waits until the count is no longer `seen`, at most `timeout`.
  void WaitSince(uint64_t seen, std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<uint64_t> count_{0};
};

struct Mp3Encoder;
struct Mp3EncoderDeleter {
  void operator()(Mp3Encoder* encoder) const;
};

class CRippingProgress {
 public:
  enum class StartResult {
    Started,
    EncoderMissing,       // "Error loading lame_enc.dll" was logged
    EncoderIncomplete,    // "Unable to get LAME interfaces" was logged
    UnknownOutputFormat,  // refused with a fatal log line
    NoSectorBuffer,       // nothing started, nothing reported
    NoTracks,             // an empty track list
    AlreadyStarted,
  };

  // `sink` receives the job's messages; `settings` is everything the job
  // works from (the Rip command takes it with MakeRipJobSettings); `log` (may
  // be null) receives the lines the job adds to the event log itself when it
  // cannot start.
  CRippingProgress(IRipMessageSink& sink, RipJobSettings settings, ILogSink* log = nullptr);
  // Stops and joins the threads, restores the priority, frees the buffers.
  ~CRippingProgress();
  CRippingProgress(const CRippingProgress&) = delete;
  CRippingProgress& operator=(const CRippingProgress&) = delete;

  // Sets the job up from its settings and starts the threads.
  StartResult Start();
  // Clears Running and joins every thread that was started.
  void StopThreads();
  // Waits for the threads to end on their own (after the last track, or after
  // an error cleared Running), then joins them.
  void WaitForThreads();
  // The user cancels: Cancelled = 1, Running = 0, threads stopped.
  void Cancel();
  // While running, toggles Paused; returns whether the job is now paused.
  bool TogglePause();
  // The window saw WM_RIP_FINISHED: the job is no longer running.
  void OnRipFinished();

  // The progress handler's input for one WM_RIP_PROGRESS message.
  RipProgressInput ProgressInput(float trackPercent, float overallPercent) const;
  std::string LastOutputPath() const;
  const RipJobSettings& Settings() const { return settings_; }

  // Filled by the Rip command before Start.
  std::vector<TrackData> TrackList;
  // Whether the disc in the drive holds an audio track (the main window's
  // flag); without one the reader stops at once.
  int IsAudioDisc = 1;

  std::atomic<int> Cancelled{0};
  std::atomic<int> Running{0};
  std::atomic<int> Paused{0};
  int Mono = 0;
  int Resample = 0;
  double RateFactor = 1.0;  // output rate / 44100
  std::atomic<uint16_t> CurrentTrack{0};
  uint16_t SectorsPerRead = kSectorsPerRead;
  std::atomic<uint32_t> TotalDone{0};    // output samples written in the job
  std::atomic<uint32_t> TrackDone{0};    // ... and in the current track
  std::atomic<uint32_t> SamplesLeft{0};  // input samples the conversion still owes
  std::atomic<uint32_t> TrackStartTick{0};
  std::atomic<uint32_t> JobStartTick{0};
  ThreadPriority ReaderPriority = ThreadPriority::Normal;
  ThreadPriority WriterPriority = ThreadPriority::Highest;
  double SamplesPerSecondAt1x = 88200.0;

 private:
  friend void RipReaderThreadProc(CRippingProgress* job);
  friend void ConvertThreadProc(CRippingProgress* job);
  friend void RipWriterThreadProc(CRippingProgress* job);

  StartResult LoadEncoder();  // mp3_writer.cpp
  void DecideConversion();

  // Reader (sector_reader.cpp).
  void RipReaderThread();
  void ReadSectors(int32_t lba, int32_t count);
  bool ReadWithRetries(int32_t lba);
  // Conversion (ripping_progress.cpp).
  void ConvertThread();
  // Writer (track_writer.cpp, mp3_writer.cpp).
  void RipWriterThread();
  void RipTrack();
  bool CheckOutputFile(const std::string& path, int flags);
  void AppendToPlaylist(const std::string& list, const std::string& fileName);
  // Writes the track in the job's format; an empty file is removed on an error.
  void WriteTrackFile(const std::string& path);
  // Removes `path` when it is an empty regular file; true when it did.
  static bool RemoveIfEmpty(const std::string& path);
  int WriteWavFile(const std::string& path);
  int EncodeMp3File(const std::string& path);
  // How many samples the writer can take for a chunk now: `chunk` when the
  // writer ring holds that many; once the stage before has ended, what is
  // left (0: nothing more will come); kWaitForSamples to wait and ask again.
  static constexpr uint32_t kWaitForSamples = UINT32_MAX;
  uint32_t SamplesReadyFor(uint32_t chunk) const;
  // Waits for the writer ring to receive data, at most one poll interval.
  void WaitForSamples(uint64_t seen);
  // Counts what the writer took; tells a reader waiting for room.
  void TookSamples(uint32_t count);
  // Counts what was taken from the read ring; tells the reader once per request.
  void TookFromReadRing(uint32_t count);
  // Moves the current track's `s` output samples from the writer ring, at
  // most `chunk` at a time, through `take` (which reads them from the ring
  // and returns false to stop): pauses, posts progress, waits for samples.
  // Returns how many samples `take` accepted.
  uint64_t MoveTrackSamples(uint32_t chunk, uint32_t s, uint32_t allTotal,
                            const std::function<bool(uint32_t)>& take);
  void FinishMp3File(Mp3Encoder& encoder, uint32_t stream, OutputFile& file, std::vector<uint8_t>& output,
                     bool writeFailed, const std::string& path);
  void PostProgress(double trackSamples, double allSamples, uint32_t& lastTick);
  void SendFinalProgress(double trackSamples, double allSamples);

  void PostLog(const std::string& text, int level);
  bool SendStatus(int target, const std::string& text);
  bool StopRequested() const { return Running.load() == 0; }
  // Sleeps up to `ms` milliseconds, less when Running is cleared.
  void SleepWhileRunning(int ms) const;
  void SetLastOutputPath(const std::string& path);

  IRipMessageSink& sink_;
  ILogSink* log_;
  RipJobSettings settings_;
  bool started_ = false;
  int previousNice_ = 0;
  bool niceChanged_ = false;
  pid_t startThread_ = 0;  // the thread whose priority Start raised

  SampleRing* readRing_ = nullptr;
  SampleRing* convertRing_ = nullptr;
  SampleRing* writerRing_ = nullptr;
  // Set when the reader, and the stage that fills the writer ring, have ended.
  std::atomic<int> readerEnded_{0};
  std::atomic<int> writerSourceEnded_{0};
  RingEvent samplesArrived_;       // the reader put samples into the read ring
  RingEvent roomMade_;             // the writer took samples from the read ring
  uint32_t takenSinceNotice_ = 0;  // by the read ring's one consumer
  SectorBuffer* sectorBuffer_ = nullptr;
  std::unique_ptr<Mp3Encoder, Mp3EncoderDeleter> encoder_;

  std::thread reader_;
  std::thread converter_;
  std::thread writer_;

  mutable std::mutex pathMutex_;
  std::string lastOutputPath_;
};

// The job that runs now, if any (at most one runs at a time).
extern std::atomic<CRippingProgress*> CurrentRipDialog;

// Thread procedures of the three stages.
void RipReaderThreadProc(CRippingProgress* job);
void ConvertThreadProc(CRippingProgress* job);
void RipWriterThreadProc(CRippingProgress* job);

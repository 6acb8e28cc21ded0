// The rip job: set-up, thread start and stop, state shared with the window,
// and the conversion stage's thread.
#include "rip/ripping_progress.h"

#include <fmt/printf.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/cd_drive.h"
#include "rip/sample_converter.h"

std::unique_ptr<SampleRing> RipReadRing;
std::unique_ptr<SampleRing> RipConvertRing;
std::atomic<CRippingProgress*> CurrentRipDialog{nullptr};

namespace {

constexpr int kStartWaitMs = 500;
constexpr uint32_t kCdRateHz = 44100;
constexpr double kCdRate = 44100.0;

// How much a priority raises a thread above the one that made it (nice steps).
int NiceStepsOf(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::AboveNormal:
      return 2;
    case ThreadPriority::Highest:
      return 4;
    default:
      return 0;
  }
}

int ThreadNice(pid_t thread) { return getpriority(PRIO_PROCESS, static_cast<id_t>(thread)); }

bool SetThreadNice(pid_t thread, int nice) {
  return setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0;
}

}  // namespace

void RingEvent::Notify() {
  {
    std::lock_guard lock(mutex_);
    count_.fetch_add(1);
  }
  changed_.notify_all();
}

void RingEvent::WaitSince(uint64_t seen, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return count_.load() != seen; });
}

void CreateRipRings() {
  if (!RipReadRing) RipReadRing = std::make_unique<SampleRing>(kRipRingCapacity);
  if (!RipConvertRing) RipConvertRing = std::make_unique<SampleRing>(kRipRingCapacity);
}

ThreadPriority ReaderPriorityFor(int processors, bool resample) {
  const int x = std::min(processors - 1 + (resample ? 1 : 0), 5);
  if (x >= 5) return ThreadPriority::Highest;
  if (x >= 3) return ThreadPriority::AboveNormal;
  return ThreadPriority::Normal;
}

void ApplyThreadPriority(ThreadPriority priority) {
  const int steps = NiceStepsOf(priority);
  // Raising a priority needs a privilege most users lack; then the thread
  // simply keeps the priority it has.
  if (steps > 0) SetThreadNice(gettid(), ThreadNice(gettid()) - steps);
}

CRippingProgress::CRippingProgress(IRipMessageSink& sink, RipJobSettings settings, ILogSink* log)
    : sink_(sink), log_(log), settings_(std::move(settings)) {
  // The names carry the extension of the format the job writes.
  settings_.naming.outputFormat = settings_.outputFormat;
}

CRippingProgress::~CRippingProgress() {
  StopThreads();
  if (niceChanged_) SetThreadNice(startThread_, previousNice_);
  FreeSectorBuffer(sectorBuffer_);
  CRippingProgress* self = this;
  CurrentRipDialog.compare_exchange_strong(self, nullptr);
}

void CRippingProgress::DecideConversion() {
  const RipJobSettings& s = settings_;
  // MP3 is never resampled here: the encoder does it.
  Mono = s.outputFormat == 1 ? s.wavChannel == 0 : s.mp3.channel == 0;
  Resample = s.outputFormat == 1 && s.wavRate != kCdRateHz;
  RateFactor = Resample ? settings_.wavRate / kCdRate : 1.0;
  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  ReaderPriority = ReaderPriorityFor(processors, Resample != 0);
  WriterPriority = ThreadPriority::Highest;
  SamplesPerSecondAt1x = ::SamplesPerSecondAt1x(RateFactor, Mono != 0);
  SamplesLeft = CdSamples(TrackList.back().TotalLength);
}

CRippingProgress::StartResult CRippingProgress::Start() {
  if (started_) return StartResult::AlreadyStarted;
  if (TrackList.empty()) return StartResult::NoTracks;
  CurrentRipDialog = this;
  // The rip runs above normal priority until the job goes, where allowed.
  if (!niceChanged_) {
    startThread_ = gettid();
    previousNice_ = ThreadNice(startThread_);
    niceChanged_ = SetThreadNice(startThread_, previousNice_ - NiceStepsOf(ThreadPriority::AboveNormal));
  }
  Paused = 0;
  Cancelled = 0;
  Running = 0;
  CurrentTrack = 0;
  TotalDone = 0;
  TrackDone = 0;

  if (settings_.outputFormat != 1 && settings_.outputFormat != 2) {
    PostLog(fmt::sprintf("Unknown output format %d", settings_.outputFormat), LogFatal);
    return StartResult::UnknownOutputFormat;
  }
  if (settings_.outputFormat == 2) {
    const StartResult loaded = LoadEncoder();
    if (loaded != StartResult::Started) return loaded;
  }
  SectorsPerRead = kSectorsPerRead;
  DecideConversion();
  sink_.PostRipMessage(RipMessage::Progress(0.0f, 0.0f));

  CreateRipRings();
  RipReadRing->Reset();
  RipConvertRing->Reset();
  readRing_ = RipReadRing.get();
  const bool convert = Mono || Resample;
  convertRing_ = convert ? RipConvertRing.get() : nullptr;
  sectorBuffer_ = AllocSectorBuffer(kReadBufferSectors);
  if (!sectorBuffer_) return StartResult::NoSectorBuffer;

  writerRing_ = convert ? convertRing_ : readRing_;
  readerEnded_ = 0;
  writerSourceEnded_ = 0;
  Running = 1;
  started_ = true;
  reader_ = std::thread(RipReaderThreadProc, this);
  if (convert) converter_ = std::thread(ConvertThreadProc, this);
  writer_ = std::thread(RipWriterThreadProc, this);
  return StartResult::Started;
}

void CRippingProgress::WaitForThreads() {
  for (std::thread* t : {&reader_, &converter_, &writer_})
    if (t->joinable()) t->join();
}

void CRippingProgress::StopThreads() {
  Running = 0;
  WaitForThreads();
}

void CRippingProgress::Cancel() {
  Cancelled = 1;
  Running = 0;
  StopThreads();
}

bool CRippingProgress::TogglePause() {
  if (Running) Paused = Paused ? 0 : 1;
  return Paused != 0;
}

void CRippingProgress::OnRipFinished() { Running = 0; }

RipProgressInput CRippingProgress::ProgressInput(float trackPercent, float overallPercent) const {
  RipProgressInput in;
  in.trackPercent = trackPercent;
  in.overallPercent = overallPercent;
  in.now = RipTickCount();
  in.trackStartTick = TrackStartTick;
  in.jobStartTick = JobStartTick;
  in.trackDone = TrackDone;
  in.totalDone = TotalDone;
  in.samplesPerSecondAt1x = SamplesPerSecondAt1x;
  return in;
}

std::string CRippingProgress::LastOutputPath() const {
  std::lock_guard lock(pathMutex_);
  return lastOutputPath_;
}

void CRippingProgress::SetLastOutputPath(const std::string& path) {
  std::lock_guard lock(pathMutex_);
  lastOutputPath_ = path;
}

void CRippingProgress::PostLog(const std::string& text, int level) {
  sink_.PostRipMessage(RipMessage::Log(text, level));
}

bool CRippingProgress::SendStatus(int target, const std::string& text) {
  return sink_.SendRipMessage(RipMessage::Status(target, text), [this] { return StopRequested(); });
}

void CRippingProgress::SleepWhileRunning(int ms) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (Running && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        std::chrono::milliseconds(10), end - std::chrono::steady_clock::now()));
}

void CRippingProgress::ConvertThread() {
  SleepWhileRunning(kStartWaitMs);
  try {
    SampleConversion c;
    c.input = readRing_;
    c.output = convertRing_;
    c.mono = Mono != 0;
    c.resample = Resample != 0;
    c.outputRate = static_cast<int>(RateFactor * kCdRate);
    c.totalSamples = SamplesLeft;
    c.samplesLeft = &SamplesLeft;
    c.stopRequested = [this] { return StopRequested(); };
    c.inputEnded = [this] { return readerEnded_.load() != 0; };
    c.tookInput = [this](uint32_t count) { TookFromReadRing(count); };
    c.gaveOutput = [this] { samplesArrived_.Notify(); };
    RunSampleConversion(c);
  } catch (...) {
    Running = 0;
    PostLog("An error occurred while processing audio data", LogError);
  }
  writerSourceEnded_ = 1;
}

void ConvertThreadProc(CRippingProgress* job) { job->ConvertThread(); }

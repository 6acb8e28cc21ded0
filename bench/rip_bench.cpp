// Rip benchmark: generates a 74-minute disc image and rips it through the
// real pipeline (drive library, reader, conversion, writer, encoder library)
// to 16-bit stereo WAV, to 8-bit mono 22050 Hz WAV and to 128 kbps joint
// stereo MP3. For comparison, in the same run and on the same audio: reading
// the image through the drive library alone, a plain read-and-write copy of
// the audio, and a straight libmp3lame encode at the rip's settings.
//
// Each measurement runs in a child process of its own, so that its CPU time
// and peak memory are its own. Prints times real time, CPU seconds and peak
// memory; the last line is the speed ratio MP3 rip / straight encode.
//
// Usage: rip_bench [work folder]   (default: a new folder under /tmp; about
// 1.6 GB of free space is needed). RIP_BENCH_ONLY=read|copy|wav16|wav8|encode|mp3
// runs one measurement only.
#include <fcntl.h>
#include <lame/lame.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/cd_drive.h"
#include "platform/folders.h"
#include "rip/ripping_progress.h"
#include "tests/support/disc_image.h"
#include "tests/support/fake_drive.h"

namespace {

constexpr int kTracks = 20;
constexpr int kSectorsPerTrack = 74 * 60 * 75 / kTracks;  // 74 minutes in all
constexpr double kAudioSeconds = static_cast<double>(kTracks) * kSectorsPerTrack / 75.0;
constexpr double kStartWaitSeconds = 0.5;  // the writer's wait before its first track
constexpr size_t kBlockBytes = 26 * 2352;

struct Figures {
  bool ok = false;
  double wall = 0;    // seconds
  double cpu = 0;     // user + system seconds of all threads
  double peakMb = 0;  // peak resident memory
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// Runs `body` in a child process; body measures its own wall time. With
// RIP_BENCH_ONLY set, only the measurement of that name runs (for profiling).
Figures InChild(const char* name, const std::function<bool(double& wall)>& body) {
  const char* only = std::getenv("RIP_BENCH_ONLY");
  if (only && std::string(only) != name) return {};
  // Start each measurement with the earlier ones' files on disk, not still
  // being written back while this one runs.
  sync();
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    Figures f;
    f.ok = body(f.wall);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    f.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    f.peakMb = usage.ru_maxrss / 1024.0;
    const ssize_t written = write(fds[1], &f, sizeof f);
    _exit(written == static_cast<ssize_t>(sizeof f) ? 0 : 1);
  }
  close(fds[1]);
  Figures f;
  if (read(fds[0], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) f.ok = false;
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return f;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Knows when the job has ended and whether it failed; records nothing else.
class BenchSink : public IRipMessageSink {
 public:
  void PostRipMessage(const RipMessage& m) override {
    if (m.id == WM_RIP_LOG && m.level != LogInfo) {
      std::fprintf(stderr, "rip: %s\n", m.text.c_str());
      End(false);
    }
    if (m.id == WM_RIP_FINISHED) End(true);
  }
  bool SendRipMessage(const RipMessage& m, const std::function<bool()>&) override {
    PostRipMessage(m);
    return true;
  }
  bool Wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return ended_; });
    return finished_;
  }

 private:
  void End(bool finished) {
    std::lock_guard lock(mutex_);
    if (ended_) return;
    ended_ = true;
    finished_ = finished;
    done_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable done_;
  bool ended_ = false;
  bool finished_ = false;
};

struct RipSetup {
  const char* name;
  int outputFormat;
  int subFormat;
  uint32_t rate;  // Hz
  int channel;
};

bool RipBody(const RipSetup& setup, const std::string& folder, const std::string& cue,
             const DiscImageLayout& layout, double& wall) {
  RipJobSettings settings;
  settings.outputFormat = setup.outputFormat;
  settings.subFormat = setup.subFormat;
  settings.wavRate = setup.rate;
  settings.wavChannel = setup.channel;
  settings.mp3 = Mp3Settings{44100, 128, 2, 9};
  settings.m3u = true;
  settings.fillTag = true;
  settings.programFolder = GetProgramFolder();
  settings.album.Artist = "Bench";
  settings.album.Title = "Seventy-four minutes";
  for (int i = 0; i < kTracks; ++i) settings.album.TrackTitles.push_back("Track " + std::to_string(i + 1));
  OutputNaming& naming = settings.naming;
  naming.desDir = folder + "/out/";
  naming.fileStyle = 11;
  naming.artist = settings.album.Artist;
  naming.album = settings.album.Title;
  naming.trackTitles = settings.album.TrackTitles;

  FakeDrive drive(cue);
  CDHandle = drive.Open();
  if (!CDHandle || ReadTOC(CDHandle, TOCBuffer) != 1) return false;
  settings.firstTrack = TOCBuffer[2];
  settings.lastTrack = TOCBuffer[3];
  NoDisc = 0;
  CreateRipRings();  // the application makes them at start-up

  BenchSink sink;
  bool finished = false;
  {
    CRippingProgress job(sink, settings);
    int32_t total = 0;
    for (int i = 0; i < kTracks; ++i) {
      TrackData t;
      t.TrackNumber = static_cast<uint16_t>(i);
      t.StartLBA = layout.Tracks[static_cast<size_t>(i)].StartLBA;
      t.Length = layout.TOCLength(i);
      total += t.Length;
      t.TotalLength = total;
      job.TrackList.push_back(t);
    }
    const double start = Now();
    if (job.Start() != CRippingProgress::StartResult::Started) return false;
    finished = sink.Wait();
    job.WaitForThreads();
    wall = Now() - start;
  }
  CloseCDHandle(CDHandle);
  std::error_code ec;
  std::filesystem::remove_all(folder + "/out", ec);
  return finished;
}

bool DriveReadBody(const std::string& cue, const DiscImageLayout& layout, double& wall) {
  FakeDrive drive(cue);
  const int handle = drive.Open();
  SectorBuffer* buffer = AllocSectorBuffer(27);
  if (!handle || !buffer) return false;
  const double start = Now();
  bool ok = true;
  for (int32_t lba = 0; lba < layout.LeadOutLBA && ok; lba += 26) {
    buffer->StartSector = static_cast<uint32_t>(lba);
    buffer->SectorCount = static_cast<uint32_t>(std::min(26, layout.LeadOutLBA - lba));
    buffer->Length = 0;
    buffer->StartOffset = 0;
    ok = ReadCDAudioLBA(handle, buffer) == 1;
  }
  wall = Now() - start;
  FreeSectorBuffer(buffer);
  CloseCDHandle(handle);
  return ok;
}

bool CopyBody(const std::string& bin, const std::string& copy, double& wall) {
  const double start = Now();
  const int in = open(bin.c_str(), O_RDONLY);
  const int out = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char> block(kBlockBytes);
  bool ok = in >= 0 && out >= 0;
  for (ssize_t n; ok && (n = read(in, block.data(), block.size())) > 0;)
    ok = write(out, block.data(), static_cast<size_t>(n)) == n;
  ok = close(out) == 0 && ok;
  close(in);
  wall = Now() - start;
  std::remove(copy.c_str());
  return ok;
}

bool EncodeBody(const std::string& bin, const std::string& mp3, double& wall) {
  const double start = Now();
  lame_global_flags* gf = lame_init();
  lame_set_num_channels(gf, 2);
  lame_set_in_samplerate(gf, 44100);
  lame_set_out_samplerate(gf, 44100);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_VBR(gf, vbr_off);
  lame_set_brate(gf, 128);
  lame_set_quality(gf, 9);
  lame_set_bWriteVbrTag(gf, 1);
  lame_set_disable_reservoir(gf, 1);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) return false;
  FILE* in = std::fopen(bin.c_str(), "rb");
  FILE* out = std::fopen(mp3.c_str(), "w+b");
  if (!in || !out) return false;
  std::vector<short> pcm(kBlockBytes / 2);
  std::vector<unsigned char> coded(pcm.size() * 5 / 8 + 7200);
  bool ok = true;
  for (size_t n; ok && (n = std::fread(pcm.data(), 2, pcm.size(), in)) > 0;) {
    const int bytes = lame_encode_buffer_interleaved(gf, pcm.data(), static_cast<int>(n / 2), coded.data(),
                                                     static_cast<int>(coded.size()));
    ok = bytes >= 0 &&
         std::fwrite(coded.data(), 1, static_cast<size_t>(bytes), out) == static_cast<size_t>(bytes);
  }
  const int last = lame_encode_flush(gf, coded.data(), static_cast<int>(coded.size()));
  ok = ok && last >= 0 &&
       std::fwrite(coded.data(), 1, static_cast<size_t>(last), out) == static_cast<size_t>(last);
  unsigned char frame[8192];
  const size_t size = lame_get_lametag_frame(gf, frame, sizeof frame);
  ok = ok && std::fseek(out, 0, SEEK_SET) == 0 && std::fwrite(frame, 1, size, out) == size;
  ok = std::fclose(out) == 0 && ok;
  std::fclose(in);
  lame_close(gf);
  wall = Now() - start;
  std::remove(mp3.c_str());
  return ok;
}

void Print(const char* name, const Figures& f, double excludeSeconds = 0) {
  if (f.wall == 0 && !f.ok) {
    std::printf("%-40s skipped\n", name);
    return;
  }
  if (!f.ok) {
    std::printf("%-40s FAILED\n", name);
    return;
  }
  std::printf("%-40s %9.1f %8.2f %8.1f", name, kAudioSeconds / f.wall, f.cpu, f.peakMb);
  if (excludeSeconds > 0)
    std::printf("   (%.1f without the %.1f s start wait)", kAudioSeconds / (f.wall - excludeSeconds),
                excludeSeconds);
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (argc > 1) {
    folder = argv[1];
    std::filesystem::create_directories(folder);
  } else {
    char pattern[] = "/tmp/qcr-rip-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    folder = pattern;
  }
  DiscImageSpec discSpec;
  for (int i = 0; i < kTracks; ++i) discSpec.Tracks.push_back(AudioTrackSectors(kSectorsPerTrack));
  std::printf("Writing a %d-minute disc image to %s ...\n", static_cast<int>(kAudioSeconds / 60),
              folder.c_str());
  std::fflush(stdout);
  const std::string cue = WriteDiscImage(folder, discSpec, "bench");
  const std::string bin = folder + "/bench.bin";
  const DiscImageLayout layout = LayoutOf(discSpec);

  std::printf("%d tracks, %d sectors, %.1f MB of audio, %u processors\n\n", kTracks, layout.LeadOutLBA,
              layout.LeadOutLBA * 2352.0 / 1e6, std::thread::hardware_concurrency());
  std::printf("%-40s %9s %8s %8s\n", "", "x real", "CPU s", "peak MB");

  const Figures read = InChild("read", [&](double& wall) { return DriveReadBody(cue, layout, wall); });
  Print("read through the drive library", read);
  const Figures copy =
      InChild("copy", [&](double& wall) { return CopyBody(bin, folder + "/copy.raw", wall); });
  Print("plain read-and-write copy", copy);
  const RipSetup wav16{"rip to 16-bit stereo WAV", 1, 1, 44100, 1};
  const Figures rip16 =
      InChild("wav16", [&](double& wall) { return RipBody(wav16, folder, cue, layout, wall); });
  Print(wav16.name, rip16, kStartWaitSeconds);
  const RipSetup wav8{"rip to 8-bit mono 22050 Hz WAV", 1, 0, 22050, 0};
  const Figures rip8 =
      InChild("wav8", [&](double& wall) { return RipBody(wav8, folder, cue, layout, wall); });
  Print(wav8.name, rip8, kStartWaitSeconds);
  const Figures encode =
      InChild("encode", [&](double& wall) { return EncodeBody(bin, folder + "/straight.mp3", wall); });
  Print("straight libmp3lame encode, 128k JS", encode);
  const RipSetup mp3{"rip to 128 kbps joint-stereo MP3", 2, 1, 44100, 1};
  const Figures ripMp3 =
      InChild("mp3", [&](double& wall) { return RipBody(mp3, folder, cue, layout, wall); });
  Print(mp3.name, ripMp3, kStartWaitSeconds);

  std::error_code ec;
  if (argc <= 1) std::filesystem::remove_all(folder, ec);
  if (!(read.ok && copy.ok && rip16.ok && rip8.ok && encode.ok && ripMp3.ok)) return 1;

  std::printf("\nWAV rip / plain copy, start wait excluded:   %.2f  (target >= 0.70)\n",
              copy.wall / (rip16.wall - kStartWaitSeconds));
  std::printf("MP3 rip CPU / straight encode CPU:           %.2f  (target <= 1.10)\n",
              ripMp3.cpu / encode.cpu);
  std::printf("MP3 rip / straight encode:                   %.2f\n", encode.wall / ripMp3.wall);
  return 0;
}

// The first stage of the rip: reads the raw audio sectors of every track from
// the open drive, in requests of SectorsPerRead sectors, retries failed reads
// and puts the samples into the read ring.
#include <fmt/printf.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/cd_drive.h"
#include "rip/ripping_progress.h"

namespace {
constexpr int kStartWaitMs = 500;
constexpr auto kRoomPoll = std::chrono::milliseconds(1);
}  // namespace

void RipReaderThreadProc(CRippingProgress* job) { job->RipReaderThread(); }

void CRippingProgress::RipReaderThread() {
  ApplyThreadPriority(ReaderPriority);
  SleepWhileRunning(kStartWaitMs);
  for (size_t i = 0; i < TrackList.size() && Running; ++i)
    ReadSectors(TrackList[i].StartLBA, TrackList[i].Length);
  readerEnded_ = 1;
  // Without a conversion stage the writer takes straight from this ring.
  if (writerRing_ == readRing_) writerSourceEnded_ = 1;
}

// One request of SectorCount sectors at `lba`, tried once and then up to
// MaxReadRetries more times. Stops retrying when the job stops.
bool CRippingProgress::ReadWithRetries(int32_t lba) {
  for (int tries = 0; tries <= settings_.maxReadRetries; ++tries) {
    if (tries > 0) {
      if (!Running) return false;
      PostLog(fmt::sprintf("Retry %d to read sector %d", tries, lba), LogError);
    }
    sectorBuffer_->Length = 0;
    sectorBuffer_->StartOffset = 0;
    if (ReadCDAudioLBA(CDHandle, sectorBuffer_) == 1) return true;
  }
  return false;
}

void CRippingProgress::ReadSectors(int32_t lba, int32_t remaining) {
  if (NoDisc || !IsAudioDisc) {
    Running = 0;
    return;
  }
  const uint32_t maxLength = sectorBuffer_->MaxLength;
  sectorBuffer_->StartSector = sectorBuffer_->SectorCount = 0;
  sectorBuffer_->Length = sectorBuffer_->Status = sectorBuffer_->StartOffset = 0;
  sectorBuffer_->MaxLength = std::min<uint32_t>(maxLength, kReadBufferSectors * kBytesPerSector);
  try {
    while (Running && remaining > 0) {
      const int32_t n = std::min<int32_t>(SectorsPerRead, remaining);
      const uint64_t seen = roomMade_.Count();
      if (readRing_->GetFreeCount() / kSamplesPerSector < static_cast<uint32_t>(n)) {
        roomMade_.WaitSince(seen, kRoomPoll);
        continue;
      }
      sectorBuffer_->StartSector = static_cast<uint32_t>(lba);
      sectorBuffer_->SectorCount = static_cast<uint32_t>(n);
      if (ReadWithRetries(lba)) {
        // Never more than was asked for, nor beyond the buffer.
        const uint32_t limit = std::min<uint32_t>(
            static_cast<uint32_t>(n) * kBytesPerSector,
            sectorBuffer_->MaxLength - std::min(sectorBuffer_->StartOffset, sectorBuffer_->MaxLength));
        const uint32_t bytes = std::min(sectorBuffer_->Length, limit);
        uint8_t* audio = sectorBuffer_->Data() + sectorBuffer_->StartOffset;
        if (sectorBuffer_->StartOffset % 2 != 0) {  // keep the samples aligned
          std::memmove(sectorBuffer_->Data(), audio, bytes);
          audio = sectorBuffer_->Data();
        }
        readRing_->Write(reinterpret_cast<const int16_t*>(audio), bytes / 2);
        samplesArrived_.Notify();
      } else if (Running) {
        const int b = GetAspiLibAspiError() & 0xFF;
        PostLog(fmt::sprintf("Error at sector %d (error code: %d, %d)", lba, GetAspiLibError(b), b),
                LogError);
        PostLog("Reach Maximum Retries, Forced to Stop.", LogFatal);
        Running = 0;
      }
      lba += n;
      remaining -= n;
    }
  } catch (...) {
    Running = 0;
    PostLog("An error occurred while ripping", LogFatal);
  }
}

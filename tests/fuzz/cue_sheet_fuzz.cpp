// Cue sheets, as the drive library reads a disc image: the input is the
// sheet; beside it lies "album.bin", a small audio image the sheet may name.
// Whatever the sheet says, the drive opens or reports no readable disc, the
// table of contents stays inside its buffer and reads stay inside the image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/cd_drive.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

constexpr int kImageSectors = 40;

const std::string& CuePath() {
  static const std::string path = [] {
    const std::string folder = fuzz::ScratchFolder();
    std::string image(static_cast<size_t>(kImageSectors) * kCDSectorBytes, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
    fuzz::WriteFile(folder + "/album.bin", image);
    const std::string cue = folder + "/album.cue";
    ::setenv("QCR_DRIVES", cue.c_str(), 1);
    return cue;
  }();
  return path;
}

uint32_t BigEndian(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  fuzz::WriteFile(CuePath(), std::string_view(reinterpret_cast<const char*>(data), size));

  CDDriveList list;
  std::memset(&list, 0, sizeof list);
  list.MaxEntries = kCDMaxDrives;
  FUZZ_CHECK(GetCDList(&list) == 1);
  FUZZ_CHECK(list.Count == 1);
  CDHandleRequest request;
  std::memset(&request, 0, sizeof request);
  request.Size = sizeof request;
  request.Mode = 1;
  request.HostAdapter = list.Entries[0].HostAdapter;
  request.Target = list.Entries[0].Target;
  request.Lun = list.Entries[0].Lun;
  const int handle = GetCDHandle(&request);
  if (handle == 0) return 0;

  uint8_t toc[kTOCBufferSize];
  if (ReadTOC(handle, toc) == 1) {
    const auto* parsed = reinterpret_cast<const TOCData*>(toc);
    const unsigned length = static_cast<unsigned>(parsed->Length[0]) << 8 | parsed->Length[1];
    FUZZ_CHECK(length >= 2 && length <= kTOCBufferSize - 2 && (length - 2) % 8 == 0);
    const unsigned descriptors = (length - 2) / 8;
    FUZZ_CHECK(descriptors >= 1 && descriptors <= kTOCMaxDescriptors);
    const TOCDescriptor& leadOut = parsed->Descriptors[descriptors - 1];
    FUZZ_CHECK(leadOut.TrackNumber == kTOCLeadOutTrack);
    const uint32_t end = BigEndian(leadOut.StartLBA);
    SectorBuffer* buffer = AllocSectorBuffer(2);
    FUZZ_CHECK(buffer != nullptr);
    // The first sector of every track and the last before the lead-out.
    for (unsigned d = 0; d < descriptors; ++d) {
      uint32_t start = BigEndian(parsed->Descriptors[d].StartLBA);
      if (d + 1 == descriptors) start = end > 0 ? end - 1 : 0;
      buffer->StartSector = start;
      buffer->SectorCount = 1;
      buffer->Length = 0;
      buffer->StartOffset = 0;
      if (ReadCDAudioLBA(handle, buffer) == 1) {
        FUZZ_CHECK(start < end);
        FUZZ_CHECK(buffer->StartOffset + buffer->Length <= buffer->MaxLength);
      }
    }
    FreeSectorBuffer(buffer);
  }
  FUZZ_CHECK(CloseCDHandle(handle) == 1);
  return 0;
}

// Shared bits of the drive library's tests: a scratch folder, QCR_DRIVES set
// for one test, and small readers of the records.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/cd_drive.h"
#include "tests/support/disc_image.h"

class ScratchFolder {
 public:
  ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qcr-drive-XXXXXX";
    if (!::mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets QCR_DRIVES for the life of the object, then restores the old value.
class DrivesVariable {
 public:
  explicit DrivesVariable(const std::string& value) {
    if (const char* old = std::getenv("QCR_DRIVES")) old_ = old;
    ::setenv("QCR_DRIVES", value.c_str(), 1);
  }
  ~DrivesVariable() { old_ ? ::setenv("QCR_DRIVES", old_->c_str(), 1) : ::unsetenv("QCR_DRIVES"); }
  DrivesVariable(const DrivesVariable&) = delete;
  DrivesVariable& operator=(const DrivesVariable&) = delete;

 private:
  std::optional<std::string> old_;
};

inline CDDriveList ListDrives(uint8_t maxEntries = kCDMaxDrives) {
  CDDriveList list;
  std::memset(&list, 0, sizeof(list));
  list.MaxEntries = maxEntries;
  EXPECT_EQ(GetCDList(&list), 1);
  return list;
}

// Opens drive `index` of the list the way the application does.
inline int OpenListedDrive(int index) {
  const CDDriveList list = ListDrives();
  if (index >= list.Count) return 0;
  const CDDriveEntry& entry = list.Entries[index];
  CDHandleRequest request;
  std::memset(&request, 0, sizeof(request));
  request.Size = sizeof(request);
  request.Mode = 1;
  request.HostAdapter = entry.HostAdapter;
  request.Target = entry.Target;
  request.Lun = entry.Lun;
  return GetCDHandle(&request);
}

inline uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline std::vector<uint8_t> ReadTOCBytes(int handle, int* result) {
  std::vector<uint8_t> toc(kTOCBufferSize, 0xEE);
  *result = ReadTOC(handle, toc.data());
  return toc;
}

// What ReadTOC answers on `handle`.
inline int TOCResult(int handle) {
  int result = -1;
  ReadTOCBytes(handle, &result);
  return result;
}

// A sector-read record that frees itself.
struct SectorBufferDeleter {
  void operator()(SectorBuffer* b) const { FreeSectorBuffer(b); }
};
using SectorBufferPtr = std::unique_ptr<SectorBuffer, SectorBufferDeleter>;

// Reads `count` sectors the way the rip reader does; 1 on success.
inline int ReadSectorsInto(int handle, SectorBuffer* buffer, uint32_t lba, uint32_t count) {
  buffer->StartSector = lba;
  buffer->SectorCount = count;
  buffer->Length = 0;
  buffer->StartOffset = 0;
  return ReadCDAudioLBA(handle, buffer);
}

// The bytes the image holds for `count` sectors from `lba`.
inline std::vector<uint8_t> ImageBytes(const DiscImageLayout& layout, int32_t lba, int32_t count) {
  std::vector<uint8_t> bytes(static_cast<size_t>(count) * kCDSectorBytes);
  for (int32_t i = 0; i < count; ++i) FillSector(layout, lba + i, bytes.data() + i * kCDSectorBytes);
  return bytes;
}

inline bool BufferHolds(const SectorBuffer& buffer, const std::vector<uint8_t>& expected) {
  return buffer.Length == expected.size() &&
         std::memcmp(buffer.Data() + buffer.StartOffset, expected.data(), expected.size()) == 0;
}

// The local cache file ("%08x.cddb"): any bytes either load as a record or
// fail with CArchiveException, and a record that loads stores and loads back
// unchanged.
#include <cstddef>
#include <cstdint>
#include <span>

#include "cddb/archive.h"
#include "cddb/cddb_record.h"
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CArchive in(std::span<const uint8_t>(data, size));
  CCDDBRecord record;
  try {
    record.Serialize(in);
  } catch (const CArchiveException&) {
    return 0;  // damaged: refused, as it should be
  }
  CArchive out;
  record.Serialize(out);
  CArchive back(std::span<const uint8_t>(out.Bytes()));
  CCDDBRecord copy;
  copy.Serialize(back);
  FUZZ_CHECK(copy == record);
  FUZZ_CHECK(back.Remaining() == 0);
  return 0;
}

// Text files read line by line (tips file, playlists, logs): any bytes, in
// any of the file's encodings, read as a finite sequence of lines without
// line feeds or NUL characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_util.h"
#include "ui/core/stdio_file_ex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte picks how the file is opened; the rest is the file.
  const uint8_t how = data[0];
  const std::string path = fuzz::ScratchFolder() + "/text.txt";
  fuzz::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

  std::uint32_t flags = CStdioFileEx::modeRead | CStdioFileEx::typeText;
  if (how & 1) flags |= CStdioFileEx::UnicodeFileFlag;
  CStdioFileEx file;
  FUZZ_CHECK(file.Open(path, flags));
  if (how & 2) FUZZ_CHECK(file.SetCodePage(CStdioFileEx::kUtf8CodePage));
  std::string line;
  size_t lines = 0;
  while (file.ReadString(line)) {
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    FUZZ_CHECK(line.find('\0') == std::string::npos);
    // Every line but an empty last one takes at least its line feed.
    FUZZ_CHECK(++lines <= size);
  }
  FUZZ_CHECK(line.empty());
  if (how & 4) {
    // Reading again from the start gives the same number of lines.
    file.SeekToBegin();
    size_t again = 0;
    while (file.ReadString(line)) ++again;
    FUZZ_CHECK(again == lines);
  }
  file.Close();
  return 0;
}

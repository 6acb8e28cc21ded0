// Output file names from album data (which comes from CDDB servers): whatever
// the artist, album and titles hold, every path stays below the output
// folder, and every name below it is one the file system takes: not "." or
// "..", no control characters, at most kMaxNameBytes bytes.
//
// Input: a byte for the template, a byte for the format, then newline-
// separated fields: output folder, artist, album, separator, track titles.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rip/file_naming.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

std::vector<std::string> Fields(std::string_view text) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string_view::npos; start = nl + 1) {
    fields.emplace_back(text.substr(start, nl - start));
  }
  fields.emplace_back(text.substr(start));
  return fields;
}

// The names below `root` in `path`, which must start with it.
void CheckBelow(const std::string& root, const std::string& path) {
  FUZZ_CHECK(path.compare(0, root.size(), root) == 0);
  const std::string below = path.substr(root.size());
  size_t start = 0;
  for (;;) {
    const size_t slash = below.find('/', start);
    const std::string name = below.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    FUZZ_CHECK(name != "." && name != "..");
    FUZZ_CHECK(name.size() <= kMaxNameBytes);
    for (char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 16 * 1024) return 0;
  const std::vector<std::string> fields =
      Fields(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2));
  OutputNaming naming;
  naming.fileStyle = data[0] % 15 - 1;  // -1 to 13: unknown templates too
  naming.outputFormat = data[1] % 4;
  naming.year = static_cast<int>(data[1]) * 9;
  naming.desDir = fields[0];
  if (naming.desDir.empty() || naming.desDir.back() != '/') naming.desDir += '/';
  if (fields.size() > 1) naming.artist = fields[1];
  if (fields.size() > 2) naming.album = fields[2];
  // The separator is the user's own (at most 3 characters), not album data;
  // the name rules still hold whatever it is.
  if (fields.size() > 3) naming.separator = fields[3];
  for (size_t i = 4; i < fields.size() && naming.trackTitles.size() < 99; ++i) {
    naming.trackTitles.push_back(fields[i]);
  }

  for (size_t track = 0; track < naming.trackTitles.size(); ++track) {
    CheckBelow(naming.desDir, BuildOutputFileName(naming, static_cast<int>(track)));
  }
  // A track past the album's titles is named with its default title.
  CheckBelow(naming.desDir, BuildOutputFileName(naming, static_cast<int>(naming.trackTitles.size())));
  const std::string prefix = BuildOutputPrefix(naming);
  const std::string folder = FolderOf(JoinOutputPath(naming, prefix, "x", ".m3u"));
  CheckBelow(naming.desDir, BuildPlaylistPath(folder, naming.album) );
  const std::string sanitized = SanitizeFileName(naming.artist);
  FUZZ_CHECK(sanitized.find('/') == std::string::npos);
  FUZZ_CHECK(sanitized != "." && sanitized != "..");
  return 0;
}

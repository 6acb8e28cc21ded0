// The Output page's view of the file-name templates.
#include "rip/file_name_templates.h"

#include <utility>

#include "rip/file_naming.h"

namespace {

// The templates as the user reads them; "-" stands for the separator and "/"
// for a folder boundary.
constexpr std::string_view kTemplates[kFileStyleCount] = {
    "<Tracknum>",
    "Track<Tracknum>",
    "<Tracktitle>",
    "<Tracknum>-<Tracktitle>",
    "<Artist>-<Album>-<Tracktitle>",
    "<Artist>-<Album>-<Tracknum>-<Tracktitle>",
    "<Artist>-<Album>-<Year>-<Tracknum>-<Tracktitle>",
    "<Artist>/<Tracknum>-<Tracktitle>",
    "<Artist>-<Album>/<Tracktitle>",
    "<Artist>/<Album>/<Tracktitle>",
    "<Artist>-<Album>/<Tracknum>-<Tracktitle>",
    "<Artist>/<Album>/<Tracknum>-<Tracktitle>",
    "<Artist>-<Album>-<Year>/<Tracknum>-<Tracktitle>",
};

struct Tag {
  std::string_view tag;
  std::string_view sample;
};

constexpr Tag kTags[] = {
    {"<Tracknum>", kSampleTrackNumber}, {"<Tracktitle>", kSampleTitle}, {"<Artist>", kSampleArtist},
    {"<Album>", kSampleAlbum},          {"<Year>", kSampleYear},
};

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string ReplaceAll(std::string text, std::string_view what, std::string_view with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

// Tags are replaced before the separator goes in, so a separator can never
// complete or break a tag.
std::string Expand(int fileStyle, std::string_view separator, bool samples) {
  std::string text(kTemplates[fileStyle]);
  if (samples)
    for (const Tag& t : kTags) text = ReplaceAll(std::move(text), t.tag, t.sample);
  return ReplaceAll(std::move(text), "-", separator);
}

bool IsTemplate(int fileStyle) { return fileStyle >= 0 && fileStyle < kFileStyleCount; }

}  // namespace

std::string CleanSeparator(std::string_view typed) {
  std::string out;
  std::size_t chars = 0;
  for (char c : typed) {
    if (!IsContinuationByte(c) && ++chars > kMaxSeparatorChars) break;
    if (IsControlByte(c)) continue;  // a pasted line break or tab has no place in a name
    out += IsReservedFileNameChar(c) ? '-' : c;
  }
  return out;
}

std::string FileStyleEntry(int fileStyle, std::string_view separator) {
  if (!IsTemplate(fileStyle)) return std::string();
  return " " + Expand(fileStyle, separator, false);
}

std::vector<std::string> FileStyleEntries(std::string_view separator) {
  std::vector<std::string> entries;
  entries.reserve(kFileStyleCount);
  for (int i = 0; i < kFileStyleCount; ++i) entries.push_back(FileStyleEntry(i, separator));
  return entries;
}

std::string FileStylePreview(int fileStyle, std::string_view separator, int outputFormat) {
  const std::string extension = GetOutputExtension(outputFormat);
  if (!IsTemplate(fileStyle)) return extension;
  return Expand(fileStyle, separator, true) + extension;
}

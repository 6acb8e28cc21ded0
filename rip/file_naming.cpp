// Output file naming: templates, safe name components, unique names.
#include "rip/file_naming.h"

#include "platform/text_encoding.h"

#include <fmt/printf.h>
#include <sys/stat.h>
#include <utf8.h>

#include <iterator>
#include <stdexcept>

namespace {

// The code points that no name may hold because nobody sees them: the C0 and
// C1 controls and DEL, the line and paragraph separators (a player may split
// a playlist line at them as at NEL), and the bidirectional embeddings,
// overrides and isolates (an override makes "gpj.exe" read "exe.jpg").
bool IsInvisibleControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

bool IsDotName(std::string_view name) { return name == "." || name == ".."; }

// Broken UTF-8 (album text of any origin) becomes U+FFFD, so that no later
// step meets bytes it could misread as part of a character.
std::string RepairUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(out));
  return out;
}

// A name Linux hides or that climbs out of its folder becomes visible and
// harmless: "." and ".." become "_", a leading "." becomes "_".
void UnhideName(std::string& name) {
  if (IsDotName(name))
    name = "_";
  else if (!name.empty() && name[0] == '.')
    name[0] = '_';
}

// Each invisible control character of valid UTF-8 text becomes one "_".
std::string ReplaceInvisibleControls(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (auto it = text.begin(); it != text.end();) {
    const auto start = it;
    if (IsInvisibleControl(utf8::unchecked::next(it)))
      out += '_';
    else
      out.append(start, it);
  }
  return out;
}

// Control characters, a name starting with "." and an overlong name are what
// could break a playlist line, hide the file or its true name, climb out of
// the output folder or fail to create. The name is checked again after every
// change to it.
std::string SafeSegment(std::string_view raw, std::size_t maxBytes) {
  std::string segment = ReplaceInvisibleControls(RepairUtf8(raw));
  if (segment.size() > maxBytes) segment = CutAtCharBoundary(segment, maxBytes);
  UnhideName(segment);
  return segment;
}

// A file or playlist name: the stem is cut so that the extension survives,
// and an empty stem becomes "_", so the name keeps its extension and is
// neither hidden nor a bare extension ("_.mp3", never ".mp3" or "_mp3").
std::string SafeFileSegment(const std::string& stem, const std::string& extension) {
  const std::size_t room = extension.size() < kMaxNameBytes ? kMaxNameBytes - extension.size() : 0;
  std::string safeStem = SafeSegment(stem, room);
  if (safeStem.empty()) safeStem = "_";
  return safeStem + extension;
}

// Templates whose file name begins with the artist and album.
bool NamesArtistInFile(int fileStyle) { return fileStyle >= 4 && fileStyle <= 6; }

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string GetOutputExtension(int format) {
  if (format == 1) return ".wav";
  if (format == 2) return ".mp3";
  return std::string();
}

bool IsReservedFileNameChar(char c) {
  switch (c) {
    case '\\':
    case '/':
    case '"':
    case '<':
    case '>':
    case '|':
    case '*':
    case '?':
    case ':':
      return true;
    default:
      return false;
  }
}

bool IsBlankByte(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool IsControlByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

std::string SanitizeFileName(std::string_view text) {
  std::string out = RepairUtf8(text);
  for (char& c : out) {
    if (IsReservedFileNameChar(c)) c = '_';
  }
  std::size_t begin = 0;
  std::size_t end = out.size();
  while (begin < end && IsBlankByte(out[begin])) ++begin;
  while (end > begin && IsBlankByte(out[end - 1])) --end;
  return SafeSegment(std::string_view(out).substr(begin, end - begin), std::string::npos);
}

std::string CutAtCharBoundary(std::string_view text, std::size_t maxBytes) {
  return CutUtf8(text, maxBytes);
}

std::string BuildFolderPart(const OutputNaming& n) {
  const std::string artist = SanitizeFileName(n.artist);
  const std::string album = SanitizeFileName(n.album);
  const std::string& sep = n.separator;
  const std::string year = fmt::sprintf("%d", n.year);
  switch (n.fileStyle) {
    case 0:
    case 2:
    case 3:
      return std::string();
    case 1:
      return "Track";
    case 4:
    case 5:
      return artist + sep + album + sep;
    case 6:
      return artist + sep + album + sep + year + sep;
    case 7:
      return artist + "/";
    case 8:
    case 10:
      return artist + sep + album + "/";
    case 9:
    case 11:
      return artist + "/" + album + "/";
    case 12:
      return artist + sep + album + sep + year + "/";
    default:
      return std::string();
  }
}

std::string DefaultTrackTitle(int trackIndex) { return fmt::sprintf("Track%02d", trackIndex + 1); }

std::string TrackTitleOf(const std::vector<std::string>& titles, int trackIndex) {
  if (trackIndex >= 0 && static_cast<std::size_t>(trackIndex) < titles.size())
    return titles[static_cast<std::size_t>(trackIndex)];
  return DefaultTrackTitle(trackIndex);
}

std::string BuildFilePart(const OutputNaming& n, int trackIndex) {
  if (trackIndex < 0) throw std::out_of_range(fmt::sprintf("no track index %d", trackIndex));
  const std::string title = SanitizeFileName(TrackTitleOf(n.trackTitles, trackIndex));
  const std::string number = fmt::sprintf("%02d", trackIndex + 1);
  switch (n.fileStyle) {
    case 0:
    case 1:
      return number;
    case 2:
    case 4:
    case 8:
    case 9:
      return title;
    case 3:
    case 5:
    case 6:
    case 7:
    case 10:
    case 11:
    case 12:
      return number + n.separator + title;
    default:
      return std::string();
  }
}

std::string BuildOutputPrefix(const OutputNaming& naming) { return naming.desDir + BuildFolderPart(naming); }

std::string JoinOutputPath(const OutputNaming& naming, const std::string& prefix, const std::string& filePart,
                           const std::string& extension) {
  // Only what lies below the output folder comes from templates and album
  // data; the output folder itself is the user's choice and stays as it is.
  std::string root;
  std::string below = prefix + filePart;
  if (below.compare(0, naming.desDir.size(), naming.desDir) == 0) {
    root = naming.desDir;
    below.erase(0, naming.desDir.size());
  }
  std::string out = root;
  std::size_t start = 0;
  for (std::size_t slash; (slash = below.find('/', start)) != std::string::npos; start = slash + 1)
    out += SafeSegment(below.substr(start, slash - start), kMaxNameBytes) + "/";
  return out + SafeFileSegment(below.substr(start), extension);
}

OutputNaming FitArtistAndAlbum(const OutputNaming& naming, const std::string& filePart,
                               const std::string& extension) {
  if (!NamesArtistInFile(naming.fileStyle)) return naming;
  const std::string artist = SanitizeFileName(naming.artist);
  const std::string album = SanitizeFileName(naming.album);
  const std::string sep = SafeSegment(naming.separator, std::string::npos);
  std::size_t fixed = 2 * sep.size() + SafeSegment(filePart, std::string::npos).size() + extension.size();
  if (naming.fileStyle == 6) fixed += fmt::sprintf("%d", naming.year).size() + sep.size();
  const std::size_t room = fixed < kMaxNameBytes ? kMaxNameBytes - fixed : 0;
  if (artist.size() + album.size() <= room) return naming;
  // Each keeps what it needs of an even share; the other gets the rest.
  std::size_t forArtist = room / 2;
  if (artist.size() < forArtist) forArtist = artist.size();
  if (album.size() < room - forArtist) forArtist = room - album.size();
  OutputNaming fitted = naming;
  fitted.artist = CutAtCharBoundary(artist, forArtist);
  fitted.album = CutAtCharBoundary(album, room - forArtist);
  return fitted;
}

std::string BuildOutputFileName(const OutputNaming& naming, int trackIndex) {
  const std::string filePart = BuildFilePart(naming, trackIndex);
  const std::string extension = GetOutputExtension(naming.outputFormat);
  const OutputNaming fitted = FitArtistAndAlbum(naming, filePart, extension);
  return JoinOutputPath(fitted, BuildOutputPrefix(fitted), filePart, extension);
}

std::string MakeUniqueFileName(const std::string& path, int outputFormat) {
  const std::string extension = GetOutputExtension(outputFormat);
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  const std::size_t stemEnd = dot == std::string::npos || dot < nameStart ? path.size() : dot;
  const std::string folder = path.substr(0, nameStart);
  const std::string stem = path.substr(nameStart, stemEnd - nameStart);
  for (int n = 2;; ++n) {
    const std::string suffix = fmt::sprintf(" (%d)%s", n, extension);
    const std::size_t room = suffix.size() < kMaxNameBytes ? kMaxNameBytes - suffix.size() : 0;
    const std::string candidate = folder + CutAtCharBoundary(stem, room) + suffix;
    if (!PathExists(candidate)) return candidate;
  }
}

std::string BuildPlaylistPath(const std::string& folder, const std::string& album) {
  return folder + "/" + SafeFileSegment(SanitizeFileName(album), ".m3u");
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string BareFileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

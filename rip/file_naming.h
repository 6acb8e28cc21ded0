// How each output file is named: the output folder, the file-name template
// (FileStyle 0-12), the separator, the album data and the track number give
// the path; name components are made safe for the file system; an existing
// name is made unique with " (2)", " (3)", ...
//
// Album text comes from CDDB servers, so it is never trusted as a path:
// broken UTF-8 becomes U+FFFD, the characters FAT players refuse become "_",
// invisible control characters (C0 and C1 controls, DEL, the line and
// paragraph separators, the bidirectional controls) become "_", a name longer
// than the file system allows is cut at a character boundary, and then a "."
// or ".." folder or file name becomes "_" and a leading "." (a hidden file)
// becomes "_". A file name whose stem comes out empty keeps its extension
// behind a "_" ("_.mp3").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Everything a path depends on.
struct OutputNaming {
  std::string desDir;  // output folder, ending with "/"
  int fileStyle = 11;  // template number
  std::string separator = "-";
  int outputFormat = 2;  // 1 WAV, 2 MP3
  std::string artist;
  std::string album;
  int year = 0;
  std::vector<std::string> trackTitles;  // by 0-based track index
};

// Longest file or folder name the file system takes, in bytes.
inline constexpr std::size_t kMaxNameBytes = 255;

// ".wav" for 1, ".mp3" for 2, empty otherwise.
std::string GetOutputExtension(int format);

// The characters no file or folder name may hold on the file systems players
// use (both slashes among them).
bool IsReservedFileNameChar(char c);

// A byte that is white space (blank, tab, line break, vertical tab, form
// feed), and one that is a C0 control character or DEL (U+0000 to U+001F,
// U+007F): what typed or pasted text is trimmed of and checked for.
bool IsBlankByte(char c);
bool IsControlByte(char c);

// Broken UTF-8 becomes U+FFFD, the nine characters \ / " < > | * ? : become
// "_", blanks at both ends go, then any invisible control character left
// becomes "_",
// a result of "." or ".." becomes "_", and a leading "." becomes "_".
std::string SanitizeFileName(std::string_view text);

// The longest start of `text` of at most `maxBytes` bytes that does not split
// a UTF-8 character.
std::string CutAtCharBoundary(std::string_view text, std::size_t maxBytes);

// The template's folder part (what comes after the output folder), e.g.
// "Artist/Album/" for template 11, "Artist-Album-" for template 4.
std::string BuildFolderPart(const OutputNaming& naming);

// The title a track has when no album names it: "Track01" for index 0.
std::string DefaultTrackTitle(int trackIndex);

// The album's title for a 0-based track index; a track the album has no
// title for (a record with fewer titles than the disc has tracks) gets
// DefaultTrackTitle.
std::string TrackTitleOf(const std::vector<std::string>& titles, int trackIndex);

// The template's file part for a 0-based track index, e.g. "03-Title", with
// TrackTitleOf as the title. Throws std::out_of_range for a negative index.
std::string BuildFilePart(const OutputNaming& naming, int trackIndex);

// Output folder + folder part. The rip writer calls it once per track.
std::string BuildOutputPrefix(const OutputNaming& naming);

// Joins a prefix, a file part and an extension, making every name below the
// output folder safe ("." and ".." become "_", names cut to kMaxNameBytes,
// keeping the extension).
std::string JoinOutputPath(const OutputNaming& naming, const std::string& prefix, const std::string& filePart,
                           const std::string& extension);

// For templates that put artist and album into the file name (4-6): the
// naming with artist and album shortened so that the name fits kMaxNameBytes
// with the track number, title and extension whole (as far as they fit
// alone). Other templates are returned as they are.
OutputNaming FitArtistAndAlbum(const OutputNaming& naming, const std::string& filePart,
                               const std::string& extension);

// The full path of a track: output folder + folder part + file part +
// extension, every name below the output folder made safe. Throws
// std::out_of_range like BuildFilePart. What the rip writes and the track
// list shows.
std::string BuildOutputFileName(const OutputNaming& naming, int trackIndex);

// The first of "base (2).ext", "base (3).ext", ... that does not exist, with
// base the path up to its last "." (the whole path when the file name has no
// "."), ext the output format's extension.
std::string MakeUniqueFileName(const std::string& path, int outputFormat);

// The album's playlist in `folder`: folder + "/" + sanitised album + ".m3u"
// ("_.m3u" for an album without a usable name).
std::string BuildPlaylistPath(const std::string& folder, const std::string& album);

// The folder of a path (up to its last "/", empty when there is none) and
// the bare file name (after it).
std::string FolderOf(const std::string& path);
std::string BareFileName(const std::string& path);

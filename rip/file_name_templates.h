// How the thirteen file-name templates look on the Output page: the list
// entries (" <Artist>/<Album>/<Tracknum>-<Tracktitle>", ...) and the preview
// of the name a template gives for fixed sample album data. The entries show
// the user's separator in place of "-" and "/" between folder parts, so they
// depict what BuildOutputFileName writes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Templates 0 to 12; the index is the FileStyle setting.
inline constexpr int kFileStyleCount = 13;

// Longest separator the Output page takes, in characters.
inline constexpr std::size_t kMaxSeparatorChars = 3;

// The sample album data of the preview.
inline constexpr const char* kSampleTrackNumber = "06";
inline constexpr const char* kSampleYear = "1994";
inline constexpr const char* kSampleArtist = "Artist";
inline constexpr const char* kSampleAlbum = "Album";
inline constexpr const char* kSampleTitle = "Title";

// The separator as the page uses it: the first kMaxSeparatorChars characters
// of `typed` (UTF-8), each of \ / " < > | * ? : turned into "-" and each
// control character (U+0000 to U+001F, U+007F) dropped. The settings loader
// cleans the stored separator with it too.
std::string CleanSeparator(std::string_view typed);

// The list entry of a template: a leading blank, then the template with each
// "-" replaced by `separator`. Empty for an index outside 0-12.
std::string FileStyleEntry(int fileStyle, std::string_view separator);

// All thirteen entries in index order.
std::vector<std::string> FileStyleEntries(std::string_view separator);

// The preview of a template: its entry without the leading blank, each tag
// replaced by its sample value, followed by the output format's extension
// (".wav", ".mp3", nothing for another format). An index outside 0-12 gives
// the extension alone.
std::string FileStylePreview(int fileStyle, std::string_view separator, int outputFormat);

// The placeholder album of a disc that was not looked up, and the reset of
// the last lookup's results. A refresh uses the placeholders for a data disc,
// for a refresh without a lookup and after a failed lookup.
#pragma once

#include <string>

// The output sub-folder the file naming derived from the last lookup.
extern std::string OutputSubFolder;

// Empties the results of the last lookup: the query matches, the full records
// of several matches, and the output sub-folder.
void ClearCDDBResults();

// Makes AlbumRecord the placeholder album and sets AlbumInfoIsDefault. Track
// offsets, extended track texts, play order and track titles are always
// emptied. Only for an audio disc in the drive (NoDisc 0, IsAudioDisc set) is
// the rest filled from TrackPositions: "Track%02d" titles, "Unknown Artist",
// "Unknown Album" and "Unknown Genre" each followed by " %08x" of the disc ID,
// year 2000 and the disc length in seconds; otherwise the texts, year and
// disc ID keep what they held.
void SetAlbumDefaults();

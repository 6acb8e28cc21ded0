// The genre names the album editor offers: the 148 genres of the ID3v1 list
// with Winamp's extensions, indices 0 to 147, spelled as the tag libraries of
// the time spelled them ("Folk/Rock" at 81, "Fusion" at 30 and again at 84).
// The table is our own: the TagLib on the system has a longer list with
// other spellings, and the names users see must not change with it.
#pragma once

#include <string>
#include <vector>

inline constexpr int kGenreCount = 148;

extern std::vector<std::string> GenreNames;

// Appends the 148 names to GenreNames in index order.
void FillGenreNames();

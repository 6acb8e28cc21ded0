// The album editor without its window: album title, artist (with the
// "Various Artists" switch), genre and year of the current album, applied to
// AlbumRecord on OK and on "Save to Local", which also writes the disc's
// local cache file. The window holds the controls; this holds their texts
// and the rules.
#pragma once

#include <functional>
#include <string>

class ILogSink;

inline constexpr const char* kVariousArtists = "Various Artists";
inline constexpr const char* kEnterIntegerMessage = "Enter an integer.";
inline constexpr const char* kEnterYearRangeMessage = "Enter an integer between 1 and 2100.";
inline constexpr const char* kLocalCacheSavedMessage = "Local CDDB File Saved.";
inline constexpr int kMinAlbumYear = 1;
inline constexpr int kMaxAlbumYear = 2100;

// The outcome of OK or "Save to Local".
struct AlbumEditResult {
  bool applied = false;  // the edits reached AlbumRecord
  std::string message;   // text for a message box; empty for none
};

class AlbumEditorModel {
 public:
  std::string album;            // "Album:" edit
  std::string artist;           // "Artist:" edit
  bool variousArtists = false;  // "Various Artists" check box
  std::string genre;            // "Genre:" combo box text, any text
  std::string year;             // "Year:" edit

  // Fills the texts from AlbumRecord; an artist of exactly "Various
  // Artists" checks the switch.
  void Load();

  // The artist field is disabled while the switch is checked.
  bool ArtistEnabled() const { return !variousArtists; }
  // Checking sets the artist text to "Various Artists"; unchecking leaves
  // the text as it is.
  void SetVariousArtists(bool checked);

  // OK: checks the year (a whole number from 1 to 2100; a record without a
  // year may keep its 0), then writes album, artist, genre and year into
  // AlbumRecord, cuts trailing white space from artist and album title,
  // calls `destinationsChanged` and marks the album as no longer the
  // placeholder. A bad year applies nothing and answers the year message.
  AlbumEditResult Apply(const std::function<void()>& destinationsChanged);

  // "Save to Local": Apply, then AlbumRecord is written to the disc's cache
  // file in LocalCDDBDir (made when missing). Saved: kLocalCacheSavedMessage
  // and "Local CDDB file saved." in `log`; failed: "Fail to save local CDDB
  // file!" in `log` at LogError, the edits staying applied. `log` may be null.
  AlbumEditResult SaveToLocal(const std::function<void()>& destinationsChanged, ILogSink* log);

 private:
  int loadedYear_ = 0;
};

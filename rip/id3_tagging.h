// ID3 tags of the MP3 files the rip writes: an ID3v1 tag (Latin-1 text, the
// track number and, for real album data, album, artist, title, genre, year)
// and an ID3v2 tag (Unicode text, track "n/total", the disc ID, the encoder
// credit and the album data), both filled from the album record.
#pragma once

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevector.h>
#include <taglib/tstring.h>

#include <cstdint>
#include <string>

#include "cddb/cddb_record.h"

// The two-line encoder credit written to "TENC".
inline constexpr char kEncoderCredit[] = "Quarno CD Ripper Free 6.7.1\r\nhttps://www.example.org/quarno";

// What the tags need to know about the track besides the album record.
struct Id3TrackInfo {
  int TrackIndex = 0;  // 0-based track number; tags show TrackIndex + 1
  int FirstTrack = 1;  // first and last track numbers of the disc's table of contents
  int LastTrack = 1;
  uint32_t DiscID = 0;              // of the disc in the drive
  bool AlbumInfoIsDefault = false;  // the album data are placeholders
};

// Sets the text of frame `frameId` ("TALB", ...): an empty text removes every
// frame of that id; otherwise the first frame of that id gets the text, or a
// new text frame is added.
void setTextFrame(TagLib::ID3v2::Tag& tag, const TagLib::ByteVector& frameId, const TagLib::String& text);

// Sets the user-defined text frame ("TXXX") whose description is `description`
// (Latin-1): adds it when missing, replaces its text when present, removes it
// when `value` is empty.
void setUserTextFrame(TagLib::ID3v2::Tag& tag, const TagLib::ByteVector& description,
                      const TagLib::String& value);

// UTF-8 text as ID3v1 accepts it: Latin-1, every other character as '?',
// at most 30 characters.
TagLib::String ToId3v1Text(const std::string& utf8);

void FillID3v1Tag(TagLib::ID3v1::Tag& tag, const CCDDBRecord& album, const Id3TrackInfo& track);
void FillID3v2Tag(TagLib::ID3v2::Tag& tag, const CCDDBRecord& album, const Id3TrackInfo& track);

// Opens the MP3 file (without reading its audio properties), creates both tags,
// fills them and saves them. False when the file cannot be opened, holds no
// MPEG audio frame, or cannot be saved.
bool TagMp3File(const std::string& path, const CCDDBRecord& album, const Id3TrackInfo& track);

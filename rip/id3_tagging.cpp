// Filling the ID3v1 and ID3v2 tags of a ripped MP3 file through TagLib.
#include "rip/id3_tagging.h"

#include <fmt/printf.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <utf8.h>

#include <iterator>

#include "rip/file_naming.h"

namespace {

constexpr size_t kId3v1FieldLength = 30;

// Valid UTF-8 for TagLib: broken byte sequences become U+FFFD.
std::string CleanUtf8(const std::string& text) {
  std::string clean;
  clean.reserve(text.size());
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(clean));
  return clean;
}

TagLib::String Unicode(const std::string& utf8) {
  return TagLib::String(CleanUtf8(utf8), TagLib::String::UTF8);
}

bool YearIsValid(int year) { return year >= 1 && year <= 9998; }

}  // namespace

TagLib::String ToId3v1Text(const std::string& utf8) {
  const std::string clean = CleanUtf8(utf8);
  std::string latin1;
  auto it = clean.begin();
  while (it != clean.end() && latin1.size() < kId3v1FieldLength) {
    const uint32_t cp = utf8::unchecked::next(it);
    latin1 += cp <= 0xFF ? static_cast<char>(cp) : '?';
  }
  return TagLib::String(latin1, TagLib::String::Latin1);
}

void setTextFrame(TagLib::ID3v2::Tag& tag, const TagLib::ByteVector& frameId, const TagLib::String& text) {
  if (text.isEmpty()) {
    tag.removeFrames(frameId);
    return;
  }
  const TagLib::ID3v2::FrameList& frames = tag.frameList(frameId);
  if (!frames.isEmpty()) {
    frames.front()->setText(text);
    return;
  }
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(
      frameId, TagLib::ID3v2::FrameFactory::instance()->defaultTextEncoding());
  tag.addFrame(frame);
  frame->setText(text);
}

void setUserTextFrame(TagLib::ID3v2::Tag& tag, const TagLib::ByteVector& description,
                      const TagLib::String& value) {
  const TagLib::String wanted(description, TagLib::String::Latin1);
  // A copy: removing a frame changes the tag's own list.
  const TagLib::ID3v2::FrameList frames = tag.frameList("TXXX");
  for (TagLib::ID3v2::Frame* f : frames) {
    auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(f);
    if (user == nullptr || user->description() != wanted) continue;
    if (value.isEmpty()) {
      tag.removeFrame(user, true);
    } else {
      user->setDescription(wanted);
      user->setText(value);
    }
    return;
  }
  // Nothing to remove and nothing to add.
  if (value.isEmpty()) return;
  auto* user = new TagLib::ID3v2::UserTextIdentificationFrame(
      TagLib::ID3v2::FrameFactory::instance()->defaultTextEncoding());
  tag.addFrame(user);
  user->setDescription(wanted);
  user->setText(value);
}

void FillID3v1Tag(TagLib::ID3v1::Tag& tag, const CCDDBRecord& album, const Id3TrackInfo& track) {
  tag.setTrack(static_cast<unsigned>(track.TrackIndex + 1));
  if (track.AlbumInfoIsDefault) return;
  if (!album.Title.empty()) tag.setAlbum(ToId3v1Text(album.Title));
  if (!album.Artist.empty()) tag.setArtist(ToId3v1Text(album.Artist));
  const std::string title = TrackTitleOf(album.TrackTitles, track.TrackIndex);
  if (!title.empty()) tag.setTitle(ToId3v1Text(title));
  if (!album.Genre.empty()) tag.setGenre(ToId3v1Text(album.Genre));
  if (YearIsValid(album.Year)) tag.setYear(static_cast<unsigned>(album.Year));
}

void FillID3v2Tag(TagLib::ID3v2::Tag& tag, const CCDDBRecord& album, const Id3TrackInfo& track) {
  const int trackCount = track.LastTrack - track.FirstTrack + 1;
  setTextFrame(tag, "TRCK", Unicode(fmt::sprintf("%d/%d", track.TrackIndex + 1, trackCount)));
  setUserTextFrame(tag, "DISCID", Unicode(fmt::sprintf("%08x", track.DiscID)));
  setTextFrame(tag, "TENC", TagLib::String(kEncoderCredit, TagLib::String::Latin1));
  if (track.AlbumInfoIsDefault) return;
  if (!album.Title.empty()) setTextFrame(tag, "TALB", Unicode(album.Title));
  if (!album.Artist.empty()) setTextFrame(tag, "TPE1", Unicode(album.Artist));
  if (!album.Genre.empty()) setTextFrame(tag, "TCON", Unicode(album.Genre));
  const std::string title = TrackTitleOf(album.TrackTitles, track.TrackIndex);
  if (!title.empty()) setTextFrame(tag, "TIT2", Unicode(title));
  if (YearIsValid(album.Year)) setTextFrame(tag, "TDRC", Unicode(fmt::sprintf("%d", album.Year)));
}

bool TagMp3File(const std::string& path, const CCDDBRecord& album, const Id3TrackInfo& track) {
  TagLib::MPEG::File file(path.c_str(), false);
  if (!file.isOpen() || !file.isValid() || file.readOnly()) return false;
  // TagLib would tag any file; only a file with MPEG audio is ours to tag.
  if (file.firstFrameOffset() < 0) return false;
  TagLib::ID3v1::Tag* v1 = file.ID3v1Tag(true);
  TagLib::ID3v2::Tag* v2 = file.ID3v2Tag(true);
  if (v1 == nullptr || v2 == nullptr) return false;
  FillID3v1Tag(*v1, album, track);
  FillID3v2Tag(*v2, album, track);
  return file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                   TagLib::File::DoNotDuplicate);
}

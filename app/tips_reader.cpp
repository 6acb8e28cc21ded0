// Reading the tips file.
#include "app/tips_reader.h"

#include <fcntl.h>
#include <unistd.h>
#include <utf8.h>

#include <iterator>

#include "app/settings.h"
#include "platform/folders.h"
#include "platform/regular_file.h"

namespace {

bool IsContinuationByte(int c) { return (c & 0xC0) == 0x80; }

bool IsSkipped(const std::string& piece) {
  const char first = piece[0];
  return first == ' ' || first == '\t' || first == '\n' || first == ';';
}

// The tip as shown: valid UTF-8, without the line end.
std::string TipText(const std::string& piece) {
  std::string text;
  utf8::replace_invalid(piece.begin(), piece.end(), std::back_inserter(text));
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace

std::string TipsFilePath() { return ProgramFolder + kPathSeparator + kTipsFileName; }

TipsReader::TipsReader(const std::string& path, MessageFn showMessage)
    : showMessage_(std::move(showMessage)) {
  // Only a regular file: a FIFO in its place must not block the window.
  const int fd = OpenRegularFileForRead(path);
  if (fd < 0) return;
  // The descriptor was opened without blocking; reading a regular file never blocks anyway.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file_.reset(::fdopen(fd, "r"));
  if (!file_) {
    ::close(fd);
    return;
  }
  if (Rewind()) NextTip();
}

// One line of at most kTipPieceChars characters, with its line end when it
// fits; a CR before the line end is dropped as a Windows text file's is.
// False at the end of the file or on a read error.
bool TipsReader::ReadPiece(std::string& piece) {
  piece.clear();
  std::size_t chars = 0;
  for (int c; (c = std::getc(file_.get())) != EOF;) {
    if (!IsContinuationByte(c) && chars == kTipPieceChars) {
      std::ungetc(c, file_.get());
      break;
    }
    if (!IsContinuationByte(c)) ++chars;
    piece += static_cast<char>(c);
    if (c == '\n') break;
  }
  if (piece.size() >= 2 && piece.compare(piece.size() - 2, 2, "\r\n") == 0) piece.erase(piece.size() - 2, 1);
  return !piece.empty();
}

// Back to the first line, past a UTF-8 byte order mark.
bool TipsReader::Rewind() {
  std::FILE* f = file_.get();
  if (std::fseek(f, 0, SEEK_SET) != 0) return false;
  std::clearerr(f);
  atTop_ = true;
  const int a = std::getc(f), b = std::getc(f), c = std::getc(f);
  if (a == 0xEF && b == 0xBB && c == 0xBF) return true;
  return std::fseek(f, 0, SEEK_SET) == 0;
}

bool TipsReader::FindTip() {
  std::string piece;
  // A search that reaches the end after reading from the top has made one
  // whole pass without a tip, and stops.
  for (bool fromTop = atTop_;;) {
    if (!ReadPiece(piece)) {
      if (fromTop) return false;
      if (!Rewind() && showMessage_) showMessage_(kTipsRewindFailedText);
      fromTop = true;
      continue;
    }
    atTop_ = false;
    if (IsSkipped(piece)) continue;
    tip_ = TipText(piece);
    return true;
  }
}

void TipsReader::NextTip() {
  if (!file_) return;
  if (FindTip()) {
    hasTips_ = true;
  } else if (!hasTips_) {
    tip_ = kTipsMissingText;
  }
}

void TipsReader::Skip(int count) {
  for (int i = 0; i < count; ++i) NextTip();
}

int TipsReader::RandomSkipCount(std::mt19937& random) {
  return std::uniform_int_distribution<int>(1, kMaxTipSkip)(random);
}

TipOfTheDayModel::TipOfTheDayModel(const std::string& path, TipsReader::MessageFn showMessage)
    : reader(path, std::move(showMessage)), showAtStartup(ReadTipSetting() != 0) {}

bool TipOfTheDayModel::Confirm() const { return WriteTipSetting(showAtStartup ? 1 : 0); }

// The tip of the day without its window: tips come one per line from
// "Tips.tip" beside the program (UTF-8). Lines starting with a blank, a tab
// or ";" and empty lines are skipped; a line longer than 999 characters is
// read as pieces of 999, each piece counting as a line; after the last line
// reading starts again at the top. Each showing opens the file afresh and
// starts 1 to 35 tips after the first.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>

inline constexpr const char* kTipsFileName = "Tips.tip";
inline constexpr const char* kTipHeading = "Did you know...";
inline constexpr const char* kTipsMissingText = "Tips file does not exist in the prescribed directory";
inline constexpr const char* kTipsRewindFailedText = "Trouble reading the tips file";
inline constexpr std::size_t kTipPieceChars = 999;
inline constexpr int kMaxTipSkip = 35;

// ProgramFolder + "/Tips.tip".
std::string TipsFilePath();

class TipsReader {
 public:
  // Shows a message box (the text of a file that cannot be rewound).
  using MessageFn = std::function<void(const std::string& text)>;

  // Opens `path` and reads the first tip. A missing file, or one without a
  // single tip line, leaves kTipsMissingText as the tip.
  explicit TipsReader(const std::string& path, MessageFn showMessage = {});

  bool IsOpen() const { return file_ != nullptr; }
  // The tip on display, without its line end.
  const std::string& Tip() const { return tip_; }

  // "Next tip": the following tip line, wrapping to the top of the file.
  // One whole pass without a tip line ends the search.
  void NextTip();
  void Skip(int count);

  // How many tips a showing skips at first: 1 to kMaxTipSkip.
  static int RandomSkipCount(std::mt19937& random);

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  bool ReadPiece(std::string& piece);
  bool Rewind();
  bool FindTip();

  std::unique_ptr<std::FILE, FileCloser> file_;
  MessageFn showMessage_;
  std::string tip_ = kTipsMissingText;
  // A tip line was found: the tip shown stays when a later search finds none.
  bool hasTips_ = false;
  bool atTop_ = false;  // nothing read since the last rewind
};

// The tip dialog's values: the reader and the "&Show tips on startup" box,
// which starts from MISC Tip and reaches the settings file only on OK.
class TipOfTheDayModel {
 public:
  explicit TipOfTheDayModel(const std::string& path = TipsFilePath(), TipsReader::MessageFn showMessage = {});

  TipsReader reader;
  bool showAtStartup = true;

  // The first tip of a showing: 1 to 35 tips after the file's first.
  void StartAtRandomTip(std::mt19937& random) { reader.Skip(TipsReader::RandomSkipCount(random)); }
  // OK: writes the check box to MISC Tip. False when the file cannot be written.
  bool Confirm() const;
};

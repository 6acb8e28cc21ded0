// Replacing a file's whole content so that a crash, a full disk or a failed
// write never leaves it torn: the bytes go to a new file beside the target,
// which is synced and then renamed over it.
#pragma once

#include <string>
#include <string_view>

struct ReplaceFileResult {
  enum Stage { None, Create, Write, Replace };
  Stage failed = None;  // the step that failed
  int error = 0;        // its errno
  explicit operator bool() const { return failed == None; }
};

// Writes `bytes` to `target` (keeping an existing target's permission bits).
// On failure the old file is untouched and nothing is left beside it.
ReplaceFileResult ReplaceFileContents(const std::string& target, std::string_view bytes);

// The program's INI files: the settings file and the profile file that keeps
// window placements. Reading and writing follow the rules of the Windows
// private-profile functions, so that settings files written by the Windows
// build read here as they did there:
//
//  - section and key names match without regard to ASCII case;
//  - values are literal: backslashes stay, there are no escapes; blanks around
//    the key and the value are trimmed and one pair of matching surrounding
//    quotes (' or ") is removed on read;
//  - the first section of a name, and in it the first key of a name, wins;
//  - lines starting with ';' are comments; lines that are neither a section
//    header nor "key=value" are damaged and ignored on read; every line that a
//    write does not change is written back byte for byte, in its place;
//  - a UTF-8 byte-order mark is accepted and kept; a UTF-16LE file (with its
//    mark) is read and written back as UTF-16LE; a line that is not valid UTF-8
//    is read as Windows-1252 (the code page Windows writes INI files in);
//  - CRLF or LF line ends: a file's own style is kept for new lines.
//
// Writes never leave a torn file: the new content goes to a temporary file in
// the same folder, which then replaces the old file in one rename. A write
// never creates the folder; a missing or read-only folder is a failure that
// the caller sees, never a crash.
//
// A value whose text would come back changed (blanks at either end, or a pair
// of matching quotes around it) is written inside double quotes, so that every
// value written reads back exactly as it was given.
//
// Lengths are counted in characters (UTF-8 code points), not bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A file that exists but cannot be read, or a write that cannot be completed.
class IniFileError : public std::runtime_error {
 public:
  IniFileError(const std::string& path, const std::string& what, int errorNumber);
  const std::string& Path() const { return path_; }
  int ErrorNumber() const { return errorNumber_; }

 private:
  std::string path_;
  int errorNumber_;
};

// One INI file in memory. Load, look up, change, save. The free functions
// below are built on it; use the class directly to read many keys from one
// file without reading the file for each key.
class IniFile {
 public:
  IniFile();
  ~IniFile();
  IniFile(IniFile&&) noexcept;
  IniFile& operator=(IniFile&&) noexcept;

  // Reads `path`. A missing file gives an empty file (no error). A file that
  // exists but cannot be read throws IniFileError, and so does anything that
  // is not a regular file (a folder, FIFO or device), without blocking.
  void Load(const std::string& path);

  // Parses text as it would be read from a file (byte-order marks included).
  void Parse(std::string_view bytes);

  // Looks a key up: true and its value (quotes and blanks removed as described
  // above) when found; false when the section or the key is missing.
  bool Find(std::string_view section, std::string_view key, std::string* value) const;

  // GetPrivateProfileInt / GetPrivateProfileString (below) on this file.
  int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
  std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                        size_t bufferChars) const;

  // Sets a key, adding the section and the key when they are missing. Throws
  // std::invalid_argument for names or values that cannot be stored in an INI
  // line (line breaks, a section name with ']', a key with '=' or starting
  // with '[' or ';', an empty key).
  void Set(std::string_view section, std::string_view key, std::string_view value);

  // Removes a key (all its lines in the first section of that name). Returns
  // whether something was removed.
  bool RemoveKey(std::string_view section, std::string_view key);

  // Removes the first section of that name with all its lines.
  bool RemoveSection(std::string_view section);

  // The names of the keys of a section, in file order, each once.
  std::vector<std::string> Keys(std::string_view section) const;

  // The file's bytes, in the file's own encoding.
  std::string Serialize() const;

  // Writes the file atomically (temporary file + rename). Throws IniFileError.
  void Save(const std::string& path) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// GetPrivateProfileIntW: the key's value as an integer, or `defaultValue` when
// the file, the section or the key is missing or the value is empty. The value
// is read like Windows does it (RtlUnicodeStringToInteger with base 0):
// optional blanks, an optional sign, an optional base prefix ("0x" hex, "0o"
// octal, "0b" binary, else decimal), then digits of that base up to the first
// other character; no digits give 0 ("abc" -> 0, "12abc" -> 12, "0x10" -> 16,
// "0x" -> 0). The digits accumulate modulo 2^32, so values beyond the 32-bit
// range wrap as they do on Windows. A file that cannot be read, or that is not
// a regular file, counts as missing.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path);

// GetPrivateProfileStringW with a buffer of `bufferChars` characters: the
// value (or the default, without its trailing blanks) cut to at most
// bufferChars - 1 characters and at its first NUL. A bufferChars of 0 gives "".
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path,
                                    size_t bufferChars);

// WritePrivateProfileStringW: sets a key, creating the file and the section
// when needed. Returns false when the write failed (errno tells why; EINVAL
// for names or values that cannot be stored); the file is then unchanged.
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& path);

// Several changes to one file in one read, one write and one rename, under
// the same lock as the calls above. `change` edits the loaded file and returns
// whether it should be written. Returns false, with the file left as it was,
// when the file could not be read or written or `change` threw (errno tells
// why: EINVAL for std::invalid_argument from IniFile::Set).
bool UpdatePrivateProfile(const std::string& path, const std::function<bool(IniFile&)>& change);

// WritePrivateProfileStringW with a NULL value, and with a NULL key: remove a
// key, or a whole section. Removing what is not there succeeds.
bool DeletePrivateProfileKey(std::string_view section, std::string_view key, const std::string& path);
bool DeletePrivateProfileSection(std::string_view section, const std::string& path);

// GetPrivateProfileStructW / WritePrivateProfileStructW: binary values stored
// as upper-case hex digits, two per byte, followed by two more for the
// checksum, the low byte of the sum of all bytes (the Windows form). Reading
// fills `data` only when the stored value has exactly `size` bytes and a
// matching checksum; otherwise it returns false and leaves `data` unchanged.
bool GetPrivateProfileStruct(std::string_view section, std::string_view key, void* data, size_t size,
                             const std::string& path);
bool WritePrivateProfileStruct(std::string_view section, std::string_view key, const void* data, size_t size,
                               const std::string& path);

// The hex form used above, for callers that keep it elsewhere.
std::string EncodeProfileStruct(const void* data, size_t size);
bool DecodeProfileStruct(std::string_view text, void* data, size_t size);

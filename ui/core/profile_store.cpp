// The per-user profile file that stands in for the program's registry key.
#include "ui/core/profile_store.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/ini_file.h"

namespace {

constexpr const char* kUnnamedValueKey = "@";

// Reads one value straight from the file, without a length limit. A file
// that cannot be read counts as empty.
bool ReadValue(const std::string& path, const std::string& section, const std::string& key,
               std::string& value) {
  if (path.empty()) return false;
  try {
    IniFile file;
    file.Load(path);
    return file.Find(section, key, &value);
  } catch (const IniFileError&) {
    return false;
  }
}

// Whole-number text as the registry would hold it: optional sign, digits,
// nothing else, within the range of int.
bool ParseInt(const std::string& text, int& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  if (text[0] == ' ' || text[0] == '\t') return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

std::string ProfileStore::FileNameFor(const std::string& appName) { return appName + ".profile"; }

std::string ProfileStore::KeyFor(const std::string& entry) {
  return entry.empty() ? std::string(kUnnamedValueKey) : entry;
}

void ProfileStore::SetPath(const std::string& path) {
  std::lock_guard lock(mutex_);
  path_ = path;
}

std::string ProfileStore::Path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

int ProfileStore::GetProfileInt(const std::string& section, const std::string& entry,
                                int defaultValue) const {
  std::lock_guard lock(mutex_);
  std::string text;
  int value = 0;
  if (ReadValue(path_, section, KeyFor(entry), text) && ParseInt(text, value)) return value;
  return defaultValue;
}

std::string ProfileStore::GetProfileString(const std::string& section, const std::string& entry,
                                           const std::string& defaultValue) const {
  std::lock_guard lock(mutex_);
  std::string text;
  if (ReadValue(path_, section, KeyFor(entry), text)) return text;
  return defaultValue;
}

bool ProfileStore::GetProfileBinary(const std::string& section, const std::string& entry,
                                    std::vector<std::uint8_t>& data) const {
  std::lock_guard lock(mutex_);
  data.clear();
  std::string text;
  if (!ReadValue(path_, section, KeyFor(entry), text)) return false;
  // Two hex digits per byte plus two for the checksum byte.
  if (text.size() < 2 || text.size() % 2 != 0) return false;
  std::vector<std::uint8_t> bytes(text.size() / 2 - 1);
  if (!DecodeProfileStruct(text, bytes.data(), bytes.size())) return false;
  data = std::move(bytes);
  return true;
}

bool ProfileStore::WriteProfileInt(const std::string& section, const std::string& entry, int value) {
  return WriteProfileString(section, entry, std::to_string(value));
}

bool ProfileStore::WriteProfileString(const std::string& section, const std::string& entry,
                                      const std::string& value) {
  std::lock_guard lock(mutex_);
  if (path_.empty()) return false;
  return WritePrivateProfileString(section, KeyFor(entry), value, path_);
}

bool ProfileStore::WriteProfileBinary(const std::string& section, const std::string& entry,
                                      const std::vector<std::uint8_t>& data) {
  std::lock_guard lock(mutex_);
  if (path_.empty()) return false;
  return WritePrivateProfileStruct(section, KeyFor(entry), data.data(), data.size(), path_);
}

ProfileStore& AppProfile() {
  static ProfileStore profile;
  return profile;
}

// The private-profile functions on top of IniFile: every call reads the file
// afresh and every change is one complete, atomic rewrite, so that two callers
// (the settings and the tip dialog, or two placement stores) never see a
// half-written file. One lock serialises the calls of this process.
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/ini_file.h"

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::mutex& FileMutex() {
  static std::mutex m;
  return m;
}

// Reads a file for a lookup; a file that cannot be read counts as missing.
IniFile LoadForLookup(const std::string& path) {
  IniFile file;
  try {
    file.Load(path);
  } catch (const IniFileError&) {
    file.Parse({});
  }
  return file;
}

// Runs a read-change-write of one file under the process-wide file lock.
template <typename Change>
bool ChangeFile(const std::string& path, Change change) {
  std::lock_guard lock(FileMutex());
  try {
    IniFile file;
    file.Load(path);
    if (!change(file)) return true;
    file.Save(path);
    return true;
  } catch (const IniFileError& e) {
    errno = e.ErrorNumber();
  } catch (const std::invalid_argument&) {
    errno = EINVAL;
  } catch (const std::exception&) {
    errno = EIO;
  }
  return false;
}

}  // namespace

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path) {
  std::lock_guard lock(FileMutex());
  return LoadForLookup(path).GetInt(section, key, defaultValue);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path,
                                    size_t bufferChars) {
  std::lock_guard lock(FileMutex());
  return LoadForLookup(path).GetString(section, key, defaultValue, bufferChars);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& path) {
  return ChangeFile(path, [&](IniFile& file) {
    file.Set(section, key, value);
    return true;
  });
}

bool UpdatePrivateProfile(const std::string& path, const std::function<bool(IniFile&)>& change) {
  return ChangeFile(path, change);
}

bool DeletePrivateProfileKey(std::string_view section, std::string_view key, const std::string& path) {
  return ChangeFile(path, [&](IniFile& file) { return file.RemoveKey(section, key); });
}

bool DeletePrivateProfileSection(std::string_view section, const std::string& path) {
  return ChangeFile(path, [&](IniFile& file) { return file.RemoveSection(section); });
}

std::string EncodeProfileStruct(const void* data, size_t size) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string text;
  text.reserve(size * 2 + 2);
  unsigned sum = 0;
  auto put = [&](unsigned b) {
    text.push_back(kHex[b >> 4]);
    text.push_back(kHex[b & 0x0F]);
  };
  for (size_t i = 0; i < size; ++i) {
    put(bytes[i]);
    sum += bytes[i];
  }
  put(sum & 0xFF);
  return text;
}

bool DecodeProfileStruct(std::string_view text, void* data, size_t size) {
  if (text.size() != size * 2 + 2) return false;
  auto nibble = [](char c) -> int {
    c = AsciiLower(c);
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::vector<unsigned char> bytes(size + 1);
  for (size_t i = 0; i <= size; ++i) {
    const int hi = nibble(text[2 * i]);
    const int lo = nibble(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[i] = static_cast<unsigned char>(hi << 4 | lo);
  }
  unsigned sum = 0;
  for (size_t i = 0; i < size; ++i) sum += bytes[i];
  if ((sum & 0xFF) != bytes[size]) return false;
  if (size > 0) std::memcpy(data, bytes.data(), size);
  return true;
}

bool GetPrivateProfileStruct(std::string_view section, std::string_view key, void* data, size_t size,
                             const std::string& path) {
  std::string value;
  {
    std::lock_guard lock(FileMutex());
    if (!LoadForLookup(path).Find(section, key, &value)) return false;
  }
  return DecodeProfileStruct(value, data, size);
}

bool WritePrivateProfileStruct(std::string_view section, std::string_view key, const void* data, size_t size,
                               const std::string& path) {
  return WritePrivateProfileString(section, key, EncodeProfileStruct(data, size), path);
}

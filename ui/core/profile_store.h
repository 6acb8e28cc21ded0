// The per-user profile: small values that belong to the program rather than to
// its settings file (window placements, remembered message-box answers).
//
// The profile is an INI file in the data folder, written through the same INI
// layer as the settings file. Its name is the program's application name (the
// program file's name without extension) plus ".profile", e.g.
// "<DataFolder>/quarno-cd-ripper.profile", so two differently named program
// files keep apart, as they would under separate registry keys.
//
// Sections and entries are compared without regard to case. The unnamed
// (default) value of a section, asked for with an empty entry name, is kept
// under the key "@". Every write reaches the disk before it returns, so a
// process that ends abruptly loses nothing it already wrote.
//
// Reads before a path is set return the caller's default; writes then fail.
// All members are safe to call from several threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class ProfileStore {
 public:
  ProfileStore() = default;
  explicit ProfileStore(std::string path) : path_(std::move(path)) {}
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  // The file name the program uses for an application name, without folder.
  static std::string FileNameFor(const std::string& appName);
  // Key under which an entry is stored ("@" for the unnamed value).
  static std::string KeyFor(const std::string& entry);

  void SetPath(const std::string& path);
  std::string Path() const;

  // The stored integer, or `defaultValue` when the entry is missing or is not
  // a number.
  int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) const;
  // The stored text, or `defaultValue` when the entry is missing.
  std::string GetProfileString(const std::string& section, const std::string& entry,
                               const std::string& defaultValue = "") const;
  // True and the stored bytes when the entry holds a well-formed binary value;
  // false (and `data` emptied) when it is missing or damaged.
  bool GetProfileBinary(const std::string& section, const std::string& entry,
                        std::vector<std::uint8_t>& data) const;

  // Each returns true when the value was written to the file.
  bool WriteProfileInt(const std::string& section, const std::string& entry, int value);
  bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value);
  bool WriteProfileBinary(const std::string& section, const std::string& entry,
                          const std::vector<std::uint8_t>& data);

 private:
  mutable std::mutex mutex_;
  std::string path_;
};

// The program's one profile. The application sets its path at start-up
// (ProfileStore::FileNameFor in the data folder); until then it reads
// defaults and refuses writes.
ProfileStore& AppProfile();

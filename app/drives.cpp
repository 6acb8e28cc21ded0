// Drive enumeration, selection, tray and the drive-text helpers.
#include "app/drives.h"

#include <fmt/printf.h>
#include <utf8.h>

#include <cstring>

#include "app/disc_worker.h"
#include "app/settings.h"
#include "ui/core/win_types.h"

CDDriveList DriveList;
std::vector<std::string> DriveLetters;
std::atomic<int> CurrentDrive{-1};

namespace {

// The drive library's index of each entry of DriveList. Written once by the
// enumeration, before any other thread looks at the drives.
std::vector<int> libraryIndex;

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return AnsiToCString(std::string(field, strnlen(field, N)).c_str());
}

bool InRange(int index) {
  return index >= 0 && index < static_cast<int>(DriveLetters.size()) && index < DriveList.Count;
}

void NoDrivesEnd(MainWindowPort& port) {
  port.AddLog("CD drives not found !", LogFatal);
  port.ShowMessage(kNoDrivesText, kNoDrivesCaption, MB_ICONERROR);
}

}  // namespace

DriveEnumeration EnumerateDrives(MainWindowPort& port) {
  DriveEnumeration result;
  std::memset(&DriveList, 0, sizeof(DriveList));
  DriveLetters.clear();
  libraryIndex.clear();

  CDDriveList found;
  std::memset(&found, 0, sizeof(found));
  found.MaxEntries = kCDMaxDrives;
  if (GetCDList(&found) != 1) found.Count = 0;
  const int count = found.Count < kCDMaxDrives ? found.Count : kCDMaxDrives;

  DriveList.MaxEntries = kCDMaxDrives;
  for (int i = 0; i < count; ++i) {
    const std::string token = GetDriveToken(i);
    if (token.empty()) continue;
    if (!ProbeDriveAccess(i)) {
      port.AddLog(fmt::sprintf("Warning: drive %s is not accessible", token), LogError);
      continue;
    }
    DriveList.Entries[DriveList.Count++] = found.Entries[i];
    DriveLetters.push_back(token);
    libraryIndex.push_back(i);
  }
  if (DriveLetters.empty()) {
    NoDrivesEnd(port);
    return result;
  }

  port.AddLog("Initializing CD-drives...", LogInfo);
  for (int i = 0; i < DriveList.Count; ++i) {
    const std::string line = DriveDescription(i);
    result.ComboLines.push_back(line);
    port.AddLog("Find drive \"" + line + "\"", LogInfo);
    result.MenuItems.push_back("Drive  " + DriveLetters[i]);
  }
  result.Found = true;
  return result;
}

std::string DriveDescription(int index) {
  if (!InRange(index)) return {};
  const CDDriveEntry& entry = DriveList.Entries[index];
  return DriveLetters[index] + "  " + fmt::sprintf("%s ", FieldText(entry.Vendor)) +
         fmt::sprintf("%s ", FieldText(entry.Product)) + fmt::sprintf("%s ", FieldText(entry.Revision)) +
         fmt::sprintf("%s ", FieldText(entry.VendorSpecific));
}

int SelectInitialDrive(MainWindowPort& port, DiscWorker& worker, int drivesFound) {
  if (drivesFound <= 0) {
    port.ShowMessage("No CD Drive Found !", "", MB_OK);
    port.AddLog("No CD drive found !", LogError);
    return SelectSavedDrive(0);
  }
  const int selection = SelectSavedDrive(drivesFound);
  SelectDrive(port, worker, selection, LookupOnRefresh.load());
  return selection;
}

bool SelectDrive(MainWindowPort& port, DiscWorker& worker, int index, int lookup) {
  if (!InRange(index)) return false;
  DriveNum = static_cast<int16_t>(index);
  CurrentDrive = index;
  port.AddLog("Set drive " + DriveDescription(index) + " as current.", LogInfo);
  worker.StartRefresh(lookup);
  return true;
}

int DriveIndexOfCommand(unsigned command) {
  const unsigned index = command - static_cast<unsigned>(kFirstDriveCommand);
  return index < static_cast<unsigned>(DriveList.Count) ? static_cast<int>(index) : 0;
}

int LibraryDriveIndex(int index) {
  return index >= 0 && index < static_cast<int>(libraryIndex.size()) ? libraryIndex[index] : -1;
}

bool IsDriveAccessible(int index) {
  const int drive = LibraryDriveIndex(index);
  return drive >= 0 && ProbeDriveAccess(drive);
}

void SetDriveDoor(int open, int index) {
  const int drive = LibraryDriveIndex(index);
  if (drive < 0) return;
  // As with a tray that does not move, a failure is not reported: a media
  // change, if any, brings the refresh.
  if (open)
    OpenDriveTray(drive);
  else
    CloseDriveTray(drive);
}

void ReadBigEndian32(uint32_t* out, const uint8_t* p) {
  *out = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void AnsiToCString(std::string& out, const char* text) {
  out.clear();
  if (!text) return;
  const std::string_view bytes(text);
  if (utf8::is_valid(bytes.begin(), bytes.end())) {
    out.assign(bytes);
    return;
  }
  for (unsigned char c : bytes) utf8::append(static_cast<char32_t>(c), std::back_inserter(out));
}

std::string AnsiToCString(const char* text) {
  std::string out;
  AnsiToCString(out, text);
  return out;
}

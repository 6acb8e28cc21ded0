// The CD drives of the program: the one enumeration at start-up, the current
// drive, the tray, and the small helpers the drive texts need.
//
// A drive is named by its token: the device path of a real drive or the path
// of the disc image an image drive holds. DriveLetters holds the tokens and
// DriveList the drive library's entries, index-paired; DriveNum indexes both.
// A drive that cannot be opened by this user is left out of both lists, so
// the pairing always holds.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main_window_port.h"
#include "platform/cd_drive.h"

class DiscWorker;

extern CDDriveList DriveList;
extern std::vector<std::string> DriveLetters;
// DriveNum as the worker threads read it: the index of the current drive, or
// -1 before one is selected.
extern std::atomic<int> CurrentDrive;

// Commands of the Drive(s) menu items: 101 + index.
inline constexpr int kFirstDriveCommand = 101;
inline constexpr int kLastDriveCommand = 110;

inline constexpr const char* kNoDrivesCaption = "CD Drives NOT Found!";
inline constexpr const char* kNoDrivesText =
    "CD Drives NOT Found! Please Make Sure the Following Things:\n"
    "1. You have at Least One CD Drive Installed.\n"
    "2. Check that You have Administrator's Permissions.\n"
    "3. There are No Other Programs which Use the CD Drives at the Same Time.";

struct DriveEnumeration {
  bool Found = false;                   // false: the program ends with exit code 1
  std::vector<std::string> ComboLines;  // the drive combo box, in order
  std::vector<std::string> MenuItems;   // "Drive  <token>", command 101 + index
};

// Lists the drives once at start-up (GUI thread): fills DriveList and
// DriveLetters, logs a warning for each drive this user cannot open,
// "Initializing CD-drives..." and one "Find drive" line per drive. With no
// usable drive it logs "CD drives not found !", shows the no-drive message and
// returns Found = false.
DriveEnumeration EnumerateDrives(MainWindowPort& port);

// Token + "  " + "%s " of Vendor, Product, Revision and VendorSpecific of
// drive `index`; empty for an index outside the lists.
std::string DriveDescription(int index);

// The selection once the drives are listed (GUI thread): the saved DriveNum
// when the saved DriveCount equals `drivesFound`, else 0; DriveCount and
// DriveNum are updated and the selection is made current with
// SelectDrive(LookupOnRefresh). With no drive: "No CD Drive Found !" and -1.
int SelectInitialDrive(MainWindowPort& port, DiscWorker& worker, int drivesFound);

// Makes drive `index` current (DriveNum, CurrentDrive), logs "Set drive ...
// as current." and queues a refresh with LookupOnRefresh = `lookup`. False,
// with nothing changed, for an index outside the lists.
bool SelectDrive(MainWindowPort& port, DiscWorker& worker, int index, int lookup);

// The drive a Drive(s) menu command selects: command - 101 when that is a
// listed drive, else 0.
int DriveIndexOfCommand(unsigned command);

// The drive library's index of drive `index`, or -1.
int LibraryDriveIndex(int index);

// Whether this user can open drive `index`.
bool IsDriveAccessible(int index);
// Opens (open != 0) or closes the tray of drive `index`; failures are ignored.
void SetDriveDoor(int open, int index);

// The four bytes at `p` as one big-endian value.
void ReadBigEndian32(uint32_t* out, const uint8_t* p);
// A drive text as the program's text: UTF-8 passes through, bytes that are not
// UTF-8 are read as Latin-1; null gives "".
void AnsiToCString(std::string& out, const char* text);
std::string AnsiToCString(const char* text);

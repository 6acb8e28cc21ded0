// The drive library: the program's only way to the CD drives. It lists the
// drives, opens one by its address, reads the table of contents in the SCSI
// READ TOC format-0 layout and reads raw audio sectors, all through byte
// records that keep the layout the rest of the program was written against.
//
// Drives are the real ones found by libcdio or, when the environment variable
// QCR_DRIVES is set, exactly the drives it lists (a ':'-separated list of at
// most 8 entries: a block device is a real drive, anything else a disc-image
// file, e.g. a .cue, held by an image drive; a missing file is an empty drive).
// Tests may install drives of their own (cd_drive_backend.h).
//
// Every entry point is safe to call from any thread. Reads on one handle are
// serialised; reads on different handles do not wait for each other.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr int kCDSectorBytes = 2352;  // raw audio bytes per sector
inline constexpr int kCDMaxDrives = 8;       // drives in one CDDriveList
inline constexpr int kTOCBufferSize = 804;   // READ TOC response buffer
inline constexpr int kTOCMaxDescriptors = 100;
inline constexpr uint8_t kTOCDataTrack = 0x04;  // ADR/control bit of a data track
inline constexpr uint8_t kTOCLeadOutTrack = 0xAA;

#pragma pack(push, 1)

// One drive of the list. The three address bytes name the drive in a
// CDHandleRequest. Texts are NUL-terminated. Image drives report Vendor "QCR",
// Product "Disc image", Revision "1.0"; VendorSpecific is always empty.
struct CDDriveEntry {
  uint8_t HostAdapter;
  uint8_t Target;
  uint8_t Lun;
  uint8_t Reserved[66];
  char Vendor[9];
  char Product[17];
  char Revision[5];
  char VendorSpecific[21];
};

// Zeroed by the caller, who sets MaxEntries (at most kCDMaxDrives are used);
// the library sets Count and fills Entries[0 .. Count-1].
struct CDDriveList {
  uint8_t MaxEntries;
  uint8_t Count;
  CDDriveEntry Entries[kCDMaxDrives];
};

// Zeroed, then Size = 12, Mode = 1 and the entry's three address bytes.
struct CDHandleRequest {
  uint8_t Size;
  uint8_t Mode;
  uint8_t HostAdapter;
  uint8_t Target;
  uint8_t Lun;
  uint8_t Reserved[7];
};

// One 8-byte descriptor of the READ TOC response. StartLBA is big-endian.
struct TOCDescriptor {
  uint8_t Reserved1;
  uint8_t AdrControl;   // 0x10 | control; control bit 0x04 = data track
  uint8_t TrackNumber;  // kTOCLeadOutTrack for the lead-out
  uint8_t Reserved2;
  uint8_t StartLBA[4];
};

// The READ TOC format-0 response as laid out in the 804-byte buffer. Length
// (big-endian) counts the bytes after itself: 2 + 8 per descriptor; 0 means
// no disc. Descriptors hold the tracks First..Last, then the lead-out.
struct TOCData {
  uint8_t Length[2];
  uint8_t FirstTrack;
  uint8_t LastTrack;
  TOCDescriptor Descriptors[kTOCMaxDescriptors];
};

#pragma pack(pop)

// Sector-read record: a 24-byte header followed by MaxLength bytes of audio.
// The caller sets StartSector, SectorCount, Length = 0 and StartOffset = 0;
// the library sets Length (bytes returned, 0 on failure), StartOffset (where
// the audio starts in Data()) and Status. Samples are little-endian signed
// 16-bit, left and right interleaved.
struct SectorBuffer {
  uint32_t StartSector;
  uint32_t SectorCount;
  uint32_t MaxLength;
  uint32_t Length;
  uint32_t Status;  // GetAspiLibAspiError status of the last read (kCDStatus*)
  uint32_t StartOffset;

  uint8_t* Data() { return reinterpret_cast<uint8_t*>(this) + sizeof(SectorBuffer); }
  const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this) + sizeof(SectorBuffer); }
};

static_assert(sizeof(CDDriveEntry) == 121);
static_assert(offsetof(CDDriveEntry, Vendor) == 69);
static_assert(offsetof(CDDriveEntry, Product) == 78);
static_assert(offsetof(CDDriveEntry, Revision) == 95);
static_assert(offsetof(CDDriveEntry, VendorSpecific) == 100);
static_assert(sizeof(CDDriveList) == 970);
static_assert(sizeof(CDHandleRequest) == 12);
static_assert(sizeof(TOCDescriptor) == 8);
static_assert(sizeof(TOCData) == kTOCBufferSize);
static_assert(sizeof(SectorBuffer) == 24);

// Error numbers, as GetAspiLibError reports them.
enum CDError : int {
  kCDErrNone = 0,
  kCDErrBadHandle = 1,       // the handle is not open
  kCDErrNoDrive = 2,         // the request names no listed drive
  kCDErrOpenFailed = 3,      // the drive exists but could not be opened
  kCDErrNoDisc = 4,          // no disc, tray open, or the image file is missing
  kCDErrUnreadableDisc = 5,  // a disc is there but its contents cannot be read (damaged image)
  kCDErrBadRequest = 6,      // null record, or more sectors than the buffer holds
  kCDErrOutOfRange = 7,      // a read before sector 0, at or past the lead-out, or across it
  kCDErrReadFailed = 8,      // the device or image failed the read
  kCDErrInjected = 9,        // a test drive was told to fail the read
  kCDErrTrayFailed = 10,     // the tray could not be moved
};

// Status classes, as GetAspiLibAspiError reports them in its low byte.
enum CDStatus : int {
  kCDStatusNone = 0x00,            // nothing done yet
  kCDStatusOk = 0x01,              // the last call succeeded
  kCDStatusError = 0x04,           // the drive or disc failed it
  kCDStatusInvalidRequest = 0x80,  // a malformed record
  kCDStatusInvalidHandle = 0x81,   // no such handle
  kCDStatusNoDevice = 0x82,        // no such drive, or it could not be opened
};

// Handles are never below this value, so a status byte is never taken for a
// handle.
inline constexpr int kCDFirstHandle = 0x100;

// Fills `list` with the drives (at most MaxEntries, and at most 8); 1 on
// success, 0 when `list` is null.
int GetCDList(CDDriveList* list);
// Opens the drive whose address the request names; the handle (> 0), or 0.
int GetCDHandle(CDHandleRequest* request);
// Accepted for any open handle and ignored; 1, or 0 for a bad handle.
int ModifyCDParms(int handle, int parm, int value);
// Zeroes the 804-byte `toc` and fills it with the disc's table of contents;
// 1 = success. With no disc it returns 0 and the length field stays 0.
int ReadTOC(int handle, uint8_t* toc);
// Where the disc's last session starts: 1 and *lba = the start of the first
// track of the last session (the first track's start when the disc has one
// session, or when the drive cannot tell, as with disc images); 0 for a bad
// handle, a null `lba` or no readable disc. Answers from the table of
// contents the last ReadTOC read.
int ReadLastSessionLBA(int handle, int32_t* lba);
// Reads SectorCount raw sectors from StartSector; 1 = success. Reads must lie
// wholly before the lead-out.
int ReadCDAudioLBA(int handle, SectorBuffer* buffer);
// Closes the handle; 1, or 0 when it was not open (0 is accepted silently).
int CloseCDHandle(int handle);
// The error number (CDError) of the last call on an open handle (kCDErrNone
// after a success); for any other value (0, a status byte) that of the
// library's last call, whichever handle or thread made it.
int GetAspiLibError(int handle);
// The status (CDStatus) of the library's last call, from any thread.
int GetAspiLibAspiError();

// A zero-filled sector-read record with room for `sectors` sectors (MaxLength
// = sectors x 2352); null on failure or for a count below 1.
SectorBuffer* AllocSectorBuffer(int sectors);
void FreeSectorBuffer(SectorBuffer* buffer);

// The open drive, its table of contents and whether a readable disc is in it,
// shared by the disc refresh, the rip and the player.
extern std::atomic<int> CDHandle;
extern uint8_t TOCBuffer[kTOCBufferSize];
extern std::atomic<int> NoDisc;  // 1 until a refresh finds a disc
// Where the last session of the disc in TOCBuffer starts (ReadLastSessionLBA);
// -1 when it is not known.
extern std::atomic<int32_t> LastSessionLBA;

// Drive-level services for the application, by index into the drive list of
// the last GetCDList (the order of the list).

// The text that names the drive: its device path or image path; empty for an
// index outside the list.
std::string GetDriveToken(int driveIndex);
// Whether the drive can be opened by this user (a device that can be opened
// for reading, an image whose folder is readable).
bool ProbeDriveAccess(int driveIndex);
// Opens or closes the tray: libcdio on a real drive, a virtual tray on an
// image drive (an open tray means no disc). 1 on success, 0 on failure.
int OpenDriveTray(int driveIndex);
int CloseDriveTray(int driveIndex);

// What a media poller needs: whether a disc is in the drive, and a counter
// that grows whenever the library sees the medium change (tray moved, disc or
// image file inserted, removed or replaced).
struct DriveMediaStatus {
  int Present = 0;
  uint32_t ChangeCount = 0;
};
// 1 and `status` filled, or 0 for an index outside the list.
int GetDriveMediaStatus(int driveIndex, DriveMediaStatus* status);

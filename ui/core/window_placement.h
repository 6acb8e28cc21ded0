// Remembering where a dialog was, how large and in which show state, from one
// run to the next.
//
// A placement is kept as one 44-byte binary profile value (section "Position",
// entry = the dialog's GUID text) in the layout of the Windows placement
// record: eleven little-endian 32-bit fields, so profiles move between the
// Windows and the Linux builds. The section's unnamed value holds a show-state
// override shared by all dialogs (see WindowPlacementStore::MapShowState).
//
// This half knows no windows: the store talks to a window through
// IPlacementWindow, which the toolkit implements for real windows and tests
// implement with plain data. Coordinates are screen pixels.
//
// A stored value is trusted only when it is exactly 44 bytes long, its length
// field says 44 and its normal rectangle is not inverted; anything else counts
// as no saved placement. A restored rectangle that lies off every screen is
// moved onto the primary one, and any restored rectangle is then brought whole
// onto the screen it lies on (no larger than its work area), so that the
// buttons of a dialog saved on a larger screen stay reachable. A rectangle
// smaller than the window's minimum size grows to it first, so that it is
// the rectangle the window really takes that lies whole on the screen. A
// modal dialog is never restored minimised (it would look like a hung
// program behind an invisible box).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ProfileStore;

struct PlacementPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const PlacementPoint&) const = default;
};

struct PlacementRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  std::int64_t Width() const { return std::int64_t{right} - left; }
  std::int64_t Height() const { return std::int64_t{bottom} - top; }
  bool operator==(const PlacementRect&) const = default;
};

struct WindowPlacement {
  // Show commands and placement flags, with the window system's values.
  static constexpr std::uint32_t SW_HIDE = 0;
  static constexpr std::uint32_t SW_SHOWNORMAL = 1;
  static constexpr std::uint32_t SW_SHOWMINIMIZED = 2;
  static constexpr std::uint32_t SW_SHOWMAXIMIZED = 3;
  static constexpr std::uint32_t SW_MINIMIZE = 6;
  static constexpr std::uint32_t SW_SHOWMINNOACTIVE = 7;
  static constexpr std::uint32_t SW_FORCEMINIMIZE = 11;
  static constexpr std::uint32_t WPF_RESTORETOMAXIMIZED = 0x0002;

  std::uint32_t length = 0;   // kWindowPlacementSize in every valid record
  std::uint32_t flags = 0;    // WPF_* values
  std::uint32_t showCmd = 0;  // SW_* values
  PlacementPoint minPosition;
  PlacementPoint maxPosition;
  PlacementRect normalPosition;  // the restored (not maximised) rectangle
  bool operator==(const WindowPlacement&) const = default;
};

inline constexpr std::size_t kWindowPlacementSize = 44;

// Whether a show command leaves the window minimised.
bool IsMinimisedShowCmd(std::uint32_t showCmd);

// The 44 bytes of a placement, and back. Decoding refuses (nullopt) a value
// of any other size, with another length field or an inverted rectangle.
std::vector<std::uint8_t> EncodePlacement(const WindowPlacement& placement);
std::optional<WindowPlacement> DecodePlacement(const std::vector<std::uint8_t>& bytes);

// The rectangle's size centred on `screen` (halves truncated towards zero).
PlacementRect CentreRectOn(const PlacementRect& rect, const PlacementRect& screen);

// Whether enough of `rect` lies on one of `screens` to reach it with the
// mouse: at least 32 x 32 pixels of it, or all of it when it is smaller.
bool IsRectOnScreens(const PlacementRect& rect, const std::vector<PlacementRect>& screens);

// Leaves a rectangle that is on a screen alone; moves any other one onto
// `primary`, centred there and no larger than it. Returns whether it moved.
bool MoveOntoScreen(PlacementRect& rect, const std::vector<PlacementRect>& screens,
                    const PlacementRect& primary);

// `rect` no larger than `area` on either axis, moved the least distance that
// puts it whole inside `area` (a rectangle already inside comes back as it is).
PlacementRect FitRectInto(const PlacementRect& rect, const PlacementRect& area);

// The screen holding the largest part of `rect`; the first screen when none
// holds any of it. `screens` must not be empty.
const PlacementRect& ScreenHolding(const PlacementRect& rect, const std::vector<PlacementRect>& screens);

// `rect` fitted into the screen that holds the largest part of it, so that a
// window opened there lies whole on that screen. Unchanged when `screens` is
// empty.
PlacementRect FitOntoScreens(const PlacementRect& rect, const std::vector<PlacementRect>& screens);

// What the store needs from a window.
class IPlacementWindow {
 public:
  virtual ~IPlacementWindow() = default;
  // Fills in the window's current placement (the caller has set the length
  // field, as the window system wants); false on failure.
  virtual bool GetWindowPlacement(WindowPlacement& placement) = 0;
  // Moves, sizes and shows the window as described; false on failure.
  virtual bool SetWindowPlacement(const WindowPlacement& placement) = 0;
  // The screens' work areas (the part windows may cover), the primary screen
  // first. May be empty.
  virtual std::vector<PlacementRect> GetScreens() = 0;
  // Whether the window is a modal dialog.
  virtual bool IsModalWindow() const = 0;
  // The smallest size (x the width, y the height) the window can take and
  // still be used; 0 where it has no such limit.
  virtual PlacementPoint MinimumSize() const { return {}; }
};

// The profile section of all placements, and the entries of the dialogs.
inline constexpr const char* kPlacementSection = "Position";
inline constexpr const char* kMainWindowPlacementEntry = "{F2E2C5E4-3803-4791-813A-DED9CD2E2815}";
inline constexpr const char* kEditCDPlacementEntry = "{B01B8ECB-6C90-4D4E-ABF9-43A8474BB68B}";
inline constexpr const char* kFreeDBChoicePlacementEntry = "{1ADB0359-4E49-42AB-BA19-73B9A417C5DE}";
inline constexpr const char* kLogDlgPlacementEntry = "{DC005E05-56BF-4ED7-BFED-F658CE8B1B16}";
inline constexpr const char* kRippingProgressPlacementEntry = "{5634F63C-A087-4A6C-87F3-E2C0F266F0E8}";

// One per dialog, a member of the dialog object: the dialog loads its
// placement while it initialises and saves it when it is destroyed.
class WindowPlacementStore {
 public:
  // Uses the program's profile (AppProfile()) unless given another one.
  WindowPlacementStore();
  explicit WindowPlacementStore(ProfileStore& profile);

  // Applies the saved placement of `entry`. Returns 1 when one was applied,
  // 0 when there was none (the window keeps its position) or on failure. The
  // first load of a store also captures the window's placement, centred on
  // the primary screen, as the default, and reads the show override.
  int Load(IPlacementWindow& window, const std::string& entry,
           const std::string& section = kPlacementSection);
  // Applies the default captured by the first load (nothing before one).
  void Apply(IPlacementWindow& window);
  // Writes the window's placement, its normal rectangle fitted whole onto its
  // screen as a load would fit it, and the show override. Returns 1 when both
  // were written.
  int Save(IPlacementWindow& window, const std::string& entry,
           const std::string& section = kPlacementSection);

  // The show override: 1 keeps the saved show command, 2 shows normal, 3
  // maximised, 4 minimised; any other value keeps it except that a minimised
  // window comes back in the state it would restore to (normal, or maximised
  // when the flags say so). A modal window never comes back minimised.
  void MapShowState(std::uint32_t& showCmd, std::uint32_t flags, bool modal = false) const;
  // Centres the normal rectangle on the primary screen of `screens` (nothing
  // when the list is empty).
  static void CentreOnScreen(WindowPlacement& placement, const std::vector<PlacementRect>& screens);

  int ShowOverride() const { return showOverride_; }
  const WindowPlacement& Current() const { return current_; }
  const WindowPlacement& Default() const { return default_; }

 private:
  void ReadShowOverride(const std::string& section);

  ProfileStore& profile_;
  std::int32_t showOverride_ = 0;
  WindowPlacement current_{};
  WindowPlacement default_{};
  std::int32_t firstLoad_ = 1;
  bool haveDefault_ = false;
};

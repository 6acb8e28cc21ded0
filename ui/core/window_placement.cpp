// Placement records, their checks and the per-dialog placement store.
#include "ui/core/window_placement.h"

#include <algorithm>
#include <cstdint>

#include "ui/core/profile_store.h"

namespace {

using WP = WindowPlacement;

// The show overrides a user can put into the profile's unnamed value.
constexpr std::int32_t kOverrideKeep = 1;
constexpr std::int32_t kOverrideNormal = 2;
constexpr std::int32_t kOverrideMaximized = 3;
constexpr std::int32_t kOverrideMinimized = 4;

// The least part of a window that must lie on a screen to count as visible.
constexpr std::int64_t kMinVisible = 32;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t GetU32(const std::vector<std::uint8_t>& in, std::size_t& pos) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= std::uint32_t{in[pos++]} << (8 * i);
  return v;
}

std::int32_t GetI32(const std::vector<std::uint8_t>& in, std::size_t& pos) {
  return static_cast<std::int32_t>(GetU32(in, pos));
}

// The state a minimised window goes back to when it is restored.
std::uint32_t RestoredShowCmd(std::uint32_t flags) {
  return (flags & WP::WPF_RESTORETOMAXIMIZED) ? WP::SW_SHOWMAXIMIZED : WP::SW_SHOWNORMAL;
}

std::int32_t ClampToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

bool IsMinimisedShowCmd(std::uint32_t showCmd) {
  return showCmd == WP::SW_SHOWMINIMIZED || showCmd == WP::SW_MINIMIZE || showCmd == WP::SW_SHOWMINNOACTIVE ||
         showCmd == WP::SW_FORCEMINIMIZE;
}

std::vector<std::uint8_t> EncodePlacement(const WindowPlacement& p) {
  std::vector<std::uint8_t> out;
  out.reserve(kWindowPlacementSize);
  for (std::uint32_t v : {p.length, p.flags, p.showCmd}) PutU32(out, v);
  for (std::int32_t v :
       {p.minPosition.x, p.minPosition.y, p.maxPosition.x, p.maxPosition.y, p.normalPosition.left,
        p.normalPosition.top, p.normalPosition.right, p.normalPosition.bottom}) {
    PutU32(out, static_cast<std::uint32_t>(v));
  }
  return out;
}

std::optional<WindowPlacement> DecodePlacement(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() != kWindowPlacementSize) return std::nullopt;
  std::size_t pos = 0;
  WindowPlacement p;
  p.length = GetU32(bytes, pos);
  p.flags = GetU32(bytes, pos);
  p.showCmd = GetU32(bytes, pos);
  p.minPosition = {GetI32(bytes, pos), GetI32(bytes, pos)};
  p.maxPosition = {GetI32(bytes, pos), GetI32(bytes, pos)};
  p.normalPosition.left = GetI32(bytes, pos);
  p.normalPosition.top = GetI32(bytes, pos);
  p.normalPosition.right = GetI32(bytes, pos);
  p.normalPosition.bottom = GetI32(bytes, pos);
  if (p.length != kWindowPlacementSize) return std::nullopt;
  if (p.normalPosition.Width() < 0 || p.normalPosition.Height() < 0) return std::nullopt;
  return p;
}

PlacementRect CentreRectOn(const PlacementRect& rect, const PlacementRect& screen) {
  const std::int64_t w = rect.Width(), h = rect.Height();
  const std::int64_t sw = screen.Width(), sh = screen.Height();
  return {ClampToInt32(screen.left + (sw - w) / 2), ClampToInt32(screen.top + (sh - h) / 2),
          ClampToInt32(screen.left + (sw + w) / 2), ClampToInt32(screen.top + (sh + h) / 2)};
}

bool IsRectOnScreens(const PlacementRect& rect, const std::vector<PlacementRect>& screens) {
  const std::int64_t needW = std::min(rect.Width(), kMinVisible);
  const std::int64_t needH = std::min(rect.Height(), kMinVisible);
  for (const PlacementRect& s : screens) {
    const std::int64_t w = std::int64_t{std::min(rect.right, s.right)} - std::max(rect.left, s.left);
    const std::int64_t h = std::int64_t{std::min(rect.bottom, s.bottom)} - std::max(rect.top, s.top);
    if (w >= needW && h >= needH && w >= 0 && h >= 0) return true;
  }
  return false;
}

bool MoveOntoScreen(PlacementRect& rect, const std::vector<PlacementRect>& screens,
                    const PlacementRect& primary) {
  if (IsRectOnScreens(rect, screens)) return false;
  PlacementRect sized = rect;
  sized.right = ClampToInt32(sized.left + std::min(rect.Width(), primary.Width()));
  sized.bottom = ClampToInt32(sized.top + std::min(rect.Height(), primary.Height()));
  rect = CentreRectOn(sized, primary);
  return true;
}

PlacementRect FitRectInto(const PlacementRect& rect, const PlacementRect& area) {
  const std::int64_t w = std::clamp<std::int64_t>(rect.Width(), 0, std::max<std::int64_t>(area.Width(), 0));
  const std::int64_t h = std::clamp<std::int64_t>(rect.Height(), 0, std::max<std::int64_t>(area.Height(), 0));
  // The far edge first, then the near one: a rectangle as large as the area
  // ends at the area's left and top edges.
  const std::int64_t left = std::max<std::int64_t>(std::min<std::int64_t>(rect.left, area.right - w), area.left);
  const std::int64_t top = std::max<std::int64_t>(std::min<std::int64_t>(rect.top, area.bottom - h), area.top);
  return {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + w), ClampToInt32(top + h)};
}

const PlacementRect& ScreenHolding(const PlacementRect& rect, const std::vector<PlacementRect>& screens) {
  const PlacementRect* best = &screens.front();
  std::int64_t bestArea = 0;
  for (const PlacementRect& s : screens) {
    const std::int64_t w = std::int64_t{std::min(rect.right, s.right)} - std::max(rect.left, s.left);
    const std::int64_t h = std::int64_t{std::min(rect.bottom, s.bottom)} - std::max(rect.top, s.top);
    if (w > 0 && h > 0 && w * h > bestArea) {
      bestArea = w * h;
      best = &s;
    }
  }
  return *best;
}

PlacementRect FitOntoScreens(const PlacementRect& rect, const std::vector<PlacementRect>& screens) {
  if (screens.empty()) return rect;
  return FitRectInto(rect, ScreenHolding(rect, screens));
}

WindowPlacementStore::WindowPlacementStore() : WindowPlacementStore(AppProfile()) {}

WindowPlacementStore::WindowPlacementStore(ProfileStore& profile) : profile_(profile) {}

void WindowPlacementStore::ReadShowOverride(const std::string& section) {
  showOverride_ = profile_.GetProfileInt(section, "", 0);
}

void WindowPlacementStore::MapShowState(std::uint32_t& showCmd, std::uint32_t flags, bool modal) const {
  switch (showOverride_) {
    case kOverrideKeep:
      break;
    case kOverrideNormal:
      showCmd = WP::SW_SHOWNORMAL;
      break;
    case kOverrideMaximized:
      showCmd = WP::SW_SHOWMAXIMIZED;
      break;
    case kOverrideMinimized:
      showCmd = WP::SW_SHOWMINIMIZED;
      break;
    default:
      if (showCmd == WP::SW_SHOWMINIMIZED) showCmd = RestoredShowCmd(flags);
      break;
  }
  if (modal && IsMinimisedShowCmd(showCmd)) showCmd = RestoredShowCmd(flags);
}

void WindowPlacementStore::CentreOnScreen(WindowPlacement& placement,
                                          const std::vector<PlacementRect>& screens) {
  if (screens.empty()) return;
  placement.normalPosition = CentreRectOn(placement.normalPosition, screens.front());
}

int WindowPlacementStore::Load(IPlacementWindow& window, const std::string& entry,
                               const std::string& section) {
  if (firstLoad_ == 1) {
    WindowPlacement initial;
    initial.length = kWindowPlacementSize;
    if (!window.GetWindowPlacement(initial)) return 0;
    firstLoad_ = 0;
    default_ = initial;
    CentreOnScreen(default_, window.GetScreens());
    haveDefault_ = true;
    ReadShowOverride(section);
  }
  std::vector<std::uint8_t> bytes;
  std::optional<WindowPlacement> saved;
  if (profile_.GetProfileBinary(section, entry, bytes)) saved = DecodePlacement(bytes);
  if (!saved) {
    current_ = default_;
    return 0;
  }
  current_ = *saved;
  MapShowState(current_.showCmd, current_.flags, window.IsModalWindow());
  const std::vector<PlacementRect> screens = window.GetScreens();
  if (!screens.empty()) {
    const PlacementPoint minimum = window.MinimumSize();
    PlacementRect& r = current_.normalPosition;
    r.right = ClampToInt32(r.left + std::max<std::int64_t>(r.Width(), minimum.x));
    r.bottom = ClampToInt32(r.top + std::max<std::int64_t>(r.Height(), minimum.y));
    MoveOntoScreen(current_.normalPosition, screens, screens.front());
    current_.normalPosition = FitOntoScreens(current_.normalPosition, screens);
  }
  return window.SetWindowPlacement(current_) ? 1 : 0;
}

void WindowPlacementStore::Apply(IPlacementWindow& window) {
  if (haveDefault_) window.SetWindowPlacement(default_);
}

int WindowPlacementStore::Save(IPlacementWindow& window, const std::string& entry,
                               const std::string& section) {
  // A store saved before any load must not replace the user's override with 0.
  if (firstLoad_ == 1) ReadShowOverride(section);
  WindowPlacement now;
  now.length = kWindowPlacementSize;
  if (!window.GetWindowPlacement(now)) return 0;
  current_ = now;
  // Saved as it comes back, whole on its screen: a window that never reached
  // the screen still has the rectangle it was made with.
  current_.normalPosition = FitOntoScreens(now.normalPosition, window.GetScreens());
  if (!profile_.WriteProfileBinary(section, entry, EncodePlacement(current_))) return 0;
  return profile_.WriteProfileInt(section, "", showOverride_) ? 1 : 0;
}

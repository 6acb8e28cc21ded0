// The small vocabulary every dialog of the program speaks: rectangles, points
// and sizes in pixels, the dialog result numbers, the size-event types, the
// sizing edges and the message-box type bits, each with the number the
// program's dialogs, message maps and stored values use.
//
// These are plain values with no window behind them, so window-free code (the
// anchor arithmetic, the message-box model) and the wx layer share them.
#pragma once

#include <cstdint>

// A rectangle in pixels; right and bottom are one past the last pixel.
struct RECT {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const RECT&) const = default;
};

struct POINT {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const POINT&) const = default;
};

struct SIZE {
  int32_t cx = 0;
  int32_t cy = 0;
  bool operator==(const SIZE&) const = default;
};

// Dialog results and the ids of the standard buttons (one number for both).
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDTRYAGAIN = 10;
inline constexpr int IDCONTINUE = 11;
// Controls that nothing addresses (labels, frames) share this id.
inline constexpr int IDC_STATIC = -1;

// First number of the program's own window messages.
inline constexpr unsigned WM_USER = 0x0400;

// Kinds of size change a size handler is told about.
inline constexpr unsigned SIZE_RESTORED = 0;
inline constexpr unsigned SIZE_MINIMIZED = 1;
inline constexpr unsigned SIZE_MAXIMIZED = 2;
inline constexpr unsigned SIZE_MAXSHOW = 3;
inline constexpr unsigned SIZE_MAXHIDE = 4;

// The window edge being dragged while the user resizes a window.
inline constexpr int WMSZ_LEFT = 1;
inline constexpr int WMSZ_RIGHT = 2;
inline constexpr int WMSZ_TOP = 3;
inline constexpr int WMSZ_TOPLEFT = 4;
inline constexpr int WMSZ_TOPRIGHT = 5;
inline constexpr int WMSZ_BOTTOM = 6;
inline constexpr int WMSZ_BOTTOMLEFT = 7;
inline constexpr int WMSZ_BOTTOMRIGHT = 8;

// Message-box type word: button set (low 4 bits).
inline constexpr uint32_t MB_OK = 0x0;
inline constexpr uint32_t MB_OKCANCEL = 0x1;
inline constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
inline constexpr uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr uint32_t MB_YESNO = 0x4;
inline constexpr uint32_t MB_RETRYCANCEL = 0x5;
inline constexpr uint32_t MB_CANCELTRYCONTINUE = 0x6;
inline constexpr uint32_t MB_TYPEMASK = 0xF;
// Icon.
inline constexpr uint32_t MB_ICONHAND = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
inline constexpr uint32_t MB_ICONASTERISK = 0x40;
inline constexpr uint32_t MB_ICONERROR = MB_ICONHAND;
inline constexpr uint32_t MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr uint32_t MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr uint32_t MB_ICONMASK = 0xF0;
// Default button.
inline constexpr uint32_t MB_DEFBUTTON1 = 0x000;
inline constexpr uint32_t MB_DEFBUTTON2 = 0x100;
inline constexpr uint32_t MB_DEFBUTTON3 = 0x200;
inline constexpr uint32_t MB_DEFBUTTON4 = 0x300;
inline constexpr uint32_t MB_DEFMASK = 0xF00;
// Modality and placement.
inline constexpr uint32_t MB_SYSTEMMODAL = 0x1000;
inline constexpr uint32_t MB_HELP = 0x4000;
inline constexpr uint32_t MB_SETFOREGROUND = 0x10000;
inline constexpr uint32_t MB_TOPMOST = 0x40000;

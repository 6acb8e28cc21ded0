// Drawing of the toolbar images and the program icon. Every picture is laid
// out on a 48 x 48 grid and scaled to the size asked for.
#include "app/gui/toolbar_art.h"

#include <wx/brush.h>
#include <wx/font.h>
#include <wx/graphics.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/pen.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>

#include "res/main_dialog.h"

namespace art {

namespace {

using Painter = std::function<void(wxGraphicsContext&)>;

constexpr double kGrid = 48.0;
constexpr double kPi = std::numbers::pi;

const wxColour kInk(0x33, 0x3B, 0x47);
const wxColour kBlue(0x1F, 0x6F, 0xD1);
const wxColour kGreen(0x2E, 0x9E, 0x44);
const wxColour kRed(0xD6, 0x3A, 0x2F);
const wxColour kOrange(0xE8, 0x8A, 0x1A);
const wxColour kWhite(0xFF, 0xFF, 0xFF);

wxBitmap Paint(int size, const Painter& painter) {
  wxImage image(size, size);
  image.InitAlpha();
  std::fill_n(image.GetAlpha(), size * size, 0);
  {
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
    if (gc) {
      gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
      gc->Scale(size / kGrid, size / kGrid);
      painter(*gc);
    }
  }
  return wxBitmap(image);
}

wxGraphicsPath Polygon(wxGraphicsContext& gc, std::initializer_list<wxPoint2DDouble> points) {
  wxGraphicsPath path = gc.CreatePath();
  bool first = true;
  for (const wxPoint2DDouble& p : points) {
    if (first) {
      path.MoveToPoint(p);
      first = false;
    } else {
      path.AddLineToPoint(p);
    }
  }
  path.CloseSubpath();
  return path;
}

void FillPolygon(wxGraphicsContext& gc, const wxColour& colour,
                 std::initializer_list<wxPoint2DDouble> points) {
  gc.SetPen(*wxTRANSPARENT_PEN);
  gc.SetBrush(wxBrush(colour));
  gc.FillPath(Polygon(gc, points));
}

void FillRect(wxGraphicsContext& gc, const wxColour& colour, double x, double y, double w, double h,
              double radius = 0) {
  gc.SetPen(*wxTRANSPARENT_PEN);
  gc.SetBrush(wxBrush(colour));
  gc.DrawRoundedRectangle(x, y, w, h, radius);
}

void FillCircle(wxGraphicsContext& gc, const wxColour& colour, double cx, double cy, double r) {
  gc.SetPen(*wxTRANSPARENT_PEN);
  gc.SetBrush(wxBrush(colour));
  gc.DrawEllipse(cx - r, cy - r, 2 * r, 2 * r);
}

// A compact disc centred at (cx, cy) with outer radius r.
void Disc(wxGraphicsContext& gc, double cx, double cy, double r) {
  gc.SetPen(wxPen(wxColour(0x7A, 0x84, 0x91), 1.5));
  gc.SetBrush(gc.CreateRadialGradientBrush(cx - r / 3, cy - r / 3, cx, cy, r, wxColour(0xFA, 0xFC, 0xFF),
                                           wxColour(0xA9, 0xC4, 0xE0)));
  gc.DrawEllipse(cx - r, cy - r, 2 * r, 2 * r);
  gc.SetPen(wxPen(wxColour(0xC8, 0xB4, 0xE6), 1.5));
  gc.SetBrush(*wxTRANSPARENT_BRUSH);
  gc.DrawEllipse(cx - r * 0.7, cy - r * 0.7, r * 1.4, r * 1.4);
  gc.SetPen(wxPen(wxColour(0x7A, 0x84, 0x91), 1.2));
  gc.SetBrush(wxBrush(wxColour(0xE4, 0xE8, 0xEE)));
  gc.DrawEllipse(cx - r * 0.32, cy - r * 0.32, r * 0.64, r * 0.64);
  gc.SetPen(wxPen(wxColour(0x7A, 0x84, 0x91), 1.0));
  gc.SetBrush(*wxWHITE_BRUSH);
  gc.DrawEllipse(cx - r * 0.12, cy - r * 0.12, r * 0.24, r * 0.24);
}

// Text centred in the box (x, y, w, h).
void CentredText(wxGraphicsContext& gc, const wxString& text, double x, double y, double w, double h,
                 double pointSize, const wxColour& colour) {
  wxFont font(wxFontInfo(pointSize).Family(wxFONTFAMILY_SWISS).Bold());
  gc.SetFont(font, colour);
  double tw = 0, th = 0;
  gc.GetTextExtent(text, &tw, &th);
  gc.DrawText(text, x + (w - tw) / 2, y + (h - th) / 2);
}

// An arrow head pointing along `angle` (radians) with its tip at (x, y).
void ArrowHead(wxGraphicsContext& gc, const wxColour& colour, double x, double y, double angle, double len) {
  const double back = angle + kPi;
  const double spread = 0.55;
  FillPolygon(gc, colour,
              {{x, y},
               {x + len * std::cos(back - spread), y + len * std::sin(back - spread)},
               {x + len * std::cos(back + spread), y + len * std::sin(back + spread)}});
}

void Refresh(wxGraphicsContext& gc) {
  const double cx = 24, cy = 24, r = 15;
  gc.SetBrush(*wxTRANSPARENT_BRUSH);
  for (int half = 0; half < 2; ++half) {
    const wxColour& colour = half == 0 ? kGreen : kBlue;
    const double start = -kPi / 2 + half * kPi + 0.35;
    const double end = start + kPi - 0.7;
    gc.SetPen(wxPen(colour, 5.0));
    wxGraphicsPath path = gc.CreatePath();
    path.AddArc(cx, cy, r, start, end, true);
    gc.StrokePath(path);
    ArrowHead(gc, colour, cx + (r)*std::cos(end + 0.25), cy + r * std::sin(end + 0.25), end + kPi / 2, 11);
  }
}

void ViewLog(wxGraphicsContext& gc) {
  gc.SetPen(wxPen(kInk, 1.5));
  gc.SetBrush(*wxWHITE_BRUSH);
  gc.DrawPath(Polygon(gc, {{9, 4}, {31, 4}, {40, 13}, {40, 44}, {9, 44}}));
  FillPolygon(gc, wxColour(0xC9, 0xD2, 0xDC), {{31, 4}, {40, 13}, {31, 13}});
  const wxColour lines[] = {kGreen, kGreen, kOrange, kGreen, kRed};
  for (int i = 0; i < 5; ++i) FillRect(gc, lines[i], 14, 17 + i * 5.5, i % 2 ? 18 : 22, 3, 1);
}

void Pencil(wxGraphicsContext& gc, double x, double y) {
  FillPolygon(gc, kOrange, {{x, y + 20}, {x + 18, y + 2}, {x + 24, y + 8}, {x + 6, y + 26}});
  FillPolygon(gc, wxColour(0xF3, 0xD9, 0xA4), {{x, y + 20}, {x + 6, y + 26}, {x - 3, y + 29}});
  FillPolygon(gc, kRed, {{x + 18, y + 2}, {x + 21, y - 1}, {x + 27, y + 5}, {x + 24, y + 8}});
}

void EditInfo(wxGraphicsContext& gc) {
  Disc(gc, 20, 22, 17);
  Pencil(gc, 21, 17);
}

void FormatBadge(wxGraphicsContext& gc, const wxString& text, const wxColour& colour) {
  FillRect(gc, colour, 2, 12, 44, 24, 6);
  gc.SetPen(wxPen(colour.ChangeLightness(70), 1.5));
  gc.SetBrush(*wxTRANSPARENT_BRUSH);
  gc.DrawRoundedRectangle(2, 12, 44, 24, 6);
  CentredText(gc, text, 2, 12, 44, 24, 12, kWhite);
}

void Rip(wxGraphicsContext& gc) {
  Disc(gc, 17, 17, 15);
  gc.SetPen(wxPen(kInk, 1.5));
  gc.SetBrush(*wxWHITE_BRUSH);
  gc.DrawPath(Polygon(gc, {{26, 24}, {39, 24}, {45, 30}, {45, 46}, {26, 46}}));
  FillRect(gc, kBlue, 30, 33, 11, 2.5);
  FillRect(gc, kBlue, 30, 38, 11, 2.5);
  gc.SetPen(wxPen(kRed, 4.0));
  gc.StrokeLine(10, 36, 19, 36);
  ArrowHead(gc, kRed, 26, 36, 0, 9);
}

void Options(wxGraphicsContext& gc) {
  const double cx = 24, cy = 24;
  gc.SetPen(*wxTRANSPARENT_PEN);
  gc.SetBrush(wxBrush(wxColour(0x6B, 0x77, 0x86)));
  wxGraphicsPath gear = gc.CreatePath();
  const int teeth = 8;
  for (int i = 0; i < teeth * 2; ++i) {
    const double a0 = i * kPi / teeth, a1 = (i + 1) * kPi / teeth;
    const double r = i % 2 == 0 ? 20 : 15;
    const wxPoint2DDouble p0(cx + r * std::cos(a0), cy + r * std::sin(a0));
    if (i == 0)
      gear.MoveToPoint(p0);
    else
      gear.AddLineToPoint(p0);
    gear.AddLineToPoint(cx + r * std::cos(a1), cy + r * std::sin(a1));
  }
  gear.CloseSubpath();
  gc.FillPath(gear);
  FillCircle(gc, wxColour(0xD9, 0xDE, 0xE4), cx, cy, 7);
}

void Download(wxGraphicsContext& gc) {
  FillRect(gc, kGreen, 19, 4, 10, 18, 2);
  FillPolygon(gc, kGreen, {{9, 21}, {39, 21}, {24, 36}});
  gc.SetPen(wxPen(kInk, 4.0));
  gc.SetBrush(*wxTRANSPARENT_BRUSH);
  wxGraphicsPath tray = gc.CreatePath();
  tray.MoveToPoint(6, 32);
  tray.AddLineToPoint(6, 43);
  tray.AddLineToPoint(42, 43);
  tray.AddLineToPoint(42, 32);
  gc.StrokePath(tray);
}

void Roundel(wxGraphicsContext& gc, const wxString& glyph) {
  gc.SetPen(wxPen(kBlue.ChangeLightness(70), 1.5));
  gc.SetBrush(gc.CreateLinearGradientBrush(0, 4, 0, 44, kBlue.ChangeLightness(130), kBlue));
  gc.DrawEllipse(4, 4, 40, 40);
  CentredText(gc, glyph, 4, 4, 40, 40, 20, kWhite);
}

void Previous(wxGraphicsContext& gc) {
  FillRect(gc, kInk, 8, 12, 5, 24, 1);
  FillPolygon(gc, kInk, {{27, 12}, {27, 36}, {13, 24}});
  FillPolygon(gc, kInk, {{41, 12}, {41, 36}, {27, 24}});
}

void Next(wxGraphicsContext& gc) {
  FillPolygon(gc, kInk, {{7, 12}, {7, 36}, {21, 24}});
  FillPolygon(gc, kInk, {{21, 12}, {21, 36}, {35, 24}});
  FillRect(gc, kInk, 35, 12, 5, 24, 1);
}

void Play(wxGraphicsContext& gc) { FillPolygon(gc, kGreen, {{14, 8}, {14, 40}, {38, 24}}); }

void Pause(wxGraphicsContext& gc) {
  FillRect(gc, kBlue, 12, 10, 9, 28, 2);
  FillRect(gc, kBlue, 27, 10, 9, 28, 2);
}

void Stop(wxGraphicsContext& gc) { FillRect(gc, kRed, 11, 11, 26, 26, 3); }

void Eject(wxGraphicsContext& gc) {
  FillPolygon(gc, kInk, {{24, 8}, {41, 27}, {7, 27}});
  FillRect(gc, kInk, 7, 32, 34, 7, 1.5);
}

}  // namespace

wxBitmap MainToolImage(int index, int size) {
  switch (index) {
    case res::kImageRefresh:
      return Paint(size, Refresh);
    case res::kImageViewLog:
      return Paint(size, ViewLog);
    case res::kImageEditInfo:
      return Paint(size, EditInfo);
    case res::kImageFormatMp3:
      return Paint(size, [](wxGraphicsContext& gc) { FormatBadge(gc, "MP3", kBlue); });
    case res::kImageRip:
      return Paint(size, Rip);
    case res::kImageOptions:
      return Paint(size, Options);
    case res::kImageDownload:
      return Paint(size, Download);
    case res::kImageHelp:
      return Paint(size, [](wxGraphicsContext& gc) { Roundel(gc, "?"); });
    case res::kImageAbout:
      return Paint(size, [](wxGraphicsContext& gc) { Roundel(gc, "i"); });
    case res::kImageFormatWav:
      return Paint(size, [](wxGraphicsContext& gc) { FormatBadge(gc, "WAV", kGreen); });
    default:
      return Paint(size, [](wxGraphicsContext&) {});
  }
}

wxBitmap PlayerToolImage(int index, int size) {
  switch (index) {
    case res::kImagePrevious:
      return Paint(size, Previous);
    case res::kImagePlay:
      return Paint(size, Play);
    case res::kImagePause:
      return Paint(size, Pause);
    case res::kImageStop:
      return Paint(size, Stop);
    case res::kImageNext:
      return Paint(size, Next);
    case res::kImageEject:
      return Paint(size, Eject);
    default:
      return Paint(size, [](wxGraphicsContext&) {});
  }
}

wxIconBundle ProgramIcons() {
  wxIconBundle bundle;
  for (int size : {16, 32, 48}) {
    wxIcon icon;
    icon.CopyFromBitmap(Paint(size, [](wxGraphicsContext& gc) { Disc(gc, 24, 24, 22); }));
    bundle.AddIcon(icon);
  }
  return bundle;
}

}  // namespace art

// The page frame of the tree property sheet: the area the shown page sits in,
// with a caption band across its top (a gradient, the selected item's text
// cut with an ellipsis when too long, optionally its icon) and a centred
// message while no page is shown.
//
// CPropPageFrame holds what to show and where; CPropPageFrameEx is the
// window. Drawing follows the system's visual style when it has one
// (CThemeLibEx) and plain system colours otherwise, which is always the
// case on this platform. CMemDC2 paints off-screen and copies the result in
// one go, so the band never flickers.
#pragma once

#include <wx/dcmemory.h>
#include <wx/icon.h>
#include <wx/imaglist.h>
#include <wx/window.h>

#include <memory>
#include <string>

namespace TreePropSheet {

// Text format flags of the message.
inline constexpr uint32_t DT_CENTER = 0x1;
inline constexpr uint32_t DT_VCENTER = 0x4;
inline constexpr uint32_t DT_SINGLELINE = 0x20;
inline constexpr uint32_t DT_NOPREFIX = 0x800;
inline constexpr uint32_t DT_END_ELLIPSIS = 0x8000;

class CPropPageFrame {
 public:
  CPropPageFrame() = default;
  virtual ~CPropPageFrame() = default;
  CPropPageFrame(const CPropPageFrame&) = delete;
  CPropPageFrame& operator=(const CPropPageFrame&) = delete;

  virtual wxWindow* GetFrameWindow() = 0;
  virtual bool CreateFrameWindow(const wxRect& rect, wxWindow* parent, int id) = 0;
  virtual void SetCaptionVisible(bool visible);
  virtual void SetCaptionHeight(int height);
  // The caption text and icon (copied; an invalid icon: none).
  virtual void SetCaption(const std::string& text, const wxIcon& icon = wxNullIcon);
  virtual void SetMessageText(const std::string& text);
  virtual void SetMessageFormat(uint32_t format);
  virtual void DrawContent(wxDC& dc);
  virtual wxRect GetMessageArea();
  virtual void DrawMessage(wxDC& dc, const wxRect& rect, const std::string& text, uint32_t format);
  virtual wxRect GetCaptionArea();
  virtual void DrawCaption(wxDC& dc, const wxRect& rect, const std::string& text, const wxIcon& icon);

  bool IsCaptionVisible() const { return captionVisible_; }
  int GetCaptionHeight() const { return captionHeight_; }
  const std::string& GetCaptionText() const { return captionText_; }
  uint32_t GetMessageFormat() const { return messageFormat_; }
  std::string GetMessageText() const { return messageText_; }

 protected:
  void Invalidate(const wxRect& rect);

 private:
  bool captionVisible_ = false;
  int captionHeight_ = 0;
  std::string captionText_;
  wxIcon captionIcon_;
  std::string messageText_;
  uint32_t messageFormat_ = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
};

class CPropPageFrameEx : public wxWindow, public CPropPageFrame {
 public:
  CPropPageFrameEx() = default;
  ~CPropPageFrameEx() override;

  wxWindow* GetFrameWindow() override { return this; }
  bool CreateFrameWindow(const wxRect& rect, wxWindow* parent, int id) override;
  void SetCaption(const std::string& text, const wxIcon& icon = wxNullIcon) override;
  wxRect GetMessageArea() override;
  wxRect GetCaptionArea() override;
  void DrawCaption(wxDC& dc, const wxRect& rect, const std::string& text, const wxIcon& icon) override;
  virtual void DrawBackground(wxDC& dc);

  // The icon drawn in the band: at most one image.
  const wxImageList* CaptionImages() const { return captionImages_.get(); }
  // The colour the caption band starts with at its left end (it fades into
  // the page colour at its right end): one that stands apart from the page
  // on the current theme, light or dark.
  static wxColour CaptionBandColour();
  // `text` as it fits `width` pixels in `dc`'s font, cut with an ellipsis.
  static wxString FitCaptionText(const wxDC& dc, const wxString& text, int width);

 private:
  bool Themed() const;
  void OnPaint(wxPaintEvent& event);

  std::unique_ptr<wxImageList> captionImages_;
};

// The system's visual-style library, loaded at the first use. Not available
// on this platform: every frame draws the plain look.
class CThemeLibEx {
 public:
  CThemeLibEx();
  virtual ~CThemeLibEx();
  CThemeLibEx(const CThemeLibEx&) = delete;
  CThemeLibEx& operator=(const CThemeLibEx&) = delete;

  static CThemeLibEx& Instance();
  bool IsAvailable() const { return available_; }
  bool IsThemeActive() const { return available_ && themeActive_; }
  bool IsAppThemed() const { return available_ && appThemed_; }

 private:
  bool available_ = false;
  bool themeActive_ = false;
  bool appThemed_ = false;
};

// An off-screen copy of `rect` of `target` (its clip box when `rect` is
// null), filled with the target's background; copied back when destroyed.
class CMemDC2 : public wxMemoryDC {
 public:
  CMemDC2(wxDC& target, const wxRect* rect = nullptr);
  ~CMemDC2() override;
  CMemDC2(const CMemDC2&) = delete;
  CMemDC2& operator=(const CMemDC2&) = delete;

 private:
  wxDC& target_;
  wxRect rect_;
  wxBitmap bitmap_;
};

}  // namespace TreePropSheet

// The options sheet without its windows: its three pages in tree order, the
// page it opens on, and applying the pages. Each page becomes active through
// ShowPage, which remembers it in LastPage whether or not the sheet is later
// confirmed, so the sheet reopens on the page shown last. A page's values
// are loaded from the settings when it is first shown; pages never shown
// take no part in applying.
#pragma once

#include <array>
#include <functional>

#include "app/cddb_options_model.h"
#include "app/encoder_options_model.h"
#include "app/options_page_result.h"
#include "app/output_options_model.h"

// Pages in tree order; the number is the LastPage setting.
enum OptionsPage : int {
  kCDDBPage = 0,
  kOutputPage = 1,
  kEncoderPage = 2,
};
inline constexpr int kOptionsPageCount = 3;

inline constexpr const char* kOptionsCaption = "Options";
inline constexpr const char* kOptionsPageCaptions[kOptionsPageCount] = {"FreeDB", "Output", "Encoder"};
inline constexpr int kOptionsTreeWidth = 128;  // pixels

class OptionsSheetModel {
 public:
  CDDBOptionsModel cddb;
  OutputOptionsModel output;
  EncoderOptionsModel encoder;

  // `destinationsChanged` runs once after an apply that included the Output
  // or Encoder page (the track list's Destination column follows the new
  // folder, template and extension).
  explicit OptionsSheetModel(std::function<void()> destinationsChanged = {});

  // The page to open on: LastPage, or the Output page when LastPage names
  // no page.
  static int InitialPage();

  // The page becomes active: LastPage = page; on its first showing the
  // page's values are loaded from the settings.
  void ShowPage(int page);
  bool IsPageShown(int page) const;

  // OK or Apply: applies the shown pages in tree order and stops at the
  // first page that refuses, returning its answer (the sheet then stays
  // open, and pages before it have applied).
  PageApplyResult Apply();

  // The Output page's Reset, after the user answered Yes to
  // kResetOutputQuestion: resets the settings, then reloads the Output page
  // and, when it has been shown, the Encoder page.
  void ResetOutputOptions();

 private:
  std::function<void()> destinationsChanged_;
  std::array<bool, kOptionsPageCount> shown_{};
};

// The Encoder page of the options sheet: output format, sample rate, bit rate
// (MP3) or sample format (WAV), and channels. The format-dependent lists, the
// third list's label and the MP3 note follow the format list; the values come
// from EncoderOptionsModel, which the page only shows and feeds.
#pragma once

#include <functional>

#include "app/options_sheet_model.h"
#include "ui/property_page.h"
#include "ui/tree_prop_sheet.h"

class CEncoderOption : public ui::CPropertyPage, public TreePropSheet::CWhiteBackgroundProvider {
 public:
  // `destinationsChanged` runs after an apply (the file extension follows the format).
  CEncoderOption(OptionsSheetModel& sheet, std::function<void()> destinationsChanged);

  bool OnSetActive() override;
  bool OnApply() override;
  // Shows the model's values again (after the Output page's Reset).
  void Reload() { SendInitDialog(); }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;

 private:
  void OnFormatChange();
  void OnPageModified();
  // Refills the bit-rate/sample-format and channel lists for the selected
  // format, with that format's applied values selected.
  void FillFormatLists();

  static const ui::MapRow<CEncoderOption> kMessageMap[];

  OptionsSheetModel& sheet_;
  std::function<void()> destinationsChanged_;
};

// The Output page of the options sheet: destination folder, file-name
// template, separator, the three switches, the live preview of the file
// name, and Reset of every output and encoder setting. The values live in
// OutputOptionsModel; the page shows them and feeds the user's edits back.
#pragma once

#include <functional>
#include <string>

#include "app/options_sheet_model.h"
#include "ui/property_page.h"
#include "ui/tree_prop_sheet.h"

class CEncoderOption;

class COutputOptions : public ui::CPropertyPage, public TreePropSheet::CWhiteBackgroundProvider {
 public:
  // `destinationsChanged` runs after an apply (the track list's Destination
  // column follows the new folder and template).
  COutputOptions(OptionsSheetModel& sheet, std::function<void()> destinationsChanged);

  // The sheet's Encoder page, reloaded by Reset when its window exists.
  void SetEncoderPage(CEncoderOption* page) { encoderPage_ = page; }

  bool OnSetActive() override;
  bool OnApply() override;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;

 private:
  void OnBrowse();
  void OnPageModified();
  void OnTemplateChange();
  void OnSeparatorChange();
  // The Reset button. Not named OnReset: that is the page protocol's Cancel
  // notice, which must not ask to reset anything.
  void OnResetClicked();
  // Refills the template list with the separator as typed now; the model's
  // template stays selected.
  void RebuildTemplateList();
  void UpdatePreview();
  // Copies the edits and check boxes into the model.
  void ReadControls();

  static const ui::MapRow<COutputOptions> kMessageMap[];

  OptionsSheetModel& sheet_;
  std::function<void()> destinationsChanged_;
  CEncoderOption* encoderPage_ = nullptr;
  std::string separatorText_;  // the separator field, as exchanged
  bool filling_ = false;       // the page fills its own controls: no change handling
};

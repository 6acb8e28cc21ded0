// The CDDB ("FreeDB") page of the options sheet: where album data is looked
// up, whether a remote result is cached, whether a disc is looked up when it
// is inserted (which enables the source choice), and the local cache folder.
// The values live in CDDBOptionsModel.
#pragma once

#include <string>

#include "app/options_sheet_model.h"
#include "ui/property_page.h"
#include "ui/tree_prop_sheet.h"

class CFreeDBOptionDlg : public ui::CPropertyPage, public TreePropSheet::CWhiteBackgroundProvider {
 public:
  explicit CFreeDBOptionDlg(OptionsSheetModel& sheet);

  bool OnSetActive() override;
  bool OnApply() override;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;

 private:
  void OnSourceBoth();
  void OnSourceRemoteOnly();
  void OnSourceLocalOnly();
  void OnBrowseLocalFolder();
  void OnLoadOnInsert();
  void OnPageModified();

  static const ui::MapRow<CFreeDBOptionDlg> kMessageMap[];

  OptionsSheetModel& sheet_;
  bool filling_ = false;  // the page fills its own controls: no change handling
};

// The tip of the day: one tip at a time from "Tips.tip" beside the program,
// "Next tip" to step on, and the "&Show tips on startup" box, which reaches
// the settings only through OK. Without a tip to show the dialog is not
// shown at all.
#pragma once

#include <string>

#include "app/tips_reader.h"
#include "ui/dialog.h"

class wxGenericStaticText;

class CTipDlg : public ui::CDialog {
 public:
  explicit CTipDlg(wxWindow* parent, const std::string& tipsPath = TipsFilePath());

  // IDOK at once, showing nothing, when there is no tip.
  int DoModal() override;
  void OnNextTip();
  void OnShowOnStartup();

  const TipOfTheDayModel& Model() const { return model_; }
  // The text the tip area shows.
  std::string ShownTip() const;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  wxWindow* CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId,
                          const wxRect& rect) override;

 private:
  static const ui::MapRow<CTipDlg> kMessageMap[];

  TipOfTheDayModel model_;
  int showAtStartup_ = 1;
  std::string tipText_;
  wxGenericStaticText* text_ = nullptr;
};

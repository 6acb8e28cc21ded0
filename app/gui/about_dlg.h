// The About box: the program's name and version, and links to the home page
// and to the support mail address.
#pragma once

#include "ui/dialog.h"

class CHyperLink;

class CAboutDlg : public ui::CDialog {
 public:
  CAboutDlg();

  CHyperLink* HomeLink() const { return homeLink_; }
  CHyperLink* SupportLink() const { return supportLink_; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  wxWindow* CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId,
                          const wxRect& rect) override;

 private:
  CHyperLink* supportLink_ = nullptr;
  CHyperLink* homeLink_ = nullptr;
};

// The options sheet: the tree-navigated sheet "Options" with the CDDB,
// Output and Encoder pages, opened by the main window's Options command. It
// opens on the page shown last (the Output page the first time) and lives
// for one showing.
#pragma once

#include <functional>

#include "app/gui/encoder_option.h"
#include "app/gui/freedb_option_dlg.h"
#include "app/gui/output_options.h"
#include "app/options_sheet_model.h"
#include "ui/tree_prop_sheet.h"

class CQuarnoCDRipperDlg;

class COptionsSheet {
 public:
  // `destinationsChanged` runs after the Output or Encoder page applied.
  COptionsSheet(wxWindow* parent, std::function<void()> destinationsChanged);
  COptionsSheet(const COptionsSheet&) = delete;
  COptionsSheet& operator=(const COptionsSheet&) = delete;

  // Shows the sheet modally; IDOK or IDCANCEL.
  int DoModal() { return sheet_.DoModal(); }

  TreePropSheet::CTreePropSheetEx& Sheet() { return sheet_; }

 private:
  // Declared before the sheet: the pages outlive its window.
  OptionsSheetModel model_;
  CFreeDBOptionDlg freedbPage_;
  COutputOptions outputPage_;
  CEncoderOption encoderPage_;
  TreePropSheet::CTreePropSheetEx sheet_;
};

// The Options command: runs the sheet over `mainWindow`, then shows the
// output format in the status bar (and the track list's destinations
// follow), whether the sheet was confirmed or not.
void RunOptionsSheet(CQuarnoCDRipperDlg& mainWindow);

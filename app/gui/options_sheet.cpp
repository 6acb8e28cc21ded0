// The options sheet and the Options command.
#include "app/gui/options_sheet.h"

#include <utility>

#include "app/gui/quarno_cd_ripper_dlg.h"

COptionsSheet::COptionsSheet(wxWindow* parent, std::function<void()> destinationsChanged)
    : freedbPage_(model_),
      outputPage_(model_, destinationsChanged),
      encoderPage_(model_, std::move(destinationsChanged)),
      sheet_(kOptionsCaption, parent, 0) {
  sheet_.SetTreeOptions(true, true, false);  // tree and caption band, no icons
  sheet_.SetTreeResizable(false);
  sheet_.SetSheetResizable(false);
  sheet_.SetTreeWidth(kOptionsTreeWidth);
  outputPage_.SetEncoderPage(&encoderPage_);
  sheet_.AddPage(&freedbPage_);
  sheet_.AddPage(&outputPage_);
  sheet_.AddPage(&encoderPage_);
  sheet_.SetActivePage(OptionsSheetModel::InitialPage());
}

void RunOptionsSheet(CQuarnoCDRipperDlg& mainWindow) {
  {
    COptionsSheet sheet(&mainWindow, [&mainWindow] { mainWindow.RefreshDestinations(); });
    sheet.DoModal();
  }
  mainWindow.UpdateFormatStatus();
}

// The rip commands' hand-over to the ripping-progress window: the job takes
// the settings and the album as they are when the command runs.
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/ripping_progress_dlg.h"
#include "app/rip_job_snapshot.h"

void CQuarnoCDRipperDlg::RunRipDialog(std::vector<TrackData> tracks) {
  RunRippingProgress(this, std::move(tracks), MakeRipJobSettings());
}
